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

void CShellPidl::TrackAndInvoke(HWND owner, IContextMenu* contextMenu, HMENU popup, POINT pt) {
    OnCustomizeMenu(popup);
    UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, owner, nullptr));
    if (chosen == 0)
        return;
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof(info);
    info.hwnd = owner;
    info.lpVerb = MAKEINTRESOURCEA(chosen - 1);
    info.nShow = SW_SHOWNORMAL;
    if (SUCCEEDED(contextMenu->InvokeCommand(&info)))
        OnInvoked(chosen - 1, info);
}

int CShellPidl::ShowItemContextMenu(HWND owner, IShellFolder* folder, LPCITEMIDLIST item, POINT pt) {
    ComPtr<IContextMenu> contextMenu;
    contextMenu.attach(GetContextMenu(folder, item, 1));
    if (!contextMenu)
        return 0;
    fw::UniqueMenu popup(::CreatePopupMenu());
    if (!popup)
        return 0;
    if (FAILED(contextMenu->QueryContextMenu(popup.get(), 0, 1, kFolderLastId, CMF_EXPLORE)))
        return 0;
    TrackAndInvoke(owner, contextMenu.get(), popup.get(), pt);
    return 1;
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
    ComPtr<IContextMenu> contextMenu;
    contextMenu.attach(GetContextMenu(folder.get(), item.get(), 0));
    if (!contextMenu)
        return 0;
    fw::UniqueMenu popup(::CreatePopupMenu());
    if (!popup)
        return 0;
    if (FAILED(contextMenu->QueryContextMenu(popup.get(), 0, 1, kPathLastId, CMF_EXPLORE)))
        return 0;
    TrackAndInvoke(owner, contextMenu.get(), popup.get(), pt);
    return 1;
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
