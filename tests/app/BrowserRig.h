// The program's dialogs under test, run modally with a test script that runs inside the modal loop once
// the dialog is up; the main window also records what it showed after each accepted result. The fixture
// runs it on a private registry key, with the common controls and the program's title set up as the
// program does.
#pragma once

#include "DialogHost.h"
#include "FakeNetwork.h"
#include "app/BrowserDlg.h"
#include "app/Settings.h"
#include "app/res/resource.h"
#include "table/model/Locale.h"
#include "win/Controls.h"
#include "win/ErrorReport.h"

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// The texts of column col, top to bottom.
inline std::vector<std::string> Column(Tabra::CTableCtrl& table, int col) {
    std::vector<std::string> texts;
    for (int row = 0; row < table.GetRowCount(); ++row)
        texts.push_back(table.GetCellText(row, col));
    return texts;
}

// Whether column col is in ascending order: by number, or by text in the table's collation.
inline bool IsSorted(Tabra::CTableCtrl& table, int col, bool numbers = false) {
    for (int row = 1; row < table.GetRowCount(); ++row) {
        if (numbers ? table.GetCell(row - 1, col)->GetInt() > table.GetCell(row, col)->GetInt()
                    : Tabra::CollateNoCase(table.GetCellText(row - 1, col).c_str(),
                                           table.GetCellText(row, col).c_str()) > 0)
            return false;
    }
    return true;
}

// Dlg run modally: the script runs once the dialog is up (shown, so that visibility tells whether it has
// ended); a dialog the script leaves open is cancelled.
template <class Dlg, class Self> class CScriptRig : public Dlg {
public:
    using Script = std::function<void(Self&)>;
    template <class... Args>
    explicit CScriptRig(Script script, Args&&... args)
        : Dlg(std::forward<Args>(args)...), m_script(std::move(script)) {}

    void Click(int id) {
        this->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)this->GetDlgItem(id));
    }
    bool IsOpen() const { return this->IsWindowVisible(); }

protected:
    static constexpr UINT kRunScript = WM_APP + 77;
    bool OnInitDialog() override {
        const bool result = Dlg::OnInitDialog();
        this->PostMessage(kRunScript);
        return result;
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != kRunScript)
            return Dlg::WindowProc(msg, wParam, lParam);
        if (!IsOpen())
            this->ShowWindow(SW_SHOW);
        m_script(static_cast<Self&>(*this));
        if (IsOpen())
            Click(IDCANCEL);
        return 0;
    }

private:
    Script m_script;
};

class CBrowserRig : public CScriptRig<app::CBrowserDlg, CBrowserRig> {
public:
    CBrowserRig(const std::string& keyPath, Script script) : CScriptRig(std::move(script), keyPath) {}

    // What the window showed right after each accepted result: "<Servers to Query label>:<progress>".
    std::vector<std::string> done;
    int paints = 0;         // WM_PAINT messages of the window
    int paintsAtQuery = -1; // paints when Query Master was first pressed

    int Label(int id) const { return static_cast<int>(::GetDlgItemInt(m_hwnd, id, nullptr, TRUE)); }
    int Progress() const {
        return static_cast<int>(::SendDlgItemMessageA(m_hwnd, IDC_PROGRESS, PBM_GETPOS, 0, 0));
    }
    bool Checked(int id) const { return ::IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED; }
    void Check(int id, bool on) { ::CheckDlgButton(m_hwnd, id, on ? BST_CHECKED : BST_UNCHECKED); }
    int Selection(int id) const {
        return static_cast<int>(::SendDlgItemMessageA(m_hwnd, id, CB_GETCURSEL, 0, 0));
    }
    void Select(int id, int item) { ::SendDlgItemMessageA(m_hwnd, id, CB_SETCURSEL, item, 0); }
    void SelectTab(int index) {
        ::SendDlgItemMessageA(m_hwnd, IDC_TABS, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        NMHDR header{GetDlgItem(IDC_TABS), IDC_TABS, static_cast<UINT>(TCN_SELCHANGE)};
        ::SendMessageA(m_hwnd, WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&header));
    }
    RECT Rect() const {
        RECT rc = {};
        ::GetWindowRect(m_hwnd, &rc);
        return rc;
    }
    // Waits (dispatching messages) until the current run has handed over every result.
    bool WaitForRunEnd(DWORD timeoutMs = 30000) {
        return PumpUntil([this] { return !IsQuerying() && Run().ServersToQuery() == 0; }, timeoutMs);
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        paints += msg == WM_PAINT;
        if (msg == WM_COMMAND && wParam == MAKEWPARAM(IDC_QUERY_MASTER, BN_CLICKED) && paintsAtQuery < 0)
            paintsAtQuery = paints;
        return CScriptRig::WindowProc(msg, wParam, lParam);
    }
    void OnServerDone(unsigned run, query::CGameServer& record) override {
        const int before = HandledResults();
        CBrowserDlg::OnServerDone(run, record);
        if (HandledResults() != before)
            done.push_back(std::to_string(Label(IDC_SERVERS_TO_QUERY)) + ":" + std::to_string(Progress()));
    }
};

// Tests of the main window and its dialogs on a private registry key.
class BrowserFixture : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        win::InitControls();
        win::SetAppTitle(app::kAppName);
    }

    // Runs the main window with script; returns what DoModal returned.
    INT_PTR Open(CBrowserRig::Script script) { return CBrowserRig(m_path, std::move(script)).DoModal(); }

    // Runs the main window with a master query of network at start-up; once it has ended, selects the
    // first row of the Server table and runs script with the window and that server's record.
    template <class Script> void OpenQueried(const CFakeNetwork& network, Script script) {
        m_key.WriteString(app::value::kMaster, network.MasterText());
        m_key.WriteInt(app::value::kStartupQuery, 2);
        Open([&](CBrowserRig& w) {
            ASSERT_TRUE(w.WaitForRunEnd());
            Tabra::CTableCtrl& servers = w.Lists().ServerTable();
            ASSERT_GT(servers.GetRowCount(), 0);
            servers.SetSelectedRow(0);
            auto* record = w.Lists().RecordOfKey(servers.GetCell(0, app::CServerLists::SERVER_KEY)->GetInt());
            ASSERT_NE(record, nullptr);
            script(w, *record);
        });
    }
};

} // namespace testsupport
