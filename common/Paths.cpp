#include "Utils.h"

#include "Text.h"

#include <sys/stat.h>

#include <algorithm>
#include <cwctype>

using fw::StrAppend;
using fw::StrCopy;
using fw::StrCopyN;

static bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

// Same split as _wsplitpath_s, but a part longer than its buffer is cut instead
// of stopping the program. Any output may be null.
void SplitPath(const wchar_t* path, wchar_t* drive, wchar_t* directory, wchar_t* name, wchar_t* extension) {
    if (drive)
        drive[0] = 0;
    if (directory)
        directory[0] = 0;
    if (name)
        name[0] = 0;
    if (extension)
        extension[0] = 0;
    if (!path)
        return;
    const wchar_t* p = path;
    if (p[0] && p[1] == L':') {
        if (drive)
            StrCopyN(drive, kDriveCapacity, p, 2);
        p += 2;
    }
    const wchar_t* lastSlash = nullptr;
    const wchar_t* lastDot = nullptr;
    for (const wchar_t* q = p; *q; ++q) {
        if (IsSlash(*q)) {
            lastSlash = q;
            lastDot = nullptr;
        } else if (*q == L'.') {
            lastDot = q;
        }
    }
    const wchar_t* base = p;
    if (lastSlash) {
        if (directory)
            StrCopyN(directory, kPartCapacity, p, static_cast<size_t>(lastSlash - p + 1));
        base = lastSlash + 1;
    }
    const wchar_t* end = base + wcslen(base);
    if (lastDot) {
        if (extension)
            StrCopy(extension, kPartCapacity, lastDot);
        end = lastDot;
    }
    if (name)
        StrCopyN(name, kPartCapacity, base, static_cast<size_t>(end - base));
}

// Same join as _wmakepath_s into 260 characters, cut when longer.
void MakePath(wchar_t* out, const wchar_t* drive, const wchar_t* directory, const wchar_t* name,
              const wchar_t* extension) {
    if (!out)
        return;
    out[0] = 0;
    if (drive && drive[0]) {
        StrCopyN(out, kPathCapacity, drive, 1);
        StrAppend(out, kPathCapacity, L":");
    }
    if (directory && directory[0]) {
        StrAppend(out, kPathCapacity, directory);
        if (!IsSlash(directory[wcslen(directory) - 1]))
            StrAppend(out, kPathCapacity, L"\\");
    }
    if (name && name[0])
        StrAppend(out, kPathCapacity, name);
    if (extension && extension[0]) {
        if (extension[0] != L'.')
            StrAppend(out, kPathCapacity, L".");
        StrAppend(out, kPathCapacity, extension);
    }
}

void CopyPath(wchar_t* out, const wchar_t* text) { StrCopy(out, kPathCapacity, text); }
void AppendPath(wchar_t* out, const wchar_t* text) { StrAppend(out, kPathCapacity, text); }

int FileExists(const wchar_t* path) {
    return path && ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

int64_t WriteTimeStamp(const FILETIME& written) {
    return static_cast<int64_t>((static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime);
}

int FileChangedSince(const wchar_t* path, int64_t* stamp) {
    // The write time to the 100 ns, not to the second: a list saved twice within
    // one second is two changes.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!path || !stamp || !::GetFileAttributesExW(path, GetFileExInfoStandard, &data))
        return 0;
    const int64_t now = WriteTimeStamp(data.ftLastWriteTime);
    if (now == *stamp)
        return 0;
    *stamp = now;
    return 1;
}

void ListDirectory(std::vector<std::wstring>* files, std::vector<std::wstring>* folders, const wchar_t* directory) {
    wchar_t pattern[kPathCapacity];
    fw::StrFormat(pattern, kPathCapacity, L"%s\\*", directory ? directory : L"");
    WIN32_FIND_DATAW fd;
    fw::UniqueFind find(::FindFirstFileW(pattern, &fd));
    if (!find)
        return;
    do {
        if (_wcsicmp(fd.cFileName, L".") == 0 || _wcsicmp(fd.cFileName, L"..") == 0)
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)
            continue;
        std::vector<std::wstring>* list = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? folders : files;
        if (!list)
            continue;
        wchar_t full[kPathCapacity];
        fw::StrFormat(full, kPathCapacity, L"%s\\%s", directory, fd.cFileName);
        list->emplace_back(full);
    } while (::FindNextFileW(find.get(), &fd));
}

bool CompareByFileName(const std::wstring& a, const std::wstring& b) {
    wchar_t na[kPartCapacity], nb[kPartCapacity];
    SplitPath(a.c_str(), nullptr, nullptr, na, nullptr);
    SplitPath(b.c_str(), nullptr, nullptr, nb, nullptr);
    return _wcsicmp(na, nb) < 0;
}

int32_t HashNameNoCase(const wchar_t* text, size_t count) {
    uint32_t h = 0;
    for (size_t i = 0; text && i < count; ++i) {
        wchar_t c = text[i];
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
        h = h * 31u + static_cast<uint32_t>(c);
    }
    return static_cast<int32_t>(h);
}

uint32_t HashPath(const wchar_t* text, size_t count) {
    uint32_t h = 0;
    for (size_t i = 0; text && i < count; ++i)
        h = h * 65599u + static_cast<uint32_t>(text[i]);
    return h ^ (h >> 16);
}
