// Reading the shell's Applications folder, the apps' icons, and starting one.
#include "PackagedApps.h"

#include "Text.h"
#include "Trace.h"
#include "Utils.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <new>
#include <utility>

namespace {

// Copied here rather than linked: older import libraries lack them.
const GUID kAppsFolderId = {0x1e87508d, 0x89c2, 0x42f0, {0x8a, 0x7e, 0x64, 0x5a, 0x0f, 0x50, 0xca, 0x58}};
const GUID kEnumItemsHandler = {0x94f60519, 0x2850, 0x4924, {0xaa, 0x5a, 0xd1, 0x5e, 0x84, 0x86, 0x80, 0x39}};

const wchar_t kAppsFolderPrefix[] = L"shell:AppsFolder\\";
const size_t kAppsFolderPrefixLength = sizeof(kAppsFolderPrefix) / sizeof(wchar_t) - 1;
const size_t kPublisherIdLength = 13;
// A list younger than this is not read again when the menu opens.
const DWORD kFreshMs = 60 * 1000;

bool IsIdCharacter(wchar_t c) { return iswalnum(c) || c == L'.' || c == L'-' || c == L'_'; }

std::wstring DisplayName(IShellItem* item, SIGDN form) {
    wchar_t* name = nullptr;
    if (FAILED(item->GetDisplayName(form, &name)) || !name)
        return std::wstring();
    std::wstring out = name;
    ::CoTaskMemFree(name);
    return out;
}

struct LaunchRequest {
    fw::UniquePidl idList;
    std::wstring name; // as the failure names the app
    HWND hReport;      // the asking thread's report window
};

DWORD WINAPI LaunchWorker(void* param) {
    // The worker has its own apartment: the shell may use COM for the verb.
    fw::ComScope com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::unique_ptr<LaunchRequest> request(static_cast<LaunchRequest*>(param));
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof(sei);
    // The item's own default verb: a packaged app has no file to open.
    sei.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    sei.lpIDList = request->idList.get();
    sei.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&sei))
        return 0;
    // A prompt the user declined is no failure to report.
    const DWORD error = ::GetLastError();
    if (error != ERROR_CANCELLED)
        PostLaunchFailure(request->hReport, request->name.c_str(), error);
    return 0xFFFFFFFF;
}

// The app as the menu lists it; its id when the source does not know it.
std::wstring PackagedAppName(const wchar_t* id) {
    if (auto apps = PackagedApps().Snapshot())
        for (const PackagedApp& app : *apps)
            if (_wcsicmp(app.strId.c_str(), id) == 0 && !app.strName.empty())
                return app.strName;
    return id;
}

bool SameApps(const CPackagedApps::Apps& now, const CPackagedApps::Apps* before) {
    if (!before)
        return now.empty();
    if (now.size() != before->size())
        return false;
    for (size_t i = 0; i < now.size(); ++i)
        if (now[i].strId != (*before)[i].strId || now[i].strName != (*before)[i].strName ||
            now[i].nIconSize != (*before)[i].nIconSize)
            return false;
    return true;
}

} // namespace

bool IsPackagedAppId(const wchar_t* name) {
    if (!name)
        return false;
    const wchar_t* bang = wcschr(name, L'!');
    if (!bang || !bang[1] || wcschr(bang + 1, L'!') || wcschr(name, L'\\'))
        return false;
    // The package family name: "Name_publisherid".
    const wchar_t* underscore = nullptr;
    for (const wchar_t* c = name; c < bang; ++c) {
        if (!IsIdCharacter(*c))
            return false;
        if (*c == L'_')
            underscore = c;
    }
    if (!underscore || underscore == name || static_cast<size_t>(bang - underscore - 1) != kPublisherIdLength)
        return false;
    for (const wchar_t* c = underscore + 1; c < bang; ++c)
        if (!iswalnum(*c))
            return false;
    for (const wchar_t* c = bang + 1; *c; ++c)
        if (!IsIdCharacter(*c))
            return false;
    return true;
}

const wchar_t* PackagedAppIdOfPath(const wchar_t* path) {
    if (!path || _wcsnicmp(path, kAppsFolderPrefix, kAppsFolderPrefixLength) != 0)
        return nullptr;
    const wchar_t* id = path + kAppsFolderPrefixLength;
    return IsPackagedAppId(id) ? id : nullptr;
}

CPackagedApps::Folder CPackagedApps::ShellFolder() {
    Folder folder;
    folder.enumerate = [](IEnumShellItems** items) -> HRESULT {
        *items = nullptr;
        fw::ComPtr<IShellItem> apps;
        // Windows 8 and Wine have no such folder: the call fails and the list stays empty.
        HRESULT hr = ::SHGetKnownFolderItem(kAppsFolderId, KF_FLAG_DEFAULT, nullptr, IID_IShellItem, apps.put_void());
        if (FAILED(hr))
            return hr;
        return apps->BindToHandler(nullptr, kEnumItemsHandler, IID_IEnumShellItems, reinterpret_cast<void**>(items));
    };
    folder.parsingName = [](IShellItem* item) { return DisplayName(item, SIGDN_PARENTRELATIVEPARSING); };
    return folder;
}

HICON LoadPackagedAppIcon(LPCITEMIDLIST idList, int pixels) {
    if (!idList || pixels <= 0)
        return nullptr;
    fw::ComPtr<IShellItemImageFactory> factory;
    if (SUCCEEDED(::SHCreateItemFromIDList(idList, IID_IShellItemImageFactory, factory.put_void()))) {
        fw::UniqueBitmap bitmap;
        if (SUCCEEDED(factory->GetImage(SIZE{pixels, pixels}, SIIGBF_ICONONLY, bitmap.put())) && bitmap)
            if (HICON icon = IconFromImageBitmap(bitmap.get()))
                return icon;
    }
    // Where the item has no image factory (Wine) the shell's icon of the item stands in.
    SHFILEINFOW info{};
    const UINT size = pixels <= ::GetSystemMetrics(SM_CXSMICON) ? SHGFI_SMALLICON : SHGFI_LARGEICON;
    if (::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(idList), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_ICON | size))
        return info.hIcon;
    return nullptr;
}

CPackagedApps::Apps CPackagedApps::Read(const Folder& folder, int iconSize, const volatile LONG* stop) {
    Apps apps;
    fw::ComPtr<IEnumShellItems> items;
    if (!folder.enumerate || FAILED(folder.enumerate(items.put())) || !items)
        return apps;
    for (;;) {
        if (stop && *stop)
            break;
        fw::ComPtr<IShellItem> item;
        ULONG fetched = 0;
        if (items->Next(1, item.put(), &fetched) != S_OK || !fetched || !item)
            break;
        std::wstring id = folder.parsingName ? folder.parsingName(item.get()) : std::wstring();
        // A program a shortcut reaches has a path or a plain id here: the Start Menu lists it already.
        if (!IsPackagedAppId(id.c_str()))
            continue;
        PackagedApp app;
        app.strName = DisplayName(item.get(), SIGDN_NORMALDISPLAY);
        if (app.strName.empty())
            continue;
        app.strPath = kAppsFolderPrefix + id;
        if (app.strPath.size() >= kPathCapacity)
            continue; // the lists could not name it
        app.strId = std::move(id);
        if (FAILED(::SHGetIDListFromObject(item.get(), app.idList.put())) || !app.idList)
            continue;
        app.hIcon.reset(LoadPackagedAppIcon(app.idList.get(), iconSize));
        app.nIconSize = iconSize;
        apps.push_back(std::move(app));
    }
    return apps;
}

struct CPackagedApps::Shared {
    std::mutex lock;
    std::shared_ptr<const Apps> apps;
    unsigned nGeneration = 0;
};

struct CPackagedApps::Reading {
    std::shared_ptr<Shared> shared;
    Folder folder;
    int nIconSize = 16;
    HWND hNotify = nullptr; // under shared->lock; cleared by Stop
    UINT nMessage = 0;
    volatile LONG nStop = 0;
    volatile LONG nDone = 0;
};

CPackagedApps::CPackagedApps() : m_shared(std::make_shared<Shared>()) {}

CPackagedApps::~CPackagedApps() { Stop(); }

void CPackagedApps::SetFolder(Folder folder) {
    Stop();
    m_folder = std::move(folder);
    m_bRead = false;
    std::lock_guard<std::mutex> hold(m_shared->lock);
    m_shared->apps.reset();
    ++m_shared->nGeneration; // the lists showing the former ones fill again
}

void CPackagedApps::SetIconSize(int pixels) {
    if (pixels > 0 && pixels != m_nIconSize) {
        m_nIconSize = pixels;
        m_bRead = false; // the next opening reads them at the new size
    }
}

void CPackagedApps::Refresh(HWND notify, UINT message) {
    if (m_bRead && ::GetTickCount() - m_dwReadAt < kFreshMs)
        return;
    if (m_reading && !m_reading->nDone && !m_reading->nStop) {
        std::lock_guard<std::mutex> hold(m_shared->lock);
        m_reading->hNotify = notify; // still reading: its list goes to the latest asker
        m_reading->nMessage = message;
        return;
    }
    std::shared_ptr<Reading> reading(new (std::nothrow) Reading);
    if (!reading)
        return;
    reading->shared = m_shared;
    reading->folder = m_folder;
    reading->nIconSize = m_nIconSize;
    reading->hNotify = notify;
    reading->nMessage = message;
    auto* param = new (std::nothrow) std::shared_ptr<Reading>(reading);
    HANDLE thread = param ? ::CreateThread(nullptr, 0, ThreadMain, param, 0, nullptr) : nullptr;
    if (!thread) {
        delete param; // no thread now: the next opening tries again
        return;
    }
    m_hThread.reset(thread);
    m_reading = std::move(reading);
    m_bRead = true;
    m_dwReadAt = ::GetTickCount();
}

void CPackagedApps::Stop() {
    if (!m_reading)
        return;
    {
        std::lock_guard<std::mutex> hold(m_shared->lock);
        m_reading->hNotify = nullptr;
        ::InterlockedExchange(&m_reading->nStop, 1);
    }
    if (!m_reading->nDone)
        m_bRead = false; // nothing was published: the next opening reads again
    ::WaitForSingleObject(m_hThread.get(), kStopWaitMs);
    m_hThread.reset();
    m_reading.reset();
}

void CPackagedApps::WaitForReading() {
    if (m_hThread)
        ::WaitForSingleObject(m_hThread.get(), INFINITE);
}

DWORD WINAPI CPackagedApps::ThreadMain(void* param) {
    std::unique_ptr<std::shared_ptr<Reading>> holder(static_cast<std::shared_ptr<Reading>*>(param));
    Reading& reading = **holder;
    Shared& shared = *reading.shared;
    {
        fw::ComScope com; // shell items are COM objects
        // Reading many apps must not slow the menu's own painting.
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        std::shared_ptr<Apps> apps(new (std::nothrow) Apps(Read(reading.folder, reading.nIconSize, &reading.nStop)));
        std::lock_guard<std::mutex> hold(shared.lock);
        // A partial list is not published, nor one read for a source that was stopped meanwhile;
        // the same apps again (most readings) leave the lists showing them as they are.
        if (apps && !reading.nStop && !SameApps(*apps, shared.apps.get())) {
            shared.apps = std::move(apps);
            ++shared.nGeneration;
            if (reading.hNotify)
                ::PostMessageW(reading.hNotify, reading.nMessage, 0, 0);
        }
        ::InterlockedExchange(&reading.nDone, 1);
    }
    return 0;
}

std::shared_ptr<const CPackagedApps::Apps> CPackagedApps::Snapshot() const {
    std::lock_guard<std::mutex> hold(m_shared->lock);
    return m_shared->apps;
}

unsigned CPackagedApps::Generation() const {
    std::lock_guard<std::mutex> hold(m_shared->lock);
    return m_shared->nGeneration;
}

CPackagedApps& PackagedApps() {
    static CPackagedApps source;
    return source;
}

fw::UniquePidl PackagedAppIdList(const wchar_t* path) {
    const wchar_t* id = PackagedAppIdOfPath(path);
    if (!id)
        return fw::UniquePidl();
    if (auto apps = PackagedApps().Snapshot())
        for (const PackagedApp& app : *apps)
            if (_wcsicmp(app.strId.c_str(), id) == 0)
                return fw::UniquePidl(static_cast<LPITEMIDLIST>(::ILClone(app.idList.get())));
    // Not read yet (or pinned from elsewhere): the shell knows the app by its
    // path. Only an item that is the app counts: a shell without the folder
    // (Wine) parses any such path into an item of nothing.
    fw::UniquePidl idList;
    fw::ComPtr<IShellItem> item;
    if (FAILED(::SHParseDisplayName(path, nullptr, idList.put(), 0, nullptr)) || !idList ||
        FAILED(::SHCreateItemFromIDList(idList.get(), IID_IShellItem, item.put_void())) ||
        _wcsicmp(DisplayName(item.get(), SIGDN_PARENTRELATIVEPARSING).c_str(), id) != 0)
        return fw::UniquePidl();
    return idList;
}

int LaunchPackagedApp(const wchar_t* path, const wchar_t* name) {
    const wchar_t* id = PackagedAppIdOfPath(path);
    if (!id)
        return -1;
    Trace(L"Execute\n");
    // Failures are told as every other launch's are, on this (the UI) thread.
    const HWND report = LaunchReportWindow();
    std::unique_ptr<LaunchRequest> request(new (std::nothrow) LaunchRequest{});
    if (!request)
        return 0;
    request->name = name && *name ? name : PackagedAppName(id);
    request->hReport = report;
    request->idList = PackagedAppIdList(path);
    if (!request->idList) { // uninstalled, or never known to this shell
        PostLaunchFailure(report, request->name.c_str(), ERROR_FILE_NOT_FOUND);
        return 0;
    }
    // Nobody waits for the worker, which owns the request once it runs.
    fw::UniqueKernelHandle thread(::CreateThread(nullptr, 0, LaunchWorker, request.get(), 0, nullptr));
    if (!thread) {
        PostLaunchFailure(report, request->name.c_str(), ::GetLastError());
        return 0;
    }
    request.release();
    return 1;
}

int IsPackagedAppPath(const wchar_t* path) {
    const int prefix = static_cast<int>(wcslen(kAppsFolderPrefix));
    return path && static_cast<int>(wcslen(path)) > prefix &&
                   ::CompareStringOrdinal(path, prefix, kAppsFolderPrefix, prefix, TRUE) == CSTR_EQUAL
               ? 1
               : 0;
}

HICON PackagedAppEntryIcon(const wchar_t* path, int pixels) {
    HICON icon = nullptr;
    fw::ComPtr<IShellItemImageFactory> factory;
    if (IsPackagedAppPath(path) &&
        SUCCEEDED(::SHCreateItemFromParsingName(path, nullptr, IID_IShellItemImageFactory, factory.put_void()))) {
        HBITMAP bitmap = nullptr;
        const SIIGBF flags = static_cast<SIIGBF>(SIIGBF_ICONONLY | SIIGBF_RESIZETOFIT);
        if (SUCCEEDED(factory->GetImage(SIZE{pixels, pixels}, flags, &bitmap)) && bitmap) {
            icon = IconFromImageBitmap(bitmap);
            ::DeleteObject(bitmap);
        }
    }
    if (!icon) // no such item (Wine, an app since removed): the generic program icon
        icon = static_cast<HICON>(::CopyImage(::LoadIconW(nullptr, IDI_APPLICATION), IMAGE_ICON, pixels, pixels, 0));
    return icon;
}

// A 32-bit image with alpha as an icon of the same size; null for any other
// image, and for one without any alpha (Wine answers with such a blank one).
HICON IconFromImageBitmap(HBITMAP bitmap) {
    BITMAP info{};
    if (!::GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight == 0 ||
        info.bmBitsPixel != 32 || !info.bmBits)
        return nullptr;
    const auto* pixels = static_cast<const DWORD*>(info.bmBits);
    const size_t count = static_cast<size_t>(info.bmWidth) * (info.bmHeight < 0 ? -info.bmHeight : info.bmHeight);
    bool alpha = false;
    for (size_t i = 0; i < count && !alpha; ++i)
        alpha = (pixels[i] >> 24) != 0;
    if (!alpha)
        return nullptr;
    fw::UniqueBitmap mask(::CreateBitmap(info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight, 1, 1,
                                         nullptr));
    if (!mask)
        return nullptr;
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmColor = bitmap;
    icon.hbmMask = mask.get();
    return ::CreateIconIndirect(&icon);
}
