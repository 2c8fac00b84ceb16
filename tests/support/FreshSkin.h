// The skin as a newly started program has it. gSkin keeps caches from one load
// to the next (decoded images, the account picture's miss, the menu
// background), so a test that runs after another in the same process starts
// from here rather than from what the earlier test loaded.
#pragma once

#include "Skin.h"

#include <new>

inline void FreshSkin() {
    gSkin.~CSkin();
    new (&gSkin) CSkin();
}
