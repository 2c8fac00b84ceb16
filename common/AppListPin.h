// Pinning from the menu, and the checks that keep the two writers of the list
// file from undoing each other's changes.
//
// The menu changes the list by reading the whole file, editing the entries and
// writing them back with SaveAppList (the one writer, an atomic replace). It
// never writes a file it could not read. The options program keeps a
// fingerprint of what it read and, before it saves, sees whether the file
// changed since (for example, the menu pinned something meanwhile).
//
// Packaged apps are application entries whose path is
// "shell:AppsFolder\<application user model id>" (PackagedApps.h).
#pragma once

#include "AppList.h"

#include <windows.h>

#include <cstdint>
#include <string>

// The kind an entry for this path gets: a ".lnk" file is a shortcut, anything
// else (programs, packaged apps) an application.
int AppListKindOf(const wchar_t* path);

enum class PinResult {
    Pinned,        // the entry was added at the end and the file written
    AlreadyPinned, // an entry had that path: nothing written
    Unpinned,      // every entry with that path was removed and the file written
    NotPinned,     // no entry had that path: nothing written
    NoListFile,    // the skin names no list file
    ReadFailed,    // the file is there but cannot be read: left as it was
    WriteFailed,   // the save failed: the old file is untouched
};

// Paths are compared without regard to case. An empty name is saved as the
// file's name without its extension.
PinResult PinToAppList(const wchar_t* listPath, const wchar_t* name, const wchar_t* path);
PinResult UnpinFromAppList(const wchar_t* listPath, const wchar_t* path);
// 1 when an entry of the list has that path (a list that cannot be read has none).
int IsPinnedInAppList(const wchar_t* listPath, const wchar_t* path);

// What a reader saw of the list file: enough to tell a later change of content.
struct AppListFingerprint {
    int bExists = 0;
    uint64_t nSize = 0;
    int64_t nTime = 0; // write time as WriteTimeStamp gives it
    uint64_t nHash = 0;
};
// The fingerprint of bytes as they are (or will be) on disk.
AppListFingerprint FingerprintOfBytes(const std::string& bytes);
// The file's fingerprint now; 0 when a file is there but cannot be read
// (then *print says it exists, with no size or hash).
int TakeAppListFingerprint(const wchar_t* path, AppListFingerprint* print);
// 1 when the file's content differs from what was seen (appeared, vanished,
// other bytes). A new write time alone with the same bytes is no change:
// nothing would be lost. A file that cannot be read now (a folder in its
// place, held open) counts as unchanged: reading it again could not help,
// and the save that follows reports its own failure.
int AppListChangedSince(const wchar_t* path, const AppListFingerprint& seen);
