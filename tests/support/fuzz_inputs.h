// Seeded random damage for skin files and application lists. The same seed
// and case number always give the same bytes, so a failing case is replayed
// with VELMAR_FUZZ_SEED and VELMAR_FUZZ_FIRST (see FuzzPlan below).
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// Milliseconds spent in one stage of the cases, for the summary line.
struct FuzzClock {
    double ms = 0;
    template <class F> void Time(F work) {
        LARGE_INTEGER f, a, b;
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&a);
        work();
        QueryPerformanceCounter(&b);
        ms += static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
    }
};

// splitmix64: tiny, and unlike the standard distributions the same on every library.
class FuzzRandom {
public:
    explicit FuzzRandom(uint64_t seed) : m_state(seed) {}
    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1 (n > 0)
    size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
    bool OneIn(size_t n) { return Below(n) == 0; }
    template <class T> const T& Pick(const std::vector<T>& from) { return from[Below(from.size())]; }
    std::string Bytes(size_t n) {
        std::string out(n, '\0');
        for (char& c : out)
            c = static_cast<char>(Next() & 0xFF);
        return out;
    }

private:
    uint64_t m_state;
};

// How many cases a run tries. Every case goes through the file readers; every
// windowEvery-th case also through the real windows. make test uses the
// defaults; make fuzz sets VELMAR_FUZZ_CASES=10000 and VELMAR_FUZZ_WINDOW_EVERY=1.
// VELMAR_FUZZ_FIRST replays from one case on.
struct FuzzPlan {
    uint64_t seed;
    size_t first;
    size_t count;
    size_t windowEvery;

    static FuzzPlan FromEnvironment(size_t defaultCount, size_t defaultWindowEvery) {
        auto number = [](const char* name, uint64_t fallback) {
            const char* text = getenv(name);
            return text && *text ? static_cast<uint64_t>(_strtoui64(text, nullptr, 0)) : fallback;
        };
        return {number("VELMAR_FUZZ_SEED", 0x5EED1500ull), static_cast<size_t>(number("VELMAR_FUZZ_FIRST", 0)),
                static_cast<size_t>(number("VELMAR_FUZZ_CASES", defaultCount)),
                static_cast<size_t>(number("VELMAR_FUZZ_WINDOW_EVERY", defaultWindowEvery))};
    }
    bool WithWindows(size_t n) const { return windowEvery <= 1 || n % windowEvery == 0; }
    // The cases of one shard out of `shards` (each test process takes one).
    void Shard(size_t index, size_t shards, size_t* begin, size_t* end) const {
        const size_t per = (count + shards - 1) / shards;
        *begin = first + index * per;
        *end = first + (index + 1) * per < first + count ? first + (index + 1) * per : first + count;
    }
    uint64_t CaseSeed(size_t n) const { return seed * 1000003ull + n; }
};

inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end + 1 - at));
        at = end + 1;
    }
    return lines;
}

inline std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines)
        out += l;
    return out;
}

// Bytes that decoders trip over: every byte-order mark, broken UTF-8, NULs, lone CRs.
inline std::vector<std::string> NastyPieces() {
    return {std::string("\xEF\xBB\xBF"), std::string("\xFF\xFE"), std::string("\xFE\xFF"),
            std::string("\xFF\xFE\0\0", 4), std::string("\0\0\xFE\xFF", 4), std::string("+/v8"),
            std::string("\xF7\x64\x4C"), std::string("\xDD\x73\x66\x73"), std::string("\x0E\xFE\xFF"),
            std::string("\xFB\xEE\x28"), std::string("\x84\x31\x95\x33"), std::string("\xC0\x80"),
            std::string("\xED\xA0\x80"), std::string("\xED\xBF\xBF"), std::string("\xF8\x88\x80\x80\x80"),
            std::string("\x80\x80\x80"), std::string("\xE2\x82"), std::string("\xF4\x90\x80\x80"),
            std::string("\0", 1), std::string("\0\0\0\0", 4), std::string("\r"), std::string("\r\r\n"),
            std::string("\xCC\x81\xCC\x81\xCC\x81"), std::string("\xEF\xBF\xBF"), std::string("\xE2\x80\xAE"),
            std::string("%s%n%ls%d%%%p"), std::string("=|=|=|")};
}

// One random edit of a text file's bytes, common to both kinds of file.
inline void MutateBytes(FuzzRandom& rnd, std::string* bytes) {
    switch (rnd.Below(8)) {
    case 0: // random bytes somewhere
        bytes->insert(rnd.Below(bytes->size() + 1), rnd.Bytes(1 + rnd.Below(64)));
        break;
    case 1: // cut short
        bytes->resize(rnd.Below(bytes->size() + 1));
        break;
    case 2: // overwrite a run
        if (!bytes->empty()) {
            const size_t at = rnd.Below(bytes->size());
            const std::string noise = rnd.Bytes(1 + rnd.Below(16));
            bytes->replace(at, noise.size(), noise);
        }
        break;
    case 3: // a nasty piece somewhere, or at the very start
        bytes->insert(rnd.OneIn(3) ? 0 : rnd.Below(bytes->size() + 1), rnd.Pick(NastyPieces()));
        break;
    case 4: { // CR without LF everywhere
        std::string out;
        for (char c : *bytes)
            if (c != '\n')
                out += c;
        *bytes = out;
        break;
    }
    case 5: // flip a few bits
        for (int i = 0; i < 8 && !bytes->empty(); ++i)
            (*bytes)[rnd.Below(bytes->size())] ^= static_cast<char>(1 << rnd.Below(8));
        break;
    case 6: { // a line repeated many times
        std::vector<std::string> lines = SplitLines(*bytes);
        const std::string line = rnd.Pick(lines);
        lines.insert(lines.begin() + static_cast<long>(rnd.Below(lines.size() + 1)), 1 + rnd.Below(40), line);
        *bytes = JoinLines(lines);
        break;
    }
    default: { // lines dropped or swapped
        std::vector<std::string> lines = SplitLines(*bytes);
        if (lines.size() > 1) {
            const size_t a = rnd.Below(lines.size()), b = rnd.Below(lines.size());
            if (rnd.OneIn(2))
                std::swap(lines[a], lines[b]);
            else
                lines.erase(lines.begin() + static_cast<long>(a));
        }
        *bytes = JoinLines(lines);
        break;
    }
    }
}

// The text as UTF-16 LE with its mark (Windows' own "Unicode" files).
inline std::string AsUtf16(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

// Numbers that overflow, underflow or mean nothing.
inline std::vector<std::string> NastyNumbers() {
    return {"-1", "0", "-2147483648", "2147483647", "2147483648", "-2147483649", "4294967296",
            "99999999999999999999999", "-99999999999", "0x7FFFFFFF", "1e9", "  12", "+5", "--3", "", "NaN", "65536",
            "-65536", "32768", "100000"};
}

// Text that Wine 8's shaping (usp10, which every edit control and DrawText use)
// cannot take, in two forms, each shown by a program of a few lines:
// - a run of right-to-left text that begins with a combining mark:
//   ScriptStringAnalyse on U+05B8 U+0628 reads before the start of its glyph
//   array and faults in gdi32 (GPOS_apply_MarkToLigature);
// - the Thai vowel SARA AM (U+0E33) that does not follow Thai text: DrawTextW
//   on "a" U+0E33 splits the vowel in two and writes past its glyph buffer,
//   which the heap checker reports as "mismatching heap" when the block is freed.
// The text is short and well formed UTF-16: nothing of ours to mend. Under Wine
// such text goes through the reader and the writer only and is counted apart.
// The checks err on the side of skipping.
inline bool RunningOnWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

inline bool IsRightToLeftMark(wchar_t c) {
    return (c >= 0x0591 && c <= 0x05C7) || (c >= 0x0610 && c <= 0x061A) || (c >= 0x064B && c <= 0x065F) ||
           c == 0x0670 || (c >= 0x06D6 && c <= 0x06ED);
}

inline bool IsThai(wchar_t c) { return c >= 0x0E01 && c <= 0x0E5B; }

inline bool WineCannotShape(const wchar_t* text) {
    bool markWithoutBase = false;
    for (const wchar_t* p = text; *p; ++p) {
        if (*p == 0x0E33 && (p == text || !IsThai(p[-1])))
            return true;
        if (IsRightToLeftMark(*p)) {
            markWithoutBase |= p == text || p[-1] < 0x0590 || p[-1] > 0x08FF;
        } else if (markWithoutBase && *p >= 0x0620 && *p <= 0x06FF) {
            return true;
        }
    }
    return false;
}

// Entries (of the application list) whose name or path Wine cannot shape.
template <class Entry>
bool WineCannotShape(const std::vector<Entry>& entries) {
    if (!RunningOnWine())
        return false;
    for (const Entry& e : entries)
        if (WineCannotShape(e.szName) || WineCannotShape(e.szPath))
            return true;
    return false;
}

// One damaged application list: a good list (an application, a shortcut, the
// two comment lines) with one to four edits.
inline std::string MutatedList(FuzzRandom& rnd, const std::string& program, const std::string& shortcut) {
    std::string text = "\xEF\xBB\xBF# Application List\r\n# encoding: UTF-8\r\nAPP=Program|app|" + program +
                       "\r\nLNK=Shortcut|lnk|" + shortcut + "\r\nAPP=|app|" + program + "\r\n";
    const size_t edits = 1 + rnd.Below(4);
    for (size_t e = 0; e < edits; ++e) {
        const size_t at = rnd.Below(text.size() + 1);
        switch (rnd.Below(7)) {
        case 0: { // a 100,000-character line: a name, a path, or no "=" at all
            const std::string run(100000, "a|=\xC3"[rnd.Below(4)]);
            text.insert(at, rnd.OneIn(3) ? "APP=" + run + "|app|" + program + "\r\n"
                            : rnd.OneIn(2) ? "LNK=x|lnk|" + run + "\r\n" : run);
            break;
        }
        case 1: // thousands of separators
            text.insert(at, "APP=" + std::string(1000 + rnd.Below(5000), '|') + "\r\n");
            break;
        case 2: // NULs inside an entry
            text.insert(at, std::string("APP=na\0me|app|", 14) + program + std::string("\0\r\n", 3));
            break;
        case 3:
            text = AsUtf16(text.substr(rnd.OneIn(2) ? std::min<size_t>(3, text.size()) : 0));
            break;
        default:
            MutateBytes(rnd, &text);
            break;
        }
    }
    return text;
}
