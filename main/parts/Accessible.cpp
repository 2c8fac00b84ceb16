#include "Accessible.h"

#include "SystemFunction.h"

#include <new>

namespace {

using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);

// oleacc.dll is optional: only a running screen reader (or another client) needs it.
LresultFromObjectFn LresultFromObjectOnce() {
    static const auto fn = fw::SystemFunction<LresultFromObjectFn>(L"oleacc.dll", "LresultFromObject");
    return fn;
}

HRESULT ReturnString(const std::wstring& text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (text.empty())
        return S_FALSE;
    *out = ::SysAllocString(text.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

void SetLong(VARIANT* out, long value) {
    ::VariantInit(out);
    out->vt = VT_I4;
    out->lVal = value;
}

} // namespace

CAccessible::CAccessible(HWND window, IAccessibleSource* source) : m_hWnd(window), m_pSource(source) {}

LRESULT CAccessible::Result(WPARAM wParam) {
    LresultFromObjectFn fn = LresultFromObjectOnce();
    return fn ? fn(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(this)) : 0;
}

STDMETHODIMP CAccessible::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, __uuidof(IAccessible))) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CAccessible::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_nRefs)); }

STDMETHODIMP_(ULONG) CAccessible::Release() {
    const LONG left = ::InterlockedDecrement(&m_nRefs);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP CAccessible::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CAccessible::Describe(const VARIANT& child, AccessibleItem* item) {
    if (!m_pSource)
        return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4)
        return E_INVALIDARG;
    return m_pSource->AccDescribe(child.lVal, item) ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CAccessible::get_accParent(IDispatch** parent) {
    if (!parent)
        return E_POINTER;
    *parent = nullptr; // the window's frame object is the system's
    return m_pSource ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

STDMETHODIMP CAccessible::get_accChildCount(long* count) {
    if (!count)
        return E_POINTER;
    if (!m_pSource)
        return CO_E_OBJNOTCONNECTED;
    *count = m_pSource->AccChildCount();
    return S_OK;
}

STDMETHODIMP CAccessible::get_accChild(VARIANT, IDispatch** dispatch) {
    if (!dispatch)
        return E_POINTER;
    *dispatch = nullptr; // the rows are simple elements of this object
    return m_pSource ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

STDMETHODIMP CAccessible::get_accName(VARIANT child, BSTR* name) {
    AccessibleItem item;
    HRESULT hr = Describe(child, &item);
    if (FAILED(hr))
        return hr;
    return ReturnString(item.name, name);
}

STDMETHODIMP CAccessible::get_accValue(VARIANT, BSTR* value) {
    if (!value)
        return E_POINTER;
    *value = nullptr;
    return DISP_E_MEMBERNOTFOUND;
}

STDMETHODIMP CAccessible::get_accDescription(VARIANT child, BSTR* description) {
    AccessibleItem item;
    HRESULT hr = Describe(child, &item);
    if (FAILED(hr))
        return hr;
    return ReturnString(item.description, description);
}

STDMETHODIMP CAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!role)
        return E_POINTER;
    AccessibleItem item;
    HRESULT hr = Describe(child, &item);
    if (FAILED(hr))
        return hr;
    SetLong(role, item.role);
    return S_OK;
}

STDMETHODIMP CAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!state)
        return E_POINTER;
    AccessibleItem item;
    HRESULT hr = Describe(child, &item);
    if (FAILED(hr))
        return hr;
    SetLong(state, item.state);
    return S_OK;
}

STDMETHODIMP CAccessible::get_accHelp(VARIANT, BSTR* help) { return ReturnString(std::wstring(), help); }

STDMETHODIMP CAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file)
        *file = nullptr;
    if (topic)
        *topic = 0;
    return S_FALSE;
}

STDMETHODIMP CAccessible::get_accKeyboardShortcut(VARIANT, BSTR* shortcut) {
    return ReturnString(std::wstring(), shortcut);
}

STDMETHODIMP CAccessible::get_accFocus(VARIANT* child) {
    if (!child)
        return E_POINTER;
    ::VariantInit(child);
    if (!m_pSource)
        return CO_E_OBJNOTCONNECTED;
    const long focus = m_pSource->AccFocusChild();
    if (focus < 0)
        return S_FALSE;
    SetLong(child, focus);
    return S_OK;
}

STDMETHODIMP CAccessible::get_accSelection(VARIANT* children) {
    if (!children)
        return E_POINTER;
    ::VariantInit(children);
    return m_pSource ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

STDMETHODIMP CAccessible::get_accDefaultAction(VARIANT, BSTR* action) {
    return ReturnString(std::wstring(), action);
}

STDMETHODIMP CAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    if (!left || !top || !width || !height)
        return E_POINTER;
    AccessibleItem item;
    HRESULT hr = Describe(child, &item);
    if (FAILED(hr))
        return hr;
    *left = item.screen.left;
    *top = item.screen.top;
    *width = item.screen.right - item.screen.left;
    *height = item.screen.bottom - item.screen.top;
    return S_OK;
}

STDMETHODIMP CAccessible::accNavigate(long, VARIANT, VARIANT* end) {
    if (!end)
        return E_POINTER;
    ::VariantInit(end);
    return m_pSource ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

STDMETHODIMP CAccessible::accHitTest(long x, long y, VARIANT* child) {
    if (!child)
        return E_POINTER;
    ::VariantInit(child);
    if (!m_pSource)
        return CO_E_OBJNOTCONNECTED;
    const POINT pt = {x, y};
    const long count = m_pSource->AccChildCount();
    for (long id = 1; id <= count; ++id) {
        AccessibleItem item;
        if (m_pSource->AccDescribe(id, &item) && !(item.state & STATE_SYSTEM_INVISIBLE) &&
            ::PtInRect(&item.screen, pt)) {
            SetLong(child, id);
            return S_OK;
        }
    }
    RECT own{};
    if (::GetWindowRect(m_hWnd, &own) && ::PtInRect(&own, pt)) {
        SetLong(child, CHILDID_SELF);
        return S_OK;
    }
    return S_FALSE;
}

STDMETHODIMP CAccessible::accDoDefaultAction(VARIANT child) {
    if (!m_pSource)
        return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4)
        return E_INVALIDARG;
    return m_pSource->AccDoDefault(child.lVal) ? S_OK : E_INVALIDARG;
}

LRESULT CAccessibleHost::Answer(HWND window, IAccessibleSource* source, WPARAM wParam, LPARAM lParam,
                                BOOL& handled) {
    handled = FALSE;
    if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT))
        return 0;
    if (!m_pAccessible)
        m_pAccessible = new (std::nothrow) CAccessible(window, source);
    const LRESULT result = m_pAccessible ? m_pAccessible->Result(wParam) : 0;
    handled = result ? TRUE : FALSE;
    return result;
}

void CAccessibleHost::Disconnect() {
    if (!m_pAccessible)
        return;
    m_pAccessible->Disconnect();
    m_pAccessible->Release();
    m_pAccessible = nullptr;
}
