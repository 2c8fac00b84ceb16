// The thread's message loop with filters (asked last-added-first before a
// message is dispatched) and idle handlers (run when the queue runs dry).
// Windows register in OnCreate/WM_INITDIALOG and unregister in OnDestroy.
#pragma once

#include <windows.h>

#include <vector>

namespace fw {

class CMessageFilter {
public:
    virtual ~CMessageFilter() = default;
    // Returns TRUE when the message was handled and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg) = 0;
};

class CIdleHandler {
public:
    virtual ~CIdleHandler() = default;
    virtual BOOL OnIdle() = 0;
};

class CMessageLoop {
public:
    BOOL AddMessageFilter(CMessageFilter* filter);
    BOOL RemoveMessageFilter(CMessageFilter* filter);
    BOOL AddIdleHandler(CIdleHandler* handler);
    BOOL RemoveIdleHandler(CIdleHandler* handler);

    // Runs until WM_QUIT and returns its wParam. A GetMessage failure (-1) is skipped.
    int Run();

    static bool IsIdleMessage(const MSG* msg);

private:
    BOOL PreTranslateMessage(MSG* msg);
    BOOL OnIdle();

    std::vector<CMessageFilter*> m_filters;
    std::vector<CIdleHandler*> m_idleHandlers;
    MSG m_msg{};
};

} // namespace fw
