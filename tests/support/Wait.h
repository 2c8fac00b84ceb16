// Waiting in tests: for a state, never for a time. The thread's messages run
// meanwhile, so windows of the test process keep working while it waits.
#pragma once

#include <windows.h>

// Runs the messages queued for this thread now.
inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Runs the thread's messages until done() holds; false after the time-out.
template <class F> bool WaitFor(F done, DWORD timeoutMs = 15000) {
    const DWORD start = GetTickCount();
    for (;;) {
        Pump();
        if (done())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

// Runs the thread's messages for a while: only to show that something does NOT
// happen, never to wait for something that should.
inline void PumpFor(DWORD ms) {
    WaitFor([] { return false; }, ms);
}
