// The recent documents' source: readings on a thread of their own, each list
// published whole; and which of them belong to a program.
#include "RecentDocs.h"

#include "RecentShortcuts.h"

#include "Handles.h"

#include <knownfolders.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <new>
#include <utility>

namespace {

// A list younger than this is not read again unless the folder changed.
const DWORD kFreshMs = 60 * 1000;
const DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;

struct WatchTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindCloseChangeNotification(h); }
};
using UniqueWatch = fw::UniqueHandle<WatchTraits>;

// One reading: its thread signals `done` as it ends, whoever still waits.
struct Reading {
    volatile LONG stop = 0;
    fw::UniqueKernelHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

bool Running(const std::shared_ptr<Reading>& reading) {
    return reading && ::WaitForSingleObject(reading->done.get(), 0) == WAIT_TIMEOUT;
}

std::wstring UsersRecentFolder() {
    wchar_t* path = nullptr;
    std::wstring out;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Recent, 0, nullptr, &path)) && path)
        out = path;
    ::CoTaskMemFree(path);
    return out;
}

bool SamePath(const std::wstring& a, const wchar_t* b) {
    return !a.empty() && ::CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

bool SameDocuments(const CRecentDocs::Documents& now, const CRecentDocs::Documents* before) {
    if (!before)
        return false;
    if (now.size() != before->size())
        return false;
    for (size_t i = 0; i < now.size(); ++i) {
        const RecentDocument& a = now[i];
        const RecentDocument& b = (*before)[i];
        if (a.strPath != b.strPath || a.strName != b.strName || a.strShortcut != b.strShortcut ||
            a.strProgram != b.strProgram || ::CompareFileTime(&a.written, &b.written) != 0)
            return false;
    }
    return true;
}

// The shortcuts of a folder set for tests, as "Clear recent items" removes the user's.
bool DeleteShortcuts(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    fw::UniqueFind find(::FindFirstFileW((folder + L"\\*.lnk").c_str(), &data));
    if (!find)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    bool all = true;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !::DeleteFileW((folder + L"\\" + data.cFileName).c_str()))
            all = false;
    } while (::FindNextFileW(find.get(), &data));
    return all;
}

} // namespace

struct CRecentDocs::Shared : std::enable_shared_from_this<Shared> {
    // What one reading's thread needs; it keeps the source's state alive
    // however long it outlives a Stop.
    struct Job {
        std::shared_ptr<Shared> shared;
        std::shared_ptr<Reading> reading;
        unsigned epoch;
        std::wstring folder;
        Reader reader;
        HWND notify;
        UINT message;
    };

    mutable std::mutex lock;
    std::wstring folder; // empty: the user's Recent folder
    Reader reader;
    std::shared_ptr<const Documents> documents;
    unsigned generation = 0;
    unsigned epoch = 0; // a new folder, reader or Clear: readings started before publish nothing
    bool read = false;  // a reading was started and nothing seen since asks for another
    DWORD readAt = 0;   // tick count of that reading's start
    UniqueWatch watch;  // the change notification on `watched`
    std::wstring watched;
    std::shared_ptr<Reading> reading;                 // the latest reading
    std::vector<std::shared_ptr<Reading>> unfinished; // every reading whose thread may not have ended
    RecentShortcutCache cache;                        // what the latest reading opened

    // Forgets the list and what was read (under the lock).
    void Restart() {
        ++epoch;
        read = false;
        cache.clear();
        watch.reset();
        watched.clear();
    }

    static DWORD WINAPI Thread(void* param) {
        std::unique_ptr<Job> job(static_cast<Job*>(param));
        {
            fw::ComScope com; // the shortcuts are COM objects
            // Reading many shortcuts must not slow the menu's own painting.
            ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
            job->shared->Run(*job);
        }
        ::SetEvent(job->reading->done.get());
        return 0;
    }

    void Run(Job& job) {
        const std::wstring path = job.folder.empty() ? UsersRecentFolder() : job.folder;
        // Watched before it is read: a change during the reading shows at the next opening.
        Watch(path, job.epoch);
        Documents read;
        if (job.reader) {
            read = job.reader(path, &job.reading->stop);
        } else {
            RecentShortcutCache known;
            {
                std::lock_guard<std::mutex> hold(lock);
                known = cache;
            }
            ReadRecentFolder(path, &job.reading->stop, &known, kMaxDocuments, &read);
            std::lock_guard<std::mutex> hold(lock);
            if (!job.reading->stop && job.epoch == epoch)
                cache = std::move(known);
        }
        bool changed = false;
        {
            std::lock_guard<std::mutex> hold(lock);
            if (job.reading->stop || job.epoch != epoch) {
                if (job.reading == reading && job.epoch == epoch)
                    this->read = false; // a partial list is not published: the next opening reads again
                return;
            }
            // The same list again (most readings): the rows showing it stay as they are.
            changed = !SameDocuments(read, documents.get());
            if (changed) {
                documents = std::make_shared<const Documents>(std::move(read));
                ++generation;
            }
        }
        if (changed && job.notify)
            ::PostMessageW(job.notify, job.message, 0, 0);
    }

    void Watch(const std::wstring& path, unsigned forEpoch) {
        {
            std::lock_guard<std::mutex> hold(lock);
            if (forEpoch != epoch || (watch && watched == path))
                return;
        }
        // A missing folder has no watch: each opening looks again, which costs one failed lookup.
        UniqueWatch made(path.empty() ? INVALID_HANDLE_VALUE
                                      : ::FindFirstChangeNotificationW(path.c_str(), FALSE, kWatchFilter));
        std::lock_guard<std::mutex> hold(lock);
        if (forEpoch == epoch && made) {
            watch = std::move(made);
            watched = path;
        }
    }
};

CRecentDocs::CRecentDocs() : m_shared(std::make_shared<Shared>()) {}

CRecentDocs::~CRecentDocs() {
    Stop();
}

void CRecentDocs::SetFolder(std::wstring folder) {
    Stop();
    std::lock_guard<std::mutex> hold(m_shared->lock);
    m_shared->folder = std::move(folder);
    m_shared->Restart();
    m_shared->documents.reset();
    ++m_shared->generation; // the rows showing the former ones fill again
}

void CRecentDocs::SetReader(Reader reader) {
    Stop();
    std::lock_guard<std::mutex> hold(m_shared->lock);
    m_shared->reader = std::move(reader);
    m_shared->Restart();
}

void CRecentDocs::Refresh(HWND notify, UINT message) {
    Shared& s = *m_shared;
    std::unique_ptr<Shared::Job> job;
    {
        std::lock_guard<std::mutex> hold(s.lock);
        // A reading that was told to stop and has not yet is left to end; another may start.
        if (Running(s.reading) && !s.reading->stop)
            return;
        const bool changed = s.watch && ::WaitForSingleObject(s.watch.get(), 0) == WAIT_OBJECT_0;
        if (s.read && !changed && s.watch && ::GetTickCount() - s.readAt < kFreshMs)
            return;
        if (changed)
            ::FindNextChangeNotification(s.watch.get()); // armed again before the reading starts
        auto reading = std::make_shared<Reading>();
        if (!reading->done)
            return;
        job.reset(new (std::nothrow)
                      Shared::Job{s.shared_from_this(), reading, s.epoch, s.folder, s.reader, notify, message});
        if (!job)
            return;
        s.unfinished.erase(std::remove_if(s.unfinished.begin(), s.unfinished.end(),
                                          [](const std::shared_ptr<Reading>& r) { return !Running(r); }),
                           s.unfinished.end());
        s.unfinished.push_back(reading);
        s.reading = std::move(reading);
        s.read = true;
        s.readAt = ::GetTickCount();
    }
    fw::UniqueKernelHandle thread(::CreateThread(nullptr, 0, Shared::Thread, job.get(), 0, nullptr));
    if (thread) {
        job.release(); // the thread owns it now
        return;
    }
    std::lock_guard<std::mutex> hold(s.lock);
    s.read = false; // no thread now: the next opening tries again
    ::SetEvent(job->reading->done.get());
}

void CRecentDocs::Stop() {
    std::shared_ptr<Reading> reading;
    {
        std::lock_guard<std::mutex> hold(m_shared->lock);
        reading = m_shared->reading;
        if (!reading)
            return;
        ::InterlockedExchange(&reading->stop, 1);
        if (Running(reading))
            m_shared->read = false; // it publishes nothing now: the next opening reads again
    }
    // A reading caught in a slow call ends later on its own and publishes nothing.
    ::WaitForSingleObject(reading->done.get(), kStopWaitMs);
}

void CRecentDocs::WaitForReading() {
    std::vector<std::shared_ptr<Reading>> readings;
    {
        std::lock_guard<std::mutex> hold(m_shared->lock);
        readings = m_shared->unfinished;
    }
    for (const auto& reading : readings)
        ::WaitForSingleObject(reading->done.get(), INFINITE);
}

std::shared_ptr<const CRecentDocs::Documents> CRecentDocs::Snapshot() const {
    std::lock_guard<std::mutex> hold(m_shared->lock);
    return m_shared->documents;
}

unsigned CRecentDocs::Generation() const {
    std::lock_guard<std::mutex> hold(m_shared->lock);
    return m_shared->generation;
}

bool CRecentDocs::Clear() {
    Stop(); // a reading under way would publish the list being cleared
    std::wstring folder;
    {
        std::lock_guard<std::mutex> hold(m_shared->lock);
        folder = m_shared->folder;
    }
    bool cleared = true;
    if (folder.empty())
        ::SHAddToRecentDocs(SHARD_PIDL, nullptr); // the shell empties its own list
    else
        cleared = DeleteShortcuts(folder);
    std::lock_guard<std::mutex> hold(m_shared->lock);
    ++m_shared->epoch;
    m_shared->read = false; // what could not be removed shows again at the next opening
    m_shared->cache.clear();
    m_shared->documents = std::make_shared<const Documents>();
    ++m_shared->generation;
    return cleared;
}

CRecentDocs::Documents CRecentDocs::Read(const std::wstring& folder, const volatile LONG* stop) {
    Documents documents;
    ReadRecentFolder(folder, stop, nullptr, kMaxDocuments, &documents);
    return documents;
}

CRecentDocs& RecentDocs() {
    static CRecentDocs source;
    return source;
}

ProgramOfType AssociatedProgram() {
    return [](const wchar_t* extension) -> std::wstring {
        if (!extension || extension[0] != L'.' || !extension[1])
            return std::wstring();
        wchar_t program[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        // An unknown type gives nothing rather than the "Open with" dialog's program.
        if (FAILED(::AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN | ASSOCF_NOTRUNCATE, ASSOCSTR_EXECUTABLE, extension,
                                       nullptr, program, &size)) ||
            !program[0])
            return std::wstring();
        if (::PathIsRelativeW(program)) {
            // A bare name ("notepad.exe"): where it would start from; "%1" (the document runs itself) is no program.
            wchar_t found[MAX_PATH] = {};
            if (wcschr(program, L'%') || !::SearchPathW(nullptr, program, L".exe", MAX_PATH, found, nullptr))
                return std::wstring();
            return found;
        }
        return program;
    };
}

std::vector<const RecentDocument*> DocumentsOfProgram(const CRecentDocs::Documents& documents,
                                                      const wchar_t* programPath, size_t max,
                                                      const ProgramOfType& programOfType) {
    std::vector<const RecentDocument*> out;
    if (!programPath || !*programPath)
        return out;
    std::map<std::wstring, bool> opensWith; // per extension, asked once
    for (const RecentDocument& document : documents) {
        if (out.size() >= max)
            break;
        bool mine = false;
        if (!document.strProgram.empty()) {
            // The program the shortcut names opened it, whatever the type's program is.
            mine = SamePath(document.strProgram, programPath);
        } else {
            std::wstring extension = ::PathFindExtensionW(document.strPath.c_str());
            if (extension.size() < 2)
                continue;
            ::CharLowerBuffW(&extension[0], static_cast<DWORD>(extension.size()));
            auto known = opensWith.find(extension);
            if (known == opensWith.end())
                known =
                    opensWith
                        .emplace(extension, programOfType && SamePath(programOfType(extension.c_str()), programPath))
                        .first;
            mine = known->second;
        }
        if (mine)
            out.push_back(&document);
    }
    return out;
}
