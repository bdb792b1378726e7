#include "app/BrowserApp.h"

#include "app/BrowserDlg.h"
#include "win/Controls.h"
#include "win/ErrorReport.h"

namespace app {

CBrowserApp::CBrowserApp(std::string keyPath) : m_keyPath(std::move(keyPath)) {}

CBrowserApp::CBrowserApp() : CBrowserApp(kBrowserKeyPath) {}

int CBrowserApp::Run() {
    win::InitControls();
    win::SetAppTitle(kAppName);
    CBrowserDlg dialog(m_keyPath);
    dialog.DoModal();
    return 0;
}

} // namespace app
