// The popups of recent documents: the Recent Items button's, with "Clear
// recent items" at its end, and a pinned program's. Each is a real popup menu
// (TrackPopupMenuEx), so the keys, the cascade's placement and what screen
// readers are told are the system's own; an item reads as the document's name.
//
// Order of one showing: the constructor copies what it shows (the source may
// publish a new list while the popup is open) and makes the menu with a small
// icon per document, looked up by the document's type only (no disk or network
// access); Track runs the popup modally. Inside it, Left closes it as Esc does
// (back to the row or button that opened it), and a right click or the
// context-menu key on a document closes it and shows the shell's menu of that
// document through the owner's CShellPidl.
#pragma once

#include "Handles.h"
#include "RecentDocs.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CShellPidl;

struct RecentPopupChoice {
    enum Kind { kNone, kOpen, kClear };
    Kind kind = kNone;
    std::wstring path; // kOpen: the document to open
};

class CRecentPopup {
public:
    // Item ids: documents from kFirstDocument on, in the list's order.
    static constexpr UINT kFirstDocument = 1;
    static constexpr UINT kClearCommand = 0x7000;

    // At most `count` of the documents; withClear ends the popup with "Clear
    // recent items" (greyed when there is nothing to clear). dpi sizes the icons.
    CRecentPopup(const std::vector<const RecentDocument*>& documents, size_t count, bool withClear, int dpi);
    ~CRecentPopup();
    CRecentPopup(const CRecentPopup&) = delete;
    CRecentPopup& operator=(const CRecentPopup&) = delete;

    HMENU Menu() const { return m_menu; }
    size_t Count() const { return m_paths.size(); }

    // Runs the popup beside `anchor` (screen coordinates): at its right side,
    // top-aligned, else where the system finds room without covering it.
    // fromKeys highlights the first item, as a menu opened by a key does.
    RecentPopupChoice Track(HWND owner, CShellPidl* shell, const RECT& anchor, bool fromKeys);

    // A name as an item's text holds it: cut with an ellipsis to maxWidth
    // pixels of the menu font, "&" doubled so that it is not taken as a mnemonic.
    static std::wstring ItemText(const std::wstring& name, int maxWidth);

    // The documents' items are drawn by the popup: their owner's message map
    // hands it WM_MEASUREITEM and WM_DRAWITEM (RECENT_POPUP_MESSAGES). 1 when
    // the message was for a running popup's item (result set), else 0.
    static int HandleMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    HMENU m_menu = nullptr;
    int m_nDpi = 96;
    std::vector<std::wstring> m_paths;
    std::vector<std::wstring> m_names; // as drawn: cut, "&" single
    std::vector<fw::UniqueIcon> m_icons; // one per document type
    std::vector<size_t> m_iconOf;        // per document: its type's icon in m_icons
    fw::UniqueHandle<fw::GdiTraits<HFONT>> m_font;
};

// The entry of RECENT_POPUP_MESSAGES inside BEGIN_MSG_MAP ... END_MSG_MAP of a
// window that owns a CRecentPopup while it runs.
#define RECENT_POPUP_MESSAGES()                                                                                       \
    if (CRecentPopup::HandleMenuMessage(uMsg, wParam, lParam, &lResult))                                               \
        return TRUE;
