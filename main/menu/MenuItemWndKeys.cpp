// CMenuItemWnd for the keyboard and for screen readers.
#include "MenuItemWnd.h"

#include "MenuProtocol.h"
#include "Skin.h"

#include <new>

bool CMenuItemWnd::HasArrow() const {
    if (!m_pSkinButton || m_pSkinButton->nMenuAuto == 0 || m_pSkinButton->nMenuWidth <= 0)
        return false;
    return m_pSkinButton->nMenuWidth < m_pSkinButton->nPosWidth;
}

void CMenuItemWnd::SetKeyFocus(int part) {
    const int before = m_nKeyFocus;
    m_nKeyFocus = part;
    const int state = part ? 1 : 0;
    if (m_nState != state) {
        m_nState = state;
        if (m_hWnd)
            Invalidate(TRUE);
    }
    if (part && part != before)
        RaiseAccessibleFocus(m_hWnd, part == 2 ? 1 : CHILDID_SELF);
}

LRESULT CMenuItemWnd::OnKeyToMenu(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
    return ::SendMessageW(GetParent(), msg, wParam, lParam);
}

LRESULT CMenuItemWnd::OnGetObject(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    return m_accessible.Answer(m_hWnd, this, wParam, lParam, handled);
}

long CMenuItemWnd::AccChildCount() { return HasArrow() ? 1 : 0; }

bool CMenuItemWnd::AccDescribe(long child, AccessibleItem* item) {
    if (!IsWindow() || child < 0 || child > AccChildCount())
        return false;
    // The caption, else the skin's text; the account picture is named after the account.
    item->name = m_szCaption;
    if (item->name.empty() && m_pSkinButton)
        item->name = m_pSkinButton->szText;
    if (item->name.empty() && m_pSkinButton && m_pSkinButton->nId == 0)
        item->name = gSkin.GetAccountName();
    item->role = child ? ROLE_SYSTEM_BUTTONMENU : ROLE_SYSTEM_PUSHBUTTON;
    item->state = IsActive() ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_UNAVAILABLE;
    if (m_nKeyFocus && (m_nKeyFocus == 2) == (child == 1))
        item->state |= STATE_SYSTEM_FOCUSED;
    if (m_nState == 2 && (child == 1 || !HasArrow()))
        item->state |= STATE_SYSTEM_PRESSED;
    if (!::IsWindowVisible(m_hWnd))
        item->state |= STATE_SYSTEM_INVISIBLE;
    ::GetWindowRect(m_hWnd, &item->screen);
    if (child == 1)
        item->screen.left = item->screen.right - m_pSkinButton->nMenuWidth;
    else if (HasArrow())
        item->screen.right -= m_pSkinButton->nMenuWidth;
    return true;
}

long CMenuItemWnd::AccFocusChild() { return m_nKeyFocus == 2 ? 1 : m_nKeyFocus == 1 ? CHILDID_SELF : -1; }

bool CMenuItemWnd::AccDoDefault(long child) {
    if (child < 0 || child > AccChildCount() || !IsActive())
        return false;
    PressKey(child == 1);
    return true;
}

void CMenuItemWnd::PressKey(bool arrow) {
    const bool whole = m_pSkinButton && m_pSkinButton->nMenuAuto != 0 && m_pSkinButton->nMenuWidth > 0 && !HasArrow();
    Press(arrow || whole);
}
