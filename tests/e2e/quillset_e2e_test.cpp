// Quillset.exe as a user meets it: started as a process from a scratch folder
// with a skin and a list file, driven with input, ended with its exit code.
// Input goes through SendInput, which Wine queues as hardware input for the
// foreground window, as it queues the X server's own events.
#include <gtest/gtest.h>

#include "ProgramFolder.h"
#include "Processes.h"
#include "XInput.h"
#include "options/resource.h"

#include <shlobj.h>

#include <string>

namespace {

const wchar_t kMutex[] = L"{A5A7CE33-55C1-4c31-A4C2-5E298C1F2688}";

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

// Wine queues SendInput in order as hardware input for the foreground window.
void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof(in));
}
void Press(WORD vk) {
    Key(vk, false);
    Key(vk, true);
}
void Type(const std::wstring& text) {
    for (wchar_t c : text) {
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wScan = in[1].ki.wScan = c;
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
    }
}

// The window is in front and has the keyboard focus on one of its controls.
bool WaitUntilReadyForKeys(HWND window) {
    return WaitFor([&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        return GetForegroundWindow() == window &&
               GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus &&
               IsChild(window, info.hwndFocus);
    });
}

// One click on the control's centre once its dialog is in front and no other
// window covers that point (a click right after the desktop came up is lost otherwise).
bool ClickOn(HWND control) {
    HWND root = GetAncestor(control, GA_ROOT);
    SetForegroundWindow(root);
    const POINT at = Centre(control);
    if (!WaitFor([&] { return GetForegroundWindow() == root && GetAncestor(WindowFromPoint(at), GA_ROOT) == root; }))
        return false;
    RealClick(at);
    return true;
}

class QuillsetProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Copy({L"Quillset.exe"}));
        ASSERT_TRUE(folder.CopyDefaultSkin());
        listPath = folder.Join(L"applist.lst");
        ASSERT_TRUE(folder.KeepListAt(listPath));
        editor = folder.Join(L"editor.exe");
        ASSERT_TRUE(folder.CopyAs(L"Quillset.exe", L"editor.exe"));
        WriteList("APP=Editor|app|" + Narrow(editor) + "\r\n");
    }
    void WriteList(const std::string& lines) {
        folder.WriteFile(L"applist.lst", "\xEF\xBB\xBF# Application List\r\n# encoding: UTF-8\r\n" + lines);
    }
    std::string ListText() {
        std::string text = ReadFileBytes(listPath);
        return text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text;
    }
    HWND StartDialog() {
        EXPECT_TRUE(quillset.Start(folder.Join(L"Quillset.exe")));
        HWND dialog = FindTitledWindow(quillset.Id(), nullptr, L"Start Menu Options");
        if (dialog) {
            SetForegroundWindow(dialog);
            EXPECT_TRUE(WaitUntilReadyForKeys(dialog)) << "the dialog did not come to the front";
        }
        return dialog;
    }

    ProgramFolder folder;
    ChildProcess quillset;
    std::wstring listPath;
    std::wstring editor;
};

} // namespace

TEST_F(QuillsetProgram, AddAProgramThroughTheFileDialogRenameItAndPressOk) {
    std::wstring tool = folder.Join(L"tool.exe");
    ASSERT_TRUE(folder.CopyAs(L"launch_recorder.exe", L"tool.exe"));
    HWND dialog = StartDialog();
    ASSERT_TRUE(dialog) << "no dialog";
    EXPECT_EQ(L"Editor", ItemText(dialog, IDC_NAME));

    ASSERT_TRUE(ClickOn(GetDlgItem(dialog, IDC_ADD))) << "the Add button is not in front";
    // Add's menu: its first item browses for a file.
    ASSERT_TRUE(FindProcessWindow(quillset.Id(), L"#32768")) << "no menu after clicking Add";
    Press(VK_DOWN);
    Press(VK_RETURN);
    HWND open = FindTitledWindow(quillset.Id(), nullptr, L"Open");
    ASSERT_TRUE(open) << "no file dialog after clicking Add";
    SetForegroundWindow(open);
    ASSERT_TRUE(WaitUntilReadyForKeys(open)) << "the file dialog did not take the keyboard";
    Type(tool);
    Press(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return ItemText(dialog, IDC_LOCATION) == tool; })) << "the new entry was not selected";

    // The name box has the focus, ready for renaming.
    Press(VK_END);
    Key(VK_SHIFT, false);
    Press(VK_HOME);
    Key(VK_SHIFT, true);
    Type(L"My Tool");
    ASSERT_TRUE(WaitFor([&] { return ItemText(dialog, IDC_NAME) == L"My Tool"; }));
    Press(VK_RETURN); // Enter outside a push button is OK
    EXPECT_EQ(1u, quillset.Wait());
    EXPECT_EQ("# Application List\r\n# encoding: UTF-8\r\nAPP=Editor|app|" + Narrow(editor) +
                  "\r\nAPP=My Tool|app|" + Narrow(tool) + "\r\n",
              ListText());
}

TEST_F(QuillsetProgram, OkEndsWithOneAndEscapeOrTheCloseBoxWithTwo) {
    HWND dialog = StartDialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(ClickOn(GetDlgItem(dialog, IDOK))) << "the OK button is not in front";
    EXPECT_EQ(1u, quillset.Wait());

    WriteList("APP=Changed later|app|" + Narrow(editor) + "\r\n");
    dialog = StartDialog();
    ASSERT_TRUE(dialog);
    Press(VK_ESCAPE);
    EXPECT_EQ(2u, quillset.Wait());

    dialog = StartDialog();
    ASSERT_TRUE(dialog);
    // What a click on the close box sends.
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(2u, quillset.Wait());
    EXPECT_NE(std::string::npos, ListText().find("APP=Changed later|app|"));
}

TEST_F(QuillsetProgram, ASecondInstanceEndsAtOnceWithZero) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kMutex);
    ASSERT_TRUE(mutex);
    ASSERT_TRUE(quillset.Start(folder.Join(L"Quillset.exe")));
    EXPECT_EQ(0u, quillset.Wait());
    EXPECT_EQ(nullptr, FindProcessWindow(quillset.Id(), nullptr, 0));
    CloseHandle(mutex);
}

TEST_F(QuillsetProgram, ASecondStartLeavesTheFirstDialogAlone) {
    HWND dialog = StartDialog();
    ASSERT_TRUE(dialog);
    ChildProcess second;
    ASSERT_TRUE(second.Start(folder.Join(L"Quillset.exe")));
    EXPECT_EQ(0u, second.Wait());
    EXPECT_TRUE(IsWindow(dialog));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(2u, quillset.Wait());
}

TEST_F(QuillsetProgram, WithoutASkinFileShowsTheErrorBoxAndEndsWithThree) {
    DeleteFileW(folder.Join(L"skin.cfg").c_str());
    ASSERT_TRUE(quillset.Start(folder.Join(L"Quillset.exe")));
    MessageBoxSeen box = TakeMessageBox(quillset.Id());
    ASSERT_TRUE(box.window) << "no message box";
    EXPECT_EQ(L"Error", box.caption);
    EXPECT_EQ(L"Configuration file was not found.\nPlease check the file path and try again.", box.text);
    EXPECT_EQ(3u, quillset.Wait());
}

TEST_F(QuillsetProgram, AListFileThatCannotBeReadShowsTheReadErrorOverTheDialog) {
    DeleteFileW(listPath.c_str());
    CreateDirectoryW(listPath.c_str(), nullptr); // a folder in the list file's place
    ASSERT_TRUE(quillset.Start(folder.Join(L"Quillset.exe")));
    const MessageBoxSeen box = TakeMessageBox(quillset.Id(), 15000, L"Error");
    ASSERT_TRUE(box.window) << "no error box";
    EXPECT_EQ(0u, box.text.find(L"Error occurred while reading the file.")) << box.text;
    PostMessageW(box.window, WM_COMMAND, IDCANCEL, 0); // the box offers Retry and Cancel
    HWND dialog = FindTitledWindow(quillset.Id(), nullptr, L"Start Menu Options");
    ASSERT_TRUE(dialog);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(2u, quillset.Wait());
}

TEST_F(QuillsetProgram, AddFromTheStartMenuFilterByTypingEnterAndOk) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); // for the shortcut
    wchar_t programs[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, programs, CSIDL_PROGRAMS, TRUE));
    const std::wstring name = L"Chooser Tool " + std::to_wstring(GetCurrentProcessId());
    const std::wstring shortcut = std::wstring(programs) + L"\\" + name + L".lnk";
    ASSERT_TRUE(MakeShortcut(shortcut, editor));
    HWND dialog = StartDialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(ClickOn(GetDlgItem(dialog, IDC_ADD)));
    ASSERT_TRUE(FindProcessWindow(quillset.Id(), L"#32768")) << "no menu after clicking Add";
    Press(VK_DOWN);
    Press(VK_DOWN); // the second item: from the Start Menu
    Press(VK_RETURN);
    HWND chooser = FindTitledWindow(quillset.Id(), nullptr, L"Add from the Start Menu");
    ASSERT_TRUE(chooser) << "no chooser";
    ASSERT_TRUE(WaitUntilReadyForKeys(chooser));
    Type(name);
    // One entry left: the prefix's Start Menu has this one alone, or others too.
    ASSERT_TRUE(WaitFor([&] {
        const std::wstring status = ItemText(chooser, IDC_CHOOSER_STATUS);
        return status == L"1 program" || status.compare(0, 5, L"1 of ") == 0;
    }))
        << "the typed name does not leave one entry: " << Narrow(ItemText(chooser, IDC_CHOOSER_STATUS));
    Press(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return ItemText(dialog, IDC_LOCATION) == shortcut; })) << "the entry was not added";
    Press(VK_RETURN); // the name box has the focus: Enter is OK
    EXPECT_EQ(1u, quillset.Wait());
    DeleteFileW(shortcut.c_str());
    EXPECT_NE(std::string::npos, ListText().find("|lnk|" + Narrow(shortcut) + "\r\n")) << ListText();
}
