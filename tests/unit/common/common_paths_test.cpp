#include "Utils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "TestFiles.h"

TEST(SplitPath, SplitsDriveDirectoryNameAndExtension) {
    wchar_t drive[3], dir[256], name[256], ext[256];
    SplitPath(L"D:\\Apps\\Velmar\\Velmar.exe", drive, dir, name, ext);
    EXPECT_STREQ(L"D:", drive);
    EXPECT_STREQ(L"\\Apps\\Velmar\\", dir);
    EXPECT_STREQ(L"Velmar", name);
    EXPECT_STREQ(L".exe", ext);
    SplitPath(L"archive.tar.gz", drive, dir, name, ext);
    EXPECT_STREQ(L"", drive);
    EXPECT_STREQ(L"", dir);
    EXPECT_STREQ(L"archive.tar", name);
    EXPECT_STREQ(L".gz", ext);
    // A dot in a folder name is not an extension.
    SplitPath(L"C:\\my.dir\\file", drive, dir, name, ext);
    EXPECT_STREQ(L"\\my.dir\\", dir);
    EXPECT_STREQ(L"file", name);
    EXPECT_STREQ(L"", ext);
}

TEST(SplitPath, OverLongPartsAreCutNotFatal) {
    std::wstring longName(400, L'n');
    std::wstring path = L"C:\\" + std::wstring(300, L'd') + L"\\" + longName + L".txt";
    wchar_t drive[3], dir[256], name[256], ext[256];
    SplitPath(path.c_str(), drive, dir, name, ext);
    EXPECT_EQ(255u, wcslen(dir));
    EXPECT_EQ(255u, wcslen(name));
    EXPECT_STREQ(L".txt", ext);
}

TEST(MakePath, JoinsLikeTheRuntimeAndGivesTheModuleDirectory) {
    wchar_t out[260];
    MakePath(out, L"D:", L"\\Apps\\", L"", L"");
    EXPECT_STREQ(L"D:\\Apps\\", out);
    MakePath(out, L"D:", L"\\Apps\\", L"skin_ENU", L"cfg");
    EXPECT_STREQ(L"D:\\Apps\\skin_ENU.cfg", out);
    MakePath(out, L"D", L"\\Apps", L"skin", L".cfg");
    EXPECT_STREQ(L"D:\\Apps\\skin.cfg", out);
    std::wstring longDir(300, L'x');
    MakePath(out, L"C:", longDir.c_str(), L"a", L"b");
    EXPECT_EQ(259u, wcslen(out));
}

TEST(CopyAndAppendPath, CutAt259Characters) {
    wchar_t out[260];
    std::wstring text(500, L'p');
    CopyPath(out, text.c_str());
    EXPECT_EQ(259u, wcslen(out));
    CopyPath(out, L"C:\\dir");
    AppendPath(out, text.c_str());
    EXPECT_EQ(259u, wcslen(out));
    EXPECT_EQ(0, wcsncmp(out, L"C:\\dirppp", 9));
}

TEST(FileExists, FilesAndFoldersAlike) {
    TempDir dir;
    EXPECT_EQ(1, FileExists(dir.path().c_str()));
    EXPECT_EQ(0, FileExists((dir.path() + L"\\missing.txt").c_str()));
    std::wstring f = dir.WriteFile(L"a.txt", "x");
    EXPECT_EQ(1, FileExists(f.c_str()));
    EXPECT_EQ(0, FileExists(nullptr));
}

TEST(FileChangedSince, ReportsAChangeOnceAndStoresTheStamp) {
    TempDir dir;
    std::wstring f = dir.WriteFile(L"list.lst", "one");
    int64_t stamp = 0;
    EXPECT_EQ(1, FileChangedSince(f.c_str(), &stamp));
    EXPECT_NE(0, stamp);
    EXPECT_EQ(0, FileChangedSince(f.c_str(), &stamp));
    SetModifiedTime(f, 1500000000);
    EXPECT_EQ(1, FileChangedSince(f.c_str(), &stamp));
    const int64_t whole = stamp;
    EXPECT_EQ(0, FileChangedSince(f.c_str(), &stamp));
    // Less than a second later is a change too (a list saved twice in a second).
    HANDLE h = CreateFileW(f.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME later{static_cast<DWORD>(whole + 10000), static_cast<DWORD>((whole + 10000) >> 32)};
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &later));
    CloseHandle(h);
    EXPECT_EQ(1, FileChangedSince(f.c_str(), &stamp));
    EXPECT_EQ(whole + 10000, stamp);
}

TEST(FileChangedSince, MissingFileIsUnchangedAndKeepsTheStamp) {
    TempDir dir;
    int64_t stamp = 1234;
    EXPECT_EQ(0, FileChangedSince((dir.path() + L"\\gone.lst").c_str(), &stamp));
    EXPECT_EQ(1234, stamp);
}

TEST(ListDirectory, OneLevelSkipsHiddenFilesAndFolders) {
    TempDir dir;
    dir.WriteFile(L"b.lnk", "");
    dir.WriteFile(L"a.lnk", "");
    std::wstring hidden = dir.WriteFile(L"hidden.lnk", "");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    dir.MakeDir(L"Games");
    std::wstring hiddenDir = dir.MakeDir(L"Secret");
    SetFileAttributesW(hiddenDir.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    dir.WriteFile(L"Games\\inner.lnk", "");

    std::vector<std::wstring> files, folders;
    ListDirectory(&files, &folders, dir.path().c_str());
    std::sort(files.begin(), files.end());
    EXPECT_EQ((std::vector<std::wstring>{dir.path() + L"\\a.lnk", dir.path() + L"\\b.lnk"}), files);
    EXPECT_EQ((std::vector<std::wstring>{dir.path() + L"\\Games"}), folders);

    // A list that is not wanted is simply not filled.
    std::vector<std::wstring> onlyFiles;
    ListDirectory(&onlyFiles, nullptr, dir.path().c_str());
    EXPECT_EQ(2u, onlyFiles.size());
    ListDirectory(&onlyFiles, nullptr, (dir.path() + L"\\nowhere").c_str());
    EXPECT_EQ(2u, onlyFiles.size());
}

TEST(CompareByFileName, IgnoresDirectoryExtensionAndCase) {
    EXPECT_TRUE(CompareByFileName(L"Z:\\zzz\\apple.lnk", L"A:\\aaa\\Banana.exe"));
    EXPECT_FALSE(CompareByFileName(L"A:\\aaa\\Banana.exe", L"Z:\\zzz\\apple.lnk"));
    // Same base name: neither sorts before the other.
    EXPECT_FALSE(CompareByFileName(L"C:\\x\\Notes.txt", L"D:\\y\\notes.lnk"));
    EXPECT_FALSE(CompareByFileName(L"D:\\y\\notes.lnk", L"C:\\x\\Notes.txt"));
}

TEST(Hashes, MatchHandComputedValues) {
    EXPECT_EQ(2081, HashNameNoCase(L"ab", 2));
    EXPECT_EQ(HashNameNoCase(L"AB", 2), HashNameNoCase(L"ab", 2));
    // Only the first count characters take part.
    EXPECT_EQ(HashNameNoCase(L"ab", 2), HashNameNoCase(L"abc", 2));
    // 32-bit wrap-around, and non-ASCII letters are not folded.
    EXPECT_EQ(-1650300261, HashNameNoCase(L"Microsoft\\Windows\\Start Menu\\Programs\\Accessories", 49));
    EXPECT_EQ(7288, HashNameNoCase(L"\u00e9a", 2));
    EXPECT_EQ(6363168u, HashPath(L"ab", 2));
    EXPECT_EQ(0xb45e2576u, HashPath(L"C:\\Skins\\focus.png", 18));
    EXPECT_EQ(0u, HashPath(L"", 0));
}
