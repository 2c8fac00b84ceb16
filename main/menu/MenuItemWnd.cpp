#include "MenuItemWnd.h"

#include "Dpi.h"
#include "Handles.h"
#include "MenuProtocol.h"
#include "Skin.h"
#include "Text.h"
#include "Trace.h"
#include "Utils.h"

#include <windowsx.h>

#include <iterator>

namespace {

// Shell command identifiers (numbered from 1) that some folder buttons do not offer.
const UINT kProfileRemoved = 20;
const UINT kKnownFolderRemoved = 28;

// The icon's own size, 32 x 32 when it cannot be read.
SIZE IconSize(HICON icon) {
    SIZE size = {32, 32};
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info))
        return size;
    BITMAP bm{};
    if (HBITMAP shape = info.hbmColor ? info.hbmColor : info.hbmMask) {
        if (::GetObjectW(shape, sizeof(bm), &bm))
            size = {bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
    }
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    return size;
}

} // namespace

CMenuItemWnd::CMenuItemWnd(HWND& menu) : m_hMenu(menu) {}

CMenuItemWnd::~CMenuItemWnd() = default;

void CMenuItemWnd::SetCaption(const wchar_t* text) { fw::StrCopy(m_szCaption, text ? text : L""); }

void CMenuItemWnd::SetOverlayImage(Gdiplus::Image* image, int x, int y, int width, int height) {
    m_pOverlay = image;
    m_nOverlayX = x;
    m_nOverlayY = y;
    m_nOverlayWidth = width;
    m_nOverlayHeight = height;
}

void CMenuItemWnd::SetIcon(HICON icon, int x, int y) {
    m_hIcon = icon;
    m_nIconX = x;
    m_nIconY = y;
}

void CMenuItemWnd::RestartRepaintTimer(int start) {
    StopTimer(m_nRepaintTimer);
    if (start && m_hWnd)
        m_nRepaintTimer = ::SetTimer(m_hWnd, kTimerRepaint, kRepaintDelay, nullptr);
}

void CMenuItemWnd::SetState(int state) {
    // Every opening resets every button: one that looks the same is not painted again.
    const bool same = m_bArmed && !m_nKeyFocus && m_nState == state;
    m_bArmed = 1;
    m_nKeyFocus = 0;
    m_nState = state;
    if (m_hWnd && !same)
        Invalidate(TRUE);
}

void CMenuItemWnd::CustomizeFolderMenu(HMENU menu, int shellFolder, const GUID& knownFolder) {
    if (!menu)
        return;
    CShellPidl::RemoveCommands(menu, kDroppedCommands, std::size(kDroppedCommands));
    if (shellFolder == CSIDL_PROFILE)
        CShellPidl::RemoveCommands(menu, &kProfileRemoved, 1);
    if (!IsEqualGUID(knownFolder, GUID_NULL))
        CShellPidl::RemoveCommands(menu, &kKnownFolderRemoved, 1);
    CShellPidl::RemoveStraySeparators(menu);
}

void CMenuItemWnd::OnCustomizeMenu(HMENU menu) { CustomizeFolderMenu(menu, m_nShellFolder, m_knownFolder); }

void CMenuItemWnd::SetDpi(int dpi) {
    if (dpi == m_nDpi)
        return;
    m_nDpi = dpi;
    m_face.Reset();
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

int CMenuItemWnd::IsActive() const { return m_pSkinButton && m_pSkinButton->nActivate != 0; }

bool CMenuItemWnd::InAutoOpenZone(POINT pt) const {
    if (!m_pSkinButton || m_pSkinButton->nMenuAuto == 0 || m_pSkinButton->nMenuWidth <= 0)
        return false;
    RECT zone;
    ::GetClientRect(m_hWnd, &zone);
    zone.left = zone.right - fw::Scale(m_pSkinButton->nMenuWidth, m_nDpi);
    return ::PtInRect(&zone, pt) != FALSE;
}

void CMenuItemWnd::StopTimer(UINT_PTR& timer) {
    if (timer && m_hWnd)
        ::KillTimer(m_hWnd, timer);
    timer = 0;
}

void CMenuItemWnd::Notify(_skinButton* button) {
    if (!m_hMenu)
        return;
    // The record lives for the synchronous call only.
    MenuItemNotify record{{m_hWnd, m_nCommandId, 0}, button};
    ::SendMessageW(m_hMenu, WM_NOTIFY, m_nCommandId, reinterpret_cast<LPARAM>(&record));
}

LRESULT CMenuItemWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    Trace(L"CMenuItemWnd::OnCreate\n");
    return 0;
}

LRESULT CMenuItemWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    Trace(L"CMenuItemWnd::OnDestroy\n");
    m_accessible.Disconnect();
    // The window's timers die with it.
    m_nAutoOpenTimer = m_nHoverTimer = m_nRepaintTimer = 0;
    return 0;
}

LRESULT CMenuItemWnd::OnEraseBackground(UINT, WPARAM, LPARAM, BOOL& handled) {
    // Over the skin's background the paint covers the whole button: erasing
    // first only costs a fill and shows as a flash.
    handled = (gSkin.pMenuBackground && m_pSkinButton) ? TRUE : FALSE;
    return 1;
}

LRESULT CMenuItemWnd::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
    // A button has no frame: the default handling, sent for every button at
    // every opening, would only find nothing to draw.
    handled = HasNoFrame(m_hWnd);
    return 0;
}

LRESULT CMenuItemWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    fw::PaintScope paint(m_hWnd);
    if (m_pSkinButton)
        Paint(paint.dc());
    return 0;
}

CMenuItemWnd::Look CMenuItemWnd::CurrentLook() const {
    Look look{};
    look.state = m_nState;
    look.drawStateImage = m_bDrawStateImage;
    look.overlay = m_pOverlay;
    look.overlayRect = {m_nOverlayX, m_nOverlayY, m_nOverlayWidth, m_nOverlayHeight};
    look.icon = m_hIcon;
    look.iconAt = {m_nIconX, m_nIconY};
    fw::StrCopy(look.caption, m_szCaption);
    return look;
}

bool CMenuItemWnd::Look::operator==(const Look& other) const {
    return state == other.state && drawStateImage == other.drawStateImage && overlay == other.overlay &&
           ::EqualRect(&overlayRect, &other.overlayRect) && icon == other.icon && iconAt.x == other.iconAt.x &&
           iconAt.y == other.iconAt.y && wcscmp(caption, other.caption) == 0;
}

RECT CMenuItemWnd::PlaceInMenu() const {
    RECT placed;
    ::GetWindowRect(m_hWnd, &placed);
    RectScreenToClient(::GetParent(m_hWnd), &placed);
    return placed;
}

bool CMenuItemWnd::MakeFace(HDC dc, const RECT& placed) {
    // Over the skin's background the button covers its whole rectangle: the
    // picture is made once per look and copied at the next paints. The key
    // changes with the skin's background, the source with the place.
    if (!gSkin.pMenuBackground || !m_pSkinButton)
        return false;
    const Look look = CurrentLook();
    if (!(look == m_faceLook)) {
        m_face.Reset();
        m_faceLook = look;
    }
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    return m_face.Make(dc, gSkin.pMenuBackground, placed, [&](HDC memory) { PaintFace(memory, client); });
}

void CMenuItemWnd::Paint(HDC dc) {
    const RECT placed = PlaceInMenu();
    if (MakeFace(dc, placed) && m_face.CopyIfCurrent(dc, 0, 0, gSkin.pMenuBackground, placed))
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    PaintFace(dc, client);
}

void CMenuItemWnd::PrepareFace(HDC dc) {
    if (m_hWnd)
        MakeFace(dc, PlaceInMenu());
}

bool CMenuItemWnd::PaintFromMenu(HDC menuDc) const {
    if (!m_hWnd || !m_pSkinButton || !(CurrentLook() == m_faceLook))
        return false;
    const RECT placed = PlaceInMenu();
    return m_face.CopyIfCurrent(menuDc, placed.left, placed.top, gSkin.pMenuBackground, placed);
}

void CMenuItemWnd::PaintFace(HDC dc, const RECT& client) {
    {
        Gdiplus::Graphics graphics(dc);
        DrawBackgroundUnder(graphics, m_hWnd, GetParent(), m_nDpi);
        if (m_bDrawStateImage) {
            Gdiplus::Image* image = nullptr;
            if (m_nState == 0)
                image = m_pSkinButton->pImageNormal;
            else if (m_nState == 1)
                image = m_pSkinButton->pImageFocus     ? m_pSkinButton->pImageFocus
                        : m_pSkinButton->nFocus == -1 ? m_pSkinButton->pImageNormal
                                                      : gSkin.GetFocusImage(m_pSkinButton->nFocus);
            else if (m_nState == 2)
                image = m_pSkinButton->pImageMenu;
            if (image)
                DrawSkinImage(graphics, image, 0, 0, static_cast<INT>(image->GetWidth()),
                              static_cast<INT>(image->GetHeight()), m_nDpi);
        }
        if (m_pOverlay) {
            const bool natural = m_nOverlayWidth <= 0 || m_nOverlayHeight <= 0;
            DrawSkinImage(graphics, m_pOverlay, m_nOverlayX, m_nOverlayY,
                          natural ? static_cast<INT>(m_pOverlay->GetWidth()) : m_nOverlayWidth,
                          natural ? static_cast<INT>(m_pOverlay->GetHeight()) : m_nOverlayHeight, m_nDpi);
        }
    }
    if (m_hIcon) {
        if (m_nDpi == fw::kDesignDpi) {
            ::DrawIconEx(dc, m_nIconX, m_nIconY, m_hIcon, 0, 0, 0, nullptr, DI_NORMAL | DI_COMPAT);
        } else {
            const SIZE natural = IconSize(m_hIcon);
            ::DrawIconEx(dc, fw::Scale(m_nIconX, m_nDpi), fw::Scale(m_nIconY, m_nDpi), m_hIcon,
                         fw::Scale(natural.cx, m_nDpi), fw::Scale(natural.cy, m_nDpi), 0, nullptr, DI_NORMAL);
        }
    }
    Gdiplus::Font* font = gSkin.FontForDpi(m_nDpi);
    if (m_szCaption[0] && font) {
        Gdiplus::Graphics graphics(dc);
        const Gdiplus::Color* color =
            m_pSkinButton->pTextColor ? m_pSkinButton->pTextColor.get() : gSkin.pDefaultColor.get();
        Gdiplus::SolidBrush brush(color ? *color : Gdiplus::Color(255, 255, 255, 255));
        // The box ends at the button's right edge: moved by TEXT.X at full width it
        // reached past the edge, so a caption that should wrap was cut off there.
        const int textX = fw::Scale(m_pSkinButton->nTextX, m_nDpi);
        Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(client.left + textX),
                              static_cast<Gdiplus::REAL>(client.top + fw::Scale(m_pSkinButton->nTextY, m_nDpi)),
                              static_cast<Gdiplus::REAL>(client.right - client.left - textX),
                              static_cast<Gdiplus::REAL>(client.bottom - client.top));
        Gdiplus::StringFormat format(0);
        format.SetAlignment(Gdiplus::StringAlignmentNear);
        format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
        graphics.DrawString(m_szCaption, -1, font, layout, &format, &brush);
    }
}

LRESULT CMenuItemWnd::OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (!IsActive() || m_nShellFolder == -1)
        return 0;
    m_bClicked = 1; // the mouse leaves for the popup; keep the look
    fw::UniquePidl pidl;
    HRESULT hr = !IsEqualGUID(m_knownFolder, GUID_NULL)
                     ? ::SHGetKnownFolderIDList(m_knownFolder, 0, nullptr, pidl.put())
                     : ::SHGetSpecialFolderLocation(nullptr, m_nShellFolder, pidl.put());
    if (SUCCEEDED(hr) && pidl) {
        fw::ComPtr<IShellFolder> desktop;
        if (SUCCEEDED(::SHGetDesktopFolder(desktop.put()))) {
            POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ShowItemContextMenu(m_hWnd, desktop.get(), pidl.get(), pt);
        }
    } else {
        Trace(L"No item id list for the folder. hr=%lx\n", hr);
    }
    m_bClicked = 0;
    PostMessage(WM_NULL);
    return 0;
}

LRESULT CMenuItemWnd::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL&) {
    switch (wParam) {
    case kTimerAutoOpen:
        StopTimer(m_nAutoOpenTimer);
        m_bArmed = 0;
        m_bClicked = 1;
        m_nState = 2;
        Invalidate(TRUE);
        ::PostMessageW(GetParent(), WM_COMMAND, m_nCommandId + 1, 0);
        break;
    case kTimerHover:
        StopTimer(m_nHoverTimer);
        m_bNotified = 1;
        Notify(m_pSkinButton);
        break;
    case kTimerRepaint:
        if (m_nRepaintTimer) {
            StopTimer(m_nRepaintTimer);
            Invalidate(TRUE);
        }
        break;
    }
    return 0;
}

LRESULT CMenuItemWnd::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (!IsActive())
        return 0;
    if (!fw::MoveIsCurrent(m_hWnd))
        return 0;
    if (m_hCursor)
        ::SetCursor(m_hCursor);
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (::PtInRect(&client, pt)) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hWnd, 0};
        ::TrackMouseEvent(&track);
        if (m_nState != 1) { // every move lands here: repaint only on a change of look
            m_nState = 1;
            Invalidate(TRUE);
            ::SendMessageW(GetParent(), kMsgPointerHighlight, 0, reinterpret_cast<LPARAM>(m_hWnd));
        }
        m_bClicked = 0;
    }
    if (m_pSkinButton->nMenuAuto != 0 && m_pSkinButton->nMenuWidth > 0) {
        if (InAutoOpenZone(pt)) {
            if (!m_nAutoOpenTimer && m_bArmed)
                m_nAutoOpenTimer = ::SetTimer(m_hWnd, kTimerAutoOpen, static_cast<UINT>(m_pSkinButton->nMenuAuto),
                                              nullptr);
        } else {
            StopTimer(m_nAutoOpenTimer);
        }
    }
    if (!m_nHoverTimer && !m_bNotified)
        m_nHoverTimer = ::SetTimer(m_hWnd, kTimerHover, kHoverDelay, nullptr);
    return 0;
}

LRESULT CMenuItemWnd::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&) {
    if (!IsActive())
        return 0;
    if (m_hCursor)
        ::SetCursor(m_hCursor);
    ::SetCapture(m_hWnd);
    m_bCaptured = 1;
    return 0;
}

LRESULT CMenuItemWnd::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (!m_bCaptured)
        return 0;
    m_bCaptured = 0;
    ::ReleaseCapture();
    StopTimer(m_nAutoOpenTimer);
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (!::PtInRect(&client, pt) || !m_pSkinButton)
        return 0;
    Press(InAutoOpenZone(pt));
    return 0;
}

void CMenuItemWnd::Press(bool zone) {
    if (!m_pSkinButton || !IsActive())
        return;
    HWND parent = GetParent();
    m_bClicked = 1;
    if (zone) {
        m_nState = 2;
        Invalidate(TRUE);
        ::PostMessageW(parent, WM_COMMAND, m_nCommandId + 1, m_pSkinButton->nId);
        m_bArmed = 0;
    } else {
        ::PostMessageW(parent, WM_COMMAND, m_nCommandId, 0);
        ::PostMessageW(parent, kMsgUserCommand, m_nCommandId, m_pSkinButton->nId);
    }
}

LRESULT CMenuItemWnd::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&) {
    StopTimer(m_nAutoOpenTimer);
    StopTimer(m_nHoverTimer);
    StopTimer(m_nRepaintTimer);
    if (m_bClicked)
        return 0;
    m_bArmed = 1;
    m_bNotified = 0;
    m_nState = 0;
    Invalidate(TRUE);
    Notify(nullptr);
    return 0;
}
