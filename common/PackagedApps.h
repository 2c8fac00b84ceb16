// The packaged apps: Settings, Calculator, Photos, the Store and every app
// installed from it, which Windows 10 lists in the shell's Applications folder
// and in no Start Menu folder.
//
// CPackagedApps reads that folder on a thread of its own and publishes each
// complete list whole (Snapshot), as the search index does. Stop waits for a
// reading at most kStopWaitMs: the shell can take long over a slow app, and
// exit must not wait for it. A reading left running ends later on its own; all
// it uses is held by a shared record, and it publishes nothing. Only items whose
// parsing name is an application user model id are taken: everything else in
// the folder is a program some shortcut already reaches. Where the folder does
// not exist (Windows 8, Wine) the list stays empty and nothing fails.
//
// The lists name an app by the path "shell:AppsFolder\<id>", which is also
// what the shell parses back into the app's item.
#pragma once

#include "Handles.h"

#include <windows.h>
#include <shobjidl.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One app, as the shell's Applications folder shows it.
struct PackagedApp {
    std::wstring strName;  // the shell's display name ("Settings")
    std::wstring strId;    // its parsing name, an application user model id
    std::wstring strPath;  // "shell:AppsFolder\" + strId, how the lists name it
    fw::UniquePidl idList; // absolute: what starts it and what its context menu is for
    fw::UniqueIcon hIcon;  // at nIconSize pixels, null when the shell gave none
    int nIconSize = 0;
};

// "Name_publisherid!App": a package family name (its publisher id is 13
// letters and digits), "!", an application id.
bool IsPackagedAppId(const wchar_t* name);
// The id in "shell:AppsFolder\<id>", null for any other path.
const wchar_t* PackagedAppIdOfPath(const wchar_t* path);

class CPackagedApps {
public:
    using Apps = std::vector<PackagedApp>;

    // Where the apps come from: the folder's items, and an item's parsing
    // name. Tests hand other shell items through the same code.
    struct Folder {
        std::function<HRESULT(IEnumShellItems**)> enumerate;
        std::function<std::wstring(IShellItem*)> parsingName;
    };
    // The shell's Applications folder (FOLDERID_AppsFolder).
    static Folder ShellFolder();

    CPackagedApps();
    ~CPackagedApps();
    CPackagedApps(const CPackagedApps&) = delete;
    CPackagedApps& operator=(const CPackagedApps&) = delete;

    // Reads from now on from this folder (the list read so far is dropped).
    void SetFolder(Folder folder);
    // Icons are read at this size in pixels (the lists' small icons at their DPI).
    void SetIconSize(int pixels);
    // Starts a reading on the source's thread unless one runs or the list is
    // less than a minute old (installs and removals show at the next opening
    // after that); `message` is posted to `notify` when a new list is out. A
    // reading already running posts to the latest asker instead.
    void Refresh(HWND notify, UINT message);
    // Tells a running reading to give up (it stops between two items) and
    // waits for it at most kStopWaitMs; it posts and publishes nothing after.
    void Stop();
    static const DWORD kStopWaitMs = 1000;
    // Waits for a running reading to end with its list.
    void WaitForReading();
    // The latest complete list; empty until the first one is read.
    std::shared_ptr<const Apps> Snapshot() const;
    // How many lists were published so far.
    unsigned Generation() const;

    // Reads the folder at once on the caller's thread (a COM apartment);
    // stops early, with what it has, once `stop` is set.
    static Apps Read(const Folder& folder, int iconSize, const volatile LONG* stop = nullptr);

private:
    struct Shared;  // the published list: held by the source and by every reading
    struct Reading; // one reading's request and flags, held by it and by the source
    static DWORD WINAPI ThreadMain(void* param);

    std::shared_ptr<Shared> m_shared;
    // Touched on the owner's thread only.
    Folder m_folder = ShellFolder();
    int m_nIconSize = 16;
    DWORD m_dwReadAt = 0; // tick count of the last reading's start
    bool m_bRead = false;
    std::shared_ptr<Reading> m_reading; // the latest reading, ended or not
    fw::UniqueKernelHandle m_hThread;   // its thread
};

// The program's one source, read by the tree, the search and the launcher.
CPackagedApps& PackagedApps();

// The app's icon at `pixels` (its own item's image), null when the shell has none.
HICON LoadPackagedAppIcon(LPCITEMIDLIST idList, int pixels);
// Starts the app named by "shell:AppsFolder\<id>" through its shell item on a
// thread of its own. -1 when the path names no packaged app, 1 when started,
// 0 when it could not be. A failure, at once or on that thread, is told on the
// calling thread as LaunchDetached tells one, naming the app by `name` (as the
// row that started it shows it), else as the source lists it, else by its id.
int LaunchPackagedApp(const wchar_t* path, const wchar_t* name = nullptr);
// The app's own item (from the source's list, else parsed by the shell); null
// when the path names no packaged app or the shell does not know it.
fw::UniquePidl PackagedAppIdList(const wchar_t* path);

// In the list file a packaged app is an application entry with such a path: it
// names no file, so it is never "missing", and its icon comes from the shell item.
// 1 when path is "shell:AppsFolder\..." (letters in any case) with an id after it.
int IsPackagedAppPath(const wchar_t* path);
// The app's own icon at pixels x pixels, else a generic application icon (the
// item does not exist under Wine); never null unless the system has no icon.
// The caller destroys it.
HICON PackagedAppEntryIcon(const wchar_t* path, int pixels);
// A 32-bit image with alpha (as the shell's image factory gives) as an icon of
// the same size; null for any other image, and for one without any alpha
// (Wine answers with such a blank one). The caller destroys it.
HICON IconFromImageBitmap(HBITMAP bitmap);
