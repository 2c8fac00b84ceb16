#include "SearchIndex.h"

#include "Utils.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

// Combining marks left behind when composed letters are split.
bool IsCombiningMark(wchar_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

bool IsWordCharacter(wchar_t c) { return std::iswalnum(c) != 0; }

} // namespace

std::wstring FoldForSearch(const wchar_t* text) {
    if (!text || !text[0])
        return std::wstring();
    const int length = static_cast<int>(wcslen(text));
    // Split composed letters (MAP_COMPOSITE) so the accents can be dropped one by one.
    std::wstring split;
    const int needed = ::FoldStringW(MAP_COMPOSITE, text, length, nullptr, 0);
    if (needed > 0) {
        split.resize(static_cast<size_t>(needed));
        if (::FoldStringW(MAP_COMPOSITE, text, length, &split[0], needed) != needed)
            split.assign(text, static_cast<size_t>(length));
    } else {
        split.assign(text, static_cast<size_t>(length));
    }
    std::wstring folded;
    folded.reserve(split.size());
    for (wchar_t c : split)
        if (!IsCombiningMark(c))
            folded.push_back(c);
    if (!folded.empty())
        ::CharLowerBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    return folded;
}

int SearchRank(const std::wstring& foldedName, const std::wstring& foldedQuery) {
    if (foldedQuery.empty())
        return -1;
    int rank = -1;
    for (size_t at = foldedName.find(foldedQuery); at != std::wstring::npos;
         at = foldedName.find(foldedQuery, at + 1)) {
        if (at == 0)
            return 0;
        // A word starts after anything that is not a letter or digit.
        if (!IsWordCharacter(foldedName[at - 1]) || !IsWordCharacter(foldedQuery[0]))
            return 1;
        rank = 2;
    }
    return rank;
}

std::wstring SearchPathKey(const wchar_t* path) {
    std::wstring key = path ? path : L"";
    for (wchar_t& c : key)
        c = static_cast<wchar_t>(std::towlower(c));
    return key;
}

SearchEntry MakeSearchEntry(const wchar_t* name, const wchar_t* path, int source) {
    SearchEntry entry;
    entry.strName = name ? name : L"";
    entry.strPath = path ? path : L"";
    entry.strFolded = FoldForSearch(entry.strName.c_str());
    entry.strPathKey = SearchPathKey(entry.strPath.c_str());
    entry.nSource = source;
    return entry;
}

std::vector<const SearchEntry*> FindMatches(const std::vector<SearchEntry>& pinned,
                                            const std::vector<SearchEntry>& programs, const wchar_t* query,
                                            size_t maxResults) {
    struct Hit {
        const SearchEntry* entry;
        int rank;
    };
    const std::wstring folded = FoldForSearch(query);
    std::vector<Hit> hits;
    for (const std::vector<SearchEntry>* list : {&pinned, &programs})
        for (const SearchEntry& entry : *list) {
            const int rank = SearchRank(entry.strFolded, folded);
            if (rank >= 0)
                hits.push_back({&entry, rank});
        }
    // Equal names (the same shortcut in several folders) go by path, so the order never depends on the scan.
    auto better = [](const Hit& a, const Hit& b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (a.entry->nSource != b.entry->nSource)
            return a.entry->nSource < b.entry->nSource;
        const int names = a.entry->strFolded.compare(b.entry->strFolded);
        if (names)
            return names < 0;
        return a.entry->strPathKey < b.entry->strPathKey;
    };
    // Only the head is put in order: a short query matches thousands of names at every keystroke.
    // Paths listed twice can use up the head; the rest is ordered only then.
    std::vector<const SearchEntry*> best;
    size_t ordered = std::min(hits.size(), maxResults * 2 + 8);
    std::partial_sort(hits.begin(), hits.begin() + static_cast<std::ptrdiff_t>(ordered), hits.end(), better);
    for (size_t i = 0; i < hits.size() && best.size() < maxResults; ++i) {
        if (i == ordered) {
            std::sort(hits.begin() + static_cast<std::ptrdiff_t>(i), hits.end(), better);
            ordered = hits.size();
        }
        const Hit& hit = hits[i];
        const bool listed = std::any_of(best.begin(), best.end(), [&](const SearchEntry* e) {
            return !hit.entry->strPath.empty() && e->strPathKey == hit.entry->strPathKey;
        });
        if (!listed)
            best.push_back(hit.entry);
    }
    return best;
}

int CollectShortcuts(const wchar_t* folder, int recurse, std::vector<SearchEntry>* entries, HANDLE stop) {
    if (!folder || !folder[0] || !entries)
        return 1;
    if (stop && ::WaitForSingleObject(stop, 0) == WAIT_OBJECT_0)
        return 0;
    std::vector<std::wstring> files, folders;
    ListDirectory(&files, recurse ? &folders : nullptr, folder);
    for (const std::wstring& path : files) {
        const size_t slash = path.find_last_of(L'\\');
        const std::wstring name = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
        if (name.size() <= 4 || _wcsicmp(name.c_str() + name.size() - 4, L".lnk") != 0)
            continue;
        const std::wstring shown = name.substr(0, name.size() - 4);
        entries->push_back(MakeSearchEntry(shown.c_str(), path.c_str(), kSearchPrograms));
    }
    for (const std::wstring& sub : folders)
        if (!CollectShortcuts(sub.c_str(), 1, entries, stop))
            return 0;
    return 1;
}
