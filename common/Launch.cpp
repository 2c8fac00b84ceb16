#include "Utils.h"

#include "Text.h"
#include "Trace.h"

#include <shellapi.h>

#include <memory>
#include <new>

namespace {

struct LaunchRequest {
    wchar_t file[kPathCapacity];
    wchar_t parameters[256];
};

DWORD WINAPI LaunchWorker(void* param) {
    // The worker has its own apartment: the shell may use COM for the verb.
    fw::ComScope com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::unique_ptr<LaunchRequest> request(static_cast<LaunchRequest*>(param));
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOASYNC;
    sei.lpVerb = L"open";
    sei.lpFile = request->file;
    sei.lpParameters = request->parameters;
    sei.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&sei) ? 0 : 0xFFFFFFFF;
}

} // namespace

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
    // Nobody waits for the worker, which owns the request once it runs.
    fw::UniqueKernelHandle thread(::CreateThread(nullptr, 0, LaunchWorker, request.get(), 0, nullptr));
    if (!thread)
        return 0;
    request.release();
    return 1;
}

int LaunchTaskbarProperties() { return LaunchDetached(L"rundll32.exe", L"shell32.dll,Options_RunDLL 1"); }
