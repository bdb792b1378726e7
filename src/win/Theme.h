// The visual style's drawing data (uxtheme) for the parts of standard controls that our own controls
// draw: header buttons and check boxes. Where no theme is active (the classic look, or Wine without a
// theme) there is none, and the callers keep their classic drawing.
#pragma once

#include "win/Scoped.h"

#include <uxtheme.h>

namespace win {

struct SCloseThemeData {
    void operator()(HTHEME theme) const { ::CloseThemeData(theme); }
};

// Owns one theme handle and closes it at the end of the scope.
using CTheme = COwnedHandle<HTHEME, SCloseThemeData>;

// The active theme's data for a control class list (L"HEADER", L"BUTTON") with its parts sized for dpi
// (OpenThemeDataForDpi where the system has it, Windows 10 1703 and later). Opened once per class list
// and DPI, kept until ResetThemes; null while no theme is active or this program's controls are not
// themed (SetThemeAppProperties). For the window thread only.
HTHEME ThemeFor(const wchar_t* classes, int dpi);

// Closes every theme ThemeFor opened, so that the next call opens the theme now active
// (WM_THEMECHANGED).
void ResetThemes();

} // namespace win
