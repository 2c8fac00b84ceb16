#include "Dpi.h"

#include "SystemFunction.h"

namespace fw {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
const int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI

} // namespace

int Scale(int value, int dpi) {
    if (dpi <= 0 || dpi == kDesignDpi)
        return value;
    return ::MulDiv(value, dpi, kDesignDpi);
}

int Unscale(int value, int dpi) {
    if (dpi <= 0 || dpi == kDesignDpi)
        return value;
    return ::MulDiv(value, kDesignDpi, dpi);
}

RECT ScaleRect(const RECT& rc, int dpi) {
    return {Scale(rc.left, dpi), Scale(rc.top, dpi), Scale(rc.right, dpi), Scale(rc.bottom, dpi)};
}

int SystemDpi() {
    static const int dpi = [] {
        int value = 0;
        if (HDC screen = ::GetDC(nullptr)) {
            value = ::GetDeviceCaps(screen, LOGPIXELSY);
            ::ReleaseDC(nullptr, screen);
        }
        return value > 0 ? value : kDesignDpi;
    }();
    return dpi;
}

int DpiOfMonitor(HMONITOR monitor) {
    static const auto forMonitor = SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (monitor && forMonitor && SUCCEEDED(forMonitor(monitor, kEffectiveDpi, &x, &y)) && y > 0)
        return static_cast<int>(y);
    return SystemDpi();
}

int DpiOfWindow(HWND window) {
    static const auto forWindow = SystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (window && forWindow) {
        if (const UINT dpi = forWindow(window))
            return static_cast<int>(dpi);
    }
    return window ? DpiOfMonitor(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY)) : SystemDpi();
}

} // namespace fw
