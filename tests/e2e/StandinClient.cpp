#include "StandinClient.h"

#include "Wait.h"

namespace standin {

HWND FindTaskbar() {
    return FindWindowW(L"Shell_TrayWnd", L"");
}

HWND FindRebar(HWND hTaskbar) {
    return hTaskbar ? FindWindowExW(hTaskbar, nullptr, L"ReBarWindow32", nullptr) : nullptr;
}

static bool Request(const wchar_t* message, HWND hTaskbar, int x, int y, int cx, int cy) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hTaskbar, RegisterWindowMessageW(message), PackPair(x, y), PackPair(cx, cy), SMTO_NORMAL,
                             20000, &result))
        return false;
    return result == 1;
}

bool Relayout(HWND hTaskbar, int x, int y, int cx, int cy) {
    return Request(kRelayoutMessage, hTaskbar, x, y, cx, cy);
}

bool RelayoutHere(HWND hTaskbar, int x, int y, int cx, int cy) {
    return Request(kRelayoutHereMessage, hTaskbar, x, y, cx, cy);
}

HWND FindSecondaryTaskbar() {
    return FindWindowW(L"Shell_SecondaryTrayWnd", nullptr);
}

bool SetSecondary(HWND hTaskbar, bool present, bool quietly) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hTaskbar, RegisterWindowMessageW(kSecondaryMessage), (present ? 1 : 0) | (quietly ? 2 : 0),
                             0, SMTO_NORMAL, 20000, &result))
        return false;
    return result == 1;
}

bool SetThickness(HWND hTaskbar, int thickness) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(hTaskbar, RegisterWindowMessageW(kThicknessMessage), thickness, 0, SMTO_NORMAL, 20000,
                               &result) &&
           result == 1;
}

RECT PlaceInParent(HWND child) {
    RECT rc = {};
    if (child && GetWindowRect(child, &rc))
        MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

static int IntProp(HWND hWnd, const wchar_t* name) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(hWnd, name)));
}

bool ReadRebarRecord(HWND hTaskbar, RebarRecord* record) {
    if (!IsWindow(hTaskbar))
        return false;
    record->nCount = IntProp(hTaskbar, kPropCount);
    record->x = IntProp(hTaskbar, kPropX);
    record->y = IntProp(hTaskbar, kPropY);
    record->cx = IntProp(hTaskbar, kPropCx);
    record->cy = IntProp(hTaskbar, kPropCy);
    record->flags = static_cast<UINT>(IntProp(hTaskbar, kPropFlags));
    return true;
}

RECT RebarPlacement(HWND hTaskbar) {
    RECT rc = {};
    HWND hRebar = FindRebar(hTaskbar);
    if (hRebar && GetWindowRect(hRebar, &rc))
        MapWindowPoints(HWND_DESKTOP, hTaskbar, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

} // namespace standin

bool standin::Stall(HWND hTaskbar, DWORD ms) {
    if (!PostMessageW(hTaskbar, RegisterWindowMessageW(kStallMessage), ms, 0))
        return false;
    // Until the stand-in has taken the request, at most 20 s as for the others.
    return WaitFor([&] { return Stalled(hTaskbar); }, 20000);
}

HWND standin::MakeForeignTaskbar(bool visible) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&wc);
    return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"",
                           WS_POPUP | (visible ? WS_VISIBLE : 0), 600, 300, 120, 30, nullptr, nullptr, nullptr,
                           nullptr);
}
