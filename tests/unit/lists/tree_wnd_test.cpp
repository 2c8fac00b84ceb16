#include "tree_test_support.h"

#include "Text.h"

#include <windowsx.h>

namespace {

const UINT kListId = 1201;

// Counts the customisation hook so a test can tell whether a shell menu ran.
class ProbeTree : public CTreeWnd {
public:
    using CTreeWnd::CTreeWnd;
    int customised = 0;
    void OnCustomizeMenu(HMENU menu) override {
        ++customised;
        CTreeWnd::OnCustomizeMenu(menu);
    }
};

class TreeWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.CreateOwner());
        list = std::make_unique<ProbeTree>(owner.m_hWnd, kListId);
    }
    // A list with rows of 23 and small icons, as the all-programs tree has.
    void CreateList(DWORD style, int height) {
        RECT rc = {10, 10, 260, 10 + height};
        ASSERT_TRUE(list->Create(owner, rc, nullptr, WS_CHILD | WS_VISIBLE | style, 0, kListId));
        list->SetRowHeight(23);
        list->SetSmallIcons(1);
        list->SetMaxRows(-1);
    }

    fw::ComScope com;
    OwnerWnd owner;
    std::unique_ptr<ProbeTree> list;
};

} // namespace

TEST(TreeItems, IdentifiersFollowTheIndexChainAndRemoveAllKeepsCounting) {
    CTreeWnd tree(nullptr, kListId);
    EXPECT_EQ(31, tree.AddItem(L"first", nullptr, 0x30, 36));
    EXPECT_EQ(62, tree.AddItem(L"second", nullptr, 0x30, 36));
    _treeNode* first = tree.FindItem(31);
    ASSERT_TRUE(first);
    EXPECT_EQ(1, first->nLevel);
    EXPECT_EQ(1, first->nIndex);
    EXPECT_EQ(992, tree.AddItem(L"child", nullptr, 0x30, 36, first));       // (1*31+1)*31
    EXPECT_EQ(1953, tree.AddItem(L"child 2", nullptr, 0x30, 36, first));    // (2*31+1)*31
    _treeNode* child = tree.FindItem(992);
    ASSERT_TRUE(child);
    EXPECT_EQ(2, child->nLevel);
    EXPECT_EQ(first, child->pParent);
    EXPECT_EQ(30783, tree.AddItem(L"grandchild", nullptr, 0x30, 36, child)); // ((1*31+1)*31+1)*31
    EXPECT_EQ(tree.FindItem(1953), child->pNext);
    EXPECT_EQ(child, tree.FindItem(1953)->pPrev);

    tree.RemoveAll();
    EXPECT_EQ(nullptr, tree.FindItem(31));
    EXPECT_EQ(nullptr, tree.GetRoot()->pChild);
    // The root keeps its count: new items never take an old identifier.
    EXPECT_EQ(93, tree.AddItem(L"third", nullptr, 0x30, 36));
    EXPECT_EQ(3, tree.FindItem(93)->nIndex);
    // -1 finds the hot item.
    tree.nHotId = 93;
    EXPECT_EQ(tree.FindItem(93), tree.FindItem(-1));
}

TEST(TreeItems, LongTextAndPathsAreCutAndLocationsGoToTheHead) {
    CTreeWnd tree(nullptr, kListId);
    std::wstring longText(400, L'x');
    int id = tree.AddItem(longText.c_str(), nullptr, 0x30, 36);
    EXPECT_EQ(255u, wcslen(tree.FindItem(id)->szText));
    EXPECT_EQ(1, tree.SetItemPath(id, std::wstring(400, L'p').c_str()));
    EXPECT_EQ(259u, wcslen(tree.FindItem(id)->szPath));
    EXPECT_EQ(0, tree.SetItemPath(12345, L"x"));
    tree.AddLocation(7, L"C:\\one");
    tree.AddLocation(7, L"C:\\two");
    ASSERT_TRUE(tree.GetLocations(7));
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\two", L"C:\\one"}), *tree.GetLocations(7));
    EXPECT_EQ(nullptr, tree.GetLocations(8));
}

TEST(TreeItems, AdoptedIconsGoWithTheItemsHandedOnesStay) {
    CTreeWnd tree(nullptr, kListId);
    HICON handed = CreateIcon(nullptr, 16, 16, 1, 1, std::vector<BYTE>(32, 0xFF).data(),
                              std::vector<BYTE>(32, 0).data());
    HICON adopted = CopyIcon(handed);
    ASSERT_TRUE(handed && adopted);
    tree.AddItem(L"handed", handed, 0x30, 23);
    tree.AddItem(L"adopted", adopted, 0x30, 23);
    tree.AdoptIcon(adopted);
    tree.RemoveAll();
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(adopted, &info));
    ASSERT_TRUE(GetIconInfo(handed, &info));
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(handed);
}

TEST_F(TreeWndTest, ThirtyRowsOnATwelveRowPageScrollToRow18) {
    CreateList(WS_VSCROLL, 12 * 23);
    EXPECT_EQ(1, list->bCreated);
    EXPECT_EQ(1, list->bScrollBar);
    for (int i = 0; i < 30; ++i)
        list->AddItem(L"row", nullptr, 0x30, 23);
    Repaint(*list);
    EXPECT_EQ(12, list->nPageRows);
    EXPECT_EQ(18, list->nMaxTop);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(*list, SB_VERT, &si);
    EXPECT_EQ(0, si.nMin);
    EXPECT_EQ(28, si.nMax);
    EXPECT_EQ(11u, si.nPage);

    SendMessageW(*list, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(11, list->nTopRow);
    SendMessageW(*list, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(18, list->nTopRow);
    EXPECT_EQ(18, GetScrollPos(*list, SB_VERT));
    SendMessageW(*list, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(18, list->nTopRow);
    SendMessageW(*list, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 4), 0);
    EXPECT_EQ(4, list->nTopRow);
    // The rows move with the view: row 4 is now the first one drawn.
    Repaint(*list);
    EXPECT_EQ(5, list->FindItem(5 * 31)->rcItem.top);
}

TEST_F(TreeWndTest, WheelMovesThreeRowsPerMessageAndStopsAtTheLastPage) {
    CreateList(WS_VSCROLL, 12 * 23);
    for (int i = 0; i < 30; ++i)
        list->AddItem(L"row", nullptr, 0x30, 23);
    Repaint(*list);
    for (int notch = 0; notch < 5; ++notch)
        SendMessageW(*list, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(15, list->nTopRow);
    EXPECT_EQ(15, GetScrollPos(*list, SB_VERT));
    SendMessageW(*list, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-3 * WHEEL_DELTA)), 0);
    SendMessageW(*list, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(18, list->nTopRow);
    SendMessageW(*list, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(15, list->nTopRow);
}

TEST_F(TreeWndTest, RowsThatFitPinTheTopAndDisableTheBar) {
    CreateList(WS_VSCROLL, 12 * 23);
    for (int i = 0; i < 30; ++i)
        list->AddItem(L"row", nullptr, 0x30, 23);
    Repaint(*list);
    SendMessageW(*list, WM_VSCROLL, SB_BOTTOM, 0);
    ASSERT_EQ(18, list->nTopRow);
    list->RemoveAll();
    int firstId = list->AddItem(L"row", nullptr, 0x30, 23);
    for (int i = 0; i < 4; ++i)
        list->AddItem(L"row", nullptr, 0x30, 23);
    Repaint(*list);
    EXPECT_EQ(0, list->nTopRow);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(*list, SB_VERT, &si);
    EXPECT_EQ(0, si.nMax);
    EXPECT_EQ(0, si.nPos);
    SCROLLBARINFO sbi{};
    sbi.cbSize = sizeof(sbi);
    ASSERT_TRUE(GetScrollBarInfo(*list, OBJID_VSCROLL, &sbi));
    EXPECT_TRUE(sbi.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
    // The first row is drawn at the top of the drawing area again.
    ASSERT_TRUE(list->FindItem(firstId));
    EXPECT_EQ(5, list->FindItem(firstId)->rcItem.top);
}

TEST_F(TreeWndTest, AListWithoutScrollBarGetsNoneAndIgnoresTheWheel) {
    CreateList(0, 5 * 36);
    EXPECT_EQ(0, list->bScrollBar);
    for (int i = 0; i < 12; ++i)
        list->AddItem(L"row", nullptr, 0x30, 23);
    Repaint(*list);
    EXPECT_FALSE(GetWindowLongW(*list, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(1, SendMessageW(*list, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0));
    EXPECT_EQ(0, list->nTopRow);
}

TEST_F(TreeWndTest, MaxRowsLimitsDrawnAndCountedRowsAcrossLevels) {
    CreateList(WS_VSCROLL, 400);
    list->SetMaxRows(10);
    list->AddItem(L"a", nullptr, 0x30, 23);
    int folder = list->AddItem(L"b", nullptr, 0x30, 23);
    _treeNode* b = list->FindItem(folder);
    for (int i = 0; i < 8; ++i)
        list->AddItem(L"child", nullptr, 0x30, 23, b);
    b->bExpanded = TRUE;
    list->AddItem(L"c", nullptr, 0x30, 23);
    Repaint(*list);
    EXPECT_EQ(10, list->CountRows(nullptr));
    // Rows 1-10: a, b and its first eight children... a, b, 8 children = 10 rows; c is not drawn.
    std::vector<_treeNode*> kids = Children(b);
    EXPECT_FALSE(IsRectEmpty(&kids[7]->rcItem));
    _treeNode* c = list->FindItem(93);
    EXPECT_TRUE(IsRectEmpty(&c->rcItem));
    // Where c would be drawn nothing answers a click.
    Click(*list, MAKELPARAM(50, 5 + 10 * 23 + 10));
    EXPECT_TRUE(owner.notes.empty());
}

TEST_F(TreeWndTest, ClickReportsTheItemAndPressOnOneReleaseOnAnotherDoesNothing) {
    CreateList(WS_VSCROLL, 200);
    list->AddItem(L"Editor", nullptr, 0x30, 23);
    int second = list->AddItem(L"Calculator", nullptr, 0x30, 23);
    list->SetItemPath(second, L"C:\\tools\\calc.lnk");
    Repaint(*list);
    RECT first = list->FindItem(31)->rcItem, row = list->FindItem(second)->rcItem;

    SendMessageW(*list, WM_LBUTTONDOWN, MK_LBUTTON, Center(first));
    EXPECT_EQ(1, list->bCapture);
    EXPECT_EQ(list->m_hWnd, GetCapture());
    SendMessageW(*list, WM_LBUTTONUP, 0, Center(row));
    EXPECT_TRUE(owner.notes.empty());
    EXPECT_EQ(0, list->bCapture);
    EXPECT_NE(list->m_hWnd, GetCapture());

    Click(*list, Center(row));
    ASSERT_EQ(1u, owner.notes.size());
    const OwnerWnd::Note& note = owner.notes[0];
    EXPECT_EQ(kListId, note.wParam);
    ASSERT_TRUE(note.hasRecord);
    EXPECT_EQ(list->m_hWnd, note.record.hdr.hwndFrom);
    EXPECT_EQ(2u, note.record.hdr.idFrom); // the item's index
    EXPECT_EQ(kTreeNotifyClick, note.record.hdr.code);
    EXPECT_EQ(62, note.record.nId);
    EXPECT_STREQ(L"Calculator", note.record.szText);
    EXPECT_STREQ(L"C:\\tools\\calc.lnk", note.record.szPath);
    EXPECT_EQ(62, list->nHotId);
    EXPECT_EQ(1, list->bInMenu); // keeps the mouse leave from undoing the highlight

    // A release without a press on an item does nothing.
    SendMessageW(*list, WM_LBUTTONUP, 0, Center(row));
    EXPECT_EQ(1u, owner.notes.size());
}

TEST_F(TreeWndTest, HotTrackingAndMouseLeave) {
    CreateList(WS_VSCROLL, 200);
    list->AddItem(L"a", nullptr, 0x30, 23);
    list->AddItem(L"b", nullptr, 0x30, 23);
    Repaint(*list);
    SendMove(*list, Center(list->FindItem(62)->rcItem));
    EXPECT_EQ(62, list->nHotId);
    EXPECT_EQ(list->m_hWnd, GetFocus());
    SendMove(*list, MAKELPARAM(50, 150));
    EXPECT_EQ(-1, list->nHotId);
    SendMove(*list, Center(list->FindItem(31)->rcItem));
    SendMessageW(*list, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(-1, list->nHotId);
    EXPECT_EQ(owner.m_hWnd, GetFocus());
    // While a reported click or a context menu holds bInMenu, leaving keeps the highlight.
    SendMove(*list, Center(list->FindItem(31)->rcItem));
    list->bInMenu = 1;
    SendMessageW(*list, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(31, list->nHotId);
    // Queued input comes after posted messages: a move handled once the pointer has
    // left lights no row, since no leave would follow to put it out.
    RECT client{};
    GetClientRect(*list, &client);
    ASSERT_TRUE(PlacePointer(*list, 10, client.bottom + 30));
    list->bInMenu = 0;
    SendMessageW(*list, WM_MOUSELEAVE, 0, 0);
    SendMessageW(*list, WM_MOUSEMOVE, 0, Center(list->FindItem(62)->rcItem));
    EXPECT_EQ(-1, list->nHotId);
}

TEST_F(TreeWndTest, FolderExpandsOnDemandAndToggles) {
    TempDir dir;
    dir.WriteFile(L"b.txt", "b");
    dir.WriteFile(L"A.txt", "a");
    dir.MakeDir(L"inner");
    TempDir emptyDir;
    CreateList(WS_VSCROLL, 300);
    int id = list->AddItem(L"Folder", nullptr, 0x70, 23);
    list->SetItemPath(id, dir.path().c_str());
    int emptyId = list->AddItem(L"Empty", nullptr, 0x70, 23);
    list->SetItemPath(emptyId, emptyDir.path().c_str());
    Repaint(*list);
    _treeNode* folder = list->FindItem(id);

    Click(*list, Center(folder->rcItem));
    EXPECT_TRUE(owner.notes.empty()); // folders are not reported
    ASSERT_TRUE(folder->bExpanded);
    std::vector<_treeNode*> kids = Children(folder);
    ASSERT_EQ(3u, kids.size());
    EXPECT_EQ(L"A.txt", BaseName(kids[0]->szPath)); // files first, by name without regard to case
    EXPECT_EQ(L"b.txt", BaseName(kids[1]->szPath));
    EXPECT_EQ(L"inner", BaseName(kids[2]->szPath));
    EXPECT_EQ(0x30u, kids[0]->dwFlags);
    EXPECT_EQ(0x70u, kids[2]->dwFlags);
    EXPECT_EQ(2, kids[0]->nLevel);
    EXPECT_EQ(23, kids[0]->nHeight);
    // Text and icon are read when the row is first painted.
    EXPECT_FALSE(kids[0]->hIcon);
    EXPECT_STREQ(L"", kids[0]->szText);

    Repaint(*list);
    EXPECT_EQ(folder->rcItem.bottom, kids[0]->rcItem.top);
    EXPECT_STRNE(L"", kids[0]->szText); // at once; the icon comes from the icon thread
    EXPECT_TRUE(WaitFor([&] { return kids[0]->hIcon != nullptr; })) << "the icon never arrived";
    Click(*list, Center(folder->rcItem));
    EXPECT_FALSE(folder->bExpanded);
    EXPECT_EQ(kids[0], folder->pChild); // children are kept
    Repaint(*list);
    Click(*list, Center(folder->rcItem));
    EXPECT_TRUE(folder->bExpanded);
    EXPECT_EQ(3u, Children(folder).size()); // not read twice

    // An empty folder stays collapsed and is read again on the next click.
    Repaint(*list);
    _treeNode* empty = list->FindItem(emptyId);
    Click(*list, Center(empty->rcItem));
    EXPECT_FALSE(empty->bExpanded);
    emptyDir.WriteFile(L"now.txt", "n");
    Click(*list, Center(empty->rcItem));
    EXPECT_TRUE(empty->bExpanded);
    EXPECT_EQ(1u, Children(empty).size());
}

TEST_F(TreeWndTest, CollapseAllHidesChildrenAndReturnsToTheTop) {
    CreateList(WS_VSCROLL, 5 * 23);
    int id = list->AddItem(L"a", nullptr, 0x30, 23);
    for (int i = 0; i < 10; ++i)
        list->AddItem(L"child", nullptr, 0x30, 23, list->FindItem(id));
    list->FindItem(id)->bExpanded = TRUE;
    Repaint(*list);
    SendMessageW(*list, WM_VSCROLL, SB_BOTTOM, 0);
    list->nHotId = id;
    list->CollapseAll();
    EXPECT_FALSE(list->FindItem(id)->bExpanded);
    EXPECT_EQ(-1, list->nHotId);
    EXPECT_EQ(0, list->nTopRow);
    EXPECT_EQ(0, GetScrollPos(*list, SB_VERT));
    EXPECT_EQ(1, list->CountRows(nullptr));
}

TEST(TreeMenu, CustomisationRemoves17_18_25AndStraySeparators) {
    CTreeWnd tree(nullptr, kListId);
    fw::UniqueMenu menu(MenuOf({1, 0, 17, 0, 2, 25, 0, 0, 3, 18, 0}));
    tree.OnCustomizeMenu(menu.get());
    EXPECT_EQ((std::vector<UINT>{1, 0, 2, 0, 3}), MenuIds(menu.get()));
}

namespace {
HWND g_focusTarget = nullptr;
void CALLBACK MoveFocusAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SetFocus(g_focusTarget); // as a dialog opened by a chosen command would
    EndMenu();
}
} // namespace

TEST_F(TreeWndTest, RightClickOutsideItemsGoesToTheOwner) {
    CreateList(WS_VSCROLL, 200);
    list->AddItem(L"a", nullptr, 0x30, 23);
    Repaint(*list);
    ASSERT_EQ(-1, list->nHotId);
    SendMessageW(*list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->m_hWnd), MAKELPARAM(120, 300));
    ASSERT_EQ(1u, owner.contextMenus.size());
    EXPECT_EQ(reinterpret_cast<WPARAM>(list->m_hWnd), owner.contextMenus[0].first);
    EXPECT_EQ(MAKELPARAM(120, 300), owner.contextMenus[0].second);
    EXPECT_EQ(0, list->customised);
}

TEST_F(TreeWndTest, MergedFolderShowsNoMenuAndAFileShowsTheShellMenu) {
    TempDir dir;
    std::wstring file = dir.WriteFile(L"doc.txt", "x");
    CreateList(WS_VSCROLL, 200);
    int merged = list->AddItem(L"Merged", nullptr, 0x70, 23);
    list->SetItemPath(merged, dir.path().c_str());
    list->SetItemLocationKey(merged, 77);
    list->AddLocation(77, dir.path().c_str());
    list->AddLocation(77, L"C:\\elsewhere");
    int doc = list->AddItem(L"doc", nullptr, 0x30, 23);
    list->SetItemPath(doc, file.c_str());
    Repaint(*list);

    list->nHotId = merged;
    SetTimer(nullptr, 0, 2000, EndMenuTimer); // safety net: nothing should open
    SendMessageW(*list, WM_CONTEXTMENU, 0, MAKELPARAM(100, 100));
    EXPECT_EQ(0, list->customised);
    EXPECT_TRUE(owner.contextMenus.empty());

    // A file: the shell's menu, pruned by the hook; the focus stayed here, so no 269.
    SetFocus(*list);
    list->nHotId = doc;
    SetTimer(nullptr, 0, 200, EndMenuTimer);
    SendMessageW(*list, WM_CONTEXTMENU, 0, MAKELPARAM(100, 100));
    EXPECT_EQ(1, list->customised);
    EXPECT_EQ(0, list->bInMenu);
    EXPECT_TRUE(owner.notes.empty());
}

TEST_F(TreeWndTest, FocusLostDuringTheItemMenuAsksTheOwnerToRefocus) {
    TempDir dir;
    std::wstring file = dir.WriteFile(L"doc.txt", "x");
    CreateList(WS_VSCROLL, 200);
    int doc = list->AddItem(L"doc", nullptr, 0x30, 23);
    list->SetItemPath(doc, file.c_str());
    HWND other = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 300, 10, 50, 20, owner, nullptr, nullptr,
                                 nullptr);
    ASSERT_TRUE(other);
    g_focusTarget = other;
    SetFocus(*list);
    list->nHotId = doc;
    SetTimer(nullptr, 0, 200, MoveFocusAndClose);
    SendMessageW(*list, WM_CONTEXTMENU, 0, MAKELPARAM(100, 100));
    ASSERT_EQ(1u, owner.notes.size());
    EXPECT_EQ(kTreeNotifyFocus, owner.notes[0].wParam);
    EXPECT_FALSE(owner.notes[0].hasRecord);
}

TEST_F(TreeWndTest, DestroyingTheWindowFreesItemsAndAllowsAFreshWindow) {
    CreateList(WS_VSCROLL, 200);
    list->AddItem(L"a", nullptr, 0x30, 23);
    list->DestroyWindow();
    EXPECT_EQ(0, list->bCreated);
    EXPECT_EQ(nullptr, list->FindItem(31));
    CreateList(WS_VSCROLL, 200);
    EXPECT_EQ(1, list->bCreated);
    EXPECT_EQ(62, list->AddItem(L"b", nullptr, 0x30, 23));

    // Icons asked for by a window that went before its message loop ran again still come to the next one.
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    auto pendingRow = [&] {
        _treeNode* item = list->FindItem(list->AddItem(L"c", nullptr, 0x30, 23));
        fw::StrCopy(item->szPath, self);
        item->nPending = kTreePendingIcon;
        Repaint(*list);
        return item;
    };
    pendingRow();
    list->DestroyWindow();
    CreateList(WS_VSCROLL, 200);
    for (int i = 0; i < 2; ++i) { // the second when the new thread surely waits for work
        _treeNode* row = pendingRow();
        ASSERT_TRUE(WaitFor([&] { return row->hIcon != nullptr; })) << "icon " << i << " never arrived";
    }
}
