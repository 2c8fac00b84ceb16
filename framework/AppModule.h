// The application module: program instance, resource instance (replaced by a
// satellite library when one is in use), main thread and the message loop
// registered per thread. One global object per program: gModule.
#pragma once

#include <windows.h>

#include <map>

namespace fw {

class CMessageLoop;

class CAppModule {
public:
    HRESULT Init(HINSTANCE instance);
    void Term();

    HINSTANCE GetModuleInstance() const { return m_instance; }
    HINSTANCE GetResourceInstance() const { return m_resourceInstance ? m_resourceInstance : m_instance; }
    void SetResourceInstance(HINSTANCE instance) { m_resourceInstance = instance; }
    DWORD GetMainThreadId() const { return m_mainThreadId; }

    BOOL AddMessageLoop(CMessageLoop* loop);
    BOOL RemoveMessageLoop();
    CMessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId()) const;

private:
    HINSTANCE m_instance = nullptr;
    HINSTANCE m_resourceInstance = nullptr;
    DWORD m_mainThreadId = 0;
    bool m_initialised = false;
    mutable CRITICAL_SECTION m_lock{};
    std::map<DWORD, CMessageLoop*> m_loops;
};

extern CAppModule gModule;

} // namespace fw
