// Start-up and shutdown of Quillset.exe.
//
// Order: single-instance mutex, COM apartment, GDI+, common controls, the
// application module, UI language and satellite library, choice of the skin
// file (skin_<abbreviation>.cfg, else skin.cfg), load of what the dialog
// draws from the skin (its result is not acted upon), then the dialog until OK
// or Cancel. Shutdown releases the skin's GDI+ objects, then the rest in the
// reverse order of the start (ProgramScope).
#pragma once

#include <windows.h>

// Exit codes: 1 after OK and 2 after Cancel (MainDlg.h); 0 for a second
// instance or a dialog that cannot be created; this one after the error box
// for a missing skin file.
constexpr int kExitNoSkinFile = 3;

int QuillsetMain(HINSTANCE instance, int showCommand);

// Loads from the skin file what the dialog draws: every setting, the default
// font and the list's two selection images, none of the menu's pictures.
void LoadOptionsSkin(const wchar_t* skinPath, const wchar_t* moduleDirectory);

// Creates the dialog and runs the thread's message loop until the quit message;
// returns its code, or 0 when the dialog cannot be created.
int RunOptionsDialog(int showCommand);
