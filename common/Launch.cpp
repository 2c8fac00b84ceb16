// Launches on a worker thread, failures told on the thread that asked.
//
// The worker never shows anything itself (SEE_MASK_FLAG_NO_UI): a box the
// shell opened on the worker would outlive the program's own end, and keep the
// process alive at exit. A failure goes back as a posted message to a
// message-only window of the asking thread (the UI thread), which shows it.
#include "Utils.h"

#include "AppModule.h"
#include "LaunchIds.h"
#include "Text.h"
#include "Trace.h"

#include <shellapi.h>

#include <memory>
#include <new>

namespace {

const UINT kMsgLaunchFailed = WM_APP + 1;

struct LaunchRequest {
    wchar_t file[kPathCapacity];
    wchar_t parameters[256];
    HWND hReport; // where a failure is told; none: not told
    DWORD dwError;
};

// A translated text is used only with exactly one "%s" and no other conversion.
bool IsOneNameFormat(const wchar_t* format) {
    int names = 0;
    for (const wchar_t* p = wcschr(format, L'%'); p; p = wcschr(p + 2, L'%')) {
        if (p[1] != L's')
            return false;
        ++names;
    }
    return names == 1;
}

void ShowLaunchFailure(const wchar_t* file, DWORD error) {
    HINSTANCE resources = fw::gModule.GetResourceInstance();
    wchar_t format[256] = {};
    if (!::LoadStringW(resources ? resources : ::GetModuleHandleW(nullptr), IDS_LAUNCH_FAILED, format, 256) ||
        !IsOneNameFormat(format))
        fw::StrCopy(format, 256, L"\"%s\" could not be started.");
    wchar_t text[1024] = {};
    fw::StrFormat(text, 1024, format, file);
    wchar_t reason[512] = {};
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if (error != ERROR_SUCCESS && ::FormatMessageW(flags, nullptr, error, 0, reason, 512, nullptr)) {
        size_t length = wcslen(reason);
        while (length && (reason[length - 1] == L'\r' || reason[length - 1] == L'\n'))
            reason[--length] = 0;
        fw::StrAppend(text, 1024, L"\n\n");
        fw::StrAppend(text, 1024, reason);
    }
    // The caption names the program that asked (Velmar), as its module file does.
    wchar_t module[kPathCapacity] = {}, caption[256] = {};
    ::GetModuleFileNameW(nullptr, module, kPathCapacity);
    _wsplitpath_s(module, nullptr, 0, nullptr, 0, caption, 256, nullptr, 0);
    ::MessageBoxW(nullptr, text, caption, MB_ICONERROR | MB_SETFOREGROUND);
}

LRESULT CALLBACK ReportProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kMsgLaunchFailed) {
        std::unique_ptr<LaunchRequest> request(reinterpret_cast<LaunchRequest*>(lParam));
        ShowLaunchFailure(request->file, request->dwError);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The calling thread's window for failure reports, made at its first launch.
HWND ReportWindow() {
    static thread_local HWND window = nullptr;
    if (window && ::IsWindow(window))
        return window;
    WNDCLASSW wc{};
    wc.lpfnWndProc = ReportProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Velmar.LaunchReport";
    ::RegisterClassW(&wc); // fails harmlessly once registered
    window = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    return window;
}

// The failure as a system error code: the last error, else (some shells set
// none) the SE_ERR_ code in hInstApp.
DWORD LaunchError(DWORD lastError, HINSTANCE instApp) {
    if (lastError != ERROR_SUCCESS)
        return lastError;
    switch (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(instApp))) {
    case SE_ERR_NOASSOC:
    case SE_ERR_ASSOCINCOMPLETE:
        return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
        return ERROR_DDE_FAIL;
    case SE_ERR_SHARE:
        return ERROR_SHARING_VIOLATION;
    case SE_ERR_DLLNOTFOUND:
        return ERROR_DLL_NOT_FOUND;
    default: // 2, 3, 5, 8 and 11 are the system's own codes
        return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(instApp));
    }
}

DWORD WINAPI LaunchWorker(void* param) {
    // The worker has its own apartment: the shell may use COM for the verb.
    fw::ComScope com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::unique_ptr<LaunchRequest> request(static_cast<LaunchRequest*>(param));
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = L"open";
    sei.lpFile = request->file;
    sei.lpParameters = request->parameters;
    sei.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&sei))
        return 0;
    // A prompt the user declined (elevation) is no failure to report.
    const DWORD error = LaunchError(::GetLastError(), sei.hInstApp);
    if (error != ERROR_CANCELLED)
        PostLaunchFailure(request->hReport, request->file, error);
    return 0xFFFFFFFF;
}

} // namespace

HWND LaunchReportWindow() { return ReportWindow(); }

bool PostLaunchFailure(HWND report, const wchar_t* name, DWORD error) {
    std::unique_ptr<LaunchRequest> failure(report ? new (std::nothrow) LaunchRequest{} : nullptr);
    if (!failure)
        return false;
    fw::StrCopy(failure->file, kPathCapacity, name ? name : L"");
    failure->dwError = error;
    if (!::PostMessageW(report, kMsgLaunchFailed, 0, reinterpret_cast<LPARAM>(failure.get())))
        return false;
    failure.release(); // the report window owns it now
    return true;
}

int LaunchDetached(const wchar_t* file, const wchar_t* parameters) {
    Trace(L"Execute\n");
    if (!file)
        return 1;
    std::unique_ptr<LaunchRequest> request(new (std::nothrow) LaunchRequest{});
    if (!request)
        return 0;
    fw::StrCopy(request->file, kPathCapacity, file);
    if (parameters)
        fw::StrCopy(request->parameters, 256, parameters);
    request->hReport = ReportWindow();
    // Nobody waits for the worker, which owns the request once it runs.
    fw::UniqueKernelHandle thread(::CreateThread(nullptr, 0, LaunchWorker, request.get(), 0, nullptr));
    if (!thread)
        return 0;
    request.release();
    return 1;
}

int LaunchTaskbarProperties() { return LaunchDetached(L"rundll32.exe", L"shell32.dll,Options_RunDLL 1"); }
