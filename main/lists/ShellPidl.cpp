#include "ShellPidl.h"

#include "Handles.h"
#include "Trace.h"
#include "Utils.h"

#include <shobjidl.h>

using fw::ComPtr;

namespace {
const UINT kFolderLastId = 0x7FFF;
const UINT kPathLastId = 0x7FFFF;
} // namespace

CShellPidl::~CShellPidl() = default;

void CShellPidl::OnInvoked(UINT, const CMINVOKECOMMANDINFO&) {}

void CShellPidl::OnCustomizeMenu(HMENU) {}

void CShellPidl::OnOwnCommand(UINT) {}

int CShellPidl::ShowOwnMenu(HWND owner, POINT pt) {
    fw::UniqueMenu popup(::CreatePopupMenu());
    if (!popup)
        return 0;
    OnCustomizeMenu(popup.get());
    if (::GetMenuItemCount(popup.get()) <= 0)
        return 0;
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, owner, nullptr));
    if (chosen >= kOwnCommandFirst)
        OnOwnCommand(chosen);
    return 1;
}

IContextMenu* CShellPidl::GetContextMenu(IShellFolder* folder, LPCITEMIDLIST item, int traceFailure) {
    if (!folder || !item)
        return nullptr;
    IContextMenu* plain = nullptr;
    HRESULT hr = folder->GetUIObjectOf(nullptr, 1, &item, IID_IContextMenu, nullptr, reinterpret_cast<void**>(&plain));
    if (FAILED(hr) || !plain) {
        if (traceFailure)
            Trace(L"GetUIObjectOf failed! hr=%lx\n", hr);
        return nullptr;
    }
    // Newer interfaces derive from IContextMenu; only its operations are used.
    IContextMenu* newer = nullptr;
    if (SUCCEEDED(plain->QueryInterface(IID_IContextMenu3, reinterpret_cast<void**>(&newer))) && newer) {
        plain->Release();
        return newer;
    }
    newer = nullptr;
    if (SUCCEEDED(plain->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(&newer))) && newer) {
        plain->Release();
        return newer;
    }
    return plain;
}

int CShellPidl::HandleShellMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
        break;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        // wParam 0: sent for a menu item, not for a control.
        if (wParam != 0)
            return 0;
        break;
    default:
        return 0;
    }
    if (m_pMenu3) {
        LRESULT answer = 0;
        if (FAILED(m_pMenu3->HandleMenuMsg2(msg, wParam, lParam, &answer)))
            return 0;
        *result = answer;
        return 1;
    }
    // The older interface has no answer for WM_MENUCHAR.
    if (m_pMenu2 && msg != WM_MENUCHAR) {
        if (FAILED(m_pMenu2->HandleMenuMsg(msg, wParam, lParam)))
            return 0;
        *result = msg == WM_INITMENUPOPUP ? 0 : TRUE;
        return 1;
    }
    return 0;
}

void CShellPidl::TrackAndInvoke(HWND owner, IContextMenu* contextMenu, HMENU popup, POINT pt) {
    OnCustomizeMenu(popup);
    // The menu window's messages come back through HandleShellMenuMessage while it runs.
    ComPtr<IContextMenu3> menu3;
    ComPtr<IContextMenu2> menu2;
    if (FAILED(contextMenu->QueryInterface(IID_IContextMenu3, menu3.put_void())))
        menu3.reset();
    if (!menu3 && FAILED(contextMenu->QueryInterface(IID_IContextMenu2, menu2.put_void())))
        menu2.reset();
    IContextMenu2* outer2 = m_pMenu2;
    IContextMenu3* outer3 = m_pMenu3;
    m_pMenu2 = menu2.get();
    m_pMenu3 = menu3.get();
    UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, owner, nullptr));
    m_pMenu2 = outer2;
    m_pMenu3 = outer3;
    if (chosen == 0)
        return;
    if (chosen >= kOwnCommandFirst) {
        OnOwnCommand(chosen);
        return;
    }
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof(info);
    info.hwnd = owner;
    info.lpVerb = MAKEINTRESOURCEA(chosen - 1);
    info.nShow = SW_SHOWNORMAL;
    if (SUCCEEDED(contextMenu->InvokeCommand(&info)))
        OnInvoked(chosen - 1, info);
}

int CShellPidl::ShowContextMenu(HWND owner, IShellFolder* folder, LPCITEMIDLIST item, POINT pt, UINT lastId,
                                int traceFailure) {
    ComPtr<IContextMenu> contextMenu;
    contextMenu.attach(GetContextMenu(folder, item, traceFailure));
    if (!contextMenu)
        return 0;
    fw::UniqueMenu popup(::CreatePopupMenu());
    if (!popup)
        return 0;
    if (FAILED(contextMenu->QueryContextMenu(popup.get(), 0, 1, lastId, CMF_EXPLORE)))
        return 0;
    TrackAndInvoke(owner, contextMenu.get(), popup.get(), pt);
    return 1;
}

int CShellPidl::ShowItemContextMenu(HWND owner, IShellFolder* folder, LPCITEMIDLIST item, POINT pt) {
    return ShowContextMenu(owner, folder, item, pt, kFolderLastId, 1);
}

int CShellPidl::ShowPathContextMenu(HWND owner, const wchar_t* path, POINT pt) {
    if (!path || !path[0])
        return 0;
    ComPtr<IShellFolder> desktop;
    if (FAILED(::SHGetDesktopFolder(desktop.put())))
        return 0;
    wchar_t drive[kDriveCapacity], directory[kPartCapacity], name[kPartCapacity], extension[kPartCapacity];
    SplitPath(path, drive, directory, name, extension);
    wchar_t parentPath[kPathCapacity];
    MakePath(parentPath, drive, directory, nullptr, nullptr);
    wchar_t itemName[kPathCapacity];
    MakePath(itemName, nullptr, nullptr, name, extension);

    fw::UniquePidl parent;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, parentPath, nullptr, parent.put(), nullptr)))
        return 0;
    ComPtr<IShellFolder> folder;
    if (FAILED(desktop->BindToObject(parent.get(), nullptr, IID_IShellFolder, folder.put_void())))
        return 0;
    fw::UniquePidl item;
    if (FAILED(folder->ParseDisplayName(owner, nullptr, itemName, nullptr, item.put(), nullptr)))
        return 0;
    return ShowContextMenu(owner, folder.get(), item.get(), pt, kPathLastId, 0);
}

LPITEMIDLIST CShellPidl::PidlFromPath(const wchar_t* path) {
    if (!path)
        return nullptr;
    ComPtr<IShellFolder> desktop;
    if (FAILED(::SHGetDesktopFolder(desktop.put())))
        return nullptr;
    LPITEMIDLIST pidl = nullptr;
    wchar_t buffer[kPathCapacity];
    CopyPath(buffer, path); // ParseDisplayName takes a writable string
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, buffer, nullptr, &pidl, nullptr)))
        return nullptr;
    return pidl;
}

void CShellPidl::RemoveCommands(HMENU menu, const UINT* ids, size_t count) {
    for (size_t i = 0; i < count; ++i)
        ::DeleteMenu(menu, ids[i], MF_BYCOMMAND);
}

namespace {
// GetMenuState puts a submenu's item count where MF_SEPARATOR lives; ask for the type.
bool IsSeparator(HMENU menu, int pos) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    return ::GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info) && (info.fType & MFT_SEPARATOR);
}
} // namespace

void CShellPidl::RemoveStraySeparators(HMENU menu) {
    for (int pos = ::GetMenuItemCount(menu) - 1; pos >= 1; --pos) {
        if (!IsSeparator(menu, pos))
            continue;
        bool last = pos == ::GetMenuItemCount(menu) - 1;
        if (last || IsSeparator(menu, pos + 1))
            ::DeleteMenu(menu, static_cast<UINT>(pos), MF_BYPOSITION);
    }
}
