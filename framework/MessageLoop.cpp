#include "MessageLoop.h"

#include <algorithm>

namespace fw {

template <class T> static BOOL AddUnique(std::vector<T*>& list, T* item) {
    if (!item || std::find(list.begin(), list.end(), item) != list.end())
        return FALSE;
    list.push_back(item);
    return TRUE;
}

template <class T> static BOOL RemoveItem(std::vector<T*>& list, T* item) {
    auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end())
        return FALSE;
    list.erase(it);
    return TRUE;
}

BOOL CMessageLoop::AddMessageFilter(CMessageFilter* filter) { return AddUnique(m_filters, filter); }
BOOL CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) { return RemoveItem(m_filters, filter); }
BOOL CMessageLoop::AddIdleHandler(CIdleHandler* handler) { return AddUnique(m_idleHandlers, handler); }
BOOL CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) { return RemoveItem(m_idleHandlers, handler); }

bool CMessageLoop::IsIdleMessage(const MSG* msg) {
    // Mouse moves, paints and the caret timer do not restart idle work.
    switch (msg->message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case 0x0118: // WM_SYSTIMER (caret blink)
        return false;
    }
    return true;
}

BOOL CMessageLoop::PreTranslateMessage(MSG* msg) {
    // A filter may remove itself while being asked: walk a copy.
    std::vector<CMessageFilter*> filters = m_filters;
    for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
        if (std::find(m_filters.begin(), m_filters.end(), *it) == m_filters.end())
            continue;
        if ((*it)->PreTranslateMessage(msg))
            return TRUE;
    }
    return FALSE;
}

BOOL CMessageLoop::OnIdle() {
    std::vector<CIdleHandler*> handlers = m_idleHandlers;
    for (CIdleHandler* h : handlers) {
        if (std::find(m_idleHandlers.begin(), m_idleHandlers.end(), h) != m_idleHandlers.end())
            h->OnIdle();
    }
    return FALSE; // once per burst of messages
}

int CMessageLoop::Run() {
    bool doIdle = true;
    for (;;) {
        while (doIdle && !::PeekMessageW(&m_msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle())
                doIdle = false;
        }
        BOOL ret = ::GetMessageW(&m_msg, nullptr, 0, 0);
        if (ret == -1)
            continue;
        if (!ret)
            break;
        if (!PreTranslateMessage(&m_msg)) {
            ::TranslateMessage(&m_msg);
            ::DispatchMessageW(&m_msg);
        }
        if (IsIdleMessage(&m_msg))
            doIdle = true;
    }
    return static_cast<int>(m_msg.wParam);
}

} // namespace fw
