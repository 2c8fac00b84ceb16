// The index of Start Menu shortcuts that typed text searches, kept by a
// thread of its own.
//
// Lifecycle of CSearchIndexer: the menu makes it in OnCreate and calls Start,
// which reads the Start Menu folders on the indexer's thread and then watches
// them, reading them again after every change. Each new index is published
// whole (Snapshot) and announced by posting `message` to the menu. Stop, which
// the menu calls in OnDestroy while its window still exists, signals the
// thread, which posts nothing from then on, and waits for its end at most
// kStopWaitMs: a Start Menu redirected to a slow or offline share can block a
// listing for minutes, and exit and shell restarts must not wait for it. A
// thread that outlives the wait ends on its own later; all it uses is held by
// a shared record, so the indexer itself may be gone by then.
#pragma once

#include "Handles.h"
#include "SearchIndex.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class CSearchIndexer {
public:
    using Entries = std::vector<SearchEntry>;
    // Reads one folder as CollectShortcuts does (SearchIndex.h); 0 when stopped.
    using Lister = std::function<int(const wchar_t* folder, int recurse, Entries* entries, HANDLE stop)>;
    static const DWORD kStopWaitMs = 1000;

    // folders: where to look, each with its subfolders or not; empty: the
    // user's and the All Users' Start Menu as the all-programs tree lists them.
    // lister: CollectShortcuts when empty.
    CSearchIndexer(HWND notify, UINT message, std::vector<std::pair<std::wstring, int>> folders = {},
                   Lister lister = nullptr);
    ~CSearchIndexer();
    CSearchIndexer(const CSearchIndexer&) = delete;
    CSearchIndexer& operator=(const CSearchIndexer&) = delete;

    int Start();
    void Stop();
    // The latest complete index; empty until the first one is read.
    std::shared_ptr<const Entries> Snapshot() const;
    // How many indexes were published so far.
    unsigned Generation() const;

private:
    struct Shared; // one per run of the thread, held by the indexer and the thread

    static DWORD WINAPI ThreadMain(void* param);
    static void Run(Shared& shared);
    static void Build(Shared& shared);

    HWND m_hNotify;
    UINT m_nMessage;
    std::vector<std::pair<std::wstring, int>> m_folders;
    Lister m_lister;
    std::shared_ptr<Shared> m_shared;
    fw::UniqueKernelHandle m_hThread;
};
