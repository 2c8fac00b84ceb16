// Brings the Start button back when the shell creates its taskbar anew.
//
// A shell that restarts destroys its taskbar window, and the button with it
// (a child window), then broadcasts the registered message "TaskbarCreated"
// to the top-level windows. The button never sees that broadcast, so this
// hidden top-level window (not a message-only one: broadcasts skip those)
// listens for it and puts a new button on the new taskbar. The program keeps
// running while there is no taskbar.
//
// It also owns the buttons of the secondary taskbars: it looks for those
// taskbars at start, on "TaskbarCreated", when the monitors change
// (WM_DISPLAYCHANGE) and when the taskbar settings change ("Show taskbar on
// all displays", WM_SETTINGCHANGE), and each second for a few seconds after
// each of these, as the shell makes its taskbars a little later; it drops a
// button once its window is gone. On a display change the buttons also follow
// their taskbars' new place and scale.
//
// Closed from outside (WM_CLOSE from taskkill or Restart Manager) it ends the
// program as "Exit Velmar" does; at the end of the session (WM_ENDSESSION) it
// takes the buttons off the taskbars before it returns, as the process may
// not run any further.
#pragma once

#include "StartWnd.h"
#include "Window.h"

#include <memory>
#include <vector>

class CTaskbarWatch : public fw::CWindowImpl<CTaskbarWatch> {
public:
    // button: the program's button object, replaced here after a restart.
    CTaskbarWatch(std::unique_ptr<CStartWnd, fw::WindowDeleter>& button, int showCommand);

    HWND Create();
    UINT TaskbarCreatedMessage() const { return m_uTaskbarCreated; }

    // A button on every secondary taskbar that has none; drops those whose window is gone.
    void SyncSecondaryButtons();
    size_t SecondaryButtonCount() const { return m_secondary.size(); }

    BEGIN_MSG_MAP(CTaskbarWatch)
        if (m_uTaskbarCreated)
            MESSAGE_HANDLER(m_uTaskbarCreated, OnTaskbarCreated)
        MESSAGE_HANDLER(WM_DISPLAYCHANGE, OnDisplayChange)
        MESSAGE_HANDLER(WM_SETTINGCHANGE, OnSettingChange)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        MESSAGE_HANDLER(WM_ENDSESSION, OnEndSession)
        MESSAGE_HANDLER(kMsgButtonGone, OnButtonGone)
    END_MSG_MAP()

    LRESULT OnTaskbarCreated(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnDisplayChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSettingChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnTimer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnClose(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnEndSession(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnButtonGone(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

private:
    void DropGoneButtons();
    // Looks for secondary taskbars now and each second for a few seconds;
    // with follow, every button also follows its taskbar each time.
    void SyncForAWhile(bool follow);
    void FollowTaskbars();

    std::unique_ptr<CStartWnd, fw::WindowDeleter>& m_button;
    // Deleted only once none of their messages runs (a button may be in its context menu).
    std::vector<std::unique_ptr<CStartWnd, fw::WindowDeleter>> m_secondary;
    int m_nSyncsLeft = 0; // timer rounds after a restart, display or settings change
    bool m_bFollow = false; // the rounds also move the buttons with their taskbars
    int m_nShowCommand;
    UINT m_uTaskbarCreated;
};
