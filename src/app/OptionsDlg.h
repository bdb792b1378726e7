// COptionsDlg: the options dialog (template 136). Reads "AutoClose", "AutoRequery" and "StartupQuery"
// from the main window's settings key when it opens and writes them back on OK.
#pragma once

#include "app/RegistryKey.h"
#include "win/Dialog.h"

namespace app {

class COptionsDlg : public win::CDialog {
public:
    COptionsDlg(const CRegistryKey& key, HWND parent);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    const CRegistryKey& m_key;
};

} // namespace app
