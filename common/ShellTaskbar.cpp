#include "ShellTaskbar.h"

namespace {

// More top-level "Shell_TrayWnd" windows than any desktop has.
const int kMaxTaskbars = 32;

DWORD ProcessOfWindow(HWND window) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process;
}

bool HasBand(HWND taskbar) {
    return ::FindWindowExW(taskbar, nullptr, L"ReBarWindow32", nullptr) != nullptr;
}

} // namespace

int ChooseShellTaskbar(const HWND* taskbars, int count, DWORD shellProcess, DWORD (*processOf)(HWND),
                       bool (*hasBand)(HWND)) {
    int firstWithBand = -1;
    for (int i = 0; i < count; ++i) {
        if (!hasBand(taskbars[i]))
            continue;
        if (shellProcess && processOf(taskbars[i]) == shellProcess)
            return i;
        if (firstWithBand < 0)
            firstWithBand = i;
    }
    return firstWithBand;
}

HWND FindShellTaskbar() {
    HWND taskbars[kMaxTaskbars];
    int count = 0;
    HWND window = nullptr;
    // Any title: the shell's own has an empty one, but that tells nothing.
    while (count < kMaxTaskbars && (window = ::FindWindowExW(nullptr, window, L"Shell_TrayWnd", nullptr)) != nullptr)
        taskbars[count++] = window;
    HWND shell = ::GetShellWindow();
    const DWORD shellProcess = shell ? ProcessOfWindow(shell) : 0;
    const int chosen = ChooseShellTaskbar(taskbars, count, shellProcess, ProcessOfWindow, HasBand);
    return chosen < 0 ? nullptr : taskbars[chosen];
}
