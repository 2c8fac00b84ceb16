// Skin strings, image caches and numbering, icon specifications, the start
// button bitmap and the default font.
#include "Utils.h"

#include "skin_test_files.h"

namespace {

using SkinResources = SkinFixture;

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    SIZE size{0, 0};
    if (!GetIconInfo(icon, &info))
        return size;
    BITMAP bm{};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof(bm), &bm)) {
        size.cx = bm.bmWidth;
        size.cy = bm.bmHeight;
    } else if (info.hbmMask && GetObjectW(info.hbmMask, sizeof(bm), &bm)) {
        size.cx = bm.bmWidth;
        size.cy = bm.bmHeight / 2; // monochrome icons stack AND and XOR masks
    }
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    return size;
}

// How many pixels of a white bitmap the string darkened.
int InkedPixels(const Gdiplus::Font* font) {
    Gdiplus::Bitmap bitmap(200, 60, PixelFormat32bppARGB);
    Gdiplus::Graphics g(&bitmap);
    g.Clear(Gdiplus::Color(255, 255, 255, 255));
    Gdiplus::SolidBrush black(Gdiplus::Color(255, 0, 0, 0));
    g.DrawString(L"Start Menu", -1, font, Gdiplus::PointF(2.0f, 2.0f), &black);
    g.Flush(Gdiplus::FlushIntentionSync);
    int inked = 0;
    for (UINT y = 0; y < 60; ++y) {
        for (UINT x = 0; x < 200; ++x) {
            Gdiplus::Color c;
            bitmap.GetPixel(static_cast<INT>(x), static_cast<INT>(y), &c);
            if (c.GetR() < 128)
                ++inked;
        }
    }
    return inked;
}

} // namespace

TEST_F(SkinResources, StringsByNumber) {
    std::string longValue(1500, 'x');
    ASSERT_EQ(1,
              LoadConfig("[RESOURCE]\r\nSTRING.100=All Programs\r\nSTRING.101=\r\nSTRING.103=" + longValue + "\r\n"));
    wchar_t out[64] = L"junk";
    EXPECT_EQ(1, skin->GetString(100, out, 64));
    EXPECT_STREQ(L"All Programs", out);
    wcscpy(out, L"junk");
    EXPECT_EQ(0, skin->GetString(99, out, 64));
    EXPECT_STREQ(L"", out);
    wcscpy(out, L"junk");
    EXPECT_EQ(0, skin->GetString(101, out, 64));
    EXPECT_STREQ(L"", out);
    // Longer than the caller's buffer: cut to fit; the value itself is read in 1024.
    wchar_t small[8];
    EXPECT_EQ(1, skin->GetString(100, small, 8));
    EXPECT_STREQ(L"All Pro", small);
    wchar_t big[2048];
    EXPECT_EQ(1, skin->GetString(103, big, 2048));
    EXPECT_EQ(1023u, wcslen(big));
}

TEST_F(SkinResources, OneFileNamedByManyKeysIsDecodedOnce) {
    WriteBmp(dir, L"same.bmp", 5, 5);
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.PATH=.\r\nMENU.BACKGROUND=same.bmp\r\nMENU.FOCUS.1=same.bmp\r\n"
                            "MENU.FOCUS.0=same.bmp\r\n[BUTTON]\r\nBUTTON.ENABLED=a,b\r\n"
                            "a.IMAGE.NORMAL=same.bmp\r\nb.IMAGE.FOCUS=same.bmp\r\n"));
    ASSERT_NE(nullptr, skin->pMenuBackground);
    EXPECT_EQ(1, skin->DecodeCount());
    EXPECT_EQ(skin->pMenuBackground, skin->pFocus1);
    EXPECT_EQ(skin->pMenuBackground, skin->GetFocusImage(0));
    EXPECT_EQ(skin->pMenuBackground, skin->buttons[0]->pImageNormal);
    EXPECT_EQ(skin->pMenuBackground, skin->buttons[1]->pImageFocus);
}

TEST_F(SkinResources, PathsWithTheSameHashKeepTheirOwnImages) {
    // Same length, same prefix and suffixes whose polynomial hashes agree: a true collision.
    const std::wstring first = WriteBmp(dir, L"ac0pq.bmp", 2, 2);
    const std::wstring second = WriteBmp(dir, L"qan0a.bmp", 3, 7);
    ASSERT_EQ(HashPath(first.c_str(), first.size()), HashPath(second.c_str(), second.size()));

    Gdiplus::Image* a = skin->LoadImageFile(first.c_str());
    Gdiplus::Image* b = skin->LoadImageFile(second.c_str());
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_NE(a, b);
    EXPECT_EQ(2u, a->GetWidth());
    EXPECT_EQ(3u, b->GetWidth());
    EXPECT_EQ(a, skin->LoadImageFile(first.c_str()));
    EXPECT_EQ(b, skin->LoadImageFile(second.c_str()));
    EXPECT_EQ(2, skin->DecodeCount());
}

TEST_F(SkinResources, FileImagesAreNumberedFrom5000SkippingTakenNumbers) {
    WriteBmp(dir, L"a.bmp", 1, 1);
    WriteBmp(dir, L"b.bmp", 2, 2);
    WriteBmp(dir, L"r.bmp", 3, 3);
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.PATH=.\r\n[RESOURCE]\r\nIMAGE.5001=r.bmp\r\nIMAGE.5000=r.bmp\r\n"));
    EXPECT_EQ(5000, skin->NextImageNumber());
    Gdiplus::Image* numbered = skin->GetImage(5001);
    ASSERT_NE(nullptr, numbered);

    Gdiplus::Image* a = skin->LoadImageFile(dir.Join(L"a.bmp").c_str());
    ASSERT_NE(nullptr, a);
    // The file image took 5000, so the resource key of that number is never read.
    EXPECT_EQ(a, skin->GetImage(5000));
    Gdiplus::Image* b = skin->LoadImageFile(dir.Join(L"b.bmp").c_str());
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(b, skin->GetImage(5002));
    EXPECT_EQ(numbered, skin->GetImage(5001));
    EXPECT_EQ(5003, skin->NextImageNumber());
}

TEST_F(SkinResources, ImagesByNumberAreCachedOnlyWhenFound) {
    WriteBmp(dir, L"pic.bmp", 4, 4);
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.PATH=.\r\n[RESOURCE]\r\nIMAGE.100=pic.bmp\r\nIMAGE.102=later.bmp\r\n"));
    Gdiplus::Image* pic = skin->GetImage(100);
    ASSERT_NE(nullptr, pic);
    EXPECT_EQ(pic, skin->GetImage(100));
    EXPECT_EQ(1, skin->DecodeCount());
    EXPECT_EQ(nullptr, skin->GetImage(101));

    EXPECT_EQ(nullptr, skin->GetImage(102));
    WriteBmp(dir, L"later.bmp", 6, 6);
    Gdiplus::Image* later = skin->GetImage(102);
    ASSERT_NE(nullptr, later);
    EXPECT_EQ(6u, later->GetWidth());
}

TEST_F(SkinResources, IconSpecificationsGiveTheirSize) {
    fw::UniqueIcon large(skin->LoadIconSpec(L"shell32.dll,-16"));
    ASSERT_TRUE(large);
    EXPECT_EQ(32, IconSize(large.get()).cx);
    EXPECT_EQ(32, IconSize(large.get()).cy);

    fw::UniqueIcon small(skin->LoadIconSpec(L"shell32.dll,-16,(16x16)"));
    ASSERT_TRUE(small);
    EXPECT_EQ(16, IconSize(small.get()).cx);
    EXPECT_EQ(16, IconSize(small.get()).cy);

    fw::UniqueIcon other(skin->LoadIconSpec(L"shell32.dll,-235,(48x48)"));
    ASSERT_TRUE(other);
    EXPECT_EQ(48, IconSize(other.get()).cx);

    EXPECT_EQ(nullptr, skin->LoadIconSpec(L""));
    EXPECT_EQ(nullptr, skin->LoadIconSpec(L",-16"));
    EXPECT_EQ(nullptr, skin->LoadIconSpec(L"shell32.dll,-31999"));
    EXPECT_EQ(nullptr, skin->LoadIconSpec(L"no-such-file.dll,-16"));
}

TEST_F(SkinResources, StartButtonBitmapFromFile) {
    dir.WriteFile(L"start.bmp", BmpBytes(54, 162, 200, 10, 10));
    fw::UniqueBitmap bitmap(skin->LoadBitmapFile(dir.Join(L"start.bmp").c_str()));
    ASSERT_TRUE(bitmap);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(bitmap.get(), sizeof(bm), &bm));
    EXPECT_EQ(54, bm.bmWidth);
    EXPECT_EQ(162, bm.bmHeight);
    EXPECT_EQ(nullptr, skin->LoadBitmapFile(dir.Join(L"absent.bmp").c_str()));

    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.PATH=.\r\nSTBTN.BACKGROUND=start.bmp\r\n"));
    EXPECT_NE(nullptr, skin->hStartButton.get());
}

TEST_F(SkinResources, DefaultFontNamesAnInstalledFamily) {
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nDEFAULT.FONT.NAME=DejaVu Sans\r\nDEFAULT.FONT.SIZE=14\r\n"));
    ASSERT_NE(nullptr, skin->pDefaultFont);
    ASSERT_EQ(Gdiplus::Ok, skin->pDefaultFont->GetLastStatus());
    Gdiplus::FontFamily family;
    ASSERT_EQ(Gdiplus::Ok, skin->pDefaultFont->GetFamily(&family));
    wchar_t name[LF_FACESIZE] = {};
    family.GetFamilyName(name);
    EXPECT_STREQ(L"DejaVu Sans", name);
    EXPECT_EQ(14.0f, skin->pDefaultFont->GetSize());
    EXPECT_GT(InkedPixels(skin->pDefaultFont.get()), 0);
}

TEST_F(SkinResources, MissingFontFamilyStillDraws) {
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nDEFAULT.FONT.NAME=No Such Family 1234\r\n"));
    ASSERT_NE(nullptr, skin->pDefaultFont);
    EXPECT_EQ(Gdiplus::Ok, skin->pDefaultFont->GetLastStatus());
    EXPECT_GT(InkedPixels(skin->pDefaultFont.get()), 0);

    // Without a name the skin asks for "MS UI Gothic", whether or not it is installed here.
    skin = std::make_unique<CSkin>();
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nDEFAULT.FONT.NAME=\r\n"));
    ASSERT_NE(nullptr, skin->pDefaultFont);
    EXPECT_GT(InkedPixels(skin->pDefaultFont.get()), 0);
    // Where the name is installed or aliased, the font is that family (under its real name).
    Gdiplus::FontFamily gothic(L"MS UI Gothic", nullptr);
    if (gothic.GetLastStatus() == Gdiplus::Ok) {
        wchar_t expected[LF_FACESIZE] = {};
        gothic.GetFamilyName(expected);
        Gdiplus::FontFamily family;
        skin->pDefaultFont->GetFamily(&family);
        wchar_t name[LF_FACESIZE] = {};
        family.GetFamilyName(name);
        EXPECT_STREQ(expected, name);
    }
}
