#include "QuillsetMain.h"

#include "AppModule.h"
#include "MainDlg.h"
#include "MessageLoop.h"
#include "ProgramFiles.h"
#include "Skin.h"
#include "Text.h"
#include "Trace.h"
#include "Utils.h"

#include <commctrl.h>
#include <shellapi.h>
#include <gdiplus.h>

namespace {

const wchar_t kMutexName[] = L"{A5A7CE33-55C1-4c31-A4C2-5E298C1F2688}";

// The shell builds its icon lists at a process's first icon request, which costs
// more than making the whole dialog. A thread asks while the dialog is being made,
// so that the panel's and the rows' first icons find them built.
DWORD WINAPI BuildShellIcons(void*) {
    SHFILEINFOW info{};
    ::SHGetFileInfoW(L"program.exe", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                     SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX);
    return 0;
}

void StartShellIconsEarly() {
    if (HANDLE thread = ::CreateThread(nullptr, 0, BuildShellIcons, nullptr, 0, nullptr))
        ::CloseHandle(thread);
}

} // namespace

void LoadOptionsSkin(const wchar_t* skinPath, const wchar_t* moduleDirectory) {
    gSkin.SetConfigPath(skinPath);
    // The dialog opens even when the skin cannot be read completely. The menu's
    // pictures and icons are left out: they would cost the start more than all
    // the rest of the skin.
    gSkin.Load(moduleDirectory, CSkin::kOptionsDialog);
}

int RunOptionsDialog(int showCommand) {
    fw::CMessageLoop loop;
    fw::gModule.AddMessageLoop(&loop);
    int result = 0;
    {
        CMainDlg dialog;
        if (dialog.Create(nullptr)) {
            dialog.ShowWindow(showCommand);
            result = loop.Run();
        }
    }
    fw::gModule.RemoveMessageLoop();
    return result;
}

int QuillsetMain(HINSTANCE instance, int showCommand) {
    ProgramScope program(kMutexName, instance);
    if (!program.IsFirstInstance())
        return 0;
    const ProgramFiles& files = program.Files();
    if (!files.bSkinFound) {
        ShowErrorBox(IDS_NO_CONFIG, IDS_ERROR_CAPTION, nullptr);
        return kExitNoSkinFile;
    }

    StartShellIconsEarly();
    LoadOptionsSkin(files.szSkinPath, files.szModuleDir);

    const int result = RunOptionsDialog(showCommand);
    // The skin's font and colours are GDI+ objects: release them while GDI+ still runs.
    gSkin.Clear();
    return result;
}
