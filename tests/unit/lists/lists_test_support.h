// Test equipment for the menu's two lists: a skin with the list rectangle and
// an application list file of the test's own, the list controls found through
// the menu's child windows, and shortcuts in the prefix's Start Menu.
#pragma once

#include "Handles.h"
#include "TreeWnd.h"

#include "menu_test_support.h"
#include "tree_test_support.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

// The control behind a list window of the menu, or null.
inline CTreeWnd* ListOf(HWND menu, int id) {
    HWND window = ::GetDlgItem(menu, id);
    if (!window)
        return nullptr;
    auto* base = reinterpret_cast<fw::CWindowImplBase*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    return dynamic_cast<CTreeWnd*>(base);
}

inline std::vector<_treeNode*> TopLevel(CTreeWnd* list) { return Children(list->GetRoot()); }

inline std::vector<std::wstring> Names(CTreeWnd* list) {
    std::vector<std::wstring> out;
    for (_treeNode* item : TopLevel(list))
        out.push_back(item->szText);
    return out;
}

inline std::vector<int> Ids(CTreeWnd* list) {
    std::vector<int> out;
    for (_treeNode* item : TopLevel(list))
        out.push_back(item->nId);
    return out;
}

// The menu with a background of 300 x 400, the lists at (10,12) 180 x 330, the
// all-programs toggle (ID key 10) and an application list file in the test folder.
class ListsTest : public MenuTest {
protected:
    // more: ",name" of further buttons, then their keys.
    int LoadListsSkin(const std::string& moreNames = "", const std::string& moreKeys = "") {
        return LoadSkin("MENU.BACKGROUND=bg.bmp\r\nSKIN.APPLIST=" + Narrow(listFile) +
                            "\r\nMENU.APPLIST.X=10\r\nMENU.APPLIST.Y=12\r\nMENU.APPLIST.WIDTH=180\r\n"
                            "MENU.APPLIST.HEIGHT=330\r\nMENU.FOCUS.1=focus.bmp\r\nMENU.FOCUS.2=focus.bmp\r\n",
                        "BUTTON.ENABLED=all" + moreNames + "\r\n" +
                            Button("all", {"ID=10", "TEXT=All", "POS.X=10", "POS.Y=360", "POS.WIDTH=180",
                                           "POS.HEIGHT=30"}) + moreKeys,
                        "IMAGE.100=all.bmp\r\nIMAGE.101=back.bmp\r\nSTRING.100=All Programs\r\nSTRING.101=Back\r\n");
    }

    void CreateMenuWithLists() {
        CreateMenu();
        pinned = ListOf(menu->m_hWnd, kPinnedListId);
        all = ListOf(menu->m_hWnd, kAllProgramsId);
    }

    // The list's own visibility, whether or not the menu around it is shown (another
    // test's window may take the activation and so hide the menu).
    static bool Visible(CTreeWnd* list) {
        return list && (::GetWindowLongW(list->m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
    }

    CTreeWnd* pinned = nullptr;
    CTreeWnd* all = nullptr;
};

// The lists with the launch recorder writing what it was started with to `record`.
class LaunchRecordingTest : public ListsTest {
protected:
    void SetUp() override {
        ListsTest::SetUp();
        record = dir.Join(L"launch.txt");
        ::SetEnvironmentVariableW(L"LAUNCH_RECORD", record.c_str());
    }
    void TearDown() override {
        ::SetEnvironmentVariableW(L"LAUNCH_RECORD", nullptr);
        ListsTest::TearDown();
    }

    std::wstring record;
};

// A folder of this process in the prefix's user Start Menu, removed again.
class StartMenuFolder {
public:
    explicit StartMenuFolder(const std::wstring& name) {
        wchar_t programs[MAX_PATH] = {};
        ::SHGetSpecialFolderPathW(nullptr, programs, CSIDL_PROGRAMS, TRUE);
        m_path = std::wstring(programs) + L"\\" + name + L" " + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~StartMenuFolder() { TempDir::RemoveTree(m_path); }
    StartMenuFolder(const StartMenuFolder&) = delete;
    StartMenuFolder& operator=(const StartMenuFolder&) = delete;
    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
};

inline _treeNode* FindByPath(CTreeWnd* list, const std::wstring& path) {
    for (_treeNode* item : TopLevel(list))
        if (_wcsicmp(item->szPath, path.c_str()) == 0)
            return item;
    return nullptr;
}

// A click as the mouse makes it, posted to the list window.
inline void PostClick(HWND window, LPARAM at) {
    ::PostMessageW(window, WM_MOUSEMOVE, 0, at);
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(window, WM_LBUTTONUP, 0, at);
}
