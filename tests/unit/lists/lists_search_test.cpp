// Type to search inside the real menu window: typed characters (also when a
// list has the focus), the results from the pinned list and the Start Menu,
// the keys that act on a search, and the index following the Start Menu.
#include "MenuSearchIndex.h"

#include "lists_test_support.h"

#include <algorithm>
#include <memory>
#include <thread>

namespace {

bool Indexed(const CSearchIndexer* indexer, const std::wstring& path) {
    auto entries = indexer ? indexer->Snapshot() : nullptr;
    return entries && std::any_of(entries->begin(), entries->end(),
                                  [&](const SearchEntry& e) { return _wcsicmp(e.strPath.c_str(), path.c_str()) == 0; });
}

class SearchTest : public LaunchRecordingTest {
protected:
    // The menu shown with a pinned "Qwzx Pinned" and the Start Menu indexed with `deep` in it.
    void OpenIndexed(const std::wstring& deep) {
        WriteList({L"APP=Qwzx Pinned|app|" + Recorder(), L"APP=Other|app|" + Recorder()});
        ASSERT_EQ(1, LoadListsSkin());
        CreateMenuWithLists();
        menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
        ASSERT_TRUE(WaitFor([&] { return Indexed(menu->GetSearchIndexer(), deep); })) << "the shortcut was not indexed";
    }
    void Type(const std::wstring& text, HWND to = nullptr) {
        for (wchar_t c : text)
            ::SendMessageW(to ? to : menu->m_hWnd, WM_CHAR, c, 1);
    }
    void Key(UINT vk) { ::SendMessageW(menu->m_hWnd, WM_KEYDOWN, vk, 1); }
    CTreeWnd* Results() const { return ListOf(menu->m_hWnd, kSearchResultsId); }
    HWND Line() const { return ::GetDlgItem(menu->m_hWnd, kSearchLineId); }
    bool LineShown() const { return Line() && (::GetWindowLongW(Line(), GWL_STYLE) & WS_VISIBLE); }
    bool AllProgramsButtonShown() const { return ::IsWindowVisible(menu->FindButton(10)->m_hWnd) != FALSE; }
};

} // namespace

TEST_F(SearchTest, TheSearchLineTakesTheAllProgramsPlaceUnlessTheSkinPlacesIt) {
    ASSERT_EQ(1, LoadListsSkin());
    EXPECT_EQ((std::vector<int>{10, 360, 180, 30}),
              (std::vector<int>{gSkin.nSearchX, gSkin.nSearchY, gSkin.nSearchWidth, gSkin.nSearchHeight}));
    ASSERT_NE(nullptr, gSkin.pDefaultColor);
    EXPECT_EQ(gSkin.pDefaultColor->GetValue(), gSkin.nSearchTextColor);

    ASSERT_EQ(1, LoadSkin("MENU.SEARCH.X=20\r\nMENU.SEARCH.Y=370\r\nMENU.SEARCH.WIDTH=100\r\nMENU.SEARCH.HEIGHT=20\r\n"
                          "MENU.SEARCH.TEXT.COLOR=255,1,2,3\r\n",
                          "BUTTON.ENABLED=all\r\n" + Button("all", {"ID=10", "POS.X=10", "POS.Y=360"})));
    EXPECT_EQ((std::vector<int>{20, 370, 100, 20}),
              (std::vector<int>{gSkin.nSearchX, gSkin.nSearchY, gSkin.nSearchWidth, gSkin.nSearchHeight}));
    EXPECT_EQ(0xFF010203u, gSkin.nSearchTextColor);

    ASSERT_EQ(1, LoadSkin("", "BUTTON.ENABLED=\r\n")); // no keys, no All Programs button: the default skin's row
    EXPECT_EQ((std::vector<int>{10, 443, 256, 30}),
              (std::vector<int>{gSkin.nSearchX, gSkin.nSearchY, gSkin.nSearchWidth, gSkin.nSearchHeight}));
}

TEST_F(SearchTest, TypingListsPinnedThenDeepStartMenuMatchesAndEscBringsTheListBack) {
    StartMenuFolder folder(L"VelmarSearch Keys");
    ASSERT_TRUE(::CreateDirectoryW((folder.path() + L"\\Deep").c_str(), nullptr));
    const std::wstring deep = folder.path() + L"\\Deep\\Tools Qwzx.lnk";
    ASSERT_TRUE(MakeShortcut(deep, Recorder()));
    ASSERT_NO_FATAL_FAILURE(OpenIndexed(deep));

    // A space starts nothing; characters typed while a list has the focus still reach the menu.
    Type(L" ");
    EXPECT_EQ(L"", menu->GetSearchText());
    Type(L"qW");
    Type(L"zx", pinned->m_hWnd);
    EXPECT_EQ(L"qWzx", menu->GetSearchText());
    CTreeWnd* results = Results();
    ASSERT_NE(nullptr, results);
    EXPECT_TRUE(Visible(results));
    EXPECT_FALSE(Visible(pinned));
    EXPECT_FALSE(Visible(all));
    EXPECT_FALSE(AllProgramsButtonShown());
    ASSERT_TRUE(LineShown());
    RECT line;
    ::GetWindowRect(Line(), &line);
    ::MapWindowPoints(nullptr, menu->m_hWnd, reinterpret_cast<POINT*>(&line), 2);
    EXPECT_EQ((std::vector<LONG>{10, 360, 190, 390}), (std::vector<LONG>{line.left, line.top, line.right, line.bottom}));
    // The name's start before a later word's; the best match highlighted for Enter.
    ASSERT_EQ((std::vector<std::wstring>{L"Qwzx Pinned", L"Tools Qwzx"}), Names(results));
    EXPECT_EQ(TopLevel(results)[0], results->FindItem(-1));

    Key(VK_DOWN);
    Key(VK_DOWN); // the last row stays highlighted
    EXPECT_EQ(TopLevel(results)[1], results->FindItem(-1));
    Key(VK_UP);
    EXPECT_EQ(TopLevel(results)[0], results->FindItem(-1));

    Type(L"k\U0001F600"); // a letter and a character of two halves
    EXPECT_TRUE(Names(results).empty());
    Key(VK_BACK);
    EXPECT_EQ(L"qWzxk", menu->GetSearchText());
    Key(VK_BACK);
    EXPECT_EQ(L"qWzx", menu->GetSearchText());
    EXPECT_EQ(2u, Names(results).size());

    Key(VK_ESCAPE);
    EXPECT_EQ(L"", menu->GetSearchText());
    EXPECT_FALSE(Visible(results));
    EXPECT_FALSE(LineShown());
    EXPECT_TRUE(Visible(pinned));
    EXPECT_TRUE(AllProgramsButtonShown());
    EXPECT_EQ(1, menu->IsMenuVisible());
    // Without a search the keys are left to the rest of the keyboard handling.
    EXPECT_FALSE(menu->OnSearchKey(VK_ESCAPE));
    EXPECT_FALSE(menu->OnSearchKey(VK_RETURN));

    // Backspace over the last character ends the search as Esc does, in the all-programs view too.
    ::SendMessageW(menu->m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    ASSERT_TRUE(Visible(all));
    Type(L"q");
    EXPECT_FALSE(Visible(all));
    Key(VK_BACK);
    EXPECT_TRUE(Visible(all));
    EXPECT_FALSE(Visible(Results()));
}

TEST_F(SearchTest, EnterStartsTheHighlightedResultAndTheNextOpeningHasNoSearch) {
    StartMenuFolder folder(L"VelmarSearch Enter");
    const std::wstring deep = folder.path() + L"\\Qwzx Deep.lnk";
    ASSERT_TRUE(MakeShortcut(deep, Recorder(), L"from-the-search"));
    ASSERT_NO_FATAL_FAILURE(OpenIndexed(deep));

    Type(L"QWZX");
    ASSERT_EQ((std::vector<std::wstring>{L"Qwzx Pinned", L"Qwzx Deep"}), Names(Results()))
        << "equally good: the pinned entry first";
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(0, menu->IsMenuVisible());
    EXPECT_TRUE(WaitFor([&] { return !ReadFileBytes(record).empty(); })) << "nothing started";
    EXPECT_EQ("from-the-search\n", ReadFileBytes(record));
    EXPECT_EQ(L"", menu->GetSearchText());

    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    EXPECT_TRUE(Visible(pinned));
    EXPECT_FALSE(LineShown());
    // Typing into the hidden menu does nothing.
    menu->ShowMenu(0, 0, 0);
    Type(L"q");
    EXPECT_EQ(L"", menu->GetSearchText());
}

// What the search keeps between keystrokes: the rows' icons (a row listed
// again shows its icon, alive, with no new look-up; Esc frees them) and the
// line's picture (shorter text leaves no ink of the longer one).
TEST_F(SearchTest, KeystrokesReuseTheRowsIconsAndTheLinesPictureWithNothingLeftOver) {
    StartMenuFolder folder(L"VelmarSearch Icons");
    const std::wstring deep = folder.path() + L"\\Tools Qwzx.lnk";
    ASSERT_TRUE(MakeShortcut(deep, Recorder()));
    ASSERT_NO_FATAL_FAILURE(OpenIndexed(deep));
    std::vector<HICON> seen;
    auto liveIcons = [&] {
        for (_treeNode* item : TopLevel(Results())) {
            ICONINFO info{};
            if (item->nPending || !::GetIconInfo(item->hIcon, &info))
                return false;
            ::DeleteObject(info.hbmColor);
            ::DeleteObject(info.hbmMask);
            if (std::find(seen.begin(), seen.end(), item->hIcon) == seen.end())
                seen.push_back(item->hIcon);
        }
        return true;
    };
    auto linePixels = [&] {
        ::UpdateWindow(Line());
        RECT rc;
        ::GetClientRect(Line(), &rc);
        std::vector<COLORREF> pixels;
        HDC dc = ::GetDC(Line());
        for (int y = 0; y < rc.bottom; ++y)
            for (int x = 0; x < rc.right; ++x)
                pixels.push_back(::GetPixel(dc, x, y));
        ::ReleaseDC(Line(), dc);
        return pixels;
    };
    Type(L"qwzx");
    const std::vector<COLORREF> picture = linePixels();
    ::UpdateWindow(Results()->m_hWnd);
    ASSERT_TRUE(WaitFor(liveIcons)) << "the results' icons never arrived";
    Type(L" p");
    ASSERT_EQ((std::vector<std::wstring>{L"Qwzx Pinned"}), Names(Results()));
    EXPECT_TRUE(liveIcons()) << "a row listed again lost its icon";
    EXPECT_NE(picture, linePixels()) << "the line did not show the longer text";
    Key(VK_BACK);
    Key(VK_BACK);
    ASSERT_EQ(2u, Names(Results()).size());
    EXPECT_TRUE(liveIcons()) << "a row listed again lost its icon";
    EXPECT_EQ(2u, seen.size()) << "an icon was looked up or copied again";
    EXPECT_EQ(picture, linePixels()) << "ink of the longer text stayed";

    Key(VK_ESCAPE);
    for (HICON icon : seen) {
        ICONINFO info{};
        EXPECT_FALSE(::GetIconInfo(icon, &info)) << "an icon of the search outlived it";
    }
}

// An installer adds a better match while the user has picked a result with
// the arrows: the pick keeps the highlight, and Enter starts what was seen.
TEST_F(SearchTest, ThePickedResultKeepsTheHighlightWhenTheIndexRefreshes) {
    StartMenuFolder folder(L"VelmarSearch Picked");
    const std::wstring deep = folder.path() + L"\\Qwzx Deep.lnk";
    ASSERT_TRUE(MakeShortcut(deep, Recorder(), L"picked"));
    ASSERT_NO_FATAL_FAILURE(OpenIndexed(deep));
    Type(L"qwzx");
    ASSERT_EQ((std::vector<std::wstring>{L"Qwzx Pinned", L"Qwzx Deep"}), Names(Results()));
    Key(VK_DOWN);
    StartMenuFolder installed(L"VelmarSearch Installed"); // a new folder: see the note on SearchIndexer below
    ASSERT_TRUE(MakeShortcut(installed.path() + L"\\Qwzx.lnk", Recorder(), L"installed"));
    ASSERT_TRUE(WaitFor([&] { return Names(Results()).size() == 3; })) << "the new shortcut never joined";
    const _treeNode* hot = Results()->GetHotItem();
    EXPECT_EQ(deep, hot ? hot->szPath : L"") << "the highlight moved";
    Key(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return !ReadFileBytes(record).empty(); })) << "nothing started";
    EXPECT_EQ("picked\n", ReadFileBytes(record));
}

// At 150 % the line shows the menu's background under it (not a black or
// shifted box) and text of the scaled font.
TEST_F(SearchTest, AtOneAndAHalfTimesTheLineShowsTheBackgroundUnderItAndScaledText) {
    ASSERT_EQ(1, LoadListsSkin());
    CreateMenuWithLists();
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    // Rows of the line with ink in them (pixels other than the corner's colour).
    const COLORREF background = RGB(0x30, 0x40, 0x90);
    auto inkRows = [&](COLORREF* corner) {
        ::UpdateWindow(Line());
        RECT rc;
        ::GetClientRect(Line(), &rc);
        HDC dc = ::GetDC(Line());
        *corner = ::GetPixel(dc, rc.right - 2, rc.bottom - 2);
        int rows = 0;
        for (int y = 0; y < rc.bottom; ++y)
            for (int x = 0; x < rc.right / 2; ++x)
                if (::GetPixel(dc, x, y) != *corner) {
                    ++rows;
                    break;
                }
        ::ReleaseDC(Line(), dc);
        return rows;
    };
    Type(L"Hg");
    COLORREF corner = 0;
    const int designRows = inkRows(&corner);
    EXPECT_EQ(background, corner);
    Key(VK_ESCAPE);
    RECT suggested = {0, 0, 450, 600};
    ::SendMessageW(menu->m_hWnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    Type(L"Hg");
    const int scaledRows = inkRows(&corner);
    EXPECT_EQ(background, corner) << "not the menu's background under the line";
    EXPECT_GE(scaledRows * 10, designRows * 14) << "the text did not grow: " << designRows << " / " << scaledRows;
}

TEST_F(SearchTest, AShortcutAddedWhileSearchingJoinsTheResults) {
    WriteList({L"APP=Qwzx One|app|" + Recorder()});
    ASSERT_EQ(1, LoadListsSkin());
    CreateMenuWithLists();
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    ASSERT_TRUE(WaitFor([&] { return menu->GetSearchIndexer()->Generation() >= 1; })) << "no index";
    Type(L"qwzx o");
    ASSERT_EQ((std::vector<std::wstring>{L"Qwzx One"}), Names(Results()));
    // A new folder with a shortcut, as an installer makes them (see the note on SearchIndexer below).
    StartMenuFolder folder(L"VelmarSearch Later");
    ASSERT_TRUE(MakeShortcut(folder.path() + L"\\Qwzx Other.lnk", Recorder()));
    EXPECT_TRUE(WaitFor([&] { return Names(Results()) == std::vector<std::wstring>{L"Qwzx One", L"Qwzx Other"}; }))
        << "the new shortcut did not reach the results";
}

// Windows reports changes anywhere below a watched folder; Wine (8.0) only in
// the folder itself and in subfolders made after the watch began, so the
// changes made here are of those kinds.
TEST(SearchIndexer, StopsWhileReadingOrWatchingAndStartsAgain) {
    TempDir dir;
    dir.WriteFile(L"A.lnk", "x");
    CSearchIndexer indexer(nullptr, 0, {{dir.path(), 1}});
    ASSERT_EQ(1, indexer.Start());
    indexer.Stop(); // whether or not it had read the folder yet
    ASSERT_EQ(1, indexer.Start());
    ASSERT_TRUE(WaitFor([&] { return indexer.Generation() >= 1; })) << "no index";
    const unsigned read = indexer.Generation();
    ASSERT_EQ(1u, indexer.Snapshot()->size());
    dir.WriteFile(L"B.lnk", "x");
    ASSERT_TRUE(WaitFor([&] { return indexer.Generation() > read && indexer.Snapshot()->size() == 2; }))
        << "the change was not followed";
    dir.MakeDir(L"New");
    dir.WriteFile(L"New\\C.lnk", "x");
    ASSERT_TRUE(WaitFor([&] { return indexer.Snapshot()->size() == 3; }))
        << "the change in a new subfolder was not followed";
    indexer.Stop();
    EXPECT_EQ(3u, indexer.Snapshot()->size()); // the last index stays readable
}

// A Start Menu on an offline share blocks its listing for minutes, beyond any
// stop; exit must not wait for it. The thread, let go, ends later on its own
// after the indexer is gone, and posts nothing.
TEST(SearchIndexer, StopLetsABlockedListingGoAndItsThreadEndsLaterOnItsOwn) {
    fw::UniqueKernelHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        release(CreateEventW(nullptr, TRUE, FALSE, nullptr)), stopped(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HWND notify = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    auto held = std::make_shared<int>(0); // owned by the listing: gone with the thread's last use of the indexer's data
    auto indexer = std::make_unique<CSearchIndexer>(
        notify, WM_APP + 7, std::vector<std::pair<std::wstring, int>>{{L"\\\\offline\\share\\Start Menu", 1}},
        [held, &entered, &release](const wchar_t*, int, CSearchIndexer::Entries* entries, HANDLE) {
            SetEvent(entered.get());
            WaitForSingleObject(release.get(), INFINITE); // deaf to the stop, as a hung network read is
            entries->push_back(MakeSearchEntry(L"Late", L"\\\\offline\\share\\Late.lnk", kSearchPrograms));
            return 1;
        });
    ASSERT_EQ(1, indexer->Start());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(entered.get(), 15000));

    std::thread stopper([&] { // here, so that the test can give up instead of hanging
        indexer->Stop();
        SetEvent(stopped.get());
    });
    const bool returned = WaitForSingleObject(stopped.get(), 30000) == WAIT_OBJECT_0;
    if (!returned)
        SetEvent(release.get());
    stopper.join();
    ASSERT_TRUE(returned) << "Stop waited for the blocked listing";
    indexer.reset();

    SetEvent(release.get());
    EXPECT_TRUE(WaitFor([&] { return held.use_count() == 1; })) << "the thread did not end once its listing returned";
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, notify, WM_APP + 7, WM_APP + 7, PM_REMOVE)) << "a stopped index was announced";
    DestroyWindow(notify);
}
