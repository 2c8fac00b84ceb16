// The Start button as a real window on a stand-in taskbar in this process,
// where its pixels can be read: frames, mouse look, the menu's mode messages,
// exit and the return after the taskbar is made anew. (Its place on every
// edge is checked end to end, against the stand-in in its own process.)
#include "Skin.h"
#include "StartWnd.h"
#include "Taskbar.h"
#include "TaskbarWatch.h"

#include "MenuWnd.h"
#include "StandinClient.h"
#include "StandinTaskbar.h"

#include <gtest/gtest.h>

#include "Processes.h"
#include "XInput.h"

#include <cstdio>
#include <memory>
#include <thread>

namespace {

const int kFrame = 60; // STBTN.HEIGHT of the test skin
const int kOffset = -7;

// Colour of source row `row` of the test bitmap: red counts the row, green
// names the frame.
COLORREF RowColour(int row) { return RGB(row, 20 + 100 * (row / kFrame), 7); }

// Three frames of kFrame rows, 54 pixels wide, every row its own colour.
HBITMAP MakeFrames() {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 54;
    bi.bmiHeader.biHeight = -3 * kFrame;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return nullptr;
    auto* pixels = static_cast<DWORD*>(bits);
    for (int row = 0; row < 3 * kFrame; ++row) {
        COLORREF c = RowColour(row);
        for (int x = 0; x < 54; ++x)
            pixels[row * 54 + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
    return bitmap;
}

class StartButtonWindow : public ::testing::Test {
protected:
    void SetUp() override {
        gSkin.hStartButton.reset(MakeFrames()); // the skin owns it; the last test's goes
        ASSERT_TRUE(gSkin.hStartButton);
        gSkin.nStartHeight = kFrame;
        gSkin.nStartOffset = kOffset;
        gSkin.nStartWidth = 54;
    }
    void TearDown() override {
        button.reset();
        taskbar.Destroy();
        Pump();
    }

    // A stand-in at `edge` and the button on it, as Velmar puts it there.
    void Attach(UINT edge = ABE_BOTTOM, int shape = 8) {
        StandinOptions options;
        options.uEdge = edge;
        options.nShape = shape;
        ASSERT_TRUE(taskbar.Create(options));
        ASSERT_EQ(taskbar.Taskbar(), FindWindowW(L"Shell_TrayWnd", L"")) << "the stand-in must be found first";
        Pump();
        button.reset(new CStartWnd);
        ASSERT_EQ(taskbar.Taskbar(), FindTaskbar(*button));
        ASSERT_TRUE(CreateStartButton(*button, SW_SHOW));
        Pump();
    }

    COLORREF Pixel(int x, int y) {
        UpdateWindow(button->m_hWnd);
        HDC dc = GetDC(button->m_hWnd);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(button->m_hWnd, dc);
        return c;
    }
    bool NeedsPaint() { return GetUpdateRect(button->m_hWnd, nullptr, FALSE) != FALSE; }
    void SetModeAndPaint(WPARAM mode) {
        SendMessageW(button->m_hWnd, kMsgSetMode, mode, 0);
        UpdateWindow(button->m_hWnd);
    }
    void MoveMouse(int x, int y) { SendMessageW(button->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

    CStandinTaskbar taskbar;
    std::unique_ptr<CStartWnd, fw::WindowDeleter> button;
};

} // namespace

TEST_F(StartButtonWindow, DrawsTheFrameOfItsModeFromRowsSizeApartShiftedByTheOffset) {
    Attach();
    // Window row y shows source row frameTop + y - offset.
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        SetModeAndPaint(mode);
        int top = mode * kFrame;
        EXPECT_EQ(RowColour(top + 7), Pixel(10, 0));
        // The last row of the 40-pixel window lies below the 40-pixel taskbar (from y = 1).
        EXPECT_EQ(RowColour(top + 7 + 38), Pixel(53, 38));
    }
    EXPECT_EQ(reinterpret_cast<HANDLE>(2), GetPropW(button->m_hWnd, kModeProperty));
}

// In the place of the shell's own Start button (48 x 40) the 54 x 60 frame is
// fitted, never stretched: 36 x 40 in the middle, the corner's colour beside it.
TEST_F(StartButtonWindow, OverTheShellsStartButtonTheFrameIsFittedWithItsAspect) {
    Attach(ABE_BOTTOM, 10);
    HWND start = FindWindowExW(taskbar.Taskbar(), nullptr, L"Start", nullptr);
    ASSERT_EQ(start, button->hShellStart);
    RECT rc;
    GetClientRect(button->m_hWnd, &rc);
    ASSERT_EQ(48, rc.right);
    ASSERT_EQ(40, rc.bottom);
    for (int x : {0, 4, 44, 47})
        EXPECT_EQ(RowColour(0), Pixel(x, 20)) << x;
    for (int y : {2, 20, 37}) {
        // Row y of the window shows source row y * 60 / 40.
        const int red = GetRValue(Pixel(24, y));
        EXPECT_NEAR(y * kFrame / 40, red, 2) << y;
        EXPECT_EQ(GetGValue(RowColour(0)), GetGValue(Pixel(24, y)));
    }
}

TEST_F(StartButtonWindow, MouseEntryMakesItHotOnceAndMovingOnRepaintsNothing) {
    Attach();
    UpdateWindow(button->m_hWnd);
    MoveMouse(200, 10); // outside the client area: nothing
    EXPECT_EQ(0, button->nMode);
    EXPECT_FALSE(NeedsPaint());

    MoveMouse(10, 10);
    EXPECT_EQ(1, button->nMode);
    EXPECT_TRUE(NeedsPaint());

    for (WPARAM mode : {1, 2}) {
        SCOPED_TRACE(mode);
        SetModeAndPaint(mode);
        ASSERT_FALSE(NeedsPaint());
        MoveMouse(20, 20);
        MoveMouse(21, 20);
        EXPECT_EQ(static_cast<int>(mode), button->nMode);
        EXPECT_FALSE(NeedsPaint()) << "moving within the button repainted it";
    }

    SendMessageW(button->m_hWnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(0, button->nMode); // no menu open: back to normal
    EXPECT_TRUE(NeedsPaint());
}

TEST_F(StartButtonWindow, ModeMessageTakesTwoAndOneAndTreatsAnythingElseAsNormal) {
    Attach();
    struct Step {
        WPARAM wParam;
        int mode;
    } steps[] = {{2, 2}, {1, 1}, {2, 2}, {7, 0}, {1, 1}, {0, 0}, {static_cast<WPARAM>(-1), 0}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.wParam);
        UpdateWindow(button->m_hWnd);
        EXPECT_EQ(0, SendMessageW(button->m_hWnd, kMsgSetMode, s.wParam, 0));
        EXPECT_EQ(s.mode, button->nMode);
        EXPECT_EQ(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(s.mode)), GetPropW(button->m_hWnd, kModeProperty));
        EXPECT_FALSE(NeedsPaint()) << "the new look waits for a later paint";
    }
}

// The shell's answer on the taskbar's edge is kept between openings: a
// taskbar that changed size since must be asked again.
TEST_F(StartButtonWindow, TheMenusAnchorFollowsATaskbarThatChangedSizeSinceTheKeptAnswer) {
    Attach();
    TaskbarAnswer kept;
    MenuAnchor anchor = AnchorForButton(button->m_hWnd, taskbar.Taskbar(), true, &kept);
    EXPECT_EQ(ABE_BOTTOM, anchor.edge);
    EXPECT_EQ(taskbar.Options().Thickness(), anchor.offset);
    EXPECT_EQ(anchor.offset, AnchorForButton(button->m_hWnd, taskbar.Taskbar(), true, &kept).offset);

    RECT rc;
    ASSERT_TRUE(GetWindowRect(taskbar.Taskbar(), &rc));
    const int taller = taskbar.Options().Thickness() + 20;
    SetWindowPos(taskbar.Taskbar(), nullptr, rc.left, rc.bottom - taller, rc.right - rc.left, taller,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    anchor = AnchorForButton(button->m_hWnd, taskbar.Taskbar(), true, &kept);
    EXPECT_EQ(ABE_BOTTOM, anchor.edge);
    EXPECT_EQ(taller, anchor.offset) << "the kept answer was used for a taskbar of another size";
}

TEST_F(StartButtonWindow, ClickTogglesTheMenuAndLeavingWhileOpenKeepsThePressedLook) {
    Attach();
    SendMessageW(button->m_hWnd, WM_LBUTTONDOWN, 0, 0);
    ASSERT_TRUE(button->pMenu);
    EXPECT_TRUE(button->pMenu->IsMenuVisible());
    EXPECT_TRUE(IsWindowVisible(button->pMenu->m_hWnd));
    EXPECT_EQ(2, button->nMode); // told by the menu
    wchar_t title[64] = {};
    GetWindowTextW(button->pMenu->m_hWnd, title, 64);
    EXPECT_STREQ(L"Velmar.Menu.Class", title);

    SendMessageW(button->m_hWnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(2, button->nMode);
    MoveMouse(10, 10);
    EXPECT_EQ(2, button->nMode);

    CMenuWnd* menu = button->pMenu.get();
    SendMessageW(button->m_hWnd, WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(menu, button->pMenu.get()) << "one menu object for the button's life";
    EXPECT_FALSE(menu->IsMenuVisible());
    EXPECT_EQ(0, button->nMode);
    SendMessageW(button->m_hWnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(0, button->nMode);

    // Closed by the button, the menu stays closed: the next click opens it.
    Pump();
    EXPECT_FALSE(menu->IsMenuVisible());
    SendMessageW(button->m_hWnd, WM_LBUTTONDOWN, 0, 0);
    EXPECT_TRUE(menu->IsMenuVisible());
    EXPECT_TRUE(IsWindowVisible(menu->m_hWnd));
    EXPECT_EQ(2, button->nMode);
}

// Start-up makes the menu at its first idle moment: hidden, and the one the first click shows.
TEST_F(StartButtonWindow, AMenuMadeAheadStaysHiddenUntilTheFirstClickShowsIt) {
    Attach();
    const HWND active = GetForegroundWindow();
    SendMessageW(button->m_hWnd, kMsgPrepareMenu, 0, 0);
    ASSERT_TRUE(button->pMenu && button->pMenu->IsAlive());
    CMenuWnd* made = button->pMenu.get();
    EXPECT_FALSE(IsWindowVisible(made->m_hWnd));
    EXPECT_EQ(active, GetForegroundWindow()) << "what the user types into keeps the keys";
    EXPECT_EQ(0, button->nMode);
    SendMessageW(button->m_hWnd, kMsgPrepareMenu, 0, 0);
    EXPECT_EQ(made, button->pMenu.get()) << "made once";
    SendMessageW(button->m_hWnd, WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(made, button->pMenu.get());
    EXPECT_TRUE(IsWindowVisible(made->m_hWnd));
    EXPECT_EQ(2, button->nMode);
}

TEST_F(StartButtonWindow, ExitDestroysButtonAndMenuQuitsWithZeroAndTheTaskbarLaysOutAgain) {
    Attach();
    SendMessageW(button->m_hWnd, WM_LBUTTONDOWN, 0, 0);
    ASSERT_TRUE(button->pMenu);
    HWND menu = button->pMenu->m_hWnd;
    HWND hwnd = button->m_hWnd;
    ASSERT_EQ(hwnd, gStartButton);
    ASSERT_EQ(kFrame, standin::RebarPlacement(taskbar.Taskbar()).left);

    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(ID_START_EXIT, 0), 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindow(menu));
    EXPECT_EQ(nullptr, gStartButton);
    EXPECT_EQ(0, standin::RebarPlacement(taskbar.Taskbar()).left);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);
}

// The menu window goes without its WM_DESTROY reaching the menu object (here:
// detached from it first), so its release event is never signalled. Taking the
// button down must still end; a watchdog fails the test should it hang.
TEST_F(StartButtonWindow, TeardownEndsWhenTheMenuWindowWentWithoutItsDestroyMessage) {
    Attach();
    SendMessageW(button->m_hWnd, WM_LBUTTONDOWN, 0, 0);
    ASSERT_TRUE(button->pMenu && button->pMenu->IsWindow());
    HWND menu = button->pMenu->m_hWnd;
    SetWindowLongPtrW(menu, GWLP_USERDATA, 0);
    DestroyWindow(menu);
    ASSERT_FALSE(IsWindow(menu));

    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread watchdog([done] {
        if (WaitForSingleObject(done, 20000) != WAIT_OBJECT_0) {
            fprintf(stderr, "The Start button's teardown still waits for the menu after 20 s\n");
            fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    });
    HWND hwnd = button->m_hWnd;
    button.reset();
    SetEvent(done);
    watchdog.join();
    CloseHandle(done);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(nullptr, gStartButton);
}

TEST_F(StartButtonWindow, ComesBackOnANewTaskbarAfterTheOldOneIsDestroyed) {
    Attach();
    CTaskbarWatch watch(button, SW_SHOW);
    ASSERT_TRUE(watch.Create());
    CStartWnd* first = button.get();

    // A broadcast while the button is on the current taskbar changes nothing.
    SendMessageW(watch.m_hWnd, watch.TaskbarCreatedMessage(), 0, 0);
    EXPECT_EQ(first, button.get());

    taskbar.Destroy(); // the button goes with its parent
    EXPECT_FALSE(button->IsWindow());
    EXPECT_EQ(nullptr, gStartButton);

    CStandinTaskbar second;
    StandinOptions options;
    options.uEdge = ABE_LEFT;
    ASSERT_TRUE(second.Create(options)); // broadcasts "TaskbarCreated"
    ASSERT_TRUE(WaitFor([&] { return button && button->IsWindow(); }));
    EXPECT_EQ(second.Taskbar(), GetParent(button->m_hWnd));
    EXPECT_EQ(button->m_hWnd, gStartButton);
    EXPECT_EQ(kFrame, standin::RebarPlacement(second.Taskbar()).top);
    button.reset();
    EXPECT_EQ(0, standin::RebarPlacement(second.Taskbar()).top);
}

// The watch owns a secondary taskbar's button: a press there opens the menu
// from it, and when that taskbar goes with the menu open the menu closes, the
// primary button forgets it and the watch drops the object; a new taskbar
// gets a new button.
TEST_F(StartButtonWindow, ASecondaryTaskbarsButtonGoesWithItsTaskbarEvenWithTheMenuOpenFromIt) {
    StandinOptions options;
    options.uEdge = ABE_BOTTOM;
    options.nSecondaryEdge = ABE_TOP;
    ASSERT_TRUE(taskbar.Create(options));
    Pump();
    button.reset(new CStartWnd);
    ASSERT_TRUE(FindTaskbar(*button));
    ASSERT_TRUE(CreateStartButton(*button, SW_SHOW));
    CTaskbarWatch watch(button, SW_SHOW);
    ASSERT_TRUE(watch.Create());
    watch.SyncSecondaryButtons();
    ASSERT_EQ(1u, watch.SecondaryButtonCount());
    HWND secondary = FindWindowExW(taskbar.Secondary(), nullptr, nullptr, L"Start.Button.Main");
    ASSERT_TRUE(secondary);
    watch.SyncSecondaryButtons();
    EXPECT_EQ(1u, watch.SecondaryButtonCount()) << "a served taskbar got a second button";

    SendMessageW(secondary, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ASSERT_TRUE(button->pMenu && button->pMenu->IsMenuVisible());
    EXPECT_EQ(secondary, button->hMenuOrigin);
    EXPECT_EQ(2, static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(secondary, kModeProperty))));
    EXPECT_EQ(0, button->nMode);
    RECT menu, top;
    GetWindowRect(button->pMenu->m_hWnd, &menu);
    GetWindowRect(taskbar.Secondary(), &top);
    EXPECT_EQ(top.bottom, menu.top) << "the menu hangs from the taskbar whose button was pressed";

    ASSERT_TRUE(standin::SetSecondary(taskbar.Taskbar(), false));
    EXPECT_FALSE(IsWindow(secondary));
    EXPECT_FALSE(button->pMenu->IsMenuVisible()) << "the menu stayed open for a button that is gone";
    EXPECT_EQ(button->m_hWnd, button->hMenuOrigin);
    EXPECT_TRUE(WaitFor([&] { return watch.SecondaryButtonCount() == 0; })) << "the gone button's object was kept";

    ASSERT_TRUE(standin::SetSecondary(taskbar.Taskbar(), true)); // tells of a display change
    ASSERT_TRUE(WaitFor([&] { return watch.SecondaryButtonCount() == 1; }));
    secondary = FindWindowExW(taskbar.Secondary(), nullptr, nullptr, L"Start.Button.Main");
    ASSERT_TRUE(secondary);
    EXPECT_EQ(kFrame, standin::RebarPlacement(taskbar.Secondary()).left);
    // The primary button's own press opens the menu by its own taskbar again.
    SendMessageW(button->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ASSERT_TRUE(button->pMenu->IsMenuVisible());
    EXPECT_EQ(button->m_hWnd, button->hMenuOrigin);
    EXPECT_EQ(2, button->nMode);
}

// On Windows a press on the button first activates the taskbar, which hides the
// open menu; the press itself must then not open it again.
TEST_F(StartButtonWindow, APressThatClosesTheMenuByTakingItsActivationDoesNotReopenIt) {
    Attach();
    SendMessageW(button->m_hWnd, WM_LBUTTONDOWN, 0, 0);
    CMenuWnd* menu = button->pMenu.get();
    ASSERT_TRUE(menu);
    SetForegroundWindow(menu->m_hWnd);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == menu->m_hWnd; }));
    ASSERT_TRUE(menu->IsMenuVisible());

    // The press goes where the button is once the taskbar has settled on its edge.
    POINT centre{};
    ASSERT_TRUE(WaitFor([&] {
        RECT rc;
        GetWindowRect(button->m_hWnd, &rc);
        centre = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        return WindowFromPoint(centre) == button->m_hWnd;
    })) << "the button is not on top at its own centre";
    SendMouse(MOUSEEVENTF_LEFTDOWN, centre);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu->m_hWnd); })) << "the press did not take the activation";
    SendMouse(MOUSEEVENTF_LEFTUP, centre);
    // The release has reached this thread once its key state is up again.
    ASSERT_TRUE(WaitFor([] { return GetKeyState(VK_LBUTTON) >= 0 && !GetQueueStatus(QS_MOUSEBUTTON); }))
        << "the release never arrived";
    PumpFor(200); // a reopening would come with the release's own messages
    EXPECT_FALSE(menu->IsMenuVisible());
    EXPECT_FALSE(IsWindowVisible(menu->m_hWnd));
    EXPECT_EQ(0, button->nMode);
    EXPECT_EQ(0, menu->TakeClosedByButtonPress()) << "the button never saw the press";

    // The next press opens it as usual.
    SendMouse(MOUSEEVENTF_LEFTDOWN, centre);
    SendMouse(MOUSEEVENTF_LEFTUP, centre);
    EXPECT_TRUE(WaitFor([&] { return menu->IsMenuVisible() != 0; }));
}
