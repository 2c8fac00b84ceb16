#include "ListCore.h"

#include "Dpi.h"

RECT ListDrawArea(const RECT& client, int dpi) {
    RECT area = client;
    area.top = fw::Scale(5, dpi);
    area.left = fw::Scale(3, dpi);
    area.right = client.right - fw::Scale(3, dpi);
    return area;
}

ListScrollBar ListScrollUpdate(int rows, int windowHeight, int rowHeight, int* pageRows, int* maxTop) {
    if (*pageRows == 0 && rowHeight > 0)
        *pageRows = windowHeight / rowHeight;
    *maxTop = rows - *pageRows;
    ListScrollBar bar;
    if (*pageRows < rows) {
        bar.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
        bar.nMax = rows - 2;
        // A window lower than one row has no page yet; keep the page from wrapping.
        bar.nPage = *pageRows > 0 ? static_cast<UINT>(*pageRows - 1) : 0;
    } else {
        bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    }
    return bar;
}

void SetListScrollBar(HWND list, const ListScrollBar& bar) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = bar.fMask;
    si.nMin = bar.nMin;
    si.nMax = bar.nMax;
    si.nPage = bar.nPage;
    si.nPos = bar.nPos;
    ::SetScrollInfo(list, SB_VERT, &si, TRUE);
}

int ListScrollRequest(int code, int thumb, int topRow, int pageRows, int maxTop) {
    int top = topRow;
    switch (code) {
    case SB_LINEUP:
        top = topRow - 1;
        break;
    case SB_LINEDOWN:
        top = topRow + 1;
        break;
    case SB_PAGEUP:
        top = topRow - (pageRows - 1);
        break;
    case SB_PAGEDOWN:
        top = topRow + (pageRows - 1);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        top = thumb;
        break;
    case SB_BOTTOM:
        top = maxTop;
        break;
    default:
        break;
    }
    if (top < 0)
        top = 0;
    // When everything fits maxTop is negative; the top row stays 0 then.
    int highest = maxTop > 0 ? maxTop : 0;
    if (top > highest)
        top = highest;
    return top;
}

int ListWheelStep(int position, int rangeMax, UINT page, int delta) {
    int last = rangeMax - (page > 1 ? static_cast<int>(page) - 1 : 0);
    int next;
    if (delta < 0) {
        next = position + kListWheelRows;
        if (next > last)
            next = last;
    } else {
        next = position - kListWheelRows;
    }
    return next < 0 ? 0 : next;
}

int CListRows::HitTest(POINT pt, int* id) const {
    for (const Row& row : m_rows) {
        if (PtInRect(&row.rc, pt)) {
            if (id)
                *id = row.id;
            return 1;
        }
    }
    return 0;
}

int ListWheelScroll(HWND list, WPARAM wheelParam) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    ::GetScrollInfo(list, SB_VERT, &si);
    int position = ListWheelStep(si.nPos, si.nMax, si.nPage, static_cast<short>(HIWORD(wheelParam)));
    ::SetScrollPos(list, SB_VERT, position, TRUE);
    return position;
}
