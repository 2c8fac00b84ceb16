// Pinning from the lists' context menus: every entry of the all-programs tree
// and of the search results offers "Pin to Start menu", every pinned entry
// "Unpin from Start menu", at the top of the row's shell menu (or alone, when
// the shell has no menu for the row). The list file is changed with the same
// reader and atomic writer the options program uses; the pinned list reads it
// again at once.
#include "TreeWnd.h"

#include "AppListPin.h"
#include "AppModule.h"
#include "PinIds.h"
#include "Skin.h"
#include "Text.h"
#include "Trace.h"

namespace {

constexpr UINT kPinCommand = CShellPidl::kOwnCommandFirst;
constexpr UINT kUnpinCommand = CShellPidl::kOwnCommandFirst + 1;

// A string of the language in use; a satellite library made before the
// string existed gives the English text.
void LoadText(UINT id, const wchar_t* english, wchar_t* text, int capacity) {
    if (::LoadStringW(fw::gModule.GetResourceInstance(), id, text, capacity) <= 0)
        fw::StrCopy(text, static_cast<size_t>(capacity), english);
}

void ShowPinError(HWND owner, UINT id, const wchar_t* english) {
    wchar_t text[256];
    LoadText(id, english, text, 256);
    ::MessageBoxW(owner, text, L"Velmar", MB_ICONERROR | MB_OK);
}

} // namespace

void CTreeWnd::AddPinVerbs(HMENU menu) {
    if (!m_szMenuPath[0] || !m_bMenuPinnable)
        return;
    const bool pinned = m_nControlId == kPinnedListId;
    wchar_t text[128];
    if (pinned)
        LoadText(IDS_UNPIN_VERB, L"Unpin from Start menu", text, 128);
    else
        LoadText(IDS_PIN_VERB, L"Pin to Start menu", text, 128);
    const bool others = ::GetMenuItemCount(menu) > 0;
    ::InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING, pinned ? kUnpinCommand : kPinCommand, text);
    if (others)
        ::InsertMenuW(menu, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void CTreeWnd::OnOwnCommand(UINT id) {
    if (id != kPinCommand && id != kUnpinCommand)
        return;
    wchar_t path[260], name[256];
    fw::StrCopy(path, m_szMenuPath);
    fw::StrCopy(name, m_szMenuText);
    const PinResult result =
        id == kPinCommand ? PinToAppList(gSkin.szAppList, name, path) : UnpinFromAppList(gSkin.szAppList, path);
    Trace(L"Pin verb %u on %s: %d\n", id, path, static_cast<int>(result));
    switch (result) {
    case PinResult::Pinned:
    case PinResult::Unpinned:
        // The window may be the pinned list itself: it is refilled under this call.
        ::SendMessageW(m_hOwner, WM_NOTIFY, kTreeNotifyPinsChanged, 0);
        break;
    case PinResult::ReadFailed:
        ShowPinError(m_hOwner, IDS_PIN_READ_ERROR,
                     L"The list of pinned programs could not be read, so it was left as it is.");
        break;
    case PinResult::WriteFailed:
        ShowPinError(m_hOwner, IDS_PIN_WRITE_ERROR,
                     L"The list of pinned programs could not be saved. It was left as it was.");
        break;
    case PinResult::NoListFile:
        ShowPinError(m_hOwner, IDS_PIN_NO_LIST, L"The skin names no file for the list of pinned programs.");
        break;
    case PinResult::AlreadyPinned:
    case PinResult::NotPinned:
        break; // nothing to change: the list already shows what was asked
    }
}
