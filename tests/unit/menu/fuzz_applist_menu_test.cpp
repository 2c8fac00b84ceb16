// Damaged application lists in the menu: each case is read by the menu's
// reader, and some cases (all in make fuzz) also reach the one
// real menu: written with a new modification time, the next opening reloads
// the pinned list from it; the menu is shown and painted, the all-programs
// tree shown in its place and the pinned list back again.
#include "AppList.h"
#include "fuzz_inputs.h"
#include "fuzz_watchdog.h"
#include "lists_test_support.h"

#include <cstdio>

namespace {

const size_t kShards = 2;
const size_t kDefaultCases = 1000;
const size_t kDefaultWindowEvery = 4;

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

    const FuzzPlan plan = FuzzPlan::FromEnvironment(kDefaultCases, kDefaultWindowEvery);
    size_t begin = 0, end = 0;
    plan.Shard(GetParam(), kShards, &begin, &end);
    FuzzWatchdog watchdog("list (menu)");
    size_t read = 0, menus = 0, rows = 0, unshapeable = 0;
    FuzzClock reading, showing;
    for (size_t n = begin; n < end; ++n) {
        watchdog.Begin(n);
        FuzzRandom rnd(plan.CaseSeed(n));
        dir.WriteFile(L"applist.lst", MutatedList(rnd, Narrow(program), Narrow(shortcut)));
        SetModifiedTime(listFile, 1600000000 + static_cast<int64_t>(n));
        // The menu's reader (the options program's reads every case in its own test).
        bool shapeable = true;
        reading.Time([&] {
            AppListReadOptions options;
            options.bSkipMissing = 1;
            std::vector<AppListEntry> entries;
            read += ReadAppList(listFile.c_str(), options, &entries) == AppListStatus::Ok;
            for (const AppListEntry& entry : entries)
                ASSERT_LT(wcslen(entry.szPath), kAppListPathCapacity) << "case " << n;
            shapeable = !WineCannotShape(entries);
            ReleaseAppListIcons(&entries);
        });
        if (!plan.WithWindows(n))
            continue;
        if (!shapeable) {
            ++unshapeable;
            continue;
        }
        ++menus;
        showing.Time([&] {
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
        });
        if (HasFatalFailure())
            return;
    }
    // The menu still reads a good list after all that.
    WriteList({L"APP=Good|app|" + program});
    SetModifiedTime(listFile, 1500000000);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ASSERT_EQ(1u, TopLevel(pinned).size());
    EXPECT_STREQ(L"Good", TopLevel(pinned)[0]->szText);
    menu->ShowMenu(SW_HIDE, 0, 0);
    std::printf("list fuzz (menu): seed %#llx cases %zu..%zu: %zu read by the menu's reader (%.0f ms), %zu menus "
                "reloaded, shown and toggled with %zu rows (%.0f ms), %zu kept from the menu as Wine cannot shape "
                "their text\n",
                static_cast<unsigned long long>(plan.seed), begin, end, read, reading.ms, menus, rows, showing.ms,
                unshapeable);
}

INSTANTIATE_TEST_SUITE_P(Shards, ListMenuFuzz, ::testing::Range<size_t>(0, kShards));

} // namespace
