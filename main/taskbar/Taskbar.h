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

// What stands at the start of a taskbar, told by its children.
enum class TaskbarShape {
    kBand,        // the band from the origin (Windows 8): the button pushes it aside
    kStartButton, // the shell's own visible "Start" child before the band (Windows 8.1, 10)
    kXaml,        // XAML content over hidden legacy children (Windows 11): no place is known
};

// The shape of `taskbar`; for kStartButton also the shell's "Start" child in *start.
TaskbarShape ShapeOfTaskbar(HWND taskbar, HWND* start);

// Where a picture of `picture` size goes inside a box of `box` size: as large
// as fits with its aspect kept, centred. Never stretched out of its aspect.
RECT FitPicture(SIZE picture, SIZE box);

// Posted by the hook, from the shell's process, to a button over the shell's
// Start button each time that was moved, resized or raised; lParam the shell's button.
constexpr UINT kMsgShellStartMoved = WM_APP + 0x23;

// On a taskbar with its own Start button: puts `button` exactly over the
// shell's `start` and above it, moving nothing of the shell's. The primary
// button installs the hook without a band to push; both ask it to report each
// move of `start` to the button (kMsgShellStartMoved). Returns 1 when
// the report is set up (a failure only writes a trace line).
int PlaceOverShellStart(HWND button, HWND start, bool primary);
// Only the move of PlaceOverShellStart: again over `start`, again on top.
void CoverShellStart(HWND button, HWND start);
// Stops the reports of PlaceOverShellStart; the primary button also removes the hook.
void ReleaseShellStart(HWND start, bool primary);

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
