// The hook procedure's decisions, kept apart from the hook so that they can be
// checked without installing one. Plain C-style data and functions: this code
// runs inside the shell's process.
#pragma once

#include <windows.h>

// How far the rebar is kept from the taskbar's start, whatever the skin says.
const int kRebarShift = 54;

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

// The shift for a taskbar drawn at dpi: 54 pixels at 96 DPI, scaled with
// rounding; dpi 0 (unknown) keeps 54.
int RebarShiftAt(UINT dpi);

// The place the rebar gets for the taskbar edge (ABE_*): shift pixels from the
// taskbar's start, shortened by as much so that it keeps its far end.
RebarPlace ShiftedPlace(UINT uEdge, RebarPlace place, int shift = kRebarShift);
