// Shared helpers of both programs: paths, files, listings, shortcuts, registry
// reads by textual key path, detached launching, version strings, special
// folders and the error box. Stateless; results are returned to the caller.
// Fixed buffers have the documented capacities and over-long text is cut.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "Handles.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kPathCapacity = 260;
constexpr size_t kDriveCapacity = 3;
constexpr size_t kPartCapacity = 256;

// Paths and files
void SplitPath(const wchar_t* path, wchar_t* drive, wchar_t* directory, wchar_t* name, wchar_t* extension);
void MakePath(wchar_t* out, const wchar_t* drive, const wchar_t* directory, const wchar_t* name,
              const wchar_t* extension);
void CopyPath(wchar_t* out, const wchar_t* text);
void AppendPath(wchar_t* out, const wchar_t* text);
int FileExists(const wchar_t* path);
// Compares the file's write time (WriteTimeStamp) with *stamp; on a difference stores it and returns 1.
int FileChangedSince(const wchar_t* path, int64_t* stamp);
int64_t WriteTimeStamp(const FILETIME& written);

// One level of a folder: "." "..", hidden entries skipped; either list may be null.
void ListDirectory(std::vector<std::wstring>* files, std::vector<std::wstring>* folders, const wchar_t* directory);
bool CompareByFileName(const std::wstring& a, const std::wstring& b);
int32_t HashNameNoCase(const wchar_t* text, size_t count);
uint32_t HashPath(const wchar_t* text, size_t count);

// Shortcuts (COM initialised on the calling thread)
int GetShortcutTarget(const wchar_t* shortcut, wchar_t* out, size_t capacity);
// The icons are asked for at their size at dpi (32 or 16 pixels at 96 DPI).
HICON GetShortcutIcon(const wchar_t* shortcut, int small, IShellLinkW* link, int dpi = 96);

// Registry
LONG ReadRegistryValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName, void* data, DWORD* size);
LONG ReadRegistryValueByPath(const wchar_t* fullPath, const wchar_t* valueName, void* data, DWORD* size);

// Starts file with the verb "open" on a worker thread and returns at once. A
// launch the shell cannot perform is reported in a message box on the calling
// thread, from its message loop (the first launch of a thread makes a
// message-only window for that).
int LaunchDetached(const wchar_t* file, const wchar_t* parameters);
// The calling thread's window that shows a launch's failure (made at the first
// call): a launch on a worker of that thread tells it with PostLaunchFailure.
HWND LaunchReportWindow();
// Has `report`'s thread show that `name` could not be started, with the
// system's text for `error` (ERROR_SUCCESS: none). False when it cannot be told.
bool PostLaunchFailure(HWND report, const wchar_t* name, DWORD error);
// The taskbar's properties, started the same way.
int LaunchTaskbarProperties();

// Version resources: the block is malloc'ed and freed by the caller with free().
void* GetFileVersionBlock(const wchar_t* file, DWORD** translation);
int GetFileVersionString(wchar_t* out, size_t capacity, const void* block, const DWORD* translation,
                         const wchar_t* name);
// "FileDescription" of a shortcut's target (or of the file itself when it is
// no shortcut); 1 when the file has version information, else 0 with the
// output untouched.
int GetProgramDescription(const wchar_t* path, wchar_t* out, size_t capacity);

// Shell folders by CSIDL: the item id list (empty on failure), the path, and
// opening an item id list with the verb "open".
fw::UniquePidl GetSpecialFolderIdList(HWND window, int folder);
int GetSpecialFolderPath(HWND window, wchar_t* path, int folder);
void OpenIdList(LPCITEMIDLIST idList);
int ShowErrorBox(UINT textId, UINT captionId, HWND owner);
int RectScreenToClient(HWND window, RECT* rect);
// The client area is the whole window: no border, caption or shown scroll bar.
bool HasNoFrame(HWND window);

// The fallback tables of GetFileVersionString, exposed for tests.
extern const WORD kVersionCodePages[12];
extern const WORD kVersionLanguages[45];
