#include "Startup.h"

#include "AppModule.h"
#include "KeyHook.h"
#include "MessageLoop.h"
#include "StartWnd.h"
#include "Taskbar.h"
#include "TaskbarWatch.h"
#include "Trace.h"

#include <memory>
#include <new>

int RunUserInterface(int showCommand) {
    fw::CMessageLoop loop;
    fw::gModule.AddMessageLoop(&loop);

    std::unique_ptr<CStartWnd> button(new (std::nothrow) CStartWnd);
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

    int result = loop.Run();

    fw::gModule.RemoveMessageLoop();
    button.reset();
    return result;
}
