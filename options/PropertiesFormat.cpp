#include "Properties.h"

#include "AppModule.h"
#include "Skin.h"
#include "Text.h"
#include "Utils.h"
#include "resource.h"

#include <cstdlib>
#include <cwchar>
#include <cwctype>

int AppKindFromPath(const wchar_t* path) {
    const wchar_t* dot = path ? wcsrchr(path, L'.') : nullptr;
    if (!dot || wcschr(dot, L'\\'))
        return -1;
    if (_wcsicmp(dot, L".lnk") == 0)
        return 1;
    if (_wcsicmp(dot, L".exe") == 0)
        return 0;
    return -1;
}

size_t GetFileDescription(const wchar_t* path, wchar_t* out, size_t capacity) {
    if (!out || capacity == 0)
        return 0;
    wchar_t description[128] = {};
    GetProgramDescription(path, description, 128);
    return fw::StrCopy(out, capacity, description);
}

size_t GroupDigits(const wchar_t* digits, wchar_t* out, size_t capacity) {
    if (!out || capacity == 0)
        return 0;
    out[0] = 0;
    if (!digits)
        return 0;
    size_t n = wcslen(digits);
    size_t r = n % 3;
    size_t length = 0;
    auto put = [&](wchar_t c) {
        if (length + 1 < capacity) {
            out[length++] = c;
            out[length] = 0;
        }
    };
    for (size_t i = 0; i < r; ++i)
        put(digits[i]);
    if (r && n > r)
        put(L',');
    for (size_t i = r; i < n; ++i) {
        put(digits[i]);
        if ((i - r) % 3 == 2 && i + 1 < n)
            put(L',');
    }
    return length;
}

size_t FormatFileSizeWith(uint64_t size, const wchar_t* sizeFormat, const wchar_t* bytesWord, wchar_t* out,
                          size_t capacity) {
    if (!out || capacity == 0)
        return 0;
    out[0] = 0;
    if (!sizeFormat || !sizeFormat[0])
        return 0;
    const uint64_t kKB = 1024, kMB = kKB << 10, kGB = kMB << 10, kTB = kGB << 10;
    wchar_t shortForm[64] = {};
    if (size < kKB)
        fw::StrFormat(shortForm, 64, L"%u %s", static_cast<unsigned>(size), bytesWord ? bytesWord : L"");
    else if (size < kMB)
        fw::StrFormat(shortForm, 64, L"%.2f KB", static_cast<double>(size) / kKB);
    else if (size < kGB)
        fw::StrFormat(shortForm, 64, L"%.2f MB", static_cast<double>(size) / kMB);
    else if (size < kTB)
        fw::StrFormat(shortForm, 64, L"%.2f GB", static_cast<double>(size) / kGB);
    else
        fw::StrFormat(shortForm, 64, L"%.2f TB", static_cast<double>(size) / kTB);
    wchar_t digits[32] = {};
    fw::StrFormat(digits, 32, L"%I64u", static_cast<unsigned long long>(size));
    wchar_t longForm[128] = {};
    GroupDigits(digits, longForm, 128);
    return fw::StrFormat(out, capacity, sizeFormat, shortForm, longForm);
}

size_t FormatFileSize(uint64_t size, wchar_t* out, size_t capacity) {
    HINSTANCE resources = fw::gModule.GetResourceInstance();
    wchar_t sizeFormat[128] = {};
    wchar_t bytesWord[128] = {};
    ::LoadStringW(resources, IDS_SIZE_FORMAT, sizeFormat, 128);
    ::LoadStringW(resources, IDS_BYTES, bytesWord, 128);
    return FormatFileSizeWith(size, sizeFormat, bytesWord, out, capacity);
}

bool IsSafeTimeFormat(const wchar_t* format) {
    if (!format)
        return false;
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%')
            continue;
        ++p;
        if (*p == L'#')
            ++p;
        if (!*p || !wcschr(L"aAbBcdHIjmMpSUwWxXyYzZ%", *p))
            return false;
    }
    return true;
}

bool IsSafeSixIntFormat(const wchar_t* format) {
    if (!format)
        return false;
    int conversions = 0;
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%')
            continue;
        ++p;
        if (*p == L'%')
            continue;
        while (*p && wcschr(L"-+ 0#", *p))
            ++p;
        while (iswdigit(*p))
            ++p;
        if (*p == L'.') {
            ++p;
            while (iswdigit(*p))
                ++p;
        }
        if (*p == L'l' || *p == L'h')
            ++p;
        if (!*p || !wcschr(L"diouxX", *p))
            return false;
        if (++conversions > 6)
            return false;
    }
    return true;
}

namespace {
bool HasAny(const wchar_t* text, std::initializer_list<const wchar_t*> needles) {
    for (const wchar_t* n : needles)
        if (wcsstr(text, n))
            return true;
    return false;
}
} // namespace

size_t FormatFileTimeWith(const tm& time, const wchar_t* resourceFormat, const wchar_t* skinFormat, wchar_t* out,
                          size_t capacity) {
    if (!out || capacity == 0)
        return 0;
    out[0] = 0;
    bool twelveHour = false;
    size_t length = 0;
    if (resourceFormat && resourceFormat[0] && IsSafeTimeFormat(resourceFormat)) {
        twelveHour = wcsstr(resourceFormat, L"%I") != nullptr;
        length = wcsftime(out, capacity, resourceFormat, &time);
    }
    if (length == 0 && skinFormat && skinFormat[0]) {
        out[0] = 0;
        if (HasAny(skinFormat, {L"%Y", L"%A", L"%H", L"%I", L"%M", L"%S", L"%B"})) {
            twelveHour = wcsstr(skinFormat, L"%I") != nullptr;
            length = IsSafeTimeFormat(skinFormat) ? wcsftime(out, capacity, skinFormat, &time) : 0;
        } else {
            twelveHour = false;
            if (IsSafeSixIntFormat(skinFormat))
                length = fw::StrFormat(out, capacity, skinFormat, time.tm_year + 1900, time.tm_mon + 1, time.tm_mday,
                                       time.tm_hour, time.tm_min, time.tm_sec);
        }
    }
    if (length == 0) {
        out[0] = 0;
        return 0;
    }
    if (twelveHour) {
        // One blank before the half of the day, also after a format that ends in one (string 129 does).
        while (length && out[length - 1] == L' ')
            out[--length] = 0;
        length = fw::StrAppend(out, capacity, time.tm_hour >= 12 ? L" PM" : L" AM");
    }
    return length;
}

size_t FormatFileTime(const tm& time, wchar_t* out, size_t capacity) {
    wchar_t resourceFormat[128] = {};
    ::LoadStringW(fw::gModule.GetResourceInstance(), IDS_TIME_FORMAT, resourceFormat, 128);
    wchar_t skinFormat[128] = {};
    gSkin.GetString(103, skinFormat, 128);
    return FormatFileTimeWith(time, resourceFormat, skinFormat, out, capacity);
}

int LoadUiString(UINT id, wchar_t* text, int capacity) {
    if (::LoadStringW(fw::gModule.GetResourceInstance(), id, text, capacity))
        return 1;
    return ::LoadStringW(::GetModuleHandleW(nullptr), id, text, capacity) ? 1 : 0;
}
