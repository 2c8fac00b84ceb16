// Showing and hiding the menu, its losing the activation, and what its
// children tell it: a chosen list entry, a rested-on button, a right click.
#include "MenuWnd.h"

#include "AppModule.h"
#include "Dpi.h"
#include "Handles.h"
#include "MenuItemWnd.h"
#include "PackagedApps.h"
#include "RecentDocs.h"
#include "Skin.h"
#include "Text.h"
#include "TreeWnd.h"
#include "Utils.h"

#include <windowsx.h>

namespace {

const UINT_PTR kTreeUpdateTimer = 1;
// A timer message comes only once nothing else waits; the delay keeps the
// reading clear of the opening's own work and well ahead of a pointer's way
// to the toggle.
const UINT kTreeUpdateDelay = 100; // ms

} // namespace

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
    // The packaged apps, read again when a minute old: a newly read list refills the tree below.
    PackagedApps().SetIconSize(fw::Scale(16, m_nDpi));
    PackagedApps().Refresh(m_hWnd, kMsgSearchIndexed);
    // The recent documents, read again only when their folder changed (or the list is a minute old).
    RecentDocs().Refresh(m_hWnd, kMsgRecentRead);
    // A shown tree is never refilled under the pointer: the toggle did that.
    CTreeWnd* tree = m_pAllPrograms.get();
    if (!tree || !tree->IsWindow() || (::GetWindowLongW(tree->m_hWnd, GWL_STYLE) & WS_VISIBLE) ||
        tree->IsAllProgramsCurrent())
        return 0;
    tree->RefreshAllPrograms();
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
    if (m_hStartButton && m_bVisible && fw::PointerIsOver(m_hStartButton))
        m_dwClosedByButtonPress = ::GetTickCount() | 1;
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
        else if (wParam == kTreeNotifyPinsChanged)
            LoadPinnedList();
        return 0;
    }
    const HWND from = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    if (from && (from == ListWindow(m_pPinnedList) || from == ListWindow(m_pAllPrograms) ||
                 from == ListWindow(m_pSearchResults))) {
        // Copied first: hiding the menu may reload the list that owns the record.
        wchar_t path[kPathCapacity], name[256];
        fw::StrCopy(path, reinterpret_cast<const _treeNotify*>(lParam)->szPath);
        fw::StrCopy(name, reinterpret_cast<const _treeNotify*>(lParam)->szText);
        ShowMenu(0, 0, 0);
        if (LaunchPackagedApp(path, name) < 0)
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
