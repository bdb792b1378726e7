#include "query/QueryRun.h"

#include "base/Error.h"

#include <algorithm>

namespace query {

const char* const kSpeedClassNames[kSpeedClassCount] = {"Modem", "ISDN", "ISDN128", "DSL", "DSL*2", "DSL*4"};

int ClampSpeedIndex(int index) {
    return std::clamp(index, 0, kSpeedClassCount - 1);
}

int RequestsPerTick(int speedIndex) {
    return 1 << ClampSpeedIndex(speedIndex);
}

CQueryPacer::CQueryPacer(CServerCollection& servers, int requestsPerTick)
    : m_servers(servers), m_cursor(servers.begin()), m_perTick(requestsPerTick) {}

bool CQueryPacer::Tick(net::CSockUDP& endpoint, const std::function<void(CGameServer&)>& handOver) {
    m_lastRepeats = m_lastStarted = 0;
    if (m_cursor == m_servers.end() && m_pending.empty())
        return false;
    int sent = 0;
    size_t kept = 0;
    for (CGameServer* record : m_pending) {
        if (record->RequestStatus(endpoint)) {
            ++sent;
        } else if (record->IsFinished()) {
            handOver(*record);
            continue;
        }
        m_pending[kept++] = record;
    }
    m_pending.resize(kept);
    m_lastRepeats = sent;
    while (m_cursor != m_servers.end() && sent < m_perTick) {
        CGameServer& record = m_cursor->second;
        record.RequestStatus(endpoint);
        ++sent;
        ++m_lastStarted;
        m_pending.push_back(&record);
        ++m_cursor;
    }
    return true;
}

void CQueryPacer::OnDatagram(const net::CSockAddr& from, const std::string& text) {
    CGameServer* record = m_servers.Find(from);
    // A record not yet asked in this run has no request to measure a ping against.
    if (record && record->tries != 0)
        record->OnStatusReply(text);
}

void QueryWorker(CServerCollection& servers, int speedIndex, net::SyncHandle stopEvent, CQuerySink& sink,
                 unsigned run) {
    try {
        CQueryPacer pacer(servers, RequestsPerTick(speedIndex));
        net::CSyncTimer timer(kTickMs);
        net::CSockUDP endpoint;
        endpoint.Create();
        const net::SyncHandle handles[3] = {stopEvent, endpoint.GetEvent(), timer.Handle()};
        const auto handOver = [&sink, run](CGameServer& record) { sink.OnServerDone(run, record); };
        std::string text;
        net::CSockAddr from;
        for (;;) {
            int signalled = net::WaitForAny(handles, 3, net::kWaitInfinite);
            if (signalled == 0)
                break;
            if (signalled == 1) {
                if (!net::CSockUDP::HasEvent(endpoint.GetNetworkEvents(), net::kNetEventRead))
                    continue;
                if (endpoint.ReceiveTextFrom(text, from) != 0)
                    continue;
                pacer.OnDatagram(from, text);
            } else if (!pacer.Tick(endpoint, handOver)) {
                break;
            }
        }
    } catch (const base::CError& error) {
        sink.OnWorkerError(run, error.Message());
    } catch (...) {
        sink.OnWorkerError(run, kUnknownExceptionText);
    }
}

CQueryRun::CQueryRun(CServerCollection& servers, CQuerySink& sink) : m_servers(servers), m_sink(sink) {}

CQueryRun::~CQueryRun() {
    StopWorker(net::kWaitInfinite);
}

bool CQueryRun::StartWorker() {
    if (IsRunning())
        return false;
    JoinEnded();
    for (auto& entry : m_servers)
        entry.second.Reset();
    m_serversToQuery = static_cast<int>(m_servers.Count());
    StartThread([this, speed = m_speedIndex](unsigned run, net::SyncHandle stop) {
        QueryWorker(m_servers, speed, stop, m_sink, run);
    });
    return true;
}

bool CQueryRun::StartMasterPhase(std::vector<SMasterEntry> masters, std::string request) {
    if (IsRunning())
        return false;
    JoinEnded();
    StartThread([this, masters = std::move(masters), request = std::move(request)](unsigned run,
                                                                                   net::SyncHandle stop) {
        try {
            auto result =
                std::make_unique<SMasterResult>(QueryMasters(ResolveMasters(masters), request, stop));
            m_sink.OnMasterDone(run, std::move(result));
        } catch (const base::CError& error) {
            m_sink.OnWorkerError(run, error.Message());
        } catch (...) {
            m_sink.OnWorkerError(run, kUnknownExceptionText);
        }
    });
    return true;
}

void CQueryRun::StartThread(std::function<void(unsigned run, net::SyncHandle stop)> body) {
    m_stopEvent.Reset();
    const unsigned run = ++m_run;
    m_ended.store(false, std::memory_order_release);
    m_thread = std::thread([this, run, body = std::move(body), stop = m_stopEvent.Handle()] {
        try {
            body(run, stop);
        } catch (...) {
            // A sink that throws while reporting an error has nowhere left to report to.
        }
        // The run is over before the receiver hears of it, so that it may start the next one at once.
        m_ended.store(true, std::memory_order_release);
        try {
            m_sink.OnWorkerEnd(run);
        } catch (...) {
        }
        m_doneEvent.Set();
    });
}

bool CQueryRun::StopWorker(int limitMs) {
    if (!m_thread.joinable())
        return true;
    m_stopEvent.Set();
    if (!m_ended.load(std::memory_order_acquire)) {
        const net::SyncHandle done = m_doneEvent.Handle();
        if (net::WaitForAny(&done, 1, limitMs) == net::kWaitTimedOut)
            return false;
    }
    JoinEnded();
    return true;
}

void CQueryRun::JoinEnded() {
    if (m_thread.joinable()) {
        m_thread.join();
        m_doneEvent.Reset();
    }
}

bool CQueryRun::AcceptResult(unsigned run) {
    if (run != m_run)
        return false;
    --m_serversToQuery;
    return true;
}

} // namespace query
