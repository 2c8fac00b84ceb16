// The menu's two lists. Either may be missing (not built, or its window could
// not be created); every use here is safe for a null list.
#include "MenuWnd.h"

#include "AppList.h"
#include "Skin.h"
#include "Trace.h"
#include "TreeWnd.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

const DWORD kPinnedStyle = WS_CHILD | WS_VISIBLE;
const DWORD kPinnedExStyle = WS_EX_COMPOSITED | WS_EX_CONTROLPARENT;
const int kPinnedRowHeight = 36;
const int kPinnedHotImage = 1;

// Both lists share one rectangle of the menu, from the skin.
RECT ListRect() {
    return {gSkin.nAppListX, gSkin.nAppListY, gSkin.nAppListX + gSkin.nAppListWidth,
            gSkin.nAppListY + gSkin.nAppListHeight};
}

} // namespace

void CMenuWnd::LoadPinnedList() {
    if (!m_pPinnedList)
        m_pPinnedList.reset(new (std::nothrow) CTreeWnd(m_hWnd, kPinnedListId));
    if (!m_pPinnedList)
        return;
    if (!m_pPinnedList->IsCreated()) {
        m_pPinnedList->SetDpi(m_nDpi);
        if (!m_pPinnedList->Create(m_hWnd, fw::ScaleRect(ListRect(), m_nDpi), nullptr, kPinnedStyle, kPinnedExStyle,
                                   kPinnedListId)) {
            Trace(L"Failed to create the pinned list\n");
            m_pPinnedList.reset();
            return;
        }
        m_pPinnedList->SetRowHeight(kPinnedRowHeight);
        m_pPinnedList->SetSmallIcons(0);
        m_pPinnedList->SetHotImage(kPinnedHotImage);
    }
    if (!gSkin.szAppList[0]) {
        m_pPinnedList->RemoveAll();
        Trace(L"Not found application list file\n");
        return;
    }

    AppListReadOptions options;
    options.bSkipMissing = 1;
    const int maxRows = m_pPinnedList->GetMaxRows();
    options.nMaxEntries = maxRows > 0 ? static_cast<size_t>(maxRows) : 0;
    options.bSmallIcons = 0;
    options.nDpi = m_nDpi;
    options.pChangeStamp = &m_nListTime;
    std::vector<AppListEntry> entries;
    DWORD error = 0;
    const AppListStatus status = ReadAppList(gSkin.szAppList, options, &entries, &error);
    if (status == AppListStatus::OpenFailed) {
        // A file held open by another program (or a folder in its place) is no
        // new list: keep the rows of the last good reading, and forget the change
        // time just seen so that the next opening reads again.
        Trace(L"Error occurred when opening the list file. errno=%d\n", static_cast<int>(error));
        m_nListTime = -1;
        return;
    }
    m_pPinnedList->RemoveAll();
    for (AppListEntry& entry : entries) {
        const int id = m_pPinnedList->AddItem(entry.szName, entry.hIcon, kTreeDrawText | kTreeDrawIcon,
                                              kPinnedRowHeight);
        if (id < 0) {
            if (entry.hIcon)
                ::DestroyIcon(entry.hIcon);
            continue;
        }
        // The list destroys the icons it was given at its next reload or with its window.
        m_pPinnedList->AdoptIcon(entry.hIcon);
        m_pPinnedList->SetItemPath(id, entry.szPath);
    }
    m_pinnedPrograms.clear(); // an entry's shortcut may point elsewhere now
    UpdatePinnedDocuments();
    m_pPinnedList->Invalidate(TRUE);
}

void CMenuWnd::LoadAllPrograms() {
    if (!m_pAllPrograms)
        m_pAllPrograms.reset(new (std::nothrow) CTreeWnd(m_hWnd, kAllProgramsId));
    if (!m_pAllPrograms)
        return;
    m_pAllPrograms->SetDpi(m_nDpi);
    // Only the window: the Start Menu is read when the tree is first shown.
    if (!m_pAllPrograms->CreateAllPrograms(fw::ScaleRect(ListRect(), m_nDpi))) {
        Trace(L"Failed to create the all-programs list\n");
        m_pAllPrograms.reset();
    }
}

int CMenuWnd::LoadSearchResults() {
    if (!m_pSearchResults)
        m_pSearchResults.reset(new (std::nothrow) CTreeWnd(m_hWnd, kSearchResultsId));
    if (!m_pSearchResults)
        return 0;
    if (!m_pSearchResults->IsCreated()) {
        // No scroll bar: the list holds only the results that fit.
        m_pSearchResults->SetDpi(m_nDpi);
        if (!m_pSearchResults->Create(m_hWnd, fw::ScaleRect(ListRect(), m_nDpi), nullptr, WS_CHILD, kPinnedExStyle,
                                      kSearchResultsId)) {
            Trace(L"Failed to create the search results\n");
            m_pSearchResults.reset();
            return 0;
        }
        m_pSearchResults->SetRowHeight(kAllProgramsRowHeight);
        m_pSearchResults->SetSmallIcons(1);
        m_pSearchResults->SetHotImage(2);
        RECT client;
        ::GetClientRect(m_pSearchResults->m_hWnd, &client);
        const RECT area = ListDrawArea(client);
        const int rowHeight = fw::Scale(kAllProgramsRowHeight, m_nDpi);
        m_pSearchResults->SetMaxRows(std::max(1, static_cast<int>((area.bottom - area.top) / rowHeight)));
    }
    return 1;
}

void CMenuWnd::ShowList(const ListPtr& list, int show) {
    if (!list || !list->IsWindow())
        return;
    // Read at this show unless read at an idle moment since the Start Menu last changed.
    if (show && list == m_pAllPrograms && !list->IsAllProgramsCurrent())
        list->RefreshAllPrograms();
    list->ShowWindow(show);
}

void CMenuWnd::CollapseList(const ListPtr& list) {
    if (list && list->IsWindow())
        list->CollapseAll();
}

HWND CMenuWnd::ListWindow(const ListPtr& list) { return list ? list->m_hWnd : nullptr; }
