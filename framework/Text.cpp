#include "Text.h"

#include <cstdio>

namespace fw {

size_t StrCopyN(wchar_t* dst, size_t capacity, const wchar_t* src, size_t count) {
    if (!dst || capacity == 0)
        return 0;
    size_t n = 0;
    if (src) {
        while (n + 1 < capacity && n < count && src[n]) {
            dst[n] = src[n];
            ++n;
        }
    }
    dst[n] = L'\0';
    return n;
}

size_t StrCopy(wchar_t* dst, size_t capacity, const wchar_t* src) { return StrCopyN(dst, capacity, src, static_cast<size_t>(-1)); }

size_t StrAppend(wchar_t* dst, size_t capacity, const wchar_t* src) {
    if (!dst || capacity == 0)
        return 0;
    size_t len = 0;
    while (len < capacity && dst[len])
        ++len;
    if (len == capacity) { // not terminated within capacity: cut it
        dst[capacity - 1] = L'\0';
        return capacity - 1;
    }
    return len + StrCopy(dst + len, capacity - len, src);
}

size_t StrFormatV(wchar_t* dst, size_t capacity, const wchar_t* format, va_list args) {
    if (!dst || capacity == 0)
        return 0;
    dst[0] = L'\0';
    if (!format)
        return 0;
    // _vsnwprintf returns -1 when the text was cut and then leaves it unterminated.
    int n = _vsnwprintf(dst, capacity, format, args);
    if (n < 0 || static_cast<size_t>(n) >= capacity) {
        dst[capacity - 1] = L'\0';
        return wcslen(dst);
    }
    return static_cast<size_t>(n);
}

size_t StrFormat(wchar_t* dst, size_t capacity, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    size_t n = StrFormatV(dst, capacity, format, args);
    va_end(args);
    return n;
}

} // namespace fw
