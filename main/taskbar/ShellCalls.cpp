#include "ShellCalls.h"

#include <new>

namespace {

// One query, shared by the asking thread and the worker; the last one to let
// go frees it, so a worker stuck on a stalled shell cleans up after itself.
struct AppBarQuery {
    LONG nRefs;
    DWORD message;
    APPBARDATA data;
    UINT_PTR result;
    HANDLE hDone;
};

// Workers still waiting on the shell: while one is, the shell is not asked again.
volatile LONG gStuckQueries = 0;

void Release(AppBarQuery* query) {
    if (::InterlockedDecrement(&query->nRefs) == 0) {
        ::CloseHandle(query->hDone);
        delete query;
    }
}

DWORD WINAPI AskOnWorker(void* parameter) {
    AppBarQuery* query = static_cast<AppBarQuery*>(parameter);
    query->result = ::SHAppBarMessage(query->message, &query->data);
    // Before the asker wakes: its next query must not find this one outstanding.
    ::InterlockedDecrement(&gStuckQueries);
    ::SetEvent(query->hDone);
    Release(query);
    return 0;
}

} // namespace

bool AskShellAppBar(DWORD message, APPBARDATA* data, UINT_PTR* result) {
    if (gStuckQueries > 0)
        return false;
    AppBarQuery* query = new (std::nothrow) AppBarQuery{2, message, *data, 0, nullptr};
    if (!query)
        return false;
    query->hDone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!query->hDone) {
        delete query;
        return false;
    }
    ::InterlockedIncrement(&gStuckQueries);
    HANDLE thread = ::CreateThread(nullptr, 0, AskOnWorker, query, 0, nullptr);
    if (!thread) {
        ::InterlockedDecrement(&gStuckQueries);
        query->nRefs = 1;
        Release(query);
        return false;
    }
    ::CloseHandle(thread);
    // Messages sent to this thread are taken meanwhile: the shell may be
    // asking one of its own windows on it (a taskbar made in this process).
    bool answered = false;
    for (const DWORD start = ::GetTickCount();;) {
        const DWORD waited = ::GetTickCount() - start;
        if (waited >= kShellAnswerWait)
            break;
        const DWORD woke =
            ::MsgWaitForMultipleObjects(1, &query->hDone, FALSE, kShellAnswerWait - waited, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0) {
            answered = true;
            break;
        }
        if (woke != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (answered) {
        *data = query->data;
        if (result)
            *result = query->result;
    }
    Release(query);
    return answered;
}

void MoveShellWindow(HWND window, int x, int y, int cx, int cy) {
    ::SetWindowPos(window, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    // Sent messages are handled in order: once this returns, the move is done.
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kShellAnswerWait, &ignored);
}
