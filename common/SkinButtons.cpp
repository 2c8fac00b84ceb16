// The parts of the skin load that build records: buttons, the default font and
// colour, and the images drawn on the menu background.
#include "Skin.h"

#include "Text.h"
#include "Trace.h"

#include <cwchar>
#include <memory>

using fw::StrFormat;

namespace {

constexpr const wchar_t* kDesign = L"DESIGN";
constexpr const wchar_t* kButton = L"BUTTON";

// "%d,%d,%d,%d" = alpha, red, green, blue; each component keeps its low 8 bits.
std::unique_ptr<Gdiplus::Color> NewColor(const wchar_t* value) {
    int a = 0, r = 0, g = 0, b = 0;
    swscanf_s(value, L"%d,%d,%d,%d", &a, &r, &g, &b);
    const Gdiplus::ARGB argb = (static_cast<Gdiplus::ARGB>(a & 0xFF) << 24) |
                               (static_cast<Gdiplus::ARGB>(r & 0xFF) << 16) |
                               (static_cast<Gdiplus::ARGB>(g & 0xFF) << 8) | static_cast<Gdiplus::ARGB>(b & 0xFF);
    return std::make_unique<Gdiplus::Color>(argb);
}

// A skin may name a family this machine lacks; GDI+ then refuses to make the
// font, and text would silently not be drawn. Fall back to the generic sans
// serif family and, where even that is missing, to any installed family.
std::unique_ptr<Gdiplus::Font> NewFont(const wchar_t* name, Gdiplus::REAL size) {
    const INT style = Gdiplus::FontStyleRegular;
    const Gdiplus::Unit unit = Gdiplus::UnitPoint;
    {
        Gdiplus::FontFamily family(name, nullptr);
        if (family.GetLastStatus() == Gdiplus::Ok)
            return std::make_unique<Gdiplus::Font>(&family, size, style, unit);
    }
    Trace(L"Font family not found. %s\n", name);
    // The wrapper hands back null when the generic family is missing as well.
    const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
    if (generic && generic->GetLastStatus() == Gdiplus::Ok) {
        auto font = std::make_unique<Gdiplus::Font>(generic, size, style, unit);
        if (font->GetLastStatus() == Gdiplus::Ok)
            return font;
    }
    Gdiplus::InstalledFontCollection installed;
    if (installed.GetFamilyCount() > 0) {
        Gdiplus::FontFamily first;
        INT found = 0;
        if (installed.GetFamilies(1, &first, &found) == Gdiplus::Ok && found == 1 &&
            first.GetLastStatus() == Gdiplus::Ok) {
            auto font = std::make_unique<Gdiplus::Font>(&first, size, style, unit);
            if (font->GetLastStatus() == Gdiplus::Ok)
                return font;
        }
    }
    // No family at all: a font object still exists, GDI+ refuses to draw with it.
    return std::make_unique<Gdiplus::Font>(static_cast<const Gdiplus::FontFamily*>(nullptr), size, style, unit);
}

} // namespace

int CSkin::LoadButtons() {
    wchar_t enabled[1024];
    if (ReadString(kButton, L"BUTTON.ENABLED", L"", enabled, 1024) == 0 || enabled[0] == 0)
        return 0;

    size_t position = 0;
    const wchar_t* p = enabled;
    while (*p) {
        // Names are split at commas only; empty pieces are skipped and nothing is trimmed.
        const wchar_t* end = wcschr(p, L',');
        const size_t length = end ? static_cast<size_t>(end - p) : wcslen(p);
        if (length == 0) {
            p = end ? end + 1 : p + length;
            continue;
        }
        wchar_t name[1024];
        fw::StrCopyN(name, 1024, p, length);
        p = end ? end + 1 : p + length;

        _skinButton* button = GetButton(position++, 1);
        wchar_t key[256];
        wchar_t path[260];
        StrFormat(key, 256, L"%s.IMAGE.NORMAL", name);
        if (ReadPathValue(kButton, key, path, 260, 1))
            button->pImageNormal = LoadImageFile(path);
        StrFormat(key, 256, L"%s.IMAGE.FOCUS", name);
        if (ReadPathValue(kButton, key, path, 260, 1))
            button->pImageFocus = LoadImageFile(path);
        StrFormat(key, 256, L"%s.IMAGE.MENU", name);
        if (ReadPathValue(kButton, key, path, 260, 1))
            button->pImageMenu = LoadImageFile(path);

        wchar_t icon[260];
        StrFormat(key, 256, L"%s.ICON", name);
        if (ReadString(kButton, key, L"", icon, 260) && icon[0])
            button->hIcon.reset(LoadIconSpec(icon));

        struct {
            const wchar_t* pattern;
            int* field;
        } ints[] = {
            {L"%s.ICON.X", &button->nIconX},
            {L"%s.ICON.Y", &button->nIconY},
            {L"%s.POS.X", &button->nPosX},
            {L"%s.POS.Y", &button->nPosY},
            {L"%s.POS.WIDTH", &button->nPosWidth},
            {L"%s.POS.HEIGHT", &button->nPosHeight},
            {L"%s.ID", &button->nId},
        };
        for (auto& i : ints) {
            StrFormat(key, 256, i.pattern, name);
            *i.field = ReadInt(kButton, key, 0);
        }

        StrFormat(key, 256, L"%s.TEXT", name);
        ReadString(kButton, key, L"", button->szText, 128);
        StrFormat(key, 256, L"%s.TEXT.X", name);
        button->nTextX = ReadInt(kButton, key, 0);
        StrFormat(key, 256, L"%s.TEXT.Y", name);
        button->nTextY = ReadInt(kButton, key, 0);

        wchar_t value[32];
        StrFormat(key, 256, L"%s.TEXT.COLOR", name);
        if (ReadString(kButton, key, L"", value, 32) && value[0])
            button->pTextColor = NewColor(value);

        // The second pair is a size; a width or height of 0 or less means natural size.
        button->nPicX = 0;
        button->nPicY = 0;
        button->nPicWidth = -1;
        button->nPicHeight = -1;
        StrFormat(key, 256, L"%s.DRAWPIC.RECT", name);
        if (ReadString(kButton, key, L"", value, 32) && value[0]) {
            int x = 0, y = 0, width = 0, height = 0;
            swscanf_s(value, L"(%d,%d)-(%d,%d)", &x, &y, &width, &height);
            button->nPicX = x;
            button->nPicY = y;
            button->nPicWidth = width;
            button->nPicHeight = height;
        }

        StrFormat(key, 256, L"%s.MENU.WIDTH", name);
        button->nMenuWidth = ReadInt(kButton, key, 0);
        StrFormat(key, 256, L"%s.MENU.AUTO", name);
        button->nMenuAuto = ReadInt(kButton, key, 0);
        StrFormat(key, 256, L"%s.FOCUS", name);
        button->nFocus = ReadInt(kButton, key, 0);
        StrFormat(key, 256, L"%s.ACTIVATE", name);
        button->nActivate = ReadInt(kButton, key, 1);
        StrFormat(key, 256, L"%s.CMD", name);
        ReadString(kButton, key, L"", button->szCmd, 520);
    }
    return 1;
}

int CSkin::LoadDefaultFont() {
    wchar_t name[64];
    ReadString(kDesign, L"DEFAULT.FONT.NAME", L"", name, 64);
    if (name[0] == 0)
        fw::StrCopy(name, 64, L"MS UI Gothic");
    const int size = ReadInt(kDesign, L"DEFAULT.FONT.SIZE", 12);

    wchar_t color[32];
    ReadString(kDesign, L"DEFAULT.FONT.COLOR", L"255,255,255,255", color, 32);

    // Loaded once per load; a second load replaces the font it made before.
    pDefaultFont = NewFont(name, static_cast<Gdiplus::REAL>(size));
    pDefaultColor = NewColor(color);
    return pDefaultFont != nullptr;
}

int CSkin::LoadSearchLine() {
    nSearchX = 10, nSearchY = 443, nSearchWidth = 256, nSearchHeight = 30;
    for (const auto& button : buttons)
        if (button->nId == 10) {
            nSearchX = button->nPosX, nSearchY = button->nPosY;
            nSearchWidth = button->nPosWidth, nSearchHeight = button->nPosHeight;
            break;
        }
    nSearchX = ReadInt(kDesign, L"MENU.SEARCH.X", nSearchX);
    nSearchY = ReadInt(kDesign, L"MENU.SEARCH.Y", nSearchY);
    nSearchWidth = ReadInt(kDesign, L"MENU.SEARCH.WIDTH", nSearchWidth);
    nSearchHeight = ReadInt(kDesign, L"MENU.SEARCH.HEIGHT", nSearchHeight);
    wchar_t color[32];
    if (ReadString(kDesign, L"MENU.SEARCH.TEXT.COLOR", L"", color, 32) && color[0]) {
        std::unique_ptr<Gdiplus::Color> parsed(NewColor(color));
        nSearchTextColor = parsed->GetValue();
    } else {
        nSearchTextColor = pDefaultColor ? pDefaultColor->GetValue() : 0xFFFFFFFF;
    }
    return 1;
}

int CSkin::LoadDrawImages() {
    for (int n = 0;; ++n) {
        wchar_t key[256];
        wchar_t value[256];
        StrFormat(key, 256, L"DRAWIMAGE.%d", n);
        if (ReadString(kDesign, key, L"", value, 256) == 0 || value[0] == 0)
            break;
        auto entry = std::make_unique<_skinDrawImage>();
        int image = 0, x = 0, y = 0;
        swscanf_s(value, L"IMAGE.%d,(%d,%d)", &image, &x, &y);
        entry->nImage = image;
        entry->x = x;
        entry->y = y;
        m_drawImages.push_back(std::move(entry));
    }
    return 1;
}
