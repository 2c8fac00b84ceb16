// Writing the list: the exact bytes, reading them back, and saves that fail.
#include "AppList.h"

#include <gtest/gtest.h>

#include "AppListTestHelpers.h"
#include "Handles.h"
#include "TestFiles.h"

namespace {

const char kHeader[] = "\xEF\xBB\xBF# Application List\r\n# encoding: UTF-8\r\n";

} // namespace

TEST(AppListSave, WritesTheMarkHeaderAndOneCrLfLinePerEntry) {
    TempDir dir;
    std::vector<AppListEntry> entries{
        MakeEntry(L"Editor", kAppKindApplication, L"C:\\Tools\\ed.exe"),
        MakeEntry(L"Batch", kAppKindOther, L"C:\\Tools\\run.bat"), // has no line form
        MakeEntry(L"Caf\x00E9 \x65E5", kAppKindShortcut, L"C:\\Links\\caf\x00E9.lnk"),
        MakeEntry(L"", kAppKindApplication, L""),
    };
    std::string expected = std::string(kHeader) + "APP=Editor|app|C:\\Tools\\ed.exe\r\n" +
                           "LNK=Caf\xC3\xA9 \xE6\x97\xA5|lnk|C:\\Links\\caf\xC3\xA9.lnk\r\n" + "APP=|app|\r\n";
    EXPECT_EQ(expected, FormatAppList(entries));

    std::wstring file = dir.Join(L"applist.lst");
    ASSERT_EQ(1, SaveAppList(file.c_str(), entries));
    EXPECT_EQ(expected, ReadFileBytes(file));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((file + L".tmp").c_str()));

    // An empty list still has its header; a second save replaces the first.
    ASSERT_EQ(1, SaveAppList(file.c_str(), {}));
    EXPECT_EQ(std::string(kHeader), ReadFileBytes(file));
}

TEST(AppListSave, ReadsBackNameForNameAndPathForPath) {
    fw::ComScope com;
    TempDir dir;
    std::wstring tool = CopyProgram(dir, L"Tool.exe");
    std::wstring lnk = dir.Join(L"Tool.lnk");
    ASSERT_TRUE(MakeShortcut(lnk, tool));
    std::wstring longPath = L"Q:\\" + std::wstring(256, L'q'); // the longest path, on no drive
    std::vector<AppListEntry> entries{
        MakeEntry(L"Tool = the editor", kAppKindApplication, tool),
        MakeEntry(L"Script", kAppKindOther, dir.Join(L"x.bat")),
        MakeEntry(L"Its shortcut", kAppKindShortcut, lnk),
        MakeEntry(std::wstring(255, L'N'), kAppKindApplication, longPath),
    };
    std::wstring file = dir.Join(L"applist.lst");
    ASSERT_EQ(1, SaveAppList(file.c_str(), entries));

    std::vector<AppListEntry> read;
    ASSERT_EQ(AppListStatus::Ok, ReadList(file, OptionsReader(0), &read));
    ASSERT_EQ(3u, read.size());
    const AppListEntry* written[] = {&entries[0], &entries[2], &entries[3]};
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_STREQ(written[i]->szName, read[i].szName);
        EXPECT_EQ(written[i]->nKind, read[i].nKind);
        EXPECT_STREQ(written[i]->szPath, read[i].szPath);
    }
    // Saving what was read gives the same bytes again.
    std::string first = ReadFileBytes(file);
    ASSERT_EQ(1, SaveAppList(file.c_str(), read));
    EXPECT_EQ(first, ReadFileBytes(file));
}

TEST(AppListSave, NamesWithSeparatorsOrLineBreaksKeepTheirPath) {
    TempDir dir;
    std::vector<AppListEntry> entries{MakeEntry(L"A|B\r\nC", kAppKindApplication, L"C:\\a.exe")};
    EXPECT_EQ(std::string(kHeader) + "APP=A B  C|app|C:\\a.exe\r\n", FormatAppList(entries));
}

TEST(AppListSave, AFailedSaveLeavesTheOldListAsItWas) {
    TempDir dir;
    std::vector<AppListEntry> entries{MakeEntry(L"New", kAppKindApplication, L"C:\\new.exe")};
    std::string old = std::string(kHeader) + "APP=Old|app|C:\\old.exe\r\n";

    // No path, or a folder that does not exist: nothing is created.
    EXPECT_EQ(0, SaveAppList(L"", entries));
    EXPECT_EQ(0, SaveAppList(nullptr, entries));
    std::wstring nowhere = dir.Join(L"missing\\applist.lst");
    EXPECT_EQ(0, SaveAppList(nowhere.c_str(), entries));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(nowhere.c_str()));

    // The new list cannot be written beside the old one.
    std::wstring file = dir.WriteFile(L"applist.lst", old);
    dir.MakeDir(L"applist.lst.tmp");
    EXPECT_EQ(0, SaveAppList(file.c_str(), entries));
    EXPECT_EQ(old, ReadFileBytes(file));
    EXPECT_NE(0u, GetFileAttributesW((file + L".tmp").c_str()) & FILE_ATTRIBUTE_DIRECTORY); // not ours to remove

    // The old list cannot be replaced (another program holds it without sharing
    // deletion): it stays, and the new one is cleaned up.
    std::wstring locked = dir.WriteFile(L"locked.lst", old);
    fw::UniqueFile holder(CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_EQ(0, SaveAppList(locked.c_str(), entries));
    holder.reset();
    EXPECT_EQ(old, ReadFileBytes(locked));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((locked + L".tmp").c_str()));
}

TEST(AppListSave, TheEditorKeepsAnEntryWhoseFileIsGoneAndWritesItBack) {
    fw::ComScope com;
    TempDir dir;
    std::wstring tool = CopyProgram(dir, L"Tool.exe");
    std::wstring gone = dir.Join(L"Removed tool.exe");
    std::wstring goneLink = L"Q:\\Unplugged\\Tool.lnk";
    std::string bytes = std::string(kHeader) + Narrow(L"APP=Tool|app|" + tool + L"\r\n") +
                        Narrow(L"APP=Removed|app|" + gone + L"\r\n") + Narrow(L"LNK=|lnk|" + goneLink + L"\r\n");
    std::wstring file = dir.WriteFile(L"applist.lst", bytes);

    // The menu does not show them.
    std::vector<AppListEntry> entries;
    ASSERT_EQ(AppListStatus::Ok, ReadList(file, MainReader(), &entries));
    ASSERT_EQ(1u, entries.size());

    std::wstring shownName;
    for (int smallIcons : {0, 1}) {
        ASSERT_EQ(AppListStatus::Ok, ReadList(file, OptionsReader(smallIcons), &entries));
        ASSERT_EQ(3u, entries.size());
        EXPECT_STREQ(L"Removed", entries[1].szName);
        EXPECT_EQ(gone, entries[1].szPath);
        // A nameless entry is named after its file; that name is written back.
        shownName = entries[2].szName;
        EXPECT_EQ(0u, shownName.find(L"Tool"));
        EXPECT_EQ(kAppKindShortcut, entries[2].nKind);
        EXPECT_EQ(goneLink, entries[2].szPath);
    }
    ASSERT_EQ(1, SaveAppList(file.c_str(), entries));
    std::string expected = std::string(kHeader) + Narrow(L"APP=Tool|app|" + tool + L"\r\n") +
                           Narrow(L"APP=Removed|app|" + gone + L"\r\n") + Narrow(L"LNK=" + shownName + L"|lnk|" + goneLink + L"\r\n");
    EXPECT_EQ(expected, ReadFileBytes(file));
}
