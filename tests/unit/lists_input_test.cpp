// The lists under mouse input inside the shown menu: a click on a row starts
// its entry and hides the menu, a right click outside the rows opens the
// menu's own popup (with "Options" only on the pinned list).
#include "lists_test_support.h"

#include <functional>

namespace {

// The items of the popup menu this process opens while action runs; the
// watcher closes it. Timers keep running inside the popup's modal loop.
std::vector<UINT>* g_items = nullptr;
bool g_open = false;

void CALLBACK WatchPopup(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_items || g_open)
        return;
    HWND popup = nullptr;
    while ((popup = ::FindWindowExW(nullptr, popup, L"#32768", nullptr)) != nullptr) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(popup, &pid);
        if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(popup))
            break;
    }
    if (!popup)
        return;
    g_open = true;
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < ::GetMenuItemCount(menu); ++i)
        g_items->push_back(::GetMenuItemID(menu, i));
    ::EndMenu();
}

// Empty when no popup opened.
std::vector<UINT> PopupItemsWhile(const std::function<void()>& action) {
    std::vector<UINT> items;
    g_items = &items;
    g_open = false;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 100, WatchPopup);
    action();
    PumpFor(300);
    ::KillTimer(nullptr, timer);
    g_items = nullptr;
    return items;
}

} // namespace

TEST_F(ListsTest, ClickingAPinnedRowHidesTheMenuAndStartsTheEntryWithoutParameters) {
    ASSERT_EQ(1, LoadListsSkin());
    const std::wstring shortcut = dir.Join(L"Other.lnk");
    ASSERT_TRUE(MakeShortcut(shortcut, Recorder(), L"not-this-one"));
    WriteList({L"LNK=Other|lnk|" + shortcut, L"APP=Recorder|app|" + Recorder()});
    CreateMenuWithLists();
    ASSERT_NE(nullptr, pinned);
    LaunchRecord record(dir.Join(L"launch.txt"));
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ::UpdateWindow(pinned->m_hWnd);
    ASSERT_EQ(2u, TopLevel(pinned).size());
    _treeNode* second = TopLevel(pinned)[1];
    ASSERT_TRUE(WaitFor([&] { return second->rcItem.bottom > 0; })) << "the rows were never painted";
    // Rows of 36 pixels from the drawing area's top at 5.
    EXPECT_EQ(41, second->rcItem.top);
    EXPECT_EQ(77, second->rcItem.bottom);
    startButton->entries.clear();

    PostClick(pinned->m_hWnd, RowCentre(second));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(menu->m_hWnd); })) << "the menu stayed open";
    EXPECT_EQ(0, menu->IsMenuVisible());
    ASSERT_FALSE(startButton->entries.empty());
    EXPECT_EQ(0u, startButton->entries.back().wp) << "the start button still looks pressed";
    EXPECT_EQ("\n", record.WaitForLines()) << "the recorder did not start, or with parameters";
}

TEST_F(ListsTest, ClickingAShortcutInsideAnAllProgramsFolderStartsIt) {
    ASSERT_EQ(1, LoadListsSkin());
    StartMenuFolder folder(L"VelmarLists Click");
    const std::wstring inside = folder.path() + L"\\Recorder.lnk";
    ASSERT_TRUE(MakeShortcut(inside, Recorder(), L"from-the-tree"));
    CreateMenuWithLists();
    ASSERT_TRUE(pinned && all);
    LaunchRecord record(dir.Join(L"launch.txt"));
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    ASSERT_TRUE(::IsWindowVisible(all->m_hWnd));
    ::UpdateWindow(all->m_hWnd);
    _treeNode* ours = FindByPath(all, folder.path());
    ASSERT_NE(nullptr, ours);
    ASSERT_TRUE(WaitFor([&] { return ours->rcItem.bottom > 0; }));
    RECT client;
    ::GetClientRect(all->m_hWnd, &client);
    ASSERT_LE(ours->rcItem.bottom, client.bottom) << "the folder is below the visible rows";

    PostClick(all->m_hWnd, RowCentre(ours));
    ASSERT_TRUE(WaitFor([&] { return ours->bExpanded != FALSE; })) << "the folder did not open";
    ASSERT_NE(nullptr, ours->pChild);
    _treeNode* child = ours->pChild;
    EXPECT_STREQ(inside.c_str(), child->szPath);
    ASSERT_TRUE(WaitFor([&] { return child->rcItem.bottom > 0; }));
    EXPECT_EQ(ours->rcItem.bottom, child->rcItem.top) << "the child row follows its folder";

    PostClick(all->m_hWnd, RowCentre(child));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(menu->m_hWnd); })) << "the menu stayed open";
    EXPECT_EQ("from-the-tree\n", record.WaitForLines());
    // The hide collapsed the tree and went back to the pinned list.
    EXPECT_FALSE(ours->bExpanded);
    EXPECT_EQ(0, menu->IsAllProgramsMode());
}

TEST_F(ListsTest, ARightClickBesideThePinnedRowsOffersOptionsBesideTheTreeRowsOnlyProperties) {
    ASSERT_EQ(1, LoadListsSkin());
    WriteList({L"APP=One|app|" + Recorder()});
    CreateMenuWithLists();
    ASSERT_TRUE(pinned && all);
    menu->ShowMenu(SW_SHOW, 0, ABE_TOP);
    ::UpdateWindow(pinned->m_hWnd);

    // Far below the only row: no item is hot, so the list passes the click on.
    const LPARAM below = MAKELPARAM(60, 300);
    std::vector<UINT> onPinned = PopupItemsWhile([&] {
        ::PostMessageW(pinned->m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, below);
        ::PostMessageW(pinned->m_hWnd, WM_RBUTTONUP, 0, below);
    });
    EXPECT_EQ((std::vector<UINT>{ID_POPUP_PROPERTIES, 0, ID_POPUP_OPTIONS}), onPinned);

    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    ASSERT_TRUE(::IsWindowVisible(all->m_hWnd));
    ::UpdateWindow(all->m_hWnd);
    RECT client;
    ::GetClientRect(all->m_hWnd, &client);
    const LPARAM bottom = MAKELPARAM(60, client.bottom - 2);
    int rowsHeight = 0;
    all->CountRows(&rowsHeight);
    ASSERT_LT(rowsHeight + 5, client.bottom - 2) << "no empty space below the tree's rows";
    std::vector<UINT> onTree = PopupItemsWhile([&] {
        ::PostMessageW(all->m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, bottom);
        ::PostMessageW(all->m_hWnd, WM_RBUTTONUP, 0, bottom);
    });
    EXPECT_EQ((std::vector<UINT>{ID_POPUP_PROPERTIES}), onTree);
}
