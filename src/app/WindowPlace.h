// Where a top-level window opens: its normal (restored) rectangle in screen coordinates and whether it
// was maximised, and how a stored rectangle is brought back onto today's desktop.
#pragma once

#include <windows.h>

namespace app {

struct SWindowPlace {
    RECT normal = {}; // screen coordinates, the rectangle the window restores to
    bool maximized = false;
};

// The placement of window; false while it is minimised.
bool GetWindowPlace(HWND window, SWindowPlace& place);

// rc moved inside area; a rectangle larger than area keeps its size and area's top left corner.
RECT MoveInside(const RECT& rc, const RECT& area);
// rc itself when it touches a monitor of the desktop, else rc moved onto the nearest monitor's work area.
RECT KeepOnDesktop(const RECT& rc);

} // namespace app
