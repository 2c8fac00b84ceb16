// One menu button under a recording parent that stands in for the menu: the
// mouse is real (the cursor is placed, the moves are posted), timers are real.
#include "menu_test_support.h"

namespace {

const UINT kCommand = 0x200;
const int kIdKey = 42;

class MenuItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::gModule.Init(::GetModuleHandleW(nullptr));
        StartGdiplusOnce();
        ParkMouse();
        RECT rc = {100, 100, 400, 200};
        ASSERT_TRUE(parent.Create(nullptr, rc, L"menu stand-in", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW));
        m_hParent = parent.m_hWnd;
        record.nId = kIdKey;
        record.nPosWidth = 200;
        record.nPosHeight = 30;
    }
    void TearDown() override {
        button.reset();
        ParkMouse();
    }

    void MakeButton() {
        button = std::make_unique<CMenuItemWnd>(m_hParent);
        button->SetSkinButton(&record);
        button->SetCommandId(kCommand);
        RECT rc = {0, 0, 200, 30};
        ASSERT_TRUE(button->Create(m_hParent, rc, nullptr, WS_CHILD | WS_VISIBLE, WS_EX_COMPOSITED));
        ::UpdateWindow(m_hParent);
    }
    void Click(int x, int y) {
        ::SendMessageW(button->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::SendMessageW(button->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    // Keeps the mouse resting at (x, y) for a while, as a hand would.
    void Rest(int x, int y, DWORD ms) {
        for (DWORD t = 0; t < ms; t += 100) {
            MoveMouse(button->m_hWnd, x, y);
            PumpFor(100);
        }
    }
    int Notifies(bool withRecord) const {
        int n = 0;
        for (const auto& e : parent.Of(WM_NOTIFY))
            n += (e.pSkinButton != nullptr) == withRecord;
        return n;
    }

    RecordingWnd parent;
    HWND m_hParent = nullptr;
    _skinButton record;
    std::unique_ptr<CMenuItemWnd> button;
};

} // namespace

TEST_F(MenuItemTest, RestingInTheZoneOpensOnceUntilReArmed) {
    record.nMenuAuto = 500;
    record.nMenuWidth = 20;
    MakeButton();
    MoveMouse(button->m_hWnd, 190, 15); // 10 pixels from the right edge
    ASSERT_TRUE(WaitFor([&] { return parent.Count(WM_COMMAND) == 1; }));
    auto commands = parent.Of(WM_COMMAND);
    EXPECT_EQ(kCommand + 1, commands[0].wp);
    EXPECT_EQ(0, commands[0].lp) << "the timer posts no ID key";
    EXPECT_EQ(2, button->GetState());

    Rest(189, 14, 1500);
    EXPECT_EQ(1, parent.Count(WM_COMMAND)) << "opened again without being re-armed";

    // The menu setting the state re-arms it.
    button->SetState(0);
    Rest(190, 15, 100);
    ASSERT_TRUE(WaitFor([&] { return parent.Count(WM_COMMAND) == 2; }));

    // So does the mouse leaving the button.
    Rest(190, 15, 200);
    ParkMouse();
    ASSERT_TRUE(WaitFor([&] { return Notifies(false) >= 1; })) << "no leave notification";
    EXPECT_EQ(0, button->GetState());
    MoveMouse(button->m_hWnd, 191, 16);
    ASSERT_TRUE(WaitFor([&] { return parent.Count(WM_COMMAND) == 3; }));
}

TEST_F(MenuItemTest, RestingInTheMiddleOnlyNotifiesTheHover) {
    record.nMenuAuto = 500;
    record.nMenuWidth = 20;
    MakeButton();
    MoveMouse(button->m_hWnd, 100, 15);
    ASSERT_TRUE(WaitFor([&] { return Notifies(true) == 1; }));
    auto notify = parent.Of(WM_NOTIFY)[0];
    EXPECT_EQ(kCommand, notify.wp);
    EXPECT_EQ(&record, notify.pSkinButton);
    EXPECT_EQ(1, button->GetState());
    Rest(100, 15, 1200);
    EXPECT_EQ(0, parent.Count(WM_COMMAND));
    EXPECT_EQ(1, Notifies(true)) << "one hover notice per visit";

    ParkMouse();
    ASSERT_TRUE(WaitFor([&] { return Notifies(false) == 1; }));
    EXPECT_EQ(0, button->GetState());
}

TEST_F(MenuItemTest, AClickPostsTheCommandAndCommandLineOrInTheZoneTheSubmenuCommand) {
    record.nMenuAuto = 500;
    record.nMenuWidth = 20;
    MakeButton();
    Click(50, 15);
    PumpFor(100);
    ASSERT_EQ(2u, parent.entries.size());
    EXPECT_EQ(static_cast<UINT>(WM_COMMAND), parent.entries[0].msg);
    EXPECT_EQ(kCommand, parent.entries[0].wp);
    EXPECT_EQ(0, parent.entries[0].lp);
    EXPECT_EQ(static_cast<UINT>(WM_USER + 4), parent.entries[1].msg);
    EXPECT_EQ(kCommand, parent.entries[1].wp);
    EXPECT_EQ(kIdKey, parent.entries[1].lp);
    EXPECT_NE(2, button->GetState()) << "a main-area click keeps the look";

    parent.entries.clear();
    Click(195, 15);
    PumpFor(100);
    ASSERT_EQ(1u, parent.entries.size());
    EXPECT_EQ(static_cast<UINT>(WM_COMMAND), parent.entries[0].msg);
    EXPECT_EQ(kCommand + 1, parent.entries[0].wp);
    EXPECT_EQ(kIdKey, parent.entries[0].lp);
    EXPECT_EQ(2, button->GetState());

    // Without an auto-open delay the strip is main area, whatever its width.
    record.nMenuAuto = 0;
    parent.entries.clear();
    Click(195, 15);
    PumpFor(100);
    ASSERT_EQ(2u, parent.entries.size());
    EXPECT_EQ(kCommand, parent.entries[0].wp);
}

TEST_F(MenuItemTest, PressMoveOffAndReleaseOutsidePostsNothing) {
    record.nMenuAuto = 500;
    record.nMenuWidth = 20;
    MakeButton();
    ::SendMessageW(button->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 15));
    EXPECT_EQ(button->m_hWnd, ::GetCapture());
    ::SendMessageW(button->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(250, 60));
    ::SendMessageW(button->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(250, 60));
    EXPECT_EQ(nullptr, ::GetCapture());
    // The same outside the zone's right end.
    ::SendMessageW(button->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(195, 15));
    ::SendMessageW(button->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(205, 15));
    // A release without a press is no click either.
    ::SendMessageW(button->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(50, 15));
    PumpFor(300);
    EXPECT_EQ(0, parent.Count(WM_COMMAND));
    EXPECT_EQ(0, parent.Count(WM_USER + 4));
}

// Queued input comes after posted messages: a move handled once the pointer has
// left lights nothing and reports no hover, since no leave would follow.
TEST_F(MenuItemTest, AMoveHandledAfterThePointerLeftLightsNothing) {
    MakeButton();
    ASSERT_TRUE(PlacePointer(m_hParent, 100, 80)); // on the stand-in, below the button
    ::SendMessageW(button->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(50, 15));
    EXPECT_EQ(0, button->GetState());
    PumpFor(3 * CMenuItemWnd::kHoverDelay);
    EXPECT_EQ(0, Notifies(true));
}

TEST_F(MenuItemTest, AnInertButtonNeverChangesNorPosts) {
    record.nActivate = 0;
    record.nMenuAuto = 200;
    record.nMenuWidth = 50;
    MakeButton();
    Rest(100, 15, 600);
    Rest(190, 15, 600);
    Click(100, 15);
    Click(190, 15);
    ::SendMessageW(button->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(button->m_hWnd), MAKELPARAM(150, 150));
    PumpFor(300);
    EXPECT_EQ(0, button->GetState());
    EXPECT_TRUE(parent.entries.empty());
}

TEST_F(MenuItemTest, TheMouseLeavingAfterAClickKeepsTheLookAndStaysSilent) {
    MakeButton();
    MoveMouse(button->m_hWnd, 50, 15);
    ASSERT_TRUE(WaitFor([&] { return Notifies(true) == 1; }));
    // Sent, not posted: the leave must come before any further move.
    Click(50, 15);
    ::SendMessageW(button->m_hWnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(0, Notifies(false));
    EXPECT_EQ(1, button->GetState());
    // The next move inside clears the click; then leaving resets and notifies.
    ::SendMessageW(button->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(50, 15));
    ::SendMessageW(button->m_hWnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(1, Notifies(false));
    EXPECT_EQ(0, button->GetState());
}

TEST(MenuItemShellMenu, FolderButtonsDropTheirCommandsAndTheSeparatorsLeftOver) {
    auto build = [] { return MenuOf({1, 0, 17, 0, 2, 20, 0, 18, 25, 28, 0, 0, 3, 0}); };
    const GUID known = {0x5E6C858F, 0x0E22, 0x4760, {0x9A, 0xFE, 0xEA, 0x33, 0x17, 0xB6, 0x71, 0x73}};

    fw::UniqueMenu plain(build());
    CMenuItemWnd::CustomizeFolderMenu(plain.get(), CSIDL_DRIVES, GUID_NULL);
    EXPECT_EQ((std::vector<UINT>{1, 0, 2, 20, 0, 28, 0, 3}), MenuIds(plain.get()));

    fw::UniqueMenu profile(build());
    CMenuItemWnd::CustomizeFolderMenu(profile.get(), CSIDL_PROFILE, known);
    EXPECT_EQ((std::vector<UINT>{1, 0, 2, 0, 3}), MenuIds(profile.get()));

    fw::UniqueMenu library(build());
    CMenuItemWnd::CustomizeFolderMenu(library.get(), CSIDL_PERSONAL, known);
    EXPECT_EQ((std::vector<UINT>{1, 0, 2, 20, 0, 3}), MenuIds(library.get()));
}

TEST_F(MenuItemTest, ACaptionWiderThanTheRoomAfterItsOffsetWrapsInsteadOfBeingCut) {
    // Red text, told apart from any background; the words fit 200 pixels on one
    // line but not the 110 that TEXT.X leaves.
    Gdiplus::FontFamily family(L"Liberation Sans");
    auto font = std::make_unique<Gdiplus::Font>(&family, 12, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    auto red = std::make_unique<Gdiplus::Color>(255, 255, 0, 0);
    std::swap(gSkin.pDefaultFont, font); // the skin's own come back at the end
    std::swap(gSkin.pDefaultColor, red);
    record.nTextX = 90;
    MakeButton();
    button->SetCaption(L"Wwwwwww Wwwwwww");
    ::RedrawWindow(button->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    PumpFor(50);

    // The rows that carry ink: one line of 12-pixel text spans about 12 rows, two lines twice that.
    HDC dc = ::GetDC(button->m_hWnd);
    int first = -1, last = -1;
    for (int y = 0; y < 30; ++y)
        for (int x = 90; x < 200; ++x)
            if (const COLORREF c = ::GetPixel(dc, x, y);
                GetRValue(c) > 160 && GetGValue(c) < 100 && GetBValue(c) < 100) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    ::ReleaseDC(button->m_hWnd, dc);
    std::swap(gSkin.pDefaultFont, font);
    std::swap(gSkin.pDefaultColor, red);
    ASSERT_GE(first, 0) << "no caption drawn";
    EXPECT_GT(last - first, 16) << "the caption stayed on one line and was cut at the button's edge";
}

// An opening resets every button: a hot, pressed or key-highlighted one is
// painted again in its normal look.
TEST_F(MenuItemTest, AResetRepaintsAButtonWhoseLookChanged) {
    MakeButton();
    auto resetRepaints = [&](int state, int keyFocus) {
        button->SetState(state);
        if (keyFocus)
            button->SetKeyFocus(keyFocus);
        ::ValidateRect(button->m_hWnd, nullptr);
        button->SetState(0);
        return ::GetUpdateRect(button->m_hWnd, nullptr, FALSE) != FALSE;
    };
    EXPECT_TRUE(resetRepaints(1, 0)); // hot
    EXPECT_TRUE(resetRepaints(2, 0)); // its submenu open
    EXPECT_TRUE(resetRepaints(0, 1)); // the keyboard highlight
}
