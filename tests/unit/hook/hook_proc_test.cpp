// The real hook procedure of Pegwell.dll, installed by this process, meets
// messages it must leave alone: a position change of another window, other
// messages to its target, a position change without a record, and any message
// after its target is gone. Only the one message for the target moves it.
// The windows live on a thread of their own; the test sends from its main
// thread, so the hook sees them as sent by another thread, as in the shell.
#include "Pegwell.h"
#include "Processes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

const UINT kMakeWindow = WM_APP + 1;
const UINT kDestroy = WM_APP + 2;

// Records every position change that reaches a window procedure; lParam 0 is
// answered here, as the system's own procedure would read through it.
std::atomic<int> gChanges{0};
std::atomic<int> gEmptyRecords{0};

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_WINDOWPOSCHANGED || msg == WM_WINDOWPOSCHANGING) {
        if (!lp) {
            ++gEmptyRecords;
            return 0;
        }
        ++gChanges;
    }
    return DefWindowProcW(window, msg, wp, lp);
}

// A thread with a message loop that makes and destroys windows on request.
class WindowThread {
public:
    WindowThread() {
        m_thread = std::thread([this] {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
            m_id = GetCurrentThreadId();
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (msg.message == kMakeWindow) {
                    m_made = CreateWindowExW(WS_EX_TOOLWINDOW, L"PegwellHookProbe", L"", WS_POPUP | WS_VISIBLE,
                                             static_cast<int>(msg.wParam), 10, 300, 40, nullptr, nullptr,
                                             GetModuleHandleW(nullptr), nullptr);
                    continue;
                }
                if (msg.message == kDestroy) {
                    DestroyWindow(reinterpret_cast<HWND>(msg.wParam));
                    m_destroyed = reinterpret_cast<HWND>(msg.wParam);
                    continue;
                }
                DispatchMessageW(&msg);
            }
        });
        WaitFor([&] { return m_id != 0; }, 5000);
    }
    ~WindowThread() {
        PostThreadMessageW(m_id, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Make(int x) {
        m_made = nullptr;
        PostThreadMessageW(m_id, kMakeWindow, static_cast<WPARAM>(x), 0);
        WaitFor([&] { return m_made != nullptr; }, 5000);
        return m_made;
    }
    void Destroy(HWND window) {
        PostThreadMessageW(m_id, kDestroy, reinterpret_cast<WPARAM>(window), 0);
        WaitFor([&] { return m_destroyed == window; }, 5000);
    }

private:
    std::thread m_thread;
    std::atomic<DWORD> m_id{0};
    std::atomic<HWND> m_made{nullptr};
    std::atomic<HWND> m_destroyed{nullptr};
};

int LeftOf(HWND window) {
    RECT rc{};
    GetWindowRect(window, &rc);
    return rc.left;
}

class HookProcedure : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PegwellHookProbe";
        RegisterClassW(&wc);
        // Before explorer's appbar window exists the taskbar edge reads as 0 (left).
        ASSERT_TRUE(WaitFor([] { return FindWindowW(L"WineAppBar", nullptr) != nullptr; }, 15000));
        target = windows.Make(0);
        other = windows.Make(400);
        ASSERT_TRUE(target && other);
    }
    void TearDown() override { Uninstallhook(); }

    // The shell's kind of position change: x 0, a width of 1,000, sent from this thread.
    WINDOWPOS SendChange(HWND window, UINT msg = WM_WINDOWPOSCHANGED) {
        WINDOWPOS pos{window, nullptr, 0, 10, 1000, 40, SWP_NOZORDER};
        SendMessageW(window, msg, 0, reinterpret_cast<LPARAM>(&pos));
        return pos;
    }

    WindowThread windows;
    HWND target = nullptr;
    HWND other = nullptr;
};

TEST_F(HookProcedure, MovesItsTargetOnItsPositionChangeAndNothingElse) {
    ASSERT_TRUE(InstallHook(nullptr, target));

    // Another window's position change, and other messages to the target, pass unchanged.
    EXPECT_EQ(0, SendChange(other).x);
    EXPECT_EQ(400, LeftOf(other));
    EXPECT_EQ(0, SendChange(target, WM_WINDOWPOSCHANGING).x);
    SendMessageW(target, WM_SIZE, 0, MAKELPARAM(5, 5));
    SendMessageW(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"probe"));
    EXPECT_EQ(0, LeftOf(target));

    // The one message it acts on (the rectangle of a bottom taskbar).
    const WINDOWPOS seen = SendChange(target);
    EXPECT_EQ(54, seen.x);
    EXPECT_EQ(946, seen.cx);
    EXPECT_EQ(54, LeftOf(target));
    EXPECT_EQ(400, LeftOf(other));
}

TEST_F(HookProcedure, APositionChangeWithoutARecordPassesToTheWindow) {
    ASSERT_TRUE(InstallHook(nullptr, target));
    const int before = gEmptyRecords;
    SendMessageW(target, WM_WINDOWPOSCHANGED, 0, 0);
    EXPECT_EQ(before + 1, gEmptyRecords.load()) << "the message did not reach the window";
    EXPECT_EQ(0, LeftOf(target));
    // The hook still works afterwards.
    EXPECT_EQ(54, SendChange(target).x);
}

TEST_F(HookProcedure, AfterItsTargetIsDestroyedNoWindowIsMoved) {
    ASSERT_TRUE(InstallHook(nullptr, target));
    windows.Destroy(target);
    ASSERT_FALSE(IsWindow(target));
    HWND fresh = windows.Make(0);
    ASSERT_TRUE(fresh);
    for (HWND window : {fresh, other, target}) {
        EXPECT_EQ(0, SendChange(window).x);
        SendMessageW(window, WM_WINDOWPOSCHANGED, 0, 0);
    }
    EXPECT_EQ(0, LeftOf(fresh));
    EXPECT_EQ(400, LeftOf(other));
}

TEST_F(HookProcedure, WithNoTargetAndNoTaskbarItNeverActs) {
    // Installed with neither a target nor a taskbar band to watch: the target is none.
    if (HWND tray = FindWindowW(L"Shell_TrayWnd", L""); tray && FindWindowExW(tray, nullptr, L"ReBarWindow32", nullptr))
        GTEST_SKIP() << "a taskbar with a band is up";
    ASSERT_TRUE(InstallHook(nullptr, nullptr));
    EXPECT_EQ(0, SendChange(target).x);
    EXPECT_EQ(0, SendChange(other).x);
    SendMessageW(target, WM_WINDOWPOSCHANGED, 0, 0);
    EXPECT_EQ(0, LeftOf(target));
}

} // namespace
