// The all-programs tree: the user's and the All Users' Start Menu folders
// merged into one tree, files before folders at every level, folders read on
// their first expansion.
#include "TreeWnd.h"

#include "Handles.h"
#include "PackagedApps.h"
#include "Text.h"
#include "Utils.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <map>
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

namespace {

// The part after the last backslash.
const wchar_t* LastPart(const wchar_t* path) {
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

// The shell's display name where it can be told without asking the shell
// (which takes milliseconds per entry): a folder that cannot carry a
// desktop.ini name (neither read-only nor system) shows its own name, and a
// shortcut shows its name without ".lnk" unless its folder has a desktop.ini
// that may rename it. 0 where the shell has to be asked.
int PlainDisplayName(const wchar_t* path, int folder, wchar_t* text) {
    const wchar_t* name = LastPart(path);
    if (!name[0])
        return 0;
    if (folder) {
        DWORD attributes = ::GetFileAttributesW(path);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)))
            return 0;
        fw::StrCopy(text, 256, name);
        return 1;
    }
    const size_t length = wcslen(name);
    if (length <= 4 || _wcsicmp(name + length - 4, L".lnk") != 0)
        return 0;
    wchar_t desktopIni[kPathCapacity];
    fw::StrCopyN(desktopIni, kPathCapacity, path, static_cast<size_t>(name - path));
    fw::StrAppend(desktopIni, kPathCapacity, L"desktop.ini");
    if (::GetFileAttributesW(desktopIni) != INVALID_FILE_ATTRIBUTES)
        return 0;
    fw::StrCopyN(text, 256, name, length - 4);
    return 1;
}

// A top-level shortcut shows its program's description; otherwise the
// display name, and without a shell answer the bare name.
void EntryText(const wchar_t* path, int folder, int inFolder, wchar_t* text) {
    text[0] = 0;
    if (!inFolder && !folder) // a folder is neither a shortcut nor has it version information
        GetProgramDescription(path, text, kDescriptionCapacity);
    if (text[0] || PlainDisplayName(path, folder, text))
        return;
    SHFILEINFOW info{};
    if (::SHGetFileInfoW(path, 0, &info, sizeof(info), SHGFI_DISPLAYNAME) && info.szDisplayName[0]) {
        fw::StrCopy(text, 256, info.szDisplayName);
        return;
    }
    wchar_t name[kPartCapacity];
    SplitPath(path, nullptr, nullptr, name, nullptr);
    fw::StrCopy(text, 256, name);
}

} // namespace

IShellLinkW* CTreeWnd::Link() {
    if (!m_link)
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, m_link.put_void());
    return m_link.get();
}

void CTreeWnd::ResolveText(_treeNode* item) {
    if (!(item->nPending & kTreePendingText))
        return;
    item->nPending &= ~kTreePendingText;
    EntryText(item->szPath, (item->dwFlags & kTreeFolder) ? 1 : 0, (item->nPending & kTreePendingInFolder) ? 1 : 0,
              item->szText);
}

void CTreeWnd::ResolveItem(_treeNode* item) {
    if (!item)
        return;
    ResolveText(item);
    if (item->nPending & kTreePendingIcon) {
        item->hIcon = LookUpIcon(item->szPath, (item->dwFlags & kTreeFolder) ? 1 : 0, bSmallIcons, Link(), m_nDpi);
        AdoptIcon(item->hIcon);
    }
    item->nPending = 0; // an answer of the icon thread still on its way is dropped
}

namespace {

// The row of a path among a folder's children: the path without regard to case, and its kind.
std::wstring RowKey(const wchar_t* path, int folder) {
    std::wstring key(path);
    for (wchar_t& c : key)
        c = static_cast<wchar_t>(towupper(c));
    key.push_back(folder ? L'\\' : L'|');
    return key;
}

} // namespace

int CTreeWnd::AddEntries(_treeNode* parent, std::vector<std::wstring>& files, std::vector<std::wstring>& folders,
                         IShellLinkW* link, int expansion, int height) {
    if (link && !m_link) { // the caller's link object serves the later look-ups too
        link->AddRef();
        m_link.attach(link);
    }
    if (!parent)
        parent = &m_root;
    // The rows there are: an entry listed again keeps its row (text, icon,
    // children, expansion); the chain is laid anew in the listing's order.
    std::map<std::wstring, _treeNode*> former;
    for (_treeNode* item = parent->pChild; item; item = item->pNext) {
        former.emplace(RowKey(item->szPath, (item->dwFlags & kTreeFolder) ? 1 : 0), item);
        if (item->nLocationKey)
            m_locations.erase(item->nLocationKey); // the listing below makes them anew
    }
    parent->pChild = nullptr;
    _treeNode* last = nullptr;
    const int pending = kTreePendingText | kTreePendingIcon | (expansion ? kTreePendingInFolder : 0);
    auto place = [&](const std::wstring& path, DWORD flags) -> _treeNode* {
        _treeNode* item = nullptr;
        auto kept = former.find(RowKey(path.c_str(), (flags & kTreeFolder) ? 1 : 0));
        if (kept != former.end()) {
            item = kept->second;
            former.erase(kept);
            item->pPrev = last;
            item->pNext = nullptr;
            (last ? last->pNext : parent->pChild) = item;
        } else {
            item = AddNode(L"", nullptr, flags, height, parent); // appends after last
            if (!item)
                return nullptr;
            fw::StrCopy(item->szPath, path.c_str());
            item->nPending = pending;
        }
        last = item;
        return item;
    };
    int added = 0;
    std::stable_sort(files.begin(), files.end(), CompareByFileName);
    for (const std::wstring& path : files)
        if (place(path, kTreeDrawText | kTreeDrawIcon))
            ++added;
    std::stable_sort(folders.begin(), folders.end(), CompareByFileName);
    std::set<int64_t> seen;
    for (const std::wstring& path : folders) {
        int64_t key = StartMenuKey(path.c_str());
        if (key && seen.count(key)) {
            AddLocation(key, path.c_str()); // the same folder in the other Start Menu
            continue;
        }
        seen.insert(key);
        _treeNode* item = place(path, kTreeDrawText | kTreeDrawIcon | kTreeFolder);
        if (!item)
            continue;
        if (key) {
            AddLocation(key, path.c_str());
            item->nLocationKey = key;
        }
        ++added;
    }
    if (!former.empty()) {
        for (auto& gone : former)
            DropNode(gone.second);
        m_drawn.clear(); // no click may reach a row that went
    }
    return added;
}

void CTreeWnd::DropNode(_treeNode* item) {
    for (_treeNode* child = item->pChild; child; child = child->pNext)
        DropNode(child);
    auto id = m_ids.find(item->nId);
    if (id != m_ids.end() && id->second == item)
        m_ids.erase(id);
    if (m_pHot == item) {
        m_pHot = nullptr;
        nHotId = -1;
    }
    if (m_pPressed == item)
        m_pPressed = nullptr;
    if (HICON icon = ReleaseIcon(item->hIcon))
        ::DestroyIcon(icon);
    item->hIcon = nullptr;
    item->nPending = 0; // an icon still on its way is dropped
    item->pChild = item->pNext = item->pPrev = nullptr;
}

int CTreeWnd::BuildAllPrograms(const RECT& rc) {
    if (!CreateAllPrograms(rc))
        return 0;
    ShowWindow(SW_HIDE);
    FillAllPrograms();
    return 1;
}

int CTreeWnd::CreateAllPrograms(const RECT& rc) {
    if (!bCreated && !Create(m_hOwner, rc, nullptr, kAllProgramsStyle, kAllProgramsExStyle, m_nControlId))
        return 0;
    nMaxRows = -1;
    bSmallIcons = 1;
    nRowHeight = fw::Scale(kAllProgramsRowHeight, m_nDpi);
    nHotImage = 2;
    m_bOutline = 1;
    return 1;
}

void CTreeWnd::FillAllPrograms() {
    RemoveAll();
    nTopRow = 0;
    SetHot(nullptr);
    m_bFilled = 1;

    std::vector<std::wstring> files, folders;
    ListTopLevel(&files, &folders, 1);
    AddEntries(nullptr, files, folders, nullptr, 0, kAllProgramsRowHeight);
    m_nAppsGeneration = AddPackagedApps(kAllProgramsRowHeight);
    if (IsWindow()) {
        UpdateScrollBar(); // while hidden: showing the tree then finds the bar set
        Invalidate(TRUE);
    }
}

namespace {

FILETIME LastWritten(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path, GetFileExInfoStandard, &data))
        return FILETIME{};
    return data.ftLastWriteTime;
}

} // namespace

void CTreeWnd::ListTopLevel(std::vector<std::wstring>* files, std::vector<std::wstring>* folders, int watch) {
    static const struct {
        int csidl;
        int withFolders;
    } kSources[] = {{CSIDL_PROGRAMS, 1}, {CSIDL_COMMON_STARTMENU, 0}, {CSIDL_COMMON_PROGRAMS, 1}};
    for (const auto& source : kSources) {
        wchar_t path[kPathCapacity];
        if (!::SHGetSpecialFolderPathW(nullptr, path, source.csidl, FALSE))
            continue;
        if (watch)
            WatchFolder(path); // before the listing: a change while it runs counts too
        ListDirectory(files, source.withFolders ? folders : nullptr, path);
    }
}

void CTreeWnd::WatchFolder(const wchar_t* path) {
    FolderWatch watch{path, nullptr, LastWritten(path)};
    // The whole tree below: an installer adds to folders opened long ago. (Wine
    // reports only the folder itself and folders made after the watch began;
    // the write times of the opened folders cover the rest.)
    HANDLE change = ::FindFirstChangeNotificationW(path, TRUE, FILE_NOTIFY_CHANGE_FILE_NAME |
                                                                   FILE_NOTIFY_CHANGE_DIR_NAME);
    if (change != INVALID_HANDLE_VALUE)
        watch.change = change;
    m_watches.push_back(watch);
}

void CTreeWnd::CloseWatches() {
    for (FolderWatch& watch : m_watches)
        if (watch.change)
            ::FindCloseChangeNotification(watch.change);
    m_watches.clear();
}

namespace {

// The next item in drawing order, expanded or not.
_treeNode* NextInTree(_treeNode* item) {
    if (item->pChild)
        return item->pChild;
    while (item && !item->pNext)
        item = item->pParent;
    return item ? item->pNext : nullptr;
}

} // namespace

std::vector<std::wstring> CTreeWnd::FolderPaths(const _treeNode* folder) const {
    const std::vector<std::wstring>* locations = folder->nLocationKey ? GetLocations(folder->nLocationKey) : nullptr;
    return locations ? *locations : std::vector<std::wstring>{folder->szPath};
}

namespace {

// The write times of a folder's locations in one number, never 0.
uint64_t FolderStamp(const std::vector<std::wstring>& paths) {
    uint64_t stamp = 14695981039346656037ull;
    for (const std::wstring& path : paths) {
        const FILETIME t = LastWritten(path.c_str());
        stamp = (stamp ^ ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime)) * 1099511628211ull;
    }
    return stamp | 1;
}

} // namespace

int CTreeWnd::FolderChanged(const _treeNode* folder) const {
    return folder->nReadStamp && folder->nReadStamp != FolderStamp(FolderPaths(folder));
}

int CTreeWnd::IsAllProgramsCurrent() const {
    if (!m_bFilled || m_nAppsGeneration != PackagedApps().Generation())
        return 0;
    // The notification covers changes within the timestamp's resolution; the
    // time covers a folder replaced or made anew, which the notification of
    // the former one does not see.
    for (const FolderWatch& watch : m_watches) {
        if (watch.change && ::WaitForSingleObject(watch.change, 0) != WAIT_TIMEOUT)
            return 0;
        const FILETIME written = LastWritten(watch.path.c_str());
        if (::CompareFileTime(&watch.written, &written) != 0)
            return 0;
    }
    // A folder opened so far: one look at its write time per location.
    for (_treeNode* item = m_root.pChild; item; item = NextInTree(item))
        if (FolderChanged(item))
            return 0;
    return 1;
}

void CTreeWnd::RefreshAllPrograms() {
    if (!m_bFilled) {
        FillAllPrograms();
        return;
    }
    // A reported change has no place: every folder read so far is read again.
    bool reported = false, changed = false;
    for (FolderWatch& watch : m_watches) {
        if (watch.change && ::WaitForSingleObject(watch.change, 0) != WAIT_TIMEOUT) {
            reported = true;
            ::FindNextChangeNotification(watch.change); // before the reading: a change while it runs counts too
        }
        const FILETIME written = LastWritten(watch.path.c_str());
        if (::CompareFileTime(&watch.written, &written) != 0)
            changed = true;
        watch.written = written;
    }
    int reread = 0;
    // The top level is laid anew from the listing, which has no packaged apps:
    // they join it again, from their newest list.
    if (reported || changed || m_nAppsGeneration != PackagedApps().Generation()) {
        std::vector<std::wstring> files, folders;
        ListTopLevel(&files, &folders, 0);
        AddEntries(nullptr, files, folders, nullptr, 0, kAllProgramsRowHeight);
        m_nAppsGeneration = AddPackagedApps(kAllProgramsRowHeight);
        ++reread;
    }
    // Parents before their children: a parent's reading settles its children's locations.
    for (_treeNode* item = m_root.pChild; item; item = NextInTree(item))
        if (item->nReadStamp && (reported || FolderChanged(item))) {
            if (!ReadFolder(item, Link()))
                item->bExpanded = FALSE;
            ++reread;
        }
    if (!reread || !IsWindow())
        return;
    UpdateScrollBar();
    nTopRow = std::max(0, std::min(nTopRow, nMaxTop)); // the user's place, as far as the rows still reach
    Invalidate(TRUE);
}

void CTreeWnd::ReadFirstPageTexts() {
    int rows = nPageRows > 0 ? nPageRows + 1 : 0; // a part of the row below the page shows too
    for (_treeNode* item = m_root.pChild; item && rows > 0; item = item->pNext, --rows)
        ResolveText(item);
}

int CTreeWnd::ReadFolder(_treeNode* folder, IShellLinkW* link) {
    const std::vector<std::wstring> paths = FolderPaths(folder);
    folder->nReadStamp = FolderStamp(paths); // before the listing: a change while it runs counts too
    std::vector<std::wstring> files, folders;
    for (const std::wstring& path : paths)
        ListDirectory(&files, &folders, path.c_str());
    return AddEntries(folder, files, folders, link, 1, kAllProgramsRowHeight);
}

int CTreeWnd::ExpandFolder(_treeNode* folder, IShellLinkW* link) {
    if (!folder)
        return 0;
    const int entries = ReadFolder(folder, link);
    folder->bExpanded = entries ? TRUE : FALSE;
    if (IsWindow())
        Invalidate(TRUE);
    return entries ? 1 : 0;
}
