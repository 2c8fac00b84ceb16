// A scratch installation: the programs copied from the build folder into a
// temporary folder with a skin written by the test.
#pragma once

#include "TestFiles.h"

#include <string>

class ProgramFolder : public TempDir {
public:
    // Copies the named files from the build's bin folder; returns false when one is missing.
    bool Copy(std::initializer_list<const wchar_t*> names) const {
        for (const wchar_t* n : names)
            if (!CopyFileW((BinDir() + L"\\" + n).c_str(), Join(n).c_str(), FALSE))
                return false;
        return true;
    }
    bool CopyAs(const wchar_t* from, const wchar_t* to) const {
        return CopyFileW((BinDir() + L"\\" + from).c_str(), Join(to).c_str(), FALSE) != FALSE;
    }
    // Copies the build's default skin (skin.cfg and its images folder).
    bool CopyDefaultSkin() const {
        if (!CopyFileW((BinDir() + L"\\skin.cfg").c_str(), Join(L"skin.cfg").c_str(), FALSE))
            return false;
        MakeDir(L"skin");
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((BinDir() + L"\\skin\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                CopyFileW((BinDir() + L"\\skin\\" + fd.cFileName).c_str(), Join(std::wstring(L"skin\\") + fd.cFileName).c_str(),
                          FALSE);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return true;
    }
    // Points the copied skin's list file at `path` (the default skin keeps it under the roaming folder).
    bool KeepListAt(const std::wstring& path) const {
        std::string skin = ReadFileBytes(Join(L"skin.cfg"));
        const size_t at = skin.find("SKIN.APPLIST=");
        if (at == std::string::npos)
            return false;
        skin.replace(at, skin.find('\n', at) - at, "SKIN.APPLIST=" + Narrow(path) + "\r");
        WriteFile(L"skin.cfg", skin);
        return true;
    }
};
