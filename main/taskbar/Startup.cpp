#include "Startup.h"

#include "AppModule.h"
#include "KeyHook.h"
#include "ProgramFiles.h"
#include "Skin.h"
#include "Text.h"
#include "Trace.h"
#include "Utils.h"

#include <commctrl.h>
#include <gdiplus.h>

namespace {

const wchar_t kMutexName[] = L"{6D4250E9-0FAA-484B-AE61-D577C975A0DE}";

void ShowTooOldMessage() {
    wchar_t text[1024] = {};
    wchar_t caption[256] = {};
    gSkin.GetString(104, text, 1024);
    gSkin.GetString(102, caption, 256);
    // Both built-in texts or none: never a mix of skin and built-in.
    if (!text[0] || !caption[0]) {
        fw::StrCopy(text, 1024, L"This program will only work on Windows 8 and higher.");
        fw::StrCopy(caption, 256, L"Error");
    }
    ::MessageBoxW(nullptr, text, caption, MB_ICONERROR);
}

} // namespace

bool IsWindowsTooOld(DWORD getVersionResult) {
    WORD low = LOWORD(getVersionResult);
    DWORD version = (static_cast<DWORD>(LOBYTE(low)) << 8) | HIBYTE(low);
    return version <= 0x0601;
}

void LoadMenuParts() {
    gSkin.LoadMenuParts();
    for (int number : {100, 101, 102}) {
        if (!gSkin.GetImage(number))
            Trace(L"LoadImage failed. ID = %d\n", number);
    }
}

int VelmarMain(HINSTANCE instance, int showCommand) {
    ProgramScope program(kMutexName, instance);
    if (!program.IsFirstInstance())
        return 0;
    const ProgramFiles& files = program.Files();
    if (!files.bSkinFound)
        return kExitNoSkinFile;

    gSkin.SetConfigPath(files.szSkinPath);
    // The menu's parts are loaded once the button is shown (PrepareMenuAtFirstIdle).
    if (!gSkin.Load(files.szModuleDir, CSkin::kStartButton)) {
        ::MessageBoxW(nullptr, L"Failed to read the configuration file. ", L"Error", MB_ICONERROR);
        return kExitSkinUnreadable;
    }
    if (IsWindowsTooOld(::GetVersion())) {
        ShowTooOldMessage();
        return kExitWindowsTooOld;
    }
    const int result = RunUserInterface(showCommand);
    StopKeyboardHook();
    return result;
}
