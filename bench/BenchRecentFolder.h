// A Recent folder of 5,000 shortcuts, as years of opening documents leave it:
// each to a document of its own (three types) in a folder beside it, written
// a minute apart. Made in a temporary folder and removed again with it.
#pragma once

#include "TestFiles.h"

#include <windows.h>

#include <string>

class BenchRecentFolder {
public:
    static constexpr int kShortcuts = 5000;

    BenchRecentFolder() {
        m_recent = m_dir.MakeDir(L"Recent");
        const std::wstring documents = m_dir.MakeDir(L"Documents");
        static const wchar_t* const kTypes[] = {L".txt", L".docx", L".pdf"};
        for (int i = 0; i < kShortcuts; ++i) {
            wchar_t name[64];
            swprintf(name, 64, L"\\Report %04d%ls", i, kTypes[i % 3]);
            TempDir::WriteTo(documents + name, "x");
        }
        for (int type = 0; type < 3; ++type)
            if (!MakeNumberedShortcuts(m_recent, documents + L"\\Report @@@@" + kTypes[type], type, kShortcuts, 3,
                                       1600000000))
                return;
        m_ready = true;
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
