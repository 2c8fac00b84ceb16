// The files a program finds beside itself at start-up: the satellite library of
// the user's language and the skin file that goes with it (skin_<ABC>.cfg, else
// skin.cfg). Both programs start this way.
#pragma once

#include <windows.h>

#include "GdiplusScope.h"
#include "Handles.h"

#include <optional>

struct ProgramFiles {
    wchar_t szModuleDir[260];  // drive and folder of the program, with the trailing backslash
    wchar_t szSkinPath[260];   // the chosen skin file
    HMODULE hResources;        // the satellite library, or none
    bool bSkinFound;           // false: neither skin file exists
};

// What a program holds while it runs: single instance, COM apartment, GDI+,
// common controls (bar classes), the application module and the program files
// (FindProgramFiles; the satellite library serves the resources), started in
// this order. When another instance holds the mutex nothing else starts and
// the program ends at once with 0. The end of the scope lets go of everything
// in the reverse order.
class ProgramScope {
public:
    ProgramScope(const wchar_t* mutexName, HINSTANCE instance);
    ~ProgramScope();
    ProgramScope(const ProgramScope&) = delete;
    ProgramScope& operator=(const ProgramScope&) = delete;
    bool IsFirstInstance() const { return m_bFirst; }
    const ProgramFiles& Files() const { return m_files; }

private:
    fw::UniqueKernelHandle m_mutex;
    bool m_bFirst = false;
    std::optional<fw::ComScope> m_com;
    std::optional<fw::GdiplusScope> m_gdiplus;
    ProgramFiles m_files{};
    fw::UniqueModule m_resources;
};

// Fills the language candidates when empty, loads the first satellite library
// and chooses the skin file. A language's resources go only with that
// language's skin file: when skin.cfg is taken the library is freed again.
void FindProgramFiles(ProgramFiles* files);
