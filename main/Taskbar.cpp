#include "Taskbar.h"

#include "Pegwell.h"
#include "StartWnd.h"
#include "Startup.h"
#include "Trace.h"
#include "Utils.h"

#include <shellapi.h>

#include <algorithm>

namespace {

const UINT kTaskbarSendTimeout = 2000; // ms

WindowBox BoxOf(const RECT& rc) { return {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top}; }

} // namespace

HWND FindTaskbar(CStartWnd& button) {
    button.hTaskbar = ::FindWindowW(L"Shell_TrayWnd", L"");
    if (!button.hTaskbar) {
        Trace(L"FindWindow failed. (ClassName=Shell_TrayWnd)\n");
        return nullptr;
    }
    button.hRebar = ::FindWindowExW(button.hTaskbar, nullptr, L"ReBarWindow32", nullptr);
    if (!button.hRebar) {
        Trace(L"FindWindow failed. (ClassName=ReBarWindow32)\n");
        return nullptr;
    }
    return button.hTaskbar;
}

TaskbarLayout ComputeTaskbarLayout(UINT edge, const RECT& taskbar, const RECT& rebar, int size) {
    RECT rcButton = taskbar;
    RECT rcRebar = rebar;
    switch (edge) {
    case ABE_LEFT:
    case ABE_RIGHT:
        rcButton = {0, 1, taskbar.right, size};
        rcRebar.top = size;
        break;
    case ABE_TOP:
    case ABE_BOTTOM:
        rcButton = {1, 1, size, taskbar.bottom};
        rcRebar.left = size;
        break;
    default:
        break;
    }
    TaskbarLayout layout{BoxOf(rcButton), BoxOf(rcRebar)};
    layout.button.cy = std::max(layout.button.cy, kMinButtonHeight);
    return layout;
}

int PlaceOnTaskbar(HWND button, HWND taskbar, HWND rebar, int size) {
    LayOutOnTaskbar(button, taskbar, rebar, size);
    if (InstallHook(button, rebar))
        return 1;
    Trace(L"Install hook failed.\n");
    return 0;
}

void LayOutOnTaskbar(HWND button, HWND taskbar, HWND rebar, int size) {
    APPBARDATA abd{};
    abd.cbSize = sizeof(abd);
    UINT state = static_cast<UINT>(::SHAppBarMessage(ABM_GETSTATE, &abd));
    abd.hWnd = taskbar;
    ::SHAppBarMessage(ABM_GETTASKBARPOS, &abd);
    if (state & ABS_AUTOHIDE)
        ::SetActiveWindow(taskbar);

    // The button sits at the taskbar's client origin, so its client
    // coordinates are the taskbar's.
    RECT rcTaskbar{}, rcRebar{};
    ::GetWindowRect(taskbar, &rcTaskbar);
    ::GetWindowRect(rebar, &rcRebar);
    RectScreenToClient(button, &rcTaskbar);
    RectScreenToClient(button, &rcRebar);

    TaskbarLayout layout = ComputeTaskbarLayout(abd.uEdge, rcTaskbar, rcRebar, size);
    ::MoveWindow(rebar, layout.rebar.x, layout.rebar.y, layout.rebar.cx, layout.rebar.cy, TRUE);
    ::MoveWindow(button, layout.button.x, layout.button.y, layout.button.cx, layout.button.cy, TRUE);
}

int ReleaseTaskbar() {
    if (Uninstallhook())
        return 1;
    Trace(L"UnInstall hook failed.\n");
    return 0;
}

void RelayOutTaskbar(HWND taskbar) {
    // A taskbar that has already gone (shell ended) needs no lay-out.
    // The taskbar lives in the shell's process: a hung shell must not hang us.
    if (taskbar && ::IsWindow(taskbar)) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(taskbar, WM_SIZE, 0, 0, SMTO_ABORTIFHUNG, kTaskbarSendTimeout, &ignored);
    }
}

HWND CreateStartButton(CStartWnd& button, int showCommand) {
    HWND hwnd = button.Create(button.hTaskbar, fw::CWindowImplBase::rcDefault, L"Start.Button.Main",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    if (!hwnd)
        return nullptr;
    gStartButton = hwnd;
    ::ShowWindow(hwnd, showCommand);
    return hwnd;
}
