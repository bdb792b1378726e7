#include "win/Dpi.h"

#include "win/SystemFunction.h"

namespace win {

namespace {

// Windows 8.1: the monitor's effective DPI.
int MonitorDpi(HWND hwnd) {
    using Fn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const Fn getDpiForMonitor = SystemFunction<Fn>("shcore.dll", "GetDpiForMonitor", true);
    UINT x = 0;
    UINT y = 0;
    if (!getDpiForMonitor ||
        getDpiForMonitor(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), 0, &x, &y) != S_OK)
        return 0;
    return static_cast<int>(y);
}

} // namespace

int SystemMetricForDpi(int index, int dpi) {
    using Fn = int(WINAPI*)(int, UINT);
    static const Fn getSystemMetricsForDpi = SystemFunction<Fn>("user32.dll", "GetSystemMetricsForDpi");
    if (getSystemMetricsForDpi)
        return getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
    return RescaleDpi(::GetSystemMetrics(index), WindowDpi(nullptr), dpi);
}

int WindowDpi(HWND hwnd) {
    using Fn = UINT(WINAPI*)(HWND);
    static const Fn getDpiForWindow = SystemFunction<Fn>("user32.dll", "GetDpiForWindow");
    int dpi = getDpiForWindow && hwnd ? static_cast<int>(getDpiForWindow(hwnd)) : 0;
    if (dpi <= 0 && hwnd)
        dpi = MonitorDpi(hwnd);
    if (dpi <= 0) {
        HDC dc = ::GetDC(nullptr);
        dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 0;
        if (dc)
            ::ReleaseDC(nullptr, dc);
    }
    return dpi > 0 ? dpi : kDefaultDpi;
}

} // namespace win
