#include "MainDlg.h"

#include "AppList.h"
#include "AppModule.h"
#include "Dpi.h"
#include "Properties.h"
#include "Skin.h"
#include "Text.h"
#include "Trace.h"
#include "Utils.h"

#include <shellapi.h>

namespace {

struct ButtonSetup {
    int id;
    int images[4]; // normal, pushed, hover, disabled
    UINT tip;
};
// Bitmap 207 holds four images per button: Move down 0-3, Move up 4-7, Delete 8-11, Add 12-15.
const ButtonSetup kButtons[] = {
    {IDC_MOVEUP, {4, 5, 6, 7}, IDS_TIP_MOVEUP},
    {IDC_MOVEDOWN, {0, 1, 2, 3}, IDS_TIP_MOVEDOWN},
    {IDC_DELETE, {8, 9, 10, 11}, IDS_TIP_DELETE},
    {IDC_ADD, {12, 13, 14, 15}, IDS_TIP_ADD},
};

} // namespace

CMainDlg::~CMainDlg() {
    // The window goes before the icons and images it shows.
    if (IsWindow())
        DestroyWindow();
    for (auto& button : m_buttons)
        button.UnsubclassWindow();
}

BOOL CMainDlg::PreTranslateMessage(MSG* msg) { return m_hWnd && ::IsDialogMessageW(m_hWnd, msg); }

POINT CMainDlg::TaskbarCorner(UINT edge, const RECT& work, int w, int h) {
    switch (edge) {
    case ABE_LEFT:
        return {work.left, 0};
    case ABE_TOP:
        return {0, work.top};
    case ABE_RIGHT:
        return {work.right - w, 0};
    case ABE_BOTTOM:
        return {0, work.bottom - h};
    default:
        return {0, 0};
    }
}

void CMainDlg::PlaceBesideTaskbar() {
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &mi);
    APPBARDATA abd{};
    abd.cbSize = sizeof(abd);
    ::SHAppBarMessage(ABM_GETSTATE, &abd);
    abd = APPBARDATA{};
    abd.cbSize = sizeof(abd);
    // A failed query must not read as "left edge" (0): treat it as no answer.
    UINT edge = ::SHAppBarMessage(ABM_GETTASKBARPOS, &abd) ? abd.uEdge : 0xFFFFFFFFu;
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    POINT pt = TaskbarCorner(edge, mi.rcWork, rc.right - rc.left, rc.bottom - rc.top);
    ::SetWindowPos(m_hWnd, nullptr, pt.x, pt.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void CMainDlg::SetUpButtons() {
    HINSTANCE resources = fw::gModule.GetResourceInstance();
    for (const ButtonSetup& setup : kButtons) {
        fw::CBitmapButton& button = Button(setup.id);
        button.SetBitmapButtonExtendedStyle(fw::CBitmapButton::kHoverImages | fw::CBitmapButton::kAutoSize |
                                            fw::CBitmapButton::kSharedImageList);
        if (!m_hButtonImages)
            m_hButtonImages.reset(ImageList_LoadImageW(resources, MAKEINTRESOURCEW(IDB_BUTTONS), 21, 0,
                                                       RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION));
        button.SetImageList(m_hButtonImages.get());
        button.SetImages(setup.images[0], setup.images[1], setup.images[2], setup.images[3]);
        wchar_t tip[256] = {};
        if (::LoadStringW(resources, setup.tip, tip, 256))
            button.SetToolTipText(tip);
        button.SubclassWindow(::GetDlgItem(m_hWnd, setup.id));
    }
}

RECT CMainDlg::ListRectAt(int dpi) {
    return fw::ScaleRect({gSkin.nOptionsX, gSkin.nOptionsY, gSkin.nOptionsX + gSkin.nOptionsWidth,
                          gSkin.nOptionsY + gSkin.nOptionsHeight},
                         dpi);
}

LRESULT CMainDlg::OnDpiChanged(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    // The dialog's own controls are scaled by the system; the list is the program's.
    handled = FALSE;
    const int dpi = HIWORD(wParam);
    if (m_list.m_hWnd && dpi > 0) {
        m_list.SetDpi(dpi);
        const RECT rc = ListRectAt(dpi);
        ::MoveWindow(m_list.m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    }
    return 0;
}

void CMainDlg::CreateList() {
    const int dpi = fw::DpiOfWindow(m_hWnd);
    RECT rc = ListRectAt(dpi);
    m_list.SetDpi(dpi);
    if (!m_list.Create(m_hWnd, rc, nullptr, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER | WS_VSCROLL,
                       WS_EX_COMPOSITED | WS_EX_WINDOWEDGE, 0U))
        return;
    m_list.ShowWindow(SW_SHOW);
    m_list.SetNotifyId(kListNotifyId);
    m_list.SetRowHeight(gSkin.bOptionsSmallIcon ? 22 : 36);
    m_list.SetSmallIcons(gSkin.bOptionsSmallIcon);
    ::SetFocus(m_list);
}

LRESULT CMainDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    PlaceBesideTaskbar();
    HINSTANCE resources = fw::gModule.GetResourceInstance();
    m_bigIcon.reset(static_cast<HICON>(::LoadImageW(resources, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                    ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0)));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon.get()));
    m_smallIcon.reset(static_cast<HICON>(::LoadImageW(resources, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                      ::GetSystemMetrics(SM_CXSMICON),
                                                      ::GetSystemMetrics(SM_CYSMICON), 0)));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.get()));
    if (fw::CMessageLoop* loop = fw::gModule.GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }
    SetUpButtons();
    CreateList();
    if (m_list.m_hWnd) {
        if (!gSkin.szAppList[0]) {
            Trace(L"Not found application list file\n");
            return 0; // the focus stays on the list; no drops without a list file
        }
        m_nSelectedId = -1;
        if (!LoadAppList()) {
            SetReadFailed(true);
            if (OfferRetryRead())
                return 1;
        }
        if (m_nSelectedId != -1)
            m_list.SelectItem(m_nSelectedId);
    }
    if (!m_bReadFailed)
        ::DragAcceptFiles(m_hWnd, TRUE);
    return 1;
}

void CMainDlg::SetReadFailed(bool failed) {
    m_bReadFailed = failed;
    // Entries added now could not be saved (Add offers the retry instead); the
    // list says why it is empty.
    ::DragAcceptFiles(m_hWnd, failed ? FALSE : TRUE);
    wchar_t text[256] = {};
    if (failed)
        LoadUiString(IDS_READ_ERROR, text, 256);
    m_list.SetEmptyText(text);
}

int CMainDlg::OfferRetryRead() {
    wchar_t caption[256] = {}, first[256] = {}, second[512] = {}, text[1024] = {};
    if (!LoadUiString(IDS_ERROR_CAPTION, caption, 256))
        fw::StrCopy(caption, 256, L"Error");
    LoadUiString(IDS_READ_ERROR, first, 256);
    LoadUiString(IDS_READ_KEPT, second, 512);
    fw::StrFormat(text, 1024, L"%s\n\n%s", first, second);
    while (::MessageBoxW(m_hWnd, text, caption, MB_ICONERROR | MB_RETRYCANCEL) == IDRETRY) {
        m_nSelectedId = -1;
        if (LoadAppList()) {
            SetReadFailed(false);
            if (m_nSelectedId != -1)
                m_list.SelectItem(m_nSelectedId);
            m_list.Invalidate(TRUE);
            return 1;
        }
    }
    return 0;
}

LRESULT CMainDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (fw::CMessageLoop* loop = fw::gModule.GetMessageLoop()) {
        loop->RemoveMessageFilter(this);
        loop->RemoveIdleHandler(this);
    }
    handled = FALSE;
    return 0;
}

LRESULT CMainDlg::OnDrawItem(UINT, WPARAM, LPARAM lp, BOOL& handled) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
    for (auto& button : m_buttons)
        if (button.DrawItem(item))
            return TRUE;
    handled = FALSE;
    return 0;
}

int CMainDlg::LoadAppList() {
    AppListReadOptions options;
    options.bSmallIcons = m_list.GetSmallIcons();
    options.nDpi = m_list.GetDpi();
    options.bKeepWithoutIcon = 1;
    options.bWholeLines = 1;
    // The list shows at once whatever its length; each row gets its icon when first drawn.
    options.bIconsLater = 1;
    // Taken before the read: a change in between shows as a change at the save, never as none.
    TakeAppListFingerprint(gSkin.szAppList, &m_readPrint);
    // Each entry becomes a row as it is read: a long list is never held twice.
    const AppListStatus status = ReadAppList(gSkin.szAppList, options, [this](AppListEntry& entry) {
        const int id =
            m_list.AddItem(entry.szName, nullptr, entry.nKind, kAppItemText | kAppItemIcon, m_list.GetRowHeight());
        m_list.SetItemPath(id, entry.szPath);
        m_list.GetItem(id)->sLongName = std::move(entry.sLongName);
        if (m_nSelectedId == -1)
            m_nSelectedId = id;
    });
    if (status == AppListStatus::NoFile)
        Trace(L"applist.lst not found!\n");
    m_list.SetIconSource([this, options](AppListItem* item) {
        if (!m_link)
            ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, m_link.put_void());
        AppListEntry entry;
        entry.nKind = item->nKind;
        fw::StrCopy(entry.szName, item->strName.c_str());
        fw::StrCopy(entry.szPath, item->strPath.c_str());
        if (ResolveAppListEntry(&entry, options, m_link.get())) {
            m_listIcons.emplace_back(entry.hIcon);
            item->hIcon = entry.hIcon;
        }
    });
    return status == AppListStatus::OpenFailed ? 0 : 1;
}

int CMainDlg::SaveAppList() {
    if (m_bReadFailed)
        return 0;
    // Another writer (the menu's pin verbs) may have changed the file since it
    // was read here: writing now would silently drop its change.
    if (AppListChangedSince(gSkin.szAppList, m_readPrint)) {
        OfferReread();
        return kSaveDeclined;
    }
    std::vector<AppListEntry> entries(m_list.Count());
    for (size_t i = 0; i < entries.size(); ++i) {
        const AppListItem* item = m_list.ItemAt(i);
        fw::StrCopy(entries[i].szName, item->strName.c_str());
        fw::StrCopy(entries[i].szPath, item->strPath.c_str());
        entries[i].nKind = item->nKind;
        entries[i].sLongName = item->sLongName;
    }
    if (!::SaveAppList(gSkin.szAppList, entries))
        return 0;
    m_readPrint = FingerprintOfBytes(FormatAppList(entries)); // what is on disk now
    return 1;
}

int CMainDlg::OfferReread() {
    wchar_t caption[256] = {}, text[512] = {};
    if (!::GetWindowTextW(m_hWnd, caption, 256))
        fw::StrCopy(caption, 256, L"Start Menu Options");
    if (!LoadUiString(IDS_CHANGED_ON_DISK, text, 512))
        fw::StrCopy(text, 512,
                    L"The list of pinned programs was changed by another program after it was read here.\n\n"
                    L"Choose OK to read it again; the changes made here are then lost. Choose Cancel to keep "
                    L"them without saving.");
    if (::MessageBoxW(m_hWnd, text, caption, MB_ICONWARNING | MB_OKCANCEL | MB_DEFBUTTON2) != IDOK)
        return 0;
    // At once: one by one, each removal reported a new selection, and the panel
    // looked up a file for each row of a long list.
    m_list.DeleteAll();
    m_nSelectedId = -1;
    if (!LoadAppList()) {
        SetReadFailed(true);
        return OfferRetryRead();
    }
    if (m_nSelectedId != -1)
        m_list.SelectItem(m_nSelectedId);
    m_list.Invalidate(TRUE);
    return 1;
}

LRESULT CMainDlg::OnOK(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_bReadFailed) {
        OfferRetryRead(); // the user sees the list read before anything is saved
        return 0;
    }
    const int saved = SaveAppList();
    if (saved == kSaveDeclined)
        return 0; // the dialog stays open with what the user chose to see
    if (!saved) {
        ShowErrorBox(IDS_WRITE_ERROR, IDS_ERROR_CAPTION, m_hWnd);
        return 0;
    }
    DestroyWindow();
    ::PostQuitMessage(kExitOk);
    return 0;
}

LRESULT CMainDlg::OnApply(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_bReadFailed)
        OfferRetryRead();
    else if (!SaveAppList()) // kSaveDeclined asked the user already
        ShowErrorBox(IDS_WRITE_ERROR, IDS_ERROR_CAPTION, m_hWnd);
    return 0;
}

LRESULT CMainDlg::OnCancel(UINT, WPARAM, LPARAM, BOOL&) {
    DestroyWindow();
    ::PostQuitMessage(kExitCancel);
    return 0;
}

LRESULT CMainDlg::OnListClick(UINT, WPARAM, LPARAM lp, BOOL& handled) {
    const auto* record = reinterpret_cast<const NMAPPLIST*>(lp);
    if (!m_list.m_hWnd || record->hdr.hwndFrom != m_list.m_hWnd) {
        handled = FALSE;
        return 0;
    }
    m_nSelectedId = record->nId;
    UpdateProperties(record);
    return 0;
}

LRESULT CMainDlg::OnNameChange(UINT, WPARAM, LPARAM, BOOL&) {
    AppListItem* item = m_nSelectedId == -1 ? nullptr : m_list.GetItem(m_nSelectedId);
    if (!item)
        return 0;
    wchar_t name[256] = {};
    ::GetDlgItemTextW(m_hWnd, IDC_NAME, name, 256);
    // The panel showing the entry puts its (display) name into the box: that is no rename.
    if (name[0] && item->strName != name) {
        item->strName = CutText(name, kItemNameLength);
        item->sLongName.clear();
        m_list.Invalidate(FALSE);
    }
    return 0;
}
