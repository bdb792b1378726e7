#include "win/Theme.h"

#include "win/SystemFunction.h"

#include <string>
#include <vector>

namespace win {

namespace {

struct SOpenTheme {
    std::wstring classes;
    int dpi;
    CTheme theme; // null when the class has no theme data
};

std::vector<SOpenTheme>& OpenThemes() {
    static std::vector<SOpenTheme> themes;
    return themes;
}

HTHEME Open(const wchar_t* classes, int dpi) {
    using Fn = HTHEME(WINAPI*)(HWND, LPCWSTR, UINT);
    static const Fn openForDpi = SystemFunction<Fn>("uxtheme.dll", "OpenThemeDataForDpi");
    // A program may turn off the themes of its controls (SetThemeAppProperties); it gets the classic look.
    if (!::IsThemeActive() || !(::GetThemeAppProperties() & STAP_ALLOW_CONTROLS))
        return nullptr;
    return openForDpi ? openForDpi(nullptr, classes, static_cast<UINT>(dpi))
                      : ::OpenThemeData(nullptr, classes);
}

} // namespace

HTHEME ThemeFor(const wchar_t* classes, int dpi) {
    std::vector<SOpenTheme>& themes = OpenThemes();
    for (const SOpenTheme& open : themes)
        if (open.dpi == dpi && open.classes == classes)
            return open.theme.Get();
    themes.push_back(SOpenTheme{classes, dpi, CTheme(Open(classes, dpi))});
    return themes.back().theme.Get();
}

void ResetThemes() {
    OpenThemes().clear();
}

} // namespace win
