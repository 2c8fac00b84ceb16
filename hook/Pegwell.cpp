// The hook library. It is loaded into the shell's process while the hook is
// installed, so it stays small and C-like: no exceptions, no static objects
// with constructors, no allocations, and every pointer it is handed is checked.
#include "Pegwell.h"
#include "HookDecision.h"
#include "ShellTaskbar.h"

#include <shellapi.h>

#include <cstdarg>

namespace {

// Shared by every process that loads the library: Velmar writes it, the hook
// procedure reads it inside the shell. One record keeps the order fixed.
struct SharedState {
    LONG nInProgress; // 1 while the hook procedure moves the rebar
    HWND hTaskbar;
    HHOOK hHook;
    HWND hTarget;
    HWND hRebar;
    HWND hButton; // kept for the caller, not used here
    // Appended: the rebars of the secondary taskbars, empty slots null.
    HWND hExtraTargets[kMaxExtraTargets];
    // Appended: windows of the shell whose position changes are reported,
    // and to whom; empty slots null.
    HWND hWatched[kMaxExtraTargets];
    HWND hWatchNotify[kMaxExtraTargets];
    UINT uWatchMessage[kMaxExtraTargets];
    // Appended: the hook is set only on the threads that own a target or a
    // watched window, never system-wide: hHook on the primary target's (or
    // the taskbar's) thread, these on the further threads (empty slots 0 and null).
    DWORD dwHookThread;
    DWORD dwExtraThreads[kMaxExtraTargets];
    HHOOK hExtraHooks[kMaxExtraTargets];
};

} // namespace

#if defined(_MSC_VER)
#pragma data_seg(".PEGWELL")
static SharedState g_shared = {0, nullptr, nullptr, nullptr, nullptr, nullptr, {}, {}, {}, {}, 0, {}, {}};
#pragma data_seg()
#pragma comment(linker, "/SECTION:.PEGWELL,RWS")
#else
static SharedState g_shared
    __attribute__((section(".PEGWELL"), shared)) = {0, nullptr, nullptr, nullptr, nullptr, nullptr, {}, {}, {}, {}, 0, {}, {}};
#endif

// Per process: the library's own module, which SetWindowsHookExW needs.
static HINSTANCE g_hModule = nullptr;

#ifdef NDEBUG
#define PegTrace(...) ((void)0)
#else
static void PegTrace(const wchar_t* format, ...) {
    // wvsprintfW never writes more than 1024 characters.
    wchar_t line[1024];
    va_list args;
    va_start(args, format);
    wvsprintfW(line, format, args);
    va_end(args);
    OutputDebugStringW(line);
}

static UINT HandleText(const void* handle) {
    return static_cast<UINT>(reinterpret_cast<UINT_PTR>(handle));
}
#endif

static UINT TaskbarEdge(HWND hTaskbar) {
    APPBARDATA abd = {};
    abd.cbSize = sizeof(abd);
    abd.hWnd = hTaskbar;
    SHAppBarMessage(ABM_GETTASKBARPOS, &abd);
    return abd.uEdge;
}

// A secondary taskbar's edge, from its place on its monitor.
static UINT PlacedEdge(HWND hRebar) {
    HWND hTaskbar = GetAncestor(hRebar, GA_ROOT);
    RECT rc = {};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!hTaskbar || !GetWindowRect(hTaskbar, &rc) ||
        !GetMonitorInfoW(MonitorFromWindow(hTaskbar, MONITOR_DEFAULTTONEAREST), &monitor))
        return ABE_BOTTOM;
    return EdgeOfTaskbar(rc, monitor.rcMonitor);
}

// The DPI the taskbar is drawn at, as its own process sees it: the rebar's
// coordinates are in that process's pixels. Before Windows 10 the system DPI.
static UINT TaskbarDpi(HWND hTaskbar) {
    typedef UINT(WINAPI * GetDpiForWindowFn)(HWND);
    static GetDpiForWindowFn forWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (forWindow && hTaskbar) {
        if (UINT dpi = forWindow(hTaskbar))
            return dpi;
    }
    UINT dpi = 0;
    if (HDC screen = GetDC(nullptr)) {
        dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
        ReleaseDC(nullptr, screen);
    }
    return dpi;
}

static LRESULT CALLBACK CallWndProc(int nCode, WPARAM wParam, LPARAM lParam) {
    HookCall call = UnpackHookCall(nCode, wParam, lParam);
    // The shell moves its own windows on its own thread: any sender counts.
    if (call.nCode == HC_ACTION && call.message == WM_WINDOWPOSCHANGED && call.hWnd) {
        for (int i = 0; i < kMaxExtraTargets; ++i)
            if (g_shared.hWatched[i] == call.hWnd && g_shared.hWatchNotify[i])
                PostMessageW(g_shared.hWatchNotify[i], g_shared.uWatchMessage[i], 0,
                             reinterpret_cast<LPARAM>(call.hWnd));
    }
    bool primary = IsShellRebarMove(call, g_shared.hTarget, g_shared.nInProgress);
    if (!primary && FindMovedTarget(call, g_shared.hExtraTargets, kMaxExtraTargets, g_shared.nInProgress) < 0)
        return CallNextHookEx(g_shared.hHook, nCode, wParam, lParam);

    WINDOWPOS* pos = call.pPos;
    g_shared.nInProgress = 1;
    PegTrace(L"winpos: hwnd=%u, x=%u, y=%u, cx=%u, cy=%u, flags=%u\n", HandleText(pos->hwnd), pos->x, pos->y, pos->cx,
             pos->cy, pos->flags);

    HWND hTaskbar = primary ? g_shared.hTaskbar : GetAncestor(call.hWnd, GA_ROOT);
    UINT edge = primary ? TaskbarEdge(hTaskbar) : PlacedEdge(call.hWnd);
    RebarPlace place =
        ShiftedPlace(edge, RebarPlace{pos->x, pos->y, pos->cx, pos->cy}, RebarShiftAt(TaskbarDpi(hTaskbar)));
    // The record is changed in place: the window's own procedure, which gets
    // the message after us, sees the shifted and shortened values.
    pos->x = place.x;
    pos->y = place.y;
    pos->cx = place.cx;
    pos->cy = place.cy;
    SetWindowPos(call.hWnd, nullptr, place.x, place.y, place.cx, place.cy, SWP_NOSIZE | SWP_NOZORDER);

    g_shared.nInProgress = 0;
    return 0;
}

static DWORD ThreadOf(HWND window) {
    return window && IsWindow(window) ? GetWindowThreadProcessId(window, nullptr) : 0;
}

// A hook whose thread has ended went with it: that is no failure.
static bool Unhook(HHOOK hook) {
    return !hook || UnhookWindowsHookEx(hook) || GetLastError() == ERROR_INVALID_HOOK_HANDLE;
}

static bool ThreadHooked(DWORD thread) {
    if (thread == g_shared.dwHookThread)
        return true;
    for (int i = 0; i < kMaxExtraTargets; ++i)
        if (g_shared.hExtraHooks[i] && g_shared.dwExtraThreads[i] == thread)
            return true;
    return false;
}

// The further windows whose threads need the hook: the secondary rebars and
// the watched windows of the shell.
static HWND HookedWindow(int i) {
    return i < kMaxExtraTargets ? g_shared.hExtraTargets[i] : g_shared.hWatched[i - kMaxExtraTargets];
}

static bool ThreadNeeded(DWORD thread) {
    for (int i = 0; i < 2 * kMaxExtraTargets; ++i)
        if (HookedWindow(i) && ThreadOf(HookedWindow(i)) == thread)
            return true;
    return false;
}

// Brings the hooks of the extra targets in line with the targets named: one
// per thread that owns one and has none yet, none once uninstalled.
static void SyncExtraHooks() {
    const bool installed = g_shared.hHook != nullptr;
    for (int i = 0; i < kMaxExtraTargets; ++i) {
        HHOOK& hook = g_shared.hExtraHooks[i];
        const DWORD thread = g_shared.dwExtraThreads[i];
        if (hook && (!installed || thread == g_shared.dwHookThread || !ThreadNeeded(thread)) && Unhook(hook)) {
            hook = nullptr;
            g_shared.dwExtraThreads[i] = 0;
        }
    }
    if (!installed)
        return;
    for (int i = 0; i < 2 * kMaxExtraTargets; ++i) {
        const DWORD thread = ThreadOf(HookedWindow(i));
        if (!thread || ThreadHooked(thread))
            continue;
        for (int j = 0; j < kMaxExtraTargets; ++j) {
            if (g_shared.hExtraHooks[j])
                continue;
            g_shared.hExtraHooks[j] = SetWindowsHookExW(WH_CALLWNDPROC, CallWndProc, g_hModule, thread);
            if (g_shared.hExtraHooks[j])
                g_shared.dwExtraThreads[j] = thread;
            break;
        }
    }
}

extern "C" BOOL WINAPI InstallHook(HWND button, HWND target) {
    g_shared.hTaskbar = FindShellTaskbar();
    if (!g_shared.hTaskbar) {
        // No band of a former taskbar may stay named: its handle may be reused.
        g_shared.hRebar = nullptr;
        PegTrace(L"FindWindow failed. (ClassName=Shell_TrayWnd)\n");
    } else {
        g_shared.hRebar = FindWindowExW(g_shared.hTaskbar, nullptr, L"ReBarWindow32", nullptr);
        if (!g_shared.hRebar) {
            PegTrace(L"FindWindow failed. (ClassName=ReBarWindow32)\n");
            g_shared.hTaskbar = nullptr;
        }
    }
    g_shared.hTarget = target == HWND_MESSAGE ? nullptr : target ? target : g_shared.hRebar;
    g_shared.hButton = button;

    // Called again for a new button: the old hook goes first, so none runs twice.
    if (g_shared.hHook && Unhook(g_shared.hHook))
        g_shared.hHook = nullptr;
    // Only the thread that owns the band: a hook there is loaded into the
    // shell alone, and no other program's messages ever wait on this one.
    // Without a band to push, the taskbar's own thread still holds it, where
    // the shell's Start button is watched; without a taskbar, this thread,
    // where it never acts.
    DWORD thread = ThreadOf(g_shared.hTarget);
    if (!thread)
        thread = ThreadOf(g_shared.hTaskbar);
    if (!thread)
        thread = GetCurrentThreadId();
    g_shared.hHook = SetWindowsHookExW(WH_CALLWNDPROC, CallWndProc, g_hModule, thread);
    g_shared.dwHookThread = g_shared.hHook ? thread : 0;
    SyncExtraHooks();
    if (!g_shared.hHook)
        return FALSE;
    PegTrace(L"Hook Installed. target = %u\n", HandleText(g_shared.hTarget));
    return TRUE;
}

extern "C" BOOL WINAPI Uninstallhook() {
    if (g_shared.hHook) {
        if (!Unhook(g_shared.hHook))
            return FALSE;
        g_shared.hHook = nullptr;
        g_shared.dwHookThread = 0;
    }
    SyncExtraHooks();
    g_shared.hTarget = nullptr;
    g_shared.hButton = nullptr;
    return TRUE;
}

extern "C" BOOL WINAPI AddHookTarget(HWND target) {
    if (!target)
        return FALSE;
    bool named = false;
    for (HWND& slot : g_shared.hExtraTargets)
        if (slot == target)
            named = true;
    for (HWND& slot : g_shared.hExtraTargets) {
        if (named)
            break;
        if (!slot) {
            slot = target;
            named = true;
        }
    }
    if (named)
        SyncExtraHooks();
    return named ? TRUE : FALSE;
}

extern "C" BOOL WINAPI RemoveHookTarget(HWND target) {
    if (!target)
        return FALSE;
    for (HWND& slot : g_shared.hExtraTargets) {
        if (slot == target) {
            slot = nullptr;
            SyncExtraHooks();
            return TRUE;
        }
    }
    return FALSE;
}

extern "C" BOOL WINAPI WatchShellWindow(HWND watched, HWND notify, UINT message) {
    if (!watched)
        return FALSE;
    int free = -1;
    for (int i = 0; i < kMaxExtraTargets; ++i) {
        if (g_shared.hWatched[i] == watched) {
            // The notified window goes first, so the hook never posts to a half-cleared slot.
            g_shared.uWatchMessage[i] = message;
            g_shared.hWatchNotify[i] = notify;
            if (!notify) {
                g_shared.hWatched[i] = nullptr;
                SyncExtraHooks();
            }
            return TRUE;
        }
        if (!g_shared.hWatched[i] && free < 0)
            free = i;
    }
    if (!notify)
        return TRUE;
    if (free < 0)
        return FALSE;
    g_shared.uWatchMessage[free] = message;
    g_shared.hWatchNotify[free] = notify;
    g_shared.hWatched[free] = watched;
    SyncExtraHooks();
    return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH || reason == DLL_THREAD_ATTACH)
        g_hModule = hInstance;
    return TRUE;
}
