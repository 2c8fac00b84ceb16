// Pictures kept from paint to paint. The menu's background, and the part of it
// under each child window, is the same at every opening; scaling it through
// GDI+ again at every paint cost more than all the rest of an opening, and
// making a memory DC and bitmap anew for every paint cost more than drawing a
// list's rows.
#pragma once

#include "Handles.h"

#include <windows.h>

// A memory DC with a bitmap of one size selected, kept from paint to paint.
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
    // another size; what it held is then gone, and *made says so); null when
    // none could be made.
    HDC Get(HDC dc, int width, int height, bool* made = nullptr) {
        if (made)
            *made = false;
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
        if (made)
            *made = true;
        return m_memory.get();
    }

    // The memory DC as it is, null before the first Get.
    HDC Current() const { return m_memory.get(); }

private:
    fw::UniqueMemDC m_memory;
    HGDIOBJ m_previous = nullptr; // the memory DC's own bitmap, put back before the picture goes
    fw::UniqueBitmap m_bitmap;
    SIZE m_size = {};
};

// A picture made once (with GDI+, say) and copied with BitBlt afterwards.
class CPaintCache {
public:
    void Reset() {
        m_surface.Reset();
        m_key = nullptr;
    }

    // Copies the picture of key and source (where it comes from, which also
    // gives its size) to dc at (0, 0), making it first with draw(memory dc)
    // when either changed since. False when no bitmap could be had: the
    // caller then draws directly.
    template <class Draw> bool Paint(HDC dc, const void* key, const RECT& source, Draw draw) {
        return Make(dc, key, source, draw) && CopyIfCurrent(dc, 0, 0, key, source);
    }

    // Makes the picture of key and source, compatible with dc, unless it is
    // already kept; false when no bitmap could be had.
    template <class Draw> bool Make(HDC dc, const void* key, const RECT& source, Draw draw) {
        bool made = false;
        HDC memory = m_surface.Get(dc, source.right - source.left, source.bottom - source.top, &made);
        if (!memory) {
            m_key = nullptr;
            return false;
        }
        if (made || !IsCurrent(key, source)) {
            draw(memory);
            m_key = key;
            m_source = source;
        }
        return true;
    }

    // Copies the kept picture to dc at (x, y) when it is the one of key and
    // source; false, with nothing drawn, when it is not.
    bool CopyIfCurrent(HDC dc, int x, int y, const void* key, const RECT& source) const {
        return IsCurrent(key, source) && m_surface.Current() &&
               ::BitBlt(dc, x, y, source.right - source.left, source.bottom - source.top, m_surface.Current(), 0, 0,
                        SRCCOPY) != FALSE;
    }

private:
    bool IsCurrent(const void* key, const RECT& source) const {
        return key && key == m_key && ::EqualRect(&source, &m_source);
    }

    CPaintSurface m_surface;
    const void* m_key = nullptr;
    RECT m_source = {};
};
