// The Windows key as the Start button's key.
//
// keyHookProc, a WH_KEYBOARD_LL hook installed on the main thread, holds back
// every press of a Windows key. Released alone, the key toggles the start
// menu (a WM_LBUTTONDOWN with 0, 0 posted to the Start button) and the system
// sees neither press nor release. When another key goes down first, the
// held-back press is given back before that key: both are injected again in
// their order and pass the hook, marked as ours, so shortcuts such as Win+E
// keep their Windows key. Nothing happens while no Start button exists.
//
// DecideKey is the whole decision; keyHookProc only unpacks its arguments,
// calls it and carries the answer out (a post to the UI thread, or SendInput).
//
// The hook runs on a thread of its own that does nothing else: Windows drops a
// low-level hook that does not answer in time, and the UI thread makes
// synchronous shell calls that may take longer than that.
//
// Releases the hook never sees: Win+L locks the session, and the release of the
// Windows key happens on the secure desktop, where low-level hooks are not
// called. So a given-back press is checked against the system's key state
// before the next press is taken for its repeat, and a session lock, unlock or
// switch forgets whatever was held (a window of the hook thread hears of them).
#pragma once

#include <windows.h>

// dwExtraInfo of the key events the hook injects itself ("VLMR").
constexpr ULONG_PTR kKeyHookSignature = 0x564C4D52;

// One call of the hook: the message and the fields of its KBDLLHOOKSTRUCT.
struct KeyStroke {
    WPARAM message = 0; // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP
    DWORD vkCode = 0;
    DWORD scanCode = 0;
    DWORD flags = 0;
    DWORD time = 0;
    ULONG_PTR extraInfo = 0;
};

// Whether the system has the key down now (GetAsyncKeyState).
using KeyDownQuery = bool (*)(DWORD vkCode);

struct KeyHookState {
    bool bPending = false;   // a Windows-key press is held back, nothing else pressed since
    bool bGivenBack = false; // the held-back press was injected: the system knows the key is down
    KeyStroke saved;         // that press
    KeyDownQuery systemKeyDown = nullptr; // null: the system's own state
};

// After a session lock, unlock or switch (WM_WTSSESSION_CHANGE's wParam):
// releases made meanwhile went elsewhere, so nothing is held any more.
void ForgetHeldKeys(KeyHookState& state, WPARAM sessionEvent);

enum class KeyAction {
    Pass,       // on to the next hook and the system
    Swallow,    // the system never sees it
    ToggleMenu, // swallow and post the click to the Start button
    GiveBack,   // swallow, then inject the saved press and this key's press
};

KeyStroke UnpackKeyStroke(WPARAM message, const KBDLLHOOKSTRUCT& record);
bool IsWindowsKey(DWORD vkCode);
// code is the hook code; buttonExists tells whether there is a Start button to click.
KeyAction DecideKey(KeyHookState& state, int code, const KeyStroke& key, bool buttonExists);

// The two key events that give a held-back press back, in order: the saved
// Windows-key press, then the press of the key that came meanwhile.
void MakeGiveBackInput(const KeyStroke& saved, const KeyStroke& key, INPUT (&input)[2]);

// The state keyHookProc keeps between calls (hook thread only).
KeyHookState& KeyHookProcState();

extern "C" __declspec(dllexport) LRESULT CALLBACK keyHookProc(int code, WPARAM wParam, LPARAM lParam);

// The WH_KEYBOARD_LL hook of keyHookProc, released at shutdown.
extern HHOOK gKeyboardHook;

// Starts the hook thread and installs keyHookProc there (gKeyboardHook);
// true once the hook is in place. StopKeyboardHook removes it and ends the
// thread; both wait a bounded time only.
bool StartKeyboardHook();
void StopKeyboardHook();
// The hook thread's window that hears of session changes; none when stopped.
HWND KeyHookSessionWindow();
