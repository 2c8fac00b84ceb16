// The shell's own children of a stand-in taskbar shaped like Windows 8.1/10 or
// 11, from the public facts about those taskbars. Along the taskbar (top to
// bottom on a vertical one): the shell's Start button ("Start", 48 pixels),
// the search box ("TrayDummySearchControl": 344 pixels as a box, an icon's
// width, or hidden; an icon on a vertical taskbar, as the shell shows it),
// two "TrayButton" windows (Task View, People), the band ("ReBarWindow32"),
// and "TrayNotifyWnd" at the far end. Shaped like Windows 11 the same children
// are there but hidden (the band 0 x 0), and a
// "Windows.UI.Composition.DesktopWindowContentBridge" child covers the client
// area and draws the taskbar, its icons centred.
#pragma once

#include <windows.h>

namespace standin {

enum SearchMode { kSearchBox = 0, kSearchIcon = 1, kSearchNone = 2 };

const int kShellStartExtent = 48;
const int kSearchBoxExtent = 344;
const int kTrayButtonExtent = 48;

// The children's rectangles in the taskbar's client coordinates; an empty
// rectangle for a child that is hidden.
struct ShapeLayout {
    RECT start;
    RECT search;
    RECT taskView;
    RECT people;
    RECT band;
    RECT notify;
};

ShapeLayout LayOutShape(const RECT& client, bool vertical, int search);

// The property of the taskbar window that counts the presses the shell's Start button got.
const wchar_t kPropStartPresses[] = L"Velmar.Standin.Start.Presses";

} // namespace standin

// The children of one stand-in taskbar of shape 10 or 11 (StandinOptions::nShape).
class CStandinShape {
public:
    // Makes the children under `taskbar` (the band is made by the taskbar itself).
    bool Create(HWND taskbar, int shape, int search);
    // Places them and the band for the taskbar's client area, as the shell does on WM_SIZE.
    void LayOut(HWND band, bool vertical);
    // The band's place in the last layout.
    RECT BandPlace() const { return m_layout.band; }

private:
    HWND m_hTaskbar = nullptr;
    HWND m_hStart = nullptr;
    HWND m_hSearch = nullptr;
    HWND m_hTaskView = nullptr;
    HWND m_hPeople = nullptr;
    HWND m_hNotify = nullptr;
    HWND m_hBridge = nullptr;
    int m_nShape = 10;
    int m_nSearch = standin::kSearchBox;
    standin::ShapeLayout m_layout = {};
};
