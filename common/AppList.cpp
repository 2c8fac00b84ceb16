#include "AppList.h"

#include "PackagedApps.h"
#include "Dpi.h"
#include "Handles.h"
#include "Text.h"
#include "Trace.h"
#include "Utils.h"

#include <algorithm>
#include <shellapi.h>
#include <shobjidl.h>

namespace {

// A list file is a few kilobytes; anything this large is not one of ours.
constexpr LONGLONG kMaxFileBytes = 16 * 1024 * 1024;

bool IsKeyword(const wchar_t* key, size_t length, const wchar_t* keyword) {
    size_t i = 0;
    for (; i < length && keyword[i]; ++i) {
        wchar_t c = key[i];
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A'); // ASCII only, whatever the locale
        if (c != keyword[i])
            return false;
    }
    return i == length && !keyword[i];
}

// A surrogate without its partner (from a damaged UTF-16 file, or a pair cut
// at a field's or a piece's end) has no UTF-8 form: the writer would turn it
// into U+FFFD, so an entry would not save back as it was read. It becomes
// U+FFFD as it is read instead.
void ReplaceLoneSurrogates(wchar_t* text) {
    for (wchar_t* p = text; *p; ++p) {
        if (*p >= 0xD800 && *p <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF)
            ++p;
        else if (*p >= 0xD800 && *p <= 0xDFFF)
            *p = 0xFFFD;
    }
}

const wchar_t* FileNamePart(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/' || *p == L':')
            name = p + 1;
    return name;
}

// *stamp: the write time of the file opened, which a save that replaces the
// list meanwhile does not change.
int ReadWholeFile(const wchar_t* path, std::string* bytes, DWORD* error, int64_t* stamp) {
    // Sharing delete lets the writer replace the list while a reader still holds it.
    fw::UniqueFile file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        *error = ::GetLastError();
        return 0;
    }
    FILETIME written{};
    *stamp = ::GetFileTime(file.get(), nullptr, nullptr, &written) ? WriteTimeStamp(written) : 0;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxFileBytes) {
        *error = size.QuadPart > kMaxFileBytes ? ERROR_FILE_TOO_LARGE : ::GetLastError();
        return 0;
    }
    bytes->resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes->size()) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), &(*bytes)[done], static_cast<DWORD>(bytes->size() - done), &got, nullptr)) {
            *error = ::GetLastError();
            return 0;
        }
        if (got == 0)
            break; // the file shrank meanwhile: take what is there
        done += got;
    }
    bytes->resize(done);
    return 1;
}

HICON GenericIcon(const wchar_t* path, int small, SHFILEINFOW* info, bool* haveName) {
    // The shell's icon for the file's extension, without touching the (missing) file.
    UINT size = small ? SHGFI_SMALLICON : SHGFI_LARGEICON;
    if (path[0] &&
        ::SHGetFileInfoW(path, FILE_ATTRIBUTE_NORMAL, info, sizeof(*info),
                         SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | SHGFI_DISPLAYNAME | size) &&
        info->hIcon) {
        *haveName = info->szDisplayName[0] != 0;
        return info->hIcon;
    }
    int pixels = small ? 16 : 32;
    return static_cast<HICON>(
        ::CopyImage(::LoadIconW(nullptr, IDI_APPLICATION), IMAGE_ICON, pixels, pixels, 0));
}

// The name field of an entry line, uncut: the text between "=" and the first "|".
std::wstring WholeName(const wchar_t* line) {
    const wchar_t* text = wcschr(line, L'=');
    if (!text)
        return {};
    ++text;
    const size_t end = wcscspn(text, L"\r\n");
    const size_t bar = wcscspn(text, L"|");
    return bar < end ? std::wstring(text, bar) : std::wstring();
}

// Steps of a reading after the grammar: existence, icon and display name.
// 1 when the entry is to be listed (then it holds an icon the caller owns).
int ResolveEntry(AppListEntry* entry, const AppListReadOptions& options, IShellLinkW* link) {
    if (IsPackagedAppPath(entry->szPath)) {
        // A packaged app is no file: never missing, its icon from the shell item.
        if (!entry->szName[0])
            fw::StrCopy(entry->szName, FileNamePart(entry->szPath));
        const int pixels = fw::Scale(options.bSmallIcons ? 16 : 32, options.nDpi);
        if (!options.bIconsLater)
            entry->hIcon = PackagedAppEntryIcon(entry->szPath, pixels);
        return options.bIconsLater || entry->hIcon ? 1 : 0;
    }
    if (options.bSkipMissing && !FileExists(entry->szPath)) {
        Trace(L"File not found.\n");
        return 0;
    }
    if (options.bIconsLater) {
        // Kept as a later ResolveEntry would keep it; only an empty name asks the shell now.
        if (!entry->szPath[0] && !entry->szName[0])
            return 0;
        if (!entry->szName[0]) {
            SHFILEINFOW info{};
            const bool named = ::SHGetFileInfoW(entry->szPath, 0, &info, sizeof(info), SHGFI_DISPLAYNAME) != 0 &&
                               info.szDisplayName[0];
            fw::StrCopy(entry->szName, named ? info.szDisplayName : FileNamePart(entry->szPath));
        }
        return 1;
    }
    // An empty path is never handed to the shell: it would answer with the
    // current folder's icon and name.
    const bool havePath = entry->szPath[0] != 0;
    SHFILEINFOW info{};
    bool haveShellName = false;
    if (entry->nKind == kAppKindShortcut && link && havePath)
        entry->hIcon = GetShortcutIcon(entry->szPath, options.bSmallIcons, link, options.nDpi);
    if (!entry->hIcon) {
        UINT size = options.bSmallIcons ? SHGFI_SMALLICON : SHGFI_LARGEICON;
        if (havePath &&
            ::SHGetFileInfoW(entry->szPath, 0, &info, sizeof(info), SHGFI_ICON | SHGFI_DISPLAYNAME | size) &&
            info.hIcon) {
            entry->hIcon = info.hIcon;
            haveShellName = true;
        } else if (options.bKeepWithoutIcon && (havePath || entry->szName[0])) {
            // A line broken by a "|" in its name keeps at least its name.
            entry->hIcon = GenericIcon(entry->szPath, options.bSmallIcons, &info, &haveShellName);
        }
        if (!entry->hIcon) {
            Trace(L"Failed to get the application's icon\n");
            return 0;
        }
    }
    if (!entry->szName[0]) {
        // A shortcut that drew its own icon has not asked the shell yet; without
        // this it would show as a blank row.
        if (!haveShellName)
            haveShellName = ::SHGetFileInfoW(entry->szPath, 0, &info, sizeof(info), SHGFI_DISPLAYNAME) != 0 &&
                            info.szDisplayName[0];
        fw::StrCopy(entry->szName, haveShellName ? info.szDisplayName : FileNamePart(entry->szPath));
    }
    return 1;
}

void AppendUtf8(std::string* out, const wchar_t* text, size_t length) {
    if (length == 0)
        return;
    int need = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (need <= 0)
        return;
    size_t at = out->size();
    out->resize(at + static_cast<size_t>(need));
    ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &(*out)[at], need, nullptr, nullptr);
}

} // namespace

int ParseAppListLine(const wchar_t* line, AppListLine* out) {
    *out = AppListLine{};
    if (!line || !line[0] || line[0] == L'#')
        return 0;
    const wchar_t* equals = wcschr(line, L'=');
    if (!equals)
        return 0;
    // The key is not trimmed: "LNK " is not "LNK". A longer key is never a keyword.
    size_t keyLength = static_cast<size_t>(equals - line);
    out->nKind = IsKeyword(line, keyLength, L"LNK") ? kAppKindShortcut : kAppKindApplication;

    const wchar_t* text = equals + 1;
    const wchar_t* end = text + wcscspn(text, L"\r\n");
    const wchar_t* bars[2] = {};
    int count = 0;
    for (const wchar_t* p = text; p < end; ++p) {
        if (*p == L'|') {
            if (count < 2)
                bars[count] = p;
            ++count;
        }
    }
    // Each field is cut to its own capacity; the entry text as a whole is not cut,
    // so that a name and a path at their full lengths read back as written.
    if (count > 0)
        fw::StrCopyN(out->szName, kAppListNameCapacity, text, static_cast<size_t>(bars[0] - text));
    if (count == 2)
        fw::StrCopyN(out->szPath, kAppListPathCapacity, bars[1] + 1, static_cast<size_t>(end - bars[1] - 1));
    return 1;
}

int DecodeAppListBytes(const std::string& bytes, std::wstring* text) {
    text->clear();
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t size = bytes.size();
    if (size >= 2 && b[0] == 0xFE && b[1] == 0xFF)
        return 0;
    if (size >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        text->reserve((size - 2) / 2);
        for (size_t i = 2; i + 1 < size; i += 2) // an odd last byte is no character
            text->push_back(static_cast<wchar_t>(b[i] | (b[i + 1] << 8)));
        return 1;
    }
    size_t start = (size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) ? 3 : 0;
    if (start == size)
        return 1;
    // Invalid sequences become U+FFFD instead of failing the whole file.
    int length = static_cast<int>(size - start);
    int need = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data() + start, length, nullptr, 0);
    if (need <= 0)
        return 1;
    text->resize(static_cast<size_t>(need));
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data() + start, length, &(*text)[0], need);
    return 1;
}

void SplitAppListLines(const std::wstring& text, std::vector<std::wstring>* pieces, size_t pieceLength) {
    std::wstring piece;
    size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        wchar_t c = text[i];
        if (c == L'\r' && i + 1 < n && text[i + 1] == L'\n')
            continue; // CR LF reads as LF; a lone CR stays in the line
        if (piece.empty()) {
            // One allocation per piece, not one per doubling: look as far as the
            // piece can reach for its line's end.
            const size_t reach = pieceLength ? std::min(n, i + pieceLength) : n;
            const wchar_t* first = text.data() + i;
            const size_t end = i + static_cast<size_t>(std::find(first, text.data() + reach, L'\n') - first);
            piece.reserve((end < reach ? end + 1 : reach) - i);
        }
        piece.push_back(c);
        if (c == L'\n' || piece.size() == pieceLength) {
            pieces->push_back(std::move(piece));
            piece.clear();
        }
    }
    if (!piece.empty())
        pieces->push_back(std::move(piece)); // a last line without a line feed
}

AppListStatus ReadAppList(const wchar_t* path, const AppListReadOptions& options,
                          const std::function<void(AppListEntry&)>& take, DWORD* error) {
    DWORD ignored = 0;
    if (!error)
        error = &ignored;
    *error = 0;
    if (!path || !path[0] || !FileExists(path))
        return AppListStatus::NoFile;
    std::string bytes;
    int64_t stamp = 0;
    if (!ReadWholeFile(path, &bytes, error, &stamp))
        return AppListStatus::OpenFailed;
    std::wstring text;
    if (!DecodeAppListBytes(bytes, &text)) {
        *error = ERROR_UNSUPPORTED_TYPE;
        return AppListStatus::OpenFailed;
    }
    std::vector<std::wstring> pieces;
    SplitAppListLines(text, &pieces, options.bWholeLines ? 0 : kAppListPieceLength);

    // One link object serves every shortcut line; without one, shortcuts take the
    // shell's file icon and the rest of the list is still read.
    fw::ComPtr<IShellLinkW> link;
    bool linkTried = false;
    size_t added = 0;
    for (const std::wstring& piece : pieces) {
        AppListLine line;
        if (!ParseAppListLine(piece.c_str(), &line))
            continue;
        ReplaceLoneSurrogates(line.szName);
        ReplaceLoneSurrogates(line.szPath);
        if (line.nKind == kAppKindShortcut && !linkTried) {
            linkTried = true;
            ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void());
        }
        AppListEntry entry;
        entry.nKind = line.nKind;
        fw::StrCopy(entry.szName, line.szName);
        fw::StrCopy(entry.szPath, line.szPath);
        if (options.bWholeLines && wcslen(line.szName) + 1 >= kAppListNameCapacity) {
            entry.sLongName = WholeName(piece.c_str());
            ReplaceLoneSurrogates(&entry.sLongName[0]);
            if (entry.sLongName.size() < kAppListNameCapacity)
                entry.sLongName.clear();
        }
        if (!ResolveEntry(&entry, options, link.get()))
            continue;
        take(entry);
        if (options.nMaxEntries && ++added >= options.nMaxEntries)
            break;
    }
    if (options.pChangeStamp && stamp)
        *options.pChangeStamp = stamp;
    return AppListStatus::Ok;
}

AppListStatus ReadAppList(const wchar_t* path, const AppListReadOptions& options,
                          std::vector<AppListEntry>* entries, DWORD* error) {
    return ReadAppList(
        path, options, [entries](AppListEntry& entry) { entries->push_back(std::move(entry)); }, error);
}

int ResolveAppListEntry(AppListEntry* entry, const AppListReadOptions& options, IShellLinkW* link) {
    AppListReadOptions now = options;
    now.bIconsLater = 0;
    now.bSkipMissing = 0;
    return ResolveEntry(entry, now, link);
}

void ReleaseAppListIcons(std::vector<AppListEntry>* entries) {
    for (AppListEntry& entry : *entries) {
        if (entry.hIcon)
            ::DestroyIcon(entry.hIcon);
        entry.hIcon = nullptr;
    }
}

std::string FormatAppList(const std::vector<AppListEntry>& entries) {
    std::wstring text = L"# Application List\r\n# encoding: UTF-8\r\n";
    for (const AppListEntry& entry : entries) {
        const wchar_t* format = entry.nKind == kAppKindApplication ? L"APP=%s|app|%s\r\n"
                                : entry.nKind == kAppKindShortcut  ? L"LNK=%s|lnk|%s\r\n"
                                                                   : nullptr;
        if (!format)
            continue;
        // The format has no escapes: a "|" or a line break in a name would cost the
        // entry its path when read back, so they are written as blanks.
        std::wstring name = entry.sLongName.empty() ? std::wstring(entry.szName) : entry.sLongName;
        for (wchar_t& c : name)
            if (c == L'|' || c == L'\r' || c == L'\n')
                c = L' ';
        wchar_t path[kAppListPathCapacity];
        fw::StrCopyN(path, kAppListPathCapacity, entry.szPath, kAppListPathCapacity - 1);
        // The key and type word come from the format; the fields are added whole.
        text.append(format, 4);
        text += name;
        text += entry.nKind == kAppKindApplication ? L"|app|" : L"|lnk|";
        text += path;
        text += L"\r\n";
    }
    std::string bytes = "\xEF\xBB\xBF";
    AppendUtf8(&bytes, text.data(), text.size());
    return bytes;
}

int SaveAppList(const wchar_t* path, const std::vector<AppListEntry>& entries) {
    if (!path || !path[0])
        return 0;
    // The new list is written beside the old one and then takes its place, so a
    // failure at any step leaves the old list whole.
    wchar_t temp[kPathCapacity];
    if (fw::StrFormat(temp, kPathCapacity, L"%s.tmp", path) != wcslen(path) + 4)
        return 0;
    // Windows refuses to replace a read-only file; Wine replaces it. The user's
    // read-only mark wins on both.
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        Trace(L"Cannot replace %s: read-only\n", path);
        return 0;
    }
    std::string bytes = FormatAppList(entries);
    bool written = false;
    {
        fw::UniqueFile file(
            ::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            Trace(L"Cannot create %s\n", temp);
            return 0;
        }
        DWORD count = 0;
        written = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) &&
                  count == bytes.size() && ::FlushFileBuffers(file.get());
    }
    if (written) {
        // A virus scanner may hold the fresh file for a moment; give it two more chances.
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (::MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return 1;
            DWORD error = ::GetLastError();
            Trace(L"Cannot replace %s (%u)\n", path, error);
            if (attempt == 2 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED))
                break;
            ::Sleep(50);
        }
    }
    ::DeleteFileW(temp);
    return 0;
}
