// Starting the real programs from tests, watching their windows and message
// boxes, and always ending them again.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "Wait.h"

// The launch recorder: started instead of real programs, it appends its
// argument line to the file named by LAUNCH_RECORD.
inline std::wstring Recorder() { return BinDir() + L"\\launch_recorder.exe"; }

// Sets LAUNCH_RECORD for the life of the object, for launches of this process.
class LaunchRecord {
public:
    explicit LaunchRecord(const std::wstring& path) : m_path(path) {
        SetEnvironmentVariableW(L"LAUNCH_RECORD", path.c_str());
    }
    ~LaunchRecord() { SetEnvironmentVariableW(L"LAUNCH_RECORD", nullptr); }
    LaunchRecord(const LaunchRecord&) = delete;
    LaunchRecord& operator=(const LaunchRecord&) = delete;
    // The record once it holds `lines` lines (what it holds after the time-out).
    std::string WaitForLines(size_t lines = 1, DWORD timeoutMs = 15000) const {
        std::string text;
        WaitFor(
            [&] {
                text = ReadFileBytes(m_path);
                return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) >= lines;
            },
            timeoutMs);
        return text;
    }
    std::string WaitForLine() const { return WaitForLines(1); }
    std::string Text() const { return ReadFileBytes(m_path); }

private:
    std::wstring m_path;
};

inline DWORD OwnerProcess(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

// The window's centre in screen coordinates (where a real click goes).
inline POINT Centre(HWND window) {
    RECT rc;
    GetWindowRect(window, &rc);
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts program with the given argument tail; extraEnv entries are "NAME=value".
    bool Start(const std::wstring& program, const std::wstring& arguments = L"",
               const std::vector<std::wstring>& extraEnv = {}) {
        Kill();
        std::wstring line = L"\"" + program + L"\"";
        if (!arguments.empty())
            line += L" " + arguments;
        std::vector<wchar_t> buffer(line.begin(), line.end());
        buffer.push_back(0);
        std::vector<std::wstring> saved;
        for (const auto& e : extraEnv) {
            std::wstring name = e.substr(0, e.find(L'='));
            wchar_t old[1024] = {};
            bool had = GetEnvironmentVariableW(name.c_str(), old, 1024) > 0;
            saved.push_back(had ? name + L"=" + old : name + L"=");
            SetEnvironmentVariableW(name.c_str(), e.substr(e.find(L'=') + 1).c_str());
        }
        std::wstring dir = program.substr(0, program.find_last_of(L'\\'));
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        bool ok = CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                                 &si, &m_pi) != FALSE;
        for (const auto& e : saved) {
            std::wstring name = e.substr(0, e.find(L'='));
            std::wstring value = e.substr(e.find(L'=') + 1);
            SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str());
        }
        if (!ok) {
            // Seen once under a loaded Wine: the error says whether to look at the system or the program.
            std::fprintf(stderr, "ChildProcess: CreateProcess of %ls failed with error %lu\n", program.c_str(),
                         GetLastError());
            m_pi = PROCESS_INFORMATION{};
        } else {
            CloseHandle(m_pi.hThread);
        }
        return ok;
    }

    // Takes over a running process started some other way (through a Unix shell).
    bool Attach(DWORD pid) {
        Kill();
        m_pi.hProcess =
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        m_pi.dwProcessId = m_pi.hProcess ? pid : 0;
        return m_pi.hProcess != nullptr;
    }

    // Waits for the end; returns the exit code, or STILL_ACTIVE on time-out.
    DWORD Wait(DWORD timeoutMs = 20000) {
        if (!m_pi.hProcess)
            return static_cast<DWORD>(-2);
        if (WaitForSingleObject(m_pi.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return STILL_ACTIVE;
        DWORD code = 0;
        GetExitCodeProcess(m_pi.hProcess, &code);
        return code;
    }
    bool Running() const { return m_pi.hProcess && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD Id() const { return m_pi.dwProcessId; }
    HANDLE Handle() const { return m_pi.hProcess; }

    void Kill() {
        if (m_pi.hProcess) {
            if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(m_pi.hProcess, 99);
                WaitForSingleObject(m_pi.hProcess, 5000);
            }
            CloseHandle(m_pi.hProcess);
        }
        m_pi = PROCESS_INFORMATION{};
    }

private:
    PROCESS_INFORMATION m_pi{};
};

// The first visible top-level window of the process with the given class and
// title (any when null); dialogs and message boxes share a class, not a title.
inline HWND FindTitledWindow(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs = 15000) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND h = GetTopWindow(nullptr); h; h = GetNextWindow(h, GW_HWNDNEXT)) {
                wchar_t cls[64] = {}, text[128] = {};
                GetClassNameW(h, cls, 64);
                GetWindowTextW(h, text, 128);
                if (OwnerProcess(h) == pid && IsWindowVisible(h) && (!className || wcscmp(cls, className) == 0) &&
                    (!title || wcscmp(text, title) == 0))
                    return (found = h) != nullptr;
            }
            return false;
        },
        timeoutMs);
    return found;
}

inline HWND FindProcessWindow(DWORD pid, const wchar_t* className, DWORD timeoutMs = 10000) {
    return FindTitledWindow(pid, className, nullptr, timeoutMs);
}

struct MessageBoxSeen {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
};

// Finds the message box of a process (the one with this caption when given),
// reads it and closes it with OK.
inline MessageBoxSeen TakeMessageBox(DWORD pid, DWORD timeoutMs = 10000, const wchar_t* caption = nullptr) {
    MessageBoxSeen seen;
    seen.window = FindTitledWindow(pid, L"#32770", caption, timeoutMs);
    if (!seen.window)
        return seen;
    wchar_t buf[1024] = {};
    GetWindowTextW(seen.window, buf, 1024);
    seen.caption = buf;
    buf[0] = 0;
    GetDlgItemTextW(seen.window, 0xFFFF, buf, 1024);
    seen.text = buf;
    PostMessageW(seen.window, WM_COMMAND, IDOK, 0);
    return seen;
}
