// The generated Start Menu every benchmark row runs with: 2,000 shortcuts in
// 200 folders of the user's programs folder of the prefix the benchmark runs
// in. Written when the object is made and removed again when it goes, so
// that no prefix keeps it after the run.
#pragma once

#include "Handles.h"
#include "TestFiles.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

class BenchStartMenu {
public:
    static constexpr int kFolders = 200;
    static constexpr int kPerFolder = 10;

    BenchStartMenu() {
        wchar_t programs[MAX_PATH] = {};
        if (!SHGetSpecialFolderPathW(nullptr, programs, CSIDL_PROGRAMS, TRUE))
            return;
        m_programs = programs;
        fw::ComPtr<IShellLinkW> link;
        fw::ComPtr<IPersistFile> file;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    link.put_void())) ||
            FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())))
            return;
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        link->SetPath(self);
        int written = 0;
        for (int f = 0; f < kFolders; ++f) {
            const std::wstring folder = Folder(f);
            if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
                return;
            m_folders.push_back(folder);
            for (int s = 0; s < kPerFolder; ++s) {
                const std::wstring lnk = folder + L"\\Tool " + std::to_wstring(s) + L".lnk";
                if (GetFileAttributesW(lnk.c_str()) != INVALID_FILE_ATTRIBUTES ||
                    SUCCEEDED(file->Save(lnk.c_str(), TRUE)))
                    ++written;
            }
        }
        m_ready = written == kFolders * kPerFolder;
    }
    ~BenchStartMenu() {
        for (const std::wstring& folder : m_folders)
            TempDir::RemoveTree(folder);
    }
    BenchStartMenu(const BenchStartMenu&) = delete;
    BenchStartMenu& operator=(const BenchStartMenu&) = delete;

    bool Ready() const { return m_ready; }
    const std::wstring& Programs() const { return m_programs; }
    std::wstring Folder(int n) const {
        wchar_t name[32];
        swprintf(name, 32, L"\\Bench Folder %03d", n);
        return m_programs + name;
    }

private:
    std::wstring m_programs;
    std::vector<std::wstring> m_folders;
    bool m_ready = false;
};
