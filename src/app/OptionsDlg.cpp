#include "app/OptionsDlg.h"

#include "app/Settings.h"
#include "app/res/resource.h"

namespace app {

namespace {

// The start-up query's radio buttons, by StartupQuery value.
constexpr int kStartupButtons[] = {IDC_STARTUP_NOTHING, IDC_STARTUP_FAVORITES, IDC_STARTUP_MASTER};

} // namespace

COptionsDlg::COptionsDlg(const CRegistryKey& key, HWND parent)
    : win::CDialog(IDD_OPTIONS, parent), m_key(key) {}

bool COptionsDlg::OnInitDialog() {
    win::CDialog::OnInitDialog();
    const SOptions options = ReadOptions(m_key);
    ::CheckDlgButton(m_hwnd, IDC_AUTO_CLOSE, options.autoClose ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hwnd, IDC_AUTO_REQUERY, options.autoRequery ? BST_CHECKED : BST_UNCHECKED);
    // Any other value checks no button.
    for (int value = 0; value < 3; ++value)
        ::CheckDlgButton(m_hwnd, kStartupButtons[value],
                         options.startupQuery == value ? BST_CHECKED : BST_UNCHECKED);
    return true;
}

void COptionsDlg::OnOK() {
    int startupQuery = 0;
    for (int value = 0; value < 3; ++value) {
        if (::IsDlgButtonChecked(m_hwnd, kStartupButtons[value]) == BST_CHECKED)
            startupQuery = value;
    }
    WriteOptions(m_key, ::IsDlgButtonChecked(m_hwnd, IDC_AUTO_CLOSE) == BST_CHECKED,
                 ::IsDlgButtonChecked(m_hwnd, IDC_AUTO_REQUERY) == BST_CHECKED, startupQuery);
    win::CDialog::OnOK();
}

} // namespace app
