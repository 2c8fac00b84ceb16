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

ProgramScope::ProgramScope(const wchar_t* mutexName, HINSTANCE instance)
    : m_mutex(::CreateMutexW(nullptr, FALSE, mutexName)) {
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        m_mutex.reset();
        Trace(L"A instance is already running...\n");
        return;
    }
    m_bFirst = true;
    m_com.emplace(COINIT_APARTMENTTHREADED);
    m_gdiplus.emplace();
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    fw::gModule.Init(instance);
    FindProgramFiles(&m_files);
    m_resources.reset(m_files.hResources);
    if (m_resources)
        fw::gModule.SetResourceInstance(m_resources.get());
}

ProgramScope::~ProgramScope() {
    if (m_resources)
        fw::gModule.SetResourceInstance(nullptr);
    m_resources.reset();
    fw::gModule.Term();
}

