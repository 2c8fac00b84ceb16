// The lists under mouse input inside the shown menu: a click on a row starts
// its entry and hides the menu, a right click outside the rows opens the
// menu's own popup (with "Options" only on the pinned list).
#include "lists_test_support.h"

#include <functional>
#include <memory>

namespace {

// The items of the popup menu this process opens while action runs (the
// shared watcher closes it); empty when no popup opened.
std::vector<UINT> PopupItemsWhile(const std::function<void()>& action) {
    return WatchWhile([&] {
               action();
               PumpFor(300);
           })
        .ids;
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

    PostClick(pinned->m_hWnd, Center(second->rcItem));
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

    PostClick(all->m_hWnd, Center(ours->rcItem));
    ASSERT_TRUE(WaitFor([&] { return ours->bExpanded != FALSE; })) << "the folder did not open";
    ASSERT_NE(nullptr, ours->pChild);
    _treeNode* child = ours->pChild;
    EXPECT_STREQ(inside.c_str(), child->szPath);
    ASSERT_TRUE(WaitFor([&] { return child->rcItem.bottom > 0; }));
    EXPECT_EQ(ours->rcItem.bottom, child->rcItem.top) << "the child row follows its folder";

    PostClick(all->m_hWnd, Center(child->rcItem));
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

namespace {

// 40 Start Menu folders of this test in name order, each with two shortcuts to
// the recorder ("<n>-a", "<n>-b"): more than 31 top-level entries, so the
// first child of folder n has the identifier of top-level folder n + 31 and
// the second child of folder n that of the first child of folder n + 31.
class ClashingIdsTest : public ListsTest {
protected:
    void SetUp() override {
        ListsTest::SetUp();
        for (int n = 0; n < 40; ++n) {
            wchar_t name[32];
            swprintf(name, 32, L"VelmarIds %02d", n);
            folders.push_back(std::make_unique<StartMenuFolder>(name));
            ASSERT_TRUE(MakeShortcut(folders.back()->path() + L"\\A.lnk", Recorder(), std::to_wstring(n) + L"-a"));
            ASSERT_TRUE(MakeShortcut(folders.back()->path() + L"\\B.lnk", Recorder(), std::to_wstring(n) + L"-b"));
        }
        ASSERT_EQ(1, LoadListsSkin());
        CreateMenuWithLists();
        ASSERT_TRUE(pinned && all);
    }

    // The menu shown in all-programs mode with the tree painted; our folders in order.
    std::vector<_treeNode*> OpenTree() {
        menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
        ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
        ::UpdateWindow(all->m_hWnd);
        std::vector<_treeNode*> ours;
        for (const auto& folder : folders)
            if (_treeNode* item = FindByPath(all, folder->path()))
                ours.push_back(item);
        return ours;
    }

    // Scrolls the row into sight (at the top where the list allows) and waits for its paint.
    bool ScrollTo(_treeNode* item) {
        ::UpdateWindow(all->m_hWnd); // rows drawn before a fold keep their old place until then
        RECT client;
        ::GetClientRect(all->m_hWnd, &client);
        if (!WaitFor([&] { return item->rcItem.bottom > item->rcItem.top; }))
            return false;
        const int row = all->nTopRow + (item->rcItem.top - ListDrawArea(client).top) / all->nRowHeight;
        ::SendMessageW(all->m_hWnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, row), 0);
        ::UpdateWindow(all->m_hWnd);
        return WaitFor([&] { return item->rcItem.top >= 0 && item->rcItem.bottom <= client.bottom; });
    }

    bool RealClickOn(_treeNode* item) {
        if (!ScrollTo(item))
            return false;
        RealClick(ToScreen(all->m_hWnd, (item->rcItem.left + item->rcItem.right) / 2,
                           (item->rcItem.top + item->rcItem.bottom) / 2));
        return true;
    }

    bool Expand(_treeNode* folder) {
        return RealClickOn(folder) && WaitFor([&] { return folder->bExpanded && folder->pChild; });
    }

    // Clicks the row and returns what the recorder wrote.
    std::string Start(_treeNode* item, const wchar_t* file) {
        LaunchRecord record(dir.Join(file));
        if (!RealClickOn(item))
            return "(row never in sight)";
        return record.WaitForLine();
    }

    std::vector<std::unique_ptr<StartMenuFolder>> folders;
};

} // namespace

TEST_F(ClashingIdsTest, AClickOnAFolderChildStartsThatChildWhateverTopLevelEntryShareItsId) {
    std::vector<_treeNode*> ours = OpenTree();
    ASSERT_EQ(40u, ours.size());
    ASSERT_EQ(ours[0]->nIndex + 31, ours[31]->nIndex) << "another entry sorts between the test's folders";
    ASSERT_TRUE(Expand(ours[0])) << "the first folder did not open";
    _treeNode* first = ours[0]->pChild;
    ASSERT_EQ(ours[31]->nId, first->nId) << "no clash to show";
    EXPECT_EQ("0-a\n", Start(first, L"first.txt"));
    EXPECT_FALSE(ours[31]->bExpanded) << "the click opened the top-level folder of the same id";
}

TEST_F(ClashingIdsTest, TwoOpenFolders31PlacesApartEachStartTheirOwnChildren) {
    std::vector<_treeNode*> ours = OpenTree();
    ASSERT_EQ(40u, ours.size());
    ASSERT_EQ(ours[0]->nIndex + 31, ours[31]->nIndex) << "another entry sorts between the test's folders";
    ASSERT_TRUE(Expand(ours[0]));
    ASSERT_TRUE(Expand(ours[31]));
    ASSERT_EQ(ours[0]->pChild->pNext->nId, ours[31]->pChild->nId) << "no clash to show";
    EXPECT_EQ("31-a\n", Start(ours[31]->pChild, L"later.txt"));

    ours = OpenTree(); // the click closed the menu and folded the tree
    ASSERT_TRUE(Expand(ours[0]));
    ASSERT_TRUE(Expand(ours[31]));
    EXPECT_EQ("0-b\n", Start(ours[0]->pChild->pNext, L"earlier.txt"));
}
