// The options program's list control: a flat, owner-painted, vertically
// scrolling list of application entries with one selection. Every change of
// selection made by a click or a command is reported to the parent window as
// a WM_NOTIFY record (NMAPPLIST), sent synchronously.
//
// The row layout, scroll bar numbers, wheel step, hit test and entry ids come
// from ListCore, which the main program's list control uses as well.
// Entries are owned by the control; their icons are not (the creator frees them).
#pragma once

#include "Dpi.h"
#include "Window.h"

#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ListCore.h"

constexpr DWORD kAppItemText = 0x10;
constexpr DWORD kAppItemIcon = 0x20;

// The longest texts a row keeps, as the list file's fields hold them (a longer
// name is kept whole in sLongName).
constexpr size_t kItemNameLength = 255;
constexpr size_t kItemPathLength = 259;
inline std::wstring CutText(const wchar_t* text, size_t length) {
    return text ? std::wstring(text, wcsnlen(text, length)) : std::wstring();
}

// One entry of the list.
struct AppListItem {
    std::wstring strName; // at most 255 characters: the whole name is in sLongName
    int nKind = 0;
    std::wstring strPath; // at most 259 characters, as the file's field holds
    HICON hIcon = nullptr; // borrowed
    int nId = 0;
    int nIndex = 0; // ordinal under the root
    int nLevel = 1;
    int nHeight = 36;
    DWORD dwFlags = kAppItemText | kAppItemIcon;
    RECT rcItem = {}; // where the last paint drew the row
    std::wstring sLongName; // the whole name when strName holds only its start
    bool bIconAsked = false; // the icon source was asked for this row's icon
};

// The record sent with WM_NOTIFY (code NM_CLICK, control id 0).
struct NMAPPLIST {
    NMHDR hdr;
    int nKind;
    int nId; // -1: no entry is selected
    wchar_t szName[256];
    wchar_t szPath[260];
};

class CAppListWnd : public fw::CWindowImpl<CAppListWnd> {
public:
    static HBRUSH GetClassBrush() { return nullptr; } // the paint fills the whole window

    BEGIN_MSG_MAP(CAppListWnd)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_VSCROLL, OnVScroll)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        // The class has CS_DBLCLKS: a quick second press arrives as a double click.
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_MOUSEWHEEL, OnMouseWheel)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
    END_MSG_MAP()

    void SetNotifyId(UINT id) { m_nNotifyId = id; }
    // Heights are design units at 96 DPI, scaled by the list's DPI.
    void SetRowHeight(int height) {
        m_nDesignRowHeight = height;
        m_nRowHeight = fw::Scale(height, m_nDpi);
    }
    void SetSmallIcons(int small) { m_bSmallIcons = small ? 1 : 0; }
    int GetRowHeight() const { return m_nDesignRowHeight; }
    // Rows, icons and text follow: the rows already there are sized again.
    void SetDpi(int dpi);
    int GetDpi() const { return m_nDpi; }
    int GetSmallIcons() const { return m_bSmallIcons; }

    // Appends an entry and returns its id; ids are never reused.
    int AddItem(const wchar_t* name, HICON icon, int kind, DWORD flags, int height);
    BOOL SetItemPath(int id, const wchar_t* path);
    // -1 stands for the selection; null when no entry has the id.
    AppListItem* GetItem(int id);
    // Makes the entry the selection, repaints and reports it; FALSE when there is no such entry.
    BOOL SelectItem(int id);
    BOOL MoveUp(int id);
    BOOL MoveDown(int id);
    // Removes the entry; the next one (else the previous one, else none) becomes the selection and is reported.
    BOOL DeleteItem(int id);
    // Removes every entry at once; the empty selection is reported once.
    void DeleteAll();
    void ScrollToEnd();
    // Asked once for the icon of an entry without one, when its row is first drawn:
    // a long list costs only the rows the user sees.
    void SetIconSource(std::function<void(AppListItem*)> source) { m_iconSource = std::move(source); }
    // Shown in the list while it has no entries (empty: nothing).
    void SetEmptyText(const wchar_t* text);

    int GetSelection() const { return m_nSelection; }
    int GetTopRow() const { return m_nTopRow; }
    int GetPageRows() const { return m_nPageRows; }
    int GetMaxTop() const { return m_nMaxTop; }
    size_t Count() const { return m_items.size(); }
    const AppListItem* ItemAt(size_t index) const { return index < m_items.size() ? m_items[index].get() : nullptr; }

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnVScroll(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseWheel(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);

    void UpdateScrollBar();
    void SetTopRow(int top, BOOL erase);
    int IndexOf(int id) const;
    void Notify(const AppListItem* item);
    void Paint(HDC dc);

    std::vector<std::unique_ptr<AppListItem>> m_items;
    std::map<int, AppListItem*> m_index;
    int m_nAdded = 0; // entries ever added under the root
    int m_nSelection = -1;
    int m_nTopRow = 0;
    int m_nPageRows = 0;
    int m_nMaxTop = 0;
    int m_nRowHeight = 36; // in pixels at m_nDpi
    int m_nDesignRowHeight = 36;
    int m_nDpi = 96;
    int m_bSmallIcons = 0;
    UINT m_nNotifyId = 0;
    int m_bScrollBar = 1;
    bool m_bPressed = false;
    bool m_bClicked = false;
    CListRows m_rows;
    std::wstring m_emptyText;
    std::function<void(AppListItem*)> m_iconSource;
};
