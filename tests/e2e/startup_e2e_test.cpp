// Velmar.exe start-up as a user meets it: started as a process, its exit code,
// its message boxes.
#include <gtest/gtest.h>

#include "ProgramFolder.h"
#include "Processes.h"
#include "StandinProcess.h"
#include "XInput.h"
#include "resource.h"

#include <psapi.h>

#include <string>
#include <vector>

namespace {

const DWORD kNoTaskbar = static_cast<DWORD>(-1);

class VelmarStartup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.Copy({L"Velmar.exe", L"Pegwell.dll"})); }
    std::wstring Exe(const wchar_t* name = L"Velmar.exe") const { return folder.Join(name); }
    void WriteSkin(const std::string& text) const { folder.WriteFile(L"skin.cfg", text); }
    ProgramFolder folder;
    ChildProcess velmar;
};

} // namespace

TEST_F(VelmarStartup, WithoutATaskbarEndsWithMinusOne) {
    // Wine's own hidden tray window has no rebar: the lookup fails as without a taskbar.
    WriteSkin("[DESIGN]\r\nSKIN.APPLIST=e2e-startup.lst\r\n");
    ASSERT_TRUE(velmar.Start(Exe()));
    EXPECT_EQ(kNoTaskbar, velmar.Wait());
}

TEST_F(VelmarStartup, ASecondInstanceEndsAtOnceWithZeroAndShowsNothing) {
    WriteSkin("[DESIGN]\r\n");
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"{6D4250E9-0FAA-484B-AE61-D577C975A0DE}");
    ASSERT_TRUE(mutex);
    ASSERT_TRUE(velmar.Start(Exe()));
    EXPECT_EQ(0u, velmar.Wait());
    EXPECT_EQ(nullptr, FindProcessWindow(velmar.Id(), nullptr, 0));
    CloseHandle(mutex);
}

TEST_F(VelmarStartup, WithoutSkinFileEndsSilentlyWithItsOwnCode) {
    ASSERT_TRUE(velmar.Start(Exe()));
    EXPECT_EQ(2u, velmar.Wait());
}

TEST_F(VelmarStartup, OnWindows7ShowsTheBuiltInPairWhenOneSkinStringIsMissing) {
    // Wine reports Windows 7 for this program name only.
    ASSERT_TRUE(
        SetRegistryString(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\VelmarOld.exe", L"Version", L"win7"));
    ASSERT_TRUE(folder.CopyAs(L"Velmar.exe", L"VelmarOld.exe"));
    WriteSkin("[RESOURCE]\r\nSTRING.104=Nur ab Windows 8.\r\n");
    ASSERT_TRUE(velmar.Start(Exe(L"VelmarOld.exe")));
    MessageBoxSeen box = TakeMessageBox(velmar.Id());
    ASSERT_TRUE(box.window) << "no message box";
    EXPECT_EQ(L"Error", box.caption);
    EXPECT_EQ(L"This program will only work on Windows 8 and higher.", box.text);
    EXPECT_EQ(4u, velmar.Wait());
}

TEST_F(VelmarStartup, OnWindows7ShowsTheSkinsOwnTextAndCaption) {
    ASSERT_TRUE(
        SetRegistryString(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\VelmarOld7.exe", L"Version", L"win7"));
    ASSERT_TRUE(folder.CopyAs(L"Velmar.exe", L"VelmarOld7.exe"));
    WriteSkin("[RESOURCE]\r\nSTRING.102=Sorry\r\nSTRING.104=Needs a newer Windows.\r\n");
    ASSERT_TRUE(velmar.Start(Exe(L"VelmarOld7.exe")));
    MessageBoxSeen box = TakeMessageBox(velmar.Id());
    ASSERT_TRUE(box.window) << "no message box";
    EXPECT_EQ(L"Sorry", box.caption);
    EXPECT_EQ(L"Needs a newer Windows.", box.text);
    EXPECT_EQ(4u, velmar.Wait());
}

TEST_F(VelmarStartup, ASkinFileThatCannotBeReadIsReportedAndEndsWithItsOwnCode) {
    // A folder in the skin file's place exists but cannot be read as a file.
    folder.MakeDir(L"skin.cfg");
    ASSERT_TRUE(velmar.Start(Exe()));
    MessageBoxSeen box = TakeMessageBox(velmar.Id());
    ASSERT_TRUE(box.window) << "no message box";
    EXPECT_EQ(L"Error", box.caption);
    EXPECT_EQ(L"Failed to read the configuration file. ", box.text);
    EXPECT_EQ(3u, velmar.Wait());
}

TEST_F(VelmarStartup, ASkinFileHeldLockedIsReportedToo) {
    WriteSkin("[DESIGN]\r\n");
    HANDLE lock = CreateFileW(folder.Join(L"skin.cfg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    ASSERT_TRUE(velmar.Start(Exe()));
    MessageBoxSeen box = TakeMessageBox(velmar.Id());
    EXPECT_EQ(L"Failed to read the configuration file. ", box.text);
    EXPECT_EQ(3u, velmar.Wait());
    CloseHandle(lock);
}

TEST_F(VelmarStartup, WithoutImages100To102StillReachesTheTaskbarLookup) {
    WriteSkin("[DESIGN]\r\nSKIN.PATH=nowhere\r\n[RESOURCE]\r\nIMAGE.100=missing.png\r\n");
    ASSERT_TRUE(velmar.Start(Exe()));
    EXPECT_EQ(kNoTaskbar, velmar.Wait());
}

namespace {

// Whether the running process has the module loaded (by file name).
bool HasModule(HANDLE process, const wchar_t* name) {
    HMODULE modules[512];
    DWORD bytes = 0;
    if (!EnumProcessModules(process, modules, sizeof(modules), &bytes))
        return false;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE); ++i) {
        wchar_t base[MAX_PATH] = {};
        GetModuleBaseNameW(process, modules[i], base, MAX_PATH);
        if (_wcsicmp(base, name) == 0)
            return true;
    }
    return false;
}

HWND WaitForButton(HWND taskbar) {
    HWND button = nullptr;
    WaitFor([&] { return (button = FindWindowExW(taskbar, nullptr, nullptr, L"Start.Button.Main")) != nullptr; }, 20000);
    return button;
}

// Wine takes the user's locale from the Unix environment of the process it
// starts, so a program is started for another language through a shell with
// LC_ALL set. Returns false when not under Wine.
bool StartInLocale(const char* locale, const std::wstring& program) {
    const std::string exe = UnixFileName(program);
    if (exe.empty())
        return false;
    std::string command = std::string("/bin/sh -c \"LC_ALL=") + locale + " exec wine '" + exe + "'\"";
    std::wstring line(command.begin(), command.end());
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

class VelmarLanguage : public VelmarStartup {
protected:
    void SetUp() override {
        VelmarStartup::SetUp();
        ASSERT_TRUE(folder.CopyDefaultSkin());
        ASSERT_TRUE(standin.Start(StandinOptions()));
    }
    void TearDown() override {
        if (HWND b = FindWindowExW(standin.Taskbar(), nullptr, nullptr, L"Start.Button.Main"))
            PostMessageW(b, WM_COMMAND, ID_START_EXIT, 0);
        running.Wait(10000);
        running.Kill();
    }
    // Starts Velmar in the locale and waits for its button; the process is kept in running.
    HWND RunVelmarIn(const char* locale) {
        if (!StartInLocale(locale, Exe()))
            return nullptr;
        HWND button = WaitForButton(standin.Taskbar());
        EXPECT_TRUE(button);
        if (!button)
            return nullptr;
        running.Attach(OwnerProcess(button));
        return button;
    }
    // Starts Velmar for a German user and answers whether its German library stayed loaded.
    bool RunGermanAndCheckLibrary() {
        return RunVelmarIn("de_DE.UTF-8") && running.Handle() && HasModule(running.Handle(), L"VelmarDEU.DLL");
    }
    ChildProcess running;
    CStandinProcess standin;
};

} // namespace

TEST_F(VelmarLanguage, GermanResourcesGoWithTheGermanSkinFile) {
    ASSERT_TRUE(folder.Copy({L"VelmarDEU.DLL"}));
    CopyFileW(folder.Join(L"skin.cfg").c_str(), folder.Join(L"skin_DEU.cfg").c_str(), FALSE);
    EXPECT_TRUE(RunGermanAndCheckLibrary());
}

TEST_F(VelmarLanguage, WithoutTheGermanSkinFileTheProgramsOwnMenusAreUsed) {
    ASSERT_TRUE(folder.Copy({L"VelmarDEU.DLL"}));
    EXPECT_FALSE(RunGermanAndCheckLibrary());
}

namespace {

struct ShippedLanguage {
    const char* locale;
    const wchar_t* abbreviation;
    const wchar_t* exitVelmar;      // last item of the Start button's context menu
    const wchar_t* optionsCaption;  // Quillset's dialog
};

const ShippedLanguage kShippedLanguages[] = {
    {"de_DE.UTF-8", L"DEU", L"Velmar beenden", L"Startmen\u00fc-Optionen"},
    {"fr_FR.UTF-8", L"FRA", L"Quitter Velmar", L"Options du menu D\u00e9marrer"},
    {"es_ES.UTF-8", L"ESN", L"Salir de Velmar", L"Opciones del men\u00fa Inicio"},
    {"it_IT.UTF-8", L"ITA", L"Esci da Velmar", L"Opzioni del menu Start"},
};

// The visible dialog of a running Quillset.exe, whatever its caption.
HWND QuillsetDialog() {
    for (HWND h = FindWindowW(L"#32770", nullptr); h; h = FindWindowExW(nullptr, h, L"#32770", nullptr)) {
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, OwnerProcess(h));
        wchar_t name[MAX_PATH] = {};
        if (process) {
            GetModuleBaseNameW(process, nullptr, name, MAX_PATH);
            CloseHandle(process);
        }
        if (IsWindowVisible(h) && _wcsicmp(name, L"Quillset.exe") == 0)
            return h;
    }
    return nullptr;
}

} // namespace

// Each shipped language as the build lays it out (satellite libraries and
// skin_<LANG>.cfg beside the programs): Velmar keeps the language's library and
// its context menu says "Exit Velmar" in that language; Quillset opens its
// dialog with the translated caption.
TEST_F(VelmarLanguage, EveryShippedLanguageStartsBothProgramsInThatLanguage) {
    if (UnixFileName(BinDir()).empty())
        GTEST_SKIP() << "the locale is set per process only under Wine";
    ASSERT_TRUE(folder.Copy({L"Quillset.exe"}));
    for (const ShippedLanguage& language : kShippedLanguages) {
        const std::wstring abbr = language.abbreviation;
        SCOPED_TRACE(std::string(abbr.begin(), abbr.end()));
        const std::wstring velmarLibrary = L"Velmar" + abbr + L".DLL";
        ASSERT_TRUE(folder.Copy({velmarLibrary.c_str(), (L"Quillset" + abbr + L".DLL").c_str(),
                                 (L"skin_" + abbr + L".cfg").c_str()}));

        ASSERT_TRUE(RunVelmarIn(language.locale));
        EXPECT_TRUE(running.Handle() && HasModule(running.Handle(), velmarLibrary.c_str()))
            << "the language's library was not kept";
        HMODULE resources = LoadLibraryExW(folder.Join(velmarLibrary).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        EXPECT_EQ(language.exitVelmar, MenuString(resources, IDR_MENU_STARTBUTTON, 3));
        FreeLibrary(resources);
        TearDown();

        ASSERT_TRUE(StartInLocale(language.locale, folder.Join(L"Quillset.exe")));
        HWND dialog = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (dialog = QuillsetDialog()) != nullptr; })) << "Quillset showed no dialog";
        if (dialog) {
            wchar_t caption[128] = {};
            GetWindowTextW(dialog, caption, 128);
            EXPECT_EQ(std::wstring(language.optionsCaption), caption);
            // Ended every time: a program started through /bin/sh holds the test's output open.
            ChildProcess quillset;
            quillset.Attach(OwnerProcess(dialog));
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            quillset.Wait(10000);
        }
        // The next language must not find this one's files.
        for (const std::wstring& f : {velmarLibrary, L"Quillset" + abbr + L".DLL", L"skin_" + abbr + L".cfg"})
            DeleteFileW(folder.Join(f).c_str());
    }
}
