// The menu's commands: the skin button's own command line, the power actions
// through the session seam, and the context-menu commands.
#include "Text.h"

#include "menu_test_support.h"

namespace {

struct Split {
    std::wstring file, parameters;
};

Split SplitOf(const wchar_t* command) {
    wchar_t file[260], parameters[260];
    CMenuWnd::SplitCommand(command, file, 260, parameters, 260);
    return {file, parameters};
}

} // namespace

TEST(MenuCommandLine, FileBeforeTheFirstBarParametersAfterTheLast) {
    EXPECT_EQ(L"notepad.exe", SplitOf(L"notepad.exe|readme.txt").file);
    EXPECT_EQ(L"readme.txt", SplitOf(L"notepad.exe|readme.txt").parameters);
    EXPECT_EQ(L"a", SplitOf(L"a|b|c").file);
    EXPECT_EQ(L"c", SplitOf(L"a|b|c").parameters);
    EXPECT_EQ(L"", SplitOf(L"notepad.exe").file) << "no bar: nothing to start";
    EXPECT_EQ(L"notepad.exe", SplitOf(L"notepad.exe").parameters);
    EXPECT_EQ(L"tool.exe", SplitOf(L"tool.exe|").file);
    EXPECT_EQ(L"", SplitOf(L"tool.exe|").parameters);
    EXPECT_EQ(L"", SplitOf(L"|x").file);
}

TEST(MenuCommandLine, OverLongPartsAreCutTo259Characters) {
    std::wstring longFile(400, L'f'), longParameters(600, L'p');
    Split s = SplitOf((longFile + L"|" + longParameters).c_str());
    EXPECT_EQ(std::wstring(259, L'f'), s.file);
    EXPECT_EQ(std::wstring(259, L'p'), s.parameters);
}

TEST_F(MenuTest, AButtonCommandLineStartsItsFileWithTheLastPartAsParameters) {
    const std::string recorder = Narrow(Recorder());
    ASSERT_EQ(1, LoadSkin("", "BUTTON.ENABLED=two,three,bare,none\r\n" +
                                  Button("two", {"ID=71", "CMD=" + recorder + "|first run"}) +
                                  Button("three", {"ID=72", "CMD=" + recorder + "|ignored|second run"}) +
                                  Button("bare", {"ID=73", "CMD=" + recorder}) + Button("none", {"ID=74"})));
    CreateMenu();
    LaunchRecord record(dir.Join(L"launch.txt"));
    // Neither of these starts anything: no "|" means no file, and no CMD at all.
    ::SendMessageW(menu->m_hWnd, WM_USER + 4, 73, 73);
    ::SendMessageW(menu->m_hWnd, WM_USER + 4, 74, 74);
    ::SendMessageW(menu->m_hWnd, WM_USER + 4, 99, 99); // no such button
    ::SendMessageW(menu->m_hWnd, WM_USER + 4, 71, 71);
    ::SendMessageW(menu->m_hWnd, WM_USER + 4, 72, 72);
    // Two processes record in whatever order they get there.
    const std::string text = record.WaitForLines(2);
    EXPECT_NE(std::string::npos, text.find("first run\n")) << text;
    EXPECT_NE(std::string::npos, text.find("second run\n")) << text;
    PumpFor(500);
    EXPECT_EQ(text.size(), ReadFileBytes(dir.Join(L"launch.txt")).size()) << "something else was started";
}

TEST_F(MenuTest, ACustomButtonWithACommandIdRunsTheCommandAndItsCommandLine) {
    ASSERT_EQ(1, LoadSkin("", "BUTTON.ENABLED=odd\r\n" +
                                  Button("odd", {"ID=256", "POS.WIDTH=100", "POS.HEIGHT=30",
                                                 "CMD=" + Narrow(Recorder()) + "|both"})));
    CreateMenu();
    LaunchRecord record(dir.Join(L"launch.txt"));
    CMenuItemWnd* button = menu->FindButton(256);
    ASSERT_NE(nullptr, button);
    // A real click as the button sees it: it posts WM_COMMAND and WM_USER+4.
    ::SendMessageW(button->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    ::SendMessageW(button->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    EXPECT_EQ("both\n", record.WaitForLines(1));
    EXPECT_EQ((std::vector<std::string>{"privilege", "shutdown"}), Recorded().calls);
}

TEST_F(MenuTest, PowerCommandsReachTheSessionWithThePrivilegeOnlyForShutdownAndRestart) {
    ASSERT_EQ(1, LoadSkin("", "BUTTON.ENABLED=\r\n"));
    CreateMenu();
    struct {
        UINT command;
        std::vector<std::string> calls;
    } cases[] = {
        {kCmdShutdown, {"privilege", "shutdown"}},
        {ID_SHUTDOWN_RESTART, {"privilege", "reboot"}},
        {ID_SHUTDOWN_LOGOFF, {"logoff"}},
        {ID_SHUTDOWN_LOCK, {"lock"}},
        {ID_SHUTDOWN_SLEEP, {"sleep"}},
        {ID_SHUTDOWN_SWITCHUSER, {"disconnect"}},
    };
    for (const auto& c : cases) {
        Recorded().calls.clear();
        ::SendMessageW(menu->m_hWnd, WM_COMMAND, c.command, 0);
        EXPECT_EQ(c.calls, Recorded().calls) << std::hex << c.command;
    }
}

TEST_F(MenuTest, LockSleepAndSwitchUserGiveTheStartButtonTheFocusFirst) {
    ASSERT_EQ(1, LoadSkin("", "BUTTON.ENABLED=\r\n"));
    CreateMenu();
    ::ShowWindow(m_hStart, SW_SHOWNOACTIVATE);
    for (UINT command : {ID_SHUTDOWN_LOCK, ID_SHUTDOWN_SLEEP, ID_SHUTDOWN_SWITCHUSER}) {
        ::SetFocus(menu->m_hWnd);
        Recorded().focusAtCall = nullptr;
        ::SendMessageW(menu->m_hWnd, WM_COMMAND, command, 0);
        EXPECT_EQ(m_hStart, Recorded().focusAtCall) << std::hex << command;
    }
    // Log off leaves the focus where it is.
    ::SetFocus(menu->m_hWnd);
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, ID_SHUTDOWN_LOGOFF, 0);
    EXPECT_NE(m_hStart, Recorded().focusAtCall);
}

TEST_F(MenuTest, OptionsStartsTheSetupProgramOnlyWhenTheSkinNamesOne) {
    ASSERT_TRUE(::CopyFileW(Recorder().c_str(), dir.Join(L"setup.exe").c_str(), FALSE));
    ASSERT_EQ(1, LoadSkin("MENU.APPLIST.SETUP=setup.exe\r\n", "BUTTON.ENABLED=\r\n"));
    CreateMenu();
    LaunchRecord record(dir.Join(L"launch.txt"));
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, ID_POPUP_OPTIONS, 0);
    EXPECT_EQ("\n", record.WaitForLines(1)) << "started with no parameters";

    fw::StrCopy(gSkin.szSetup, L"");
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, ID_POPUP_OPTIONS, 0);
    PumpFor(1000);
    EXPECT_EQ("\n", ReadFileBytes(dir.Join(L"launch.txt")));
}
