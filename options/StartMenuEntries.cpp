#include "StartMenuEntries.h"

#include "SearchIndex.h"
#include "Utils.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <new>
#include <set>
#include <utility>

std::vector<StartMenuRoot> DefaultStartMenuRoots() {
    static const struct {
        int csidl;
        int recurse;
    } kSources[] = {{CSIDL_PROGRAMS, 1}, {CSIDL_COMMON_STARTMENU, 0}, {CSIDL_COMMON_PROGRAMS, 1}};
    std::vector<StartMenuRoot> roots;
    for (const auto& source : kSources) {
        wchar_t path[kPathCapacity];
        if (::SHGetSpecialFolderPathW(nullptr, path, source.csidl, FALSE))
            roots.push_back({path, source.recurse});
    }
    return roots;
}

int CollectStartMenuShortcuts(const std::vector<StartMenuRoot>& roots, StartMenuEntries* entries, HANDLE stop) {
    std::set<std::wstring> seen;
    for (const StartMenuRoot& root : roots) {
        std::vector<SearchEntry> found;
        if (!CollectShortcuts(root.strPath.c_str(), root.bRecurse, &found, stop))
            return 0;
        for (SearchEntry& shortcut : found) {
            StartMenuEntry entry;
            const size_t slash = shortcut.strPath.find_last_of(L'\\');
            if (slash != std::wstring::npos && slash > root.strPath.size())
                entry.strFolder = shortcut.strPath.substr(root.strPath.size() + 1, slash - root.strPath.size() - 1);
            // Both Start Menus' folders are one folder: a name there is listed once.
            if (!seen.insert(SearchPathKey((entry.strFolder + L"\\" + shortcut.strName).c_str())).second)
                continue;
            entry.strName = std::move(shortcut.strName);
            entry.strPath = std::move(shortcut.strPath);
            entry.strFolded = std::move(shortcut.strFolded);
            entries->push_back(std::move(entry));
        }
    }
    return 1;
}

StartMenuEntries MergeStartMenuEntries(StartMenuEntries shortcuts, const CPackagedApps::Apps* apps) {
    if (apps)
        for (const PackagedApp& app : *apps) {
            StartMenuEntry entry;
            entry.strName = app.strName;
            entry.strPath = app.strPath;
            entry.strFolded = FoldForSearch(app.strName.c_str());
            entry.bApp = true;
            shortcuts.push_back(std::move(entry));
        }
    // In the user's language's order, as Explorer sorts names ("Éditeur" among the E's).
    auto compare = [](const std::wstring& a, const std::wstring& b) {
        return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1);
    };
    std::stable_sort(shortcuts.begin(), shortcuts.end(), [&](const StartMenuEntry& a, const StartMenuEntry& b) {
        const int names = compare(a.strName, b.strName);
        return names != CSTR_EQUAL ? names == CSTR_LESS_THAN : compare(a.strFolder, b.strFolder) == CSTR_LESS_THAN;
    });
    return shortcuts;
}

std::vector<size_t> FilterStartMenuEntries(const StartMenuEntries& entries, const wchar_t* text) {
    std::wstring folded = FoldForSearch(text);
    // Blanks around the text are no part of any name the user looks for.
    const size_t first = folded.find_first_not_of(L' ');
    folded = first == std::wstring::npos ? std::wstring() : folded.substr(first, folded.find_last_not_of(L' ') - first + 1);
    std::vector<size_t> shown;
    shown.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        if (folded.empty() || entries[i].strFolded.find(folded) != std::wstring::npos)
            shown.push_back(i);
    return shown;
}

struct CStartMenuReader::Shared {
    std::vector<StartMenuRoot> roots;
    std::mutex lock;
    HWND hNotify = nullptr; // cleared by Stop: nothing is posted after it
    UINT nMessage = 0;
    std::shared_ptr<const StartMenuEntries> result;
    fw::UniqueKernelHandle hStop;
};

int CStartMenuReader::Start(std::vector<StartMenuRoot> roots, HWND notify, UINT message) {
    Stop();
    std::shared_ptr<Shared> shared(new (std::nothrow) Shared);
    if (!shared)
        return 0;
    shared->roots = std::move(roots);
    shared->hNotify = notify;
    shared->nMessage = message;
    shared->hStop.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto* param = shared->hStop ? new (std::nothrow) std::shared_ptr<Shared>(shared) : nullptr;
    HANDLE thread = param ? ::CreateThread(nullptr, 0, ThreadMain, param, 0, nullptr) : nullptr;
    if (!thread) {
        delete param;
        return 0;
    }
    m_hThread.reset(thread);
    m_shared = std::move(shared);
    return 1;
}

void CStartMenuReader::Stop() {
    if (!m_shared)
        return;
    {
        std::lock_guard<std::mutex> hold(m_shared->lock);
        m_shared->hNotify = nullptr;
    }
    ::SetEvent(m_shared->hStop.get());
    ::WaitForSingleObject(m_hThread.get(), kStopWaitMs);
    m_hThread.reset();
    m_shared.reset();
}

std::shared_ptr<const StartMenuEntries> CStartMenuReader::Result() const {
    if (!m_shared)
        return nullptr;
    std::lock_guard<std::mutex> hold(m_shared->lock);
    return m_shared->result;
}

DWORD WINAPI CStartMenuReader::ThreadMain(void* param) {
    std::unique_ptr<std::shared_ptr<Shared>> holder(static_cast<std::shared_ptr<Shared>*>(param));
    Shared& shared = **holder;
    // The shell's folder functions may need COM on this thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::shared_ptr<StartMenuEntries> entries(new (std::nothrow) StartMenuEntries);
    if (entries && CollectStartMenuShortcuts(shared.roots, entries.get(), shared.hStop.get())) {
        std::lock_guard<std::mutex> hold(shared.lock);
        shared.result = std::move(entries);
        if (shared.hNotify)
            ::PostMessageW(shared.hNotify, shared.nMessage, 0, 0);
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return 0;
}
