// The search index's thread: reads the Start Menu folders, then waits for
// their change notifications and reads them again.
#include "MenuSearchIndex.h"

#include "Utils.h"

#include <new>

#include <objbase.h>
#include <shlobj.h>

namespace {

// Changes come in bursts (an installer writes many shortcuts): the folders are
// read again once they have been quiet this long.
const DWORD kSettleMs = 200;

} // namespace

struct CSearchIndexer::Shared {
    HWND hNotify = nullptr; // cleared by Stop: nothing is posted after it
    UINT nMessage = 0;
    std::vector<std::pair<std::wstring, int>> folders;
    Lister lister;
    fw::UniqueKernelHandle hStop;
    std::mutex lock;
    std::shared_ptr<const Entries> entries;
    unsigned nGeneration = 0;
};

CSearchIndexer::CSearchIndexer(HWND notify, UINT message, std::vector<std::pair<std::wstring, int>> folders,
                               Lister lister)
    : m_hNotify(notify), m_nMessage(message), m_folders(std::move(folders)), m_lister(std::move(lister)) {
    if (!m_lister)
        m_lister = CollectShortcuts;
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
    if (m_hThread)
        return 1;
    // A new record per run: a thread stopped before may still hold the old one.
    std::shared_ptr<Shared> shared(new (std::nothrow) Shared);
    if (!shared)
        return 0;
    shared->hNotify = m_hNotify;
    shared->nMessage = m_nMessage;
    shared->folders = m_folders;
    shared->lister = m_lister;
    shared->hStop.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!shared->hStop)
        return 0;
    if (m_shared) { // the last index stays readable until the new one is read
        std::lock_guard<std::mutex> hold(m_shared->lock);
        shared->entries = m_shared->entries;
        shared->nGeneration = m_shared->nGeneration;
    }
    auto* param = new (std::nothrow) std::shared_ptr<Shared>(shared);
    if (!param)
        return 0;
    m_hThread.reset(::CreateThread(nullptr, 0, ThreadMain, param, 0, nullptr));
    if (!m_hThread) {
        delete param;
        return 0;
    }
    m_shared = std::move(shared);
    return 1;
}

void CSearchIndexer::Stop() {
    if (!m_hThread)
        return;
    {
        std::lock_guard<std::mutex> hold(m_shared->lock);
        m_shared->hNotify = nullptr;
    }
    ::SetEvent(m_shared->hStop.get());
    ::WaitForSingleObject(m_hThread.get(), kStopWaitMs);
    m_hThread.reset();
}

std::shared_ptr<const CSearchIndexer::Entries> CSearchIndexer::Snapshot() const {
    if (!m_shared)
        return nullptr;
    std::lock_guard<std::mutex> hold(m_shared->lock);
    return m_shared->entries;
}

unsigned CSearchIndexer::Generation() const {
    if (!m_shared)
        return 0;
    std::lock_guard<std::mutex> hold(m_shared->lock);
    return m_shared->nGeneration;
}

void CSearchIndexer::Build(Shared& shared) {
    auto entries = std::make_shared<Entries>();
    for (const auto& folder : shared.folders)
        if (!shared.lister(folder.first.c_str(), folder.second, entries.get(), shared.hStop.get()))
            return; // stopping: a partial index is not published
    std::lock_guard<std::mutex> hold(shared.lock);
    if (::WaitForSingleObject(shared.hStop.get(), 0) == WAIT_OBJECT_0)
        return; // stopped while a listing took long: nobody asks any more
    shared.entries = std::move(entries);
    ++shared.nGeneration;
    if (shared.hNotify)
        ::PostMessageW(shared.hNotify, shared.nMessage, 0, 0);
}

DWORD WINAPI CSearchIndexer::ThreadMain(void* param) {
    std::unique_ptr<std::shared_ptr<Shared>> shared(static_cast<std::shared_ptr<Shared>*>(param));
    Run(**shared);
    return 0;
}

void CSearchIndexer::Run(Shared& shared) {
    // The shell's folder functions may need COM on this thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Reading thousands of shortcuts must not slow the menu's own painting.
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    Build(shared);

    // One watch per folder tree; a folder made later (a first shortcut for
    // all users) is not watched until the next start.
    std::vector<HANDLE> waits = {shared.hStop.get()};
    for (const auto& folder : shared.folders) {
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
        Build(shared);
    }
    for (DWORD i = 1; i < count; ++i)
        ::FindCloseChangeNotification(waits[i]);
    if (SUCCEEDED(com))
        ::CoUninitialize();
}
