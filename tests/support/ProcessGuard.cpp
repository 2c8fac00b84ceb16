// Linked into every test program: each process a test starts runs in a job
// that ends it when the test program ends, so nothing left behind can keep the
// runner waiting for the program's output. A test that leaves a process running
// fails, naming it, and the process is ended at once.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestFiles.h"
#include "Wait.h"

namespace {

HANDLE TestJob() {
    static HANDLE job = [] {
        HANDLE j = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (j && (!SetInformationJobObject(j, JobObjectExtendedLimitInformation, &limits, sizeof(limits)) ||
                  !AssignProcessToJobObject(j, GetCurrentProcess()))) {
            CloseHandle(j);
            j = nullptr;
        }
        return j;
    }();
    return job;
}

struct Leftover {
    DWORD pid;
    std::wstring name;
};

// Under Wine the first use of the desktop starts its explorer.exe from the test
// process; it belongs to the session (and ends by itself once nobody uses it).
bool IsDesktop(const PROCESSENTRY32W& entry) {
    if (_wcsicmp(entry.szExeFile, L"explorer.exe") != 0)
        return false;
    DWORD owner = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &owner);
    return owner == entry.th32ProcessID;
}

// The processes of the job other than this one.
std::vector<Leftover> Leftovers() {
    std::vector<Leftover> out;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return out;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId())
            continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        BOOL inJob = FALSE;
        if (IsProcessInJob(process, TestJob(), &inJob) && inJob && WaitForSingleObject(process, 0) == WAIT_TIMEOUT &&
            !IsDesktop(entry))
            out.push_back({entry.th32ProcessID, entry.szExeFile});
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return out;
}

class ProcessGuard : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        if (!TestJob())
            return;
        // A program the test ended a moment ago may still be on its way out.
        std::vector<Leftover> left;
        if (WaitFor([&] { return (left = Leftovers()).empty(); }, 10000))
            return;
        for (const Leftover& p : left) {
            ADD_FAILURE() << "the test left " << Narrow(p.name) << " (process " << p.pid << ") running";
            if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, p.pid)) {
                TerminateProcess(process, 99);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
        }
    }
};

// Ahead of the result printer, so that a leftover shows in the test's own verdict.
const bool gRegistered = [] {
    TestJob();
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    ::testing::TestEventListener* printer = listeners.Release(listeners.default_result_printer());
    listeners.Append(new ProcessGuard);
    if (printer)
        listeners.Append(printer);
    return true;
}();

} // namespace
