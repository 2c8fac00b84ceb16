// The files a program finds beside itself at start-up: the satellite library of
// the user's language and the skin file that goes with it (skin_<ABC>.cfg, else
// skin.cfg). Both programs start this way.
#pragma once

#include <windows.h>

struct ProgramFiles {
    wchar_t szModuleDir[260];  // drive and folder of the program, with the trailing backslash
    wchar_t szSkinPath[260];   // the chosen skin file
    HMODULE hResources;        // the satellite library, or none
    bool bSkinFound;           // false: neither skin file exists
};

// Single instance, COM apartment, GDI+, common controls (bar classes) and the
// application module, in this order. False when another instance holds the
// mutex: then nothing was initialised and the program ends at once with 0.
bool BeginProgram(const wchar_t* mutexName, HINSTANCE instance, HANDLE* mutex, ULONG_PTR* gdiplusToken);

// Fills the language candidates when empty, loads the first satellite library
// and chooses the skin file. A language's resources go only with that
// language's skin file: when skin.cfg is taken the library is freed again.
void FindProgramFiles(ProgramFiles* files);
