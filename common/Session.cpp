#include "Session.h"

#include <powrprof.h>
#include <wtsapi32.h>

void EnableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    if (::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
    ::CloseHandle(token);
}

SessionApi& Session() {
    static SessionApi api = {::ExitWindowsEx, ::LockWorkStation, ::SetSuspendState, ::WTSDisconnectSession,
                             EnableShutdownPrivilege};
    return api;
}
