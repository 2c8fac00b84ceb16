// run_helper.exe: the set-up and look-ups of make run, done from inside Wine.
//
//   run_helper.exe seed PICTURE.png   a first run that looks finished: a pinned
//                                     list of programs this prefix has, Start
//                                     Menu folders with shortcuts, recent
//                                     documents, and the account picture under
//                                     the account's key
//   run_helper.exe rect TITLE         waits (20 s at most) for the visible
//                                     top-level window with that title and
//                                     prints "x y width height"
//   run_helper.exe popup              the same for the first visible popup menu
// Exit codes: 0 done, 1 bad arguments, 2 not found or not written.
#include "Handles.h"
#include "TestFiles.h"
#include "Wait.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <iterator>
#include <string>

namespace {

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, csidl, TRUE);
    return path;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Shortcut(const std::wstring& folder, const wchar_t* name, const std::wstring& target) {
    if (!Exists(target))
        return true; // a program this prefix lacks is left out
    CreateDirectoryW(folder.c_str(), nullptr);
    return MakeShortcut(folder + L"\\" + name + L".lnk", target);
}

// The pinned list as Quillset writes it: UTF-8 with BOM, CR LF.
bool WritePinnedList(const std::wstring& windows, const std::wstring& system) {
    const std::wstring folder = Folder(CSIDL_APPDATA) + L"\\Velmar";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::pair<const wchar_t*, std::wstring> entries[] = {
        {L"Explorer", windows + L"\\explorer.exe"},          {L"Notepad", system + L"\\notepad.exe"},
        {L"Command Prompt", system + L"\\cmd.exe"},          {L"Control Panel", system + L"\\control.exe"},
        {L"Registry Editor", windows + L"\\regedit.exe"},    {L"Task Manager", system + L"\\taskmgr.exe"},
        {L"Minesweeper", system + L"\\winemine.exe"},        {L"Clock", system + L"\\clock.exe"},
    };
    std::wstring text = L"# Application List\r\n# encoding: UTF-8\r\n";
    for (const auto& e : entries)
        if (Exists(e.second))
            text += std::wstring(L"APP=") + e.first + L"|app|" + e.second + L"\r\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8 = "\xEF\xBB\xBF" + std::string(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[3], bytes, nullptr, nullptr);
    HANDLE f = CreateFileW((folder + L"\\applist.lst").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(f, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) &&
                    written == utf8.size();
    CloseHandle(f);
    return ok;
}

// Where Windows keeps the account picture: HKLM\...\AccountPicture\Users\<SID>, "Image96".
bool SetAccountPicture(const std::wstring& picture) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    BYTE buffer[256];
    DWORD size = 0;
    const bool got = GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size);
    CloseHandle(token);
    wchar_t* sid = nullptr;
    if (!got || !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid))
        return false;
    const std::wstring key =
        std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AccountPicture\\Users\\") + sid;
    LocalFree(sid);
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExW(h, L"Image96", 0, REG_SZ, reinterpret_cast<const BYTE*>(picture.c_str()),
                                   static_cast<DWORD>((picture.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

// Documents of a few weeks: real files in Documents with their shortcuts in the
// Recent folder, the last one the newest.
bool SeedRecentDocuments() {
    const std::wstring documents = Folder(CSIDL_PERSONAL), recent = Folder(CSIDL_RECENT);
    const wchar_t* names[] = {L"Shopping list.txt",  L"Holiday photo.bmp", L"Budget 2026.csv",
                              L"Letter to Anna.txt", L"\x041E\x0442\x0447\x0451\x0442 \x0437\x0430 \x043C\x0430\x0440\x0442.txt",
                              L"Meeting notes.txt",  L"Project plan.txt"};
    // Windows opens .txt with Notepad; Wine's prefix names no program for it.
    bool ok = SetRegistryString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.txt", L"", L"txtfile");
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    int i = 0;
    for (const wchar_t* name : names) {
        const std::wstring path = documents + L"\\" + name, shortcut = recent + L"\\" + name + L".lnk";
        HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ok = f != INVALID_HANDLE_VALUE && WriteFile(f, "Velmar\r\n", 8, &written, nullptr) && ok;
        if (f != INVALID_HANDLE_VALUE)
            CloseHandle(f);
        // As SHAddToRecentDocs writes it; Wine 8's own call points the shortcut at a wrong file.
        ok = MakeShortcut(shortcut, path) && ok;
        // A minute apart, in the order they were opened.
        ULARGE_INTEGER t{};
        t.LowPart = now.dwLowDateTime;
        t.HighPart = now.dwHighDateTime;
        t.QuadPart -= static_cast<ULONGLONG>(std::size(names) - i++) * 60ull * 10000000ull;
        const FILETIME when = {t.LowPart, t.HighPart};
        HANDLE h = CreateFileW(shortcut.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        ok = h != INVALID_HANDLE_VALUE && SetFileTime(h, nullptr, nullptr, &when) && ok;
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
    return ok;
}

int Seed(const wchar_t* picture) {
    fw::ComScope com;
    const std::wstring windows = Folder(CSIDL_WINDOWS), system = Folder(CSIDL_SYSTEM);
    const std::wstring programs = Folder(CSIDL_PROGRAMS), common = Folder(CSIDL_COMMON_PROGRAMS);
    const std::wstring programFiles = Folder(CSIDL_PROGRAM_FILES);
    bool ok = WritePinnedList(windows, system);
    ok = Shortcut(common + L"\\Accessories", L"Notepad", system + L"\\notepad.exe") && ok;
    ok = Shortcut(common + L"\\Accessories", L"Command Prompt", system + L"\\cmd.exe") && ok;
    ok = Shortcut(common + L"\\Accessories", L"WordPad", programFiles + L"\\Windows NT\\Accessories\\wordpad.exe") && ok;
    ok = Shortcut(common + L"\\Accessories", L"Clock", system + L"\\clock.exe") && ok;
    ok = Shortcut(common + L"\\Accessories\\System Tools", L"Task Manager", system + L"\\taskmgr.exe") && ok;
    ok = Shortcut(common + L"\\Accessories\\System Tools", L"Registry Editor", windows + L"\\regedit.exe") && ok;
    ok = Shortcut(common + L"\\Games", L"Minesweeper", system + L"\\winemine.exe") && ok;
    ok = Shortcut(programs + L"\\Wine", L"Wine Configuration", system + L"\\winecfg.exe") && ok;
    ok = Shortcut(programs + L"\\Wine", L"Wine File Manager", system + L"\\winefile.exe") && ok;
    ok = Shortcut(programs, L"Internet Explorer", programFiles + L"\\Internet Explorer\\iexplore.exe") && ok;
    ok = Shortcut(programs, L"Control Panel", system + L"\\control.exe") && ok;
    ok = SeedRecentDocuments() && ok;
    ok = SetAccountPicture(picture) && ok;
    return ok ? 0 : 2;
}

// The rectangle of the first window that matches, polled for 20 s.
template <class F> int PrintRect(F find) {
    HWND h = nullptr;
    if (!WaitFor([&] { return (h = find()) != nullptr; }, 20000))
        return 2;
    RECT rc;
    GetWindowRect(h, &rc);
    std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && !wcscmp(argv[1], L"seed"))
        return Seed(argv[2]);
    if (argc == 3 && !wcscmp(argv[1], L"rect"))
        return PrintRect([&] {
            HWND h = FindWindowW(nullptr, argv[2]);
            return h && IsWindowVisible(h) ? h : nullptr;
        });
    if (argc == 4 && !wcscmp(argv[1], L"rect")) // a control of that window, by its id
        return PrintRect([&] {
            HWND h = FindWindowW(nullptr, argv[2]);
            HWND control = h && IsWindowVisible(h) ? GetDlgItem(h, _wtoi(argv[3])) : nullptr;
            return control && IsWindowVisible(control) ? control : nullptr;
        });
    if (argc == 2 && !wcscmp(argv[1], L"popup"))
        return PrintRect([] {
            for (HWND h = FindWindowW(L"#32768", nullptr); h; h = FindWindowExW(nullptr, h, L"#32768", nullptr))
                if (IsWindowVisible(h))
                    return h;
            return static_cast<HWND>(nullptr);
        });
    return 1;
}
