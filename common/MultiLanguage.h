// Which languages the user interface should appear in, and the satellite
// resource library of the first one installed beside the program
// (<program path without its extension>ABC.DLL, e.g. VelmarDEU.DLL).
// Both programs run this once at start-up, before any window exists.
#pragma once

#include <windows.h>

class CMultiLanguage {
public:
    static constexpr int kMaxLanguages = 10;
    static constexpr LANGID kSystemDefault = 0x0800; // abbreviated as "LOC"

    // Adds a language and its primary-language form; returns it, or 0 when the list is full.
    static LANGID AddLanguage(LANGID language);
    static void AddDefaultLanguages();
    static void DetectUILanguages();
    // The first satellite library that loads, or none; abbreviation receives the
    // abbreviation of the last candidate tried (normally "LOC" when none loaded).
    static HMODULE LoadResourceLibrary(const wchar_t* programPath, wchar_t* abbreviation, size_t length,
                                       LANGID preferred = 0);

    static int Count() { return s_count; }
    static LANGID At(int index) { return index >= 0 && index < s_count ? static_cast<LANGID>(s_languages[index]) : 0; }
    // Empties the list (the programs never do; tests start from a clean list).
    static void Reset() { s_count = 0; }

private:
    static void Append(LANGID language);
    static DWORD s_languages[kMaxLanguages];
    static int s_count;
};
