// A picture made once with GDI+ and copied with BitBlt afterwards. The menu's
// background, and the part of it under each child window, is the same at
// every opening; scaling it through GDI+ again at every paint cost more than
// all the rest of an opening.
#pragma once

#include "Handles.h"

#include <windows.h>

class CPaintCache {
public:
    CPaintCache() = default;
    ~CPaintCache() { Reset(); }
    CPaintCache(const CPaintCache&) = delete;
    CPaintCache& operator=(const CPaintCache&) = delete;

    void Reset() {
        m_bitmap.reset();
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
        fw::UniqueMemDC memory(::CreateCompatibleDC(dc));
        if (!memory)
            return false;
        const bool fresh = !m_bitmap || key != m_key || !::EqualRect(&source, &m_source);
        if (fresh) {
            Reset();
            m_bitmap.reset(::CreateCompatibleBitmap(dc, width, height));
        }
        if (!m_bitmap)
            return false;
        fw::SelectScope select(memory.get(), m_bitmap.get());
        if (fresh)
            draw(memory.get());
        m_key = key;
        m_source = source;
        return ::BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY) != FALSE;
    }

private:
    fw::UniqueBitmap m_bitmap;
    const void* m_key = nullptr;
    RECT m_source = {};
};
