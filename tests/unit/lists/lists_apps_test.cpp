// The packaged apps inside the real menu: read through the same code from
// shell items of the test's own (shortcuts in a folder, with parsing names
// shaped like application user model ids), merged into the all-programs tree,
// found by the search, started through their item and given its context menu.
#include "PackagedApps.h"
#include "PackagedAppsLists.h"
#include "Processes.h"
#include "ScreenCapture.h"
#include "SeededApps.h"
#include "ShellPidl.h"

#include "lists_test_support.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace {

const wchar_t kSettingsId[] = L"windows.immersivecontrolpanel_cw5n1h2txyewy!microsoft.windows.immersivecontrolpanel";

std::wstring AppPath(const std::wstring& id) { return L"shell:AppsFolder\\" + id; }

// The icon drawn on white shows some colour: a picture, not a blank or black square.
bool ShowsAPicture(HICON icon) {
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all = {0, 0, 16, 16};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    bool colour = false;
    for (int i = 0; i < 256 && !colour; ++i) {
        const COLORREF c = ::GetPixel(dc, i % 16, i / 16);
        colour = c != RGB(255, 255, 255) && c != RGB(0, 0, 0);
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

class AppsTest : public LaunchRecordingTest {
protected:
    void SetUp() override {
        LaunchRecordingTest::SetUp();
        apps = dir.Join(L"apps");
        ::CreateDirectoryW(apps.c_str(), nullptr);
    }
    void TearDown() override {
        PackagedApps().SetFolder(CPackagedApps::ShellFolder());
        LaunchRecordingTest::TearDown();
    }
    // An app: a shortcut to the recorder named `name` whose parsing name is `id` (SeededAppsFolder).
    void App(const std::wstring& name, const std::wstring& id, const std::wstring& argument) {
        ASSERT_TRUE(MakeShortcut(apps + L"\\" + name + L".lnk", Recorder(), argument));
        ids[name + L".lnk"] = id;
    }
    // The menu shown once the seeded apps are read.
    void OpenWithApps(size_t count) {
        PackagedApps().SetFolder(SeededAppsFolder(apps, ids));
        WriteList({L"APP=Other|app|" + Recorder()});
        ASSERT_EQ(1, LoadListsSkin());
        CreateMenuWithLists();
        menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
        ASSERT_TRUE(WaitFor([&] {
            auto read = PackagedApps().Snapshot();
            return read && read->size() == count;
        })) << "the apps were never read";
    }

    std::wstring apps;
    std::map<std::wstring, std::wstring> ids;
};

} // namespace

TEST(PackagedAppIds, OnlyPackageFamilyNameBangApplicationIdCounts) {
    static const struct {
        const wchar_t* name;
        bool app;
    } kCases[] = {
        {L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App", true},
        {kSettingsId, true},
        {L"Microsoft.WindowsTerminal_8wekyb3d8bbwe!App", true},
        {L"Microsoft.Windows.Explorer", false},                      // a desktop program's own id
        {L"{6D809377-6AF0-444B-8957-A3773F02200E}\\app\\app.exe", false}, // a program reached by a shortcut
        {L"C:\\Tools\\tool.exe", false},
        {L"Microsoft.WindowsCalculator_8wekyb3d8bbw!App", false},    // publisher id one letter short
        {L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!", false},      // no application id
        {L"_8wekyb3d8bbwe!App", false},                               // no package name
        {L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App!More", false},
        {L"", false},
        {nullptr, false},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(c.app, IsPackagedAppId(c.name)) << (c.name ? Narrow(c.name) : "null");
    EXPECT_STREQ(L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App",
                 PackagedAppIdOfPath(L"SHELL:appsfolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App"));
    EXPECT_EQ(nullptr, PackagedAppIdOfPath(L"shell:AppsFolder\\Microsoft.Windows.Explorer"));
    EXPECT_EQ(nullptr, PackagedAppIdOfPath(L"C:\\x!y_8wekyb3d8bbwe!App"));
}

TEST_F(AppsTest, WithoutAnApplicationsFolderNothingIsReadAndTheTreeHasNoApps) {
    // Wine has no Applications folder, as Windows 8 has none: an empty reading, and no new list.
    fw::ComScope com;
    EXPECT_TRUE(CPackagedApps::Read(CPackagedApps::ShellFolder(), 16).empty());
    PackagedApps().SetFolder(CPackagedApps::ShellFolder());
    const unsigned generation = PackagedApps().Generation();
    PackagedApps().Refresh(nullptr, 0);
    PackagedApps().WaitForReading();
    EXPECT_EQ(generation, PackagedApps().Generation());
    EXPECT_EQ(nullptr, PackagedApps().Snapshot());
    StartMenuFolder folder(L"VelmarApps None");
    ASSERT_EQ(1, LoadListsSkin());
    CreateMenuWithLists();
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    ASSERT_TRUE(Visible(all));
    EXPECT_NE(nullptr, FindByPath(all, folder.path()));
    for (_treeNode* item : TopLevel(all))
        EXPECT_EQ(nullptr, PackagedAppIdOfPath(item->szPath)) << Narrow(item->szText);
}

TEST(PackagedAppsSource, StopGivesUpOnAReadingThatHangsAndItPublishesNothing) {
    // An Applications folder that never answers, as the shell can over a broken app.
    fw::UniqueKernelHandle entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    fw::UniqueKernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CPackagedApps::Folder hanging;
    HANDLE in = entered.get(), out = release.get();
    hanging.enumerate = [in, out](IEnumShellItems** items) -> HRESULT {
        *items = nullptr;
        ::SetEvent(in);
        ::WaitForSingleObject(out, INFINITE);
        return E_FAIL;
    };
    auto source = std::make_unique<CPackagedApps>();
    source->SetFolder(hanging);
    source->Refresh(nullptr, 0);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(entered.get(), 15000)) << "the reading never began";
    volatile LONG stopped = 0;
    std::thread exit([&] {
        source.reset(); // what the program's end does
        ::InterlockedExchange(&stopped, 1);
    });
    const bool ended = WaitFor([&] { return stopped != 0; });
    ::SetEvent(release.get()); // the reading left behind ends now
    exit.join();
    EXPECT_TRUE(ended) << "Stop waited for the hanging reading";
}

TEST_F(AppsTest, AppsJoinTheTopLevelByNameWithTheirIconsAndAClickStartsThroughTheItem) {
    const std::wstring tag = std::to_wstring(::GetCurrentProcessId());
    StartMenuFolder folder(L"Qapp Folder");
    wchar_t programs[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, programs, CSIDL_PROGRAMS, TRUE);
    const std::wstring a = std::wstring(programs) + L"\\Qapp " + tag + L" A.lnk";
    const std::wstring c = std::wstring(programs) + L"\\Qapp " + tag + L" C.lnk";
    ASSERT_TRUE(MakeShortcut(a, Recorder()));
    ASSERT_TRUE(MakeShortcut(c, Recorder()));
    const std::wstring b = L"Qapp " + tag + L" B", d = L"Qapp " + tag + L" D";
    const std::wstring bId = L"Qapp.B" + tag + L"_8wekyb3d8bbwe!App", dId = L"Qapp.D" + tag + L"_8wekyb3d8bbwe!App";
    App(d, dId, L"app-d");
    App(b, bId, L"app-b");
    ASSERT_TRUE(MakeShortcut(apps + L"\\Qapp " + tag + L" Plain.lnk", Recorder())); // no app id: not taken
    ASSERT_NO_FATAL_FAILURE(OpenWithApps(2));

    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    ASSERT_TRUE(Visible(all));
    std::vector<std::wstring> ours;
    for (_treeNode* item : TopLevel(all))
        if (wcsstr(item->szPath, L"Qapp"))
            ours.push_back(PackagedAppIdOfPath(item->szPath) ? item->szText : item->szPath);
    EXPECT_EQ((std::vector<std::wstring>{a, b, c, d, folder.path()}), ours) << "apps among the entries, folders last";
    _treeNode* app = FindByPath(all, AppPath(dId));
    ASSERT_NE(nullptr, app);
    EXPECT_TRUE(WaitFor([&] {
        const std::vector<_treeNode*> rows = TopLevel(all);
        return std::none_of(rows.begin(), rows.end(), [](_treeNode* row) { return row->nPending; });
    }));
    EXPECT_TRUE(app->hIcon && ShowsAPicture(app->hIcon)) << "the app's own icon";
    Repaint(all->m_hWnd);
    Capture(menu->m_hWnd).Save(BinDir() + L"\\lists_apps_tree.bmp");

    Click(all->m_hWnd, Center(app->rcItem));
    EXPECT_EQ(0, menu->IsMenuVisible());
    EXPECT_TRUE(WaitFor([&] { return !ReadFileBytes(record).empty(); })) << "nothing started";
    EXPECT_EQ("app-d\n", ReadFileBytes(record));

    // A Start Menu change reads the top level again: the apps stay among its entries.
    const std::wstring e = std::wstring(programs) + L"\\Qapp " + tag + L" E.lnk";
    ASSERT_TRUE(MakeShortcut(e, Recorder()));
    ASSERT_TRUE(WaitFor([&] { return !all->IsAllProgramsCurrent(); }));
    all->RefreshAllPrograms();
    EXPECT_NE(nullptr, FindByPath(all, e));
    EXPECT_NE(nullptr, FindByPath(all, AppPath(bId))) << "the apps went with the new reading";
    EXPECT_TRUE(all->IsAllProgramsCurrent());
    ::DeleteFileW(e.c_str());
    ::DeleteFileW(a.c_str());
    ::DeleteFileW(c.c_str());
}

TEST_F(AppsTest, TypingFindsAnAppWhichEnterStartsAndItsMenuIsTheItemsOwn) {
    App(L"Settings", kSettingsId, L"settings");
    App(L"Calculator", L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App", L"calculator");
    ASSERT_NO_FATAL_FAILURE(OpenWithApps(2));

    for (wchar_t ch : std::wstring(L"sett"))
        ::SendMessageW(menu->m_hWnd, WM_CHAR, ch, 1);
    CTreeWnd* results = ListOf(menu->m_hWnd, kSearchResultsId);
    ASSERT_NE(nullptr, results);
    const std::vector<_treeNode*> rows = TopLevel(results);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(L"Settings", std::wstring(rows[0]->szText));
    EXPECT_EQ(AppPath(kSettingsId), rows[0]->szPath);
    EXPECT_TRUE(WaitFor([&] { return rows[0]->hIcon != nullptr; })) << "the result row has no icon";

    // Its context menu is the shell's for the app's item; a path is no app.
    struct Probe : CShellPidl {
        void OnCustomizeMenu(HMENU menu) override { items = ::GetMenuItemCount(menu); }
        int items = -1;
    } probe;
    SetTimer(nullptr, 0, 200, EndMenuTimer);
    EXPECT_EQ(1, ShowPackagedAppMenu(&probe, results->m_hWnd, rows[0]->szPath, POINT{60, 60}));
    EXPECT_GT(probe.items, 0);
    EXPECT_EQ(-1, ShowPackagedAppMenu(&probe, results->m_hWnd, Recorder().c_str(), POINT{60, 60}));

    ::SendMessageW(menu->m_hWnd, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(WaitFor([&] { return !ReadFileBytes(record).empty(); })) << "nothing started";
    EXPECT_EQ("settings\n", ReadFileBytes(record));
}

// A start the shell cannot perform is told on the thread that asked, naming the
// app (as its row shows it, else as the source lists it, else by its id): one
// the shell does not know (uninstalled since it was pinned), and a known one
// whose start fails on the worker (its program is gone).
TEST_F(AppsTest, AnAppThatCannotBeStartedIsToldOnTheAskingThreadByName) {
    static const struct {
        const wchar_t *id, *row, *named;
    } kCases[] = {{L"Qapp.Gone_8wekyb3d8bbwe!App", nullptr, L"\"Qapp.Gone_8wekyb3d8bbwe!App\""},
                  {L"Qapp.Gone_8wekyb3d8bbwe!App", L"Gone", L"\"Gone\""},
                  {L"Qapp.Broken_8wekyb3d8bbwe!App", nullptr, L"\"Qapp Broken\""}};
    ASSERT_TRUE(MakeShortcut(apps + L"\\Qapp Broken.lnk", dir.Join(L"gone\\program.exe")));
    ids[L"Qapp Broken.lnk"] = kCases[2].id;
    PackagedApps().SetFolder(SeededAppsFolder(apps, ids));
    PackagedApps().Refresh(nullptr, 0);
    PackagedApps().WaitForReading();
    for (const auto& c : kCases) {
        DWORD boxThread = 0;
        MessageBoxSeen seen;
        std::atomic<bool> taken{false};
        std::thread watcher([&] {
            if (HWND box = FindTitledWindow(::GetCurrentProcessId(), L"#32770", nullptr, 20000))
                boxThread = ::GetWindowThreadProcessId(box, nullptr);
            seen = TakeMessageBox(::GetCurrentProcessId(), 0);
            taken = true;
        });
        LaunchPackagedApp(AppPath(c.id).c_str(), c.row);
        WaitFor([&] { return taken.load(); }, 25000); // the box runs in here until the watcher closes it
        watcher.join();
        EXPECT_EQ(::GetCurrentThreadId(), boxThread) << Narrow(c.id) << ": not told on the asking thread";
        EXPECT_NE(std::wstring::npos, seen.text.find(c.named)) << Narrow(seen.text);
    }
}
