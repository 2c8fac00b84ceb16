#include "Utils.h"

#include "AppModule.h"
#include "Text.h"

#include <shellapi.h>

#include <cstdarg>

fw::UniquePidl GetSpecialFolderIdList(HWND window, int folder) {
    fw::UniquePidl idList;
    if (FAILED(::SHGetSpecialFolderLocation(window, folder, idList.put())))
        idList.reset();
    return idList;
}

int GetSpecialFolderPath(HWND window, wchar_t* path, int folder) {
    fw::UniquePidl idList = GetSpecialFolderIdList(window, folder);
    return idList && ::SHGetPathFromIDListW(idList.get(), path) ? 1 : 0;
}

void OpenIdList(LPCITEMIDLIST idList) {
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_IDLIST;
    sei.lpVerb = L"open";
    sei.nShow = SW_SHOW;
    sei.lpIDList = const_cast<LPITEMIDLIST>(idList);
    ::ShellExecuteExW(&sei);
}

int ShowErrorBox(UINT textId, UINT captionId, HWND owner) {
    HINSTANCE resources = fw::gModule.GetResourceInstance();
    if (!resources)
        resources = ::GetModuleHandleW(nullptr);
    wchar_t caption[256] = {};
    if (!::LoadStringW(resources, captionId, caption, 256))
        fw::StrCopy(caption, 256, L"Error");
    wchar_t text[256] = {};
    if (!::LoadStringW(resources, textId, text, 256))
        return 0;
    return ::MessageBoxW(owner, text, caption, MB_ICONERROR);
}

int RectScreenToClient(HWND window, RECT* rect) {
    if (!rect)
        return 0;
    auto* points = reinterpret_cast<POINT*>(rect);
    if (!::ScreenToClient(window, &points[0]))
        return 0;
    return ::ScreenToClient(window, &points[1]) ? 1 : 0;
}

bool HasNoFrame(HWND window) {
    RECT rc, client;
    return ::GetWindowRect(window, &rc) && ::GetClientRect(window, &client) && client.right == rc.right - rc.left &&
           client.bottom == rc.bottom - rc.top;
}

#ifndef NDEBUG
#include "Trace.h"
void Trace(const wchar_t* format, ...) {
    wchar_t line[1024];
    va_list args;
    va_start(args, format);
    fw::StrFormatV(line, 1024, format, args);
    va_end(args);
    ::OutputDebugStringW(line);
}
#endif
