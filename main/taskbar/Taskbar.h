// The Start button's place on the shell's taskbar.
//
// The button window is a child of the taskbar (found by FindTaskbar,
// StartWnd.h). While it is created, PlaceOnTaskbar puts it at the taskbar's
// start, pushes the rebar (the band of task buttons) aside once and installs
// Pegwell's hook, which keeps the rebar there whenever the shell moves it
// again. When the window goes, ReleaseTaskbar removes the hook and, once the
// menu is gone too, RelayOutTaskbar lets the shell lay the taskbar out afresh.
#pragma once

#include <windows.h>

#include <vector>

struct MenuAnchor;

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
// The same on a secondary taskbar, whose edge is told by its own place.
void LayOutOnSecondaryTaskbar(HWND button, HWND taskbar, HWND rebar, int size);

// Removes the hook; 1 on success, 0 (after a trace line) otherwise.
int ReleaseTaskbar();

// The top-level "Shell_SecondaryTrayWnd" windows: the taskbars the shell puts
// on the monitors besides the primary one.
std::vector<HWND> FindSecondaryTaskbars();

// A secondary taskbar's band of task buttons: its first "ReBarWindow32", else
// its first "WorkerW" (where the shell keeps such a taskbar's task list).
HWND FindTaskbarBand(HWND taskbar);

// PlaceOnTaskbar for a secondary taskbar: the edge comes from the taskbar's
// place on its monitor, and the band becomes one more target of the installed
// hook. Returns 1 when the hook took the band.
int PlaceOnSecondaryTaskbar(HWND button, HWND taskbar, HWND rebar, int size);

// Lets the hook forget a secondary taskbar's band; 1 on success.
int ReleaseSecondaryTaskbar(HWND rebar);

// The shell's answer on the primary taskbar's edge and thickness, with the
// taskbar's window rectangle it was given for.
struct TaskbarAnswer {
    HWND taskbar = nullptr;
    RECT window = {};
    UINT edge = ABE_BOTTOM;
    int thickness = 0;
};

// The menu's place for a press on `button`, a Start button on `taskbar`: that
// taskbar's monitor and work area, its edge and thickness. The primary
// taskbar's edge and thickness are the shell's answer, as before; with `kept`,
// the shell is asked again only when the taskbar's window moved or changed
// size since the kept answer (asking costs near a tenth of an opening).
MenuAnchor AnchorForButton(HWND button, HWND taskbar, bool primary, TaskbarAnswer* kept = nullptr);

// Asks the taskbar to lay itself out again (the rebar moves back to its start).
void RelayOutTaskbar(HWND taskbar);
