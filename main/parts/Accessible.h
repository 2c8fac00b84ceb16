// What screen readers learn about the menu's own windows: a small IAccessible
// served for OBJID_CLIENT through WM_GETOBJECT, fed by the window it belongs
// to. A window is one element (a button) or a list of child elements (rows),
// child ids counted from 1.
//
// Lifecycle: the window keeps one CAccessible (created at the first
// WM_GETOBJECT) and calls Disconnect in WM_DESTROY; a client that still holds
// the object then gets CO_E_OBJNOTCONNECTED. oleacc.dll is loaded only when a
// client first asks; without it the window answers as before. Any part of the
// menu with a window of its own (the search line too) serves one the same way:
// an IAccessibleSource for its name and role, a CAccessible for WM_GETOBJECT.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

// One element as a screen reader sees it.
struct AccessibleItem {
    std::wstring name;
    std::wstring description; // e.g. "3 of 10" for the third of ten rows
    long role = ROLE_SYSTEM_CLIENT;
    long state = 0;           // STATE_SYSTEM_* flags
    RECT screen{};            // where it is on the screen
};

// The window side. child 0 is the window itself.
class IAccessibleSource {
public:
    virtual long AccChildCount() = 0;
    // false for a child id that does not exist (any more).
    virtual bool AccDescribe(long child, AccessibleItem* item) = 0;
    // The child with the keyboard highlight: 0 the window itself, -1 none.
    virtual long AccFocusChild() = 0;
    virtual bool AccDoDefault(long child) = 0;

protected:
    ~IAccessibleSource() = default;
};

class CAccessible : public IAccessible {
public:
    CAccessible(HWND window, IAccessibleSource* source);

    // The window is going: every later call fails.
    void Disconnect() { m_pSource = nullptr; }
    // The answer to WM_GETOBJECT (OBJID_CLIENT): an LRESULT from LresultFromObject, 0 without oleacc.
    LRESULT Result(WPARAM wParam);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch: not offered.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) override;
    STDMETHODIMP get_accChildCount(long* count) override;
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** dispatch) override;
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override;
    STDMETHODIMP get_accValue(VARIANT, BSTR* value) override;
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override;
    STDMETHODIMP get_accHelp(VARIANT, BSTR* help) override;
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, long* topic) override;
    STDMETHODIMP get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override;
    STDMETHODIMP get_accFocus(VARIANT* child) override;
    STDMETHODIMP get_accSelection(VARIANT* children) override;
    STDMETHODIMP get_accDefaultAction(VARIANT, BSTR* action) override;
    STDMETHODIMP accSelect(long, VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    STDMETHODIMP accNavigate(long, VARIANT, VARIANT* end) override;
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override;
    STDMETHODIMP accDoDefaultAction(VARIANT child) override;
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    virtual ~CAccessible() = default;
    // The element of a child VARIANT; an HRESULT error when there is none.
    HRESULT Describe(const VARIANT& child, AccessibleItem* item);

    LONG m_nRefs = 1;
    HWND m_hWnd;
    IAccessibleSource* m_pSource;
};

// Tells screen readers that the keyboard highlight is now on this element.
inline void RaiseAccessibleFocus(HWND window, long child) {
    if (window)
        ::NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, child);
}

// The one accessible object of a window: made at the first WM_GETOBJECT, cut
// off from the window when it goes.
class CAccessibleHost {
public:
    CAccessibleHost() = default;
    CAccessibleHost(const CAccessibleHost&) = delete;
    CAccessibleHost& operator=(const CAccessibleHost&) = delete;
    ~CAccessibleHost() { Disconnect(); }

    // WM_GETOBJECT: answers OBJID_CLIENT; every other object is left to the default procedure.
    LRESULT Answer(HWND window, IAccessibleSource* source, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // The window is going: a client still holding the object gets errors from now on.
    void Disconnect();

private:
    CAccessible* m_pAccessible = nullptr;
};
