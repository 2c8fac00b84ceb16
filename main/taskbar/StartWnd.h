// The Start button: a child window of the shell's taskbar that draws one of
// three frames of the skin's button bitmap (normal, hot, pressed), toggles the
// start menu on a left click and offers "Properties", "Open Windows Explorer"
// and "Exit Velmar" on a right click.
//
// Lifecycle: FindTaskbar (below) fills hTaskbar and hRebar, then the window
// is created as the taskbar's child; its WM_CREATE places it and pushes
// the rebar aside. The menu object is made, hidden, at start-up's first idle
// moment (kMsgPrepareMenu), or at the first click should that come first, and
// lives as long as the button object. WM_DESTROY removes the hook, destroys the menu
// window and asks the taskbar to lay out again. Destroying the object also
// covers a window that vanished with its taskbar without a WM_DESTROY.
//
// Every secondary taskbar (one per further monitor) gets a button of its own
// (bSecondary). Such a button owns no menu: it hands its presses to the
// primary button, which opens the one menu on the pressing button's monitor
// and sends that button the mode messages while the menu is open there.
#pragma once

#include "MenuProtocol.h"
#include "Taskbar.h"
#include "Window.h"
#include "resource.h"

#include <memory>

class CMenuWnd;

// The window property that mirrors nMode, for tools outside the process (the
// end-to-end tests): another process cannot see the button's pixels everywhere.
constexpr wchar_t kModeProperty[] = L"Velmar.Start.Mode";

// secondary button -> primary button: a press, wParam as the press's, lParam
// the secondary button's window.
constexpr UINT kMsgPressFrom = WM_APP + 0x20;
// secondary button -> primary button (sent) and -> its owner (posted): the
// button's window, in lParam, is being destroyed.
constexpr UINT kMsgButtonGone = WM_APP + 0x21;
// -> the primary button, sent at start-up's first idle moment: the hidden
// menu is made with the pictures of its first opening.
constexpr UINT kMsgPrepareMenu = WM_APP + 0x22;

class CStartWnd : public fw::CWindowImpl<CStartWnd> {
public:
    CStartWnd();
    ~CStartWnd() override;

    int nMode = 0;            // 0 normal, 1 hot (mouse over), 2 pressed (menu open)
    HWND hRebar = nullptr;    // the taskbar's "ReBarWindow32"
    HWND hTaskbar = nullptr;  // the "Shell_TrayWnd" window, the parent
    int nSize = 54;           // extent along the taskbar, scaled by the taskbar's DPI
    int nDpi = 96;            // the DPI of the taskbar's monitor
    bool bSecondary = false;  // on a secondary taskbar: presses go to the primary button
    // On a taskbar with its own Start button: that "Start" child, which this
    // button covers and follows; none where the button pushes the band aside.
    HWND hShellStart = nullptr;
    // On a taskbar drawn by XAML this window is message-only: no button is placed.
    bool bPlaced = true;
    HWND hOwner = nullptr;    // a secondary button's owner, told when the window goes
    // The button the menu was opened from, which gets its mode messages.
    HWND hMenuOrigin = nullptr;
    // Deleted only once none of its messages runs (it may be in its context menu).
    std::unique_ptr<CMenuWnd, fw::WindowDeleter> pMenu;

    BEGIN_MSG_MAP(CStartWnd)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(0x02E3 /* WM_DPICHANGED_AFTERPARENT */, OnDpiChanged)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        // The class has CS_DBLCLKS: a quick second press arrives as a double click.
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDown)
        MESSAGE_HANDLER(kMsgSetMode, OnSetMode)
        MESSAGE_HANDLER(kMsgPressFrom, OnPressFrom)
        MESSAGE_HANDLER(kMsgButtonGone, OnButtonGone)
        MESSAGE_HANDLER(kMsgPrepareMenu, OnPrepareMenu)
        MESSAGE_HANDLER(kMsgShellStartMoved, OnShellStartMoved)
        COMMAND_ID_HANDLER(ID_START_EXIT, OnCmdExit)
        COMMAND_ID_HANDLER(ID_START_EXPLORER, OnCmdExplorer)
        COMMAND_ID_HANDLER(ID_START_PROPERTIES, OnCmdProperties)
    END_MSG_MAP()

    LRESULT OnContextMenu(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnClose(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnDpiChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnMouseLeave(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSetMode(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnPressFrom(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnButtonGone(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnPrepareMenu(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnShellStartMoved(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnCmdExit(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnCmdExplorer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnCmdProperties(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    // Places button and band again for the taskbar's present place and scale
    // (a display change); a secondary button by its own taskbar's edge.
    void FollowTaskbar();

private:
    // Sets nMode and repaints the whole button.
    void SetMode(int mode);
    int MenuShown() const;
    void DestroyMenuWindow();
    // The menu object with its (hidden) window; false when it cannot be made.
    bool EnsureMenu();
    // Opens or closes the menu for a press (wParam as WM_LBUTTONDOWN's) on `origin`.
    void ToggleMenu(WPARAM wParam, HWND origin);
    // The button a Windows key press opens the menu at: the one on the monitor
    // of the foreground window, this one when that monitor has none.
    HWND KeyOrigin() const;
    void ReleaseHook();

    bool m_bHooked = false;        // Pegwell's hook is installed (or holds this band)
    bool m_bMenuShownHere = false; // a secondary button's pressed state, from the mode messages
    TaskbarAnswer m_taskbarAnswer; // the shell's last answer on the taskbar's edge
};

// The primary Start button's window once it exists: where a secondary button
// sends its presses and the Windows key its click (read on the hook's thread).
extern HWND gStartButton;

// The shell's taskbar (FindShellTaskbar: never another program's top-level
// "Shell_TrayWnd") and its first "ReBarWindow32" child, stored in the button's
// hTaskbar and hRebar. Returns the taskbar, or none when either is missing.
HWND FindTaskbar(CStartWnd& button);

// Creates the button window as a child of button.hTaskbar, publishes it in
// gStartButton and shows it with showCommand. Returns the window, or none.
// On a taskbar drawn by XAML, whose layout cannot be known, the window is
// message-only instead: the menu and the Windows key work, no button shows.
HWND CreateStartButton(CStartWnd& button, int showCommand);

// The same for a button on a secondary taskbar (button.bSecondary set,
// hTaskbar and hRebar filled); gStartButton stays the primary button. None on
// a taskbar drawn by XAML.
HWND CreateSecondaryButton(CStartWnd& button);

// This process's Start button on the secondary taskbar of `monitor`, or none.
HWND SecondaryButtonOn(HMONITOR monitor);
