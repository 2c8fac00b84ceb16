#include "Utils.h"

#include "Handles.h"

#include <gtest/gtest.h>

#include <shobjidl.h>

#include <string>
#include <thread>

#include "Processes.h"
#include "TestFiles.h"

namespace {

class ComTest : public ::testing::Test {
protected:
    fw::ComScope com;
};

void SetString(HKEY root, const wchar_t* key, const wchar_t* name, const void* data, DWORD bytes) {
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(k, name, 0, REG_SZ, static_cast<const BYTE*>(data), bytes));
    RegCloseKey(k);
}

} // namespace

TEST(Registry, ByPathRecognisesEveryRootName) {
    const wchar_t* key = L"Software\\VelmarTest\\Roots";
    RegistryKeyGuard user(HKEY_CURRENT_USER, L"Software\\VelmarTest"), machine(HKEY_LOCAL_MACHINE, L"Software\\VelmarTest"),
        classes(HKEY_CLASSES_ROOT, L"VelmarTestRoot");
    SetString(HKEY_CURRENT_USER, key, L"v", L"hkcu", 10);
    SetString(HKEY_LOCAL_MACHINE, key, L"v", L"hklm", 10);
    SetString(HKEY_CLASSES_ROOT, L"VelmarTestRoot", L"v", L"hkcr", 10);
    struct {
        const wchar_t* path;
        const wchar_t* expect;
    } cases[] = {
        {L"HKEY_CURRENT_USER\\Software\\VelmarTest\\Roots", L"hkcu"},
        {L"HKEY_LOCAL_MACHINE\\Software\\VelmarTest\\Roots", L"hklm"},
        {L"HKEY_CLASSES_ROOT\\VelmarTestRoot", L"hkcr"},
    };
    for (auto& c : cases) {
        wchar_t data[64] = {};
        DWORD size = sizeof(data);
        EXPECT_EQ(ERROR_SUCCESS, ReadRegistryValueByPath(c.path, L"v", data, &size)) << c.path;
        EXPECT_STREQ(c.expect, data);
    }
    // HKEY_USERS holds the current user under its SID; the default profile key exists everywhere.
    wchar_t data[64] = {};
    DWORD size = sizeof(data);
    LONG rc = ReadRegistryValueByPath(L"HKEY_USERS\\.DEFAULT\\NoSuchKey", L"v", data, &size);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, rc);
}

TEST(Registry, UnknownRootReturnsFileNotFoundWithoutTouchingTheBuffer) {
    wchar_t data[8] = L"keep";
    DWORD size = sizeof(data);
    EXPECT_EQ(2, ReadRegistryValueByPath(L"HKCU\\Software", L"v", data, &size));
    EXPECT_EQ(2, ReadRegistryValueByPath(L"HKEY_CURRENT_CONFIG\\Software", L"v", data, &size));
    EXPECT_EQ(2, ReadRegistryValueByPath(L"HKEY_CURRENT_USERX\\Software", L"v", data, &size));
    EXPECT_STREQ(L"keep", data);
}

TEST(Registry, StringStoredWithoutTerminatorComesBackTerminated) {
    const wchar_t* key = L"Software\\VelmarTest\\Unterminated";
    RegistryKeyGuard user(HKEY_CURRENT_USER, L"Software\\VelmarTest");
    SetString(HKEY_CURRENT_USER, key, L"raw", L"abcd", 8); // four characters, no terminator
    wchar_t data[16];
    wmemset(data, L'#', 16);
    DWORD size = sizeof(data);
    ASSERT_EQ(ERROR_SUCCESS, ReadRegistryValue(HKEY_CURRENT_USER, key, L"raw", data, &size));
    EXPECT_STREQ(L"abcd", data);
    // A buffer that holds exactly the characters: the text is cut (or, where the
    // registry itself asks for room for a terminator, emptied), never left open.
    wmemset(data, L'#', 16);
    size = 4 * sizeof(wchar_t);
    LONG rc = ReadRegistryValue(HKEY_CURRENT_USER, key, L"raw", data, &size);
    if (rc == ERROR_SUCCESS)
        EXPECT_STREQ(L"abc", data);
    else
        EXPECT_EQ(ERROR_MORE_DATA, rc);
    EXPECT_EQ(L'#', data[4]);
}

TEST_F(ComTest, ShortcutTargetOfARealShortcut) {
    TempDir dir;
    std::wstring target = dir.WriteFile(L"tool.exe", "MZ");
    std::wstring lnk = dir.Join(L"Tool.lnk");
    ASSERT_TRUE(MakeShortcut(lnk, target));
    wchar_t out[260] = L"junk";
    EXPECT_EQ(1, GetShortcutTarget(lnk.c_str(), out, 260));
    EXPECT_EQ(0, _wcsicmp(target.c_str(), out)) << out;
    // Cut to the caller's capacity.
    wchar_t small[6];
    EXPECT_EQ(1, GetShortcutTarget(lnk.c_str(), small, 6));
    EXPECT_EQ(5u, wcslen(small));
    // Not a shortcut: failure and an empty result.
    EXPECT_EQ(0, GetShortcutTarget(target.c_str(), out, 260));
    EXPECT_STREQ(L"", out);
}

TEST_F(ComTest, ShortcutIconWithAndWithoutAGivenLinkObject) {
    TempDir dir;
    wchar_t shell32[MAX_PATH];
    GetSystemDirectoryW(shell32, MAX_PATH);
    wcscat(shell32, L"\\shell32.dll");
    std::wstring lnk = dir.Join(L"Shell.lnk");
    ASSERT_TRUE(MakeShortcut(lnk, shell32, L"", shell32, 3));
    fw::ComPtr<IShellLinkW> link;
    ASSERT_TRUE(SUCCEEDED(
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())));
    // The icon comes from the link's IExtractIconW; where the platform's link
    // object lacks it (Wine), the answer must be none rather than a crash.
    HICON large = GetShortcutIcon(lnk.c_str(), 0, link.get());
    HICON small = GetShortcutIcon(lnk.c_str(), 1, nullptr);
    fw::ComPtr<IExtractIconW> probe;
    bool hasExtract = SUCCEEDED(link->QueryInterface(IID_IExtractIconW, probe.put_void()));
    if (hasExtract) {
        ASSERT_TRUE(large);
        ICONINFO ii{};
        GetIconInfo(small, &ii);
        BITMAP bm{};
        GetObjectW(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof(bm), &bm);
        EXPECT_EQ(16, bm.bmWidth);
        if (ii.hbmColor)
            DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
    } else {
        EXPECT_EQ(nullptr, large);
        EXPECT_EQ(nullptr, small);
    }
    if (large)
        DestroyIcon(large);
    if (small)
        DestroyIcon(small);
    EXPECT_EQ(nullptr, GetShortcutIcon(dir.Join(L"missing.lnk").c_str(), 0, link.get()));
}

TEST(VersionStrings, FileDescriptionFoundOnlyThroughTheFallbackTables) {
    // The test library's translation names 0409/04E4 but its strings live in 0807/04E4.
    std::wstring dll = BinDir() + L"\\version_probe.dll";
    DWORD* translation = nullptr;
    void* block = GetFileVersionBlock(dll.c_str(), &translation);
    ASSERT_TRUE(block);
    ASSERT_TRUE(translation);
    EXPECT_EQ(0x0409, LOWORD(*translation));
    wchar_t out[128] = L"junk";
    EXPECT_EQ(1, GetFileVersionString(out, 128, block, translation, L"FileDescription"));
    EXPECT_STREQ(L"Velmar version probe", out);
    wchar_t tiny[7];
    EXPECT_EQ(1, GetFileVersionString(tiny, 7, block, translation, L"FileDescription"));
    EXPECT_STREQ(L"Velmar", tiny);
    EXPECT_EQ(0, GetFileVersionString(out, 128, block, translation, L"NoSuchValue"));
    EXPECT_STREQ(L"", out);
    free(block);
}

TEST(VersionStrings, FileWithoutVersionResourceGivesNoBlock) {
    TempDir dir;
    std::wstring f = dir.WriteFile(L"plain.txt", "hello");
    DWORD* translation = reinterpret_cast<DWORD*>(1);
    EXPECT_EQ(nullptr, GetFileVersionBlock(f.c_str(), &translation));
    EXPECT_EQ(nullptr, translation);
}

TEST(VersionStrings, FallbackTablesHaveTheDocumentedShape) {
    EXPECT_EQ(0, kVersionCodePages[0]);
    EXPECT_EQ(1256, kVersionCodePages[11]);
    for (int i = 0; i < 33; ++i)
        EXPECT_EQ(0x0401 + i, kVersionLanguages[i]);
    EXPECT_EQ(0x0804, kVersionLanguages[33]);
    EXPECT_EQ(0x100C, kVersionLanguages[44]);
}

TEST(LaunchDetached, StartsTheProgramWithAndWithoutParameters) {
    TempDir dir;
    std::wstring file = dir.Join(L"launch.txt");
    LaunchRecord record(file);
    EXPECT_EQ(1, LaunchDetached(Recorder().c_str(), L"alpha \"two words\""));
    EXPECT_EQ("alpha \"two words\"\n", record.WaitForLines());
    DeleteFileW(file.c_str());
    EXPECT_EQ(1, LaunchDetached(Recorder().c_str(), nullptr));
    EXPECT_EQ("\n", record.WaitForLines());
}

TEST(LaunchDetached, NullFileDoesNothingAndSucceeds) { EXPECT_EQ(1, LaunchDetached(nullptr, L"x")); }

// What lies beyond the capacity is cut off, and the cut text still starts our
// program: a copy of the recorder whose path fills the whole capacity.
TEST(LaunchDetached, OverLongTextIsCutNotFatal) {
    TempDir dir;
    LaunchRecord record(dir.Join(L"launch.txt"));
    const std::wstring name = L"\\r.exe";
    const std::wstring folder = dir.path() + L"\\" + std::wstring(kPathCapacity - 2 - dir.path().size() - name.size(), L'd');
    const std::wstring program = folder + name;
    ASSERT_EQ(kPathCapacity - 1, program.size());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(Recorder().c_str(), program.c_str(), FALSE));
    EXPECT_EQ(1, LaunchDetached((program + std::wstring(1000, L'f')).c_str(), std::wstring(1000, L'p').c_str()));
    EXPECT_EQ(std::string(255, 'p') + "\n", record.WaitForLines()) << "the parameters hold 255 characters";
    EXPECT_TRUE(WaitFor([&] { return DeleteFileW(program.c_str()) != FALSE; })) << "the recorder did not end";
}

TEST_F(ComTest, SpecialFolderPathOfAppData) {
    wchar_t path[260] = {};
    ASSERT_EQ(1, GetSpecialFolderPath(nullptr, path, CSIDL_APPDATA));
    EXPECT_EQ(1, FileExists(path));
    wchar_t untouched[260] = L"same";
    EXPECT_EQ(0, GetSpecialFolderPath(nullptr, untouched, 0x7FFF));
    EXPECT_STREQ(L"same", untouched);
}

TEST(RectScreenToClient, ConvertsBothCorners) {
    HWND w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 50, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(w);
    RECT r = {110, 60, 150, 90};
    EXPECT_EQ(1, RectScreenToClient(w, &r));
    EXPECT_EQ(10, r.left);
    EXPECT_EQ(10, r.top);
    EXPECT_EQ(50, r.right);
    EXPECT_EQ(40, r.bottom);
    DestroyWindow(w);
}

// A launch the shell cannot perform is told on the thread that asked (the UI
// thread), naming what failed to start; a box on the worker would keep the
// process alive at exit.
TEST(LaunchDetached, AFailureIsToldOnTheAskingThreadNamingWhatFailed) {
    HANDLE closed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD boxThread = 0;
    MessageBoxSeen seen;
    std::thread watcher([&] {
        if (HWND box = FindTitledWindow(GetCurrentProcessId(), L"#32770", nullptr, 30000))
            boxThread = GetWindowThreadProcessId(box, nullptr);
        seen = TakeMessageBox(GetCurrentProcessId(), 0);
        SetEvent(closed);
    });
    EXPECT_EQ(1, LaunchDetached(L"C:\\no such folder\\velmar-missing-program.exe", nullptr));
    EXPECT_TRUE(WaitFor([&] { return WaitForSingleObject(closed, 0) == WAIT_OBJECT_0; }, 60000));
    watcher.join();
    CloseHandle(closed);
    ASSERT_NE(0u, boxThread) << "no box told of the failed launch";
    EXPECT_EQ(GetCurrentThreadId(), boxThread) << "the box was not on the thread that asked";
    EXPECT_NE(std::wstring::npos, seen.text.find(L"velmar-missing-program.exe"));
}
