// "Add from the Start Menu": the chooser's real dialog over Start Menu folders
// of the test's own and packaged apps read through the apps source's seam,
// then through the options dialog from Add to the saved list file.
#include "SeededApps.h"
#include "StartMenuChooser.h"
#include "Wait.h"

#include "quillset_test_support.h"

namespace {

const std::wstring kSettingsId = L"windows.immersivecontrolpanel_cw5n1h2txyewy!microsoft.windows.immersivecontrolpanel";
const std::wstring kCalculatorId = L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App";

class ChooserTest : public QuillsetDialogTest {
protected:
    void SetUp() override {
        QuillsetDialogTest::SetUp();
        for (const wchar_t* folder : {L"user", L"user\\Accessories", L"common", L"common\\Accessories", L"apps"})
            dir.MakeDir(folder);
    }
    void TearDown() override {
        PackagedApps().SetFolder(CPackagedApps::ShellFolder());
        QuillsetDialogTest::TearDown();
    }
    void Shortcut(const std::wstring& file) { ASSERT_TRUE(MakeShortcut(dir.Join(file), program)); }
    // An app: a shortcut whose parsing name is the id (SeededAppsFolder).
    void SeedApp(const std::wstring& name, const std::wstring& id) {
        Shortcut(L"apps\\" + name + L".lnk");
        ids[name + L".lnk"] = id;
        PackagedApps().SetFolder(SeededAppsFolder(dir.Join(L"apps"), ids));
    }
    // The test's own chooser, over no owner, once both sources are read.
    void OpenChooser(size_t entries) {
        chooser = std::make_unique<CStartMenuChooser>();
        chooser->SetRoots({{dir.Join(L"user"), 1}, {dir.Join(L"common"), 1}});
        ASSERT_TRUE(chooser->Open(nullptr, nullptr, nullptr));
        // Open returns before anything is read: the dialog says so.
        EXPECT_TRUE(chooser->IsReading());
        EXPECT_EQ(L"Reading the Start Menu\x2026", ChooserText(IDC_CHOOSER_STATUS));
        ASSERT_TRUE(WaitFor([&] { return chooser->Entries().size() == entries; })) << "never read";
        Pump();
    }
    CStartMenuChooser* Shown() const { return chooser ? chooser.get() : dialog->Chooser(); }
    HWND ChooserItem(int id) const { return GetDlgItem(Shown()->m_hWnd, id); }
    std::wstring ChooserText(int id) const {
        wchar_t text[256] = {};
        GetWindowTextW(ChooserItem(id), text, 256);
        return text;
    }
    // The list view's rows as "name|folder".
    std::vector<std::wstring> Rows() const {
        std::vector<std::wstring> rows;
        HWND list = ChooserItem(IDC_CHOOSER_LIST);
        for (int i = 0; i < ListView_GetItemCount(list); ++i) {
            wchar_t name[256] = {}, folder[256] = {};
            ListView_GetItemText(list, i, 0, name, 256);
            ListView_GetItemText(list, i, 1, folder, 256);
            rows.push_back(std::wstring(name) + L"|" + folder);
        }
        return rows;
    }
    void Type(const std::wstring& text) {
        SetWindowTextW(ChooserItem(IDC_CHOOSER_FILTER), L"");
        for (wchar_t c : text)
            PostMessageW(ChooserItem(IDC_CHOOSER_FILTER), WM_CHAR, c, 1);
        Pump();
    }
    // A key for the filter box, where the user types.
    void Press(WPARAM key) {
        PostMessageW(ChooserItem(IDC_CHOOSER_FILTER), WM_KEYDOWN, key, 1);
        PostMessageW(ChooserItem(IDC_CHOOSER_FILTER), WM_KEYUP, key, 0xC0000001);
        Pump();
    }
    std::wstring PathOf(const std::wstring& name) const {
        for (const StartMenuEntry& entry : Shown()->Entries())
            if (entry.strName == name)
                return entry.strPath;
        return L"";
    }

    std::map<std::wstring, std::wstring> ids;
};

} // namespace

TEST_F(ChooserTest, ListsBothStartMenusMergedByFolderWithTheAppsSortedByName) {
    Shortcut(L"user\\Zeta.lnk");
    Shortcut(L"user\\Accessories\\Notepad.lnk");
    Shortcut(L"common\\Accessories\\notepad.lnk"); // the same entry in the other Start Menu
    Shortcut(L"common\\Accessories\\Paint.lnk");
    Shortcut(L"common\\Alpha.lnk");
    SeedApp(L"Settings", kSettingsId);
    OpenChooser(5);
    EXPECT_EQ((std::vector<std::wstring>{L"Alpha|", L"Notepad|Accessories", L"Paint|Accessories", L"Settings|",
                                         L"Zeta|"}),
              Rows());
    EXPECT_EQ(dir.Join(L"user\\Accessories\\Notepad.lnk"), PathOf(L"Notepad")); // the user's one
    EXPECT_EQ(L"shell:AppsFolder\\" + kSettingsId, PathOf(L"Settings"));
    EXPECT_EQ(L"5 programs", ChooserText(IDC_CHOOSER_STATUS));
}

TEST_F(ChooserTest, TypingFiltersByAnyPartOfTheNameAndDownGoesOnIntoTheList) {
    for (const wchar_t* name : {L"user\\Notepad.lnk", L"user\\WordPad.lnk", L"common\\\x00C9" L"diteur.lnk",
                                L"common\\Accessories\\Paint.lnk"})
        Shortcut(name);
    SeedApp(L"Calculator", kCalculatorId);
    OpenChooser(5);
    const struct {
        const wchar_t* typed;
        std::vector<std::wstring> rows;
        const wchar_t* status;
    } kCases[] = {
        {L"pad", {L"Notepad|", L"WordPad|"}, L"2 of 5 programs"},
        {L"NOTE", {L"Notepad|"}, L"1 of 5 programs"},
        {L"editeur", {L"\x00C9" L"diteur|"}, L"1 of 5 programs"}, // accents aside, as the menu's search
        {L"calc", {L"Calculator|"}, L"1 of 5 programs"},
        {L" int ", {L"Paint|Accessories"}, L"1 of 5 programs"},
        {L"xyz", {}, L"No program matches."},
        {L"", {L"Calculator|", L"\x00C9" L"diteur|", L"Notepad|", L"Paint|Accessories", L"WordPad|"}, L"5 programs"},
    };
    HWND list = ChooserItem(IDC_CHOOSER_LIST);
    for (const auto& c : kCases) {
        SCOPED_TRACE(Narrow(c.typed));
        Type(c.typed);
        EXPECT_EQ(c.rows, Rows());
        EXPECT_EQ(c.status, ChooserText(IDC_CHOOSER_STATUS));
        // The first match is chosen, ready for Enter.
        EXPECT_EQ(c.rows.empty() ? -1 : 0, ListView_GetNextItem(list, -1, LVNI_SELECTED));
    }
    Type(L"pad");
    Press(VK_DOWN);
    EXPECT_EQ(list, GetFocus());
    EXPECT_EQ(0, ListView_GetNextItem(list, -1, LVNI_SELECTED));
    PostMessageW(list, WM_CHAR, L'x', 1); // typing in the list goes on in the filter box
    Pump();
    EXPECT_EQ(L"padx", ChooserText(IDC_CHOOSER_FILTER));
    EXPECT_EQ(ChooserItem(IDC_CHOOSER_FILTER), GetFocus());
}

TEST_F(ChooserTest, AddFromTheStartMenuThenEnterAddsTheEntryAndOkSavesIt) {
    SeedApp(L"Settings", kSettingsId);
    // A shortcut in the user's real Start Menu, where the program's chooser looks.
    wchar_t programs[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, programs, CSIDL_PROGRAMS, TRUE));
    const std::wstring toolName = L"Chooser Tool " + std::to_wstring(GetCurrentProcessId());
    const std::wstring tool = std::wstring(programs) + L"\\" + toolName + L".lnk";
    ASSERT_TRUE(MakeShortcut(tool, program));
    WriteList({App(L"Editor", program)});
    Open();
    auto choose = [&](const std::wstring& typed) {
        Command(IDC_ADD_STARTMENU);
        ASSERT_TRUE(dialog->Chooser() && dialog->Chooser()->IsWindow()) << "no chooser";
        EXPECT_FALSE(IsWindowEnabled(dialog->m_hWnd)) << "the chooser is modal";
        ASSERT_TRUE(WaitFor([&] { return !PathOf(L"Settings").empty() && !PathOf(typed).empty(); }));
        Type(typed);
    };
    choose(L"Settings");
    Press(VK_RETURN);
    EXPECT_FALSE(dialog->Chooser()->IsWindow());
    EXPECT_TRUE(IsWindowEnabled(dialog->m_hWnd));
    choose(toolName);
    Press(VK_RETURN);
    ASSERT_EQ(3u, List().Count());
    EXPECT_EQ(L"shell:AppsFolder\\" + kSettingsId, std::wstring(List().ItemAt(1)->strPath));
    EXPECT_EQ(L"Settings", std::wstring(List().ItemAt(1)->strName));
    EXPECT_TRUE(List().ItemAt(1)->hIcon);
    EXPECT_EQ(tool, std::wstring(List().ItemAt(2)->strPath));
    EXPECT_EQ(kAppKindShortcut, List().ItemAt(2)->nKind); // as the file dialog adds a shortcut
    EXPECT_TRUE(List().ItemAt(2)->hIcon);

    // Listed now: shown as such, and Enter adds it no second time.
    choose(L"Settings");
    EXPECT_EQ(L"Already in the list.", ChooserText(IDC_CHOOSER_STATUS));
    Press(VK_RETURN);
    EXPECT_EQ(3u, List().Count());
    EXPECT_FALSE(dialog->Chooser()->IsWindow());

    Command(IDOK);
    DeleteFileW(tool.c_str());
    EXPECT_EQ(kExitOk, quitCode);
    const std::wstring saved = ListFileText();
    EXPECT_NE(std::wstring::npos, saved.find(L"APP=Settings|app|shell:AppsFolder\\" + kSettingsId + L"\r\n")) << saved;
    EXPECT_NE(std::wstring::npos, saved.find(L"|lnk|" + tool + L"\r\n")) << saved;
}
