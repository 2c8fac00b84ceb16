// The installer and uninstaller built by make package, run silently: the files,
// the sign-in value, the "Apps & features" entry, the Start Menu shortcut and
// the user's pinned list, also over a running Velmar whose hook library the
// taskbar still holds.
#include <gtest/gtest.h>

#include "Processes.h"
#include "StandinProcess.h"
#include "TestFiles.h"
#include "XInput.h"

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmar";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// Where the uninstaller moves a hook library the taskbar still holds.
std::wstring MovedAside() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"Velmar-removed";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The value as text, or "<absent>"; DWORDs as decimal text.
std::wstring RegText(const wchar_t* key, const wchar_t* name) {
    wchar_t buf[1024] = {};
    DWORD size = sizeof(buf), type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type, buf, &size) != ERROR_SUCCESS)
        return L"<absent>";
    if (type == REG_DWORD) {
        DWORD number = 0;
        memcpy(&number, buf, sizeof(number));
        return std::to_wstring(number);
    }
    return buf;
}

bool KeyExists(const wchar_t* key) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

// Relative paths of every file under root ("skin\\x.png").
void ListFiles(const std::wstring& root, const std::wstring& rel, std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((root + rel + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring n = fd.cFileName;
        if (n == L"." || n == L"..")
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(root, rel + L"\\" + n, out);
        else
            out.push_back((rel.empty() ? n : rel.substr(1) + L"\\" + n));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        listPath = KnownFolder(CSIDL_APPDATA) + L"\\Velmar\\applist.lst";
        hadList = Exists(listPath);
        savedList = ReadFileBytes(listPath);
        DeleteFileW(listPath.c_str());
        ASSERT_TRUE(Exists(SetupExe())) << "the installer was not built";
        ASSERT_FALSE(KeyExists(kUninstallKey)) << "Velmar is already installed in this prefix";
    }
    void TearDown() override {
        velmar.Kill();
        standin.Stop();
        if (Exists(Dir() + L"\\uninstall.exe"))
            Uninstall();
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunOnceKey, L"Velmar cleanup (folder)");
        // A hook library moved aside for removal at the next sign-in.
        TempDir::RemoveTree(MovedAside());
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunOnceKey, L"Velmar cleanup");
        DeleteFileW(listPath.c_str());
        if (hadList) {
            TempDir scratch;
            CopyFileW(scratch.WriteFile(L"applist.lst", savedList).c_str(), listPath.c_str(), FALSE);
        }
    }

    static std::wstring SetupExe() { return BinDir() + L"\\..\\package\\Velmar-" VELMAR_VERSION_STRING L"-setup.exe"; }
    static std::wstring Stage() { return BinDir() + L"\\..\\package\\stage\\Velmar"; }
    std::wstring Dir() const { return dir.empty() ? KnownFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Velmar" : dir; }
    static std::wstring Shortcut() { return KnownFolder(CSIDL_PROGRAMS) + L"\\Velmar\\Velmar Options.lnk"; }

    DWORD Install() const {
        ChildProcess setup;
        EXPECT_TRUE(setup.Start(SetupExe(), dir.empty() ? L"/S" : L"/S /D=" + dir));
        return setup.Wait(60000);
    }
    // Run as "Apps & features" runs it: the uninstaller copies itself to the
    // temporary folder, starts the copy and returns; the copy removes the install
    // folder last. (Run in place with _?= it could not delete itself or the folder.)
    DWORD Uninstall() const {
        ChildProcess uninstaller;
        EXPECT_TRUE(uninstaller.Start(Dir() + L"\\uninstall.exe", L"/S"));
        const DWORD code = uninstaller.Wait(60000);
        EXPECT_TRUE(WaitFor([this] { return !Exists(Dir()); }, 60000)) << "the install folder is still there";
        return code;
    }

    // Starts the installed Velmar on the stand-in and waits for its Start button.
    HWND StartInstalledVelmar() {
        if (!standin.Taskbar()) {
            EXPECT_TRUE(standin.Start(StandinOptions()));
        }
        EXPECT_TRUE(velmar.Start(Dir() + L"\\Velmar.exe"));
        HWND button = nullptr;
        WaitFor([&] { return (button = FindWindowExW(standin.Taskbar(), nullptr, nullptr, L"Start.Button.Main")); });
        return button;
    }

    void ExpectShippedFilesInstalled() {
        std::vector<std::wstring> shipped;
        ListFiles(Stage(), L"", shipped);
        ASSERT_GE(shipped.size(), 8u);
        for (const auto& f : shipped)
            EXPECT_EQ(ReadFileBytes(Stage() + L"\\" + f), ReadFileBytes(Dir() + L"\\" + f))
                << "installed file differs or is missing: " << std::string(f.begin(), f.end());
        EXPECT_TRUE(Exists(Dir() + L"\\uninstall.exe"));
    }
    void ExpectNothingOfOursLeft() {
        EXPECT_EQ(L"<absent>", RegText(kRunKey, L"Velmar"));
        EXPECT_FALSE(KeyExists(kUninstallKey));
        EXPECT_FALSE(Exists(Shortcut()));
        EXPECT_FALSE(Exists(KnownFolder(CSIDL_PROGRAMS) + L"\\Velmar"));
    }

    std::wstring dir; // the install folder when not the default one
    std::wstring listPath;
    bool hadList = false;
    std::string savedList;
    CStandinProcess standin;
    ChildProcess velmar;
};

} // namespace

TEST_F(Installer, InstallsForTheUserWritesAStarterListAndUninstallsAllButTheList) {
    ASSERT_EQ(0u, Install());
    ExpectShippedFilesInstalled();
    EXPECT_EQ(L"\"" + Dir() + L"\\Velmar.exe\"", RegText(kRunKey, L"Velmar"));
    EXPECT_EQ(L"Velmar", RegText(kUninstallKey, L"DisplayName"));
    EXPECT_EQ(VELMAR_VERSION_STRING, RegText(kUninstallKey, L"DisplayVersion"));
    EXPECT_EQ(L"Velmar", RegText(kUninstallKey, L"Publisher"));
    EXPECT_EQ(Dir() + L"\\Velmar.exe,0", RegText(kUninstallKey, L"DisplayIcon"));
    EXPECT_EQ(Dir(), RegText(kUninstallKey, L"InstallLocation"));
    EXPECT_EQ(L"\"" + Dir() + L"\\uninstall.exe\"", RegText(kUninstallKey, L"UninstallString"));
    EXPECT_GT(_wtoi(RegText(kUninstallKey, L"EstimatedSize").c_str()), 100);
    EXPECT_TRUE(Exists(Shortcut()));

    std::string list = ReadFileBytes(listPath);
    EXPECT_EQ(0u, list.find("\xEF\xBB\xBF# Application List\r\n# encoding: UTF-8\r\n")) << list;
    // An entry for each starter program this machine has (Wine has no Paint).
    const std::wstring windows = KnownFolder(CSIDL_WINDOWS), system = KnownFolder(CSIDL_SYSTEM);
    const std::pair<const char*, std::wstring> starters[] = {{"Explorer", windows + L"\\explorer.exe"},
                                                             {"Notepad", system + L"\\notepad.exe"},
                                                             {"Paint", system + L"\\mspaint.exe"},
                                                             {"Command Prompt", system + L"\\cmd.exe"},
                                                             {"Control Panel", system + L"\\control.exe"}};
    for (const auto& starter : starters) {
        const std::string line = std::string("APP=") + starter.first + "|app|" +
                                 std::string(starter.second.begin(), starter.second.end()) + "\r\n";
        EXPECT_EQ(Exists(starter.second), list.find(line) != std::string::npos) << line;
    }
    ASSERT_EQ(0u, Uninstall());
    ExpectNothingOfOursLeft();
    EXPECT_EQ(list, ReadFileBytes(listPath)) << "the uninstaller changed the pinned list";
}

TEST_F(Installer, AnExistingListSurvivesInstallUpgradeOverARunningVelmarAndUninstall) {
    const std::string mine = "\xEF\xBB\xBF# Application List\r\n# encoding: UTF-8\r\nAPP=Mine|app|C:\\mine.exe\r\n"
                             "LNK=|lnk|C:\\x.lnk\r\n";
    CreateDirectoryW(KnownFolder(CSIDL_APPDATA).append(L"\\Velmar").c_str(), nullptr);
    {
        TempDir scratch;
        ASSERT_TRUE(CopyFileW(scratch.WriteFile(L"applist.lst", mine).c_str(), listPath.c_str(), FALSE));
    }
    ASSERT_EQ(0u, Install());
    EXPECT_EQ(mine, ReadFileBytes(listPath));

    // An upgrade ends the running Velmar as "Exit Velmar" does (exit code 0,
    // the button gone from the taskbar) before it replaces the files.
    ASSERT_TRUE(StartInstalledVelmar()) << "the installed Velmar put no button on the taskbar";
    ASSERT_EQ(0u, Install());
    EXPECT_EQ(0u, velmar.Wait(0)) << "Velmar was not ended by the upgrade";
    EXPECT_FALSE(FindWindowExW(standin.Taskbar(), nullptr, nullptr, L"Start.Button.Main"));
    ExpectShippedFilesInstalled();
    EXPECT_EQ(mine, ReadFileBytes(listPath));

    // The stand-in taskbar, like the shell, may keep Pegwell.dll mapped after
    // Velmar is gone; the install folder must go all the same.
    ASSERT_TRUE(StartInstalledVelmar());
    ASSERT_EQ(0u, Uninstall());
    EXPECT_EQ(0u, velmar.Wait(0)) << "Velmar was not ended by the uninstaller";
    ExpectNothingOfOursLeft();
    if (Exists(MovedAside())) {
        EXPECT_NE(L"<absent>", RegText(kRunOnceKey, L"Velmar cleanup")) << "a moved-aside file is never removed";
    }
    EXPECT_EQ(mine, ReadFileBytes(listPath));
}

namespace {

// The file's identity (its index on the volume): a replaced file gets a new one.
ULONGLONG FileIndex(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = f != INVALID_HANDLE_VALUE && GetFileInformationByHandle(f, &info);
    if (f != INVALID_HANDLE_VALUE)
        CloseHandle(f);
    return known ? (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow : 0;
}

// A drive letter of the test's prefix on a file system other than the
// temporary folder's (a tmpfs), so that no rename crosses from one to the other.
class OtherVolume {
public:
    OtherVolume() : m_target("/dev/shm/velmar-volume-" + std::to_string(GetCurrentProcessId())) {
        for (char l = 'q'; l < 'z' && m_root.empty(); ++l) {
            if (GetDriveTypeA((std::string(1, l) + ":\\").c_str()) != DRIVE_NO_ROOT_DIR)
                continue;
            m_link = std::string("$WINEPREFIX/dosdevices/") + l + ":";
            if (RunUnix("mkdir -p " + m_target + " && ln -sfn " + m_target + " " + m_link))
                m_root = std::wstring(1, static_cast<wchar_t>(l)) + L":";
        }
    }
    ~OtherVolume() { RunUnix("rm -f " + m_link + "; rm -rf " + m_target); }
    const std::wstring& Root() const { return m_root; }

private:
    std::string m_target, m_link;
    std::wstring m_root;
};

} // namespace

// An upgrade while another program holds Pegwell.dll, into a folder on another
// volume than the temporary folder: every file new, or none changed.
TEST_F(Installer, AnUpgradeBesideAHeldHookLibraryOnAnotherVolumeReplacesEveryFileOrNone) {
    OtherVolume volume;
    ASSERT_FALSE(volume.Root().empty()) << "no second drive could be mapped";
    dir = volume.Root() + L"\\Velmar";
    ASSERT_EQ(0u, Install());
    const std::wstring hook = Dir() + L"\\Pegwell.dll";
    HMODULE held = LoadLibraryExW(hook.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_TRUE(held);
    const ULONGLONG old = FileIndex(hook);
    const DWORD code = Install();
    if (code == 0) {
        ExpectShippedFilesInstalled();
        EXPECT_NE(old, FileIndex(hook)) << "the setup reported success beside the old Pegwell.dll";
    } else {
        EXPECT_EQ(old, FileIndex(hook)) << "a failed setup changed the files";
    }
    FreeLibrary(held);
    ASSERT_EQ(0u, Uninstall());
    ExpectNothingOfOursLeft();
}

// The shutdown step finds a Velmar whose taskbar (and so its button) is gone,
// and an open Quillset, and waits for both to end.
TEST_F(Installer, AnUpgradeEndsAVelmarWithoutAButtonAndAnOpenQuillset) {
    ASSERT_EQ(0u, Install());
    const HWND button = StartInstalledVelmar();
    ASSERT_TRUE(button);
    standin.Stop();
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(button); }));
    ASSERT_TRUE(velmar.Running()) << "Velmar ended with its taskbar";
    ChildProcess quillset;
    ASSERT_TRUE(quillset.Start(Dir() + L"\\Quillset.exe"));
    ASSERT_TRUE(FindTitledWindow(quillset.Id(), L"#32770", L"Start Menu Options"));
    ASSERT_EQ(0u, Install());
    EXPECT_EQ(0u, velmar.Wait(0)) << "the setup did not end Velmar";
    EXPECT_EQ(2u, quillset.Wait(0)) << "the setup did not cancel Quillset";
    ExpectShippedFilesInstalled();
}

// While a file of ours is left, "Apps & features" keeps the entry and the
// uninstaller it names; a second uninstall, once the file is free, removes all.
TEST_F(Installer, AnUninstallThatLeavesAFileKeepsItsEntryUntilTheFilesAreGone) {
    ASSERT_EQ(0u, Install());
    HANDLE held = CreateFileW((Dir() + L"\\skin.cfg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ChildProcess inPlace; // run in place: it returns when it has finished
    ASSERT_TRUE(inPlace.Start(Dir() + L"\\uninstall.exe", L"/S _?=" + Dir()));
    EXPECT_NE(0u, inPlace.Wait(60000));
    EXPECT_TRUE(Exists(Dir() + L"\\skin.cfg"));
    EXPECT_TRUE(KeyExists(kUninstallKey)) << "the entry went while a file is left";
    EXPECT_TRUE(Exists(Dir() + L"\\uninstall.exe")) << "the entry names an uninstaller that is gone";
    CloseHandle(held);
    ASSERT_EQ(0u, Uninstall());
    ExpectNothingOfOursLeft();
}
