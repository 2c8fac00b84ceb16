// Damaged application lists in the Start menu: each case is written over the
// list file with a new modification time, so that the next opening of the one
// real menu reloads its pinned list from it; the menu is shown and painted,
// the all-programs tree shown in its place and the pinned list back again.
#include "AppList.h"
#include "fuzz_inputs.h"
#include "fuzz_watchdog.h"
#include "lists_test_support.h"

#include <cstdio>

namespace {

const size_t kShards = 3;
const size_t kDefaultCases = 1500;

class ListMenuFuzz : public ListsTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(ListMenuFuzz, EveryDamagedListReloadsIntoAWorkingMenu) {
    ASSERT_EQ(1, LoadListsSkin());
    const std::wstring program = dir.Join(L"Program.exe");
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_TRUE(::CopyFileW((std::wstring(system) + L"\\notepad.exe").c_str(), program.c_str(), FALSE));
    const std::wstring shortcut = dir.Join(L"Program.lnk");
    ASSERT_TRUE(MakeShortcut(shortcut, program));
    WriteList({L"APP=Program|app|" + program});
    CreateMenuWithLists();
    ASSERT_TRUE(pinned && all);

    const FuzzPlan plan = FuzzPlan::FromEnvironment(kDefaultCases);
    size_t begin = 0, end = 0;
    plan.Shard(GetParam(), kShards, &begin, &end);
    FuzzWatchdog watchdog("list (menu)");
    size_t rows = 0;
    for (size_t n = begin; n < end; ++n) {
        watchdog.Begin(n);
        FuzzRandom rnd(plan.CaseSeed(n));
        dir.WriteFile(L"applist.lst", MutatedList(rnd, Narrow(program), Narrow(shortcut)));
        SetModifiedTime(listFile, 1600000000 + static_cast<int64_t>(n));

        menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
        ::RedrawWindow(menu->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ASSERT_TRUE(Visible(pinned)) << "case " << n;
        rows += TopLevel(pinned).size();
        for (_treeNode* item : TopLevel(pinned))
            ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(item->szPath))
                << "case " << n << ": a row for a file that does not exist";
        ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
        ::RedrawWindow(all->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ASSERT_TRUE(Visible(all)) << "case " << n;
        ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
        ASSERT_TRUE(Visible(pinned)) << "case " << n;
        menu->ShowMenu(SW_HIDE, 0, 0);
        PumpFor(0);
    }
    // The menu still reads a good list after all that.
    WriteList({L"APP=Good|app|" + program});
    SetModifiedTime(listFile, 1500000000);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ASSERT_EQ(1u, TopLevel(pinned).size());
    EXPECT_STREQ(L"Good", TopLevel(pinned)[0]->szText);
    menu->ShowMenu(SW_HIDE, 0, 0);
    std::printf("list fuzz (menu): seed %#llx cases %zu..%zu, %zu rows shown\n",
                static_cast<unsigned long long>(plan.seed), begin, end, rows);
}

INSTANTIATE_TEST_SUITE_P(Shards, ListMenuFuzz, ::testing::Range<size_t>(0, kShards));

} // namespace
