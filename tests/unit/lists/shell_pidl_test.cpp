#include "ShellPidl.h"

#include "Handles.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the hooks; optionally keeps only one command so that a test can choose it.
struct Probe : CShellPidl {
    int customised = 0;
    int itemsSeen = 0;
    UINT keepOnly = 0;
    std::vector<UINT> invoked;
    void OnCustomizeMenu(HMENU menu) override {
        ++customised;
        itemsSeen = GetMenuItemCount(menu);
        if (!keepOnly)
            return;
        for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i)
            if (GetMenuItemID(menu, i) != keepOnly)
                DeleteMenu(menu, i, MF_BYPOSITION);
    }
    void OnInvoked(UINT offset, const CMINVOKECOMMANDINFO& info) override {
        invoked.push_back(offset);
        EXPECT_EQ(sizeof(CMINVOKECOMMANDINFO), info.cbSize);
        EXPECT_EQ(SW_SHOWNORMAL, info.nShow);
    }
};

HWND g_owner = nullptr;

void CALLBACK ChooseFirst(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostMessageW(g_owner, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(g_owner, WM_KEYDOWN, VK_RETURN, 0);
}

class ShellPidlTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 80, 80, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_TRUE(g_owner);
        SetForegroundWindow(g_owner);
    }
    void TearDown() override { DestroyWindow(g_owner); }
    fw::ComScope com;
    TempDir dir;
};

} // namespace

TEST_F(ShellPidlTest, PathWhoseParentFolderIsMissingShowsNothing) {
    Probe probe;
    std::wstring path = dir.Join(L"gone\\file.txt");
    EXPECT_EQ(0, probe.ShowPathContextMenu(g_owner, path.c_str(), POINT{10, 10}));
    EXPECT_EQ(0, probe.customised);
    EXPECT_EQ(nullptr, CShellPidl::PidlFromPath(path.c_str()));
}

TEST_F(ShellPidlTest, PathMenuIsCustomisedAndClosingItInvokesNothing) {
    Probe probe;
    std::wstring file = dir.WriteFile(L"note.txt", "x");
    SetTimer(nullptr, 0, 200, EndMenuTimer);
    EXPECT_EQ(1, probe.ShowPathContextMenu(g_owner, file.c_str(), POINT{10, 10}));
    EXPECT_EQ(1, probe.customised);
    EXPECT_GT(probe.itemsSeen, 0);
    EXPECT_TRUE(probe.invoked.empty());
}

TEST_F(ShellPidlTest, ChosenCommandIsInvokedAndReportedWithItsOffset) {
    Probe probe;
    probe.keepOnly = 26; // the shell's "Copy" when numbering starts at 1 (harmless: fills the clipboard)
    std::wstring file = dir.WriteFile(L"copy me.txt", "x");
    SetTimer(nullptr, 0, 200, ChooseFirst);
    SetTimer(nullptr, 0, 3000, EndMenuTimer); // safety net should the keys not arrive
    EXPECT_EQ(1, probe.ShowPathContextMenu(g_owner, file.c_str(), POINT{10, 10}));
    ASSERT_EQ(1u, probe.invoked.size());
    EXPECT_EQ(25u, probe.invoked[0]);
}

TEST_F(ShellPidlTest, ItemMenuThroughTheDesktopFolderAndAnAbsoluteList) {
    Probe probe;
    std::wstring file = dir.WriteFile(L"item.txt", "x");
    fw::UniquePidl pidl(CShellPidl::PidlFromPath(file.c_str()));
    ASSERT_TRUE(pidl);
    fw::ComPtr<IShellFolder> desktop;
    ASSERT_HRESULT_SUCCEEDED(SHGetDesktopFolder(desktop.put()));
    SetTimer(nullptr, 0, 200, EndMenuTimer);
    EXPECT_EQ(1, probe.ShowItemContextMenu(g_owner, desktop.get(), pidl.get(), POINT{10, 10}));
    EXPECT_EQ(1, probe.customised);
    EXPECT_TRUE(probe.invoked.empty());
    // Without a folder or an item there is no menu.
    EXPECT_EQ(0, probe.ShowItemContextMenu(g_owner, nullptr, pidl.get(), POINT{10, 10}));
    EXPECT_EQ(0, probe.ShowItemContextMenu(g_owner, desktop.get(), nullptr, POINT{10, 10}));
    EXPECT_EQ(1, probe.customised);
}

TEST(ShellPidlPruning, RemovesCommandsAndStraySeparators) {
    fw::UniqueMenu menu(MenuOf({1, 0, 17, 0, 2, 0, 0, 3, 18, 0}));
    const UINT ids[] = {17, 18, 25}; // 25 is absent and removes nothing
    CShellPidl::RemoveCommands(menu.get(), ids, 3);
    EXPECT_EQ((std::vector<UINT>{1, 0, 0, 2, 0, 0, 3, 0}), MenuIds(menu.get()));
    CShellPidl::RemoveStraySeparators(menu.get());
    EXPECT_EQ((std::vector<UINT>{1, 0, 2, 0, 3}), MenuIds(menu.get()));
}

TEST(ShellPidlPruning, TrailingRunsGoAndPositionZeroIsNeverExamined) {
    fw::UniqueMenu menu(MenuOf({0, 1, 0, 0, 0}));
    CShellPidl::RemoveStraySeparators(menu.get());
    EXPECT_EQ((std::vector<UINT>{0, 1}), MenuIds(menu.get()));
}

TEST(ShellPidlPruning, ASubmenuIsNotMistakenForASeparator) {
    // GetMenuState reports a submenu's item count where MF_SEPARATOR lives.
    fw::UniqueMenu menu(MenuOf({1, 0}));
    HMENU sub = CreatePopupMenu();
    for (UINT i = 0; i < 8; ++i)
        AppendMenuW(sub, MF_STRING, 100 + i, L"s");
    AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"sub");
    CShellPidl::RemoveStraySeparators(menu.get());
    EXPECT_EQ(3, GetMenuItemCount(menu.get()));
}
