// Velmar on the taskbars people really have, end to end: Velmar.exe beside
// standin_taskbar.exe, this process playing the desktop's other programs
// (tray-icon hosts, the system closing programs, a display change).
#include "StandinClient.h"
#include "VelmarEndToEnd.h"

#include <tlhelp32.h>

#include <thread>

namespace {

bool HasPegwell(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && !found; more = Module32NextW(snapshot, &entry))
        found = _wcsicmp(entry.szModule, L"Pegwell.dll") == 0;
    CloseHandle(snapshot);
    return found;
}

class ShellEndToEnd : public VelmarEndToEnd {
protected:
    void TearDown() override {
        for (HWND window : foreign)
            DestroyWindow(window);
        VelmarEndToEnd::TearDown();
    }
    void MakeForeignTaskbars() {
        for (bool visible : {true, false})
            foreign.push_back(standin::MakeForeignTaskbar(visible));
    }
    HWND Watch() const {
        HWND watch = FindWindowW(nullptr, L"Velmar.Taskbar.Watch");
        return watch && OwnerProcess(watch) == velmar.Id() ? watch : nullptr;
    }
    bool BandAside() const { return standin::RebarPlacement(standin.Taskbar()).left == size; }
    bool Stalled() const { return standin::Stalled(standin.Taskbar()); }
    // The user works in a window of their own, in the foreground; none when it is not.
    HWND UsersWindow() {
        HWND window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"Velmar.Test.Foreground", WS_POPUP | WS_VISIBLE, 300,
                                      100, 200, 100, nullptr, nullptr, nullptr, nullptr);
        foreign.push_back(window);
        SetForegroundWindow(window);
        return WaitFor([&] { return GetForegroundWindow() == window; }) ? window : nullptr;
    }

    std::vector<HWND> foreign;
};

} // namespace

TEST_F(ShellEndToEnd, OtherProgramsTaskbarWindowsNeverTakeTheButton) {
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(standin));
    // Under Wine GetShellWindow() is none: the first taskbar with a band is the shell's.
    MakeForeignTaskbars();
    ASSERT_NE(standin.Taskbar(), FindWindowW(L"Shell_TrayWnd", L"")) << "another program's window must come first";
    ASSERT_NO_FATAL_FAILURE(StartVelmar());
    button = Button(standin.Taskbar());
    ASSERT_TRUE(button) << "no button on the shell's taskbar";
    EXPECT_TRUE(WaitFor([&] { return BandAside() && Watch(); }));

    // More after the start, then the broadcast that makes Velmar look again.
    MakeForeignTaskbars();
    DWORD_PTR ignored = 0;
    ASSERT_TRUE(SendMessageTimeoutW(Watch(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, 0, 10000, &ignored));
    EXPECT_EQ(standin.Taskbar(), GetParent(button)) << "the button left the shell's taskbar";
    ASSERT_TRUE(standin::Relayout(standin.Taskbar(), 0, 0, 0, 0));
    EXPECT_TRUE(BandAside()) << "the hook lost the shell's band";
}

TEST_F(ShellEndToEnd, TheHookLoadsIntoTheTaskbarsProcessOnly) {
    ASSERT_NO_FATAL_FAILURE(Start());
    // A window of another program gets a message from another thread while the hook is set.
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    std::thread([window] { SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"sent")); }).detach();
    ASSERT_TRUE(WaitFor([&] { return GetWindowTextLengthW(window) == 4; }));
    ASSERT_TRUE(standin::Relayout(standin.Taskbar(), 0, 0, 0, 0));
    EXPECT_TRUE(BandAside()) << "the band is no longer kept aside";
    EXPECT_TRUE(HasPegwell(standin.ProcessId())) << "the hook did not reach the taskbar's process";
    EXPECT_FALSE(HasPegwell(GetCurrentProcessId())) << "the hook was loaded into another program";
    DestroyWindow(window);
}

// taskkill posts WM_CLOSE to a program's top-level windows; Restart Manager and
// sign-out send WM_QUERYENDSESSION, then WM_ENDSESSION, and may end it after.
enum class CloseWay { Taskkill, EndSession, CloseTheButton };

class ClosedFromOutside : public ShellEndToEnd, public ::testing::WithParamInterface<CloseWay> {};

TEST_P(ClosedFromOutside, EndsAsExitVelmarDoes) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitFor([&] { return BandAside() && Menu() && Watch(); }));
    std::vector<HWND> windows;
    for (HWND h = GetTopWindow(nullptr); h; h = GetNextWindow(h, GW_HWNDNEXT))
        if (OwnerProcess(h) == velmar.Id())
            windows.push_back(h);
    DWORD_PTR answer = 0;
    switch (GetParam()) {
    case CloseWay::Taskkill:
        for (HWND window : windows)
            PostMessageW(window, WM_CLOSE, 0, 0);
        break;
    case CloseWay::EndSession:
        for (UINT msg : {WM_QUERYENDSESSION, WM_ENDSESSION})
            for (HWND window : windows)
                EXPECT_TRUE(
                    (SendMessageTimeoutW(window, msg, TRUE, ENDSESSION_CLOSEAPP, 0, 10000, &answer) && answer) ||
                    msg == WM_ENDSESSION);
        EXPECT_EQ(0, standin::RebarPlacement(standin.Taskbar()).left) << "not laid out again before the end";
        break;
    case CloseWay::CloseTheButton:
        PostMessageW(button, WM_CLOSE, 0, 0);
        break;
    }
    EXPECT_EQ(0u, velmar.Wait()) << "Velmar did not end, or not with 0";
    EXPECT_EQ(0, standin::RebarPlacement(standin.Taskbar()).left);
    EXPECT_FALSE(IsWindow(button));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ClosedFromOutside, ::testing::Values(CloseWay::Taskkill, CloseWay::EndSession, CloseWay::CloseTheButton),
    [](const ::testing::TestParamInfo<CloseWay>& info) {
        return std::string(info.index == 0 ? "Taskkill" : info.index == 1 ? "EndSession" : "CloseTheButton");
    });

// Under Wine, hiding or destroying the active menu activates the taskbar with
// messages sent to its thread (Windows does not wait for another thread), so
// the menu is closed and Velmar ended only while the shell answers.
TEST_F(ShellEndToEnd, AStalledShellLeavesTheWindowsKeyAndTheExitWorking) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitFor([&] { return Menu() && Watch(); }));
    ASSERT_TRUE(standin::Stall(standin.Taskbar(), 10000));
    PostMessageW(Watch(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !velmar.Running() || !Stalled(); }));
    EXPECT_TRUE(!velmar.Running() && Stalled()) << "the exit waited for the shell";
    EXPECT_EQ(0u, velmar.Wait());
    ASSERT_TRUE(WaitFor([&] { return !Stalled(); }));

    ASSERT_NO_FATAL_FAILURE(StartVelmar());
    ASSERT_TRUE((button = Button(standin.Taskbar())) && WaitFor([&] { return Menu() != nullptr; }));
    // Wine reads a key on the thread of the window with the focus: one of the
    // stalled shell's would hold it.
    ASSERT_TRUE(UsersWindow());
    ASSERT_TRUE(standin::Stall(standin.Taskbar(), 10000));
    ASSERT_TRUE(XKeys("Super_L"));
    EXPECT_TRUE(WaitFor([&] { return MenuShown() || !Stalled(); }));
    EXPECT_TRUE(MenuShown() && Stalled()) << "the menu waited for the shell";
}

TEST_F(ShellEndToEnd, TheButtonFollowsItsTaskbarOnADisplayChange) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitFor([&] { return BandAside() && Watch(); }));
    RECT rc; // the taskbar grows to two rows; the shell lays its band out afresh
    GetWindowRect(standin.Taskbar(), &rc);
    const int thickness = 2 * (rc.bottom - rc.top);
    ASSERT_TRUE(SetWindowPos(standin.Taskbar(), nullptr, rc.left, rc.bottom - thickness, rc.right - rc.left, thickness,
                             SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(WaitFor([&] { return standin::RebarPlacement(standin.Taskbar()).left == 0; }));
    PostMessageW(Watch(), WM_DISPLAYCHANGE, 32, 0);
    EXPECT_TRUE(WaitFor([&] {
        RECT placed;
        GetWindowRect(button, &placed);
        return BandAside() && placed.top < rc.top;
    })) << "the button and the band stayed where the old taskbar had them";
}

TEST_F(ShellEndToEnd, ASecondaryTaskbarThatComesLateAfterARestartGetsItsButton) {
    ASSERT_NO_FATAL_FAILURE(Start());
    standin.Stop();
    // The shell is back and makes its secondary taskbar a little later, telling no one.
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(standin, ABE_BOTTOM, ABE_TOP));
    ASSERT_TRUE(standin::SetSecondary(standin.Taskbar(), false, true));
    ASSERT_TRUE(Button(standin.Taskbar()));
    ASSERT_TRUE(standin::SetSecondary(standin.Taskbar(), true, true));
    EXPECT_TRUE(Button(standin::FindSecondaryTaskbar())) << "no button on the secondary taskbar that came late";
}

// The shell restarts while the button's context menu runs: the old button's
// object lives on until the menu returns, and the new button works.
TEST_F(ShellEndToEnd, AShellRestartDuringTheButtonsContextMenuLeavesOneWorkingVelmar) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(OpenContextMenu(button));
    standin.Stop();
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(standin));
    ASSERT_TRUE(button = Button(standin.Taskbar())) << "no button on the new taskbar";
    ASSERT_TRUE(XKeys("Escape"));
    EXPECT_TRUE(WaitFor([&] { return !ContextMenu() || !velmar.Running(); }));
    ASSERT_TRUE(velmar.Running()) << "Velmar ended when its context menu returned";
    EXPECT_EQ(button, Button(standin.Taskbar()));
    ASSERT_TRUE(standin::Relayout(standin.Taskbar(), 0, 0, 0, 0));
    EXPECT_TRUE(BandAside()) << "the old button took the new one's hook with it";
    HWND popup = OpenContextMenu(button);
    ASSERT_TRUE(popup);
    ChooseExit(popup);
    EXPECT_EQ(0u, velmar.Wait());
}

// A primary taskbar at the left, a secondary one at the top: followed (a
// display change), the secondary button keeps its own taskbar's edge.
TEST_F(ShellEndToEnd, ASecondaryButtonFollowsItsOwnTaskbarsEdge) {
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(standin, ABE_LEFT, ABE_TOP));
    ASSERT_NO_FATAL_FAILURE(StartVelmar());
    HWND secondary = standin::FindSecondaryTaskbar();
    HWND other = Button(secondary);
    ASSERT_TRUE(other && Button(standin.Taskbar()) && WaitFor([&] { return Watch(); }));
    DWORD_PTR ignored = 0;
    ASSERT_TRUE(SendMessageTimeoutW(Watch(), WM_DISPLAYCHANGE, 32, 0, 0, 10000, &ignored));
    EXPECT_EQ(1, standin::PlaceInParent(other).left);
    EXPECT_EQ(size, standin::RebarPlacement(secondary).left) << "the band was laid out for the primary taskbar's edge";
}

// An auto-hide taskbar: placing the button, a new lay-out and a restart of the
// shell all leave the user's window in the foreground.
TEST_F(ShellEndToEnd, AnAutoHideTaskbarNeverTakesTheFocusFromTheUsersWindow) {
    StandinOptions autoHide;
    autoHide.uState = ABS_AUTOHIDE | ABS_ALWAYSONTOP;
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(standin, autoHide));
    HWND mine = UsersWindow();
    ASSERT_TRUE(mine);
    ASSERT_NO_FATAL_FAILURE(StartVelmar());
    ASSERT_TRUE(Button(standin.Taskbar()));
    ASSERT_TRUE(standin::Relayout(standin.Taskbar(), 0, 0, 0, 0));
    EXPECT_EQ(mine, GetForegroundWindow()) << "placing the button took the focus";
    standin.Stop();
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(standin, autoHide));
    ASSERT_TRUE(Button(standin.Taskbar()));
    EXPECT_EQ(mine, GetForegroundWindow()) << "the button made again took the focus";
}
