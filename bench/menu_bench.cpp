// The Start menu as the user meets it, in one process with the default skin, a
// stand-in taskbar, the real Start button and the generated Start Menu of
// 2,000 shortcuts in 200 folders: the first and later openings, the
// all-programs toggle, a folder's expansion and a pinned-list reload (each
// from the press to a visible menu with nothing left to paint) and a search
// keystroke against bare work of the same kind in the same run; GDI and USER objects and private
// bytes around 1,000 openings; and the timers that still fire while the menu
// is closed; and a pinned program's popup of 10 recent documents against a
// bare popup menu. A second run of this program ("recent") opens the same menu with
// a Recent folder of 5,000 shortcuts, read on the source's own thread.
#include "AppList.h"
#include "AppModule.h"
#include "GdiplusScope.h"
#include "Handles.h"
#include "MenuWnd.h"
#include "PackagedApps.h"
#include "RecentDocs.h"
#include "RecentPopup.h"
#include "SearchIndex.h"
#include "Skin.h"
#include "Startup.h"
#include "StandinTaskbar.h"
#include "StartWnd.h"
#include "Taskbar.h"
#include "Text.h"
#include "TreeWnd.h"
#include "Utils.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchRecentFolder.h"
#include "BenchStartMenu.h"
#include "BenchTable.h"
#include "SeededApps.h"

namespace {

const int kMenuWidth = 449;
const int kMenuHeight = 486;
const int kLaterRuns = 30;
const int kToggleRuns = 15; // seven left the median at the mercy of one slow sample
const int kLeakRuns = 1000;
const wchar_t kBareClass[] = L"Velmar.Bench.BarePopup";

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Some window of this thread (the window, its children, any other) still
// waits for WM_PAINT. One question whatever the number of windows: asked
// window by window, the check itself cost the menu, with its thirteen child
// windows, 0.3 ms more than the bare popup, a cost no user meets.
bool PaintPending() { return (HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT) != 0; }

// Runs the queue and paints until the window is on the screen with nothing
// left to paint; false when that takes more than 10 s.
bool SettleShown(HWND window) {
    double deadline = NowMs() + 10000;
    for (;;) {
        Pump();
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        if (IsWindowVisible(window) && !PaintPending())
            return true;
        if (NowMs() > deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}

LRESULT CALLBACK BareProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hWnd, &ps);
        FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        EndPaint(hWnd, &ps);
        return 0;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

HWND CreateBarePopup() {
    return CreateWindowExW(WS_EX_TOPMOST, kBareClass, L"", WS_POPUP, 100, 100, kMenuWidth, kMenuHeight, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

struct Usage {
    double gdi;
    double user;
    double privateKb;
};

// Committed private memory, summed region by region (for a PrivateUsage of 0).
SIZE_T CommittedPrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const BYTE* at = nullptr; VirtualQuery(at, &info, sizeof(info)) == sizeof(info);
         at = static_cast<const BYTE*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            total += info.RegionSize;
        if (info.RegionSize == 0)
            break;
    }
    return total;
}

Usage MeasureUsage() {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    SIZE_T privateBytes = memory.PrivateUsage ? memory.PrivateUsage : CommittedPrivateBytes();
    return {static_cast<double>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)),
            static_cast<double>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)),
            static_cast<double>(privateBytes) / 1024.0};
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK CountThreadWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, CountChild, count);
    return TRUE;
}

// The windows of this thread, top-level and child: the USER objects a leak
// would most likely add, counted where GetGuiResources is not.
int CountWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountThreadWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct Wakeups {
    int timers = 0;
    int messages = 0;
    std::map<std::wstring, int> timersByClass;
};

// Runs the message loop for `ms` milliseconds, counting what it dispatches.
Wakeups PumpAndCount(int ms) {
    Wakeups seen;
    double end = NowMs() + ms;
    for (double now = NowMs(); now < end; now = NowMs()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now) + 1, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ++seen.messages;
            if (msg.message == WM_TIMER) {
                ++seen.timers;
                wchar_t name[128] = L"(no window)", title[64] = L"";
                if (msg.hwnd) {
                    GetClassNameW(msg.hwnd, name, 128);
                    GetWindowTextW(msg.hwnd, title, 64);
                }
                wchar_t source[256];
                fw::StrFormat(source, 256, L"%s \"%s\" timer 0x%Ix", name, title, msg.wParam);
                ++seen.timersByClass[source];
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return seen;
}

// The pause a user leaves between two clicks, with the message loop running.
// Timed right after a close, an opening also waited for the window system
// to finish that close, which no click ever meets.
void Pause() { PumpAndCount(100); }

void PrintTimerSources(const Wakeups& seen) {
    for (const auto& source : seen.timersByClass)
        std::printf("    WM_TIMER to %ls: %d\n", source.first.c_str(), source.second);
    std::fflush(stdout);
}

// The skin beside this program, as Velmar loads its own.
bool LoadSkin() {
    wchar_t modulePath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, modulePath, MAX_PATH);
    wchar_t drive[3], directory[256], moduleDirectory[MAX_PATH], skinPath[MAX_PATH];
    SplitPath(modulePath, drive, directory, nullptr, nullptr);
    MakePath(moduleDirectory, drive, directory, L"", L"");
    MakePath(skinPath, drive, directory, L"skin", L"cfg");
    gSkin.SetConfigPath(skinPath);
    return gSkin.Load(moduleDirectory) != 0;
}

void Press(HWND button) { SendMessageW(button, WM_LBUTTONDOWN, 0, 0); }

// The menu also hides itself when another window (the bare popup) takes the
// activation: a press closes it only when it is open.
void CloseMenu(CStartWnd& button) {
    if (button.pMenu && button.pMenu->IsMenuVisible())
        Press(button.m_hWnd);
    Pump();
}

// The tree control behind the menu's all-programs window.
CTreeWnd* AllProgramsOf(HWND menu) {
    HWND window = GetDlgItem(menu, 1201);
    auto* base = window ? reinterpret_cast<fw::CWindowImplBase*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
    return dynamic_cast<CTreeWnd*>(base);
}

_treeNode* TopLevelByPath(CTreeWnd* tree, const std::wstring& path) {
    for (_treeNode* item = tree->GetRoot()->pChild; item; item = item->pNext)
        if (_wcsicmp(item->szPath, path.c_str()) == 0)
            return item;
    return nullptr;
}

// Paints at once whatever the window and its children have pending: the
// moment the rows are on the screen with their text (icons may follow).
void PaintNow(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

// A bare paint: the shown popup painted again, all of it.
double BarePaintMs(HWND popup) {
    if (!IsWindowVisible(popup)) {
        ShowWindow(popup, SW_SHOWNOACTIVATE);
        SettleShown(popup);
    }
    double start = NowMs();
    InvalidateRect(popup, nullptr, TRUE);
    UpdateWindow(popup);
    SettleShown(popup);
    double spent = NowMs() - start;
    ShowWindow(popup, SW_HIDE);
    Pump();
    return spent;
}

void BareIconLookUps(const std::vector<std::wstring>& paths, UINT size) {
    for (const std::wstring& path : paths) {
        SHFILEINFOW info{};
        if (SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_DISPLAYNAME | size))
            DestroyIcon(info.hIcon);
    }
}

// Waits for the menu's idle reading of the Start Menu, as the pointer's way
// from the Start button to All Programs gives it; false after 5 s.
bool WaitForIdleReading(CTreeWnd* tree) {
    double deadline = NowMs() + 5000;
    while (!tree->IsAllProgramsCurrent()) {
        if (NowMs() > deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        Pump();
    }
    return true;
}

// Press on All Programs to the painted tree (rows with their text) at the
// first toggle after the menu opened: the tree forgotten before each opening,
// read again at the opened menu's first idle moment. Against listing the
// Start Menu folders' top level and a bare paint. The same press with the
// tree read at the toggle itself (no idle moment before it) is shown beside.
void MeasureToggle(CStartWnd& button, HWND menu, HWND popup, int* unsettled,
                   const char* name = "all-programs toggle (read when idle), median of 15") {
    std::vector<double> ours, cold, floor, icons;
    int notRead = 0;
    CTreeWnd* tree = AllProgramsOf(menu);
    auto toggle = [&](std::vector<double>* painted) {
        double start = NowMs();
        SendMessageW(menu, WM_COMMAND, kCmdToggleAllApps, 0);
        PaintNow(menu);
        painted->push_back(NowMs() - start);
        *unsettled += !SettleShown(menu);
        return NowMs() - start;
    };
    for (int i = 0; i < kToggleRuns && tree; ++i) {
        CloseMenu(button);
        tree->RemoveAll();
        Press(button.m_hWnd);
        *unsettled += !SettleShown(menu);
        notRead += !WaitForIdleReading(tree);
        icons.push_back(toggle(&ours));

        CloseMenu(button);
        Press(button.m_hWnd);
        *unsettled += !SettleShown(menu);
        tree->RemoveAll(); // read at the toggle
        toggle(&cold);

        double start = NowMs();
        std::vector<std::wstring> files, folders;
        static const int kSources[][2] = {
            {CSIDL_PROGRAMS, 1}, {CSIDL_COMMON_STARTMENU, 0}, {CSIDL_COMMON_PROGRAMS, 1}};
        for (const auto& source : kSources) {
            wchar_t path[MAX_PATH];
            if (SHGetSpecialFolderPathW(nullptr, path, source[0], FALSE))
                ListDirectory(&files, source[1] ? &folders : nullptr, path);
        }
        double listing = NowMs() - start;
        floor.push_back(listing + BarePaintMs(popup));
    }
    CloseMenu(button);
    if (!tree) {
        std::printf("menu bench: no all-programs tree\n");
        return;
    }
    ReportRow(name, Median(ours), Median(floor));
    std::printf("  floor: the Start Menu folders' top level listed, a bare popup painted\n");
    std::printf("  read at the toggle itself instead: %.2f ms (median), %.2fx\n", Median(cold),
                Median(floor) > 0 ? Median(cold) / Median(floor) : 0);
    std::printf("  the rows' icons, from the icon thread, all painted after %.2f ms (median)\n", Median(icons));
    if (notRead)
        std::printf("  %d openings were not followed by an idle reading within 5 s\n", notRead);
}

// The same toggle with 100 packaged apps merged into the tree (shortcuts of a
// folder of the bench's own read as apps: Wine has no Applications folder),
// against the same floor: the apps are read on their own thread beforehand.
void MeasureAppsToggle(CStartWnd& button, HWND menu, HWND popup, int* unsettled) {
    TempDir dir;
    std::map<std::wstring, std::wstring> ids;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (int i = 0; i < 100; ++i) {
        wchar_t name[32], id[64];
        swprintf(name, 32, L"App %03d.lnk", i);
        swprintf(id, 64, L"Bench.App%03d_8wekyb3d8bbwe!App", i);
        if (!MakeShortcut(dir.Join(name), self)) {
            std::printf("menu bench: cannot write the packaged apps\n");
            return;
        }
        ids[name] = id;
    }
    PackagedApps().SetFolder(SeededAppsFolder(dir.path(), ids));
    PackagedApps().Refresh(nullptr, 0);
    PackagedApps().WaitForReading();
    auto apps = PackagedApps().Snapshot();
    if (!apps || apps->size() != 100)
        std::printf("menu bench: %zu packaged apps read, not 100\n", apps ? apps->size() : 0);
    else
        MeasureToggle(button, menu, popup, unsettled, "all-programs toggle with 100 packaged apps");
    PackagedApps().SetFolder(CPackagedApps::ShellFolder());
}

// Press on a folder of 10 shortcuts to its painted rows (with their text),
// against listing that folder, 10 small-icon look-ups and a bare paint.
void MeasureExpand(CStartWnd& button, HWND menu, HWND popup, const BenchStartMenu& startMenu, int* unsettled) {
    std::vector<double> ours, floor, icons;
    CTreeWnd* tree = AllProgramsOf(menu);
    if (!tree)
        return;
    CloseMenu(button);
    Press(button.m_hWnd);
    SendMessageW(menu, WM_COMMAND, kCmdToggleAllApps, 0);
    *unsettled += !SettleShown(menu);
    int missing = 0;
    for (int i = 0; i < 9; ++i) {
        _treeNode* folder = TopLevelByPath(tree, startMenu.Folder(i));
        if (!folder || folder->rcItem.bottom <= folder->rcItem.top) {
            ++missing;
            continue;
        }
        // The folder as the first row (not timed).
        RECT client;
        GetClientRect(tree->m_hWnd, &client);
        const int row = tree->nTopRow + (folder->rcItem.top - ListDrawArea(client).top) / tree->nRowHeight;
        SendMessageW(tree->m_hWnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, row), 0);
        *unsettled += !SettleShown(menu);
        const LPARAM at = MAKELPARAM((folder->rcItem.left + folder->rcItem.right) / 2,
                                     (folder->rcItem.top + folder->rcItem.bottom) / 2);
        double start = NowMs();
        SendMessageW(tree->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(tree->m_hWnd, WM_LBUTTONUP, 0, at);
        PaintNow(menu);
        ours.push_back(NowMs() - start);
        *unsettled += !SettleShown(menu);
        icons.push_back(NowMs() - start);
        if (!folder->bExpanded)
            ++missing;
        SendMessageW(tree->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at); // folded again
        SendMessageW(tree->m_hWnd, WM_LBUTTONUP, 0, at);
        *unsettled += !SettleShown(menu);

        start = NowMs();
        std::vector<std::wstring> files, folders;
        ListDirectory(&files, &folders, startMenu.Folder(100 + i).c_str());
        BareIconLookUps(files, SHGFI_SMALLICON);
        double work = NowMs() - start;
        floor.push_back(work + BarePaintMs(popup));
    }
    CloseMenu(button);
    ReportRow("folder expand (a folder of 10), median of 9", Median(ours), Median(floor));
    std::printf("  floor: that folder listed, 10 small-icon look-ups, a bare popup painted\n");
    std::printf("  the rows' icons, from the icon thread, all painted after %.2f ms (median)\n", Median(icons));
    if (missing)
        std::printf("  %d folders were not in sight or did not open\n", missing);
}

// A file as it was, put back at the end of the scope.
class SavedFile {
public:
    explicit SavedFile(std::wstring path)
        : m_path(std::move(path)), m_existed(GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES),
          m_bytes(m_existed ? ReadFileBytes(m_path) : std::string()) {}
    ~SavedFile() {
        if (!m_existed) {
            DeleteFileW(m_path.c_str());
            return;
        }
        HANDLE f = CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, m_bytes.data(), static_cast<DWORD>(m_bytes.size()), &written, nullptr);
        CloseHandle(f);
    }
    SavedFile(const SavedFile&) = delete;
    SavedFile& operator=(const SavedFile&) = delete;

private:
    std::wstring m_path;
    bool m_existed;
    std::string m_bytes;
};

// A rewritten pinned list of 10 programs, from the press on the Start button to
// the painted menu; against reading the file, 10 icon look-ups and the bare
// popup shown and painted.
void MeasurePinnedReload(CStartWnd& button, HWND menu, HWND popup, int* unsettled) {
    if (!gSkin.szAppList[0]) {
        std::printf("menu bench: the skin names no application list\n");
        return;
    }
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<AppListEntry> entries(10);
    std::vector<std::wstring> paths;
    for (int i = 0; i < 10; ++i) {
        fw::StrFormat(entries[i].szName, 256, L"Program %d", i);
        fw::StrCopy(entries[i].szPath, self);
        entries[i].nKind = kAppKindApplication;
        paths.push_back(self);
    }
    const std::wstring listPath = gSkin.szAppList;
    SavedFile saved(listPath);
    SaveAppList(listPath.c_str(), entries);
    std::vector<double> ours, floor;
    const int64_t base = _time64(nullptr) - 1000;
    for (int i = 0; i < 15; ++i) {
        CloseMenu(button);
        ShowWindow(popup, SW_HIDE);
        SetModifiedTime(listPath, base + i); // a new time: read again at the opening
        Pause();
        double start = NowMs();
        Press(button.m_hWnd);
        *unsettled += !SettleShown(menu);
        ours.push_back(NowMs() - start);

        CloseMenu(button);
        Pause();
        start = NowMs();
        std::string bytes = ReadFileBytes(listPath);
        BareIconLookUps(paths, SHGFI_LARGEICON);
        ShowWindow(popup, SW_SHOW);
        UpdateWindow(popup);
        *unsettled += !SettleShown(popup);
        floor.push_back(NowMs() - start);
        ShowWindow(popup, SW_HIDE);
    }
    CloseMenu(button);
    ReportRow("pinned list reload (10 entries), median of 15", Median(ours), Median(floor));
    std::printf("  floor: the list file read, 10 icon look-ups, the bare popup shown and painted\n");
}

// A typed character to the painted result list (with its text; icons follow
// from the icon thread), searching the pinned list and the 2,000 Start Menu
// shortcuts, so that every row changes; against painting that same pane again.
void MeasureSearchKeystroke(CStartWnd& button, HWND menu, int* unsettled) {
    CloseMenu(button);
    Press(button.m_hWnd);
    *unsettled += !SettleShown(menu);
    const CSearchIndexer* indexer = button.pMenu->GetSearchIndexer();
    const double deadline = NowMs() + 60000;
    while (indexer && NowMs() < deadline) {
        auto entries = indexer->Snapshot();
        if (entries && entries->size() >= BenchStartMenu::kFolders * BenchStartMenu::kPerFolder)
            break;
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    auto entries = indexer ? indexer->Snapshot() : nullptr;
    if (!entries || entries->size() < BenchStartMenu::kFolders * BenchStartMenu::kPerFolder) {
        std::printf("menu bench: the search index never held the generated Start Menu\n");
        return;
    }
    std::vector<double> ours, first, floor;
    for (int i = 0; i < 30; ++i) {
        // The pane as it was, no search. Esc only while a search runs: without
        // one it is the menu's own Esc, which would close it.
        if (!button.pMenu->GetSearchText().empty())
            SendMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        *unsettled += !SettleShown(menu);
        // The first character brings the results in (timed apart); "tool " then
        // lists "Tool 0" of the first folders, and the digit typed next, timed
        // for the row, replaces every row ("Tool 1" ...). As dispatched from the queue.
        double start = NowMs();
        SendMessageW(menu, WM_CHAR, L't', 1);
        PaintNow(menu);
        first.push_back(NowMs() - start);
        for (const wchar_t* c = L"ool "; *c; ++c)
            SendMessageW(menu, WM_CHAR, *c, 1);
        *unsettled += !SettleShown(menu);
        start = NowMs();
        SendMessageW(menu, WM_CHAR, static_cast<WPARAM>(L'1' + i % 9), 1);
        PaintNow(menu);
        ours.push_back(NowMs() - start);
        *unsettled += !SettleShown(menu);

        HWND pane = GetDlgItem(menu, kSearchResultsId);
        start = NowMs();
        InvalidateRect(pane, nullptr, TRUE);
        PaintNow(menu);
        floor.push_back(NowMs() - start);
        *unsettled += !SettleShown(menu);
    }
    SendMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    CloseMenu(button);
    ReportRow("search keystroke", Median(ours), Median(floor));
    std::printf("  \"tool \" typed, then a digit (timed) that replaces every row, over %zu shortcuts, median of 30;\n",
                entries->size());
    std::printf("  the first character (\"t\": all match, the results replace the list) %.2f ms\n", Median(first));
    std::printf("  floor: the same result pane painted again\n");
}

// The popup menu this thread's modal loop shows, caught when that loop first
// runs out of messages (WM_ENTERIDLE to the owner: the popup is shown and has
// nothing left to paint), then closed. One in ten seconds ends it all the same.
struct PopupIdleWatch {
    double idleAt = 0;
    int items = -1; // of the shown popup, -1 when none was visible
    PopupIdleWatch() {
        s_current = this;
        m_hook = SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
        m_timer = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    }
    ~PopupIdleWatch() {
        KillTimer(nullptr, m_timer);
        UnhookWindowsHookEx(m_hook);
        s_current = nullptr;
    }
    PopupIdleWatch(const PopupIdleWatch&) = delete;
    PopupIdleWatch& operator=(const PopupIdleWatch&) = delete;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        PopupIdleWatch* watch = s_current;
        if (code == HC_ACTION && watch && !watch->idleAt && sent->message == WM_ENTERIDLE &&
            sent->wParam == MSGF_MENU) {
            watch->idleAt = NowMs();
            for (HWND shown = nullptr; (shown = FindWindowExW(nullptr, shown, L"#32768", nullptr)) != nullptr;) {
                DWORD process = 0;
                GetWindowThreadProcessId(shown, &process);
                if (process == GetCurrentProcessId() && IsWindowVisible(shown))
                    watch->items = GetMenuItemCount(reinterpret_cast<HMENU>(SendMessageW(shown, MN_GETHMENU, 0, 0)));
            }
            EndMenu();
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static PopupIdleWatch* s_current;
    HHOOK m_hook = nullptr;
    UINT_PTR m_timer = 0;
};
PopupIdleWatch* PopupIdleWatch::s_current = nullptr;

// The type of .txt documents as the registry names it, put back at the end of
// the scope; made "txtfile" (Notepad's) as on Windows: Wine's prefix names none.
class TextTypeAsWindows {
public:
    TextTypeAsWindows() {
        wchar_t value[256] = {};
        DWORD bytes = sizeof(value);
        m_had = RegGetValueW(HKEY_LOCAL_MACHINE, kKey, nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) == ERROR_SUCCESS;
        m_value = value;
        SetRegistryString(HKEY_LOCAL_MACHINE, kKey, L"", L"txtfile");
    }
    ~TextTypeAsWindows() {
        if (m_had)
            SetRegistryString(HKEY_LOCAL_MACHINE, kKey, L"", m_value);
        else
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, nullptr);
    }
    TextTypeAsWindows(const TextTypeAsWindows&) = delete;
    TextTypeAsWindows& operator=(const TextTypeAsWindows&) = delete;

private:
    static constexpr const wchar_t* kKey = L"Software\\Classes\\.txt";
    bool m_had;
    std::wstring m_value;
};

// The owner of a recent documents popup tracked alone: it has the popup draw
// its items.
LRESULT CALLBACK PopupOwnerProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (CRecentPopup::HandleMenuMessage(msg, wParam, lParam, &result))
        return result;
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

// Right on the highlighted pinned Notepad, with 10 recent .txt documents of
// its own (real files, their shortcuts in a Recent folder), to its popup of
// documents shown with nothing left to paint (the first item lit, as a key
// opens it); against a bare popup menu of 10 strings made and tracked at the
// same place, caught the same way.
void MeasureRecentPopup(CStartWnd& button, HWND menu, HWND popup, int* unsettled) {
    if (!gSkin.szAppList[0])
        return;
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    std::vector<AppListEntry> entries(1);
    fw::StrCopy(entries[0].szName, L"Notepad");
    fw::StrFormat(entries[0].szPath, kPathCapacity, L"%s\\notepad.exe", system);
    entries[0].nKind = kAppKindApplication;
    SavedFile savedList(gSkin.szAppList);
    SaveAppList(gSkin.szAppList, entries);
    TextTypeAsWindows textType;
    TempDir dir;
    const std::wstring recent = dir.MakeDir(L"Recent"), documents = dir.MakeDir(L"Documents");
    const int64_t base = _time64(nullptr) - 3600;
    for (int i = 0; i < 10; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"Meeting notes %d.txt", i + 1);
        const std::wstring shortcut = recent + L"\\" + name + L".lnk";
        if (!MakeShortcut(shortcut, TempDir::WriteTo(documents + L"\\" + name, "notes"))) {
            std::printf("menu bench: cannot write the recent documents\n");
            return;
        }
        SetModifiedTime(shortcut, base + 60 * i);
    }
    SetModifiedTime(gSkin.szAppList, base); // a new time: read again at the opening
    RecentDocs().SetFolder(recent);
    RecentDocs().Refresh(nullptr, 0);
    RecentDocs().WaitForReading();
    CloseMenu(button);
    Pause();
    Press(button.m_hWnd);
    *unsettled += !SettleShown(menu);
    HWND list = GetDlgItem(menu, 1200);
    auto* window = list ? reinterpret_cast<fw::CWindowImplBase*>(GetWindowLongPtrW(list, GWLP_USERDATA)) : nullptr;
    auto* pinned = dynamic_cast<CTreeWnd*>(window);
    _treeNode* row = pinned ? pinned->GetRoot()->pChild : nullptr;
    if (!row || !pinned->HasRowDocuments(row)) {
        std::printf("menu bench: the pinned Notepad has no recent documents\n");
        CloseMenu(button);
        RecentDocs().SetFolder(std::wstring());
        return;
    }
    RECT anchor = row->rcItem, bounds{};
    MapWindowPoints(pinned->m_hWnd, nullptr, reinterpret_cast<POINT*>(&anchor), 2);
    GetWindowRect(menu, &bounds);
    std::vector<double> ours, floor;
    int missed = 0;
    for (int i = 0; i < 15; ++i) {
        if (pinned->GetHotItem() != row)
            SendMessageW(menu, WM_KEYDOWN, VK_DOWN, 1); // the highlight starts on the first row
        *unsettled += !SettleShown(menu);
        Pause();
        {
            PopupIdleWatch watch;
            const double start = NowMs();
            SendMessageW(menu, WM_KEYDOWN, VK_RIGHT, 1);
            Pump(); // the popup opened from the queue, run until the watch closes it
            missed += watch.items != 10;
            ours.push_back(watch.idleAt - start);
        }
        *unsettled += !SettleShown(menu);
        Pause();
        {
            PopupIdleWatch watch;
            const double start = NowMs();
            HMENU bare = CreatePopupMenu();
            for (UINT item = 1; item <= 10; ++item) {
                wchar_t text[64];
                swprintf(text, 64, L"Meeting notes %u", item);
                AppendMenuW(bare, MF_STRING, item, text);
            }
            TrackPopupMenuEx(bare, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY, bounds.right,
                             anchor.top, popup, nullptr);
            missed += watch.items != 10;
            floor.push_back(watch.idleAt - start);
            DestroyMenu(bare);
        }
    }
    CloseMenu(button);
    // Of that, the popup's making alone: its items, their icons and its font.
    std::vector<double> making;
    auto read = RecentDocs().Snapshot();
    std::vector<const RecentDocument*> shown;
    for (size_t i = 0; read && i < read->size() && i < 10; ++i)
        shown.push_back(&(*read)[i]);
    for (int i = 0; i < 15; ++i) {
        const double start = NowMs();
        CRecentPopup made(shown, 10, false, 96);
        making.push_back(NowMs() - start);
    }
    // And the popup made beforehand, tracked alone as the pointer and as a key opens it.
    WNDCLASSW ownerClass{};
    ownerClass.lpfnWndProc = PopupOwnerProc;
    ownerClass.hInstance = GetModuleHandleW(nullptr);
    ownerClass.lpszClassName = L"Velmar.Bench.PopupOwner";
    RegisterClassW(&ownerClass);
    HWND owner = CreateWindowExW(0, ownerClass.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 ownerClass.hInstance, nullptr);
    auto tracked = [&](bool fromKeys) {
        std::vector<double> samples;
        for (int i = 0; i < 15; ++i) {
            CRecentPopup made(shown, 10, false, 96);
            PopupIdleWatch watch;
            const double start = NowMs();
            made.Track(owner, nullptr, anchor, fromKeys);
            samples.push_back(watch.idleAt - start);
            Pause();
        }
        return Median(samples);
    };
    const double byPointer = tracked(false), byKey = tracked(true);
    DestroyWindow(owner);
    RecentDocs().SetFolder(std::wstring());
    ReportRow("recent documents popup opening (10 documents), median of 15", Median(ours), Median(floor));
    std::printf("  from the Right key on the pinned row to the popup's first idle moment (WM_ENTERIDLE)\n");
    std::printf("  floor: a bare popup menu of 10 strings made and tracked, to its first idle moment\n");
    std::printf("  of ours, the popup's making (items, icons by type, font): %.2f ms (median)\n", Median(making));
    std::printf("  made beforehand, tracked alone: %.2f ms as the pointer opens it, %.2f ms as a key does (first item lit)\n",
                byPointer, byKey);
    if (missed)
        std::printf("  %d popups were not seen shown with their 10 items\n", missed);
}

enum class Rows { kAll, kSearch, kRecent };

// The Recent folder's reading itself, off the menu's thread: the whole folder
// with nothing read before, then again after one new shortcut.
void ReportRecentReading(const BenchRecentFolder& recent) {
    double start = NowMs();
    RecentDocs().SetFolder(recent.Recent()); // forgets what was read
    RecentDocs().Refresh(nullptr, 0);
    RecentDocs().WaitForReading();
    const double whole = NowMs() - start;
    auto read = RecentDocs().Snapshot();
    std::printf("  the source's thread read the 5,000 shortcuts in %.0f ms: %zu documents listed (at most %zu)\n",
                whole, read ? read->size() : 0, CRecentDocs::kMaxDocuments);
}

int Run(Rows rows) {
    const bool searchOnly = rows == Rows::kSearch;
    const bool withRecent = rows == Rows::kRecent;
    BenchStartMenu startMenu;
    if (!startMenu.Ready()) {
        std::printf("menu bench: the generated Start Menu could not be written\n");
        return 1;
    }
    std::unique_ptr<BenchRecentFolder> recent;
    if (withRecent) {
        recent.reset(new BenchRecentFolder);
        if (!recent->Ready()) {
            std::printf("menu bench: the Recent folder of 5,000 shortcuts could not be written\n");
            return 1;
        }
        RecentDocs().SetFolder(recent->Recent());
    }
    if (!LoadSkin()) {
        std::printf("menu bench: the skin beside the program did not load\n");
        return 1;
    }
    CStandinTaskbar taskbar;
    if (!taskbar.Create(StandinOptions{})) {
        std::printf("menu bench: no stand-in taskbar\n");
        return 1;
    }
    Pump();
    CStartWnd button;
    if (!FindTaskbar(button) || button.hTaskbar != taskbar.Taskbar() || !CreateStartButton(button, SW_SHOW)) {
        std::printf("menu bench: no Start button on the stand-in taskbar\n");
        return 1;
    }
    // As start-up does: the menu is made, hidden, at the first idle moment.
    PrepareMenuAtFirstIdle();
    for (double deadline = NowMs() + 10000; !(button.pMenu && button.pMenu->IsAlive()) && NowMs() < deadline;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
    Wakeups idleBefore = PumpAndCount(2000); // the menu was never opened yet

    WNDCLASSW bare{};
    bare.lpfnWndProc = BareProc;
    bare.hInstance = GetModuleHandleW(nullptr);
    bare.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    bare.lpszClassName = kBareClass;
    RegisterClassW(&bare);

    // First openings: the bare popup first, so that it and not the menu pays
    // for whatever the first topmost popup of a process costs.
    double start = NowMs();
    HWND popup = CreateBarePopup();
    ShowWindow(popup, SW_SHOW);
    UpdateWindow(popup);
    bool floorShown = SettleShown(popup);
    double floorFirst = NowMs() - start;
    ShowWindow(popup, SW_HIDE);
    Pump();

    Pause();
    start = NowMs();
    Press(button.m_hWnd);
    HWND menu = button.pMenu ? button.pMenu->m_hWnd : nullptr;
    bool menuShown = menu && SettleShown(menu);
    double oursFirst = NowMs() - start;
    if (!menuShown || !floorShown) {
        std::printf("menu bench: the %s never showed painted\n", menuShown ? "bare popup" : "menu");
        return 1;
    }
    ReportRow(withRecent ? "first menu opening, Recent folder of 5,000" : "first menu opening (show + first paint)",
              oursFirst, floorFirst);
    std::printf("  floor: bare 449x486 topmost popup created, shown and painted\n");
    int unsettled = 0;
    if (searchOnly) {
        MeasureSearchKeystroke(button, menu, &unsettled);
        DestroyWindow(popup);
        button.DestroyWindow();
        Pump();
        return 0;
    }

    // Later openings: the menu's window exists; only showing and painting
    // count. The menu and the bare popup each start with the other closed
    // and after a pause, as a user's click does.
    std::vector<double> ours, floor;
    for (int i = 0; i < kLaterRuns; ++i) {
        CloseMenu(button);
        ShowWindow(popup, SW_HIDE);
        Pause();
        start = NowMs();
        Press(button.m_hWnd);
        unsettled += !SettleShown(menu);
        ours.push_back(NowMs() - start);

        CloseMenu(button);
        Pause();
        start = NowMs();
        ShowWindow(popup, SW_SHOW);
        UpdateWindow(popup);
        unsettled += !SettleShown(popup);
        floor.push_back(NowMs() - start);
    }
    ShowWindow(popup, SW_HIDE);
    CloseMenu(button);
    ReportRow(withRecent ? "later menu opening, Recent folder of 5,000, median of 30"
                         : "later menu opening (show + paint), median of 30",
              Median(ours), Median(floor));
    if (unsettled)
        std::printf("  %d openings never showed painted within 10 s\n", unsettled);
    std::printf("  floor: the bare popup shown and painted again\n");
    if (withRecent) {
        ReportRecentReading(*recent);
        RecentDocs().SetFolder(std::wstring());
        DestroyWindow(popup);
        button.DestroyWindow();
        Pump();
        return 0;
    }

    MeasureToggle(button, menu, popup, &unsettled);
    MeasureAppsToggle(button, menu, popup, &unsettled);
    MeasureExpand(button, menu, popup, startMenu, &unsettled);
    MeasurePinnedReload(button, menu, popup, &unsettled);
    MeasureSearchKeystroke(button, menu, &unsettled);

    // Objects and memory around many openings, each painted and closed again.
    Usage before = MeasureUsage();
    int windowsBefore = CountWindows();
    int stillClosed = 0;
    for (int i = 0; i < kLeakRuns; ++i) {
        Press(button.m_hWnd);
        unsettled += !SettleShown(menu);
        Press(button.m_hWnd);
        Pump();
        if (!button.pMenu->IsMenuVisible())
            ++stillClosed;
        CloseMenu(button);
    }
    Usage after = MeasureUsage();
    int windowsAfter = CountWindows();
    ReportValue("GDI objects, 1000 menu openings (after/before)", before.gdi, after.gdi, "");
    ReportValue("USER objects, 1000 menu openings (after/before)", before.user, after.user, "");
    ReportValue("windows of the thread, 1000 menu openings", windowsBefore, windowsAfter, "");
    ReportValue("private bytes, 1000 menu openings", before.privateKb, after.privateKb, "KB");
    if (before.gdi == 0 && after.gdi == 0)
        std::printf("  GetGuiResources counts nothing on this platform: GDI/USER rows are blank\n");
    if (stillClosed != kLeakRuns)
        std::printf("  %d of %d presses did not close the menu again\n", kLeakRuns - stillClosed, kLeakRuns);
    if (unsettled)
        std::printf("  %d openings in all never showed painted within 10 s\n", unsettled);

    // Wake-ups while the menu is closed, against the same wait before it ever existed.
    Wakeups idleAfter = PumpAndCount(2000);
    ReportValue("timers while the menu is closed (2 s; before menu)", idleBefore.timers, idleAfter.timers, "");
    ReportValue("messages while the menu is closed (2 s; before menu)", idleBefore.messages, idleAfter.messages,
                "");
    if (idleAfter.timers) {
        std::printf("  after the openings:\n");
        PrintTimerSources(idleAfter);
    }
    if (idleBefore.timers) {
        std::printf("  before the first opening:\n");
        PrintTimerSources(idleBefore);
    }

    MeasureRecentPopup(button, menu, popup, &unsettled);

    DestroyWindow(popup);
    button.DestroyWindow();
    Pump();
    return 0;
}

} // namespace

// The first and later openings with 5,000 recent documents, in a process of
// their own so that the first opening is the process's first; its rows go to
// the same output.
int RunRecentRows() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" recent";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(self, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("menu bench: the run with 5,000 recent documents did not start (%lu)\n", GetLastError());
        return 1;
    }
    fw::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

// With the argument "search", only the first opening and the search row run;
// with "recent", only the openings with a Recent folder of 5,000 shortcuts.
int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    int result;
    {
        fw::ComScope com;
        fw::GdiplusScope gdiplus;
        fw::gModule.Init(GetModuleHandleW(nullptr));
        result = Run(mode == "search" ? Rows::kSearch : mode == "recent" ? Rows::kRecent : Rows::kAll);
        fw::gModule.Term();
    }
    if (mode.empty()) {
        std::fflush(stdout);
        const int recent = RunRecentRows();
        result = result ? result : recent;
    }
    return result;
}
