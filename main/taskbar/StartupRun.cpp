#include "Startup.h"

#include "AppModule.h"
#include "KeyHook.h"
#include "MessageLoop.h"
#include "StartWnd.h"
#include "TaskbarWatch.h"
#include "Trace.h"

#include <memory>
#include <new>

namespace {

// A timer message comes only once no input, paint or posted message waits:
// the button is painted first. Input that came meanwhile goes first too.
void CALLBACK PrepareMenuWhenIdle(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HIWORD(::GetQueueStatus(QS_INPUT)))
        return;
    ::KillTimer(nullptr, timer);
    LoadMenuParts();
    if (gStartButton && ::IsWindow(gStartButton))
        ::SendMessageW(gStartButton, kMsgPrepareMenu, 0, 0);
}

} // namespace

void PrepareMenuAtFirstIdle() { ::SetTimer(nullptr, 0, 0, PrepareMenuWhenIdle); }

int RunUserInterface(int showCommand) {
    fw::CMessageLoop loop;
    fw::gModule.AddMessageLoop(&loop);

    std::unique_ptr<CStartWnd, fw::WindowDeleter> button(new (std::nothrow) CStartWnd);
    if (!button || !FindTaskbar(*button)) {
        button.reset();
        fw::gModule.RemoveMessageLoop();
        return kExitNoTaskbar;
    }
    if (!CreateStartButton(*button, showCommand)) {
        button.reset();
        fw::gModule.RemoveMessageLoop();
        return 0;
    }

    CTaskbarWatch watch(button, showCommand);
    if (!watch.Create())
        Trace(L"The taskbar watch window could not be created.\n");
    watch.SyncSecondaryButtons();
    if (!StartKeyboardHook())
        Trace(L"Keyboard hook failed.\n");

    // The menu makes all this itself should it be opened first.
    PrepareMenuAtFirstIdle();
    int result = loop.Run();

    fw::gModule.RemoveMessageLoop();
    button.reset();
    return result;
}
