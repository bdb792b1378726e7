// CWindowSink: hands a query run's results to a window by posting messages, so that the window handles
// them on its own thread. The worker never waits for the window.
#pragma once

#include "query/QuerySink.h"

#include <windows.h>

#include <string>

namespace app {

// wParam the run number, lParam the finished CGameServer.
constexpr UINT WM_SERVERDONE = WM_USER + 423; // 0x5A7
// wParam the run number, lParam a std::string* with the message; the receiver deletes it.
constexpr UINT WM_WORKERERROR = WM_SERVERDONE + 1;
// wParam the run number: the worker of that run has ended, after every other message of the run.
constexpr UINT WM_WORKEREND = WM_SERVERDONE + 2;
// wParam the run number, lParam a query::CMasterResult*; the receiver deletes it.
constexpr UINT WM_MASTERDONE = WM_SERVERDONE + 3;

class CWindowSink : public query::CQuerySink {
public:
    explicit CWindowSink(HWND window = nullptr) : m_window(window) {}
    void SetWindow(HWND window) { m_window = window; }

    void OnMasterDone(unsigned run, std::unique_ptr<query::SMasterResult> result) override;
    void OnServerDone(unsigned run, query::CGameServer& record) override;
    void OnWorkerError(unsigned run, const std::string& message) override;
    void OnWorkerEnd(unsigned run) override;

    // Takes the message of a WM_WORKERERROR back (and ownership of it).
    static std::string TakeErrorText(LPARAM lParam);
    // Takes the result of a WM_MASTERDONE back (and ownership of it).
    static std::unique_ptr<query::SMasterResult> TakeMasterResult(LPARAM lParam);

private:
    HWND m_window;
};

} // namespace app
