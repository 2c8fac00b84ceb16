#include "Taskbar.h"

#include "HookDecision.h"
#include "MenuWnd.h"
#include "Pegwell.h"
#include "ShellCalls.h"
#include "Trace.h"
#include "Utils.h"

#include <shellapi.h>

#include <algorithm>

namespace {

const UINT kTaskbarSendTimeout = 2000; // ms

WindowBox BoxOf(const RECT& rc) { return {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top}; }

MONITORINFO MonitorOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info;
}

// Moves rebar and button for a taskbar at `edge`, the button being at the
// taskbar's client origin (so that its client coordinates are the taskbar's).
void MoveButtonAndBand(HWND button, HWND taskbar, HWND rebar, UINT edge, int size) {
    RECT rcTaskbar{}, rcRebar{};
    ::GetWindowRect(taskbar, &rcTaskbar);
    ::GetWindowRect(rebar, &rcRebar);
    RectScreenToClient(button, &rcTaskbar);
    RectScreenToClient(button, &rcRebar);

    TaskbarLayout layout = ComputeTaskbarLayout(edge, rcTaskbar, rcRebar, size);
    MoveShellWindow(rebar, layout.rebar.x, layout.rebar.y, layout.rebar.cx, layout.rebar.cy);
    ::MoveWindow(button, layout.button.x, layout.button.y, layout.button.cx, layout.button.cy, TRUE);
}

bool IsShownChild(HWND child) {
    RECT rc{};
    return child && ::IsWindowVisible(child) && ::GetWindowRect(child, &rc) && rc.right > rc.left &&
           rc.bottom > rc.top;
}

UINT PlacedEdge(HWND taskbar, RECT* rc) {
    ::GetWindowRect(taskbar, rc);
    return EdgeOfTaskbar(*rc, MonitorOf(taskbar).rcMonitor);
}

} // namespace

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

TaskbarShape ShapeOfTaskbar(HWND taskbar, HWND* start) {
    *start = nullptr;
    HWND child = nullptr;
    while ((child = ::FindWindowExW(taskbar, child, L"Start", nullptr)) != nullptr) {
        if (IsShownChild(child)) {
            *start = child;
            return TaskbarShape::kStartButton;
        }
    }
    // The legacy children stay, hidden or empty, under the content that draws the taskbar.
    child = nullptr;
    while ((child = ::FindWindowExW(taskbar, child, L"Windows.UI.Composition.DesktopWindowContentBridge", nullptr)))
        if (IsShownChild(child))
            return TaskbarShape::kXaml;
    return TaskbarShape::kBand;
}

RECT FitPicture(SIZE picture, SIZE box) {
    if (picture.cx <= 0 || picture.cy <= 0 || box.cx <= 0 || box.cy <= 0)
        return {0, 0, 0, 0};
    // The smaller of the two scales, in integers: cx / picture.cx against cy / picture.cy.
    LONG cx = box.cx, cy = box.cy;
    if (static_cast<long long>(box.cx) * picture.cy > static_cast<long long>(box.cy) * picture.cx)
        cx = static_cast<LONG>(static_cast<long long>(picture.cx) * box.cy / picture.cy);
    else
        cy = static_cast<LONG>(static_cast<long long>(picture.cy) * box.cx / picture.cx);
    const LONG left = (box.cx - cx) / 2, top = (box.cy - cy) / 2;
    return {left, top, left + cx, top + cy};
}

void CoverShellStart(HWND button, HWND start) {
    RECT rc{};
    if (!::GetWindowRect(start, &rc))
        return;
    ::MapWindowPoints(nullptr, ::GetParent(button), reinterpret_cast<POINT*>(&rc), 2);
    // Above the shell's button, never instead of it: should Velmar end, it is there again.
    ::SetWindowPos(button, HWND_TOP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOACTIVATE);
    ::InvalidateRect(button, nullptr, TRUE);
}

int PlaceOverShellStart(HWND button, HWND start, bool primary) {
    CoverShellStart(button, start);
    // Nothing to push: the band, the search box and the task view stay where the shell puts them.
    if (primary && !InstallHook(button, HWND_MESSAGE)) {
        Trace(L"Install hook failed.\n");
        return 0;
    }
    if (WatchShellWindow(start, button, kMsgShellStartMoved))
        return 1;
    Trace(L"The shell's Start button cannot be followed.\n");
    return 0;
}

void ReleaseShellStart(HWND start, bool primary) {
    WatchShellWindow(start, nullptr, 0);
    if (primary)
        ReleaseTaskbar();
}

int PlaceOnTaskbar(HWND button, HWND taskbar, HWND rebar, int size) {
    LayOutOnTaskbar(button, taskbar, rebar, size);
    if (InstallHook(button, rebar))
        return 1;
    Trace(L"Install hook failed.\n");
    return 0;
}

void LayOutOnTaskbar(HWND button, HWND taskbar, HWND rebar, int size) {
    // No activation of an auto-hide taskbar here: that would take the focus
    // from the user's window each time the button is placed.
    APPBARDATA abd{};
    abd.cbSize = sizeof(abd);
    abd.hWnd = taskbar;
    RECT rc{};
    // A shell that does not answer in time: the edge its taskbar stands at.
    if (!AskShellAppBar(ABM_GETTASKBARPOS, &abd))
        abd.uEdge = PlacedEdge(taskbar, &rc);

    MoveButtonAndBand(button, taskbar, rebar, abd.uEdge, size);
}

void LayOutOnSecondaryTaskbar(HWND button, HWND taskbar, HWND rebar, int size) {
    RECT rc{};
    MoveButtonAndBand(button, taskbar, rebar, PlacedEdge(taskbar, &rc), size);
}

int ReleaseTaskbar() {
    if (Uninstallhook())
        return 1;
    Trace(L"UnInstall hook failed.\n");
    return 0;
}

std::vector<HWND> FindSecondaryTaskbars() {
    std::vector<HWND> taskbars;
    HWND taskbar = nullptr;
    while ((taskbar = ::FindWindowExW(nullptr, taskbar, L"Shell_SecondaryTrayWnd", nullptr)) != nullptr)
        taskbars.push_back(taskbar);
    return taskbars;
}

HWND FindTaskbarBand(HWND taskbar) {
    HWND band = ::FindWindowExW(taskbar, nullptr, L"ReBarWindow32", nullptr);
    return band ? band : ::FindWindowExW(taskbar, nullptr, L"WorkerW", nullptr);
}

int PlaceOnSecondaryTaskbar(HWND button, HWND taskbar, HWND rebar, int size) {
    RECT rc{};
    MoveButtonAndBand(button, taskbar, rebar, PlacedEdge(taskbar, &rc), size);
    if (AddHookTarget(rebar))
        return 1;
    Trace(L"Install hook failed.\n");
    return 0;
}

int ReleaseSecondaryTaskbar(HWND rebar) {
    if (RemoveHookTarget(rebar))
        return 1;
    Trace(L"UnInstall hook failed.\n");
    return 0;
}

MenuAnchor AnchorForButton(HWND button, HWND taskbar, bool primary, TaskbarAnswer* kept) {
    const MONITORINFO monitor = MonitorOf(taskbar);
    MenuAnchor anchor{monitor.rcMonitor, monitor.rcWork, {}, ABE_BOTTOM, 0};
    ::GetWindowRect(button, &anchor.button);
    if (primary) {
        TaskbarAnswer answer;
        answer.taskbar = taskbar;
        bool placed = ::GetWindowRect(taskbar, &answer.window) != FALSE;
        if (!kept || !placed || kept->taskbar != taskbar || !::EqualRect(&kept->window, &answer.window)) {
            APPBARDATA abd{};
            abd.cbSize = sizeof(abd);
            abd.hWnd = taskbar;
            if (!AskShellAppBar(ABM_GETTASKBARPOS, &abd)) {
                // No answer in time: the taskbar's place tells, and is not kept.
                abd.uEdge = PlacedEdge(taskbar, &abd.rc);
                placed = false;
            }
            answer.edge = abd.uEdge;
            answer.thickness = abd.rc.bottom - abd.rc.top;
            if (kept)
                *kept = placed ? answer : TaskbarAnswer{};
        } else {
            answer = *kept;
        }
        anchor.edge = static_cast<int>(answer.edge);
        anchor.offset = answer.thickness;
        return anchor;
    }
    RECT rc{};
    anchor.edge = static_cast<int>(PlacedEdge(taskbar, &rc));
    anchor.offset = anchor.edge == ABE_LEFT || anchor.edge == ABE_RIGHT ? rc.right - rc.left : rc.bottom - rc.top;
    return anchor;
}

void RelayOutTaskbar(HWND taskbar) {
    // A taskbar that has already gone (shell ended) needs no lay-out.
    // The taskbar lives in the shell's process: a hung shell must not hang us.
    if (taskbar && ::IsWindow(taskbar)) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(taskbar, WM_SIZE, 0, 0, SMTO_ABORTIFHUNG, kTaskbarSendTimeout, &ignored);
    }
}
