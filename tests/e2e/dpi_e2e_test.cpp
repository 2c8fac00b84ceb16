// Velmar at 150 %: the prefix's system DPI (LogPixels) set to 144 before the
// stand-in taskbar and Velmar start. The test's own thread is made DPI-aware,
// so that it sees the menu's pixels and places as they are on the screen.
#include "StandinClient.h"
#include "VelmarEndToEnd.h"

#include <algorithm>
#include <string>

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// Sets LogPixels for the programs started afterwards; gives back the value before (0: none).
DWORD SetLogPixels(DWORD dpi) {
    DWORD before = 0, size = sizeof(before);
    if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &before, &size) !=
        ERROR_SUCCESS)
        before = 0;
    if (dpi)
        RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    return before;
}

void BeDpiAware() {
    using SetContext = HANDLE(WINAPI*)(HANDLE);
    auto set = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    if (set)
        set(reinterpret_cast<HANDLE>(-4)); // per monitor v2
}

int Luminance(DWORD pixel) {
    return (299 * ((pixel >> 16) & 0xFF) + 587 * ((pixel >> 8) & 0xFF) + 114 * (pixel & 0xFF)) / 1000;
}

// What the caption of a button looks like: the rows holding light text on the
// dark face, and the steepest step between two neighbouring pixels of a row.
struct Glyphs {
    int inkRows = 0;
    int steepest = 0;
    int steepestStretched = 0; // the same rows stretched by half as a bitmap (linear)
};

Glyphs Measure(const RECT& rc) {
    const std::vector<DWORD> pixels = ScreenPixels(rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    Glyphs glyphs;
    int first = -1, last = -1;
    for (int y = 0; y < h; ++y) {
        bool ink = false;
        for (int x = 1; x < w; ++x) {
            const int a = Luminance(pixels[static_cast<size_t>(y) * w + x - 1]);
            const int b = Luminance(pixels[static_cast<size_t>(y) * w + x]);
            glyphs.steepest = std::max(glyphs.steepest, std::abs(a - b));
            ink = ink || b > 200;
        }
        int previous = -1;
        for (int x = 0; x * 2 < (w - 1) * 3; ++x) {
            const int from = x * 2 / 3, part = x * 2 % 3; // source position x / 1.5 in thirds
            const int a = Luminance(pixels[static_cast<size_t>(y) * w + from]);
            const int b = Luminance(pixels[static_cast<size_t>(y) * w + from + 1]);
            const int value = (a * (3 - part) + b * part) / 3;
            if (previous >= 0)
                glyphs.steepestStretched = std::max(glyphs.steepestStretched, std::abs(value - previous));
            previous = value;
        }
        if (ink) {
            if (first < 0)
                first = y;
            last = y;
        }
    }
    glyphs.inkRows = first < 0 ? 0 : last - first + 1;
    return glyphs;
}

class DpiEndToEnd : public VelmarEndToEnd {
protected:
    void SetUp() override {
        VelmarEndToEnd::SetUp();
        BeDpiAware();
        m_before = SetLogPixels(96);
    }
    void TearDown() override {
        VelmarEndToEnd::TearDown();
        SetLogPixels(m_before);
    }
    // Opens the menu at dpi and measures it: its size, the caption of
    // "documents", the Start button and where the rebar begins.
    struct Seen {
        SIZE menu;
        Glyphs caption;
        RECT button;
        int rebarX; // where the hook put the rebar at the shell's last re-layout
    };
    Seen OpenAt(DWORD dpi) {
        Seen seen{};
        SetLogPixels(dpi);
        Start();
        OpenMenu();
        RECT menu{};
        GetWindowRect(Menu(), &menu);
        seen.menu = {menu.right - menu.left, menu.bottom - menu.top};
        auto scaled = [&](const wchar_t* key) { return MulDiv(Skin(L"BUTTON", key, 0), static_cast<int>(dpi), 96); };
        // The caption's part of the button, clear of the auto-open arrow at its right.
        const RECT caption = {menu.left + scaled(L"documents.POS.X"), menu.top + scaled(L"documents.POS.Y"),
                              menu.left + scaled(L"documents.POS.X") + scaled(L"documents.POS.WIDTH") / 2,
                              menu.top + scaled(L"documents.POS.Y") + scaled(L"documents.POS.HEIGHT")};
        // Painted once light text shows there.
        EXPECT_TRUE(WaitFor([&] { return Measure(caption).inkRows > 0; }))
            << "no caption drawn at " << dpi << " DPI; menu at " << menu.left << "," << menu.top;
        seen.caption = Measure(caption);
        GetWindowRect(button, &seen.button);
        // Read in the shell's own pixels after a re-layout of the shell's: this process
        // keeps the DPI it started with, and Wine maps another process's child
        // windows by the DPI each process started with.
        standin::RebarRecord record{};
        EXPECT_TRUE(standin::Relayout(standin.Taskbar(), 0, 0, 0, 0));
        EXPECT_TRUE(standin::ReadRebarRecord(standin.Taskbar(), &record));
        seen.rebarX = record.x;
        Screenshot(dpi == 96 ? "dpi-100.png" : "dpi-150.png");
        Stop();
        return seen;
    }
    DWORD m_before = 0;
};

TEST_F(DpiEndToEnd, At150PercentTheMenuButtonAndRebarShiftScaleAndTextStaysSharp) {
    const Seen normal = OpenAt(96);
    const Seen large = OpenAt(144);
    EXPECT_EQ(MulDiv(normal.menu.cx, 3, 2), large.menu.cx);
    EXPECT_EQ(MulDiv(normal.menu.cy, 3, 2), large.menu.cy);
    // The caption is drawn at the larger size, not stretched: as tall again by half, edges as steep.
    ASSERT_GT(normal.caption.inkRows, 0) << "no caption found at 96 DPI";
    EXPECT_GE(large.caption.inkRows * 10, normal.caption.inkRows * 13);
    EXPECT_GE(large.caption.steepest * 10, normal.caption.steepest * 8)
        << "96 DPI: " << normal.caption.steepest << ", 144 DPI: " << large.caption.steepest;
    EXPECT_GT(large.caption.steepest, normal.caption.steepestStretched)
        << "no steeper than the 96 DPI caption stretched as a bitmap (" << normal.caption.steepestStretched << ")";
    // The button's extent along the taskbar and the rebar's start follow the skin's 54 pixels at 150 %.
    EXPECT_EQ(54, normal.rebarX);
    EXPECT_EQ(81, large.rebarX);
    EXPECT_EQ(MulDiv(normal.button.right - normal.button.left + 1, 3, 2) - 1, large.button.right - large.button.left);
}

} // namespace
