// Reading the Recent folder: its shortcuts newest first, each opened once and
// resolved only where that cannot reach the network.
#include "RecentDocs.h"

#include "RecentShortcuts.h"

#include "Handles.h"
#include "Utils.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <algorithm>
#include <cwctype>
#include <unordered_set>
#include <utility>

namespace {

// No window, no search of the disks, no link tracking, no volume or UNC
// tracking, nothing written back; the high word bounds the attempt in ms.
const DWORD kResolveFlags = SLR_NO_UI | SLR_NOSEARCH | SLR_NOTRACK | SLR_NOLINKINFO | SLR_NOUPDATE | (200u << 16);
const size_t kArgumentsCapacity = 1024; // INFOTIPSIZE, what a shortcut's arguments hold
const unsigned kStopCheckEvery = 64;    // folder entries between two looks at the stop flag

bool IsUnc(const wchar_t* path) {
    return path[0] == L'\\' && path[1] == L'\\';
}

bool HasDriveLetter(const wchar_t* path) {
    return iswalpha(path[0]) && path[0] < 0x80 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
}

bool IsAbsolute(const wchar_t* path) {
    return IsUnc(path) || HasDriveLetter(path);
}

bool IsProgram(const wchar_t* path) {
    return _wcsicmp(::PathFindExtensionW(path), L".exe") == 0;
}

// The first absolute path among a program shortcut's arguments that is not a
// program itself: the document the shortcut opens with that program.
std::wstring DocumentInArguments(const wchar_t* arguments) {
    std::wstring line = L"x "; // CommandLineToArgvW reads its first word as a program name
    line += arguments;
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(line.c_str(), &count);
    if (!words)
        return std::wstring();
    std::wstring document;
    for (int i = 1; i < count && document.empty(); ++i)
        if (IsAbsolute(words[i]) && !IsProgram(words[i]) && wcslen(words[i]) < kPathCapacity)
            document = words[i];
    ::LocalFree(words);
    return document;
}

std::wstring FoldCase(const std::wstring& text) {
    std::wstring out = text;
    if (!out.empty())
        ::CharUpperBuffW(&out[0], static_cast<DWORD>(out.size()));
    return out;
}

// What a row shows: the file's name without its extension; a folder's whole name.
std::wstring RowName(const std::wstring& path, DWORD attributes) {
    const wchar_t* name = ::PathFindFileNameW(path.c_str());
    if (!*name || IsUnc(name) || HasDriveLetter(name))
        return path; // a drive or share's root
    std::wstring out = name;
    while (!out.empty() && (out.back() == L'\\' || out.back() == L'/'))
        out.pop_back();
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    const size_t dot = out.rfind(L'.');
    if (!folder && dot != std::wstring::npos && dot > 0)
        out.erase(dot);
    return out.empty() ? path : out;
}

struct Found {
    std::wstring name;
    FILETIME written;
    ULONGLONG size;
};

bool Newer(const Found& a, const Found& b) {
    const LONG order = ::CompareFileTime(&a.written, &b.written);
    return order != 0 ? order > 0 : _wcsicmp(a.name.c_str(), b.name.c_str()) < 0;
}

// The folder's shortcuts, newest first: sub-folders (the jump lists' own
// folders) and other files (desktop.ini) are not recent items.
bool ListShortcuts(const std::wstring& folder, const volatile LONG* stop, std::vector<Found>* found) {
    const std::wstring pattern = folder + L"\\*";
    WIN32_FIND_DATAW data;
    fw::UniqueFind find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH));
    if (!find && ::GetLastError() == ERROR_INVALID_PARAMETER) // before Windows 7
        find.reset(::FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return false; // missing or unreadable: no recent documents
    unsigned seen = 0;
    do {
        if (++seen % kStopCheckEvery == 0 && stop && *stop)
            return false;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            _wcsicmp(::PathFindExtensionW(data.cFileName), L".lnk"))
            continue;
        found->push_back({data.cFileName, data.ftLastWriteTime,
                          (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
    } while (::FindNextFileW(find.get(), &data));
    std::sort(found->begin(), found->end(), Newer);
    return true;
}

// The path of the shortcut's item list, when it is a file system item's.
bool PathOfItems(IShellLinkW* link, wchar_t (&path)[MAX_PATH]) {
    fw::UniquePidl items;
    wchar_t whole[MAX_PATH] = {};
    if (link->GetIDList(items.put()) != S_OK || !items || !::SHGetPathFromIDListW(items.get(), whole) ||
        !HasDriveLetter(whole) || wcschr(whole, L'?'))
        return false;
    wcscpy(path, whole);
    return true;
}

} // namespace

UINT DriveKinds::Of(const std::wstring& path) {
    if (IsUnc(path.c_str()))
        return DRIVE_REMOTE;
    if (!HasDriveLetter(path.c_str()))
        return DRIVE_UNKNOWN;
    const int letter = towupper(path[0]) - L'A';
    if (!m_asked[letter]) {
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + letter), L':', L'\\', 0};
        m_kinds[letter] = ::GetDriveTypeW(root);
        m_asked[letter] = true;
    }
    return m_kinds[letter];
}

RecentShortcut OpenRecentShortcut(const std::wstring& shortcut, DriveKinds* drives) {
    RecentShortcut out;
    out.attributes = INVALID_FILE_ATTRIBUTES;
    fw::ComPtr<IShellLinkW> link;
    fw::ComPtr<IPersistFile> file;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) ||
        FAILED(file->Load(shortcut.c_str(), STGM_READ)))
        return out; // broken: not a shortcut at all
    wchar_t path[MAX_PATH] = {};
    WIN32_FIND_DATAW data{};
    // S_FALSE: the shortcut names no file system item (a Control Panel page, a library).
    if (link->GetPath(path, MAX_PATH, &data, 0) != S_OK || !IsAbsolute(path))
        return out;
    // On a local fixed drive resolving can only look at that drive; elsewhere
    // (UNC, network, removable, a drive not there) the path stands as recorded.
    if (drives->Local(path) && SUCCEEDED(link->Resolve(nullptr, kResolveFlags))) {
        wchar_t resolved[MAX_PATH] = {};
        WIN32_FIND_DATAW resolvedData{};
        if (link->GetPath(resolved, MAX_PATH, &resolvedData, 0) == S_OK && IsAbsolute(resolved)) {
            wcscpy(path, resolved);
            data = resolvedData;
        }
    }
    // A path kept in the ANSI code page lost the names outside it ("?", as Wine
    // gives it); the item list keeps them whole. A UNC item is never parsed:
    // that could reach the server.
    if (!IsUnc(path) && wcschr(path, L'?') && !PathOfItems(link.get(), path))
        return out; // no whole name to be had: rather no row than a wrong file
    if (IsProgram(path)) {
        // A program is not a document, but a document its shortcut opens with it is that program's.
        wchar_t arguments[kArgumentsCapacity] = {};
        if (FAILED(link->GetArguments(arguments, kArgumentsCapacity)))
            return out;
        out.strPath = DocumentInArguments(arguments);
        if (out.strPath.empty())
            return out;
        out.strProgram = path;
    } else {
        out.strPath = path;
        if (data.dwFileAttributes)
            out.attributes = data.dwFileAttributes;
    }
    out.document = out.strPath.size() < kPathCapacity;
    return out;
}

void ReadRecentFolder(const std::wstring& folder, const volatile LONG* stop, RecentShortcutCache* cache, size_t max,
                      std::vector<RecentDocument>* documents) {
    std::vector<Found> found;
    if (folder.empty() || !ListShortcuts(folder, stop, &found)) {
        if (cache && !(stop && *stop))
            cache->clear();
        return;
    }
    DriveKinds drives;
    RecentShortcutCache opened;
    std::unordered_set<std::wstring> paths;
    for (const Found& entry : found) {
        if (documents->size() >= max || (stop && *stop))
            break;
        RecentShortcut shortcut;
        auto known = cache ? cache->find(entry.name) : RecentShortcutCache::iterator();
        if (cache && known != cache->end() && ::CompareFileTime(&known->second.written, &entry.written) == 0 &&
            known->second.size == entry.size) {
            shortcut = known->second;
        } else {
            shortcut = OpenRecentShortcut(folder + L"\\" + entry.name, &drives);
            shortcut.written = entry.written;
            shortcut.size = entry.size;
        }
        if (cache)
            opened.emplace(entry.name, shortcut);
        if (!shortcut.document)
            continue;
        DWORD attributes = shortcut.attributes;
        // Gone from a local fixed drive is gone; a removable or network drive may only be away now.
        if (drives.Local(shortcut.strPath)) {
            attributes = ::GetFileAttributesW(shortcut.strPath.c_str());
            const DWORD error = attributes == INVALID_FILE_ATTRIBUTES ? ::GetLastError() : 0;
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                continue;
            if (attributes == INVALID_FILE_ATTRIBUTES)
                attributes = shortcut.attributes;
        }
        // Two shortcuts to one document (renamed, or written by two programs): the newer counts.
        if (!paths.insert(FoldCase(shortcut.strPath)).second)
            continue;
        RecentDocument document;
        document.strName = RowName(shortcut.strPath, attributes);
        document.strPath = shortcut.strPath;
        document.strShortcut = folder + L"\\" + entry.name;
        document.strProgram = shortcut.strProgram;
        document.written = entry.written;
        documents->push_back(std::move(document));
    }
    if (cache && !(stop && *stop))
        *cache = std::move(opened);
}
