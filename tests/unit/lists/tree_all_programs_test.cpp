#include "tree_test_support.h"
#include "Utils.h"

#include <algorithm>

namespace {

// Folders and shortcuts made in the prefix's real Start Menu folders for one
// test (names carry the process id: ctest runs test cases side by side), and
// removed again.
class StartMenuFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.CreateOwner());
        userPrograms = SpecialFolder(CSIDL_PROGRAMS);
        commonPrograms = SpecialFolder(CSIDL_COMMON_PROGRAMS);
        commonStartMenu = SpecialFolder(CSIDL_COMMON_STARTMENU);
        ASSERT_FALSE(userPrograms.empty());
        ASSERT_FALSE(commonPrograms.empty());
        ASSERT_FALSE(commonStartMenu.empty());
        tag = L"VelmarTest " + std::to_wstring(GetCurrentProcessId());
        target = BinDir() + L"\\version_probe.dll";
    }
    void TearDown() override {
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            TempDir::RemoveTree(*it);
        for (const std::wstring& file : files)
            DeleteFileW(file.c_str());
    }
    std::wstring Folder(const std::wstring& path) {
        CreateDirectoryW(path.c_str(), nullptr);
        made.push_back(path);
        return path;
    }
    std::wstring Shortcut(const std::wstring& path) {
        EXPECT_TRUE(MakeShortcut(path, target)) << "cannot write " << std::string(path.begin(), path.end());
        files.push_back(path);
        return path;
    }
    // Top-level items whose path carries this test's tag.
    std::vector<_treeNode*> Ours(CTreeWnd& tree) {
        std::vector<_treeNode*> out;
        for (_treeNode* item : Children(tree.GetRoot()))
            if (wcsstr(item->szPath, tag.c_str()))
                out.push_back(item);
        return out;
    }

    fw::ComScope com;
    OwnerWnd owner;
    std::wstring userPrograms, commonPrograms, commonStartMenu, tag, target;
    std::vector<std::wstring> made, files;
};

RECT ListRect() { return RECT{11, 11, 11 + 264, 11 + 394}; }

} // namespace

TEST(StartMenuKeys, UserAndAllUsersCopiesShareAKey) {
    int64_t user = StartMenuKey(
        L"C:\\users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Accessories");
    int64_t common = StartMenuKey(L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\accessories");
    EXPECT_NE(0, user);
    EXPECT_EQ(user, common); // letters folded
    EXPECT_NE(user, StartMenuKey(L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Games"));
    EXPECT_EQ(0, StartMenuKey(L"C:\\Tools\\Accessories"));
    EXPECT_EQ(0, StartMenuKey(L"C:\\ProgramData\\microsoft\\windows\\start menu\\Programs\\x")); // exact case
    EXPECT_EQ(0, StartMenuKey(nullptr));
}

TEST(ProgramDescriptions, ComeFromTheShortcutTargetsVersionResource) {
    fw::ComScope com;
    TempDir dir;
    std::wstring dll = BinDir() + L"\\version_probe.dll";
    std::wstring lnk = dir.Join(L"probe.lnk");
    ASSERT_TRUE(MakeShortcut(lnk, dll));
    wchar_t out[128] = L"";
    EXPECT_EQ(1, GetProgramDescription(lnk.c_str(), out, 128));
    EXPECT_STREQ(L"Velmar version probe", out);
    wchar_t direct[128] = L"";
    EXPECT_EQ(1, GetProgramDescription(dll.c_str(), direct, 128));
    EXPECT_STREQ(L"Velmar version probe", direct);
    // Without version information the output stays as the caller left it.
    std::wstring plain = dir.WriteFile(L"plain.txt", "x");
    wchar_t untouched[128] = L"keep";
    EXPECT_EQ(0, GetProgramDescription(plain.c_str(), untouched, 128));
    EXPECT_STREQ(L"keep", untouched);
    // The caller's capacity cuts the text.
    wchar_t small[7];
    GetProgramDescription(lnk.c_str(), small, 7);
    EXPECT_STREQ(L"Velmar", small);
}

TEST_F(StartMenuFixture, MergesFoldersListsFilesFirstAndKeepsDuplicateShortcuts) {
    std::wstring userTools = Folder(userPrograms + L"\\" + tag + L" Tools");
    std::wstring commonTools = Folder(commonPrograms + L"\\" + tag + L" Tools");
    Shortcut(userTools + L"\\Zulu.lnk");
    Shortcut(userTools + L"\\alpha.lnk");
    Shortcut(commonTools + L"\\Beta.lnk");
    Folder(commonTools + L"\\Inner");
    Shortcut(userPrograms + L"\\" + tag + L" Dup.lnk");
    Shortcut(commonPrograms + L"\\" + tag + L" Dup.lnk");
    Shortcut(commonStartMenu + L"\\" + tag + L" Top.lnk");
    Folder(commonStartMenu + L"\\" + tag + L" Not Listed"); // only files are taken from there
    for (int n = 0; n < 20; ++n) // more rows than a page
        Shortcut(userPrograms + L"\\VelmarPad " + std::to_wstring(GetCurrentProcessId()) + L" " + std::to_wstring(n) +
                 L".lnk");

    CTreeWnd tree(owner, kAllProgramsId);
    ASSERT_EQ(1, tree.BuildAllPrograms(ListRect()));
    EXPECT_EQ(1, tree.bCreated);
    EXPECT_FALSE(IsWindowVisible(tree));
    EXPECT_EQ(kAllProgramsId, static_cast<UINT>(GetDlgCtrlID(tree)));
    EXPECT_EQ(static_cast<LONG>(0x46200000), GetWindowLongW(tree, GWL_STYLE) & ~WS_VISIBLE);
    EXPECT_EQ(0x02010000, GetWindowLongW(tree, GWL_EXSTYLE) & 0x02010000);
    EXPECT_EQ(-1, tree.GetMaxRows());
    EXPECT_EQ(1, tree.bSmallIcons);
    EXPECT_EQ(23, tree.nRowHeight);
    EXPECT_EQ(2, tree.nHotImage);

    std::vector<_treeNode*> ours = Ours(tree);
    ASSERT_EQ(4u, ours.size());
    // Files (sorted) first: the shortcut in both programs folders is listed twice.
    EXPECT_EQ(tag + L" Dup.lnk", BaseName(ours[0]->szPath));
    EXPECT_EQ(tag + L" Dup.lnk", BaseName(ours[1]->szPath));
    EXPECT_NE(std::wstring(ours[0]->szPath), ours[1]->szPath);
    EXPECT_EQ(tag + L" Top.lnk", BaseName(ours[2]->szPath));
    // Nothing is read for a row before it is first painted.
    EXPECT_STREQ(L"", ours[0]->szText);
    EXPECT_FALSE(ours[0]->hIcon);
    EXPECT_EQ(0x30u, ours[0]->dwFlags);
    EXPECT_EQ(23, ours[0]->nHeight);
    // One folder item for both copies, with both locations.
    _treeNode* tools = ours[3];
    EXPECT_EQ(tag + L" Tools", BaseName(tools->szPath));
    EXPECT_EQ(0x70u, tools->dwFlags);
    ASSERT_NE(0, tools->nLocationKey);
    ASSERT_TRUE(tree.GetLocations(tools->nLocationKey));
    EXPECT_EQ(2u, tree.GetLocations(tools->nLocationKey)->size());
    EXPECT_EQ(nullptr, tools->pChild); // read on first expansion
    // All files come before all folders.
    std::vector<_treeNode*> all = Children(tree.GetRoot());
    auto firstFolder = std::find_if(all.begin(), all.end(), [](_treeNode* i) { return i->dwFlags & kTreeFolder; });
    EXPECT_TRUE(std::none_of(firstFolder, all.end(), [](_treeNode* i) { return !(i->dwFlags & kTreeFolder); }));

    // Painted in sight: the text at once, from the target's version resource;
    // the small icon from the shell when the icon thread brings it. Rows out
    // of sight stay unread.
    tree.ShowWindow(SW_SHOW);
    auto scrollTo = [&](_treeNode* item) {
        int row = static_cast<int>(std::find(all.begin(), all.end(), item) - all.begin());
        SendMessageW(tree, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, row), 0);
        Repaint(tree);
    };
    scrollTo(ours[0]);
    EXPECT_STREQ(L"Velmar version probe", ours[0]->szText);
    RECT client;
    GetClientRect(tree, &client);
    auto inSight = [&](const _treeNode* item) { return item->rcItem.top < client.bottom && item->rcItem.bottom > 0; };
    EXPECT_TRUE(WaitFor([&] {
        return std::all_of(all.begin(), all.end(), [&](_treeNode* i) { return !inSight(i) || i->nPending == 0; });
    })) << "rows in sight still wait for their icons";
    EXPECT_TRUE(ours[0]->hIcon);
    EXPECT_TRUE(std::any_of(all.begin(), all.end(),
                            [&](_treeNode* i) { return !inSight(i) && i->nPending != 0 && !i->hIcon; }))
        << "no row out of sight left unread";

    // Expanding lists both locations: files sorted across them, then folders.
    scrollTo(tools); // the folder as the first row
    EXPECT_TRUE(WaitFor([&] { return tools->hIcon != nullptr; }));
    Click(tree, Center(tools->rcItem));
    Repaint(tree);
    scrollTo(tools); // the last page has grown: its children in sight below it
    ASSERT_TRUE(tools->bExpanded);
    std::vector<_treeNode*> kids = Children(tools);
    ASSERT_EQ(4u, kids.size());
    EXPECT_EQ(L"alpha.lnk", BaseName(kids[0]->szPath));
    EXPECT_EQ(L"Beta.lnk", BaseName(kids[1]->szPath));
    EXPECT_EQ(L"Zulu.lnk", BaseName(kids[2]->szPath));
    EXPECT_EQ(L"Inner", BaseName(kids[3]->szPath));
    // Inside a folder the text is the shell's display name.
    EXPECT_STREQ(L"alpha", kids[0]->szText);
    EXPECT_EQ(2, kids[0]->nLevel);
    EXPECT_TRUE(owner.notes.empty());

    // The merged folder has no single shell item: its context menu shows nothing.
    tree.nHotId = tools->nId;
    SendMessageW(tree, WM_CONTEXTMENU, 0, MAKELPARAM(50, 50));
    EXPECT_TRUE(owner.contextMenus.empty());
}

TEST_F(StartMenuFixture, RebuildingReplacesTheItemsAndKeepsOneWindow) {
    Shortcut(userPrograms + L"\\" + tag + L" Once.lnk");
    CTreeWnd tree(owner, kAllProgramsId);
    ASSERT_EQ(1, tree.BuildAllPrograms(ListRect()));
    HWND first = tree.m_hWnd;
    size_t count = Children(tree.GetRoot()).size();
    ASSERT_EQ(1u, Ours(tree).size());
    int oldId = Ours(tree)[0]->nId;
    tree.ResolveItem(Ours(tree)[0]); // as its first paint does
    HICON oldIcon = Ours(tree)[0]->hIcon;
    ASSERT_TRUE(oldIcon);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(1, tree.BuildAllPrograms(ListRect()));
    EXPECT_EQ(first, tree.m_hWnd);
    EXPECT_EQ(count, Children(tree.GetRoot()).size());
    ASSERT_EQ(1u, Ours(tree).size());
    EXPECT_NE(oldId, Ours(tree)[0]->nId);
    EXPECT_EQ(nullptr, tree.FindItem(oldId));
    // The icons the build made went with its items: repeated builds leak none.
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(oldIcon, &info));
    tree.ResolveItem(Ours(tree)[0]);
    HICON lastIcon = Ours(tree)[0]->hIcon;
    tree.DestroyWindow();
    EXPECT_FALSE(GetIconInfo(lastIcon, &info));
}

TEST_F(StartMenuFixture, AWindowThatCannotBeCreatedLeavesTheTreeEmpty) {
    HWND gone = owner.m_hWnd;
    owner.DestroyWindow();
    CTreeWnd tree(gone, kAllProgramsId);
    EXPECT_EQ(0, tree.BuildAllPrograms(ListRect()));
    EXPECT_EQ(0, tree.bCreated);
    EXPECT_EQ(nullptr, tree.GetRoot()->pChild);
}
