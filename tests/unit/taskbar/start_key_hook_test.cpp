// The Windows key while the UI thread is busy. The hook answers on a thread of
// its own: the key is held back from the focused window even while this (UI)
// thread runs no messages, and the click it posts toggles the menu once the UI
// thread is free again. A hook on the busy UI thread is not answered in time,
// and the system hands the key on (Windows also removes such a hook).
#include "KeyHook.h"
#include "StartWnd.h"

#include <gtest/gtest.h>

#include <wtsapi32.h>

#include "Wait.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace {

const DWORD kBusy = 2000;      // ms the UI thread is kept from its messages
const DWORD kBound = 30000;    // ms a state may take before the test gives up
const UINT kSentinel = VK_F13; // pressed after the Windows key: all before it has been through the system

std::mutex gKeysLock;
std::vector<WPARAM> gKeys; // key-down and key-up codes that reached the focused window
HANDLE gSentinelSeen = nullptr;
int gClicks = 0; // WM_LBUTTONDOWN with wParam 0 at the stand-in button

LRESULT CALLBACK FocusProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= WM_KEYDOWN && msg <= WM_SYSKEYUP) {
        std::lock_guard<std::mutex> lock(gKeysLock);
        gKeys.push_back(wp);
        if (wp == kSentinel && (msg == WM_KEYUP || msg == WM_SYSKEYUP))
            SetEvent(gSentinelSeen);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_LBUTTONDOWN && wp == 0)
        ++gClicks;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND MakeWindow(const wchar_t* name, WNDPROC proc) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    RegisterClassW(&wc);
    return CreateWindowExW(WS_EX_TOPMOST, name, name, WS_POPUP | WS_VISIBLE, 10, 10, 100, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

INPUT Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (vk == VK_LWIN ? KEYEVENTF_EXTENDEDKEY : 0);
    return in;
}


} // namespace

TEST(KeyHookThread, TheWindowsKeyTogglesTheMenuAndStaysHiddenWhileTheUiThreadIsBusy) {
    gSentinelSeen = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND button = MakeWindow(L"stand-in button", ButtonProc);
    ASSERT_TRUE(button);
    gStartButton = button;
    ASSERT_TRUE(StartKeyboardHook());

    // The focused window lives on a third thread, which stays free all along.
    HANDLE focusReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD focusThreadId = 0;
    HWND focus = nullptr;
    std::thread focusThread([&] {
        focusThreadId = GetCurrentThreadId();
        focus = MakeWindow(L"focused window", FocusProc);
        SetForegroundWindow(focus);
        SetFocus(focus);
        SetEvent(focusReady);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
        DestroyWindow(focus);
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(focusReady, kBound));
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == focus; }, kBound))
        << "the focused window never got the foreground";

    HANDLE busy = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread presser([&] {
        WaitForSingleObject(busy, kBound);
        INPUT keys[] = {Key(VK_LWIN, false), Key(VK_LWIN, true), Key(kSentinel, false), Key(kSentinel, true)};
        SendInput(4, keys, sizeof(INPUT));
    });

    // The UI thread is busy (as in a slow shell call) while the key is pressed,
    // and stays so until the keys have been through the system.
    SetEvent(busy);
    Sleep(kBusy);
    const bool through = WaitForSingleObject(gSentinelSeen, kBound) == WAIT_OBJECT_0;
    presser.join();
    ASSERT_TRUE(through) << "the keys pressed during the busy time never reached the focused window";

    EXPECT_TRUE(WaitFor([] { return gClicks == 1; }, kBound)) << "the Windows key did not toggle the menu";
    {
        std::lock_guard<std::mutex> lock(gKeysLock);
        EXPECT_EQ(0, std::count(gKeys.begin(), gKeys.end(), static_cast<WPARAM>(VK_LWIN)))
            << "the held-back Windows key reached the focused window";
        EXPECT_EQ(2, std::count(gKeys.begin(), gKeys.end(), static_cast<WPARAM>(kSentinel)));
    }

    StopKeyboardHook();
    EXPECT_EQ(nullptr, gKeyboardHook);
    gStartButton = nullptr;
    PostThreadMessageW(focusThreadId, WM_QUIT, 0, 0);
    focusThread.join();
    DestroyWindow(button);
    CloseHandle(busy);
    CloseHandle(focusReady);
    CloseHandle(gSentinelSeen);
}

// A press held back when the session locks or switches has its release
// elsewhere: the hook thread forgets it, so the next key is no Win+key.
TEST(KeyHookThread, ASessionLockOrSwitchForgetsTheHeldWindowsKey) {
    ASSERT_TRUE(StartKeyboardHook());
    HWND session = KeyHookSessionWindow();
    ASSERT_TRUE(session) << "no window hears of session changes";
    for (WPARAM event : {WTS_SESSION_LOCK, WTS_SESSION_UNLOCK, WTS_CONSOLE_DISCONNECT, WTS_REMOTE_CONNECT}) {
        SCOPED_TRACE(event);
        KeyHookProcState().bPending = true; // no key moves meanwhile: the hook thread leaves the state alone
        KeyHookProcState().bGivenBack = true;
        SendMessageW(session, WM_WTSSESSION_CHANGE, event, 0);
        EXPECT_FALSE(KeyHookProcState().bPending);
        EXPECT_FALSE(KeyHookProcState().bGivenBack);
    }
    StopKeyboardHook();
    EXPECT_EQ(nullptr, KeyHookSessionWindow());
}
