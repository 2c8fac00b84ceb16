// The Start button's pure decisions: where button and rebar go on each
// taskbar edge, and what the keyboard hook does with the Windows key.
#include "KeyHook.h"
#include "StartWnd.h"
#include "Taskbar.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <vector>

namespace {

void ExpectBox(const WindowBox& box, int x, int y, int cx, int cy) {
    EXPECT_EQ(x, box.x);
    EXPECT_EQ(y, box.y);
    EXPECT_EQ(cx, box.cx);
    EXPECT_EQ(cy, box.cy);
}

} // namespace

TEST(TaskbarLayout, BottomTaskbarButtonAtTheStartAtLeast40HighAndRebarPushedBySize) {
    RECT taskbar = {0, 0, 1280, 40};
    RECT rebar = {0, 2, 1280, 38};
    TaskbarLayout layout = ComputeTaskbarLayout(ABE_BOTTOM, taskbar, rebar, 54);
    ExpectBox(layout.button, 1, 1, 53, 40); // 40 - 1 = 39 is raised to 40
    ExpectBox(layout.rebar, 54, 2, 1226, 36);
}

TEST(TaskbarLayout, TopTaskbarLikeBottomAndTheSkinSizeDrivesBoth) {
    RECT taskbar = {0, 0, 1280, 60};
    RECT rebar = {0, 0, 1280, 60};
    TaskbarLayout layout = ComputeTaskbarLayout(ABE_TOP, taskbar, rebar, 80);
    ExpectBox(layout.button, 1, 1, 79, 59);
    ExpectBox(layout.rebar, 80, 0, 1200, 60); // the far end stays
}

TEST(TaskbarLayout, LeftAndRightTaskbarsStackButtonAboveTheRebar) {
    RECT taskbar = {0, 0, 62, 800};
    RECT rebar = {0, 0, 62, 800};
    for (UINT edge : {ABE_LEFT, ABE_RIGHT}) {
        SCOPED_TRACE(edge);
        TaskbarLayout layout = ComputeTaskbarLayout(edge, taskbar, rebar, 54);
        ExpectBox(layout.button, 0, 1, 62, 53); // as wide as the taskbar's right edge
        ExpectBox(layout.rebar, 0, 54, 62, 746);
    }
    // A small skin still gets a button 40 high.
    TaskbarLayout small = ComputeTaskbarLayout(ABE_LEFT, taskbar, rebar, 30);
    ExpectBox(small.button, 0, 1, 62, 40);
    EXPECT_EQ(30, small.rebar.y);
}

TEST(TaskbarLayout, UnknownEdgeCoversTheTaskbarAndLeavesTheRebar) {
    RECT taskbar = {-2, -2, 1282, 30};
    RECT rebar = {5, 3, 900, 28};
    TaskbarLayout layout = ComputeTaskbarLayout(7, taskbar, rebar, 54);
    ExpectBox(layout.button, -2, -2, 1284, 40);
    ExpectBox(layout.rebar, 5, 3, 895, 25);
}

// The skin's picture in the shell's Start button's place: as large as fits, aspect kept, centred.
TEST(TaskbarLayout, FitPictureKeepsTheAspectAndCentres) {
    struct Case {
        SIZE picture, box;
        RECT expected;
    };
    const Case cases[] = {
        {{54, 54}, {48, 40}, {4, 0, 44, 40}},   // a square frame in a wide button: the height decides
        {{54, 54}, {60, 48}, {6, 0, 54, 48}},   // a vertical taskbar's button
        {{54, 54}, {48, 64}, {0, 8, 48, 56}},   // a tall button: the width decides
        {{108, 54}, {48, 40}, {0, 8, 48, 32}},  // a wide picture
        {{54, 54}, {54, 54}, {0, 0, 54, 54}},   // the design size itself
        {{54, 54}, {0, 40}, {0, 0, 0, 0}},      // an empty box draws nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.box.cx << "x" << c.box.cy);
        const RECT rc = FitPicture(c.picture, c.box);
        EXPECT_TRUE(EqualRect(&c.expected, &rc)) << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
    }
}

namespace {

KeyStroke Key(WPARAM message, DWORD vk, DWORD flags = 0, ULONG_PTR extra = 0) {
    KeyStroke k;
    k.message = message;
    k.vkCode = vk;
    k.scanCode = vk == VK_LWIN ? 0x5B : 0x12;
    k.flags = flags;
    k.extraInfo = extra;
    return k;
}

// What the hook does with a sequence of keys, as the system would call it.
std::vector<KeyAction> Feed(KeyHookState& state, const std::vector<KeyStroke>& keys, bool button = true) {
    std::vector<KeyAction> actions;
    for (const KeyStroke& k : keys)
        actions.push_back(DecideKey(state, HC_ACTION, k, button));
    return actions;
}

// The system's key state as the hook would read it.
bool gSystemHasKeysDown = false;
bool SystemKeyDown(DWORD) { return gSystemHasKeysDown; }

KeyHookState StateWithSystemKeys(bool down) {
    gSystemHasKeysDown = down;
    KeyHookState state;
    state.systemKeyDown = SystemKeyDown;
    return state;
}

const DWORD kExtended = LLKHF_EXTENDED;
const DWORD kUp = LLKHF_UP | LLKHF_EXTENDED;
const DWORD kOurs = LLKHF_INJECTED | LLKHF_EXTENDED;

} // namespace

TEST(KeyHookDecision, LoneWindowsKeyTogglesOnceAndReachesNothing) {
    for (DWORD vk : {static_cast<DWORD>(VK_LWIN), static_cast<DWORD>(VK_RWIN)}) {
        KeyHookState state;
        // The press repeats while held; still one toggle at the release.
        auto actions = Feed(state, {Key(WM_KEYDOWN, vk, kExtended), Key(WM_KEYDOWN, vk, kExtended),
                                    Key(WM_KEYUP, vk, kUp)});
        EXPECT_EQ((std::vector<KeyAction>{KeyAction::Swallow, KeyAction::Swallow, KeyAction::ToggleMenu}), actions);
        EXPECT_FALSE(state.bPending);
    }
}

TEST(KeyHookDecision, WindowsKeyShortcutGivesThePressBackBeforeTheOtherKey) {
    KeyHookState state;
    KeyStroke win = Key(WM_KEYDOWN, VK_LWIN, kExtended);
    KeyStroke e = Key(WM_KEYDOWN, 'E');
    EXPECT_EQ(KeyAction::Swallow, DecideKey(state, HC_ACTION, win, true));
    ASSERT_EQ(KeyAction::GiveBack, DecideKey(state, HC_ACTION, e, true));

    INPUT input[2];
    MakeGiveBackInput(state.saved, e, input);
    EXPECT_EQ(INPUT_KEYBOARD, static_cast<int>(input[0].type));
    EXPECT_EQ(VK_LWIN, input[0].ki.wVk);
    EXPECT_EQ(0x5B, input[0].ki.wScan);
    EXPECT_EQ(static_cast<DWORD>(KEYEVENTF_EXTENDEDKEY), input[0].ki.dwFlags); // a press, extended like the original
    EXPECT_EQ(kKeyHookSignature, input[0].ki.dwExtraInfo);
    EXPECT_EQ('E', input[1].ki.wVk);
    EXPECT_EQ(0u, input[1].ki.dwFlags);
    EXPECT_EQ(kKeyHookSignature, input[1].ki.dwExtraInfo);

    // The injected pair comes back marked and passes; the rest of the shortcut passes too,
    // and the release does not open the menu.
    auto rest = Feed(state, {Key(WM_KEYDOWN, VK_LWIN, kOurs, kKeyHookSignature),
                             Key(WM_KEYDOWN, 'E', LLKHF_INJECTED, kKeyHookSignature), Key(WM_KEYUP, 'E', LLKHF_UP),
                             Key(WM_KEYUP, VK_LWIN, kUp)});
    for (KeyAction a : rest)
        EXPECT_EQ(KeyAction::Pass, a);

    // Afterwards a lone press is a click again.
    EXPECT_EQ((std::vector<KeyAction>{KeyAction::Swallow, KeyAction::ToggleMenu}),
              Feed(state, {win, Key(WM_KEYUP, VK_LWIN, kUp)}));
}

TEST(KeyHookDecision, HeldWindowsKeyRepeatingAfterAShortcutStaysWithTheSystem) {
    // Win+E, Win still held and repeating: the system has the press, so the
    // repeats and the release must reach it (else Win stays down there).
    KeyHookState state = StateWithSystemKeys(true);
    auto actions = Feed(state, {Key(WM_KEYDOWN, VK_LWIN, kExtended), Key(WM_KEYDOWN, 'E'),
                                Key(WM_KEYDOWN, VK_LWIN, kExtended), Key(WM_KEYUP, 'E', LLKHF_UP),
                                Key(WM_KEYUP, VK_LWIN, kUp)});
    EXPECT_EQ((std::vector<KeyAction>{KeyAction::Swallow, KeyAction::GiveBack, KeyAction::Pass, KeyAction::Pass,
                                      KeyAction::Pass}),
              actions);
}

TEST(KeyHookDecision, AfterWinLTheReleaseOnTheSecureDesktopIsNotMissedByTheNextPress) {
    // Win+L locks; the release of Win happens where the hook is not called, and
    // the system no longer has the key down. The next press is a lone press again.
    KeyHookState state = StateWithSystemKeys(false);
    auto actions = Feed(state, {Key(WM_KEYDOWN, VK_LWIN, kExtended), Key(WM_KEYDOWN, 'L'),
                                Key(WM_KEYDOWN, VK_LWIN, kExtended), Key(WM_KEYUP, VK_LWIN, kUp)});
    EXPECT_EQ((std::vector<KeyAction>{KeyAction::Swallow, KeyAction::GiveBack, KeyAction::Swallow,
                                      KeyAction::ToggleMenu}),
              actions);
}

TEST(KeyHookDecision, SystemKeysPassAndStillMakeAShortcutOfAHeldWindowsKey) {
    KeyHookState state;
    auto alone = Feed(state, {Key(WM_SYSKEYDOWN, VK_LMENU), Key(WM_SYSKEYDOWN, 'T'), Key(WM_SYSKEYUP, 'T'),
                              Key(WM_SYSKEYUP, VK_LMENU)});
    for (KeyAction a : alone)
        EXPECT_EQ(KeyAction::Pass, a);
    EXPECT_FALSE(state.bPending);

    // Win+Alt: the Windows key must not be lost, nor open the menu at its release.
    auto withWin = Feed(state, {Key(WM_KEYDOWN, VK_LWIN, kExtended), Key(WM_SYSKEYDOWN, VK_LMENU),
                                Key(WM_SYSKEYUP, VK_LMENU), Key(WM_KEYUP, VK_LWIN, kUp)});
    EXPECT_EQ((std::vector<KeyAction>{KeyAction::Swallow, KeyAction::GiveBack, KeyAction::Pass, KeyAction::Pass}),
              withWin);
}

TEST(KeyHookDecision, WithoutAStartButtonEverythingPassesAndNothingStaysHeld) {
    KeyHookState state;
    auto actions = Feed(state, {Key(WM_KEYDOWN, VK_LWIN, kExtended), Key(WM_KEYUP, VK_LWIN, kUp)}, false);
    EXPECT_EQ((std::vector<KeyAction>{KeyAction::Pass, KeyAction::Pass}), actions);

    // A press held back when the button went must not come back later with another key.
    EXPECT_EQ(KeyAction::Swallow, DecideKey(state, HC_ACTION, Key(WM_KEYDOWN, VK_LWIN, kExtended), true));
    EXPECT_EQ(KeyAction::Pass, DecideKey(state, HC_ACTION, Key(WM_KEYUP, VK_LWIN, kUp), false));
    EXPECT_EQ(KeyAction::Pass, DecideKey(state, HC_ACTION, Key(WM_KEYDOWN, 'E'), true));
}

TEST(KeyHookDecision, OtherHookCodesAndOthersInjectedKeys) {
    KeyHookState state;
    EXPECT_EQ(KeyAction::Pass, DecideKey(state, -1, Key(WM_KEYDOWN, VK_LWIN, kExtended), true));
    EXPECT_EQ(KeyAction::Pass, DecideKey(state, 3, Key(WM_KEYDOWN, VK_LWIN, kExtended), true));
    EXPECT_FALSE(state.bPending);
    // A Windows key injected by some other program is a Windows key like any.
    EXPECT_EQ(KeyAction::Swallow,
              DecideKey(state, HC_ACTION, Key(WM_KEYDOWN, VK_LWIN, kOurs, 0x1234), true));
}

namespace {

// The real hook procedure, called as the system would, with a window of the
// test standing in for the Start button.
class KeyHookProc : public ::testing::Test {
protected:
    void SetUp() override {
        button = CreateWindowExW(0, L"STATIC", L"button", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(button);
        KeyHookProcState() = KeyHookState();
        gStartButton = button;
    }
    void TearDown() override {
        gStartButton = nullptr;
        DestroyWindow(button);
    }
    LRESULT Call(WPARAM message, DWORD vk, DWORD flags) {
        KBDLLHOOKSTRUCT record = {vk, 0x5B, flags, 1000, 0};
        return keyHookProc(HC_ACTION, message, reinterpret_cast<LPARAM>(&record));
    }
    int PostedClicks() {
        int count = 0;
        MSG msg;
        while (PeekMessageW(&msg, button, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_LBUTTONDOWN && msg.wParam == 0 && msg.lParam == 0)
                ++count;
        }
        return count;
    }
    HWND button = nullptr;
};

} // namespace

TEST_F(KeyHookProc, LonePressAndReleasePostOneClickAndAreBothSwallowed) {
    EXPECT_EQ(1, Call(WM_KEYDOWN, VK_LWIN, kExtended));
    EXPECT_EQ(0, PostedClicks());
    EXPECT_EQ(1, Call(WM_KEYUP, VK_LWIN, kUp));
    EXPECT_EQ(1, PostedClicks());
}

TEST_F(KeyHookProc, PassesEverythingWhenTheButtonIsUnsetOrGone) {
    gStartButton = nullptr;
    EXPECT_EQ(0, Call(WM_KEYDOWN, VK_LWIN, kExtended));
    EXPECT_EQ(0, Call(WM_KEYUP, VK_LWIN, kUp));
    gStartButton = button;
    DestroyWindow(button);
    EXPECT_EQ(0, Call(WM_KEYDOWN, VK_LWIN, kExtended));
    EXPECT_EQ(0, Call(WM_KEYUP, VK_LWIN, kUp));
    EXPECT_EQ(0, keyHookProc(HC_ACTION, WM_KEYDOWN, 0)); // no record at all
}
