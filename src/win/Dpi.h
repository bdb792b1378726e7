// Pixel sizes at the DPI of a window's monitor. Sizes are designed at 96 DPI and scaled from there.
#pragma once

#include <windows.h>

namespace win {

constexpr int kDefaultDpi = 96;
// Sent to child windows after their top-level window took a new DPI (Windows 10 1703 and later, with
// wParam 0; our dialogs also send it themselves, with the new DPI in wParam, for older systems and for
// systems whose windows do not report their monitor's DPI).
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The DPI of the monitor the window is on: GetDpiForWindow where the system has it (Windows 10 1607 and
// later), else the screen's LOGPIXELSY.
int WindowDpi(HWND hwnd);

// A size of px pixels at 96 DPI, at dpi.
inline int ScaleToDpi(int px, int dpi) {
    return ::MulDiv(px, dpi, kDefaultDpi);
}

// A size of px pixels at dpi `from`, at dpi `to`; 0 for `from` counts as 96.
inline int RescaleDpi(int px, int from, int to) {
    return ::MulDiv(px, to, from > 0 ? from : kDefaultDpi);
}

// GetSystemMetrics(index) at dpi: GetSystemMetricsForDpi where the system has it, else the metric at
// the system DPI scaled.
int SystemMetricForDpi(int index, int dpi);

} // namespace win
