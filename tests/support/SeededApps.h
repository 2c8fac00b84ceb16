// Packaged apps for tests and benchmarks where the shell has no Applications
// folder (Wine): the items of a folder of the caller's, read by the real
// source, with the parsing names the caller gives (application user model
// ids) in place of the files' own.
#pragma once

#include "Handles.h"
#include "PackagedApps.h"

#include <windows.h>
#include <shobjidl.h>

#include <map>
#include <string>
#include <vector>

// ids: file name ("Settings.lnk") -> the parsing name the item shows instead.
inline CPackagedApps::Folder SeededAppsFolder(const std::wstring& path, std::map<std::wstring, std::wstring> ids) {
    CPackagedApps::Folder folder;
    // The folder's files as an array of items: Wine's folder items offer no enumerator of their own.
    folder.enumerate = [path](IEnumShellItems** items) -> HRESULT {
        std::vector<fw::UniquePidl> files;
        WIN32_FIND_DATAW found;
        fw::UniqueFind find(::FindFirstFileW((path + L"\\*").c_str(), &found));
        for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &found) != FALSE) {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            fw::UniquePidl file;
            if (SUCCEEDED(::SHParseDisplayName((path + L"\\" + found.cFileName).c_str(), nullptr, file.put(), 0,
                                               nullptr)))
                files.push_back(std::move(file));
        }
        std::vector<LPCITEMIDLIST> list;
        for (const fw::UniquePidl& file : files)
            list.push_back(file.get());
        fw::ComPtr<IShellItemArray> array;
        HRESULT hr = ::SHCreateShellItemArrayFromIDLists(static_cast<UINT>(list.size()), list.data(), array.put());
        return FAILED(hr) ? hr : array->EnumItems(items);
    };
    folder.parsingName = [ids](IShellItem* item) {
        wchar_t* name = nullptr;
        std::wstring own;
        if (SUCCEEDED(item->GetDisplayName(SIGDN_PARENTRELATIVEPARSING, &name))) {
            own = name;
            ::CoTaskMemFree(name);
        }
        auto id = ids.find(own);
        return id == ids.end() ? own : id->second;
    };
    return folder;
}
