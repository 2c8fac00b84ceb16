// Pinning from the lists' context menus, chosen with the keys a user presses
// (the row's menu as the context-menu key opens it, Down to the first item,
// Enter), checked on the disk and in the pinned list.
#include "lists_test_support.h"

#include "TestFiles.h"

namespace {

// Opens the row's context menu and chooses its first item.
void ChooseFirstItem(CTreeWnd* list, _treeNode* row) {
    ::PostMessageW(list->m_hWnd, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(list->m_hWnd, WM_KEYDOWN, VK_RETURN, 0);
    list->ShowRowMenu(row);
    MSG msg; // keys the menu did not take
    while (::PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
}

const wchar_t kHeader[] = L"\xFEFF# Application List\r\n# encoding: UTF-8\r\n";

} // namespace

TEST_F(ListsTest, PinFromATreeRowAndUnpinFromThePinnedRowChangeTheFileAndTheListAtOnce) {
    ASSERT_EQ(1, LoadListsSkin());
    const std::wstring recorder = Recorder();
    WriteList({});
    CreateMenuWithLists();
    ASSERT_TRUE(pinned && all);
    const int id = all->AddItem(L"Recorder", nullptr, kTreeDrawText, 23);
    all->SetItemPath(id, recorder.c_str());
    const std::string pinnedBytes = Narrow(kHeader + (L"APP=Recorder|app|" + recorder + L"\r\n"));
    for (int round = 0; round < 2; ++round) { // the second pin adds nothing
        ChooseFirstItem(all, all->FindItem(id));
        EXPECT_EQ(pinnedBytes, ReadFileBytes(listFile)) << round;
        EXPECT_EQ(std::vector<std::wstring>{L"Recorder"}, Names(pinned)) << round;
    }
    ChooseFirstItem(pinned, TopLevel(pinned).at(0));
    EXPECT_EQ(Narrow(kHeader), ReadFileBytes(listFile));
    EXPECT_TRUE(Names(pinned).empty());
}

// A packaged app names no file: it is listed with an icon, and its row's menu
// (the shell has none for it under Wine) still unpins it.
TEST_F(ListsTest, APackagedAppIsListedWithAnIconAndUnpinsFromItsOwnMenu) {
    ASSERT_EQ(1, LoadListsSkin());
    const std::wstring app = L"shell:AppsFolder\\Contoso.Notes_8wekyb3d8bbwe!App";
    WriteList({L"APP=Notes|app|" + app});
    CreateMenuWithLists();
    ASSERT_TRUE(pinned);
    ASSERT_EQ(std::vector<std::wstring>{L"Notes"}, Names(pinned));
    EXPECT_NE(nullptr, TopLevel(pinned)[0]->hIcon);
    ChooseFirstItem(pinned, TopLevel(pinned)[0]);
    EXPECT_EQ(Narrow(kHeader), ReadFileBytes(listFile));
    EXPECT_TRUE(Names(pinned).empty());
}
