#include "StandinTaskbar.h"
#include "StandinClient.h"

#include <commctrl.h>

#include <cstring>

namespace {

const wchar_t kTaskbarClass[] = L"Shell_TrayWnd";
const wchar_t kSecondaryClass[] = L"Shell_SecondaryTrayWnd";
const wchar_t kAppBarClass[] = L"WineAppBar";
const wchar_t kBandClass[] = L"Velmar.Standin.Band";
const wchar_t kObjectProp[] = L"Velmar.Standin.Object";

const COLORREF kTaskbarColor = RGB(20, 22, 28);
const COLORREF kBandColor = RGB(32, 34, 42);
const COLORREF kButtonColor = RGB(58, 62, 74);
const COLORREF kTextColor = RGB(232, 232, 236);

enum BandKind { kTaskList = 0, kClock = 1 };

// What Wine's SHAppBarMessage sends to the "WineAppBar" window in WM_COPYDATA
// (dwData is the ABM_ code), and what it reads back from the mapping it names.
struct AppBarData {
    ULONG hWnd;
    UINT uCallbackMessage;
    UINT uEdge;
    RECT rc;
    ULONGLONG lParam;
};
struct AppBarCommand {
    ULONG returnMap; // a handle in the caller's process
    DWORD returnProcess;
    AppBarData abd;
};
struct AppBarResponse {
    ULONGLONG result;
    AppBarData abd;
};
static_assert(sizeof(AppBarCommand) == 48, "Wine's app-bar command is 48 bytes");
static_assert(sizeof(AppBarResponse) == 48, "Wine's app-bar response is 48 bytes");

void WriteAppBarResponse(const AppBarCommand& command, const AppBarResponse& response) {
    HANDLE hProcess = OpenProcess(PROCESS_DUP_HANDLE, FALSE, command.returnProcess);
    if (!hProcess)
        return;
    HANDLE hMap = nullptr;
    if (DuplicateHandle(hProcess, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(command.returnMap)),
                        GetCurrentProcess(), &hMap, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        void* view = MapViewOfFile(hMap, FILE_MAP_WRITE, 0, 0, sizeof(response));
        if (view) {
            memcpy(view, &response, sizeof(response));
            UnmapViewOfFile(view);
        }
        CloseHandle(hMap);
    }
    CloseHandle(hProcess);
}

void FillSolid(HDC hdc, const RECT& rc, COLORREF color) {
    SetBkColor(hdc, color);
    ExtTextOutW(hdc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

// A band's content: a few task buttons, or a clock.
void PaintBand(HWND hWnd, HDC hdc) {
    RECT rc;
    GetClientRect(hWnd, &rc);
    FillSolid(hdc, rc, kBandColor);
    SetTextColor(hdc, kTextColor);
    SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
    if (GetWindowLongPtrW(hWnd, GWLP_USERDATA) == kClock) {
        SetBkMode(hdc, TRANSPARENT);
        DrawTextW(hdc, L"12:00", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    static const wchar_t* const kTasks[] = {L"Explorer", L"Notes", L"Terminal"};
    bool vertical = rc.bottom - rc.top > rc.right - rc.left;
    int step = vertical ? 40 : 130;
    for (int i = 0; i < 3; ++i) {
        RECT button = rc;
        InflateRect(&button, -3, -3);
        if (vertical) {
            button.top = rc.top + 3 + i * step;
            button.bottom = button.top + step - 6;
        } else {
            button.left = rc.left + 3 + i * step;
            button.right = button.left + step - 6;
        }
        FillSolid(hdc, button, kButtonColor);
        SetBkMode(hdc, TRANSPARENT);
        DrawTextW(hdc, kTasks[i], -1, &button, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
}

LRESULT CALLBACK BandProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hWnd, &ps);
        PaintBand(hWnd, hdc);
        EndPaint(hWnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(hWnd, msg, wParam, lParam);
    }
}

void RegisterClasses(HINSTANCE hInstance, WNDPROC taskbarProc, WNDPROC appBarProc) {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);

    wc.lpfnWndProc = taskbarProc;
    wc.lpszClassName = kTaskbarClass;
    wc.hbrBackground = CreateSolidBrush(kTaskbarColor); // lives as long as the class
    RegisterClassExW(&wc);
    wc.lpszClassName = kSecondaryClass;
    RegisterClassExW(&wc);

    wc.hbrBackground = nullptr;
    wc.lpfnWndProc = appBarProc;
    wc.lpszClassName = kAppBarClass;
    RegisterClassExW(&wc);

    wc.lpfnWndProc = BandProc;
    wc.lpszClassName = kBandClass;
    RegisterClassExW(&wc);
    registered = true;
}

struct RelayoutJob {
    HWND hRebar;
    WINDOWPOS pos;
};

// The shell's notification reaches its band from another thread; a hook then
// sees wParam 0. The move itself comes first, as the shell moves before it tells.
DWORD WINAPI RelayoutWorker(void* parameter) {
    RelayoutJob* job = static_cast<RelayoutJob*>(parameter);
    const WINDOWPOS& p = job->pos;
    SetWindowPos(job->hRebar, nullptr, p.x, p.y, p.cx, p.cy, p.flags);
    WINDOWPOS notice = p;
    SendMessageW(job->hRebar, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&notice));
    return 0;
}

WINDOWPOS PositionFor(HWND hRebar, const RECT& place) {
    WINDOWPOS pos = {};
    pos.hwnd = hRebar;
    pos.x = place.left;
    pos.y = place.top;
    pos.cx = place.right - place.left;
    pos.cy = place.bottom - place.top;
    pos.flags = SWP_NOZORDER | SWP_NOACTIVATE;
    return pos;
}

BOOL CALLBACK TakeSecondMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY)) {
        *reinterpret_cast<RECT*>(data) = info.rcMonitor;
        return FALSE;
    }
    return TRUE;
}

// The monitor a taskbar stands on: the primary one, or for a secondary taskbar
// the first other monitor (the primary one when there is no other).
RECT TaskbarMonitor(bool secondary) {
    RECT rc = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (secondary)
        EnumDisplayMonitors(nullptr, nullptr, TakeSecondMonitor, reinterpret_cast<LPARAM>(&rc));
    return rc;
}

} // namespace

CStandinTaskbar::~CStandinTaskbar() {
    Destroy();
}

bool CStandinTaskbar::Create(const StandinOptions& options) {
    if (m_hTaskbar)
        return false;
    m_options = options;
    HINSTANCE hInstance = GetModuleHandleW(nullptr);
    RegisterClasses(hInstance, TaskbarProc, AppBarProc);
    m_msgRelayout = RegisterWindowMessageW(standin::kRelayoutMessage);
    m_msgRelayoutHere = RegisterWindowMessageW(standin::kRelayoutHereMessage);
    m_msgSecondary = RegisterWindowMessageW(standin::kSecondaryMessage);
    m_msgThickness = RegisterWindowMessageW(standin::kThicknessMessage);
    m_msgStall = RegisterWindowMessageW(standin::kStallMessage);

    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_COOL_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);

    const RECT monitor = TaskbarMonitor(m_options.bSecondary);
    RECT rc = m_options.ScreenRect(monitor.right - monitor.left, monitor.bottom - monitor.top);
    OffsetRect(&rc, monitor.left, monitor.top);
    // Topmost, so that FindWindowW finds it before Wine's own hidden tray window.
    HWND hTaskbar =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, m_options.bSecondary ? kSecondaryClass : kTaskbarClass, L"",
                        WS_POPUP | WS_CLIPCHILDREN, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, nullptr,
                        nullptr, hInstance, this);
    if (!hTaskbar)
        return false;
    if (!CreateRebar() || (Shaped() && !m_shape.Create(m_hTaskbar, m_options.nShape, m_options.nSearch))) {
        Destroy();
        return false;
    }
    if (m_options.bAnswerAppBar && !m_options.bSecondary) {
        m_hAppBar = CreateWindowExW(0, kAppBarClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, hInstance, this);
        if (!m_hAppBar) {
            Destroy();
            return false;
        }
    }
    LayOut();
    ShowWindow(m_hTaskbar, SW_SHOWNOACTIVATE);
    UpdateWindow(m_hTaskbar);
    if (m_options.bSecondary)
        return true;
    if (m_options.nSecondaryEdge >= 0 && !SetSecondary(true)) {
        Destroy();
        return false;
    }
    // As the shell does when it starts, so that running programs attach again.
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    return true;
}

bool CStandinTaskbar::SetSecondary(bool present) {
    m_pSecondary.reset();
    if (!present)
        return true;
    StandinOptions options;
    options.uEdge = static_cast<UINT>(m_options.nSecondaryEdge);
    options.bSecondary = true;
    // The shell gives a secondary taskbar the same shape, its own Start button included.
    options.nShape = m_options.nShape;
    options.nSearch = m_options.nSearch;
    m_pSecondary.reset(new CStandinTaskbar);
    if (m_pSecondary->Create(options))
        return true;
    m_pSecondary.reset();
    return false;
}

bool CStandinTaskbar::SetThickness(int thickness) {
    if (thickness <= 0 || !m_hTaskbar)
        return false;
    m_options.nSize = thickness;
    const RECT monitor = TaskbarMonitor(m_options.bSecondary);
    RECT rc = m_options.ScreenRect(monitor.right - monitor.left, monitor.bottom - monitor.top);
    OffsetRect(&rc, monitor.left, monitor.top);
    // Its WM_SIZE lays the children out again, as the shell does when the user drags the edge.
    return SetWindowPos(m_hTaskbar, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                        SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

void CStandinTaskbar::Destroy() {
    m_pSecondary.reset();
    if (m_hTaskbar)
        DestroyWindow(m_hTaskbar); // its WM_DESTROY takes the app-bar window along
    if (m_hAppBar)
        DestroyWindow(m_hAppBar);
}

bool CStandinTaskbar::CreateRebar() {
    bool vertical = m_options.uEdge == ABE_LEFT || m_options.uEdge == ABE_RIGHT;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT | CCS_NODIVIDER |
                  CCS_NORESIZE | CCS_NOPARENTALIGN | (vertical ? CCS_VERT : 0);
    m_hRebar = CreateWindowExW(0, REBARCLASSNAMEW, nullptr, style, 0, 0, 0, 0, m_hTaskbar, reinterpret_cast<HMENU>(1),
                               GetModuleHandleW(nullptr), nullptr);
    if (!m_hRebar)
        return false;
    REBARINFO info = {sizeof(info), 0, nullptr};
    SendMessageW(m_hRebar, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(m_hRebar, RB_SETBKCOLOR, 0, kBandColor);
    SendMessageW(m_hRebar, RB_SETTEXTCOLOR, 0, kTextColor);
    AddBand(kTaskList, vertical ? 400 : 900);
    // The later shapes keep their clock in "TrayNotifyWnd".
    if (!Shaped())
        AddBand(kClock, vertical ? 60 : 90);

    // Watch what the rebar's own procedure receives (after any hook).
    SetPropW(m_hRebar, kObjectProp, this);
    m_pRebarProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_hRebar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CStandinTaskbar::RebarProc)));
    return m_pRebarProc != nullptr;
}

void CStandinTaskbar::AddBand(int nKind, int cx) {
    HWND hChild = CreateWindowExW(0, kBandClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hRebar, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hChild, GWLP_USERDATA, nKind);
    REBARBANDINFOW band = {};
    band.cbSize = REBARBANDINFOW_V6_SIZE;
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_COLORS;
    band.fStyle = RBBS_NOGRIPPER;
    band.clrFore = kTextColor;
    band.clrBack = kBandColor;
    band.hwndChild = hChild;
    band.cxMinChild = nKind == kClock ? 70 : 40;
    band.cyMinChild = m_options.Thickness() - 4;
    band.cx = cx;
    SendMessageW(m_hRebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

// Across the whole client area, on the taskbar's own thread, as a shell does on WM_SIZE.
void CStandinTaskbar::LayOut() {
    if (!m_hRebar)
        return;
    if (Shaped()) {
        m_shape.LayOut(m_hRebar, m_options.uEdge == ABE_LEFT || m_options.uEdge == ABE_RIGHT);
        SendMessageW(m_hRebar, RB_MAXIMIZEBAND, 0, FALSE);
        return;
    }
    RECT rc;
    GetClientRect(m_hTaskbar, &rc);
    MoveWindow(m_hRebar, 0, 0, rc.right, rc.bottom, TRUE);
    // The task list takes what the clock leaves, as on a real taskbar.
    SendMessageW(m_hRebar, RB_MAXIMIZEBAND, 0, FALSE);
}

RECT CStandinTaskbar::RequestedPlace(WPARAM wParam, LPARAM lParam) const {
    RECT rc;
    if (wParam == 0 && lParam == 0 && Shaped())
        return m_shape.BandPlace();
    if (wParam == 0 && lParam == 0) {
        GetClientRect(m_hTaskbar, &rc);
        return rc;
    }
    UINT_PTR size = static_cast<UINT_PTR>(lParam);
    rc.left = standin::PairLow(wParam);
    rc.top = standin::PairHigh(wParam);
    rc.right = rc.left + standin::PairLow(size);
    rc.bottom = rc.top + standin::PairHigh(size);
    return rc;
}

void CStandinTaskbar::RelayoutFromWorker(const RECT& place) {
    RelayoutJob job = {m_hRebar, PositionFor(m_hRebar, place)};
    HANDLE hThread = CreateThread(nullptr, 0, RelayoutWorker, &job, 0, nullptr);
    if (!hThread)
        return;
    // The worker's messages to the rebar need this thread: take them while waiting.
    while (MsgWaitForMultipleObjects(1, &hThread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(hThread);
}

void CStandinTaskbar::RelayoutHere(const RECT& place) {
    WINDOWPOS pos = PositionFor(m_hRebar, place);
    SetWindowPos(m_hRebar, nullptr, pos.x, pos.y, pos.cx, pos.cy, pos.flags);
    SendMessageW(m_hRebar, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
}

void CStandinTaskbar::Record(const WINDOWPOS* pos) {
    ++m_nSeen;
    SetPropW(m_hTaskbar, standin::kPropX, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(pos->x)));
    SetPropW(m_hTaskbar, standin::kPropY, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(pos->y)));
    SetPropW(m_hTaskbar, standin::kPropCx, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(pos->cx)));
    SetPropW(m_hTaskbar, standin::kPropCy, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(pos->cy)));
    SetPropW(m_hTaskbar, standin::kPropFlags, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(pos->flags)));
    SetPropW(m_hTaskbar, standin::kPropCount, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(m_nSeen)));
}

LRESULT CStandinTaskbar::OnTaskbarMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == m_msgRelayout || msg == m_msgRelayoutHere) {
        if (!m_hRebar)
            return 0;
        // A whole re-layout places the shell's own children again first, the band last.
        if (wParam == 0 && lParam == 0 && Shaped())
            m_shape.LayOut(nullptr, m_options.uEdge == ABE_LEFT || m_options.uEdge == ABE_RIGHT);
        RECT place = RequestedPlace(wParam, lParam);
        if (msg == m_msgRelayout)
            RelayoutFromWorker(place);
        else
            RelayoutHere(place);
        return 1;
    }
    if (msg == m_msgStall) {
        SetPropW(m_hTaskbar, standin::kPropStalled, reinterpret_cast<HANDLE>(1));
        Sleep(static_cast<DWORD>(wParam));
        RemovePropW(m_hTaskbar, standin::kPropStalled);
        return 1;
    }
    if (msg == m_msgSecondary && !m_options.bSecondary) {
        if (m_options.nSecondaryEdge < 0 || !SetSecondary((wParam & 1) != 0))
            return 0;
        if (wParam & 2)
            return 1;
        // As when a monitor goes or comes: every top-level window hears of it.
        PostMessageW(HWND_BROADCAST, WM_DISPLAYCHANGE, 32,
                     MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
        return 1;
    }
    if (msg == m_msgThickness)
        return SetThickness(static_cast<int>(wParam)) ? 1 : 0;
    switch (msg) {
    case WM_SIZE:
        LayOut();
        return 0;
    case WM_CLOSE:
        DestroyWindow(m_hTaskbar);
        return 0;
    case WM_DESTROY:
        m_pSecondary.reset();
        if (m_hAppBar)
            DestroyWindow(m_hAppBar);
        if (m_bQuitOnDestroy)
            PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        for (const wchar_t* name : {standin::kPropX, standin::kPropY, standin::kPropCx, standin::kPropCy,
                                    standin::kPropFlags, standin::kPropCount, standin::kPropStartPresses})
            RemovePropW(m_hTaskbar, name);
        m_hTaskbar = nullptr;
        m_hRebar = nullptr;
        return 0;
    default:
        return DefWindowProcW(m_hTaskbar, msg, wParam, lParam);
    }
}

LRESULT CStandinTaskbar::OnCopyData(const COPYDATASTRUCT* data) {
    if (!data || !data->lpData || data->cbData < sizeof(AppBarCommand))
        return FALSE;
    AppBarCommand command;
    memcpy(&command, data->lpData, sizeof(command));
    AppBarResponse response = {};
    response.abd = command.abd;
    switch (data->dwData) {
    case ABM_GETTASKBARPOS:
        response.result = 1;
        response.abd.hWnd = HandleToUlong(m_hTaskbar);
        response.abd.uEdge = m_options.uEdge;
        GetWindowRect(m_hTaskbar, &response.abd.rc);
        break;
    case ABM_GETSTATE:
        response.result = m_options.uState;
        break;
    default:
        return FALSE; // the caller reads a zero answer
    }
    WriteAppBarResponse(command, response);
    return TRUE;
}

LRESULT CALLBACK CStandinTaskbar::TaskbarProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<CStandinTaskbar*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hTaskbar = hWnd;
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CStandinTaskbar*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!self || self->m_hTaskbar != hWnd)
        return DefWindowProcW(hWnd, msg, wParam, lParam);
    return self->OnTaskbarMessage(msg, wParam, lParam);
}

LRESULT CALLBACK CStandinTaskbar::AppBarProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<CStandinTaskbar*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CStandinTaskbar*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (self && msg == WM_COPYDATA)
        return self->OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    if (self && msg == WM_NCDESTROY)
        self->m_hAppBar = nullptr;
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

LRESULT CALLBACK CStandinTaskbar::RebarProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CStandinTaskbar*>(GetPropW(hWnd, kObjectProp));
    if (!self)
        return DefWindowProcW(hWnd, msg, wParam, lParam);
    WNDPROC next = self->m_pRebarProc;
    if (msg == WM_WINDOWPOSCHANGED && lParam)
        self->Record(reinterpret_cast<const WINDOWPOS*>(lParam));
    if (msg == WM_ERASEBKGND) {
        // One dark surface behind the bands, without the control's light edges.
        RECT rc;
        GetClientRect(hWnd, &rc);
        FillSolid(reinterpret_cast<HDC>(wParam), rc, kBandColor);
        return 1;
    }
    if (msg == WM_NCDESTROY) {
        RemovePropW(hWnd, kObjectProp);
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
    }
    return CallWindowProcW(next, hWnd, msg, wParam, lParam);
}
