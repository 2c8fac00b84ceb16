// Starts GDI+ for the life of the scope with the default start-up input.
#pragma once

#include <windows.h>
#include <gdiplus.h>

namespace fw {

class GdiplusScope {
public:
    GdiplusScope() {
        Gdiplus::GdiplusStartupInput input;
        m_status = Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    ~GdiplusScope() {
        if (m_status == Gdiplus::Ok)
            Gdiplus::GdiplusShutdown(m_token);
    }
    GdiplusScope(const GdiplusScope&) = delete;
    GdiplusScope& operator=(const GdiplusScope&) = delete;

private:
    ULONG_PTR m_token = 0;
    Gdiplus::Status m_status;
};

} // namespace fw
