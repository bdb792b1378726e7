// The master query over UDP against masters inside the test: probe timing, the collect phase's end,
// several masters, foreign senders, the caps and the stop event.
#include "query/MasterQuery.h"
#include "UdpPeers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <string>

using testsupport::AddressTexts;
using testsupport::CounterMs;
using testsupport::CUdpPeers;
using testsupport::MasterEntry;
using testsupport::SAnswer;

namespace {

const std::string& kHeader = testsupport::kMasterHeader;
const std::string kEot = std::string("\\EOT\0\0\0", 7);

const auto None = [](auto&&...) { return std::vector<SAnswer>{}; };

struct STimedResult {
    query::SMasterResult result;
    double ms;
    double cpuMs; // of the asking thread: waiting for the masters costs next to none
};

double ThreadCpuMs() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) {
        return static_cast<double>(uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
#else
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
#endif
}

// Asks the given peers of `masters`, then the other `entries`, and times the whole query.
STimedResult Ask(const CUdpPeers& masters, std::vector<size_t> peers, net::SyncHandle stop = nullptr,
                 std::vector<query::SMasterEntry> entries = {}) {
    for (size_t i = 0; i < peers.size(); ++i)
        entries.insert(entries.begin() + i, {"127.0.0.1", masters.Address(peers[i]).GetPort()});
    const int64_t start = net::ReadCounter();
    const double cpu = ThreadCpuMs();
    query::SMasterResult result = query::QueryMasters(query::ResolveMasters(entries),
                                                      query::BuildMasterRequest(84, false, false), stop);
    return {std::move(result), CounterMs(start, net::ReadCounter()), ThreadCpuMs() - cpu};
}

TEST(MasterQuery, SilentMasterIsProbedThriceAndAnAnswerToTheThirdProbeWaitsFourSecondsOfQuiet) {
    std::atomic<int64_t> lastAnswer{0}; // written by the peers' thread
    CUdpPeers masters(2, [&](size_t peer, int index, const std::string&) {
        if (peer == 0 || index < 2)
            return None();
        lastAnswer = net::ReadCounter();
        return std::vector<SAnswer>{
            {1, kHeader + MasterEntry(10, 1, 1, 1, 27960) + MasterEntry(10, 1, 1, 2, 27960)},
            {1, kHeader + MasterEntry(10, 1, 1, 2, 27960) + MasterEntry(10, 1, 1, 3, 1)}};
    });
    STimedResult r = Ask(masters, {0, 1});
    const int64_t end = net::ReadCounter();

    // Named in the text only when the list was collected.
    EXPECT_EQ(query::MasterOutcomeText(r.result),
              "No response from master server " + masters.Address(0).ToText() + ".");
    // Datagrams: two answers to the third probe and two to the collect request.
    EXPECT_EQ(std::make_tuple(r.result.quietMs, r.result.datagrams, masters.Arrivals(1).size()),
              std::make_tuple(4000, 4, size_t{4}));
    EXPECT_TRUE(CounterMs(lastAnswer, end) >= 3950 && CounterMs(lastAnswer, end) <= 5500);
    EXPECT_LT(r.cpuMs, 250) << "of " << r.ms << " ms waiting";
    EXPECT_EQ(AddressTexts(r.result.servers),
              (std::vector<std::string>{"10.1.1.1:27960", "10.1.1.2:27960", "10.1.1.3:1"}));
    EXPECT_TRUE(r.result.masters[1].entries == 3 && !r.result.masters[1].complete);
    const auto probes = masters.Arrivals(0);
    ASSERT_EQ(probes.size(), 3u);
    for (int i : {0, 1}) {
        EXPECT_EQ(probes[i].bytes, std::string("\xFF\xFF\xFF\xFFgetservers 84\0", 18));
        // The waits between the probes grow: 1000 ms, then 1500 ms.
        const double wait = CounterMs(probes[i].counter, probes[i + 1].counter);
        EXPECT_TRUE(wait >= 950 + 500 * i && wait <= 1450 + 500 * i) << wait;
    }
}

TEST(MasterQuery, TwoMastersDeduplicatedAndEndingSoonAfterTheLastEndMarker) {
    std::atomic<int64_t> lastEndMarker{0}; // written by the peers' thread
    CUdpPeers masters(2, [&](size_t peer, int, const std::string&) {
        lastEndMarker = net::ReadCounter();
        if (peer == 0)
            return std::vector<SAnswer>{
                {0, kHeader + MasterEntry(10, 0, 0, 1, 27960) + MasterEntry(10, 0, 0, 2, 27960)},
                {0, kHeader + MasterEntry(10, 0, 0, 3, 27960) + kEot}};
        return std::vector<SAnswer>{{1, kHeader + MasterEntry(10, 0, 0, 3, 27960) +
                                            MasterEntry(0, 0, 0, 0, 27960) +
                                            MasterEntry(239, 1, 1, 1, 27960) + MasterEntry(10, 0, 0, 9, 0) +
                                            MasterEntry(10, 0, 0, 4, 27960) + kEot}};
    });
    STimedResult r = Ask(masters, {0, 1});
    const int64_t end = net::ReadCounter();

    ASSERT_EQ(r.result.outcome, query::MasterOutcome::COLLECTED);
    EXPECT_EQ(query::MasterOutcomeText(r.result), "");
    EXPECT_EQ(r.result.servers.size(), 4u); // 10.0.0.1 to .4 once each; the unusable entries dropped
    EXPECT_EQ(std::make_pair(r.result.masters[0].entries, r.result.masters[1].entries), std::make_pair(3, 2));
    EXPECT_TRUE(r.result.masters[0].complete && r.result.masters[1].complete);
    EXPECT_TRUE(CounterMs(lastEndMarker, end) >= 95 && CounterMs(lastEndMarker, end) <= 200);
}

TEST(MasterQuery, HundredThousandEntriesAreCappedAndAMasterAnsweringFromAForeignPortIsGivenUp) {
    CUdpPeers master(1, [&](size_t, int index, const std::string&) {
        std::vector<SAnswer> answers; // 100 datagrams of 1000 entries each, to the first probe
        for (int d = 0; d < 100 && index == 0; ++d) {
            std::string datagram = kHeader;
            for (int n = d * 1000; n < d * 1000 + 1000; ++n)
                datagram += MasterEntry(10, n >> 16, (n >> 8) & 0xFF, n & 0xFF, 27960);
            answers.push_back({0, datagram + (d == 99 ? kEot : ""), 5});
        }
        return answers;
    });
    // Asked too, on a serving thread of its own: peer 0, answering only from peer 1's port, not asked.
    CUdpPeers foreign(2, [&](size_t, int, const std::string&) {
        return std::vector<SAnswer>{{1, kHeader + MasterEntry(10, 6, 6, 6, 27960) + kEot}};
    });
    STimedResult r = Ask(master, {0}, nullptr,
                         {{"127.0.0.1", foreign.Address(0).GetPort()}, {"no-such-host.invalid", 27950}});

    ASSERT_EQ(query::MasterOutcomeText(r.result), "No response from master server " +
                                                      foreign.Address(0).ToText() +
                                                      ", no-such-host.invalid:27950 (not found).");
    EXPECT_FALSE(r.result.masters[1].answered);
    // Given up after its first wait once the other list is complete: not probed a third time, and the
    // query ends long before a silent master's 4.5 s.
    EXPECT_TRUE(foreign.Arrivals(0).size() < 3 && r.ms >= 990 && r.ms < 2500) << r.ms;
    EXPECT_EQ(r.result.servers.size(), query::kMasterMaxServers);
    EXPECT_NE(query::MasterCapText(r.result).find("65536"), std::string::npos) << "not capped: " << r.ms;
}

TEST(MasterQuery, StopEventEndsAtOnceAndBadAddressesSendNothing) {
    CUdpPeers master(1, None);
    net::CSyncEvent stop;
    stop.Set();
    STimedResult r = Ask(master, {0}, stop.Handle());
    EXPECT_TRUE(r.result.outcome == query::MasterOutcome::STOPPED && r.ms <= 250) << r.ms;

    // The text names the outcome.
    for (const char* host : {"", "0.0.0.0", "255.255.255.255", "no-such-host.invalid"})
        EXPECT_EQ(query::MasterOutcomeText(query::QueryMasters(query::ResolveMasters({{host, 27950}}), "x")),
                  "The master server address could not be resolved.")
            << host;
}

} // namespace
