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
// taskbars at start, on "TaskbarCreated" and when the monitors change
// (WM_DISPLAYCHANGE, and a few times after it, as the shell makes its
// taskbars a little later), and drops a button once its window is gone.
#pragma once

#include "StartWnd.h"
#include "Window.h"

#include <memory>
#include <vector>

class CTaskbarWatch : public fw::CWindowImpl<CTaskbarWatch> {
public:
    // button: the program's button object, replaced here after a restart.
    CTaskbarWatch(std::unique_ptr<CStartWnd>& button, int showCommand);

    HWND Create();
    UINT TaskbarCreatedMessage() const { return m_uTaskbarCreated; }

    // A button on every secondary taskbar that has none; drops those whose window is gone.
    void SyncSecondaryButtons();
    size_t SecondaryButtonCount() const { return m_secondary.size(); }

    BEGIN_MSG_MAP(CTaskbarWatch)
        if (m_uTaskbarCreated)
            MESSAGE_HANDLER(m_uTaskbarCreated, OnTaskbarCreated)
        MESSAGE_HANDLER(WM_DISPLAYCHANGE, OnDisplayChange)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(kMsgButtonGone, OnButtonGone)
    END_MSG_MAP()

    LRESULT OnTaskbarCreated(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnDisplayChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnTimer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnButtonGone(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

private:
    void DropGoneButtons();

    std::unique_ptr<CStartWnd>& m_button;
    // Deleted only once none of their messages runs (a button may be in its context menu).
    std::vector<std::unique_ptr<CStartWnd, fw::WindowDeleter>> m_secondary;
    int m_nSyncsLeft = 0; // timer rounds after a display change
    int m_nShowCommand;
    UINT m_uTaskbarCreated;
};
