// Brings the Start button back when the shell creates its taskbar anew.
//
// A shell that restarts destroys its taskbar window, and the button with it
// (a child window), then broadcasts the registered message "TaskbarCreated"
// to the top-level windows. The button never sees that broadcast, so this
// hidden top-level window (not a message-only one: broadcasts skip those)
// listens for it and puts a new button on the new taskbar. The program keeps
// running while there is no taskbar.
#pragma once

#include "Window.h"

#include <memory>

class CStartWnd;

class CTaskbarWatch : public fw::CWindowImpl<CTaskbarWatch> {
public:
    // button: the program's button object, replaced here after a restart.
    CTaskbarWatch(std::unique_ptr<CStartWnd>& button, int showCommand);

    HWND Create();
    UINT TaskbarCreatedMessage() const { return m_uTaskbarCreated; }

    BEGIN_MSG_MAP(CTaskbarWatch)
        if (m_uTaskbarCreated)
            MESSAGE_HANDLER(m_uTaskbarCreated, OnTaskbarCreated)
    END_MSG_MAP()

    LRESULT OnTaskbarCreated(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

private:
    std::unique_ptr<CStartWnd>& m_button;
    int m_nShowCommand;
    UINT m_uTaskbarCreated;
};
