// The text of the properties panel and of new entries: file kind, description,
// times and sizes. Free functions; the resource strings come from the
// application module's resource instance and the skin.
#pragma once

#include <windows.h>

#include <cstdint>
#include <ctime>

// A string of the language in use; a library made before the string existed
// leaves it to the program's own (English) table. 1 when found.
int LoadUiString(UINT id, wchar_t* text, int capacity);

// 1 shortcut (".lnk"), 0 application (".exe"), -1 any other file; the case of the extension does not matter.
int AppKindFromPath(const wchar_t* path);

// The "FileDescription" version string of the file (of a shortcut's target),
// at most 127 characters; empty when there is none. Returns the length.
size_t GetFileDescription(const wchar_t* path, wchar_t* out, size_t capacity = 128);

// Writes the digits with "," between groups of three counted from the right.
size_t GroupDigits(const wchar_t* digits, wchar_t* out, size_t capacity = 128);

// A size as string 130 ("%s (%s bytes)") filled with the short form (bytes, KB, MB,
// GB, TB with two decimals) and the grouped byte count. Empty without string 130.
size_t FormatFileSize(uint64_t size, wchar_t* out, size_t capacity = 256);
size_t FormatFileSizeWith(uint64_t size, const wchar_t* sizeFormat, const wchar_t* bytesWord, wchar_t* out,
                          size_t capacity);

// A local time with string 129 (a wcsftime format), else with skin string 103
// (wcsftime form, or a format of six integers: year, month, day, hour, minute,
// second). " AM" or " PM" follows when the format used "%I". Returns the length.
size_t FormatFileTime(const tm& time, wchar_t* out, size_t capacity = 256);
size_t FormatFileTimeWith(const tm& time, const wchar_t* resourceFormat, const wchar_t* skinFormat, wchar_t* out,
                          size_t capacity);

// Format checks for text that comes from a skin file: only the conversions the
// runtime knows (time), only integer conversions and at most six (numbers).
bool IsSafeTimeFormat(const wchar_t* format);
bool IsSafeSixIntFormat(const wchar_t* format);
