// The one seam between the program and calls that would end or disturb the
// session: tests replace these entries with recorders; the program never does.
#pragma once

#include <windows.h>

struct SessionApi {
    BOOL(WINAPI* exitWindows)(UINT flags, DWORD reason);
    BOOL(WINAPI* lockWorkStation)();
    BOOLEAN(WINAPI* setSuspendState)(BOOLEAN hibernate, BOOLEAN force, BOOLEAN wakeupEventsDisabled);
    BOOL(WINAPI* disconnectSession)(HANDLE server, DWORD sessionId, BOOL wait);
    void (*enableShutdownPrivilege)();
};

// The table in use; starts with the real calls.
SessionApi& Session();
// Enables SeShutdownPrivilege on the process token; failures are silent.
void EnableShutdownPrivilege();
