// The messages between the Start button, the menu and the menu's children,
// and the control ids of the menu's two lists. Both sides include this file.
#pragma once

#include <windows.h>

// menu -> start button, the mode message: wParam 2 the menu is shown (pressed
// frame), 0 it is hidden.
constexpr UINT kMsgSetMode = WM_USER + 3;
// menu button -> menu, posted after the WM_COMMAND of a main-area click:
// wParam the command id, lParam the ID key; runs the skin command line.
constexpr UINT kMsgUserCommand = WM_USER + 4;

// The lists' control ids, also the wParam of their WM_NOTIFY click records.
constexpr UINT kPinnedListId = 1200;
constexpr UINT kAllProgramsId = 1201;
// The search results in the lists' place while typed text searches, and the line showing that text.
constexpr UINT kSearchResultsId = 1202;
constexpr UINT kSearchLineId = 1203;
// list -> menu, WM_NOTIFY with this wParam and no record: give the focus to
// the start button.
constexpr WPARAM kTreeNotifyFocus = 269;
// list -> menu, WM_NOTIFY with this wParam and no record: a pin verb changed
// the list file; the pinned list reads it again at once.
constexpr WPARAM kTreeNotifyPinsChanged = 270;
// menu child -> menu, sent when the mouse moved a child's highlight (a list's
// hot row, a button's hover look): wParam 0, lParam the child's window. The
// keyboard highlight gives way to the mouse's.
constexpr UINT kMsgPointerHighlight = WM_USER + 5;
