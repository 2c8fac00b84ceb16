#include "Utils.h"

#include "Dpi.h"
#include "Handles.h"
#include "Text.h"

#include <shobjidl.h>

using fw::ComPtr;

int GetShortcutTarget(const wchar_t* shortcut, wchar_t* out, size_t capacity) {
    if (out && capacity)
        out[0] = 0;
    if (!shortcut || !out)
        return 0;
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())))
        return 0;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())))
        return 0;
    if (FAILED(file->Load(shortcut, STGM_READ)))
        return 0;
    wchar_t target[kPathCapacity] = {};
    WIN32_FIND_DATAW fd{};
    if (FAILED(link->GetPath(target, static_cast<int>(kPathCapacity), &fd, SLGP_RELATIVEPRIORITY)))
        return 0;
    fw::StrCopy(out, capacity, target);
    return 1;
}

HICON GetShortcutIcon(const wchar_t* shortcut, int small, IShellLinkW* givenLink, int dpi) {
    if (!shortcut)
        return nullptr;
    ComPtr<IShellLinkW> ownLink;
    IShellLinkW* link = givenLink;
    if (!link) {
        if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      ownLink.put_void())))
            return nullptr;
        link = ownLink.get();
    }
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) || FAILED(file->Load(shortcut, STGM_READ)))
        return nullptr;
    ComPtr<IExtractIconW> extract;
    if (FAILED(link->QueryInterface(IID_IExtractIconW, extract.put_void())))
        return nullptr;
    wchar_t location[kPathCapacity] = {};
    int index = 0;
    UINT flags = 0;
    if (FAILED(extract->GetIconLocation(0, location, static_cast<UINT>(kPathCapacity), &index, &flags)))
        return nullptr;
    HICON large = nullptr, smallIcon = nullptr;
    // Only an exact S_OK means the icons were extracted (S_FALSE asks the caller to do it).
    if (extract->Extract(location, static_cast<UINT>(index), &large, &smallIcon,
                         MAKELONG(fw::Scale(32, dpi), fw::Scale(16, dpi))) != S_OK) {
        return nullptr;
    }
    HICON keep = small ? smallIcon : large;
    HICON drop = small ? large : smallIcon;
    if (drop)
        ::DestroyIcon(drop);
    return keep;
}
