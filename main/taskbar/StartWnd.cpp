#include "StartWnd.h"

#include "AppModule.h"
#include "Dpi.h"
#include "Handles.h"
#include "MenuWnd.h"
#include "ShellTaskbar.h"
#include "Skin.h"
#include "Taskbar.h"
#include "Trace.h"
#include "Utils.h"

#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include <new>

HWND gStartButton = nullptr;

namespace {
const DWORD kMenuReleaseWait = 500; // ms
const wchar_t kButtonTitle[] = L"Start.Button.Main";
// No WM_PARENTNOTIFY: it would be sent to the shell's thread, and a stalled
// shell would then hold up the button's creation, destruction and clicks.
const DWORD kButtonExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOPARENTNOTIFY;
} // namespace

CStartWnd::CStartWnd() = default;

CStartWnd::~CStartWnd() {
    if (IsWindow()) {
        // Through the message map, so that the WM_DESTROY teardown runs.
        DestroyWindow();
    } else if (m_hWnd) {
        // The window went with its taskbar without a WM_DESTROY reaching us.
        ReleaseHook();
        if (bSecondary && gStartButton && ::IsWindow(gStartButton))
            ::SendMessageW(gStartButton, kMsgButtonGone, 0, reinterpret_cast<LPARAM>(m_hWnd));
        if (gStartButton == m_hWnd)
            gStartButton = nullptr;
        hMenuOrigin = nullptr;
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

int CStartWnd::MenuShown() const {
    if (bSecondary)
        return m_bMenuShownHere ? 1 : 0;
    return pMenu && pMenu->IsMenuVisible() && hMenuOrigin == m_hWnd ? 1 : 0;
}

void CStartWnd::ReleaseHook() {
    if (m_bHooked) {
        if (hShellStart)
            ReleaseShellStart(hShellStart, !bSecondary);
        else if (bSecondary)
            ReleaseSecondaryTaskbar(hRebar);
        else
            ReleaseTaskbar();
    }
    m_bHooked = false;
}

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
    hMenuOrigin = m_hWnd;
    if (!bPlaced)
        return 0;
    if (hShellStart)
        m_bHooked = PlaceOverShellStart(m_hWnd, hShellStart, !bSecondary) != 0;
    else if (bSecondary)
        m_bHooked = PlaceOnSecondaryTaskbar(m_hWnd, hTaskbar, hRebar, nSize) != 0;
    else
        m_bHooked = PlaceOnTaskbar(m_hWnd, hTaskbar, hRebar, nSize) != 0;
    return 0;
}

LRESULT CStartWnd::OnDpiChanged(UINT, WPARAM, LPARAM, BOOL&) {
    // The taskbar went to a monitor of another scale: the button and the rebar follow.
    const int dpi = fw::DpiOfWindow(hTaskbar);
    if (dpi == nDpi)
        return 0;
    FollowTaskbar();
    return 0;
}

void CStartWnd::FollowTaskbar() {
    if (!IsWindow() || !::IsWindow(hTaskbar) || !::IsWindow(hRebar))
        return;
    nDpi = fw::DpiOfWindow(hTaskbar);
    nSize = fw::Scale(gSkin.nStartHeight, nDpi);
    if (hShellStart)
        CoverShellStart(m_hWnd, hShellStart);
    // A secondary taskbar's edge is its own, never the primary one's the shell answers.
    else if (bPlaced && bSecondary)
        LayOutOnSecondaryTaskbar(m_hWnd, hTaskbar, hRebar, nSize);
    else if (bPlaced)
        LayOutOnTaskbar(m_hWnd, hTaskbar, hRebar, nSize);
    Invalidate(TRUE);
}

LRESULT CStartWnd::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    // Closed from outside (taskkill, an installer's Restart Manager): the
    // program ends as "Exit Velmar" ends it, never leaving the button alone.
    ::PostQuitMessage(0);
    return 0;
}

LRESULT CStartWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    ::RemovePropW(m_hWnd, kModeProperty);
    if (bSecondary) {
        ReleaseHook();
        // The menu must not go on naming this window; the owner drops the object later.
        if (gStartButton && ::IsWindow(gStartButton))
            ::SendMessageW(gStartButton, kMsgButtonGone, 0, reinterpret_cast<LPARAM>(m_hWnd));
        if (hOwner)
            ::PostMessageW(hOwner, kMsgButtonGone, 0, reinterpret_cast<LPARAM>(m_hWnd));
        RelayOutTaskbar(hTaskbar);
        return 0;
    }
    if (hShellStart)
        ReleaseShellStart(hShellStart, true);
    else
        ReleaseTaskbar();
    m_bHooked = false;
    DestroyMenuWindow();
    hMenuOrigin = nullptr; // what the menu object still names
    // The keyboard hook must not post to a window that is gone.
    if (gStartButton == m_hWnd)
        gStartButton = nullptr;
    // Nothing of the shell's was moved where the button only covered or was never placed.
    if (!hShellStart && bPlaced)
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
    HBITMAP bitmap = gSkin.hStartButton.get();
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
    if (hShellStart) {
        // The shell's button sets the size: the frame is fitted into it, its
        // aspect kept, on the colour of the frame's corner.
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        HBRUSH fill = ::CreateSolidBrush(::GetPixel(memory.get(), 0, sourceTop));
        ::FillRect(paint.dc(), &client, fill);
        ::DeleteObject(fill);
        const RECT to = FitPicture({w, h}, {client.right, client.bottom});
        ::SetStretchBltMode(paint.dc(), HALFTONE);
        ::SetBrushOrgEx(paint.dc(), 0, 0, nullptr);
        ::StretchBlt(paint.dc(), to.left, to.top, to.right - to.left, to.bottom - to.top, memory.get(), 0, sourceTop, w,
                     h, SRCCOPY);
    } else if (nDpi == fw::kDesignDpi) {
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
    if (bSecondary) {
        if (gStartButton && ::IsWindow(gStartButton))
            ::SendMessageW(gStartButton, kMsgPressFrom, wParam, reinterpret_cast<LPARAM>(m_hWnd));
        return 0;
    }
    // The Windows key posts wParam 0: it opens the menu where the user works.
    ToggleMenu(wParam, (wParam & MK_LBUTTON) ? m_hWnd : KeyOrigin());
    return 0;
}

LRESULT CStartWnd::OnPressFrom(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    HWND origin = reinterpret_cast<HWND>(lParam);
    if (!bSecondary && origin && ::IsWindow(origin))
        ToggleMenu(wParam, origin);
    return 0;
}

LRESULT CStartWnd::OnButtonGone(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (bSecondary || reinterpret_cast<HWND>(lParam) != hMenuOrigin)
        return 0;
    if (pMenu && pMenu->IsMenuVisible())
        pMenu->ShowMenu(SW_HIDE, 0, 0);
    hMenuOrigin = m_hWnd;
    return 0;
}

HWND CStartWnd::KeyOrigin() const {
    HWND foreground = ::GetForegroundWindow();
    if (!foreground)
        return m_hWnd;
    HMONITOR monitor = ::MonitorFromWindow(foreground, MONITOR_DEFAULTTONULL);
    if (!monitor || monitor == ::MonitorFromWindow(hTaskbar, MONITOR_DEFAULTTONEAREST))
        return m_hWnd;
    HWND button = SecondaryButtonOn(monitor);
    return button ? button : m_hWnd;
}

bool CStartWnd::EnsureMenu() {
    if (!pMenu) {
        pMenu.reset(new (std::nothrow) CMenuWnd(hMenuOrigin));
        if (!pMenu) {
            Trace(L"pMenu is null.\n");
            return false;
        }
    }
    if (!pMenu->IsAlive()) {
        if (!pMenu->CreateMenuWindow()) {
            pMenu.reset();
            Trace(L"Start Menu create failed.\n");
            return false;
        }
    }
    if (!pMenu->IsAlive()) {
        Trace(L"Menu windows is not initialized\n");
        pMenu.reset();
        return false;
    }
    return true;
}

LRESULT CStartWnd::OnPrepareMenu(UINT, WPARAM, LPARAM, BOOL&) {
    // The first click then only shows the menu: made at start-up's first idle moment.
    if (!bSecondary && EnsureMenu())
        pMenu->PrepareFirstPicture();
    return 0;
}

void CStartWnd::ToggleMenu(WPARAM wParam, HWND origin) {
    if (!EnsureMenu())
        return;
    // A real press (the Windows key posts wParam 0) that already closed the
    // menu by taking its activation must not open it again.
    if ((wParam & MK_LBUTTON) && !pMenu->IsMenuVisible() && pMenu->TakeClosedByButtonPress() && origin == hMenuOrigin)
        return;
    if (pMenu->IsMenuVisible()) {
        // No focus for the hidden menu: focusing it would activate it again,
        // and an active menu counts as shown, so the next click would only hide it.
        pMenu->ShowMenu(SW_HIDE, 0, 0);
        // A press on another monitor's button moves the menu there; the Windows key only closes it.
        if (origin == hMenuOrigin || !(wParam & MK_LBUTTON))
            return;
    }
    hMenuOrigin = origin;
    HWND taskbar = origin == m_hWnd ? hTaskbar : ::GetParent(origin);
    pMenu->ShowMenu(SW_SHOW, AnchorForButton(origin, taskbar, origin == m_hWnd, &m_taskbarAnswer));
    ::SetFocus(pMenu->m_hWnd);
}

LRESULT CStartWnd::OnShellStartMoved(UINT, WPARAM, LPARAM lParam, BOOL&) {
    // The shell laid its taskbar out again, or raised its own button: over it once more.
    HWND start = reinterpret_cast<HWND>(lParam);
    if (start && start == hShellStart && ::IsWindow(start))
        CoverShellStart(m_hWnd, start);
    return 0;
}

LRESULT CStartWnd::OnSetMode(UINT, WPARAM wParam, LPARAM, BOOL&) {
    m_bMenuShownHere = wParam == 2;
    SetMode(wParam == 2 ? 2 : wParam == 1 ? 1 : 0);
    // Painted at once: the pressed look shows ahead of the menu, and this
    // small paint does not wait behind the menu's whole picture on its way
    // to the screen.
    ::UpdateWindow(m_hWnd);
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

HWND FindTaskbar(CStartWnd& button) {
    button.hTaskbar = FindShellTaskbar();
    if (!button.hTaskbar) {
        Trace(L"FindWindow failed. (ClassName=Shell_TrayWnd)\n");
        return nullptr;
    }
    button.hRebar = ::FindWindowExW(button.hTaskbar, nullptr, L"ReBarWindow32", nullptr);
    if (!button.hRebar) {
        Trace(L"FindWindow failed. (ClassName=ReBarWindow32)\n");
        return nullptr;
    }
    return button.hTaskbar;
}

HWND CreateStartButton(CStartWnd& button, int showCommand) {
    HWND hwnd = nullptr;
    if (ShapeOfTaskbar(button.hTaskbar, &button.hShellStart) == TaskbarShape::kXaml) {
        // Where the shell's XAML puts its own Start button cannot be known:
        // nothing is put over its content, and the Windows key still opens the menu.
        Trace(L"The taskbar is drawn by XAML: the menu opens on the Windows key, no Start button is placed.\n");
        button.bPlaced = false;
        hwnd = button.Create(HWND_MESSAGE, fw::CWindowImplBase::rcDefault, kButtonTitle, 0, 0);
    } else {
        hwnd = button.Create(button.hTaskbar, fw::CWindowImplBase::rcDefault, kButtonTitle,
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, kButtonExStyle);
    }
    if (!hwnd)
        return nullptr;
    gStartButton = hwnd;
    if (button.bPlaced)
        ::ShowWindow(hwnd, showCommand);
    return hwnd;
}

HWND CreateSecondaryButton(CStartWnd& button) {
    if (ShapeOfTaskbar(button.hTaskbar, &button.hShellStart) == TaskbarShape::kXaml)
        return nullptr;
    return button.Create(button.hTaskbar, fw::CWindowImplBase::rcDefault, kButtonTitle,
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, kButtonExStyle);
}

HWND SecondaryButtonOn(HMONITOR monitor) {
    for (HWND taskbar : FindSecondaryTaskbars()) {
        if (::MonitorFromWindow(taskbar, MONITOR_DEFAULTTONEAREST) != monitor)
            continue;
        HWND button = nullptr;
        while ((button = ::FindWindowExW(taskbar, button, nullptr, kButtonTitle)) != nullptr) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(button, &process);
            if (process == ::GetCurrentProcessId())
                return button;
        }
    }
    return nullptr;
}
