#include "Session.h"

#include "Handles.h"

#include <powrprof.h>
#include <wtsapi32.h>

void EnableShutdownPrivilege() {
    fw::UniqueKernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
        return;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    if (::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
}

SessionApi& Session() {
    static SessionApi api = {::ExitWindowsEx, ::LockWorkStation, ::SetSuspendState, ::WTSDisconnectSession,
                             EnableShutdownPrivilege};
    return api;
}
