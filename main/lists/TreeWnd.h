// CTreeWnd: the start menu's owner-drawn list and tree control, used for the
// pinned application list (control id 1200) and the all-programs tree (1201).
//
// Lifecycle: the owner constructs it with its window and the control id, then
// creates the window as its child (or calls BuildAllPrograms, which creates
// it), sets the row height, icon size and highlight image, and adds items.
// Items live until RemoveAll or WM_DESTROY; identifiers are never reused
// because the root keeps counting, but they may clash (a child's id can equal
// a top-level entry's): clicks and the hot row go by the drawn row's node.
// Folders (flag kTreeFolder) read their content on their first expansion and
// keep it until it changes on disk; CollapseAll hides it again. Entries read from the Start Menu get
// their text when their row is first painted and their icon from the icon
// thread (kTreePending*).
//
// The control reports a clicked entry to its owner with WM_NOTIFY, wParam =
// the control id, lParam = a _treeNotify that lives for the call only. It
// sends WM_NOTIFY 269 (no record) when its item context menu closed while the
// focus went elsewhere, and forwards WM_CONTEXTMENU outside items to the owner.
//
// Icon ownership: icons handed to AddItem stay the caller's. Icons that the
// control is asked to keep (AdoptIcon) - all icons made by BuildAllPrograms
// and by folder expansion - are destroyed by RemoveAll and WM_DESTROY unless
// handed over first (ReleaseIcon).
#pragma once

#include "Accessible.h"
#include "Dpi.h"
#include "Handles.h"
#include "MenuProtocol.h"
#include "PaintCache.h"
#include "RecentDocs.h"
#include "RecentPopup.h"
#include "ShellPidl.h"
#include "Window.h"

#include "ListCore.h"

#include <windows.h>
#include <gdiplus.h>
#include <shlobj.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

constexpr DWORD kTreeDrawText = 0x10;
constexpr DWORD kTreeDrawIcon = 0x20;
constexpr DWORD kTreeFolder = 0x40;       // content read on first expansion
constexpr UINT kTreeNotifyClick = 2;      // _treeNotify code: an item was clicked
constexpr int kAllProgramsRowHeight = 23;
// The arrow of a row with recent documents: a strip at the row's right, design pixels wide.
constexpr int kTreeArrowWidth = 22;
inline int ArrowLeft(const RECT& row, int dpi) { return row.right - fw::Scale(kTreeArrowWidth, dpi); }
// _treeNode::nPending: what is read from the item's path when its row is first painted.
constexpr int kTreePendingText = 1;
constexpr int kTreePendingIcon = 2;
constexpr int kTreePendingInFolder = 4; // the shell's display name, no program description
constexpr int kTreeIconRequested = 8;   // the icon thread is looking the icon up

// One item; all zero at creation.
struct _treeNode {
    _treeNode* pParent;     // the root for top-level items
    _treeNode* pChild;      // first child
    _treeNode* pNext;
    _treeNode* pPrev;
    wchar_t szText[256];
    int nChildren;          // children ever added (never decreases)
    int nId;
    int nLevel;             // root 0, top level 1
    int nIndex;             // 1-based position among its siblings at insertion
    int nHeight;            // row height in pixels
    DWORD dwFlags;          // kTreeDrawText | kTreeDrawIcon | kTreeFolder
    RECT rcItem;            // where the row was drawn last, client coordinates
    BOOL bExpanded;
    HICON hIcon;
    int64_t nLocationKey;   // key of the folder's location list, 0: its own path only
    wchar_t szPath[260];
    int nPending;           // kTreePending* flags, 0 once text and icon are known
    uint64_t nReadStamp;    // a folder's locations' write times when its content was read; 0 unread
};

// The WM_NOTIFY record of a clicked item.
struct _treeNotify {
    NMHDR hdr;              // hwndFrom: the control; idFrom: the item's nIndex; code: kTreeNotifyClick
    INT_PTR nId;            // the item's identifier
    wchar_t szText[256];
    wchar_t szPath[260];
};

// Key shared by the user's and the All Users' copy of a start-menu folder: the
// case-folded hash of the path from "Microsoft\Windows\Start Menu" on; 0 when
// the path has no such part.
int64_t StartMenuKey(const wchar_t* path);

class CTreeWnd : public fw::CWindowImpl<CTreeWnd>, public CShellPidl, private IAccessibleSource {
public:
    CTreeWnd(HWND owner, UINT controlId);
    ~CTreeWnd() override;

    BEGIN_MSG_MAP(CTreeWnd)
        SHELL_MENU_MESSAGES()
        RECENT_POPUP_MESSAGES()
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_NCPAINT, OnNcPaint)
        MESSAGE_HANDLER(WM_THEMECHANGED, OnLookChanged)
        MESSAGE_HANDLER(WM_SYSCOLORCHANGE, OnLookChanged)
        MESSAGE_HANDLER(WM_SETTINGCHANGE, OnLookChanged)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
        MESSAGE_HANDLER(WM_VSCROLL, OnVScroll)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        // The class has CS_DBLCLKS: a quick second press arrives as a double click.
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_MOUSEWHEEL, OnMouseWheel)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
        MESSAGE_HANDLER(kMsgIconsArrived, OnIconsArrived)
        MESSAGE_HANDLER(kMsgWakeIcons, OnWakeIcons)
        MESSAGE_HANDLER(kMsgOpenDocuments, OnOpenDocuments)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        // The menu keeps the keys: a list that took the focus (for the wheel) hands them on.
        MESSAGE_HANDLER(WM_KEYDOWN, OnKeyToOwner)
        MESSAGE_HANDLER(WM_SYSKEYDOWN, OnKeyToOwner)
        MESSAGE_HANDLER(WM_CHAR, OnKeyToOwner)
        MESSAGE_HANDLER(WM_GETOBJECT, OnGetObject)
    END_MSG_MAP()

    void SetHotImage(int image) { nHotImage = image; }
    void SetMaxRows(int rows) { nMaxRows = rows; }
    void SetSmallIcons(int smallIcons) { bSmallIcons = smallIcons; }
    // The page (window height / row height) is worked out again with the new height.
    // Sizes given to the list are design units, scaled by the DPI set here
    // before the rows are added.
    void SetDpi(int dpi) { m_nDpi = dpi; }
    int GetDpi() const { return m_nDpi; }
    void SetRowHeight(int height) {
        nRowHeight = fw::Scale(height, m_nDpi);
        nPageRows = 0;
    }
    int GetMaxRows() const { return nMaxRows; }
    int IsCreated() const { return bCreated; }
    HWND GetOwner() const { return m_hOwner; }
    UINT GetControlId() const { return m_nControlId; }

    // Appends an item under parent (null: top level); returns its identifier,
    // -1 when no memory was left. The icon stays the caller's.
    int AddItem(const wchar_t* text, HICON icon, DWORD flags, int height, _treeNode* parent = nullptr);
    int SetItemPath(int id, const wchar_t* path);
    int SetItemLocationKey(int id, int64_t key);
    // Puts a path at the head of the location list of key.
    void AddLocation(int64_t key, const wchar_t* path);
    // The paths of a location list, head first; null when the key has none.
    const std::vector<std::wstring>* GetLocations(int64_t key) const;
    // -1 finds the hot item.
    _treeNode* FindItem(int id) const;
    _treeNode* GetRoot() { return &m_root; }
    void RemoveAll();
    void CollapseAll();
    // The control destroys this icon when its items go (RemoveAll, WM_DESTROY).
    void AdoptIcon(HICON icon);
    // Hands an adopted icon over: the rows may go on showing it, the caller
    // destroys it after them. Null when the control does not own the icon.
    HICON ReleaseIcon(HICON icon);

    // Creates the window under the owner at rc (once), applies the all-programs
    // settings and fills the tree from the user's and All Users' Start Menu
    // folders. 1 when the window exists, 0 when it could not be created.
    int BuildAllPrograms(const RECT& rc);
    // The window and settings only (once): the menu fills the tree when it is
    // first shown, so that the first opening does not wait for the Start Menu.
    int CreateAllPrograms(const RECT& rc);
    // Lists the Start Menu folders' top level into the (emptied) tree. Only
    // names and paths are read here; text and icon come at the first paint.
    void FillAllPrograms();
    int IsFilled() const { return m_bFilled; }
    // 1 when filled and nothing read since has changed: neither a Start Menu
    // folder's top level nor any folder opened so far (an entry added, removed
    // or renamed, a folder made or gone).
    int IsAllProgramsCurrent() const;
    // Reads again what changed since it was read: the top level and the folders
    // opened so far (all of them after a change the system reported without
    // saying where). Entries that stay keep their row: text, icon, expansion,
    // highlight. Fills the tree when it is not filled.
    void RefreshAllPrograms();
    // Reads the texts of the rows the first paint shows, as that paint would.
    void ReadFirstPageTexts();
    // Reads a pending item's text and icon from its path at once. (The first
    // paint of a row reads its text at once and has the icon looked up on the
    // icon thread.)
    void ResolveItem(_treeNode* item);
    // The icon of an entry as a row shows it: the shortcut's own icon, else the shell's.
    static HICON LookUpIcon(const wchar_t* path, int folder, int smallIcons, IShellLinkW* link, int dpi = 96);
    // Reads a folder item's content (all its locations) as its children, again
    // when read before (rows of entries that stay are kept); 1 and expanded
    // when it has at least one entry.
    int ExpandFolder(_treeNode* folder, IShellLinkW* link);
    // Rows a paint draws (nMaxRows applies across levels) and their height.
    int CountRows(int* totalHeight);

    void OnCustomizeMenu(HMENU menu) override;
    // "Pin to Start menu" / "Unpin from Start menu" of the row whose menu runs.
    void OnOwnCommand(UINT id) override;

    // Keyboard. The rows a paint draws, in drawing order (rows scrolled out of
    // sight included, rows past nMaxRows not).
    std::vector<_treeNode*> Rows();
    _treeNode* GetHotItem() const { return HotItem(); }
    // The keyboard highlight: marks the row hot (null: none), scrolls it into
    // sight and tells screen readers.
    void HighlightRow(_treeNode* item);
    // What a click on the row does: a folder opens or closes, an entry is reported.
    void ActivateItem(_treeNode* item);
    // The row's shell context menu, at the row.
    void ShowRowMenu(_treeNode* item);
    // The row's place in client coordinates with the present scrolling.
    RECT RowRect(_treeNode* item);
    // The all-programs tree (folders, outline roles) rather than a flat list.
    int IsOutline() const { return m_bOutline; }

    // Recent documents of a row's program (TreeWndRecent.cpp). A row that has
    // some shows an arrow at its right; resting on the arrow or clicking it
    // opens the popup of those documents beside the row, and a chosen document
    // is reported to the owner as a clicked row is, with the document's path.
    // True when the row's documents changed.
    bool SetRowDocuments(const _treeNode* row, std::vector<RecentDocument> documents);
    bool HasRowDocuments(const _treeNode* row) const { return m_rowDocuments.count(row) != 0; }
    // The popup of the row from a message of the list's own, highlighting its
    // first document: the keys reach the list through its owner.
    void OpenRowDocumentsLater(const _treeNode* row);
    // The arrow's place in client coordinates (where the row was drawn last).
    RECT ArrowRect(const _treeNode* row) const;

    // Text drawing: at a position with the row's size, and in a rectangle
    // (the rectangle's own size, wrapping allowed).
    virtual void DrawItemText(Gdiplus::Graphics& graphics, const _treeNode* item, int x, int y, int width,
                              int height);
    virtual void DrawItemTextRect(Gdiplus::Graphics& graphics, const _treeNode* item, const RECT& rc);

    // Control state, in declaration order (read by the menu and the tests;
    // the menu changes settings through the setters above).
    int nTopRow = 0;
    int nMaxTop = 0;
    int nPageRows = 0;      // window height / row height, computed when first needed
    int bScrollBar = 1;     // the window has WS_VSCROLL
    int bCapture = 0;       // mouse captured after a press on an item
    int bInMenu = 0;        // item context menu running or an item click reported
    int nHotId = -1;
    int nHotImage = -1;     // focus image number of the highlight, -1 none
    int nMaxRows = 10;      // rows drawn and counted, -1 no limit
    int nRowHeight = 36;
    int bSmallIcons = 0;
    int bCreated = 0;
    int m_nDpi = 96;

    // Draws the whole list into its owner's off-screen picture at (x, y), as
    // its own paint would; false, with nothing drawn, when the list has a frame
    // or a shown scroll bar, which only its own paint draws.
    bool PaintFromMenu(HDC menuDc, int x, int y);

private:
    static constexpr UINT kMsgIconsArrived = WM_APP + 0x54; // posted by the icon thread
    static constexpr UINT kMsgWakeIcons = WM_APP + 0x56;    // posted to itself by the first request of a paint
    static constexpr UINT kMsgOpenDocuments = WM_APP + 0x58; // posted to itself: wParam generation, lParam row
    static constexpr UINT_PTR kArrowTimer = 0x2001;           // the pointer rests on a row's arrow
    struct IconWork;
    class IconThread;

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLookChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnVScroll(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseWheel(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnIconsArrived(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnWakeIcons(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOpenDocuments(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    // The pointer at pt over item: resting on its arrow opens its documents.
    void TrackArrow(const _treeNode* item, POINT pt);
    bool InArrow(const _treeNode* item, POINT pt) const;
    void OpenRowDocuments(const _treeNode* row, bool fromKeys);
    // The arrow in the row's place: the skin's picture, else a chevron in the text's colour.
    void PaintArrow(Gdiplus::Graphics& graphics, const RECT& row);
    LRESULT OnKeyToOwner(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetObject(UINT, WPARAM, LPARAM, BOOL&);

    // Screen readers: child id n is Rows()[n - 1].
    long AccChildCount() override;
    bool AccDescribe(long child, AccessibleItem* item) override;
    long AccFocusChild() override;
    bool AccDoDefault(long child) override;

    _treeNode* AddNode(const wchar_t* text, HICON icon, DWORD flags, int height, _treeNode* parent);
    // The node of the first drawn row under pt: ids may clash (a child's id
    // can equal a top-level entry's), the drawn rows cannot.
    _treeNode* HitTest(POINT pt) const;
    // The hot node: the one the mouse marked while nHotId still names it,
    // else the first node of that id.
    _treeNode* HotItem() const;
    void SetHot(_treeNode* item);
    void NotifyClick(const _treeNode* item);
    void FreeItems();
    // Walks siblings as the painter does; draws when graphics is given.
    int WalkRows(_treeNode* first, const RECT& area, int* top, int yOffset, Gdiplus::Graphics* graphics, HDC dc,
                 int* counter, int* totalHeight);
    void PaintBackground(HDC dc);
    void PaintRows(HDC dc, const RECT& client);
    // The scroll bar for the rows now shown (set only when it changed).
    void UpdateScrollBar();
    // Makes parent's children the sorted files, then the sorted folders
    // (merging folders by location key): a child already there for a path is
    // kept, one whose path is not listed any more goes. Returns their number.
    int AddEntries(_treeNode* parent, std::vector<std::wstring>& files, std::vector<std::wstring>& folders,
                   IShellLinkW* link, int expansion, int height);
    // Adds the packaged apps among the top level's entries (before the
    // folders); returns the generation of the apps' list they came from.
    unsigned AddPackagedApps(int height);
    void ResolveText(_treeNode* item);
    void RequestIcon(_treeNode* item);
    void StopIconThread();
    void DropIconRequests();
    IShellLinkW* Link();
    // The Start Menu folders a fill lists, watched from just before it lists them.
    struct FolderWatch {
        std::wstring path;
        HANDLE change;         // change notification, null where none could be set
        FILETIME written;      // last write time, zero while the folder is missing
    };
    void WatchFolder(const wchar_t* path);
    void CloseWatches();
    // Lists the Start Menu folders' top level (watching them when watch is set).
    void ListTopLevel(std::vector<std::wstring>* files, std::vector<std::wstring>* folders, int watch);
    // The folders a folder item's content is read from: its locations, else its own path.
    std::vector<std::wstring> FolderPaths(const _treeNode* folder) const;
    // Its content was read and has changed on disk since.
    int FolderChanged(const _treeNode* folder) const;
    // Reads a folder item's content into its children; their number.
    int ReadFolder(_treeNode* folder, IShellLinkW* link);
    // Takes an item and its children out of the tree (their memory stays until FreeItems:
    // an icon look-up on its way may still name them).
    void DropNode(_treeNode* item);

    HWND m_hOwner;
    UINT m_nControlId;
    _treeNode* m_pPressed = nullptr;
    _treeNode* m_pHot = nullptr;
    _treeNode m_root{};
    std::vector<std::unique_ptr<_treeNode>> m_nodes; // owns every item; the links between them only point
    std::map<int, _treeNode*> m_ids;
    std::map<int64_t, std::vector<std::wstring>> m_locations;
    std::vector<fw::UniqueIcon> m_ownedIcons;
    fw::ComPtr<IShellLinkW> m_link; // one link object for every shortcut look-up of the UI thread
    int m_bFilled = 0;
    unsigned m_nGeneration = 0; // counts the item sets: icons for a former one are dropped
    IconThread* m_pIconThread = nullptr;
    int m_bIconWakePosted = 0; // requests queued, the thread's wake on its way
    CPaintCache m_background; // the menu's background under the list
    // The scroll bar as the system drew it, kept with the look it was drawn in.
    struct BarLook {
        RECT window; // the window's size
        RECT client; // the client area in window coordinates
        SCROLLINFO info;
        DWORD state; // of the whole bar (shown, enabled)
        bool operator==(const BarLook& other) const;
    };
    // False while a part of the bar is pressed.
    bool CurrentBarLook(BarLook* look) const;
    // All of the frame is on the screen in dc and was in the update region.
    bool BarFullyShown(HDC dc, const BarLook& look, WPARAM updateRegion) const;
    CPaintSurface m_barPicture;
    int m_bBarKept = 0; // m_barPicture holds the bar of m_barLook
    BarLook m_barLook{};
    CPaintSurface m_offscreen; // where the rows are drawn before they are copied in one piece
    ListScrollBar m_lastBar{};
    int m_bBarSet = 0;
    std::vector<_treeNode*> m_drawn; // rows of the last paint in drawing order, for hit testing
    int m_bOutline = 0;
    CAccessibleHost m_accessible; // made at the first question of a screen reader
    std::vector<FolderWatch> m_watches;
    unsigned m_nAppsGeneration = 0; // of the packaged apps the tree lists
    // The row whose context menu runs (copied: a pin may reload the list meanwhile).
    void AddPinVerbs(HMENU menu);
    wchar_t m_szMenuPath[260] = {};
    wchar_t m_szMenuText[256] = {};
    int m_bMenuPinnable = 0;
    std::map<const _treeNode*, std::vector<RecentDocument>> m_rowDocuments;
    const _treeNode* m_pArrowRow = nullptr; // the row whose arrow the pointer is on
};
