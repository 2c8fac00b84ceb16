// The menu at other scales than 100 %: the skin's pixels are design units at
// 96 DPI. Wine gives every monitor the one system DPI, so a move between
// monitors of different scales is shown here by handing the DPI to the layout
// (WM_DPICHANGED, as Windows sends it) rather than by moving a window.
#include "Dpi.h"
#include "MenuItemWnd.h"

#include "menu_test_support.h"

namespace {

const std::string kBackground = "MENU.BACKGROUND=bg.bmp\r\nMENU.APPLIST.X=10\r\nMENU.APPLIST.Y=20\r\n"
                                "MENU.APPLIST.WIDTH=100\r\nMENU.APPLIST.HEIGHT=200\r\n"; // bg.bmp: 300 x 400

RECT ChildRect(HWND child, HWND parent) {
    RECT rc{};
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// The pixels of an image drawn at dpi into a white 64 x 32 bitmap at design point (2, 2).
std::vector<DWORD> DrawnAt(Gdiplus::Image* image, int dpi) {
    std::vector<DWORD> pixels(64 * 32, 0);
    Gdiplus::Bitmap target(64, 32, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&target);
        graphics.Clear(Gdiplus::Color(255, 0, 0, 0));
        DrawSkinImage(graphics, image, 2, 2, static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight()),
                      dpi);
    }
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            Gdiplus::Color c;
            target.GetPixel(x, y, &c);
            pixels[y * 64 + x] = c.GetValue() & 0xFFFFFF;
        }
    return pixels;
}

// The rows and columns of the drawing that are fully white.
RECT WhiteBox(const std::vector<DWORD>& pixels) {
    RECT box = {64, 32, -1, -1};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            if (pixels[y * 64 + x] == 0xFFFFFF)
                box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                       std::max<LONG>(box.bottom, y + 1)};
    return box;
}

} // namespace

TEST(DpiScale, RoundsToTheNearestPixelAndKeepsEdgesMeeting) {
    EXPECT_EQ(54, fw::Scale(54, 0)) << "an unknown DPI is the design DPI";
    EXPECT_EQ(68, fw::Scale(54, 120));
    EXPECT_EQ(-5, fw::Scale(-3, 144)) << "negative offsets (STBTN.OFFSET) scale too";
    // Edges, not sizes, are scaled: two rectangles that meet at 96 DPI still meet.
    EXPECT_EQ(fw::ScaleRect({0, 0, 33, 10}, 120).right, fw::ScaleRect({33, 0, 66, 10}, 120).left);
}

TEST_F(MenuTest, ADpiChangeLaysOutMenuButtonsAndListsAgainAndBackToTheSamePixels) {
    ASSERT_EQ(1,
              LoadSkin(kBackground, "BUTTON.ENABLED=docs\r\n" +
                                        Button("docs", {"ID=2", "TEXT=Documents", "POS.X=150", "POS.Y=110",
                                                        "POS.WIDTH=120", "POS.HEIGHT=30", "IMAGE.NORMAL=normal.bmp"})));
    CreateMenu();
    ASSERT_EQ(96, menu->GetDpi()) << "the test screen is at 100 %";
    CMenuItemWnd* docs = menu->FindButton(2);
    ASSERT_NE(nullptr, docs);

    auto expectLayout = [&](int dpi, const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(dpi, menu->GetDpi());
        EXPECT_EQ(dpi, docs->GetDpi());
        const RECT menuRect = MenuRect();
        EXPECT_EQ(fw::Scale(300, dpi), menuRect.right - menuRect.left);
        EXPECT_EQ(fw::Scale(400, dpi), menuRect.bottom - menuRect.top);
        EXPECT_EQ((RECT{fw::Scale(150, dpi), fw::Scale(110, dpi), fw::Scale(270, dpi), fw::Scale(140, dpi)}),
                  ChildRect(docs->m_hWnd, menu->m_hWnd))
            << "the button";
        HWND pinned = ::GetDlgItem(menu->m_hWnd, kPinnedListId);
        HWND all = ::GetDlgItem(menu->m_hWnd, kAllProgramsId);
        ASSERT_TRUE(pinned && all) << "both lists are made again";
        const RECT list = {fw::Scale(10, dpi), fw::Scale(20, dpi), fw::Scale(110, dpi), fw::Scale(220, dpi)};
        EXPECT_EQ(list, ChildRect(pinned, menu->m_hWnd)) << "the pinned list";
        EXPECT_EQ(list, ChildRect(all, menu->m_hWnd)) << "the all-programs list";
    };
    expectLayout(96, "as made");

    // Moved to a 150 % monitor: Windows suggests where the window goes.
    RECT suggested = {40, 30, 40 + 450, 30 + 600};
    ::SendMessageW(menu->m_hWnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    expectLayout(144, "at 150 %");
    EXPECT_EQ(40, MenuRect().left);
    EXPECT_EQ(30, MenuRect().top);

    suggested = {0, 0, 375, 500};
    ::SendMessageW(menu->m_hWnd, WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested));
    expectLayout(120, "at 125 %");
    ::SendMessageW(menu->m_hWnd, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    expectLayout(96, "back at 100 %");

    // Shown on the 100 % monitor, the menu stays at 100 % and sits where it did before.
    menu->ApplyDpi(144);
    menu->ShowMenu(SW_SHOW, 40, ABE_BOTTOM);
    expectLayout(96, "shown again on the 100 % screen");
    menu->ShowMenu(SW_HIDE, 40, ABE_BOTTOM);
}

TEST_F(MenuTest, ImagesScaleSmoothlyAndUseTheDoubleSizeFileFrom150Percent) {
    ASSERT_EQ(1, LoadSkin(kBackground, "BUTTON.ENABLED=\r\n", "IMAGE.5=mark.bmp\r\nIMAGE.6=back.bmp\r\n"));
    dir.WriteFile(L"skin\\mark@2x.bmp", BmpBytes(40, 8, 0xFF, 0xFF, 0xFF));
    Gdiplus::Image* mark = gSkin.GetImage(5); // 20 x 4, white
    Gdiplus::Image* back = gSkin.GetImage(6); // 18 x 18, no double-size file
    ASSERT_TRUE(mark && back);
    const int decodes = gSkin.DecodeCount();

    EXPECT_EQ(mark, gSkin.ImageForDpi(mark, 96));
    EXPECT_EQ(mark, gSkin.ImageForDpi(mark, 120)) << "below 150 % the plain file";
    EXPECT_EQ(decodes, gSkin.DecodeCount()) << "nothing more is read below 150 %";
    Gdiplus::Image* twice = gSkin.ImageForDpi(mark, 144);
    ASSERT_NE(mark, twice);
    EXPECT_EQ(40u, twice->GetWidth());
    EXPECT_EQ(twice, gSkin.ImageForDpi(mark, 192)) << "read once";
    EXPECT_EQ(back, gSkin.ImageForDpi(back, 144));
    EXPECT_EQ(back, gSkin.ImageForDpi(back, 144));
    EXPECT_EQ(decodes + 1, gSkin.DecodeCount()) << "a missing double-size file is looked for once";

    // At 100 % the image lands as it always did; at 150 % on the scaled edges.
    EXPECT_EQ((RECT{2, 2, 22, 6}), WhiteBox(DrawnAt(mark, 96))) << "at 100 %";
    EXPECT_EQ((RECT{3, 3, 33, 9}), WhiteBox(DrawnAt(mark, 144))) << "at 150 %";
}

TEST_F(MenuTest, TheDefaultFontGrowsWithTheDpiInPixels) {
    ASSERT_EQ(1, LoadSkin(kBackground, "BUTTON.ENABLED=\r\n")); // Liberation Sans, 10 points
    EXPECT_EQ(gSkin.pDefaultFont.get(), gSkin.FontForDpi(96));
    Gdiplus::Font* large = gSkin.FontForDpi(144);
    ASSERT_NE(nullptr, large);
    EXPECT_EQ(Gdiplus::UnitPixel, large->GetUnit());
    EXPECT_FLOAT_EQ(10.0f * 96 / 72 * 1.5f, large->GetSize());
    EXPECT_EQ(large, gSkin.FontForDpi(144)) << "made once per DPI";
}
