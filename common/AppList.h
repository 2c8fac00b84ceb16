// The application list file: the pinned applications, one entry per line.
//
//   # Application List
//   # encoding: UTF-8
//   APP=<name>|app|<path>      an application (kind 0)
//   LNK=<name>|lnk|<path>      a shortcut file (kind 1)
//
// Both programs read it with ReadAppList; only the options program writes it,
// with SaveAppList. The two readers differ only in AppListReadOptions.
//
// Reading: the raw bytes are decoded here (UTF-8 with or without its mark,
// UTF-16 LE with its mark; a UTF-16 BE mark is an open failure), CR LF and LF
// end a line, and a physical line longer than 2047 characters reaches the
// parser in pieces of 2047, each taken as a line. Over-long keys, names and
// paths are cut to their fields; nothing in the file can end the program.
//
// Writing: UTF-8 with its mark and CR LF, into a temporary file beside the list
// that then replaces the list in one step, so a failed save leaves the old list
// as it was and a reader never sees half a file.
//
// COM must be initialised on the calling thread for shortcut icons.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int kAppKindOther = -1;      // neither ".lnk" nor ".exe"; never written
constexpr int kAppKindApplication = 0; // "APP"
constexpr int kAppKindShortcut = 1;    // "LNK"

constexpr size_t kAppListPieceLength = 2047; // characters of a line handed to the parser at once
constexpr size_t kAppListNameCapacity = 256;
constexpr size_t kAppListPathCapacity = 260;

// One entry line, as the parser gives it.
struct AppListLine {
    int nKind = kAppKindApplication;
    wchar_t szName[kAppListNameCapacity] = {};
    wchar_t szPath[kAppListPathCapacity] = {};
};

// One entry of a list. Icons made by ReadAppList belong to its caller
// (ReleaseAppListIcons destroys them); SaveAppList ignores the icon.
struct AppListEntry {
    wchar_t szName[kAppListNameCapacity] = {};
    int nKind = kAppKindApplication;
    wchar_t szPath[kAppListPathCapacity] = {};
    HICON hIcon = nullptr;
    // The whole name when it is longer than szName holds (read with bWholeLines);
    // SaveAppList writes it instead of szName.
    std::wstring sLongName;
};

struct AppListReadOptions {
    int bSkipMissing = 0;     // skip entries whose path names no file or folder (the menu)
    size_t nMaxEntries = 0;   // stop after this many entries; 0 reads them all
    int bSmallIcons = 0;      // 16-pixel icons instead of 32-pixel ones
    int nDpi = 96;            // the icons' sizes are for this DPI
    // Keep an entry whose icon cannot be had (deleted file, unplugged drive) with a
    // generic icon, so that an editor writes it back instead of losing it.
    int bKeepWithoutIcon = 0;
    // When set, receives the write time (as FileChangedSince gives it) of the very
    // file that was read, after a good read.
    int64_t* pChangeStamp = nullptr;
    // A line of any length is one line, and a name longer than szName holds is
    // kept whole in sLongName, so that an editor writes it back as it was.
    int bWholeLines = 0;
    // With bKeepWithoutIcon: leave hIcon empty; the caller asks ResolveAppListEntry
    // for the rows it shows, so a list of any length is read at once.
    int bIconsLater = 0;
};

enum class AppListStatus {
    Ok,         // read (possibly no entries)
    NoFile,     // empty path, or no file at the path
    OpenFailed, // a file is there but cannot be opened or decoded
};

// Reads the list at path and appends its entries to *entries in file order.
// On OpenFailed, *error (when given) receives the Windows error code.
AppListStatus ReadAppList(const wchar_t* path, const AppListReadOptions& options,
                          std::vector<AppListEntry>* entries, DWORD* error = nullptr);
// The same, handing each entry to take as it is read (take may move from it): a
// long list is then never held twice.
AppListStatus ReadAppList(const wchar_t* path, const AppListReadOptions& options,
                          const std::function<void(AppListEntry&)>& take, DWORD* error = nullptr);
void ReleaseAppListIcons(std::vector<AppListEntry>* entries);
// The icon (and, for an empty name, the shell's display name) of an entry read
// with bIconsLater, as ReadAppList would have given them. 1 when it has an icon,
// which the caller owns. link may be null.
int ResolveAppListEntry(AppListEntry* entry, const AppListReadOptions& options, IShellLinkW* link);

// Writes entries of kind 0 and 1 in list order; others write nothing. 1 on success,
// 0 on failure (the old file is then untouched). Inside a class that has its own
// SaveAppList member, call it as ::SaveAppList.
int SaveAppList(const wchar_t* path, const std::vector<AppListEntry>& entries);

// The pure steps, for tests and for callers that hold text already.

// Parses one line (a piece of at most 2047 characters, line feed included or not).
// 1 for an entry line, 0 for a line to skip (empty, "#" comment, no "=").
int ParseAppListLine(const wchar_t* line, AppListLine* out);
// Decodes the file's bytes by their mark. 0 for a UTF-16 BE mark, which is refused.
int DecodeAppListBytes(const std::string& bytes, std::wstring* text);
// Splits decoded text into the pieces the parser sees: CR LF and LF end a line (the
// pieces keep a single LF), and a longer line comes in pieces of 2047 characters.
// pieceLength 0: a line of any length is one piece.
void SplitAppListLines(const std::wstring& text, std::vector<std::wstring>* pieces,
                       size_t pieceLength = kAppListPieceLength);
// The file's bytes as SaveAppList writes them.
std::string FormatAppList(const std::vector<AppListEntry>& entries);
