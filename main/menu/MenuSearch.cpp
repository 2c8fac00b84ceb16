// The search line: the typed text and a caret on the look of the All
// Programs button it stands in for.
#include "MenuSearch.h"

#include "Dpi.h"
#include "Handles.h"
#include "Skin.h"

void CSearchLineWnd::SetText(const std::wstring& text) {
    m_strText = text;
    if (!IsWindow())
        return;
    // Also the window's own text: what a screen reader or another process reads.
    ::SetWindowTextW(m_hWnd, m_strText.c_str());
    Invalidate(FALSE);
}

CSearchLineWnd::~CSearchLineWnd() {
    if (IsWindow())
        DestroyWindow();
    if (m_hFont)
        ::DeleteObject(m_hFont);
}

LRESULT CSearchLineWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    fw::PaintScope paint(m_hWnd);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    // Composed off screen from the backdrop and the text, then copied in one
    // piece: each keystroke repaints the line. Both pictures are kept between
    // paints: making their DCs and bitmaps again cost more than the drawing.
    RECT placed = client; // the backdrop's key: the line's place in the menu
    ::MapWindowPoints(m_hWnd, GetParent(), reinterpret_cast<POINT*>(&placed), 2);
    HDC canvas = m_canvas.Get(paint.dc(), client.right, client.bottom);
    HDC dc = canvas ? canvas : paint.dc();
    auto backdrop = [&](HDC target) {
        Gdiplus::Graphics graphics(target);
        DrawBackgroundUnder(graphics, m_hWnd, GetParent(), m_nDpi);
        // The row keeps the look of the All Programs button it stands in for, hovered.
        for (const auto& button : gSkin.buttons)
            if (button->nId == 10) {
                Gdiplus::Image* image =
                    button->pImageFocus ? button->pImageFocus : gSkin.GetFocusImage(button->nFocus);
                if (image)
                    DrawSkinImage(graphics, image, 0, 0, static_cast<INT>(image->GetWidth()),
                                  static_cast<INT>(image->GetHeight()), m_nDpi);
                break;
            }
    };
    if (!m_backdrop.Paint(dc, gSkin.pMenuBackground, placed, backdrop))
        backdrop(dc);
    Gdiplus::Font* font = gSkin.FontForDpi(m_nDpi);
    if (!m_hFont && font) {
        // The skin's font once as a GDI font: drawing the text is most of a keystroke's repaint.
        LOGFONTW logFont{};
        Gdiplus::Graphics graphics(dc);
        if (font->GetLogFontW(&graphics, &logFont) == Gdiplus::Ok) {
            logFont.lfQuality = ANTIALIASED_QUALITY;
            m_hFont = ::CreateFontIndirectW(&logFont);
        }
    }
    if (m_hFont) {
        const Gdiplus::Color color(gSkin.nSearchTextColor);
        HGDIOBJ oldFont = ::SelectObject(dc, m_hFont);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, RGB(color.GetR(), color.GetG(), color.GetB()));
        const int margin = fw::Scale(8, m_nDpi);
        RECT text = {client.left + margin, client.top, client.right - margin, client.bottom};
        const std::wstring shown = m_strText + L"|"; // the caret: typing goes on here
        ::DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &text,
                    DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
        ::SelectObject(dc, oldFont);
    }
    if (canvas)
        ::BitBlt(paint.dc(), 0, 0, client.right, client.bottom, canvas, 0, 0, SRCCOPY);
    return 0;
}
