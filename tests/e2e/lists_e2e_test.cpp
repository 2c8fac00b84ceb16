// The menu's lists end to end: Velmar.exe with the default skin on the
// stand-in taskbar, the application list file at the skin's place
// (%APPDATA%\Velmar\applist.lst), a real program pinned through it, and real
// X clicks on the rows. The menu is a top-level window of Velmar's process, so
// Wine draws it: the rows are found from the skin's list rectangle and the row
// geometry, and a change on the screen shows that a folder opened.
//
// With VELMAR_SHOTS set to a Unix folder, the tests also save screenshots there
// (the pinned list with a hovered row, the opened all-programs tree).
#include "AppList.h"
#include "MenuProtocol.h"
#include "AppListTestHelpers.h"
#include "VelmarEndToEnd.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace {

// The top level of the all-programs tree as Velmar reads it: the entries of
// the user's programs folder, the All Users' Start Menu (files only) and the
// All Users' programs folder, hidden ones left out.
std::vector<std::wstring> StartMenuTopLevel(std::vector<std::wstring>* folders) {
    std::vector<std::wstring> all;
    const struct {
        int csidl;
        bool withFolders;
    } sources[] = {{CSIDL_PROGRAMS, true}, {CSIDL_COMMON_STARTMENU, false}, {CSIDL_COMMON_PROGRAMS, true}};
    for (const auto& source : sources) {
        const std::wstring base = SpecialFolder(source.csidl);
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW((base + L"\\*").c_str(), &fd);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L".." || (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN))
                continue;
            const bool folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (folder && !source.withFolders)
                continue;
            all.push_back((folder ? L"D " : L"F ") + base + L"\\" + name);
            if (folder && folders)
                folders->push_back(name);
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    std::sort(all.begin(), all.end());
    return all;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towlower(c));
    return text;
}

class ListsEndToEnd : public VelmarEndToEnd {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ASSERT_NO_FATAL_FAILURE(VelmarEndToEnd::SetUp());
        ASSERT_TRUE(folder.CopyAs(L"launch_recorder.exe", L"Recorder.exe"));
        recorder = folder.Join(L"Recorder.exe");
        record = folder.Join(L"launch.txt");
        // Where the default skin's bare "applist.lst" leads; kept as it was found.
        const std::wstring velmarData = SpecialFolder(CSIDL_APPDATA) + L"\\Velmar";
        CreateDirectoryW(velmarData.c_str(), nullptr);
        listFile = velmarData + L"\\applist.lst";
        hadList = GetFileAttributesW(listFile.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (hadList)
            savedList = ReadFileBytes(listFile);
    }
    void TearDown() override {
        Stop();
        if (!startMenuFolder.empty())
            TempDir::RemoveTree(startMenuFolder);
        if (hadList)
            TempDir::WriteTo(listFile, savedList);
        else
            DeleteFileW(listFile.c_str());
        CoUninitialize();
    }

    void Start() { VelmarEndToEnd::Start(ABE_BOTTOM, {L"LAUNCH_RECORD=" + record}); }
    // The list's own visibility, whether or not the menu around it is shown.
    bool ListShown(int id) const {
        HWND list = GetDlgItem(Menu(), id);
        return list && (GetWindowLongW(list, GWL_STYLE) & WS_VISIBLE);
    }
    // Waits until the screen in rc differs from `before` and holds still: drawn, and shown by Wine.
    static bool WaitForDrawn(const RECT& rc, const std::vector<DWORD>& before) {
        std::vector<DWORD> last;
        return WaitFor([&] {
            std::vector<DWORD> now = ScreenPixels(rc);
            const bool settled = now != before && now == last;
            last = std::move(now);
            return settled;
        });
    }
    // The top-level row of a Start Menu folder in the all-programs tree: files
    // first, then folders sorted by name, one row for a name in both Start Menus.
    static int TreeRowOf(const std::wstring& name) {
        std::vector<std::wstring> folders;
        const std::vector<std::wstring> top = StartMenuTopLevel(&folders);
        const int files = static_cast<int>(
            std::count_if(top.begin(), top.end(), [](const std::wstring& entry) { return entry[0] == L'F'; }));
        std::vector<std::wstring> distinct;
        for (const std::wstring& f : folders)
            distinct.push_back(Lower(f));
        std::sort(distinct.begin(), distinct.end());
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        return files + static_cast<int>(std::find(distinct.begin(), distinct.end(), Lower(name)) - distinct.begin());
    }
    size_t RecordLines() const {
        const std::string text = ReadFileBytes(record);
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }
    // Clicks a row of the menu (opened first when closed) and waits for the recorder's `lines` lines.
    void ClickRow(int row, int height, size_t lines) {
        if (!MenuShown()) {
            ASSERT_NO_FATAL_FAILURE(OpenMenu());
        }
        ASSERT_TRUE(XClick(Middle(Row(row, height))));
        ASSERT_TRUE(WaitFor([&] { return RecordLines() >= lines; })) << "nothing started from row " << row;
    }
    void SaveList(const std::vector<AppListEntry>& entries) { ASSERT_TRUE(SaveListAnew(listFile, entries)); }

    std::wstring recorder, record, listFile, startMenuFolder;
    bool hadList = false;
    std::string savedList;
};

} // namespace

TEST_F(ListsEndToEnd, APinnedProgramStartsFromItsRowAndTheMenuCloses) {
    const std::wstring windows = SpecialFolder(CSIDL_WINDOWS);
    const std::wstring shortcut = folder.Join(L"Recorder shortcut.lnk");
    ASSERT_TRUE(MakeShortcut(shortcut, recorder, L"through-the-shortcut"));
    SaveList({MakeEntry(L"Notepad", kAppKindApplication, windows + L"\\notepad.exe"),
              MakeEntry(L"Recorder", kAppKindApplication, recorder),
              MakeEntry(L"Gone", kAppKindApplication, folder.Join(L"gone.exe")),
              MakeEntry(L"Registry Editor", kAppKindApplication, windows + L"\\regedit.exe"),
              MakeEntry(L"Recorder shortcut", kAppKindShortcut, shortcut)});
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(OpenMenu());
    EXPECT_TRUE(ListShown(kPinnedListId)) << "the menu opens with the pinned list";
    EXPECT_FALSE(ListShown(kAllProgramsId));

    // The mouse resting on the third row (the missing program left no row) lights it up.
    const RECT hovered = Row(2, kPinnedRowHeight);
    const std::vector<DWORD> resting = ScreenPixels(hovered);
    const POINT hover = Middle(hovered);
    ASSERT_TRUE(Xdotool("mousemove " + std::to_string(hover.x) + " " + std::to_string(hover.y)));
    EXPECT_TRUE(WaitForDrawn(hovered, resting)) << "the row under the mouse did not light up";
    Screenshot("lists-pinned-hover.png");

    ASSERT_NO_FATAL_FAILURE(ClickRow(1, kPinnedRowHeight, 1));
    EXPECT_EQ("\n", ReadFileBytes(record)) << "started with parameters";
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); })) << "the menu stayed open";
    EXPECT_TRUE(WaitFor([&] { return Mode() == 0; })) << "the Start button still looks pressed";

    // The shortcut row: the shell follows the link with its arguments.
    ASSERT_NO_FATAL_FAILURE(ClickRow(3, kPinnedRowHeight, 2));
    EXPECT_EQ("\nthrough-the-shortcut\n", ReadFileBytes(record));
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); }));
}

TEST_F(ListsEndToEnd, AShortcutInAStartMenuFolderStartsFromTheAllProgramsTree) {
    // A name that sorts before the prefix's own folders.
    const std::wstring name = L"0 Velmar Lists " + std::to_wstring(GetCurrentProcessId());
    startMenuFolder = SpecialFolder(CSIDL_PROGRAMS) + L"\\" + name;
    ASSERT_TRUE(CreateDirectoryW(startMenuFolder.c_str(), nullptr));
    ASSERT_TRUE(MakeShortcut(startMenuFolder + L"\\Recorder.lnk", recorder, L"from-the-tree"));
    SaveList({MakeEntry(L"Recorder", kAppKindApplication, recorder)});

    // Velmar reads the Start Menu when the menu is first made; the rows are
    // worked out from the listing at that moment.
    const std::vector<std::wstring> top = StartMenuTopLevel(nullptr);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(OpenMenu());
    ASSERT_EQ(top, StartMenuTopLevel(nullptr)) << "something else changed the Start Menu meanwhile";
    const int row = TreeRowOf(name);
    RECT menu;
    GetWindowRect(Menu(), &menu);
    ASSERT_LT(Row(row + 1, kTreeRowHeight).bottom,
              menu.top + Skin(L"DESIGN", L"MENU.APPLIST.Y") + Skin(L"DESIGN", L"MENU.APPLIST.HEIGHT"))
        << "the folder's row is out of sight";

    const RECT folderRow = Row(row, kTreeRowHeight), childRow = Row(row + 1, kTreeRowHeight);
    const std::vector<DWORD> pinnedView = ScreenPixels(folderRow);
    ASSERT_TRUE(XClick(SkinButtonCentre(L"allprograms")));
    ASSERT_TRUE(WaitFor([&] { return ListShown(kAllProgramsId); })) << "the toggle did not show the all-programs tree";
    EXPECT_FALSE(ListShown(kPinnedListId)) << "the pinned list stayed beside the tree";
    ASSERT_TRUE(WaitForDrawn(folderRow, pinnedView)) << "the tree was not drawn";
    const std::vector<DWORD> closed = ScreenPixels(childRow);
    ASSERT_TRUE(XClick(Middle(folderRow)));
    ASSERT_TRUE(WaitForDrawn(childRow, closed)) << "the folder did not open";
    ASSERT_TRUE(MenuShown());
    Screenshot("lists-allprograms-open.png");
    ASSERT_TRUE(XClick(Middle(childRow)));
    ASSERT_TRUE(WaitFor([&] { return RecordLines() >= 1; })) << "the shortcut in the folder did not start";
    EXPECT_EQ("from-the-tree\n", ReadFileBytes(record));
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); })) << "the menu stayed open";

    // The next opening shows the pinned list again.
    ASSERT_NO_FATAL_FAILURE(OpenMenu());
    EXPECT_TRUE(ListShown(kPinnedListId));
    EXPECT_FALSE(ListShown(kAllProgramsId));
}

TEST_F(ListsEndToEnd, AListRewrittenWhileVelmarRunsShowsAtTheNextOpening) {
    const std::wstring shortcut = folder.Join(L"New entry.lnk");
    ASSERT_TRUE(MakeShortcut(shortcut, recorder, L"new-entry"));
    SaveList({MakeEntry(L"Recorder", kAppKindApplication, recorder)});
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(OpenMenu());

    // What the options program's OK does: the whole file replaced; the menu shows it when opened anew.
    SaveList({MakeEntry(L"New entry", kAppKindShortcut, shortcut), MakeEntry(L"Recorder", kAppKindApplication, recorder)});
    ASSERT_NO_FATAL_FAILURE(CloseMenu());
    ASSERT_NO_FATAL_FAILURE(ClickRow(0, kPinnedRowHeight, 1));
    EXPECT_EQ("new-entry\n", ReadFileBytes(record)) << "the first row is not the new entry";
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); }));
}

namespace {

// The menu and the keys alone: the Windows key opens it, real key presses
// (xdotool through X, the keyboard path of Wine) do the rest.
class KeysEndToEnd : public ListsEndToEnd {
protected:
    // A Start Menu folder with a shortcut to the recorder, sorted before the prefix's own folders.
    void MakeFolder() {
        folderName = L"0 Velmar Keys " + std::to_wstring(GetCurrentProcessId());
        startMenuFolder = SpecialFolder(CSIDL_PROGRAMS) + L"\\" + folderName;
        ASSERT_TRUE(CreateDirectoryW(startMenuFolder.c_str(), nullptr));
        ASSERT_TRUE(MakeShortcut(startMenuFolder + L"\\Recorder.lnk", recorder, L"from-the-tree"));
    }
    // The Windows key opens the menu, which then has the activation and the
    // focus. Under Wine the X keyboard focus does not follow into the menu's
    // popup until a real click lands in it (on Windows the keys go to the
    // focus at once): a click on the bare background between the list and the
    // buttons, which does nothing else.
    void OpenWithWindowsKey() {
        ASSERT_TRUE(XKeys("Super_L"));
        ASSERT_TRUE(WaitFor([&] { return MenuShown(); })) << "the Windows key did not open the menu";
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == Menu(); })) << "the menu has not the keys";
        EXPECT_TRUE(WaitFor([&] {
            GUITHREADINFO thread{};
            thread.cbSize = sizeof(thread);
            return GetGUIThreadInfo(GetWindowThreadProcessId(Menu(), nullptr), &thread) && thread.hwndFocus == Menu();
        })) << "the shown menu has not the keyboard focus";
        RECT menu;
        GetWindowRect(Menu(), &menu);
        ASSERT_TRUE(XClick({menu.left + 272, menu.top + 200}));
    }
    // From a freshly opened menu: Up (the All Programs toggle), Enter, then Down onto the folder's row.
    void KeysToTheFolder(int row) {
        ASSERT_TRUE(XKeys("Up Return"));
        ASSERT_TRUE(WaitFor([&] { return ListShown(kAllProgramsId); })) << "Enter on the toggle showed no tree";
        std::string downs;
        for (int i = 0; i <= row; ++i)
            downs += " Down";
        ASSERT_TRUE(XKeys(downs));
    }
    HWND PowerMenu() const {
        HWND popup = nullptr;
        while ((popup = FindWindowExW(nullptr, popup, L"#32768", nullptr)) != nullptr)
            if (OwnerProcess(popup) == velmar.Id() && IsWindowVisible(popup))
                return popup;
        return nullptr;
    }

    std::wstring folderName;
};

} // namespace

TEST_F(KeysEndToEnd, KeysAloneStartAPinnedProgramAShortcutInAFolderAndAButtonsCommand) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    SaveList({MakeEntry(L"Recorder", kAppKindApplication, recorder)});
    // A button of the skin that runs the recorder, in the right-hand column above the shutdown button.
    const std::wstring cmd = recorder + L"|from-a-button";
    for (const auto& key : std::vector<std::pair<const wchar_t*, std::wstring>>{
             {L"BUTTON.ENABLED", L"picture,user,documents,pictures,music,computer,controlpanel,devices,defaults,"
                                 L"shutdown,allprograms,keyrun"},
             {L"keyrun.ID", L"50"}, {L"keyrun.TEXT", L"Run"}, {L"keyrun.POS.X", L"282"}, {L"keyrun.POS.Y", L"400"},
             {L"keyrun.POS.WIDTH", L"146"}, {L"keyrun.POS.HEIGHT", L"34"}, {L"keyrun.FOCUS", L"0"},
             {L"keyrun.CMD", cmd}})
        ASSERT_TRUE(WritePrivateProfileStringW(L"BUTTON", key.first, key.second.c_str(), config.c_str()));
    ASSERT_NO_FATAL_FAILURE(Start());
    const int row = TreeRowOf(folderName);

    ASSERT_NO_FATAL_FAILURE(OpenWithWindowsKey());
    const RECT first = Row(0, kPinnedRowHeight);
    const std::vector<DWORD> plain = ScreenPixels(first);
    ASSERT_TRUE(XKeys("Down"));
    ASSERT_TRUE(WaitForDrawn(first, plain)) << "Down did not light the first row";
    ASSERT_TRUE(XKeys("Return"));
    ASSERT_TRUE(WaitFor([&] { return RecordLines() >= 1; })) << "Enter did not start the pinned program";
    EXPECT_EQ("\n", ReadFileBytes(record));
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); })) << "the menu stayed open";

    ASSERT_NO_FATAL_FAILURE(OpenWithWindowsKey());
    RECT menu;
    GetWindowRect(Menu(), &menu);
    ASSERT_LT(Row(row + 1, kTreeRowHeight).bottom,
              menu.top + Skin(L"DESIGN", L"MENU.APPLIST.Y") + Skin(L"DESIGN", L"MENU.APPLIST.HEIGHT"))
        << "the folder's row is out of sight";
    const RECT childRow = Row(row + 1, kTreeRowHeight);
    ASSERT_NO_FATAL_FAILURE(KeysToTheFolder(row));
    ASSERT_TRUE(WaitForDrawn(childRow, std::vector<DWORD>()));
    const std::vector<DWORD> closed = ScreenPixels(childRow);
    ASSERT_TRUE(XKeys("Right"));
    ASSERT_TRUE(WaitForDrawn(childRow, closed)) << "Right did not open the folder";
    Screenshot("keys-folder-open.png");
    ASSERT_TRUE(XKeys("Down Return"));
    ASSERT_TRUE(WaitFor([&] { return RecordLines() >= 2; })) << "Enter did not start the shortcut in the folder";
    EXPECT_EQ("\nfrom-the-tree\n", ReadFileBytes(record));
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); }));

    // Right from nothing: the right-hand column; End its last button (shutdown), Up the one above.
    ASSERT_NO_FATAL_FAILURE(OpenWithWindowsKey());
    ASSERT_TRUE(XKeys("Right End Up Return"));
    ASSERT_TRUE(WaitFor([&] { return RecordLines() >= 3; })) << "Enter did not run the button's command";
    EXPECT_EQ("\nfrom-the-tree\nfrom-a-button\n", ReadFileBytes(record));
}

TEST_F(KeysEndToEnd, EscClosesThePowerMenuThenAFolderThenTheAllProgramsViewThenTheMenu) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    SaveList({MakeEntry(L"Recorder", kAppKindApplication, recorder)});
    ASSERT_NO_FATAL_FAILURE(Start());
    const int row = TreeRowOf(folderName);
    ASSERT_NO_FATAL_FAILURE(OpenWithWindowsKey());

    // The power arrow: Right into the column, End to the shutdown button, Right to its arrow.
    ASSERT_TRUE(XKeys("Right End Right Return"));
    ASSERT_TRUE(WaitFor([&] { return PowerMenu() != nullptr; })) << "Enter on the arrow opened no power menu";
    ASSERT_TRUE(XKeys("Escape"));
    ASSERT_TRUE(WaitFor([&] { return PowerMenu() == nullptr; })) << "Esc left the power menu open";
    ASSERT_TRUE(MenuShown()) << "the first Esc closed more than the power menu";
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == Menu(); }));
    ASSERT_TRUE(XKeys("Escape"));
    ASSERT_TRUE(WaitFor([&] { return !MenuShown(); })) << "Esc did not close the menu";

    ASSERT_NO_FATAL_FAILURE(OpenWithWindowsKey());
    const RECT childRow = Row(row + 1, kTreeRowHeight);
    ASSERT_NO_FATAL_FAILURE(KeysToTheFolder(row));
    ASSERT_TRUE(WaitForDrawn(childRow, std::vector<DWORD>()));
    const std::vector<DWORD> closed = ScreenPixels(childRow);
    ASSERT_TRUE(XKeys("Right"));
    ASSERT_TRUE(WaitForDrawn(childRow, closed)) << "Right did not open the folder";
    const std::vector<DWORD> open = ScreenPixels(childRow);
    ASSERT_TRUE(XKeys("Escape"));
    ASSERT_TRUE(WaitForDrawn(childRow, open)) << "Esc did not close the folder";
    EXPECT_TRUE(ListShown(kAllProgramsId)) << "the first Esc left the all-programs view";
    ASSERT_TRUE(XKeys("Escape"));
    ASSERT_TRUE(WaitFor([&] { return ListShown(kPinnedListId) && !ListShown(kAllProgramsId); }))
        << "the second Esc did not bring the pinned list back";
    EXPECT_TRUE(MenuShown());
    ASSERT_TRUE(XKeys("Escape"));
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); })) << "the third Esc did not close the menu";
    EXPECT_TRUE(WaitFor([&] { return Mode() == 0; })) << "the Start button still looks pressed";

    // The mouse as before: a click on the Start button opens the menu, a click on a row starts it.
    ASSERT_NO_FATAL_FAILURE(ClickRow(0, kPinnedRowHeight, 1));
    EXPECT_EQ("\n", ReadFileBytes(record));
}

namespace {

// The search line's text as the menu shows it ("" when it is not shown).
std::wstring SearchLineText(HWND menu) {
    HWND line = GetDlgItem(menu, kSearchLineId);
    if (!line || !(GetWindowLongW(line, GWL_STYLE) & WS_VISIBLE))
        return L"";
    wchar_t text[128] = {};
    GetWindowTextW(line, text, 128);
    return text;
}

} // namespace

TEST_F(ListsEndToEnd, TypedTextFindsAShortcutDeepInAFolderAndEnterStartsIt) {
    const std::wstring name = L"0 Velmar Search " + std::to_wstring(GetCurrentProcessId());
    startMenuFolder = SpecialFolder(CSIDL_PROGRAMS) + L"\\" + name;
    const std::wstring deep = startMenuFolder + L"\\Tools\\Deeper";
    ASSERT_TRUE(CreateDirectoryW(startMenuFolder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((startMenuFolder + L"\\Tools").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    ASSERT_TRUE(MakeShortcut(deep + L"\\Qwzx Recorder.lnk", recorder, L"from-the-search"));
    // Worse matches around it: later names, a later word, a later folder.
    ASSERT_TRUE(MakeShortcut(startMenuFolder + L"\\Qwzx Viewer.lnk", recorder, L"viewer"));
    ASSERT_TRUE(MakeShortcut(startMenuFolder + L"\\Tools\\Qwzx Settings.lnk", recorder, L"settings"));
    ASSERT_TRUE(MakeShortcut(startMenuFolder + L"\\Tools\\Help for Qwzx.lnk", recorder, L"help"));
    DeleteFileW(listFile.c_str()); // no pinned rows: the first row's place shows the background

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(OpenMenu());
    // "k" makes the text match nothing; Backspace then brings the match.
    ASSERT_TRUE(XKeys("q w z x k"));
    ASSERT_TRUE(WaitFor([&] { return SearchLineText(Menu()) == L"qwzxk"; }))
        << "the typed text is not in the search line";
    EXPECT_TRUE(ListShown(kSearchResultsId));
    EXPECT_FALSE(ListShown(kPinnedListId));
    const RECT firstRow = Row(0, kTreeRowHeight);
    const std::vector<DWORD> nothingFound = ScreenPixels(firstRow);
    ASSERT_TRUE(XKeys("BackSpace"));
    ASSERT_TRUE(WaitFor([&] { return SearchLineText(Menu()) == L"qwzx"; })) << "Backspace did not edit the text";
    // The Start Menu is read on its own thread: the row comes once it has been.
    ASSERT_TRUE(WaitForDrawn(firstRow, nothingFound)) << "the shortcut was not listed";
    Screenshot("search-results.png");
    ASSERT_TRUE(XKeys("Return"));
    ASSERT_TRUE(WaitFor([&] { return RecordLines() >= 1; })) << "Enter did not start the shortcut";
    EXPECT_EQ("from-the-search\n", ReadFileBytes(record));
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); })) << "the menu stayed open";
}

TEST_F(ListsEndToEnd, EscClearsTheSearchAndBringsBackTheListThatWasShown) {
    SaveList({MakeEntry(L"Recorder", kAppKindApplication, recorder)});
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(OpenMenu());
    ASSERT_TRUE(XKeys("r e c"));
    ASSERT_TRUE(WaitFor([&] { return SearchLineText(Menu()) == L"rec"; })) << "no search line";
    EXPECT_FALSE(ListShown(kPinnedListId));
    ASSERT_TRUE(XKeys("Escape"));
    ASSERT_TRUE(WaitFor([&] { return SearchLineText(Menu()).empty() && ListShown(kPinnedListId); }))
        << "Esc did not bring the pinned list back";
    EXPECT_FALSE(ListShown(kSearchResultsId));
    EXPECT_TRUE(MenuShown());

    ASSERT_TRUE(XClick(SkinButtonCentre(L"allprograms")));
    ASSERT_TRUE(WaitFor([&] { return ListShown(kAllProgramsId); })) << "no all-programs tree";
    ASSERT_TRUE(XKeys("r"));
    ASSERT_TRUE(WaitFor([&] { return SearchLineText(Menu()) == L"r"; })) << "no search line";
    EXPECT_FALSE(ListShown(kAllProgramsId));
    ASSERT_TRUE(XKeys("Escape"));
    ASSERT_TRUE(WaitFor([&] { return SearchLineText(Menu()).empty() && ListShown(kAllProgramsId); }))
        << "Esc did not bring the all-programs tree back";
    EXPECT_FALSE(ListShown(kPinnedListId));
    EXPECT_TRUE(MenuShown());
}
