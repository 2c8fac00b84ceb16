#include "BitmapButton.h"

#include "Text.h"
#include "Window.h"

namespace fw {

namespace {
const UINT_PTR kSubclassId = 0x4D42; // "BM"
}

CBitmapButton::~CBitmapButton() {
    UnsubclassWindow();
    if (m_hImages && !(m_dwExtendedStyle & kSharedImageList))
        ImageList_Destroy(m_hImages);
}

void CBitmapButton::SetImageList(HIMAGELIST images) {
    if (m_hImages && m_hImages != images && !(m_dwExtendedStyle & kSharedImageList))
        ImageList_Destroy(m_hImages);
    m_hImages = images;
}

void CBitmapButton::SetImages(int normal, int pushed, int hover, int disabled) {
    m_nImage[kNormal] = normal;
    m_nImage[kPushed] = pushed;
    m_nImage[kHover] = hover;
    m_nImage[kDisabled] = disabled;
}

void CBitmapButton::SetToolTipText(const wchar_t* text) {
    StrCopy(m_szToolTip, text ? text : L"");
    if (m_hToolTip) {
        TOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.hwnd = m_hWnd;
        ti.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
        ti.lpszText = m_szToolTip;
        ::SendMessageW(m_hToolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

BOOL CBitmapButton::SubclassWindow(HWND button) {
    if (m_hWnd || !::IsWindow(button))
        return FALSE;
    if (!::SetWindowSubclass(button, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return FALSE;
    m_hWnd = button;
    // Owner-drawn, so that the button procedure never paints a frame over the image.
    LONG_PTR style = ::GetWindowLongPtrW(button, GWL_STYLE);
    ::SetWindowLongPtrW(button, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    if ((m_dwExtendedStyle & kAutoSize) && m_hImages) {
        int cx = 0, cy = 0;
        if (ImageList_GetIconSize(m_hImages, &cx, &cy))
            ::SetWindowPos(button, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::InvalidateRect(button, nullptr, TRUE);
    return TRUE;
}

void CBitmapButton::UnsubclassWindow() {
    if (m_hToolTip) {
        ::DestroyWindow(m_hToolTip);
        m_hToolTip = nullptr;
    }
    if (m_hWnd) {
        ::RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
        m_hWnd = nullptr;
    }
    m_bHot = false;
}

void CBitmapButton::CreateToolTip() {
    m_hToolTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    if (!m_hToolTip)
        return;
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = m_hWnd;
    ti.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    ti.lpszText = m_szToolTip;
    ::SendMessageW(m_hToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

int CBitmapButton::ImageFor(UINT itemState) const {
    int image = -1;
    if (itemState & ODS_DISABLED)
        image = m_nImage[kDisabled];
    else if (itemState & ODS_SELECTED)
        image = m_nImage[kPushed];
    else if (m_bHot && (m_dwExtendedStyle & kHoverImages))
        image = m_nImage[kHover];
    return image >= 0 ? image : m_nImage[kNormal];
}

BOOL CBitmapButton::DrawItem(const DRAWITEMSTRUCT* item) {
    if (!item || !m_hWnd || item->hwndItem != m_hWnd)
        return FALSE;
    ::FillRect(item->hDC, &item->rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
    int image = ImageFor(item->itemState);
    if (m_hImages && image >= 0) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(m_hImages, &cx, &cy);
        int x = item->rcItem.left + (item->rcItem.right - item->rcItem.left - cx) / 2;
        int y = item->rcItem.top + (item->rcItem.bottom - item->rcItem.top - cy) / 2;
        ImageList_Draw(m_hImages, image, item->hDC, x, y, ILD_TRANSPARENT);
    }
    return TRUE;
}

LRESULT CALLBACK CBitmapButton::SubclassProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    return reinterpret_cast<CBitmapButton*>(data)->OnMessage(hWnd, msg, wp, lp);
}

LRESULT CBitmapButton::OnMessage(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (!m_hToolTip && m_szToolTip[0] && msg == WM_MOUSEMOVE)
        CreateToolTip(); // and the move that brought the mouse here starts its delay
    if (m_hToolTip && msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
        MSG relay{hWnd, msg, wp, lp, static_cast<DWORD>(::GetMessageTime()), {}};
        ::GetCursorPos(&relay.pt);
        ::SendMessageW(m_hToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
    }
    switch (msg) {
    case WM_MOUSEMOVE:
        if (!m_bHot && MoveIsCurrent(hWnd)) {
            m_bHot = true;
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hWnd, 0};
            ::TrackMouseEvent(&tme);
            if (m_dwExtendedStyle & kHoverImages)
                ::InvalidateRect(hWnd, nullptr, FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        m_bHot = false;
        if (m_dwExtendedStyle & kHoverImages)
            ::InvalidateRect(hWnd, nullptr, FALSE);
        break;
    case WM_ERASEBKGND:
        return 1; // DrawItem fills the whole button
    case WM_NCDESTROY: {
        LRESULT r = ::DefSubclassProc(hWnd, msg, wp, lp);
        UnsubclassWindow();
        return r;
    }
    default:
        break;
    }
    return ::DefSubclassProc(hWnd, msg, wp, lp);
}

} // namespace fw
