#include "Window.h"

#include "Text.h"

namespace fw {

namespace {
thread_local CWindowImplBase* t_creating = nullptr;
}

const RECT CWindowImplBase::rcDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

CWindowImplBase::~CWindowImplBase() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        // The object goes first: detach so that late messages reach the default procedure.
        ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        HWND h = m_hWnd;
        m_hWnd = nullptr;
        ::DestroyWindow(h);
    }
}

BOOL CWindowImplBase::DestroyWindow() {
    if (!m_hWnd)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

void CWindowImplBase::DestroyAndDelete() {
    m_deleteWhenFinal = true;
    HWND h = m_hWnd;
    if (h && ::IsWindow(h) && !m_destroyed) {
        // The final message deletes the object, inside this call when no
        // message of the window runs, else once the outermost one returns.
        if (::DestroyWindow(h) || !::IsWindow(h))
            return;
        // Not destroyed (another thread's window): nothing will finalise it.
        ::SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        m_hWnd = nullptr;
    }
    if (m_depth == 0)
        delete this;
}

CWindowImplBase* CWindowImplBase::TakeCreating() {
    CWindowImplBase* p = t_creating;
    t_creating = nullptr;
    return p;
}

void CWindowImplBase::SetCreating(CWindowImplBase* object) { t_creating = object; }

ATOM CWindowImplBase::RegisterClassFor(const void* key, UINT style, HCURSOR cursor, HBRUSH brush, wchar_t* nameOut,
                                       size_t nameCapacity) {
    StrFormat(nameOut, nameCapacity, L"Velmar:%p", key);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = brush;
    wc.lpszClassName = nameOut;
    ATOM atom = ::RegisterClassExW(&wc);
    if (!atom && ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
        atom = static_cast<ATOM>(::GetClassInfoExW(wc.hInstance, nameOut, &wc));
    return atom;
}

HWND CWindowImplBase::CreateImpl(LPCWSTR className, HWND parent, const RECT& rc, LPCWSTR title, DWORD style,
                                 DWORD exStyle, HMENU menuOrId) {
    if (m_hWnd)
        return nullptr;
    SetCreating(this);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (rc.left == CW_USEDEFAULT) {
        w = CW_USEDEFAULT;
        h = CW_USEDEFAULT;
        if (style & WS_CHILD) { // children cannot take the default position
            w = h = 0;
        }
    }
    int x = (rc.left == CW_USEDEFAULT && (style & WS_CHILD)) ? 0 : rc.left;
    int y = (rc.left == CW_USEDEFAULT && (style & WS_CHILD)) ? 0 : rc.top;
    HWND hwnd = ::CreateWindowExW(exStyle, className, title, style, x, y, w, h, parent, menuOrId,
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (t_creating == this) // the window never received a message
        t_creating = nullptr;
    // A failed create has already run the final message (m_hWnd is clear), and
    // that may have deleted the object: touch nothing of it.
    return hwnd;
}

LRESULT CWindowImplBase::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) { return ::DefWindowProcW(m_hWnd, msg, wp, lp); }

LRESULT CWindowImplBase::Dispatch(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp, bool* handled, bool* finalized) {
    *finalized = false;
    LRESULT result = 0;
    ++m_depth;
    BOOL done = FALSE;
    try {
        done = ProcessWindowMessage(hWnd, msg, wp, lp, result);
    } catch (...) {
        done = FALSE;
    }
    --m_depth;
    *handled = done != FALSE;
    if (msg == WM_NCDESTROY) {
        m_destroyed = true;
    }
    if (m_destroyed && m_depth == 0) {
        m_destroyed = false;
        const bool deleteObject = m_deleteWhenFinal;
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        m_hWnd = nullptr;
        *finalized = true;
        OnFinalMessage(hWnd);
        if (deleteObject)
            delete this;
    } else if (m_deleteWhenFinal && m_depth == 0 && !::IsWindow(hWnd)) {
        // Dropped while this message ran, and the window went without a
        // WM_NCDESTROY reaching us (another process destroyed its parent).
        *finalized = true;
        delete this;
    }
    return result;
}

LRESULT CALLBACK CWindowImplBase::WindowProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<CWindowImplBase*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!self) {
        self = TakeCreating();
        if (!self)
            return ::DefWindowProcW(hWnd, msg, wp, lp);
        self->m_hWnd = hWnd;
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    bool handled = false, finalized = false;
    LRESULT r = self->Dispatch(hWnd, msg, wp, lp, &handled, &finalized);
    if (handled)
        return r;
    if (finalized || msg == WM_NCDESTROY)
        return ::DefWindowProcW(hWnd, msg, wp, lp);
    return self->DefaultProc(msg, wp, lp);
}

bool PointerIsOver(HWND window) {
    POINT cursor{};
    RECT rc{};
    return ::GetCursorPos(&cursor) && ::GetWindowRect(window, &rc) && ::PtInRect(&rc, cursor);
}

bool MoveIsCurrent(HWND window) { return ::GetCapture() == window || PointerIsOver(window); }

} // namespace fw
