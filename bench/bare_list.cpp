// The floor of the Quillset row: a process that reads the list file named on
// its command line and shows the names of its entries in a plain list box.
#include <windows.h>

#include <string>

namespace {
LRESULT CALLBACK Proc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

std::wstring ReadText(const wchar_t* path) {
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes(GetFileSize(f, nullptr), '\0');
    DWORD got = 0;
    ReadFile(f, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(f);
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(got), &text[0], static_cast<int>(text.size()))));
    return text;
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"Velmar.Bench.BareList";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"bare list", WS_OVERLAPPEDWINDOW, 0, 0, 460, 420, nullptr,
                                  nullptr, instance, nullptr);
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 10, 10, 260, 360, window,
                                nullptr, instance, nullptr);
    const std::wstring text = ReadText(commandLine);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find(L'\n', at);
        if (end == std::wstring::npos)
            end = text.size();
        const size_t equals = text.find(L'=', at), bar = text.find(L'|', at);
        if (text[at] != L'#' && equals < end && bar < end && equals < bar)
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.substr(equals + 1, bar - equals - 1).c_str()));
        at = end + 1;
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
