#include "KeyHook.h"

#include "Handles.h"
#include "StartWnd.h"

#include <wtsapi32.h>

HHOOK gKeyboardHook = nullptr;

namespace {

KeyHookState gKeyState;

INPUT KeyDownInput(const KeyStroke& key) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(key.vkCode);
    input.ki.wScan = static_cast<WORD>(key.scanCode);
    input.ki.dwFlags = (key.flags & LLKHF_EXTENDED) ? KEYEVENTF_EXTENDEDKEY : 0;
    input.ki.dwExtraInfo = kKeyHookSignature;
    return input;
}

bool SystemKeyDown(const KeyHookState& state, DWORD vkCode) {
    if (state.systemKeyDown)
        return state.systemKeyDown(vkCode);
    return (::GetAsyncKeyState(static_cast<int>(vkCode)) & 0x8000) != 0;
}

} // namespace

KeyStroke UnpackKeyStroke(WPARAM message, const KBDLLHOOKSTRUCT& record) {
    KeyStroke key;
    key.message = message;
    key.vkCode = record.vkCode;
    key.scanCode = record.scanCode;
    key.flags = record.flags;
    key.time = record.time;
    key.extraInfo = record.dwExtraInfo;
    return key;
}

bool IsWindowsKey(DWORD vkCode) { return vkCode == VK_LWIN || vkCode == VK_RWIN; }

KeyAction DecideKey(KeyHookState& state, int code, const KeyStroke& key, bool buttonExists) {
    if (code != HC_ACTION)
        return KeyAction::Pass;
    if (!buttonExists) {
        // A press held back for a button that went must not come back later.
        state.bPending = false;
        state.bGivenBack = false;
        return KeyAction::Pass;
    }
    if ((key.flags & LLKHF_INJECTED) && key.extraInfo == kKeyHookSignature)
        return KeyAction::Pass;
    bool down = key.message == WM_KEYDOWN || key.message == WM_SYSKEYDOWN;
    bool up = key.message == WM_KEYUP || key.message == WM_SYSKEYUP;
    if (!down && !up)
        return KeyAction::Pass;
    bool windowsKey = IsWindowsKey(key.vkCode);

    if (down) {
        if (windowsKey && key.message == WM_KEYDOWN) {
            // Repeats of a press the system already has go on to it. When the
            // system has no Windows key down, the release went by unseen (on the
            // secure desktop): this is a new press.
            if (state.bGivenBack) {
                if (SystemKeyDown(state, VK_LWIN) || SystemKeyDown(state, VK_RWIN))
                    return KeyAction::Pass;
                state.bGivenBack = false;
            }
            state.bPending = true;
            state.saved = key;
            return KeyAction::Swallow;
        }
        // Any other key, a system key too (Win+Alt+...), makes it a shortcut.
        if (state.bPending) {
            state.bPending = false;
            state.bGivenBack = true;
            return KeyAction::GiveBack;
        }
        return KeyAction::Pass;
    }

    if (windowsKey) {
        if (state.bPending) {
            state.bPending = false;
            return KeyAction::ToggleMenu;
        }
        state.bGivenBack = false;
    }
    return KeyAction::Pass;
}

void ForgetHeldKeys(KeyHookState& state, WPARAM sessionEvent) {
    switch (sessionEvent) {
    case WTS_CONSOLE_CONNECT:
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_CONNECT:
    case WTS_REMOTE_DISCONNECT:
    case WTS_SESSION_LOCK:
    case WTS_SESSION_UNLOCK:
        state.bPending = false;
        state.bGivenBack = false;
        break;
    default:
        break;
    }
}

void MakeGiveBackInput(const KeyStroke& saved, const KeyStroke& key, INPUT (&input)[2]) {
    input[0] = KeyDownInput(saved);
    input[1] = KeyDownInput(key);
}

KeyHookState& KeyHookProcState() { return gKeyState; }

extern "C" __declspec(dllexport) LRESULT CALLBACK keyHookProc(int code, WPARAM wParam, LPARAM lParam) {
    HWND button = gStartButton;
    bool buttonExists = button && ::IsWindow(button);
    KeyStroke key;
    KeyAction action = KeyAction::Pass;
    if (code == HC_ACTION && lParam) {
        key = UnpackKeyStroke(wParam, *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam));
        action = DecideKey(gKeyState, code, key, buttonExists);
    }
    switch (action) {
    case KeyAction::Swallow:
        return 1;
    case KeyAction::ToggleMenu:
        ::CallNextHookEx(gKeyboardHook, code, wParam, lParam);
        ::PostMessageW(button, WM_LBUTTONDOWN, 0, 0);
        return 1;
    case KeyAction::GiveBack: {
        // Injected events come back through this hook after this call, in this order.
        INPUT input[2];
        MakeGiveBackInput(gKeyState.saved, key, input);
        if (::SendInput(2, input, sizeof(INPUT)) == 2)
            return 1;
        break; // the key at least reaches the system
    }
    case KeyAction::Pass:
        break;
    }
    return ::CallNextHookEx(gKeyboardHook, code, wParam, lParam);
}

namespace {

const DWORD kHookThreadWait = 5000; // ms, for the thread's start and end

fw::UniqueKernelHandle gHookThread;
DWORD gHookThreadId = 0;
HWND gSessionWindow = nullptr; // on the hook thread, so the key state has one thread only

LRESULT CALLBACK SessionWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_WTSSESSION_CHANGE) {
        ForgetHeldKeys(gKeyState, wParam);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A message-only window that hears of session locks and switches; none when
// that cannot be made (the hook works without it).
HWND MakeSessionWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = SessionWndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Velmar.KeyHook.Session";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                    nullptr);
    if (window && !::WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION)) {
        ::DestroyWindow(window);
        window = nullptr;
    }
    return window;
}

DWORD WINAPI HookThread(void* param) {
    MSG msg;
    // The queue exists before the starter hears of us, so its WM_QUIT cannot get lost.
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    gKeyboardHook = ::SetWindowsHookExW(WH_KEYBOARD_LL, keyHookProc, ::GetModuleHandleW(nullptr), 0);
    const bool hooked = gKeyboardHook != nullptr;
    if (hooked)
        gSessionWindow = MakeSessionWindow();
    ::SetEvent(static_cast<HANDLE>(param));
    if (!hooked)
        return 1;
    // Low-level hooks are called through this loop.
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    if (gSessionWindow) {
        ::WTSUnRegisterSessionNotification(gSessionWindow);
        ::DestroyWindow(gSessionWindow);
        gSessionWindow = nullptr;
    }
    ::UnhookWindowsHookEx(gKeyboardHook);
    gKeyboardHook = nullptr;
    return 0;
}

} // namespace

HWND KeyHookSessionWindow() { return gSessionWindow; }

bool StartKeyboardHook() {
    if (gHookThread)
        return gKeyboardHook != nullptr;
    fw::UniqueKernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready)
        return false;
    gHookThread.reset(::CreateThread(nullptr, 0, HookThread, ready.get(), 0, &gHookThreadId));
    if (gHookThread) {
        // Keys must be answered at once even when the machine is busy.
        ::SetThreadPriority(gHookThread.get(), THREAD_PRIORITY_HIGHEST);
        HANDLE both[2] = {ready.get(), gHookThread.get()};
        ::WaitForMultipleObjects(2, both, FALSE, kHookThreadWait);
    }
    if (gHookThread && !gKeyboardHook)
        StopKeyboardHook();
    return gKeyboardHook != nullptr;
}

void StopKeyboardHook() {
    if (!gHookThread)
        return;
    ::PostThreadMessageW(gHookThreadId, WM_QUIT, 0, 0);
    if (::WaitForSingleObject(gHookThread.get(), kHookThreadWait) != WAIT_OBJECT_0 && gKeyboardHook) {
        // The thread did not end: at least the hook goes.
        ::UnhookWindowsHookEx(gKeyboardHook);
        gKeyboardHook = nullptr;
    }
    gHookThread.reset();
    gHookThreadId = 0;
}
