// Runs standin_taskbar.exe, from the folder of the running program, as a
// separate process: the shell's part in end-to-end tests.
//
//   CStandinProcess standin;
//   ASSERT_TRUE(standin.Start(options));   // returns once its taskbar exists
//   HWND tray = standin.Taskbar();
//   ...                                    // ~CStandinProcess stops it, also when a test fails
#pragma once

#include "StandinOptions.h"

#include <windows.h>

class CStandinProcess {
public:
    CStandinProcess() = default;
    ~CStandinProcess();
    CStandinProcess(const CStandinProcess&) = delete;
    CStandinProcess& operator=(const CStandinProcess&) = delete;

    // Waits at most 30 s for the stand-in's windows; false if they do not come.
    bool Start(const StandinOptions& options);
    // Sends WM_CLOSE, ends the process if it has not gone within 5 s, and waits for it.
    void Stop();

    HWND Taskbar() const { return m_hTaskbar; }
    DWORD ProcessId() const { return m_pi.dwProcessId; }
    HANDLE Process() const { return m_pi.hProcess; }

private:
    PROCESS_INFORMATION m_pi = {};
    HWND m_hTaskbar = nullptr;
};
