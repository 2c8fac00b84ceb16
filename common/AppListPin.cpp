#include "AppListPin.h"

#include "Handles.h"
#include "PackagedApps.h"
#include "Text.h"
#include "Trace.h"
#include "Utils.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

namespace {

bool SamePath(const wchar_t* a, const wchar_t* b) {
    return ::CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

// Reads the list so that it can be written back unchanged: every line, missing
// files and broken lines included, names of any length.
AppListStatus ReadForRewrite(const wchar_t* listPath, std::vector<AppListEntry>* entries) {
    AppListReadOptions options;
    options.bKeepWithoutIcon = 1;
    options.bIconsLater = 1;
    options.bWholeLines = 1;
    return ReadAppList(listPath, options, entries);
}

} // namespace

int AppListKindOf(const wchar_t* path) {
    const size_t length = path ? wcslen(path) : 0;
    return length >= 4 && SamePath(path + length - 4, L".lnk") ? kAppKindShortcut : kAppKindApplication;
}

PinResult PinToAppList(const wchar_t* listPath, const wchar_t* name, const wchar_t* path) {
    if (!listPath || !listPath[0])
        return PinResult::NoListFile;
    if (!path || !path[0])
        return PinResult::NotPinned;
    std::vector<AppListEntry> entries;
    const AppListStatus status = ReadForRewrite(listPath, &entries);
    if (status == AppListStatus::OpenFailed)
        return PinResult::ReadFailed; // never overwrite what could not be read
    for (const AppListEntry& entry : entries)
        if (SamePath(entry.szPath, path))
            return PinResult::AlreadyPinned;
    AppListEntry entry;
    entry.nKind = AppListKindOf(path);
    fw::StrCopy(entry.szPath, path);
    if (name && name[0]) {
        fw::StrCopy(entry.szName, name);
    } else {
        // The file's own name: an empty name would read back as the shell's
        // display name, which a packaged app's path does not have.
        const wchar_t* base = path;
        for (const wchar_t* p = path; *p; ++p)
            if (*p == L'\\' || *p == L'/')
                base = p + 1;
        fw::StrCopy(entry.szName, base);
        if (wchar_t* dot = wcsrchr(entry.szName, L'.'))
            if (dot != entry.szName)
                *dot = 0;
    }
    entries.push_back(entry);
    return ::SaveAppList(listPath, entries) ? PinResult::Pinned : PinResult::WriteFailed;
}

PinResult UnpinFromAppList(const wchar_t* listPath, const wchar_t* path) {
    if (!listPath || !listPath[0])
        return PinResult::NoListFile;
    std::vector<AppListEntry> entries;
    const AppListStatus status = ReadForRewrite(listPath, &entries);
    if (status == AppListStatus::OpenFailed)
        return PinResult::ReadFailed; // never overwrite what could not be read
    const size_t before = entries.size();
    for (size_t i = entries.size(); i-- > 0;)
        if (path && path[0] && SamePath(entries[i].szPath, path))
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
    if (entries.size() == before)
        return PinResult::NotPinned;
    return ::SaveAppList(listPath, entries) ? PinResult::Unpinned : PinResult::WriteFailed;
}

int IsPinnedInAppList(const wchar_t* listPath, const wchar_t* path) {
    if (!listPath || !listPath[0] || !path || !path[0])
        return 0;
    std::vector<AppListEntry> entries;
    ReadForRewrite(listPath, &entries);
    for (const AppListEntry& entry : entries)
        if (SamePath(entry.szPath, path))
            return 1;
    return 0;
}

AppListFingerprint FingerprintOfBytes(const std::string& bytes) {
    AppListFingerprint print;
    print.bExists = 1;
    print.nSize = bytes.size();
    uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    print.nHash = hash;
    return print;
}

int TakeAppListFingerprint(const wchar_t* path, AppListFingerprint* print) {
    *print = AppListFingerprint{};
    if (!path || !path[0] || !FileExists(path))
        return 1;
    print->bExists = 1;
    fw::UniqueFile file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > 16 * 1024 * 1024)
        return 0;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr))
            return 0;
        if (got == 0)
            break;
        done += got;
    }
    bytes.resize(done);
    FILETIME written{};
    const int64_t time = ::GetFileTime(file.get(), nullptr, nullptr, &written) ? WriteTimeStamp(written) : 0;
    *print = FingerprintOfBytes(bytes);
    print->nTime = time;
    return 1;
}

int AppListChangedSince(const wchar_t* path, const AppListFingerprint& seen) {
    AppListFingerprint now;
    // Nothing to read again: the save tries and reports its own failure. A
    // file gone since holds no one's change either: the save writes it anew.
    if (!TakeAppListFingerprint(path, &now) || !now.bExists)
        return 0;
    return now.bExists != seen.bExists || now.nSize != seen.nSize || now.nHash != seen.nHash ? 1 : 0;
}

