#include "query/QueueSink.h"

#include <chrono>

namespace query {

void CQueueSink::OnMasterDone(unsigned run, std::unique_ptr<SMasterResult> result) {
    Push({SQueryEvent::MASTER_DONE, run, nullptr, {}, std::move(result)});
}

void CQueueSink::OnServerDone(unsigned run, CGameServer& record) {
    Push({SQueryEvent::SERVER_DONE, run, &record, {}, {}});
}

void CQueueSink::OnWorkerError(unsigned run, const std::string& message) {
    Push({SQueryEvent::WORKER_ERROR, run, nullptr, message, {}});
}

void CQueueSink::OnWorkerEnd(unsigned run) {
    Push({SQueryEvent::WORKER_END, run, nullptr, {}, {}});
}

void CQueueSink::Push(SQueryEvent event) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    m_arrived.notify_one();
}

bool CQueueSink::Next(SQueryEvent& event, int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_events.empty(); }))
        return false;
    event = std::move(m_events.front());
    m_events.pop_front();
    return true;
}

size_t CQueueSink::Size() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events.size();
}

} // namespace query
