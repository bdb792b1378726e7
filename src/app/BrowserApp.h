// CBrowserApp: the application object. It shows the main window modally; the process ends when the
// window closes.
#pragma once

#include <string>

namespace app {

class CBrowserApp {
public:
    // The settings key of the main window (tests give a key of their own).
    explicit CBrowserApp(std::string keyPath);
    CBrowserApp();

    // Prepares the process (common controls, message box caption) and runs the main window. Returns
    // the process exit code.
    int Run();

private:
    std::string m_keyPath;
};

} // namespace app
