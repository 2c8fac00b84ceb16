// Skin files for tests: configuration text and small BMP and PNG images, all
// written into a TempDir. A fixture starts COM and GDI+ and keeps one fresh
// CSkin per test.
#pragma once

#include "GdiplusScope.h"
#include "Handles.h"
#include "Skin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "TestFiles.h"

// A 24-bit bottom-up BMP of one colour, as LoadImageW and GDI+ both read it.
inline std::string BmpBytes(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t pixels = stride * static_cast<uint32_t>(height);
    std::string out;
    auto put16 = [&](uint16_t v) { out.append(reinterpret_cast<const char*>(&v), 2); };
    auto put32 = [&](uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    out += "BM";
    put32(54 + pixels);
    put32(0);
    put32(54);
    put32(40);
    put32(static_cast<uint32_t>(width));
    put32(static_cast<uint32_t>(height));
    put16(1);
    put16(24);
    put32(0);
    put32(pixels);
    put32(2835);
    put32(2835);
    put32(0);
    put32(0);
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            row += static_cast<char>(b);
            row += static_cast<char>(g);
            row += static_cast<char>(r);
        }
        row.resize(stride, '\0');
        out += row;
    }
    return out;
}

inline std::wstring WriteBmp(const TempDir& dir, const std::wstring& name, int width, int height) {
    return dir.WriteFile(name, BmpBytes(width, height, 0x20, 0x80, 0xC0));
}

// A PNG of one colour (8-bit RGB, stored deflate blocks), written byte by byte
// so that tests do not depend on an image encoder.
inline std::string PngBytes(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    auto be32 = [](std::string& s, uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            s += static_cast<char>((v >> shift) & 0xFF);
    };
    auto crc = [](const std::string& data) {
        uint32_t c = 0xFFFFFFFFu;
        for (unsigned char byte : data) {
            c ^= byte;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        return c ^ 0xFFFFFFFFu;
    };
    auto chunk = [&](std::string& out, const char* type, const std::string& data) {
        be32(out, static_cast<uint32_t>(data.size()));
        std::string body = std::string(type, 4) + data;
        out += body;
        be32(out, crc(body));
    };
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0'; // filter: none
        for (int x = 0; x < width; ++x) {
            raw += static_cast<char>(r);
            raw += static_cast<char>(g);
            raw += static_cast<char>(b);
        }
    }
    std::string zlib("\x78\x01", 2);
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        const bool last = at + n >= raw.size();
        zlib += static_cast<char>(last ? 1 : 0);
        zlib += static_cast<char>(n & 0xFF);
        zlib += static_cast<char>(n >> 8);
        zlib += static_cast<char>(~n & 0xFF);
        zlib += static_cast<char>((~n >> 8) & 0xFF);
        zlib += raw.substr(at, n);
        if (last)
            break;
    }
    uint32_t a = 1, s2 = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        s2 = (s2 + a) % 65521;
    }
    be32(zlib, (s2 << 16) | a);

    std::string ihdr;
    be32(ihdr, static_cast<uint32_t>(width));
    be32(ihdr, static_cast<uint32_t>(height));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);
    std::string out("\x89PNG\r\n\x1a\n", 8);
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", zlib);
    chunk(out, "IEND", std::string());
    return out;
}

inline bool WritePng(const std::wstring& path, int width, int height) {
    const std::string bytes = PngBytes(width, height, 10, 200, 30);
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

class SkinFixture : public ::testing::Test {
protected:
    // Writes skin.cfg into the temp folder, points the skin at it and loads it
    // with the temp folder as the module directory.
    int LoadConfig(const std::string& text) {
        m_configPath = dir.WriteFile(L"skin.cfg", text);
        skin->SetConfigPath(m_configPath.c_str());
        return skin->Load(ModuleDir().c_str());
    }
    std::wstring ModuleDir() const { return dir.path() + L"\\"; }
    const std::wstring& ConfigPath() const { return m_configPath; }

    fw::ComScope com;
    fw::GdiplusScope gdiplus;
    TempDir dir;
    std::unique_ptr<CSkin> skin = std::make_unique<CSkin>();

private:
    std::wstring m_configPath;
};
