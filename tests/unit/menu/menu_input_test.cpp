// The whole menu under real activation, mouse and popup menus: deactivation,
// the hover picture, its context menu and the power menu.
#include "menu_test_support.h"

#include "ScreenCapture.h"

#include <algorithm>

namespace {

const std::string kBackground = "MENU.BACKGROUND=bg.bmp\r\n"; // 300 x 400

std::string FolderButtons() {
    return Button("pic", {"ID=0", "POS.X=200", "POS.Y=10", "POS.WIDTH=64", "POS.HEIGHT=64",
                          "DRAWPIC.RECT=(8,8)-(48,48)", "ICON.X=16", "ICON.Y=16"}) +
           Button("user", {"ID=1", "TEXT=User", "POS.X=150", "POS.Y=90", "POS.WIDTH=140", "POS.HEIGHT=30"}) +
           Button("docs", {"ID=2", "TEXT=Documents", "POS.X=150", "POS.Y=130", "POS.WIDTH=140", "POS.HEIGHT=30",
                           "ICON=shell32.dll,-16"}) +
           Button("shut", {"ID=9", "TEXT=Shut down", "POS.X=150", "POS.Y=340", "POS.WIDTH=120", "POS.HEIGHT=30",
                           "ICON=shell32.dll,-28", "IMAGE.NORMAL=normal.bmp", "IMAGE.MENU=pressed.bmp"});
}

} // namespace

// Made ahead, the buttons' pictures go on the screen with the menu's own
// paint, and so do the pinned list's rows: the buttons and the list are spared
// their own paints, and what shows is what each would paint.
TEST_F(MenuTest, AnOpeningPaintsTheButtonsPicturesMadeAheadAndTheListsRowsAsTheyWould) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    WriteList({L"APP=Program 0|app|" + std::wstring(self), L"APP=Program 1|app|" + std::wstring(self)});
    const std::string listBesideTheButtons = "MENU.APPLIST.X=10\r\nMENU.APPLIST.Y=20\r\nMENU.APPLIST.WIDTH=100\r\n"
                                             "MENU.APPLIST.HEIGHT=200\r\nSKIN.APPLIST=" +
                                             Narrow(listFile) + "\r\n";
    ASSERT_EQ(1, LoadSkin(kBackground + listBesideTheButtons, "BUTTON.ENABLED=pic,user,docs,shut\r\n" + FolderButtons()));
    UseTestAccountPicture();
    CreateMenu();
    menu->PrepareFirstPicture();
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ASSERT_TRUE(::GetUpdateRect(menu->m_hWnd, nullptr, FALSE)) << "shown, the menu waits for its paint";
    ::SendMessageW(menu->m_hWnd, WM_PAINT, 0, 0);
    for (int id : {0, 1, 2, 9})
        EXPECT_FALSE(::GetUpdateRect(menu->FindButton(id)->m_hWnd, nullptr, FALSE)) << "button " << id;
    HWND pinned = ::GetDlgItem(menu->m_hWnd, kPinnedListId);
    ASSERT_TRUE(pinned && ::IsWindowVisible(pinned));
    EXPECT_FALSE(::GetUpdateRect(pinned, nullptr, FALSE)) << "the list's rows came with the menu's paint";

    ::RedrawWindow(menu->m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::GdiFlush();
    const Capture fromMenu(menu->m_hWnd, Capture::kAsDrawn);
    for (int id : {0, 1, 2, 9})
        ::RedrawWindow(menu->FindButton(id)->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ::RedrawWindow(pinned, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ::GdiFlush();
    const Capture byButtons(menu->m_hWnd, Capture::kAsDrawn);
    POINT at{};
    EXPECT_FALSE(fromMenu.FirstDifference(byButtons, &at)) << "first differs at " << at.x << ", " << at.y;
    menu->ShowMenu(SW_HIDE, 0, 0);
}

TEST_F(MenuTest, ActivatingAnotherWindowHidesTheMenuAndResetsTheButton) {
    ASSERT_EQ(1, LoadSkin(kBackground, "BUTTON.ENABLED=\r\n"));
    CreateMenu();
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ASSERT_TRUE(WaitFor([&] { return ::GetActiveWindow() == menu->m_hWnd; }));
    EXPECT_EQ(1, menu->IsMenuVisible());
    startButton->entries.clear();

    RecordingWnd other;
    RECT rc = {500, 100, 700, 300};
    ASSERT_TRUE(other.Create(nullptr, rc, L"another window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0));
    ::SetForegroundWindow(other.m_hWnd);
    ::SetActiveWindow(other.m_hWnd);
    ASSERT_TRUE(WaitFor([&] { return startButton->Count(kMsgSetMode) > 0; }));
    EXPECT_FALSE(::IsWindowVisible(menu->m_hWnd));
    EXPECT_EQ(0, menu->IsMenuVisible());
    EXPECT_EQ(0u, startButton->Of(kMsgSetMode)[0].wp);
}

TEST_F(MenuTest, RestingOnAFolderButtonShowsItsIconInsteadOfTheAccountPicture) {
    const std::string listBesideTheButtons = "MENU.APPLIST.X=10\r\nMENU.APPLIST.Y=20\r\nMENU.APPLIST.WIDTH=100\r\n"
                                             "MENU.APPLIST.HEIGHT=200\r\n";
    ASSERT_EQ(1, LoadSkin(kBackground + listBesideTheButtons, "BUTTON.ENABLED=pic,user,docs,shut\r\n" + FolderButtons()));
    UseTestAccountPicture();
    Gdiplus::Image* picture = gSkin.GetImage(1);
    ASSERT_NE(nullptr, picture);
    CreateMenu();
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    CMenuItemWnd* pic = menu->FindButton(0);
    CMenuItemWnd* docs = menu->FindButton(2);
    CMenuItemWnd* shut = menu->FindButton(9);
    ASSERT_TRUE(pic && docs && shut);
    HICON docsIcon = docs->GetSkinButton()->hIcon.get();
    ASSERT_NE(nullptr, docsIcon) << "shell32.dll,-16 gave no icon";
    EXPECT_EQ(picture, pic->GetOverlayImage());

    MoveMouse(docs->m_hWnd, 30, 15);
    ASSERT_TRUE(WaitFor([&] { return pic->GetIcon() == docsIcon; })) << "the hovered icon never showed";
    EXPECT_EQ(nullptr, pic->GetOverlayImage());

    MoveMouse(menu->m_hWnd, 20, 380); // off the button, still on the menu
    ASSERT_TRUE(WaitFor([&] { return pic->GetIcon() == nullptr; })) << "leaving did not restore the picture";
    EXPECT_EQ(picture, pic->GetOverlayImage());

    // The shutdown button has an icon too, but never lends it.
    MoveMouse(shut->m_hWnd, 30, 15);
    ASSERT_TRUE(WaitFor([&] { return shut->GetState() == 1; }));
    PumpFor(600);
    EXPECT_EQ(nullptr, pic->GetIcon());
    EXPECT_EQ(picture, pic->GetOverlayImage());
}

// Skin buttons may carry any ID, a list's id or the focus request's among them:
// their hover and leave stay button notifications, their click runs only their CMD.
TEST_F(MenuTest, CustomButtonsWithTheListsIdsHoverLeaveAndClickAsButtons) {
    const std::string cmd = "CMD=" + Narrow(Recorder()) + "|";
    ASSERT_EQ(1, LoadSkin(kBackground,
                          "BUTTON.ENABLED=pinned,tree,focus\r\n" +
                              Button("pinned", {"ID=1200", "POS.X=20", "POS.Y=20", "POS.WIDTH=120", "POS.HEIGHT=30",
                                                cmd + "pinned clicked"}) +
                              Button("tree", {"ID=1201", "POS.X=20", "POS.Y=60", "POS.WIDTH=120", "POS.HEIGHT=30",
                                              cmd + "tree clicked"}) +
                              Button("focus", {"ID=269", "POS.X=20", "POS.Y=100", "POS.WIDTH=120", "POS.HEIGHT=30"})));
    CreateMenu();
    ::ShowWindow(m_hStart, SW_SHOWNOACTIVATE);
    LaunchRecord record(dir.Join(L"launch.txt"));
    menu->ShowMenu(SW_SHOW, 0, ABE_TOP);
    ASSERT_TRUE(WaitFor([&] { return ::GetActiveWindow() == menu->m_hWnd; }));
    for (int id : {1200, 1201, 269}) {
        SCOPED_TRACE(id);
        CMenuItemWnd* button = menu->FindButton(id);
        ASSERT_NE(nullptr, button);
        MoveMouse(button->m_hWnd, 30, 15);
        ASSERT_TRUE(WaitFor([&] { return button->GetState() == 1; }));
        PumpFor(3 * CMenuItemWnd::kHoverDelay); // the hover notification goes out meanwhile
        MoveMouse(menu->m_hWnd, 250, 380);
        ASSERT_TRUE(WaitFor([&] { return button->GetState() == 0; })) << "no leave";
        EXPECT_EQ(1, menu->IsMenuVisible());
        EXPECT_NE(m_hStart, ::GetFocus());
    }
    CMenuItemWnd* pinned = menu->FindButton(1200);
    ::SendMessageW(pinned->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    ::SendMessageW(pinned->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    EXPECT_EQ("pinned clicked\n", record.WaitForLine());
    PumpFor(500);
    EXPECT_EQ("pinned clicked\n", record.Text()) << "something else was started";
    EXPECT_TRUE(Recorded().calls.empty());
}

TEST_F(MenuTest, TheMenuBackgroundOffersOnlyPropertiesOtherWindowsTheWholePopup) {
    ASSERT_EQ(1, LoadSkin(kBackground, "BUTTON.ENABLED=\r\n"));
    CreateMenu();
    menu->ShowMenu(SW_SHOW, 0, ABE_TOP);
    PopupSeen own = WatchWhile([&] {
        ::SendMessageW(menu->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(menu->m_hWnd), MAKELPARAM(100, 100));
    });
    ASSERT_TRUE(own.open);
    EXPECT_EQ(std::vector<UINT>{ID_POPUP_PROPERTIES}, own.ids);
    EXPECT_EQ(100, own.rc.left);
    EXPECT_EQ(100, own.rc.top);

    // What a list passes on for another window (the pinned list) keeps "Options".
    PopupSeen whole = WatchWhile([&] {
        ::SendMessageW(menu->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hStart), MAKELPARAM(100, 100));
    });
    ASSERT_TRUE(whole.open);
    EXPECT_EQ((std::vector<UINT>{ID_POPUP_PROPERTIES, 0, ID_POPUP_OPTIONS}), whole.ids);
}

TEST_F(MenuTest, ThePowerMenuOpensAtTheShutdownButtonsCornerWithTheButtonPressed) {
    const std::string listBesideTheButtons = "MENU.APPLIST.X=10\r\nMENU.APPLIST.Y=20\r\nMENU.APPLIST.WIDTH=100\r\n"
                                             "MENU.APPLIST.HEIGHT=200\r\n";
    ASSERT_EQ(1, LoadSkin(kBackground + listBesideTheButtons, "BUTTON.ENABLED=pic,user,docs,shut\r\n" + FolderButtons()));
    CreateMenu();
    menu->ShowMenu(SW_SHOW, 0, ABE_TOP); // room below the button for the popup
    CMenuItemWnd* shut = menu->FindButton(9);
    ASSERT_NE(nullptr, shut);
    RECT anchor;
    ::GetWindowRect(shut->m_hWnd, &anchor);
    int stateWhileOpen = -1;
    PopupSeen seen = WatchWhile([&] { ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdPowerMenu, 0); },
                                [&] { stateWhileOpen = shut->GetState(); });
    ASSERT_TRUE(seen.open);
    EXPECT_EQ((std::vector<UINT>{ID_SHUTDOWN_SWITCHUSER, ID_SHUTDOWN_LOGOFF, ID_SHUTDOWN_LOCK, 0, ID_SHUTDOWN_RESTART,
                                 0, ID_SHUTDOWN_SLEEP}),
              seen.ids);
    EXPECT_EQ(anchor.right, seen.rc.left);
    EXPECT_EQ(anchor.bottom, seen.rc.top);
    EXPECT_EQ(2, stateWhileOpen);
    EXPECT_EQ(0, shut->GetState());
    EXPECT_TRUE(Recorded().calls.empty()) << "closing the popup chooses nothing";
}

TEST_F(MenuTest, WithoutAShutdownButtonThePowerMenuHangsFromTheMenusCorner) {
    ASSERT_EQ(1, LoadSkin(kBackground, "BUTTON.ENABLED=\r\n"));
    CreateMenu();
    menu->ShowMenu(SW_SHOW, 0, ABE_TOP);
    const RECT rc = MenuRect();
    PopupSeen seen = WatchWhile([&] { ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdPowerMenu, 0); });
    ASSERT_TRUE(seen.open);
    // Below the menu's bottom-right corner unless the screen pushes it back in.
    EXPECT_EQ(rc.right, seen.rc.left);
    EXPECT_LE(seen.rc.top, rc.bottom);
}

TEST_F(MenuTest, RightClickOnTheUserFolderShowsTheShellMenuWithoutTheDroppedCommands) {
    const std::string listBesideTheButtons = "MENU.APPLIST.X=10\r\nMENU.APPLIST.Y=20\r\nMENU.APPLIST.WIDTH=100\r\n"
                                             "MENU.APPLIST.HEIGHT=200\r\n";
    ASSERT_EQ(1, LoadSkin(kBackground + listBesideTheButtons, "BUTTON.ENABLED=pic,user,docs,shut\r\n" + FolderButtons()));
    CreateMenu();
    menu->ShowMenu(SW_SHOW, 0, ABE_TOP);
    CMenuItemWnd* user = menu->FindButton(1);
    ASSERT_NE(nullptr, user);
    POINT pt = ToScreen(user->m_hWnd, 20, 10);
    PopupSeen seen = WatchWhile([&] {
        ::SendMessageW(user->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(user->m_hWnd), MAKELPARAM(pt.x, pt.y));
    });
    ASSERT_TRUE(seen.open) << "no shell menu for the profile folder";
    ASSERT_FALSE(seen.ids.empty());
    for (UINT dropped : {17u, 18u, 20u, 25u, 28u})
        EXPECT_EQ(seen.ids.end(), std::find(seen.ids.begin(), seen.ids.end(), dropped)) << dropped;
    EXPECT_NE(0u, seen.ids.back()) << "a separator ends the menu";
    for (size_t i = 1; i < seen.ids.size(); ++i)
        EXPECT_FALSE(seen.ids[i] == 0 && seen.ids[i - 1] == 0) << "doubled separator at " << i;

    // A button without a shell folder shows nothing.
    CMenuItemWnd* shut = menu->FindButton(9);
    PopupSeen none = WatchWhile([&] {
        ::SendMessageW(shut->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(shut->m_hWnd), MAKELPARAM(pt.x, pt.y));
        PumpFor(300);
    });
    EXPECT_FALSE(none.open);
}
