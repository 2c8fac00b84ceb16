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
    static const DWORD kStopWaitMs = 1000;

    CRecentDocs();
    ~CRecentDocs();
    CRecentDocs(const CRecentDocs&) = delete;
    CRecentDocs& operator=(const CRecentDocs&) = delete;

    // Reads from now on this folder instead of the user's Recent folder (the
    // list read so far is dropped). Tests and the bench use it.
    void SetFolder(std::wstring folder);
    // Starts a reading on the source's thread unless one runs or nothing
    // changed in the folder since the last one; `message` is posted to
    // `notify` when a new list is out.
    void Refresh(HWND notify, UINT message);
    // Signals a running reading to stop and waits for it at most kStopWaitMs.
    void Stop();
    // Waits for a running reading to end with its list (tests, bench).
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
// opens with `programPath` and those whose shortcut names that program.
// `programPath` is the pinned entry's resolved path; paths compare without
// case.
std::vector<const RecentDocument*> DocumentsOfProgram(const CRecentDocs::Documents& documents,
                                                      const wchar_t* programPath, size_t max,
                                                      const ProgramOfType& programOfType = AssociatedProgram());
