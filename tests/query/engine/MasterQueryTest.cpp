// The master query over UDP against a master inside the test: probe timing, the collect phase's quiet
// time, the failure outcomes.
#include "query/MasterQuery.h"
#include "UdpPeers.h"

#include <gtest/gtest.h>

#include <string>

using enginetest::CAnswer;
using enginetest::CounterMs;
using enginetest::CUdpPeers;

namespace {

const std::string& HEADER = enginetest::MASTER_HEADER;
using enginetest::MasterEntry;

query::CServerCollection OldCollection() {
    query::CServerCollection servers;
    servers.Store(query::CGameServer(net::CSockAddr(0x0A000009, 27960), "Old"));
    return servers;
}

TEST(MasterQuery, SilentMasterGivesNoResponseAndKeepsTheCollection) {
    CUdpPeers master(1, [](size_t, int, const std::string&) { return std::vector<CAnswer>{}; });
    query::CServerCollection servers = OldCollection();
    const std::string request = query::BuildMasterRequest(82, false, false);

    int64_t start = net::ReadCounter();
    query::CMasterResult result = query::QueryMaster(master.Address(0), request, servers);
    double elapsed = CounterMs(start, net::ReadCounter());

    EXPECT_EQ(result.outcome, query::MasterOutcome::NO_RESPONSE);
    EXPECT_EQ(result.probesSent, 3);
    EXPECT_GE(elapsed, 4400);
    EXPECT_LE(elapsed, 6500);
    ASSERT_EQ(servers.Count(), 1u);
    EXPECT_EQ(servers.begin()->second.name, "Old");

    auto arrivals = master.Arrivals(0);
    ASSERT_EQ(arrivals.size(), 3u);
    const std::string wire("\xFF\xFF\xFF\xFFgetservers 82\0", 18);
    for (const auto& a : arrivals)
        EXPECT_EQ(a.bytes, wire);
    // The waits between the probes grow: 1000 ms, then 1500 ms.
    EXPECT_GE(CounterMs(arrivals[0].counter, arrivals[1].counter), 950);
    EXPECT_LE(CounterMs(arrivals[0].counter, arrivals[1].counter), 1450);
    EXPECT_GE(CounterMs(arrivals[1].counter, arrivals[2].counter), 1450);
    EXPECT_LE(CounterMs(arrivals[1].counter, arrivals[2].counter), 1950);
}

TEST(MasterQuery, AnswerToTheThirdProbeWaitsFourSecondsOfQuiet) {
    int64_t lastAnswer = 0;
    CUdpPeers master(1, [&](size_t, int index, const std::string&) {
        if (index < 2)
            return std::vector<CAnswer>{};
        lastAnswer = net::ReadCounter();
        return std::vector<CAnswer>{
            {0, HEADER + MasterEntry(10, 1, 1, 1, 27960) + MasterEntry(10, 1, 1, 2, 27960)},
            {0, HEADER + MasterEntry(10, 1, 1, 2, 27960) + "\\EOT\0\0\0"}};
    });
    query::CServerCollection servers = OldCollection();

    query::CMasterResult result =
        query::QueryMaster(master.Address(0), query::BuildMasterRequest(83, true, true), servers);
    int64_t end = net::ReadCounter();

    EXPECT_EQ(result.outcome, query::MasterOutcome::COLLECTED);
    EXPECT_EQ(result.probesSent, 3);
    EXPECT_EQ(result.quietMs, 4000);
    EXPECT_EQ(result.datagrams, 4); // two answers to the third probe and two to the collect request
    // The collect request was answered too; after the last answer the query waited out the quiet time.
    EXPECT_EQ(master.Arrivals(0).size(), 4u);
    EXPECT_GE(CounterMs(lastAnswer, end), 3950);
    EXPECT_LE(CounterMs(lastAnswer, end), 5500);
    ASSERT_EQ(servers.Count(), 2u); // the old record is gone, the duplicate gives one record
    EXPECT_NE(servers.Find(net::CSockAddr(0x0A010101, 27960)), nullptr);
    EXPECT_NE(servers.Find(net::CSockAddr(0x0A010102, 27960)), nullptr);
    EXPECT_EQ(master.Arrivals(0)[0].bytes, std::string("\xFF\xFF\xFF\xFFgetservers 83 full empty\0", 29));
}

TEST(MasterQuery, GarbageDatagramsAreReadAsFarAsTheyGo) {
    std::string huge(60000, '\x5C');
    for (size_t i = 0; i < huge.size(); i += 3)
        huge[i] = char(i * 7);
    CUdpPeers master(2, [&](size_t, int, const std::string&) {
        return std::vector<CAnswer>{
            {0, "\xFF"},
            {0, std::string(1, '\\')},
            {0, huge},
            {0, std::string("\0\0\0\\\x01", 5)},
            {1, HEADER + MasterEntry(10, 2, 2, 2, 27960)}, // from another sender: read too
            {0, HEADER + MasterEntry(10, 2, 2, 3, 27960) + "\\EOT"}};
    });
    query::CServerCollection servers;
    query::CMasterResult result =
        query::QueryMaster(master.Address(0), query::BuildMasterRequest(82, false, true), servers);
    EXPECT_EQ(result.outcome, query::MasterOutcome::COLLECTED);
    EXPECT_EQ(result.quietMs, 2000);
    EXPECT_EQ(result.datagrams, 12);
    EXPECT_NE(servers.Find(net::CSockAddr(0x0A020202, 27960)), nullptr);
    EXPECT_NE(servers.Find(net::CSockAddr(0x0A020203, 27960)), nullptr);
    // Whatever the huge datagram listed was stored too; nothing crashed or stalled.
    EXPECT_GE(servers.Count(), 2u);
}

TEST(MasterQuery, UnresolvedOrEmptyAddressSendsNothing) {
    const char* texts[] = {"", ":27950", "0.0.0.0:27950", "127.0.0.1:0", "255.255.255.255:27950"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        net::CSockAddr master(text);
        query::CServerCollection servers = OldCollection();
        query::CMasterResult result =
            query::QueryMaster(master, query::BuildMasterRequest(82, 0, 0), servers);
        EXPECT_EQ(result.outcome, query::MasterOutcome::BAD_ADDRESS);
        EXPECT_EQ(result.probesSent, 0);
        EXPECT_EQ(servers.Count(), 1u);
    }
}

} // namespace
