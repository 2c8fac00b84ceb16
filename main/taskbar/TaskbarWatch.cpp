#include "TaskbarWatch.h"

#include "ShellTaskbar.h"
#include "StartWnd.h"
#include "Taskbar.h"
#include "Trace.h"

#include <algorithm>
#include <new>

namespace {

const UINT_PTR kSyncTimer = 1;
const UINT kSyncInterval = 1000; // ms
// The shell makes its secondary taskbars some seconds after its primary one.
const int kSyncRounds = 10;

} // namespace

CTaskbarWatch::CTaskbarWatch(std::unique_ptr<CStartWnd, fw::WindowDeleter>& button, int showCommand)
    : m_button(button), m_nShowCommand(showCommand), m_uTaskbarCreated(::RegisterWindowMessageW(L"TaskbarCreated")) {}

HWND CTaskbarWatch::Create() {
    RECT rc = {0, 0, 0, 0};
    return fw::CWindowImpl<CTaskbarWatch>::Create(nullptr, rc, L"Velmar.Taskbar.Watch", WS_POPUP, WS_EX_TOOLWINDOW);
}

LRESULT CTaskbarWatch::OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL&) {
    HWND taskbar = FindShellTaskbar();
    CStartWnd* current = m_button.get();
    // A button placed nowhere (a XAML taskbar) is message-only: its taskbar is the one it was made for.
    const bool onIt = current && (current->bPlaced ? ::GetParent(current->m_hWnd) == taskbar : current->hTaskbar == taskbar);
    if (current && current->IsWindow() && taskbar && onIt) {
        SyncForAWhile(false); // still on the taskbar the shell means; the others may be new
        return 0;
    }

    std::unique_ptr<CStartWnd> fresh(new (std::nothrow) CStartWnd);
    if (!fresh || !FindTaskbar(*fresh))
        return 0; // the next broadcast tries again
    // The old button goes first: it removes the hook the new one installs.
    // Deferred should it be in its context menu: deleted once that returns.
    m_button.reset();
    if (!CreateStartButton(*fresh, m_nShowCommand)) {
        Trace(L"Start button re-creation failed.\n");
        return 0;
    }
    m_button.reset(fresh.release());
    SyncForAWhile(false);
    return 0;
}

LRESULT CTaskbarWatch::OnDisplayChange(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE; // the default handling stays
    FollowTaskbars();
    SyncForAWhile(true);
    return 0;
}

LRESULT CTaskbarWatch::OnSettingChange(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    // "Show taskbar on all displays" makes or closes the secondary taskbars.
    SyncForAWhile(false);
    return 0;
}

void CTaskbarWatch::SyncForAWhile(bool follow) {
    SyncSecondaryButtons();
    m_bFollow = m_bFollow || follow;
    m_nSyncsLeft = kSyncRounds;
    ::SetTimer(m_hWnd, kSyncTimer, kSyncInterval, nullptr);
}

void CTaskbarWatch::FollowTaskbars() {
    if (m_button)
        m_button->FollowTaskbar();
    for (const auto& button : m_secondary)
        button->FollowTaskbar();
}

LRESULT CTaskbarWatch::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam != kSyncTimer) {
        handled = FALSE;
        return 0;
    }
    SyncSecondaryButtons();
    if (m_bFollow)
        FollowTaskbars();
    if (--m_nSyncsLeft <= 0) {
        ::KillTimer(m_hWnd, kSyncTimer);
        m_bFollow = false;
    }
    return 0;
}

LRESULT CTaskbarWatch::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    // The loop's end takes the buttons off the taskbars, as "Exit Velmar" does.
    ::PostQuitMessage(0);
    return 0;
}

LRESULT CTaskbarWatch::OnEndSession(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (!wParam)
        return 0; // the session goes on
    ::KillTimer(m_hWnd, kSyncTimer);
    m_secondary.clear();
    m_button.reset();
    ::PostQuitMessage(0);
    return 0;
}

LRESULT CTaskbarWatch::OnButtonGone(UINT, WPARAM, LPARAM, BOOL&) {
    DropGoneButtons();
    return 0;
}

void CTaskbarWatch::DropGoneButtons() {
    m_secondary.erase(
        std::remove_if(m_secondary.begin(), m_secondary.end(), [](const auto& button) { return !button->IsWindow(); }),
        m_secondary.end());
}

void CTaskbarWatch::SyncSecondaryButtons() {
    DropGoneButtons();
    for (HWND taskbar : FindSecondaryTaskbars()) {
        const bool served = std::any_of(m_secondary.begin(), m_secondary.end(),
                                        [&](const auto& button) { return button->hTaskbar == taskbar; });
        HWND band = served ? nullptr : FindTaskbarBand(taskbar);
        if (!band)
            continue;
        std::unique_ptr<CStartWnd, fw::WindowDeleter> button(new (std::nothrow) CStartWnd);
        if (!button)
            return;
        button->bSecondary = true;
        button->hOwner = m_hWnd;
        button->hTaskbar = taskbar;
        button->hRebar = band;
        if (!CreateSecondaryButton(*button)) {
            Trace(L"A secondary Start button could not be created.\n");
            continue;
        }
        m_secondary.push_back(std::move(button));
    }
}
