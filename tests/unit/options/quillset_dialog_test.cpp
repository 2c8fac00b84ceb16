// The options dialog created for real in the test process: what it shows when
// it opens, its image buttons, the properties panel, and OK / Apply / Cancel
// with the list file they write.
#include "quillset_test_support.h"
#include "ScreenCapture.h"
#include "Wait.h"
#include "skin_test_files.h"

#include <shellapi.h>

TEST_F(QuillsetDialogTest, OpensBesideTheTaskbarWithTheFirstEntrySelectedAndDescribed) {
    WriteList({App(L"Editor", program), App(L"Second", program)});
    Open();
    RECT rc{};
    GetWindowRect(dialog->m_hWnd, &rc);
    EXPECT_TRUE(IsWindowVisible(dialog->m_hWnd));
    APPBARDATA abd{};
    abd.cbSize = sizeof(abd);
    if (FindWindowW(L"WineAppBar", nullptr) && SHAppBarMessage(ABM_GETTASKBARPOS, &abd) && abd.uEdge == ABE_BOTTOM) {
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        GetMonitorInfoW(MonitorFromWindow(dialog->m_hWnd, MONITOR_DEFAULTTOPRIMARY), &mi);
        EXPECT_EQ(0, rc.left);
        EXPECT_EQ(mi.rcWork.bottom, rc.bottom);
    }
    EXPECT_TRUE(SendMessageW(dialog->m_hWnd, WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(SendMessageW(dialog->m_hWnd, WM_GETICON, ICON_SMALL, 0));

    EXPECT_EQ(IdAt(0), dialog->GetSelectedId());
    EXPECT_EQ(IdAt(0), List().GetSelection());
    EXPECT_EQ(L"Editor", Text(IDC_NAME));
    EXPECT_EQ(program, Text(IDC_LOCATION));
    EXPECT_EQ(L"Velmar Start menu options", Text(IDC_DESCRIPTION));
    EXPECT_NE(std::wstring::npos, Text(IDC_TYPE).find(L"(.exe)"));
    EXPECT_NE(std::wstring::npos, Text(IDC_FILESIZE).find(L" bytes)"));
    std::wstring modified = Text(IDC_MODIFIED);
    EXPECT_TRUE(modified.size() > 4 && modified[modified.size() - 4] != L' ' &&
                (modified.substr(modified.size() - 3) == L" PM" || modified.substr(modified.size() - 3) == L" AM"))
        << modified;
    EXPECT_TRUE(SendMessageW(Item(IDC_FILEICON), STM_GETICON, 0, 0));
}

// The dialog draws the default font and the list's selection image; the menu's
// pictures, icons and the Start button are never decoded, which keeps its start quick.
TEST_F(QuillsetDialogTest, TheSkinIsLoadedWithTheSelectionImagesAndNoneOfTheMenusPictures) {
    dir.WriteFile(L"f1.bmp", BmpBytes(120, 30, 0xC0, 0x20, 0x80));
    for (const wchar_t* name : {L"f0.bmp", L"f2.bmp", L"bg.bmp", L"start.bmp", L"normal.bmp"})
        WriteBmp(dir, name, 8, 8);
    WriteSkin("SKIN.PATH=.\r\nMENU.FOCUS.0=f0.bmp\r\nMENU.FOCUS.1=f1.bmp\r\nMENU.FOCUS.2=f2.bmp\r\n"
              "MENU.BACKGROUND=bg.bmp\r\nSTBTN.BACKGROUND=start.bmp\r\nDRAWIMAGE.0=IMAGE.110,(0,0)\r\n"
              "[BUTTON]\r\nBUTTON.ENABLED=a\r\na.IMAGE.NORMAL=normal.bmp\r\na.ICON=shell32.dll,-4,(48x48)\r\n");
    EXPECT_EQ(2, gSkin.DecodeCount()) << "a picture the dialog never draws was decoded";
    EXPECT_TRUE(!gSkin.pMenuBackground && !gSkin.hStartButton.get() && gSkin.buttons.empty() &&
                gSkin.focusImages.empty());
    EXPECT_TRUE(gSkin.pFocus2 && gSkin.pDefaultFont);
    // The selected row shows the selection image's colour.
    WriteList({App(L"Editor", program)});
    Open();
    EXPECT_TRUE(WaitFor([&] {
        RECT rc{};
        GetWindowRect(List().m_hWnd, &rc);
        rc.bottom = rc.top + 40; // the first row, on the screen wherever the dialog is
        int selection = 0;
        for (DWORD pixel : ScreenPixels(rc))
            selection += (pixel & 0xFFFFFF) == 0xC02080;
        return selection > 100;
    })) << "the selected row shows no selection image";
}

// The icon static draws the icon it was given; its pixels on the screen are
// more than its background.
TEST_F(QuillsetDialogTest, TheSelectedEntrysFileIconIsDrawnByTheIconStatic) {
    std::wstring lnk = dir.Join(L"Editor.lnk");
    ASSERT_TRUE(MakeShortcut(lnk, program));
    WriteList({App(L"Program", program), Lnk(L"Shortcut", lnk)});
    Open();
    for (size_t row : {size_t(1), size_t(0)}) {
        ClickRow(row);
        HICON shown = reinterpret_cast<HICON>(SendMessageW(Item(IDC_FILEICON), STM_GETICON, 0, 0));
        ASSERT_TRUE(shown) << row;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(shown, &info)) << "the static holds a live icon";
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);

        RECT rc{};
        GetWindowRect(Item(IDC_FILEICON), &rc);
        HDC screen = GetDC(nullptr);
        COLORREF background = GetPixel(screen, rc.left, rc.top);
        int differing = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                differing += GetPixel(screen, x, y) != background;
        ReleaseDC(nullptr, screen);
        EXPECT_GT(differing, 20) << "row " << row << ": the icon static shows no icon";
    }
}

TEST_F(QuillsetDialogTest, TheListFollowsTheSkinsPlaceAndIconSize) {
    WriteSkin("OPTIONS.SMALLICON=1\r\nOPTIONS.APPLIST.X=20\r\nOPTIONS.APPLIST.Y=50\r\n"
              "OPTIONS.APPLIST.WIDTH=200\r\nOPTIONS.APPLIST.HEIGHT=220\r\n");
    WriteList({App(L"Editor", program), App(L"Second", program)});
    Open();
    RECT rc{};
    GetWindowRect(List().m_hWnd, &rc);
    MapWindowPoints(nullptr, dialog->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(20, rc.left);
    EXPECT_EQ(50, rc.top);
    EXPECT_EQ(220, rc.right);
    EXPECT_EQ(270, rc.bottom);
    EXPECT_EQ(0x46A00000, GetWindowLongW(List().m_hWnd, GWL_STYLE) & 0xFFFF0000 & ~WS_VISIBLE);
    EXPECT_EQ(22, List().GetRowHeight());
    EXPECT_EQ(1, List().GetSmallIcons());
    const RECT& row = List().ItemAt(1)->rcItem;
    EXPECT_EQ(22, row.bottom - row.top);
    EXPECT_EQ(5 + 22, row.top);
}

TEST_F(QuillsetDialogTest, AScaleChangeMovesAndSizesTheListAndItsRowsAndBack) {
    WriteSkin("OPTIONS.SMALLICON=1\r\nOPTIONS.APPLIST.X=20\r\nOPTIONS.APPLIST.Y=50\r\n"
              "OPTIONS.APPLIST.WIDTH=200\r\nOPTIONS.APPLIST.HEIGHT=220\r\n");
    WriteList({App(L"Editor", program), App(L"Second", program)});
    Open();
    // Wine has one DPI for every monitor: the change is sent as Windows sends it.
    auto sendDpi = [&](int dpi) {
        RECT window{};
        GetWindowRect(dialog->m_hWnd, &window);
        SendMessageW(dialog->m_hWnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&window));
        UpdateWindow(List().m_hWnd); // rows are placed when painted
    };
    auto expectAt = [&](int dpi) {
        SCOPED_TRACE(dpi);
        RECT rc{};
        GetWindowRect(List().m_hWnd, &rc);
        MapWindowPoints(nullptr, dialog->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_EQ(MulDiv(20, dpi, 96), rc.left);
        EXPECT_EQ(MulDiv(50, dpi, 96), rc.top);
        EXPECT_EQ(MulDiv(220, dpi, 96), rc.right);
        EXPECT_EQ(MulDiv(270, dpi, 96), rc.bottom);
        EXPECT_EQ(22, List().GetRowHeight()) << "the skin's value stays";
        const RECT& row = List().ItemAt(1)->rcItem;
        EXPECT_EQ(MulDiv(22, dpi, 96), row.bottom - row.top);
        EXPECT_EQ(MulDiv(5, dpi, 96) + MulDiv(22, dpi, 96), row.top);
    };
    sendDpi(144);
    expectAt(144);
    sendDpi(96);
    expectAt(96);
}

TEST_F(QuillsetDialogTest, ImageButtonsShowTheirStripImagesAndTooltips) {
    WriteList({});
    Open();
    struct Want {
        int id;
        int normal;
        const wchar_t* tip;
    } want[] = {{IDC_MOVEUP, 4, L"Move up"}, {IDC_MOVEDOWN, 0, L"Move down"}, {IDC_DELETE, 8, L"Delete"},
                {IDC_ADD, 12, L"Add"}};
    for (const Want& w : want) {
        SCOPED_TRACE(w.id);
        fw::CBitmapButton& button = dialog->Button(w.id);
        ASSERT_EQ(Item(w.id), button.m_hWnd);
        EXPECT_EQ(BS_OWNERDRAW, GetWindowLongW(button.m_hWnd, GWL_STYLE) & BS_TYPEMASK);
        RECT rc{};
        GetClientRect(button.m_hWnd, &rc);
        EXPECT_EQ(21, rc.right);
        EXPECT_EQ(21, rc.bottom);
        EXPECT_EQ(w.normal, button.ImageFor(0));
        EXPECT_EQ(w.normal + 1, button.ImageFor(ODS_SELECTED));
        EXPECT_EQ(w.normal + 3, button.ImageFor(ODS_DISABLED));
        // The tooltip window is made when the mouse first comes over the button.
        EXPECT_FALSE(button.GetToolTip());
        ASSERT_TRUE(PlacePointer(dialog->m_hWnd, 5, 5)); // beside the buttons: a late move lights none
        SendMessageW(button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        EXPECT_FALSE(button.IsHot());
        ASSERT_TRUE(PlacePointer(button.m_hWnd, 5, 5));
        SendMessageW(button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        EXPECT_TRUE(button.IsHot());
        ASSERT_TRUE(button.GetToolTip());
        wchar_t cls[64] = {};
        GetClassNameW(button.GetToolTip(), cls, 64);
        EXPECT_STREQ(L"tooltips_class32", cls);
        wchar_t tip[256] = {};
        TOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.hwnd = button.m_hWnd;
        ti.uId = reinterpret_cast<UINT_PTR>(button.m_hWnd);
        ti.lpszText = tip;
        SendMessageW(button.GetToolTip(), TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
        EXPECT_STREQ(w.tip, tip);
        // The mouse over the button shows its hover image until the mouse leaves.
        EXPECT_EQ(w.normal + 2, button.ImageFor(0));
        SendMessageW(button.m_hWnd, WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(w.normal, button.ImageFor(0));
    }
    // The Add button's pixels come from the strip (green plus), not from a push-button face.
    HDC screen = GetDC(nullptr);
    RECT add{};
    GetWindowRect(Item(IDC_ADD), &add);
    int colourful = 0;
    for (int y = add.top; y < add.bottom; ++y)
        for (int x = add.left; x < add.right; ++x) {
            COLORREF c = GetPixel(screen, x, y);
            if (GetGValue(c) > GetRValue(c) + 40 && GetGValue(c) > GetBValue(c) + 40)
                ++colourful;
        }
    ReleaseDC(nullptr, screen);
    EXPECT_GT(colourful, 10);
}

TEST_F(QuillsetDialogTest, AShortcutShowsItsTargetsDescriptionAndTheLinkFilesOwnSizeAndType) {
    std::wstring lnk = dir.Join(L"Editor.lnk");
    ASSERT_TRUE(MakeShortcut(lnk, program));
    WriteList({App(L"Program", program), Lnk(L"Shortcut", lnk)});
    Open();
    ClickRow(1);
    EXPECT_EQ(IdAt(1), dialog->GetSelectedId());
    EXPECT_EQ(L"Shortcut", Text(IDC_NAME));
    EXPECT_EQ(lnk, Text(IDC_LOCATION));
    EXPECT_EQ(L"Velmar Start menu options", Text(IDC_DESCRIPTION));
    std::wstring type = Text(IDC_TYPE);
    EXPECT_EQ(L"(.lnk)", type.substr(type.size() - 6)) << type;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(lnk.c_str(), GetFileExInfoStandard, &data));
    std::wstring bytes = std::to_wstring(data.nFileSizeLow);
    EXPECT_EQ(bytes + L" bytes (" + bytes + L" bytes)", Text(IDC_FILESIZE));
}

TEST_F(QuillsetDialogTest, AFileOfThreeGibibytesShowsItsFullSize) {
    std::wstring big = dir.Join(L"big.iso");
    HANDLE f = CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    LARGE_INTEGER size;
    size.QuadPart = 3221225472LL;
    bool grown = SetFilePointerEx(f, size, nullptr, FILE_BEGIN) && SetEndOfFile(f);
    CloseHandle(f);
    if (!grown)
        GTEST_SKIP() << "the file system cannot hold a 3 GiB file";
    WriteList({App(L"Image", big)});
    Open();
    EXPECT_EQ(L"3.00 GB (3,221,225,472 bytes)", Text(IDC_FILESIZE));
    DeleteFileW(big.c_str());
}

TEST_F(QuillsetDialogTest, AMissingFileIsKeptWithAnIconAndWrittenBackUnchanged) {
    std::wstring gone = dir.Join(L"gone\\old.exe");
    WriteList({App(L"Old tool", gone), App(L"Editor", program)});
    Open();
    ASSERT_EQ(2u, List().Count());
    EXPECT_EQ(L"Old tool", Text(IDC_NAME));
    EXPECT_TRUE(List().ItemAt(0)->hIcon);
    // No file: the type comes from the extension alone, the rest stays empty.
    EXPECT_EQ(L"", Text(IDC_FILESIZE));
    EXPECT_EQ(L"", Text(IDC_MODIFIED));
    EXPECT_EQ(L"", Text(IDC_DESCRIPTION));
    Command(IDOK);
    EXPECT_EQ(1, quitCode);
    EXPECT_EQ(L"# Application List\r\n# encoding: UTF-8\r\n" + App(L"Old tool", gone) + L"\r\n" +
                  App(L"Editor", program) + L"\r\n",
              ListFileText());
}

TEST_F(QuillsetDialogTest, OkOnAnUnchangedListStillRewritesTheFile) {
    WriteList({App(L"Editor", program)});
    SetModifiedTime(listPath, 1000000000); // 2001
    Open();
    Command(IDOK);
    EXPECT_EQ(1, quitCode);
    EXPECT_FALSE(IsWindow(dialog->m_hWnd));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(listPath.c_str(), GetFileExInfoStandard, &data));
    ULONGLONG written = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
    EXPECT_GT(written, (1000000000ULL + 11644473600ULL) * 10000000ULL + 10000000ULL);
    EXPECT_EQ(L"# Application List\r\n# encoding: UTF-8\r\n" + App(L"Editor", program) + L"\r\n", ListFileText());
}

TEST_F(QuillsetDialogTest, CancelAfterApplyKeepsTheAppliedContent) {
    WriteList({App(L"Editor", program)});
    Open();
    SetName(L"Applied");
    Command(IDC_APPLY);
    EXPECT_TRUE(IsWindow(dialog->m_hWnd));
    EXPECT_EQ(-1, quitCode);
    SetName(L"Not applied");
    EXPECT_EQ(std::wstring(L"Not applied"), List().ItemAt(0)->strName);
    Command(IDCANCEL);
    EXPECT_EQ(2, quitCode);
    EXPECT_FALSE(IsWindow(dialog->m_hWnd));
    EXPECT_EQ(L"# Application List\r\n# encoding: UTF-8\r\n" + App(L"Applied", program) + L"\r\n", ListFileText());
}

TEST_F(QuillsetDialogTest, EscapeCancelsAndEnterConfirmsThroughTheMessageLoop) {
    WriteList({App(L"Editor", program)});
    Open();
    SetFocus(Item(IDC_NAME));
    // The loop asks the dialog (its registered filter) first, as the program's loop does.
    PostMessageW(Item(IDC_NAME), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_EQ(2, loop.Run());
    EXPECT_FALSE(IsWindow(dialog->m_hWnd));

    dialog = std::make_unique<CMainDlg>();
    ASSERT_TRUE(dialog->Create(nullptr));
    Pump();
    SetFocus(Item(IDC_NAME));
    PostMessageW(Item(IDC_NAME), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    EXPECT_EQ(1, loop.Run());
    EXPECT_FALSE(IsWindow(dialog->m_hWnd));
}

TEST_F(QuillsetDialogTest, AFailedSaveShowsTheWriteErrorAndKeepsTheDialog) {
    WriteList({App(L"Editor", program)});
    Open();
    // A folder where the list file should be: the save cannot replace it.
    DeleteFileW(listPath.c_str());
    CreateDirectoryW(listPath.c_str(), nullptr);
    MessageBoxCloser box(dialog);
    Command(IDOK);
    EXPECT_EQ(L"Error occurred while writing the file.", box.text);
    EXPECT_EQ(L"Error", box.caption);
    EXPECT_TRUE(IsWindow(dialog->m_hWnd));
    EXPECT_EQ(-1, quitCode);
}

// A list that cannot be read is never replaced: OK and Apply explain and save
// nothing until Retry has read it; then editing and saving work as ever.
TEST_F(QuillsetDialogTest, AListThatCouldNotBeReadIsNeverOverwrittenUntilRetryReadsIt) {
    const std::wstring lines = L"# Application List\r\n# encoding: UTF-8\r\n" + App(L"One", program) + L"\r\n" +
                               App(L"Two", program) + L"\r\n" + App(L"Three", program) + L"\r\n";
    const std::string good = "\xEF\xBB\xBF" + Narrow(lines);
    std::string bigEndian = "\xFE\xFF";
    for (wchar_t c : lines)
        bigEndian += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    struct Case {
        const char* cause;
        std::string bytes;
        bool locked; // held without sharing while the dialog opens, then let go
    } cases[] = {
        {"locked", good, true},
        {"UTF-16 big-endian", bigEndian, false},
        {"over the size limit", good + std::string(16 * 1024 * 1024, '#'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cause);
        dir.WriteFile(L"applist.lst", c.bytes);
        HANDLE lock = c.locked ? CreateFileW(listPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                               : INVALID_HANDLE_VALUE;
        {
            MessageBoxCloser box(dialog);
            box.reply = IDCANCEL;
            Open();
            EXPECT_EQ(1, box.count);
            if (lock != INVALID_HANDLE_VALUE)
                CloseHandle(lock);
            EXPECT_EQ(0u, List().Count());
            Command(IDOK);
            Command(IDC_APPLY);
            Command(IDC_ADD); // entries added now could not be saved
            EXPECT_EQ(4, box.count) << "OK, Apply and Add each explain why nothing is saved";
            EXPECT_EQ(0u, box.text.find(L"Error occurred while reading the file.")) << box.text;
            EXPECT_TRUE(IsWindow(dialog->m_hWnd));
            EXPECT_EQ(-1, quitCode);
            EXPECT_TRUE(ReadFileBytes(listPath) == c.bytes) << "the file changed";
        }
        dir.WriteFile(L"applist.lst", good); // the user mends the cause
        {
            MessageBoxCloser box(dialog);
            box.reply = IDRETRY;
            Command(IDC_APPLY);
            EXPECT_EQ(1, box.count);
        }
        EXPECT_EQ((std::vector<std::wstring>{L"One", L"Two", L"Three"}), Names());
        SetName(L"First");
        Command(IDOK);
        EXPECT_EQ(1, quitCode);
        EXPECT_EQ(L"# Application List\r\n# encoding: UTF-8\r\n" + App(L"First", program) + L"\r\n" +
                      App(L"Two", program) + L"\r\n" + App(L"Three", program) + L"\r\n",
                  ListFileText());
        quitCode = -1;
    }
}

namespace {
int gListReports = 0;
LRESULT CALLBACK CountListReports(int code, WPARAM wp, LPARAM lp) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && call->message == WM_NOTIFY &&
        reinterpret_cast<const NMHDR*>(call->lParam)->code == static_cast<UINT>(NM_CLICK))
        ++gListReports;
    return CallNextHookEx(nullptr, code, wp, lp);
}
} // namespace

// Reading a long list again empties it at once: removed row by row, each
// removal reported a new selection and the panel looked up a file for each.
TEST_F(QuillsetDialogTest, ReadingALongListAgainReportsTheSelectionOnceNotPerRow) {
    WriteList(std::vector<std::wstring>(1000, App(L"Entry", program)));
    Open();
    ASSERT_EQ(PinResult::Pinned,
              PinToAppList(listPath.c_str(), L"Notes", L"shell:AppsFolder\\Contoso.Notes_8wekyb3d8bbwe!App"));
    MessageBoxCloser box(dialog);
    box.reply = IDOK;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountListReports, nullptr, GetCurrentThreadId());
    gListReports = 0;
    Command(IDC_APPLY);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(1001u, List().Count());
    EXPECT_GE(2, gListReports);
}

// The menu pins while the dialog is open: saving then offers to read the list
// again rather than dropping the pin. Cancel keeps the edits and writes
// nothing; OK reads the file again (the packaged app named and with an icon);
// a save with no change since goes through at once.
TEST_F(QuillsetDialogTest, ASaveAfterTheFileChangedOffersToReadItAgainInsteadOfDroppingThePin) {
    const std::wstring packaged = L"shell:AppsFolder\\Contoso.Notes_8wekyb3d8bbwe!App";
    WriteList({App(L"One", program)});
    Open();
    SetName(L"Renamed");
    ASSERT_EQ(PinResult::Pinned, PinToAppList(listPath.c_str(), L"Notes", packaged.c_str()));
    const std::wstring pinned = ListFileText();
    for (int reply : {IDCANCEL, IDOK}) {
        MessageBoxCloser box(dialog);
        box.reply = reply;
        Command(reply == IDOK ? IDOK : IDC_APPLY);
        EXPECT_EQ(1, box.count);
        EXPECT_NE(std::wstring::npos, box.text.find(L"changed by another program")) << box.text;
        EXPECT_EQ(pinned, ListFileText());
        EXPECT_TRUE(IsWindow(dialog->m_hWnd));
        EXPECT_EQ(reply == IDOK ? (std::vector<std::wstring>{L"One", L"Notes"}) : std::vector<std::wstring>{L"Renamed"},
                  Names());
    }
    EXPECT_NE(nullptr, List().ItemAt(1)->hIcon) << "the packaged app shows an icon, no missing file";
    Command(IDOK);
    EXPECT_EQ(1, quitCode);
    EXPECT_EQ(pinned, ListFileText());
}
