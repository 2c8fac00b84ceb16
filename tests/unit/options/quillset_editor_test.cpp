// The application list editor inside the real dialog: adding, dropping,
// retargeting, deleting, moving and renaming entries, and what each leaves in
// the properties panel and in the file written by Apply.
#include "quillset_test_support.h"

namespace {
const wchar_t kHeader[] = L"# Application List\r\n# encoding: UTF-8\r\n";
}

TEST_F(QuillsetDialogTest, DeletingTheLastEntrySelectsTheNewLastAndTheOnlyEntryClearsThePanel) {
    WriteList({App(L"One", program), App(L"Two", program), App(L"Three", program)});
    Open();
    ClickRow(2);
    EXPECT_EQ(L"Three", Text(IDC_NAME));
    Command(IDC_DELETE);
    ASSERT_EQ(2u, List().Count());
    EXPECT_EQ(IdAt(1), List().GetSelection());
    EXPECT_EQ(IdAt(1), dialog->GetSelectedId());
    EXPECT_EQ(L"Two", Text(IDC_NAME));

    ClickRow(0);
    Command(IDC_DELETE); // the entry that followed takes the selection
    EXPECT_EQ((std::vector<std::wstring>{L"Two"}), Names());
    EXPECT_EQ(L"Two", Text(IDC_NAME));

    Command(IDC_DELETE);
    EXPECT_EQ(0u, List().Count());
    EXPECT_EQ(-1, dialog->GetSelectedId());
    EXPECT_EQ(-1, List().GetSelection());
    for (int id : {IDC_NAME, IDC_LOCATION, IDC_TYPE, IDC_DESCRIPTION, IDC_FILESIZE, IDC_CREATED, IDC_MODIFIED,
                   IDC_ACCESSED})
        EXPECT_EQ(L"", Text(id)) << id;
    EXPECT_FALSE(SendMessageW(Item(IDC_FILEICON), STM_GETICON, 0, 0));
    Command(IDC_DELETE); // nothing selected: nothing happens
    Command(IDC_APPLY);
    EXPECT_EQ(kHeader, ListFileText());
}

TEST_F(QuillsetDialogTest, AnEntryAddedAfterADeleteGetsAnIdNeverUsedBefore) {
    WriteList({App(L"One", program), App(L"Two", program)});
    Open();
    EXPECT_EQ(31, IdAt(0));
    EXPECT_EQ(62, IdAt(1));
    ClickRow(1);
    Command(IDC_DELETE);
    int id = dialog->AddAppFile(program.c_str());
    EXPECT_EQ(93, id);
    EXPECT_EQ(id, IdAt(1));
    EXPECT_EQ(id, dialog->GetSelectedId());
    EXPECT_EQ(Item(IDC_NAME), GetFocus());
    EXPECT_EQ(L"Velmar Start menu options", Text(IDC_NAME)); // named after its description
}

TEST_F(QuillsetDialogTest, MoveDownAtTheBottomRowScrollsAPageButNeverPastTheLastPage) {
    std::vector<std::wstring> lines;
    for (int i = 0; i < 20; ++i)
        lines.push_back(App(L"Entry " + std::to_wstring(i), program));
    WriteList(lines);
    Open(); // the default place leaves room for 10 rows of 36 pixels
    ASSERT_EQ(10, List().GetPageRows());
    EXPECT_EQ(10, List().GetMaxTop());
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(List().m_hWnd, SB_VERT, &si);
    EXPECT_EQ(18, si.nMax);
    EXPECT_EQ(9u, si.nPage);

    List().SelectItem(IdAt(9)); // the bottom row
    Pump();
    Command(IDC_MOVEDOWN);
    EXPECT_EQ(std::wstring(L"Entry 9"), List().ItemAt(10)->strName);
    EXPECT_EQ(9, List().GetTopRow());
    EXPECT_EQ(9, GetScrollPos(List().m_hWnd, SB_VERT));

    List().SelectItem(IdAt(18)); // now in the bottom row again
    Pump();
    Command(IDC_MOVEDOWN);
    EXPECT_EQ(std::wstring(L"Entry 18"), List().ItemAt(19)->strName);
    EXPECT_EQ(10, List().GetTopRow());
    Command(IDC_MOVEDOWN); // already last: nothing moves
    EXPECT_EQ(std::wstring(L"Entry 18"), List().ItemAt(19)->strName);
    EXPECT_EQ(IdAt(19), List().GetSelection());

    // Move up from the top row scrolls back by a page, not below 0.
    List().SelectItem(IdAt(10)); // "Entry 9", shown in the top row
    EXPECT_EQ(std::wstring(L"Entry 9"), List().ItemAt(10)->strName);
    Pump();
    Command(IDC_MOVEUP);
    EXPECT_EQ(1, List().GetTopRow());
    Command(IDC_APPLY);
    std::wstring text = ListFileText();
    EXPECT_LT(text.find(L"Entry 9|"), text.find(L"Entry 10|"));
    EXPECT_LT(text.find(L"Entry 19|"), text.find(L"Entry 18|"));
}

TEST_F(QuillsetDialogTest, TheWheelMovesThreeRowsWhateverItsDistance) {
    std::vector<std::wstring> lines;
    for (int i = 0; i < 20; ++i)
        lines.push_back(App(L"Entry " + std::to_wstring(i), program));
    WriteList(lines);
    Open();
    SendMessageW(List().m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-1)), 0);
    EXPECT_EQ(3, List().GetTopRow());
    SendMessageW(List().m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA * 5)), 0);
    EXPECT_EQ(6, List().GetTopRow());
    for (int i = 0; i < 5; ++i)
        SendMessageW(List().m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(10, List().GetTopRow());
    SendMessageW(List().m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(7, List().GetTopRow());
}

TEST_F(QuillsetDialogTest, DroppedProgramAndShortcutAreAddedAndOtherFilesIgnored) {
    WriteList({App(L"Editor", program)});
    std::wstring tool = dir.Join(L"tool.exe");
    CopyFileW(program.c_str(), tool.c_str(), FALSE);
    std::wstring lnk = dir.Join(L"Upper.LNK");
    ASSERT_TRUE(MakeShortcut(lnk, program));
    std::wstring notes = dir.WriteFile(L"notes.txt", "text");
    Open();
    Drop({tool, lnk, notes}, POINT{100, 100});
    ASSERT_EQ(3u, List().Count());
    EXPECT_EQ(tool, List().ItemAt(1)->strPath);
    EXPECT_EQ(0, List().ItemAt(1)->nKind);
    EXPECT_EQ(lnk, List().ItemAt(2)->strPath);
    EXPECT_EQ(1, List().ItemAt(2)->nKind);
    EXPECT_EQ(IdAt(2), dialog->GetSelectedId());
    EXPECT_EQ(lnk, Text(IDC_LOCATION));
    EXPECT_EQ(Item(IDC_NAME), GetFocus());

    // On the title bar (outside the client area) nothing is added.
    Drop({tool}, POINT{100, -10}, TRUE);
    EXPECT_EQ(3u, List().Count());
    Command(IDC_APPLY);
    std::wstring text = ListFileText();
    EXPECT_NE(std::wstring::npos, text.find(L"|app|" + tool + L"\r\n"));
    EXPECT_NE(std::wstring::npos, text.find(L"LNK=Velmar Start menu options|lnk|" + lnk + L"\r\n"));
}

TEST_F(QuillsetDialogTest, AnOtherFileIsShownRenamedAndMovedButNotWritten) {
    WriteList({App(L"Editor", program)});
    std::wstring batch = dir.WriteFile(L"run.bat", "@echo off\r\n");
    Open();
    int id = dialog->AddAppFile(batch.c_str());
    ASSERT_NE(0, id);
    EXPECT_EQ(-1, List().GetItem(id)->nKind);
    SetName(L"Batch job");
    EXPECT_EQ(std::wstring(L"Batch job"), List().GetItem(id)->strName);
    Command(IDC_MOVEUP);
    EXPECT_EQ(id, IdAt(0));
    Command(IDC_APPLY);
    EXPECT_EQ(std::wstring(kHeader) + App(L"Editor", program) + L"\r\n", ListFileText());
    EXPECT_EQ(2u, List().Count());
}

TEST_F(QuillsetDialogTest, RenamingFollowsTheNameBoxButNeverEmptiesTheName) {
    WriteList({App(L"Editor", program)});
    Open();
    SetName(L"Renamed");
    EXPECT_EQ(std::wstring(L"Renamed"), List().ItemAt(0)->strName);
    SetName(L"");
    EXPECT_EQ(std::wstring(L"Renamed"), List().ItemAt(0)->strName);
    // Typing a location changes neither the entry nor the file.
    SetDlgItemTextW(dialog->m_hWnd, IDC_LOCATION, L"C:\\elsewhere.exe");
    Pump();
    EXPECT_EQ(program, List().ItemAt(0)->strPath);
    Command(IDC_APPLY);
    EXPECT_EQ(std::wstring(kHeader) + App(L"Renamed", program) + L"\r\n", ListFileText());
}

TEST_F(QuillsetDialogTest, AnotherFileForAnEntryBringsItsKindAlong) {
    std::wstring lnk = dir.Join(L"Editor.lnk");
    ASSERT_TRUE(MakeShortcut(lnk, program));
    WriteList({App(L"Editor", program)});
    Open();
    ASSERT_EQ(1, dialog->RetargetEntry(IdAt(0), lnk.c_str()));
    const AppListItem* item = List().ItemAt(0);
    EXPECT_EQ(1, item->nKind);
    EXPECT_EQ(lnk, item->strPath);
    EXPECT_EQ(lnk, Text(IDC_LOCATION));
    EXPECT_EQ(L"(.lnk)", Text(IDC_TYPE).substr(Text(IDC_TYPE).size() - 6));
    Command(IDC_APPLY);
    EXPECT_EQ(std::wstring(kHeader) + Lnk(L"Velmar Start menu options", lnk) + L"\r\n", ListFileText());

    // And back to a program.
    ASSERT_EQ(1, dialog->RetargetEntry(IdAt(0), program.c_str()));
    EXPECT_EQ(0, List().ItemAt(0)->nKind);
}

TEST_F(QuillsetDialogTest, MovingTheMouseOverTheListTakesTheFocusAndLeavingGivesItToTheDialog) {
    WriteList({App(L"One", program), App(L"Two", program)});
    Open();
    SetFocus(Item(IDC_NAME));
    SendMessageW(List().m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
    EXPECT_EQ(List().m_hWnd, GetFocus());
    SendMessageW(List().m_hWnd, WM_MOUSELEAVE, 0, 0);
    // The dialog manager passes its focus on to the dialog's own control.
    EXPECT_NE(List().m_hWnd, GetFocus());
    EXPECT_TRUE(GetFocus() == dialog->m_hWnd || IsChild(dialog->m_hWnd, GetFocus()));
    // After a click the focus stays until the mouse moves inside the list again.
    SetFocus(List().m_hWnd);
    ClickRow(1);
    SendMessageW(List().m_hWnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(List().m_hWnd, GetFocus());
    EXPECT_EQ(L"Two", Text(IDC_NAME));
}

// A list of any length opens, its last entry can be reached and renamed, and
// the save keeps every entry and a name far longer than the list can show.
TEST_F(QuillsetDialogTest, TenThousandEntriesAndAHundredThousandCharacterNameSaveBackWhole) {
    const std::wstring longName(100000, L'N');
    std::vector<std::wstring> lines{App(longName, program)};
    for (int i = 1; i < 10000; ++i)
        lines.push_back(App(L"Entry " + std::to_wstring(i), program));
    WriteList(lines);
    Open();
    ASSERT_EQ(10000u, List().Count());
    EXPECT_EQ(longName.substr(0, 255), Text(IDC_NAME)) << "the name is cut for display only";

    SendMessageW(List().m_hWnd, WM_VSCROLL, SB_BOTTOM, 0);
    Pump();
    ClickRow(9999);
    ASSERT_EQ(IdAt(9999), dialog->GetSelectedId());
    EXPECT_TRUE(List().ItemAt(9999)->hIcon) << "a row in sight has its icon";
    SetName(L"Last");
    Command(IDOK);
    EXPECT_EQ(1, quitCode);
    lines.back() = App(L"Last", program);
    std::wstring expected = L"# Application List\r\n# encoding: UTF-8\r\n";
    for (const auto& line : lines)
        expected += line + L"\r\n";
    EXPECT_TRUE(expected == ListFileText()) << "the saved list differs";
}
