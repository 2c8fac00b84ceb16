// The real pointer, placed before a mouse message is sent or posted by hand:
// the menu's buttons and lists act only on moves the pointer is really over.
#pragma once

#include <windows.h>

#include "Wait.h"

// Puts the pointer at a client point of the window; false when it never got there.
inline bool PlacePointer(HWND window, int x, int y) {
    POINT pt = {x, y};
    ::ClientToScreen(window, &pt);
    ::SetCursorPos(pt.x, pt.y);
    return WaitFor([&] {
        POINT now{};
        return ::GetCursorPos(&now) && now.x == pt.x && now.y == pt.y;
    });
}
