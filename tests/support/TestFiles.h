// Scratch folders and files for tests; everything is removed again.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>

class TempDir {
public:
    TempDir() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        static LONG counter = 0;
        wchar_t name[MAX_PATH];
        // Always a folder of its own: process ids come again, and an earlier
        // process may have left its folder behind (a file still open then).
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
        std::wstring full = Join(rel);
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
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof(buf), &got, nullptr) && got)
        out.append(buf, got);
    CloseHandle(f);
    return out;
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
