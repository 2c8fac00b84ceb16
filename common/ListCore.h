// Row arithmetic shared by the owner-drawn list controls of both programs:
// entry identifiers, the drawing area and row layout, the scroll bar numbers,
// the scroll and wheel steps, and hit testing over the rows of the last paint.
// Pure functions and one small record; the controls own the windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Identifier rule: start with the entry's own index, then for each ancestor up
// to the root id := id * 31 + the ancestor's index (32-bit wrap-around; the
// root's index is 0). The first entry under the root therefore gets 31.
inline int32_t ListIdStep(int32_t id, int32_t ancestorIndex) {
    return static_cast<int32_t>(static_cast<uint32_t>(id) * 31u + static_cast<uint32_t>(ancestorIndex));
}

// Row layout: icons of 32 (16) pixels, 32 (22) pixels of indent per level, the
// text 36 (22) pixels right of the icon.
inline int ListIconSize(int smallIcons) { return smallIcons ? 16 : 32; }
inline int ListIndent(int smallIcons) { return smallIcons ? 22 : 32; }
inline int ListTextOffset(int smallIcons) { return smallIcons ? 22 : 36; }
// The client rectangle with its top at 5, its left at 3 and its right 3 pixels in.
RECT ListDrawArea(const RECT& client, int dpi = 96);

// The values a list sets on its vertical scroll bar (SetScrollInfo).
struct ListScrollBar {
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
};

// After counting its rows: computes *pageRows once (window height / row height
// while it is 0), sets *maxTop to rows - page rows and returns the bar values:
// range 0 .. rows - 2 with page rows - 1 when the rows do not fit, else an
// empty, disabled bar at position 0.
ListScrollBar ListScrollUpdate(int rows, int windowHeight, int rowHeight, int* pageRows, int* maxTop);
// Puts the values on the list window's vertical scroll bar.
void SetListScrollBar(HWND list, const ListScrollBar& bar);

// WM_VSCROLL: the first visible row after the request `code` (low word of
// wParam; thumb is the high word), held between 0 and max(maxTop, 0).
int ListScrollRequest(int code, int thumb, int topRow, int pageRows, int maxTop);

// WM_MOUSEWHEEL: one message moves three rows whatever its delta; towards the
// user (negative delta) down to at most the bar's last position, range
// maximum - (page - 1); away from the user up to at least 0.
constexpr int kListWheelRows = 3;
int ListWheelStep(int position, int rangeMax, UINT page, int delta);
// One wheel message on a list window with a vertical scroll bar: moves the bar
// by the wheel step and returns the new first visible row.
int ListWheelScroll(HWND list, WPARAM wheelParam);

// The rows drawn by the last paint, in drawing order, for hit testing: the
// first recorded row that contains the point wins.
class CListRows {
public:
    void Clear() { m_rows.clear(); }
    void Add(const RECT& rc, int id) { m_rows.push_back({rc, id}); }
    // 1 and the row's id when a row contains pt, else 0.
    int HitTest(POINT pt, int* id) const;
    size_t Count() const { return m_rows.size(); }

private:
    struct Row {
        RECT rc;
        int id;
    };
    std::vector<Row> m_rows;
};
