#include "StandinProcess.h"

#include <cstdio>
#include <string>

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : folder.substr(0, slash);
}

struct TaskbarSearch {
    DWORD dwProcessId;
    HWND hFound;
};

BOOL CALLBACK FindProcessTaskbar(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<TaskbarSearch*>(lParam);
    wchar_t className[64] = {};
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == search->dwProcessId && GetClassNameW(hWnd, className, 64) && wcscmp(className, L"Shell_TrayWnd") == 0) {
        search->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

CStandinProcess::~CStandinProcess() {
    Stop();
}

bool CStandinProcess::Start(const StandinOptions& options) {
    Stop();
    static LONG counter = 0;
    std::wstring eventName = L"Velmar.Standin.Ready." + std::to_wstring(GetCurrentProcessId()) + L"." +
                             std::to_wstring(InterlockedIncrement(&counter));
    HANDLE hReady = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    if (!hReady)
        return false;

    StandinOptions withEvent = options;
    withEvent.readyEvent = eventName;
    std::wstring exe = ProgramFolder() + L"\\standin_taskbar.exe";
    std::wstring line = L"\"" + exe + L"\" " + withEvent.ToCommandLine();
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi)) {
        std::fprintf(stderr, "stand-in: CreateProcess failed with error %lu\n", GetLastError());
        CloseHandle(hReady);
        m_pi = PROCESS_INFORMATION{};
        return false;
    }
    HANDLE waits[2] = {hReady, m_pi.hProcess};
    DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 30000);
    CloseHandle(hReady);
    if (woke != WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(m_pi.hProcess, &code);
        std::fprintf(stderr, "stand-in: not ready (wait %lu, exit code %lu)\n", woke, code);
        return false;
    }
    TaskbarSearch search = {m_pi.dwProcessId, nullptr};
    EnumWindows(FindProcessTaskbar, reinterpret_cast<LPARAM>(&search));
    m_hTaskbar = search.hFound;
    return m_hTaskbar != nullptr;
}

void CStandinProcess::Stop() {
    if (!m_pi.hProcess)
        return;
    if (m_hTaskbar && IsWindow(m_hTaskbar))
        PostMessageW(m_hTaskbar, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(m_pi.hProcess, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(m_pi.hProcess, 1);
        WaitForSingleObject(m_pi.hProcess, 10000);
    }
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
    m_pi = PROCESS_INFORMATION{};
    m_hTaskbar = nullptr;
}
