// CTreeWnd for the keyboard and for screen readers: the rows in drawing
// order, the keyboard highlight, and the accessible rows.
#include "TreeWnd.h"

#include <algorithm>
#include <new>
#include <string>

std::vector<_treeNode*> CTreeWnd::Rows() {
    std::vector<_treeNode*> rows;
    // Depth first as the painter walks, with its row limit.
    _treeNode* item = m_root.pChild;
    while (item) {
        if (nMaxRows >= 0 && static_cast<int>(rows.size()) >= nMaxRows)
            break;
        rows.push_back(item);
        if (item->bExpanded && item->pChild) {
            item = item->pChild;
            continue;
        }
        while (item && !item->pNext)
            item = item->pParent == &m_root ? nullptr : item->pParent;
        if (item)
            item = item->pNext;
    }
    return rows;
}

RECT CTreeWnd::RowRect(_treeNode* item) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const RECT area = ListDrawArea(client);
    int top = area.top - nTopRow * nRowHeight;
    for (_treeNode* row : Rows()) {
        if (row == item)
            return {area.left, top, area.right, top + row->nHeight};
        top += row->nHeight;
    }
    return {0, 0, 0, 0};
}

void CTreeWnd::HighlightRow(_treeNode* item) {
    SetHot(item);
    if (!IsWindow())
        return;
    const std::vector<_treeNode*> rows = Rows();
    const auto at = std::find(rows.begin(), rows.end(), item);
    if (item && at != rows.end() && nRowHeight > 0) {
        UpdateScrollBar(); // the page and the furthest top for the rows now shown
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        const RECT row = RowRect(item);
        int top = nTopRow;
        if (row.top < ListDrawArea(client).top)
            top -= (ListDrawArea(client).top - row.top + nRowHeight - 1) / nRowHeight;
        else if (row.bottom > client.bottom)
            top += (row.bottom - client.bottom + nRowHeight - 1) / nRowHeight;
        top = std::max(0, std::min(top, std::max(0, nMaxTop)));
        if (top != nTopRow) {
            nTopRow = top;
            if (bScrollBar)
                ::SetScrollPos(m_hWnd, SB_VERT, top, TRUE);
        }
    }
    Invalidate(FALSE);
    if (item && at != rows.end())
        RaiseAccessibleFocus(m_hWnd, static_cast<long>(at - rows.begin()) + 1);
}

void CTreeWnd::ShowRowMenu(_treeNode* item) {
    if (!item)
        return;
    HighlightRow(item);
    const RECT row = RowRect(item);
    POINT pt = {row.left + ListTextOffset(bSmallIcons), row.bottom};
    ::ClientToScreen(m_hWnd, &pt);
    ::SendMessageW(m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd), MAKELPARAM(pt.x, pt.y));
}

LRESULT CTreeWnd::OnKeyToOwner(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
    return ::SendMessageW(m_hOwner, msg, wParam, lParam);
}

LRESULT CTreeWnd::OnGetObject(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    return m_accessible.Answer(m_hWnd, this, wParam, lParam, handled);
}

long CTreeWnd::AccChildCount() { return static_cast<long>(Rows().size()); }

bool CTreeWnd::AccDescribe(long child, AccessibleItem* item) {
    if (!IsWindow())
        return false;
    if (child == CHILDID_SELF) {
        item->role = m_bOutline ? ROLE_SYSTEM_OUTLINE : ROLE_SYSTEM_LIST;
        item->state = STATE_SYSTEM_FOCUSABLE | (::IsWindowVisible(m_hWnd) ? 0 : STATE_SYSTEM_INVISIBLE);
        ::GetWindowRect(m_hWnd, &item->screen);
        return true;
    }
    const std::vector<_treeNode*> rows = Rows();
    if (child < 1 || child > static_cast<long>(rows.size()))
        return false;
    _treeNode* row = rows[static_cast<size_t>(child - 1)];
    ResolveText(row); // a row never painted has no text yet
    item->name = row->szText;
    // "3 of 10": the place among the rows of the same folder.
    int position = 0, count = 0;
    for (_treeNode* other : rows) {
        if (other->pParent != row->pParent)
            continue;
        ++count;
        if (other == row)
            position = count;
    }
    item->description = std::to_wstring(position) + L" of " + std::to_wstring(count);
    item->role = m_bOutline ? ROLE_SYSTEM_OUTLINEITEM : ROLE_SYSTEM_LISTITEM;
    item->state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (row == HotItem())
        item->state |= STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED;
    if (row->dwFlags & kTreeFolder)
        item->state |= row->bExpanded ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    RECT rc = RowRect(row);
    RECT seen{};
    if (!::IntersectRect(&seen, &rc, &client) || !::IsWindowVisible(m_hWnd))
        item->state |= STATE_SYSTEM_OFFSCREEN | STATE_SYSTEM_INVISIBLE;
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    item->screen = rc;
    return true;
}

long CTreeWnd::AccFocusChild() {
    const std::vector<_treeNode*> rows = Rows();
    const auto at = std::find(rows.begin(), rows.end(), HotItem());
    return at == rows.end() ? -1 : static_cast<long>(at - rows.begin()) + 1;
}

bool CTreeWnd::AccDoDefault(long child) {
    const std::vector<_treeNode*> rows = Rows();
    if (child < 1 || child > static_cast<long>(rows.size()))
        return false;
    _treeNode* row = rows[static_cast<size_t>(child - 1)];
    SetHot(row);
    ActivateItem(row);
    return true;
}
