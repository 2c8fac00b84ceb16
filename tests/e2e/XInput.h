// Real X input for end-to-end tests under Wine, through xdotool.
//
// xdotool is a Unix program. Wine starts Unix programs from CreateProcessW,
// but their process handle cannot be waited on (WaitForSingleObject fails),
// and "start /unix" does not run them at all. So xdotool runs under /bin/sh,
// which then writes xdotool's exit code into a marker file under /tmp (Wine's
// drive Z:), and the test waits for that file. Screen coordinates of the Wine
// virtual desktop are those of the X screen (the desktop sits at its origin).
//
// One xdotool call per gesture: "mousemove X Y click 1" in one call, because
// the pointer does not stay where a finished xdotool call left it on Xvfb.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

// Runs /usr/bin/xdotool with the arguments (a shell command tail) and waits
// for it; true when it ran and reported success.
inline bool Xdotool(const std::string& arguments, DWORD timeoutMs = 15000) {
    static LONG counter = 0;
    char marker[96];
    std::snprintf(marker, sizeof(marker), "/tmp/velmar-xdotool-%lu-%ld", GetCurrentProcessId(),
                  InterlockedIncrement(&counter));
    std::string command = "/bin/sh -c \"/usr/bin/xdotool " + arguments + "; echo $? > " + marker + "\"";
    std::wstring line(command.begin(), command.end());
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    if (pi.hThread)
        CloseHandle(pi.hThread);
    if (pi.hProcess)
        CloseHandle(pi.hProcess);

    std::string unixPath = marker;
    std::wstring path = L"Z:";
    for (char c : unixPath)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    for (DWORD waited = 0; waited <= timeoutMs; waited += 20) {
        HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            char text[16] = {};
            DWORD got = 0;
            ReadFile(f, text, sizeof(text) - 1, &got, nullptr);
            CloseHandle(f);
            if (got == 0) { // the shell is still writing
                Sleep(20);
                continue;
            }
            DeleteFileW(path.c_str());
            return text[0] == '0';
        }
        Sleep(20);
    }
    return false;
}

inline bool XClick(POINT screen, int button = 1) {
    char args[96];
    std::snprintf(args, sizeof(args), "mousemove %ld %ld click %d", screen.x, screen.y, button);
    return Xdotool(args);
}

inline bool XKeys(const std::string& keys) { return Xdotool("key " + keys); }
