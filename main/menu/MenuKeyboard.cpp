#include "MenuKeyboard.h"

#include "MenuItemWnd.h"
#include "TreeWnd.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

RECT ScreenRect(HWND window) {
    RECT rc{};
    ::GetWindowRect(window, &rc);
    return rc;
}

int Find(const std::vector<MenuKeyStop>& stops, const MenuKeyStop& stop) {
    const auto at = std::find(stops.begin(), stops.end(), stop);
    return at == stops.end() ? -1 : static_cast<int>(at - stops.begin());
}

MenuKeyStop RowStop(CTreeWnd* list, _treeNode* row) {
    MenuKeyStop stop;
    stop.list = list;
    stop.row = row;
    return stop;
}

MenuKeyStop ButtonStop(CMenuItemWnd* button, bool arrow = false) {
    MenuKeyStop stop;
    stop.button = button;
    stop.arrow = arrow;
    return stop;
}

} // namespace

MenuKeyLayout CMenuKeyboard::Arrange(CTreeWnd* list, const RECT& listRect, const std::vector<CMenuItemWnd*>& buttons) {
    MenuKeyLayout layout;
    layout.list = list && list->IsWindow() && ::IsWindowVisible(list->m_hWnd) ? list : nullptr;
    struct Placed {
        CMenuItemWnd* button;
        RECT rc;
    };
    std::vector<Placed> placed;
    for (CMenuItemWnd* button : buttons) {
        if (!button || !button->IsWindow() || !::IsWindowVisible(button->m_hWnd) || !button->IsActive())
            continue;
        RECT rc = ScreenRect(button->m_hWnd);
        ::MapWindowPoints(nullptr, button->GetParent(), reinterpret_cast<POINT*>(&rc), 2);
        placed.push_back({button, rc});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.rc.top != b.rc.top ? a.rc.top < b.rc.top : a.rc.left < b.rc.left;
    });
    for (const Placed& p : placed) {
        const int centre = (p.rc.left + p.rc.right) / 2;
        const bool inColumn = centre >= listRect.left && centre < listRect.right;
        (inColumn ? layout.below : layout.right).push_back(p.button);
    }
    return layout;
}

std::vector<MenuKeyStop> CMenuKeyboard::LeftStops(const MenuKeyLayout& layout) {
    std::vector<MenuKeyStop> stops;
    if (layout.list)
        for (_treeNode* row : layout.list->Rows())
            stops.push_back(RowStop(layout.list, row));
    for (CMenuItemWnd* button : layout.below)
        stops.push_back(ButtonStop(button));
    return stops;
}

std::vector<MenuKeyStop> CMenuKeyboard::RightStops(const MenuKeyLayout& layout) {
    std::vector<MenuKeyStop> stops;
    for (CMenuItemWnd* button : layout.right) {
        stops.push_back(ButtonStop(button));
        if (button->HasArrow())
            stops.push_back(ButtonStop(button, true));
    }
    return stops;
}

MenuKeyStop CMenuKeyboard::Current(const MenuKeyLayout& layout) const {
    if (m_current.row && Find(LeftStops(layout), m_current) >= 0)
        return m_current;
    if (m_current.button && (Find(LeftStops(layout), m_current) >= 0 || Find(RightStops(layout), m_current) >= 0))
        return m_current;
    return MenuKeyStop();
}

int CMenuKeyboard::CentreY(const MenuKeyStop& stop) {
    if (stop.button) {
        const RECT rc = ScreenRect(stop.button->m_hWnd);
        return (rc.top + rc.bottom) / 2;
    }
    if (!stop.row)
        return INT_MAX / 2;
    RECT rc = stop.list->RowRect(stop.row);
    RECT client{};
    ::GetClientRect(stop.list->m_hWnd, &client);
    if (rc.bottom <= client.top || rc.top >= client.bottom)
        return INT_MAX / 2; // out of sight: never the nearest
    ::MapWindowPoints(stop.list->m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return (rc.top + rc.bottom) / 2;
}

MenuKeyStop CMenuKeyboard::Nearest(const std::vector<MenuKeyStop>& stops, const MenuKeyStop& from) {
    const int y = CentreY(from);
    MenuKeyStop best;
    int distance = INT_MAX;
    for (const MenuKeyStop& stop : stops) {
        if (stop.arrow)
            continue;
        const int d = std::abs(CentreY(stop) - y);
        if (d < distance) {
            distance = d;
            best = stop;
        }
    }
    return best;
}

bool CMenuKeyboard::Navigate(UINT vk, bool shift, const MenuKeyLayout& layout) {
    switch (vk) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT: case VK_TAB:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
        break;
    default:
        return false;
    }
    const MenuKeyStop at = Current(layout);
    const std::vector<MenuKeyStop> left = LeftStops(layout), right = RightStops(layout);
    if (at.IsNone()) {
        // The first key only shows where the highlight starts.
        const bool toRight = (vk == VK_RIGHT || left.empty()) && !right.empty();
        const std::vector<MenuKeyStop>& pane = toRight ? right : left;
        if (!pane.empty())
            MoveTo((vk == VK_UP || vk == VK_END) && !toRight ? pane.back() : pane.front());
        return true;
    }
    if (Find(left, at) >= 0)
        return NavigateLeft(vk, shift, layout, at);
    return NavigateRight(vk, shift, layout, at);
}

bool CMenuKeyboard::NavigateLeft(UINT vk, bool, const MenuKeyLayout& layout, const MenuKeyStop& at) {
    const std::vector<MenuKeyStop> stops = LeftStops(layout), right = RightStops(layout);
    const int n = static_cast<int>(stops.size());
    const int index = Find(stops, at);
    const int rows = layout.list ? static_cast<int>(layout.list->Rows().size()) : 0;
    _treeNode* row = at.row;
    switch (vk) {
    case VK_UP: MoveTo(stops[static_cast<size_t>((index + n - 1) % n)]); break;
    case VK_DOWN: MoveTo(stops[static_cast<size_t>((index + 1) % n)]); break;
    case VK_HOME: MoveTo(stops.front()); break;
    case VK_END: MoveTo(stops[static_cast<size_t>(rows > 0 ? rows - 1 : n - 1)]); break;
    case VK_PRIOR:
    case VK_NEXT: {
        if (!row) {
            MoveTo(vk == VK_PRIOR ? stops.front() : stops[static_cast<size_t>(rows > 0 ? rows - 1 : n - 1)]);
            break;
        }
        const int page = std::max(1, layout.list->nPageRows > 0 ? layout.list->nPageRows - 1 : 1);
        const int to = std::max(0, std::min(rows - 1, vk == VK_PRIOR ? index - page : index + page));
        MoveTo(stops[static_cast<size_t>(to)]);
        break;
    }
    case VK_RIGHT:
        if (row && layout.list->IsOutline() && (row->dwFlags & kTreeFolder)) {
            if (!row->bExpanded)
                layout.list->ActivateItem(row); // opens; the highlight stays on the folder
            else if (row->pChild)
                MoveTo(RowStop(layout.list, row->pChild));
            break;
        }
        if (!right.empty())
            MoveTo(Nearest(right, at));
        break;
    case VK_LEFT:
        if (row && row->bExpanded) {
            layout.list->ActivateItem(row); // closes
            layout.list->HighlightRow(row);
        } else if (row && row->nLevel > 1) {
            MoveTo(RowStop(layout.list, row->pParent));
        }
        break;
    case VK_TAB:
        if (!right.empty())
            MoveTo(right.front());
        break;
    default: return false;
    }
    return true;
}

bool CMenuKeyboard::NavigateRight(UINT vk, bool, const MenuKeyLayout& layout, const MenuKeyStop& at) {
    std::vector<MenuKeyStop> buttons; // the buttons without their arrows
    for (CMenuItemWnd* button : layout.right)
        buttons.push_back(ButtonStop(button));
    const std::vector<MenuKeyStop> left = LeftStops(layout);
    const int n = static_cast<int>(buttons.size());
    const int index = Find(buttons, ButtonStop(at.button));
    switch (vk) {
    case VK_UP: MoveTo(buttons[static_cast<size_t>((index + n - 1) % n)]); break;
    case VK_DOWN: MoveTo(buttons[static_cast<size_t>((index + 1) % n)]); break;
    case VK_HOME: case VK_PRIOR: MoveTo(buttons.front()); break;
    case VK_END: case VK_NEXT: MoveTo(buttons.back()); break;
    case VK_RIGHT:
        if (!at.arrow && at.button->HasArrow())
            MoveTo(ButtonStop(at.button, true));
        break;
    case VK_LEFT:
        if (at.arrow)
            MoveTo(ButtonStop(at.button));
        else if (!left.empty())
            MoveTo(Nearest(left, at));
        break;
    case VK_TAB:
        if (!left.empty())
            MoveTo(left.front());
        break;
    default: return false;
    }
    return true;
}

void CMenuKeyboard::Hide(const MenuKeyStop& stop) {
    if (stop.button)
        stop.button->SetKeyFocus(0);
    else if (stop.row && stop.list->IsWindow() && stop.list->GetHotItem() == stop.row)
        stop.list->HighlightRow(nullptr);
}

void CMenuKeyboard::Show(const MenuKeyStop& stop) {
    if (stop.button)
        stop.button->SetKeyFocus(stop.arrow ? 2 : 1);
    else if (stop.row)
        stop.list->HighlightRow(stop.row);
}

void CMenuKeyboard::MoveTo(const MenuKeyStop& stop) {
    if (!(stop == m_current) || stop.IsNone())
        Hide(m_current);
    m_current = stop;
    m_bFromKeys = true;
    Show(stop);
}

void CMenuKeyboard::PointerTookOver(HWND window, const MenuKeyLayout& layout) {
    MenuKeyStop lit;
    if (layout.list && window == layout.list->m_hWnd) {
        if (_treeNode* hot = layout.list->GetHotItem())
            lit = RowStop(layout.list, hot);
    } else {
        for (const auto* column : {&layout.below, &layout.right})
            for (CMenuItemWnd* button : *column)
                if (button->m_hWnd == window)
                    lit = ButtonStop(button);
    }
    const MenuKeyStop before = Current(layout);
    // On the same button the look stays; in the same list the hot row has moved already.
    const bool sameButton = before.button && before.button == lit.button;
    const bool sameList = before.row && lit.row && before.list == lit.list;
    if (!before.IsNone() && !sameButton && !sameList)
        Hide(before);
    m_current = lit;
    m_bFromKeys = false;
}

void CMenuKeyboard::Reapply(HWND lit, const MenuKeyLayout& layout) {
    const MenuKeyStop at = Current(layout);
    if (at.IsNone())
        return;
    // The look the resting pointer put on another part goes.
    for (const auto* column : {&layout.below, &layout.right})
        for (CMenuItemWnd* button : *column)
            if (button->m_hWnd == lit && button != at.button)
                button->SetKeyFocus(0);
    if (layout.list && layout.list->m_hWnd == lit && !at.row)
        layout.list->HighlightRow(nullptr);
    Show(at);
}
