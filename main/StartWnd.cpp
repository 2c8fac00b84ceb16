#include "StartWnd.h"

#include "AppModule.h"
#include "Dpi.h"
#include "Handles.h"
#include "MenuWnd.h"
#include "Skin.h"
#include "Startup.h"
#include "Taskbar.h"
#include "Trace.h"
#include "Utils.h"

#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include <new>

namespace {
const DWORD kMenuReleaseWait = 500; // ms
} // namespace

CStartWnd::CStartWnd() = default;

CStartWnd::~CStartWnd() {
    if (IsWindow()) {
        // Through the message map, so that the WM_DESTROY teardown runs.
        DestroyWindow();
    } else if (m_hWnd) {
        // The window went with its taskbar without a WM_DESTROY reaching us.
        if (m_bHooked)
            ReleaseTaskbar();
        m_bHooked = false;
        if (gStartButton == m_hWnd)
            gStartButton = nullptr;
        m_hWnd = nullptr;
    }
    if (pMenu && pMenu->IsWindow())
        DestroyMenuWindow();
    pMenu.reset();
}

void CStartWnd::SetMode(int mode) {
    nMode = mode;
    ::SetPropW(m_hWnd, kModeProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(mode)));
    Invalidate(TRUE);
}

int CStartWnd::MenuShown() const { return pMenu && pMenu->IsMenuVisible() ? 1 : 0; }

void CStartWnd::DestroyMenuWindow() {
    // A menu window that was never made, or went without its WM_DESTROY, signals nothing.
    if (!pMenu || !pMenu->IsWindow())
        return;
    pMenu->DestroyWindow();
    // The menu signals the event while its window is destroyed, on this thread;
    // the bound keeps shutdown going should the window not get that far.
    if (::WaitForSingleObject(pMenu->ReleasedEvent(), kMenuReleaseWait) == WAIT_OBJECT_0)
        Trace(L"pMenu's resource has been released.\n");
    else
        Trace(L"The menu did not report its release.\n");
}

LRESULT CStartWnd::OnContextMenu(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::SetFocus(m_hWnd);
    fw::UniqueMenu menu(::LoadMenuW(fw::gModule.GetResourceInstance(), MAKEINTRESOURCEW(IDR_MENU_STARTBUTTON)));
    if (!menu)
        return 0;
    HMENU popup = ::GetSubMenu(menu.get(), 0);
    if (!popup)
        return 0;
    ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, pt.x, pt.y, 0, reinterpret_cast<HWND>(wParam), nullptr);
    PostMessage(WM_NULL);
    return 0;
}

LRESULT CStartWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    nDpi = fw::DpiOfMonitor(::MonitorFromWindow(hTaskbar, MONITOR_DEFAULTTOPRIMARY));
    nSize = fw::Scale(gSkin.nStartHeight, nDpi);
    ::SetPropW(m_hWnd, kModeProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(nMode)));
    m_bHooked = PlaceOnTaskbar(m_hWnd, hTaskbar, hRebar, nSize) != 0;
    return 0;
}

LRESULT CStartWnd::OnDpiChanged(UINT, WPARAM, LPARAM, BOOL&) {
    // The taskbar went to a monitor of another scale: the button and the rebar follow.
    const int dpi = fw::DpiOfWindow(hTaskbar);
    if (dpi == nDpi)
        return 0;
    nDpi = dpi;
    nSize = fw::Scale(gSkin.nStartHeight, nDpi);
    LayOutOnTaskbar(m_hWnd, hTaskbar, hRebar, nSize);
    Invalidate(TRUE);
    return 0;
}

LRESULT CStartWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    ::RemovePropW(m_hWnd, kModeProperty);
    ReleaseTaskbar();
    m_bHooked = false;
    DestroyMenuWindow();
    // The keyboard hook must not post to a window that is gone.
    if (gStartButton == m_hWnd)
        gStartButton = nullptr;
    RelayOutTaskbar(hTaskbar);
    return 0;
}

LRESULT CStartWnd::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

LRESULT CStartWnd::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&) {
    SetMode(MenuShown() ? 2 : 0);
    return 0;
}

LRESULT CStartWnd::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&) {
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    if (!::PtInRect(&rc, pt))
        return 0;
    TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hWnd, 0};
    ::TrackMouseEvent(&tme);
    // Only the step from normal changes the look; moving on within the button repaints nothing.
    if (nMode != 0)
        return 0;
    SetMode(MenuShown() ? 2 : 1);
    return 0;
}

LRESULT CStartWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    fw::PaintScope paint(m_hWnd);
    HBITMAP bitmap = gSkin.hStartButton;
    if (!bitmap)
        return 0;
    int y = gSkin.nStartOffset;
    int h = gSkin.nStartHeight;
    BITMAP bm{};
    int w = ::GetObjectW(bitmap, sizeof(bm), &bm) ? bm.bmWidth : gSkin.nStartWidth;
    // Frames are stacked top to bottom: normal, hot, pressed; the bitmap is in design units.
    int sourceTop = nMode == 1 ? h : nMode == 2 ? 2 * h : 0;
    fw::UniqueMemDC memory(::CreateCompatibleDC(paint.dc()));
    if (!memory)
        return 0;
    fw::SelectScope select(memory.get(), bitmap);
    if (nDpi == fw::kDesignDpi) {
        ::BitBlt(paint.dc(), 0, y, w, h, memory.get(), 0, sourceTop, SRCCOPY);
    } else {
        const int top = fw::Scale(y, nDpi);
        ::SetStretchBltMode(paint.dc(), HALFTONE);
        ::SetBrushOrgEx(paint.dc(), 0, 0, nullptr);
        ::StretchBlt(paint.dc(), 0, top, fw::Scale(w, nDpi), fw::Scale(y + h, nDpi) - top, memory.get(), 0, sourceTop,
                     w, h, SRCCOPY);
    }
    return 0;
}

LRESULT CStartWnd::OnLButtonDown(UINT, WPARAM wParam, LPARAM, BOOL&) {
    APPBARDATA abd{};
    abd.cbSize = sizeof(abd);
    abd.hWnd = hTaskbar;
    ::SHAppBarMessage(ABM_GETTASKBARPOS, &abd);
    int edge = static_cast<int>(abd.uEdge);
    int height = abd.rc.bottom - abd.rc.top;

    if (!pMenu) {
        pMenu.reset(new (std::nothrow) CMenuWnd(m_hWnd));
        if (!pMenu) {
            Trace(L"pMenu is null.\n");
            return 0;
        }
    }
    if (!pMenu->IsAlive()) {
        if (!pMenu->CreateMenuWindow()) {
            pMenu.reset();
            Trace(L"Start Menu create failed.\n");
            return 0;
        }
    }
    if (!pMenu->IsAlive()) {
        Trace(L"Menu windows is not initialized\n");
        pMenu.reset();
        return 0;
    }
    // A real press (the Windows key posts wParam 0) that already closed the
    // menu by taking its activation must not open it again.
    if ((wParam & MK_LBUTTON) && !pMenu->IsMenuVisible() && pMenu->TakeClosedByButtonPress())
        return 0;
    if (pMenu->IsMenuVisible()) {
        // No focus for the hidden menu: focusing it would activate it again,
        // and an active menu counts as shown, so the next click would only hide it.
        pMenu->ShowMenu(SW_HIDE, height, edge);
        return 0;
    }
    pMenu->ShowMenu(SW_SHOW, height, edge);
    ::SetFocus(pMenu->m_hWnd);
    return 0;
}

LRESULT CStartWnd::OnSetMode(UINT, WPARAM wParam, LPARAM, BOOL&) {
    SetMode(wParam == 2 ? 2 : wParam == 1 ? 1 : 0);
    return 0;
}

LRESULT CStartWnd::OnCmdExit(UINT, WPARAM, LPARAM, BOOL&) {
    DestroyWindow();
    ::PostQuitMessage(0);
    return 0;
}

LRESULT CStartWnd::OnCmdExplorer(UINT, WPARAM, LPARAM, BOOL&) {
    fw::UniquePidl libraries;
    if (SUCCEEDED(::SHGetKnownFolderIDList(FOLDERID_Libraries, 0, nullptr, libraries.put())))
        OpenIdList(libraries.get());
    return 0;
}

LRESULT CStartWnd::OnCmdProperties(UINT, WPARAM, LPARAM, BOOL&) {
    LaunchTaskbarProperties();
    return 0;
}
