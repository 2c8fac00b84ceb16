// Velmar.exe start-up as a user meets it: started as a process, its exit code,
// its message boxes.
#include <gtest/gtest.h>

#include "ProgramFolder.h"
#include "Processes.h"

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

TEST_F(VelmarStartup, WithoutImages100To102StillReachesTheTaskbarLookup) {
    WriteSkin("[DESIGN]\r\nSKIN.PATH=nowhere\r\n[RESOURCE]\r\nIMAGE.100=missing.png\r\n");
    ASSERT_TRUE(velmar.Start(Exe()));
    EXPECT_EQ(kNoTaskbar, velmar.Wait());
}
