// The skin as a newly started program has it. gSkin keeps caches from one load
// to the next (decoded images, the account picture's miss, the menu
// background), so a test that runs after another in the same process starts
// from here rather than from what the earlier test loaded.
#pragma once

#include "GdiplusScope.h"
#include "Skin.h"

#include <new>

inline void FreshSkin() {
    gSkin.~CSkin();
    new (&gSkin) CSkin();
}

// One process-wide GDI+ session: gSkin keeps its images for the whole process.
inline void StartGdiplusOnce() {
    static fw::GdiplusScope gdiplus;
    (void)gdiplus;
}
