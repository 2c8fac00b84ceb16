#include "Utils.h"

#include "Text.h"
#include "Trace.h"

#include <shellapi.h>

#include <cstdlib>

namespace {

struct LaunchRequest {
    wchar_t file[kPathCapacity];
    wchar_t parameters[256];
};

DWORD WINAPI LaunchWorker(void* param) {
    auto* request = static_cast<LaunchRequest*>(param);
    // The worker has its own apartment: the shell may use COM for the verb.
    HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOASYNC;
    sei.lpVerb = L"open";
    sei.lpFile = request->file;
    sei.lpParameters = request->parameters;
    sei.nShow = SW_SHOWNORMAL;
    BOOL ok = ::ShellExecuteExW(&sei);
    free(request);
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return ok ? 0 : 0xFFFFFFFF;
}

} // namespace

int LaunchDetached(const wchar_t* file, const wchar_t* parameters) {
    Trace(L"Execute\n");
    if (!file)
        return 1;
    auto* request = static_cast<LaunchRequest*>(calloc(1, sizeof(LaunchRequest)));
    if (!request)
        return 0;
    fw::StrCopy(request->file, kPathCapacity, file);
    if (parameters)
        fw::StrCopy(request->parameters, 256, parameters);
    HANDLE thread = ::CreateThread(nullptr, 0, LaunchWorker, request, 0, nullptr);
    if (!thread) {
        free(request);
        return 0;
    }
    ::CloseHandle(thread); // nobody waits for the worker
    return 1;
}
