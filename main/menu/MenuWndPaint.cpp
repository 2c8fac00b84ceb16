// The menu's picture: the skin's background with its draw images, kept
// between paints, and at an opening the whole menu with its buttons and lists
// composed off the screen and copied in one go.
#include "MenuWnd.h"

#include "Handles.h"
#include "MenuItemWnd.h"
#include "Skin.h"
#include "TreeWnd.h"

#include <utility>
#include <vector>

void CMenuWnd::DrawBackground(HDC dc) {
    Gdiplus::Graphics graphics(dc);
    if (Gdiplus::Image* background = gSkin.pMenuBackground)
        DrawSkinImage(graphics, background, 0, 0, static_cast<INT>(background->GetWidth()),
                      static_cast<INT>(background->GetHeight()), m_nDpi);
    for (const auto& entry : gSkin.DrawImages()) {
        if (Gdiplus::Image* image = gSkin.GetImage(entry->nImage))
            DrawSkinImage(graphics, image, entry->x, entry->y, static_cast<INT>(image->GetWidth()),
                          static_cast<INT>(image->GetHeight()), m_nDpi);
    }
}

RECT CMenuWnd::WholeMenu() const {
    const SIZE size = MenuSizeAt(m_nDpi);
    return {0, 0, size.cx, size.cy};
}

bool CMenuWnd::MakeBackground(HDC dc) {
    // Composed once: the background covers the whole window, so the copy is the same picture.
    Gdiplus::Image* background = gSkin.pMenuBackground;
    return background && m_background.Make(dc, background, WholeMenu(), [&](HDC memory) { DrawBackground(memory); });
}

bool CMenuWnd::CopyBackground(HDC target, HDC compatible) {
    return MakeBackground(compatible) &&
           m_background.CopyIfCurrent(target, 0, 0, gSkin.pMenuBackground, WholeMenu());
}

void CMenuWnd::PrepareFirstPicture() {
    // At start-up's first idle moment: the pictures the first opening shows
    // are made now, so that the click only shows and copies them.
    if (!IsWindow())
        return;
    HDC screen = ::GetDC(nullptr);
    if (!screen)
        return;
    SetUserPicture(nullptr, gSkin.GetImage(1), 1, 0); // the account button as every opening shows it
    MakeBackground(screen);
    for (auto& entry : m_buttons)
        entry.second->PrepareFace(screen);
    ::ReleaseDC(nullptr, screen);
}

LRESULT CMenuWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    fw::PaintScope paint(m_hWnd);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    // The whole menu waits for its paint at every opening: see PaintWithChildren.
    RECT missed;
    if (::SubtractRect(&missed, &client, &paint.ps().rcPaint) == FALSE && PaintWithChildren())
        return 0;
    if (!CopyBackground(paint.dc(), paint.dc()))
        DrawBackground(paint.dc());
    return 0;
}

namespace {

struct ChildRects {
    HWND parent;
    std::vector<std::pair<HWND, RECT>> shown;
};

BOOL CALLBACK CollectShownChild(HWND child, LPARAM param) {
    auto* children = reinterpret_cast<ChildRects*>(param);
    RECT rc;
    if (::GetParent(child) == children->parent && ::IsWindowVisible(child) && ::GetWindowRect(child, &rc)) {
        ::MapWindowPoints(nullptr, children->parent, reinterpret_cast<POINT*>(&rc), 2);
        children->shown.emplace_back(child, rc);
    }
    return TRUE;
}

} // namespace

bool CMenuWnd::PaintWithChildren() {
    // Each window's own paint costs more than copying a kept picture, and at
    // an opening every window of the menu waits for one; each paint that
    // reaches the screen costs more than drawing a list's rows. The
    // background, the kept picture of every button (for the look it has now)
    // and the rows of every list are put together off the screen and copied
    // in one go; those windows are spared their own paint. A list with a frame
    // or a shown scroll bar, a button without a kept picture and a window that
    // shares pixels with another paint themselves.
    HDC dc = ::GetDCEx(m_hWnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    if (!dc)
        return false;
    const RECT whole = WholeMenu();
    HDC composed = m_composed.Get(dc, whole.right, whole.bottom);
    if (!composed || !CopyBackground(composed, dc)) {
        ::ReleaseDC(m_hWnd, dc);
        return false;
    }
    ChildRects children{m_hWnd, {}};
    ::EnumChildWindows(m_hWnd, CollectShownChild, reinterpret_cast<LPARAM>(&children));
    std::vector<HWND> drawn;
    for (const auto& child : children.shown) {
        bool alone = true;
        for (const auto& other : children.shown) {
            RECT common;
            if (other.first != child.first && ::IntersectRect(&common, &other.second, &child.second))
                alone = false;
        }
        const CMenuItemWnd* button = ButtonOfWindow(child.first);
        CTreeWnd* list = button ? nullptr : ListOfWindow(child.first);
        if (alone && ((button && button->PaintFromMenu(composed)) ||
                      (list && list->PaintFromMenu(composed, child.second.left, child.second.top))))
            drawn.push_back(child.first);
        else
            ::ExcludeClipRect(dc, child.second.left, child.second.top, child.second.right, child.second.bottom);
    }
    ::BitBlt(dc, 0, 0, whole.right, whole.bottom, composed, 0, 0, SRCCOPY);
    ::ReleaseDC(m_hWnd, dc);
    // Every shown window drawn (as at an opening): one trip validates them all.
    if (drawn.size() == children.shown.size()) {
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_VALIDATE | RDW_NOFRAME | RDW_ALLCHILDREN);
        return true;
    }
    for (HWND child : drawn)
        ::RedrawWindow(child, nullptr, nullptr, RDW_VALIDATE | RDW_NOFRAME | RDW_NOCHILDREN);
    return true;
}
