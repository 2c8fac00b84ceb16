// The Start button end to end: Velmar.exe with Pegwell.dll and the default
// skin in a scratch folder, standin_taskbar.exe playing the shell, and real X
// input through xdotool (XInput.h).
//
// Under Wine a child window made by another process is not drawn, so these
// tests look at the button's place, parent and state (the window property
// "Velmar.Start.Mode" mirrors its look), never at its pixels; the component
// tests read those where the taskbar lives in the same process.
#include "StandinClient.h"
#include "VelmarEndToEnd.h"

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

RECT RectInParent(HWND window) {
    RECT rc;
    GetWindowRect(window, &rc);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

using StartButtonEndToEnd = VelmarEndToEnd;

} // namespace

TEST_F(StartButtonEndToEnd, SitsAtTheStartOfTheTaskbarOnEveryEdgeWithTheRebarPushedAside) {
    for (UINT edge : {ABE_BOTTOM, ABE_LEFT, ABE_TOP, ABE_RIGHT}) {
        SCOPED_TRACE(EdgeName(edge));
        StartTaskbar(standin, edge);
        StartVelmar();
        HWND button = Button(standin.Taskbar());
        ASSERT_TRUE(button);
        EXPECT_EQ(standin.Taskbar(), GetParent(button));
        EXPECT_EQ(velmar.Id(), OwnerProcess(button));
        EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS),
                  GetWindowLongW(button, GWL_STYLE) & static_cast<LONG>(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS));
        EXPECT_TRUE(GetWindowLongW(button, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

        RECT client;
        GetClientRect(standin.Taskbar(), &client);
        RECT rc = RectInParent(button);
        RECT rebar = standin::RebarPlacement(standin.Taskbar());
        if (edge == ABE_LEFT || edge == ABE_RIGHT) {
            EXPECT_EQ((RECT{0, 1, client.right, std::max(size, 41)}), rc);
            EXPECT_EQ(size, rebar.top);
            EXPECT_EQ(client.bottom, rebar.bottom);
        } else {
            EXPECT_EQ((RECT{1, 1, size, std::max<LONG>(client.bottom, 41)}), rc);
            EXPECT_EQ(size, rebar.left);
            EXPECT_EQ(client.right, rebar.right);
        }
        // When the shell lays its band out again, the hook keeps it clear of the button.
        ASSERT_TRUE(standin::Relayout(standin.Taskbar(), 0, 0, 0, 0));
        rebar = standin::RebarPlacement(standin.Taskbar());
        EXPECT_EQ(size, edge == ABE_LEFT || edge == ABE_RIGHT ? rebar.top : rebar.left);

        PostMessageW(button, WM_COMMAND, ID_START_EXIT, 0);
        EXPECT_EQ(0u, velmar.Wait());
        standin.Stop();
    }
}

TEST_F(StartButtonEndToEnd, ClickOpensTheMenuAndExitVelmarFromTheContextMenuEndsWithZero) {
    StartTaskbar(standin, ABE_BOTTOM);
    StartVelmar();
    HWND button = Button(standin.Taskbar());
    ASSERT_TRUE(button);

    ASSERT_TRUE(XClick(Centre(button)));
    ASSERT_TRUE(WaitFor([&] { return MenuShown(); })) << "no menu after a click on the button";
    EXPECT_TRUE(WaitFor([&] { return Mode(button) == 2; })) << "the button does not look pressed";
    RECT menu;
    GetWindowRect(Menu(), &menu);
    RECT taskbar;
    GetWindowRect(standin.Taskbar(), &taskbar);
    EXPECT_EQ(0, menu.left);
    EXPECT_EQ(taskbar.top, menu.bottom) << "the menu stands on the taskbar";

    // A second click closes it, a third opens it again.
    ASSERT_TRUE(XClick(Centre(button)));
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); })) << "a click on the button did not close the menu";
    EXPECT_TRUE(WaitFor([&] { return Mode(button) != 2; }));
    ASSERT_TRUE(XClick(Centre(button)));
    EXPECT_TRUE(WaitFor([&] { return MenuShown(); })) << "the menu did not open again";

    HWND popup = OpenContextMenu(button);
    ASSERT_TRUE(popup) << "no context menu after a right click";
    EXPECT_FALSE(MenuShown()) << "the start menu hides when it loses the activation";
    ChooseExit(popup);
    EXPECT_EQ(0u, velmar.Wait());
    EXPECT_FALSE(IsWindow(button));
    // The taskbar was asked to lay out again: the band starts at its origin.
    EXPECT_EQ(0, standin::RebarPlacement(standin.Taskbar()).left);
}

TEST_F(StartButtonEndToEnd, WindowsKeyAloneTogglesTheMenu) {
    StartTaskbar(standin, ABE_BOTTOM);
    StartVelmar();
    HWND button = Button(standin.Taskbar());
    ASSERT_TRUE(button);
    ASSERT_TRUE(XKeys("Super_L"));
    ASSERT_TRUE(WaitFor([&] { return MenuShown(); })) << "the Windows key did not open the menu";
    EXPECT_TRUE(WaitFor([&] { return Mode(button) == 2; }));
    ASSERT_TRUE(XKeys("Super_L"));
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); })) << "the Windows key did not close the menu";
    EXPECT_TRUE(WaitFor([&] { return Mode(button) == 0; }));
}

namespace {

std::vector<std::pair<UINT, WPARAM>> gKeys;

LRESULT CALLBACK RecordKeys(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP)
        gKeys.emplace_back(msg, wParam);
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

} // namespace

TEST_F(StartButtonEndToEnd, WindowsKeyShortcutReachesTheFocusedWindowWithItsWindowsKey) {
    StartTaskbar(standin, ABE_BOTTOM);
    StartVelmar();
    ASSERT_TRUE(Button(standin.Taskbar()));

    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecordKeys;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Velmar.Test.KeyRecorder";
    RegisterClassW(&wc);
    // Topmost, so that the click below lands on it whatever earlier programs left on the desktop.
    HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"keys", WS_POPUP | WS_VISIBLE, 400, 200, 300, 200,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(window);
    SetForegroundWindow(window);
    SetFocus(window);
    XClick({550, 300}); // the X focus follows a real click
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    gKeys.clear();

    ASSERT_TRUE(Xdotool("keydown Super_L key e keyup Super_L"));
    for (int i = 0; i < 100 && gKeys.size() < 4; ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_KEYDOWN, VK_LWIN}, {WM_KEYDOWN, 'E'}, {WM_KEYUP, 'E'}, {WM_KEYUP, VK_LWIN}};
    EXPECT_EQ(expected, gKeys) << "the shortcut lost or reordered a key";
    EXPECT_FALSE(MenuShown()) << "a shortcut must not open the menu";
    DestroyWindow(window);
}

TEST_F(StartButtonEndToEnd, ComesBackWhenTheShellMakesItsTaskbarAgain) {
    StartTaskbar(standin, ABE_BOTTOM);
    StartVelmar();
    ASSERT_TRUE(Button(standin.Taskbar()));

    // The shell ends in order: its taskbar is destroyed with the button on it.
    standin.Stop();
    ASSERT_TRUE(WaitFor([&] { return FindWindowW(nullptr, L"Start.Button.Main") == nullptr; }));
    EXPECT_TRUE(velmar.Running()) << "Velmar ended with the taskbar";

    CStandinProcess second;
    StartTaskbar(second, ABE_LEFT);
    HWND button = Button(second.Taskbar());
    ASSERT_TRUE(button) << "no button on the new taskbar";
    EXPECT_EQ(velmar.Id(), OwnerProcess(button));
    EXPECT_TRUE(WaitFor([&] { return standin::RebarPlacement(second.Taskbar()).top == size; }));

    // The shell dies: its windows go without a word to the button's process.
    TerminateProcess(second.Process(), 1);
    WaitForSingleObject(second.Process(), 10000);
    EXPECT_TRUE(velmar.Running());

    CStandinProcess third;
    StartTaskbar(third, ABE_BOTTOM);
    button = Button(third.Taskbar());
    ASSERT_TRUE(button) << "no button after the shell was killed";

    // Still one working program: the menu opens and "Exit Velmar" ends it with 0.
    ASSERT_TRUE(XClick(Centre(button)));
    EXPECT_TRUE(WaitFor([&] { return MenuShown(); }));
    HWND popup = OpenContextMenu(button);
    ASSERT_TRUE(popup);
    ChooseExit(popup);
    EXPECT_EQ(0u, velmar.Wait());
    EXPECT_EQ(0, standin::RebarPlacement(third.Taskbar()).left);
    third.Stop();
}

// A stand-in secondary taskbar, here on the one monitor at its top: the button
// it gets, the band the hook keeps aside, the menu it opens, and a button that
// goes and comes with its taskbar without harm to the program.
TEST_F(StartButtonEndToEnd, ASecondaryTaskbarGetsItsOwnButtonThatGoesAndComesWithIt) {
    StartTaskbar(standin, ABE_BOTTOM, ABE_TOP);
    HWND secondary = standin::FindSecondaryTaskbar();
    ASSERT_TRUE(secondary);
    StartVelmar();
    HWND primaryButton = Button(standin.Taskbar());
    ASSERT_TRUE(primaryButton);
    HWND button = Button(secondary);
    ASSERT_TRUE(button) << "no button on the secondary taskbar";
    EXPECT_EQ(velmar.Id(), OwnerProcess(button));
    EXPECT_EQ(1, RectInParent(button).left);
    EXPECT_EQ(size, standin::RebarPlacement(secondary).left);
    // The shell lays that band out again: the hook keeps it aside too.
    ASSERT_TRUE(standin::Relayout(secondary, 0, 0, 0, 0));
    EXPECT_EQ(size, standin::RebarPlacement(secondary).left);

    // Its press opens the one menu below that taskbar and presses that button only.
    ASSERT_TRUE(XClick(Centre(button)));
    ASSERT_TRUE(WaitFor([&] { return MenuShown(); })) << "no menu after a click on the secondary button";
    EXPECT_TRUE(WaitFor([&] { return Mode(button) == 2; })) << "the secondary button does not look pressed";
    EXPECT_NE(2, Mode(primaryButton));
    RECT menu, taskbar;
    GetWindowRect(Menu(), &menu);
    GetWindowRect(secondary, &taskbar);
    EXPECT_EQ(taskbar.left, menu.left);
    EXPECT_EQ(taskbar.bottom, menu.top) << "the menu hangs from the top taskbar";
    ASSERT_TRUE(XClick(Centre(button)));
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); })) << "a second click did not close the menu";

    // The taskbar goes (a monitor unplugged) and comes back, twice: each time
    // the old button goes with it and a new one comes.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(standin::SetSecondary(standin.Taskbar(), false));
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(button); }));
        EXPECT_TRUE(velmar.Running());
        ASSERT_TRUE(standin::SetSecondary(standin.Taskbar(), true));
        secondary = standin::FindSecondaryTaskbar();
        ASSERT_TRUE(secondary);
        button = Button(secondary);
        ASSERT_TRUE(button) << "no button on the secondary taskbar made again";
        EXPECT_TRUE(WaitFor([&] { return standin::RebarPlacement(secondary).left == size; }));
    }
    ASSERT_TRUE(XClick(Centre(button)));
    EXPECT_TRUE(WaitFor([&] { return MenuShown() && Mode(button) == 2; })) << "the new button does not open the menu";

    // One clean program throughout: "Exit Velmar" ends it with 0 and both bands go back.
    HWND popup = OpenContextMenu(primaryButton);
    ASSERT_TRUE(popup);
    ChooseExit(popup);
    EXPECT_EQ(0u, velmar.Wait());
    EXPECT_EQ(0, standin::RebarPlacement(standin.Taskbar()).left);
    EXPECT_EQ(0, standin::RebarPlacement(secondary).left);
}

// Two monitors: the test's own display set-up (start/two_monitors.sh) gives Wine
// a second monitor beside the first; with one monitor there is nothing to show.
TEST_F(StartButtonEndToEnd, OnASecondMonitorItsTaskbarsButtonAndTheWindowsKeyOpenTheMenuThere) {
    if (GetSystemMetrics(SM_CMONITORS) < 2)
        GTEST_SKIP() << "one monitor: start/two_monitors.sh runs this with two";
    StartTaskbar(standin, ABE_BOTTOM, ABE_BOTTOM);
    HWND secondary = standin::FindSecondaryTaskbar();
    ASSERT_TRUE(secondary);
    MONITORINFO second{};
    second.cbSize = sizeof(second);
    GetMonitorInfoW(MonitorFromWindow(secondary, MONITOR_DEFAULTTONULL), &second);
    ASSERT_FALSE(second.dwFlags & MONITORINFOF_PRIMARY) << "the secondary taskbar is not on the second monitor";
    StartVelmar();
    HWND primaryButton = Button(standin.Taskbar());
    HWND button = Button(secondary);
    ASSERT_TRUE(primaryButton && button);
    RECT rc;
    GetWindowRect(button, &rc);
    EXPECT_EQ(second.rcMonitor.left + 1, rc.left) << "the button sits at the start of the second monitor's taskbar";

    ASSERT_TRUE(XClick(Centre(button)));
    ASSERT_TRUE(WaitFor([&] { return MenuShown(); })) << "no menu after a click on the second monitor's button";
    EXPECT_TRUE(WaitFor([&] { return Mode(button) == 2; }));
    RECT menu, taskbar;
    GetWindowRect(Menu(), &menu);
    GetWindowRect(secondary, &taskbar);
    EXPECT_EQ(second.rcMonitor.left, menu.left) << "the menu opens on the second monitor";
    EXPECT_EQ(taskbar.top, menu.bottom) << "the menu stands on the second monitor's taskbar";
    EXPECT_TRUE(Screenshot("two-taskbars.png"));
    ASSERT_TRUE(XClick(Centre(button)));
    ASSERT_TRUE(WaitFor([&] { return !MenuShown(); }));

    // The Windows key opens it where the foreground window is.
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"Velmar.Test.Foreground", WS_POPUP | WS_VISIBLE,
                                  second.rcMonitor.left + 300, second.rcMonitor.top + 100, 200, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_TRUE(window);
    SetForegroundWindow(window);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }))
        << "the window on the second monitor did not come to the front";
    ASSERT_TRUE(XKeys("super"));
    ASSERT_TRUE(WaitFor([&] { return MenuShown(); })) << "the Windows key did not open the menu";
    GetWindowRect(Menu(), &menu);
    EXPECT_EQ(second.rcMonitor.left, menu.left) << "the Windows key opened the menu away from the foreground window";
    DestroyWindow(window);
}
