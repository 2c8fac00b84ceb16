// The packaged apps in the menu's lists: the search, the rows' icons and
// their shell context menu.
#pragma once

#include "SearchIndex.h"

#include <windows.h>

#include <vector>

class CShellPidl;

// Appends the apps to a search list, ranked as Start Menu programs.
void AppendPackagedAppEntries(std::vector<SearchEntry>* entries);
// The icon of a row naming an app (any thread); null when the path names none
// or the shell has no icon.
HICON PackagedAppIcon(const wchar_t* path, int pixels);
// The app's shell context menu at pt, owned by `owner`. -1 when the path
// names no packaged app, else as CShellPidl::ShowItemContextMenu.
int ShowPackagedAppMenu(CShellPidl* shell, HWND owner, const wchar_t* path, POINT pt);
