#include "StandinShape.h"

namespace {

enum ChildKind { kStart = 1, kSearchBoxKind, kSearchIconKind, kTaskViewKind, kPeopleKind, kNotifyKind, kBridgeKind };

const COLORREF kShellColor = RGB(16, 24, 38);
const COLORREF kLightColor = RGB(236, 238, 242);
const COLORREF kDimColor = RGB(150, 160, 176);
const COLORREF kAccentColor = RGB(0, 120, 215);

void Fill(HDC hdc, RECT rc, COLORREF color) {
    SetBkColor(hdc, color);
    ExtTextOutW(hdc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

RECT Centred(const RECT& rc, int cx, int cy) {
    const int x = (rc.left + rc.right - cx) / 2, y = (rc.top + rc.bottom - cy) / 2;
    return {x, y, x + cx, y + cy};
}

void Outline(HDC hdc, const RECT& rc, COLORREF color, bool round) {
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ oldPen = SelectObject(hdc, pen);
    HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(NULL_BRUSH));
    if (round)
        Ellipse(hdc, rc.left, rc.top, rc.right, rc.bottom);
    else
        Rectangle(hdc, rc.left, rc.top, rc.right, rc.bottom);
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
    DeleteObject(pen);
}

// A magnifier: a ring and a short handle, as the shell's search icon.
void Magnifier(HDC hdc, int x, int y) {
    Outline(hdc, {x, y, x + 11, y + 11}, kLightColor, true);
    Fill(hdc, {x + 10, y + 10, x + 14, y + 12}, kLightColor);
}

void PaintChild(HWND hWnd, HDC hdc) {
    RECT rc;
    GetClientRect(hWnd, &rc);
    const int kind = static_cast<int>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    Fill(hdc, rc, kShellColor);
    SetBkMode(hdc, TRANSPARENT);
    SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
    switch (kind) {
    case kStart: { // four panes
        const RECT logo = Centred(rc, 17, 17);
        for (int i = 0; i < 4; ++i) {
            const int x = logo.left + (i % 2) * 9, y = logo.top + (i / 2) * 9;
            Fill(hdc, {x, y, x + 8, y + 8}, kAccentColor);
        }
        break;
    }
    case kSearchBoxKind: {
        RECT box = rc;
        InflateRect(&box, 0, -5);
        Fill(hdc, box, kLightColor);
        const RECT icon = Centred({box.left, box.top, box.left + 32, box.bottom}, 14, 12);
        HDC dc = hdc;
        Fill(dc, icon, kLightColor);
        Outline(dc, {icon.left, icon.top, icon.left + 11, icon.top + 11}, RGB(40, 40, 40), true);
        Fill(dc, {icon.left + 10, icon.top + 10, icon.left + 14, icon.top + 12}, RGB(40, 40, 40));
        box.left += 34;
        SetTextColor(hdc, RGB(90, 90, 90));
        DrawTextW(hdc, L"Type here to search", -1, &box, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        break;
    }
    case kSearchIconKind: {
        const RECT icon = Centred(rc, 14, 12);
        Magnifier(hdc, icon.left, icon.top);
        break;
    }
    case kTaskViewKind: { // two panes, one behind the other
        const RECT front = Centred(rc, 16, 12);
        Outline(hdc, {front.left + 3, front.top - 3, front.right + 3, front.bottom - 3}, kDimColor, false);
        Fill(hdc, front, kShellColor);
        Outline(hdc, front, kLightColor, false);
        break;
    }
    case kPeopleKind: { // a head and the line of the shoulders
        const RECT head = Centred(rc, 8, 8);
        Outline(hdc, {head.left, head.top - 5, head.right, head.bottom - 5}, kLightColor, true);
        HPEN pen = CreatePen(PS_SOLID, 1, kLightColor);
        HGDIOBJ old = SelectObject(hdc, pen);
        Arc(hdc, head.left - 5, head.top + 5, head.right + 5, head.bottom + 15, head.right + 5, head.top + 10,
            head.left - 5, head.top + 10);
        SelectObject(hdc, old);
        DeleteObject(pen);
        break;
    }
    case kNotifyKind:
        SetTextColor(hdc, kLightColor);
        DrawTextW(hdc, L"12:00", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        break;
    case kBridgeKind: { // the XAML taskbar: its Start button and a few icons in the middle
        const bool vertical = rc.bottom - rc.top > rc.right - rc.left;
        for (int i = 0; i < 5; ++i) {
            const int step = 44, offset = (i - 2) * step;
            RECT slot = Centred(rc, 24, 24);
            OffsetRect(&slot, vertical ? 0 : offset, vertical ? offset : 0);
            if (i == 0) {
                for (int p = 0; p < 4; ++p) {
                    const int x = slot.left + 3 + (p % 2) * 9, y = slot.top + 3 + (p / 2) * 9;
                    Fill(hdc, {x, y, x + 8, y + 8}, kAccentColor);
                }
            } else {
                Fill(hdc, slot, i == 1 ? kLightColor : kDimColor);
            }
        }
        break;
    }
    default:
        break;
    }
}

LRESULT CALLBACK ChildProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hWnd, &ps);
        PaintChild(hWnd, hdc);
        EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
        // The shell's Start button was pressed: the tests check that it never is.
        if (GetWindowLongPtrW(hWnd, GWLP_USERDATA) == kStart) {
            HWND taskbar = GetParent(hWnd);
            INT_PTR presses = reinterpret_cast<INT_PTR>(GetPropW(taskbar, standin::kPropStartPresses));
            SetPropW(taskbar, standin::kPropStartPresses, reinterpret_cast<HANDLE>(presses + 1));
        }
        return 0;
    default:
        return DefWindowProcW(hWnd, msg, wParam, lParam);
    }
}

const wchar_t* const kClasses[] = {L"Start", L"TrayDummySearchControl", L"TrayButton", L"TrayNotifyWnd",
                                   L"Windows.UI.Composition.DesktopWindowContentBridge"};

void RegisterChildClasses() {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpfnWndProc = ChildProc;
    for (const wchar_t* name : kClasses) {
        wc.lpszClassName = name;
        RegisterClassExW(&wc);
    }
    registered = true;
}

HWND MakeChild(HWND parent, const wchar_t* className, int kind, bool visible) {
    HWND child = CreateWindowExW(0, className, nullptr, WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0), 0, 0,
                                 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (child)
        SetWindowLongPtrW(child, GWLP_USERDATA, kind);
    return child;
}

void Place(HWND child, const RECT& rc) {
    if (child)
        SetWindowPos(child, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

namespace standin {

ShapeLayout LayOutShape(const RECT& client, bool vertical, int search) {
    // Extents along the taskbar, from its start; the rest is the band's.
    int searchExtent = search == kSearchNone ? 0 : search == kSearchIcon || vertical ? 48 : kSearchBoxExtent;
    const int notifyExtent = vertical ? 120 : 90;
    const int length = vertical ? client.bottom : client.right;
    const int across = vertical ? client.right : client.bottom;
    auto span = [&](int from, int extent) {
        return vertical ? RECT{0, from, across, from + extent} : RECT{from, 0, from + extent, across};
    };
    ShapeLayout layout = {};
    int at = 0;
    layout.start = span(at, kShellStartExtent);
    at += kShellStartExtent;
    layout.search = searchExtent ? span(at, searchExtent) : RECT{};
    at += searchExtent;
    layout.taskView = span(at, kTrayButtonExtent);
    at += kTrayButtonExtent;
    layout.people = span(at, kTrayButtonExtent);
    at += kTrayButtonExtent;
    const int end = length - notifyExtent > at ? length - notifyExtent : at;
    layout.band = span(at, end - at);
    layout.notify = span(end, length - end);
    return layout;
}

} // namespace standin

bool CStandinShape::Create(HWND taskbar, int shape, int search) {
    RegisterChildClasses();
    m_hTaskbar = taskbar;
    m_nShape = shape;
    m_nSearch = search;
    // Shaped like Windows 11 the shell keeps these, hidden, under its XAML content.
    const bool legacy = shape != 11;
    m_hStart = MakeChild(taskbar, L"Start", kStart, legacy);
    m_hSearch = MakeChild(taskbar, L"TrayDummySearchControl", search == standin::kSearchBox ? kSearchBoxKind : kSearchIconKind,
                          legacy && search != standin::kSearchNone);
    m_hTaskView = MakeChild(taskbar, L"TrayButton", kTaskViewKind, legacy);
    m_hPeople = MakeChild(taskbar, L"TrayButton", kPeopleKind, legacy);
    m_hNotify = MakeChild(taskbar, L"TrayNotifyWnd", kNotifyKind, legacy);
    // Made last, so that it lies above them all.
    if (shape == 11)
        m_hBridge = MakeChild(taskbar, L"Windows.UI.Composition.DesktopWindowContentBridge", kBridgeKind, true);
    return m_hStart && m_hSearch && m_hTaskView && m_hPeople && m_hNotify && (shape != 11 || m_hBridge);
}

void CStandinShape::LayOut(HWND band, bool vertical) {
    RECT client;
    GetClientRect(m_hTaskbar, &client);
    m_layout = standin::LayOutShape(client, vertical, m_nSearch);
    // The search box as a box on a vertical taskbar shows as its icon.
    SetWindowLongPtrW(m_hSearch, GWLP_USERDATA,
                      m_nSearch == standin::kSearchBox && !vertical ? kSearchBoxKind : kSearchIconKind);
    Place(m_hStart, m_layout.start);
    Place(m_hSearch, m_layout.search);
    Place(m_hTaskView, m_layout.taskView);
    Place(m_hPeople, m_layout.people);
    Place(m_hNotify, m_layout.notify);
    if (m_nShape == 11) {
        m_layout.band = {};
        Place(m_hBridge, client);
    }
    Place(band, m_layout.band);
    InvalidateRect(m_hTaskbar, nullptr, TRUE);
}
