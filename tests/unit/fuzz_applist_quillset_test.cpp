// Damaged application lists in the options dialog: each case opens the real
// dialog on the file, paints it, saves with Apply, and reads the saved file
// back: it must hold exactly what the dialog showed, entry for entry.
#include "fuzz_inputs.h"
#include "fuzz_watchdog.h"
#include "quillset_test_support.h"

#include <cstdio>

namespace {

const size_t kShards = 3;
const size_t kDefaultCases = 900;

class ListDialogFuzz : public QuillsetDialogTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(ListDialogFuzz, EveryDamagedListOpensAndSavesWithoutLosingAnEntry) {
    WriteSkin();
    const std::wstring shortcut = dir.Join(L"Program.lnk");
    ASSERT_TRUE(MakeShortcut(shortcut, program));

    const FuzzPlan plan = FuzzPlan::FromEnvironment(kDefaultCases);
    size_t begin = 0, end = 0;
    plan.Shard(GetParam(), kShards, &begin, &end);
    FuzzWatchdog watchdog("list (options)");
    size_t shown = 0;
    for (size_t n = begin; n < end; ++n) {
        watchdog.Begin(n);
        FuzzRandom rnd(plan.CaseSeed(n));
        dir.WriteFile(L"applist.lst", MutatedList(rnd, Utf8(program), Utf8(shortcut)));
        Open();
        ASSERT_TRUE(dialog->m_hWnd && IsWindowVisible(dialog->m_hWnd)) << "case " << n;
        std::vector<AppListEntry> held;
        for (size_t i = 0; i < List().Count(); ++i)
            if (List().ItemAt(i)->nKind == kAppKindApplication || List().ItemAt(i)->nKind == kAppKindShortcut)
                held.push_back(MakeEntry(List().ItemAt(i)->szName, List().ItemAt(i)->nKind, List().ItemAt(i)->szPath));
        shown += held.size();

        Command(IDC_APPLY);
        std::vector<AppListEntry> saved;
        ASSERT_EQ(AppListStatus::Ok, ReadList(listPath, OptionsReader(), &saved)) << "case " << n;
        ASSERT_EQ(held.size(), saved.size()) << "case " << n;
        for (size_t i = 0; i < held.size(); ++i) {
            ASSERT_STREQ(held[i].szName, saved[i].szName) << "case " << n << " entry " << i;
            ASSERT_STREQ(held[i].szPath, saved[i].szPath) << "case " << n << " entry " << i;
            ASSERT_EQ(held[i].nKind, saved[i].nKind) << "case " << n << " entry " << i;
        }
        dialog.reset();
        Pump();
    }
    std::printf("list fuzz (options): seed %#llx cases %zu..%zu, %zu entries shown and saved back\n",
                static_cast<unsigned long long>(plan.seed), begin, end, shown);
}

INSTANTIATE_TEST_SUITE_P(Shards, ListDialogFuzz, ::testing::Range<size_t>(0, kShards));

} // namespace
