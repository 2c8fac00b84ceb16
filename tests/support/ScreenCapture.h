// Screen captures of a window's area for tests that check what was painted,
// and screen rectangles as values in assertions: EXPECT_EQ((RECT{...}), rc).
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
inline void PrintTo(const RECT& rc, std::ostream* os) {
    *os << "{" << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom << "}";
}

// The pixels of a rectangle of a device context, row by row.
inline std::vector<DWORD> DcPixels(HDC source, const RECT& rc) {
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, source, rc.left, rc.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// The pixels of a screen rectangle, to see when something was drawn there.
// Wine shows a window's drawing on the screen a moment later: wait for them.
inline std::vector<DWORD> ScreenPixels(const RECT& rc) {
    HDC screen = GetDC(nullptr);
    std::vector<DWORD> pixels = DcPixels(screen, rc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The pixels of a rectangle of a window (window coordinates) as the window
// holds them: what it drew, whatever the screen shows yet or covers.
inline std::vector<DWORD> WindowPixels(HWND window, const RECT& rc) {
    HDC dc = GetWindowDC(window);
    std::vector<DWORD> pixels = DcPixels(dc, rc);
    ReleaseDC(window, dc);
    for (DWORD& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

// A screen capture of one window's area as 32-bit pixels, saved as a BMP for a look.
class Capture {
public:
    // From the screen, or (asDrawn) as the window and its children drew it,
    // for a window that is not layered: no waiting for the screen to show it.
    enum Source { kScreen, kAsDrawn };
    explicit Capture(HWND window, Source source = kScreen) {
        GetWindowRect(window, &m_rc);
        m_w = m_rc.right - m_rc.left;
        m_h = m_rc.bottom - m_rc.top;
        m_pixels = source == kAsDrawn ? WindowPixels(window, {0, 0, m_w, m_h}) : ScreenPixels(m_rc);
    }
    // 0x00RRGGBB at window coordinates.
    DWORD At(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_w + x] & 0xFFFFFF; }
    void Save(const std::wstring& path) const {
        BITMAPFILEHEADER fh{};
        BITMAPINFOHEADER ih{};
        ih.biSize = sizeof(ih);
        ih.biWidth = m_w;
        ih.biHeight = -m_h;
        ih.biPlanes = 1;
        ih.biBitCount = 32;
        fh.bfType = 0x4D42;
        fh.bfOffBits = sizeof(fh) + sizeof(ih);
        fh.bfSize = fh.bfOffBits + static_cast<DWORD>(m_pixels.size() * 4);
        FILE* f = _wfopen(path.c_str(), L"wb");
        if (!f)
            return;
        fwrite(&fh, sizeof(fh), 1, f);
        fwrite(&ih, sizeof(ih), 1, f);
        std::vector<DWORD> opaque(m_pixels); // the screen leaves the fourth byte undefined
        for (DWORD& p : opaque)
            p |= 0xFF000000;
        fwrite(opaque.data(), 4, opaque.size(), f);
        fclose(f);
    }

    // The first pixel (x, y) where the two captures differ; false when none does.
    bool FirstDifference(const Capture& other, POINT* at) const {
        if (m_w != other.m_w || m_h != other.m_h) {
            *at = {-1, -1};
            return true;
        }
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                if (At(x, y) != other.At(x, y)) {
                    *at = {x, y};
                    return true;
                }
        return false;
    }

private:
    RECT m_rc{};
    int m_w = 0, m_h = 0;
    std::vector<DWORD> m_pixels;
};
