// The packaged apps as rows of the menu's lists.
#include "PackagedAppsLists.h"

#include "PackagedApps.h"
#include "ShellPidl.h"
#include "Text.h"
#include "Utils.h"

#include <shlobj.h>

#include <memory>

void AppendPackagedAppEntries(std::vector<SearchEntry>* entries) {
    // Made once per list: folding the names again at every keystroke is wasted.
    static std::shared_ptr<const CPackagedApps::Apps> made;
    static std::vector<SearchEntry> cached;
    std::shared_ptr<const CPackagedApps::Apps> apps = PackagedApps().Snapshot();
    if (apps != made) {
        cached.clear();
        if (apps)
            for (const PackagedApp& app : *apps)
                cached.push_back(MakeSearchEntry(app.strName.c_str(), app.strPath.c_str(), kSearchPrograms));
        made = apps;
    }
    entries->insert(entries->end(), cached.begin(), cached.end());
}

HICON PackagedAppIcon(const wchar_t* path, int pixels) {
    const wchar_t* id = PackagedAppIdOfPath(path);
    if (!id)
        return nullptr;
    if (auto apps = PackagedApps().Snapshot())
        for (const PackagedApp& app : *apps)
            if (_wcsicmp(app.strId.c_str(), id) == 0 && app.hIcon && app.nIconSize == pixels)
                return ::CopyIcon(app.hIcon.get());
    fw::UniquePidl idList = PackagedAppIdList(path);
    return LoadPackagedAppIcon(idList.get(), pixels);
}

int ShowPackagedAppMenu(CShellPidl* shell, HWND owner, const wchar_t* path, POINT pt) {
    if (!PackagedAppIdOfPath(path))
        return -1;
    fw::UniquePidl idList = PackagedAppIdList(path);
    fw::ComPtr<IShellFolder> folder;
    PCUITEMID_CHILD child = nullptr;
    if (!idList || FAILED(::SHBindToParent(idList.get(), IID_IShellFolder, folder.put_void(), &child)))
        return 0;
    return shell->ShowItemContextMenu(owner, folder.get(), child, pt);
}
