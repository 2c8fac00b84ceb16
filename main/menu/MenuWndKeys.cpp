// The menu without a mouse: every key of the menu and its children arrives
// here, the navigation moves the keyboard highlight (MenuKeyboard.h).
#include "MenuWnd.h"

#include "Dpi.h"
#include "MenuItemWnd.h"
#include "Skin.h"
#include "TreeWnd.h"

#include <vector>

MenuKeyLayout CMenuWnd::KeyLayout() const {
    std::vector<CMenuItemWnd*> buttons;
    for (const auto& entry : m_buttons)
        buttons.push_back(entry.second.get());
    // In the buttons' pixels: the skin's are design units at 96 DPI.
    const RECT listRect = fw::ScaleRect({gSkin.nAppListX, gSkin.nAppListY, gSkin.nAppListX + gSkin.nAppListWidth,
                                         gSkin.nAppListY + gSkin.nAppListHeight},
                                        m_nDpi);
    // A search's results stand in for the lists: the keys never move through a hidden one.
    const ListPtr& list = m_bSearchShown ? m_pSearchResults : m_nAllAppMode ? m_pAllPrograms : m_pPinnedList;
    return CMenuKeyboard::Arrange(list.get(), listRect, buttons);
}

LRESULT CMenuWnd::OnKeyDown(UINT msg, WPARAM wParam, LPARAM, BOOL& handled) {
    const UINT vk = static_cast<UINT>(wParam);
    if (OnSearchKey(vk))
        return 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const bool contextKey = vk == VK_APPS || (vk == VK_F10 && shift);
    if (msg == WM_SYSKEYDOWN && vk == VK_F4) {
        // Alt+F4 closes the menu as Esc does; the system's close would destroy
        // the window and leave the Start button without a menu.
        ShowMenu(0, 0, 0);
        return 0;
    }
    if (msg == WM_SYSKEYDOWN && !contextKey) {
        handled = FALSE;
        return 0;
    }
    ::GetCursorPos(&m_keyCursor);
    const MenuKeyLayout layout = KeyLayout();
    const MenuKeyStop at = m_keys.Current(layout);
    if (contextKey)
        KeyContextMenu(at);
    else if (vk == VK_ESCAPE)
        EscapeKey(at);
    else if (vk == VK_RETURN || vk == VK_SPACE)
        ActivateKeyStop(at);
    else if (vk == VK_RIGHT && OpenRecentByKey(at))
        return 0;
    else if (m_keys.Navigate(vk, shift, layout))
        KeyHoverPicture(m_keys.Current(layout));
    else
        handled = FALSE;
    return 0;
}

void CMenuWnd::ActivateKeyStop(const MenuKeyStop& stop) {
    if (stop.row)
        stop.list->ActivateItem(stop.row);
    else if (stop.button)
        stop.button->PressKey(stop.arrow);
}

void CMenuWnd::KeyContextMenu(const MenuKeyStop& stop) {
    if (stop.row) {
        stop.list->ShowRowMenu(stop.row);
    } else if (stop.button) {
        RECT rc{};
        ::GetWindowRect(stop.button->m_hWnd, &rc);
        ::SendMessageW(stop.button->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(stop.button->m_hWnd),
                       MAKELPARAM(rc.left + 8, rc.bottom));
    }
    if (IsWindow() && m_keys.FromKeys())
        m_keys.Reapply(nullptr, KeyLayout()); // the popup took the button's look with it
}

void CMenuWnd::EscapeKey(const MenuKeyStop& stop) {
    if (m_nAllAppMode && stop.row) {
        // An open folder closes first: the highlighted one, else the one around the highlight.
        _treeNode* folder = stop.row->bExpanded ? stop.row : stop.row->nLevel > 1 ? stop.row->pParent : nullptr;
        if (folder) {
            stop.list->ActivateItem(folder);
            MenuKeyStop at = stop;
            at.row = folder;
            m_keys.MoveTo(at);
            return;
        }
    }
    if (m_nAllAppMode) {
        SendMessage(WM_COMMAND, kCmdToggleAllApps, 0);
        CMenuItemWnd* toggle = nullptr;
        for (const auto& entry : m_buttons)
            if (entry.second->GetCommandId() == kCmdAllApps && !toggle)
                toggle = entry.second.get();
        MenuKeyStop at;
        at.button = toggle;
        if (!stop.IsNone())
            m_keys.MoveTo(at);
        return;
    }
    ShowMenu(0, 0, 0);
}

void CMenuWnd::KeyHoverPicture(const MenuKeyStop& stop) {
    const MenuButtonRole* role = stop.button ? RoleOfCommand(stop.button->GetCommandId()) : nullptr;
    const _skinButton* skin = stop.button ? stop.button->GetSkinButton() : nullptr;
    if (role && role->nHover == kHoverIcon && skin && skin->hIcon) {
        SetUserPicture(skin->hIcon.get(), nullptr, 0, 0);
        m_bKeyPicture = 1;
    } else if (m_bKeyPicture) {
        SetUserPicture(nullptr, gSkin.GetImage(1), 1, 1);
        m_bKeyPicture = 0;
    }
}

LRESULT CMenuWnd::OnPointerHighlight(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const HWND lit = reinterpret_cast<HWND>(lParam);
    POINT now{};
    ::GetCursorPos(&now);
    const MenuKeyLayout layout = KeyLayout();
    // A window appearing under a resting pointer lights up without a move of
    // the mouse: the keyboard's highlight stays.
    if (m_keys.FromKeys() && now.x == m_keyCursor.x && now.y == m_keyCursor.y) {
        m_keys.Reapply(lit, layout);
        return 0;
    }
    m_keys.PointerTookOver(lit, layout);
    if (m_bKeyPicture) {
        SetUserPicture(nullptr, gSkin.GetImage(1), 1, 1);
        m_bKeyPicture = 0;
    }
    return 0;
}
