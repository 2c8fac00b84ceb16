// Start-up and shutdown of Velmar.exe.
//
// Order: single-instance mutex, COM apartment, GDI+, common controls, the
// application module, UI language and satellite library, choice of the skin
// file (skin_<abbreviation>.cfg, else skin.cfg), skin load (what the Start
// button shows), Windows version gate, then the user interface until "Exit
// Velmar"; once the button is shown and nothing waits, the skin's menu parts
// and images 100-102. Shutdown releases the keyboard hook, then the rest in the
// reverse order of the start (ProgramScope), also after a start-up failure.
#pragma once

#include <windows.h>

// Exit codes of the start-up failures that show at most a message box.
constexpr int kExitNoSkinFile = 2;
constexpr int kExitSkinUnreadable = 3;
constexpr int kExitWindowsTooOld = 4;
// The user interface's own results: no taskbar, and a normal end.
constexpr int kExitNoTaskbar = -1;

int VelmarMain(HINSTANCE instance, int showCommand);

// Windows 7 (6.1) and older: (major << 8 | minor) of GetVersion at most 0x0601.
bool IsWindowsTooOld(DWORD getVersionResult);

// The skin's menu parts and images 100-102, after a load that left them for later.
void LoadMenuParts();
// At the first moment with no input, paint or posted message waiting: the
// menu's skin parts are loaded, and the menu made with its first picture.
void PrepareMenuAtFirstIdle();

// Taskbar lookup, start button, message loop; returns the loop's result.
int RunUserInterface(int showCommand);
