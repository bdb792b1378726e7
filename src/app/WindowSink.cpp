#include "app/WindowSink.h"

#include <memory>

namespace app {

void CWindowSink::OnMasterDone(unsigned run, std::unique_ptr<query::SMasterResult> result) {
    if (::PostMessageA(m_window, WM_MASTERDONE, run, reinterpret_cast<LPARAM>(result.get())))
        result.release();
}

std::unique_ptr<query::SMasterResult> CWindowSink::TakeMasterResult(LPARAM lParam) {
    return std::unique_ptr<query::SMasterResult>(reinterpret_cast<query::SMasterResult*>(lParam));
}

void CWindowSink::OnServerDone(unsigned run, query::CGameServer& record) {
    ::PostMessageA(m_window, WM_SERVERDONE, run, reinterpret_cast<LPARAM>(&record));
}

void CWindowSink::OnWorkerError(unsigned run, const std::string& message) {
    auto text = std::make_unique<std::string>(message);
    if (::PostMessageA(m_window, WM_WORKERERROR, run, reinterpret_cast<LPARAM>(text.get())))
        text.release();
}

void CWindowSink::OnWorkerEnd(unsigned run) {
    ::PostMessageA(m_window, WM_WORKEREND, run, 0);
}

std::string CWindowSink::TakeErrorText(LPARAM lParam) {
    std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
    return text ? *text : std::string();
}

} // namespace app
