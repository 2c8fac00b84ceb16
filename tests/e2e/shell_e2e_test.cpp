// Velmar on the taskbars people really have, end to end: Velmar.exe with
// Pegwell.dll beside standin_taskbar.exe, and this process playing the other
// programs of the desktop (tray-icon hosts with taskbar windows of their own,
// the system closing programs, a display change).
#include "StandinClient.h"
#include "VelmarEndToEnd.h"

#include <tlhelp32.h>

#include <cstdio>
#include <thread>

namespace {

bool HasModule(DWORD pid, const wchar_t* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && !found; more = Module32NextW(snapshot, &entry))
        found = _wcsicmp(entry.szModule, name) == 0;
    CloseHandle(snapshot);
    return found;
}

class ShellEndToEnd : public VelmarEndToEnd {
protected:
    void TearDown() override {
        for (HWND window : impostors)
            DestroyWindow(window);
        VelmarEndToEnd::TearDown();
    }
    // Another program's top-level "Shell_TrayWnd", without a band, above the
    // stand-in (topmost, made after it): the first one FindWindowW finds.
    HWND MakeImpostor(bool visible) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Shell_TrayWnd";
        RegisterClassW(&wc);
        HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"",
                                      WS_POPUP | (visible ? WS_VISIBLE : 0), 600, 300, 120, 30, nullptr, nullptr,
                                      wc.hInstance, nullptr);
        impostors.push_back(window);
        return window;
    }
    HWND Watch() const { return FindTitledWindowAnyState(L"Velmar.Taskbar.Watch"); }
    HWND FindTitledWindowAnyState(const wchar_t* title) const {
        for (HWND h = FindWindowW(nullptr, title); h; h = FindWindowExW(nullptr, h, nullptr, title))
            if (OwnerProcess(h) == velmar.Id())
                return h;
        return nullptr;
    }
    bool BandAside(HWND taskbar) const { return standin::RebarPlacement(taskbar).left == size; }

    std::vector<HWND> impostors;
};

} // namespace

TEST_F(ShellEndToEnd, OtherProgramsTaskbarWindowsNeverTakeTheButton) {
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(standin));
    HWND shell = GetShellWindow();
    std::printf("shell window %p of process %lu (stand-in %lu, this test %lu)\n", static_cast<void*>(shell),
                shell ? OwnerProcess(shell) : 0ul, standin.ProcessId(), GetCurrentProcessId());
    ASSERT_TRUE(MakeImpostor(true) && MakeImpostor(false));
    ASSERT_NE(standin.Taskbar(), FindWindowW(L"Shell_TrayWnd", L"")) << "an impostor must be found first";

    ASSERT_NO_FATAL_FAILURE(StartVelmar());
    button = Button(standin.Taskbar());
    ASSERT_TRUE(button) << "no button on the shell's taskbar";
    EXPECT_TRUE(WaitFor([&] { return BandAside(standin.Taskbar()); }));

    // More of them after the start, then the broadcast that makes Velmar look again.
    ASSERT_TRUE(MakeImpostor(true) && MakeImpostor(false));
    DWORD_PTR ignored = 0;
    ASSERT_TRUE(Watch());
    ASSERT_TRUE(SendMessageTimeoutW(Watch(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_NORMAL, 10000,
                                    &ignored));
    EXPECT_TRUE(IsWindow(button)) << "the button left the shell's taskbar";
    EXPECT_EQ(standin.Taskbar(), GetParent(button));
    ASSERT_TRUE(standin::Relayout(standin.Taskbar(), 0, 0, 0, 0));
    EXPECT_TRUE(BandAside(standin.Taskbar())) << "the hook lost the shell's band";
    ASSERT_TRUE(XKeys("Super_L"));
    EXPECT_TRUE(WaitFor([&] { return MenuShown(); }));
}

TEST_F(ShellEndToEnd, TheHookLoadsIntoTheTaskbarsProcessOnly) {
    ASSERT_NO_FATAL_FAILURE(Start());
    // A window of another program, reached from another thread, while the hook is installed.
    HWND window = CreateWindowExW(0, L"STATIC", L"other program", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_TRUE(window);
    std::thread sender([window] { SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"sent")); });
    ASSERT_TRUE(WaitFor([&] {
        wchar_t text[16] = {};
        GetWindowTextW(window, text, 16);
        return wcscmp(text, L"sent") == 0;
    }));
    sender.join();
    ASSERT_TRUE(standin::Relayout(standin.Taskbar(), 0, 0, 0, 0));

    EXPECT_TRUE(BandAside(standin.Taskbar())) << "the band is no longer kept aside";
    EXPECT_TRUE(HasModule(standin.ProcessId(), L"Pegwell.dll")) << "the hook did not reach the taskbar's process";
    EXPECT_FALSE(HasModule(GetCurrentProcessId(), L"Pegwell.dll")) << "the hook was loaded into another program";
    DestroyWindow(window);
}

// How the system closes a program: taskkill posts WM_CLOSE to its top-level
// windows, Restart Manager and sign-out send WM_QUERYENDSESSION and WM_ENDSESSION.
struct CloseCase {
    const char* name;
    bool bEndSession;
    bool bToButton; // WM_CLOSE to the Start button itself
};

class ClosedFromOutside : public ShellEndToEnd, public ::testing::WithParamInterface<CloseCase> {};

BOOL CALLBACK CollectWindows(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(data);
    if (OwnerProcess(window) == found->first)
        found->second.push_back(window);
    return TRUE;
}

TEST_P(ClosedFromOutside, EndsAsExitVelmarDoes) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitFor([&] { return BandAside(standin.Taskbar()) && Menu() && Watch(); }));
    std::pair<DWORD, std::vector<HWND>> windows{velmar.Id(), {}};
    EnumWindows(CollectWindows, reinterpret_cast<LPARAM>(&windows));
    if (GetParam().bToButton) {
        PostMessageW(button, WM_CLOSE, 0, 0);
    } else if (!GetParam().bEndSession) {
        for (HWND window : windows.second)
            PostMessageW(window, WM_CLOSE, 0, 0);
    } else {
        DWORD_PTR answer = 0;
        for (HWND window : windows.second) {
            ASSERT_TRUE(SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_NORMAL, 10000,
                                            &answer));
            EXPECT_TRUE(answer) << "Velmar refused to end the session";
        }
        for (HWND window : windows.second)
            SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_NORMAL, 10000, &answer);
        // The system may end the process now: the taskbar must already be whole.
        EXPECT_EQ(0, standin::RebarPlacement(standin.Taskbar()).left) << "the band was not laid out again in time";
    }
    EXPECT_EQ(0u, velmar.Wait()) << "Velmar did not end, or not with 0";
    EXPECT_EQ(0, standin::RebarPlacement(standin.Taskbar()).left);
    EXPECT_FALSE(IsWindow(button));
}

INSTANTIATE_TEST_SUITE_P(Ways, ClosedFromOutside,
                         ::testing::Values(CloseCase{"Taskkill", false, false}, CloseCase{"EndSession", true, false},
                                           CloseCase{"CloseTheButton", false, true}),
                         [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

// Under Wine, hiding the active menu activates the taskbar window with
// messages sent to its thread (Windows activates another thread's window
// without waiting), so only the opening is checked while the shell stalls.
TEST_F(ShellEndToEnd, AStalledShellLeavesTheWindowsKeyOpeningTheMenu) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitFor([&] { return Menu() && Watch(); }));
    ASSERT_TRUE(standin::Stall(standin.Taskbar(), 10000));
    ASSERT_TRUE(XKeys("Super_L"));
    EXPECT_TRUE(WaitFor([&] { return MenuShown() || !standin::Stalled(standin.Taskbar()); }));
    EXPECT_TRUE(MenuShown() && standin::Stalled(standin.Taskbar())) << "the menu waited for the shell";
    // The shell answers again: all is as before, and the exit ends with 0.
    ASSERT_TRUE(WaitFor([&] { return !standin::Stalled(standin.Taskbar()); }));
    ASSERT_TRUE(XKeys("Super_L"));
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); }));
    PostMessageW(Watch(), WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, velmar.Wait());
    EXPECT_EQ(0, standin::RebarPlacement(standin.Taskbar()).left);
}

TEST_F(ShellEndToEnd, AStalledShellLeavesTheExitWorking) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitFor([&] { return Menu() && Watch(); }));
    ASSERT_TRUE(standin::Stall(standin.Taskbar(), 10000));
    PostMessageW(Watch(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !velmar.Running() || !standin::Stalled(standin.Taskbar()); }));
    EXPECT_TRUE(!velmar.Running() && standin::Stalled(standin.Taskbar())) << "the exit waited for the shell";
    EXPECT_EQ(0u, velmar.Wait());
}

TEST_F(ShellEndToEnd, TheButtonFollowsItsTaskbarOnADisplayChange) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitFor([&] { return BandAside(standin.Taskbar()) && Watch(); }));
    // The taskbar grows to two rows and the shell lays its band out afresh, from the start.
    RECT rc;
    GetWindowRect(standin.Taskbar(), &rc);
    const int thickness = 2 * (rc.bottom - rc.top);
    ASSERT_TRUE(SetWindowPos(standin.Taskbar(), nullptr, rc.left, rc.bottom - thickness, rc.right - rc.left, thickness,
                             SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(WaitFor([&] { return standin::RebarPlacement(standin.Taskbar()).left == 0; }));
    PostMessageW(Watch(), WM_DISPLAYCHANGE, 32, MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    EXPECT_TRUE(WaitFor([&] {
        RECT placed;
        GetWindowRect(button, &placed);
        return BandAside(standin.Taskbar()) && placed.top < rc.top;
    })) << "the button and the band stayed where the old taskbar had them";
}

TEST_F(ShellEndToEnd, ASecondaryTaskbarThatComesLateAfterARestartGetsItsButton) {
    ASSERT_NO_FATAL_FAILURE(Start());
    standin.Stop();
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(button); }));
    // The shell is back, and makes its secondary taskbar a little later, telling no one.
    CStandinProcess again;
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(again, ABE_BOTTOM, ABE_TOP));
    ASSERT_TRUE(standin::SetSecondary(again.Taskbar(), false, true));
    ASSERT_TRUE(Button(again.Taskbar()));
    ASSERT_TRUE(standin::SetSecondary(again.Taskbar(), true, true));
    HWND secondary = standin::FindSecondaryTaskbar();
    ASSERT_TRUE(secondary);
    EXPECT_TRUE(Button(secondary)) << "no button on the secondary taskbar that came after the restart";
    again.Stop();
}
