// A Recent folder of 5,000 shortcuts, as years of opening documents leave it:
// each to a document of its own (three types) in a folder beside it, written
// a minute apart. Made in a temporary folder and removed again with it.
#pragma once

#include "Handles.h"
#include "TestFiles.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

class BenchRecentFolder {
public:
    static constexpr int kShortcuts = 5000;

    BenchRecentFolder() {
        m_recent = m_dir.MakeDir(L"Recent");
        const std::wstring documents = m_dir.MakeDir(L"Documents");
        fw::ComPtr<IShellLinkW> link;
        fw::ComPtr<IPersistFile> file;
        if (FAILED(
                CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())) ||
            FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())))
            return;
        static const wchar_t* const kTypes[] = {L".txt", L".docx", L".pdf"};
        int written = 0;
        for (int i = 0; i < kShortcuts; ++i) {
            wchar_t name[64];
            swprintf(name, 64, L"Report %04d%ls", i, kTypes[i % 3]);
            const std::wstring target = TempDir::WriteTo(documents + L"\\" + name, "x");
            const std::wstring shortcut = m_recent + L"\\" + name + L".lnk";
            if (FAILED(link->SetPath(target.c_str())) || FAILED(file->Save(shortcut.c_str(), TRUE)))
                continue;
            SetModifiedTime(shortcut, 1600000000 + 60 * static_cast<int64_t>(i));
            ++written;
        }
        m_ready = written == kShortcuts;
    }
    BenchRecentFolder(const BenchRecentFolder&) = delete;
    BenchRecentFolder& operator=(const BenchRecentFolder&) = delete;

    bool Ready() const { return m_ready; }
    const std::wstring& Recent() const { return m_recent; }

private:
    TempDir m_dir;
    std::wstring m_recent;
    bool m_ready = false;
};
