// The Start menu end to end: Velmar.exe with Pegwell.dll and the default skin
// in a scratch folder, standin_taskbar.exe playing the shell, and real X input
// (XInput.h). The menu is a top-level window of Velmar's process, so Wine draws
// it; its place, visibility and the button's mode are checked here, its pixels
// by the component tests and menu_preview.exe.
#include "VelmarEndToEnd.h"

#include <shellapi.h>

#include <set>
#include <string>

namespace {

std::set<HWND> VisibleTopLevelWindows() {
    std::set<HWND> windows;
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            if (IsWindowVisible(h))
                reinterpret_cast<std::set<HWND>*>(lp)->insert(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

using MenuEndToEnd = VelmarEndToEnd;

} // namespace

TEST_F(MenuEndToEnd, AClickShowsTheMenuByTheTaskbarOfEveryEdgeWithTheButtonPressed) {
    for (UINT edge : {ABE_BOTTOM, ABE_TOP, ABE_LEFT, ABE_RIGHT}) {
        SCOPED_TRACE(edge);
        Start(edge);
        ASSERT_NO_FATAL_FAILURE(OpenMenu());
        EXPECT_TRUE(WaitFor([&] { return Mode() == 2; })) << "the Start button does not look pressed";
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(Menu(), MONITOR_DEFAULTTOPRIMARY), &monitor);
        RECT menu, taskbar;
        GetWindowRect(Menu(), &menu);
        GetWindowRect(standin.Taskbar(), &taskbar);
        const int width = menu.right - menu.left, height = menu.bottom - menu.top;
        const int offset = taskbar.bottom - taskbar.top;
        const int top = Skin(L"DESIGN", L"STBTN.HEIGHT", 54);
        const POINT expected = edge == ABE_BOTTOM ? POINT{0, monitor.rcMonitor.bottom - height - offset}
                               : edge == ABE_TOP  ? POINT{0, offset}
                               : edge == ABE_LEFT ? POINT{0, top}
                                                  : POINT{monitor.rcMonitor.right - width, top};
        EXPECT_EQ(expected.x, menu.left);
        EXPECT_EQ(expected.y, menu.top);
        EXPECT_TRUE(GetWindowLongW(Menu(), GWL_EXSTYLE) & WS_EX_TOPMOST);
        Stop();
    }
}

TEST_F(MenuEndToEnd, AFolderButtonOpensAShellWindowWithTheMenuAlreadyHidden) {
    Start(ABE_BOTTOM);
    ASSERT_NO_FATAL_FAILURE(OpenMenu());
    const std::set<HWND> before = VisibleTopLevelWindows();
    ASSERT_TRUE(XClick(SkinButtonCentre(L"documents")));
    HWND opened = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            for (HWND h : VisibleTopLevelWindows()) {
                DWORD pid = OwnerProcess(h);
                if (!before.count(h) && pid != velmar.Id() && pid != standin.ProcessId() &&
                    pid != GetCurrentProcessId()) {
                    opened = h;
                    return true;
                }
            }
            return false;
        },
        20000))
        << "no shell window opened";
    EXPECT_FALSE(MenuShown());
    EXPECT_TRUE(WaitFor([&] { return Mode() == 0; })) << "the Start button still looks pressed";
    PostMessageW(opened, WM_CLOSE, 0, 0);
}

TEST_F(MenuEndToEnd, AClickOutsideHidesTheMenuAndReleasesTheButton) {
    Start(ABE_BOTTOM);
    ASSERT_NO_FATAL_FAILURE(OpenMenu());
    ASSERT_TRUE(WaitFor([&] { return Mode() == 2; }));
    RECT menu;
    GetWindowRect(Menu(), &menu);
    ASSERT_TRUE(XClick({menu.right + 200, (menu.top + menu.bottom) / 2})); // the bare desktop
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); })) << "the menu stayed open";
    EXPECT_TRUE(WaitFor([&] { return Mode() == 0; })) << "the Start button still looks pressed";
    // With the activation elsewhere, the next click on the button opens the menu again.
    ASSERT_NO_FATAL_FAILURE(OpenMenu());
    EXPECT_TRUE(MenuShown()) << "the menu closed again at once";
}
