// Pegwell: keeps the taskbar's band of task buttons clear of the Start button.
//
// Velmar links this library at load time. InstallHook, called when the Start
// button window is created, sets a WH_CALLWNDPROC hook on the thread that owns
// the taskbar's rebar (never system-wide: no other program loads the library
// or waits on Velmar); Windows then loads the library into the shell, where
// the hook moves the rebar 54 pixels from the taskbar's start each time the
// shell repositions it. Uninstallhook, called when the button window is
// destroyed, removes the hook. AddHookTarget and RemoveHookTarget name the
// rebars of further taskbars (one per monitor) that are kept aside while the
// hook is installed, each thread owning one hooked as well; they outlive an
// Uninstallhook, so a primary button made anew keeps them.
// WatchShellWindow names a window of the shell (its own Start button) whose
// every position change the installed hook reports to a window of the caller;
// its thread is hooked as well.
// All return nonzero on success.
#pragma once

#include <windows.h>

#ifdef PEGWELL_BUILD
#define PEGWELL_API
#else
#define PEGWELL_API __declspec(dllimport)
#endif

// button: the Start button window (kept only). target: the window whose
// position changes are watched; none means the taskbar's rebar, HWND_MESSAGE
// no window at all (a taskbar whose band the button does not push aside).
extern "C" PEGWELL_API BOOL WINAPI InstallHook(HWND button, HWND target);
extern "C" PEGWELL_API BOOL WINAPI Uninstallhook();
// target: the rebar of a further taskbar. Fails for none or when 8 are named.
extern "C" PEGWELL_API BOOL WINAPI AddHookTarget(HWND target);
// Fails for a target that was not named.
extern "C" PEGWELL_API BOOL WINAPI RemoveHookTarget(HWND target);

// watched: a window of the shell; notify: who hears of its position changes,
// none to stop. Each time the watched window was moved, resized or raised the
// hook posts `message` to notify from the shell's process, lParam the watched
// window. Fails for no watched window or when 8 are named.
extern "C" PEGWELL_API BOOL WINAPI WatchShellWindow(HWND watched, HWND notify, UINT message);
