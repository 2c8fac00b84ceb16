// standin_taskbar.exe: runs a stand-in taskbar until it is sent WM_CLOSE.
// The options are those of StandinOptions.h. Exit codes: 0 after WM_CLOSE,
// 1 when the windows could not be made, 2 on an unknown argument.
#include "StandinTaskbar.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    StandinOptions options;
    if (!options.Parse(GetCommandLineW()))
        return 2;
    CStandinTaskbar taskbar;
    taskbar.SetQuitOnDestroy(true);
    if (!taskbar.Create(options))
        return 1;
    if (!options.readyEvent.empty()) {
        HANDLE hReady = OpenEventW(EVENT_MODIFY_STATE, FALSE, options.readyEvent.c_str());
        if (hReady) {
            SetEvent(hReady);
            CloseHandle(hReady);
        }
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
