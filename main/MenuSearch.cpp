// Type to search: printable characters typed into the open menu search the
// pinned list and every Start Menu shortcut; the results take the lists'
// place and the search line the All Programs button's, until the search is
// cleared (Esc, the last character erased, the menu shown or hidden).
#include "MenuSearch.h"

#include "Handles.h"
#include "MenuItemWnd.h"
#include "MenuWnd.h"
#include "Skin.h"
#include "Text.h"
#include "TreeWnd.h"
#include "Utils.h"

#include <new>

namespace {

// Longer text finds nothing a shorter one would not.
const size_t kMaxSearchLength = 64;

} // namespace

void CSearchLineWnd::SetText(const std::wstring& text) {
    m_strText = text;
    if (!IsWindow())
        return;
    // Also the window's own text: what a screen reader or another process reads.
    ::SetWindowTextW(m_hWnd, m_strText.c_str());
    Invalidate(FALSE);
}

LRESULT CSearchLineWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    fw::PaintScope paint(m_hWnd);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    Gdiplus::Graphics graphics(paint.dc());
    DrawBackgroundUnder(graphics, m_hWnd, GetParent());
    // The row keeps the look of the All Programs button it stands in for, hovered.
    for (const auto& button : gSkin.buttons)
        if (button->nId == 10) {
            Gdiplus::Image* image = button->pImageFocus ? button->pImageFocus : gSkin.GetFocusImage(button->nFocus);
            if (image)
                graphics.DrawImage(image, 0, 0, static_cast<INT>(image->GetWidth()),
                                   static_cast<INT>(image->GetHeight()));
            break;
        }
    if (!gSkin.pDefaultFont)
        return 0;
    Gdiplus::SolidBrush brush{Gdiplus::Color(gSkin.nSearchTextColor)};
    Gdiplus::RectF layout(8.0f, 0.0f, static_cast<Gdiplus::REAL>(client.right - 16),
                          static_cast<Gdiplus::REAL>(client.bottom));
    Gdiplus::StringFormat format(Gdiplus::StringFormatFlagsNoWrap);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    const std::wstring shown = m_strText + L"|"; // the caret: typing goes on here
    graphics.DrawString(shown.c_str(), -1, gSkin.pDefaultFont, layout, &format, &brush);
    return 0;
}

LRESULT CMenuWnd::OnChar(UINT, WPARAM wParam, LPARAM, BOOL&) {
    const wchar_t c = static_cast<wchar_t>(wParam);
    // Control characters (Backspace, Enter, Esc as characters) are keys, handled on WM_KEYDOWN;
    // a space starts nothing, so that it stays free for the keyboard's own use.
    if (c < 0x20 || c == 0x7F || (c == L' ' && m_strSearch.empty()) || !m_bVisible)
        return 0;
    if (m_strSearch.size() >= kMaxSearchLength)
        return 0;
    m_strSearch.push_back(c);
    UpdateSearch();
    return 0;
}

LRESULT CMenuWnd::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (!OnSearchKey(static_cast<UINT>(wParam)))
        handled = FALSE;
    return 0;
}

bool CMenuWnd::OnSearchKey(UINT vk) {
    if (m_strSearch.empty())
        return false;
    switch (vk) {
    case VK_BACK:
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
    std::shared_ptr<const CSearchIndexer::Entries> programs;
    if (m_pSearchIndex)
        programs = m_pSearchIndex->Snapshot();
    static const CSearchIndexer::Entries kNone;
    const int fit = m_pSearchResults->GetMaxRows();
    const std::vector<const SearchEntry*> found =
        FindMatches(pinned, programs ? *programs : kNone, m_strSearch.c_str(), fit > 0 ? static_cast<size_t>(fit) : 0);

    m_pSearchResults->RemoveAll();
    m_pSearchResults->nTopRow = 0;
    for (const SearchEntry* entry : found) {
        const int id = m_pSearchResults->AddItem(entry->strName.c_str(), nullptr, kTreeDrawText | kTreeDrawIcon,
                                                 kAllProgramsRowHeight);
        if (_treeNode* item = m_pSearchResults->FindItem(id)) {
            fw::StrCopy(item->szPath, entry->strPath.c_str());
            item->nPending = kTreePendingIcon; // looked up by the list's icon thread when drawn
        }
    }
    // Enter starts the highlighted row: the best match until the user picks another.
    const _treeNode* first = m_pSearchResults->GetRoot()->pChild;
    m_pSearchResults->nHotId = first ? first->nId : -1;
    m_pSearchResults->ShowWindow(SW_SHOW);
    m_pSearchResults->Invalidate(TRUE);

    // The line last: once it shows the text, the results are those of that text.
    if (!m_pSearchLine) {
        m_pSearchLine.reset(new (std::nothrow) CSearchLineWnd);
        const RECT rc = {gSkin.nSearchX, gSkin.nSearchY, gSkin.nSearchX + gSkin.nSearchWidth,
                         gSkin.nSearchY + gSkin.nSearchHeight};
        if (m_pSearchLine && !m_pSearchLine->Create(m_hWnd, rc, nullptr, WS_CHILD, 0, kSearchLineId))
            m_pSearchLine.reset();
    }
    if (m_pSearchLine) {
        m_pSearchLine->SetText(m_strSearch);
        ::SetWindowPos(m_pSearchLine->m_hWnd, HWND_TOP, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void CMenuWnd::ClearSearch() {
    m_strSearch.clear();
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
    wchar_t path[kPathCapacity];
    fw::StrCopy(path, item->szPath);
    ShowMenu(0, 0, 0);
    LaunchDetached(path, nullptr);
}
