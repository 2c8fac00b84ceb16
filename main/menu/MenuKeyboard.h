// The menu's keyboard highlight: where it is (a row of the shown list, a
// button, the power arrow of a button) and how the navigation keys move it.
// The looks are the mouse's own: a row is made hot, a button shows its hover
// image, so the skin's focus images serve both and there is one highlight.
//
// The menu hands over its parts at every key (MenuKeyLayout) because they
// change under it: the lists swap, rows come and go with folders and reloads.
// A remembered stop that is no longer among the parts counts as none.
#pragma once

#include <windows.h>

#include <vector>

class CMenuItemWnd;
class CTreeWnd;
struct _treeNode;

// One place of the keyboard highlight; all null: none.
struct MenuKeyStop {
    CTreeWnd* list = nullptr; // with row: a row of this list
    _treeNode* row = nullptr;
    CMenuItemWnd* button = nullptr;
    bool arrow = false; // the button's power arrow
    bool IsNone() const { return !row && !button; }
    bool operator==(const MenuKeyStop& other) const {
        return list == other.list && row == other.row && button == other.button && arrow == other.arrow;
    }
};

// The menu's parts as the keyboard walks them.
struct MenuKeyLayout {
    CTreeWnd* list = nullptr;          // the list now shown, null none
    std::vector<CMenuItemWnd*> below;  // buttons in the list's column (All Programs), top to bottom
    std::vector<CMenuItemWnd*> right;  // the column on the right, top to bottom
};

class CMenuKeyboard {
public:
    // Sorts the usable buttons (active, shown) into the list's column - their
    // centre above the list's width, menu client coordinates - and the rest.
    static MenuKeyLayout Arrange(CTreeWnd* list, const RECT& listRect, const std::vector<CMenuItemWnd*>& buttons);

    // Moves the highlight for an arrow, Tab, Home, End, Page Up or Page Down;
    // Right and Left also open and close folders of the tree. false for other keys.
    bool Navigate(UINT vk, bool shift, const MenuKeyLayout& layout);
    // The highlight, none when it left the parts.
    MenuKeyStop Current(const MenuKeyLayout& layout) const;
    // Takes the highlight there (none: takes it away).
    void MoveTo(const MenuKeyStop& stop);
    // Forgets the highlight; the menu has reset the looks itself.
    void Forget() {
        m_current = MenuKeyStop();
        m_bFromKeys = false;
    }
    // The highlight was put there by a key (not taken over from the mouse).
    bool FromKeys() const { return m_bFromKeys && !m_current.IsNone(); }
    // The mouse lit window up: its highlight becomes the one, the keyboard's goes.
    void PointerTookOver(HWND window, const MenuKeyLayout& layout);
    // Shows the keyboard's highlight again over a mouse highlight that no
    // real mouse move made (a window appearing under a resting pointer).
    void Reapply(HWND lit, const MenuKeyLayout& layout);

private:
    void Show(const MenuKeyStop& stop);
    void Hide(const MenuKeyStop& stop);
    // The left column: the rows, then the buttons below.
    static std::vector<MenuKeyStop> LeftStops(const MenuKeyLayout& layout);
    static std::vector<MenuKeyStop> RightStops(const MenuKeyLayout& layout);
    // Vertical centre on the screen; rows out of sight count as far away.
    static int CentreY(const MenuKeyStop& stop);
    static MenuKeyStop Nearest(const std::vector<MenuKeyStop>& stops, const MenuKeyStop& from);
    bool NavigateLeft(UINT vk, bool shift, const MenuKeyLayout& layout, const MenuKeyStop& at);
    bool NavigateRight(UINT vk, bool shift, const MenuKeyLayout& layout, const MenuKeyStop& at);

    MenuKeyStop m_current;
    bool m_bFromKeys = false;
};
