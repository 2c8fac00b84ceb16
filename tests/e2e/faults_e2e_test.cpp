// Faults the real programs must survive: the shell's taskbar killed and made
// again, Velmar killed while its hook sits in the shell, the list file taken
// away or changed under an open menu, and Quillset saving where it cannot.
// Velmar.exe, Pegwell.dll, Quillset.exe and the default skin run from a
// scratch folder whose skin keeps the list file in the folder's "data".
// Times until the button is back are printed for the report, not asserted.
#include "AppList.h"
#include "PinnedEntry.h"
#include "ProgramFolder.h"
#include "Processes.h"
#include "StandinClient.h"
#include "StandinProcess.h"
#include "XInput.h"
#include "resource.h" // the options dialog's control ids

#include <gtest/gtest.h>

#include <shlobj.h>
#include <shobjidl.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

const int kPinnedRowHeight = 36;
const int kRowsTop = 5;

bool MakeShortcut(const std::wstring& lnk, const std::wstring& target, const std::wstring& arguments) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    IPersistFile* file = nullptr;
    const bool saved = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                       SUCCEEDED(file->Save(lnk.c_str(), TRUE));
    if (file)
        file->Release();
    link->Release();
    return saved;
}

int64_t ModifiedTime(const std::wstring& path) {
    struct _stat64 st;
    return _wstat64(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_mtime) : -1;
}

// The visible top-level window of the process with this class and title.
HWND FindTitled(DWORD pid, const wchar_t* cls, const wchar_t* title, DWORD timeoutMs = 15000) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND h = GetTopWindow(nullptr); h; h = GetNextWindow(h, GW_HWNDNEXT)) {
                wchar_t text[128] = {}, name[64] = {};
                GetWindowTextW(h, text, 128);
                GetClassNameW(h, name, 64);
                if (OwnerProcess(h) == pid && IsWindowVisible(h) && wcscmp(text, title) == 0 &&
                    wcscmp(name, cls) == 0) {
                    found = h;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ASSERT_TRUE(folder.Copy({L"Velmar.exe", L"Pegwell.dll", L"Quillset.exe"}));
        ASSERT_TRUE(folder.CopyDefaultSkin());
        ASSERT_TRUE(folder.CopyAs(L"launch_recorder.exe", L"Recorder.exe"));
        recorder = folder.Join(L"Recorder.exe");
        record = folder.Join(L"launch.txt");
        dataDir = folder.MakeDir(L"data");
        listFile = dataDir + L"\\applist.lst";
        std::string skin = ReadFileBytes(folder.Join(L"skin.cfg"));
        const size_t at = skin.find("SKIN.APPLIST=");
        ASSERT_NE(std::string::npos, at);
        skin.replace(at, skin.find('\n', at) - at, "SKIN.APPLIST=" + Narrow(listFile) + "\r");
        folder.WriteFile(L"skin.cfg", skin);
        size = GetPrivateProfileIntW(L"DESIGN", L"STBTN.HEIGHT", 54, folder.Join(L"skin.cfg").c_str());
    }
    void TearDown() override {
        velmar.Kill();
        quillset.Kill();
        if (standin)
            standin->Stop();
        SetFileAttributesW(listFile.c_str(), FILE_ATTRIBUTE_NORMAL);
        CoUninitialize();
    }

    void StartTaskbar() {
        standin = std::make_unique<CStandinProcess>();
        StandinOptions options;
        ASSERT_TRUE(standin->Start(options));
        ASSERT_EQ(standin->Taskbar(), FindWindowW(L"Shell_TrayWnd", L"")) << "the stand-in must be found first";
    }
    void StartVelmar() { ASSERT_TRUE(velmar.Start(folder.Join(L"Velmar.exe"), L"", {L"LAUNCH_RECORD=" + record})); }
    // The button on the current taskbar once it is shown and the band is pushed aside.
    HWND ButtonBack(DWORD timeoutMs = 15000) {
        HWND found = nullptr;
        const bool back = WaitFor(
            [&] {
                found = FindWindowExW(standin->Taskbar(), nullptr, nullptr, L"Start.Button.Main");
                return found && IsWindowVisible(found) && standin::RebarPlacement(standin->Taskbar()).left == size;
            },
            timeoutMs);
        return back ? found : nullptr;
    }
    HWND Menu() const {
        HWND menu = FindWindowW(nullptr, L"Velmar.Menu.Class");
        return menu && OwnerProcess(menu) == velmar.Id() ? menu : nullptr;
    }
    bool MenuShown() const { return Menu() && IsWindowVisible(Menu()); }
    // A real click on the Start button, then the state it must bring.
    bool ClickButton(HWND button, bool open) {
        WaitForInputIdle(velmar.Handle(), 5000);
        return XClick(Centre(button)) && WaitFor([&] { return MenuShown() == open; }, 10000);
    }
    POINT PinnedRow(int row) const {
        RECT menu;
        GetWindowRect(Menu(), &menu);
        auto skin = [&](const wchar_t* key) {
            return static_cast<int>(GetPrivateProfileIntW(L"DESIGN", key, 0, folder.Join(L"skin.cfg").c_str()));
        };
        return {menu.left + skin(L"MENU.APPLIST.X") + skin(L"MENU.APPLIST.WIDTH") / 2,
                menu.top + skin(L"MENU.APPLIST.Y") + kRowsTop + row * kPinnedRowHeight + kPinnedRowHeight / 2};
    }
    // The list file as Quillset writes it, with a modification time Velmar has not seen.
    void SaveList(const std::vector<AppListEntry>& entries) {
        const int64_t previous = ModifiedTime(listFile);
        WaitFor([&] { return _time64(nullptr) > previous; }, 3000);
        ASSERT_EQ(1, SaveAppList(listFile.c_str(), entries));
    }

    ProgramFolder folder;
    std::wstring recorder, record, dataDir, listFile;
    std::unique_ptr<CStandinProcess> standin;
    ChildProcess velmar, quillset;
    int size = 54;
};

TEST_F(Faults, TheTaskbarKilledAndMadeAgainFiveTimesGetsTheButtonBackEachTime) {
    StartTaskbar();
    StartVelmar();
    ASSERT_TRUE(ButtonBack()) << "no button at the start";
    for (int round = 1; round <= 5; ++round) {
        TerminateProcess(standin->Process(), 1);
        WaitForSingleObject(standin->Process(), 10000);
        ASSERT_TRUE(velmar.Running()) << "Velmar ended with the taskbar, round " << round;
        StartTaskbar();
        const DWORD started = GetTickCount();
        HWND button = ButtonBack();
        ASSERT_TRUE(button) << "round " << round << ": no button, or the band not pushed aside, within 15 s";
        std::printf("taskbar restart %d: button back and band pushed aside %lu ms after the taskbar was up\n", round,
                    GetTickCount() - started);
        EXPECT_EQ(velmar.Id(), OwnerProcess(button));
    }
}

TEST_F(Faults, VelmarKilledWithItsHookInstalledLeavesTheTaskbarWorking) {
    StartTaskbar();
    StartVelmar();
    ASSERT_TRUE(ButtonBack());
    TerminateProcess(velmar.Handle(), 1);
    ASSERT_EQ(1u, velmar.Wait(10000));

    standin::RebarRecord before{};
    ASSERT_TRUE(standin::ReadRebarRecord(standin->Taskbar(), &before));
    ASSERT_TRUE(standin::Relayout(standin->Taskbar(), 0, 0, 0, 0)) << "the taskbar did not lay out its band";
    standin::RebarRecord after{};
    ASSERT_TRUE(standin::ReadRebarRecord(standin->Taskbar(), &after));
    EXPECT_GT(after.nCount, before.nCount);
    DWORD_PTR answer = 0;
    EXPECT_NE(0, SendMessageTimeoutW(standin->Taskbar(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(standin->Process(), 0)) << "the taskbar's process ended";
    std::printf("band after Velmar was killed: left %ld\n", standin::RebarPlacement(standin->Taskbar()).left);

    // Velmar started again finds the same taskbar and pushes the band aside again.
    StartVelmar();
    EXPECT_TRUE(ButtonBack());
}

TEST_F(Faults, TheListFileTakenAwayOrChangedUnderTheOpenMenuNeverEndsVelmar) {
    const std::wstring first = folder.Join(L"First.lnk"), second = folder.Join(L"Second.lnk");
    ASSERT_TRUE(MakeShortcut(first, recorder, L"first"));
    ASSERT_TRUE(MakeShortcut(second, recorder, L"second"));
    SaveList({Entry(kAppKindShortcut, L"First", first)});
    StartTaskbar();
    StartVelmar();
    HWND button = ButtonBack();
    ASSERT_TRUE(button);

    struct Fault {
        const char* name;
        std::function<void()> apply;
    };
    HANDLE lock = INVALID_HANDLE_VALUE;
    const std::vector<Fault> faults = {
        {"deleted", [&] { DeleteFileW(listFile.c_str()); }},
        {"a folder in its place", [&] { CreateDirectoryW(listFile.c_str(), nullptr); }},
        {"back, then locked",
         [&] {
             RemoveDirectoryW(listFile.c_str());
             SaveList({Entry(kAppKindShortcut, L"First", first)});
             lock = CreateFileW(listFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         }},
        {"rewritten by another program",
         [&] {
             CloseHandle(lock);
             SaveList({Entry(kAppKindShortcut, L"Second", second), Entry(kAppKindShortcut, L"First", first)});
         }},
    };
    for (const Fault& fault : faults) {
        ASSERT_TRUE(ClickButton(button, true)) << fault.name << ": the menu did not open";
        fault.apply();
        ASSERT_TRUE(ClickButton(button, false)) << fault.name << ": the menu did not close";
        ASSERT_TRUE(ClickButton(button, true)) << fault.name << ": the menu did not open again";
        ASSERT_TRUE(velmar.Running()) << fault.name;
        ASSERT_TRUE(ClickButton(button, false)) << fault.name;
    }
    // The next opening shows the new content: its first row starts the new entry.
    ASSERT_TRUE(ClickButton(button, true));
    ASSERT_TRUE(XClick(PinnedRow(0)));
    ASSERT_TRUE(WaitFor([&] { return ReadFileBytes(record).find('\n') != std::string::npos; }))
        << "nothing started from the first row";
    EXPECT_EQ("second\n", ReadFileBytes(record));
}

// Quillset saving again and again (a rename and Apply, turn about) while
// Velmar is opened again and again: each opening shows the old list or the new
// one as drawn when each was alone, never rows of both or half a list; once
// the saves end, the next opening shows the last list saved.
TEST_F(Faults, QuillsetSavingWhileVelmarReloadsShowsTheOldOrTheNewListNeverAMix) {
    const wchar_t* names[2] = {L"Old list", L"The new list's first entry"};
    SaveList({Entry(kAppKindApplication, names[0], recorder), Entry(kAppKindApplication, L"Second", recorder),
              Entry(kAppKindApplication, L"Third", recorder)});
    StartTaskbar();
    StartVelmar();
    HWND button = ButtonBack();
    ASSERT_TRUE(button);
    ASSERT_TRUE(quillset.Start(folder.Join(L"Quillset.exe")));
    HWND dialog = FindTitled(quillset.Id(), L"#32770", L"Start Menu Options");
    ASSERT_TRUE(dialog);
    WaitForInputIdle(quillset.Handle(), 5000);

    // Quillset's own save path: the first entry (selected at start) renamed, then Apply.
    auto save = [&](const wchar_t* name) {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(GetDlgItem(dialog, IDC_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name),
                                   SMTO_ABORTIFHUNG, 10000, &result) &&
               SendMessageTimeoutW(dialog, WM_COMMAND, IDC_APPLY, 0, SMTO_ABORTIFHUNG, 10000, &result);
    };
    // The pinned list's first three rows, where the menu stands when shown.
    ASSERT_TRUE(ClickButton(button, true));
    RECT rows;
    {
        RECT menu;
        GetWindowRect(Menu(), &menu);
        auto skin = [&](const wchar_t* key) {
            return static_cast<int>(GetPrivateProfileIntW(L"DESIGN", key, 0, folder.Join(L"skin.cfg").c_str()));
        };
        const int left = menu.left + skin(L"MENU.APPLIST.X"), top = menu.top + skin(L"MENU.APPLIST.Y");
        rows = {left, top, left + skin(L"MENU.APPLIST.WIDTH"), top + kRowsTop + 3 * kPinnedRowHeight};
    }
    ASSERT_TRUE(ClickButton(button, false));
    // An opening's rows as drawn: other than what was there before, and holding still.
    auto openAndLook = [&](std::vector<DWORD>* drawn) {
        const std::vector<DWORD> behind = ScreenPixels(rows);
        std::vector<DWORD> last;
        return ClickButton(button, true) && WaitFor([&] {
                   *drawn = ScreenPixels(rows);
                   const bool still = *drawn != behind && *drawn == last;
                   last = *drawn;
                   return still;
               }) &&
               ClickButton(button, false);
    };
    std::vector<DWORD> shown[2];
    ASSERT_TRUE(openAndLook(&shown[0])) << "the old list never showed";
    ASSERT_TRUE(save(names[1]));
    ASSERT_TRUE(openAndLook(&shown[1]) && shown[1] != shown[0]) << "the new list never showed";

    std::atomic<bool> stop{false};
    std::atomic<int> saves{0}, failedSaves{0};
    std::thread writer([&] {
        for (int i = 0; !stop; ++i)
            ++(save(names[i % 2]) ? saves : failedSaves);
    });
    const int kOpenings = 20;
    int seen[2] = {0, 0}, mixed = 0;
    for (int opening = 0; opening < kOpenings && !HasFatalFailure(); ++opening) {
        if (!ClickButton(button, true)) {
            ADD_FAILURE() << "the menu did not open at opening " << opening;
            break;
        }
        int which = -1;
        if (WaitFor(
                [&] {
                    const std::vector<DWORD> now = ScreenPixels(rows);
                    which = now == shown[0] ? 0 : now == shown[1] ? 1 : -1;
                    return which >= 0;
                },
                5000))
            ++seen[which];
        else
            ++mixed;
        if (!ClickButton(button, false)) {
            ADD_FAILURE() << "the menu did not close at opening " << opening;
            break;
        }
    }
    stop = true;
    writer.join();
    std::printf("save/reload race with the real programs: %d saves, %d openings showed the old list, %d the new, "
                "%d neither\n",
                saves.load(), seen[0], seen[1], mixed);
    EXPECT_EQ(0, mixed) << "an opening showed neither list";
    EXPECT_EQ(0, failedSaves.load()) << "a save did not go through";
    EXPECT_TRUE(velmar.Running() && quillset.Running());

    // The last save wins at the next opening.
    const int last = ReadFileBytes(listFile).find(Narrow(names[1])) != std::string::npos ? 1 : 0;
    ASSERT_TRUE(ClickButton(button, true));
    EXPECT_TRUE(WaitFor([&] { return ScreenPixels(rows) == shown[last]; }, 5000))
        << "the opening after the last save does not show the list saved last";
    ASSERT_TRUE(ClickButton(button, false));
}

class QuillsetFaults : public Faults {
protected:
    void SetUp() override {
        Faults::SetUp();
        SaveList({Entry(kAppKindApplication, L"Editor", recorder)});
        oldBytes = ReadFileBytes(listFile);
        ASSERT_TRUE(quillset.Start(folder.Join(L"Quillset.exe")));
        dialog = FindTitled(quillset.Id(), L"#32770", L"Start Menu Options");
        ASSERT_TRUE(dialog);
        WaitForInputIdle(quillset.Handle(), 5000);
        // An edit in the dialog: the selected entry renamed through its name field.
        SendMessageW(GetDlgItem(dialog, IDC_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Edited"));
    }
    // Apply must fail with the write error; the file and the edit stay as they
    // were. unlock (when given) ends the fault before the file is compared.
    void ExpectFailedApply(const char* fault, bool fileKept, HANDLE unlock = nullptr) {
        PostMessageW(dialog, WM_COMMAND, IDC_APPLY, 0);
        HWND box = FindTitled(quillset.Id(), L"#32770", L"Error");
        ASSERT_TRUE(box) << fault << ": no error box";
        wchar_t text[256] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 256);
        EXPECT_STREQ(L"Error occurred while writing the file.", text) << fault;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); })) << fault;
        if (unlock)
            CloseHandle(unlock);
        if (fileKept) {
            EXPECT_EQ(oldBytes, ReadFileBytes(listFile)) << fault << ": the old file changed";
        }
        wchar_t name[64] = {};
        GetDlgItemTextW(dialog, IDC_NAME, name, 64);
        EXPECT_STREQ(L"Edited", name) << fault << ": the edit was lost";
        EXPECT_TRUE(quillset.Running()) << fault;
    }
    void ExpectGoodApply() {
        PostMessageW(dialog, WM_COMMAND, IDC_APPLY, 0);
        EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(listFile).find("APP=Edited|app|") != std::string::npos; }))
            << "the edit was not saved once the fault was gone";
        EXPECT_EQ(nullptr, FindTitled(quillset.Id(), L"#32770", L"Error", 0));
    }

    std::string oldBytes;
    HWND dialog = nullptr;
};

TEST_F(QuillsetFaults, SavingIntoAReadOnlyOrLockedFileFailsAndKeepsTheFileAndTheEdits) {
    ASSERT_TRUE(SetFileAttributesW(listFile.c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectFailedApply("read-only file", true);
    SetFileAttributesW(listFile.c_str(), FILE_ATTRIBUTE_NORMAL);

    HANDLE lock = CreateFileW(listFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    ExpectFailedApply("locked file", true, lock);

    ExpectGoodApply();
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(1u, quillset.Wait());
}

TEST_F(QuillsetFaults, SavingIntoAVanishedFolderFailsAndKeepsTheEdits) {
    TempDir::RemoveTree(dataDir);
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dataDir.c_str()));
    ExpectFailedApply("vanished folder", false);
    CreateDirectoryW(dataDir.c_str(), nullptr);
    ExpectGoodApply();
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(2u, quillset.Wait());
}

// A full disk without privileges: under Wine the file Quillset writes before
// it replaces the list (the list's name with ".tmp") is made a link to the
// Linux device that answers every write with "no space left on the device"
// (ERROR_DISK_FULL). The link is made and taken away by the system's ln and
// rm, started by their full paths; the test waits until the folder shows the
// change.
class UnixLink {
public:
    explicit UnixLink(const std::wstring& path) : m_path(path) {
        using UnixName = char*(CDECL*)(const wchar_t*);
        const auto unixName = reinterpret_cast<UnixName>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        if (char* name = unixName ? unixName(path.c_str()) : nullptr) {
            m_unix = name;
            HeapFree(GetProcessHeap(), 0, name);
        }
    }
    ~UnixLink() { Remove(); }
    bool Available() const { return !m_unix.empty() && GetFileAttributesW(L"Z:\\bin\\ln") != INVALID_FILE_ATTRIBUTES; }
    bool MakeTo(const char* target) {
        return Run(std::string("Z:\\bin\\ln -s ") + target + " \"" + m_unix + "\"") &&
               WaitFor([&] { return Listed(); });
    }
    bool Remove() {
        return !Listed() || (Run("Z:\\bin\\rm -f \"" + m_unix + "\"") && WaitFor([&] { return !Listed(); }));
    }

private:
    // A link to a device has no attributes a Windows program can read; the
    // folder's listing shows its name all the same.
    bool Listed() const {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(m_path.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return false;
        FindClose(find);
        return true;
    }
    static bool Run(std::string command) {
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return false;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return true;
    }

    std::wstring m_path;
    std::string m_unix;
};

TEST_F(QuillsetFaults, SavingOntoAFullDiskFailsAndKeepsTheFileAndTheEdits) {
    UnixLink full(listFile + L".tmp");
    if (!full.Available())
        GTEST_SKIP() << "a full disk is simulated with a link to /dev/full, which needs Wine";
    ASSERT_TRUE(full.MakeTo("/dev/full")) << "the link to /dev/full did not show up";
    ExpectFailedApply("full disk", true);
    ASSERT_TRUE(full.Remove()) << "the link to /dev/full did not go";
    ExpectGoodApply();
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(1u, quillset.Wait());
}

} // namespace
