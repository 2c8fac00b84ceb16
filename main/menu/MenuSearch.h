// Type to search in the Start menu: the line that shows the typed text (the
// index it searches is CSearchIndexer, MenuSearchIndex.h).
#pragma once

#include "PaintCache.h"
#include "Window.h"

#include <windows.h>

#include <string>

// The search line: a child of the menu at the skin's "MENU.SEARCH.*" place,
// painted over the menu background with the typed text and a caret.
class CSearchLineWnd : public fw::CWindowImpl<CSearchLineWnd> {
public:
    CSearchLineWnd() = default;
    ~CSearchLineWnd() override;
    void SetText(const std::wstring& text);
    // The menu's DPI: the skin's place, images and font are design units at 96 DPI.
    void SetDpi(int dpi) { m_nDpi = dpi; }
    const std::wstring& GetText() const { return m_strText; }

    BEGIN_MSG_MAP(CSearchLineWnd)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    END_MSG_MAP()

private:
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }

    std::wstring m_strText;
    CPaintCache m_backdrop; // the background and the row's image under the text
    CPaintSurface m_canvas; // the backdrop and the text, copied to the screen in one piece
    HFONT m_hFont = nullptr; // owned: the skin's default font at m_nDpi for GDI
    int m_nDpi = 96;
};
