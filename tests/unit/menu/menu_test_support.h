// Test equipment for the Start menu: a skin written into a temp folder and
// loaded into gSkin, a recording window that stands in for the start button or
// for the menu, message pumping with a deadline, and real mouse placement.
#pragma once

#include "AppModule.h"
#include "GdiplusScope.h"
#include "Handles.h"
#include "MenuItemWnd.h"
#include "MenuProtocol.h"
#include "MenuWnd.h"
#include "Session.h"
#include "Skin.h"
#include "Window.h"


#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FreshSkin.h"
#include "Pointer.h"
#include "Processes.h"
#include "TestFiles.h"
#include "Wait.h"
#include "XInput.h"
#include "skin_test_files.h"

// Records what reaches it. As the start button it also notes whether the menu
// was visible when the mode message came; as a menu it copies the button
// notification records (they die when SendMessage returns).
class RecordingWnd : public fw::CWindowImpl<RecordingWnd> {
public:
    struct Entry {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
        bool menuVisible;         // the watched window at the time (mode messages)
        _skinButton* pSkinButton; // WM_NOTIFY records
    };
    std::vector<Entry> entries;
    HWND watched = nullptr;

    BEGIN_MSG_MAP(RecordingWnd)
    MESSAGE_HANDLER(kMsgSetMode, OnRecord)
    MESSAGE_HANDLER(WM_USER + 4, OnRecord)
    MESSAGE_HANDLER(WM_COMMAND, OnRecord)
    MESSAGE_HANDLER(WM_NOTIFY, OnRecord)
    END_MSG_MAP()

    LRESULT OnRecord(UINT msg, WPARAM wp, LPARAM lp, BOOL&) {
        Entry e{msg, wp, lp, watched && ::IsWindowVisible(watched) != FALSE, nullptr};
        if (msg == WM_NOTIFY && lp)
            e.pSkinButton = reinterpret_cast<const MenuItemNotify*>(lp)->pSkinButton;
        entries.push_back(e);
        return 0;
    }
    int Count(UINT msg) const {
        int n = 0;
        for (const auto& e : entries)
            n += e.msg == msg;
        return n;
    }
    std::vector<Entry> Of(UINT msg) const {
        std::vector<Entry> out;
        for (const auto& e : entries)
            if (e.msg == msg)
                out.push_back(e);
        return out;
    }
};

// Client point of a window in screen coordinates.
inline POINT ToScreen(HWND window, int x, int y) {
    POINT pt = {x, y};
    ::ClientToScreen(window, &pt);
    return pt;
}

// The real cursor goes there first: TrackMouseEvent reports a leave at once
// when the cursor is elsewhere.
inline void MoveMouse(HWND window, int x, int y) {
    if (!PlacePointer(window, x, y))
        ADD_FAILURE() << "the cursor did not reach " << x << "," << y << " of the window";
    ::PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

inline void ParkMouse() { ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 2, ::GetSystemMetrics(SM_CYSCREEN) - 2); }

// Power actions recorded instead of carried out.
struct SessionRecord {
    std::vector<std::string> calls;
    HWND focusAtCall = nullptr;
};
inline SessionRecord& Recorded() {
    static SessionRecord r;
    return r;
}
inline void RecordCall(const char* what) {
    Recorded().calls.push_back(what);
    Recorded().focusAtCall = ::GetFocus();
}
inline void InstallSessionRecorders() {
    Recorded() = SessionRecord{};
    SessionApi& api = Session();
    api.exitWindows = [](UINT flags, DWORD) -> BOOL {
        RecordCall(flags == EWX_SHUTDOWN ? "shutdown" : flags == EWX_REBOOT ? "reboot" : flags == EWX_LOGOFF ? "logoff"
                                                                                                             : "exit?");
        return TRUE;
    };
    api.lockWorkStation = []() -> BOOL {
        RecordCall("lock");
        return TRUE;
    };
    api.setSuspendState = [](BOOLEAN hibernate, BOOLEAN force, BOOLEAN wake) -> BOOLEAN {
        RecordCall(!hibernate && !force && !wake ? "sleep" : "suspend?");
        return TRUE;
    };
    api.disconnectSession = [](HANDLE, DWORD, BOOL wait) -> BOOL {
        RecordCall(wait ? "disconnect-wait?" : "disconnect");
        return TRUE;
    };
    api.enableShutdownPrivilege = [] { RecordCall("privilege"); };
}

// Writes a skin folder into a temp folder and loads it into gSkin. Images:
// bg.bmp (the background), focus.bmp, normal.bmp, pressed.bmp, all.bmp (100),
// back.bmp (101), mark.bmp (7) and picture.bmp (a stand-in account picture).
class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::gModule.Init(::GetModuleHandleW(nullptr));
        StartGdiplusOnce();
        FreshSkin();
        InstallSessionRecorders();
        ParkMouse();
        listFile = dir.Join(L"applist.lst");
    }
    void TearDown() override {
        menu.reset();
        startButton.reset();
        m_accountKey.reset();
    }

    void WriteImages() {
        dir.MakeDir(L"skin");
        dir.WriteFile(L"skin\\bg.bmp", BmpBytes(300, 400, 0x30, 0x40, 0x90));
        dir.WriteFile(L"skin\\focus.bmp", BmpBytes(120, 30, 0xF0, 0xA0, 0x20));
        dir.WriteFile(L"skin\\normal.bmp", BmpBytes(120, 30, 0x20, 0x20, 0x20));
        dir.WriteFile(L"skin\\pressed.bmp", BmpBytes(120, 30, 0xC0, 0x10, 0x10));
        dir.WriteFile(L"skin\\all.bmp", BmpBytes(16, 16, 0x10, 0xC0, 0x10));
        dir.WriteFile(L"skin\\back.bmp", BmpBytes(18, 18, 0xC0, 0xC0, 0x10));
        dir.WriteFile(L"skin\\mark.bmp", BmpBytes(20, 4, 0xFF, 0xFF, 0xFF));
        dir.WriteFile(L"skin\\picture.bmp", BmpBytes(48, 48, 0xE0, 0x60, 0xB0));
    }

    // Writes the list file (UTF-8, as the options program does) with the given lines.
    void WriteList(const std::vector<std::wstring>& lines) {
        std::wstring text = L"# Application List\r\n# encoding: UTF-8\r\n";
        for (const std::wstring& line : lines)
            text += line + L"\r\n";
        std::string bytes = "\xEF\xBB\xBF" + Narrow(text);
        dir.WriteFile(L"applist.lst", bytes);
    }

    // Loads [DESIGN] + [BUTTON] + [RESOURCE] text; the skin folder is "skin".
    int LoadSkin(const std::string& design, const std::string& buttons, const std::string& resources = "") {
        WriteImages();
        std::string text = "[DESIGN]\r\nSKIN.PATH=skin\r\nDEFAULT.FONT.NAME=Liberation Sans\r\n"
                           "DEFAULT.FONT.SIZE=10\r\n" +
                           design + "\r\n[BUTTON]\r\n" + buttons + "\r\n[RESOURCE]\r\n" + resources + "\r\n";
        std::wstring path = dir.WriteFile(L"skin.cfg", text);
        gSkin.pMenuBackground = nullptr; // kept across loads by design; each test starts clean
        gSkin.SetConfigPath(path.c_str());
        return gSkin.Load((dir.path() + L"\\").c_str());
    }

    // Points the account picture at picture.bmp (the registry value the skin reads).
    void UseTestAccountPicture(bool lookAgain = true) {
        const std::wstring path =
            std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AccountPicture\\Users\\") +
            gSkin.GetAccountSid();
        m_accountKey = std::make_unique<RegistryKeyGuard>(HKEY_LOCAL_MACHINE, path);
        ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, path, L"Image96", dir.Join(L"skin\\picture.bmp")));
        if (lookAgain)
            gSkin.RetryAccountPicture(); // an earlier test may have found none
    }

    // The start button stand-in and the menu, created hidden as the start button does.
    void CreateMenu(bool withStartButton = true) {
        if (withStartButton) {
            startButton = std::make_unique<RecordingWnd>();
            RECT rc = {0, 0, 60, 40};
            ASSERT_TRUE(startButton->Create(nullptr, rc, L"start stand-in", WS_POPUP, WS_EX_TOOLWINDOW));
            m_hStart = startButton->m_hWnd;
        }
        menu = std::make_unique<CMenuWnd>(m_hStart);
        ASSERT_TRUE(menu->CreateMenuWindow());
        if (startButton)
            startButton->watched = menu->m_hWnd;
    }

    RECT MenuRect() const {
        RECT rc{};
        ::GetWindowRect(menu->m_hWnd, &rc);
        return rc;
    }

    fw::ComScope com;
    TempDir dir;
    std::wstring listFile; // the application list WriteList writes
    HWND m_hStart = nullptr;
    std::unique_ptr<RecordingWnd> startButton;
    std::unique_ptr<CMenuWnd> menu;

private:
    std::unique_ptr<RegistryKeyGuard> m_accountKey; // the machine's own picture comes back
};

// One button of the given keys: "<name>.<key>=<value>" lines from "key=value" pairs.
inline std::string Button(const std::string& name, const std::vector<std::string>& keys) {
    std::string out;
    for (const auto& k : keys)
        out += name + "." + k + "\r\n";
    return out;
}

// What a popup menu of this process looked like while it was open; the
// watcher closes it. Timers keep running inside the popup's modal loop.
struct PopupSeen {
    bool open = false;
    std::vector<UINT> ids;
    RECT rc{};
    std::function<void()> whileOpen;
};
inline PopupSeen* g_seen = nullptr;

inline void CALLBACK WatchPopup(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_seen || g_seen->open)
        return;
    HWND popup = nullptr;
    while ((popup = ::FindWindowExW(nullptr, popup, L"#32768", nullptr)) != nullptr) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(popup, &pid);
        if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(popup))
            break;
    }
    if (!popup)
        return;
    g_seen->open = true;
    ::GetWindowRect(popup, &g_seen->rc);
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < ::GetMenuItemCount(menu); ++i)
        g_seen->ids.push_back(::GetMenuItemID(menu, i));
    if (g_seen->whileOpen)
        g_seen->whileOpen();
    ::EndMenu();
}

// Runs action (which opens a popup modally) with the watcher active.
inline PopupSeen WatchWhile(const std::function<void()>& action, const std::function<void()>& whileOpen = {}) {
    PopupSeen seen;
    seen.whileOpen = whileOpen;
    g_seen = &seen;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 100, WatchPopup);
    action();
    ::KillTimer(nullptr, timer);
    g_seen = nullptr;
    return seen;
}
