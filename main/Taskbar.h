// The Start button's place on the shell's taskbar.
//
// FindTaskbar runs before the button window exists and gives it its parent.
// While the window is created, PlaceOnTaskbar puts it at the taskbar's start,
// pushes the rebar (the band of task buttons) aside once and installs
// Pegwell's hook, which keeps the rebar there whenever the shell moves it
// again. When the window goes, ReleaseTaskbar removes the hook and, once the
// menu is gone too, RelayOutTaskbar lets the shell lay the taskbar out afresh.
#pragma once

#include <windows.h>

class CStartWnd;

// Smallest height of the button window.
constexpr int kMinButtonHeight = 40;

// x, y, width and height as MoveWindow takes them.
struct WindowBox {
    int x;
    int y;
    int cx;
    int cy;
};

struct TaskbarLayout {
    WindowBox button;
    WindowBox rebar;
};

// The first top-level "Shell_TrayWnd" with an empty title and its first
// "ReBarWindow32" child, stored in the button's hTaskbar and hRebar. Returns
// the taskbar, or none when either is missing.
HWND FindTaskbar(CStartWnd& button);

// Where button and rebar go for a taskbar at edge (ABE_LEFT ... ABE_BOTTOM).
// taskbar and rebar are window rectangles in the taskbar's client
// coordinates; size is the button's extent along the taskbar.
TaskbarLayout ComputeTaskbarLayout(UINT edge, const RECT& taskbar, const RECT& rebar, int size);

// Called while the button window is created at the origin of the taskbar's
// client area: moves rebar and button and installs the hook. Returns 1 when
// the hook is installed (a failure only writes a trace line).
int PlaceOnTaskbar(HWND button, HWND taskbar, HWND rebar, int size);
// Only the moves of PlaceOnTaskbar, for a new size of the button.
void LayOutOnTaskbar(HWND button, HWND taskbar, HWND rebar, int size);

// Removes the hook; 1 on success, 0 (after a trace line) otherwise.
int ReleaseTaskbar();

// Asks the taskbar to lay itself out again (the rebar moves back to its start).
void RelayOutTaskbar(HWND taskbar);

// Creates the button window as a child of button.hTaskbar, publishes it in
// gStartButton and shows it with showCommand. Returns the window, or none.
HWND CreateStartButton(CStartWnd& button, int showCommand);
