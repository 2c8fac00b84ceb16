// Bounded text helpers: the capacity is counted in characters and includes the
// terminator. Over-long text is cut, never an abort (unlike the runtime's _s
// functions). Every result is terminated when the capacity is at least 1.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cwchar>

namespace fw {

// Copies src into dst; returns the number of characters written (without the terminator).
size_t StrCopy(wchar_t* dst, size_t capacity, const wchar_t* src);
// Copies at most count characters of src.
size_t StrCopyN(wchar_t* dst, size_t capacity, const wchar_t* src, size_t count);
// Appends src to the text already in dst; returns the new length.
size_t StrAppend(wchar_t* dst, size_t capacity, const wchar_t* src);
// printf-style formatting with the Windows meaning of %s (wide string); returns the length written.
size_t StrFormat(wchar_t* dst, size_t capacity, const wchar_t* format, ...);
size_t StrFormatV(wchar_t* dst, size_t capacity, const wchar_t* format, va_list args);

template <size_t N> size_t StrCopy(wchar_t (&dst)[N], const wchar_t* src) { return StrCopy(dst, N, src); }
template <size_t N> size_t StrAppend(wchar_t (&dst)[N], const wchar_t* src) { return StrAppend(dst, N, src); }

} // namespace fw
