// Screen captures of a window's area for tests that check what was painted.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// A screen capture of one window's area as 32-bit pixels, saved as a BMP for a look.
class Capture {
public:
    explicit Capture(HWND window) {
        GetWindowRect(window, &m_rc);
        m_w = m_rc.right - m_rc.left;
        m_h = m_rc.bottom - m_rc.top;
        m_pixels.resize(static_cast<size_t>(m_w) * m_h);
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = m_w;
        bi.bmiHeader.biHeight = -m_h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(mem, dib);
        BitBlt(mem, 0, 0, m_w, m_h, screen, m_rc.left, m_rc.top, SRCCOPY);
        GdiFlush();
        memcpy(m_pixels.data(), bits, m_pixels.size() * 4);
        SelectObject(mem, old);
        DeleteObject(dib);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
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
