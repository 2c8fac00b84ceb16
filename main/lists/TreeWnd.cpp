#include "TreeWnd.h"

#include "Handles.h"
#include "PackagedAppsLists.h"
#include "Text.h"
#include "Trace.h"
#include "Utils.h"

#include <windowsx.h>

#include <iterator>
#include <memory>
#include <new>
#include <utility>

CTreeWnd::CTreeWnd(HWND owner, UINT controlId) : m_hOwner(owner), m_nControlId(controlId) {
    m_root.bExpanded = TRUE;
}

CTreeWnd::~CTreeWnd() {
    // The window goes first (the base would destroy it after our members are gone).
    if (IsWindow())
        DestroyWindow();
    StopIconThread();
    FreeItems();
}

int CTreeWnd::AddItem(const wchar_t* text, HICON icon, DWORD flags, int height, _treeNode* parent) {
    _treeNode* item = AddNode(text, icon, flags, height, parent);
    return item ? item->nId : -1;
}

_treeNode* CTreeWnd::AddNode(const wchar_t* text, HICON icon, DWORD flags, int height, _treeNode* parent) {
    if (!parent)
        parent = &m_root;
    std::unique_ptr<_treeNode> owned(new (std::nothrow) _treeNode{});
    if (!owned)
        return nullptr;
    _treeNode* item = owned.get();
    m_nodes.push_back(std::move(owned));
    item->pParent = parent;
    if (!parent->pChild) {
        parent->pChild = item;
    } else {
        _treeNode* last = parent->pChild;
        while (last->pNext)
            last = last->pNext;
        last->pNext = item;
        item->pPrev = last;
    }
    ++parent->nChildren;
    fw::StrCopy(item->szText, text ? text : L"");
    item->dwFlags = flags;
    item->hIcon = icon;
    item->nHeight = fw::Scale(height, m_nDpi);
    item->nLevel = parent->nLevel + 1;
    item->nIndex = parent->nChildren;
    int id = item->nIndex;
    for (const _treeNode* p = parent; p; p = p->pParent)
        id = ListIdStep(id, p->nIndex);
    item->nId = id;
    m_ids.emplace(id, item); // a clashing identifier keeps its first item
    return item;
}

int CTreeWnd::SetItemPath(int id, const wchar_t* path) {
    _treeNode* item = FindItem(id);
    if (!item)
        return 0;
    fw::StrCopy(item->szPath, path ? path : L"");
    return 1;
}

int CTreeWnd::SetItemLocationKey(int id, int64_t key) {
    _treeNode* item = FindItem(id);
    if (!item)
        return 0;
    item->nLocationKey = key;
    return 1;
}

void CTreeWnd::AddLocation(int64_t key, const wchar_t* path) {
    std::vector<std::wstring>& list = m_locations[key];
    wchar_t copy[kPathCapacity];
    fw::StrCopy(copy, path ? path : L"");
    list.insert(list.begin(), copy);
}

const std::vector<std::wstring>* CTreeWnd::GetLocations(int64_t key) const {
    auto it = m_locations.find(key);
    return it == m_locations.end() ? nullptr : &it->second;
}

_treeNode* CTreeWnd::FindItem(int id) const {
    if (id == -1)
        return HotItem();
    auto it = m_ids.find(id);
    return it == m_ids.end() ? nullptr : it->second;
}

void CTreeWnd::AdoptIcon(HICON icon) {
    if (icon)
        m_ownedIcons.emplace_back(icon);
}

HICON CTreeWnd::ReleaseIcon(HICON icon) {
    for (auto it = m_ownedIcons.begin(); icon && it != m_ownedIcons.end(); ++it)
        if (it->get() == icon) {
            HICON released = it->release();
            m_ownedIcons.erase(it);
            return released;
        }
    return nullptr;
}

void CTreeWnd::FreeItems() {
    m_root.pChild = nullptr;
    m_nodes.clear();
    m_ids.clear();
    m_locations.clear();
    m_drawn.clear();
    m_pPressed = nullptr;
    m_pHot = nullptr;
    m_bFilled = 0;
    CloseWatches();
    ++m_nGeneration;
    DropIconRequests();
    bCapture = 0;
    m_ownedIcons.clear();
    m_rowDocuments.clear();
    m_pArrowRow = nullptr;
}

void CTreeWnd::RemoveAll() { FreeItems(); }

void CTreeWnd::CollapseAll() {
    struct Collapse {
        static bool Siblings(_treeNode* item) {
            bool changed = false;
            for (; item; item = item->pNext) {
                changed |= item->bExpanded != FALSE;
                item->bExpanded = FALSE;
                changed |= Siblings(item->pChild);
            }
            return changed;
        }
    };
    // Every opening collapses both lists: one already collapsed, at the top
    // and without a hot row is not painted again.
    bool changed = Collapse::Siblings(m_root.pChild);
    changed |= m_pHot != nullptr || nHotId != -1 || nTopRow != 0;
    SetHot(nullptr);
    nTopRow = 0;
    if (IsWindow() && (changed || ::GetScrollPos(m_hWnd, SB_VERT) != 0)) {
        ::SetScrollPos(m_hWnd, SB_VERT, 0, TRUE);
        Invalidate(TRUE); // fewer rows: the scroll bar is recomputed on erase
    }
}

_treeNode* CTreeWnd::HitTest(POINT pt) const {
    for (_treeNode* item : m_drawn)
        if (::PtInRect(&item->rcItem, pt))
            return item;
    return nullptr;
}

_treeNode* CTreeWnd::HotItem() const {
    if (m_pHot && m_pHot->nId == nHotId)
        return m_pHot;
    auto it = m_ids.find(nHotId);
    return it == m_ids.end() ? nullptr : it->second;
}

void CTreeWnd::SetHot(_treeNode* item) {
    m_pHot = item;
    nHotId = item ? item->nId : -1;
}

LRESULT CTreeWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    bScrollBar = (::GetWindowLongW(m_hWnd, GWL_STYLE) & WS_VSCROLL) ? 1 : 0;
    bCreated = 1;
    m_bBarSet = 0; // a new window has no bar set yet
    return 0;
}

LRESULT CTreeWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    m_accessible.Disconnect();
    StopIconThread();
    FreeItems();
    m_link.reset();
    m_bFilled = 0;
    bCreated = 0;
    return 0;
}

LRESULT CTreeWnd::OnVScroll(UINT, WPARAM wParam, LPARAM, BOOL&) {
    int top = ListScrollRequest(LOWORD(wParam), HIWORD(wParam), nTopRow, nPageRows, nMaxTop);
    if (top != nTopRow) {
        nTopRow = top;
        Invalidate(FALSE);
        ::SetScrollPos(m_hWnd, SB_VERT, top, TRUE);
    }
    return 0;
}

LRESULT CTreeWnd::OnMouseWheel(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (!bScrollBar)
        return 1;
    nTopRow = ListWheelScroll(m_hWnd, wParam);
    Invalidate(TRUE);
    return 0;
}

LRESULT CTreeWnd::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (!fw::MoveIsCurrent(m_hWnd))
        return 0;
    ::SetFocus(m_hWnd); // so that the wheel reaches the list
    if (bCapture && ::GetCapture() == m_hWnd)
        return 0;
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    _treeNode* item = HitTest(pt);
    if (item != HotItem()) {
        SetHot(item);
        Invalidate(FALSE);
        ::SendMessageW(m_hOwner, kMsgPointerHighlight, 0, reinterpret_cast<LPARAM>(m_hWnd));
    }
    TrackArrow(item, pt);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (::PtInRect(&client, pt)) {
        TRACKMOUSEEVENT tme{};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_LEAVE;
        tme.hwndTrack = m_hWnd;
        ::TrackMouseEvent(&tme);
        bInMenu = 0;
    }
    return 0;
}

LRESULT CTreeWnd::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&) {
    // A popup opened from the arrow takes the pointer without it leaving the
    // arrow: only a real leave lets the arrow open the popup again.
    if (bInMenu)
        return 0;
    TrackArrow(nullptr, {});
    ::SetFocus(GetParent());
    SetHot(nullptr);
    Invalidate(FALSE);
    return 0;
}

LRESULT CTreeWnd::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&) {
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    m_pPressed = HitTest(pt);
    if (m_pPressed) {
        bCapture = 1;
        ::SetCapture(m_hWnd);
    }
    return 0;
}

LRESULT CTreeWnd::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (!bCapture)
        return 0;
    bCapture = 0;
    ::ReleaseCapture();
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    _treeNode* item = HitTest(pt);
    if (!item || item != m_pPressed)
        return 0;
    m_pPressed = nullptr;
    SetHot(item);
    if (InArrow(item, pt)) {
        OpenRowDocuments(item, false);
        return 0;
    }
    ActivateItem(item);
    return 0;
}

void CTreeWnd::ActivateItem(_treeNode* item) {
    if (!item)
        return;
    if (item->bExpanded) {
        item->bExpanded = FALSE;
        Invalidate(TRUE);
    } else if ((item->dwFlags & kTreeFolder) && (!item->pChild || FolderChanged(item))) {
        ExpandFolder(item, Link()); // first opened, or changed on disk since it was read
    } else if (item->pChild) {
        item->bExpanded = TRUE;
        Invalidate(TRUE);
    } else {
        NotifyClick(item);
    }
}

void CTreeWnd::NotifyClick(const _treeNode* item) {
    _treeNotify record{};
    record.hdr.hwndFrom = m_hWnd;
    record.hdr.idFrom = static_cast<UINT_PTR>(static_cast<INT_PTR>(item->nIndex));
    record.hdr.code = kTreeNotifyClick;
    record.nId = item->nId;
    fw::StrCopy(record.szText, item->szText);
    fw::StrCopy(record.szPath, item->szPath);
    bInMenu = 1;
    ::SendMessageW(m_hOwner, WM_NOTIFY, m_nControlId, reinterpret_cast<LPARAM>(&record));
}

LRESULT CTreeWnd::OnContextMenu(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
    if (GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1)
        return 0; // the context-menu key: the menu's key handling showed it at the row
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const _treeNode* hot = FindItem(-1);
    if (hot && (hot->dwFlags & kTreeFolder) && hot->nLocationKey) {
        const std::vector<std::wstring>* locations = GetLocations(hot->nLocationKey);
        if (locations && locations->size() > 1) {
            Trace(L"All Users\n"); // a merged folder has no single shell item
            return 0;
        }
    }
    if (hot) {
        wchar_t path[kPathCapacity];
        fw::StrCopy(path, hot->szPath); // the item may go while the menu runs
        fw::StrCopy(m_szMenuPath, path);
        fw::StrCopy(m_szMenuText, hot->szText);
        m_bMenuPinnable = !(hot->dwFlags & kTreeFolder);
        bInMenu = 1;
        int shown = ShowPackagedAppMenu(this, m_hWnd, path, pt);
        if (shown < 0)
            shown = ShowPathContextMenu(m_hWnd, path, pt);
        if (!shown)
            ShowOwnMenu(m_hWnd, pt); // no shell menu (a packaged app under Wine): the pin verbs alone
        bInMenu = 0;
        m_szMenuPath[0] = 0;
        PostMessage(WM_NULL);
        HWND focus = ::GetFocus();
        if (focus != m_hWnd && focus != m_hOwner)
            ::SendMessageW(m_hOwner, WM_NOTIFY, kTreeNotifyFocus, 0);
        return 0;
    }
    ::SendMessageW(m_hOwner, msg, wParam, lParam);
    return 0;
}

void CTreeWnd::OnCustomizeMenu(HMENU menu) {
    RemoveCommands(menu, kDroppedCommands, std::size(kDroppedCommands));
    RemoveStraySeparators(menu);
    AddPinVerbs(menu);
}
