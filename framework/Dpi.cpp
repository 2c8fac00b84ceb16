#include "Dpi.h"

namespace fw {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
const int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI

template <typename Fn> Fn Lookup(const wchar_t* module, const char* name, bool load) {
    HMODULE handle = ::GetModuleHandleW(module);
    if (!handle && load)
        handle = ::LoadLibraryW(module); // kept for the life of the process
    return handle ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(handle, name))) : nullptr;
}

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
    static const auto forMonitor = Lookup<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor", true);
    UINT x = 0, y = 0;
    if (monitor && forMonitor && SUCCEEDED(forMonitor(monitor, kEffectiveDpi, &x, &y)) && y > 0)
        return static_cast<int>(y);
    return SystemDpi();
}

int DpiOfWindow(HWND window) {
    static const auto forWindow = Lookup<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow", false);
    if (window && forWindow) {
        if (const UINT dpi = forWindow(window))
            return static_cast<int>(dpi);
    }
    return window ? DpiOfMonitor(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY)) : SystemDpi();
}

} // namespace fw
