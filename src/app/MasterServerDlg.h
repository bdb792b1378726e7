// CMasterServerDlg: the master server dialog (template 135). Edits the list of master servers,
// "host[:port];host[:port]..."; an entry without a port means the masters' default port.
#pragma once

#include "win/Dialog.h"

#include <string>

namespace app {

class CMasterServerDlg : public win::CDialog {
public:
    CMasterServerDlg(std::string text, HWND parent);

    // The text shown, and after OK the accepted text.
    const std::string& GetText() const { return m_text; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    std::string m_text;
};

} // namespace app
