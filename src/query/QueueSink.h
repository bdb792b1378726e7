// A query sink that queues the worker's calls for a consumer thread (the headless tool, tests).
#pragma once

#include "query/QuerySink.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace query {

struct SQueryEvent {
    enum Kind { SERVER_DONE, WORKER_ERROR, WORKER_END, MASTER_DONE };
    Kind kind = SERVER_DONE;
    unsigned run = 0;
    CGameServer* record = nullptr;         // SERVER_DONE only
    std::string message;                   // WORKER_ERROR only
    std::shared_ptr<SMasterResult> master; // MASTER_DONE only
};

class CQueueSink : public CQuerySink {
public:
    void OnMasterDone(unsigned run, std::unique_ptr<SMasterResult> result) override;
    void OnServerDone(unsigned run, CGameServer& record) override;
    void OnWorkerError(unsigned run, const std::string& message) override;
    void OnWorkerEnd(unsigned run) override;

    // Takes the oldest event, waiting at most `timeoutMs` for one; false when none came.
    bool Next(SQueryEvent& event, int timeoutMs);
    size_t Size() const;

private:
    void Push(SQueryEvent event);

    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<SQueryEvent> m_events;
};

} // namespace query
