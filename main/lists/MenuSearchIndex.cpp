// The search index's thread: reads the Start Menu folders, then waits for
// their change notifications and reads them again.
#include "MenuSearchIndex.h"

#include "Utils.h"

#include <objbase.h>
#include <shlobj.h>

namespace {

// Changes come in bursts (an installer writes many shortcuts): the folders are
// read again once they have been quiet this long.
const DWORD kSettleMs = 200;

} // namespace

CSearchIndexer::CSearchIndexer(HWND notify, UINT message, std::vector<std::pair<std::wstring, int>> folders)
    : m_hNotify(notify), m_nMessage(message), m_folders(std::move(folders)) {
    if (m_folders.empty()) {
        // The places the all-programs tree lists: the All Users' Start Menu itself only at its top.
        static const struct {
            int csidl;
            int recurse;
        } kSources[] = {{CSIDL_PROGRAMS, 1}, {CSIDL_COMMON_STARTMENU, 0}, {CSIDL_COMMON_PROGRAMS, 1}};
        for (const auto& source : kSources) {
            wchar_t path[kPathCapacity];
            if (::SHGetSpecialFolderPathW(nullptr, path, source.csidl, FALSE))
                m_folders.emplace_back(path, source.recurse);
        }
    }
}

CSearchIndexer::~CSearchIndexer() { Stop(); }

int CSearchIndexer::Start() {
    if (m_thread.joinable())
        return 1;
    if (!m_hStop)
        m_hStop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_hStop)
        return 0;
    ::ResetEvent(m_hStop);
    m_thread = std::thread([this] { Run(); });
    return 1;
}

void CSearchIndexer::Stop() {
    if (m_thread.joinable()) {
        ::SetEvent(m_hStop);
        m_thread.join();
    }
    if (m_hStop) {
        ::CloseHandle(m_hStop);
        m_hStop = nullptr;
    }
}

std::shared_ptr<const CSearchIndexer::Entries> CSearchIndexer::Snapshot() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_entries;
}

unsigned CSearchIndexer::Generation() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nGeneration;
}

void CSearchIndexer::Build() {
    auto entries = std::make_shared<Entries>();
    for (const auto& folder : m_folders)
        if (!CollectShortcuts(folder.first.c_str(), folder.second, entries.get(), m_hStop))
            return; // stopping: a partial index is not published
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_entries = std::move(entries);
        ++m_nGeneration;
    }
    if (m_hNotify)
        ::PostMessageW(m_hNotify, m_nMessage, 0, 0);
}

void CSearchIndexer::Run() {
    // The shell's folder functions may need COM on this thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Reading thousands of shortcuts must not slow the menu's own painting.
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    Build();

    // One watch per folder tree; a folder made later (a first shortcut for
    // all users) is not watched until the next start.
    std::vector<HANDLE> waits = {m_hStop};
    for (const auto& folder : m_folders) {
        HANDLE watch = ::FindFirstChangeNotificationW(folder.first.c_str(), folder.second ? TRUE : FALSE,
                                                      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
        if (watch != INVALID_HANDLE_VALUE)
            waits.push_back(watch);
    }
    const DWORD count = static_cast<DWORD>(waits.size());
    for (;;) {
        DWORD woke = ::WaitForMultipleObjects(count, waits.data(), FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED)
            break;
        if (woke >= WAIT_OBJECT_0 + count)
            continue;
        ::FindNextChangeNotification(waits[woke - WAIT_OBJECT_0]);
        // Wait for the burst to end; a stop ends the wait at once.
        for (;;) {
            woke = ::WaitForMultipleObjects(count, waits.data(), FALSE, kSettleMs);
            if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED || woke == WAIT_TIMEOUT)
                break;
            if (woke < WAIT_OBJECT_0 + count)
                ::FindNextChangeNotification(waits[woke - WAIT_OBJECT_0]);
        }
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED)
            break;
        Build();
    }
    for (DWORD i = 1; i < count; ++i)
        ::FindCloseChangeNotification(waits[i]);
    if (SUCCEEDED(com))
        ::CoUninitialize();
}
