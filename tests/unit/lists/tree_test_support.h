// Shared pieces of the list control tests (and of the menu's lists): an owner
// popup that records what the list sends it, shortcuts and Start Menu folders.
#pragma once

#include "FreshSkin.h"
#include "Handles.h"
#include "Pointer.h"
#include "Wait.h"
#include "Skin.h"
#include "TestFiles.h"
#include "TreeWnd.h"
#include "Window.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windowsx.h>

#include <string>
#include <vector>

// The list's owner: records notifications (copying the record, which lives
// for the call only) and forwarded context menus; paints the menu background.
class OwnerWnd : public fw::CWindowImpl<OwnerWnd> {
public:
    struct Note {
        WPARAM wParam;
        bool hasRecord;
        _treeNotify record;
    };
    std::vector<Note> notes;
    std::vector<std::pair<WPARAM, LPARAM>> contextMenus;

    BEGIN_MSG_MAP(OwnerWnd)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
    END_MSG_MAP()

    HWND CreateOwner(int width = 449, int height = 486) {
        RECT rc = {40, 40, 40 + width, 40 + height};
        HWND h = Create(nullptr, rc, L"tree owner", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW);
        if (h)
            ::UpdateWindow(h);
        return h;
    }

private:
    LRESULT OnNotify(UINT, WPARAM wp, LPARAM lp, BOOL&) {
        Note note{wp, lp != 0, {}};
        if (lp)
            note.record = *reinterpret_cast<const _treeNotify*>(lp);
        notes.push_back(note);
        return 0;
    }
    LRESULT OnContextMenu(UINT, WPARAM wp, LPARAM lp, BOOL&) {
        contextMenus.emplace_back(wp, lp);
        return 0;
    }
    LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
        fw::PaintScope paint(m_hWnd);
        if (Gdiplus::Image* background = gSkin.pMenuBackground) {
            Gdiplus::Graphics g(paint.dc());
            g.DrawImage(background, 0, 0, background->GetWidth(), background->GetHeight());
        }
        return 0;
    }
};

// A move as the mouse makes it: the pointer goes to the point first.
inline void SendMove(HWND window, LPARAM at) {
    EXPECT_TRUE(PlacePointer(window, GET_X_LPARAM(at), GET_Y_LPARAM(at)));
    ::SendMessageW(window, WM_MOUSEMOVE, 0, at);
}

// Paints the list now, erase included (which recomputes its scroll bar).
inline void Repaint(HWND list) {
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
}

inline LPARAM Center(const RECT& rc) { return MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2); }

inline void Click(HWND list, LPARAM at) {
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
}

// Items of one level in sibling order.
inline std::vector<_treeNode*> Children(_treeNode* parent) {
    std::vector<_treeNode*> out;
    for (_treeNode* item = parent->pChild; item; item = item->pNext)
        out.push_back(item);
    return out;
}

inline std::wstring BaseName(const wchar_t* path) {
    std::wstring p = path;
    size_t slash = p.find_last_of(L'\\');
    return slash == std::wstring::npos ? p : p.substr(slash + 1);
}
