// The window-implementation base and its message map.
//
// Lifecycle: Create() registers the class of T on first use, remembers the
// object in a thread-local slot and creates the window; the first message the
// window receives picks the object up and stores it in GWLP_USERDATA, so
// WM_NCCREATE and WM_CREATE already reach the message map. WM_NCDESTROY clears
// m_hWnd; OnFinalMessage runs once the outermost message of the window has
// unwound, so a handler may destroy its own window safely. Destroying the C++
// object first detaches and destroys its window; never delete an object while
// one of its messages runs (a modal loop in a handler counts): an owner that
// may tear a window down from inside such a loop calls DestroyAndDelete, which
// defers the delete until the outermost message has returned. A window whose
// WM_CREATE fails gets its final message inside CreateWindowEx; Create then
// returns null and touches the object no more.
//
// Message map: BEGIN_MSG_MAP ... END_MSG_MAP reads top to bottom, first match
// wins. Every handler has one signature,
//     LRESULT OnEvent(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled);
// handled starts TRUE; a handler clears it to fall through to later entries and
// finally to the default procedure. Nothing throws out of a window procedure.
#pragma once

#include <windows.h>

namespace fw {

// Whether the pointer is over the window's rectangle now (not where a queued
// mouse message says it was).
bool PointerIsOver(HWND window);
// Whether a mouse move the window is handling is still true: it holds the
// capture, or the pointer is over it. Queued input is read after posted
// messages, so a move can come after the leave that followed it; lighting up
// for such a move, a window would stay lit with no leave to come.
bool MoveIsCurrent(HWND window);

class CWindowImplBase {
public:
    CWindowImplBase() = default;
    virtual ~CWindowImplBase();
    CWindowImplBase(const CWindowImplBase&) = delete;
    CWindowImplBase& operator=(const CWindowImplBase&) = delete;

    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) = 0;
    virtual void OnFinalMessage(HWND) {}

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }
    BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
    BOOL DestroyWindow();
    // Destroys the window and deletes the object (made with new): at once when
    // none of its messages runs, else after the outermost one has returned.
    // The caller must not touch the object afterwards.
    void DestroyAndDelete();
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL Invalidate(BOOL erase = TRUE) { return ::InvalidateRect(m_hWnd, nullptr, erase); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return ::SendMessageW(m_hWnd, msg, wp, lp); }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return ::PostMessageW(m_hWnd, msg, wp, lp); }

    static const RECT rcDefault;

protected:
    // Creates the window of an already registered class for this object.
    HWND CreateImpl(LPCWSTR className, HWND parent, const RECT& rc, LPCWSTR title, DWORD style, DWORD exStyle,
                    HMENU menuOrId);
    virtual LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);
    // Runs the map for one message, keeps the nesting count and the final-message hook.
    // After *finalized is set the object may be gone: the caller must not touch it.
    LRESULT Dispatch(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp, bool* handled, bool* finalized);
    static CWindowImplBase* TakeCreating();
    static void SetCreating(CWindowImplBase* object);
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp);
    static ATOM RegisterClassFor(const void* key, UINT style, HCURSOR cursor, HBRUSH brush, wchar_t* nameOut,
                                 size_t nameCapacity);

private:
    int m_depth = 0;
    bool m_destroyed = false;
    bool m_deleteWhenFinal = false;
};

// unique_ptr deleter for window objects an owner may drop while one of their
// messages runs.
struct WindowDeleter {
    template <class T> void operator()(T* object) const {
        if (object)
            object->DestroyAndDelete();
    }
};

template <class T> class CWindowImpl : public CWindowImplBase {
public:
    // Class traits; T hides these to change them.
    static UINT GetClassStyle() { return CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS; }
    static HCURSOR GetClassCursor() { return ::LoadCursorW(nullptr, IDC_ARROW); }
    static HBRUSH GetClassBrush() { return reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1); }

    HWND Create(HWND parent, const RECT& rc = rcDefault, LPCWSTR title = nullptr, DWORD style = 0,
                DWORD exStyle = 0, HMENU menuOrId = nullptr) {
        static wchar_t s_name[64];
        static ATOM s_atom = 0;
        if (!s_atom) {
            s_atom = RegisterClassFor(&s_atom, T::GetClassStyle(), T::GetClassCursor(), T::GetClassBrush(), s_name,
                                      64);
            if (!s_atom)
                return nullptr;
        }
        return CreateImpl(s_name, parent, rc, title, style, exStyle, menuOrId);
    }
    HWND Create(HWND parent, const RECT& rc, LPCWSTR title, DWORD style, DWORD exStyle, UINT id) {
        return Create(parent, rc, title, style, exStyle, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
    }
};

} // namespace fw

#define BEGIN_MSG_MAP(theClass)                                                                                        \
public:                                                                                                                \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override {        \
        BOOL bHandled = TRUE;                                                                                          \
        (void)hWnd;                                                                                                    \
        (void)bHandled;

#define MSG_MAP_CALL_(func)                                                                                            \
    {                                                                                                                  \
        bHandled = TRUE;                                                                                               \
        lResult = func(uMsg, wParam, lParam, bHandled);                                                                \
        if (bHandled)                                                                                                  \
            return TRUE;                                                                                               \
    }

#define MESSAGE_HANDLER(msg, func)                                                                                     \
    if (uMsg == (msg))                                                                                                 \
    MSG_MAP_CALL_(func)

#define MESSAGE_RANGE_HANDLER(msgFirst, msgLast, func)                                                                 \
    if (uMsg >= (msgFirst) && uMsg <= (msgLast))                                                                       \
    MSG_MAP_CALL_(func)

#define COMMAND_ID_HANDLER(id, func)                                                                                   \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id))                                                                  \
    MSG_MAP_CALL_(func)

#define COMMAND_RANGE_HANDLER(idFirst, idLast, func)                                                                   \
    if (uMsg == WM_COMMAND && LOWORD(wParam) >= (idFirst) && LOWORD(wParam) <= (idLast))                              \
    MSG_MAP_CALL_(func)

#define COMMAND_CODE_HANDLER(id, code, func)                                                                           \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code))                                      \
    MSG_MAP_CALL_(func)

#define NOTIFY_CODE_HANDLER(notifyCode, func)                                                                          \
    if (uMsg == WM_NOTIFY && lParam && reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(notifyCode))  \
    MSG_MAP_CALL_(func)

#define CHAIN_MSG_MAP(theBase)                                                                                         \
    if (theBase::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                                            \
        return TRUE;

#define END_MSG_MAP()                                                                                                  \
    return FALSE;                                                                                                      \
    }
