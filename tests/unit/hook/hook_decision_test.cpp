#include "HookDecision.h"
#include "ShellTaskbar.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Fake windows: the tens are the owning process, odd ones have a band.
DWORD FakeProcess(HWND window) {
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window)) / 10;
}
bool FakeBand(HWND window) {
    return reinterpret_cast<UINT_PTR>(window) % 2 == 1;
}

TEST(ChooseShellTaskbar, TheShellsTaskbarWithTheBandElseTheFirstWithTheBand) {
    const struct {
        std::vector<UINT_PTR> windows;
        DWORD shell;
        int chosen;
    } cases[] = {{{21, 11}, 1, 1}, {{12, 11}, 1, 1},  {{22, 31}, 1, 1},
                 {{31, 21}, 0, 0}, {{12, 20}, 1, -1}, {{}, 1, -1}};
    for (const auto& c : cases) {
        std::vector<HWND> windows;
        for (UINT_PTR w : c.windows)
            windows.push_back(reinterpret_cast<HWND>(w));
        EXPECT_EQ(c.chosen,
                  ChooseShellTaskbar(windows.data(), static_cast<int>(windows.size()), c.shell, FakeProcess, FakeBand));
    }
}

void ExpectPlace(const RebarPlace& place, int x, int y, int cx, int cy) {
    EXPECT_EQ(x, place.x);
    EXPECT_EQ(y, place.y);
    EXPECT_EQ(cx, place.cx);
    EXPECT_EQ(cy, place.cy);
}

TEST(ShiftedPlace, HorizontalTaskbarMovesTheBandRightAndKeepsItsFarEnd) {
    ExpectPlace(ShiftedPlace(ABE_BOTTOM, RebarPlace{0, 0, 1000, 40}), 54, 0, 946, 40);
    ExpectPlace(ShiftedPlace(ABE_TOP, RebarPlace{0, 2, 1000, 40}), 54, 2, 946, 40);
    // The shift is fixed: a band that already starts elsewhere still lands at 54.
    ExpectPlace(ShiftedPlace(ABE_BOTTOM, RebarPlace{10, 0, 500, 30}), 54, 0, 446, 30);
}

TEST(ShiftedPlace, TheShiftFollowsTheTaskbarsDpi) {
    EXPECT_EQ(54, RebarShiftAt(96));
    EXPECT_EQ(54, RebarShiftAt(0)) << "an unknown DPI keeps the design value";
    EXPECT_EQ(68, RebarShiftAt(120)); // 67.5 rounds up
    EXPECT_EQ(81, RebarShiftAt(144));
    EXPECT_EQ(108, RebarShiftAt(192));
    ExpectPlace(ShiftedPlace(ABE_BOTTOM, RebarPlace{0, 0, 1000, 40}, RebarShiftAt(144)), 81, 0, 919, 40);
    ExpectPlace(ShiftedPlace(ABE_LEFT, RebarPlace{0, 0, 60, 900}, RebarShiftAt(144)), 0, 81, 60, 819);
    // A band narrower than the scaled shift is empty, never negative.
    ExpectPlace(ShiftedPlace(ABE_TOP, RebarPlace{0, 0, 50, 40}, RebarShiftAt(144)), 81, 0, 0, 40);
}

TEST(ShiftedPlace, VerticalTaskbarMovesTheBandDownAndKeepsItsFarEnd) {
    ExpectPlace(ShiftedPlace(ABE_LEFT, RebarPlace{0, 0, 60, 700}), 0, 54, 60, 646);
    ExpectPlace(ShiftedPlace(ABE_RIGHT, RebarPlace{3, 0, 60, 700}), 3, 54, 60, 646);
}

TEST(ShiftedPlace, UnknownEdgeLeavesThePlaceAlone) {
    ExpectPlace(ShiftedPlace(4, RebarPlace{0, 0, 1000, 40}), 0, 0, 1000, 40);
    ExpectPlace(ShiftedPlace(0xFFFFFFFFu, RebarPlace{7, 8, 9, 10}), 7, 8, 9, 10);
}

TEST(ShiftedPlace, BandShorterThanTheShiftBecomesEmptyNotNegative) {
    ExpectPlace(ShiftedPlace(ABE_BOTTOM, RebarPlace{0, 0, 30, 40}), 54, 0, 0, 40);
    ExpectPlace(ShiftedPlace(ABE_LEFT, RebarPlace{0, 0, 60, 54}), 0, 54, 60, 0);
}

class ShellRebarMove : public ::testing::Test {
protected:
    HWND hTarget = reinterpret_cast<HWND>(0x1234);
    WINDOWPOS pos = {};
    // The one call the hook acts on: a position change of the target sent by another thread.
    HookCall Acting() { return HookCall{HC_ACTION, 0, hTarget, WM_WINDOWPOSCHANGED, &pos}; }
};

TEST_F(ShellRebarMove, ActsOnlyWhenEveryConditionHolds) {
    EXPECT_TRUE(IsShellRebarMove(Acting(), hTarget, 0));

    HookCall call = Acting();
    call.nCode = -1;
    EXPECT_FALSE(IsShellRebarMove(call, hTarget, 0)) << "other hook code";
    call = Acting();
    call.wSentByThisThread = 1;
    EXPECT_FALSE(IsShellRebarMove(call, hTarget, 0)) << "sent by the band's own thread";
    call = Acting();
    call.hWnd = reinterpret_cast<HWND>(0x5678);
    EXPECT_FALSE(IsShellRebarMove(call, hTarget, 0)) << "another window";
    EXPECT_FALSE(IsShellRebarMove(Acting(), hTarget, 1)) << "our own move under way";
    call = Acting();
    call.message = WM_WINDOWPOSCHANGING;
    EXPECT_FALSE(IsShellRebarMove(call, hTarget, 0)) << "another message";
    call = Acting();
    call.pPos = nullptr;
    EXPECT_FALSE(IsShellRebarMove(call, hTarget, 0)) << "no position record";
}

TEST_F(ShellRebarMove, NoTargetNeverActs) {
    HookCall call = Acting();
    call.hWnd = nullptr;
    EXPECT_FALSE(IsShellRebarMove(call, nullptr, 0));
}

TEST_F(ShellRebarMove, FindsTheMovedBandAmongTheSecondaryTaskbarsAndSkipsEmptySlots) {
    HWND targets[kMaxExtraTargets] = {};
    EXPECT_EQ(-1, FindMovedTarget(Acting(), targets, kMaxExtraTargets, 0)) << "empty table";
    targets[3] = hTarget;
    EXPECT_EQ(3, FindMovedTarget(Acting(), targets, kMaxExtraTargets, 0));
    EXPECT_EQ(-1, FindMovedTarget(Acting(), targets, kMaxExtraTargets, 1)) << "our own move under way";
    HookCall call = Acting();
    call.wSentByThisThread = 1;
    EXPECT_EQ(-1, FindMovedTarget(call, targets, kMaxExtraTargets, 0)) << "the same rules as the primary band";
}

TEST(EdgeOfTaskbar, TellsTheEdgeFromThePlaceOnMonitorsAnywhereOnTheDesktop) {
    const RECT left = {-1280, -200, 0, 824}; // left of and above the primary monitor
    EXPECT_EQ(ABE_BOTTOM, EdgeOfTaskbar({-1280, 784, 0, 824}, left));
    EXPECT_EQ(ABE_TOP, EdgeOfTaskbar({-1280, -200, 0, -160}, left));
    EXPECT_EQ(ABE_LEFT, EdgeOfTaskbar({-1280, -200, -1220, 824}, left));
    EXPECT_EQ(ABE_RIGHT, EdgeOfTaskbar({-60, -200, 0, 824}, left));
    const RECT right = {1920, 0, 3200, 800};
    EXPECT_EQ(ABE_BOTTOM, EdgeOfTaskbar({1920, 760, 3200, 800}, right));
    EXPECT_EQ(ABE_RIGHT, EdgeOfTaskbar({3140, 0, 3200, 800}, right));
    // A square taskbar counts as a wide one.
    EXPECT_EQ(ABE_TOP, EdgeOfTaskbar({1920, 0, 1960, 40}, right));
}

TEST(UnpackHookCall, ReadsTheMessageAndItsPositionRecord) {
    WINDOWPOS pos = {};
    CWPSTRUCT cwp = {reinterpret_cast<LPARAM>(&pos), 0, WM_WINDOWPOSCHANGED, reinterpret_cast<HWND>(0x42)};
    HookCall call = UnpackHookCall(HC_ACTION, 0, reinterpret_cast<LPARAM>(&cwp));
    EXPECT_EQ(HC_ACTION, call.nCode);
    EXPECT_EQ(0u, call.wSentByThisThread);
    EXPECT_EQ(reinterpret_cast<HWND>(0x42), call.hWnd);
    EXPECT_EQ(static_cast<UINT>(WM_WINDOWPOSCHANGED), call.message);
    EXPECT_EQ(&pos, call.pPos);

    // Another message's lParam is no position record.
    cwp.message = WM_SETTEXT;
    EXPECT_EQ(nullptr, UnpackHookCall(HC_ACTION, 1, reinterpret_cast<LPARAM>(&cwp)).pPos);
}

TEST(UnpackHookCall, LeavesLParamAloneForOtherCodes) {
    // An address that must not be read: the call would crash the shell.
    HookCall call = UnpackHookCall(-1, 0, static_cast<LPARAM>(1));
    EXPECT_EQ(nullptr, call.hWnd);
    EXPECT_EQ(nullptr, call.pPos);
    EXPECT_EQ(nullptr, UnpackHookCall(HC_ACTION, 0, 0).pPos);
}

} // namespace
