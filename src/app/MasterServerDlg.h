// CMasterServerDlg: the master server dialog (template 135). Edits the master server's address text
// (host, host:port or host[port); an address without a port keeps the port of the one before.
#pragma once

#include "win/Dialog.h"

#include <string>

namespace app {

class CMasterServerDlg : public win::CDialog {
public:
    CMasterServerDlg(std::string text, HWND parent);

    // The text shown, and after OK the accepted text.
    const std::string& GetText() const { return m_text; }

    // The text OK accepts for edited when before was shown: edited itself, or with before's port
    // when edited has none.
    static std::string MergeText(const std::string& before, const std::string& edited);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    std::string m_text;
};

} // namespace app
