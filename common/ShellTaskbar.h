// Which top-level "Shell_TrayWnd" is the shell's taskbar.
//
// Other programs make top-level windows of that class too (tray-icon hosts,
// replacement bars), visible or hidden, before or after the shell's, so the
// first one found may be an impostor. Velmar and Pegwell both choose with
// this one rule: the taskbar of the shell's process (the process of
// GetShellWindow()) that holds the band ("ReBarWindow32"); where that does not
// tell (no shell window, or none of its taskbars has a band), the first one
// that has the band. Compiled into both, plain C-like code: Pegwell runs it in
// the shell's process and allocates nothing there.
#pragma once

#include <windows.h>

// The shell's taskbar by the rule above, or none when no "Shell_TrayWnd" has a band.
HWND FindShellTaskbar();

// The rule itself, for windows already found: `taskbars` in the order found,
// `shellProcess` the shell's process id (0 when unknown), processOf and hasBand
// asked per window. Returns the index chosen, or -1.
int ChooseShellTaskbar(const HWND* taskbars, int count, DWORD shellProcess, DWORD (*processOf)(HWND),
                       bool (*hasBand)(HWND));
