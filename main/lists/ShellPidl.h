// The shell's own context menu for one item (the menu Explorer shows for a
// file, shortcut or folder), for the windows that offer it: the menu buttons
// and the list controls derive from this class.
//
// Order of one showing: the shell fills a popup with command identifiers
// counted from 1; OnCustomizeMenu prunes it; TrackPopupMenu runs modally and
// returns the chosen identifier; the shell carries out that command (offset =
// identifier - 1) and, only when it succeeded, OnInvoked hears of it.
// Everything runs on the UI thread, a single-threaded COM apartment.
//
// While the popup is tracked, the shell's submenus ("Send to", "Open with")
// fill themselves and its owner-drawn items draw themselves only when the
// owner hands WM_INITMENUPOPUP, WM_MEASUREITEM, WM_DRAWITEM and WM_MENUCHAR to
// the context menu: every deriving window puts SHELL_MENU_MESSAGES() first in
// its message map.
#pragma once

#include <windows.h>
#include <shlobj.h>

class CShellPidl {
public:
    CShellPidl() = default;
    virtual ~CShellPidl();
    CShellPidl(const CShellPidl&) = delete;
    CShellPidl& operator=(const CShellPidl&) = delete;

    // After-invoke hook: the shell carried out the command at this offset.
    virtual void OnInvoked(UINT offset, const CMINVOKECOMMANDINFO& info);
    // Menu-customisation hook: the filled popup, before it is shown.
    virtual void OnCustomizeMenu(HMENU menu);
    // Commands a deriving window adds in OnCustomizeMenu take identifiers from
    // kOwnCommandFirst on, above every identifier the shell is given; choosing
    // one calls OnOwnCommand instead of the shell.
    static constexpr UINT kOwnCommandFirst = 0x80000;
    virtual void OnOwnCommand(UINT id);
    // A popup with only the deriving window's commands (for items the shell has
    // no menu for); 1 when it had any and was shown.
    int ShowOwnMenu(HWND owner, POINT pt);

    // Menu for `item` (relative to `folder`) at the screen point, owned by
    // `owner`. 1 when the menu was shown (chosen or not), 0 when the shell gave
    // no menu or could not fill it.
    int ShowItemContextMenu(HWND owner, IShellFolder* folder, LPCITEMIDLIST item, POINT pt);
    // Menu for a file system path; 1 when the menu was filled and shown, else 0
    // (for example when the parent folder does not exist).
    int ShowPathContextMenu(HWND owner, const wchar_t* path, POINT pt);
    // Absolute identifier list of a path through the desktop folder, freed by
    // the caller with CoTaskMemFree; null on failure.
    static LPITEMIDLIST PidlFromPath(const wchar_t* path);

    // Pruning helpers for the customisation hooks. RemoveCommands drops the
    // items with these command identifiers (a missing one removes nothing);
    // RemoveStraySeparators walks from the last position down to position 1
    // and drops a separator that ends the menu or precedes another separator.
    static void RemoveCommands(HMENU menu, const UINT* ids, size_t count);
    static void RemoveStraySeparators(HMENU menu);
    // The shell commands that neither the lists nor the folder buttons offer.
    static constexpr UINT kDroppedCommands[] = {17, 18, 25};

    // 1 when msg belongs to the tracked context menu, which took it (result
    // set); 0 for anything else and while no menu is tracked.
    int HandleShellMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    // The newest context-menu interface the item's object offers, used through
    // its IContextMenu part; null on failure.
    static IContextMenu* GetContextMenu(IShellFolder* folder, LPCITEMIDLIST item, int traceFailure);
    // Fills the item's menu with identifiers 1..lastId and tracks it; 1 when it was shown.
    int ShowContextMenu(HWND owner, IShellFolder* folder, LPCITEMIDLIST item, POINT pt, UINT lastId,
                        int traceFailure);
    void TrackAndInvoke(HWND owner, IContextMenu* contextMenu, HMENU popup, POINT pt);

    // The tracked menu's message interfaces (the newest it offers), held while it runs.
    IContextMenu2* m_pMenu2 = nullptr;
    IContextMenu3* m_pMenu3 = nullptr;
};

// The entry of SHELL_MENU_MESSAGES inside BEGIN_MSG_MAP ... END_MSG_MAP.
#define SHELL_MENU_MESSAGES()                                                                                         \
    if (HandleShellMenuMessage(uMsg, wParam, lParam, &lResult))                                                        \
        return TRUE;
