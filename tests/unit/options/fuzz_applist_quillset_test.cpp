// Damaged application lists in the options program: each case is read and
// saved again, and the saved file read back must hold exactly what was read,
// entry for entry. Some cases (all in make fuzz) go through the real dialog:
// opened on the file, painted, saved with Apply.
#include "fuzz_inputs.h"
#include "fuzz_watchdog.h"
#include "quillset_test_support.h"

#include <cstdio>

namespace {

const size_t kShards = 2;
const size_t kDefaultCases = 1000;
const size_t kDefaultWindowEvery = 16;

class ListDialogFuzz : public QuillsetDialogTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(ListDialogFuzz, EveryDamagedListOpensAndSavesWithoutLosingAnEntry) {
    WriteSkin();
    const std::wstring shortcut = dir.Join(L"Program.lnk");
    ASSERT_TRUE(MakeShortcut(shortcut, program));

    const FuzzPlan plan = FuzzPlan::FromEnvironment(kDefaultCases, kDefaultWindowEvery);
    size_t begin = 0, end = 0;
    plan.Shard(GetParam(), kShards, &begin, &end);
    FuzzWatchdog watchdog("list (options)");
    size_t dialogs = 0, kept = 0, unshapeable = 0;
    FuzzClock files, windows;
    // What was held must come back from the saved file, entry for entry.
    auto expectSavedBack = [&](size_t n, const std::vector<AppListEntry>& held) {
        std::vector<AppListEntry> saved;
        ASSERT_EQ(AppListStatus::Ok, ReadList(listPath, OptionsReader(), &saved)) << "case " << n;
        ASSERT_EQ(held.size(), saved.size()) << "case " << n;
        for (size_t i = 0; i < held.size(); ++i) {
            ASSERT_STREQ(held[i].szName, saved[i].szName) << "case " << n << " entry " << i;
            ASSERT_STREQ(held[i].szPath, saved[i].szPath) << "case " << n << " entry " << i;
            ASSERT_EQ(held[i].nKind, saved[i].nKind) << "case " << n << " entry " << i;
        }
        kept += held.size();
    };
    for (size_t n = begin; n < end; ++n) {
        watchdog.Begin(n);
        FuzzRandom rnd(plan.CaseSeed(n));
        const std::string bytes = MutatedList(rnd, Narrow(program), Narrow(shortcut));
        bool withWindows = plan.WithWindows(n);
        if (withWindows) {
            dir.WriteFile(L"applist.lst", bytes);
            std::vector<AppListEntry> read;
            ReadList(listPath, OptionsReader(), &read);
            if (WineCannotShape(read)) {
                withWindows = false;
                ++unshapeable;
            }
        }
        if (!withWindows) {
            // The options program's reader and writer without the dialog.
            files.Time([&] {
                dir.WriteFile(L"applist.lst", bytes);
                std::vector<AppListEntry> held;
                ReadList(listPath, OptionsReader(), &held);
                ASSERT_EQ(1, SaveAppList(listPath.c_str(), held)) << "case " << n;
                expectSavedBack(n, held);
            });
        } else {
            ++dialogs;
            windows.Time([&] {
                dir.WriteFile(L"applist.lst", bytes);
                MessageBoxCloser box(dialog);
                box.reply = IDCANCEL; // a read error's box offers Retry and Cancel
                Open();
                // Only a UTF-16 big-endian mark makes a file unreadable; the dialog says so
                // and never writes over it.
                const bool unreadable = bytes.compare(0, 2, "\xFE\xFF") == 0;
                EXPECT_EQ(unreadable, box.text.rfind(L"Error occurred while reading the file.", 0) == 0)
                    << "case " << n;
                ASSERT_TRUE(dialog->m_hWnd && IsWindowVisible(dialog->m_hWnd)) << "case " << n;
                std::vector<AppListEntry> held;
                for (size_t i = 0; i < List().Count(); ++i) {
                    const auto* item = List().ItemAt(i);
                    if (item->nKind == kAppKindApplication || item->nKind == kAppKindShortcut)
                        held.push_back(MakeEntry(item->strName, item->nKind, item->strPath));
                }
                Command(IDC_APPLY);
                if (unreadable) {
                    EXPECT_TRUE(ReadFileBytes(listPath) == bytes) << "case " << n;
                } else {
                    EXPECT_EQ(L"", box.text) << "case " << n << ": Apply failed";
                    expectSavedBack(n, held);
                }
                dialog.reset();
                Pump();
            });
        }
        if (HasFatalFailure())
            return;
    }
    std::printf("list fuzz (options): seed %#llx cases %zu..%zu: %zu read and saved back (%.0f ms), %zu through the "
                "dialog and Apply (%.0f ms), %zu kept from the dialog as Wine cannot shape their text; %zu entries "
                "kept\n",
                static_cast<unsigned long long>(plan.seed), begin, end, end - begin - dialogs, files.ms, dialogs,
                windows.ms, unshapeable, kept);
}

INSTANTIATE_TEST_SUITE_P(Shards, ListDialogFuzz, ::testing::Range<size_t>(0, kShards));

// Case 7681 of make fuzz: noise in a path that decodes to a Hebrew point after
// a Latin letter and, further on, an Arabic letter. The entry saves back as it
// was read; the dialog shows it wherever the text can be shaped.
TEST_F(QuillsetDialogTest, ANoisyPathOfMixedScriptsSavesBackAsRead) {
    WriteSkin();
    const std::string path = std::string("C:\\Apps\\editor.e.$\xee,&\x99\xc1\xa9I\xf7") + "4E\xd6\xb8" +
                             "c\xaa\xda\xbbG\xfe).sr\x91\xaf\x03\xbf\x1d\xab\xaf,@Wi\x90\x9c" + "2xe";
    dir.WriteFile(L"applist.lst", "\xEF\xBB\xBF# Application List\r\nAPP=Program|app|" + path + "\r\n");
    std::vector<AppListEntry> read, saved;
    ASSERT_EQ(AppListStatus::Ok, ReadList(listPath, OptionsReader(), &read));
    ASSERT_EQ(1u, read.size());
    EXPECT_TRUE(WineCannotShape(read[0].szPath));
    EXPECT_FALSE(WineCannotShape(L"\x0628\x064B\x0628 \x05D0\x05B8 A\x0301"));
    EXPECT_TRUE(WineCannotShape(L"C:\\x\x0E33"));
    EXPECT_FALSE(WineCannotShape(L"\x0E01\x0E33 \x0E01\x0E48\x0E33"));
    if (!WineCannotShape(read)) {
        Open();
        ASSERT_EQ(1u, List().Count());
        ClickRow(0);
        EXPECT_EQ(std::wstring(read[0].szPath), Text(IDC_LOCATION));
        Command(IDC_APPLY);
    } else {
        ASSERT_EQ(1, SaveAppList(listPath.c_str(), read));
    }
    ASSERT_EQ(AppListStatus::Ok, ReadList(listPath, OptionsReader(), &saved));
    ASSERT_EQ(1u, saved.size());
    EXPECT_STREQ(read[0].szName, saved[0].szName);
    EXPECT_STREQ(read[0].szPath, saved[0].szPath);
}

} // namespace
