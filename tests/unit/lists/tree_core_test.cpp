#include "ListCore.h"

#include <gtest/gtest.h>

TEST(ListCore, IdentifiersFollowTheAncestorChain) {
    // Under the root (index 0): 31 * ordinal.
    EXPECT_EQ(31, ListIdStep(1, 0));
    EXPECT_EQ(62, ListIdStep(2, 0));
    // First child of the first top-level entry: (1 * 31 + 1) * 31 + 0.
    EXPECT_EQ(992, ListIdStep(ListIdStep(1, 1), 0));
    // Deep chains wrap at 32 bits instead of overflowing.
    int32_t id = 7;
    for (int i = 0; i < 12; ++i)
        id = ListIdStep(id, 3);
    uint32_t expect = 7;
    for (int i = 0; i < 12; ++i)
        expect = expect * 31u + 3u;
    EXPECT_EQ(static_cast<int32_t>(expect), id);
}

TEST(ListCore, DrawAreaAndRowLayout) {
    RECT area = ListDrawArea(RECT{0, 0, 264, 394});
    EXPECT_EQ(3, area.left);
    EXPECT_EQ(5, area.top);
    EXPECT_EQ(261, area.right);
    EXPECT_EQ(394, area.bottom);
    EXPECT_EQ(16, ListIconSize(1));
    EXPECT_EQ(32, ListIconSize(0));
    EXPECT_EQ(22, ListIndent(1));
    EXPECT_EQ(32, ListIndent(0));
    EXPECT_EQ(22, ListTextOffset(1));
    EXPECT_EQ(36, ListTextOffset(0));
}

TEST(ListCore, ThirtyRowsOnATwelveRowPage) {
    int page = 0, maxTop = 0;
    ListScrollBar bar = ListScrollUpdate(30, 12 * 23, 23, &page, &maxTop);
    EXPECT_EQ(12, page);
    EXPECT_EQ(18, maxTop);
    EXPECT_EQ(static_cast<UINT>(SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL), bar.fMask);
    EXPECT_EQ(0, bar.nMin);
    EXPECT_EQ(28, bar.nMax);
    EXPECT_EQ(11u, bar.nPage);
    // The page is computed once: a later call with another height keeps it.
    ListScrollUpdate(30, 100, 23, &page, &maxTop);
    EXPECT_EQ(12, page);
}

TEST(ListCore, RowsThatFitGiveAnEmptyDisabledBar) {
    int page = 0, maxTop = 0;
    ListScrollBar bar = ListScrollUpdate(5, 12 * 23, 23, &page, &maxTop);
    EXPECT_EQ(-7, maxTop);
    EXPECT_EQ(static_cast<UINT>(SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL), bar.fMask);
    EXPECT_EQ(0, bar.nMax);
    EXPECT_EQ(0u, bar.nPage);
    EXPECT_EQ(0, bar.nPos);
    // Exactly a page of rows fits too.
    bar = ListScrollUpdate(12, 0, 23, &page, &maxTop);
    EXPECT_TRUE(bar.fMask & SIF_POS);
    // A window lower than one row: no page, and no wrapped page size.
    int tiny = 0;
    bar = ListScrollUpdate(3, 10, 23, &tiny, &maxTop);
    EXPECT_EQ(0, tiny);
    EXPECT_EQ(0u, bar.nPage);
    EXPECT_EQ(1, bar.nMax);
}

TEST(ListCore, ScrollRequestsStayBetweenTopAndLastPage) {
    const int page = 12, maxTop = 18;
    EXPECT_EQ(4, ListScrollRequest(SB_LINEUP, 0, 5, page, maxTop));
    EXPECT_EQ(6, ListScrollRequest(SB_LINEDOWN, 0, 5, page, maxTop));
    EXPECT_EQ(0, ListScrollRequest(SB_LINEUP, 0, 0, page, maxTop));
    EXPECT_EQ(11, ListScrollRequest(SB_PAGEDOWN, 0, 0, page, maxTop));
    EXPECT_EQ(18, ListScrollRequest(SB_PAGEDOWN, 0, 11, page, maxTop));
    EXPECT_EQ(7, ListScrollRequest(SB_PAGEUP, 0, 18, page, maxTop));
    EXPECT_EQ(0, ListScrollRequest(SB_PAGEUP, 0, 7, page, maxTop));
    EXPECT_EQ(9, ListScrollRequest(SB_THUMBTRACK, 9, 0, page, maxTop));
    EXPECT_EQ(18, ListScrollRequest(SB_THUMBPOSITION, 40, 0, page, maxTop));
    EXPECT_EQ(18, ListScrollRequest(SB_BOTTOM, 0, 3, page, maxTop));
    // Requests without a rule keep the position (SB_TOP included).
    EXPECT_EQ(5, ListScrollRequest(SB_TOP, 0, 5, page, maxTop));
    EXPECT_EQ(5, ListScrollRequest(SB_ENDSCROLL, 0, 5, page, maxTop));
    // Everything fits (negative largest top): the list stays at the top.
    EXPECT_EQ(0, ListScrollRequest(SB_LINEDOWN, 0, 0, page, -7));
    EXPECT_EQ(0, ListScrollRequest(SB_BOTTOM, 0, 0, page, -7));
}

TEST(ListCore, WheelMovesThreeRowsWhateverTheDelta) {
    // Range 0..28, page 11: the last position is 18.
    int pos = 0;
    for (int notch = 0; notch < 5; ++notch)
        pos = ListWheelStep(pos, 28, 11, -WHEEL_DELTA);
    EXPECT_EQ(15, pos);
    pos = ListWheelStep(pos, 28, 11, -WHEEL_DELTA);
    EXPECT_EQ(18, pos);
    EXPECT_EQ(18, ListWheelStep(pos, 28, 11, -5 * WHEEL_DELTA));
    EXPECT_EQ(15, ListWheelStep(18, 28, 11, 1));
    EXPECT_EQ(12, ListWheelStep(15, 28, 11, 0)); // zero counts as away from the user
    EXPECT_EQ(0, ListWheelStep(2, 28, 11, WHEEL_DELTA));
    // A page of one (or none) leaves the range maximum as the last position.
    EXPECT_EQ(9, ListWheelStep(7, 9, 1, -WHEEL_DELTA));
    EXPECT_EQ(0, ListWheelStep(0, 0, 0, -WHEEL_DELTA));
}

TEST(ListCore, HitTestTakesTheFirstRecordedRowThatContainsThePoint) {
    CListRows rows;
    int id = 0;
    EXPECT_EQ(0, rows.HitTest(POINT{5, 5}, &id));
    rows.Add(RECT{3, 5, 100, 28}, 31);
    rows.Add(RECT{3, 28, 100, 51}, 62);
    rows.Add(RECT{3, 28, 100, 51}, 93); // overlapping: the earlier row wins
    EXPECT_EQ(1, rows.HitTest(POINT{10, 5}, &id));
    EXPECT_EQ(31, id);
    EXPECT_EQ(1, rows.HitTest(POINT{10, 28}, &id)); // bottom edge belongs to the next row
    EXPECT_EQ(62, id);
    EXPECT_EQ(0, rows.HitTest(POINT{100, 10}, &id)); // right edge is outside
    EXPECT_EQ(0, rows.HitTest(POINT{10, 60}, &id));
    rows.Clear();
    EXPECT_EQ(0u, rows.Count());
    EXPECT_EQ(0, rows.HitTest(POINT{10, 5}, &id));
}
