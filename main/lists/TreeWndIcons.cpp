// Icons of the rows about to be shown, looked up on a thread of their own: a
// shell icon look-up takes milliseconds per entry (more for a shortcut whose
// target is on a slow drive), and the first showing of the tree paints a page
// of rows. The row paints its text at once and its icon when it arrives.
#include "TreeWnd.h"

#include "Handles.h"
#include "PackagedAppsLists.h"
#include "Text.h"
#include "Utils.h"

#include <shellapi.h>

#include <deque>
#include <new>
#include <vector>

struct CTreeWnd::IconWork {
    _treeNode* pNode; // compared and used on the UI thread only
    unsigned nGeneration;
    wchar_t szPath[260];
    int bFolder;
    int bSmallIcons;
    int nDpi;
    HICON hIcon;
};

// Shared by the control and its thread; whoever lets go last deletes it.
class CTreeWnd::IconThread {
public:
    static IconThread* Start(HWND notify) {
        auto* self = new (std::nothrow) IconThread(notify);
        if (!self)
            return nullptr;
        self->m_hThread.reset(::CreateThread(nullptr, 0, Run, self, 0, nullptr));
        if (!self->m_hThread) {
            delete self;
            return nullptr;
        }
        return self;
    }

    // Queued look-ups wait for Wake.
    void Queue(const IconWork& work) {
        Lock lock(m_lock);
        m_todo.push_back(work);
    }

    void Wake() { ::SetEvent(m_wake.get()); }

    // Look-ups not yet started are dropped (their items are gone).
    void DropQueued() {
        Lock lock(m_lock);
        m_todo.clear();
    }

    std::vector<IconWork> TakeDone() {
        Lock lock(m_lock);
        std::vector<IconWork> done;
        done.swap(m_done);
        m_bPosted = false;
        return done;
    }

    // The control lets go: the thread finishes the look-up in hand and ends;
    // waits for that at most timeoutMs.
    void Stop(DWORD timeoutMs) {
        {
            Lock lock(m_lock);
            m_bStop = true;
            m_hNotify = nullptr;
        }
        ::SetEvent(m_wake.get());
        ::WaitForSingleObject(m_hThread.get(), timeoutMs);
        Release();
    }

private:
    struct Lock {
        explicit Lock(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
        ~Lock() { ::LeaveCriticalSection(&m_cs); }
        CRITICAL_SECTION& m_cs;
    };

    explicit IconThread(HWND notify) : m_wake(::CreateEventW(nullptr, FALSE, FALSE, nullptr)), m_hNotify(notify) {
        ::InitializeCriticalSection(&m_lock);
    }
    ~IconThread() {
        for (IconWork& work : m_done)
            if (work.hIcon)
                ::DestroyIcon(work.hIcon);
        ::DeleteCriticalSection(&m_lock);
    }
    void Release() {
        if (::InterlockedDecrement(&m_nRefs) == 0)
            delete this;
    }

    static DWORD WINAPI Run(void* param) {
        auto* self = static_cast<IconThread*>(param);
        fw::ComScope com; // the shell's link and icon objects are COM objects
        fw::ComPtr<IShellLinkW> link;
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void());
        for (;;) {
            IconWork work{};
            {
                Lock lock(self->m_lock);
                if (self->m_bStop)
                    break;
                if (self->m_todo.empty()) {
                    work.pNode = nullptr;
                } else {
                    work = self->m_todo.front();
                    self->m_todo.pop_front();
                }
            }
            if (!work.pNode) {
                ::WaitForSingleObject(self->m_wake.get(), INFINITE);
                continue;
            }
            work.hIcon = LookUpIcon(work.szPath, work.bFolder, work.bSmallIcons, link.get(), work.nDpi);
            HWND notify = nullptr;
            {
                Lock lock(self->m_lock);
                self->m_done.push_back(work);
                if (!self->m_bPosted) {
                    notify = self->m_hNotify;
                    self->m_bPosted = notify != nullptr;
                }
            }
            if (notify)
                ::PostMessageW(notify, kMsgIconsArrived, 0, 0);
        }
        link.reset();
        self->Release();
        return 0;
    }

    CRITICAL_SECTION m_lock;
    fw::UniqueKernelHandle m_wake;
    fw::UniqueKernelHandle m_hThread;
    HWND m_hNotify;
    LONG m_nRefs = 2; // the control and the thread
    bool m_bStop = false;
    bool m_bPosted = false;
    std::deque<IconWork> m_todo;
    std::vector<IconWork> m_done;
};

HICON CTreeWnd::LookUpIcon(const wchar_t* path, int folder, int smallIcons, IShellLinkW* link, int dpi) {
    if (HICON app = PackagedAppIcon(path, fw::Scale(folder || smallIcons ? 16 : 32, dpi)))
        return app;
    HICON icon = link ? GetShortcutIcon(path, smallIcons, link, dpi) : nullptr;
    if (icon)
        return icon;
    SHFILEINFOW info{};
    UINT flags = SHGFI_ICON;
    if (folder || smallIcons)
        flags |= SHGFI_SMALLICON;
    return ::SHGetFileInfoW(path, 0, &info, sizeof(info), flags) ? info.hIcon : nullptr;
}

void CTreeWnd::RequestIcon(_treeNode* item) {
    if (!m_pIconThread)
        m_pIconThread = IconThread::Start(m_hWnd);
    if (!m_pIconThread) { // no thread: the look-up is made here
        ResolveItem(item);
        return;
    }
    IconWork work{};
    work.pNode = item;
    work.nGeneration = m_nGeneration;
    fw::StrCopy(work.szPath, item->szPath);
    work.bFolder = (item->dwFlags & kTreeFolder) ? 1 : 0;
    work.bSmallIcons = bSmallIcons;
    work.nDpi = m_nDpi;
    item->nPending |= kTreeIconRequested;
    m_pIconThread->Queue(work);
    // The thread starts once the paint that asks is over: looking icons up
    // beside that paint slowed its text, which the user waits for, by more than
    // the wait costs the icons.
    if (!m_bIconWakePosted)
        m_bIconWakePosted = ::PostMessageW(m_hWnd, kMsgWakeIcons, 0, 0) != FALSE;
    if (!m_bIconWakePosted)
        m_pIconThread->Wake();
}

LRESULT CTreeWnd::OnWakeIcons(UINT, WPARAM, LPARAM, BOOL&) {
    m_bIconWakePosted = 0;
    if (m_pIconThread)
        m_pIconThread->Wake();
    return 0;
}

LRESULT CTreeWnd::OnIconsArrived(UINT, WPARAM, LPARAM, BOOL&) {
    if (!m_pIconThread)
        return 0;
    for (IconWork& work : m_pIconThread->TakeDone()) {
        _treeNode* item = work.pNode;
        // A rebuilt tree, or an item read meanwhile (ResolveItem), takes nothing.
        if (work.nGeneration != m_nGeneration || !(item->nPending & kTreeIconRequested)) {
            if (work.hIcon)
                ::DestroyIcon(work.hIcon);
            continue;
        }
        item->nPending &= ~(kTreePendingIcon | kTreeIconRequested);
        item->hIcon = work.hIcon;
        AdoptIcon(work.hIcon);
        if (item->hIcon && item->rcItem.bottom > item->rcItem.top)
            ::InvalidateRect(m_hWnd, &item->rcItem, FALSE);
    }
    return 0;
}

void CTreeWnd::DropIconRequests() {
    if (m_pIconThread)
        m_pIconThread->DropQueued();
}

void CTreeWnd::StopIconThread() {
    if (m_pIconThread)
        m_pIconThread->Stop(1000);
    m_pIconThread = nullptr;
    m_bIconWakePosted = 0; // a wake posted to a window that went never arrives
}
