// What "Add from the Start Menu" offers: every entry of All Programs in one
// flat list, sorted by name, filtered by typed text.
//
// The shortcuts come from the places the all-programs tree lists (the user's
// Programs folder with its subfolders, the All Users' Start Menu at its top
// and its Programs folder with subfolders). The tree merges the folders of
// both Start Menus by name, so a shortcut shows with the folder it sits in
// below Programs ("Accessories"), and the same name in the same folder of both
// Start Menus is one entry (the user's). The packaged apps come from the
// program's CPackagedApps source and sit at the top, as in the tree.
//
// CStartMenuReader lists the shortcuts on a thread of its own: a big or slow
// Start Menu must not hold up the dialog. Stop waits for it at most
// kStopWaitMs; a listing left running ends later on its own, holding only a
// shared record, and posts nothing.
#pragma once

#include "Handles.h"
#include "PackagedApps.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct StartMenuEntry {
    std::wstring strName;   // as listed: the shortcut's file name without ".lnk", or the app's name
    std::wstring strFolder; // below Programs, "\"-separated; empty at the top and for apps
    std::wstring strPath;   // the shortcut's file, or "shell:AppsFolder\<id>"
    std::wstring strFolded; // FoldForSearch(strName)
    bool bApp = false;      // a packaged app
};
using StartMenuEntries = std::vector<StartMenuEntry>;

// A folder to list, with its subfolders or not.
struct StartMenuRoot {
    std::wstring strPath;
    int bRecurse = 1;
};
// The user's and the All Users' folders, as the all-programs tree reads them.
std::vector<StartMenuRoot> DefaultStartMenuRoots();

// The shortcuts under the roots, merged by folder and name (the first root's
// entry wins). 0 when `stop` (may be null) was signalled meanwhile.
int CollectStartMenuShortcuts(const std::vector<StartMenuRoot>& roots, StartMenuEntries* entries, HANDLE stop);
// Shortcuts and apps together, sorted by name, then folder.
StartMenuEntries MergeStartMenuEntries(StartMenuEntries shortcuts, const CPackagedApps::Apps* apps);
// The indexes of the entries whose name holds the typed text (case and
// accents aside); every entry for an empty or blank text.
std::vector<size_t> FilterStartMenuEntries(const StartMenuEntries& entries, const wchar_t* text);

class CStartMenuReader {
public:
    static const DWORD kStopWaitMs = 1000;

    CStartMenuReader() = default;
    ~CStartMenuReader() { Stop(); }
    CStartMenuReader(const CStartMenuReader&) = delete;
    CStartMenuReader& operator=(const CStartMenuReader&) = delete;

    // Lists the roots on a new thread and posts `message` to `notify` when
    // done; Result then holds the shortcuts. 0 when no thread could start.
    int Start(std::vector<StartMenuRoot> roots, HWND notify, UINT message);
    void Stop();
    // The listing once it is done, else null.
    std::shared_ptr<const StartMenuEntries> Result() const;

private:
    struct Shared;
    static DWORD WINAPI ThreadMain(void* param);

    std::shared_ptr<Shared> m_shared;
    fw::UniqueKernelHandle m_hThread;
};
