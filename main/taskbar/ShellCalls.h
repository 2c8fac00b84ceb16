// Calls into the shell's windows that never hold up Velmar's UI thread.
//
// The taskbar lives in the shell's process. A shell that stalls (busy, hung,
// in a debugger) must never freeze the Start button, the menu, the keys or
// the exit: its app-bar queries are asked on a short-lived worker and waited
// for only a little while, and its windows are moved without waiting for its
// thread.
#pragma once

#include <windows.h>
#include <shellapi.h>

// How long the UI thread waits for the shell's answer to an app-bar query.
constexpr DWORD kShellAnswerWait = 500; // ms

// SHAppBarMessage(message, data), waited for at most kShellAnswerWait. When
// the shell does not answer in that time, or an earlier query still waits on
// it, returns false and leaves *data and *result unchanged.
bool AskShellAppBar(DWORD message, APPBARDATA* data, UINT_PTR* result = nullptr);

// Moves (and sizes) a window of the shell without waiting for its thread
// (SWP_ASYNCWINDOWPOS); then gives that thread a bounded moment to carry the
// move out, so that whoever looks next sees it where the shell answers.
void MoveShellWindow(HWND window, int x, int y, int cx, int cy);
