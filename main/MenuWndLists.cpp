// The menu's two lists. Either may be missing (not built, or its window could
// not be created); every use here is safe for a null list.
#include "MenuWnd.h"

#include "AppList.h"
#include "Skin.h"
#include "Trace.h"
#include "TreeWnd.h"

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
        m_pPinnedList = new (std::nothrow) CTreeWnd(m_hWnd, kPinnedListId);
    if (!m_pPinnedList)
        return;
    if (!m_pPinnedList->IsCreated()) {
        m_pPinnedList->SetDpi(m_nDpi);
        if (!m_pPinnedList->Create(m_hWnd, fw::ScaleRect(ListRect(), m_nDpi), nullptr, kPinnedStyle, kPinnedExStyle,
                                   kPinnedListId)) {
            Trace(L"Failed to create the pinned list\n");
            delete m_pPinnedList;
            m_pPinnedList = nullptr;
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
    m_pPinnedList->Invalidate(TRUE);
}

void CMenuWnd::LoadAllPrograms() {
    if (!m_pAllPrograms)
        m_pAllPrograms = new (std::nothrow) CTreeWnd(m_hWnd, kAllProgramsId);
    if (!m_pAllPrograms)
        return;
    m_pAllPrograms->SetDpi(m_nDpi);
    // Only the window: the Start Menu is read when the tree is first shown.
    if (!m_pAllPrograms->CreateAllPrograms(fw::ScaleRect(ListRect(), m_nDpi))) {
        Trace(L"Failed to create the all-programs list\n");
        delete m_pAllPrograms;
        m_pAllPrograms = nullptr;
    }
}

void CMenuWnd::ShowList(CTreeWnd* list, int show) {
    if (!list || !list->IsWindow())
        return;
    if (show && list == m_pAllPrograms && !list->IsFilled())
        list->FillAllPrograms();
    list->ShowWindow(show);
}

void CMenuWnd::CollapseList(CTreeWnd* list) {
    if (list && list->IsWindow())
        list->CollapseAll();
}

void CMenuWnd::DestroyList(CTreeWnd*& list) {
    if (!list)
        return;
    // The list may be inside its modal context menu: the object goes when that has returned.
    CTreeWnd* going = list;
    list = nullptr;
    going->DestroyAndDelete();
}

HWND CMenuWnd::ListWindow(const CTreeWnd* list) { return list ? list->m_hWnd : nullptr; }
