#include "app/ServerInfoDlg.h"

#include "app/res/resource.h"

namespace app {

CServerInfoDlg::CServerInfoDlg(const query::CGameServer& server, HWND parent)
    : win::CDialog(IDD_SERVER_INFO, parent), m_textCol(Tabra::kDrawLeft), m_server(server) {}

bool CServerInfoDlg::OnInitDialog() {
    win::CDialog::OnInitDialog();
    HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

    m_table.Create(m_hwnd, IDC_INFO_TABLE);
    m_table.SetColumnCount(0);
    m_table.AddColumn(&m_textCol, "Variable", 0);
    m_table.AddColumn(&m_textCol, "Value", 0);
    m_table.BuildLayout();

    m_layout.Init(m_hwnd, 2);
    m_layout.AddWindow(m_table, Dialux::RIGHT_FOLLOW | Dialux::BOTTOM_FOLLOW);
    m_layout.AddControl(IDCANCEL, Dialux::LEFT_FOLLOW | Dialux::RIGHT_FOLLOW | Dialux::TOP_FOLLOW |
                                      Dialux::BOTTOM_FOLLOW);
    m_layoutReady = true;

    SetWindowText(m_server.name);
    for (const auto& variable : m_server.variables) {
        Tabra::CRow* row = m_table.AddRow();
        row->Cell(COL_VARIABLE)->SetString(variable.first);
        row->Cell(COL_VALUE)->SetString(variable.second);
    }
    m_table.Sort(Tabra::CSortKeys{COL_VARIABLE, Tabra::SORT_ASCENDING});
    m_table.AutoSizeAll(false);
    m_table.Update(true);
    return true;
}

void CServerInfoDlg::OnSize(UINT type, int cx, int cy) {
    win::CDialog::OnSize(type, cx, cy);
    if (m_layoutReady && type != SIZE_MINIMIZED)
        m_layout.Layout();
}

} // namespace app
