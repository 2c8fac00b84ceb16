// Loading the skin configuration file: keys, defaults, composite values and
// the order-dependent rules of the load.
#include "Utils.h"

#include "skin_test_files.h"

namespace {

using SkinConfig = SkinFixture;

std::wstring AppDataVelmar() {
    wchar_t folder[MAX_PATH] = {};
    GetSpecialFolderPath(nullptr, folder, CSIDL_APPDATA);
    return std::wstring(folder) + L"\\Velmar\\";
}

} // namespace

TEST_F(SkinConfig, MissingFileFailsAndChangesNothing) {
    skin->SetConfigPath(dir.Join(L"absent.cfg").c_str());
    EXPECT_EQ(0, skin->Load(ModuleDir().c_str()));
    EXPECT_STREQ(L"", skin->GetAccountName());
    EXPECT_STREQ(L"", skin->GetModuleDirectory());
    EXPECT_EQ(nullptr, skin->pDefaultFont);
}

TEST_F(SkinConfig, EmptyFileGivesEveryDefault) {
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\n"));
    EXPECT_STREQ(L"", skin->szSkinDir);
    EXPECT_STREQ(L"", skin->szAppList);
    EXPECT_STREQ(L"", skin->szSetup);
    EXPECT_EQ(nullptr, skin->hStartButton.get());
    EXPECT_EQ(nullptr, skin->pMenuBackground);
    EXPECT_EQ(-7, skin->nStartOffset);
    EXPECT_EQ(54, skin->nStartHeight);
    EXPECT_EQ(54, skin->nStartWidth);
    EXPECT_EQ(11, skin->nAppListX);
    EXPECT_EQ(11, skin->nAppListY);
    EXPECT_EQ(264, skin->nAppListWidth);
    EXPECT_EQ(394, skin->nAppListHeight);
    EXPECT_EQ(0, skin->nAppListTextX);
    EXPECT_EQ(0, skin->nAppListTextY);
    EXPECT_EQ(11, skin->nOptionsX);
    EXPECT_EQ(40, skin->nOptionsY);
    EXPECT_EQ(270, skin->nOptionsWidth);
    EXPECT_EQ(367, skin->nOptionsHeight);
    EXPECT_EQ(0, skin->bOptionsSmallIcon);
    EXPECT_TRUE(skin->buttons.empty());
    EXPECT_TRUE(skin->focusImages.empty());
    EXPECT_TRUE(skin->DrawImages().empty());
    ASSERT_NE(nullptr, skin->pDefaultColor);
    EXPECT_EQ(0xFFFFFFFFu, skin->pDefaultColor->GetValue());
    ASSERT_NE(nullptr, skin->pDefaultFont);
    EXPECT_EQ(12.0f, skin->pDefaultFont->GetSize());
    EXPECT_EQ(Gdiplus::UnitPoint, skin->pDefaultFont->GetUnit());
    EXPECT_STREQ(ModuleDir().c_str(), skin->GetModuleDirectory());
}

TEST_F(SkinConfig, SkinPathDecidesWhereImageNamesResolve) {
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nMENU.FOCUS.1=focus.bmp\r\n"));
    wchar_t path[260];
    // Without a skin folder a name lands at the root of the current drive.
    EXPECT_EQ(1, skin->ReadPathValue(L"DESIGN", L"MENU.FOCUS.1", path, 260, 1));
    EXPECT_STREQ(L"\\focus.bmp", path);
    EXPECT_EQ(0, skin->ReadPathValue(L"DESIGN", L"MENU.FOCUS.9", path, 260, 1));
    EXPECT_STREQ(L"", path);

    dir.MakeDir(L"art");
    WriteBmp(dir, L"art\\focus.bmp", 4, 4);
    skin = std::make_unique<CSkin>();
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.PATH=art\r\nMENU.FOCUS.1=focus.bmp\r\n"));
    EXPECT_EQ(ModuleDir() + L"art", skin->szSkinDir);
    EXPECT_EQ(1, skin->ReadPathValue(L"DESIGN", L"MENU.FOCUS.1", path, 260, 1));
    EXPECT_EQ(ModuleDir() + L"art\\focus.bmp", path);
    EXPECT_NE(nullptr, skin->pFocus1);
    // A short buffer receives the joined path cut, not an abort.
    wchar_t small[8];
    EXPECT_EQ(1, skin->ReadPathValue(L"DESIGN", L"MENU.FOCUS.1", small, 8, 1));
    EXPECT_EQ(7u, wcslen(small));
}

TEST_F(SkinConfig, AppListResolution) {
    // The folder is not removed first: other tests of the run may be using it.
    const std::wstring velmar = AppDataVelmar();
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.APPLIST=apps.lst\r\n"));
    EXPECT_EQ(velmar + L"apps.lst", skin->szAppList);
    EXPECT_TRUE(FileExists(velmar.c_str()));

    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.APPLIST=D:\\lists\\apps.lst\r\n"));
    EXPECT_STREQ(L"D:\\lists\\apps.lst", skin->szAppList);

    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.APPLIST=lists\\apps.lst\r\n"));
    EXPECT_STREQ(L"lists\\apps.lst", skin->szAppList);

    // Two characters are no drive path: the name goes under application data.
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.APPLIST=C:\r\n"));
    EXPECT_EQ(velmar + L"C:", skin->szAppList);

    // An empty value leaves the path as the earlier load set it.
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.APPLIST=\r\n"));
    EXPECT_EQ(velmar + L"C:", skin->szAppList);
}

TEST_F(SkinConfig, ButtonNamesAreSplitAtCommasAndEachOccurrenceIsARecord) {
    ASSERT_EQ(1, LoadConfig("[BUTTON]\r\nBUTTON.ENABLED=a,,b,\r\n"
                            "a.POS.X=1\r\na.ID=265\r\nb.POS.X=2\r\nb.ID=266\r\n"));
    ASSERT_EQ(2u, skin->buttons.size());
    EXPECT_EQ(1, skin->buttons[0]->nPosX);
    EXPECT_EQ(265, skin->buttons[0]->nId);
    EXPECT_EQ(2, skin->buttons[1]->nPosX);
    EXPECT_EQ(266, skin->buttons[1]->nId);
    EXPECT_EQ(skin->buttons[1].get(), skin->GetButton(1, 0));
    EXPECT_EQ(nullptr, skin->GetButton(2, 0));

    ASSERT_EQ(1, LoadConfig("[BUTTON]\r\nBUTTON.ENABLED=a,a\r\na.POS.Y=7\r\na.TEXT=Same\r\n"));
    ASSERT_EQ(2u, skin->buttons.size());
    EXPECT_NE(skin->buttons[0].get(), skin->buttons[1].get());
    for (auto& button : skin->buttons) {
        EXPECT_EQ(7, button->nPosY);
        EXPECT_STREQ(L"Same", button->szText);
    }
}

TEST_F(SkinConfig, EveryButtonKeyReachesItsField) {
    dir.MakeDir(L"art");
    WriteBmp(dir, L"art\\n.bmp", 3, 3);
    WriteBmp(dir, L"art\\f.bmp", 4, 4);
    WriteBmp(dir, L"art\\m.bmp", 5, 5);
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.PATH=art\r\n[BUTTON]\r\nBUTTON.ENABLED=run,plain\r\n"
                            "run.IMAGE.NORMAL=n.bmp\r\nrun.IMAGE.FOCUS=f.bmp\r\nrun.IMAGE.MENU=m.bmp\r\n"
                            "run.ICON=shell32.dll,-16\r\nrun.ICON.X=3\r\nrun.ICON.Y=4\r\n"
                            "run.POS.X=10\r\nrun.POS.Y=20\r\nrun.POS.WIDTH=30\r\nrun.POS.HEIGHT=40\r\n"
                            "run.ID=300\r\nrun.TEXT=Run...\r\nrun.TEXT.X=5\r\nrun.TEXT.Y=6\r\n"
                            "run.TEXT.COLOR=255,1,2,3\r\nrun.DRAWPIC.RECT=(10,10)-(48,48)\r\n"
                            "run.MENU.WIDTH=16\r\nrun.MENU.AUTO=400\r\nrun.FOCUS=-1\r\nrun.ACTIVATE=0\r\n"
                            "run.CMD=notepad.exe|x.txt\r\n"));
    ASSERT_EQ(2u, skin->buttons.size());
    const _skinButton& run = *skin->buttons[0];
    EXPECT_EQ(3u, run.pImageNormal->GetWidth());
    EXPECT_EQ(4u, run.pImageFocus->GetWidth());
    EXPECT_EQ(5u, run.pImageMenu->GetWidth());
    EXPECT_NE(nullptr, run.hIcon.get());
    EXPECT_EQ(3, run.nIconX);
    EXPECT_EQ(4, run.nIconY);
    EXPECT_EQ(10, run.nPosX);
    EXPECT_EQ(20, run.nPosY);
    EXPECT_EQ(30, run.nPosWidth);
    EXPECT_EQ(40, run.nPosHeight);
    EXPECT_EQ(300, run.nId);
    EXPECT_STREQ(L"Run...", run.szText);
    EXPECT_EQ(5, run.nTextX);
    EXPECT_EQ(6, run.nTextY);
    ASSERT_NE(nullptr, run.pTextColor);
    EXPECT_EQ(0xFF010203u, run.pTextColor->GetValue());
    EXPECT_EQ(10, run.nPicX);
    EXPECT_EQ(10, run.nPicY);
    EXPECT_EQ(48, run.nPicWidth);
    EXPECT_EQ(48, run.nPicHeight);
    EXPECT_EQ(16, run.nMenuWidth);
    EXPECT_EQ(400, run.nMenuAuto);
    EXPECT_EQ(-1, run.nFocus);
    EXPECT_EQ(0, run.nActivate);
    EXPECT_STREQ(L"notepad.exe|x.txt", run.szCmd);

    const _skinButton& plain = *skin->buttons[1];
    EXPECT_EQ(nullptr, plain.pImageNormal);
    EXPECT_EQ(nullptr, plain.hIcon.get());
    EXPECT_EQ(nullptr, plain.pTextColor);
    EXPECT_EQ(0, plain.nFocus);
    EXPECT_EQ(1, plain.nActivate);
    EXPECT_STREQ(L"", plain.szCmd);
}

TEST_F(SkinConfig, PictureRectangleAndCaptionColourValues) {
    ASSERT_EQ(1, LoadConfig("[BUTTON]\r\nBUTTON.ENABLED=half,none,alpha,wide\r\n"
                            "half.DRAWPIC.RECT=(5,5)\r\n"
                            "alpha.TEXT.COLOR=128\r\n"
                            "wide.TEXT.COLOR=300,256,-1,511\r\n"
                            "[DESIGN]\r\nDEFAULT.FONT.COLOR=10,20,30,40\r\n"));
    ASSERT_EQ(4u, skin->buttons.size());
    const _skinButton& half = *skin->buttons[0];
    EXPECT_EQ(5, half.nPicX);
    EXPECT_EQ(5, half.nPicY);
    EXPECT_EQ(0, half.nPicWidth);
    EXPECT_EQ(0, half.nPicHeight);
    const _skinButton& none = *skin->buttons[1];
    EXPECT_EQ(0, none.nPicX);
    EXPECT_EQ(0, none.nPicY);
    EXPECT_EQ(-1, none.nPicWidth);
    EXPECT_EQ(-1, none.nPicHeight);
    // One number is the alpha of black.
    ASSERT_NE(nullptr, skin->buttons[2]->pTextColor);
    EXPECT_EQ(0x80000000u, skin->buttons[2]->pTextColor->GetValue());
    // Out-of-range numbers keep their low 8 bits: 300 -> 0x2C, 256 -> 0, -1 -> 0xFF, 511 -> 0xFF.
    ASSERT_NE(nullptr, skin->buttons[3]->pTextColor);
    EXPECT_EQ(0x2C00FFFFu, skin->buttons[3]->pTextColor->GetValue());
    ASSERT_NE(nullptr, skin->pDefaultColor);
    EXPECT_EQ(0x0A141E28u, skin->pDefaultColor->GetValue());
}

TEST_F(SkinConfig, FocusImageListNeedsNumberZero) {
    WriteBmp(dir, L"one.bmp", 2, 2);
    WriteBmp(dir, L"two.bmp", 3, 3);
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.PATH=.\r\nMENU.FOCUS.1=one.bmp\r\nMENU.FOCUS.2=two.bmp\r\n"));
    EXPECT_TRUE(skin->focusImages.empty());
    ASSERT_NE(nullptr, skin->pFocus1);
    ASSERT_NE(nullptr, skin->pFocus2);
    EXPECT_EQ(2u, skin->pFocus1->GetWidth());
    EXPECT_EQ(3u, skin->pFocus2->GetWidth());

    // An unreadable file keeps its place; the series ends at the first missing number.
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.PATH=.\r\nMENU.FOCUS.0=one.bmp\r\nMENU.FOCUS.1=gone.bmp\r\n"
                            "MENU.FOCUS.2=two.bmp\r\nMENU.FOCUS.4=one.bmp\r\n"));
    ASSERT_EQ(3u, skin->focusImages.size());
    EXPECT_EQ(skin->focusImages[0], skin->GetFocusImage(0));
    EXPECT_NE(nullptr, skin->GetFocusImage(0));
    EXPECT_EQ(nullptr, skin->GetFocusImage(1));
    EXPECT_EQ(3u, skin->GetFocusImage(2)->GetWidth());
    EXPECT_EQ(nullptr, skin->GetFocusImage(3));
    EXPECT_EQ(nullptr, skin->GetFocusImage(-1));
}

TEST_F(SkinConfig, DrawImageEntriesEndAtTheFirstGap) {
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nDRAWIMAGE.0=IMAGE.100,(3,4)\r\nDRAWIMAGE.1=nonsense\r\n"
                            "DRAWIMAGE.3=IMAGE.7,(1,1)\r\n"));
    const auto& entries = skin->DrawImages();
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(100, entries[0]->nImage);
    EXPECT_EQ(3, entries[0]->x);
    EXPECT_EQ(4, entries[0]->y);
    EXPECT_EQ(0, entries[1]->nImage);
    EXPECT_EQ(0, entries[1]->x);
    EXPECT_EQ(0, entries[1]->y);

    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nDRAWIMAGE.0=IMAGE.5,(0,0)\r\nDRAWIMAGE.2=IMAGE.6,(0,0)\r\n"));
    ASSERT_EQ(1u, skin->DrawImages().size());
    EXPECT_EQ(5, skin->DrawImages()[0]->nImage);
}

TEST_F(SkinConfig, SetupProgramIsJoinedToTheModuleDirectory) {
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.PATH=art\r\nMENU.APPLIST.SETUP=setup.exe\r\n"));
    // The module directory already ends in a backslash; the join adds another.
    EXPECT_EQ(ModuleDir() + L"\\setup.exe", skin->szSetup);
}

TEST_F(SkinConfig, ClearDropsOneLoadAndKeepsTheCaches) {
    WriteBmp(dir, L"bg.bmp", 6, 6);
    WriteBmp(dir, L"focus.bmp", 2, 2);
    dir.WriteFile(L"start.bmp", BmpBytes(54, 162, 1, 2, 3));
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.PATH=.\r\nMENU.BACKGROUND=bg.bmp\r\nSTBTN.BACKGROUND=start.bmp\r\n"
                            "MENU.FOCUS.0=focus.bmp\r\nMENU.FOCUS.1=focus.bmp\r\nDRAWIMAGE.0=IMAGE.1,(0,0)\r\n"
                            "[BUTTON]\r\nBUTTON.ENABLED=a\r\na.TEXT.COLOR=1,2,3,4\r\na.ICON=shell32.dll,-16\r\n"));
    ASSERT_EQ(1u, skin->buttons.size());
    Gdiplus::Image* background = skin->pMenuBackground;
    Gdiplus::Image* focus = skin->pFocus1;
    HBITMAP start = skin->hStartButton.get();
    Gdiplus::Font* font = skin->pDefaultFont.get();
    ASSERT_NE(nullptr, background);
    ASSERT_NE(nullptr, focus);
    ASSERT_NE(nullptr, start);
    const int decodes = skin->DecodeCount();

    skin->Clear();
    EXPECT_TRUE(skin->buttons.empty());
    EXPECT_TRUE(skin->DrawImages().empty());
    EXPECT_TRUE(skin->focusImages.empty());
    EXPECT_EQ(nullptr, skin->pDefaultColor);
    EXPECT_EQ(background, skin->pMenuBackground);
    EXPECT_EQ(focus, skin->pFocus1);
    EXPECT_EQ(start, skin->hStartButton.get());
    EXPECT_EQ(font, skin->pDefaultFont.get());
    // The images stay cached: the same file gives the same image without a decode.
    EXPECT_EQ(focus, skin->LoadImageFile((ModuleDir() + L".\\focus.bmp").c_str()));
    EXPECT_EQ(decodes, skin->DecodeCount());
}

// Start-up loads only what the Start button shows; the menu's parts come later
// and must be the same as a full load's, file images numbered in the same order.
TEST_F(SkinConfig, AStartUpLoadLeavesTheMenuPartsForLaterAndThenMatchesAFullLoad) {
    int width = 2;
    for (const wchar_t* name : {L"f1.bmp", L"f2.bmp", L"bg.bmp", L"f0.bmp", L"normal.bmp", L"focus.bmp"})
        WriteBmp(dir, name, width++, 2);
    dir.WriteFile(L"start.bmp", BmpBytes(54, 162, 1, 2, 3));
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\nSKIN.PATH=.\r\nMENU.FOCUS.1=f1.bmp\r\nMENU.FOCUS.2=f2.bmp\r\n"
                            "MENU.BACKGROUND=bg.bmp\r\nSTBTN.BACKGROUND=start.bmp\r\nSTBTN.HEIGHT=40\r\n"
                            "MENU.FOCUS.0=f0.bmp\r\nDRAWIMAGE.0=IMAGE.1,(0,0)\r\n[BUTTON]\r\nBUTTON.ENABLED=a\r\n"
                            "a.IMAGE.NORMAL=normal.bmp\r\na.IMAGE.FOCUS=focus.bmp\r\n"));
    CSkin later;
    later.SetConfigPath(ConfigPath().c_str());
    ASSERT_EQ(1, later.Load(ModuleDir().c_str(), 1));
    EXPECT_EQ(0, later.HasMenuParts());
    EXPECT_EQ(0, later.DecodeCount()) << "an image was decoded before the button needed it";
    EXPECT_NE(nullptr, later.hStartButton.get());
    EXPECT_EQ(40, later.nStartHeight);
    EXPECT_EQ(nullptr, later.pMenuBackground);
    EXPECT_TRUE(later.buttons.empty());

    later.LoadMenuParts();
    later.LoadMenuParts(); // once
    EXPECT_EQ(1, later.HasMenuParts());
    EXPECT_EQ(skin->DecodeCount(), later.DecodeCount());
    ASSERT_EQ(skin->NextImageNumber(), later.NextImageNumber());
    for (int number = 5000; number < skin->NextImageNumber(); ++number) {
        ASSERT_TRUE(skin->GetImage(number) && later.GetImage(number)) << number;
        EXPECT_EQ(skin->GetImage(number)->GetWidth(), later.GetImage(number)->GetWidth()) << number;
    }
    ASSERT_EQ(1u, later.buttons.size());
    ASSERT_NE(nullptr, later.buttons[0]->pImageFocus);
    EXPECT_EQ(skin->buttons[0]->pImageFocus->GetWidth(), later.buttons[0]->pImageFocus->GetWidth());
    ASSERT_NE(nullptr, later.pMenuBackground);
    EXPECT_EQ(skin->pMenuBackground->GetWidth(), later.pMenuBackground->GetWidth());
    EXPECT_EQ(skin->focusImages.size(), later.focusImages.size());
    EXPECT_EQ(skin->DrawImages().size(), later.DrawImages().size());
    EXPECT_NE(nullptr, later.pDefaultFont);
}
