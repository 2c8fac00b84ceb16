// The list file under stress: damaged text that must still save back as it
// was read, and Quillset's save racing Velmar's reload.
#include "AppListTestHelpers.h"

#include <atomic>
#include <thread>

namespace {

std::vector<AppListEntry> ListOf(const wchar_t* prefix, int count, const std::wstring& path) {
    std::vector<AppListEntry> out;
    for (int i = 0; i < count; ++i)
        out.push_back(MakeEntry(prefix + std::to_wstring(i), kAppKindApplication, path));
    return out;
}

TEST(AppListHardening, ALoneSurrogateIsReadAsReplacementCharacterSoTheEntrySavesBackUnchanged) {
    CoInitialize(nullptr);
    TempDir dir;
    const std::wstring program = CopyProgram(dir, L"Program.exe");
    const std::wstring list = dir.Join(L"applist.lst");
    // UTF-16 with a high surrogate alone in the name, a low one alone at its end.
    dir.WriteFile(L"applist.lst", Utf16Le(L"APP=Pr\xD9DFog\xDC00|app|" + program + L"\r\nAPP=Pair \xD83D\xDE00|app|" +
                                          program + L"\r\n"));
    std::vector<AppListEntry> read;
    ASSERT_EQ(AppListStatus::Ok, ReadList(list, OptionsReader(), &read));
    ASSERT_EQ(2u, read.size());
    EXPECT_STREQ(L"Pr\xFFFDog\xFFFD", read[0].szName);
    EXPECT_STREQ(L"Pair \xD83D\xDE00", read[1].szName) << "a whole pair is kept";
    ASSERT_EQ(1, SaveAppList(list.c_str(), read));
    std::vector<AppListEntry> saved;
    ASSERT_EQ(AppListStatus::Ok, ReadList(list, OptionsReader(), &saved));
    ASSERT_EQ(2u, saved.size());
    EXPECT_STREQ(read[0].szName, saved[0].szName);
    EXPECT_STREQ(read[1].szName, saved[1].szName);
    CoUninitialize();
}

TEST(AppListHardening, AReadOnlyListIsNotReplaced) {
    TempDir dir;
    const std::wstring list = dir.WriteFile(L"applist.lst", "\xEF\xBB\xBF# Application List\r\n");
    ASSERT_TRUE(SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(0, SaveAppList(list.c_str(), {MakeEntry(L"New", kAppKindApplication, L"C:\\x.exe")}));
    EXPECT_EQ("\xEF\xBB\xBF# Application List\r\n", ReadFileBytes(list));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((list + L".tmp").c_str())) << "the temporary file stayed";
    SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// One thread saves two different lists in turn with the writer both programs
// share, while another reads with the menu's reader: every read sees one whole
// list, never a mix or half a file.
TEST(AppListRace, AReaderDuringRepeatedSavesSeesTheOldOrTheNewListNeverAMix) {
    CoInitialize(nullptr);
    TempDir dir;
    const std::wstring program = CopyProgram(dir, L"Program.exe");
    const std::wstring list = dir.Join(L"applist.lst");
    const auto a = ListOf(L"Old ", 3, program), b = ListOf(L"New entry ", 7, program);
    ASSERT_EQ(1, SaveAppList(list.c_str(), a));

    std::atomic<bool> done{false};
    std::atomic<int> saves{0}, failedSaves{0};
    std::thread writer([&] {
        for (int i = 0; i < 400; ++i) {
            if (SaveAppList(list.c_str(), i % 2 ? a : b))
                ++saves;
            else
                ++failedSaves;
        }
        done = true;
    });
    AppListReadOptions options;
    options.bSkipMissing = 1; // the menu's reader
    int reads = 0, mixed = 0, unreadable = 0;
    while (!done) {
        std::vector<AppListEntry> seen;
        const AppListStatus status = ReadList(list, options, &seen);
        ++reads;
        if (status != AppListStatus::Ok) {
            ++unreadable;
            continue;
        }
        const bool isOld = seen.size() == a.size() && std::wstring(seen[0].szName) == L"Old 0" &&
                           std::wstring(seen.back().szName) == L"Old 2";
        const bool isNew = seen.size() == b.size() && std::wstring(seen[0].szName) == L"New entry 0" &&
                           std::wstring(seen.back().szName) == L"New entry 6";
        mixed += !isOld && !isNew;
    }
    writer.join();
    std::printf("save/reload race: %d saves, %d reads, %d mixed, %d unreadable, %d failed saves\n", saves.load(), reads,
                mixed, unreadable, failedSaves.load());
    EXPECT_EQ(0, mixed);
    EXPECT_EQ(0, unreadable);
    EXPECT_EQ(0, failedSaves.load()) << "a reader made a save fail";
    EXPECT_GT(reads, 10);
    CoUninitialize();
}

} // namespace
