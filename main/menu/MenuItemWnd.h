// One clickable area of the Start menu, drawn from one skin button record.
//
// Lifecycle: the menu constructs it with a reference to its own window handle,
// attaches the skin record and sets command id, shell folder, caption, overlay
// image, icon and cursor, then creates the window as its child. The menu resets
// it with SetState at every show and hide, and destroys and frees it.
//
// What it tells the menu:
//   click in the main area      -> WM_COMMAND (command id, 0), then WM_USER+4 (command id, ID key)
//   click in the auto-open zone -> WM_COMMAND (command id + 1, ID key)
//   rest in the zone (MENU.AUTO) -> WM_COMMAND (command id + 1, 0), once until re-armed
//   rest on the button (250 ms)  -> WM_NOTIFY (command id, record with the skin record), sent
//   mouse left (not after click) -> WM_NOTIFY (command id, record without skin record), sent
// The records live only for the SendMessage call. Folder buttons show the
// shell's context menu of their folder on a right click.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include "Accessible.h"
#include "PaintCache.h"
#include "RecentPopup.h"
#include "ShellPidl.h"
#include "Window.h"

struct _skinButton;

// WM_NOTIFY record of a button: hover carries the skin record, leave carries null.
struct MenuItemNotify {
    NMHDR hdr;               // hwndFrom = the button, idFrom = its command id, code 0
    _skinButton* pSkinButton;
};

class CMenuItemWnd : public fw::CWindowImpl<CMenuItemWnd>, public CShellPidl, private IAccessibleSource {
public:
    enum { kTimerAutoOpen = 0x1000, kTimerHover = 0x1001, kTimerRepaint = 0x1002 };
    enum { kHoverDelay = 250, kRepaintDelay = 300 };

    explicit CMenuItemWnd(HWND& menu);
    ~CMenuItemWnd() override;

    void SetSkinButton(_skinButton* button) { m_pSkinButton = button; }
    _skinButton* GetSkinButton() const { return m_pSkinButton; }
    void SetCommandId(UINT id) { m_nCommandId = id; }
    UINT GetCommandId() const { return m_nCommandId; }
    void SetShellFolder(int csidl) { m_nShellFolder = csidl; }
    int GetShellFolder() const { return m_nShellFolder; }
    void SetKnownFolder(const GUID& id) { m_knownFolder = id; }
    const GUID& GetKnownFolder() const { return m_knownFolder; }
    // Longer text is cut to the 127 characters of the caption.
    void SetCaption(const wchar_t* text);
    const wchar_t* GetCaption() const { return m_szCaption; }
    // width or height <= 0 draws the image at its natural size.
    void SetOverlayImage(Gdiplus::Image* image, int x, int y, int width, int height);
    Gdiplus::Image* GetOverlayImage() const { return m_pOverlay; }
    // The icon is borrowed, never destroyed here.
    void SetIcon(HICON icon, int x, int y);
    HICON GetIcon() const { return m_hIcon; }
    void SetDrawStateImage(int draw) { m_bDrawStateImage = draw; }
    void SetCursor(HCURSOR cursor) { m_hCursor = cursor; }
    // The skin's places and sizes are design units, drawn at this DPI.
    void SetDpi(int dpi);
    int GetDpi() const { return m_nDpi; }
    // Stops the one-shot repaint timer and starts it again when start != 0.
    void RestartRepaintTimer(int start);
    // Re-arms the auto-open and repaints in the given look (0 normal, 1 hover, 2 pressed).
    void SetState(int state);
    int GetState() const { return m_nState; }
    // 0 keeps the auto-open zone from opening again until the mouse has left
    // the button (a popup closed with the pointer still on it).
    void SetArmed(int armed) { m_bArmed = armed; }
    // 0: the mouse leaving is the button's again (a click kept it from being).
    void SetClicked(int clicked) { m_bClicked = clicked; }
    // The picture of the button as it looks now, made ahead (at an idle
    // moment) with dc, so that its first paint only copies it.
    void PrepareFace(HDC dc);
    // Copies that picture, when it is the button's current look, to the
    // menu's DC at the button's place; false when it has none.
    bool PaintFromMenu(HDC menuDc) const;

    // Keyboard. A button takes no part when inert (ACTIVATE=0).
    int IsActive() const;
    // The auto-open zone is a strip at the right (the power arrow) rather than the whole button.
    bool HasArrow() const;
    // Does what a click does: in the auto-open zone (zone true) or in the main area.
    void Press(bool zone);
    // Enter on the button: on its arrow when arrow, else on the button, whose
    // zone may be the whole button (the list toggle).
    void PressKey(bool arrow);
    // The keyboard highlight: 0 none, 1 the button, 2 its arrow. Shows the
    // hover look and tells screen readers.
    void SetKeyFocus(int part);
    int GetKeyFocus() const { return m_nKeyFocus; }

    // Drops the shell commands a folder button does not offer (17, 18, 25; 20 for
    // the profile folder; 28 for a known folder) and the separators left over.
    static void CustomizeFolderMenu(HMENU menu, int shellFolder, const GUID& knownFolder);

    BEGIN_MSG_MAP(CMenuItemWnd)
    SHELL_MENU_MESSAGES()
    RECENT_POPUP_MESSAGES()
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_NCPAINT, OnNcPaint)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
    MESSAGE_HANDLER(WM_TIMER, OnTimer)
    MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
    MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
    // The class has CS_DBLCLKS: a quick second press arrives as a double click.
    MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDown)
    MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
    MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
    // The menu keeps the keys; a button never should have the focus, but passes them on if it has.
    MESSAGE_HANDLER(WM_KEYDOWN, OnKeyToMenu)
    MESSAGE_HANDLER(WM_SYSKEYDOWN, OnKeyToMenu)
    MESSAGE_HANDLER(WM_CHAR, OnKeyToMenu)
    MESSAGE_HANDLER(WM_GETOBJECT, OnGetObject)
    END_MSG_MAP()

protected:
    void OnCustomizeMenu(HMENU menu) override;

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnKeyToMenu(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetObject(UINT, WPARAM, LPARAM, BOOL&);

    // Screen readers: the button, and its arrow as child 1.
    long AccChildCount() override;
    bool AccDescribe(long child, AccessibleItem* item) override;
    long AccFocusChild() override;
    bool AccDoDefault(long child) override;

    // The strip at the right side that opens the submenu; false when there is none.
    bool InAutoOpenZone(POINT pt) const;
    void StopTimer(UINT_PTR& timer);
    void Notify(_skinButton* button);
    // Everything that makes the button's picture.
    struct Look {
        int state;
        int drawStateImage;
        Gdiplus::Image* overlay;
        RECT overlayRect; // x, y, width, height
        HICON icon;
        POINT iconAt;
        wchar_t caption[128];
        bool operator==(const Look& other) const;
    };
    Look CurrentLook() const;
    void Paint(HDC dc);
    RECT PlaceInMenu() const;
    bool MakeFace(HDC dc, const RECT& placed);
    void PaintFace(HDC dc, const RECT& client);

    HWND& m_hMenu;
    GUID m_knownFolder = GUID_NULL;
    int m_nShellFolder = -1;
    UINT m_nCommandId = 0;
    _skinButton* m_pSkinButton = nullptr;
    int m_bDrawStateImage = 1;
    wchar_t m_szCaption[128] = {};
    Gdiplus::Image* m_pOverlay = nullptr;
    int m_nOverlayX = 0, m_nOverlayY = 0, m_nOverlayWidth = -1, m_nOverlayHeight = -1;
    HICON m_hIcon = nullptr;
    int m_nIconX = 0, m_nIconY = 0;
    int m_nState = 0;
    UINT_PTR m_nAutoOpenTimer = 0;
    int m_bArmed = 1;
    UINT_PTR m_nHoverTimer = 0;
    int m_bNotified = 0;
    UINT_PTR m_nRepaintTimer = 0;
    int m_bClicked = 0;
    int m_bCaptured = 0;
    HCURSOR m_hCursor = nullptr;
    int m_nKeyFocus = 0;
    CAccessibleHost m_accessible; // made at the first question of a screen reader
    int m_nDpi = 96;
    CPaintCache m_face; // the picture of m_faceLook
    Look m_faceLook{};
};
