// Type-to-search over the menu's programs: the names of the pinned list and of
// every shortcut in the Start Menu folders, matched case- and
// accent-insensitively, at word starts first, then anywhere.
//
// The index itself is plain data: a vector of entries with their folded names,
// built by CollectShortcuts (any thread) and read by FindMatches (the caller's
// thread). Nothing here keeps state between calls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum SearchSource : int {
    kSearchPinned = 0,   // a row of the pinned list: ranks before an equal Start Menu match
    kSearchPrograms = 1, // a shortcut of the Start Menu folders
};

struct SearchEntry {
    std::wstring strName;   // as a result row shows it
    std::wstring strPath;   // what starts
    std::wstring strFolded; // FoldForSearch(strName)
    std::wstring strPathKey; // SearchPathKey(strPath)
    int nSource = kSearchPrograms;
};

// Lower case without accents: "Éditeur" and "editeur" fold alike.
std::wstring FoldForSearch(const wchar_t* text);

// How well a folded query matches a folded name: 0 the name starts with it, 1
// a later word starts with it, 2 it is somewhere inside, -1 no match. An empty
// query matches nothing.
int SearchRank(const std::wstring& foldedName, const std::wstring& foldedQuery);

// A path lower-cased letter by letter as _wcsicmp compares: keys compare
// (== and <) as _wcsicmp compares the paths. Made once per entry, as
// comparing paths is most of a search among many equal names.
std::wstring SearchPathKey(const wchar_t* path);

SearchEntry MakeSearchEntry(const wchar_t* name, const wchar_t* path, int source);

// The best matches of `query` (not folded yet) in both lists, best first:
// by rank, then pinned before Start Menu, then by name. A path already
// listed (the same program pinned and in the Start Menu) is not listed again.
// At most maxResults pointers into the given vectors.
std::vector<const SearchEntry*> FindMatches(const std::vector<SearchEntry>& pinned,
                                            const std::vector<SearchEntry>& programs, const wchar_t* query,
                                            size_t maxResults);

// Appends every shortcut (*.lnk) under folder, in its subfolders too when
// recurse is set, named as the tree names it (the file name without ".lnk").
// Stops early, returning 0, once `stop` (may be null) is signalled.
int CollectShortcuts(const wchar_t* folder, int recurse, std::vector<SearchEntry>* entries, HANDLE stop);
