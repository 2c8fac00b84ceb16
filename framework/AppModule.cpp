#include "AppModule.h"

namespace fw {

CAppModule gModule;

HRESULT CAppModule::Init(HINSTANCE instance) {
    if (m_initialised)
        return S_OK;
    m_instance = instance ? instance : ::GetModuleHandleW(nullptr);
    m_resourceInstance = m_instance;
    m_mainThreadId = ::GetCurrentThreadId();
    ::InitializeCriticalSection(&m_lock);
    m_initialised = true;
    return S_OK;
}

void CAppModule::Term() {
    if (!m_initialised)
        return;
    ::EnterCriticalSection(&m_lock);
    m_loops.clear();
    ::LeaveCriticalSection(&m_lock);
    ::DeleteCriticalSection(&m_lock);
    m_initialised = false;
}

BOOL CAppModule::AddMessageLoop(CMessageLoop* loop) {
    if (!m_initialised || !loop)
        return FALSE;
    ::EnterCriticalSection(&m_lock);
    bool added = m_loops.emplace(::GetCurrentThreadId(), loop).second;
    ::LeaveCriticalSection(&m_lock);
    return added;
}

BOOL CAppModule::RemoveMessageLoop() {
    if (!m_initialised)
        return FALSE;
    ::EnterCriticalSection(&m_lock);
    bool removed = m_loops.erase(::GetCurrentThreadId()) != 0;
    ::LeaveCriticalSection(&m_lock);
    return removed;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) const {
    if (!m_initialised)
        return nullptr;
    ::EnterCriticalSection(&m_lock);
    auto it = m_loops.find(threadId);
    CMessageLoop* loop = it == m_loops.end() ? nullptr : it->second;
    ::LeaveCriticalSection(&m_lock);
    return loop;
}

} // namespace fw
