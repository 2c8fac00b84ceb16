// The popups of recent documents, as real popup menus of the real menu window:
// the Recent Items button's and a pinned program's, with the arrow of its row.
#include "RecentPopup.h"

#include "lists_test_support.h"

#include <shlwapi.h>

#include <functional>

namespace {

const wchar_t kType[] = L".qwzxdoc"; // opened by the launch recorder, registered by the tests

RecentDocument Doc(const std::wstring& path) {
    RecentDocument document;
    document.strPath = path;
    const wchar_t* name = ::PathFindFileNameW(path.c_str());
    document.strName.assign(name, static_cast<const wchar_t*>(::PathFindExtensionW(name)));
    return document;
}

std::vector<const RecentDocument*> Pointers(const std::vector<RecentDocument>& documents) {
    std::vector<const RecentDocument*> out;
    for (const RecentDocument& document : documents)
        out.push_back(&document);
    return out;
}

struct Item {
    UINT id;
    std::wstring text;
    bool grayed;
};

std::vector<Item> Items(HMENU menu) {
    std::vector<Item> items;
    for (UINT i = 0; i < static_cast<UINT>(::GetMenuItemCount(menu)); ++i) {
        wchar_t text[512] = {};
        ::GetMenuStringW(menu, i, text, 512, MF_BYPOSITION);
        const bool grayed = (::GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED) != 0;
        items.push_back({::GetMenuItemID(menu, static_cast<int>(i)), text, grayed});
    }
    return items;
}

// The visible popup menu window of this process, or null.
HWND ShownPopup() {
    for (HWND popup = nullptr; (popup = ::FindWindowExW(nullptr, popup, L"#32768", nullptr)) != nullptr;)
        if (OwnerProcess(popup) == ::GetCurrentProcessId() && ::IsWindowVisible(popup))
            return popup;
    return nullptr;
}

// Calls inside(popup, its menu, n) from the popup's own modal loop for the
// n-th popup menu seen open (a menu inside a menu runs its own loop). A popup
// still open long after that is closed and counted as stuck, so that a fault
// fails the test instead of hanging it.
struct PopupWatch;
PopupWatch* g_watch = nullptr;
struct PopupWatch {
    std::function<void(HWND, HMENU, int)> inside;
    int seen = 0, stuck = 0;
    HMENU last = nullptr;
    DWORD since = 0;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    explicit PopupWatch(std::function<void(HWND, HMENU, int)> f) : inside(std::move(f)) {
        g_watch = this;
        m_timer = ::SetTimer(nullptr, 0, 50, Tick);
    }
    ~PopupWatch() {
        ::KillTimer(nullptr, m_timer);
        g_watch = nullptr;
    }
    UINT_PTR m_timer;
};

void CALLBACK PopupWatch::Tick(HWND, UINT, UINT_PTR, DWORD) {
    PopupWatch* watch = g_watch;
    HWND popup = ShownPopup();
    HMENU menu = popup ? reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr;
    if (!watch || !menu)
        return;
    if (menu == watch->last) {
        if (::GetTickCount() - watch->since > 10000 && ++watch->stuck)
            ::EndMenu();
        return;
    }
    watch->last = menu;
    watch->since = ::GetTickCount();
    watch->inside(popup, menu, watch->seen++);
}

void PostKeys(HWND to, std::initializer_list<UINT> keys) {
    for (UINT vk : keys)
        ::PostMessageW(to, WM_KEYDOWN, vk, 1);
}

// Pinned rows and documents of a type that opens with the launch recorder.
class RecentTest : public LaunchRecordingTest {
protected:
    void SetUp() override {
        LaunchRecordingTest::SetUp();
        const std::wstring classes = L"Software\\Classes\\";
        m_type = std::make_unique<RegistryKeyGuard>(HKEY_LOCAL_MACHINE, classes + kType);
        m_verb = std::make_unique<RegistryKeyGuard>(HKEY_LOCAL_MACHINE, classes + L"Velmar.QwzxDoc\\shell\\open\\command");
        ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, classes + kType, L"", L"Velmar.QwzxDoc"));
        ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, classes + L"Velmar.QwzxDoc\\shell\\open\\command", L"",
                                      L"\"" + Recorder() + L"\" \"%1\""));
    }
    void TearDown() override {
        RecentDocs().SetFolder(std::wstring());
        m_verb.reset();
        m_type.reset();
        LaunchRecordingTest::TearDown();
    }
    std::wstring Document(const std::wstring& name) { return dir.WriteFile(name + kType, "a document"); }
    // Documents of the recorder's type made recent, one after the other, and
    // read by the source; the menu's pinned rows take them up.
    std::vector<std::wstring> SeedRecent(std::initializer_list<const wchar_t*> names) {
        const std::wstring folder = dir.MakeDir(L"Recent");
        std::vector<std::wstring> documents;
        for (const wchar_t* name : names) {
            const std::wstring shortcut = folder + L"\\" + name + L".lnk";
            documents.push_back(Document(name));
            EXPECT_TRUE(MakeShortcut(shortcut, documents.back()));
            SetModifiedTime(shortcut, 1700000000 + 60 * ++m_minute);
        }
        RecentDocs().SetFolder(folder);
        RecentDocs().Refresh(nullptr, 0);
        RecentDocs().WaitForReading();
        if (menu)
            menu->UpdatePinnedDocuments();
        return documents;
    }
    // The recorder opens the documents; the other row is a program with none.
    void OpenPinned(const std::string& moreNames = "", const std::string& moreKeys = "") {
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        WriteList({L"APP=Qwzx Editor|app|" + Recorder(), L"APP=Qwzx Other|app|" + std::wstring(self)});
        ASSERT_EQ(1, LoadListsSkin(moreNames, moreKeys));
        CreateMenuWithLists();
        menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
        ASSERT_EQ(2u, TopLevel(pinned).size());
    }
    void Key(UINT vk) { ::SendMessageW(menu->m_hWnd, WM_KEYDOWN, vk, 1); }

    std::unique_ptr<RegistryKeyGuard> m_type, m_verb;
    int m_minute = 0;
};

} // namespace

TEST(RecentPopup, ListsTheFirstDocumentsByNameInOrderWithClearLast) {
    fw::gModule.Init(::GetModuleHandleW(nullptr));
    std::vector<RecentDocument> documents = {
        Doc(L"C:\\docs\\Tom & Jerry.txt"), Doc(L"C:\\docs\\\x041E\x0442\x0447\x0451\x0442 \x5831\x544A.txt"),
        Doc(L"Q:\\not there\\Gone.txt"),   Doc(L"C:\\docs\\No program.qwzxnone"),
    };
    for (int i = 0; i < 5000; ++i)
        documents.push_back(Doc(L"C:\\docs\\Many " + std::to_wstring(i) + L".txt"));
    CRecentPopup popup(Pointers(documents), 15, true, 96);
    const std::vector<Item> items = Items(popup.Menu());
    ASSERT_EQ(17u, items.size()) << "15 documents, a separator and Clear";
    const std::vector<std::wstring> names = {L"Tom && Jerry", L"\x041E\x0442\x0447\x0451\x0442 \x5831\x544A", L"Gone",
                                             L"No program", L"Many 0"};
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i], items[i].text);
        EXPECT_EQ(CRecentPopup::kFirstDocument + i, items[i].id);
    }
    EXPECT_EQ(L"Many 10", items[14].text);
    EXPECT_EQ(CRecentPopup::kClearCommand, items[16].id);
    EXPECT_EQ(L"Clear recent items", items[16].text);
    EXPECT_FALSE(items[16].grayed);

    // Nothing to clear: Clear stands alone, greyed.
    CRecentPopup empty({}, 15, true, 96);
    const std::vector<Item> alone = Items(empty.Menu());
    ASSERT_EQ(1u, alone.size());
    EXPECT_TRUE(alone[0].grayed);

    // A pinned program's popup: ten documents, no Clear.
    CRecentPopup pinned(Pointers(documents), 10, false, 144);
    EXPECT_EQ(10u, Items(pinned.Menu()).size());
}

TEST(RecentPopup, LongNamesAreCutWithAnEllipsisBetweenCharacters) {
    std::wstring wide;
    for (int i = 0; i < 40; ++i)
        wide += L"W\U0001F600";
    for (int width = 10; width < 300; ++width) {
        const std::wstring shown = CRecentPopup::ItemText(wide, width);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(L'\x2026', shown.back()) << width;
        EXPECT_LT(shown.size(), wide.size());
        EXPECT_FALSE(shown.size() >= 2 && IS_HIGH_SURROGATE(shown[shown.size() - 2])) << "half a character at " << width;
    }
    EXPECT_EQ(L"A&&B", CRecentPopup::ItemText(L"A&B", 400));
}

TEST_F(RecentTest, RightOnAPinnedRowOpensItsDocumentsEscAndLeftComeBackEnterOpensOne) {
    ASSERT_NO_FATAL_FAILURE(OpenPinned());
    // The newer one named in scripts the menu font may lack: drawn all the same.
    const std::wstring second = SeedRecent({L"Qwzx Second", L"Qwzx \x5831\x544A \x062A\x0642\x0631\x064A\x0631"})[0];
    _treeNode* row = TopLevel(pinned)[0];
    ASSERT_TRUE(pinned->HasRowDocuments(row));
    EXPECT_FALSE(pinned->HasRowDocuments(TopLevel(pinned)[1])) << "a program without documents";

    Key(VK_DOWN); // the highlight starts on the first row
    ASSERT_EQ(row, pinned->GetHotItem());
    for (UINT back : {VK_ESCAPE, VK_LEFT}) {
        std::vector<std::wstring> shown;
        PopupWatch watch([&](HWND popup, HMENU popupMenu, int) {
            for (const Item& item : Items(popupMenu))
                shown.push_back(item.text);
            PostKeys(popup, {back});
        });
        Key(VK_RIGHT);
        ASSERT_TRUE(WaitFor([&] { return watch.seen && !ShownPopup(); })) << "no popup for the row";
        EXPECT_EQ(0, watch.stuck) << "the popup stayed open";
        EXPECT_EQ((std::vector<std::wstring>{L"Qwzx \x5831\x544A \x062A\x0642\x0631\x064A\x0631", L"Qwzx Second"}),
                  shown);
        EXPECT_EQ(row, pinned->GetHotItem()) << "back on the row";
        EXPECT_TRUE(::IsWindowVisible(menu->m_hWnd));
    }
    {
        PopupWatch watch([&](HWND popup, HMENU, int) { PostKeys(popup, {VK_DOWN, VK_RETURN}); });
        Key(VK_RIGHT);
        ASSERT_TRUE(WaitFor([&] { return watch.seen && !ShownPopup(); }));
    }
    EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(record).find(Narrow(second)) != std::string::npos; }))
        << "the second document was not opened: " << ReadFileBytes(record);
    EXPECT_FALSE(::IsWindowVisible(menu->m_hWnd));
}

TEST_F(RecentTest, OnlyRowsWithDocumentsShowTheArrowTheSkinsPictureOrAChevron) {
    SeedRecent({}); // none yet
    ASSERT_NO_FATAL_FAILURE(OpenPinned());
    ::UpdateWindow(pinned->m_hWnd);
    auto picture = [&] {
        RECT rc{};
        ::GetClientRect(pinned->m_hWnd, &rc);
        HDC screen = ::GetDC(nullptr);
        CPaintSurface surface;
        HDC dc = surface.Get(screen, rc.right, rc.bottom);
        EXPECT_TRUE(pinned->PaintFromMenu(dc, 0, 0));
        std::vector<DWORD> pixels;
        for (int y = 0; y < rc.bottom; ++y)
            for (int x = 0; x < rc.right; ++x)
                pixels.push_back(::GetPixel(dc, x, y));
        ::ReleaseDC(nullptr, screen);
        return pixels;
    };
    const std::vector<DWORD> before = picture();
    _treeNode* row = TopLevel(pinned)[0];
    SeedRecent({L"Qwzx Arrow"});
    ASSERT_TRUE(pinned->HasRowDocuments(row));
    const std::vector<DWORD> chevron = picture();
    EXPECT_NE(before, chevron);
    RECT client{}, arrow = pinned->ArrowRect(row);
    ::GetClientRect(pinned->m_hWnd, &client);
    for (size_t i = 0; i < before.size(); ++i)
        ASSERT_TRUE(before[i] == chevron[i] || ::PtInRect(&arrow, {LONG(i % client.right), LONG(i / client.right)}))
            << "changed outside the arrow at pixel " << i;
    // The skin's picture (mark.bmp: white) in place of the chevron.
    gSkin.pRecentArrow = gSkin.LoadImageFile(dir.Join(L"skin\\mark.bmp").c_str());
    ::GdiFlush();
    const std::vector<DWORD> skinned = picture();
    gSkin.pRecentArrow = nullptr;
    const POINT centre = {(arrow.left + arrow.right) / 2, (arrow.top + arrow.bottom) / 2};
    EXPECT_EQ(0xFFFFFFu, skinned[static_cast<size_t>(centre.y * client.right + centre.x)] & 0xFFFFFF);
}

TEST_F(RecentTest, ARightClickOnADocumentShowsTheShellsMenuForIt) {
    ASSERT_NO_FATAL_FAILURE(OpenPinned());
    SeedRecent({L"Qwzx Right"});
    _treeNode* row = TopLevel(pinned)[0];
    int shellItems = -1;
    PopupWatch watch([&](HWND popup, HMENU popupMenu, int n) {
        if (n == 1) { // the shell's menu, once the popup closed
            shellItems = ::GetMenuItemCount(popupMenu);
            ::EndMenu();
            return;
        }
        RECT rc{};
        ::GetMenuItemRect(nullptr, popupMenu, 0, &rc);
        POINT at = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        ::ScreenToClient(popup, &at);
        ::PostMessageW(popup, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
        ::PostMessageW(popup, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    });
    pinned->OpenRowDocumentsLater(row);
    ASSERT_TRUE(WaitFor([&] { return watch.seen && !ShownPopup(); }, 30000));
    EXPECT_EQ(0, watch.stuck) << "the right click left the popup open";
    EXPECT_EQ(2, watch.seen) << "no shell menu followed the popup";
    EXPECT_GT(shellItems, 0) << "the shell's menu of the document";
    EXPECT_TRUE(::IsWindowVisible(menu->m_hWnd));
}

TEST_F(RecentTest, TheRecentItemsButtonListsTheNewestDocumentsOpensOneByKeysAndClearsThem) {
    const std::vector<std::wstring> documents = SeedRecent({L"Qwzx Old", L"Qwzx Middle", L"Qwzx New"});
    ASSERT_NO_FATAL_FAILURE(OpenPinned(",recent", Button("recent", {"ID=32768", "TEXT=Recent Items", "POS.X=200",
                                                                   "POS.Y=20", "POS.WIDTH=90", "POS.HEIGHT=30"})));
    std::vector<std::wstring> shown;
    {
        // Right lights the button, Right again opens it on its first document; Down, Enter the second.
        PopupWatch watch([&](HWND popup, HMENU popupMenu, int) {
            for (const Item& item : Items(popupMenu))
                shown.push_back(item.text);
            PostKeys(popup, {VK_DOWN, VK_RETURN});
        });
        Key(VK_RIGHT);
        Key(VK_RIGHT);
        ASSERT_TRUE(WaitFor([&] { return watch.seen && !ShownPopup(); })) << "no popup for the button";
        EXPECT_EQ(0, watch.stuck);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"Qwzx New", L"Qwzx Middle", L"Qwzx Old", L"", L"Clear recent items"}), shown);
    EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(record).find(Narrow(documents[1])) != std::string::npos; }))
        << "the middle document was not opened: " << ReadFileBytes(record);
    EXPECT_FALSE(::IsWindowVisible(menu->m_hWnd));

    // "Clear recent items", the last item: the shortcuts go, the menu stays.
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    {
        PopupWatch watch([&](HWND popup, HMENU, int) { PostKeys(popup, {VK_UP, VK_RETURN}); });
        ::PostMessageW(menu->m_hWnd, WM_COMMAND, kCmdRecentItemsMenu, 0);
        ASSERT_TRUE(WaitFor([&] { return watch.seen && !ShownPopup(); }));
    }
    EXPECT_TRUE(WaitFor([&] { return RecentDocs().Snapshot()->empty(); }));
    EXPECT_FALSE(::PathFileExistsW(dir.Join(L"Recent\\Qwzx New.lnk").c_str()));
    EXPECT_TRUE(::IsWindowVisible(menu->m_hWnd));
}
