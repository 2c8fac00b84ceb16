// The shell's context menu as the lists and the folder buttons track it: a
// context-menu object of our own stands in for the shell's. Its "Send to"
// submenu stays empty until WM_INITMENUPOPUP reaches it, its one entry is
// owner-drawn and answers WM_MENUCHAR, as the shell's submenus do on Windows.
// The keys are posted to the window's thread, where the modal menu loop reads them.
#include "menu_test_support.h"

#include "TreeWnd.h"

#include <shobjidl.h>

#include <algorithm>
#include <initializer_list>

namespace {

class SendToMenu : public IContextMenu3 {
public:
    explicit SendToMenu(bool newest) : m_newest(newest) {}
    ~SendToMenu() {
        if (m_sub && !m_inserted)
            DestroyMenu(m_sub);
    }

    std::vector<UINT> seen;    // messages handed to HandleMenuMsg(2)
    std::vector<UINT> invoked; // offsets InvokeCommand got
    int filled = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IContextMenu) || IsEqualIID(iid, IID_IContextMenu2) ||
            (m_newest && IsEqualIID(iid, IID_IContextMenu3)))
            *out = static_cast<IContextMenu3*>(this);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_refs; } // lives on the test's stack

    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT, UINT) override {
        m_first = first;
        m_sub = CreatePopupMenu();
        InsertMenuW(menu, index, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(m_sub), L"Send to");
        m_inserted = true;
        InsertMenuW(menu, index + 1, MF_BYPOSITION | MF_STRING, first, L"Open");
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        invoked.push_back(LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR, UINT, UINT*, LPSTR, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE HandleMenuMsg(UINT msg, WPARAM wp, LPARAM lp) override {
        LRESULT ignored = 0;
        return HandleMenuMsg2(msg, wp, lp, &ignored);
    }
    HRESULT STDMETHODCALLTYPE HandleMenuMsg2(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
        seen.push_back(msg);
        switch (msg) {
        case WM_INITMENUPOPUP:
            if (reinterpret_cast<HMENU>(wp) == m_sub && GetMenuItemCount(m_sub) == 0) {
                AppendMenuW(m_sub, MF_OWNERDRAW, m_first + 1, reinterpret_cast<LPCWSTR>(this));
                ++filled;
            }
            break;
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
            item->itemWidth = 120;
            item->itemHeight = 20;
            if (result)
                *result = TRUE;
            break;
        }
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
            if (result)
                *result = TRUE;
            break;
        }
        case WM_MENUCHAR:
            if (result && LOWORD(wp) == L'q' && reinterpret_cast<HMENU>(lp) == m_sub)
                *result = MAKELRESULT(0, MNC_EXECUTE);
            break;
        }
        return S_OK;
    }
    int Saw(UINT msg) const { return static_cast<int>(std::count(seen.begin(), seen.end(), msg)); }

private:
    bool m_newest;
    ULONG m_refs = 1;
    UINT m_first = 0;
    HMENU m_sub = nullptr;
    bool m_inserted = false;
};

// A folder whose only item offers the menu above; nothing else of it is used.
class OneItemFolder : public IShellFolder {
public:
    explicit OneItemFolder(IContextMenu* menu) : m_menu(menu) {}
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID iid, UINT*, void** out) override {
        return m_menu->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF, STRRET*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override {
        return E_NOTIMPL;
    }

private:
    IContextMenu* m_menu;
};

void PostKey(HWND hwnd, UINT msg, WPARAM key) {
    PostMessageW(hwnd, msg, key, 0);
}

struct Key {
    UINT msg;
    WPARAM key;
};

// Opens "Send to" with the keyboard and finishes with `finish`; the trailing
// Escapes close whatever an unfilled menu left open.
void ShowAndDrive(CShellPidl& window, HWND hwnd, IContextMenu3* menu, std::initializer_list<Key> finish) {
    OneItemFolder folder(menu);
    const USHORT item[] = {sizeof(USHORT), 0}; // one empty id; the folder ignores it
    PostKey(hwnd, WM_KEYDOWN, VK_DOWN);
    PostKey(hwnd, WM_KEYDOWN, VK_RIGHT);
    for (const Key& k : finish)
        PostKey(hwnd, k.msg, k.key);
    for (int i = 0; i < 3; ++i)
        PostKey(hwnd, WM_KEYDOWN, VK_ESCAPE);
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    EXPECT_EQ(1, window.ShowItemContextMenu(hwnd, &folder, reinterpret_cast<LPCITEMIDLIST>(item),
                                            POINT{rc.left + 5, rc.top + 5}));
    MSG msg; // the Escapes the menu did not need
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
}

class ShellMenuMessages : public ::testing::Test {
protected:
    void SetUp() override {
        fw::gModule.Init(::GetModuleHandleW(nullptr));
        StartGdiplusOnce();
        RECT rc = {100, 100, 400, 400};
        ASSERT_TRUE(parent.Create(nullptr, rc, L"menu stand-in", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW));
        m_hParent = parent.m_hWnd;
        SetForegroundWindow(m_hParent);
        record.nId = 2;
        record.nPosWidth = 200;
        record.nPosHeight = 30;
    }

    // The two windows that track the shell's menu: a folder button and a list.
    std::unique_ptr<CMenuItemWnd> MakeButton() {
        auto button = std::make_unique<CMenuItemWnd>(m_hParent);
        button->SetSkinButton(&record);
        RECT rc = {0, 0, 200, 30};
        EXPECT_TRUE(button->Create(m_hParent, rc, nullptr, WS_CHILD | WS_VISIBLE, 0));
        return button;
    }
    std::unique_ptr<CTreeWnd> MakeList(UINT id) {
        auto list = std::make_unique<CTreeWnd>(m_hParent, id);
        RECT rc = {0, 40, 250, 280};
        EXPECT_TRUE(list->Create(m_hParent, rc, nullptr, WS_CHILD | WS_VISIBLE, 0, id));
        return list;
    }

    RecordingWnd parent;
    HWND m_hParent = nullptr;
    _skinButton record;
};

} // namespace

TEST_F(ShellMenuMessages, TheSubmenuFillsDrawsAndAnswersItsKeyForTheButtonAndBothLists) {
    auto button = MakeButton();
    auto pinned = MakeList(1200);
    auto allPrograms = MakeList(1201);
    struct {
        const char* name;
        CShellPidl* window;
        HWND hwnd;
    } owners[] = {{"folder button", button.get(), button->m_hWnd},
                  {"pinned list", pinned.get(), pinned->m_hWnd},
                  {"all-programs tree", allPrograms.get(), allPrograms->m_hWnd}};
    for (const auto& owner : owners) {
        SendToMenu menu(true);
        ShowAndDrive(*owner.window, owner.hwnd, &menu, {{WM_CHAR, L'q'}});
        EXPECT_EQ(1, menu.filled) << owner.name << ": the submenu was never offered WM_INITMENUPOPUP";
        EXPECT_GE(menu.Saw(WM_MEASUREITEM), 1) << owner.name;
        EXPECT_GE(menu.Saw(WM_DRAWITEM), 1) << owner.name;
        EXPECT_GE(menu.Saw(WM_MENUCHAR), 1) << owner.name;
        // 'q' chose the entry the submenu got on opening: offset 1.
        EXPECT_EQ(std::vector<UINT>{1}, menu.invoked) << owner.name;
    }
}

TEST_F(ShellMenuMessages, AnOlderMenuWithoutTheNewestInterfaceStillFillsItsSubmenu) {
    auto list = MakeList(1200);
    SendToMenu menu(false);
    // Enter as the key and as its character: Wine's menu acts on the character,
    // which the menu's own translation would queue only behind the Escapes.
    ShowAndDrive(*list, list->m_hWnd, &menu, {{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, L'\r'}});
    EXPECT_EQ(1, menu.filled);
    EXPECT_EQ(0, menu.Saw(WM_MENUCHAR)) << "the older interface has no WM_MENUCHAR";
    EXPECT_EQ(std::vector<UINT>{1}, menu.invoked);

    // Outside a tracked menu the window keeps these messages to itself.
    menu.seen.clear();
    SendMessageW(list->m_hWnd, WM_INITMENUPOPUP, 0, 0);
    EXPECT_TRUE(menu.seen.empty());
}
