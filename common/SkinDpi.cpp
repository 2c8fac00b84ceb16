// The skin at other DPIs than 96: scaled fonts, double-size images, scaled drawing.
#include "Skin.h"

#include "Dpi.h"
#include "Trace.h"

namespace {

// From 150 % on the double-size file is nearer than the plain one.
const int kDoubleImageDpi = 144;

// "dir\name.png" -> "dir\name@2x.png"; a name without extension gets "@2x" at its end.
std::wstring DoubleName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    const size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return path + L"@2x";
    return path.substr(0, dot) + L"@2x" + path.substr(dot);
}

} // namespace

Gdiplus::Font* CSkin::FontForDpi(int dpi) {
    if (dpi <= 0 || dpi == fw::kDesignDpi || !pDefaultFont)
        return pDefaultFont.get();
    if (m_pScaledFrom != pDefaultFont.get()) {
        // The skin was loaded again: fonts scaled from the old default font go with it.
        for (auto& entry : m_scaledFonts)
            delete entry.second;
        m_scaledFonts.clear();
        m_pScaledFrom = pDefaultFont.get();
    }
    auto found = m_scaledFonts.find(dpi);
    if (found != m_scaledFonts.end())
        return found->second;
    // In pixels: a size in points would follow the drawing surface's DPI, which
    // is the system's, not that of the window's monitor.
    Gdiplus::FontFamily family;
    Gdiplus::Font* font = nullptr;
    if (pDefaultFont->GetFamily(&family) == Gdiplus::Ok) {
        Gdiplus::REAL size = pDefaultFont->GetSize();
        if (pDefaultFont->GetUnit() == Gdiplus::UnitPoint)
            size = size * fw::kDesignDpi / 72;
        font = new Gdiplus::Font(&family, size * dpi / fw::kDesignDpi, pDefaultFont->GetStyle(), Gdiplus::UnitPixel);
        if (font->GetLastStatus() != Gdiplus::Ok) {
            delete font;
            font = nullptr;
        }
    }
    if (!font)
        return pDefaultFont.get(); // a family GDI+ refuses draws nothing at any size
    m_scaledFonts[dpi] = font;
    return font;
}

Gdiplus::Image* CSkin::ImageForDpi(Gdiplus::Image* image, int dpi) {
    if (!image || dpi < kDoubleImageDpi)
        return image;
    auto known = m_doubleImages.find(image);
    if (known != m_doubleImages.end())
        return known->second ? known->second : image;
    Gdiplus::Image* twice = nullptr;
    auto path = m_imagePaths.find(image);
    if (path != m_imagePaths.end()) {
        const std::wstring name = DoubleName(path->second);
        if (::GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES) {
            twice = DecodeImage(name.c_str());
            if (!twice)
                Trace(L"The double-size image is unreadable: %s\n", name.c_str());
        }
    }
    m_doubleImages[image] = twice; // looked for once, found or not
    return twice ? twice : image;
}

void DrawSkinImage(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width, int height, int dpi,
                   int originX, int originY) {
    if (!image)
        return;
    if (dpi <= 0 || dpi == fw::kDesignDpi) {
        graphics.DrawImage(image, originX + x, originY + y, width, height);
        return;
    }
    Gdiplus::Image* source = gSkin.ImageForDpi(image, dpi);
    // Edges are scaled, not the size, so that images meeting at 96 DPI still meet.
    const int left = originX + fw::Scale(x, dpi), top = originY + fw::Scale(y, dpi);
    const Gdiplus::Rect target(left, top, originX + fw::Scale(x + width, dpi) - left,
                               originY + fw::Scale(y + height, dpi) - top);
    // The whole source, whatever its own size, onto the scaled rectangle.
    const Gdiplus::InterpolationMode interpolation = graphics.GetInterpolationMode();
    const Gdiplus::PixelOffsetMode offset = graphics.GetPixelOffsetMode();
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighQuality);
    Gdiplus::ImageAttributes clampEdges;
    clampEdges.SetWrapMode(Gdiplus::WrapModeTileFlipXY); // no half-transparent seam at the edges
    graphics.DrawImage(source, target, 0, 0, static_cast<INT>(source->GetWidth()),
                       static_cast<INT>(source->GetHeight()), Gdiplus::UnitPixel, &clampEdges);
    graphics.SetInterpolationMode(interpolation);
    graphics.SetPixelOffsetMode(offset);
}
