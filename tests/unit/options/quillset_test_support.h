// The options dialog in the test process: a skin and a list file in a scratch
// folder, the real dialog from the resources linked into the test program, a
// message pump that records the quit code, and Windows' own drop records.
#pragma once

#include "AppListTestHelpers.h"
#include "FreshSkin.h"
#include "GdiplusScope.h"
#include "Handles.h"
#include "MainDlg.h"
#include "MessageLoop.h"
#include "Pointer.h"
#include "QuillsetMain.h"
#include "Skin.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

// Message boxes of this thread while the object lives, read, counted and
// closed with `reply` (OK unless told) from a timer (they are modal: the
// test's own code waits under them). The dialog they stand over is never taken for one.
class MessageBoxCloser {
public:
    explicit MessageBoxCloser(const std::unique_ptr<CMainDlg>& dialog) : m_dialog(dialog) {
        s_active = this;
        m_timer = SetTimer(nullptr, 0, 50, Close);
    }
    ~MessageBoxCloser() {
        KillTimer(nullptr, m_timer);
        s_active = nullptr;
    }
    MessageBoxCloser(const MessageBoxCloser&) = delete;
    MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;

    std::wstring caption, text; // of the last box closed
    int reply = IDOK;
    int count = 0; // boxes closed

private:
    static void CALLBACK Close(HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND h, LPARAM) -> BOOL {
                MessageBoxCloser* self = s_active;
                wchar_t cls[32] = {}, buf[1024] = {};
                GetClassNameW(h, cls, 32);
                if (!self || (self->m_dialog && h == self->m_dialog->m_hWnd) || wcscmp(cls, L"#32770") ||
                    !GetDlgItem(h, 0xFFFF) || !IsWindowVisible(h))
                    return TRUE;
                GetWindowTextW(h, buf, 256);
                self->caption = buf;
                GetDlgItemTextW(h, 0xFFFF, buf, 1024);
                self->text = buf;
                ++self->count;
                PostMessageW(h, WM_COMMAND, self->reply, 0);
                return FALSE;
            },
            0);
    }
    static inline MessageBoxCloser* s_active = nullptr;
    const std::unique_ptr<CMainDlg>& m_dialog;
    UINT_PTR m_timer = 0;
};

class QuillsetDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        fw::gModule.Init(GetModuleHandleW(nullptr));
        fw::gModule.AddMessageLoop(&loop);
        listPath = dir.Join(L"applist.lst");
        program = dir.Join(L"editor.exe");
        ASSERT_TRUE(CopyFileW((BinDir() + L"\\Quillset.exe").c_str(), program.c_str(), FALSE));
    }
    void TearDown() override {
        chooser.reset();
        dialog.reset();
        FreshSkin(); // while this test's GDI+ still runs: its images go with it
        fw::gModule.RemoveMessageLoop();
    }

    void WriteSkin(const std::string& extra = "") {
        dir.WriteFile(L"skin.cfg", "[DESIGN]\r\nSKIN.APPLIST=" + Narrow(listPath) +
                                       "\r\nDEFAULT.FONT.NAME=Liberation Sans\r\nDEFAULT.FONT.SIZE=9\r\n" + extra);
        LoadOptionsSkin(dir.Join(L"skin.cfg").c_str(), (dir.path() + L"\\").c_str()); // as the program does
    }
    void WriteList(const std::vector<std::wstring>& lines) {
        std::wstring text = L"# Application List\r\n# encoding: UTF-8\r\n";
        for (const auto& line : lines)
            text += line + L"\r\n";
        dir.WriteFile(L"applist.lst", "\xEF\xBB\xBF" + Narrow(text));
    }
    std::wstring App(const std::wstring& name, const std::wstring& path) { return L"APP=" + name + L"|app|" + path; }
    std::wstring Lnk(const std::wstring& name, const std::wstring& path) { return L"LNK=" + name + L"|lnk|" + path; }

    void Open() {
        if (!gSkin.GetConfigPath()[0])
            WriteSkin();
        dialog = std::make_unique<CMainDlg>();
        ASSERT_TRUE(dialog->Create(nullptr));
        Pump();
    }
    // Runs the thread's messages as the program's loop does, with the dialog as filter.
    void Pump() {
        MSG msg;
        for (int round = 0; round < 3; ++round) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    quitCode = static_cast<int>(msg.wParam);
                    continue;
                }
                // The Start Menu chooser filters first, as it does in the program's loop.
                CStartMenuChooser* over = chooser ? chooser.get() : dialog ? dialog->Chooser() : nullptr;
                if (over && over->PreTranslateMessage(&msg))
                    continue;
                if (dialog && dialog->m_hWnd && IsDialogMessageW(dialog->m_hWnd, &msg))
                    continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (dialog && dialog->m_hWnd)
                RedrawWindow(dialog->m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        }
    }
    void Command(int id, int code = BN_CLICKED) {
        SendMessageW(dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
        Pump();
    }
    HWND Item(int id) const { return GetDlgItem(dialog->m_hWnd, id); }
    std::wstring Text(int id) const {
        wchar_t buf[512] = {};
        GetDlgItemTextW(dialog->m_hWnd, id, buf, 512);
        return buf;
    }
    void SetName(const std::wstring& name) {
        SetDlgItemTextW(dialog->m_hWnd, IDC_NAME, name.c_str());
        Pump();
    }
    CAppListWnd& List() { return dialog->List(); }
    std::vector<std::wstring> Names() {
        std::vector<std::wstring> names;
        for (size_t i = 0; i < List().Count(); ++i)
            names.push_back(List().ItemAt(i)->strName);
        return names;
    }
    int IdAt(size_t index) { return List().ItemAt(index)->nId; }
    std::wstring ListFileText() {
        std::string bytes = ReadFileBytes(listPath);
        if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
            bytes.erase(0, 3);
        std::wstring text(bytes.size(), L'\0');
        int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                                    static_cast<int>(text.size()));
        text.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return text;
    }
    // Clicks the list row like a user (press and release on it).
    void ClickRow(size_t index) {
        const RECT& rc = List().ItemAt(index)->rcItem;
        LPARAM at = MAKELPARAM(rc.left + 20, (rc.top + rc.bottom) / 2);
        SendMessageW(List().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(List().m_hWnd, WM_LBUTTONUP, 0, at);
        Pump();
    }
    // A drop record as Windows builds it for WM_DROPFILES: DROPFILES followed by
    // the wide names, each terminated, and a final terminator.
    static HDROP MakeDrop(const std::vector<std::wstring>& files, POINT pt, BOOL nonClient) {
        size_t chars = 1;
        for (const auto& f : files)
            chars += f.size() + 1;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
        auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
        drop->pFiles = sizeof(DROPFILES);
        drop->pt = pt;
        drop->fNC = nonClient;
        drop->fWide = TRUE;
        auto* names = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES));
        for (const auto& f : files) {
            memcpy(names, f.c_str(), (f.size() + 1) * sizeof(wchar_t));
            names += f.size() + 1;
        }
        GlobalUnlock(memory);
        return static_cast<HDROP>(memory);
    }
    void Drop(const std::vector<std::wstring>& files, POINT pt, BOOL nonClient = FALSE) {
        PostMessageW(dialog->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(files, pt, nonClient)), 0);
        Pump();
    }

    fw::ComScope com;
    fw::GdiplusScope gdiplus;
    TempDir dir;
    fw::CMessageLoop loop;
    std::wstring listPath;
    std::wstring program;
    std::unique_ptr<CMainDlg> dialog;
    std::unique_ptr<CStartMenuChooser> chooser; // one opened by the test itself
    int quitCode = -1;
};
