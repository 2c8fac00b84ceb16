// Type to search: printable characters typed into the open menu search the
// pinned list and every Start Menu shortcut; the results take the lists'
// place and the search line the All Programs button's, until the search is
// cleared (Esc, the last character erased, the menu shown or hidden).
#include "MenuWnd.h"

#include "Dpi.h"
#include "Handles.h"
#include "MenuItemWnd.h"
#include "PackagedApps.h"
#include "PackagedAppsLists.h"
#include "Skin.h"
#include "Text.h"
#include "TreeWnd.h"
#include "Utils.h"

#include <new>

namespace {

// Longer text finds nothing a shorter one would not.
const size_t kMaxSearchLength = 64;
// Icons kept across the keystrokes of one search.
const size_t kMaxSearchIcons = 256;

} // namespace

LRESULT CMenuWnd::OnChar(UINT, WPARAM wParam, LPARAM, BOOL&) {
    const wchar_t c = static_cast<wchar_t>(wParam);
    // Control characters (Backspace, Enter, Esc as characters) are keys, handled on WM_KEYDOWN;
    // a space starts nothing, so that it stays free for the keyboard's own use.
    if (c < 0x20 || c == 0x7F || (c == L' ' && m_strSearch.empty()) || !m_bVisible)
        return 0;
    if (m_strSearch.size() >= kMaxSearchLength)
        return 0;
    m_strSearch.push_back(c);
    KeysBackToResults();
    UpdateSearch();
    return 0;
}

bool CMenuWnd::OnSearchKey(UINT vk) {
    if (m_strSearch.empty())
        return false;
    // Keys that moved on to a button (Tab, Left, Right) act there as without a search.
    const bool buttonKey = vk == VK_RETURN || vk == VK_UP || vk == VK_DOWN;
    if (buttonKey && m_keys.FromKeys() && m_keys.Current(KeyLayout()).button)
        return false;
    switch (vk) {
    case VK_BACK:
        KeysBackToResults();
        m_strSearch.pop_back();
        // A character beyond the basic plane came as two halves and goes as one.
        if (!m_strSearch.empty() && m_strSearch.back() >= 0xD800 && m_strSearch.back() <= 0xDBFF)
            m_strSearch.pop_back();
        if (m_strSearch.empty())
            ClearSearch();
        else
            UpdateSearch();
        return true;
    case VK_ESCAPE:
        ClearSearch();
        return true;
    case VK_RETURN:
        StartSearchResult();
        return true;
    case VK_UP:
    case VK_DOWN:
        MoveSearchHighlight(vk == VK_UP ? -1 : 1);
        return true;
    case VK_SPACE: // typed text: the character follows as WM_CHAR
        return true;
    default:
        return false;
    }
}

void CMenuWnd::KeysBackToResults() {
    // Typing takes the keys back from a button: Enter then starts the highlighted result.
    if (m_keys.FromKeys() && m_keys.Current(KeyLayout()).button)
        m_keys.MoveTo(MenuKeyStop());
}

LRESULT CMenuWnd::OnSearchIndexed(UINT, WPARAM, LPARAM, BOOL&) {
    if (!m_strSearch.empty())
        UpdateSearch();
    return 0;
}

void CMenuWnd::UpdateSearch() {
    if (!LoadSearchResults())
        return;
    if (!m_bSearchShown) {
        // The lists and the All Programs button give way to the results and the typed text.
        ShowList(m_pPinnedList, 0);
        ShowList(m_pAllPrograms, 0);
        if (CMenuItemWnd* allPrograms = FindButton(10))
            allPrograms->ShowWindow(SW_HIDE);
        m_bSearchShown = 1;
    }
    // The pinned rows as they are now, then the latest Start Menu index.
    std::vector<SearchEntry> pinned;
    if (m_pPinnedList)
        for (const _treeNode* item = m_pPinnedList->GetRoot()->pChild; item; item = item->pNext)
            pinned.push_back(MakeSearchEntry(item->szText, item->szPath, kSearchPinned));
    AppendPackagedAppEntries(&pinned); // ranked as Start Menu programs all the same
    std::shared_ptr<const CSearchIndexer::Entries> programs;
    if (m_pSearchIndex && m_pSearchIndex->Start()) // typed before the first idle moment: read from now on
        programs = m_pSearchIndex->Snapshot();
    static const CSearchIndexer::Entries kNone;
    const int fit = m_pSearchResults->GetMaxRows();
    const std::vector<const SearchEntry*> found =
        FindMatches(pinned, programs ? *programs : kNone, m_strSearch.c_str(), fit > 0 ? static_cast<size_t>(fit) : 0);

    // The same rows again (more text, the same best matches): the list and its highlight stay as they are.
    bool same = true;
    const _treeNode* row = m_pSearchResults->GetRoot()->pChild;
    for (const SearchEntry* entry : found) {
        if (!row || entry->strName != row->szText || _wcsicmp(entry->strPath.c_str(), row->szPath) != 0) {
            same = false;
            break;
        }
        row = row->pNext;
    }
    if (same && !row && (::GetWindowLongW(m_pSearchResults->m_hWnd, GWL_STYLE) & WS_VISIBLE)) {
        ShowSearchLine();
        return;
    }

    // The icons the rows got so far are kept for the next keystrokes, which
    // mostly list the same programs again: no look-up, no second paint. The
    // list hands them over rather than copying them, which cost as much as
    // the rest of a keystroke.
    for (const _treeNode* item = m_pSearchResults->GetRoot()->pChild; item; item = item->pNext) {
        if (!item->hIcon || m_searchIcons.size() >= kMaxSearchIcons)
            continue;
        std::wstring key = SearchPathKey(item->szPath);
        if (!m_searchIcons.count(key))
            if (HICON icon = m_pSearchResults->ReleaseIcon(item->hIcon))
                m_searchIcons.emplace(std::move(key), fw::UniqueIcon(icon));
    }
    // An entry the user moved the highlight to keeps it while it is listed:
    // the index refreshing under him must not change what Enter starts.
    std::wstring picked;
    if (const _treeNode* hot = m_bSearchPicked ? m_pSearchResults->FindItem(-1) : nullptr)
        picked = hot->szPath;
    m_pSearchResults->RemoveAll();
    m_pSearchResults->nTopRow = 0;
    for (const SearchEntry* entry : found) {
        auto known = m_searchIcons.find(entry->strPathKey);
        HICON icon = known == m_searchIcons.end() ? nullptr : known->second.get(); // stays the menu's
        const int id = m_pSearchResults->AddItem(entry->strName.c_str(), icon, kTreeDrawText | kTreeDrawIcon,
                                                 kAllProgramsRowHeight);
        if (_treeNode* item = m_pSearchResults->FindItem(id)) {
            fw::StrCopy(item->szPath, entry->strPath.c_str());
            if (!icon)
                item->nPending = kTreePendingIcon; // looked up by the list's icon thread when drawn
        }
    }
    // Enter starts the highlighted row: the best match until the user picks another.
    const _treeNode* lit = m_pSearchResults->GetRoot()->pChild;
    for (const _treeNode* item = lit; item && !picked.empty(); item = item->pNext)
        if (_wcsicmp(item->szPath, picked.c_str()) == 0) {
            lit = item;
            break;
        }
    if (lit && _wcsicmp(lit->szPath, picked.c_str()) != 0)
        m_bSearchPicked = 0; // the pick is gone: the best match again
    m_pSearchResults->nHotId = lit ? lit->nId : -1;
    m_pSearchResults->ShowWindow(SW_SHOW);
    m_pSearchResults->Invalidate(TRUE);

    ShowSearchLine();
}

void CMenuWnd::ShowSearchLine() {
    // Shown last: once it shows the text, the results are those of that text.
    if (!m_pSearchLine) {
        m_pSearchLine.reset(new (std::nothrow) CSearchLineWnd);
        if (m_pSearchLine)
            m_pSearchLine->SetDpi(m_nDpi);
        const RECT rc = fw::ScaleRect({gSkin.nSearchX, gSkin.nSearchY, gSkin.nSearchX + gSkin.nSearchWidth,
                                       gSkin.nSearchY + gSkin.nSearchHeight},
                                      m_nDpi);
        if (m_pSearchLine && !m_pSearchLine->Create(m_hWnd, rc, nullptr, WS_CHILD, 0, kSearchLineId))
            m_pSearchLine.reset();
    }
    if (m_pSearchLine) {
        m_pSearchLine->SetText(m_strSearch);
        if (!::IsWindowVisible(m_pSearchLine->m_hWnd))
            ::SetWindowPos(m_pSearchLine->m_hWnd, HWND_TOP, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void CMenuWnd::ClearSearch() {
    m_strSearch.clear();
    m_bSearchPicked = 0;
    if (!m_bSearchShown)
        return;
    m_bSearchShown = 0;
    if (m_pSearchLine) {
        m_pSearchLine->ShowWindow(SW_HIDE);
        m_pSearchLine->SetText(std::wstring());
    }
    if (m_pSearchResults && m_pSearchResults->IsWindow()) {
        m_pSearchResults->ShowWindow(SW_HIDE);
        m_pSearchResults->RemoveAll();
    }
    m_searchIcons.clear(); // after the rows that borrowed them
    if (CMenuItemWnd* allPrograms = FindButton(10))
        allPrograms->ShowWindow(SW_SHOW);
    ShowList(m_nAllAppMode ? m_pAllPrograms : m_pPinnedList, 1);
}

void CMenuWnd::MoveSearchHighlight(int step) {
    if (!m_pSearchResults)
        return;
    _treeNode* first = m_pSearchResults->GetRoot()->pChild;
    _treeNode* hot = m_pSearchResults->FindItem(-1);
    _treeNode* next = hot ? (step < 0 ? hot->pPrev : hot->pNext) : first;
    if (!next)
        return; // the ends stay where they are
    m_pSearchResults->nHotId = next->nId;
    m_bSearchPicked = 1;
    m_pSearchResults->Invalidate(FALSE);
}

void CMenuWnd::StartSearchResult() {
    if (!m_pSearchResults)
        return;
    const _treeNode* item = m_pSearchResults->FindItem(-1);
    if (!item)
        item = m_pSearchResults->GetRoot()->pChild;
    if (!item || !item->szPath[0])
        return;
    // Copied first: hiding the menu clears the results.
    wchar_t path[kPathCapacity], name[256];
    fw::StrCopy(path, item->szPath);
    fw::StrCopy(name, item->szText);
    ShowMenu(0, 0, 0);
    if (LaunchPackagedApp(path, name) < 0)
        LaunchDetached(path, nullptr);
}
