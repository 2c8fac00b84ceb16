// Faults the real programs must survive: the shell's taskbar killed and made
// again, Velmar killed while its hook sits in the shell, the list file taken
// away or changed under an open menu, and Quillset saving where it cannot.
// Velmar.exe, Pegwell.dll, Quillset.exe and the default skin run from a
// scratch folder whose skin keeps the list file in the folder's "data".
// Times until the button is back are printed for the report, not asserted.
#include "AppList.h"
#include "AppListTestHelpers.h"
#include "StandinClient.h"
#include "VelmarEndToEnd.h"
#include "options/resource.h" // the options dialog's control ids

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

class Faults : public VelmarEndToEnd {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ASSERT_NO_FATAL_FAILURE(VelmarEndToEnd::SetUp());
        ASSERT_TRUE(folder.Copy({L"Quillset.exe"}));
        ASSERT_TRUE(folder.CopyAs(L"launch_recorder.exe", L"Recorder.exe"));
        recorder = folder.Join(L"Recorder.exe");
        record = folder.Join(L"launch.txt");
        dataDir = folder.MakeDir(L"data");
        listFile = dataDir + L"\\applist.lst";
        ASSERT_TRUE(folder.KeepListAt(listFile));
    }
    void TearDown() override {
        quillset.Kill();
        VelmarEndToEnd::TearDown();
        SetFileAttributesW(listFile.c_str(), FILE_ATTRIBUTE_NORMAL);
        CoUninitialize();
    }

    void StartTaskbar() { ASSERT_NO_FATAL_FAILURE(VelmarEndToEnd::StartTaskbar(standin)); }
    void StartVelmar() { ASSERT_NO_FATAL_FAILURE(VelmarEndToEnd::StartVelmar({L"LAUNCH_RECORD=" + record})); }
    // The button on the current taskbar once it is shown and the band is pushed aside.
    HWND ButtonBack(DWORD timeoutMs = 15000) {
        HWND found = nullptr;
        const bool back = WaitFor(
            [&] {
                found = FindWindowExW(standin.Taskbar(), nullptr, nullptr, L"Start.Button.Main");
                return found && IsWindowVisible(found) && standin::RebarPlacement(standin.Taskbar()).left == size;
            },
            timeoutMs);
        return back ? found : nullptr;
    }
    // A real click on the Start button, then the state it must bring.
    bool ClickButton(HWND button, bool open) {
        WaitForInputIdle(velmar.Handle(), 5000);
        return XClick(Centre(button)) && WaitFor([&] { return MenuShown() == open; }, 10000);
    }
    void SaveList(const std::vector<AppListEntry>& entries) { ASSERT_TRUE(SaveListAnew(listFile, entries)); }

    std::wstring recorder, record, dataDir, listFile;
    ChildProcess quillset;
};

TEST_F(Faults, TheTaskbarKilledAndMadeAgainFiveTimesGetsTheButtonBackEachTime) {
    StartTaskbar();
    StartVelmar();
    ASSERT_TRUE(ButtonBack()) << "no button at the start";
    for (int round = 1; round <= 5; ++round) {
        TerminateProcess(standin.Process(), 1);
        WaitForSingleObject(standin.Process(), 10000);
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
    ASSERT_TRUE(standin::ReadRebarRecord(standin.Taskbar(), &before));
    ASSERT_TRUE(standin::Relayout(standin.Taskbar(), 0, 0, 0, 0)) << "the taskbar did not lay out its band";
    standin::RebarRecord after{};
    ASSERT_TRUE(standin::ReadRebarRecord(standin.Taskbar(), &after));
    EXPECT_GT(after.nCount, before.nCount);
    DWORD_PTR answer = 0;
    EXPECT_NE(0, SendMessageTimeoutW(standin.Taskbar(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(standin.Process(), 0)) << "the taskbar's process ended";
    std::printf("band after Velmar was killed: left %ld\n", standin::RebarPlacement(standin.Taskbar()).left);

    // Velmar started again finds the same taskbar and pushes the band aside again.
    StartVelmar();
    EXPECT_TRUE(ButtonBack());
}

TEST_F(Faults, TheListFileTakenAwayOrChangedUnderTheOpenMenuNeverEndsVelmar) {
    const std::wstring first = folder.Join(L"First.lnk"), second = folder.Join(L"Second.lnk");
    ASSERT_TRUE(MakeShortcut(first, recorder, L"first"));
    ASSERT_TRUE(MakeShortcut(second, recorder, L"second"));
    SaveList({MakeEntry(L"First", kAppKindShortcut, first)});
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
             SaveList({MakeEntry(L"First", kAppKindShortcut, first)});
             lock = CreateFileW(listFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         }},
        {"rewritten by another program",
         [&] {
             CloseHandle(lock);
             SaveList({MakeEntry(L"Second", kAppKindShortcut, second), MakeEntry(L"First", kAppKindShortcut, first)});
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
    ASSERT_TRUE(XClick(Middle(Row(0))));
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
    SaveList({MakeEntry(names[0], kAppKindApplication, recorder), MakeEntry(L"Second", kAppKindApplication, recorder),
              MakeEntry(L"Third", kAppKindApplication, recorder)});
    StartTaskbar();
    StartVelmar();
    HWND button = ButtonBack();
    ASSERT_TRUE(button);
    ASSERT_TRUE(quillset.Start(folder.Join(L"Quillset.exe")));
    HWND dialog = FindTitledWindow(quillset.Id(), L"#32770", L"Start Menu Options");
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
    const RECT rows = {Row(0).left, Row(0).top, Row(2).right, Row(2).bottom};
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
        SaveList({MakeEntry(L"Editor", kAppKindApplication, recorder)});
        oldBytes = ReadFileBytes(listFile);
        ASSERT_TRUE(quillset.Start(folder.Join(L"Quillset.exe")));
        dialog = FindTitledWindow(quillset.Id(), L"#32770", L"Start Menu Options");
        ASSERT_TRUE(dialog);
        WaitForInputIdle(quillset.Handle(), 5000);
        // An edit in the dialog: the selected entry renamed through its name field.
        SendMessageW(GetDlgItem(dialog, IDC_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Edited"));
    }
    // Apply must fail with the write error; the file and the edit stay as they
    // were. unlock (when given) ends the fault before the file is compared.
    void ExpectFailedApply(const char* fault, bool fileKept, HANDLE unlock = nullptr) {
        PostMessageW(dialog, WM_COMMAND, IDC_APPLY, 0);
        const MessageBoxSeen box = TakeMessageBox(quillset.Id(), 15000, L"Error");
        ASSERT_TRUE(box.window) << fault << ": no error box";
        EXPECT_EQ(L"Error occurred while writing the file.", box.text) << fault;
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(box.window); })) << fault;
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
        EXPECT_EQ(nullptr, FindTitledWindow(quillset.Id(), L"#32770", L"Error", 0));
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
// (ERROR_DISK_FULL). The link is made and taken away on the Unix side; the
// test waits until the folder shows the change.
class UnixLink {
public:
    explicit UnixLink(const std::wstring& path) : m_path(path), m_unix(UnixFileName(path)) {}
    ~UnixLink() { Remove(); }
    bool Available() const { return !m_unix.empty(); }
    bool MakeTo(const char* target) {
        return RunUnix(std::string("ln -s ") + target + " '" + m_unix + "'") && WaitFor([&] { return Listed(); });
    }
    bool Remove() { return !Listed() || (RunUnix("rm -f '" + m_unix + "'") && WaitFor([&] { return !Listed(); })); }

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
