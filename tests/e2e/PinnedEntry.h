// A pinned-list entry as Quillset would save it, for tests that write list files.
#pragma once

#include "AppList.h"

#include <cwchar>
#include <string>

inline AppListEntry Entry(int kind, const std::wstring& name, const std::wstring& path) {
    AppListEntry entry;
    entry.nKind = kind;
    wcsncpy(entry.szName, name.c_str(), kAppListNameCapacity - 1);
    wcsncpy(entry.szPath, path.c_str(), kAppListPathCapacity - 1);
    return entry;
}
