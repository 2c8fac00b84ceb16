#include "TaskbarWatch.h"

#include "StartWnd.h"
#include "Taskbar.h"
#include "Trace.h"

#include <new>

CTaskbarWatch::CTaskbarWatch(std::unique_ptr<CStartWnd>& button, int showCommand)
    : m_button(button), m_nShowCommand(showCommand), m_uTaskbarCreated(::RegisterWindowMessageW(L"TaskbarCreated")) {}

HWND CTaskbarWatch::Create() {
    RECT rc = {0, 0, 0, 0};
    return fw::CWindowImpl<CTaskbarWatch>::Create(nullptr, rc, L"Velmar.Taskbar.Watch", WS_POPUP, WS_EX_TOOLWINDOW);
}

LRESULT CTaskbarWatch::OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL&) {
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", L"");
    CStartWnd* current = m_button.get();
    if (current && current->IsWindow() && taskbar && ::GetParent(current->m_hWnd) == taskbar)
        return 0; // still on the taskbar the shell means

    std::unique_ptr<CStartWnd> fresh(new (std::nothrow) CStartWnd);
    if (!fresh || !FindTaskbar(*fresh))
        return 0; // the next broadcast tries again
    // The old button goes first: it removes the hook the new one installs.
    m_button.reset();
    if (!CreateStartButton(*fresh, m_nShowCommand)) {
        Trace(L"Start button re-creation failed.\n");
        return 0;
    }
    m_button = std::move(fresh);
    return 0;
}
