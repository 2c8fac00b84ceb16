// The user's recent documents: the shortcuts the shell and programs write
// into the Recent folder (FOLDERID_Recent, through SHAddToRecentDocs).
//
// CRecentDocs reads that folder on a thread of its own, newest first, and
// publishes each complete list whole (Snapshot), as the search index does; it
// watches the folder and reads it again after a change. Shortcuts are resolved
// without touching the network (no UI, no search, no link tracking, and UNC
// targets are taken as they stand). A target that is gone is left out only on
// a local fixed drive: on removable and network drives it may only be absent
// right now. A missing or unreadable folder gives an empty list.
//
// What counts: the folder's shortcuts (*.lnk); its sub-folders (the jump
// lists' AutomaticDestinations and CustomDestinations) and other files
// (desktop.ini) do not. A shortcut to a folder is a recent item like a
// document's. A shortcut to a program (an .exe) is a document only when its
// arguments name one (an absolute path): that document, opened with that
// program (strProgram); a program alone is not a recent document. Shortcuts
// that are broken or name no file system item are left out, and of two
// shortcuts to one document the newer counts. The list holds the newest
// kMaxDocuments documents.
//
// When it is read: at the menu's opening (Refresh), when the folder changed
// since the last reading (a change notification, looked at without waiting),
// or when the list is a minute old, so that documents deleted since are
// dropped (their shortcuts stay in the folder). A reading opens only the
// shortcuts that are new since the last one, and looks at each kept target on
// a local fixed drive once, asking each drive's kind once.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// One recent document.
struct RecentDocument {
    std::wstring strName;     // what a row shows: the target's file name without its extension
    std::wstring strPath;     // the document's full path (the shortcut's target)
    std::wstring strShortcut; // the shortcut in the Recent folder
    std::wstring strProgram;  // the program the shortcut itself names, full path; empty when none
    FILETIME written{};       // the shortcut's last write: the order, newest first
};

class CRecentDocs {
public:
    using Documents = std::vector<RecentDocument>;
    // Stop waits at most this long for a reading to give up; a thread that
    // outlives the wait ends on its own later.
    static constexpr DWORD kStopWaitMs = 1000;
    // The longest list: far more than the menu shows, and a folder of
    // thousands of shortcuts costs no more than this many opened.
    static constexpr size_t kMaxDocuments = 300;
    // The reading itself: Read by default (with what the last reading opened);
    // tests hand one of their own.
    using Reader = std::function<Documents(const std::wstring& folder, const volatile LONG* stop)>;

    CRecentDocs();
    ~CRecentDocs();
    CRecentDocs(const CRecentDocs&) = delete;
    CRecentDocs& operator=(const CRecentDocs&) = delete;

    // Reads from now on this folder instead of the user's Recent folder (the
    // list read so far is dropped). Tests and the bench use it.
    void SetFolder(std::wstring folder);
    // Reads through `reader` from now on; an empty one puts Read back.
    void SetReader(Reader reader);
    // Starts a reading on the source's thread unless one runs, or nothing
    // changed in the folder since the last one and the list is less than a
    // minute old; `message` is posted to `notify` when a list that differs
    // from the last is out. A reading left running by Stop does not hold up
    // the next one (it publishes nothing).
    void Refresh(HWND notify, UINT message);
    // Signals a running reading to stop and waits for it at most kStopWaitMs.
    void Stop();
    // Waits for every reading still running to end, a stopped one too (tests, bench).
    void WaitForReading();
    // The latest complete list, newest first; empty until the first one is read.
    std::shared_ptr<const Documents> Snapshot() const;
    // How many lists were published so far.
    unsigned Generation() const;
    // "Clear recent items": empties the user's recent documents through the
    // shell (or the folder set for tests) and publishes an empty list.
    bool Clear();

    // Reads `folder` at once on the caller's thread (a COM apartment), newest
    // first; stops early, with what it has, once `stop` is set.
    static Documents Read(const std::wstring& folder, const volatile LONG* stop = nullptr);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

// The program's one source, read by the Recent Items popup and the pinned list.
CRecentDocs& RecentDocs();

// Which program opens a document of this type: full path, empty when none.
// Tests hand their own answers; the default asks AssocQueryString with
// ASSOCSTR_EXECUTABLE for the document's extension.
using ProgramOfType = std::function<std::wstring(const wchar_t* extension)>;
ProgramOfType AssociatedProgram();

// The documents of one program, newest first, at most `max`: those whose type
// opens with `programPath` and those whose shortcut names that program. A
// document whose shortcut names a program belongs to that program only (it
// was opened with it, whatever its type's program is). Each type is asked
// once per call. `programPath` is the pinned entry's resolved path; paths
// compare without case.
std::vector<const RecentDocument*> DocumentsOfProgram(const CRecentDocs::Documents& documents,
                                                      const wchar_t* programPath, size_t max,
                                                      const ProgramOfType& programOfType = AssociatedProgram());
