// A query run: one worker thread that asks every server of the collection for its status, paced by a
// speed class, and hands each finished record over through a sink.
//
// CQueryRun is the query control state the main window owns (the headless tool too): the collection,
// the stop event, the worker thread, the count of results still expected and the speed index. All of
// its operations are for the owning thread only; the worker talks back through the sink alone.
#pragma once

#include "net/SockUDP.h"
#include "net/Sync.h"
#include "query/MasterQuery.h"
#include "query/QuerySink.h"
#include "query/ServerCollection.h"

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace query {

// The Speed list: N = 2^index new requests per 200 ms tick.
constexpr int kSpeedClassCount = 6;
extern const char* const kSpeedClassNames[kSpeedClassCount]; // "Modem" ... "DSL*4"
constexpr int kTickMs = 200;

// An index outside 0..5 is taken as the nearest class.
int ClampSpeedIndex(int index);
int RequestsPerTick(int speedIndex);

// The scheduling state of one run, without threads or waits: what the worker does per pacing tick and
// per datagram. Used only by the thread that runs the worker.
class CQueryPacer {
public:
    CQueryPacer(CServerCollection& servers, int requestsPerTick);

    // One tick. Returns false, doing nothing, when every record has been started and handed over.
    // Otherwise sends the repeats that are due and hands over the finished records (in start order),
    // then starts new records in key order while the tick's budget of N requests, repeats included,
    // is not used up.
    bool Tick(net::CSockUDP& endpoint, const std::function<void(CGameServer&)>& handOver);
    // A datagram from `from`: the reply of the record with exactly that address and port, if that record
    // has been asked in this run. Others are ignored.
    void OnDatagram(const net::CSockAddr& from, const std::string& text);

    size_t PendingCount() const { return m_pending.size(); }
    int LastRepeats() const { return m_lastRepeats; }
    int LastStarted() const { return m_lastStarted; }

private:
    CServerCollection& m_servers;
    CServerCollection::Map::iterator m_cursor;
    std::vector<CGameServer*> m_pending; // started, not yet handed over, in start order
    int m_perTick;
    int m_lastRepeats = 0;
    int m_lastStarted = 0;
};

// The worker thread's function: paces status requests over `servers` until every record is handed over
// to `sink` or `stopEvent` is signalled. Every exception is reported to the sink; OnWorkerEnd comes last.
void QueryWorker(CServerCollection& servers, int speedIndex, net::SyncHandle stopEvent, CQuerySink& sink,
                 unsigned run);

class CQueryRun {
public:
    CQueryRun(CServerCollection& servers, CQuerySink& sink);
    // Stops a running worker and waits for it without limit.
    ~CQueryRun();
    CQueryRun(const CQueryRun&) = delete;
    CQueryRun& operator=(const CQueryRun&) = delete;

    // Clamped to 0..5; a running worker keeps the class it started with.
    void SetSpeedIndex(int index) { m_speedIndex = ClampSpeedIndex(index); }
    int SpeedIndex() const { return m_speedIndex; }

    // Starts a run over the whole collection: resets every record, sets the count of expected results to
    // the number of records and starts the worker under a new run number. Does nothing and returns false
    // while a run is under way.
    bool StartWorker();
    // Starts the master phase on the worker thread under a new run number: looks the masters up, asks
    // them with `request` and hands the result to the sink (OnMasterDone), also when stopped. The
    // collection is not touched; its owner stores the result and starts the status run. Does nothing
    // and returns false while a run is under way.
    bool StartMasterPhase(std::vector<SMasterEntry> masters, std::string request);
    // Signals the stop event and waits at most `limitMs` (WAIT_INFINITE: no limit) for the worker to
    // end. True when no worker runs any more.
    bool StopWorker(int limitMs = net::kWaitInfinite);
    // Signals the stop event without waiting.
    void SignalStop() { m_stopEvent.Set(); }
    // True from StartWorker until the worker has ended (by itself or stopped).
    bool IsRunning() const { return m_thread.joinable() && !m_ended.load(std::memory_order_acquire); }

    // The number of the current (or last) run; 0 before the first.
    unsigned RunNumber() const { return m_run; }
    // Results still expected in the current run.
    int ServersToQuery() const { return m_serversToQuery; }
    // Whether a master result belongs to the current run; the receiver drops it otherwise.
    bool IsCurrentRun(unsigned run) const { return run == m_run; }
    // For each record handed over: true when it belongs to the current run, which then expects one
    // result less; false for a result of an earlier run, which the receiver must drop unread.
    bool AcceptResult(unsigned run);

private:
    void JoinEnded();
    // Starts the worker thread on `body` under a new run number.
    void StartThread(std::function<void(unsigned run, net::SyncHandle stop)> body);

    CServerCollection& m_servers;
    CQuerySink& m_sink;
    net::CSyncEvent m_stopEvent;
    net::CSyncEvent m_doneEvent; // set by the worker as its last act
    std::thread m_thread;
    std::atomic<bool> m_ended{false};
    unsigned m_run = 0;
    int m_serversToQuery = 0;
    int m_speedIndex = kSpeedClassCount - 1;
};

} // namespace query
