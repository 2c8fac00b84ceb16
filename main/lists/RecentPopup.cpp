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
#include <map>

namespace {

constexpr int kNameWidth = 320; // design pixels of a document's name, the ellipsis included
constexpr int kIconSize = 16;
constexpr int kItemPad = 4; // design pixels around an item's icon

// What the message filter of the running popup needs; one popup runs at a time on a thread.
struct Tracking {
    const CRecentPopup* popup = nullptr;
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

// The small icon of the document's type, by its name only: the shell reads
// neither the file nor its drive.
HICON DocumentIcon(const std::wstring& path, int size) {
    SHFILEINFOW info{};
    const UINT which = size > 24 ? SHGFI_LARGEICON : SHGFI_SMALLICON;
    if (!::SHGetFileInfoW(path.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                          SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | which))
        return nullptr;
    return info.hIcon;
}

// The name cut to maxWidth pixels of dc's font.
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
    return shown;
}

// An item's text, "&" doubled so that it is not taken as a mnemonic.
std::wstring Escaped(const std::wstring& shown) {
    std::wstring escaped;
    escaped.reserve(shown.size());
    for (wchar_t c : shown) {
        escaped += c;
        if (c == L'&')
            escaped += L'&';
    }
    return escaped;
}

// The font the system draws menus with; the documents' items use it too.
HFONT MenuFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return nullptr;
    return ::CreateFontIndirectW(&metrics.lfMenuFont);
}

// A screen DC with the menu font selected, for measuring item texts.
class MenuFontDC {
public:
    MenuFontDC() {
        m_dc = ::GetDC(nullptr);
        m_font.reset(MenuFont());
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
    return Escaped(CutName(dc.Get(), name, maxWidth));
}

CRecentPopup::CRecentPopup(const std::vector<const RecentDocument*>& documents, size_t count, bool withClear,
                           int dpi)
    : m_nDpi(dpi) {
    m_menu = ::CreatePopupMenu();
    if (!m_menu)
        return;
    m_font.reset(MenuFont());
    MenuFontDC dc;
    const int nameWidth = fw::Scale(kNameWidth, dpi);
    // The icon depends on the type only: one look-up per extension, the
    // shell's slowest part of a popup's making.
    std::map<std::wstring, size_t> iconOfType;
    for (const RecentDocument* document : documents) {
        if (m_paths.size() >= count)
            break; // only the shown documents are looked at
        if (!document || document->strPath.empty())
            continue;
        std::wstring name = document->strName;
        if (name.empty())
            name = ::PathFindFileNameW(document->strPath.c_str());
        const std::wstring shown = CutName(dc.Get(), name, nameWidth);
        // Drawn here (the system's own drawing of an item with a picture
        // differs between Windows and Wine); the text is what screen readers read.
        const std::wstring text = Escaped(shown);
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE | MIIM_DATA;
        item.fType = MFT_OWNERDRAW;
        item.wID = kFirstDocument + static_cast<UINT>(m_paths.size());
        item.dwItemData = m_paths.size();
        item.dwTypeData = const_cast<wchar_t*>(text.c_str());
        if (!::InsertMenuItemW(m_menu, static_cast<UINT>(m_paths.size()), TRUE, &item))
            continue;
        m_paths.push_back(document->strPath);
        m_names.push_back(shown);
        std::wstring type = ::PathFindExtensionW(document->strPath.c_str());
        ::CharLowerBuffW(&type[0], static_cast<DWORD>(type.size()));
        auto known = iconOfType.find(type);
        if (known == iconOfType.end()) {
            known = iconOfType.emplace(type, m_icons.size()).first;
            m_icons.emplace_back(DocumentIcon(document->strPath, fw::Scale(kIconSize, dpi)));
        }
        m_iconOf.push_back(known->second);
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
}

int CRecentPopup::HandleMenuMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT* result) {
    const Tracking* t = t_tracking;
    if (!t || !t->popup || !lParam || (msg != WM_MEASUREITEM && msg != WM_DRAWITEM))
        return 0;
    const CRecentPopup& popup = *t->popup;
    const int pad = fw::Scale(kItemPad, popup.m_nDpi), icon = fw::Scale(kIconSize, popup.m_nDpi);
    if (msg == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_MENU || measure->itemData >= popup.m_names.size())
            return 0;
        MenuFontDC dc;
        RECT text{};
        ::DrawTextW(dc.Get(), popup.m_names[measure->itemData].c_str(), -1, &text,
                    DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        measure->itemWidth = static_cast<UINT>(icon + 3 * pad + (text.right - text.left));
        measure->itemHeight = static_cast<UINT>(std::max<LONG>(icon, text.bottom - text.top) + pad);
        *result = TRUE;
        return 1;
    }
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (draw->CtlType != ODT_MENU || draw->itemData >= popup.m_names.size())
        return 0;
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    const RECT& rc = draw->rcItem;
    ::FillRect(draw->hDC, &rc, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    const int x = rc.left + pad, y = (rc.top + rc.bottom - icon) / 2;
    if (HICON hIcon = popup.m_icons[popup.m_iconOf[draw->itemData]].get())
        ::DrawIconEx(draw->hDC, x, y, hIcon, icon, icon, 0, nullptr, DI_NORMAL);
    RECT text = {x + icon + pad, rc.top, rc.right - pad, rc.bottom};
    const int mode = ::SetBkMode(draw->hDC, TRANSPARENT);
    const COLORREF color = ::SetTextColor(draw->hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    const HGDIOBJ old = popup.m_font ? ::SelectObject(draw->hDC, popup.m_font.get()) : nullptr;
    ::DrawTextW(draw->hDC, popup.m_names[draw->itemData].c_str(), -1, &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (old)
        ::SelectObject(draw->hDC, old);
    ::SetTextColor(draw->hDC, color);
    ::SetBkMode(draw->hDC, mode);
    *result = TRUE;
    return 1;
}

RecentPopupChoice CRecentPopup::Track(HWND owner, CShellPidl* shell, const RECT& anchor, bool fromKeys) {
    RecentPopupChoice choice;
    if (!m_menu || t_tracking)
        return choice;
    Tracking tracking;
    tracking.popup = this;
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
