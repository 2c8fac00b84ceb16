// How a stand-in taskbar is set up, and the command line that carries it to
// standin_taskbar.exe:
//   --edge=bottom|top|left|right   the screen edge (default bottom)
//   --size=N                        thickness in pixels (default 40 across, 60 up and down)
//   --state=N                       what ABM_GETSTATE answers (default ABS_ALWAYSONTOP, 2)
//   --no-appbar                     leave the app-bar queries to Wine's explorer
//   --ready-event=NAME              a named event set once the windows exist
//   --secondary=bottom|top|left|right  also a secondary taskbar ("Shell_SecondaryTrayWnd")
//                                   at that edge of the second monitor (of the primary
//                                   one when there is no second)
//   --shape=8|10|11                 the Windows version the taskbar is shaped like
//                                   (default 8: the band from the origin)
//   --search=box|icon|none          shapes 10 and 11: the search box (default box)
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

struct StandinOptions {
    UINT uEdge = ABE_BOTTOM;
    int nSize = 0; // 0: the edge's default thickness
    UINT uState = ABS_ALWAYSONTOP;
    bool bAnswerAppBar = true;
    std::wstring readyEvent;
    int nSecondaryEdge = -1; // -1: no secondary taskbar
    bool bSecondary = false; // this taskbar is the secondary one: no app bar, no broadcast
    int nShape = 8;          // 8; 10 (also 8.1): the shell's own children before the band; 11: XAML over them
    int nSearch = 0;         // kSearchBox, kSearchIcon or kSearchNone (StandinShape.h)

    // The thickness actually used: nSize, else 40 for a horizontal and 60 for a vertical taskbar.
    int Thickness() const;
    // The taskbar's screen rectangle on a screen of the given size.
    RECT ScreenRect(int cxScreen, int cyScreen) const;

    std::wstring ToCommandLine() const;
    // Reads the arguments of a whole command line (the program name first);
    // false on an argument it does not know, with what it read so far kept.
    bool Parse(const wchar_t* commandLine);
};

// "bottom", "top", "left", "right"; null for any other edge code.
const wchar_t* EdgeName(UINT uEdge);
