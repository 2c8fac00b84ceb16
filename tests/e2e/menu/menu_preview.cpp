// menu_preview.exe: the Start menu as its own code draws it, with the skin that
// lies beside the tool, saved as PNG screenshots of the screen:
//
//   menu_preview.exe OUTPUT_FOLDER
//
// menu-open.png   the menu as a click opens it (by a 40-pixel bottom taskbar)
// menu-hover.png  the mouse resting on the Documents button (its icon stands
//                 in for the account picture, the button shows its highlight)
// menu-power.png  the power menu opened from the shutdown button's arrow strip
// menu-allprograms.png  after the all-programs toggle (the button's image and
//                 caption in all-programs mode)
// Exit codes: 0 saved, 1 bad arguments, 2 skin not loaded, 3 no menu window,
// 4 a file could not be written.
#include "AppModule.h"
#include "GdiplusScope.h"
#include "Handles.h"
#include "MenuItemWnd.h"
#include "MenuWnd.h"
#include "Skin.h"
#include "Utils.h"
#include "Wait.h"

#include <windows.h>
#include <gdiplus.h>

#include <string>
#include <vector>

namespace {

bool PngEncoder(CLSID* clsid) {
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    if (!bytes)
        return false;
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, bytes, codecs);
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

// Saves a screen rectangle as PNG.
bool SaveScreen(const RECT& rc, const std::wstring& path) {
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    fw::UniqueMemDC memory(CreateCompatibleDC(screen));
    fw::UniqueBitmap bitmap(CreateCompatibleBitmap(screen, w, h));
    bool ok = false;
    if (memory && bitmap) {
        {
            fw::SelectScope select(memory.get(), bitmap.get());
            ok = BitBlt(memory.get(), 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY) != FALSE;
        }
        CLSID png;
        Gdiplus::Bitmap image(bitmap.get(), nullptr);
        ok = ok && PngEncoder(&png) && image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    ReleaseDC(nullptr, screen);
    return ok;
}

RECT WindowRect(HWND window) {
    RECT rc{};
    GetWindowRect(window, &rc);
    return rc;
}

struct PowerShot {
    HWND menu;
    std::wstring path;
    bool saved;
    int ticks;
} g_power;

void CALLBACK ShootPowerMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND popup = nullptr;
    while ((popup = FindWindowExW(nullptr, popup, L"#32768", nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(popup, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(popup))
            break;
    }
    // A few ticks with the popup open, so that everything under it has painted.
    if (!popup || ++g_power.ticks < 3)
        return;
    KillTimer(nullptr, timer);
    RECT both = WindowRect(g_power.menu), rc = WindowRect(popup);
    UnionRect(&both, &both, &rc);
    g_power.saved = SaveScreen(both, g_power.path);
    EndMenu();
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 1;
    const std::wstring out = argv[1];
    fw::ComScope com;
    fw::GdiplusScope gdiplus;
    fw::gModule.Init(GetModuleHandleW(nullptr));

    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring directory = module;
    directory.erase(directory.find_last_of(L'\\') + 1);
    gSkin.SetConfigPath((directory + L"skin.cfg").c_str());
    if (!gSkin.Load(directory.c_str()))
        return 2;

    HWND noStartButton = nullptr;
    CMenuWnd menu(noStartButton);
    if (!menu.CreateMenuWindow())
        return 3;
    menu.ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, 0);
    PumpFor(800);
    bool ok = SaveScreen(WindowRect(menu.m_hWnd), out + L"\\menu-open.png");

    if (CMenuItemWnd* documents = menu.FindButton(2)) {
        RECT rc = WindowRect(documents->m_hWnd);
        SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        PostMessageW(documents->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(20, (rc.bottom - rc.top) / 2));
        PumpFor(900); // the hover notice comes after 250 ms
        ok = SaveScreen(WindowRect(menu.m_hWnd), out + L"\\menu-hover.png") && ok;
    }

    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, 0);
    PumpFor(300);
    g_power = {menu.m_hWnd, out + L"\\menu-power.png", false, 0};
    SetTimer(nullptr, 0, 200, ShootPowerMenu);
    SendMessageW(menu.m_hWnd, WM_COMMAND, kCmdPowerMenu, 0);
    ok = g_power.saved && ok;

    SendMessageW(menu.m_hWnd, WM_COMMAND, kCmdToggleAllApps, 0);
    PumpFor(500);
    ok = SaveScreen(WindowRect(menu.m_hWnd), out + L"\\menu-allprograms.png") && ok;

    menu.DestroyWindow();
    return ok ? 0 : 4;
}
