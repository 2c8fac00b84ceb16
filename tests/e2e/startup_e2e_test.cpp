// Velmar.exe start-up as a user meets it: started as a process, its exit code,
// its message boxes.
#include <gtest/gtest.h>

#include "ProgramFolder.h"
#include "Processes.h"
#include "StandinProcess.h"

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
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\VelmarOld.exe", 0,
                                             nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"win7"), 10);
    RegCloseKey(key);
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
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\VelmarOld7.exe", 0,
                                             nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"win7"), 10);
    RegCloseKey(key);
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

class VelmarLanguage : public VelmarStartup {
protected:
    void SetUp() override {
        VelmarStartup::SetUp();
        ASSERT_TRUE(folder.Copy({L"VelmarDEU.DLL"}));
        ASSERT_TRUE(folder.CopyDefaultSkin());
        ASSERT_TRUE(standin.Start(StandinOptions()));
    }
    void TearDown() override {
        if (HWND b = FindWindowExW(standin.Taskbar(), nullptr, nullptr, L"Start.Button.Main"))
            PostMessageW(b, WM_COMMAND, 32786, 0); // "Exit Velmar"
        if (german) {
            if (WaitForSingleObject(german, 10000) != WAIT_OBJECT_0)
                TerminateProcess(german, 99);
            CloseHandle(german);
        }
    }
    // Starts Velmar for a German user and answers whether its German library stayed loaded.
    // Wine takes the user's locale from the Unix environment of the process it
    // starts, so the program is started through a shell with LC_ALL set.
    bool RunGermanAndCheckLibrary() {
        using UnixName = char*(CDECL*)(const wchar_t*);
        auto toUnix = reinterpret_cast<UnixName>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        if (!toUnix)
            return false; // not under Wine: the locale cannot be set per process this way
        char* exe = toUnix(Exe().c_str());
        std::string command = std::string("/bin/sh -c \"LC_ALL=de_DE.UTF-8 exec wine '") + exe + "'\"";
        HeapFree(GetProcessHeap(), 0, exe);
        std::wstring line(command.begin(), command.end());
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        EXPECT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        if (pi.hThread)
            CloseHandle(pi.hThread);
        if (pi.hProcess)
            CloseHandle(pi.hProcess);
        HWND button = WaitForButton(standin.Taskbar());
        EXPECT_TRUE(button);
        if (!button)
            return false;
        DWORD pid = 0;
        GetWindowThreadProcessId(button, &pid);
        german = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        return german && HasModule(german, L"VelmarDEU.DLL");
    }
    HANDLE german = nullptr;
    CStandinProcess standin;
};

} // namespace

TEST_F(VelmarLanguage, GermanResourcesGoWithTheGermanSkinFile) {
    CopyFileW(folder.Join(L"skin.cfg").c_str(), folder.Join(L"skin_DEU.cfg").c_str(), FALSE);
    EXPECT_TRUE(RunGermanAndCheckLibrary());
}

TEST_F(VelmarLanguage, WithoutTheGermanSkinFileTheProgramsOwnMenusAreUsed) {
    EXPECT_FALSE(RunGermanAndCheckLibrary());
}
