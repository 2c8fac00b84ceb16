// The menu window's making and its layout: the button table, the buttons and
// lists OnCreate builds, the place by the taskbar, the size at a DPI, and the
// teardown. Showing and hiding are in MenuWndShow.cpp, painting in
// MenuWndPaint.cpp.
#include "MenuWnd.h"

#include "Dpi.h"
#include "MenuItemWnd.h"
#include "PackagedApps.h"
#include "RecentDocs.h"
#include "Skin.h"
#include "Trace.h"
#include "TreeWnd.h"

#include <shlobj.h>

#include <new>
#include <utility>

namespace {

const int kDefaultWidth = 449;
const int kDefaultHeight = 486;

// The button table: one row per ID key. Commands follow their rows here, in
// the folder handlers and in the hover notifications.
const MenuButtonRole kButtonRoles[] = {
    {0, kCmdUserAccount, -1, GUID_NULL, kHoverNone},
    {1, kCmdUser, CSIDL_PROFILE, FOLDERID_Profile, kHoverIcon},
    {2, kCmdDocuments, CSIDL_PERSONAL, FOLDERID_DocumentsLibrary, kHoverIcon},
    {3, kCmdPictures, CSIDL_MYPICTURES, FOLDERID_PicturesLibrary, kHoverIcon},
    {4, kCmdMusic, CSIDL_MYMUSIC, FOLDERID_MusicLibrary, kHoverIcon},
    {5, kCmdComputer, CSIDL_DRIVES, GUID_NULL, kHoverIcon},
    {6, kCmdControlPanel, CSIDL_CONTROLS, GUID_NULL, kHoverIcon},
    {7, kCmdPrinters, CSIDL_PRINTERS, GUID_NULL, kHoverIcon},
    {8, kCmdPrograms, CSIDL_PROGRAMS, GUID_NULL, kHoverIcon},
    {9, kCmdShutdown, -1, GUID_NULL, kHoverPicture},
    {10, kCmdAllApps, -1, GUID_NULL, kHoverNone},
    {kRecentItemsIdKey, kCmdRecentItems, -1, GUID_NULL, kHoverIcon},
};

} // namespace

MenuButtonRole CMenuWnd::RoleOfButton(int idKey) {
    for (const MenuButtonRole& role : kButtonRoles)
        if (role.nIdKey == idKey)
            return role;
    return {idKey, static_cast<UINT>(idKey), -1, GUID_NULL, kHoverNone}; // a custom button: only its CMD runs
}

const MenuButtonRole* CMenuWnd::RoleOfCommand(UINT command) {
    for (const MenuButtonRole& role : kButtonRoles)
        if (role.nCommand == command)
            return &role;
    return nullptr;
}

CMenuWnd::CMenuWnd(HWND& startButton) : m_hStartButton(startButton) {}

CMenuWnd::~CMenuWnd() {
    // Destroying the window here still runs OnDestroy, which frees the children in order.
    if (IsWindow())
        DestroyWindow();
    m_pSearchIndex.reset();
}

HWND CMenuWnd::CreateMenuWindow() {
    return Create(nullptr, rcDefault, L"Velmar.Menu.Class", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                  WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT);
}

CMenuItemWnd* CMenuWnd::FindButton(int idKey) const {
    auto it = m_buttons.find(idKey);
    return it == m_buttons.end() ? nullptr : it->second.get();
}

POINT CMenuWnd::MenuPosition(const RECT& monitor, SIZE menu, int offset, int edge, int startHeight) {
    switch (edge) {
    case ABE_LEFT: return {0, startHeight};
    case ABE_TOP: return {0, offset};
    case ABE_RIGHT: return {monitor.right - menu.cx, startHeight};
    case ABE_BOTTOM: return {0, monitor.bottom - menu.cy - offset};
    default: return {0, 0};
    }
}

namespace {

// The start of a span of `length` inside [low, high); a span longer than that
// starts at the side nearest `anchor`.
LONG FitSpan(LONG start, LONG length, LONG low, LONG high, LONG anchor) {
    if (length > high - low)
        return anchor - low <= high - anchor ? low : high - length;
    if (start < low)
        return low;
    return start + length > high ? high - length : start;
}

} // namespace

POINT CMenuWnd::PlaceMenu(const MenuAnchor& anchor, SIZE menu, int startHeight) {
    const RECT& monitor = anchor.monitor;
    const RECT local = {0, 0, monitor.right - monitor.left, monitor.bottom - monitor.top};
    POINT pt = MenuPosition(local, menu, anchor.offset, anchor.edge, startHeight);
    pt.x += monitor.left;
    pt.y += monitor.top;
    // A work area outside the monitor or empty says nothing (Wine gives one
    // with a taskbar at a side); the monitor itself is then the bound.
    RECT work{};
    if (!::IntersectRect(&work, &anchor.work, &monitor))
        work = monitor;
    const RECT& button = anchor.button;
    pt.x = FitSpan(pt.x, menu.cx, work.left, work.right, (button.left + button.right) / 2);
    pt.y = FitSpan(pt.y, menu.cy, work.top, work.bottom, (button.top + button.bottom) / 2);
    return pt;
}

SIZE CMenuWnd::MenuSizeAt(int dpi) {
    // Without a background the menu keeps a fixed size: placing a window as if
    // it had none would push it off the screen's edge.
    SIZE design = {kDefaultWidth, kDefaultHeight};
    if (Gdiplus::Image* background = gSkin.pMenuBackground)
        design = {static_cast<LONG>(background->GetWidth()), static_cast<LONG>(background->GetHeight())};
    return {fw::Scale(design.cx, dpi), fw::Scale(design.cy, dpi)};
}

RECT CMenuWnd::ButtonRectAt(const _skinButton& skin, int dpi) {
    return fw::ScaleRect({skin.nPosX, skin.nPosY, skin.nPosX + skin.nPosWidth, skin.nPosY + skin.nPosHeight}, dpi);
}

void CMenuWnd::ApplyDpi(int dpi) {
    if (dpi <= 0)
        dpi = fw::kDesignDpi;
    if (dpi == m_nDpi || !IsWindow())
        return;
    m_nDpi = dpi;
    const SIZE size = MenuSizeAt(dpi);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (auto& entry : m_buttons) {
        CMenuItemWnd* button = entry.second.get();
        if (const _skinButton* skin = button->GetSkinButton()) {
            const RECT rc = ButtonRectAt(*skin, dpi);
            ::MoveWindow(button->m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
        }
        button->SetDpi(dpi);
    }
    // Rows, icons and text of the lists are made for one DPI: both are made again.
    ClearSearch();
    m_pPinnedList.reset();
    m_pAllPrograms.reset();
    m_pSearchResults.reset();
    m_pSearchLine.reset();
    LoadAllPrograms();
    LoadPinnedList();
    if (m_nAllAppMode) {
        ShowList(m_pPinnedList, SW_HIDE);
        ShowList(m_pAllPrograms, SW_SHOW);
    }
    m_background.Reset();
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

LRESULT CMenuWnd::OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    // Moved to a monitor of another scale: the suggested place keeps it where the user sees it.
    ApplyDpi(HIWORD(wParam));
    if (const RECT* suggested = reinterpret_cast<const RECT*>(lParam))
        ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT CMenuWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    gSkin.LoadMenuParts(); // when the menu is opened before start-up got to it
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // Made for the start button's monitor, where it opens.
    m_nDpi = fw::DpiOfMonitor(::MonitorFromWindow(m_hStartButton ? m_hStartButton : m_hWnd, MONITOR_DEFAULTTOPRIMARY));
    const SIZE size = MenuSizeAt(m_nDpi);
    // Made at start-up's first idle moment, the hidden menu must not take the
    // activation (and the keys) from the window the user works in.
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, work.bottom - size.cy + 1, size.cx, size.cy,
                   SWP_HIDEWINDOW | SWP_NOACTIVATE);
    CreateButtons();
    LoadAllPrograms();
    LoadPinnedList();
    // The index of Start Menu names is read on its own thread, started at the
    // opened menu's first idle moment (or the first typed character): while
    // the menu first opens it would take a core and the server from it.
    if (!m_pSearchIndex)
        m_pSearchIndex.reset(new (std::nothrow) CSearchIndexer(m_hWnd, kMsgSearchIndexed));
    m_nAllAppMode = 0;
    m_bVisible = 0;
    m_bAlive = 1;
    // A window made again after a destroy reuses the event of the first.
    if (m_hReleased)
        ::ResetEvent(m_hReleased.get());
    else
        m_hReleased.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return 0;
}

void CMenuWnd::CreateButtons() {
    for (const auto& record : gSkin.buttons) {
        _skinButton* skin = record.get();
        std::unique_ptr<CMenuItemWnd, fw::WindowDeleter> button(new (std::nothrow) CMenuItemWnd(m_hWnd));
        if (!button)
            continue;
        button->SetSkinButton(skin);
        const MenuButtonRole role = RoleOfButton(skin->nId);
        button->SetCommandId(role.nCommand);
        button->SetShellFolder(role.nShellFolder);
        button->SetKnownFolder(role.knownFolder);
        button->SetCaption(role.nCommand == kCmdUser ? gSkin.GetAccountName() : skin->szText);
        if (role.nCommand == kCmdAllApps) {
            if (Gdiplus::Image* image = gSkin.GetImage(100))
                button->SetOverlayImage(image, 5, 5, -1, -1);
        } else if (role.nCommand == kCmdUserAccount) {
            if (Gdiplus::Image* picture = gSkin.GetImage(1))
                button->SetOverlayImage(picture, skin->nPicX, skin->nPicY, skin->nPicWidth, skin->nPicHeight);
        }
        button->SetDpi(m_nDpi);
        const RECT rc = ButtonRectAt(*skin, m_nDpi);
        if (!button->Create(m_hWnd, rc, nullptr, WS_CHILD | WS_CLIPCHILDREN, WS_EX_COMPOSITED | WS_EX_CONTROLPARENT)) {
            Trace(L"Failed to create the menu button %d\n", skin->nId);
            continue;
        }
        button->ShowWindow(SW_SHOW);
        if (role.nCommand == kCmdUserAccount)
            button->SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        m_buttons.emplace(skin->nId, std::move(button));
    }
}

CMenuItemWnd* CMenuWnd::ButtonOfWindow(HWND window) const {
    for (const auto& entry : m_buttons)
        if (window && entry.second->m_hWnd == window)
            return entry.second.get();
    return nullptr;
}

CTreeWnd* CMenuWnd::ListOfWindow(HWND window) const {
    for (const ListPtr* list : {&m_pPinnedList, &m_pAllPrograms, &m_pSearchResults})
        if (window && window == ListWindow(*list))
            return list->get();
    return nullptr;
}

LRESULT CMenuWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    m_bAlive = 0;
    // Joined while the window still exists: the thread posts to it.
    if (m_pSearchIndex)
        m_pSearchIndex->Stop();
    PackagedApps().Stop();
    RecentDocs().Stop(); // bounded: a reading caught in a slow call is left to end on its own
    m_strSearch.clear();
    m_bSearchShown = 0;
    m_pSearchLine.reset();
    m_pPinnedList.reset();
    m_pAllPrograms.reset();
    m_pSearchResults.reset();
    m_searchIcons.clear();
    // Each button goes once none of its messages runs (one may be in its context menu).
    m_buttons.clear();
    if (m_hReleased)
        ::SetEvent(m_hReleased.get());
    return 0;
}
