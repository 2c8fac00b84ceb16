// Add: its menu, the file dialog, and the Start Menu chooser with the entries
// it gives.
#include "MainDlg.h"

#include "AppList.h"
#include "Dpi.h"
#include "Handles.h"
#include "PackagedApps.h"
#include "Properties.h"
#include "Text.h"
#include "Trace.h"

LRESULT CMainDlg::OnAdd(UINT, WPARAM, LPARAM, BOOL&) {
    if (ReadFailed()) {
        OfferRetryRead();
        return 0;
    }
    fw::UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        return 0;
    const struct {
        UINT id, text;
        const wchar_t* fallback;
    } items[] = {{IDC_ADD_BROWSE, IDS_ADD_BROWSE, L"&Browse for a file\x2026"},
                 {IDC_ADD_STARTMENU, IDS_ADD_STARTMENU, L"From the &Start Menu\x2026"}};
    for (const auto& item : items) {
        wchar_t text[128] = {};
        if (!LoadUiString(item.text, text, 128))
            fw::StrCopy(text, item.fallback);
        ::AppendMenuW(menu.get(), MF_STRING, item.id, text);
    }
    // The button's tip would cover the menu's first item while it is open.
    HWND tip = Button(IDC_ADD).GetToolTip();
    if (tip)
        ::SendMessageW(tip, TTM_ACTIVATE, FALSE, 0);
    // Below the button, as a split button's menu drops; the button stays visible.
    RECT button{};
    ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_ADD), &button);
    TPMPARAMS keepClear{sizeof(keepClear), button};
    const UINT chosen = static_cast<UINT>(::TrackPopupMenuEx(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD |
                                                                              TPM_VERTICAL | TPM_RIGHTBUTTON,
                                                             button.left, button.bottom, m_hWnd, &keepClear));
    if (tip && ::IsWindow(tip))
        ::SendMessageW(tip, TTM_ACTIVATE, TRUE, 0);
    if (chosen && IsWindow())
        SendMessage(WM_COMMAND, chosen, 0);
    return 0;
}

LRESULT CMainDlg::OnEnterIdle(UINT, WPARAM wp, LPARAM, BOOL& handled) {
    // A tip that was due when Add was pressed shows up over its open menu: it goes again.
    HWND tip = Button(IDC_ADD).GetToolTip();
    if (wp == MSGF_MENU && tip && ::IsWindowVisible(tip))
        ::SendMessageW(tip, TTM_POP, 0, 0);
    handled = FALSE;
    return 0;
}

LRESULT CMainDlg::OnAddBrowse(UINT, WPARAM, LPARAM, BOOL&) {
    if (ReadFailed()) {
        OfferRetryRead();
        return 0;
    }
    wchar_t path[MAX_PATH] = {};
    if (ChooseFile(L"", path)) {
        Trace(L"Selected: %s\n", path);
        AddAppFile(path);
    }
    return 0;
}

LRESULT CMainDlg::OnAddFromStartMenu(UINT, WPARAM, LPARAM, BOOL&) {
    if (ReadFailed()) {
        OfferRetryRead();
        return 0;
    }
    if (!m_list.m_hWnd || (m_chooser && m_chooser->IsWindow()))
        return 0;
    m_chooser.reset(new CStartMenuChooser);
    m_chooser->Open(
        m_hWnd, [this](const wchar_t* path) { return IsListed(path); },
        [this](const std::vector<StartMenuEntry>& chosen) { AddChosen(chosen); });
    return 0;
}

bool CMainDlg::IsListed(const wchar_t* path) const {
    for (size_t i = 0; i < m_list.Count(); ++i)
        if (::CompareStringOrdinal(m_list.ItemAt(i)->strPath.c_str(), -1, path, -1, TRUE) == CSTR_EQUAL)
            return true;
    return false;
}

void CMainDlg::AddChosen(const std::vector<StartMenuEntry>& chosen) {
    if (!m_list.m_hWnd)
        return;
    const int pixels = fw::Scale(m_list.GetSmallIcons() ? 16 : 32, m_list.GetDpi());
    for (const StartMenuEntry& entry : chosen) {
        if (IsListed(entry.strPath.c_str()))
            continue;
        if (!entry.bApp) {
            AddAppFile(entry.strPath.c_str());
            continue;
        }
        // The app's own item gives its icon; without it (an app pinned from
        // elsewhere) the shell is asked by the app's path.
        HICON icon = nullptr;
        fw::UniquePidl idList = PackagedAppIdList(entry.strPath.c_str());
        if (idList)
            icon = LoadPackagedAppIcon(idList.get(), pixels);
        if (!icon)
            icon = PackagedAppEntryIcon(entry.strPath.c_str(), pixels);
        if (!icon)
            continue;
        m_listIcons.emplace_back(icon);
        AppendEntry(entry.strName.c_str(), icon, kAppKindApplication, entry.strPath.c_str());
    }
}
