// Display scaling. Sizes a skin or a dialog gives in pixels are design units
// at 96 DPI; on a screen of another DPI they are scaled by that DPI.
//
// The per-monitor functions appeared with Windows 8.1 and 10: they are looked
// up at run time, and where they are missing the system DPI answers.
#pragma once

#include <windows.h>

namespace fw {

constexpr int kDesignDpi = 96;

// value * dpi / 96, rounded to the nearest pixel (MulDiv). dpi <= 0 counts as 96.
int Scale(int value, int dpi);
// The inverse: a pixel distance at dpi back in design units.
int Unscale(int value, int dpi);
RECT ScaleRect(const RECT& rc, int dpi);

// The DPI of the whole screen (the primary monitor's at log-on).
int SystemDpi();
// The DPI of the monitor (GetDpiForMonitor, effective DPI), else the system DPI.
int DpiOfMonitor(HMONITOR monitor);
// The DPI the window is drawn for (GetDpiForWindow), else its monitor's.
int DpiOfWindow(HWND window);

} // namespace fw
