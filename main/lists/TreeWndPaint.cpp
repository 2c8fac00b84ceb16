// Painting and the scroll bar of CTreeWnd.
#include "TreeWnd.h"

#include "Handles.h"
#include "Skin.h"
#include "Utils.h"

#include <algorithm>

// Every row is placed and recorded, also those scrolled out of sight, so
// that the recorded rows match what a click can reach; only rows inside the
// part being painted are drawn, and only they read their text and icon.
int CTreeWnd::WalkRows(_treeNode* first, const RECT& area, int* top, int yOffset, Gdiplus::Graphics* graphics,
                       HDC dc, int* counter, int* totalHeight) {
    const int indent = fw::Scale(ListIndent(bSmallIcons), m_nDpi);
    const int iconSize = fw::Scale(ListIconSize(bSmallIcons), m_nDpi);
    const _treeNode* hot = graphics ? HotItem() : nullptr;
    RECT clip = {};
    if (dc)
        ::GetClipBox(dc, &clip);
    for (_treeNode* item = first; item; item = item->pNext) {
        ++*counter;
        if (nMaxRows >= 0 && *counter > nMaxRows)
            return 0;
        int rowTop = *top;
        int rowBottom = rowTop + item->nHeight;
        if (totalHeight)
            *totalHeight += item->nHeight;
        const bool inSight = graphics && rowBottom + yOffset > clip.top && rowTop + yOffset < clip.bottom;
        if (inSight) {
            ResolveText(item);
            if ((item->nPending & kTreePendingIcon) && !(item->nPending & kTreeIconRequested))
                RequestIcon(item);
            if (item == hot && nHotImage != -1) {
                if (Gdiplus::Image* image = gSkin.GetFocusImage(nHotImage)) {
                    int w = static_cast<int>(image->GetWidth()), h = static_cast<int>(image->GetHeight());
                    if (m_nDpi == fw::kDesignDpi)
                        graphics->DrawImage(image, Gdiplus::Rect(0, rowTop - 3 + yOffset, w, h), 0, 0, w, h,
                                            Gdiplus::UnitPixel);
                    else
                        DrawSkinImage(*graphics, image, 0, -3, w, h, m_nDpi, 0, rowTop + yOffset);
                }
            }
            int x = area.left + (item->nLevel - 1) * indent;
            int y = rowTop + yOffset;
            if ((item->dwFlags & kTreeDrawIcon) && item->hIcon) {
                graphics->Flush(Gdiplus::FlushIntentionSync);
                ::DrawIconEx(dc, x, y, item->hIcon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
            }
            const bool arrow = !m_rowDocuments.empty() && HasRowDocuments(item);
            if (arrow) {
                const RECT row = {area.left, y, area.right, y + item->nHeight};
                PaintArrow(*graphics, row);
                // The name ends where the arrow begins.
                graphics->SetClip(Gdiplus::Rect(x, y, std::max(0, ArrowLeft(row, m_nDpi) - x), item->nHeight));
            }
            if (item->dwFlags & kTreeDrawText)
                DrawItemText(*graphics, item, x, y, area.right - area.left, item->nHeight);
            if (arrow)
                graphics->ResetClip();
        }
        if (graphics) {
            item->rcItem = {area.left, rowTop + yOffset, area.right, rowBottom + yOffset};
            m_drawn.push_back(item);
        }
        *top = rowBottom;
        if (item->bExpanded && !WalkRows(item->pChild, area, top, yOffset, graphics, dc, counter, totalHeight))
            return 0;
    }
    return 1;
}

int CTreeWnd::CountRows(int* totalHeight) {
    RECT area = {};
    int top = 0, counter = 0, height = 0;
    WalkRows(m_root.pChild, area, &top, 0, nullptr, nullptr, &counter, &height);
    if (totalHeight)
        *totalHeight = height;
    // The counter also counts the row that hit the limit.
    return (nMaxRows >= 0 && counter > nMaxRows) ? nMaxRows : counter;
}

void CTreeWnd::PaintBackground(HDC dc) {
    Gdiplus::Image* background = gSkin.pMenuBackground;
    if (!background)
        return;
    HWND owner = m_hOwner ? m_hOwner : ::GetParent(m_hWnd);
    RECT rc; // the piece of the background under the list: the cache's key
    ::GetWindowRect(m_hWnd, &rc);
    ::MapWindowPoints(nullptr, owner, reinterpret_cast<POINT*>(&rc), 2);
    auto draw = [&](HDC target) {
        Gdiplus::Graphics graphics(target);
        DrawBackgroundUnder(graphics, m_hWnd, owner, m_nDpi);
    };
    if (!m_background.Paint(dc, background, rc, draw))
        draw(dc);
}

LRESULT CTreeWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    fw::PaintScope paint(m_hWnd);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    // Drawn off screen and copied in one piece: a row repainted for its
    // arriving icon does not flash its background first.
    const RECT& part = paint.ps().rcPaint;
    HDC memory = m_offscreen.Get(paint.dc(), client.right, client.bottom);
    if (!memory) {
        PaintRows(paint.dc(), client);
        return 0;
    }
    const int saved = ::SaveDC(memory); // the kept DC starts every paint in the same state
    ::IntersectClipRect(memory, part.left, part.top, part.right, part.bottom);
    PaintRows(memory, client);
    ::RestoreDC(memory, saved);
    ::BitBlt(paint.dc(), part.left, part.top, part.right - part.left, part.bottom - part.top, memory, part.left,
             part.top, SRCCOPY);
    return 0;
}

bool CTreeWnd::PaintFromMenu(HDC menuDc, int x, int y) {
    if (!m_hWnd)
        return false;
    UpdateScrollBar(); // as the erase before its own paint does: the bar may come or go
    RECT client;
    if (!HasNoFrame(m_hWnd) || !::GetClientRect(m_hWnd, &client))
        return false;
    HDC memory = m_offscreen.Get(menuDc, client.right, client.bottom);
    if (!memory)
        return false;
    const int saved = ::SaveDC(memory);
    PaintRows(memory, client);
    ::RestoreDC(memory, saved);
    return ::BitBlt(menuDc, x, y, client.right, client.bottom, memory, 0, 0, SRCCOPY) != FALSE;
}

void CTreeWnd::PaintRows(HDC dc, const RECT& client) {
    PaintBackground(dc);
    Gdiplus::Graphics graphics(dc);
    RECT area = ListDrawArea(client, m_nDpi);
    int height = 0;
    CountRows(&height);
    if (area.bottom - area.top >= height)
        nTopRow = 0;
    m_drawn.clear();
    int top = area.top, counter = 0;
    WalkRows(m_root.pChild, area, &top, -nTopRow * nRowHeight, &graphics, dc, &counter, nullptr);
}

LRESULT CTreeWnd::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&) {
    UpdateScrollBar();
    return 1;
}

bool CTreeWnd::BarLook::operator==(const BarLook& other) const {
    return ::EqualRect(&window, &other.window) && ::EqualRect(&client, &other.client) && info.nMin == other.info.nMin &&
           info.nMax == other.info.nMax && info.nPage == other.info.nPage && info.nPos == other.info.nPos &&
           state == other.state;
}

bool CTreeWnd::CurrentBarLook(BarLook* look) const {
    *look = BarLook{};
    RECT window;
    if (!::GetWindowRect(m_hWnd, &window) || !::GetClientRect(m_hWnd, &look->client))
        return false;
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&look->client), 2);
    ::OffsetRect(&look->client, -window.left, -window.top);
    look->window = {0, 0, window.right - window.left, window.bottom - window.top};
    look->info.cbSize = sizeof(look->info);
    look->info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof(bar);
    if (!::GetScrollInfo(m_hWnd, SB_VERT, &look->info) || !::GetScrollBarInfo(m_hWnd, OBJID_VSCROLL, &bar))
        return false;
    look->state = bar.rgstate[0];
    for (DWORD part : bar.rgstate)
        if (part & STATE_SYSTEM_PRESSED)
            return false;
    return true;
}

// Showing the all-programs tree repaints its scroll bar, and the system's
// themed drawing of it costs more than all the rows: what the system drew is
// kept per look (size, range, position, state) and copied at the next
// showings. With the pointer on the window a part may be hot, and a drag draws
// its own: such paints stay the system's.
LRESULT CTreeWnd::OnNcPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    // A list without frame or shown scroll bar has nothing outside its rows:
    // the default handling, sent at every opening, would find nothing to draw.
    if (HasNoFrame(m_hWnd)) {
        m_bBarKept = 0;
        return 0;
    }
    BarLook look;
    if (!bScrollBar || fw::PointerIsOver(m_hWnd) || ::GetCapture() == m_hWnd || !CurrentBarLook(&look)) {
        m_bBarKept = 0;
        handled = FALSE;
        return 0;
    }
    HDC dc = ::GetWindowDC(m_hWnd);
    if (!dc) {
        handled = FALSE;
        return 0;
    }
    bool copied = false;
    if (m_bBarKept && look == m_barLook) {
        HDC picture = m_barPicture.Get(dc, look.window.right, look.window.bottom);
        ::ExcludeClipRect(dc, look.client.left, look.client.top, look.client.right, look.client.bottom);
        copied = picture && ::BitBlt(dc, 0, 0, look.window.right, look.window.bottom, picture, 0, 0, SRCCOPY);
    }
    if (!copied) {
        ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
        // Kept only when all of it was drawn and is on the screen to be read.
        HDC picture = BarFullyShown(dc, look, wParam) ? m_barPicture.Get(dc, look.window.right, look.window.bottom)
                                                      : nullptr;
        m_bBarKept = picture && ::BitBlt(picture, 0, 0, look.window.right, look.window.bottom, dc, 0, 0, SRCCOPY);
        m_barLook = look;
    }
    ::ReleaseDC(m_hWnd, dc);
    return 0;
}

namespace {
using UniqueRegion = fw::UniqueHandle<fw::GdiTraits<HRGN>>;
} // namespace

bool CTreeWnd::BarFullyShown(HDC dc, const BarLook& look, WPARAM updateRegion) const {
    RECT window;
    if (!::GetWindowRect(m_hWnd, &window))
        return false;
    // The frame outside the client area, in screen coordinates.
    UniqueRegion frame(::CreateRectRgnIndirect(&window));
    UniqueRegion client(::CreateRectRgn(window.left + look.client.left, window.top + look.client.top,
                                        window.left + look.client.right, window.top + look.client.bottom));
    UniqueRegion visible(::CreateRectRgn(0, 0, 0, 0));
    UniqueRegion rest(::CreateRectRgn(0, 0, 0, 0));
    if (!frame || !client || !visible || !rest ||
        ::CombineRgn(frame.get(), frame.get(), client.get(), RGN_DIFF) == ERROR)
        return false;
    if (::GetRandomRgn(dc, visible.get(), SYSRGN) != 1 ||
        ::CombineRgn(rest.get(), frame.get(), visible.get(), RGN_DIFF) != NULLREGION)
        return false;
    if (updateRegion == 1)
        return true;
    const HRGN update = reinterpret_cast<HRGN>(updateRegion);
    return ::CombineRgn(rest.get(), frame.get(), update, RGN_DIFF) == NULLREGION;
}

LRESULT CTreeWnd::OnLookChanged(UINT, WPARAM, LPARAM, BOOL& handled) {
    m_bBarKept = 0; // drawn again in the new look
    handled = FALSE;
    return 0;
}

void CTreeWnd::UpdateScrollBar() {
    int rows = CountRows(nullptr);
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    ListScrollBar bar = ListScrollUpdate(rows, rc.bottom - rc.top, nRowHeight, &nPageRows, &nMaxTop);
    // A list created without a scroll bar keeps none: setting the range would add one.
    if (!bScrollBar)
        return;
    // Unchanged values are not set again: each setting redraws the bar.
    if (m_bBarSet && bar.fMask == m_lastBar.fMask && bar.nMin == m_lastBar.nMin && bar.nMax == m_lastBar.nMax &&
        bar.nPage == m_lastBar.nPage && bar.nPos == m_lastBar.nPos && bar.nPos == ::GetScrollPos(m_hWnd, SB_VERT))
        return;
    SetListScrollBar(m_hWnd, bar);
    m_lastBar = bar;
    m_bBarSet = 1;
}

void CTreeWnd::DrawItemText(Gdiplus::Graphics& graphics, const _treeNode* item, int x, int y, int width,
                            int height) {
    Gdiplus::Font* font = gSkin.FontForDpi(m_nDpi);
    if (!font || !item->szText[0])
        return;
    Gdiplus::RectF box(
        static_cast<Gdiplus::REAL>(x + fw::Scale(ListTextOffset(bSmallIcons) + gSkin.nAppListTextX, m_nDpi)),
        static_cast<Gdiplus::REAL>(y + fw::Scale(gSkin.nAppListTextY, m_nDpi)), static_cast<Gdiplus::REAL>(width),
        static_cast<Gdiplus::REAL>(height));
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoClip);
    Gdiplus::SolidBrush black(Gdiplus::Color(255, 0, 0, 0));
    graphics.DrawString(item->szText, -1, font, box, &format, &black);
}

void CTreeWnd::DrawItemTextRect(Gdiplus::Graphics& graphics, const _treeNode* item, const RECT& rc) {
    Gdiplus::Font* font = gSkin.FontForDpi(m_nDpi);
    if (!font || !item->szText[0])
        return;
    Gdiplus::RectF box(static_cast<Gdiplus::REAL>(rc.left), static_cast<Gdiplus::REAL>(rc.top),
                       static_cast<Gdiplus::REAL>(rc.right - rc.left), static_cast<Gdiplus::REAL>(rc.bottom - rc.top));
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoClip);
    Gdiplus::SolidBrush black(Gdiplus::Color(255, 0, 0, 0));
    graphics.DrawString(item->szText, -1, font, box, &format, &black);
}
