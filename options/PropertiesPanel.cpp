// The properties panel of the options dialog: filled from every list
// notification; the entry's icon is shown by the icon static 1009 itself.
#include "MainDlg.h"

#include "AppList.h"
#include "Dpi.h"
#include "PackagedApps.h"
#include "Properties.h"
#include "Text.h"
#include "Trace.h"
#include "Utils.h"

#include <shellapi.h>
#include <sys/stat.h>

namespace {

void SetText(HWND dialog, int id, const wchar_t* text) { ::SetDlgItemTextW(dialog, id, text); }

void SetTime(HWND dialog, int id, __time64_t when) {
    wchar_t text[256] = {};
    // _localtime64 fills a per-thread buffer; copy it at once.
    if (const tm* local = _localtime64(&when)) {
        tm copy = *local;
        FormatFileTime(copy, text, 256);
    }
    SetText(dialog, id, text);
}

} // namespace

void CMainDlg::SetPanelIcon(HICON icon) {
    // An SS_ICON static shows what STM_SETICON gives it and repaints itself.
    ::SendDlgItemMessageW(m_hWnd, IDC_FILEICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    m_panelIcon.reset(icon); // the one shown before is no longer referenced
}

void CMainDlg::ClearProperties() {
    SetText(m_hWnd, IDC_NAME, L"");
    SetText(m_hWnd, IDC_LOCATION, L"");
    SetPanelIcon(nullptr);
    for (int id : {IDC_CREATED, IDC_MODIFIED, IDC_ACCESSED, IDC_FILESIZE, IDC_TYPE, IDC_DESCRIPTION})
        SetText(m_hWnd, id, L"");
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CMainDlg::UpdateProperties(const NMAPPLIST* record) {
    Trace(L"Notify:[%s]\n%s\n", record->szName, record->szPath);
    if (record->nId == -1) {
        ClearProperties();
        return;
    }
    SetText(m_hWnd, IDC_NAME, record->szName);
    SetText(m_hWnd, IDC_LOCATION, record->szPath);

    // Always the large icon, whatever size the list uses.
    HICON icon =
        record->nKind == kAppKindShortcut ? GetShortcutIcon(record->szPath, 0, nullptr, m_list.GetDpi()) : nullptr;
    if (!icon && IsPackagedAppPath(record->szPath)) // no file: the app's own icon, no file properties below
        icon = PackagedAppEntryIcon(record->szPath, fw::Scale(32, m_list.GetDpi()));
    if (!icon) {
        SHFILEINFOW info{};
        if (::SHGetFileInfoW(record->szPath, 0, &info, sizeof(info), SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_LARGEICON))
            icon = info.hIcon;
    }
    if (icon)
        SetPanelIcon(icon);

    // The 64-bit form: sizes of 2 GiB and more stay right.
    struct _stat64 status {};
    if (_wstat64(record->szPath, &status) == 0) {
        SetTime(m_hWnd, IDC_CREATED, status.st_ctime);
        SetTime(m_hWnd, IDC_MODIFIED, status.st_mtime);
        SetTime(m_hWnd, IDC_ACCESSED, status.st_atime);
        wchar_t size[256] = {};
        FormatFileSize(static_cast<uint64_t>(status.st_size), size, 256);
        SetText(m_hWnd, IDC_FILESIZE, size);
    } else {
        for (int id : {IDC_FILESIZE, IDC_CREATED, IDC_MODIFIED, IDC_ACCESSED})
            SetText(m_hWnd, id, L"");
    }

    SHFILEINFOW typeInfo{};
    if (!::SHGetFileInfoW(record->szPath, 0, &typeInfo, sizeof(typeInfo), SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES))
        typeInfo.szTypeName[0] = 0;
    wchar_t extension[kPartCapacity] = {};
    SplitPath(record->szPath, nullptr, nullptr, nullptr, extension);
    wchar_t type[256] = {};
    fw::StrFormat(type, 256, L"%s (%s)", typeInfo.szTypeName, extension);
    SetText(m_hWnd, IDC_TYPE, type);

    wchar_t description[128] = {};
    GetFileDescription(record->szPath, description, 128);
    SetText(m_hWnd, IDC_DESCRIPTION, description);
}
