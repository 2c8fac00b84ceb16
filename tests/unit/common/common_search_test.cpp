// The search matcher: folding, ranking, the order and count of results, and
// the listing of shortcuts it searches.
#include "SearchIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace {

std::vector<std::wstring> Names(const std::vector<const SearchEntry*>& found) {
    std::vector<std::wstring> names;
    for (const SearchEntry* entry : found)
        names.push_back(entry->strName);
    return names;
}

SearchEntry Program(const wchar_t* name, const wchar_t* path = nullptr) {
    const std::wstring own = std::wstring(L"C:\\sm\\") + name + L".lnk";
    return MakeSearchEntry(name, path ? path : own.c_str(), kSearchPrograms);
}

} // namespace

TEST(SearchFolding, IgnoresCaseAndAccentsComposedOrNot) {
    EXPECT_EQ(L"editeur de texte", FoldForSearch(L"\u00C9DITEUR de Texte"));
    EXPECT_EQ(L"editeur", FoldForSearch(L"E\u0301diteur")); // e + combining acute
    EXPECT_EQ(L"uber noel", FoldForSearch(L"\u00FCber No\u00CBl"));
    EXPECT_EQ(L"", FoldForSearch(L""));
    EXPECT_EQ(L"", FoldForSearch(nullptr));
}

TEST(SearchRanking, NameStartThenWordStartThenAnywhere) {
    EXPECT_EQ(0, SearchRank(L"notepad", L"note"));
    EXPECT_EQ(1, SearchRank(L"adobe reader", L"rea"));
    EXPECT_EQ(1, SearchRank(L"paint.net", L"net"));
    EXPECT_EQ(1, SearchRank(L"visual studio (x64)", L"x6"));
    EXPECT_EQ(2, SearchRank(L"spreadsheet", L"read"));
    // A later occurrence at a word start still counts as one.
    EXPECT_EQ(1, SearchRank(L"threads reader", L"read"));
    EXPECT_EQ(-1, SearchRank(L"notepad", L"pen"));
    EXPECT_EQ(-1, SearchRank(L"notepad", L""));
    EXPECT_EQ(-1, SearchRank(L"", L"n"));
}

TEST(SearchMatches, BestFirstPinnedBeforeEqualProgramsAtMostMaxAndEachPathOnce) {
    const std::vector<SearchEntry> pinned = {
        MakeSearchEntry(L"Text Editor", L"C:\\apps\\editor.exe", kSearchPinned),
        MakeSearchEntry(L"Calculator", L"C:\\apps\\calc.exe", kSearchPinned),
    };
    const std::vector<SearchEntry> programs = {
        Program(L"Spreadsheet Editor"), Program(L"\u00C9diteur"), Program(L"Credits"),
        Program(L"Editor copy", L"c:\\APPS\\EDITOR.EXE"), // the pinned program again
        Program(L"Audio Editor"),
    };
    EXPECT_EQ((std::vector<std::wstring>{L"\u00C9diteur", L"Editor copy", L"Audio Editor", L"Spreadsheet Editor",
                                          L"Credits"}),
              Names(FindMatches(pinned, programs, L"EDI", 10)))
        << "name starts first, then word starts by name, then anywhere; the pinned editor's path once, at its best";
    EXPECT_EQ((std::vector<std::wstring>{L"Text Editor", L"Audio Editor"}),
              Names(FindMatches(pinned, {Program(L"Audio Editor"), Program(L"Text Editor")}, L"e", 2)))
        << "a pinned entry before an equally good Start Menu one, cut at the maximum";
    // One program under many names fills more than the head that is put in order first.
    std::vector<SearchEntry> copies;
    for (int i = 0; i < 40; ++i)
        copies.push_back(Program((L"Editor " + std::to_wstring(i)).c_str(), L"C:\\apps\\same.exe"));
    copies.push_back(Program(L"Last Editor"));
    EXPECT_EQ((std::vector<std::wstring>{L"Editor 0", L"Last Editor"}), Names(FindMatches({}, copies, L"edit", 3)));
    // Equal names go by path, compared as _wcsicmp compares: lower-cased, so "_" before "B".
    const std::vector<SearchEntry> tools = {Program(L"Tool", L"C:\\b\\Tool.lnk"), Program(L"Tool", L"C:\\aB.lnk"),
                                            Program(L"Tool", L"c:\\A_.lnk")};
    std::vector<std::wstring> paths;
    for (const SearchEntry* entry : FindMatches({}, tools, L"tool", 5))
        paths.push_back(entry->strPath);
    EXPECT_EQ((std::vector<std::wstring>{L"c:\\A_.lnk", L"C:\\aB.lnk", L"C:\\b\\Tool.lnk"}), paths);
    EXPECT_TRUE(FindMatches(pinned, programs, L"", 10).empty());
    EXPECT_TRUE(FindMatches(pinned, programs, L"zzz", 10).empty());
    EXPECT_TRUE(FindMatches(pinned, programs, L"e", 0).empty());
}

TEST(SearchShortcuts, ListsShortcutsOfEveryDepthOrOnlyTheTopAndStopsWhenAsked) {
    TempDir dir;
    dir.MakeDir(L"Tools");
    dir.MakeDir(L"Tools\\Deep");
    dir.WriteFile(L"Top.lnk", "x");
    dir.WriteFile(L"readme.txt", "x");
    dir.WriteFile(L"Tools\\Deep\\Hidden Gem.lnk", "x");
    dir.WriteFile(L"Tools\\Deep\\.lnk", "x"); // no name left
    std::vector<SearchEntry> all;
    ASSERT_EQ(1, CollectShortcuts(dir.path().c_str(), 1, &all, nullptr));
    std::vector<std::wstring> names;
    for (const SearchEntry& entry : all) {
        names.push_back(entry.strName);
        EXPECT_EQ(FoldForSearch(entry.strName.c_str()), entry.strFolded);
        EXPECT_EQ(kSearchPrograms, entry.nSource);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::wstring>{L"Hidden Gem", L"Top"}), names);
    const auto gem = std::find_if(all.begin(), all.end(), [](const SearchEntry& e) { return e.strName == L"Hidden Gem"; });
    ASSERT_NE(all.end(), gem);
    EXPECT_EQ(dir.Join(L"Tools\\Deep\\Hidden Gem.lnk"), gem->strPath);

    std::vector<SearchEntry> top;
    ASSERT_EQ(1, CollectShortcuts(dir.path().c_str(), 0, &top, nullptr));
    ASSERT_EQ(1u, top.size());
    EXPECT_EQ(L"Top", top[0].strName);

    HANDLE stop = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    std::vector<SearchEntry> stopped;
    EXPECT_EQ(0, CollectShortcuts(dir.path().c_str(), 1, &stopped, stop));
    EXPECT_TRUE(stopped.empty());
    CloseHandle(stop);
}
