// start_preview.exe: the Start button as its own code draws it, for make run.
//
// Under Wine a child window made by another process is not drawn, so the
// button that Velmar.exe puts on the stand-in taskbar stays invisible on the
// screen. This tool loads the skin beside it, puts a stand-in taskbar and the
// real CStartWnd into one process, where the button is drawn, and saves the
// start of the taskbar in the button's three looks (normal, hot, pressed),
// one strip under the other, as a 24-bit BMP.
//
//   start_preview.exe OUTPUT.bmp [bottom|top|left|right] [--shape=10]
//                                 with --shape=10 the taskbar is shaped like
//                                 Windows 10's and the strips are 720 wide
//   start_preview.exe --find      waits (20 s at most) for Velmar's button on
//                                 the taskbar and prints its screen rectangle
//                                 "x y width height", for a real click on it
//   start_preview.exe --find-secondary  the same for the button on the first
//                                 secondary taskbar ("Shell_SecondaryTrayWnd")
// Exit codes: 0 saved (found), 1 bad arguments, 2 skin not loaded, 3 no
// taskbar or button, 4 the file could not be written.
#include "AppModule.h"
#include "Skin.h"
#include "StandinTaskbar.h"
#include "StartWnd.h"
#include "Taskbar.h"
#include "Utils.h"
#include "Wait.h"

#include <windows.h>
#include <gdiplus.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

UINT EdgeFromName(const wchar_t* name) {
    if (!name || !wcscmp(name, L"bottom"))
        return ABE_BOTTOM;
    if (!wcscmp(name, L"top"))
        return ABE_TOP;
    if (!wcscmp(name, L"left"))
        return ABE_LEFT;
    if (!wcscmp(name, L"right"))
        return ABE_RIGHT;
    return 0xFFFFFFFF;
}

// Copies a screen rectangle into rows of 24-bit pixels (bottom-up, as BMP keeps them).
bool CaptureScreen(const RECT& rc, std::vector<BYTE>& pixels) {
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY) != FALSE;
        GdiFlush();
        int stride = (w * 3 + 3) & ~3;
        pixels.assign(static_cast<BYTE*>(bits), static_cast<BYTE*>(bits) + stride * h);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

bool WriteBmp(const wchar_t* path, int w, int h, const std::vector<BYTE>& bottomUp) {
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(bottomUp.size());
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(f, &file, sizeof(file), &written, nullptr) && WriteFile(f, &info, sizeof(info), &written, nullptr) &&
              WriteFile(f, bottomUp.data(), static_cast<DWORD>(bottomUp.size()), &written, nullptr);
    CloseHandle(f);
    return ok;
}

int Run(const wchar_t* output, UINT edge, int shape) {
    wchar_t modulePath[260] = {};
    GetModuleFileNameW(nullptr, modulePath, 260);
    wchar_t drive[3], directory[256], moduleDirectory[260], skinPath[260];
    SplitPath(modulePath, drive, directory, nullptr, nullptr);
    MakePath(moduleDirectory, drive, directory, L"", L"");
    MakePath(skinPath, drive, directory, L"skin", L"cfg");
    gSkin.SetConfigPath(skinPath);
    if (!gSkin.Load(moduleDirectory))
        return 2;

    StandinOptions options;
    options.uEdge = edge;
    options.nShape = shape;
    CStandinTaskbar taskbar;
    if (!taskbar.Create(options))
        return 3;
    Pump();
    CStartWnd button;
    if (!FindTaskbar(button) || button.hTaskbar != taskbar.Taskbar() || !CreateStartButton(button, SW_SHOW))
        return 3;
    Pump();

    // The start of the taskbar, wide enough to show the button and the first task buttons.
    RECT bar;
    GetWindowRect(taskbar.Taskbar(), &bar);
    bool vertical = edge == ABE_LEFT || edge == ABE_RIGHT;
    RECT part = bar;
    if (vertical)
        part.bottom = part.top + 240;
    else
        part.right = part.left + (shape == 10 ? 720 : 360);
    int w = part.right - part.left, h = part.bottom - part.top;
    int stride = (w * 3 + 3) & ~3;
    const int gap = 6;

    // Strips from the top: normal, hot, pressed (BMP rows run bottom-up).
    std::vector<BYTE> image(static_cast<size_t>(stride) * (3 * h + 2 * gap), 0xFF);
    for (int mode = 0; mode < 3; ++mode) {
        SendMessageW(button.m_hWnd, kMsgSetMode, mode, 0);
        RedrawWindow(taskbar.Taskbar(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        std::vector<BYTE> strip;
        if (!CaptureScreen(part, strip))
            return 4;
        size_t firstRow = static_cast<size_t>(2 - mode) * (h + gap);
        std::memcpy(image.data() + firstRow * stride, strip.data(), strip.size());
    }
    return WriteBmp(output, w, 3 * h + 2 * gap, image) ? 0 : 4;
}

int FindButton(bool secondary) {
    HWND button = nullptr;
    RECT rc{};
    // Created is not yet placed: the button counts once it is shown with its size.
    if (!WaitFor([&] {
            HWND taskbar = secondary ? FindWindowW(L"Shell_SecondaryTrayWnd", nullptr)
                                     : FindWindowW(L"Shell_TrayWnd", L"");
            button = taskbar ? FindWindowExW(taskbar, nullptr, nullptr, L"Start.Button.Main") : nullptr;
            return button && IsWindowVisible(button) && GetWindowRect(button, &rc) && rc.right > rc.left;
        },
                 20000))
        return 3;
    char line[64];
    int n = wsprintfA(line, "%d %d %d %d\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, n, &written, nullptr);
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc == 2 && (!wcscmp(argv[1], L"--find") || !wcscmp(argv[1], L"--find-secondary"))) {
        const bool secondary = !wcscmp(argv[1], L"--find-secondary");
        LocalFree(argv);
        return FindButton(secondary);
    }
    if (!argv || argc < 2 || EdgeFromName(argc > 2 ? argv[2] : nullptr) == 0xFFFFFFFF)
        return 1;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    fw::gModule.Init(instance);
    const int shape = argc > 3 && !wcscmp(argv[3], L"--shape=10") ? 10 : 8;
    int result = Run(argv[1], EdgeFromName(argc > 2 ? argv[2] : nullptr), shape);
    fw::gModule.Term();
    Gdiplus::GdiplusShutdown(token);
    CoUninitialize();
    LocalFree(argv);
    return result;
}
