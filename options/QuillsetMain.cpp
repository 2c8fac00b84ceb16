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
#include <gdiplus.h>

namespace {

const wchar_t kMutexName[] = L"{A5A7CE33-55C1-4c31-A4C2-5E298C1F2688}";

struct Process {
    HANDLE mutex = nullptr;
    HMODULE resources = nullptr;
    ULONG_PTR gdiplusToken = 0;
};

int Shutdown(Process& p, int exitCode) {
    if (p.mutex) {
        ::CloseHandle(p.mutex);
        p.mutex = nullptr;
    }
    if (p.resources) {
        fw::gModule.SetResourceInstance(nullptr);
        ::FreeLibrary(p.resources);
        p.resources = nullptr;
    }
    // The skin's font and colours are GDI+ objects: release them while GDI+ still runs.
    gSkin.Clear();
    if (p.gdiplusToken)
        Gdiplus::GdiplusShutdown(p.gdiplusToken);
    fw::gModule.Term();
    ::CoUninitialize();
    return exitCode;
}

} // namespace

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
    Process p;
    if (!BeginProgram(kMutexName, instance, &p.mutex, &p.gdiplusToken))
        return 0;

    ProgramFiles files;
    FindProgramFiles(&files);
    p.resources = files.hResources;
    if (p.resources)
        fw::gModule.SetResourceInstance(p.resources);
    if (!files.bSkinFound) {
        ShowErrorBox(IDS_NO_CONFIG, IDS_ERROR_CAPTION, nullptr);
        return Shutdown(p, kExitNoSkinFile);
    }

    gSkin.SetConfigPath(files.szSkinPath);
    // The dialog opens even when the skin cannot be read completely.
    gSkin.Load(files.szModuleDir);

    int result = RunOptionsDialog(showCommand);
    return Shutdown(p, result);
}
