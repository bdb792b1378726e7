// The visual style's drawing data (uxtheme) for the parts of standard controls that our own controls
// draw: header buttons and check boxes. Where no theme is active (the classic look, or Wine without a
// theme) there is none, and the callers keep their classic drawing.
#pragma once

#include <windows.h>

#include <uxtheme.h>

#include <utility>

namespace win {

// Owns one theme handle and closes it at the end of the scope.
class CTheme {
public:
    explicit CTheme(HTHEME handle = nullptr) : m_handle(handle) {}
    ~CTheme() { Reset(); }
    CTheme(CTheme&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    CTheme& operator=(CTheme&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.m_handle, nullptr));
        return *this;
    }
    CTheme(const CTheme&) = delete;
    CTheme& operator=(const CTheme&) = delete;

    HTHEME Get() const { return m_handle; }
    void Reset(HTHEME handle = nullptr) {
        if (m_handle)
            ::CloseThemeData(m_handle);
        m_handle = handle;
    }

private:
    HTHEME m_handle;
};

// The active theme's data for a control class list (L"HEADER", L"BUTTON") with its parts sized for dpi
// (OpenThemeDataForDpi where the system has it, Windows 10 1703 and later). Opened once per class list
// and DPI, kept until ResetThemes; null while no theme is active or this program's controls are not
// themed (SetThemeAppProperties). For the window thread only.
HTHEME ThemeFor(const wchar_t* classes, int dpi);

// Closes every theme ThemeFor opened, so that the next call opens the theme now active
// (WM_THEMECHANGED).
void ResetThemes();

} // namespace win
