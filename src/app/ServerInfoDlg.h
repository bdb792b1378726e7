// CServerInfoDlg: the server info dialog (template 133). Lists every variable of one server record,
// sorted by name, in a resizable window titled with the server's name.
#pragma once

#include "app/dialogs/DlgLayout.h"
#include "query/GameServer.h"
#include "table/model/ColDef.h"
#include "table/view/TableCtrl.h"
#include "win/Dialog.h"

namespace app {

class CServerInfoDlg : public win::CDialog {
public:
    CServerInfoDlg(const query::CGameServer& server, HWND parent);

    enum Column { COL_VARIABLE, COL_VALUE };
    Tabra::CTableCtrl& Table() { return m_table; }

protected:
    bool OnInitDialog() override;
    void OnSize(UINT type, int cx, int cy) override;

private:
    Dialux::CDlgLayout m_layout;
    bool m_layoutReady = false;
    Tabra::CStringCol m_textCol;
    Tabra::CTableCtrl m_table;
    const query::CGameServer& m_server;
};

} // namespace app
