// A query sink that queues the worker's calls for a consumer thread (the headless tool, tests).
#pragma once

#include "query/QuerySink.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace query {

struct CQueryEvent {
    enum Kind { SERVER_DONE, WORKER_ERROR, WORKER_END, MASTER_DONE };
    Kind kind = SERVER_DONE;
    unsigned run = 0;
    CGameServer* record = nullptr;         // SERVER_DONE only
    std::string message;                   // WORKER_ERROR only
    std::shared_ptr<CMasterResult> master; // MASTER_DONE only
};

class CQueueSink : public CQuerySink {
public:
    void OnMasterDone(unsigned run, std::unique_ptr<CMasterResult> result) override;
    void OnServerDone(unsigned run, CGameServer& record) override;
    void OnWorkerError(unsigned run, const std::string& message) override;
    void OnWorkerEnd(unsigned run) override;

    // Takes the oldest event, waiting at most `timeoutMs` for one; false when none came.
    bool Next(CQueryEvent& event, int timeoutMs);
    size_t Size() const;

private:
    void Push(CQueryEvent event);

    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<CQueryEvent> m_events;
};

} // namespace query
