#include "ProgramFiles.h"

#include "AppModule.h"
#include "MultiLanguage.h"
#include "Text.h"
#include "Trace.h"
#include "Utils.h"

#include <commctrl.h>
#include <gdiplus.h>

void FindProgramFiles(ProgramFiles* files) {
    *files = ProgramFiles{};
    if (CMultiLanguage::Count() == 0) {
        CMultiLanguage::AddDefaultLanguages();
        CMultiLanguage::DetectUILanguages();
    }
    wchar_t modulePath[260] = {};
    ::GetModuleFileNameW(nullptr, modulePath, 260);
    wchar_t language[4] = {};
    files->hResources = CMultiLanguage::LoadResourceLibrary(modulePath, language, 4);

    wchar_t drive[kDriveCapacity], directory[kPartCapacity];
    SplitPath(modulePath, drive, directory, nullptr, nullptr);
    MakePath(files->szModuleDir, drive, directory, L"", L"");
    wchar_t name[256];
    fw::StrFormat(name, 256, L"skin_%s", language);
    MakePath(files->szSkinPath, drive, directory, name, L"cfg");
    bool fallback = false;
    if (!FileExists(files->szSkinPath)) {
        MakePath(files->szSkinPath, drive, directory, L"skin", L"cfg");
        fallback = true;
    }
    files->bSkinFound = FileExists(files->szSkinPath) != 0;
    if (fallback && files->hResources) {
        ::FreeLibrary(files->hResources);
        files->hResources = nullptr;
    }
    if (!files->bSkinFound)
        Trace(L"Configuration file not found.\n");
}

bool BeginProgram(const wchar_t* mutexName, HINSTANCE instance, HANDLE* mutex, ULONG_PTR* gdiplusToken) {
    *mutex = ::CreateMutexW(nullptr, FALSE, mutexName);
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        if (*mutex)
            ::CloseHandle(*mutex);
        *mutex = nullptr;
        Trace(L"A instance is already running...\n");
        return false;
    }
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(gdiplusToken, &gdiplusInput, nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    fw::gModule.Init(instance);
    return true;
}
