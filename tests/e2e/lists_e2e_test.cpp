// The menu's lists end to end: Velmar.exe with the default skin on the
// stand-in taskbar, the application list file at the skin's place
// (%APPDATA%\Velmar\applist.lst), a real program pinned through it, and real
// X clicks on the rows. The menu is a top-level window of Velmar's process, so
// Wine draws it: the rows are found from the skin's list rectangle and the row
// geometry, and a change on the screen shows that a folder opened.
//
// With VELMAR_SHOTS set to a Unix folder, the tests also save screenshots there
// (the pinned list with a hovered row, the opened all-programs tree).
#include "AppList.h"
#include "ProgramFolder.h"
#include "Processes.h"
#include "StandinProcess.h"
#include "XInput.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <shobjidl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cwctype>
#include <string>
#include <vector>

namespace {

const wchar_t kModeProperty[] = L"Velmar.Start.Mode";
const int kPinnedRowHeight = 36;
const int kTreeRowHeight = 23;
const int kRowsTop = 5; // the lists draw their rows from this height on

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, csidl, TRUE);
    return path;
}

bool MakeShortcut(const std::wstring& lnk, const std::wstring& target, const std::wstring& arguments) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    IPersistFile* file = nullptr;
    bool saved = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                 SUCCEEDED(file->Save(lnk.c_str(), TRUE));
    if (file)
        file->Release();
    link->Release();
    return saved;
}

AppListEntry Entry(int kind, const std::wstring& name, const std::wstring& path) {
    AppListEntry entry;
    entry.nKind = kind;
    wcsncpy(entry.szName, name.c_str(), kAppListNameCapacity - 1);
    wcsncpy(entry.szPath, path.c_str(), kAppListPathCapacity - 1);
    return entry;
}

int64_t ModifiedTime(const std::wstring& path) {
    struct _stat64 st;
    return _wstat64(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_mtime) : -1;
}

// Runs a shell command line on the Unix side and waits for it (see XInput.h
// for why the exit code travels through a marker file).
bool RunUnix(const std::string& command) {
    static LONG counter = 0;
    char marker[96];
    std::snprintf(marker, sizeof(marker), "/tmp/velmar-lists-%lu-%ld", GetCurrentProcessId(),
                  InterlockedIncrement(&counter));
    std::string line = "/bin/sh -c \"" + command + "; echo $? > " + marker + "\"";
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::wstring path = L"Z:";
    for (const char* p = marker; *p; ++p)
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    std::string text;
    if (!WaitFor([&] {
            text = ReadFileBytes(path);
            return !text.empty();
        }))
        return false;
    DeleteFileW(path.c_str());
    return text[0] == '0';
}

// Saves the whole screen as VELMAR_SHOTS/name when VELMAR_SHOTS is set.
void Screenshot(const char* name) {
    const char* folder = getenv("VELMAR_SHOTS");
    if (!folder || !*folder)
        return;
    EXPECT_TRUE(RunUnix(std::string("import -window root '") + folder + "/" + name + "'")) << name;
}

// The pixels of a screen rectangle, to see when something was drawn there.
std::vector<DWORD> ScreenPixels(const RECT& rc) {
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The top level of the all-programs tree as Velmar reads it: the entries of
// the user's programs folder, the All Users' Start Menu (files only) and the
// All Users' programs folder, hidden ones left out.
std::vector<std::wstring> StartMenuTopLevel(std::vector<std::wstring>* folders) {
    std::vector<std::wstring> all;
    const struct {
        int csidl;
        bool withFolders;
    } sources[] = {{CSIDL_PROGRAMS, true}, {CSIDL_COMMON_STARTMENU, false}, {CSIDL_COMMON_PROGRAMS, true}};
    for (const auto& source : sources) {
        const std::wstring base = SpecialFolder(source.csidl);
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW((base + L"\\*").c_str(), &fd);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L".." || (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN))
                continue;
            const bool folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (folder && !source.withFolders)
                continue;
            all.push_back((folder ? L"D " : L"F ") + base + L"\\" + name);
            if (folder && folders)
                folders->push_back(name);
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    std::sort(all.begin(), all.end());
    return all;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towlower(c));
    return text;
}

class ListsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ASSERT_TRUE(folder.Copy({L"Velmar.exe", L"Pegwell.dll"}));
        ASSERT_TRUE(folder.CopyDefaultSkin());
        ASSERT_TRUE(folder.CopyAs(L"launch_recorder.exe", L"Recorder.exe"));
        recorder = folder.Join(L"Recorder.exe");
        record = folder.Join(L"launch.txt");
        config = folder.Join(L"skin.cfg");
        // Where the default skin's bare "applist.lst" leads; kept as it was found.
        const std::wstring velmarData = SpecialFolder(CSIDL_APPDATA) + L"\\Velmar";
        CreateDirectoryW(velmarData.c_str(), nullptr);
        listFile = velmarData + L"\\applist.lst";
        hadList = GetFileAttributesW(listFile.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (hadList)
            savedList = ReadFileBytes(listFile);
    }
    void TearDown() override {
        velmar.Kill();
        standin.Stop();
        if (!startMenuFolder.empty())
            TempDir::RemoveTree(startMenuFolder);
        if (hadList) {
            HANDLE f = CreateFileW(listFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD written = 0;
            WriteFile(f, savedList.data(), static_cast<DWORD>(savedList.size()), &written, nullptr);
            CloseHandle(f);
        } else {
            DeleteFileW(listFile.c_str());
        }
        CoUninitialize();
    }

    void Start() {
        StandinOptions options;
        ASSERT_TRUE(standin.Start(options));
        ASSERT_EQ(standin.Taskbar(), FindWindowW(L"Shell_TrayWnd", L"")) << "the stand-in must be found first";
        ASSERT_TRUE(velmar.Start(folder.Join(L"Velmar.exe"), L"", {L"LAUNCH_RECORD=" + record}));
        ASSERT_TRUE(WaitFor([&] {
            button = FindWindowExW(standin.Taskbar(), nullptr, nullptr, L"Start.Button.Main");
            return button && IsWindowVisible(button);
        })) << "no Start button";
        WaitForInputIdle(velmar.Handle(), 5000);
    }
    void Stop() {
        velmar.Kill();
        standin.Stop();
    }
    HWND Menu() const {
        HWND menu = FindWindowW(nullptr, L"Velmar.Menu.Class");
        return menu && OwnerProcess(menu) == velmar.Id() ? menu : nullptr;
    }
    bool MenuShown() const { return Menu() && IsWindowVisible(Menu()); }
    int Mode() const { return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(button, kModeProperty))); }
    // Opens the menu with a real click on the Start button (again, when another
    // window took the activation and so closed it at once).
    bool OpenMenu() {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (!MenuShown() && (!XClick(Centre(button)) || !WaitFor([&] { return MenuShown(); }, 5000)))
                continue;
            Sleep(300); // painted and active
            if (MenuShown())
                return true;
        }
        return false;
    }
    // Runs a gesture on the open menu; true once it succeeded. Another test's
    // window may take the activation at any moment, and the menu then hides, so
    // a failed gesture is tried again from a fresh opening (a close first, which
    // also leaves the all-programs mode and collapses the tree). With fresh the
    // first attempt closes the menu too, so that it shows what changed since.
    template <class F> bool OnOpenMenu(F gesture, bool fresh = false) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if ((attempt > 0 || fresh) && MenuShown()) {
                XClick(Centre(button));
                WaitFor([&] { return !MenuShown(); }, 5000);
            }
            if (OpenMenu() && gesture())
                return true;
        }
        return false;
    }
    // The list's own visibility, whether or not the menu around it is shown.
    bool ListShown(int id) const {
        HWND list = GetDlgItem(Menu(), id);
        return list && (GetWindowLongW(list, GWL_STYLE) & WS_VISIBLE);
    }
    int Skin(const wchar_t* section, const wchar_t* key) const {
        return static_cast<int>(GetPrivateProfileIntW(section, key, -1, config.c_str()));
    }
    // The screen rectangle of row `row` (0 the first drawn) of a list with rows `height` high.
    RECT Row(int row, int height) const {
        RECT menu;
        GetWindowRect(Menu(), &menu);
        const int left = menu.left + Skin(L"DESIGN", L"MENU.APPLIST.X");
        const int top = menu.top + Skin(L"DESIGN", L"MENU.APPLIST.Y") + kRowsTop + row * height;
        return {left + 3, top, left + Skin(L"DESIGN", L"MENU.APPLIST.WIDTH") - 3, top + height};
    }
    static POINT Middle(const RECT& rc) { return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }
    POINT SkinButtonCentre(const wchar_t* name) const {
        RECT menu;
        GetWindowRect(Menu(), &menu);
        auto key = [&](const wchar_t* k) { return std::wstring(name) + L"." + k; };
        return {menu.left + Skin(L"BUTTON", key(L"POS.X").c_str()) + Skin(L"BUTTON", key(L"POS.WIDTH").c_str()) / 2,
                menu.top + Skin(L"BUTTON", key(L"POS.Y").c_str()) + Skin(L"BUTTON", key(L"POS.HEIGHT").c_str()) / 2};
    }
    size_t RecordLines() const {
        const std::string text = ReadFileBytes(record);
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }
    // Clicks a row of the open menu until the recorder has written `lines` lines.
    bool ClickRowUntilRecorded(int row, int height, size_t lines, bool fresh = false) {
        return OnOpenMenu(
            [&] { return XClick(Middle(Row(row, height))) && WaitFor([&] { return RecordLines() >= lines; }, 10000); },
            fresh);
    }
    // The list file as the options program writes it; a new modification time
    // (whole seconds) so that Velmar can tell it from the last one it read.
    void SaveList(const std::vector<AppListEntry>& entries) {
        const int64_t previous = ModifiedTime(listFile);
        WaitFor([&] { return _time64(nullptr) > previous; }, 3000);
        ASSERT_EQ(1, SaveAppList(listFile.c_str(), entries));
        ASSERT_NE(previous, ModifiedTime(listFile));
    }

    ProgramFolder folder;
    std::wstring recorder, record, config, listFile, startMenuFolder;
    bool hadList = false;
    std::string savedList;
    CStandinProcess standin;
    ChildProcess velmar;
    HWND button = nullptr;
};

} // namespace

TEST_F(ListsEndToEnd, APinnedProgramStartsFromItsRowAndTheMenuCloses) {
    const std::wstring windows = SpecialFolder(CSIDL_WINDOWS);
    const std::wstring shortcut = folder.Join(L"Recorder shortcut.lnk");
    ASSERT_TRUE(MakeShortcut(shortcut, recorder, L"through-the-shortcut"));
    SaveList({Entry(kAppKindApplication, L"Notepad", windows + L"\\notepad.exe"),
              Entry(kAppKindApplication, L"Recorder", recorder),
              Entry(kAppKindApplication, L"Gone", folder.Join(L"gone.exe")),
              Entry(kAppKindApplication, L"Registry Editor", windows + L"\\regedit.exe"),
              Entry(kAppKindShortcut, L"Recorder shortcut", shortcut)});
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(OpenMenu());
    EXPECT_TRUE(ListShown(1200)) << "the menu opens with the pinned list";
    EXPECT_FALSE(ListShown(1201));

    // The mouse resting on the third row (the missing program left no row).
    const POINT hover = Middle(Row(2, kPinnedRowHeight));
    ASSERT_TRUE(Xdotool("mousemove " + std::to_string(hover.x) + " " + std::to_string(hover.y)));
    Sleep(500);
    Screenshot("lists-pinned-hover.png");

    ASSERT_TRUE(ClickRowUntilRecorded(1, kPinnedRowHeight, 1)) << "the recorder did not start";
    EXPECT_EQ("\n", ReadFileBytes(record)) << "started with parameters";
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); })) << "the menu stayed open";
    EXPECT_TRUE(WaitFor([&] { return Mode() == 0; })) << "the Start button still looks pressed";

    // The shortcut row: the shell follows the link with its arguments.
    ASSERT_TRUE(ClickRowUntilRecorded(3, kPinnedRowHeight, 2)) << "the shortcut did not start";
    EXPECT_EQ("\nthrough-the-shortcut\n", ReadFileBytes(record));
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); }));
}

TEST_F(ListsEndToEnd, AShortcutInAStartMenuFolderStartsFromTheAllProgramsTree) {
    // A name that sorts before the prefix's own folders.
    const std::wstring name = L"0 Velmar Lists " + std::to_wstring(GetCurrentProcessId());
    startMenuFolder = SpecialFolder(CSIDL_PROGRAMS) + L"\\" + name;
    ASSERT_TRUE(CreateDirectoryW(startMenuFolder.c_str(), nullptr));
    ASSERT_TRUE(MakeShortcut(startMenuFolder + L"\\Recorder.lnk", recorder, L"from-the-tree"));
    SaveList({Entry(kAppKindApplication, L"Recorder", recorder)});

    // Velmar reads the Start Menu when the menu is first made; other tests may
    // add to it meanwhile, so the rows are worked out only from a listing that
    // did not change around that moment.
    std::vector<std::wstring> folders, top;
    bool stable = false;
    for (int attempt = 0; attempt < 3 && !stable; ++attempt) {
        folders.clear();
        top = StartMenuTopLevel(&folders);
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(OpenMenu());
        stable = top == StartMenuTopLevel(nullptr);
        if (!stable)
            Stop();
    }
    ASSERT_TRUE(stable) << "the Start Menu kept changing";
    // Files first; folders sorted by name, one row for a name in both Start Menus.
    const int files = static_cast<int>(
        std::count_if(top.begin(), top.end(), [](const std::wstring& entry) { return entry[0] == L'F'; }));
    std::vector<std::wstring> distinct;
    for (const std::wstring& f : folders)
        distinct.push_back(Lower(f));
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    const int row = files + static_cast<int>(std::find(distinct.begin(), distinct.end(), Lower(name)) -
                                             distinct.begin());
    RECT menu;
    GetWindowRect(Menu(), &menu);
    ASSERT_LT(Row(row + 1, kTreeRowHeight).bottom,
              menu.top + Skin(L"DESIGN", L"MENU.APPLIST.Y") + Skin(L"DESIGN", L"MENU.APPLIST.HEIGHT"))
        << "the folder's row is out of sight";

    bool sawTree = false, opened = false;
    const bool started = OnOpenMenu([&] {
        if (!XClick(SkinButtonCentre(L"allprograms")) || !WaitFor([&] { return ListShown(1201); }, 5000))
            return false;
        sawTree = true;
        EXPECT_FALSE(ListShown(1200)) << "the pinned list stayed beside the tree";
        Sleep(300);
        const RECT childRow = Row(row + 1, kTreeRowHeight);
        const std::vector<DWORD> closed = ScreenPixels(childRow);
        if (!XClick(Middle(Row(row, kTreeRowHeight))) ||
            !WaitFor([&] { return ScreenPixels(childRow) != closed; }, 5000) || !MenuShown())
            return false;
        opened = true;
        Sleep(300);
        Screenshot("lists-allprograms-open.png");
        return XClick(Middle(childRow)) && WaitFor([&] { return RecordLines() >= 1; }, 10000);
    });
    EXPECT_TRUE(sawTree) << "the toggle did not show the all-programs tree";
    EXPECT_TRUE(opened) << "the folder did not open";
    ASSERT_TRUE(started) << "the shortcut in the folder did not start";
    EXPECT_EQ("from-the-tree\n", ReadFileBytes(record));
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); })) << "the menu stayed open";

    // The next opening shows the pinned list again.
    EXPECT_TRUE(OnOpenMenu([&] { return ListShown(1200) && !ListShown(1201); }));
}

TEST_F(ListsEndToEnd, AListRewrittenWhileVelmarRunsShowsAtTheNextOpening) {
    const std::wstring shortcut = folder.Join(L"New entry.lnk");
    ASSERT_TRUE(MakeShortcut(shortcut, recorder, L"new-entry"));
    SaveList({Entry(kAppKindApplication, L"Recorder", recorder)});
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(OpenMenu());

    // What the options program's OK does: the whole file replaced.
    SaveList({Entry(kAppKindShortcut, L"New entry", shortcut), Entry(kAppKindApplication, L"Recorder", recorder)});
    ASSERT_TRUE(ClickRowUntilRecorded(0, kPinnedRowHeight, 1, true)) << "nothing started from the first row";
    EXPECT_EQ("new-entry\n", ReadFileBytes(record)) << "the first row is not the new entry";
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); }));
}
