// When window objects may go: a child torn down by its parent while a modal
// menu runs in one of its own handlers, and a window whose WM_CREATE fails.
#include "Window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

const UINT kTearDown = WM_APP + 10;
std::vector<std::string> gLog;

// Runs a real popup menu on a right click, as the lists and buttons do, and
// keeps using itself after the menu has returned.
class MenuChild : public fw::CWindowImpl<MenuChild> {
public:
    ~MenuChild() override { gLog.push_back("child deleted"); }
    BEGIN_MSG_MAP(MenuChild)
    MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
    END_MSG_MAP()
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, BOOL&) {
        HMENU popup = CreatePopupMenu();
        AppendMenuW(popup, MF_STRING, 1, L"Open");
        TrackPopupMenu(popup, TPM_RETURNCMD, 50, 50, 0, m_hWnd, nullptr);
        DestroyMenu(popup);
        m_returns = IsWindow() ? "menu returned, window alive" : "menu returned, window gone";
        gLog.push_back(m_returns);
        return 0;
    }

private:
    std::string m_returns;
};

// Lets go of its child while being destroyed, as the menu does with its lists.
class Parent : public fw::CWindowImpl<Parent> {
public:
    MenuChild* child = nullptr;
    BEGIN_MSG_MAP(Parent)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
        if (child)
            child->DestroyAndDelete();
        child = nullptr;
        return 0;
    }
};

// Destroys the parent from a message that the modal menu loop dispatches (a
// taskbar restart does this to the start menu).
class Watch : public fw::CWindowImpl<Watch> {
public:
    HWND victim = nullptr;
    BEGIN_MSG_MAP(Watch)
    MESSAGE_HANDLER(kTearDown, OnTearDown)
    END_MSG_MAP()
    LRESULT OnTearDown(UINT, WPARAM, LPARAM, BOOL&) {
        ::DestroyWindow(victim);
        gLog.push_back("parent destroyed");
        return 0;
    }
};

// Refuses its creation and deletes itself in its final message (ATL style);
// its memory is poisoned there, so any later write by the framework shows.
class RefusingWindow : public fw::CWindowImpl<RefusingWindow> {
public:
    int finals = 0;
    BEGIN_MSG_MAP(RefusingWindow)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    END_MSG_MAP()
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&) { return -1; }
    void OnFinalMessage(HWND) override {
        gLog.push_back("final");
        void* memory = this;
        this->~RefusingWindow();
        std::memset(memory, 0xAB, sizeof(RefusingWindow));
    }
};

} // namespace

TEST(WindowLifetime, AChildLetGoDuringItsModalMenuIsDeletedOnlyAfterTheMenuReturned) {
    gLog.clear();
    Parent parent;
    ASSERT_TRUE(parent.Create(nullptr, RECT{0, 0, 200, 200}, L"parent", WS_POPUP | WS_VISIBLE, 0));
    parent.child = new MenuChild;
    HWND childWindow = parent.child->Create(parent, RECT{0, 0, 100, 100}, nullptr, WS_CHILD | WS_VISIBLE, 0);
    ASSERT_TRUE(childWindow);
    Watch watch;
    ASSERT_TRUE(watch.Create(nullptr, RECT{0, 0, 0, 0}, L"watch", WS_POPUP, 0));
    watch.victim = parent;

    // In the menu loop: the teardown, then an Escape that closes the menu
    // should the owner's end not have closed it already.
    PostMessageW(watch, kTearDown, 0, 0);
    PostMessageW(watch, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageW(childWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(childWindow), MAKELPARAM(50, 50));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }

    EXPECT_FALSE(IsWindow(childWindow));
    EXPECT_EQ((std::vector<std::string>{"parent destroyed", "menu returned, window gone", "child deleted"}), gLog);
}

TEST(WindowLifetime, AFailedCreateTouchesTheObjectNoMoreAfterItsFinalMessage) {
    gLog.clear();
    alignas(RefusingWindow) unsigned char storage[sizeof(RefusingWindow)];
    auto* w = new (storage) RefusingWindow;
    EXPECT_EQ(nullptr, w->Create(nullptr, RECT{0, 0, 10, 10}, L"refusing", WS_POPUP, 0));
    EXPECT_EQ((std::vector<std::string>{"final"}), gLog);
    size_t changed = 0;
    for (unsigned char b : storage)
        changed += b != 0xAB;
    EXPECT_EQ(0u, changed) << "Create wrote to the object after its final message";
    EXPECT_EQ(nullptr, FindWindowW(nullptr, L"refusing"));
}
