// The skin: everything visual and the application list's location, read once
// from the skin configuration file (INI syntax, sections "DESIGN", "BUTTON",
// "RESOURCE") beside the program.
//
// Lifecycle: one global object per program (gSkin), constructed before wWinMain.
// Start-up calls SetConfigPath, then Load once; afterwards the skin is only read.
// Images are GDI+ images owned by the two caches for the life of the process
// (they are never deleted one by one: GDI+ is already shut down when the skin
// is destroyed; the default font stays for the same reason). Button records,
// draw-image records, colours and icons are released by Clear.
#pragma once

#include "Handles.h"

#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// One menu button, read from the keys "<name>.*" of section "BUTTON".
struct _skinButton {
    int nMenuAuto = 0;  // "%s.MENU.AUTO": auto-open delay in ms, 0 = no auto-open zone
    int nMenuWidth = 0; // "%s.MENU.WIDTH": width of the auto-open zone at the right edge
    int nActivate = 1;  // "%s.ACTIVATE": 0 = inert
    Gdiplus::Image* pImageNormal = nullptr; // not owned (image cache)
    Gdiplus::Image* pImageFocus = nullptr;
    Gdiplus::Image* pImageMenu = nullptr;
    int nFocus = 0;                   // "%s.FOCUS": focus image number, -1 = normal image
    wchar_t szText[128] = {};         // "%s.TEXT"
    int nTextX = 0, nTextY = 0;       // "%s.TEXT.X", "%s.TEXT.Y"
    std::unique_ptr<Gdiplus::Color> pTextColor; // null: the default colour
    // "%s.DRAWPIC.RECT" as x, y, width, height; width or height <= 0: natural size
    int nPicX = 0, nPicY = 0, nPicWidth = -1, nPicHeight = -1;
    fw::UniqueIcon hIcon;             // "%s.ICON"
    int nIconX = 0, nIconY = 0;       // "%s.ICON.X", "%s.ICON.Y"
    int nPosX = 0, nPosY = 0, nPosWidth = 0, nPosHeight = 0; // "%s.POS.*", menu client pixels
    int nId = 0;                      // "%s.ID": the ID key
    wchar_t szCmd[520] = {};          // "%s.CMD": program|parameters
};

// One image painted on the menu background: "DRAWIMAGE.%d" = "IMAGE.%d,(%d,%d)".
struct _skinDrawImage {
    int x = 0;
    int y = 0;
    int nImage = 0;
};

struct _skinCfg {
    wchar_t szSkinDir[260] = {};    // module directory + "SKIN.PATH" (empty without it)
    wchar_t szAppList[260] = {};    // resolved "SKIN.APPLIST"
    fw::UniqueBitmap hStartButton;  // "STBTN.BACKGROUND": three frames stacked vertically
    int nStartOffset = -7;          // "STBTN.OFFSET"
    int nStartHeight = 54;          // "STBTN.HEIGHT"
    int nStartWidth = 54;           // "STBTN.WIDTH"
    Gdiplus::Image* pMenuBackground = nullptr;  // "MENU.BACKGROUND"
    std::vector<Gdiplus::Image*> focusImages;   // "MENU.FOCUS.0", ".1", ... (null entries allowed)
    std::unique_ptr<Gdiplus::Font> pDefaultFont;
    std::unique_ptr<Gdiplus::Color> pDefaultColor;
    Gdiplus::Image* pFocus1 = nullptr;          // "MENU.FOCUS.1" (options list, large icons)
    Gdiplus::Image* pFocus2 = nullptr;          // "MENU.FOCUS.2" (options list, small icons)
    int nAppListX = 11, nAppListY = 11, nAppListWidth = 264, nAppListHeight = 394; // "MENU.APPLIST.*"
    int nAppListTextX = 0, nAppListTextY = 0;   // "MENU.APPLIST.TEXT.X/Y"
    // "MENU.SEARCH.*": the line that shows typed search text. Without the keys
    // it takes the All Programs button's place (ID key 10), else the default skin's row.
    int nSearchX = 10, nSearchY = 443, nSearchWidth = 256, nSearchHeight = 30;
    Gdiplus::ARGB nSearchTextColor = 0xFFF4F7FB; // "MENU.SEARCH.TEXT.COLOR", default "DEFAULT.FONT.COLOR"
    wchar_t szSetup[260] = {};                  // "MENU.APPLIST.SETUP", joined to the module directory
    std::vector<std::unique_ptr<_skinButton>> buttons; // "BUTTON.ENABLED" order
    int nOptionsX = 11, nOptionsY = 40, nOptionsWidth = 270, nOptionsHeight = 367; // "OPTIONS.APPLIST.*"
    int bOptionsSmallIcon = 0;                  // "OPTIONS.SMALLICON"
    int nRecentCount = 15;                      // "MENU.RECENT.COUNT": documents of the Recent Items popup, 1-100
    Gdiplus::Image* pRecentArrow = nullptr;     // "MENU.RECENT.ARROW": a pinned row's arrow, null: a drawn chevron
};

class CSkin : public _skinCfg {
public:
    CSkin();
    virtual ~CSkin();
    CSkin(const CSkin&) = delete;
    CSkin& operator=(const CSkin&) = delete;

    void SetConfigPath(const wchar_t* path);
    const wchar_t* GetConfigPath() const { return m_szConfigPath; }
    // What a load reads. Every part reads all the settings (numbers, paths, the
    // list file); the parts differ in the files they decode and the records they build.
    enum Parts {
        kAllParts = 0,      // everything
        kStartButton = 1,   // the Start button's bitmap and the account; the menu's parts follow with LoadMenuParts
        kOptionsDialog = 2, // what the options dialog draws: the default font and the two list selection images
    };
    // Loads the skin; moduleDirectory ends in a backslash. 1 on success, 0 on failure.
    int Load(const wchar_t* moduleDirectory, int parts = kAllParts);
    // Loads the menu's images, buttons, font and draw images after a load
    // of the Start button's parts; once per Load.
    void LoadMenuParts();
    int HasMenuParts() const { return m_bMenuParts; }

    int ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue) const;
    int ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue, wchar_t* out,
                   size_t capacity) const;
    // Reads a file name value and joins it to the skin directory (underSkinDirectory != 0)
    // or the module directory; 0 and an empty buffer when the value is missing or empty.
    int ReadPathValue(const wchar_t* section, const wchar_t* key, wchar_t* out, size_t capacity,
                      int underSkinDirectory) const;

    // Buttons are keyed by their position in "BUTTON.ENABLED", not by name.
    _skinButton* GetButton(size_t position, int create);
    Gdiplus::Image* GetFocusImage(int index) const;

    // "STRING.%d" of "RESOURCE": 1 and the text, or 0 and an empty out.
    int GetString(int number, wchar_t* out, size_t capacity) const;
    // Image by number: 1 is the account picture, below 5000 "IMAGE.%d", 5000 up file images.
    Gdiplus::Image* GetImage(int number);
    // Looks for the account picture again once it was found missing: image 1
    // remembers a miss, each look costing registry reads and file decodes.
    Gdiplus::Image* RetryAccountPicture();
    Gdiplus::Image* LoadImageFile(const wchar_t* path);
    int NextImageNumber() const;
    HICON LoadIconSpec(const wchar_t* iconText) const;
    HBITMAP LoadBitmapFile(const wchar_t* path) const;
    void Clear();

    const std::vector<std::unique_ptr<_skinDrawImage>>& DrawImages() const { return m_drawImages; }
    const wchar_t* GetAccountName() const { return m_szAccountName; }
    const wchar_t* GetAccountSid() const { return m_szAccountSid; }
    const wchar_t* GetModuleDirectory() const { return m_szModuleDir; }
    // How many image files were decoded so far (each file is decoded once).
    int DecodeCount() const { return m_nDecodes; }

    // Skin sizes are design units at 96 DPI (SkinDpi.cpp).
    // The default font for a window at dpi (the default font itself at 96).
    Gdiplus::Font* FontForDpi(int dpi);
    // The image to draw at dpi: from 150 % on the skin's "name@2x.ext" beside
    // "name.ext" when there is one, else the image itself.
    Gdiplus::Image* ImageForDpi(Gdiplus::Image* image, int dpi);

private:
    int LoadDesign(int parts);
    void LoadListFocusImages();
    int LoadButtons();
    int LoadDefaultFont();
    int LoadSearchLine(); // after the buttons and the default font, whose values it defaults to
    int LoadDrawImages();
    void ResolveAppList(const wchar_t* value);
    Gdiplus::Image* LoadAccountPicture();
    Gdiplus::Image* DecodeImage(const wchar_t* path);

    wchar_t m_szModuleDir[260] = {};
    wchar_t m_szConfigPath[260] = {};
    // Hash of the full path -> image number; the path itself is kept to tell hash collisions apart.
    std::multimap<uint32_t, std::pair<std::wstring, int>> m_imageNames;
    std::map<int, Gdiplus::Image*> m_images;
    std::vector<std::unique_ptr<_skinDrawImage>> m_drawImages;
    wchar_t m_szAccountName[256] = {};
    wchar_t m_szAccountSid[256] = {};
    int m_nDecodes = 0;
    int m_bAccountPictureMissing = 0;
    int m_bMenuParts = 0;
    std::map<Gdiplus::Image*, std::wstring> m_imagePaths;      // decoded image -> its file
    std::map<Gdiplus::Image*, Gdiplus::Image*> m_doubleImages; // null: the file has none
    Gdiplus::Font* m_pScaledFrom = nullptr;                    // the default font the scaled ones copy
    std::map<int, Gdiplus::Font*> m_scaledFonts;
};

// The one skin object of the program.
extern CSkin gSkin;

// Draws the menu background that lies under a child of the menu, 3 pixels
// beyond each edge, so that the child has no box of its own.
// dpi: the DPI the menu is drawn at.
void DrawBackgroundUnder(Gdiplus::Graphics& graphics, HWND child, HWND menu, int dpi = 96);

// Draws a skin image given in design units (x, y, width, height) at dpi:
// scaled with high-quality filtering, from its double-size file where it has one.
// origin: where design point (0, 0) lies, in the target's pixels.
void DrawSkinImage(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width, int height, int dpi,
                   int originX = 0, int originY = 0);
