#include "MessageLoop.h"
#include "Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT kPing = WM_APP + 1;
const UINT kDestroySelf = WM_APP + 2;

class RecordingWindow : public fw::CWindowImpl<RecordingWindow> {
public:
    std::vector<std::string> calls;
    bool passFirst = false;
    int finalMessages = 0;
    bool sawCreate = false;

    BEGIN_MSG_MAP(RecordingWindow)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(kPing, OnPingFirst)
        MESSAGE_HANDLER(kPing, OnPingSecond)
        MESSAGE_HANDLER(kDestroySelf, OnDestroySelf)
        COMMAND_ID_HANDLER(42, OnCommand42)
        COMMAND_RANGE_HANDLER(40, 50, OnCommandRange)
    END_MSG_MAP()

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
        sawCreate = m_hWnd != nullptr;
        return 0;
    }
    LRESULT OnPingFirst(UINT, WPARAM, LPARAM, BOOL& handled) {
        calls.push_back("first");
        if (passFirst)
            handled = FALSE;
        return 1;
    }
    LRESULT OnPingSecond(UINT, WPARAM, LPARAM, BOOL&) {
        calls.push_back("second");
        return 2;
    }
    LRESULT OnDestroySelf(UINT, WPARAM, LPARAM, BOOL&) {
        DestroyWindow();
        // Still inside the message: the object must stay usable here.
        calls.push_back(m_hWnd ? "alive" : "gone");
        return 0;
    }
    LRESULT OnCommand42(UINT, WPARAM, LPARAM, BOOL&) {
        calls.push_back("cmd42");
        return 0;
    }
    LRESULT OnCommandRange(UINT, WPARAM wp, LPARAM, BOOL&) {
        calls.push_back("range" + std::to_string(LOWORD(wp)));
        return 0;
    }
    void OnFinalMessage(HWND) override {
        ++finalMessages;
        calls.push_back("final");
    }
};

HWND CreatePopup(RecordingWindow& w) {
    RECT rc = {0, 0, 100, 100};
    return w.Create(nullptr, rc, L"recording", WS_POPUP, 0);
}

} // namespace

TEST(WindowFramework, CreateAttachesObjectBeforeWmCreate) {
    RecordingWindow w;
    ASSERT_TRUE(CreatePopup(w));
    EXPECT_TRUE(w.sawCreate);
    EXPECT_EQ(w.m_hWnd, FindWindowW(nullptr, L"recording"));
}

TEST(WindowFramework, FirstMatchWinsAndClearedHandledFallsThrough) {
    RecordingWindow w;
    ASSERT_TRUE(CreatePopup(w));
    EXPECT_EQ(1, SendMessageW(w, kPing, 0, 0));
    EXPECT_EQ((std::vector<std::string>{"first"}), w.calls);
    w.calls.clear();
    w.passFirst = true;
    EXPECT_EQ(2, SendMessageW(w, kPing, 0, 0));
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), w.calls);
}

TEST(WindowFramework, CommandEntriesCompareTheLowWordInTableOrder) {
    RecordingWindow w;
    ASSERT_TRUE(CreatePopup(w));
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(42, 1), 0);
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(45, 0), 0);
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(51, 0), 0);
    EXPECT_EQ((std::vector<std::string>{"cmd42", "range45"}), w.calls);
}

TEST(WindowFramework, UnmatchedMessagesReachTheDefaultProcedure) {
    RecordingWindow w;
    ASSERT_TRUE(CreatePopup(w));
    wchar_t title[32] = {};
    // WM_GETTEXT is not in the map: DefWindowProc answers it with the title.
    EXPECT_EQ(9, SendMessageW(w, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(title)));
    EXPECT_STREQ(L"recording", title);
}

TEST(WindowFramework, FinalMessageRunsOnceAfterTheOutermostMessage) {
    RecordingWindow w;
    ASSERT_TRUE(CreatePopup(w));
    HWND h = w.m_hWnd;
    SendMessageW(h, kDestroySelf, 0, 0);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(nullptr, w.m_hWnd);
    EXPECT_EQ(1, w.finalMessages);
    EXPECT_EQ((std::vector<std::string>{"alive", "final"}), w.calls);
}

TEST(WindowFramework, DestroyingTheObjectDestroysItsWindow) {
    HWND h = nullptr;
    {
        RecordingWindow w;
        ASSERT_TRUE(CreatePopup(w));
        h = w.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(h));
}

namespace {
struct OrderFilter : fw::CMessageFilter {
    std::vector<int>* log;
    int id;
    bool eat;
    OrderFilter(std::vector<int>* l, int i, bool e) : log(l), id(i), eat(e) {}
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message != kPing)
            return FALSE;
        log->push_back(id);
        return eat;
    }
};
struct CountIdle : fw::CIdleHandler {
    int count = 0;
    BOOL OnIdle() override {
        if (++count == 1)
            PostQuitMessage(7); // the loop went idle after the posted message
        return FALSE;
    }
};
} // namespace

TEST(MessageLoop, FiltersAreAskedLastAddedFirstAndIdleRunsWhenQueueIsEmpty) {
    fw::CMessageLoop loop;
    std::vector<int> log;
    OrderFilter a(&log, 1, false), b(&log, 2, true);
    CountIdle idle;
    EXPECT_TRUE(loop.AddMessageFilter(&a));
    EXPECT_TRUE(loop.AddMessageFilter(&b));
    EXPECT_FALSE(loop.AddMessageFilter(&b));
    loop.AddIdleHandler(&idle);
    PostThreadMessageW(GetCurrentThreadId(), kPing, 0, 0);
    EXPECT_EQ(7, loop.Run());
    // b eats the message, so a never sees it.
    EXPECT_EQ((std::vector<int>{2}), log);
    EXPECT_GE(idle.count, 1);
    EXPECT_TRUE(loop.RemoveMessageFilter(&a));
    EXPECT_FALSE(loop.RemoveMessageFilter(&a));
}
