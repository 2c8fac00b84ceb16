#include "MultiLanguage.h"

#include "Handles.h"
#include "SystemFunction.h"
#include "Text.h"
#include "Trace.h"

#include <cstdio>

DWORD CMultiLanguage::s_languages[CMultiLanguage::kMaxLanguages];
int CMultiLanguage::s_count = 0;

void CMultiLanguage::Append(LANGID language) {
    if (s_count < kMaxLanguages)
        s_languages[s_count++] = language;
}

LANGID CMultiLanguage::AddLanguage(LANGID language) {
    // The test is on the identifier itself, so one converted value may appear twice.
    for (int i = 0; i < s_count; ++i)
        if (s_languages[i] == language)
            return language;
    if (s_count >= kMaxLanguages)
        return 0;
    Append(static_cast<LANGID>(::ConvertDefaultLocale(language)));
    if (s_count >= kMaxLanguages)
        return 0;
    Append(static_cast<LANGID>(::ConvertDefaultLocale(language & 0x3FF)));
    return language;
}

void CMultiLanguage::AddDefaultLanguages() {
    AddLanguage(::GetUserDefaultLangID());
    AddLanguage(::GetSystemDefaultLangID());
}

namespace {
LANGID g_ntdllLanguage = 0;
BOOL CALLBACK KeepLastLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR) {
    g_ntdllLanguage = language;
    return TRUE;
}
} // namespace

void CMultiLanguage::DetectUILanguages() {
    using LangFn = LANGID(WINAPI*)();
    auto userUi = fw::SystemFunction<LangFn>(L"kernel32.dll", "GetUserDefaultUILanguage");
    if (userUi) {
        AddLanguage(userUi());
        auto systemUi = fw::SystemFunction<LangFn>(L"kernel32.dll", "GetSystemDefaultUILanguage");
        if (!systemUi)
            return;
        AddLanguage(systemUi());
    } else if (static_cast<LONG>(::GetVersion()) < 0) {
        fw::UniqueRegKey key;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop\\ResourceLocale", 0, KEY_READ, key.put()) ==
            ERROR_SUCCESS) {
            wchar_t value[16] = {};
            DWORD type = 0, size = sizeof(value) - sizeof(wchar_t);
            unsigned int locale = 0;
            if (::RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                    ERROR_SUCCESS &&
                type == REG_SZ && swscanf(value, L"%x", &locale) == 1)
                AddLanguage(static_cast<LANGID>(locale));
        }
    } else {
        g_ntdllLanguage = 0;
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        if (ntdll)
            ::EnumResourceLanguagesW(ntdll, RT_VERSION, MAKEINTRESOURCEW(1), KeepLastLanguage, 0);
        if (g_ntdllLanguage)
            AddLanguage(g_ntdllLanguage);
    }
    if (s_count >= kMaxLanguages)
        s_languages[kMaxLanguages - 1] = kSystemDefault;
    else
        Append(kSystemDefault);
}

HMODULE CMultiLanguage::LoadResourceLibrary(const wchar_t* programPath, wchar_t* abbreviation, size_t length,
                                            LANGID preferred) {
    if (!programPath)
        return nullptr;
    LANGID work[kMaxLanguages + 1];
    int n = 0;
    if (preferred)
        work[n++] = preferred;
    for (int i = 0; i < s_count; ++i)
        if (s_languages[i])
            work[n++] = static_cast<LANGID>(s_languages[i]);

    const size_t pathLength = wcslen(programPath);
    for (int i = 0; i < n; ++i) {
        wchar_t abbrev[4] = {};
        if (work[i] == kSystemDefault) {
            fw::StrCopy(abbrev, 4, L"LOC");
        } else if (!::GetLocaleInfoW(MAKELCID(work[i], SORT_DEFAULT), LOCALE_SABBREVLANGNAME, abbrev, 4)) {
            return nullptr;
        }
        // The library name must fit a path buffer: path - extension + "ABC.DLL".
        if (pathLength < 4 || pathLength - 3 + 8 >= 274)
            return nullptr;
        wchar_t name[MAX_PATH + 16];
        fw::StrCopyN(name, MAX_PATH + 16, programPath, pathLength - 4);
        fw::StrAppend(name, MAX_PATH + 16, abbrev);
        fw::StrAppend(name, MAX_PATH + 16, L".DLL");
        if (abbreviation && length)
            fw::StrCopy(abbreviation, length, abbrev);
        HMODULE module = ::LoadLibraryW(name);
        if (module)
            return module;
        Trace(L"Satellite library not found: %s\n", name);
    }
    return nullptr;
}
