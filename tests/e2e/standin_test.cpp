#include "StandinClient.h"
#include "StandinProcess.h"
#include "StandinTaskbar.h"
#include "ScreenCapture.h"
#include "Wait.h"

#include <commctrl.h>

#include <cwchar>
#include <utility>

#include <gtest/gtest.h>

namespace {

RECT WindowRect(HWND hWnd) {
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    return rc;
}

RECT ExpectedRect(const StandinOptions& options) {
    return options.ScreenRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

StandinOptions AtEdge(UINT edge, int size = 0) {
    StandinOptions options;
    options.uEdge = edge;
    options.nSize = size;
    return options;
}

APPBARDATA NewAppBarData() {
    APPBARDATA abd = {};
    abd.cbSize = sizeof(abd);
    return abd;
}

TEST(StandinTaskbar, AnswersTaskbarPositionWithItsOwnEdgeAndRectangle) {
    for (UINT edge : {ABE_LEFT, ABE_TOP, ABE_RIGHT, ABE_BOTTOM}) {
        SCOPED_TRACE(EdgeName(edge));
        CStandinTaskbar taskbar;
        ASSERT_TRUE(taskbar.Create(AtEdge(edge)));
        EXPECT_EQ(ExpectedRect(taskbar.Options()), WindowRect(taskbar.Taskbar()));

        APPBARDATA abd = NewAppBarData();
        ASSERT_EQ(1u, SHAppBarMessage(ABM_GETTASKBARPOS, &abd));
        EXPECT_EQ(edge, abd.uEdge);
        EXPECT_EQ(taskbar.Taskbar(), abd.hWnd);
        EXPECT_EQ(WindowRect(taskbar.Taskbar()), abd.rc);
    }
}

TEST(StandinTaskbar, AnswersTheConfiguredState) {
    {
        CStandinTaskbar taskbar;
        ASSERT_TRUE(taskbar.Create(StandinOptions()));
        APPBARDATA abd = NewAppBarData();
        EXPECT_EQ(static_cast<UINT_PTR>(ABS_ALWAYSONTOP), SHAppBarMessage(ABM_GETSTATE, &abd));
    }
    StandinOptions autoHide;
    autoHide.uState = ABS_AUTOHIDE | ABS_ALWAYSONTOP;
    CStandinTaskbar taskbar;
    ASSERT_TRUE(taskbar.Create(autoHide));
    APPBARDATA abd = NewAppBarData();
    EXPECT_EQ(static_cast<UINT_PTR>(ABS_AUTOHIDE | ABS_ALWAYSONTOP), SHAppBarMessage(ABM_GETSTATE, &abd));
}

TEST(StandinTaskbar, IsTheTaskbarTheProductFindsWithARebarAcrossIt) {
    HWND hWineTray = standin::FindTaskbar();
    CStandinTaskbar taskbar;
    ASSERT_TRUE(taskbar.Create(AtEdge(ABE_BOTTOM)));
    ASSERT_EQ(taskbar.Taskbar(), standin::FindTaskbar()) << "Wine's own tray window was found first";
    EXPECT_NE(hWineTray, taskbar.Taskbar());
    EXPECT_TRUE(GetWindowLongW(taskbar.Taskbar(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_EQ(taskbar.Rebar(), standin::FindRebar(taskbar.Taskbar()));
    EXPECT_TRUE(IsWindowVisible(taskbar.Rebar()));
    EXPECT_EQ(2, SendMessageW(taskbar.Rebar(), RB_GETBANDCOUNT, 0, 0));

    RECT client;
    GetClientRect(taskbar.Taskbar(), &client);
    EXPECT_EQ(client, standin::RebarPlacement(taskbar.Taskbar()));
    // Moved away and told of a new size, it lays the rebar out again as a shell does.
    MoveWindow(taskbar.Rebar(), 54, 0, 100, 20, FALSE);
    SendMessageW(taskbar.Taskbar(), WM_SIZE, 0, 0);
    EXPECT_EQ(client, standin::RebarPlacement(taskbar.Taskbar()));
}

TEST(StandinTaskbar, AnnouncesItselfToTopLevelWindows) {
    static int announcements = 0;
    static UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    WNDCLASSW wc = {};
    wc.lpszClassName = L"StandinTest.Listener";
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == taskbarCreated)
            ++announcements;
        return DefWindowProcW(h, m, w, l);
    };
    RegisterClassW(&wc);
    HWND hListener =
        CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(hListener);
    Pump();
    CStandinTaskbar taskbar;
    ASSERT_TRUE(taskbar.Create(StandinOptions()));
    Pump();
    EXPECT_EQ(1, announcements);
    DestroyWindow(hListener);
}

TEST(StandinTaskbar, RelayoutMovesTheRebarAndRecordsWhatItSaw) {
    CStandinTaskbar taskbar;
    ASSERT_TRUE(taskbar.Create(AtEdge(ABE_BOTTOM)));
    standin::RebarRecord before = {};
    ASSERT_TRUE(standin::ReadRebarRecord(taskbar.Taskbar(), &before));

    ASSERT_TRUE(standin::Relayout(taskbar.Taskbar(), 5, 1, 700, 30));
    RECT placed = standin::RebarPlacement(taskbar.Taskbar());
    EXPECT_EQ((RECT{5, 1, 705, 31}), placed);
    standin::RebarRecord record = {};
    ASSERT_TRUE(standin::ReadRebarRecord(taskbar.Taskbar(), &record));
    EXPECT_GE(record.nCount, before.nCount + 2) << "the move and the notification";
    EXPECT_EQ(5, record.x);
    EXPECT_EQ(1, record.y);
    EXPECT_EQ(700, record.cx);
    EXPECT_EQ(30, record.cy);

    ASSERT_TRUE(standin::RelayoutHere(taskbar.Taskbar(), 0, 0, 0, 0)) << "all zero: the whole client area";
    RECT client;
    GetClientRect(taskbar.Taskbar(), &client);
    EXPECT_EQ(client, standin::RebarPlacement(taskbar.Taskbar()));
    ASSERT_TRUE(standin::ReadRebarRecord(taskbar.Taskbar(), &record));
    EXPECT_EQ(0, record.x);
    EXPECT_EQ(client.right, record.cx);
}

TEST(StandinTaskbar, WithoutAppBarLeavesTheQueriesToWine) {
    StandinOptions options;
    options.uEdge = ABE_TOP;
    options.bAnswerAppBar = false;
    CStandinTaskbar taskbar;
    ASSERT_TRUE(taskbar.Create(options));
    EXPECT_EQ(nullptr, taskbar.AppBar());
    APPBARDATA abd = NewAppBarData();
    SHAppBarMessage(ABM_GETTASKBARPOS, &abd);
    EXPECT_NE(taskbar.Taskbar(), abd.hWnd);
}

TEST(StandinOptions, CommandLineRoundTrips) {
    StandinOptions options;
    options.uEdge = ABE_RIGHT;
    options.nSize = 72;
    options.uState = 3;
    options.bAnswerAppBar = false;
    options.readyEvent = L"Ready.1";
    options.nSecondaryEdge = ABE_TOP;
    StandinOptions read;
    ASSERT_TRUE(read.Parse((L"standin_taskbar.exe " + options.ToCommandLine()).c_str()));
    EXPECT_EQ(options.uEdge, read.uEdge);
    EXPECT_EQ(72, read.Thickness());
    EXPECT_EQ(3u, read.uState);
    EXPECT_FALSE(read.bAnswerAppBar);
    EXPECT_EQ(L"Ready.1", read.readyEvent);
    EXPECT_EQ(ABE_TOP, read.nSecondaryEdge);
    EXPECT_EQ(-1, StandinOptions().nSecondaryEdge);

    EXPECT_FALSE(StandinOptions().Parse(L"x.exe --edge=middle"));
    EXPECT_FALSE(StandinOptions().Parse(L"x.exe --size=-4"));
    EXPECT_FALSE(StandinOptions().Parse(L"x.exe --colour=red"));
    EXPECT_FALSE(StandinOptions().Parse(L"x.exe --secondary=middle"));
    EXPECT_EQ(60, AtEdge(ABE_LEFT).Thickness());
    EXPECT_EQ(40, AtEdge(ABE_TOP).Thickness());
}

TEST(StandinProcess, RunsAtTheRequestedEdgeAndEndsOnClose) {
    CStandinProcess standin;
    ASSERT_TRUE(standin.Start(AtEdge(ABE_LEFT, 70)));
    ASSERT_EQ(standin.Taskbar(), standin::FindTaskbar());
    RECT expected = ExpectedRect(AtEdge(ABE_LEFT, 70));
    EXPECT_EQ(expected, WindowRect(standin.Taskbar()));

    APPBARDATA abd = NewAppBarData();
    ASSERT_EQ(1u, SHAppBarMessage(ABM_GETTASKBARPOS, &abd));
    EXPECT_EQ(static_cast<UINT>(ABE_LEFT), abd.uEdge);
    EXPECT_EQ(expected, abd.rc);

    PostMessageW(standin.Taskbar(), WM_CLOSE, 0, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(standin.Process(), 20000));
    DWORD code = 1;
    GetExitCodeProcess(standin.Process(), &code);
    EXPECT_EQ(0u, code);
}

} // namespace

// Shaped like Windows 10 the shell's children stand end to end in their order
// along the taskbar at every edge and search-box variant, and follow a resize;
// shaped like Windows 11 they are hidden under the XAML bridge.
TEST(StandinTaskbar, LaysOutTheShellsOwnChildrenOfTheLaterShapes) {
    const std::pair<UINT, int> cases[] = {{ABE_BOTTOM, standin::kSearchBox},
                                          {ABE_TOP, standin::kSearchIcon},
                                          {ABE_LEFT, standin::kSearchBox},
                                          {ABE_RIGHT, standin::kSearchNone}};
    // Along a horizontal taskbar the box is 344 wide; a vertical one shows its icon.
    const int searchExtent[4][3] = {{48, 48, 0}, {344, 48, 0}, {48, 48, 0}, {344, 48, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(EdgeName(c.first));
        StandinOptions options = AtEdge(c.first);
        options.nShape = 10;
        options.nSearch = c.second;
        CStandinTaskbar taskbar;
        ASSERT_TRUE(taskbar.Create(options));
        const bool vertical = c.first == ABE_LEFT || c.first == ABE_RIGHT;
        HWND tray = nullptr;
        int at = 0;
        for (const wchar_t* cls : {L"Start", L"TrayDummySearchControl", L"TrayButton", L"TrayButton", L"ReBarWindow32",
                                   L"TrayNotifyWnd"}) {
            const bool isTray = !std::wcscmp(cls, L"TrayButton");
            HWND child = FindWindowExW(taskbar.Taskbar(), isTray ? tray : nullptr, cls, nullptr);
            tray = isTray ? child : tray;
            const RECT rc = standin::PlaceInParent(child);
            if (IsRectEmpty(&rc))
                continue; // the hidden search box
            EXPECT_EQ(at, vertical ? rc.top : rc.left) << cls;
            at = vertical ? rc.bottom : rc.right;
            if (!std::wcscmp(cls, L"TrayDummySearchControl")) {
                EXPECT_EQ(searchExtent[c.first][c.second], vertical ? rc.bottom - rc.top : rc.right - rc.left);
            }
        }
        RECT client;
        GetClientRect(taskbar.Taskbar(), &client);
        EXPECT_EQ(vertical ? client.bottom : client.right, at);
        ASSERT_TRUE(standin::SetThickness(taskbar.Taskbar(), 70));
        const RECT start = standin::PlaceInParent(FindWindowExW(taskbar.Taskbar(), nullptr, L"Start", nullptr));
        EXPECT_EQ(70, vertical ? start.right : start.bottom);
    }
    StandinOptions options;
    options.nShape = 11;
    CStandinTaskbar taskbar;
    ASSERT_TRUE(taskbar.Create(options));
    RECT client;
    GetClientRect(taskbar.Taskbar(), &client);
    EXPECT_EQ(client, standin::PlaceInParent(FindWindowExW(taskbar.Taskbar(), nullptr,
                                                           L"Windows.UI.Composition.DesktopWindowContentBridge", nullptr)));
    EXPECT_FALSE(IsWindowVisible(FindWindowExW(taskbar.Taskbar(), nullptr, L"Start", nullptr)));
    const RECT band = standin::RebarPlacement(taskbar.Taskbar());
    EXPECT_TRUE(IsRectEmpty(&band)) << "the band of a XAML taskbar is 0 x 0";
}
