// Helpers shared by the application list tests: a real program to point entries
// at, entries and list files as Quillset saves them, and each program's reader.
#pragma once

#include "AppList.h"
#include "TestFiles.h"
#include "Wait.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <ctime>
#include <string>
#include <vector>

inline std::string Utf16Le(const std::wstring& text) {
    std::string out = "\xFF\xFE";
    for (wchar_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

// A copy of the system's notepad under a name of our own, so the shell knows the file.
inline std::wstring CopyProgram(const TempDir& dir, const std::wstring& name) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring target = dir.Join(name);
    CopyFileW((std::wstring(system) + L"\\notepad.exe").c_str(), target.c_str(), FALSE);
    return target;
}

inline std::wstring ShellDisplayName(const std::wstring& path) {
    SHFILEINFOW info{};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME);
    return info.szDisplayName;
}

inline AppListEntry MakeEntry(const std::wstring& name, int kind, const std::wstring& path) {
    AppListEntry entry;
    wcsncpy(entry.szName, name.c_str(), kAppListNameCapacity - 1);
    entry.nKind = kind;
    wcsncpy(entry.szPath, path.c_str(), kAppListPathCapacity - 1);
    return entry;
}

// The list file as Quillset writes it, with a modification time (whole
// seconds) other than the last one, so that Velmar can tell it from what it read.
inline bool SaveListAnew(const std::wstring& path, const std::vector<AppListEntry>& entries) {
    const int64_t previous = ModifiedTime(path);
    WaitFor([&] { return _time64(nullptr) > previous; }, 3000);
    return SaveAppList(path.c_str(), entries) == 1 && ModifiedTime(path) != previous;
}

inline AppListReadOptions MainReader() {
    AppListReadOptions options;
    options.bSkipMissing = 1;
    options.nMaxEntries = 10;
    return options;
}

inline AppListReadOptions OptionsReader(int smallIcons = 1) {
    AppListReadOptions options;
    options.bSmallIcons = smallIcons;
    options.bKeepWithoutIcon = 1;
    options.bWholeLines = 1;
    return options;
}

// Reads and releases the icons at once, for tests that look at names and paths.
inline AppListStatus ReadList(const std::wstring& path, const AppListReadOptions& options,
                              std::vector<AppListEntry>* entries) {
    entries->clear();
    AppListStatus status = ReadAppList(path.c_str(), options, entries);
    for (const AppListEntry& entry : *entries)
        EXPECT_NE(nullptr, entry.hIcon) << "every listed entry has an icon";
    ReleaseAppListIcons(entries);
    return status;
}
