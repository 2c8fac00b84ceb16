// The hook procedure's decisions, kept apart from the hook so that they can be
// checked without installing one. Plain C-style data and functions: this code
// runs inside the shell's process.
#pragma once

#include <windows.h>
#include <shellapi.h>

// How far the rebar is kept from the taskbar's start, whatever the skin says.
const int kRebarShift = 54;
// Taskbars besides the primary one whose rebars the hook keeps aside.
const int kMaxExtraTargets = 8;

// One call of the WH_CALLWNDPROC hook procedure, unpacked.
struct HookCall {
    int nCode;
    WPARAM wSentByThisThread; // the hook's wParam: nonzero when the current thread sent the message
    HWND hWnd;
    UINT message;
    WINDOWPOS* pPos; // the message's lParam when it is a position change, else none
};

// A rebar position in the taskbar's client coordinates.
struct RebarPlace {
    int x;
    int y;
    int cx;
    int cy;
};

// Reads the CWPSTRUCT behind lParam only for HC_ACTION, and only when lParam is set.
HookCall UnpackHookCall(int nCode, WPARAM wParam, LPARAM lParam);

// True for a position change of the target that another thread sent, while no
// move of ours is under way: the one case in which the hook moves the rebar.
bool IsShellRebarMove(const HookCall& call, HWND hTarget, LONG nInProgress);

// The first of `count` targets that IsShellRebarMove accepts, or -1.
int FindMovedTarget(const HookCall& call, const HWND* targets, int count, LONG nInProgress);

// The edge (ABE_*) of a monitor that a taskbar with this screen rectangle sits
// at: a wide one at the top or bottom, a tall one at the left or right, on the
// side of the monitor's middle it lies on. The shell answers this only for the
// primary taskbar; the others are told by their place.
inline UINT EdgeOfTaskbar(const RECT& taskbar, const RECT& monitor) {
    const long twiceX = taskbar.left + taskbar.right, twiceY = taskbar.top + taskbar.bottom;
    if (taskbar.right - taskbar.left >= taskbar.bottom - taskbar.top)
        return twiceY < monitor.top + monitor.bottom ? ABE_TOP : ABE_BOTTOM;
    return twiceX < monitor.left + monitor.right ? ABE_LEFT : ABE_RIGHT;
}

// The shift for a taskbar drawn at dpi: 54 pixels at 96 DPI, scaled with
// rounding; dpi 0 (unknown) keeps 54.
int RebarShiftAt(UINT dpi);

// The place the rebar gets for the taskbar edge (ABE_*): shift pixels from the
// taskbar's start, shortened by as much so that it keeps its far end.
RebarPlace ShiftedPlace(UINT uEdge, RebarPlace place, int shift = kRebarShift);
