// The all-programs tree: the user's and the All Users' Start Menu folders
// merged into one tree, files before folders at every level, folders read on
// their first expansion.
#include "TreeWnd.h"

#include "Handles.h"
#include "Text.h"
#include "Utils.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <set>

namespace {
const DWORD kAllProgramsStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL;
const DWORD kAllProgramsExStyle = WS_EX_COMPOSITED | WS_EX_CONTROLPARENT;
const size_t kDescriptionCapacity = 128;
} // namespace

int64_t StartMenuKey(const wchar_t* path) {
    if (!path)
        return 0;
    const wchar_t* part = wcsstr(path, L"Microsoft\\Windows\\Start Menu");
    if (!part)
        return 0;
    return HashNameNoCase(part, wcslen(part));
}

void CTreeWnd::EntryTextAndIcon(const wchar_t* path, int folder, int expansion, IShellLinkW* link, wchar_t* text,
                                HICON* icon) {
    text[0] = 0;
    if (!expansion)
        GetProgramDescription(path, text, kDescriptionCapacity);
    *icon = GetShortcutIcon(path, bSmallIcons, link);
    if (!text[0] || !*icon) {
        SHFILEINFOW info{};
        UINT flags = SHGFI_DISPLAYNAME;
        if (!*icon)
            flags |= SHGFI_ICON;
        if (folder || bSmallIcons)
            flags |= SHGFI_SMALLICON;
        if (::SHGetFileInfoW(path, 0, &info, sizeof(info), flags)) {
            if (!text[0])
                fw::StrCopy(text, 256, info.szDisplayName);
            if (!*icon)
                *icon = info.hIcon;
        }
    }
    if (!text[0]) { // no shell answer: the bare name is better than an empty row
        wchar_t name[kPartCapacity];
        SplitPath(path, nullptr, nullptr, name, nullptr);
        fw::StrCopy(text, 256, name);
    }
}

int CTreeWnd::AddEntries(_treeNode* parent, std::vector<std::wstring>& files, std::vector<std::wstring>& folders,
                         IShellLinkW* link, int expansion, int height) {
    int added = 0;
    wchar_t text[256];
    std::stable_sort(files.begin(), files.end(), CompareByFileName);
    for (const std::wstring& path : files) {
        HICON icon = nullptr;
        EntryTextAndIcon(path.c_str(), 0, expansion, link, text, &icon);
        _treeNode* item = AddNode(text, icon, kTreeDrawText | kTreeDrawIcon, height, parent);
        AdoptIcon(icon);
        if (!item)
            continue;
        fw::StrCopy(item->szPath, path.c_str());
        ++added;
    }
    std::stable_sort(folders.begin(), folders.end(), CompareByFileName);
    std::set<int64_t> seen;
    for (const std::wstring& path : folders) {
        int64_t key = StartMenuKey(path.c_str());
        if (key && seen.count(key)) {
            AddLocation(key, path.c_str()); // the same folder in the other Start Menu
            continue;
        }
        seen.insert(key);
        HICON icon = nullptr;
        EntryTextAndIcon(path.c_str(), 1, expansion, link, text, &icon);
        _treeNode* item = AddNode(text, icon, kTreeDrawText | kTreeDrawIcon | kTreeFolder, height, parent);
        AdoptIcon(icon);
        if (!item)
            continue;
        fw::StrCopy(item->szPath, path.c_str());
        if (key) {
            AddLocation(key, path.c_str());
            item->nLocationKey = key;
        }
        ++added;
    }
    return added;
}

int CTreeWnd::BuildAllPrograms(const RECT& rc) {
    if (!bCreated && !Create(m_hOwner, rc, nullptr, kAllProgramsStyle, kAllProgramsExStyle, m_nControlId))
        return 0;
    nMaxRows = -1;
    ShowWindow(SW_HIDE);
    bSmallIcons = 1;
    nRowHeight = kAllProgramsRowHeight;
    nHotImage = 2;
    RemoveAll();
    nTopRow = 0;
    nHotId = -1;

    std::vector<std::wstring> files, folders;
    static const struct {
        int csidl;
        int withFolders;
    } kSources[] = {{CSIDL_PROGRAMS, 1}, {CSIDL_COMMON_STARTMENU, 0}, {CSIDL_COMMON_PROGRAMS, 1}};
    for (const auto& source : kSources) {
        wchar_t path[kPathCapacity];
        if (::SHGetSpecialFolderPathW(nullptr, path, source.csidl, FALSE))
            ListDirectory(&files, source.withFolders ? &folders : nullptr, path);
    }
    fw::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())))
        return 1;
    AddEntries(nullptr, files, folders, link.get(), 0, kAllProgramsRowHeight);
    return 1;
}

int CTreeWnd::ExpandFolder(_treeNode* folder, IShellLinkW* link) {
    if (!folder)
        return 0;
    std::vector<std::wstring> files, folders;
    const std::vector<std::wstring>* locations = folder->nLocationKey ? GetLocations(folder->nLocationKey) : nullptr;
    if (locations) {
        for (const std::wstring& path : *locations)
            ListDirectory(&files, &folders, path.c_str());
    } else {
        ListDirectory(&files, &folders, folder->szPath);
    }
    if (!AddEntries(folder, files, folders, link, 1, nRowHeight))
        return 0;
    folder->bExpanded = TRUE;
    if (IsWindow())
        Invalidate(TRUE);
    return 1;
}
