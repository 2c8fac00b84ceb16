// The menu without a mouse, in the test process: keys sent to the menu window
// (as its children hand them on) move one highlight over rows and buttons,
// Enter does what a click does, Esc backs out in order, and screen readers
// get names, roles and focus events through the windows' IAccessible.
#include "lists_test_support.h"

#include <oleacc.h>

#include <algorithm>
#include <vector>

namespace {

std::string RightButtons(const std::string& recorderCmd) {
    return Button("pics", {"ID=3", "TEXT=Pictures", "POS.X=200", "POS.Y=20", "POS.WIDTH=90", "POS.HEIGHT=30"}) +
           Button("progs", {"ID=8", "TEXT=Programs", "POS.X=200", "POS.Y=60", "POS.WIDTH=90", "POS.HEIGHT=30",
                           "ICON=shell32.dll,-16"}) +
           Button("run", {"ID=50", "TEXT=Run recorder", "POS.X=200", "POS.Y=100", "POS.WIDTH=90", "POS.HEIGHT=30",
                          recorderCmd}) +
           Button("shut", {"ID=9", "TEXT=Shut down", "POS.X=200", "POS.Y=340", "POS.WIDTH=90", "POS.HEIGHT=30",
                           "MENU.WIDTH=20", "MENU.AUTO=400"});
}

struct FocusEvent {
    HWND window;
    LONG object;
    LONG child;
};
std::vector<FocusEvent>* g_focusEvents = nullptr;

void CALLBACK OnFocusEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (g_focusEvents)
        g_focusEvents->push_back({window, object, child});
}

// The window's IAccessible as a screen reader gets it.
fw::ComPtr<IAccessible> AccessibleOf(HWND window) {
    fw::ComPtr<IAccessible> acc;
    ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible), acc.put_void());
    return acc;
}

VARIANT Child(long id) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// A text property (get_accName, get_accDescription) of the object or a child.
std::wstring AccText(IAccessible* acc, long child, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
    BSTR text = nullptr;
    std::wstring out = SUCCEEDED((acc->*get)(Child(child), &text)) && text ? text : L"<none>";
    ::SysFreeString(text);
    return out;
}
std::wstring AccName(IAccessible* acc, long child) { return AccText(acc, child, &IAccessible::get_accName); }
std::wstring AccDescription(IAccessible* acc, long child) {
    return AccText(acc, child, &IAccessible::get_accDescription);
}

long AccLong(IAccessible* acc, long child, bool role) {
    VARIANT v;
    ::VariantInit(&v);
    const HRESULT hr = role ? acc->get_accRole(Child(child), &v) : acc->get_accState(Child(child), &v);
    return SUCCEEDED(hr) && v.vt == VT_I4 ? v.lVal : -1;
}

class MenuKeysTest : public ListsTest {
protected:
    void SetUp() override {
        ListsTest::SetUp();
        ::CoInitialize(nullptr);
    }
    void TearDown() override {
        ListsTest::TearDown();
        ::CoUninitialize();
    }

    // The lists' skin with the toggle's zone over the whole button and a right-hand column.
    void CreateKeysMenu(const std::vector<std::wstring>& pinnedNames) {
        std::vector<std::wstring> lines;
        for (const std::wstring& name : pinnedNames)
            lines.push_back(L"App=" + name + L"|app|" + Recorder());
        WriteList(lines);
        const std::string cmd = "CMD=" + Narrow(Recorder()) + "|from-a-key";
        ASSERT_EQ(1, LoadSkin("MENU.BACKGROUND=bg.bmp\r\nSKIN.APPLIST=" + Narrow(listFile) +
                                  "\r\nMENU.APPLIST.X=10\r\nMENU.APPLIST.Y=12\r\nMENU.APPLIST.WIDTH=180\r\n"
                                  "MENU.APPLIST.HEIGHT=330\r\nMENU.FOCUS.0=focus.bmp\r\nMENU.FOCUS.1=focus.bmp\r\n"
                                  "MENU.FOCUS.2=focus.bmp\r\n",
                              "BUTTON.ENABLED=all,pics,progs,run,shut\r\n" +
                                  Button("all", {"ID=10", "TEXT=All", "POS.X=10", "POS.Y=360", "POS.WIDTH=180",
                                                 "POS.HEIGHT=30", "MENU.WIDTH=180", "MENU.AUTO=600"}) +
                                  RightButtons(cmd),
                              "IMAGE.100=all.bmp\r\nIMAGE.101=back.bmp\r\nSTRING.100=All Programs\r\n"
                              "STRING.101=Back\r\n"));
        CreateMenuWithLists();
        ASSERT_TRUE(pinned && all);
        menu->ShowMenu(SW_SHOW, 0, ABE_TOP);
        ASSERT_TRUE(WaitFor([&] { return ::GetActiveWindow() == menu->m_hWnd; }));
        for (int id : {3, 8, 50, 9, 10})
            ASSERT_NE(nullptr, menu->FindButton(id)) << id;
    }

    void Key(UINT vk, HWND to = nullptr) { ::SendMessageW(to ? to : menu->m_hWnd, WM_KEYDOWN, vk, 1); }
    void Keys(std::initializer_list<UINT> keys) {
        for (UINT vk : keys)
            Key(vk);
    }
    CMenuItemWnd* B(int id) const { return menu->FindButton(id); }
    std::wstring HotText(CTreeWnd* list) const {
        _treeNode* hot = list->GetHotItem();
        return hot ? hot->szText : L"";
    }
    // What shows a highlight now: lit buttons and hot rows, by name.
    std::vector<std::wstring> Lit() const {
        std::vector<std::wstring> out;
        for (CTreeWnd* list : {pinned, all})
            if (list->GetHotItem())
                out.push_back(HotText(list));
        for (int id : {10, 3, 8, 50, 9})
            if (B(id)->GetState() == 1)
                out.push_back(std::wstring(B(id)->GetCaption()) + (B(id)->GetKeyFocus() == 2 ? L">" : L""));
        return out;
    }
    using Names = std::vector<std::wstring>;
};

} // namespace

TEST_F(MenuKeysTest, ArrowsTabHomeEndAndPagesMoveOneHighlightOverRowsToggleAndButtons) {
    ASSERT_NO_FATAL_FAILURE(CreateKeysMenu({L"One", L"Two", L"Three"}));
    EXPECT_EQ(Names{}, Lit()) << "the menu opens without a keyboard highlight";
    EXPECT_EQ(menu->m_hWnd, ::GetFocus()) << "the shown menu has not the keys";
    Key(VK_DOWN);
    EXPECT_EQ(Names{L"One"}, Lit());
    Keys({VK_DOWN, VK_DOWN});
    EXPECT_EQ(Names{L"Three"}, Lit());
    Key(VK_DOWN);
    EXPECT_EQ(Names{L"All"}, Lit()) << "after the rows comes the toggle under them";
    Key(VK_DOWN);
    EXPECT_EQ(Names{L"One"}, Lit()) << "and then the first row again";
    Key(VK_UP);
    EXPECT_EQ(Names{L"All"}, Lit());
    Key(VK_RIGHT);
    EXPECT_EQ(Names{L"Shut down"}, Lit()) << "Right goes to the button beside";
    Key(VK_RIGHT);
    EXPECT_EQ(Names{L"Shut down>"}, Lit()) << "then to its arrow";
    Key(VK_RIGHT);
    EXPECT_EQ(Names{L"Shut down>"}, Lit());
    Keys({VK_LEFT, VK_LEFT});
    EXPECT_EQ(Names{L"All"}, Lit());
    Key(VK_TAB);
    EXPECT_EQ(Names{L"Pictures"}, Lit()) << "Tab goes to the other column's first";
    Key(VK_DOWN);
    EXPECT_EQ(Names{L"Programs"}, Lit());
    Key(VK_END);
    EXPECT_EQ(Names{L"Shut down"}, Lit());
    Key(VK_DOWN);
    EXPECT_EQ(Names{L"Pictures"}, Lit());
    Key(VK_PRIOR);
    EXPECT_EQ(Names{L"Pictures"}, Lit());
    Key(VK_TAB);
    EXPECT_EQ(Names{L"One"}, Lit());
    Key(VK_END);
    EXPECT_EQ(Names{L"Three"}, Lit()) << "End is the list's last row";
    Key(VK_HOME);
    EXPECT_EQ(Names{L"One"}, Lit());
    Key(VK_NEXT);
    EXPECT_EQ(Names{L"Three"}, Lit()) << "a page down stops at the last row";

    // A list that took the focus (the mouse went over it) hands the keys on.
    ::SetFocus(pinned->m_hWnd);
    Key(VK_UP, pinned->m_hWnd);
    EXPECT_EQ(Names{L"Two"}, Lit());

    // Every opening starts without a highlight.
    menu->ShowMenu(SW_HIDE, 0, 0);
    menu->ShowMenu(SW_SHOW, 0, ABE_TOP);
    EXPECT_EQ(Names{}, Lit());
}

// At 200 % the list's place and the buttons are both in scaled pixels: the
// toggle stays in the list's column.
TEST_F(MenuKeysTest, AtTwiceTheScaleTheToggleStaysUnderTheRows) {
    ASSERT_NO_FATAL_FAILURE(CreateKeysMenu({L"One", L"Two"}));
    RECT suggested = {0, 0, 600, 800};
    ::SendMessageW(menu->m_hWnd, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    pinned = ListOf(menu->m_hWnd, kPinnedListId); // the lists are made again
    all = ListOf(menu->m_hWnd, kAllProgramsId);
    Keys({VK_DOWN, VK_DOWN, VK_DOWN});
    EXPECT_EQ(Names{L"All"}, Lit()) << "Down from the last row did not reach the toggle under it";
    Key(VK_RIGHT);
    EXPECT_EQ(Names{L"Shut down"}, Lit());
}

// During a search the keys may move on to the buttons: Enter and the arrows act there.
TEST_F(MenuKeysTest, DuringASearchEnterOnAButtonRunsTheButtonNotTheHighlightedMatch) {
    LaunchRecord record(dir.Join(L"launch.txt"));
    ASSERT_NO_FATAL_FAILURE(CreateKeysMenu({L"One", L"Two"}));
    ::SendMessageW(menu->m_hWnd, WM_CHAR, L'o', 1);
    ASSERT_EQ(L"o", menu->GetSearchText());
    Keys({VK_TAB, VK_TAB, VK_DOWN, VK_DOWN});
    ASSERT_EQ(1, B(50)->GetState()) << "the keys did not reach the third button";
    Key(VK_RETURN);
    EXPECT_EQ("from-a-key\n", record.WaitForLine());
}

TEST_F(MenuKeysTest, EnterStartsARowsProgramAndRunsAButtonsCommandSpaceTogglesTheLists) {
    LaunchRecord record(dir.Join(L"launch.txt"));
    ASSERT_NO_FATAL_FAILURE(CreateKeysMenu({L"One", L"Two"}));
    Keys({VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ("\n", record.WaitForLine()) << "the row's program did not start";
    EXPECT_TRUE(WaitFor([&] { return !menu->IsMenuVisible(); })) << "the menu stayed open";

    menu->ShowMenu(SW_SHOW, 0, ABE_TOP);
    Keys({VK_RIGHT, VK_DOWN, VK_DOWN});
    ASSERT_EQ(Names{L"Run recorder"}, Lit());
    Key(VK_RETURN);
    EXPECT_EQ("\nfrom-a-key\n", record.WaitForLines(2)) << "the button's command did not run";

    menu->ShowMenu(SW_SHOW, 0, ABE_TOP);
    Key(VK_UP);
    ASSERT_EQ(Names{L"All"}, Lit());
    Key(VK_SPACE);
    ASSERT_TRUE(WaitFor([&] { return menu->IsAllProgramsMode() == 1; })) << "Space did not toggle the lists";
    EXPECT_TRUE(Visible(all));
    EXPECT_FALSE(Visible(pinned));
    EXPECT_EQ(1, B(10)->GetKeyFocus()) << "the highlight stays on the toggle";
    // Esc leaves the all-programs view, then closes the menu; Alt+F4 only hides it too.
    Key(VK_ESCAPE);
    EXPECT_EQ(0, menu->IsAllProgramsMode());
    EXPECT_TRUE(menu->IsMenuVisible());
    Key(VK_ESCAPE);
    EXPECT_FALSE(menu->IsMenuVisible());
    menu->ShowMenu(SW_SHOW, 0, ABE_TOP);
    ::SendMessageW(menu->m_hWnd, WM_SYSKEYDOWN, VK_F4, 1 << 29);
    EXPECT_FALSE(menu->IsMenuVisible());
    EXPECT_TRUE(menu->IsWindow()) << "Alt+F4 destroyed the menu";
}

TEST_F(MenuKeysTest, RightAndLeftOpenAndCloseTreeFoldersAndEscClosesFolderViewThenMenu) {
    StartMenuFolder folder(L"0 Velmar Keys");
    ASSERT_TRUE(MakeShortcut(folder.path() + L"\\Recorder.lnk", Recorder(), L"from-the-tree"));
    LaunchRecord record(dir.Join(L"launch.txt"));
    ASSERT_NO_FATAL_FAILURE(CreateKeysMenu({L"One"}));
    Keys({VK_UP, VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return menu->IsAllProgramsMode() == 1 && Visible(all); }));
    std::vector<_treeNode*> rows = all->Rows();
    const auto at = std::find_if(rows.begin(), rows.end(),
                                 [&](_treeNode* row) { return _wcsicmp(row->szPath, folder.path().c_str()) == 0; });
    ASSERT_NE(rows.end(), at) << "the folder is not in the tree";
    _treeNode* row = *at;
    for (size_t i = 0; i <= static_cast<size_t>(at - rows.begin()); ++i)
        Key(VK_DOWN);
    ASSERT_EQ(row, all->GetHotItem());

    Key(VK_RIGHT);
    EXPECT_TRUE(row->bExpanded) << "Right did not open the folder";
    EXPECT_EQ(row, all->GetHotItem());
    Key(VK_RIGHT);
    ASSERT_NE(nullptr, row->pChild);
    EXPECT_EQ(row->pChild, all->GetHotItem()) << "Right on an open folder goes into it";
    Key(VK_LEFT);
    EXPECT_EQ(row, all->GetHotItem()) << "Left goes to the parent";
    EXPECT_TRUE(row->bExpanded);
    Key(VK_LEFT);
    EXPECT_FALSE(row->bExpanded) << "Left closes the folder";

    // Esc: the folder around the highlight, then the view, then the menu.
    Keys({VK_RIGHT, VK_DOWN});
    ASSERT_EQ(row->pChild, all->GetHotItem());
    Key(VK_ESCAPE);
    EXPECT_FALSE(row->bExpanded);
    EXPECT_EQ(row, all->GetHotItem());
    EXPECT_TRUE(menu->IsAllProgramsMode());
    Key(VK_ESCAPE);
    EXPECT_FALSE(menu->IsAllProgramsMode());
    EXPECT_EQ(Names{L"All Programs"}, Lit());
    EXPECT_TRUE(menu->IsMenuVisible());
    Key(VK_ESCAPE);
    EXPECT_FALSE(menu->IsMenuVisible());

    // Enter on the shortcut in the folder starts it.
    menu->ShowMenu(SW_SHOW, 0, ABE_TOP);
    Keys({VK_UP, VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return Visible(all); }));
    rows = all->Rows();
    row = *std::find_if(rows.begin(), rows.end(),
                        [&](_treeNode* r) { return _wcsicmp(r->szPath, folder.path().c_str()) == 0; });
    for (_treeNode* r : rows) {
        Key(VK_DOWN);
        if (r == row)
            break;
    }
    Keys({VK_RIGHT, VK_DOWN, VK_RETURN});
    EXPECT_EQ("from-the-tree\n", record.WaitForLine());
}

TEST_F(MenuKeysTest, AMouseMoveTakesTheHighlightOverAndKeysGoOnFromThere) {
    ASSERT_NO_FATAL_FAILURE(CreateKeysMenu({L"One", L"Two"}));
    Key(VK_RIGHT);
    ASSERT_EQ(Names{L"Pictures"}, Lit());
    MoveMouse(B(8)->m_hWnd, 30, 15);
    ASSERT_TRUE(WaitFor([&] { return B(8)->GetState() == 1; }));
    EXPECT_EQ(Names{L"Programs"}, Lit()) << "two highlights";
    Key(VK_DOWN);
    EXPECT_EQ(Names{L"Run recorder"}, Lit()) << "the keys did not go on from the mouse's button";

    // A mouse message without a move of the pointer (a window shown under it) takes nothing.
    ::SendMessageW(B(8)->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(30, 15));
    EXPECT_EQ(Names{L"Run recorder"}, Lit());

    MoveMouse(pinned->m_hWnd, 60, 5 + 36 + 18);
    ASSERT_TRUE(WaitFor([&] { return pinned->GetHotItem() != nullptr; }));
    EXPECT_EQ(Names{L"Two"}, Lit());
    Key(VK_UP);
    EXPECT_EQ(Names{L"One"}, Lit());
}

TEST_F(MenuKeysTest, TheContextMenuKeyAndShiftF10OpenTheHighlightedPartsShellMenuAtIt) {
    ASSERT_NO_FATAL_FAILURE(CreateKeysMenu({L"One", L"Two"}));
    Keys({VK_DOWN, VK_DOWN});
    RECT row = pinned->RowRect(pinned->GetHotItem());
    ::MapWindowPoints(pinned->m_hWnd, nullptr, reinterpret_cast<POINT*>(&row), 2);
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] |= 0x80;
    ::SetKeyboardState(keys);
    PopupSeen onRow = WatchWhile([&] { ::SendMessageW(menu->m_hWnd, WM_SYSKEYDOWN, VK_F10, 1); });
    keys[VK_SHIFT] &= 0x7F;
    ::SetKeyboardState(keys);
    ASSERT_TRUE(onRow.open) << "Shift+F10 opened nothing on the row";
    ASSERT_FALSE(onRow.ids.empty());
    EXPECT_EQ(CShellPidl::kOwnCommandFirst + 1, onRow.ids.front()) << "\"Unpin from Start menu\" is not on top";
    EXPECT_TRUE(onRow.rc.top >= row.top && onRow.rc.top <= row.bottom + 2) << "the menu is not at the row";
    EXPECT_EQ(Names{L"Two"}, Lit()) << "the row lost the highlight";

    // The context-menu key on the Programs button shows the folder's menu.
    Keys({VK_TAB, VK_DOWN});
    ASSERT_EQ(Names{L"Programs"}, Lit());
    PopupSeen onButton = WatchWhile([&] { Key(VK_APPS); });
    ASSERT_TRUE(onButton.open) << "the context-menu key opened nothing on the folder button";
    RECT button;
    ::GetWindowRect(B(8)->m_hWnd, &button);
    EXPECT_TRUE(onButton.rc.top >= button.top && onButton.rc.top <= button.bottom + 2);
    EXPECT_EQ(1, B(8)->GetKeyFocus()) << "the highlight did not come back after the popup";
    EXPECT_TRUE(menu->IsMenuVisible());
}

TEST_F(MenuKeysTest, ButtonsAndRowsGiveScreenReadersNamesRolesPlacesAndFocusEvents) {
    ASSERT_NO_FATAL_FAILURE(CreateKeysMenu({L"One", L"Two", L"Three"}));
    fw::ComPtr<IAccessible> progs = AccessibleOf(B(8)->m_hWnd);
    ASSERT_TRUE(progs) << "no IAccessible for a button";
    EXPECT_EQ(L"Programs", AccName(progs.get(), CHILDID_SELF));
    EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, AccLong(progs.get(), CHILDID_SELF, true));
    fw::ComPtr<IAccessible> shut = AccessibleOf(B(9)->m_hWnd);
    ASSERT_TRUE(shut);
    long children = 0;
    EXPECT_EQ(S_OK, shut->get_accChildCount(&children));
    EXPECT_EQ(1, children) << "the power arrow";
    EXPECT_EQ(ROLE_SYSTEM_BUTTONMENU, AccLong(shut.get(), 1, true));

    fw::ComPtr<IAccessible> list = AccessibleOf(pinned->m_hWnd);
    ASSERT_TRUE(list) << "no IAccessible for the pinned list";
    EXPECT_EQ(ROLE_SYSTEM_LIST, AccLong(list.get(), CHILDID_SELF, true));
    EXPECT_EQ(S_OK, list->get_accChildCount(&children));
    EXPECT_EQ(3, children);
    EXPECT_EQ(L"Two", AccName(list.get(), 2));
    EXPECT_EQ(ROLE_SYSTEM_LISTITEM, AccLong(list.get(), 2, true));
    EXPECT_EQ(L"2 of 3", AccDescription(list.get(), 2));

    std::vector<FocusEvent> events;
    g_focusEvents = &events;
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocusEvent,
                                           ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(nullptr, hook);
    Keys({VK_DOWN, VK_DOWN});
    const bool rowEvent = WaitFor([&] {
        for (const FocusEvent& e : events)
            if (e.window == pinned->m_hWnd && e.object == OBJID_CLIENT && e.child == 2)
                return true;
        return false;
    });
    EXPECT_TRUE(AccLong(list.get(), 2, false) & STATE_SYSTEM_FOCUSED);
    VARIANT focus;
    ::VariantInit(&focus);
    EXPECT_EQ(S_OK, list->get_accFocus(&focus));
    EXPECT_EQ(2, focus.lVal);
    events.clear();
    Keys({VK_TAB, VK_DOWN});
    const bool buttonEvent = WaitFor([&] {
        for (const FocusEvent& e : events)
            if (e.window == B(8)->m_hWnd && e.object == OBJID_CLIENT && e.child == CHILDID_SELF)
                return true;
        return false;
    });
    ::UnhookWinEvent(hook);
    g_focusEvents = nullptr;
    EXPECT_TRUE(rowEvent) << "no focus event for the highlighted row";
    EXPECT_TRUE(buttonEvent) << "no focus event for the highlighted button";
    EXPECT_TRUE(AccLong(progs.get(), CHILDID_SELF, false) & STATE_SYSTEM_FOCUSED);

    // A client that keeps the object after the window went gets an error, not a crash.
    menu.reset();
    BSTR name = nullptr;
    EXPECT_TRUE(FAILED(list->get_accName(Child(1), &name)));
}
