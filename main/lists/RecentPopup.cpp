#include "RecentPopup.h"

#include "AppModule.h"
#include "Dpi.h"
#include "Handles.h"
#include "RecentIds.h"
#include "ShellPidl.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kNameWidth = 320; // design pixels of a document's name, the ellipsis included
constexpr int kIconSize = 16;

// What the message filter of the running popup needs; one popup runs at a time on a thread.
struct Tracking {
    HMENU menu = nullptr;
    size_t documents = 0;
    HHOOK hook = nullptr;
    int contextItem = -1; // the document whose shell menu follows the popup, -1 none
    POINT contextAt{};
};
thread_local Tracking* t_tracking = nullptr;

int DocumentAt(const Tracking& t, int position) {
    if (position < 0)
        return -1;
    const UINT id = ::GetMenuItemID(t.menu, position);
    if (id == static_cast<UINT>(-1) || id < CRecentPopup::kFirstDocument)
        return -1;
    const size_t index = id - CRecentPopup::kFirstDocument;
    return index < t.documents ? static_cast<int>(index) : -1;
}

int HighlightedPosition(HMENU menu) {
    for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i)
        if (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE)
            return i;
    return -1;
}

// The popup's own modal loop shows its messages here first: Left goes back to
// what opened the popup, and the shell's menu of a document follows the popup
// (a menu inside the running popup is not tracked alike everywhere).
LRESULT CALLBACK FilterMenuMessage(int code, WPARAM wParam, LPARAM lParam) {
    Tracking* t = t_tracking;
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (!t || code != MSGF_MENU || !msg)
        return ::CallNextHookEx(t ? t->hook : nullptr, code, wParam, lParam);
    const bool key = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
    if (key && msg->wParam == VK_LEFT) {
        ::EndMenu();
        return TRUE;
    }
    if (key && (msg->wParam == VK_APPS || (msg->wParam == VK_F10 && ::GetKeyState(VK_SHIFT) < 0))) {
        const int position = HighlightedPosition(t->menu);
        RECT rc{};
        if (DocumentAt(*t, position) >= 0 && ::GetMenuItemRect(nullptr, t->menu, static_cast<UINT>(position), &rc)) {
            t->contextItem = DocumentAt(*t, position);
            t->contextAt = {rc.left + (rc.bottom - rc.top), rc.bottom};
            ::EndMenu();
        }
        return TRUE;
    }
    if (msg->message == WM_RBUTTONDOWN || msg->message == WM_RBUTTONUP) {
        // Relative to the window the message is for: the popup, or the window holding the capture.
        POINT at = {GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)};
        ::ClientToScreen(msg->hwnd, &at);
        const int document = DocumentAt(*t, ::MenuItemFromPoint(nullptr, t->menu, at));
        if (document >= 0) {
            if (msg->message == WM_RBUTTONUP) {
                t->contextItem = document;
                t->contextAt = at;
                ::EndMenu();
            }
            return TRUE;
        }
    }
    return ::CallNextHookEx(t->hook, code, wParam, lParam);
}

// The icon as a 32-bit premultiplied bitmap, which menus draw with its
// transparency: drawn once on black and once on white, the difference is
// the coverage, for icons with an alpha channel and with a mask alike.
HBITMAP MenuBitmapOfIcon(HICON icon, int size) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* blackBits = nullptr;
    void* whiteBits = nullptr;
    fw::UniqueBitmap onBlack(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &blackBits, nullptr, 0));
    fw::UniqueBitmap onWhite(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &whiteBits, nullptr, 0));
    fw::UniqueMemDC dc(::CreateCompatibleDC(nullptr));
    if (!onBlack || !onWhite || !dc)
        return nullptr;
    const size_t pixels = static_cast<size_t>(size) * static_cast<size_t>(size);
    auto* black = static_cast<DWORD*>(blackBits);
    auto* white = static_cast<DWORD*>(whiteBits);
    std::fill(black, black + pixels, 0x00000000u);
    std::fill(white, white + pixels, 0x00FFFFFFu);
    HGDIOBJ old = ::SelectObject(dc.get(), onBlack.get());
    ::DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    ::SelectObject(dc.get(), onWhite.get());
    ::DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    ::SelectObject(dc.get(), old);
    ::GdiFlush();
    for (size_t i = 0; i < pixels; ++i) {
        const int shown = static_cast<int>((black[i] >> 8) & 0xFF);
        const int through = static_cast<int>((white[i] >> 8) & 0xFF) - shown; // what the white left showing
        const DWORD alpha = static_cast<DWORD>(255 - std::min(255, std::max(0, through)));
        black[i] = (alpha << 24) | (black[i] & 0x00FFFFFFu);
    }
    return onBlack.release();
}

// The small icon of the document's type, by its name only: the shell reads
// neither the file nor its drive.
HBITMAP DocumentBitmap(const std::wstring& path, int dpi) {
    const int size = fw::Scale(kIconSize, dpi);
    SHFILEINFOW info{};
    const UINT which = size > 24 ? SHGFI_LARGEICON : SHGFI_SMALLICON;
    if (!::SHGetFileInfoW(path.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                          SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | which) ||
        !info.hIcon)
        return nullptr;
    fw::UniqueIcon icon(info.hIcon);
    return MenuBitmapOfIcon(icon.get(), size);
}

// Menu text: the name cut to maxWidth pixels of dc's font, "&" doubled.
std::wstring CutName(HDC dc, const std::wstring& name, int maxWidth) {
    std::wstring shown = name;
    SIZE size{};
    const int length = static_cast<int>(std::min<size_t>(name.size(), 4096));
    if (dc && ::GetTextExtentPoint32W(dc, name.c_str(), length, &size) && size.cx > maxWidth) {
        SIZE dots{};
        ::GetTextExtentPoint32W(dc, L"\x2026", 1, &dots);
        int fit = 0;
        ::GetTextExtentExPointW(dc, name.c_str(), length, std::max(0, maxWidth - static_cast<int>(dots.cx)), &fit, nullptr, &size);
        fit = std::max(0, std::min(fit, length));
        if (fit > 0 && IS_LOW_SURROGATE(name[static_cast<size_t>(fit)]))
            --fit; // never half of a character outside the basic plane
        shown = name.substr(0, static_cast<size_t>(fit)) + L"\x2026";
    }
    std::wstring escaped;
    escaped.reserve(shown.size());
    for (wchar_t c : shown) {
        escaped += c;
        if (c == L'&')
            escaped += L'&';
    }
    return escaped;
}

// A screen DC with the menu font selected, for measuring item texts.
class MenuFontDC {
public:
    MenuFontDC() {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        m_dc = ::GetDC(nullptr);
        if (m_dc && ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
            m_font.reset(::CreateFontIndirectW(&metrics.lfMenuFont));
        if (m_dc && m_font)
            m_old = ::SelectObject(m_dc, m_font.get());
    }
    ~MenuFontDC() {
        if (m_old)
            ::SelectObject(m_dc, m_old);
        if (m_dc)
            ::ReleaseDC(nullptr, m_dc);
    }
    MenuFontDC(const MenuFontDC&) = delete;
    MenuFontDC& operator=(const MenuFontDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc = nullptr;
    fw::UniqueHandle<fw::GdiTraits<HFONT>> m_font;
    HGDIOBJ m_old = nullptr;
};

} // namespace

std::wstring CRecentPopup::ItemText(const std::wstring& name, int maxWidth) {
    MenuFontDC dc;
    return CutName(dc.Get(), name, maxWidth);
}

CRecentPopup::CRecentPopup(const std::vector<const RecentDocument*>& documents, size_t count, bool withClear,
                           int dpi) {
    m_menu = ::CreatePopupMenu();
    if (!m_menu)
        return;
    MENUINFO style{};
    style.cbSize = sizeof(style);
    style.fMask = MIM_STYLE;
    style.dwStyle = MNS_CHECKORBMP; // the icons stand where a check mark would
    ::SetMenuInfo(m_menu, &style);
    MenuFontDC dc;
    const int nameWidth = fw::Scale(kNameWidth, dpi);
    for (const RecentDocument* document : documents) {
        if (m_paths.size() >= count)
            break; // only the shown documents are looked at
        if (!document || document->strPath.empty())
            continue;
        std::wstring name = document->strName;
        if (name.empty())
            name = ::PathFindFileNameW(document->strPath.c_str());
        const std::wstring text = CutName(dc.Get(), name, nameWidth);
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP;
        item.wID = kFirstDocument + static_cast<UINT>(m_paths.size());
        item.dwTypeData = const_cast<wchar_t*>(text.c_str());
        item.hbmpItem = DocumentBitmap(document->strPath, dpi);
        if (item.hbmpItem)
            m_bitmaps.push_back(item.hbmpItem);
        if (!::InsertMenuItemW(m_menu, static_cast<UINT>(m_paths.size()), TRUE, &item))
            continue;
        m_paths.push_back(document->strPath);
    }
    if (!withClear)
        return;
    wchar_t clear[128];
    if (::LoadStringW(fw::gModule.GetResourceInstance(), IDS_RECENT_CLEAR, clear, 128) <= 0)
        wcscpy_s(clear, L"Clear recent items");
    if (!m_paths.empty())
        ::AppendMenuW(m_menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(m_menu, MF_STRING | (m_paths.empty() ? MF_GRAYED : 0), kClearCommand, clear);
}

CRecentPopup::~CRecentPopup() {
    if (m_menu)
        ::DestroyMenu(m_menu);
    for (HBITMAP bitmap : m_bitmaps)
        ::DeleteObject(bitmap);
}

RecentPopupChoice CRecentPopup::Track(HWND owner, CShellPidl* shell, const RECT& anchor, bool fromKeys) {
    RecentPopupChoice choice;
    if (!m_menu || t_tracking)
        return choice;
    Tracking tracking;
    tracking.menu = m_menu;
    tracking.documents = m_paths.size();
    tracking.hook = ::SetWindowsHookExW(WH_MSGFILTER, FilterMenuMessage, nullptr, ::GetCurrentThreadId());
    t_tracking = &tracking;
    if (fromKeys && ::GetMenuItemCount(m_menu) > 0)
        ::PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0); // the popup's loop takes it: the first item lights up
    TPMPARAMS params{};
    params.cbSize = sizeof(params);
    params.rcExclude = anchor;
    const UINT chosen = static_cast<UINT>(::TrackPopupMenuEx(
        m_menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_NONOTIFY, anchor.right, anchor.top, owner, &params));
    t_tracking = nullptr;
    if (tracking.hook)
        ::UnhookWindowsHookEx(tracking.hook);
    if (tracking.contextItem >= 0) {
        // Copied: the owner may be refilled while the shell's menu runs.
        const std::wstring path = m_paths[static_cast<size_t>(tracking.contextItem)];
        if (shell && ::IsWindow(owner))
            shell->ShowPathContextMenu(owner, path.c_str(), tracking.contextAt);
        return choice;
    }
    if (chosen == kClearCommand) {
        choice.kind = RecentPopupChoice::kClear;
    } else if (chosen >= kFirstDocument && chosen - kFirstDocument < m_paths.size()) {
        choice.kind = RecentPopupChoice::kOpen;
        choice.path = m_paths[chosen - kFirstDocument];
    }
    return choice;
}
