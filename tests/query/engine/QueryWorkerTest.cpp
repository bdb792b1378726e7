// The query run: pacing seen from the game servers' side, hand-over, stop and restart, garbage, errors.
#include "UdpPeers.h"
#include "base/Error.h"
#include "query/QueryRun.h"
#include "query/QueueSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

using testsupport::CounterMs;
using testsupport::CUdpPeers;
using testsupport::SAnswer;
using query::SQueryEvent;

namespace {

std::vector<SAnswer> Silent(size_t, int, const std::string&) {
    return {};
}

// Every peer answers each request at once with a status naming it "server <index>" and two players.
std::vector<SAnswer> Answering(size_t peer, int, const std::string&) {
    return {
        {peer, testsupport::StatusReply("server " + std::to_string(peer), {"5 40 \"^1Al\"", "7 60 \"Bo\""})}};
}

query::CServerCollection CollectionOf(const CUdpPeers& peers, size_t count) {
    query::CServerCollection servers;
    for (size_t i = 0; i < count; ++i)
        servers.Store(query::CGameServer(peers.Address(i)));
    return servers;
}

// Peers, a collection of the first `asked` of them, and a run over it at the given speed.
struct SRig {
    SRig(size_t count, testsupport::PeerPolicy policy, int speed = 5, size_t asked = SIZE_MAX)
        : peers(count, std::move(policy)), servers(CollectionOf(peers, std::min(count, asked))) {
        run.SetSpeedIndex(speed);
    }
    CUdpPeers peers;
    query::CServerCollection servers;
    query::CQueueSink sink;
    query::CQueryRun run{servers, sink};
};

struct SRunLog {
    std::vector<query::CGameServer*> done;
    std::vector<std::string> errors;
    size_t stale = 0; // results of an earlier run, dropped
    bool ended = false;
};

// Consumes events of the current run until the worker ends (at most `limitMs`), as the window would.
SRunLog Drain(query::CQueryRun& run, query::CQueueSink& sink, int limitMs) {
    SRunLog log;
    int64_t start = net::ReadCounter();
    SQueryEvent event;
    while (!log.ended && CounterMs(start, net::ReadCounter()) < limitMs) {
        if (!sink.Next(event, 100))
            continue;
        if (event.kind == SQueryEvent::WORKER_END)
            log.ended = event.run == run.RunNumber();
        else if (event.kind == SQueryEvent::WORKER_ERROR)
            log.errors.push_back(event.message);
        else if (run.AcceptResult(event.run))
            log.done.push_back(event.record);
        else
            ++log.stale;
    }
    return log;
}

// First-request arrival times (ms after `start`) of every peer that was asked.
std::vector<double> FirstRequests(const CUdpPeers& peers, size_t count, int64_t start) {
    std::vector<double> times;
    for (size_t i = 0; i < count; ++i) {
        auto arrivals = peers.Arrivals(i);
        if (!arrivals.empty())
            times.push_back(CounterMs(start, arrivals[0].counter));
    }
    return times;
}

TEST(QueryWorker, ModemStartsOneServerPerTick) {
    SRig r(10, Answering, 0);
    int64_t start = net::ReadCounter();
    ASSERT_TRUE(r.run.StartWorker());
    SRunLog log = Drain(r.run, r.sink, 8000);

    ASSERT_TRUE(log.ended);
    EXPECT_TRUE(log.errors.empty());
    EXPECT_EQ(log.done.size(), 10u);
    EXPECT_EQ(r.run.ServersToQuery(), 0);
    std::vector<double> firsts = FirstRequests(r.peers, 10, start);
    ASSERT_EQ(firsts.size(), 10u);
    EXPECT_EQ(testsupport::ClusterSizes(firsts, 60), std::vector<int>(10, 1));
    std::sort(firsts.begin(), firsts.end());
    EXPECT_GE(firsts.back() - firsts.front(), 1600);
    EXPECT_LE(firsts.back() - firsts.front(), 2700);
    for (const query::CGameServer* record : log.done) {
        EXPECT_EQ(record->tries, query::kTriesAnswered);
        EXPECT_LT(record->ping, 1000);
        ASSERT_EQ(record->players.size(), 2u);
        EXPECT_EQ(record->players[0].name, "Al");
        EXPECT_EQ(record->players[1].team, query::TEAM_AXIS);
    }
    for (size_t i = 0; i < 10; ++i) {
        auto arrivals = r.peers.Arrivals(i);
        ASSERT_EQ(arrivals.size(), 1u) << "an answered server is asked once";
        EXPECT_EQ(arrivals[0].bytes, std::string("\xFF\xFF\xFF\xFFgetstatus\n\0", 15));
    }
}

TEST(QueryWorker, FastestClassAsksSilentServersTwiceAndGivesThemUp) {
    SRig r(100, Silent);
    int64_t start = net::ReadCounter();
    ASSERT_TRUE(r.run.StartWorker());
    SRunLog log = Drain(r.run, r.sink, 10000);
    double elapsed = CounterMs(start, net::ReadCounter());

    ASSERT_TRUE(log.ended);
    EXPECT_EQ(testsupport::ClusterSizes(FirstRequests(r.peers, 100, start), 60),
              (std::vector<int>{32, 32, 32, 4}));
    EXPECT_EQ(std::set<query::CGameServer*>(log.done.begin(), log.done.end()).size(), 100u);
    EXPECT_EQ(log.done.size(), 100u);
    for (const query::CGameServer* record : log.done) {
        EXPECT_EQ(record->ping, query::kPingNone);
        EXPECT_EQ(record->tries, query::kTriesGivenUp);
    }
    for (size_t i = 0; i < 100; ++i) {
        auto arrivals = r.peers.Arrivals(i);
        ASSERT_EQ(arrivals.size(), 2u);
        // The repeat goes out at the first tick more than 1200 ms after the first request; the
        // peers' arrival stamps carry their own thread's wake-up delay, hence the margin below 1200.
        double gap = CounterMs(arrivals[0].counter, arrivals[1].counter);
        EXPECT_GE(gap, 1150);
        EXPECT_LE(gap, 2000);
    }
    EXPECT_GE(elapsed, 2900); // last start at 600 ms, given up 2.4 to 2.8 s later
    EXPECT_LE(elapsed, 6000);
}

TEST(QueryPacer, DueRepeatsUseUpTheTickBudget) {
    CUdpPeers peers(12, Silent);
    query::CServerCollection servers = CollectionOf(peers, 12);
    for (auto& entry : servers)
        entry.second.Reset();
    net::CSockUDP endpoint;
    endpoint.Create();
    query::CQueryPacer pacer(servers, 4);
    std::vector<query::CGameServer*> handed;
    auto handOver = [&](query::CGameServer& s) { handed.push_back(&s); };
    std::vector<query::CGameServer*> order;
    for (auto& entry : servers)
        order.push_back(&entry.second);

    ASSERT_TRUE(pacer.Tick(endpoint, handOver));
    ASSERT_TRUE(pacer.Tick(endpoint, handOver));
    EXPECT_EQ(pacer.PendingCount(), 8u);
    // Five of the started records fall due for their repeat in the same tick.
    const int64_t longAgo = net::ReadCounter() - 2 * net::CounterFrequency();
    for (int i = 0; i < 5; ++i)
        order[i]->sendTime = longAgo;
    ASSERT_TRUE(pacer.Tick(endpoint, handOver));
    EXPECT_EQ(pacer.LastRepeats(), 5);
    EXPECT_EQ(pacer.LastStarted(), 0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(order[i]->tries, 2);
    EXPECT_EQ(order[8]->tries, 0);
    // With nothing due the next tick starts new records again.
    ASSERT_TRUE(pacer.Tick(endpoint, handOver));
    EXPECT_EQ(pacer.LastRepeats(), 0);
    EXPECT_EQ(pacer.LastStarted(), 4);
    EXPECT_TRUE(handed.empty());

    // The peers saw exactly that: two requests for the first five, one for the three others.
    int64_t deadline = net::ReadCounter() + 3 * net::CounterFrequency();
    while (peers.TotalArrivals() < 17 && net::ReadCounter() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(peers.TotalArrivals(), 17u);

    // Given-up and answered records leave at the next tick, in start order.
    for (int i = 0; i < 5; ++i)
        order[i]->sendTime = longAgo;
    pacer.OnDatagram(order[5]->address, "\xFF\xFF\xFF\xFFstatusResponse\n");
    ASSERT_TRUE(pacer.Tick(endpoint, handOver));
    EXPECT_EQ(handed,
              (std::vector<query::CGameServer*>{order[0], order[1], order[2], order[3], order[4], order[5]}));
}

TEST(QueryPacer, DatagramsOutsideTheRunChangeNothing) {
    query::CServerCollection servers;
    net::CSockAddr asked(0x7F000001, 30001), notAsked(0x7F000001, 30002);
    servers.Store(query::CGameServer(asked));
    servers.Store(query::CGameServer(notAsked));
    net::CSockUDP endpoint;
    endpoint.Create(net::CSockAddr(0x7F000001, 0));
    query::CQueryPacer pacer(servers, 1);
    ASSERT_TRUE(pacer.Tick(endpoint, [](query::CGameServer&) {}));
    const query::CGameServer* first = servers.Find(asked);
    const query::CGameServer* second = servers.Find(notAsked);
    ASSERT_EQ(first->tries, 1); // key order: the lower port first
    pacer.OnDatagram(notAsked, "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\early");
    pacer.OnDatagram(net::CSockAddr(0x7F000001, 30003), "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\x");
    pacer.OnDatagram(net::CSockAddr(0x7F000002, 30001), "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\x");
    EXPECT_EQ(second->tries, 0);
    EXPECT_EQ(second->name, "127.0.0.1:30002");
    EXPECT_EQ(first->tries, 1);
    pacer.OnDatagram(asked, "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\late");
    EXPECT_EQ(first->tries, query::kTriesAnswered);
    EXPECT_EQ(first->name, "late");
}

TEST(QueryWorker, SpeedIndexIsClampedAndAnEmptyCollectionEndsAtOnce) {
    const int cases[][3] = {{-5, 0, 1}, {0, 0, 1}, {1, 1, 2}, {2, 2, 4}, {4, 4, 16}, {5, 5, 32}, {6, 5, 32}};
    query::CServerCollection servers;
    query::CQueueSink sink;
    query::CQueryRun run(servers, sink);
    for (const auto& [index, clamped, perTick] : cases) {
        SCOPED_TRACE(index);
        EXPECT_EQ(query::RequestsPerTick(index), perTick);
        run.SetSpeedIndex(index);
        EXPECT_EQ(run.SpeedIndex(), clamped);
    }
    ASSERT_TRUE(run.StartWorker());
    SRunLog log = Drain(run, sink, 3000);
    EXPECT_TRUE(log.ended);
    EXPECT_TRUE(log.done.empty() && log.errors.empty());
    EXPECT_FALSE(run.IsRunning());
}

TEST(QueryWorker, StopHandsOverNothingMoreAndRestartResetsEverything) {
    SRig r(40, Answering, 1); // two per tick: 4 s for all of them
    ASSERT_TRUE(r.run.StartWorker());
    const unsigned first = r.run.RunNumber();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));

    // A second start while the run goes changes nothing.
    EXPECT_FALSE(r.run.StartWorker());
    EXPECT_EQ(r.run.RunNumber(), first);
    EXPECT_EQ(r.run.ServersToQuery(), 40);
    EXPECT_TRUE(r.run.IsRunning());

    ASSERT_TRUE(r.run.StopWorker(5000));
    EXPECT_FALSE(r.run.IsRunning());
    size_t queued = r.sink.Size();
    size_t asked = r.peers.TotalArrivals();
    std::vector<size_t> askedBefore;
    for (size_t i = 0; i < 40; ++i)
        askedBefore.push_back(r.peers.Arrivals(i).size());
    EXPECT_GT(asked, 0u);
    EXPECT_LT(asked, 40u);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_EQ(r.sink.Size(), queued) << "nothing is handed over after the stop";
    EXPECT_EQ(r.peers.TotalArrivals(), asked) << "nothing is sent after the stop";
    EXPECT_TRUE(r.run.StopWorker(0)) << "stopping again is harmless";

    // The old run's results still queued are stale for the new run.
    ASSERT_TRUE(r.run.StartWorker());
    EXPECT_EQ(r.run.RunNumber(), first + 1);
    EXPECT_EQ(r.run.ServersToQuery(), 40);
    SRunLog log = Drain(r.run, r.sink, 12000);
    ASSERT_TRUE(log.ended);
    EXPECT_EQ(log.done.size(), 40u);
    EXPECT_EQ(r.run.ServersToQuery(), 0);
    EXPECT_EQ(log.stale, queued - 1) << "every result of the stopped run is dropped";
    EXPECT_GT(log.stale, 0u);
    for (size_t i = 0; i < 40; ++i)
        EXPECT_EQ(r.peers.Arrivals(i).size(), askedBefore[i] + 1) << i;
}

TEST(QueryWorker, GarbageNeverStallsTheRun) {
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
    };
    SRig r(
        9,
        [&](size_t peer, int, const std::string&) {
            return peer < 5 ? answers[peer] : std::vector<SAnswer>{};
        },
        5, stranger);
    ASSERT_TRUE(r.run.StartWorker());
    SRunLog log = Drain(r.run, r.sink, 8000);
    ASSERT_TRUE(log.ended);
    EXPECT_TRUE(log.errors.empty());
    ASSERT_EQ(log.done.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        const query::CGameServer* record = r.servers.Find(r.peers.Address(i));
        EXPECT_EQ(record->tries, i < 5 ? query::kTriesAnswered : query::kTriesGivenUp);
    }
    EXPECT_EQ(r.servers.Find(r.peers.Address(3))->players.size(), 1u);
    EXPECT_EQ(r.servers.Find(r.peers.Address(4))->variables.size(), 1u) << "a second reply is ignored";
    EXPECT_EQ(r.peers.Arrivals(stranger).size(), 0u);
}

TEST(QueryWorker, HostileRepliesDoNotStallTheStopEvent) {
    const std::string hostile = testsupport::HostileStatusReply();
    SRig hostiles(
        40,
        [&](size_t peer, int, const std::string&) {
            return std::vector<SAnswer>{{peer, hostile}};
        },
        3);
    ASSERT_TRUE(hostiles.run.StartWorker());
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    const int64_t stop = net::ReadCounter();
    EXPECT_TRUE(hostiles.run.StopWorker(2000));
    EXPECT_LT(CounterMs(stop, net::ReadCounter()), 250);
    EXPECT_GT(hostiles.peers.TotalArrivals(), 8u) << "hostile servers were answering";
}

TEST(QueryWorker, ReplyAfterOneSecondStaysAnsweredAtItsHandOver) {
    // The reply comes 1.1 s after the request; it is handed over at a tick past the 1.2 s time-out.
    SRig r(1, [](size_t peer, int index, const std::string&) {
        if (index > 0)
            return std::vector<SAnswer>{};
        return std::vector<SAnswer>{{peer, testsupport::StatusReply("late", {"1 2 \"p\""}), 1100}};
    });
    ASSERT_TRUE(r.run.StartWorker());
    SRunLog log = Drain(r.run, r.sink, 6000);
    ASSERT_EQ(log.done.size(), 1u);
    EXPECT_EQ(log.done[0]->tries, query::kTriesAnswered);
    EXPECT_GE(log.done[0]->ping, 1100);
    EXPECT_EQ(log.done[0]->name, "late");
}

// A sink that fails while taking a result: the failure reaches the receiver, the run ends.
class CThrowingSink : public query::CQueueSink {
public:
    explicit CThrowingSink(bool typed) : m_typed(typed) {}
    void OnServerDone(unsigned, query::CGameServer&) override {
        if (m_typed)
            throw base::CError("sink refused the record");
        throw std::runtime_error("not a library error");
    }

private:
    bool m_typed;
};

TEST(QueryWorker, AnEscapingExceptionIsReported) {
    const std::pair<bool, const char*> cases[] = {{true, "sink refused the record"},
                                                  {false, "Unhandled Unknown Exception!"}};
    for (const auto& [typed, message] : cases) {
        SCOPED_TRACE(message);
        CUdpPeers peers(2, Answering);
        query::CServerCollection servers = CollectionOf(peers, 2);
        CThrowingSink sink(typed);
        query::CQueryRun run(servers, sink);
        ASSERT_TRUE(run.StartWorker());
        SRunLog log = Drain(run, sink, 5000);
        ASSERT_TRUE(log.ended);
        EXPECT_EQ(log.errors, std::vector<std::string>{message});
        EXPECT_FALSE(run.IsRunning());
        EXPECT_TRUE(run.StartWorker()) << "a new run may start after a failed one";
        EXPECT_TRUE(run.StopWorker());
    }
}

} // namespace
