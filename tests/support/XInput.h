// Real input for tests: the mouse through SendInput, which Wine queues as
// hardware input; and the Unix side of end-to-end tests under Wine: real X
// input through xdotool, screenshots, and the pixels of the screen.
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

#include "ScreenCapture.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "Wait.h"

// Mouse input at a screen point, as the hardware sends it.
inline void SendMouse(DWORD flags, POINT screen) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>(screen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
    in.mi.dy = static_cast<LONG>(screen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof(in));
}

inline void RealClick(POINT screen) {
    SendMouse(0, screen);
    SendMouse(MOUSEEVENTF_LEFTDOWN, screen);
    SendMouse(MOUSEEVENTF_LEFTUP, screen);
}

// Runs a shell command line on the Unix side and waits for it; true when it
// ran and reported success.
inline bool RunUnix(const std::string& command, DWORD timeoutMs = 15000) {
    static LONG counter = 0;
    char marker[96];
    std::snprintf(marker, sizeof(marker), "/tmp/velmar-unix-%lu-%ld", GetCurrentProcessId(),
                  InterlockedIncrement(&counter));
    std::string line = "/bin/sh -c \"" + command + "; echo $? > " + marker + "\"";
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
    std::wstring path = L"Z:";
    for (const char* p = marker; *p; ++p)
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    std::string text; // empty while the shell is still writing
    if (!WaitFor([&] { return !(text = ReadFileBytes(path)).empty(); }, timeoutMs))
        return false;
    DeleteFileW(path.c_str());
    return text[0] == '0';
}

// The Unix name Wine gives a Windows path; empty when not under Wine.
inline std::string UnixFileName(const std::wstring& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = toUnix ? toUnix(path.c_str()) : nullptr;
    if (!name)
        return {};
    std::string text = name;
    HeapFree(GetProcessHeap(), 0, name);
    return text;
}

inline bool Xdotool(const std::string& arguments, DWORD timeoutMs = 15000) {
    return RunUnix("/usr/bin/xdotool " + arguments, timeoutMs);
}


inline bool XClick(POINT screen, int button = 1) {
    char args[96];
    std::snprintf(args, sizeof(args), "mousemove %ld %ld click %d", screen.x, screen.y, button);
    return Xdotool(args);
}

inline bool XKeys(const std::string& keys) { return Xdotool("key " + keys); }

// Saves the whole screen as VELMAR_SHOTS/name when VELMAR_SHOTS is set (a Unix folder).
inline bool Screenshot(const char* name) {
    const char* folder = getenv("VELMAR_SHOTS");
    return !folder || !*folder || RunUnix(std::string("import -window root '") + folder + "/" + name + "'");
}

