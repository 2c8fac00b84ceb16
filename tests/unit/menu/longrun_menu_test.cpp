// Long runs of the real menu in the test process: openings, all-programs
// toggles with folder expansions and pinned-list reloads leave kernel handles,
// windows, GDI/USER objects and private bytes where they were after the first
// ten. VELMAR_LONGRUN_SCALE multiplies the counts (make fuzz runs them x3).
#include "lists_test_support.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct Usage {
    DWORD handles;
    DWORD gdi;
    DWORD user;
    int windows;
    SIZE_T privateBytes;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    ::EnumChildWindows(
        window, [](HWND, LPARAM c) -> BOOL { return ++*reinterpret_cast<int*>(c), TRUE; }, count);
    return TRUE;
}

// Wine answers GetProcessHandleCount and PrivateUsage with 0; there the
// handles are counted by asking each handle value, and the private bytes are
// the committed private pages.
DWORD CountHandles() {
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count)
        return count;
    DWORD flags = 0;
    for (UINT_PTR value = 4; value < 0x10000; value += 4)
        count += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
    return count;
}

SIZE_T CommittedPrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const BYTE* at = nullptr; ::VirtualQuery(at, &info, sizeof(info)) == sizeof(info) && info.RegionSize;
         at = static_cast<const BYTE*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            total += info.RegionSize;
    }
    return total;
}

Usage Measure() {
    Usage u{};
    u.handles = CountHandles();
    u.gdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    u.user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    ::EnumThreadWindows(::GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&u.windows));
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    u.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : CommittedPrivateBytes();
    return u;
}

int Scale() {
    const char* text = getenv("VELMAR_LONGRUN_SCALE");
    const int scale = text ? atoi(text) : 1;
    return scale > 0 ? scale : 1;
}

class LongRun : public ListsTest {
protected:
    // Runs `step` count times, measuring after the tenth and after the last.
    template <class F> void Run(const char* what, int count, F step) {
        for (int i = 0; i < 10; ++i)
            step(i);
        PumpFor(0);
        const Usage first = Measure();
        for (int i = 10; i < count; ++i)
            step(i);
        PumpFor(0);
        const Usage last = Measure();
        std::printf("%s x%d: handles %lu -> %lu, windows %d -> %d, GDI %lu -> %lu, USER %lu -> %lu, "
                    "private KiB %zu -> %zu\n",
                    what, count, first.handles, last.handles, first.windows, last.windows, first.gdi, last.gdi,
                    first.user, last.user, first.privateBytes / 1024, last.privateBytes / 1024);
        EXPECT_LE(last.handles, first.handles + 4) << what;
        EXPECT_EQ(first.windows, last.windows) << what;
        EXPECT_LE(last.gdi, first.gdi + 4) << what;
        EXPECT_LE(last.user, first.user + 4) << what;
        // Heap pages the allocator keeps are no leak; a leak per step grows without bound.
        EXPECT_LE(last.privateBytes, first.privateBytes + 2 * 1024 * 1024) << what;
    }
};

TEST_F(LongRun, OpeningsTogglesAndReloadsLeaveNothingBehind) {
    ASSERT_EQ(1, LoadListsSkin());
    StartMenuFolder folder(L"VelmarLongRun");
    for (int f = 0; f < 3; ++f) {
        const std::wstring sub = folder.path() + L"\\Folder " + std::to_wstring(f);
        ::CreateDirectoryW(sub.c_str(), nullptr);
        for (int s = 0; s < 3; ++s)
            ASSERT_TRUE(MakeShortcut(sub + L"\\Item " + std::to_wstring(s) + L".lnk", Recorder()));
    }
    WriteList({L"APP=One|app|" + Recorder(), L"APP=Two|app|" + Recorder()});
    CreateMenuWithLists();
    ASSERT_TRUE(pinned && all);
    const int scale = Scale();

    Run("openings", 1000 * scale, [&](int) {
        menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
        ::RedrawWindow(menu->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        menu->ShowMenu(SW_HIDE, 0, 0);
    });
    ASSERT_EQ(2u, TopLevel(pinned).size());

    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    // Folders open as a click opens them: read once, shown again on later clicks.
    auto click = [&](_treeNode* item) {
        ::RedrawWindow(all->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Click(all->m_hWnd, Center(item->rcItem));
    };
    Run("all-programs toggles with folder expansions", 100 * scale, [&](int) {
        ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
        _treeNode* ours = FindByPath(all, folder.path());
        ASSERT_NE(nullptr, ours);
        click(ours);
        ASSERT_TRUE(ours->bExpanded);
        for (_treeNode* sub = ours->pChild; sub; sub = sub->pNext)
            click(sub);
        ::RedrawWindow(all->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
        // A fresh opening collapses the tree again.
        menu->ShowMenu(SW_HIDE, 0, 0);
        menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    });
    menu->ShowMenu(SW_HIDE, 0, 0);

    Run("pinned-list reloads", 100 * scale, [&](int i) {
        WriteList({L"APP=Reload " + std::to_wstring(i) + L"|app|" + Recorder(), L"APP=Two|app|" + Recorder()});
        SetModifiedTime(listFile, 1600000000 + i);
        menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
        ::RedrawWindow(pinned->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        menu->ShowMenu(SW_HIDE, 0, 0);
    });
    ASSERT_EQ(2u, TopLevel(pinned).size());
    EXPECT_EQ(L"Reload " + std::to_wstring(100 * scale - 1), std::wstring(TopLevel(pinned)[0]->szText));
}

} // namespace
