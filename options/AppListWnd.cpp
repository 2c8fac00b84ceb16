#include "AppListWnd.h"

#include "Handles.h"
#include "Skin.h"
#include "Text.h"

#include <gdiplus.h>

int CAppListWnd::AddItem(const wchar_t* name, HICON icon, int kind, DWORD flags, int height) {
    auto item = std::make_unique<AppListItem>();
    item->strName = CutText(name, kItemNameLength);
    item->hIcon = icon;
    item->nKind = kind;
    item->dwFlags = flags;
    item->nHeight = fw::Scale(height, m_nDpi);
    item->nLevel = 1;
    item->nIndex = ++m_nAdded;
    item->nId = ListIdStep(item->nIndex, 0); // the root's ordinal is 0
    int id = item->nId;
    m_index.emplace(id, item.get());
    m_items.push_back(std::move(item));
    return id;
}

void CAppListWnd::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == m_nDpi)
        return;
    for (auto& item : m_items)
        item->nHeight = fw::Scale(fw::Unscale(item->nHeight, m_nDpi), dpi);
    m_nDpi = dpi;
    m_nRowHeight = fw::Scale(m_nDesignRowHeight, dpi);
    m_nPageRows = 0; // worked out again with the new height
    if (m_hWnd)
        Invalidate(TRUE);
}

BOOL CAppListWnd::SetItemPath(int id, const wchar_t* path) {
    AppListItem* item = GetItem(id);
    if (!item)
        return FALSE;
    item->strPath = CutText(path, kItemPathLength);
    return TRUE;
}

AppListItem* CAppListWnd::GetItem(int id) {
    if (id == -1)
        id = m_nSelection;
    auto it = m_index.find(id);
    return it == m_index.end() ? nullptr : it->second;
}

int CAppListWnd::IndexOf(int id) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i]->nId == id)
            return static_cast<int>(i);
    return -1;
}

BOOL CAppListWnd::SelectItem(int id) {
    AppListItem* item = GetItem(id);
    if (!item)
        return FALSE;
    m_nSelection = item->nId;
    Invalidate(FALSE);
    Notify(item);
    return TRUE;
}

void CAppListWnd::Notify(const AppListItem* item) {
    NMAPPLIST record{};
    record.hdr.hwndFrom = m_hWnd;
    record.hdr.idFrom = 0;
    record.hdr.code = static_cast<UINT>(NM_CLICK);
    record.nId = -1;
    if (item) {
        record.nKind = item->nKind;
        record.nId = item->nId;
        fw::StrCopy(record.szName, item->strName.c_str());
        fw::StrCopy(record.szPath, item->strPath.c_str());
    }
    ::SendMessageW(GetParent(), WM_NOTIFY, m_nNotifyId, reinterpret_cast<LPARAM>(&record));
}

BOOL CAppListWnd::MoveUp(int id) {
    AppListItem* item = GetItem(id);
    int i = item ? IndexOf(item->nId) : -1;
    if (i <= 0)
        return FALSE;
    std::swap(m_items[i], m_items[i - 1]);
    if (item->rcItem.top - m_nRowHeight < 0) {
        UpdateScrollBar();
        int top = m_nTopRow - (m_nPageRows - 1);
        SetTopRow(top < 0 ? 0 : top, FALSE);
    }
    return TRUE;
}

BOOL CAppListWnd::MoveDown(int id) {
    AppListItem* item = GetItem(id);
    int i = item ? IndexOf(item->nId) : -1;
    if (i < 0 || i + 1 >= static_cast<int>(m_items.size()))
        return FALSE;
    std::swap(m_items[i], m_items[i + 1]);
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    if (item->rcItem.bottom + m_nRowHeight > window.bottom - window.top) {
        UpdateScrollBar();
        int top = m_nTopRow + (m_nPageRows - 1);
        int highest = m_nMaxTop > 0 ? m_nMaxTop : 0;
        SetTopRow(top > highest ? highest : top, FALSE);
    }
    return TRUE;
}

BOOL CAppListWnd::DeleteItem(int id) {
    AppListItem* item = GetItem(id);
    int i = item ? IndexOf(item->nId) : -1;
    if (i < 0)
        return FALSE;
    m_index.erase(item->nId);
    m_items.erase(m_items.begin() + i);
    const AppListItem* next = nullptr;
    if (i < static_cast<int>(m_items.size()))
        next = m_items[i].get();
    else if (i > 0)
        next = m_items[i - 1].get();
    m_nSelection = next ? next->nId : -1;
    m_rows.Clear();
    Notify(next);
    return TRUE;
}

void CAppListWnd::DeleteAll() {
    m_index.clear();
    m_items.clear();
    m_nSelection = -1;
    m_rows.Clear();
    if (m_hWnd)
        SetTopRow(0, TRUE);
    Notify(nullptr);
}

void CAppListWnd::ScrollToEnd() {
    UpdateScrollBar();
    SetTopRow(ListScrollRequest(SB_BOTTOM, 0, m_nTopRow, m_nPageRows, m_nMaxTop), FALSE);
}

void CAppListWnd::SetEmptyText(const wchar_t* text) {
    m_emptyText = text ? text : L"";
    if (m_hWnd)
        Invalidate(TRUE);
}

void CAppListWnd::SetTopRow(int top, BOOL erase) {
    if (top == m_nTopRow)
        return;
    m_nTopRow = top;
    Invalidate(erase);
    ::SetScrollPos(m_hWnd, SB_VERT, top, TRUE);
}

void CAppListWnd::UpdateScrollBar() {
    if (!m_hWnd)
        return;
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    SetListScrollBar(m_hWnd, ListScrollUpdate(static_cast<int>(m_items.size()), window.bottom - window.top,
                                              m_nRowHeight, &m_nPageRows, &m_nMaxTop));
}

LRESULT CAppListWnd::OnCreate(UINT, WPARAM, LPARAM lp, BOOL& handled) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
    m_bScrollBar = (cs->style & WS_VSCROLL) ? 1 : 0;
    handled = FALSE;
    return 0;
}

LRESULT CAppListWnd::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&) {
    UpdateScrollBar();
    return 1;
}

LRESULT CAppListWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    fw::PaintScope paint(m_hWnd);
    Paint(paint.dc());
    return 0;
}

void CAppListWnd::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    RECT area = ListDrawArea(client, m_nDpi);
    int total = 0;
    for (const auto& item : m_items)
        total += item->nHeight;
    if (area.bottom - area.top >= total)
        m_nTopRow = 0;

    Gdiplus::Graphics graphics(dc);
    Gdiplus::Font* font = gSkin.FontForDpi(m_nDpi);
    std::unique_ptr<Gdiplus::Font> fallback;
    if (!font || font->GetLastStatus() != Gdiplus::Ok) {
        // A skin without a usable font still shows the names, in the dialog's font.
        fallback = std::make_unique<Gdiplus::Font>(
            dc, reinterpret_cast<HFONT>(::SendMessageW(GetParent(), WM_GETFONT, 0, 0)));
        font = fallback.get();
    }
    Gdiplus::SolidBrush black(Gdiplus::Color(255, 0, 0, 0));
    Gdiplus::StringFormat format(Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoClip);
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    Gdiplus::Image* focus = m_bSmallIcons ? gSkin.pFocus2 : gSkin.pFocus1;
    int iconSize = fw::Scale(ListIconSize(m_bSmallIcons), m_nDpi);
    int textX = fw::Scale(5 + ListTextOffset(m_bSmallIcons), m_nDpi);
    const int iconX = fw::Scale(5, m_nDpi), textLift = fw::Scale(3, m_nDpi);

    if (m_items.empty() && !m_emptyText.empty()) {
        Gdiplus::SolidBrush grey(Gdiplus::Color(255, 96, 96, 96));
        Gdiplus::StringFormat centred;
        centred.SetAlignment(Gdiplus::StringAlignmentCenter);
        centred.SetLineAlignment(Gdiplus::StringAlignmentCenter);
        Gdiplus::RectF box(static_cast<Gdiplus::REAL>(area.left), static_cast<Gdiplus::REAL>(area.top),
                           static_cast<Gdiplus::REAL>(area.right - area.left),
                           static_cast<Gdiplus::REAL>(area.bottom - area.top));
        graphics.DrawString(m_emptyText.c_str(), -1, font, box, &centred, &grey);
    }

    m_rows.Clear();
    int offset = -(m_nTopRow * m_nRowHeight);
    int top = area.top;
    for (const auto& item : m_items) {
        int bottom = top + item->nHeight;
        RECT row{area.left, top, area.right, bottom};
        ::OffsetRect(&row, fw::Scale(2, m_nDpi), offset);
        item->rcItem = row;
        m_rows.Add(row, item->nId);
        top = bottom;
        // Only the rows in sight are drawn (and have their icons fetched).
        if (row.bottom <= client.top || row.top >= client.bottom)
            continue;
        if (!item->hIcon && !item->bIconAsked && m_iconSource) {
            item->bIconAsked = true;
            m_iconSource(item.get());
        }
        if (item->nId == m_nSelection && focus)
            DrawSkinImage(graphics, focus, 2, -3, static_cast<INT>(focus->GetWidth()),
                          static_cast<INT>(focus->GetHeight()), m_nDpi, 0, row.top);
        if ((item->dwFlags & kAppItemIcon) && item->hIcon)
            ::DrawIconEx(dc, iconX, row.top, item->hIcon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
        if (item->dwFlags & kAppItemText) {
            Gdiplus::RectF box(static_cast<Gdiplus::REAL>(textX),
                               static_cast<Gdiplus::REAL>(row.top - textLift),
                               static_cast<Gdiplus::REAL>(area.right - area.left),
                               static_cast<Gdiplus::REAL>(item->nHeight));
            graphics.DrawString(item->strName.c_str(), -1, font, box, &format, &black);
        }
    }
}

LRESULT CAppListWnd::OnVScroll(UINT, WPARAM wp, LPARAM, BOOL&) {
    SetTopRow(ListScrollRequest(LOWORD(wp), HIWORD(wp), m_nTopRow, m_nPageRows, m_nMaxTop), FALSE);
    return 0;
}

LRESULT CAppListWnd::OnMouseWheel(UINT, WPARAM wp, LPARAM, BOOL&) {
    if (!m_bScrollBar)
        return 0;
    m_nTopRow = ListWheelScroll(m_hWnd, wp);
    Invalidate(TRUE);
    return 0;
}

LRESULT CAppListWnd::OnMouseMove(UINT, WPARAM, LPARAM lp, BOOL&) {
    ::SetFocus(m_hWnd);
    if (m_bPressed && ::GetCapture() == m_hWnd)
        return 0;
    POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (::PtInRect(&client, pt)) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, m_hWnd, 0};
        ::TrackMouseEvent(&tme);
        m_bClicked = false;
    }
    return 0;
}

LRESULT CAppListWnd::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&) {
    if (!m_bClicked)
        ::SetFocus(GetParent());
    return 0;
}

LRESULT CAppListWnd::OnLButtonDown(UINT, WPARAM, LPARAM lp, BOOL&) {
    POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    int id = -1;
    if (m_rows.HitTest(pt, &id))
        m_nSelection = id;
    Invalidate(FALSE);
    m_bPressed = true;
    return 0;
}

LRESULT CAppListWnd::OnLButtonUp(UINT, WPARAM, LPARAM lp, BOOL&) {
    POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    int id = -1;
    if (m_rows.HitTest(pt, &id) && GetItem(id)) {
        m_nSelection = id;
        m_bClicked = true;
        Notify(GetItem(id));
    }
    m_bPressed = false;
    return 0;
}
