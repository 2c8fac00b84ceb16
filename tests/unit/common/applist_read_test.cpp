// Reading real list files with the menu's and the editor's settings.
#include "AppList.h"

#include <gtest/gtest.h>

#include "AppListTestHelpers.h"
#include "Handles.h"
#include "TestFiles.h"
#include "Utils.h"

TEST(AppListRead, MenuReaderFollowsTheGrammarAndSkipsWhatCannotBeShown) {
    fw::ComScope com;
    TempDir dir;
    std::wstring tool = CopyProgram(dir, L"Tool.exe");
    std::wstring other = CopyProgram(dir, L"Other.exe");
    std::wstring missing = dir.Join(L"Gone.exe");
    std::wstring text = L"# Application List\r\n"
                        L"# encoding: UTF-8\r\n"
                        L"APP=Tool|app|" + tool + L"\r\n"
                        L"no equals sign here\r\n"
                        L"\r\n"
                        L"# a comment between entries\r\n"
                        L"app=Lower|app|" + other + L"\r\n"
                        L"APP=One|" + tool + L"\r\n"                 // one separator: no path
                        L"APP=Th|ree|app|" + tool + L"\r\n"          // three separators: no path
                        L"APP=No separator\r\n"                          // neither name nor path
                        L"APP=Missing|app|" + missing + L"\r\n"
                        L"EXE=Exe key|exe|" + tool + L"\r\n"
                        L"LNK =Blank key|lnk|" + other + L"\r\n"
                        L"  #APP=not a comment|app|" + tool + L"\r\n"
                        L"# last\r\n";
    std::wstring file = dir.WriteFile(L"applist.lst", "\xEF\xBB\xBF" + Narrow(text));

    std::vector<AppListEntry> entries;
    ASSERT_EQ(AppListStatus::Ok, ReadList(file, MainReader(), &entries));
    ASSERT_EQ(5u, entries.size());
    EXPECT_STREQ(L"Tool", entries[0].szName);
    EXPECT_EQ(kAppKindApplication, entries[0].nKind);
    EXPECT_EQ(tool, entries[0].szPath);
    EXPECT_STREQ(L"Lower", entries[1].szName);
    EXPECT_EQ(other, entries[1].szPath);
    EXPECT_STREQ(L"Exe key", entries[2].szName);
    EXPECT_EQ(kAppKindApplication, entries[2].nKind);
    EXPECT_STREQ(L"Blank key", entries[3].szName);
    EXPECT_EQ(kAppKindApplication, entries[3].nKind);
    EXPECT_STREQ(L"not a comment", entries[4].szName);

    // The editor keeps what it can write back: entries without a path keep their
    // name (never the current folder's), the missing file keeps its place.
    ASSERT_EQ(AppListStatus::Ok, ReadList(file, OptionsReader(), &entries));
    std::vector<std::wstring> names, paths;
    for (const AppListEntry& entry : entries) {
        names.push_back(entry.szName);
        paths.push_back(entry.szPath);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"Tool", L"Lower", L"One", L"Th", L"Missing", L"Exe key", L"Blank key",
                                         L"not a comment"}),
              names);
    EXPECT_EQ(L"", paths[2]);
    EXPECT_EQ(L"", paths[3]);
    EXPECT_EQ(missing, paths[4]);
}

TEST(AppListRead, EmptyNamesTakeTheShellsDisplayName) {
    fw::ComScope com;
    TempDir dir;
    std::wstring tool = CopyProgram(dir, L"Tool.exe");
    std::wstring lnk = dir.Join(L"Tool shortcut.lnk");
    ASSERT_TRUE(MakeShortcut(lnk, tool));
    std::wstring file = dir.WriteFile(L"applist.lst", Narrow(L"APP=|app|" + tool + L"\r\nlnk=|app|" + lnk + L"\r\n"));

    for (const AppListReadOptions& options : {MainReader(), OptionsReader()}) {
        std::vector<AppListEntry> entries;
        ASSERT_EQ(AppListStatus::Ok, ReadList(file, options, &entries));
        ASSERT_EQ(2u, entries.size());
        EXPECT_FALSE(ShellDisplayName(tool).empty());
        EXPECT_EQ(ShellDisplayName(tool), entries[0].szName);
        // The key decides: a lower-case "lnk" with the type word "app" is a shortcut,
        // and it gets a name whichever way its icon was found.
        EXPECT_EQ(kAppKindShortcut, entries[1].nKind);
        EXPECT_EQ(ShellDisplayName(lnk), entries[1].szName);
        EXPECT_NE(L'\0', entries[1].szName[0]);
    }
}

TEST(AppListRead, EncodingsAndLineEnds) {
    fw::ComScope com;
    TempDir dir;
    std::wstring tool = CopyProgram(dir, L"Tool.exe");
    std::wstring text = L"# c\r\nAPP=Gr\x00FC\x00DF" L"e \x65E5\x672C|app|" + tool + L"\r\nAPP=Zwei|app|" + tool;
    std::wstring lfOnly = L"# c\nAPP=Gr\x00FC\x00DF" L"e \x65E5\x672C|app|" + tool + L"\nAPP=Zwei|app|" + tool + L"\n";
    const std::string forms[] = {
        "\xEF\xBB\xBF" + Narrow(text), // as written, but the last line has no line feed
        Narrow(text),                  // no mark
        Narrow(lfOnly),                // LF only
        Utf16Le(text),               // UTF-16 LE with its mark
        Utf16Le(lfOnly),
    };
    for (const std::string& bytes : forms) {
        std::wstring file = dir.WriteFile(L"applist.lst", bytes);
        std::vector<AppListEntry> entries;
        ASSERT_EQ(AppListStatus::Ok, ReadList(file, MainReader(), &entries));
        ASSERT_EQ(2u, entries.size());
        EXPECT_STREQ(L"Gr\x00FC\x00DF" L"e \x65E5\x672C", entries[0].szName);
        EXPECT_EQ(tool, entries[0].szPath);
        EXPECT_STREQ(L"Zwei", entries[1].szName);
        EXPECT_EQ(tool, entries[1].szPath);
    }
}

TEST(AppListRead, NoFileAndFilesThatCannotBeOpened) {
    TempDir dir;
    std::vector<AppListEntry> entries;
    EXPECT_EQ(AppListStatus::NoFile, ReadAppList(L"", OptionsReader(), &entries));
    EXPECT_EQ(AppListStatus::NoFile, ReadAppList(nullptr, OptionsReader(), &entries));
    EXPECT_EQ(AppListStatus::NoFile, ReadAppList(dir.Join(L"none.lst").c_str(), OptionsReader(), &entries));
    EXPECT_EQ(AppListStatus::NoFile, ReadAppList(dir.Join(L"no\\such\\dir.lst").c_str(), MainReader(), &entries));

    // UTF-16 big-endian is refused as an open failure, as is a folder at the path.
    std::wstring be = dir.WriteFile(L"be.lst", std::string("\xFE\xFF\0A\0P\0P\0=\0|\0a\0|\0\n", 20));
    DWORD error = 0;
    EXPECT_EQ(AppListStatus::OpenFailed, ReadAppList(be.c_str(), OptionsReader(), &entries, &error));
    EXPECT_NE(0u, error);
    std::wstring folder = dir.MakeDir(L"folder.lst");
    EXPECT_EQ(AppListStatus::OpenFailed, ReadAppList(folder.c_str(), MainReader(), &entries));
    EXPECT_TRUE(entries.empty());

    // Only the two header lines: an empty list.
    std::wstring header = dir.WriteFile(L"header.lst", "\xEF\xBB\xBF# Application List\r\n# encoding: UTF-8\r\n");
    EXPECT_EQ(AppListStatus::Ok, ReadAppList(header.c_str(), MainReader(), &entries));
    EXPECT_TRUE(entries.empty());
}

TEST(AppListRead, TheMenuStopsAtItsLimitTheEditorDoesNot) {
    fw::ComScope com;
    TempDir dir;
    std::wstring tool = CopyProgram(dir, L"Tool.exe");
    std::wstring text = L"APP=Missing|app|" + dir.Join(L"gone.exe") + L"\r\n";
    for (int i = 1; i <= 12; ++i)
        text += L"APP=Entry " + std::to_wstring(i) + L"|app|" + tool + L"\r\n";
    std::wstring file = dir.WriteFile(L"applist.lst", Narrow(text));

    std::vector<AppListEntry> entries;
    ASSERT_EQ(AppListStatus::Ok, ReadList(file, MainReader(), &entries));
    ASSERT_EQ(10u, entries.size()); // the skipped line does not count
    EXPECT_STREQ(L"Entry 1", entries[0].szName);
    EXPECT_STREQ(L"Entry 10", entries[9].szName);

    AppListReadOptions unlimited = MainReader();
    unlimited.nMaxEntries = 0;
    ASSERT_EQ(AppListStatus::Ok, ReadList(file, unlimited, &entries));
    EXPECT_EQ(12u, entries.size());
    ASSERT_EQ(AppListStatus::Ok, ReadList(file, OptionsReader(), &entries));
    EXPECT_EQ(13u, entries.size()); // the editor keeps the missing one too
}

TEST(AppListRead, LongLinesAndOverLongFieldsAreCut) {
    fw::ComScope com;
    TempDir dir;
    std::wstring tool = CopyProgram(dir, L"Tool.exe");
    std::wstring longName(400, L'n');
    std::wstring text = L"APP=" + std::wstring(5000, L'x') + L"|app|" + tool + L"\r\n" // pieces, no usable path
                        + std::wstring(100, L'k') + L"=Long key|app|" + tool + L"\r\n"
                        + L"APP=" + longName + L"|app|" + tool + L"\r\n"
                        + L"APP=Long path|app|" + tool + L"\\" + std::wstring(600, L'p') + L"\r\n"
                        + L"APP=After|app|" + tool + L"\r\n";
    std::wstring file = dir.WriteFile(L"applist.lst", Narrow(text));

    std::vector<AppListEntry> entries;
    ASSERT_EQ(AppListStatus::Ok, ReadList(file, MainReader(), &entries));
    ASSERT_EQ(3u, entries.size());
    EXPECT_STREQ(L"Long key", entries[0].szName);
    EXPECT_EQ(kAppKindApplication, entries[0].nKind);
    EXPECT_EQ(std::wstring(255, L'n'), entries[1].szName);
    EXPECT_EQ(tool, entries[1].szPath);
    EXPECT_STREQ(L"After", entries[2].szName);

    // The editor keeps the cut path (it names no file) and never overruns a field.
    ASSERT_EQ(AppListStatus::Ok, ReadList(file, OptionsReader(), &entries));
    bool sawLongPath = false;
    for (const AppListEntry& entry : entries) {
        EXPECT_LT(wcslen(entry.szName), kAppListNameCapacity);
        EXPECT_LT(wcslen(entry.szPath), kAppListPathCapacity);
        if (wcscmp(entry.szName, L"Long path") == 0) {
            sawLongPath = true;
            EXPECT_EQ(259u, wcslen(entry.szPath));
        }
    }
    EXPECT_TRUE(sawLongPath);
}

TEST(AppListRead, ShortcutsAreReadEvenWithoutAShellLinkObject) {
    TempDir dir;
    std::wstring tool = CopyProgram(dir, L"Tool.exe");
    std::wstring lnk = dir.Join(L"Tool.lnk");
    {
        fw::ComScope com;
        ASSERT_TRUE(MakeShortcut(lnk, tool));
    }
    // COM is not initialised here, so the link object cannot be created: the
    // shortcut takes the shell's icon and the other lines are still read.
    std::wstring file = dir.WriteFile(L"applist.lst", Narrow(L"LNK=Link|lnk|" + lnk + L"\r\nAPP=App|app|" + tool + L"\r\n"));
    std::vector<AppListEntry> entries;
    ASSERT_EQ(AppListStatus::Ok, ReadList(file, MainReader(), &entries));
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(kAppKindShortcut, entries[0].nKind);
    EXPECT_EQ(lnk, entries[0].szPath);
    EXPECT_STREQ(L"App", entries[1].szName);
}

TEST(AppListRead, RecordsTheModificationTimeOnlyAfterAGoodRead) {
    TempDir dir;
    std::wstring file = dir.WriteFile(L"applist.lst", "# empty\r\n");
    SetModifiedTime(file, 1500000000);
    int64_t stamp = 0;
    AppListReadOptions options = MainReader();
    options.pChangeStamp = &stamp;
    std::vector<AppListEntry> entries;
    ASSERT_EQ(AppListStatus::Ok, ReadAppList(file.c_str(), options, &entries));
    int64_t expected = 0;
    ASSERT_EQ(1, FileChangedSince(file.c_str(), &expected));
    EXPECT_EQ(expected, stamp);
    std::wstring be = dir.WriteFile(L"be.lst", "\xFE\xFF");
    SetModifiedTime(be, 1600000000);
    EXPECT_EQ(AppListStatus::OpenFailed, ReadAppList(be.c_str(), options, &entries));
    EXPECT_EQ(expected, stamp);
}
