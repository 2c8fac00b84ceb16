// Reading the Recent folder's shortcuts (RecentDocsRead.cpp), for CRecentDocs: what each shortcut
// names is kept between readings, keyed by its name, size and last write, so
// a folder read again after a change opens only the shortcuts that are new.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

struct RecentDocument;

// What one shortcut names, as its file stood when it was opened.
struct RecentShortcut {
    FILETIME written{};
    ULONGLONG size = 0;
    bool document = false;   // false: broken, a program alone, or no file system path
    std::wstring strPath;    // the document (the target, or the document a program shortcut names)
    std::wstring strProgram; // the program the shortcut names, empty when none
    DWORD attributes = 0;    // as the shortcut recorded them (INVALID_FILE_ATTRIBUTES when unknown)
};
using RecentShortcutCache = std::unordered_map<std::wstring, RecentShortcut>;

// Reads `folder` into `documents` newest first, at most `max` of them;
// `cache` (may be null) gives the shortcuts opened before and keeps those
// opened now, and loses those no longer in the folder.
void ReadRecentFolder(const std::wstring& folder, const volatile LONG* stop, RecentShortcutCache* cache, size_t max,
                      std::vector<RecentDocument>* documents);

// The kind of each drive letter (GetDriveType), asked once per reading.
class DriveKinds {
public:
    // DRIVE_FIXED, DRIVE_REMOTE, ...; DRIVE_REMOTE for a UNC path, DRIVE_UNKNOWN for anything else.
    UINT Of(const std::wstring& path);
    // A local fixed drive (or RAM disk): there a missing target is gone for good.
    bool Local(const std::wstring& path) {
        const UINT kind = Of(path);
        return kind == DRIVE_FIXED || kind == DRIVE_RAMDISK;
    }

private:
    UINT m_kinds[26] = {};
    bool m_asked[26] = {};
};

// What the shortcut at `shortcut` names, read without touching the network:
// the target's path as recorded, resolved (no UI, no search, no tracking) only
// where it lies on a local fixed drive.
RecentShortcut OpenRecentShortcut(const std::wstring& shortcut, DriveKinds* drives);
