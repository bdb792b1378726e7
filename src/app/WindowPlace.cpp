#include "app/WindowPlace.h"

#include <algorithm>

namespace app {

namespace {

MONITORINFO MonitorOf(HMONITOR monitor) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(monitor, &info);
    return info;
}

} // namespace

bool GetWindowPlace(HWND window, SWindowPlace& place) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!::GetWindowPlacement(window, &placement) || placement.showCmd == SW_SHOWMINIMIZED)
        return false;
    place.maximized = placement.showCmd == SW_SHOWMAXIMIZED;
    if (!place.maximized)
        return ::GetWindowRect(window, &place.normal) != FALSE;
    // The normal rectangle comes in workspace coordinates: relative to the monitor's work area.
    const MONITORINFO info = MonitorOf(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
    place.normal = placement.rcNormalPosition;
    ::OffsetRect(&place.normal, info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top);
    return true;
}

RECT MoveInside(const RECT& rc, const RECT& area) {
    const LONG width = rc.right - rc.left;
    const LONG height = rc.bottom - rc.top;
    const LONG left = std::max(area.left, std::min(rc.left, area.right - width));
    const LONG top = std::max(area.top, std::min(rc.top, area.bottom - height));
    return RECT{left, top, left + width, top + height};
}

RECT KeepOnDesktop(const RECT& rc) {
    if (::MonitorFromRect(&rc, MONITOR_DEFAULTTONULL))
        return rc;
    return MoveInside(rc, MonitorOf(::MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST)).rcWork);
}

} // namespace app
