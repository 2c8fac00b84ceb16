// A picture made once with GDI+ and copied with BitBlt afterwards. The menu's
// background, and the part of it under each child window, is the same at
// every opening; scaling it through GDI+ again at every paint cost more than
// all the rest of an opening.
#pragma once

#include <windows.h>

class CPaintCache {
public:
    CPaintCache() = default;
    ~CPaintCache() { Reset(); }
    CPaintCache(const CPaintCache&) = delete;
    CPaintCache& operator=(const CPaintCache&) = delete;

    void Reset() {
        if (m_bitmap)
            ::DeleteObject(m_bitmap);
        m_bitmap = nullptr;
        m_key = nullptr;
    }

    // Copies the picture of key and source (where it comes from, which also
    // gives its size) to dc at (0, 0), making it first with draw(memory dc)
    // when either changed since. False when no bitmap could be had: the
    // caller then draws directly.
    template <class Draw> bool Paint(HDC dc, const void* key, const RECT& source, Draw draw) {
        const int width = source.right - source.left, height = source.bottom - source.top;
        if (width <= 0 || height <= 0)
            return false;
        HDC memory = ::CreateCompatibleDC(dc);
        if (!memory)
            return false;
        const bool fresh = !m_bitmap || key != m_key || !::EqualRect(&source, &m_source);
        if (fresh) {
            Reset();
            m_bitmap = ::CreateCompatibleBitmap(dc, width, height);
        }
        bool painted = false;
        if (m_bitmap) {
            HGDIOBJ old = ::SelectObject(memory, m_bitmap);
            if (fresh)
                draw(memory);
            painted = ::BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY) != FALSE;
            ::SelectObject(memory, old);
            m_key = key;
            m_source = source;
        }
        ::DeleteDC(memory);
        return painted;
    }

private:
    HBITMAP m_bitmap = nullptr;
    const void* m_key = nullptr;
    RECT m_source = {};
};
