// The packaged apps (Settings, the Store's apps) at the all-programs tree's
// top level, merged by name among the Start Menu's entries, their icons
// from the source's list through the icon thread.
#include "TreeWnd.h"

#include "PackagedApps.h"
#include "Text.h"
#include "Utils.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The name a top-level entry is sorted by: its file name without extension.
void EntryName(const _treeNode* item, wchar_t* name) {
    SplitPath(item->szPath, nullptr, nullptr, name, nullptr);
}

} // namespace

unsigned CTreeWnd::AddPackagedApps(int height) {
    const unsigned generation = PackagedApps().Generation();
    const std::shared_ptr<const CPackagedApps::Apps> apps = PackagedApps().Snapshot();
    if (!apps || apps->empty())
        return generation;
    std::vector<const PackagedApp*> sorted;
    for (const PackagedApp& app : *apps)
        sorted.push_back(&app);
    std::stable_sort(sorted.begin(), sorted.end(), [](const PackagedApp* a, const PackagedApp* b) {
        return _wcsicmp(a->strName.c_str(), b->strName.c_str()) < 0;
    });
    _treeNode* root = &m_root;
    // One walk along the sorted entries: each app goes before the first entry
    // named after it, or before the first folder.
    _treeNode* next = root->pChild;
    wchar_t nextName[kPartCapacity] = L"";
    if (next && !(next->dwFlags & kTreeFolder))
        EntryName(next, nextName);
    for (const PackagedApp* app : sorted) {
        while (next && !(next->dwFlags & kTreeFolder) && _wcsicmp(nextName, app->strName.c_str()) <= 0) {
            next = next->pNext;
            if (next && !(next->dwFlags & kTreeFolder))
                EntryName(next, nextName);
        }
        _treeNode* item = AddNode(app->strName.c_str(), nullptr, kTreeDrawText | kTreeDrawIcon, height, nullptr);
        if (!item)
            continue;
        fw::StrCopy(item->szPath, app->strPath.c_str());
        // As for the shortcuts, the icon thread copies the app's icon once its
        // row is first painted: copying a hundred here cost the toggle more
        // than all the rest of its reading.
        item->nPending = kTreePendingIcon;
        if (!next)
            continue; // added last, where it belongs
        // Moved from the end, where it was added, to before `next`.
        item->pPrev->pNext = nullptr;
        item->pPrev = next->pPrev;
        item->pNext = next;
        if (next->pPrev)
            next->pPrev->pNext = item;
        else
            root->pChild = item;
        next->pPrev = item;
    }
    return generation;
}

