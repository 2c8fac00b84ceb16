// Driving a stand-in taskbar from any process (the test, another program).
//
// Re-layout requests are registered messages sent to the taskbar window; they
// return once the rebar has been moved and notified:
//   "Velmar.Standin.Relayout"      the stand-in moves its rebar to x, y, cx, cy
//       (taskbar client coordinates) and then sends it WM_WINDOWPOSCHANGED from a
//       second thread of its own, so a WH_CALLWNDPROC hook sees wParam 0, as in
//       the shell;
//   "Velmar.Standin.RelayoutHere"  the same, all on the rebar's own thread (the
//       hook sees wParam nonzero).
//   wParam carries x (low 32 bits) and y (high 32 bits), lParam cx and cy; both
//   zero means "across the whole client area", as on WM_SIZE.
//   "Velmar.Standin.Stall"          posted: the taskbar's thread (the one of its
//       rebar and app-bar window) stops for wParam milliseconds, answering
//       nothing, as a hung shell; kPropStalled is 1 on the taskbar meanwhile.
//   "Velmar.Standin.Secondary"     wParam 0 closes the secondary taskbar, 1 makes
//       it again; either way the stand-in then posts WM_DISPLAYCHANGE to every
//       top-level window, as when a monitor goes or comes, unless wParam also
//       has 2 (quietly, as a shell that makes it some time later). Returns 1 when done.
//   "Velmar.Standin.Thickness"     wParam the taskbar's new thickness: it is
//       resized at its edge and lays its children out again (WM_SIZE).
// The last WM_WINDOWPOSCHANGED the rebar's window procedure received is kept
// in properties of the taskbar window (names below), readable from any process.
#pragma once

#include <windows.h>

namespace standin {

const wchar_t kRelayoutMessage[] = L"Velmar.Standin.Relayout";
const wchar_t kRelayoutHereMessage[] = L"Velmar.Standin.RelayoutHere";
const wchar_t kSecondaryMessage[] = L"Velmar.Standin.Secondary";
const wchar_t kThicknessMessage[] = L"Velmar.Standin.Thickness";
const wchar_t kStallMessage[] = L"Velmar.Standin.Stall";
const wchar_t kPropStalled[] = L"Velmar.Standin.Stalled";
const wchar_t kPropCount[] = L"Velmar.Standin.Rebar.Count";
const wchar_t kPropX[] = L"Velmar.Standin.Rebar.X";
const wchar_t kPropY[] = L"Velmar.Standin.Rebar.Y";
const wchar_t kPropCx[] = L"Velmar.Standin.Rebar.CX";
const wchar_t kPropCy[] = L"Velmar.Standin.Rebar.CY";
const wchar_t kPropFlags[] = L"Velmar.Standin.Rebar.Flags";

// What the rebar's window procedure last saw in a WM_WINDOWPOSCHANGED.
struct RebarRecord {
    int nCount; // how many it has seen
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
};

inline UINT_PTR PackPair(int low, int high) {
    return static_cast<UINT_PTR>(static_cast<UINT32>(low)) | (static_cast<UINT_PTR>(static_cast<UINT32>(high)) << 32);
}
inline int PairLow(UINT_PTR packed) {
    return static_cast<int>(static_cast<UINT32>(packed));
}
inline int PairHigh(UINT_PTR packed) {
    return static_cast<int>(static_cast<UINT32>(packed >> 32));
}

// The taskbar the product finds: the first "Shell_TrayWnd" with an empty title.
HWND FindTaskbar();
HWND FindRebar(HWND hTaskbar);
// The first top-level "Shell_SecondaryTrayWnd", or none.
HWND FindSecondaryTaskbar();
// Closes (false) or makes again (true) the stand-in's secondary taskbar; waits
// as Relayout does and returns true when the stand-in did it.
bool SetSecondary(HWND hTaskbar, bool present, bool quietly = false);
// Resizes the taskbar to `thickness` and waits as Relayout does.
bool SetThickness(HWND hTaskbar, int thickness);
// A child's rectangle in its parent's client coordinates (empty for none).
RECT PlaceInParent(HWND child);

// Both wait for the stand-in (at most 20 s, so that a hung stand-in fails a
// test instead of hanging it) and return true when it did the re-layout.
bool Relayout(HWND hTaskbar, int x, int y, int cx, int cy);
bool RelayoutHere(HWND hTaskbar, int x, int y, int cx, int cy);

bool ReadRebarRecord(HWND hTaskbar, RebarRecord* record);
// Another program's top-level "Shell_TrayWnd" (a tray-icon host), without a
// band, made on this thread above every taskbar: the first one FindWindowW finds.
HWND MakeForeignTaskbar(bool visible);
// Stops the taskbar's thread for ms milliseconds; returns once it has stopped.
bool Stall(HWND hTaskbar, DWORD ms);
inline bool Stalled(HWND hTaskbar) { return GetPropW(hTaskbar, kPropStalled) != nullptr; }

// The rebar's rectangle in the taskbar's client coordinates.
RECT RebarPlacement(HWND hTaskbar);

} // namespace standin
