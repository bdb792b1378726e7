#include "app/MasterServerDlg.h"

#include "app/RegistryKey.h"
#include "app/res/resource.h"
#include "base/TextUtil.h"
#include "query/MasterList.h"
#include "win/ErrorReport.h"

namespace app {

CMasterServerDlg::CMasterServerDlg(std::string text, HWND parent)
    : win::CDialog(IDD_MASTER_SERVER, parent), m_text(std::move(text)) {}

bool CMasterServerDlg::OnInitDialog() {
    win::CDialog::OnInitDialog();
    ::SetDlgItemTextA(m_hwnd, IDC_MASTER_TEXT, m_text.c_str());
    return true;
}

void CMasterServerDlg::OnOK() {
    win::CWnd edit;
    edit.Attach(GetDlgItem(IDC_MASTER_TEXT));
    std::string text = edit.GetWindowText();
    edit.Detach();
    text = base::TrimText(text);
    std::vector<query::SMasterEntry> entries;
    std::string problem = query::ParseMasterList(text, entries);
    // The settings keep texts of at most this length; a longer one would be lost at closing.
    if (problem.empty() && text.size() > CRegistryKey::kMaxStringLength)
        problem = "The master server list is too long to be stored (at most " +
                  std::to_string(CRegistryKey::kMaxStringLength) + " characters).";
    if (!problem.empty()) {
        win::ShowMessage(m_hwnd, problem);
        ::SetFocus(GetDlgItem(IDC_MASTER_TEXT));
        return;
    }
    m_text = text;
    win::CDialog::OnOK();
}

} // namespace app
