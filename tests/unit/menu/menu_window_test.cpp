// The menu window: placement by the taskbar edge, the buttons it builds from
// the skin, the all-programs toggle, the list notifications and teardown.
#include "Text.h"
#include "TreeWnd.h"

#include "menu_test_support.h"

namespace {

const std::string kBackground = "MENU.BACKGROUND=bg.bmp\r\n"; // 300 x 400

RECT PrimaryMonitor(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcMonitor;
}

std::string PictureButton() {
    return Button("pic", {"ID=0", "POS.X=200", "POS.Y=10", "POS.WIDTH=64", "POS.HEIGHT=64",
                          "DRAWPIC.RECT=(4,6)-(50,52)", "ICON.X=8", "ICON.Y=9"});
}

} // namespace

TEST(MenuPlacement, EveryTaskbarEdgeOfA1080PixelMonitor) {
    const RECT monitor = {0, 0, 1920, 1080};
    const SIZE menu = {449, 486};
    auto at = [&](int edge) { return CMenuWnd::MenuPosition(monitor, menu, 40, edge, 54); };
    EXPECT_EQ(0, at(ABE_BOTTOM).x);
    EXPECT_EQ(554, at(ABE_BOTTOM).y); // 1080 - 486 - 40
    EXPECT_EQ(0, at(ABE_TOP).x);
    EXPECT_EQ(40, at(ABE_TOP).y);
    EXPECT_EQ(0, at(ABE_LEFT).x);
    EXPECT_EQ(54, at(ABE_LEFT).y);
    EXPECT_EQ(1920 - 449, at(ABE_RIGHT).x);
    EXPECT_EQ(54, at(ABE_RIGHT).y);
    EXPECT_EQ(0, at(7).x);
    EXPECT_EQ(0, at(7).y);
    // On a second monitor x still counts from screen 0; only the right edge is the monitor's.
    const RECT second = {1920, 0, 3840, 1080};
    EXPECT_EQ(0, CMenuWnd::MenuPosition(second, {300, 400}, 30, ABE_BOTTOM, 54).x);
    EXPECT_EQ(3840 - 300, CMenuWnd::MenuPosition(second, {300, 400}, 30, ABE_RIGHT, 54).x);
}

TEST(MenuPlacement, OnTheOnlyMonitorTheMenuStaysWhereItAlwaysWas) {
    const RECT monitor = {0, 0, 1920, 1080};
    const SIZE menu = {449, 486};
    for (int edge : {ABE_LEFT, ABE_TOP, ABE_RIGHT, ABE_BOTTOM}) {
        SCOPED_TRACE(edge);
        RECT work = monitor; // a taskbar of 40 at that edge
        (edge == ABE_TOP      ? work.top
         : edge == ABE_BOTTOM ? work.bottom
         : edge == ABE_LEFT   ? work.left
                              : work.right) += edge == ABE_TOP || edge == ABE_LEFT ? 40 : -40;
        const POINT was = CMenuWnd::MenuPosition(monitor, menu, 40, edge, 54);
        const POINT now = CMenuWnd::PlaceMenu({monitor, work, {1, 1041, 54, 1080}, edge, 40}, menu, 54);
        // Only a vertical taskbar moves the menu off itself, into the work area.
        EXPECT_EQ(edge == ABE_LEFT ? 40 : edge == ABE_RIGHT ? 1880 - 449 : was.x, now.x);
        EXPECT_EQ(was.y, now.y);
    }
}

TEST(MenuPlacement, OnAnyMonitorAndEdgeTheMenuLiesInsideTheWorkArea) {
    const SIZE menu = {449, 486};
    // Monitors left of and above the primary one, and right of it.
    for (const RECT& monitor : {RECT{-1280, -1024, 0, 0}, RECT{1920, 0, 3200, 800}, RECT{-800, 200, 0, 800}}) {
        for (int edge : {ABE_LEFT, ABE_TOP, ABE_RIGHT, ABE_BOTTOM, 7}) {
            SCOPED_TRACE(testing::Message() << monitor.left << "," << monitor.top << " edge " << edge);
            RECT work = monitor;
            RECT button = {};
            switch (edge) {
            case ABE_LEFT:
                work.left += 60;
                button = {monitor.left, monitor.top + 1, monitor.left + 60, monitor.top + 54};
                break;
            case ABE_TOP:
                work.top += 40;
                button = {monitor.left + 1, monitor.top + 1, monitor.left + 54, monitor.top + 40};
                break;
            case ABE_RIGHT:
                work.right -= 60;
                button = {monitor.right - 60, monitor.top + 1, monitor.right, monitor.top + 54};
                break;
            default:
                work.bottom -= 40;
                button = {monitor.left + 1, monitor.bottom - 39, monitor.left + 54, monitor.bottom};
                break;
            }
            const POINT pt = CMenuWnd::PlaceMenu({monitor, work, button, edge, 40}, menu, 54);
            EXPECT_GE(pt.x, work.left);
            EXPECT_GE(pt.y, work.top);
            EXPECT_LE(pt.x + menu.cx, work.right);
            EXPECT_LE(pt.y + menu.cy, work.bottom);
        }
    }
    // By the taskbar: a bottom one puts the menu on it, at the monitor's left.
    const RECT second = {1920, 0, 3200, 800};
    const POINT bottom =
        CMenuWnd::PlaceMenu({second, {1920, 0, 3200, 760}, {1921, 761, 1974, 800}, ABE_BOTTOM, 40}, menu, 54);
    EXPECT_EQ(1920, bottom.x);
    EXPECT_EQ(760 - 486, bottom.y);
    const POINT right =
        CMenuWnd::PlaceMenu({second, {1920, 0, 3140, 800}, {3140, 1, 3200, 54}, ABE_RIGHT, 60}, menu, 54);
    EXPECT_EQ(3140 - 449, right.x);
    EXPECT_EQ(54, right.y);
}

TEST(MenuPlacement, AMenuLargerThanTheMonitorKeepsItsSizeAtTheButtonsCorner) {
    const SIZE menu = {900, 700};
    const RECT monitor = {-640, 0, 0, 480}; // smaller than the menu both ways
    // Bottom taskbar, button at the left: the menu's bottom-left corner meets the work area's.
    POINT pt = CMenuWnd::PlaceMenu({monitor, {-640, 0, 0, 440}, {-639, 441, -586, 480}, ABE_BOTTOM, 40}, menu, 54);
    EXPECT_EQ(-640, pt.x);
    EXPECT_EQ(440 - 700, pt.y);
    // Right taskbar: the menu's top-right corner meets the work area's.
    pt = CMenuWnd::PlaceMenu({monitor, {-640, 0, -60, 480}, {-60, 1, 0, 54}, ABE_RIGHT, 60}, menu, 54);
    EXPECT_EQ(-60 - 900, pt.x);
    EXPECT_EQ(0, pt.y);
    // Larger one way only: the other way it is still clamped inside.
    pt = CMenuWnd::PlaceMenu({monitor, {-640, 40, 0, 480}, {-639, 1, -586, 40}, ABE_TOP, 40}, {300, 700}, 54);
    EXPECT_EQ(-640, pt.x);
    EXPECT_EQ(40, pt.y);
}

TEST(MenuPlacement, AnEmptyWorkAreaCountsAsTheWholeMonitor) {
    // What Wine answers with a topmost window at a side of its virtual desktop.
    const RECT monitor = {0, 0, 1280, 800};
    const POINT pt = CMenuWnd::PlaceMenu({monitor, {0, 800, 1280, 800}, {0, 1, 60, 54}, ABE_LEFT, 800}, {449, 486}, 54);
    EXPECT_EQ(0, pt.x);
    EXPECT_EQ(54, pt.y);
    const POINT beside =
        CMenuWnd::PlaceMenu({monitor, {1280, 0, 2560, 800}, {1, 761, 54, 800}, ABE_BOTTOM, 40}, {449, 486}, 54);
    EXPECT_EQ(0, beside.x);
    EXPECT_EQ(800 - 486 - 40, beside.y);
}

TEST_F(MenuTest, ShowingTellsTheButtonFirstThenPlacesTheMenuByEveryEdge) {
    ASSERT_EQ(1, LoadSkin(kBackground + "STBTN.HEIGHT=61\r\n", "BUTTON.ENABLED=\r\n"));
    CreateMenu();
    const RECT monitor = PrimaryMonitor(menu->m_hWnd);
    EXPECT_EQ(300, MenuRect().right - MenuRect().left);
    EXPECT_EQ(400, MenuRect().bottom - MenuRect().top);
    EXPECT_FALSE(::IsWindowVisible(menu->m_hWnd));

    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ASSERT_EQ(1u, startButton->entries.size());
    EXPECT_EQ(static_cast<UINT>(kMsgSetMode), startButton->entries[0].msg);
    EXPECT_EQ(2u, startButton->entries[0].wp);
    EXPECT_FALSE(startButton->entries[0].menuVisible) << "mode 2 must come before the menu shows";
    EXPECT_TRUE(::IsWindowVisible(menu->m_hWnd));
    EXPECT_EQ(1, menu->IsMenuVisible());
    EXPECT_EQ(0, MenuRect().left);
    EXPECT_EQ(monitor.bottom - 400 - 40, MenuRect().top);
    EXPECT_EQ(300, MenuRect().right - MenuRect().left); // placing never resizes

    menu->ShowMenu(SW_SHOW, 30, ABE_TOP);
    EXPECT_EQ(0, MenuRect().left);
    EXPECT_EQ(30, MenuRect().top);
    menu->ShowMenu(SW_SHOW, 30, ABE_LEFT);
    EXPECT_EQ(0, MenuRect().left);
    EXPECT_EQ(61, MenuRect().top);
    menu->ShowMenu(SW_SHOW, 30, ABE_RIGHT);
    EXPECT_EQ(monitor.right, MenuRect().right);
    EXPECT_EQ(61, MenuRect().top);

    menu->ShowMenu(SW_HIDE, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(menu->m_hWnd));
    EXPECT_EQ(0, menu->IsMenuVisible());
    ASSERT_FALSE(startButton->entries.empty());
    EXPECT_EQ(0u, startButton->entries.back().wp);
}

// Without a background the window keeps 449 x 486 and must still sit inside
// the monitor, above the taskbar, not hang off the screen by its whole height.
TEST_F(MenuTest, WithoutBackgroundTheDefaultSizedMenuStaysOnTheScreen) {
    ASSERT_EQ(1, LoadSkin("", "BUTTON.ENABLED=\r\n"));
    CreateMenu();
    const RECT monitor = PrimaryMonitor(menu->m_hWnd);
    EXPECT_EQ(449, MenuRect().right - MenuRect().left);
    EXPECT_EQ(486, MenuRect().bottom - MenuRect().top);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_EQ(monitor.bottom - 40, MenuRect().bottom);
    menu->ShowMenu(SW_SHOW, 40, ABE_RIGHT);
    EXPECT_EQ(monitor.right, MenuRect().right);
}

TEST_F(MenuTest, WorksWithoutAStartButton) {
    ASSERT_EQ(1, LoadSkin(kBackground, "BUTTON.ENABLED=\r\n"));
    CreateMenu(false);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_EQ(1, menu->IsMenuVisible());
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, ID_SHUTDOWN_LOCK, 0);
    EXPECT_EQ(std::vector<std::string>{"lock"}, Recorded().calls);
    menu->ShowMenu(SW_HIDE, 0, 0);
    EXPECT_EQ(0, menu->IsMenuVisible());
}

TEST_F(MenuTest, ButtonsTakeRoleCaptionPictureAndPlaceFromTheSkin) {
    ASSERT_EQ(1, LoadSkin(kBackground,
                          "BUTTON.ENABLED=pic,user,docs,all,custom\r\n" + PictureButton() +
                              Button("user", {"ID=1", "TEXT=Profile", "POS.X=150", "POS.Y=80", "POS.WIDTH=120",
                                              "POS.HEIGHT=30"}) +
                              Button("docs", {"ID=2", "TEXT=Documents", "POS.X=150", "POS.Y=110", "POS.WIDTH=120",
                                              "POS.HEIGHT=30"}) +
                              Button("all", {"ID=10", "TEXT=Everything", "POS.X=10", "POS.Y=360", "POS.WIDTH=120",
                                             "POS.HEIGHT=30"}) +
                              Button("custom", {"ID=77", "TEXT=Mine", "POS.X=150", "POS.Y=150", "POS.WIDTH=120",
                                                "POS.HEIGHT=30"}),
                          "IMAGE.100=all.bmp\r\n"));
    UseTestAccountPicture();
    ASSERT_NE(nullptr, gSkin.GetImage(1));
    CreateMenu();

    CMenuItemWnd* user = menu->FindButton(1);
    ASSERT_NE(nullptr, user);
    EXPECT_EQ(static_cast<UINT>(kCmdUser), user->GetCommandId());
    EXPECT_EQ(CSIDL_PROFILE, user->GetShellFolder());
    EXPECT_STREQ(gSkin.GetAccountName(), user->GetCaption()) << "the user's folder is captioned with the account";
    RECT rc;
    ::GetWindowRect(user->m_hWnd, &rc);
    POINT corner = {rc.left, rc.top};
    ::ScreenToClient(menu->m_hWnd, &corner);
    EXPECT_EQ(150, corner.x);
    EXPECT_EQ(80, corner.y);
    EXPECT_EQ(120, rc.right - rc.left);
    EXPECT_TRUE(::GetWindowLongW(user->m_hWnd, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(static_cast<LONG>(WS_EX_COMPOSITED | WS_EX_CONTROLPARENT),
              ::GetWindowLongW(user->m_hWnd, GWL_EXSTYLE) & (WS_EX_COMPOSITED | WS_EX_CONTROLPARENT));

    CMenuItemWnd* docs = menu->FindButton(2);
    ASSERT_NE(nullptr, docs);
    EXPECT_STREQ(L"Documents", docs->GetCaption());
    EXPECT_EQ(CSIDL_PERSONAL, docs->GetShellFolder());
    EXPECT_FALSE(IsEqualGUID(GUID_NULL, docs->GetKnownFolder()));

    CMenuItemWnd* pic = menu->FindButton(0);
    ASSERT_NE(nullptr, pic);
    EXPECT_EQ(static_cast<UINT>(kCmdUserAccount), pic->GetCommandId());
    EXPECT_EQ(gSkin.GetImage(1), pic->GetOverlayImage());

    CMenuItemWnd* all = menu->FindButton(10);
    ASSERT_NE(nullptr, all);
    EXPECT_EQ(gSkin.GetImage(100), all->GetOverlayImage());
    EXPECT_STREQ(L"Everything", all->GetCaption());

    CMenuItemWnd* custom = menu->FindButton(77);
    ASSERT_NE(nullptr, custom);
    EXPECT_EQ(77u, custom->GetCommandId());
    EXPECT_EQ(-1, custom->GetShellFolder());
    EXPECT_EQ(nullptr, menu->FindButton(5));
}

TEST_F(MenuTest, TwoButtonsWithOneIdKeyAreBothKeptAndFreed) {
    ASSERT_EQ(1, LoadSkin(kBackground, "BUTTON.ENABLED=a,b\r\n" +
                                           Button("a", {"ID=50", "TEXT=first", "POS.WIDTH=50", "POS.HEIGHT=20"}) +
                                           Button("b", {"ID=50", "TEXT=second", "POS.Y=30", "POS.WIDTH=50",
                                                        "POS.HEIGHT=20"})));
    CreateMenu();
    ASSERT_NE(nullptr, menu->FindButton(50));
    EXPECT_STREQ(L"first", menu->FindButton(50)->GetCaption());
    int children = 0; // the buttons; the two lists are children too
    for (HWND h = ::GetWindow(menu->m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        children += ::GetDlgCtrlID(h) != kPinnedListId && ::GetDlgCtrlID(h) != kAllProgramsId;
    EXPECT_EQ(2, children);
    menu->DestroyWindow();
    EXPECT_EQ(nullptr, menu->FindButton(50));
}

TEST_F(MenuTest, AllProgramsToggleFlipsImageAndCaptionAndComesBackOnShow) {
    ASSERT_EQ(1, LoadSkin(kBackground,
                          "BUTTON.ENABLED=all\r\n" + Button("all", {"ID=10", "TEXT=Everything", "POS.X=10",
                                                                    "POS.Y=360", "POS.WIDTH=120", "POS.HEIGHT=30"}),
                          "IMAGE.100=all.bmp\r\nIMAGE.101=back.bmp\r\nSTRING.100=All Programs\r\nSTRING.101=Back\r\n"));
    CreateMenu();
    CMenuItemWnd* all = menu->FindButton(10);
    ASSERT_NE(nullptr, all);
    Gdiplus::Image* forward = gSkin.GetImage(100);
    Gdiplus::Image* backward = gSkin.GetImage(101);
    ASSERT_NE(nullptr, forward);
    ASSERT_NE(nullptr, backward);

    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    EXPECT_EQ(1, menu->IsAllProgramsMode());
    EXPECT_EQ(backward, all->GetOverlayImage());
    EXPECT_STREQ(L"Back", all->GetCaption());

    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    EXPECT_EQ(0, menu->IsAllProgramsMode());
    EXPECT_EQ(forward, all->GetOverlayImage());
    EXPECT_STREQ(L"All Programs", all->GetCaption()) << "string 100, not the skin's TEXT";

    // Every show (and hide) starts again in pinned mode.
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_EQ(0, menu->IsAllProgramsMode());
    EXPECT_EQ(forward, all->GetOverlayImage());
    menu->ShowMenu(SW_HIDE, 0, 0);
}

TEST_F(MenuTest, AMissingAccountPictureIsLookedForAgainWhileTheMenuIsOpenNotAtTheOpening) {
    ASSERT_EQ(1, LoadSkin(kBackground, "BUTTON.ENABLED=pic\r\n" + PictureButton()));
    CreateMenu();
    CMenuItemWnd* pic = menu->FindButton(0);
    ASSERT_TRUE(pic);
    ASSERT_EQ(nullptr, pic->GetOverlayImage()); // none was set up
    UseTestAccountPicture(false);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_EQ(nullptr, pic->GetOverlayImage()) << "the opening looked for the picture again";
    // The open menu's first idle moment finds it, and the button shows it.
    ASSERT_TRUE(WaitFor([&] { return pic->GetOverlayImage() != nullptr; }));
    EXPECT_EQ(gSkin.GetImage(1), pic->GetOverlayImage());
    menu->ShowMenu(SW_HIDE, 0, 0);
}

TEST_F(MenuTest, AllProgramsToggleWithoutItsButtonDoesNothing) {
    ASSERT_EQ(1, LoadSkin(kBackground, "BUTTON.ENABLED=\r\n"));
    CreateMenu();
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    EXPECT_EQ(0, menu->IsAllProgramsMode());
}

TEST_F(MenuTest, ShowingResetsEveryButtonAndRestoresTheAccountPicture) {
    ASSERT_EQ(1, LoadSkin(kBackground, "BUTTON.ENABLED=pic,shut\r\n" + PictureButton() +
                                           Button("shut", {"ID=9", "POS.Y=300", "POS.WIDTH=80", "POS.HEIGHT=30"})));
    UseTestAccountPicture();
    ASSERT_NE(nullptr, gSkin.GetImage(1));
    CreateMenu();
    CMenuItemWnd* shut = menu->FindButton(9);
    CMenuItemWnd* pic = menu->FindButton(0);
    ASSERT_TRUE(shut && pic);
    shut->SetState(2);
    HICON icon = ::LoadIconW(nullptr, IDI_APPLICATION);
    pic->SetIcon(icon, 1, 1);
    pic->SetOverlayImage(nullptr, 0, 0, 0, 0);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_EQ(0, shut->GetState());
    EXPECT_EQ(nullptr, pic->GetIcon());
    EXPECT_EQ(gSkin.GetImage(1), pic->GetOverlayImage());
    menu->ShowMenu(SW_HIDE, 0, 0);
}

TEST_F(MenuTest, AChosenListEntryHidesTheMenuAndStartsItsPath) {
    ASSERT_EQ(1, LoadSkin(kBackground, "BUTTON.ENABLED=\r\n"));
    CreateMenu();
    const std::wstring record = dir.Join(L"launch.txt");
    ::SetEnvironmentVariableW(L"LAUNCH_RECORD", record.c_str());
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    startButton->entries.clear();

    _treeNotify notify{};
    notify.hdr.hwndFrom = ::GetDlgItem(menu->m_hWnd, kPinnedListId); // the record counts only from a list
    notify.hdr.idFrom = 1;
    notify.hdr.code = kTreeNotifyClick;
    fw::StrCopy(notify.szPath, (BinDir() + L"\\launch_recorder.exe").c_str());
    ::SendMessageW(menu->m_hWnd, WM_NOTIFY, kPinnedListId, reinterpret_cast<LPARAM>(&notify));
    EXPECT_FALSE(::IsWindowVisible(menu->m_hWnd));
    EXPECT_EQ(0, menu->IsMenuVisible());
    ASSERT_FALSE(startButton->entries.empty());
    EXPECT_EQ(0u, startButton->entries[0].wp);
    EXPECT_TRUE(WaitFor([&] { return !ReadFileBytes(record).empty(); }, 10000)) << "the entry was not started";

    // A null record does nothing.
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ::SendMessageW(menu->m_hWnd, WM_NOTIFY, kAllProgramsId, 0);
    EXPECT_EQ(1, menu->IsMenuVisible());
    ::SetEnvironmentVariableW(L"LAUNCH_RECORD", nullptr);
}

TEST_F(MenuTest, DestroyingFreesTheButtonsAndThenSignalsTheReleasedEvent) {
    ASSERT_EQ(1, LoadSkin(kBackground, "BUTTON.ENABLED=a\r\n" + Button("a", {"ID=3", "POS.WIDTH=50",
                                                                              "POS.HEIGHT=20"})));
    CreateMenu();
    EXPECT_EQ(1, menu->IsAlive());
    HANDLE released = menu->ReleasedEvent();
    ASSERT_NE(nullptr, released);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(released, 0));
    HWND button = menu->FindButton(3)->m_hWnd;
    menu->DestroyWindow();
    EXPECT_EQ(0, menu->IsAlive());
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(released, 0));
    EXPECT_FALSE(::IsWindow(button));
    EXPECT_EQ(nullptr, menu->FindButton(3));
    // The object outlives its window; showing then does nothing.
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_EQ(0, menu->IsMenuVisible());
}

TEST(MenuContextMenu, PruningLeavesPropertiesAloneAndNoStraySeparator) {
    fw::UniqueMenu menu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MENU_POPUP)));
    ASSERT_TRUE(menu);
    HMENU popup = ::GetSubMenu(menu.get(), 0);
    ASSERT_EQ(3, ::GetMenuItemCount(popup));
    CMenuWnd::PruneContextMenu(popup);
    EXPECT_EQ((std::vector<UINT>{ID_POPUP_PROPERTIES}), MenuIds(popup));

    // Options in the middle: the separator it leaves doubled goes too.
    fw::UniqueMenu other(MenuOf({ID_POPUP_PROPERTIES, 0, ID_POPUP_OPTIONS, 0, 0x9000}));
    CMenuWnd::PruneContextMenu(other.get());
    EXPECT_EQ((std::vector<UINT>{ID_POPUP_PROPERTIES, 0, 0x9000}), MenuIds(other.get()));
}
