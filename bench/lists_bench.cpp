// The two lists of the Start menu against bare loops doing the same listing and
// icon look-ups in the same run: the all-programs build over a generated Start
// Menu of 2,000 shortcuts in 200 folders, and a pinned-list reload.
#include "AppList.h"
#include "GdiplusScope.h"
#include "Handles.h"
#include "Skin.h"
#include "TreeWnd.h"
#include "Utils.h"

#include <shellapi.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchTable.h"
#include "TestFiles.h"

namespace {

const int kFolders = 200;
const int kPerFolder = 10;

std::wstring ProgramsFolder() {
    wchar_t path[MAX_PATH] = {};
    GetSpecialFolderPath(nullptr, path, CSIDL_PROGRAMS);
    return path;
}

// Writes the generated Start Menu once; shortcuts point at this program.
std::wstring GenerateStartMenu(IShellLinkW* link) {
    std::wstring root = ProgramsFolder() + L"\\VelmarBench";
    CreateDirectoryW(root.c_str(), nullptr);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    fw::ComPtr<IPersistFile> file;
    link->QueryInterface(IID_IPersistFile, file.put_void());
    link->SetPath(self);
    for (int f = 0; f < kFolders; ++f) {
        std::wstring folder = ProgramsFolder() + L"\\Bench Folder " + std::to_wstring(f);
        CreateDirectoryW(folder.c_str(), nullptr);
        for (int s = 0; s < kPerFolder; ++s) {
            std::wstring lnk = folder + L"\\Tool " + std::to_wstring(s) + L".lnk";
            if (GetFileAttributesW(lnk.c_str()) == INVALID_FILE_ATTRIBUTES)
                file->Save(lnk.c_str(), TRUE);
        }
    }
    return root;
}

// The floor: list every folder and ask the shell for each entry's small icon and
// name, as the build does, and nothing else.
void BareAllPrograms() {
    std::vector<std::wstring> files, folders;
    ListDirectory(&files, &folders, ProgramsFolder().c_str());
    auto lookUp = [](const std::wstring& path) {
        SHFILEINFOW info{};
        if (SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_SMALLICON))
            DestroyIcon(info.hIcon);
    };
    for (const auto& f : files)
        lookUp(f);
    for (const auto& d : folders) {
        lookUp(d);
        std::vector<std::wstring> inner;
        ListDirectory(&inner, &inner, d.c_str());
        for (const auto& f : inner)
            lookUp(f);
    }
}

void BuildAndExpandAll(CTreeWnd& tree, const RECT& rc, IShellLinkW* link) {
    tree.BuildAllPrograms(rc);
    for (_treeNode* n = tree.GetRoot()->pChild; n; n = n->pNext)
        if (n->dwFlags & 0x40)
            tree.ExpandFolder(n, link);
}

void BarePinned(const std::vector<std::wstring>& paths) {
    for (const auto& p : paths) {
        SHFILEINFOW info{};
        if (SHGetFileInfoW(p.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_LARGEICON))
            DestroyIcon(info.hIcon);
    }
}

} // namespace

int main() {
    fw::ComScope com;
    fw::GdiplusScope gdiplus;
    fw::ComPtr<IShellLinkW> link;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void());
    GenerateStartMenu(link.get());

    HWND owner = CreateWindowExW(0, L"STATIC", L"bench owner", WS_POPUP, 0, 0, 449, 486, nullptr, nullptr, nullptr,
                                 nullptr);
    RECT rc = {11, 11, 275, 405};
    CTreeWnd tree(owner, 1201);
    const int runs = 5;
    double oursTop = MedianMs(runs, [&] { tree.BuildAllPrograms(rc); });
    double oursAll = MedianMs(runs, [&] { BuildAndExpandAll(tree, rc, link.get()); });
    double floorAll = MedianMs(runs, [] { BareAllPrograms(); });
    ReportRow("all-programs build + every folder (2000 in 200)", oursAll, floorAll);
    std::printf("%-52s %9.2f ms\n", "all-programs build, top level only", oursTop);

    // A pinned list of ten programs.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring listPath = std::wstring(temp) + L"velmar-bench.lst";
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<AppListEntry> entries(10);
    std::vector<std::wstring> paths;
    for (int i = 0; i < 10; ++i) {
        swprintf(entries[i].szName, 256, L"Program %d", i);
        wcscpy(entries[i].szPath, self);
        entries[i].nKind = kAppKindApplication;
        paths.push_back(self);
    }
    SaveAppList(listPath.c_str(), entries);
    AppListReadOptions options;
    options.bSkipMissing = 1;
    options.nMaxEntries = 10;
    double oursPinned = MedianMs(21, [&] {
        std::vector<AppListEntry> read;
        ReadAppList(listPath.c_str(), options, &read);
        ReleaseAppListIcons(&read);
    });
    double floorPinned = MedianMs(21, [&] {
        std::string bytes = ReadFileBytes(listPath);
        (void)bytes;
        BarePinned(paths);
    });
    ReportRow("pinned list reload (10 entries)", oursPinned, floorPinned);
    DeleteFileW(listPath.c_str());
    DestroyWindow(owner);
    return 0;
}
