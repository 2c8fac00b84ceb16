// The action side of the menu: what each posted command does.
#include "MenuWnd.h"

#include "AppModule.h"
#include "Handles.h"
#include "MenuItemWnd.h"
#include "Session.h"
#include "Skin.h"
#include "Text.h"
#include "Utils.h"

#include <shellapi.h>
#include <shlobj.h>
#include <wtsapi32.h>

namespace {

const int kShutdownButton = 9;
const int kAllProgramsButton = 10;

void ShellOpen(const wchar_t* file, const wchar_t* parameters) {
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = L"open";
    sei.lpFile = file;
    sei.lpParameters = parameters;
    sei.nShow = SW_SHOW;
    ::ShellExecuteExW(&sei);
}

} // namespace

void CMenuWnd::SplitCommand(const wchar_t* command, wchar_t* file, size_t fileCapacity, wchar_t* parameters,
                            size_t parametersCapacity) {
    if (fileCapacity)
        file[0] = 0;
    if (parametersCapacity)
        parameters[0] = 0;
    if (!command)
        return;
    const wchar_t* first = wcschr(command, L'|');
    const wchar_t* last = wcsrchr(command, L'|');
    if (!first) { // no program named: the whole value counts as parameters
        fw::StrCopy(parameters, parametersCapacity, command);
        return;
    }
    fw::StrCopyN(file, fileCapacity, command, static_cast<size_t>(first - command));
    fw::StrCopy(parameters, parametersCapacity, last + 1);
}

LRESULT CMenuWnd::OnUserCommand(UINT, WPARAM, LPARAM lParam, BOOL&) {
    CMenuItemWnd* button = FindButton(static_cast<int>(lParam));
    if (!button || !button->GetSkinButton() || !button->GetSkinButton()->szCmd[0])
        return 0;
    wchar_t file[kPathCapacity], parameters[kPathCapacity];
    SplitCommand(button->GetSkinButton()->szCmd, file, kPathCapacity, parameters, kPathCapacity);
    if (file[0])
        ShellOpen(file, parameters);
    return 0;
}

void CMenuWnd::OpenSpecialFolder(int folder) {
    // Hidden first, so the folder window is not opened behind a topmost menu.
    ShowMenu(0, 0, 0);
    if (fw::UniquePidl idList = GetSpecialFolderIdList(nullptr, folder))
        OpenIdList(idList.get());
}

LRESULT CMenuWnd::OnShutdown(UINT, WPARAM, LPARAM, BOOL&) {
    Session().enableShutdownPrivilege();
    Session().exitWindows(EWX_SHUTDOWN, 0);
    return 0;
}

LRESULT CMenuWnd::OnPowerMenu(UINT, WPARAM, LPARAM, BOOL&) {
    fw::UniqueMenu menu(::LoadMenuW(fw::gModule.GetResourceInstance(), MAKEINTRESOURCEW(IDR_MENU_SHUTDOWN)));
    if (!menu)
        return 0;
    CMenuItemWnd* shutdown = FindButton(kShutdownButton);
    RECT anchor{};
    ::GetWindowRect(shutdown ? shutdown->m_hWnd : m_hWnd, &anchor);
    HMENU popup = ::GetSubMenu(menu.get(), 0);
    if (!popup)
        return 0;
    if (shutdown)
        shutdown->SetState(2);
    ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, anchor.right, anchor.bottom, 0, m_hWnd, nullptr);
    if (!IsWindow())
        return 0; // torn down meanwhile: the buttons may be gone
    if (shutdown)
        shutdown->SetState(0);
    if (m_keys.FromKeys())
        m_keys.Reapply(nullptr, KeyLayout()); // opened from the keyboard: its highlight comes back
    PostMessage(WM_NULL);
    return 0;
}

LRESULT CMenuWnd::OpenFolderOf(WPARAM command) {
    if (const MenuButtonRole* role = RoleOfCommand(LOWORD(command)))
        OpenSpecialFolder(role->nShellFolder);
    return 0;
}

LRESULT CMenuWnd::OnOpenPrograms(UINT, WPARAM, LPARAM, BOOL&) {
    ShellOpen(L"explorer.exe", L"shell:::{17CD9488-1228-4B2F-88CE-4298E93E0966}");
    return 0;
}

LRESULT CMenuWnd::OnOpenUserAccount(UINT, WPARAM, LPARAM, BOOL&) {
    LaunchDetached(L"rundll32.exe", L"shell32.dll,Control_RunDLL nusrmgr.cpl");
    return 0;
}

LRESULT CMenuWnd::OnClickAllApp(UINT, WPARAM, LPARAM, BOOL&) {
    CMenuItemWnd* toggle = FindButton(kAllProgramsButton);
    if (!toggle)
        return 0;
    m_nAllAppMode = m_nAllAppMode ? 0 : 1;
    const int number = m_nAllAppMode ? 101 : 100;
    toggle->SetOverlayImage(gSkin.GetImage(number), 5, 5, -1, -1);
    wchar_t caption[128];
    if (gSkin.GetString(number, caption, 128))
        toggle->SetCaption(caption);
    if (m_nAllAppMode) {
        ShowList(m_pPinnedList, SW_HIDE);
        if (!m_pAllPrograms)
            LoadAllPrograms();
        ShowList(m_pAllPrograms, SW_SHOW);
    } else {
        ShowList(m_pAllPrograms, SW_HIDE);
        ShowList(m_pPinnedList, SW_SHOW);
    }
    ::InvalidateRect(toggle->m_hWnd, nullptr, FALSE);
    return 0;
}

LRESULT CMenuWnd::OnSwitchUser(UINT, WPARAM, LPARAM, BOOL&) {
    FocusStartButton();
    Session().disconnectSession(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, FALSE);
    return 0;
}

LRESULT CMenuWnd::OnLogOff(UINT, WPARAM, LPARAM, BOOL&) {
    Session().exitWindows(EWX_LOGOFF, 0);
    return 0;
}

LRESULT CMenuWnd::OnRestart(UINT, WPARAM, LPARAM, BOOL&) {
    Session().enableShutdownPrivilege();
    Session().exitWindows(EWX_REBOOT, 0);
    return 0;
}

LRESULT CMenuWnd::OnSleep(UINT, WPARAM, LPARAM, BOOL&) {
    FocusStartButton();
    Session().setSuspendState(FALSE, FALSE, FALSE);
    return 0;
}

LRESULT CMenuWnd::OnLock(UINT, WPARAM, LPARAM, BOOL&) {
    FocusStartButton();
    Session().lockWorkStation();
    return 0;
}

LRESULT CMenuWnd::OnProperties(UINT, WPARAM, LPARAM, BOOL&) {
    LaunchTaskbarProperties();
    return 0;
}

LRESULT CMenuWnd::OnOptions(UINT, WPARAM, LPARAM, BOOL&) {
    if (gSkin.szSetup[0])
        LaunchDetached(gSkin.szSetup, nullptr);
    return 0;
}
