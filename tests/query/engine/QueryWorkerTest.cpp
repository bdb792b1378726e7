// The query run: pacing seen from the game servers' side, hand-over, stop and restart, garbage, errors.
#include "UdpPeers.h"
#include "base/Error.h"
#include "query/QueryRun.h"
#include "query/QueueSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

using query::CGameServer;
using query::SQueryEvent;
using testsupport::CounterMs;
using testsupport::CUdpPeers;
using testsupport::SAnswer;

namespace {

const auto Silent = [](size_t, int, const std::string&) { return std::vector<SAnswer>{}; };
// Every peer answers each request at once, with a reply built to stall a parser.
const auto Hostile = [](size_t peer, int, const std::string&) {
    static const std::string reply = testsupport::HostileStatusReply();
    return std::vector<SAnswer>{{peer, reply}};
};

// The window's queue, or one whose `refuse` throws while taking a result: the failure must reach the
// receiver.
class CRigSink : public query::CQueueSink {
public:
    std::function<void()> refuse = [] {};
    void OnServerDone(unsigned run, CGameServer& record) override {
        refuse();
        CQueueSink::OnServerDone(run, record);
    }
};

// Peers, a collection of the first `asked` of them, and a run over it at the given speed.
struct SRig {
    SRig(size_t count, testsupport::PeerPolicy policy, int speed = 5, size_t asked = SIZE_MAX)
        : peers(count, std::move(policy)) {
        for (size_t i = 0; i < std::min(count, asked); ++i)
            servers.Store(CGameServer(peers.Address(i)));
        run.SetSpeedIndex(speed);
    }
    const CGameServer& Record(size_t peer) { return *servers.Find(peers.Address(peer)); }
    CUdpPeers peers;
    query::CServerCollection servers;
    CRigSink sink;
    query::CQueryRun run{servers, sink};
};

struct SRunLog {
    std::vector<CGameServer*> done;
    std::vector<std::string> errors;
    size_t stale = 0; // results of an earlier run, dropped
    bool ended = false;
};

// Consumes events of the current run until the worker ends (at most `limitMs`), as the window would.
SRunLog Drain(SRig& r, int limitMs) {
    SRunLog log;
    int64_t start = net::ReadCounter();
    SQueryEvent event;
    while (!log.ended && CounterMs(start, net::ReadCounter()) < limitMs) {
        if (!r.sink.Next(event, 100))
            continue;
        if (event.kind == SQueryEvent::WORKER_END)
            log.ended = event.run == r.run.RunNumber();
        else if (event.kind == SQueryEvent::WORKER_ERROR)
            log.errors.push_back(event.message);
        else if (r.run.AcceptResult(event.run))
            log.done.push_back(event.record);
        else
            ++log.stale;
    }
    return log;
}

// Starts the run and drains it; it ends within `limitMs` with no error.
SRunLog RunToEnd(SRig& r, int limitMs) {
    EXPECT_TRUE(r.run.StartWorker());
    SRunLog log = Drain(r, limitMs);
    EXPECT_TRUE(log.ended);
    EXPECT_TRUE(log.errors.empty());
    return log;
}

TEST(QueryWorker, FastestClassAsksSilentServersTwiceAndGivesThemUp) {
    SRig r(100, Silent);
    int64_t start = net::ReadCounter();
    SRunLog log = RunToEnd(r, 10000);
    double elapsed = CounterMs(start, net::ReadCounter());
    std::vector<double> firsts; // first-request arrival times, ms after the start
    for (size_t i = 0; i < 100; ++i) {
        auto arrivals = r.peers.Arrivals(i);
        ASSERT_EQ(arrivals.size(), 2u);
        firsts.push_back(CounterMs(start, arrivals[0].counter));
        // The repeat goes out at the first tick more than 1200 ms after the first request; the
        // peers' arrival stamps carry their own thread's wake-up delay, hence the margin below 1200.
        double gap = CounterMs(arrivals[0].counter, arrivals[1].counter);
        EXPECT_TRUE(gap >= 1150 && gap <= 2000) << gap;
    }
    // Four ticks, a gap of more than 60 ms after each 32 first requests: 32, 32, 32 and 4.
    std::sort(firsts.begin(), firsts.end());
    for (size_t i = 1; i < firsts.size(); ++i)
        EXPECT_EQ(firsts[i] - firsts[i - 1] > 60, i % 32 == 0) << i;
    const double span = firsts.back() - firsts.front();
    EXPECT_TRUE(span >= 550 && span <= 1200) << "a tick each 200 ms: " << span;
    EXPECT_EQ(std::set<CGameServer*>(log.done.begin(), log.done.end()).size(), 100u);
    EXPECT_EQ(log.done.size(), 100u) << "each record is handed over once";
    for (const CGameServer* record : log.done)
        EXPECT_TRUE(record->ping == query::kPingNone && record->tries == query::kTriesGivenUp);
    // The last start at 600 ms, given up 2.4 to 2.8 s later.
    EXPECT_TRUE(elapsed >= 2900 && elapsed <= 6000) << elapsed;
}

TEST(QueryPacer, DueRepeatsUseUpTheTickBudget) {
    SRig r(12, Silent);
    std::vector<CGameServer*> order, handed;
    for (auto& entry : r.servers)
        order.push_back(&entry.second);
    net::CSockUDP endpoint;
    endpoint.Create();
    query::CQueryPacer pacer(r.servers, 4);
    auto tick = [&](int repeats, int started) {
        ASSERT_TRUE(pacer.Tick(endpoint, [&](CGameServer& s) { handed.push_back(&s); }));
        EXPECT_EQ(std::make_pair(pacer.LastRepeats(), pacer.LastStarted()), std::make_pair(repeats, started));
    };
    tick(0, 4);
    tick(0, 4);
    EXPECT_EQ(pacer.PendingCount(), 8u);
    // Replies from a record not asked yet and from another host on an asked port change nothing.
    const std::string reply = "\xFF\xFF\xFF\xFFstatusResponse\n";
    pacer.OnDatagram(order[8]->address, reply);
    pacer.OnDatagram(net::CSockAddr(0x7F000002, order[0]->address.GetPort()), reply);
    // Five of the started records fall due for their repeat in the same tick: no new start.
    const int64_t longAgo = net::ReadCounter() - 2 * net::CounterFrequency();
    for (int i = 0; i < 5; ++i)
        order[i]->sendTime = longAgo;
    tick(5, 0);
    EXPECT_EQ(std::make_pair(order[4]->tries, order[8]->tries), std::make_pair(2, 0));
    tick(0, 4);
    EXPECT_TRUE(handed.empty());

    // Given-up and answered records leave at the next tick, in start order.
    for (int i = 0; i < 5; ++i)
        order[i]->sendTime = longAgo;
    pacer.OnDatagram(order[5]->address, reply);
    tick(0, 0);
    EXPECT_EQ(handed, std::vector<CGameServer*>(order.begin(), order.begin() + 6));
}

TEST(QueryWorker, SpeedIndexIsClampedAndAnEmptyCollectionEndsAtOnce) {
    const int cases[][3] = {{-5, 0, 1}, {0, 0, 1}, {1, 1, 2}, {2, 2, 4}, {4, 4, 16}, {5, 5, 32}, {6, 5, 32}};
    SRig r(0, Silent);
    for (const auto& [index, clamped, perTick] : cases) {
        EXPECT_EQ(query::RequestsPerTick(index), perTick) << index;
        r.run.SetSpeedIndex(index);
        EXPECT_EQ(r.run.SpeedIndex(), clamped) << index;
    }
    EXPECT_TRUE(RunToEnd(r, 3000).done.empty());
    EXPECT_FALSE(r.run.IsRunning());
}

TEST(QueryWorker, StopIsQuickAmidHostileRepliesHandsOverNothingMoreAndRestartResetsEverything) {
    SRig r(40, Hostile, 2); // four per tick: 2 s for all of them
    ASSERT_TRUE(r.run.StartWorker());
    const unsigned first = r.run.RunNumber();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));

    // A second start while the run goes changes nothing.
    EXPECT_FALSE(r.run.StartWorker());
    EXPECT_EQ(std::make_tuple(r.run.RunNumber(), r.run.ServersToQuery(), r.run.IsRunning()),
              std::make_tuple(first, 40, true));

    const int64_t stop = net::ReadCounter();
    ASSERT_TRUE(r.run.StopWorker(5000));
    EXPECT_LT(CounterMs(stop, net::ReadCounter()), 250);
    EXPECT_FALSE(r.run.IsRunning());
    const size_t queued = r.sink.Size(), asked = r.peers.TotalArrivals();
    EXPECT_TRUE(asked > 0u && asked < 40u) << asked;
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_EQ(r.sink.Size(), queued) << "nothing is handed over after the stop";
    EXPECT_EQ(r.peers.TotalArrivals(), asked) << "nothing is sent after the stop";
    EXPECT_TRUE(r.run.StopWorker(0)) << "stopping again is harmless";

    // The old run's results still queued are stale for the new run.
    const int64_t restart = net::ReadCounter();
    SRunLog log = RunToEnd(r, 12000);
    EXPECT_EQ(std::make_tuple(r.run.RunNumber(), log.done.size(), r.run.ServersToQuery()),
              std::make_tuple(first + 1, size_t{40}, 0));
    EXPECT_EQ(log.stale, queued - 1) << "every result of the stopped run is dropped";
    EXPECT_GT(log.stale, 0u);
    // Every peer is asked again.
    for (size_t i = 0; i < 40; ++i)
        EXPECT_TRUE(!r.peers.Arrivals(i).empty() && r.peers.Arrivals(i).back().counter > restart) << i;
}

TEST(QueryWorker, GarbageAndLateRepliesNeverStallTheRun) {
    std::string huge(65000, '\\');
    for (size_t i = 0; i < huge.size(); i += 5)
        huge[i] = char(i);
    const size_t stranger = 8; // not in the collection
    const std::vector<std::vector<SAnswer>> answers = {
        {{0, "x"}},
        {{1, huge}},
        {{2, std::string("\0\xFF\n\\\\\\\n\x01\x02", 9)}},
        {{stranger, huge}, {stranger, "\xFF\xFF\xFF\xFFstatusResponse\n"}, {3, "a\n\\n\\v\n1 2 \"p\""}},
        {{4, "\xFF\xFF\xFF\xFFstatusResponse\n\\a\\b\n"}, {4, "second reply"}},
        // 1.1 s after the request: handed over at a tick past the 1.2 s time-out, still answered.
        {{5, "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\late\n1 2 \"p\"\n", 1100}},
    };
    SRig r(
        9,
        [&](size_t peer, int index, const std::string&) {
            return peer < answers.size() && index == 0 ? answers[peer] : std::vector<SAnswer>{};
        },
        5, stranger);
    SRunLog log = RunToEnd(r, 8000);
    ASSERT_EQ(log.done.size(), 8u);
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(r.Record(i).tries, i < 6 ? query::kTriesAnswered : query::kTriesGivenUp) << i;
    EXPECT_EQ(r.Record(3).players.size(), 1u);
    EXPECT_EQ(r.Record(4).variables.size(), 1u) << "a second reply is ignored";
    EXPECT_TRUE(r.Record(5).ping >= 1100 && r.Record(5).name == "late") << r.Record(5).ping;
    EXPECT_EQ(r.peers.Arrivals(stranger).size(), 0u);
    EXPECT_EQ(r.peers.Arrivals(0).at(0).bytes, std::string("\xFF\xFF\xFF\xFFgetstatus\n\0", 15));
}

TEST(QueryWorker, AnEscapingExceptionIsReported) {
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[] { throw base::CError("sink refused the record"); }, "sink refused the record"},
        {[] { throw std::runtime_error("not a library error"); }, "Unhandled Unknown Exception!"}};
    for (const auto& [refuse, message] : cases) {
        SCOPED_TRACE(message);
        SRig r(2, Hostile);
        r.sink.refuse = refuse;
        ASSERT_TRUE(r.run.StartWorker());
        SRunLog log = Drain(r, 5000);
        ASSERT_TRUE(log.ended);
        EXPECT_EQ(log.errors, std::vector<std::string>{message});
        EXPECT_FALSE(r.run.IsRunning());
        EXPECT_TRUE(r.run.StartWorker()) << "a new run may start after a failed one";
        EXPECT_TRUE(r.run.StopWorker());
    }
}

} // namespace
