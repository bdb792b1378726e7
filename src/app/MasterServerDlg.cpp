#include "app/MasterServerDlg.h"

#include "app/RegistryKey.h"
#include "app/res/resource.h"
#include "net/TextUtil.h"
#include "win/ErrorReport.h"

namespace app {

namespace {

// Where the port of an address text begins: its first '[', else its first ':'.
size_t PortMark(const std::string& text) {
    const size_t bracket = text.find('[');
    return bracket != std::string::npos ? bracket : text.find(':');
}

} // namespace

CMasterServerDlg::CMasterServerDlg(std::string text, HWND parent)
    : win::CDialog(IDD_MASTER_SERVER, parent), m_text(std::move(text)) {}

std::string CMasterServerDlg::MergeText(const std::string& before, const std::string& edited) {
    const size_t mark = PortMark(before);
    if (PortMark(edited) != std::string::npos || mark == std::string::npos)
        return edited;
    return edited + before.substr(mark);
}

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
    text = MergeText(m_text, net::TrimText(text));
    // The settings keep texts of at most this length; a longer one would be lost at closing.
    if (text.size() > CRegistryKey::kMaxStringLength) {
        win::ShowMessage(m_hwnd, "The master server address is too long to be stored (at most " +
                                     std::to_string(CRegistryKey::kMaxStringLength) + " characters).");
        ::SetFocus(GetDlgItem(IDC_MASTER_TEXT));
        return;
    }
    m_text = text;
    win::CDialog::OnOK();
}

} // namespace app
