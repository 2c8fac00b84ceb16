#include "Startup.h"

#include "AppModule.h"
#include "MessageLoop.h"
#include "Trace.h"

int RunUserInterface(int showCommand) {
    (void)showCommand;
    fw::CMessageLoop loop;
    fw::gModule.AddMessageLoop(&loop);
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", L"");
    HWND rebar = taskbar ? ::FindWindowExW(taskbar, nullptr, L"ReBarWindow32", nullptr) : nullptr;
    if (!taskbar || !rebar) {
        Trace(taskbar ? L"FindWindow failed. (ClassName=ReBarWindow32)\n" : L"FindWindow failed. (ClassName=Shell_TrayWnd)\n");
        fw::gModule.RemoveMessageLoop();
        return kExitNoTaskbar;
    }
    // The start button on the taskbar comes next; until then the program ends here.
    fw::gModule.RemoveMessageLoop();
    return 0;
}
