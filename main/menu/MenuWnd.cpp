#include "MenuWnd.h"

#include "AppModule.h"
#include "Dpi.h"
#include "Handles.h"
#include "MenuItemWnd.h"
#include "Skin.h"
#include "Text.h"
#include "Trace.h"
#include "TreeWnd.h"
#include "Utils.h"

#include <shlobj.h>
#include <windowsx.h>

#include <new>
#include <utility>
#include <vector>

namespace {

const int kDefaultWidth = 449;
const int kDefaultHeight = 486;
const UINT_PTR kTreeUpdateTimer = 1;
// A timer message comes only once nothing else waits; the delay keeps the
// reading clear of the opening's own work and well ahead of a pointer's way
// to the toggle.
const UINT kTreeUpdateDelay = 100; // ms

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

void CMenuWnd::PruneContextMenu(HMENU popup) {
    int remembered = ::GetMenuItemCount(popup);
    for (int pos = remembered - 1; pos >= 1; --pos) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID;
        if (!::GetMenuItemInfoW(popup, static_cast<UINT>(pos), TRUE, &info))
            continue;
        const bool separator = (info.fType & MFT_SEPARATOR) != 0;
        if ((separator && pos + 1 == remembered) || (!separator && info.wID == ID_POPUP_OPTIONS)) {
            ::DeleteMenu(popup, static_cast<UINT>(pos), MF_BYPOSITION);
            remembered = pos;
        } else if (separator) {
            remembered = pos;
        }
    }
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

void CMenuWnd::ShowMenu(int show, int offset, int edge) {
    if (!IsWindow())
        return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    MenuAnchor anchor = {monitor.rcMonitor, monitor.rcWork, {}, edge, offset};
    if (!m_hStartButton || !::GetWindowRect(m_hStartButton, &anchor.button)) {
        const RECT& rc = monitor.rcMonitor;
        anchor.button = {rc.left, rc.bottom, rc.left, rc.bottom}; // the corner a bottom taskbar starts at
    }
    ShowMenu(show, anchor);
}

void CMenuWnd::ShowMenu(int show, const MenuAnchor& anchor) {
    if (!IsWindow())
        return;
    if (show)
        ApplyDpi(fw::DpiOfMonitor(::MonitorFromRect(&anchor.monitor, MONITOR_DEFAULTTOPRIMARY)));
    const SIZE size = MenuSizeAt(m_nDpi);
    const POINT pt = PlaceMenu(anchor, size, fw::Scale(gSkin.nStartHeight, m_nDpi));

    RefreshMenu(show != 0);
    if (show) {
        if (m_hStartButton)
            ::SendMessageW(m_hStartButton, kMsgSetMode, 2, 0);
        m_bVisible = 1;
        ScheduleTreeUpdate(1);
        // Placed, shown and activated (as SW_SHOW does) in one step: each
        // step is a trip to the window system, and a move of the hidden
        // window cost near a tenth of a whole opening. The frames and
        // backgrounds are left to the paint, which copies every kept picture
        // at once: erased at the show, each child window was asked for its
        // frame and background one by one, a quarter of an opening.
        if (show == SW_SHOW) {
            ::SetWindowPos(m_hWnd, HWND_TOPMOST, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_DEFERERASE);
            return;
        }
        ::SetWindowPos(m_hWnd, HWND_TOPMOST, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    } else {
        ScheduleTreeUpdate(0);
        if (m_hStartButton)
            ::SendMessageW(m_hStartButton, kMsgSetMode, 0, 0);
        m_bVisible = 0;
    }
    ShowWindow(show);
}

void CMenuWnd::RefreshMenu(bool showing) {
    m_keys.Forget(); // each opening starts without a keyboard highlight
    m_bKeyPicture = 0;
    ClearSearch();
    for (auto& entry : m_buttons)
        entry.second->SetState(0);
    // The delayed repaint is for a menu being shown; for a hidden one it would
    // only wake the process while the menu is closed.
    SetUserPicture(nullptr, gSkin.GetImage(1), 1, showing ? 1 : 0);
    if (m_pPinnedList) {
        if (FileChangedSince(gSkin.szAppList, &m_nListTime))
            LoadPinnedList();
        else
            CollapseList(m_pPinnedList);
    }
    if (m_pAllPrograms)
        CollapseList(m_pAllPrograms);
    if (m_nAllAppMode == 1)
        SendMessage(WM_COMMAND, kCmdToggleAllApps, 0);
}

void CMenuWnd::ScheduleTreeUpdate(int showing) {
    // No timer while the menu is closed: a closed menu never wakes the process.
    if (showing)
        ::SetTimer(m_hWnd, kTreeUpdateTimer, kTreeUpdateDelay, nullptr);
    else
        ::KillTimer(m_hWnd, kTreeUpdateTimer);
}

LRESULT CMenuWnd::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam != kTreeUpdateTimer) {
        handled = FALSE;
        return 0;
    }
    // Input that came meanwhile goes first; the timer tries again.
    if (HIWORD(::GetQueueStatus(QS_INPUT)))
        return 0;
    ::KillTimer(m_hWnd, kTreeUpdateTimer);
    ShowLateAccountPicture();
    if (m_pSearchIndex)
        m_pSearchIndex->Start();
    // A shown tree is never refilled under the pointer: the toggle did that.
    CTreeWnd* tree = m_pAllPrograms.get();
    if (!tree || !tree->IsWindow() || (::GetWindowLongW(tree->m_hWnd, GWL_STYLE) & WS_VISIBLE) ||
        tree->IsAllProgramsCurrent())
        return 0;
    tree->FillAllPrograms();
    tree->ReadFirstPageTexts();
    return 0;
}

void CMenuWnd::SetUserPicture(HICON icon, Gdiplus::Image* image, int drawStateImage, int startTimer) {
    CMenuItemWnd* button = FindButton(0);
    if (!button || !button->GetSkinButton())
        return;
    const _skinButton* skin = button->GetSkinButton();
    button->SetIcon(icon, skin->nIconX, skin->nIconY);
    button->SetOverlayImage(image, skin->nPicX, skin->nPicY, skin->nPicWidth, skin->nPicHeight);
    button->SetDrawStateImage(drawStateImage);
    button->RestartRepaintTimer(startTimer);
    if (!drawStateImage)
        ::InvalidateRect(button->m_hWnd, nullptr, TRUE);
}

void CMenuWnd::ShowLateAccountPicture() {
    // A missing picture is looked for again here, with the menu open and idle,
    // rather than at every opening: one the account got since shows now.
    if (gSkin.GetImage(1))
        return;
    Gdiplus::Image* picture = gSkin.RetryAccountPicture();
    CMenuItemWnd* button = FindButton(0);
    if (!picture || !button || button->GetIcon()) // a hovered folder's icon stands in for it
        return;
    SetUserPicture(nullptr, picture, 1, 0);
    ::InvalidateRect(button->m_hWnd, nullptr, TRUE);
}

void CMenuWnd::FocusStartButton() {
    if (m_hStartButton)
        ::SetFocus(m_hStartButton);
}

LRESULT CMenuWnd::OnActivate(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (!m_bAlive)
        return 0;
    if (LOWORD(wParam) != WA_INACTIVE) {
        // Activating the hidden window (focus handed to it) does not show it.
        if (::IsWindowVisible(m_hWnd)) {
            m_bVisible = 1;
            // The keys come to the menu (the system's own activation would do this, but it is not called).
            const HWND focus = ::GetFocus();
            if (focus != m_hWnd && !::IsChild(m_hWnd, focus))
                ::SetFocus(m_hWnd);
        }
        return 0;
    }
    // A press on the start button activates the taskbar first: remember a hide
    // with the pointer on the button, so that the button's own WM_LBUTTONDOWN,
    // which follows, does not open the menu again. (The button state itself may
    // already be up again when this arrives.)
    m_dwClosedByButtonPress = 0;
    if (m_hStartButton && m_bVisible) {
        POINT cursor{};
        RECT rc{};
        if (::GetCursorPos(&cursor) && ::GetWindowRect(m_hStartButton, &rc) && ::PtInRect(&rc, cursor))
            m_dwClosedByButtonPress = ::GetTickCount() | 1;
    }
    // Whatever took the activation (a started program, a click elsewhere) closes the menu.
    ShowWindow(SW_HIDE);
    m_bVisible = 0;
    ScheduleTreeUpdate(0);
    if (m_hStartButton)
        ::PostMessageW(m_hStartButton, kMsgSetMode, 0, 0);
    return 0;
}

int CMenuWnd::TakeClosedByButtonPress() {
    DWORD when = m_dwClosedByButtonPress;
    m_dwClosedByButtonPress = 0;
    // Only the press that caused the hide counts, and it arrives at once.
    return when && ::GetTickCount() - when < ::GetDoubleClickTime() ? 1 : 0;
}

LRESULT CMenuWnd::OnNotify(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    // Senders are told apart by their window: a skin button's command id may be
    // any number, a list's id or the focus request among them.
    if (!lParam) {
        if (wParam == kTreeNotifyFocus)
            FocusStartButton();
        return 0;
    }
    const HWND from = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    if (from && (from == ListWindow(m_pPinnedList) || from == ListWindow(m_pAllPrograms) ||
                 from == ListWindow(m_pSearchResults))) {
        // Copied first: hiding the menu may reload the list that owns the record.
        wchar_t path[kPathCapacity];
        fw::StrCopy(path, reinterpret_cast<const _treeNotify*>(lParam)->szPath);
        ShowMenu(0, 0, 0);
        LaunchDetached(path, nullptr);
        return 0;
    }
    const CMenuItemWnd* button = ButtonOfWindow(from);
    const MenuButtonRole* role = button ? RoleOfCommand(button->GetCommandId()) : nullptr;
    if (!role || role->nHover == kHoverNone)
        return 0;
    // The hovered folder's icon stands in for the account picture until the mouse leaves.
    const _skinButton* skin = reinterpret_cast<const MenuItemNotify*>(lParam)->pSkinButton;
    if (role->nHover == kHoverIcon && skin && skin->hIcon)
        SetUserPicture(skin->hIcon.get(), nullptr, 0, 0);
    else
        SetUserPicture(nullptr, gSkin.GetImage(1), 1, 1);
    return 0;
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

LRESULT CMenuWnd::OnContextMenu(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    if (GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1)
        return 0; // the context-menu key: OnKeyDown showed the highlighted part's menu
    fw::UniqueMenu menu(::LoadMenuW(fw::gModule.GetResourceInstance(), MAKEINTRESOURCEW(IDR_MENU_POPUP)));
    if (!menu)
        return 0;
    if (HMENU popup = ::GetSubMenu(menu.get(), 0)) {
        const HWND target = reinterpret_cast<HWND>(wParam);
        // "Options" edits the pinned list: only the pinned list offers it.
        if (target == m_hWnd || (target && target == ListWindow(m_pAllPrograms)))
            PruneContextMenu(popup);
        ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), 0, m_hWnd, nullptr);
        if (!IsWindow())
            return 0; // torn down meanwhile, the start button may be gone too
        PostMessage(WM_NULL);
    }
    if (m_hStartButton && ::GetFocus() != m_hWnd)
        ::SetFocus(m_hStartButton);
    return 0;
}

void CMenuWnd::DrawBackground(HDC dc) {
    Gdiplus::Graphics graphics(dc);
    if (Gdiplus::Image* background = gSkin.pMenuBackground)
        DrawSkinImage(graphics, background, 0, 0, static_cast<INT>(background->GetWidth()),
                      static_cast<INT>(background->GetHeight()), m_nDpi);
    for (const auto& entry : gSkin.DrawImages()) {
        if (Gdiplus::Image* image = gSkin.GetImage(entry->nImage))
            DrawSkinImage(graphics, image, entry->x, entry->y, static_cast<INT>(image->GetWidth()),
                          static_cast<INT>(image->GetHeight()), m_nDpi);
    }
}

RECT CMenuWnd::WholeMenu() const {
    const SIZE size = MenuSizeAt(m_nDpi);
    return {0, 0, size.cx, size.cy};
}

bool CMenuWnd::MakeBackground(HDC dc) {
    // Composed once: the background covers the whole window, so the copy is the same picture.
    Gdiplus::Image* background = gSkin.pMenuBackground;
    return background && m_background.Make(dc, background, WholeMenu(), [&](HDC memory) { DrawBackground(memory); });
}

bool CMenuWnd::CopyBackground(HDC target, HDC compatible) {
    return MakeBackground(compatible) &&
           m_background.CopyIfCurrent(target, 0, 0, gSkin.pMenuBackground, WholeMenu());
}

void CMenuWnd::PrepareFirstPicture() {
    // At start-up's first idle moment: the pictures the first opening shows
    // are made now, so that the click only shows and copies them.
    if (!IsWindow())
        return;
    HDC screen = ::GetDC(nullptr);
    if (!screen)
        return;
    SetUserPicture(nullptr, gSkin.GetImage(1), 1, 0); // the account button as every opening shows it
    MakeBackground(screen);
    for (auto& entry : m_buttons)
        entry.second->PrepareFace(screen);
    ::ReleaseDC(nullptr, screen);
}

LRESULT CMenuWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    fw::PaintScope paint(m_hWnd);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    // The whole menu waits for its paint at every opening: see PaintWithChildren.
    RECT missed;
    if (::SubtractRect(&missed, &client, &paint.ps().rcPaint) == FALSE && PaintWithChildren())
        return 0;
    if (!CopyBackground(paint.dc(), paint.dc()))
        DrawBackground(paint.dc());
    return 0;
}

namespace {

struct ChildRects {
    HWND parent;
    std::vector<std::pair<HWND, RECT>> shown;
};

BOOL CALLBACK CollectShownChild(HWND child, LPARAM param) {
    auto* children = reinterpret_cast<ChildRects*>(param);
    RECT rc;
    if (::GetParent(child) == children->parent && ::IsWindowVisible(child) && ::GetWindowRect(child, &rc)) {
        ::MapWindowPoints(nullptr, children->parent, reinterpret_cast<POINT*>(&rc), 2);
        children->shown.emplace_back(child, rc);
    }
    return TRUE;
}

} // namespace

bool CMenuWnd::PaintWithChildren() {
    // Each window's own paint costs more than copying a kept picture, and at
    // an opening every window of the menu waits for one; each paint that
    // reaches the screen costs more than drawing a list's rows. The
    // background, the kept picture of every button (for the look it has now)
    // and the rows of every list are put together off the screen and copied
    // in one go; those windows are spared their own paint. A list with a frame
    // or a shown scroll bar, a button without a kept picture and a window that
    // shares pixels with another paint themselves.
    HDC dc = ::GetDCEx(m_hWnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    if (!dc)
        return false;
    const RECT whole = WholeMenu();
    HDC composed = m_composed.Get(dc, whole.right, whole.bottom);
    if (!composed || !CopyBackground(composed, dc)) {
        ::ReleaseDC(m_hWnd, dc);
        return false;
    }
    ChildRects children{m_hWnd, {}};
    ::EnumChildWindows(m_hWnd, CollectShownChild, reinterpret_cast<LPARAM>(&children));
    std::vector<HWND> drawn;
    for (const auto& child : children.shown) {
        bool alone = true;
        for (const auto& other : children.shown) {
            RECT common;
            if (other.first != child.first && ::IntersectRect(&common, &other.second, &child.second))
                alone = false;
        }
        const CMenuItemWnd* button = ButtonOfWindow(child.first);
        CTreeWnd* list = button ? nullptr : ListOfWindow(child.first);
        if (alone && ((button && button->PaintFromMenu(composed)) ||
                      (list && list->PaintFromMenu(composed, child.second.left, child.second.top))))
            drawn.push_back(child.first);
        else
            ::ExcludeClipRect(dc, child.second.left, child.second.top, child.second.right, child.second.bottom);
    }
    ::BitBlt(dc, 0, 0, whole.right, whole.bottom, composed, 0, 0, SRCCOPY);
    ::ReleaseDC(m_hWnd, dc);
    // Every shown window drawn (as at an opening): one trip validates them all.
    if (drawn.size() == children.shown.size()) {
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_VALIDATE | RDW_NOFRAME | RDW_ALLCHILDREN);
        return true;
    }
    for (HWND child : drawn)
        ::RedrawWindow(child, nullptr, nullptr, RDW_VALIDATE | RDW_NOFRAME | RDW_NOCHILDREN);
    return true;
}

LRESULT CMenuWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    m_bAlive = 0;
    // Joined while the window still exists: the thread posts to it.
    if (m_pSearchIndex)
        m_pSearchIndex->Stop();
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
