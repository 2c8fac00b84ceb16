// Scratch folders, files, shortcuts and registry keys for tests; everything is
// removed or put back again.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        static LONG counter = 0;
        wchar_t name[MAX_PATH];
        // Process ids come round again: a folder an earlier test could not remove is passed over.
        do {
            swprintf(name, MAX_PATH, L"%lsvelmar-test-%lu-%ld", base, GetCurrentProcessId(),
                     InterlockedIncrement(&counter));
        } while (!CreateDirectoryW(name, nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
        m_path = name;
    }
    ~TempDir() { RemoveTree(m_path); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& path() const { return m_path; }
    std::wstring Join(const std::wstring& rel) const { return m_path + L"\\" + rel; }

    std::wstring WriteFile(const std::wstring& rel, const std::string& bytes) const {
        return WriteTo(Join(rel), bytes);
    }
    static std::wstring WriteTo(const std::wstring& full, const std::string& bytes) {
        HANDLE f = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(f);
        }
        return full;
    }
    std::wstring MakeDir(const std::wstring& rel) const {
        std::wstring full = Join(rel);
        CreateDirectoryW(full.c_str(), nullptr);
        return full;
    }

    static void RemoveTree(const std::wstring& path) {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::wstring n = fd.cFileName;
                if (n == L"." || n == L"..")
                    continue;
                std::wstring full = path + L"\\" + n;
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(full);
                else
                    DeleteFileW(full.c_str());
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(path.c_str());
    }

private:
    std::wstring m_path;
};

inline std::string ReadFileBytes(const std::wstring& path) {
    std::string out;
    HANDLE f =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof(buf), &got, nullptr) && got)
        out.append(buf, got);
    CloseHandle(f);
    return out;
}

// The last-write time in Unix seconds, -1 when there is no such file.
inline int64_t ModifiedTime(const std::wstring& path) {
    struct _stat64 st;
    return _wstat64(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_mtime) : -1;
}

// Sets the last-write time from Unix seconds (as _wstat reports it).
inline void SetModifiedTime(const std::wstring& path, int64_t unixSeconds) {
    HANDLE f = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return;
    ULONGLONG t = (static_cast<ULONGLONG>(unixSeconds) + 11644473600ULL) * 10000000ULL;
    FILETIME ft{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
    SetFileTime(f, nullptr, nullptr, &ft);
    CloseHandle(f);
}

// The folder of the running test program (where the build puts every binary).
inline std::wstring BinDir() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\'));
}

inline std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, csidl, TRUE);
    return path;
}

// UTF-8, as the skin and list files are written.
inline std::string Narrow(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// The text of item `position` of the first popup of a menu resource.
inline std::wstring MenuString(HMODULE module, UINT menuId, int position) {
    HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(menuId));
    if (!menu)
        return L"<no menu>";
    wchar_t text[128] = {};
    GetMenuStringW(GetSubMenu(menu, 0), position, text, 128, MF_BYPOSITION);
    DestroyMenu(menu);
    return text;
}

// A popup menu of items by id, 0 for a separator.
inline HMENU MenuOf(std::initializer_list<UINT> ids) {
    HMENU menu = CreatePopupMenu();
    for (UINT id : ids)
        AppendMenuW(menu, id ? MF_STRING : MF_SEPARATOR, id, id ? L"x" : nullptr);
    return menu;
}

// The ids of a menu's items by position, 0 for separators and submenus.
inline std::vector<UINT> MenuIds(HMENU menu) {
    std::vector<UINT> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        out.push_back(GetMenuItemID(menu, i) == static_cast<UINT>(-1) ? 0 : GetMenuItemID(menu, i));
    return out;
}

// A timer callback that ends this thread's popup menu: its modal loop still runs timers.
inline void CALLBACK EndMenuTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}

// A shortcut file as the shell writes it; COM must be initialised by the caller.
inline bool MakeShortcut(const std::wstring& lnk, const std::wstring& target, const std::wstring& arguments = L"",
                         const std::wstring& iconFile = L"", int iconIndex = 0) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target.c_str());
    if (!arguments.empty())
        link->SetArguments(arguments.c_str());
    if (!iconFile.empty())
        link->SetIconLocation(iconFile.c_str(), iconIndex);
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Save(lnk.c_str(), TRUE));
    if (file)
        file->Release();
    link->Release();
    return ok;
}

// Shortcuts numbered first, first + step, ... below end in `folder`, each to
// `target` with its "@@@@" replaced by the number (four digits) and named after
// that target, written `number` minutes after `firstUnix`. One is saved
// through IShellLink and the others are its bytes with the number put in (the
// target's ANSI and UTF-16 copies alike): a Save takes about 50 ms under Wine.
inline bool MakeNumberedShortcuts(const std::wstring& folder, const std::wstring& target, int first, int end, int step,
                                  int64_t firstUnix) {
    const std::wstring marker = L"@@@@";
    const size_t at = target.find(marker);
    const size_t slash = target.find_last_of(L'\\');
    if (at == std::wstring::npos || slash == std::wstring::npos || at < slash)
        return false;
    const std::wstring model = folder + L"\\model.lnk.tmp";
    if (!MakeShortcut(model, target))
        return false;
    const std::string bytes = ReadFileBytes(model);
    DeleteFileW(model.c_str());
    const std::wstring name = target.substr(slash + 1);
    const size_t nameAt = at - slash - 1;
    for (int n = first; n < end; n += step) {
        char digits[8];
        snprintf(digits, sizeof(digits), "%04d", n % 10000);
        std::string copy = bytes;
        for (size_t p = 0; (p = copy.find("@@@@", p)) != std::string::npos; p += 4)
            copy.replace(p, 4, digits);
        const std::string wide("@\0@\0@\0@\0", 8);
        for (size_t p = 0; (p = copy.find(wide, p)) != std::string::npos; p += 8)
            for (int d = 0; d < 4; ++d)
                copy[p + 2 * d] = digits[d];
        std::wstring lnk = name;
        lnk.replace(nameAt, 4, std::wstring(digits, digits + 4));
        lnk = folder + L"\\" + lnk + L".lnk";
        HANDLE f = CreateFileW(lnk.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        const ULONGLONG t =
            (static_cast<ULONGLONG>(firstUnix + 60 * static_cast<int64_t>(n)) + 11644473600ULL) * 10000000ULL;
        const FILETIME time{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
        const bool ok = WriteFile(f, copy.data(), static_cast<DWORD>(copy.size()), &written, nullptr) &&
                        SetFileTime(f, nullptr, nullptr, &time);
        CloseHandle(f);
        if (!ok)
            return false;
    }
    return true;
}

// Writes a REG_SZ value, making the key when needed.
inline bool SetRegistryString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

// Puts a registry key back as the test found it: its values, or its absence
// (with everything a test created below it). Machine-wide keys such as the
// account picture's must survive a test run on a real machine.
class RegistryKeyGuard {
public:
    RegistryKeyGuard(HKEY root, std::wstring path) : m_root(root), m_path(std::move(path)) {
        HKEY key = nullptr;
        m_existed = RegOpenKeyExW(m_root, m_path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (!m_existed)
            return;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD nameLength = 256, type = 0, bytes = 0;
            if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
                break;
            Value v{name, type, std::vector<BYTE>(bytes)};
            nameLength = 256;
            RegEnumValueW(key, i, name, &nameLength, nullptr, &type, v.data.data(), &bytes);
            m_values.push_back(std::move(v));
        }
        RegCloseKey(key);
    }
    ~RegistryKeyGuard() {
        if (!m_existed) {
            RegDeleteTreeW(m_root, m_path.c_str());
            return;
        }
        HKEY key = nullptr;
        if (RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        RegDeleteTreeW(key, nullptr); // values and subkeys the test added
        for (const Value& v : m_values)
            RegSetValueExW(key, v.name.c_str(), 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
        RegCloseKey(key);
    }
    RegistryKeyGuard(const RegistryKeyGuard&) = delete;
    RegistryKeyGuard& operator=(const RegistryKeyGuard&) = delete;

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    HKEY m_root;
    std::wstring m_path;
    bool m_existed = false;
    std::vector<Value> m_values;
};
