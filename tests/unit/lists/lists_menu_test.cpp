// The menu's lists inside the menu: the pinned list read from the application
// list file and kept in step with it, the all-programs tree beside it, and the
// toggle between the two.
#include "lists_test_support.h"

#include <algorithm>
#include <memory>

namespace {

RECT RectInMenu(HWND menu, HWND child) {
    RECT rc;
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, menu, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

} // namespace

TEST_F(ListsTest, ThePinnedListShowsTheFirstTenUsableLinesWithIconsAndPaths) {
    ASSERT_EQ(1, LoadListsSkin());
    const std::wstring recorder = Recorder();
    const std::wstring shortcut = dir.Join(L"Recorder.lnk");
    ASSERT_TRUE(MakeShortcut(shortcut, recorder));
    std::vector<std::wstring> lines;
    for (int i = 1; i <= 12; ++i) {
        if (i == 2)
            lines.push_back(L"APP=Gone|app|" + dir.Join(L"missing.exe")); // no such file: skipped
        if (i == 3)
            lines.push_back(L"APP=Broken|app|x|" + recorder); // three bars: no path
        if (i == 4)
            lines.push_back(L"no equals sign here");
        if (i == 5)
            lines.push_back(L"LNK=Gone too|lnk|" + dir.Join(L"missing.lnk"));
        const std::wstring name = L"Entry " + std::to_wstring(i);
        lines.push_back(i % 3 == 0 ? L"lnk=" + name + L"|lnk|" + shortcut : L"App=" + name + L"|app|" + recorder);
    }
    WriteList(lines);
    CreateMenuWithLists();
    ASSERT_NE(nullptr, pinned);

    std::vector<std::wstring> expected;
    for (int i = 1; i <= 10; ++i)
        expected.push_back(L"Entry " + std::to_wstring(i));
    EXPECT_EQ(expected, Names(pinned));
    for (_treeNode* item : TopLevel(pinned)) {
        SCOPED_TRACE(Narrow(item->szText));
        EXPECT_NE(nullptr, item->hIcon);
        EXPECT_EQ(0x30u, item->dwFlags);
        EXPECT_EQ(36, item->nHeight);
        EXPECT_EQ(1, item->nLevel);
        const bool isShortcut = wcsstr(item->szText, L"3") || wcsstr(item->szText, L"6") ||
                                wcsstr(item->szText, L"9");
        EXPECT_STREQ((isShortcut ? shortcut : recorder).c_str(), item->szPath);
    }

    // The control as the menu set it up: visible, no scroll bar, large icons.
    EXPECT_EQ(36, pinned->nRowHeight);
    EXPECT_EQ(0, pinned->bSmallIcons);
    EXPECT_EQ(1, pinned->nHotImage);
    EXPECT_EQ(10, pinned->nMaxRows);
    const LONG style = ::GetWindowLongW(pinned->m_hWnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(style & WS_VSCROLL);
    EXPECT_EQ(static_cast<LONG>(WS_EX_COMPOSITED | WS_EX_CONTROLPARENT),
              ::GetWindowLongW(pinned->m_hWnd, GWL_EXSTYLE) & (WS_EX_COMPOSITED | WS_EX_CONTROLPARENT));
    const RECT rc = RectInMenu(menu->m_hWnd, pinned->m_hWnd);
    EXPECT_EQ(10, rc.left);
    EXPECT_EQ(12, rc.top);
    EXPECT_EQ(190, rc.right);
    EXPECT_EQ(342, rc.bottom);
}

TEST_F(ListsTest, TheAllProgramsTreeIsBuiltHiddenInTheSameRectangle) {
    ASSERT_EQ(1, LoadListsSkin());
    CreateMenuWithLists();
    ASSERT_NE(nullptr, all);
    EXPECT_FALSE(Visible(all));
    EXPECT_EQ(-1, all->nMaxRows);
    EXPECT_EQ(1, all->bSmallIcons);
    EXPECT_EQ(23, all->nRowHeight);
    EXPECT_EQ(2, all->nHotImage);
    EXPECT_TRUE(::GetWindowLongW(all->m_hWnd, GWL_STYLE) & WS_VSCROLL);
    const RECT rc = RectInMenu(menu->m_hWnd, all->m_hWnd);
    EXPECT_EQ(10, rc.left);
    EXPECT_EQ(12, rc.top);
    EXPECT_EQ(190, rc.right);
    EXPECT_EQ(342, rc.bottom);
    // No list file at all: the pinned list exists and is empty.
    ASSERT_NE(nullptr, pinned);
    EXPECT_TRUE(TopLevel(pinned).empty());
}

// The file is compared by its modification time only: a new time reloads (new
// identifiers, since they keep counting), the same time only collapses.
TEST_F(ListsTest, ThePinnedListReloadsOnANewModificationTimeAndOtherwiseOnlyCollapses) {
    ASSERT_EQ(1, LoadListsSkin());
    const std::wstring recorder = Recorder();
    WriteList({L"APP=One|app|" + recorder, L"APP=Two|app|" + recorder});
    SetModifiedTime(listFile, 1600000000);
    CreateMenuWithLists();
    ASSERT_NE(nullptr, pinned);
    EXPECT_EQ((std::vector<int>{31, 62}), Ids(pinned));

    // Scrolled and highlighted, then shown with the file unchanged: collapsed, not re-read.
    pinned->nTopRow = 2;
    pinned->nHotId = 62;
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_EQ((std::vector<int>{31, 62}), Ids(pinned));
    EXPECT_EQ(0, pinned->nTopRow);
    EXPECT_EQ(-1, pinned->nHotId);

    // New content with the old time is not noticed...
    WriteList({L"APP=Three|app|" + recorder, L"APP=Four|app|" + recorder, L"APP=Five|app|" + recorder});
    SetModifiedTime(listFile, 1600000000);
    menu->ShowMenu(SW_HIDE, 0, 0);
    EXPECT_EQ((std::vector<int>{31, 62}), Ids(pinned));
    // ...a new time is, at the hide as well as at the show.
    SetModifiedTime(listFile, 1600000100);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_EQ((std::vector<int>{93, 124, 155}), Ids(pinned));
    EXPECT_EQ((std::vector<std::wstring>{L"Three", L"Four", L"Five"}), Names(pinned));
    WriteList({L"APP=Six|app|" + recorder});
    SetModifiedTime(listFile, 1600000200);
    menu->ShowMenu(SW_HIDE, 0, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"Six"}), Names(pinned));
    // Read once: the next show finds the time it recorded.
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_EQ((std::vector<int>{186}), Ids(pinned));

    // A file that vanished leaves the list as it was until it comes back.
    ASSERT_TRUE(::DeleteFileW(listFile.c_str()));
    menu->ShowMenu(SW_HIDE, 0, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"Six"}), Names(pinned));
    WriteList({L"APP=Seven|app|" + recorder});
    SetModifiedTime(listFile, 1600000300);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_EQ((std::vector<std::wstring>{L"Seven"}), Names(pinned));
    menu->ShowMenu(SW_HIDE, 0, 0);
}

// The options program's first save creates the file: the next opening shows it.
TEST_F(ListsTest, AListFileThatAppearsLaterFillsThePinnedListAtTheNextShow) {
    ASSERT_EQ(1, LoadListsSkin());
    CreateMenuWithLists();
    ASSERT_NE(nullptr, pinned);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    menu->ShowMenu(SW_HIDE, 0, 0);
    EXPECT_TRUE(TopLevel(pinned).empty());
    WriteList({L"APP=|app|" + Recorder()});
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ASSERT_EQ(1u, TopLevel(pinned).size());
    // An empty name takes the shell's display name of the file.
    EXPECT_NE(L'\0', TopLevel(pinned)[0]->szText[0]);
    menu->ShowMenu(SW_HIDE, 0, 0);
}

TEST_F(ListsTest, WithoutAListPathThePinnedListStaysEmpty) {
    ASSERT_EQ(1, LoadSkin("MENU.BACKGROUND=bg.bmp\r\n", "BUTTON.ENABLED=\r\n"));
    ASSERT_EQ(L'\0', gSkin.szAppList[0]);
    CreateMenuWithLists();
    ASSERT_NE(nullptr, pinned);
    EXPECT_TRUE(TopLevel(pinned).empty());
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_TRUE(Visible(pinned));
    menu->ShowMenu(SW_HIDE, 0, 0);
}

TEST_F(ListsTest, TheToggleShowsTheTreeInsteadOfThePinnedListAndEveryShowReturnsCollapsed) {
    ASSERT_EQ(1, LoadListsSkin());
    StartMenuFolder folder(L"VelmarLists Toggle");
    ASSERT_TRUE(MakeShortcut(folder.path() + L"\\Inside.lnk", Recorder()));
    WriteList({L"APP=One|app|" + Recorder()});
    CreateMenuWithLists();
    ASSERT_TRUE(pinned && all);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_TRUE(Visible(pinned));
    EXPECT_FALSE(Visible(all));
    EXPECT_EQ(nullptr, all->GetRoot()->pChild) << "the Start Menu was read before the tree was first shown";

    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    EXPECT_FALSE(Visible(pinned));
    EXPECT_TRUE(Visible(all));
    _treeNode* ours = FindByPath(all, folder.path());
    ASSERT_NE(nullptr, ours) << "the folder is not in the tree";
    ASSERT_EQ(1, all->ExpandFolder(ours, nullptr));
    all->nTopRow = 1;

    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    EXPECT_TRUE(Visible(pinned));
    EXPECT_FALSE(Visible(all));

    // Hidden in all-programs mode, shown again: the pinned list, the tree collapsed.
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    menu->ShowMenu(SW_HIDE, 0, 0);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_TRUE(Visible(pinned));
    EXPECT_FALSE(Visible(all));
    EXPECT_EQ(0, menu->IsAllProgramsMode());
    EXPECT_FALSE(ours->bExpanded);
    EXPECT_EQ(0, all->nTopRow);

    // A reload while the tree is shown keeps the pinned list hidden.
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    WriteList({L"APP=Two|app|" + Recorder()});
    SetModifiedTime(listFile, 1600000500);
    menu->ShowMenu(SW_HIDE, 0, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"Two"}), Names(pinned));
    EXPECT_EQ(0, menu->IsAllProgramsMode());
    EXPECT_TRUE(Visible(pinned));
}

// The open menu reads the hidden tree at its first idle moment; a Start Menu
// that changed after that reading is read again by the toggle, so that the
// tree never shows a program that was removed or misses one just installed.
TEST_F(ListsTest, TheTreeReadAtAnIdleMomentIsReadAgainWhenTheStartMenuChangedSince) {
    ASSERT_EQ(1, LoadListsSkin());
    auto removed = std::make_unique<StartMenuFolder>(L"VelmarLists Removed");
    CreateMenuWithLists();
    ASSERT_TRUE(all);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ASSERT_TRUE(WaitFor([&] { return all->IsFilled() != 0; })) << "the open menu never read the tree";
    EXPECT_FALSE(Visible(all));
    ASSERT_NE(nullptr, FindByPath(all, removed->path()));

    const std::wstring gonePath = removed->path();
    removed.reset();
    // The menu's own threads (the search index lists the same folders) may hold
    // the folder open a moment: it is gone once they let go.
    ASSERT_TRUE(WaitFor([&] {
        TempDir::RemoveTree(gonePath);
        return ::GetFileAttributesW(gonePath.c_str()) == INVALID_FILE_ATTRIBUTES;
    })) << "the folder could not be removed";
    StartMenuFolder added(L"VelmarLists Added");
    // A toggle before the menu has seen the change would find nothing changed.
    ASSERT_TRUE(WaitFor([&] { return !all->IsAllProgramsCurrent(); })) << "the menu never saw the Start Menu change";
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    EXPECT_TRUE(Visible(all));
    EXPECT_EQ(nullptr, FindByPath(all, gonePath)) << "a removed folder is still shown";
    EXPECT_NE(nullptr, FindByPath(all, added.path())) << "a new folder is missing";
    menu->ShowMenu(SW_HIDE, 0, 0);
}

// An installer adds to a folder opened before, an uninstaller takes from it:
// the tree shows both when next shown, the folder still open on the same row.
// Reading a folder twice lists its entries once.
TEST_F(ListsTest, AnOpenedFolderShowsShortcutsAddedAndRemovedSinceWhenTheTreeIsNextShown) {
    ASSERT_EQ(1, LoadListsSkin());
    StartMenuFolder folder(L"VelmarLists Refresh");
    const std::wstring gone = folder.path() + L"\\Gone.lnk", stays = folder.path() + L"\\Stays.lnk";
    ASSERT_TRUE(MakeShortcut(gone, Recorder()) && MakeShortcut(stays, Recorder()));
    CreateMenuWithLists();
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    _treeNode* ours = FindByPath(all, folder.path());
    ASSERT_NE(nullptr, ours);
    auto paths = [&] {
        std::vector<std::wstring> out;
        for (_treeNode* item : Children(ours))
            out.push_back(item->szPath);
        return out;
    };
    ASSERT_EQ(1, all->ExpandFolder(ours, nullptr));
    ASSERT_EQ(1, all->ExpandFolder(ours, nullptr));
    EXPECT_EQ((std::vector<std::wstring>{gone, stays}), paths()) << "a second reading listed the entries again";
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0); // the pinned list

    const std::wstring added = folder.path() + L"\\Added.lnk";
    ASSERT_TRUE(::DeleteFileW(gone.c_str()) && MakeShortcut(added, Recorder()));
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    ASSERT_EQ(ours, FindByPath(all, folder.path())) << "the folder's row was made anew";
    EXPECT_TRUE(ours->bExpanded) << "the open folder closed";
    EXPECT_EQ((std::vector<std::wstring>{added, stays}), paths());
    menu->ShowMenu(SW_HIDE, 0, 0);
}

// Every reload hands its icons to the list, which destroys them with the items:
// an icon of the previous reading is either gone or reused by the new one.
TEST_F(ListsTest, ReloadingThePinnedListDestroysTheIconsOfThePreviousReading) {
    ASSERT_EQ(1, LoadListsSkin());
    WriteList({L"APP=One|app|" + Recorder(), L"APP=Two|app|" + Recorder(), L"APP=Three|app|" + Recorder()});
    CreateMenuWithLists();
    ASSERT_NE(nullptr, pinned);
    for (int round = 0; round < 3; ++round) {
        std::vector<HICON> old;
        for (_treeNode* item : TopLevel(pinned))
            old.push_back(item->hIcon);
        ASSERT_EQ(3u, old.size());
        SetModifiedTime(listFile, 1600001000 + round);
        menu->ShowMenu(SW_HIDE, 0, 0);
        std::vector<HICON> now;
        for (_treeNode* item : TopLevel(pinned))
            now.push_back(item->hIcon);
        ASSERT_EQ(3u, now.size());
        for (HICON icon : old) {
            if (std::find(now.begin(), now.end(), icon) != now.end())
                continue; // the handle went and came back for a new icon
            ICONINFO info{};
            EXPECT_FALSE(::GetIconInfo(icon, &info)) << "an icon of the previous reading is still alive";
        }
    }
}
