// The index of Start Menu shortcuts that typed text searches, kept by a
// thread of its own.
//
// Lifecycle of CSearchIndexer: the menu makes it in OnCreate and calls Start,
// which reads the Start Menu folders on the indexer's thread and then watches
// them, reading them again after every change. Each new index is published
// whole (Snapshot) and announced by posting `message` to the menu. Stop, which
// the menu calls in OnDestroy while its window still exists, signals the
// thread and joins it, so that nothing is posted once the window is gone.
#pragma once

#include "SearchIndex.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class CSearchIndexer {
public:
    using Entries = std::vector<SearchEntry>;

    // folders: where to look, each with its subfolders or not; empty: the
    // user's and the All Users' Start Menu as the all-programs tree lists them.
    CSearchIndexer(HWND notify, UINT message, std::vector<std::pair<std::wstring, int>> folders = {});
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
    void Run();
    void Build();

    HWND m_hNotify;
    UINT m_nMessage;
    std::vector<std::pair<std::wstring, int>> m_folders;
    HANDLE m_hStop = nullptr;
    std::thread m_thread;
    mutable std::mutex m_lock;
    std::shared_ptr<const Entries> m_entries;
    unsigned m_nGeneration = 0;
};
