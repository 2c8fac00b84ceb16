// The Start menu: one borderless, topmost popup whose look comes from the skin.
//
// Lifecycle: the start button constructs the object with a reference to its own
// window handle, creates the window ("Velmar.Menu.Class", hidden) and then only
// calls ShowMenu to show or hide it. OnCreate builds the skin buttons and the
// two lists (pinned list 1200, all-programs tree 1201; either may be missing,
// the menu then works without it). The menu hides itself when it loses the
// activation. At shutdown the start button destroys the window and waits for
// ReleasedEvent(), which OnDestroy signals after every child is gone; then it
// deletes the object.
//
// Messages to the start button: kMsgSetMode (MenuProtocol.h).
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "Handles.h"
#include "MenuKeyboard.h"
#include "MenuProtocol.h"
#include "MenuSearch.h"
#include "MenuSearchIndex.h"
#include "PaintCache.h"
#include "Window.h"
#include "resource.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// Commands the skin buttons post (the ID key of each button selects one).
enum MenuCommand : UINT {
    kCmdShutdown = 0x100,     // ID key 9; its auto-open zone posts kCmdPowerMenu
    kCmdPowerMenu = 0x101,
    kCmdDocuments = 0x102,    // ID key 2
    kCmdPictures = 0x103,     // 3
    kCmdMusic = 0x104,        // 4
    kCmdComputer = 0x105,     // 5
    kCmdControlPanel = 0x106, // 6
    kCmdPrinters = 0x107,     // 7
    kCmdPrograms = 0x108,     // 8: the Default Programs page
    kCmdUser = 0x109,         // 1: the user's folder, captioned with the account name
    kCmdAllApps = 0x10A,      // 10: no handler; its auto-open zone posts kCmdToggleAllApps
    kCmdToggleAllApps = 0x10B,
    kCmdUserAccount = 0x10C,  // 0: the account picture
    // kRecentItemsIdKey: the Recent Items button. A click and its zone both
    // open the popup of recent documents, a cascade as from a menu item.
    kCmdRecentItems = 0x8020,
    kCmdRecentItemsMenu = 0x8021,
};

// The Recent Items button's ID key: past the numbers skins are told to give
// their own buttons (11-254, 269-32767), so no existing skin gets it unasked.
constexpr int kRecentItemsIdKey = 32768;

// What resting on a button does to the account picture.
enum MenuHover : int {
    kHoverNone,
    kHoverIcon,    // the button's icon, when it has one, stands in for the picture
    kHoverPicture, // the picture itself shows
};

// One row of the button table: what a skin button's ID key makes of it.
struct MenuButtonRole {
    int nIdKey;
    UINT nCommand;    // posted by its click
    int nShellFolder; // CSIDL, -1 none: opened by a folder command, offered by a right click
    GUID knownFolder; // of the right-click menu, GUID_NULL none
    MenuHover nHover;
};

// Where the menu opens: the monitor of the taskbar the request came from, that
// monitor's work area, the Start button's screen rectangle, the taskbar's edge
// (ABE_*) and its thickness.
struct MenuAnchor {
    RECT monitor;
    RECT work;
    RECT button;
    int edge;
    int offset;
};

class CMenuItemWnd;
struct _skinButton;
class CTreeWnd;

class CMenuWnd : public fw::CWindowImpl<CMenuWnd> {
public:
    // The start button's window handle, read at every use; it may be null.
    explicit CMenuWnd(HWND& startButton);
    virtual ~CMenuWnd();

    // Creates the hidden menu window: title "Velmar.Menu.Class", topmost tool popup.
    HWND CreateMenuWindow();
    // Makes, ahead of the first opening, the pictures it shows (the window is
    // left hidden).
    void PrepareFirstPicture();

    // show != 0 shows the menu by the taskbar (offset = its height, edge = ABE_*);
    // 0 hides it. Both reset the buttons and the lists.
    void ShowMenu(int show, int offset, int edge);
    // The same by the taskbar the anchor describes, on any monitor.
    void ShowMenu(int show, const MenuAnchor& anchor);
    int IsMenuVisible() const { return m_bVisible; }
    int IsAlive() const { return m_bAlive; }
    HANDLE ReleasedEvent() const { return m_hReleased.get(); }
    // 1 once when the menu was just hidden because a press on the start button
    // took the activation: that press must not open the menu again.
    int TakeClosedByButtonPress();

    static MenuButtonRole RoleOfButton(int idKey);
    // The table's row of a command, null for a custom button's.
    static const MenuButtonRole* RoleOfCommand(UINT command);
    // A skin CMD "file|...|parameters": the file before the first "|", the
    // parameters after the last one; without "|" the file stays empty (nothing
    // starts). Each part is cut to its capacity.
    static void SplitCommand(const wchar_t* command, wchar_t* file, size_t fileCapacity, wchar_t* parameters,
                             size_t parametersCapacity);

    // Top-left corner of a menu of the given size by a taskbar at `edge` of the
    // monitor; x is measured from screen coordinate 0.
    static POINT MenuPosition(const RECT& monitor, SIZE menu, int offset, int edge, int startHeight);
    // MenuPosition counted from the anchor's monitor, then moved wholly into
    // its work area. A menu larger than the work area keeps its size and lies
    // at the work area's side nearest the button, per axis. An empty work area
    // (or one beside the monitor) counts as the whole monitor.
    static POINT PlaceMenu(const MenuAnchor& anchor, SIZE menu, int startHeight);
    // Leaves "Properties" alone in the menu's own context menu (133): drops
    // "Options" and the separators it leaves behind.
    static void PruneContextMenu(HMENU popup);

    // The skin's sizes are design units at 96 DPI. The menu's size at dpi, and a
    // button's rectangle in the menu (POS.X/Y/WIDTH/HEIGHT scaled by their edges).
    static SIZE MenuSizeAt(int dpi);
    static RECT ButtonRectAt(const _skinButton& skin, int dpi);
    // Lays the menu out again for dpi: its size, the buttons and the lists.
    void ApplyDpi(int dpi);
    int GetDpi() const { return m_nDpi; }

    // The button with this skin ID key, or null.
    CMenuItemWnd* FindButton(int idKey) const;
    int IsAllProgramsMode() const { return m_nAllAppMode; }

    // Keys while typed text searches (MenuWndSearch.cpp): Backspace edits, Enter
    // starts the highlighted or first result, Esc clears the search and brings
    // the list back, Up/Down move the highlight. False, and nothing done, when
    // no search runs or the key is not one of these.
    bool OnSearchKey(UINT vk);
    const std::wstring& GetSearchText() const { return m_strSearch; }
    // Null until the menu window exists.
    const CSearchIndexer* GetSearchIndexer() const { return m_pSearchIndex.get(); }

    BEGIN_MSG_MAP(CMenuWnd)
    MESSAGE_HANDLER(WM_ACTIVATE, OnActivate)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_DPICHANGED, OnDpiChanged)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
    MESSAGE_HANDLER(WM_TIMER, OnTimer)
    MESSAGE_HANDLER(kMsgUserCommand, OnUserCommand)
    MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
    MESSAGE_HANDLER(WM_SYSKEYDOWN, OnKeyDown)
    MESSAGE_HANDLER(kMsgPointerHighlight, OnPointerHighlight)
    MESSAGE_HANDLER(WM_CHAR, OnChar)
    MESSAGE_HANDLER(kMsgSearchIndexed, OnSearchIndexed)
    COMMAND_ID_HANDLER(kCmdShutdown, OnShutdown)
    COMMAND_ID_HANDLER(kCmdPowerMenu, OnPowerMenu)
    COMMAND_ID_HANDLER(kCmdDocuments, OnOpenDocument)
    COMMAND_ID_HANDLER(kCmdPictures, OnOpenPicture)
    COMMAND_ID_HANDLER(kCmdMusic, OnOpenMusic)
    COMMAND_ID_HANDLER(kCmdComputer, OnOpenComputer)
    COMMAND_ID_HANDLER(kCmdControlPanel, OnOpenControlPanel)
    COMMAND_ID_HANDLER(kCmdPrinters, OnOpenPrinters)
    COMMAND_ID_HANDLER(kCmdPrograms, OnOpenPrograms)
    COMMAND_ID_HANDLER(kCmdUser, OnOpenUser)
    COMMAND_ID_HANDLER(kCmdToggleAllApps, OnClickAllApp)
    COMMAND_ID_HANDLER(kCmdUserAccount, OnOpenUserAccount)
    COMMAND_ID_HANDLER(ID_SHUTDOWN_SWITCHUSER, OnSwitchUser)
    COMMAND_ID_HANDLER(ID_SHUTDOWN_LOGOFF, OnLogOff)
    COMMAND_ID_HANDLER(ID_SHUTDOWN_RESTART, OnRestart)
    COMMAND_ID_HANDLER(ID_SHUTDOWN_SLEEP, OnSleep)
    COMMAND_ID_HANDLER(ID_SHUTDOWN_LOCK, OnLock)
    COMMAND_ID_HANDLER(ID_POPUP_PROPERTIES, OnProperties)
    COMMAND_ID_HANDLER(ID_POPUP_OPTIONS, OnOptions)
    COMMAND_ID_HANDLER(kCmdRecentItems, OnRecentItems)
    COMMAND_ID_HANDLER(kCmdRecentItemsMenu, OnRecentItems)
    MESSAGE_HANDLER(kMsgRecentRead, OnRecentDocs)
    END_MSG_MAP()

    // The pinned rows' arrows for the recent documents read so far (MenuWndRecent.cpp).
    void UpdatePinnedDocuments();

private:
    static constexpr UINT kMsgSearchIndexed = WM_APP + 0x55; // posted by the search indexer's thread
    static constexpr UINT kMsgRecentRead = WM_APP + 0x57;    // posted by the recent documents' thread: a new list is out

    LRESULT OnActivate(UINT, WPARAM, LPARAM, BOOL&);
    // Only from outside (taskkill, Restart Manager; Alt+F4 just hides the
    // menu): the program ends as "Exit Velmar" ends it, never leaving the
    // button without its menu.
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&) {
        ::PostQuitMessage(0);
        return 0;
    }
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDpiChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNotify(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnUserCommand(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);

    // Keys (MenuWndKeys.cpp). Every key of the menu and its children comes
    // through OnKeyDown: the search first, then the navigation.
    LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPointerHighlight(UINT, WPARAM, LPARAM, BOOL&);
    MenuKeyLayout KeyLayout() const;
    void KeysBackToResults();
    // Enter and Space: what a click on the highlighted part does.
    void ActivateKeyStop(const MenuKeyStop& stop);
    // The context-menu key and Shift+F10: the shell's menu of the highlighted part, at it.
    void KeyContextMenu(const MenuKeyStop& stop);
    // Esc: an open folder closes, then the all-programs view, then the menu.
    void EscapeKey(const MenuKeyStop& stop);
    // A highlighted folder button lends its icon to the account picture, as resting on it does.
    void KeyHoverPicture(const MenuKeyStop& stop);
    LRESULT OnChar(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSearchIndexed(UINT, WPARAM, LPARAM, BOOL&);

    // Commands (MenuCommands.cpp).
    LRESULT OnShutdown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPowerMenu(UINT, WPARAM, LPARAM, BOOL&);
    // The folder commands open the shell folder of their row in the button table.
    LRESULT OnOpenDocument(UINT, WPARAM wParam, LPARAM, BOOL&) { return OpenFolderOf(wParam); }
    LRESULT OnOpenPicture(UINT, WPARAM wParam, LPARAM, BOOL&) { return OpenFolderOf(wParam); }
    LRESULT OnOpenMusic(UINT, WPARAM wParam, LPARAM, BOOL&) { return OpenFolderOf(wParam); }
    LRESULT OnOpenComputer(UINT, WPARAM wParam, LPARAM, BOOL&) { return OpenFolderOf(wParam); }
    LRESULT OnOpenControlPanel(UINT, WPARAM wParam, LPARAM, BOOL&) { return OpenFolderOf(wParam); }
    LRESULT OnOpenPrinters(UINT, WPARAM wParam, LPARAM, BOOL&) { return OpenFolderOf(wParam); }
    LRESULT OnOpenUser(UINT, WPARAM wParam, LPARAM, BOOL&) { return OpenFolderOf(wParam); }
    LRESULT OpenFolderOf(WPARAM command);
    LRESULT OnOpenPrograms(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClickAllApp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOpenUserAccount(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSwitchUser(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLogOff(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRestart(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSleep(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLock(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnProperties(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOptions(UINT, WPARAM, LPARAM, BOOL&);
    void OpenSpecialFolder(int folder);

    // Recent documents (MenuWndRecent.cpp).
    LRESULT OnRecentItems(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRecentDocs(UINT, WPARAM, LPARAM, BOOL&);
    // Right on a highlighted part with a popup of documents opens it: true when it did.
    bool OpenRecentByKey(const MenuKeyStop& stop);

    void CreateButtons();
    // The button whose window this is, or null.
    CMenuItemWnd* ButtonOfWindow(HWND window) const;
    CTreeWnd* ListOfWindow(HWND window) const;

    // Showing and hiding (MenuWndShow.cpp).
    void RefreshMenu(bool showing);
    void ShowLateAccountPicture();
    // While the menu is open, the first moment with no input, paint or posted
    // message waiting brings the hidden all-programs tree up to date, so that
    // the toggle only has to show it.
    void ScheduleTreeUpdate(int showing);
    // The user picture button (ID key 0) shows icon and image; drawStateImage 0
    // repaints at once, startTimer repaints once 300 ms later.
    void SetUserPicture(HICON icon, Gdiplus::Image* image, int drawStateImage, int startTimer);
    void FocusStartButton();

    // Painting (MenuWndPaint.cpp).
    bool PaintWithChildren(); // false when it could not: the background is then painted alone
    void DrawBackground(HDC dc);
    RECT WholeMenu() const; // the client area at the current DPI
    bool MakeBackground(HDC dc); // false without a skin background or a bitmap for it
    bool CopyBackground(HDC target, HDC compatible); // made with compatible when needed

    // Search (MenuWndSearch.cpp).
    void UpdateSearch();
    void ShowSearchLine();
    void ClearSearch();
    void MoveSearchHighlight(int step);
    void StartSearchResult();

    // The lists (MenuWndLists.cpp).
    using ListPtr = std::unique_ptr<CTreeWnd, fw::WindowDeleter>;
    void LoadAllPrograms();
    void LoadPinnedList();
    int LoadSearchResults(); // the results list, made on first use; 0 when it cannot be
    // The lists are optional everywhere: these do nothing for a missing one.
    void ShowList(const ListPtr& list, int show);
    static void CollapseList(const ListPtr& list);
    static HWND ListWindow(const ListPtr& list);

    fw::UniqueKernelHandle m_hReleased;

    DWORD m_dwClosedByButtonPress = 0; // tick of that hide, 0 when none
    int m_bVisible = 0;
    int m_bAlive = 0;
    HWND& m_hStartButton;
    // Skin ID key -> button; a key that two skin buttons share keeps both (the
    // first answers look-ups), so no button is lost or leaked.
    std::multimap<int, std::unique_ptr<CMenuItemWnd, fw::WindowDeleter>> m_buttons;
    // A list may be inside its modal context menu when it goes: the deleter waits for that.
    ListPtr m_pPinnedList;
    ListPtr m_pAllPrograms;
    ListPtr m_pSearchResults;
    std::unique_ptr<CSearchLineWnd, fw::WindowDeleter> m_pSearchLine;
    std::unique_ptr<CSearchIndexer> m_pSearchIndex;
    std::wstring m_strSearch;
    std::map<std::wstring, fw::UniqueIcon> m_searchIcons; // SearchPathKey -> icon, lent to the result rows
    int m_bSearchShown = 0; // the results and the search line stand in for the lists
    int m_bSearchPicked = 0; // the user moved the results' highlight: it stays on that entry
    int64_t m_nListTime = 0;
    int m_nAllAppMode = 0;
    int m_nDpi = 96;
    CPaintCache m_background; // the background with the skin's draw images
    CPaintSurface m_composed; // that background with the buttons' pictures, made at each full paint
    CMenuKeyboard m_keys;
    POINT m_keyCursor = {LONG_MIN, LONG_MIN}; // the pointer at the last key: a move from there is the mouse's
    int m_bKeyPicture = 0;                    // a key highlight put a folder icon on the account picture
    unsigned m_nRecentGeneration = 0;         // of the recent documents the pinned rows' arrows show
    std::map<std::wstring, std::wstring> m_pinnedPrograms; // pinned path -> the program it starts (shortcuts resolved)
};
