// The main window's master query. Name lookup and the master query run on the query run's worker
// thread, so the window stays responsive; the window keeps its lists until the masters have answered,
// then stores the listed servers and starts the status run.
#include "app/BrowserDlg.h"

#include "query/MasterList.h"
#include "query/MasterQuery.h"
#include "win/ErrorReport.h"
#include "win/WaitCursor.h"

namespace app {

namespace {
constexpr int kStopLimitMs = 5000;
} // namespace

void CBrowserDlg::OnQueryMaster() {
    std::vector<query::SMasterEntry> masters;
    const std::string problem = query::ParseMasterList(m_master, masters);
    if (!problem.empty()) {
        win::ShowMessage(m_hwnd, problem);
        return;
    }
    {
        win::CWaitCursor wait;
        if (!m_run.StopWorker(kStopLimitMs))
            return;
    }
    m_resultsOpen = false;
    CaptureFilters();
    const std::string request = query::BuildMasterRequest(query::MasterProtocol(m_version.GetCurSel()),
                                                          m_includeFull, m_includeEmpty);
    m_masterPhase = m_run.StartMasterPhase(masters, request);
    if (m_masterPhase)
        SetStatus("Asking " + std::to_string(masters.size()) +
                  (masters.size() == 1 ? " master server ..." : " master servers ..."));
}

void CBrowserDlg::OnMasterDone(unsigned run, std::unique_ptr<query::SMasterResult> result) {
    if (!result || !m_run.IsCurrentRun(run))
        return;         // a master phase that a newer query has replaced
    m_run.StopWorker(); // its thread has nothing left to do but end
    m_masterPhase = false;
    SetStatus("");
    switch (result->outcome) {
    case query::MasterOutcome::STOPPED:
        return;
    case query::MasterOutcome::COLLECTED: {
        query::StoreServers(*result, m_servers);
        StartWorker();
        const std::string cap = query::MasterCapText(*result);
        const std::string failed = query::MasterOutcomeText(*result);
        SetStatus(failed + (failed.empty() || cap.empty() ? "" : " ") + cap);
        return;
    }
    default:
        // The lists and counters of the previous run stay as they were.
        win::ShowMessage(m_hwnd, query::MasterOutcomeText(*result));
    }
}

void CBrowserDlg::SetStatus(const std::string& text) {
    SetWindowText(text.empty() ? std::string(kAppName) : std::string(kAppName) + " - " + text);
}

} // namespace app
