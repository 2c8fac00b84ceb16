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
        if (m_memory && m_previous)
            ::SelectObject(m_memory.get(), m_previous);
        m_previous = nullptr;
        m_memory.reset();
        m_bitmap.reset();
        m_key = nullptr;
    }

    // Copies the picture of key and source (where it comes from, which also
    // gives its size) to dc at (0, 0), making it first with draw(memory dc)
    // when either changed since. False when no bitmap could be had: the
    // caller then draws directly. The picture stays selected into its own
    // memory DC: a copy is then a single BitBlt.
    template <class Draw> bool Paint(HDC dc, const void* key, const RECT& source, Draw draw) {
        const int width = source.right - source.left, height = source.bottom - source.top;
        if (width <= 0 || height <= 0)
            return false;
        if (!m_bitmap || key != m_key || !::EqualRect(&source, &m_source)) {
            Reset();
            m_memory.reset(::CreateCompatibleDC(dc));
            m_bitmap.reset(m_memory ? ::CreateCompatibleBitmap(dc, width, height) : nullptr);
            if (!m_bitmap) {
                m_memory.reset();
                return false;
            }
            m_previous = ::SelectObject(m_memory.get(), m_bitmap.get());
            draw(m_memory.get());
            m_key = key;
            m_source = source;
        }
        return ::BitBlt(dc, 0, 0, width, height, m_memory.get(), 0, 0, SRCCOPY) != FALSE;
    }

private:
    fw::UniqueMemDC m_memory;
    HGDIOBJ m_previous = nullptr; // the memory DC's own bitmap, put back before the picture goes
    fw::UniqueBitmap m_bitmap;
    const void* m_key = nullptr;
    RECT m_source = {};
};

// A memory DC with a bitmap of one size selected, kept from paint to paint:
// making them anew for every paint cost more than drawing a list's rows.
class CPaintSurface {
public:
    CPaintSurface() = default;
    ~CPaintSurface() { Reset(); }
    CPaintSurface(const CPaintSurface&) = delete;
    CPaintSurface& operator=(const CPaintSurface&) = delete;

    void Reset() {
        if (m_memory && m_previous)
            ::SelectObject(m_memory.get(), m_previous);
        m_previous = nullptr;
        m_memory.reset();
        m_bitmap.reset();
        m_size = {};
    }

    // The memory DC, compatible with dc, of width x height (made again for
    // another size; what it held is then gone); null when none could be made.
    HDC Get(HDC dc, int width, int height) {
        if (m_memory && m_size.cx == width && m_size.cy == height)
            return m_memory.get();
        Reset();
        if (width <= 0 || height <= 0)
            return nullptr;
        m_memory.reset(::CreateCompatibleDC(dc));
        m_bitmap.reset(m_memory ? ::CreateCompatibleBitmap(dc, width, height) : nullptr);
        if (!m_bitmap) {
            m_memory.reset();
            return nullptr;
        }
        m_previous = ::SelectObject(m_memory.get(), m_bitmap.get());
        m_size = {width, height};
        return m_memory.get();
    }

private:
    fw::UniqueMemDC m_memory;
    HGDIOBJ m_previous = nullptr;
    fw::UniqueBitmap m_bitmap;
    SIZE m_size = {};
};
