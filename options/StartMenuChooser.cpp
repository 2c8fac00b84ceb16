#include "StartMenuChooser.h"

#include "AppModule.h"
#include "Dpi.h"
#include "Properties.h"
#include "Text.h"
#include "Utils.h"

#include <shellapi.h>

namespace {

const UINT kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP;

HICON ShortcutIcon(const wchar_t* path, int dpi) {
    if (HICON icon = GetShortcutIcon(path, 1, nullptr, dpi))
        return icon;
    SHFILEINFOW info{};
    return ::SHGetFileInfoW(path, 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) ? info.hIcon : nullptr;
}

} // namespace

CStartMenuChooser::~CStartMenuChooser() {
    if (IsWindow())
        DestroyWindow();
}

HWND CStartMenuChooser::Open(HWND owner, Listed listed, Chosen chosen) {
    m_hOwner = owner;
    m_listed = std::move(listed);
    m_chosen = std::move(chosen);
    if (m_roots.empty())
        m_roots = DefaultStartMenuRoots();
    // The program registers only the classes its main dialog needs.
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&classes);
    HINSTANCE resources = fw::gModule.GetResourceInstance();
    // A language library made before the chooser existed: the program's own template.
    if (!::FindResourceW(resources, MAKEINTRESOURCEW(IDD), MAKEINTRESOURCEW(5) /* RT_DIALOG */))
        resources = ::GetModuleHandleW(nullptr);
    if (!CreateDialogFromTemplate(resources, IDD, owner))
        return nullptr;
    // Modal to its owner, as a dialog box is, without a second message loop.
    if (owner)
        ::EnableWindow(owner, FALSE);
    ShowWindow(SW_SHOW);
    return m_hWnd;
}

BOOL CStartMenuChooser::PreTranslateMessage(MSG* msg) {
    if (!m_hWnd || (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)))
        return FALSE;
    // Down (or a page key) in the filter box goes on into the list.
    if (msg->message == WM_KEYDOWN && msg->hwnd == ::GetDlgItem(m_hWnd, IDC_CHOOSER_FILTER) &&
        (msg->wParam == VK_DOWN || msg->wParam == VK_UP || msg->wParam == VK_NEXT || msg->wParam == VK_PRIOR) &&
        !m_shown.empty()) {
        if (ListView_GetNextItem(m_hList, -1, LVNI_FOCUSED) < 0)
            ListView_SetItemState(m_hList, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
        ::SetFocus(m_hList);
        return TRUE;
    }
    // Typing in the list goes on in the filter box, as the list's own type-ahead would only confuse.
    if (msg->message == WM_CHAR && msg->hwnd == m_hList && (msg->wParam >= L' ' || msg->wParam == L'\b')) {
        HWND filter = ::GetDlgItem(m_hWnd, IDC_CHOOSER_FILTER);
        ::SetFocus(filter);
        ::SendMessageW(filter, EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF); // at the end of what was typed
        ::SendMessageW(filter, WM_CHAR, msg->wParam, msg->lParam);
        return TRUE;
    }
    return ::IsDialogMessageW(m_hWnd, msg);
}

LRESULT CStartMenuChooser::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    // Centred over the dialog it adds to.
    RECT owner{}, own{};
    if (m_hOwner && ::GetWindowRect(m_hOwner, &owner) && ::GetWindowRect(m_hWnd, &own)) {
        const int w = own.right - own.left, h = own.bottom - own.top;
        ::SetWindowPos(m_hWnd, nullptr, (owner.left + owner.right - w) / 2, (owner.top + owner.bottom - h) / 2, 0, 0,
                       SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (fw::CMessageLoop* loop = fw::gModule.GetMessageLoop())
        loop->AddMessageFilter(this);
    wchar_t cue[128] = {};
    LoadUiString(IDS_CHOOSER_CUE, cue, 128);
    ::SendDlgItemMessageW(m_hWnd, IDC_CHOOSER_FILTER, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue));
    SetUpList();
    ShowStatus();
    if (!m_reader.Start(m_roots, m_hWnd, kMsgShortcutsRead)) {
        m_shortcuts = std::make_shared<StartMenuEntries>(); // no thread: the apps alone
        Rebuild();
    }
    PackagedApps().SetIconSize(m_nIconSize);
    PackagedApps().Refresh(m_hWnd, kMsgAppsRead);
    ::SetFocus(::GetDlgItem(m_hWnd, IDC_CHOOSER_FILTER));
    return FALSE; // the focus is set
}

void CStartMenuChooser::SetUpList() {
    m_hList = ::GetDlgItem(m_hWnd, IDC_CHOOSER_LIST);
    ListView_SetExtendedListViewStyle(m_hList, kListExStyle);
    m_nIconSize = fw::Scale(16, fw::DpiOfWindow(m_hWnd));
    m_images.reset(ImageList_Create(m_nIconSize, m_nIconSize, ILC_COLOR32 | ILC_MASK, 32, 64));
    ListView_SetImageList(m_hList, m_images.get(), LVSIL_SMALL);
    RECT rc{};
    ::GetClientRect(m_hList, &rc);
    const int width = rc.right - ::GetSystemMetrics(SM_CXVSCROLL);
    const struct {
        UINT text;
        int width;
    } columns[] = {{IDS_CHOOSER_NAME, width * 3 / 5}, {IDS_CHOOSER_FOLDER, width - width * 3 / 5}};
    for (int i = 0; i < 2; ++i) {
        wchar_t text[64] = {};
        LoadUiString(columns[i].text, text, 64);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text;
        column.cx = columns[i].width;
        ListView_InsertColumn(m_hList, i, &column);
    }
}

LRESULT CStartMenuChooser::OnShortcutsRead(UINT, WPARAM, LPARAM, BOOL&) {
    if (auto read = m_reader.Result()) {
        m_shortcuts = std::move(read);
        Rebuild();
    }
    return 0;
}

LRESULT CStartMenuChooser::OnAppsRead(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_shortcuts) // else they join when the shortcuts are there
        Rebuild();
    return 0;
}

void CStartMenuChooser::Rebuild() {
    // The entry under the cursor stays there when the apps arrive after the shortcuts.
    std::wstring kept;
    const int focused = ListView_GetNextItem(m_hList, -1, LVNI_FOCUSED);
    if (focused >= 0 && static_cast<size_t>(focused) < m_shown.size())
        kept = m_entries[m_shown[focused]].strPath;
    m_apps = PackagedApps().Snapshot();
    m_entries = MergeStartMenuEntries(*m_shortcuts, m_apps.get());
    m_listedEntries.assign(m_entries.size(), false);
    for (size_t i = 0; i < m_entries.size(); ++i)
        m_listedEntries[i] = m_listed && m_listed(m_entries[i].strPath.c_str());
    m_icons.assign(m_entries.size(), -1);
    ImageList_RemoveAll(m_images.get());
    m_nGenericIcon = -1;
    m_shown.clear();
    ApplyFilter();
    if (kept.empty())
        return;
    for (size_t row = 0; row < m_shown.size(); ++row)
        if (m_entries[m_shown[row]].strPath == kept) {
            ListView_SetItemState(m_hList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
            ListView_SetItemState(m_hList, static_cast<int>(row), LVIS_FOCUSED | LVIS_SELECTED,
                                  LVIS_FOCUSED | LVIS_SELECTED);
            ListView_EnsureVisible(m_hList, static_cast<int>(row), FALSE);
            break;
        }
}

void CStartMenuChooser::ApplyFilter() {
    wchar_t text[256] = {};
    GetDlgItemTextW(m_hWnd, IDC_CHOOSER_FILTER, text, 256);
    m_shown = FilterStartMenuEntries(m_entries, text);
    ListView_SetItemState(m_hList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemCountEx(m_hList, static_cast<int>(m_shown.size()), 0);
    // The best guess is ready for Enter: the first entry that matches.
    if (!m_shown.empty()) {
        ListView_SetItemState(m_hList, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
        ListView_EnsureVisible(m_hList, 0, FALSE);
    }
    ::InvalidateRect(m_hList, nullptr, TRUE);
    ShowStatus();
}

void CStartMenuChooser::ShowStatus() {
    wchar_t format[128] = {}, text[256] = {};
    const int focused = ListView_GetNextItem(m_hList, -1, LVNI_FOCUSED);
    if (IsReading()) {
        LoadUiString(IDS_CHOOSER_READING, text, 256);
    } else if (m_shown.empty()) {
        LoadUiString(IDS_CHOOSER_NONE, text, 256);
    } else if (focused >= 0 && static_cast<size_t>(focused) < m_shown.size() && m_listedEntries[m_shown[focused]]) {
        LoadUiString(IDS_CHOOSER_LISTED, text, 256);
    } else if (m_shown.size() == m_entries.size()) {
        if (m_entries.size() == 1)
            LoadUiString(IDS_CHOOSER_ONE, text, 256);
        else if (LoadUiString(IDS_CHOOSER_COUNT, format, 128))
            fw::StrFormat(text, 256, format, static_cast<int>(m_entries.size()));
    } else if (LoadUiString(IDS_CHOOSER_MATCHES, format, 128)) {
        fw::StrFormat(text, 256, format, static_cast<int>(m_shown.size()), static_cast<int>(m_entries.size()));
    }
    SetDlgItemTextW(m_hWnd, IDC_CHOOSER_STATUS, text);
}

int CStartMenuChooser::IconOf(size_t entry) {
    if (m_icons[entry] >= 0)
        return m_icons[entry];
    const StartMenuEntry& item = m_entries[entry];
    int index = -1;
    if (item.bApp) {
        if (m_apps)
            for (const PackagedApp& app : *m_apps)
                if (app.strPath == item.strPath && app.hIcon)
                    index = ImageList_ReplaceIcon(m_images.get(), -1, app.hIcon.get());
    } else if (HICON icon = ShortcutIcon(item.strPath.c_str(), fw::DpiOfWindow(m_hWnd))) {
        index = ImageList_ReplaceIcon(m_images.get(), -1, icon);
        ::DestroyIcon(icon);
    }
    if (index < 0) { // the shell had no icon: the generic program icon
        if (m_nGenericIcon < 0)
            m_nGenericIcon = ImageList_ReplaceIcon(m_images.get(), -1, ::LoadIconW(nullptr, IDI_APPLICATION));
        index = m_nGenericIcon;
    }
    m_icons[entry] = index;
    return index;
}

LRESULT CStartMenuChooser::OnNotify(UINT, WPARAM, LPARAM lp, BOOL& handled) {
    auto* header = reinterpret_cast<NMHDR*>(lp);
    if (header->hwndFrom != m_hList) {
        handled = FALSE;
        return 0;
    }
    switch (header->code) {
    case LVN_GETDISPINFOW: {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lp)->item;
        if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= m_shown.size())
            return 0;
        const size_t entry = m_shown[item.iItem];
        if (item.mask & LVIF_TEXT) {
            const std::wstring& text = item.iSubItem == 0 ? m_entries[entry].strName : m_entries[entry].strFolder;
            fw::StrCopy(item.pszText, static_cast<size_t>(item.cchTextMax), text.c_str());
        }
        if (item.mask & LVIF_IMAGE)
            item.iImage = IconOf(entry);
        return 0;
    }
    case NM_CUSTOMDRAW: {
        auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lp);
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT)
            return CDRF_NOTIFYITEMDRAW;
        if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT || draw->nmcd.dwItemSpec >= m_shown.size())
            return CDRF_DODEFAULT;
        // While the user types, the chosen entry (what Enter adds) shows as chosen, not as the
        // faint selection of a list without the focus.
        if ((draw->nmcd.uItemState & CDIS_SELECTED) && ::GetFocus() != m_hList) {
            draw->nmcd.uItemState &= ~CDIS_SELECTED;
            draw->clrTextBk = ::GetSysColor(COLOR_HIGHLIGHT);
            draw->clrText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
        }
        // An entry the list has already shows grey: adding it again does nothing.
        if (m_listedEntries[m_shown[draw->nmcd.dwItemSpec]])
            draw->clrText = ::GetSysColor(COLOR_GRAYTEXT);
        return CDRF_DODEFAULT;
    }
    case LVN_ITEMCHANGED:
        ShowStatus();
        return 0;
    case NM_SETFOCUS:
    case NM_KILLFOCUS: // the chosen row's look follows the focus (above)
        ::InvalidateRect(m_hList, nullptr, FALSE);
        return 0;
    case NM_DBLCLK:
        if (reinterpret_cast<NMITEMACTIVATE*>(lp)->iItem >= 0)
            ::PostMessageW(m_hWnd, WM_COMMAND, IDOK, 0);
        return 0;
    default:
        handled = FALSE;
        return 0;
    }
}

LRESULT CStartMenuChooser::OnFilterChange(UINT, WPARAM, LPARAM, BOOL&) {
    ApplyFilter();
    return 0;
}

LRESULT CStartMenuChooser::OnOK(UINT, WPARAM, LPARAM, BOOL&) {
    std::vector<StartMenuEntry> chosen;
    bool any = false;
    for (int row = ListView_GetNextItem(m_hList, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(m_hList, row, LVNI_SELECTED)) {
        if (static_cast<size_t>(row) >= m_shown.size())
            break;
        any = true;
        if (!m_listedEntries[m_shown[row]])
            chosen.push_back(m_entries[m_shown[row]]);
    }
    if (!any) { // nothing matches the text, or the list is still being read
        ::MessageBeep(MB_OK);
        return 0;
    }
    Chosen tell = m_chosen; // told once the chooser is closed and its owner enabled again
    Close();
    if (tell && !chosen.empty())
        tell(chosen);
    return 0;
}

LRESULT CStartMenuChooser::OnCancel(UINT, WPARAM, LPARAM, BOOL&) {
    Close();
    return 0;
}

void CStartMenuChooser::Close() {
    // The owner is enabled first, so that it takes the activation back.
    if (m_hOwner)
        ::EnableWindow(m_hOwner, TRUE);
    DestroyWindow();
}

LRESULT CStartMenuChooser::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (fw::CMessageLoop* loop = fw::gModule.GetMessageLoop())
        loop->RemoveMessageFilter(this);
    m_reader.Stop();
    if (m_hOwner && !::IsWindowEnabled(m_hOwner))
        ::EnableWindow(m_hOwner, TRUE);
    handled = FALSE;
    return 0;
}
