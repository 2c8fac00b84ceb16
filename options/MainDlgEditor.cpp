// The editing commands of the options dialog: drop, retarget, delete, move,
// and the file dialog that Add and retarget share.
#include "MainDlg.h"

#include "AppList.h"
#include "AppModule.h"
#include "Properties.h"
#include "SystemFunction.h"
#include "Text.h"
#include "Trace.h"
#include "Utils.h"

#include <commdlg.h>
#include <shellapi.h>

CMainDlg::FileEntry CMainDlg::ListEntryOf(const wchar_t* path) {
    FileEntry entry;
    entry.nKind = AppKindFromPath(path);
    GetFileDescription(path, entry.szName, 128);
    int small = m_list.GetSmallIcons();
    HICON icon = entry.nKind == kAppKindShortcut ? GetShortcutIcon(path, small, nullptr, m_list.GetDpi()) : nullptr;
    if (!icon) {
        SHFILEINFOW info{};
        if (::SHGetFileInfoW(path, 0, &info, sizeof(info),
                             SHGFI_ICON | SHGFI_DISPLAYNAME | (small ? SHGFI_SMALLICON : SHGFI_LARGEICON)) &&
            info.hIcon) {
            icon = info.hIcon;
            if (!entry.szName[0])
                fw::StrCopy(entry.szName, info.szDisplayName);
        }
    }
    if (!icon) {
        Trace(L"Failed to get the application's icon\n");
        return entry;
    }
    m_listIcons.emplace_back(icon);
    entry.hIcon = icon;
    return entry;
}

int CMainDlg::AddAppFile(const wchar_t* path) {
    if (!m_list.m_hWnd || !path)
        return 0;
    const FileEntry entry = ListEntryOf(path);
    if (!entry.hIcon)
        return 0;
    return AppendEntry(entry.szName, entry.hIcon, entry.nKind, path);
}

int CMainDlg::AppendEntry(const wchar_t* name, HICON icon, int kind, const wchar_t* path) {
    int id = m_list.AddItem(name, icon, kind, kAppItemText | kAppItemIcon, m_list.GetSmallIcons() ? 22 : 36);
    m_list.SetItemPath(id, path);
    m_list.SelectItem(id);
    m_list.Invalidate(TRUE);
    m_list.ScrollToEnd();
    ::SetFocus(::GetDlgItem(m_hWnd, IDC_NAME));
    return id;
}

int CMainDlg::RetargetEntry(int id, const wchar_t* path) {
    AppListItem* item = m_list.GetItem(id);
    if (!item || !path)
        return 0;
    const FileEntry entry = ListEntryOf(path);
    if (!entry.hIcon)
        return 0;
    item->hIcon = entry.hIcon;
    item->strName = CutText(entry.szName, kItemNameLength);
    item->sLongName.clear();
    item->strPath = CutText(path, kItemPathLength);
    // The kind follows the file: it decides the line written and how the panel describes it.
    item->nKind = entry.nKind;
    m_list.SelectItem(item->nId);
    return 1;
}

int CMainDlg::ChooseFile(const wchar_t* initial, wchar_t* path) {
    wchar_t filter[128] = {};
    ::LoadStringW(fw::gModule.GetResourceInstance(), IDS_FILTER, filter, 128);
    for (wchar_t* p = filter; *p; ++p)
        if (*p == L'|')
            *p = 0;
    fw::StrCopy(path, MAX_PATH, initial ? initial : L"");
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = nullptr;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_FILEMUSTEXIST;
    // The common dialogs (and the print spooler they bring) are loaded when the
    // user first browses, not at every start of the options dialog.
    using OpenFileNameFn = BOOL(WINAPI*)(OPENFILENAMEW*);
    static const auto open = fw::SystemFunction<OpenFileNameFn>(L"comdlg32.dll", "GetOpenFileNameW");
    if (!open)
        return 0;
    // The dialog may have been closed while the unowned file dialog was open.
    return open(&ofn) && IsWindow() ? 1 : 0;
}

LRESULT CMainDlg::OnCmdBrowse(UINT, WPARAM, LPARAM, BOOL&) {
    Trace(L"OnCmdBrowse\n");
    AppListItem* item = m_list.m_hWnd ? m_list.GetItem(-1) : nullptr;
    if (!item)
        return 0;
    int id = item->nId;
    wchar_t path[MAX_PATH] = {};
    if (ChooseFile(item->strPath.c_str(), path))
        RetargetEntry(id, path);
    return 0;
}

LRESULT CMainDlg::OnDropFiles(UINT, WPARAM wp, LPARAM, BOOL&) {
    HDROP drop = reinterpret_cast<HDROP>(wp);
    POINT pt{};
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (::DragQueryPoint(drop, &pt) && ::PtInRect(&client, pt)) {
        UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            wchar_t name[MAX_PATH] = {};
            if (!::DragQueryFileW(drop, i, name, MAX_PATH))
                continue;
            Trace(L"Drop[%d]: %s\n", static_cast<int>(i), name);
            if (AppKindFromPath(name) != -1)
                AddAppFile(name);
        }
    }
    ::DragFinish(drop);
    return 0;
}

LRESULT CMainDlg::OnDelete(UINT, WPARAM, LPARAM, BOOL&) {
    AppListItem* item = m_list.m_hWnd ? m_list.GetItem(-1) : nullptr;
    if (!item)
        return 0;
    m_list.DeleteItem(item->nId);
    m_list.Invalidate(TRUE);
    return 0;
}

LRESULT CMainDlg::OnMoveUp(UINT, WPARAM, LPARAM, BOOL&) {
    AppListItem* item = m_list.m_hWnd ? m_list.GetItem(-1) : nullptr;
    if (item && m_list.MoveUp(item->nId))
        m_list.Invalidate(TRUE);
    return 0;
}

LRESULT CMainDlg::OnMoveDown(UINT, WPARAM, LPARAM, BOOL&) {
    AppListItem* item = m_list.m_hWnd ? m_list.GetItem(-1) : nullptr;
    if (item && m_list.MoveDown(item->nId))
        m_list.Invalidate(TRUE);
    return 0;
}
