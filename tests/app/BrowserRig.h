// The main window under test: the real dialog run modally on its own registry key, with a test script
// that runs inside the modal loop once the window is up, and a record of every accepted result.
#pragma once

#include "DialogHost.h"
#include "app/BrowserDlg.h"
#include "app/res/resource.h"
#include "win/TestUtil.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace apptest {

// What the window showed right after one accepted WM_SERVERDONE.
struct SDoneState {
    int serversToQuery; // the "Servers to Query" label
    int progress;
    int serverRows;
    int playerRows;
    std::vector<std::string> playerNames; // the Player table, top to bottom
};

class CBrowserRig : public app::CBrowserDlg {
public:
    using Script = std::function<void(CBrowserRig&)>;

    CBrowserRig(const std::string& keyPath, Script script)
        : CBrowserDlg(keyPath), m_script(std::move(script)) {}

    std::vector<SDoneState> done;
    bool recordNames = false;
    int paints = 0;         // WM_PAINT messages of the window
    int paintsAtQuery = -1; // paints when Query Master was first pressed

    int Label(int id) const { return static_cast<int>(::GetDlgItemInt(m_hwnd, id, nullptr, TRUE)); }
    int Progress() const {
        return static_cast<int>(::SendDlgItemMessageA(m_hwnd, IDC_PROGRESS, PBM_GETPOS, 0, 0));
    }
    bool Checked(int id) const { return ::IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED; }
    int Selection(int id) const {
        return static_cast<int>(::SendDlgItemMessageA(m_hwnd, id, CB_GETCURSEL, 0, 0));
    }
    void Click(int id) {
        ::SendMessageA(m_hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(id));
    }
    void Check(int id, bool on) { ::CheckDlgButton(m_hwnd, id, on ? BST_CHECKED : BST_UNCHECKED); }
    void SelectTab(int index) {
        ::SendDlgItemMessageA(m_hwnd, IDC_TABS, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        NMHDR header{GetDlgItem(IDC_TABS), IDC_TABS, static_cast<UINT>(TCN_SELCHANGE)};
        ::SendMessageA(m_hwnd, WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&header));
    }
    RECT ItemRect(int id) const { return RectOf(GetDlgItem(id)); }
    RECT RectOf(HWND window) const {
        RECT rc = {};
        ::GetWindowRect(window, &rc);
        ::MapWindowPoints(HWND_DESKTOP, m_hwnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    // Waits (dispatching messages) until the current run has handed over every result.
    bool WaitForRunEnd(DWORD timeoutMs = 30000) {
        return wintest::PumpUntil([this] { return !IsQuerying() && Run().ServersToQuery() == 0; }, timeoutMs);
    }
    // Closes the window the way the Close button does.
    void Close() { Click(IDCANCEL); }

    static std::vector<std::string> Column(Tabra::CTableCtrl& table, int col) {
        std::vector<std::string> texts;
        for (int row = 0; row < table.GetRowCount(); ++row)
            texts.push_back(table.GetCellText(row, col));
        return texts;
    }

protected:
    static constexpr UINT kRunScript = WM_APP + 77;

    bool OnInitDialog() override {
        bool result = CBrowserDlg::OnInitDialog();
        PostMessage(kRunScript);
        return result;
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        paints += msg == WM_PAINT;
        if (msg == WM_COMMAND && wParam == MAKEWPARAM(IDC_QUERY_MASTER, BN_CLICKED) && paintsAtQuery < 0)
            paintsAtQuery = paints;
        if (msg != kRunScript)
            return CBrowserDlg::WindowProc(msg, wParam, lParam);
        if (m_script)
            m_script(*this);
        // A script that failed half-way still ends the dialog.
        if (m_hwnd)
            Close();
        return 0;
    }
    void OnServerDone(unsigned run, query::CGameServer& record) override {
        const int before = HandledResults();
        CBrowserDlg::OnServerDone(run, record);
        if (HandledResults() == before)
            return;
        SDoneState state{Label(IDC_SERVERS_TO_QUERY),
                         Progress(),
                         Lists().ServerTable().GetRowCount(),
                         Lists().PlayerTable().GetRowCount(),
                         {}};
        if (recordNames)
            state.playerNames = Column(Lists().PlayerTable(), app::CServerLists::PLAYER_NAME);
        done.push_back(state);
    }

private:
    Script m_script;
};

} // namespace apptest
