// Pegwell's hook end to end: this process links Pegwell.dll as Velmar does and
// installs the hook; standin_taskbar.exe, a separate process, plays the shell,
// and Windows loads the library into it to run the hook procedure there.
#include "Pegwell.h"
#include "StandinClient.h"
#include "StandinProcess.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The library's shared variables, in their order, as every process sees them.
struct SharedState {
    LONG nInProgress;
    HWND hTaskbar;
    HHOOK hHook;
    HWND hTarget;
    HWND hRebar;
    HWND hButton;
};

const IMAGE_SECTION_HEADER* SharedSectionHeader() {
    auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(L"Pegwell.dll"));
    if (!base)
        return nullptr;
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
        if (memcmp(section->Name, ".PEGWELL", 8) == 0)
            return section;
    return nullptr;
}

const volatile SharedState* Shared() {
    const IMAGE_SECTION_HEADER* section = SharedSectionHeader();
    if (!section)
        return nullptr;
    auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(L"Pegwell.dll"));
    return reinterpret_cast<const volatile SharedState*>(base + section->VirtualAddress);
}

const int kHorizontalLength = 1000;
const int kVerticalLength = 700;

class HookEndToEnd : public ::testing::Test {
protected:
    void TearDown() override {
        Uninstallhook();
        standin.Stop();
    }

    // Starts the stand-in and checks that it is the taskbar the library will find.
    void StartTaskbar(UINT edge) {
        StandinOptions options;
        options.uEdge = edge;
        ASSERT_TRUE(standin.Start(options));
        ASSERT_EQ(standin.Taskbar(), standin::FindTaskbar()) << "Wine's own tray window was found first";
        hTaskbar = standin.Taskbar();
        hRebar = standin::FindRebar(hTaskbar);
        ASSERT_TRUE(hRebar);
        GetClientRect(hTaskbar, &client);
    }

    // The shell's re-layout of the band along the whole taskbar, from the start.
    bool ShellRelayout(UINT edge) {
        if (edge == ABE_LEFT || edge == ABE_RIGHT)
            return standin::Relayout(hTaskbar, 0, 0, client.right, kVerticalLength);
        return standin::Relayout(hTaskbar, 0, 0, kHorizontalLength, client.bottom);
    }

    standin::RebarRecord Seen() {
        standin::RebarRecord record = {};
        EXPECT_TRUE(standin::ReadRebarRecord(hTaskbar, &record));
        return record;
    }

    CStandinProcess standin;
    HWND hTaskbar = nullptr;
    HWND hRebar = nullptr;
    RECT client = {};
};

class HookAtEdge : public HookEndToEnd, public ::testing::WithParamInterface<UINT> {};

TEST_P(HookAtEdge, ShellRelayoutLeavesRoomForTheButton) {
    const UINT edge = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(edge));
    ASSERT_TRUE(InstallHook(nullptr, nullptr));
    ASSERT_TRUE(ShellRelayout(edge));

    RECT placed = standin::RebarPlacement(hTaskbar);
    standin::RebarRecord seen = Seen();
    if (edge == ABE_LEFT || edge == ABE_RIGHT) {
        // Moved down by the shift, keeping the size the shell gave it...
        EXPECT_EQ(54, placed.top);
        EXPECT_EQ(0, placed.left);
        EXPECT_EQ(kVerticalLength, placed.bottom - placed.top);
        // ...while the band's own procedure is told it starts at 54 and is shorter.
        EXPECT_EQ(54, seen.y);
        EXPECT_EQ(kVerticalLength - 54, seen.cy);
        EXPECT_EQ(0, seen.x);
        EXPECT_EQ(client.right, seen.cx);
    } else {
        EXPECT_EQ(54, placed.left);
        EXPECT_EQ(0, placed.top);
        EXPECT_EQ(kHorizontalLength, placed.right - placed.left);
        EXPECT_EQ(54, seen.x);
        EXPECT_EQ(kHorizontalLength - 54, seen.cx);
        EXPECT_EQ(0, seen.y);
        EXPECT_EQ(client.bottom, seen.cy);
    }
    const volatile SharedState* shared = Shared();
    ASSERT_TRUE(shared);
    EXPECT_EQ(0, shared->nInProgress);
}

std::string EdgeTestName(const ::testing::TestParamInfo<UINT>& info) {
    static const char* const names[] = {"Left", "Top", "Right", "Bottom"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Edges, HookAtEdge, ::testing::Values(ABE_BOTTOM, ABE_LEFT, ABE_TOP, ABE_RIGHT), EdgeTestName);

TEST_F(HookEndToEnd, InstallFindsTheTaskbarAndWatchesItsRebar) {
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(ABE_BOTTOM));
    HWND hButton = reinterpret_cast<HWND>(0x1234);
    ASSERT_TRUE(InstallHook(hButton, nullptr));

    const volatile SharedState* shared = Shared();
    ASSERT_TRUE(shared);
    EXPECT_EQ(hTaskbar, shared->hTaskbar);
    EXPECT_EQ(hRebar, shared->hRebar);
    EXPECT_EQ(hRebar, shared->hTarget);
    EXPECT_EQ(hButton, shared->hButton);
    EXPECT_TRUE(shared->hHook);
}

TEST_F(HookEndToEnd, InstallTakesTheTaskbarWithTheBandOverOtherProgramsTaskbarWindows) {
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(ABE_BOTTOM));
    HWND hImpostor = standin::MakeForeignTaskbar(false);
    ASSERT_EQ(hImpostor, standin::FindTaskbar());
    ASSERT_TRUE(InstallHook(nullptr, nullptr));

    const volatile SharedState* shared = Shared();
    ASSERT_TRUE(shared);
    EXPECT_EQ(hTaskbar, shared->hTaskbar);
    EXPECT_EQ(hRebar, shared->hTarget);
    ASSERT_TRUE(ShellRelayout(ABE_BOTTOM));
    EXPECT_EQ(54, standin::RebarPlacement(hTaskbar).left);
    DestroyWindow(hImpostor);
}

TEST_F(HookEndToEnd, BandsOwnRelayoutPassesUnchanged) {
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(ABE_BOTTOM));
    ASSERT_TRUE(InstallHook(nullptr, nullptr));
    // All on the band's own thread: the hook's wParam is nonzero.
    ASSERT_TRUE(standin::RelayoutHere(hTaskbar, 0, 0, kHorizontalLength, client.bottom));

    EXPECT_EQ(0, standin::RebarPlacement(hTaskbar).left);
    standin::RebarRecord seen = Seen();
    EXPECT_EQ(0, seen.x);
    EXPECT_EQ(kHorizontalLength, seen.cx);
}

TEST_F(HookEndToEnd, MovesOfOtherWindowsPassUnchanged) {
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(ABE_BOTTOM));
    HWND hOther = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(hOther);
    ASSERT_TRUE(InstallHook(nullptr, hOther));
    EXPECT_EQ(hOther, Shared()->hTarget);
    ASSERT_TRUE(ShellRelayout(ABE_BOTTOM));

    EXPECT_EQ(0, standin::RebarPlacement(hTaskbar).left);
    standin::RebarRecord seen = Seen();
    EXPECT_EQ(0, seen.x);
    EXPECT_EQ(kHorizontalLength, seen.cx);
    DestroyWindow(hOther);
}

TEST_F(HookEndToEnd, UninstallStopsTheHookAndKeepsTheTaskbar) {
    ASSERT_NO_FATAL_FAILURE(StartTaskbar(ABE_BOTTOM));
    ASSERT_TRUE(InstallHook(reinterpret_cast<HWND>(0x1234), nullptr));
    ASSERT_TRUE(ShellRelayout(ABE_BOTTOM));
    ASSERT_EQ(54, standin::RebarPlacement(hTaskbar).left);

    EXPECT_EQ(TRUE, Uninstallhook());
    const volatile SharedState* shared = Shared();
    ASSERT_TRUE(shared);
    EXPECT_EQ(nullptr, shared->hHook);
    EXPECT_EQ(nullptr, shared->hTarget);
    EXPECT_EQ(nullptr, shared->hButton);
    EXPECT_EQ(hTaskbar, shared->hTaskbar);
    EXPECT_EQ(hRebar, shared->hRebar);

    ASSERT_TRUE(ShellRelayout(ABE_BOTTOM));
    EXPECT_EQ(0, standin::RebarPlacement(hTaskbar).left);
    standin::RebarRecord seen = Seen();
    EXPECT_EQ(0, seen.x);
    EXPECT_EQ(kHorizontalLength, seen.cx);
}

TEST(Hook, UninstallWithNothingInstalledSucceeds) {
    EXPECT_EQ(TRUE, Uninstallhook());
    EXPECT_EQ(TRUE, Uninstallhook());
}

TEST(Hook, InstallsWithoutATaskbar) {
    // Only Wine's own tray window exists: a "Shell_TrayWnd" without a rebar.
    HWND hTray = standin::FindTaskbar();
    ASSERT_EQ(nullptr, standin::FindRebar(hTray)) << "a taskbar with a rebar is running";
    ASSERT_TRUE(InstallHook(nullptr, nullptr));
    const volatile SharedState* shared = Shared();
    ASSERT_TRUE(shared);
    EXPECT_TRUE(shared->hHook);
    EXPECT_EQ(nullptr, shared->hTaskbar);
    EXPECT_EQ(nullptr, shared->hTarget);
    EXPECT_EQ(TRUE, Uninstallhook());

    HWND hTarget = reinterpret_cast<HWND>(0x5678);
    ASSERT_TRUE(InstallHook(nullptr, hTarget));
    EXPECT_EQ(hTarget, shared->hTarget);
    EXPECT_EQ(TRUE, Uninstallhook());
}

TEST(Hook, SharedDataSectionIsSharedBetweenProcesses) {
    const IMAGE_SECTION_HEADER* section = SharedSectionHeader();
    ASSERT_TRUE(section);
    DWORD wanted = IMAGE_SCN_MEM_SHARED | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE | IMAGE_SCN_CNT_INITIALIZED_DATA;
    EXPECT_EQ(wanted, section->Characteristics & wanted);
    EXPECT_GE(section->Misc.VirtualSize, sizeof(SharedState));
}

} // namespace
