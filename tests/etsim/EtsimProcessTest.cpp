// etsim as a black box: started as a process, asked over loopback UDP, compared with its own dump
// and event log.
#include "support/Etsim.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <thread>

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;
using nlohmann::json;
const std::string kHeader("\xFF\xFF\xFF\xFFgetserversResponse", 22);
const std::string kStatusHeader("\xFF\xFF\xFF\xFFstatusResponse\n", 19);

// The entries of a whole master reply, read strictly: every datagram is the header and whole 7-byte
// entries, and the last one alone ends with "\EOT". Sorted.
std::vector<SEndpoint> Entries(const std::vector<SDatagram>& datagrams) {
    std::vector<SEndpoint> all;
    for (const SDatagram& d : datagrams) {
        const bool last = &d == &datagrams.back();
        const size_t end = d.data.size() - (last ? 4 : 0);
        const bool whole = d.data.starts_with(kHeader) && d.data.ends_with("\\EOT") == last &&
                           (end - kHeader.size()) % 7 == 0;
        EXPECT_TRUE(whole) << "malformed master datagram";
        for (size_t pos = kHeader.size(); whole && pos + 7 <= end; pos += 7) {
            auto b = [&](size_t i) -> uint32_t { return static_cast<uint8_t>(d.data[pos + i]); };
            EXPECT_EQ(d.data[pos], '\\');
            all.push_back(
                {b(1) << 24 | b(2) << 16 | b(3) << 8 | b(4), static_cast<uint16_t>(b(5) << 8 | b(6))});
        }
    }
    std::sort(all.begin(), all.end());
    return all;
}

// The servers a master lists for the filter words, each duplicated one twice, in sorted order.
std::vector<SEndpoint> Listed(const json& dump, bool full, bool empty) {
    std::vector<SEndpoint> list;
    for (const auto& s : dump["servers"])
        if ((full || !s["full"].get<bool>()) && (empty || !s["empty"].get<bool>()))
            list.insert(list.end(), s["duplicated"].get<bool>() ? 2 : 1,
                        *ParseEndpoint(s["address"].get<std::string>()));
    std::sort(list.begin(), list.end());
    return list;
}

// Stops etsim with `sig`; it ends cleanly and completes its log.
SLog StopAndReadLog(CEtsimProcess& sim, int sig) {
    sim.Signal(sig);
    EXPECT_EQ(sim.Wait(10000), 0) << "a clean exit on signal " << sig; // -1 unless it exited
    SLog log = ParseLog(ReadFile(sim.LogPath()));
    EXPECT_TRUE(log.endMs.has_value()) << "signal " << sig;
    return log;
}

TEST(EtsimMaster, FilterWordsProtocolDuplicatesAndOddAddressBytes) {
    CEtsimProcess sim({"--servers", "30", "--empty", "30%", "--full", "20%", "--per-datagram", "4",
                       "--protocol", "84", "--seed", "3", "--duplicates", "3", "--odd-entries", "6"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    const auto& dump = sim.Dump();
    for (const std::string words : {"84", "84 full", "84 empty", "84 empty full"}) {
        SCOPED_TRACE(words);
        CUdpClient client;
        client.Send(sim.Master(), MasterRequestText(words));
        auto datagrams = client.ReceiveMasterReply(3000);
        const auto listed = Listed(dump, words.find("full") != words.npos, words.find("empty") != words.npos);
        EXPECT_EQ(Entries(datagrams), listed);
        EXPECT_EQ(datagrams.size(), (listed.size() + 3) / 4) << "four entries a datagram";
    }
    std::map<std::string, int> flagged;
    for (const auto& s : dump["servers"])
        for (const char* flag : {"full", "empty", "duplicated", "odd_bytes"})
            flagged[flag] += s[flag].get<bool>();
    EXPECT_EQ(flagged,
              (std::map<std::string, int>{{"full", 6}, {"empty", 9}, {"duplicated", 3}, {"odd_bytes", 6}}));
    CUdpClient client;
    for (const std::string& request :
         {MasterRequestText("82"), MasterRequestText("83 full empty"),
          std::string("\xFF\xFF\xFF\xFFgetservers", 14), std::string("getservers 84")})
        client.Send(sim.Master(), request);
    EXPECT_TRUE(client.ReceiveUntilQuiet(150).empty()) << "wrong protocols and bad requests go unanswered";
    std::map<std::string, int> ignored;
    for (const SLogLine& e : StopAndReadLog(sim, SIGTERM).events)
        ignored[e.detail] += e.kind == "mignore";
    EXPECT_EQ(std::make_pair(ignored["protocol"], ignored["bad"]), std::make_pair(2, 2));
}

TEST(EtsimMaster, AnswersOnlyTheChosenRequestsAndEachStopSignalEndsTheRun) {
    const std::tuple<std::string, std::vector<bool>, int> cases[] = {
        {"2", {false, true, false}, SIGINT},
        {"2+", {false, true, true}, SIGHUP}}; // "never" is left to the headless tool's test
    for (const auto& [which, answered, sig] : cases) {
        SCOPED_TRACE(which);
        CEtsimProcess sim({"--servers", "4", "--empty", "0", "--master-answer", which});
        ASSERT_TRUE(sim.Ready()) << sim.Stderr();
        CUdpClient client;
        for (size_t i = 0; i < answered.size(); ++i) {
            client.Send(sim.Master(), MasterRequestText("84"));
            auto datagrams = answered[i] ? client.ReceiveMasterReply(3000) : client.ReceiveUntilQuiet(150);
            EXPECT_EQ(!datagrams.empty(), answered[i]) << "request " << i + 1;
        }
        StopAndReadLog(sim, sig);
    }
}

// The reply a server's dump entry describes: the variables line and one line per player.
std::string ExpectedReply(const json& s) {
    std::string reply = kStatusHeader;
    for (const auto& v : s["variables"])
        reply += "\\" + v[0].get<std::string>() + "\\" + v[1].get<std::string>();
    reply += "\n";
    for (const auto& p : s["players"])
        reply += p["score"].dump() + " " + p["ping"].dump() + " " + p["name"].get<std::string>() + "\n";
    return reply;
}

TEST(EtsimStatus, EveryServerAnswersAsTheDumpSays) {
    CEtsimProcess sim({"--servers", "40", "--silent", "3", "--second-only", "3", "--malformed", "6",
                       "--huge-bytes", "20000", "--odd-case", "25%", "--seed", "7", "--ports-per-address",
                       "3", "--odd-entries", "6"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    CUdpClient client;
    std::map<SEndpoint, std::vector<std::string>> replies;
    for (int round = 0; round < 2; ++round) {
        for (const SEndpoint& a : sim.ServerAddresses())
            client.Send(a, kStatusRequest);
        for (SDatagram& d : client.ReceiveUntilQuiet(300))
            replies[d.from].push_back(std::move(d.data));
        for (const SEndpoint& a : sim.ServerAddresses())
            replies[a].resize(round + 1); // an empty text marks "no reply in this round"
    }
    std::map<std::string, int> kinds;
    for (const auto& s : sim.Dump()["servers"]) {
        const std::string address = s["address"], malformed = s["malformed"];
        SCOPED_TRACE(address);
        const auto& r = replies[*ParseEndpoint(address)];
        const bool silent = s["silent"], secondOnly = s["second_only"];
        ++kinds[silent ? "silent" : secondOnly ? "second" : malformed];
        kinds["odd case"] += s["odd_case"].get<bool>();
        kinds["odd bytes"] += s["odd_bytes"].get<bool>(); // an address with 00 and 5C bytes answers too
        const std::string expected = ExpectedReply(s);
        if (silent) {
            EXPECT_TRUE(r[0].empty() && r[1].empty());
            continue;
        }
        EXPECT_EQ(r[1].size(), s["reply_bytes"].get<size_t>());
        EXPECT_TRUE(secondOnly ? r[0].empty() : r[0] == r[1]) << "no first answer, or the same datagram";
        const bool intact = r[1] == expected;
        const std::map<std::string, bool> fits = {
            {"none", intact},
            {"huge", intact && r[1].size() >= 20000u && s["players"].size() > s["max_clients"].get<size_t>()},
            {"garbage", !r[1].starts_with(kStatusHeader)},
            {"truncated", r[1].size() < expected.size() && expected.starts_with(r[1])}};
        EXPECT_TRUE(fits.at(malformed)) << malformed;
        // The dump's names, numbers and teams are checked end to end against the program's parser.
        EXPECT_TRUE(!intact ||
                    s["odd_case"].get<bool>() == (r[1].find("\\sv_hostname\\") == std::string::npos));
    }
    const std::map<std::string, int> expectedKinds = {{"silent", 3},    {"second", 3},   {"garbage", 2},
                                                      {"truncated", 2}, {"huge", 2},     {"none", 28},
                                                      {"odd case", 10}, {"odd bytes", 6}};
    EXPECT_EQ(kinds, expectedKinds);
}

TEST(EtsimStatus, LatenciesComeFromTimersNotFromSleeping) {
    const int servers = 16;
    CEtsimProcess sim({"--servers", std::to_string(servers), "--latency", "100-120", "--per-datagram", "10",
                       "--master-latency", "150-150"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    CUdpClient client;
    std::map<SEndpoint, Clock::time_point> sent;
    const auto start = Clock::now();
    client.Send(sim.Master(), MasterRequestText("84 full empty"));
    for (const SEndpoint& a : sim.ServerAddresses()) {
        sent[a] = Clock::now(); // before the send: a pause after it must not shorten the measured time
        client.Send(a, kStatusRequest);
    }
    int received = 0, masterDatagrams = 0;
    while (received < servers || masterDatagrams < 2) {
        const auto d = client.Receive(2000);
        ASSERT_TRUE(d.has_value()) << received << " replies, " << masterDatagrams << " master datagrams";
        const auto now = Clock::now();
        if (d->from == sim.Master()) {
            EXPECT_GE(now - start, std::chrono::milliseconds(150)) << "the whole master reply waits";
            ++masterDatagrams;
            continue;
        }
        const auto rtt = std::chrono::duration_cast<std::chrono::milliseconds>(now - sent[d->from]).count();
        EXPECT_TRUE(rtt >= 100 && rtt < 120 + 600) << "generous margin for a loaded machine: " << rtt;
        ++received;
    }
    // One reply after the other would take at least 16 x 100 ms.
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
}

TEST(EtsimLog, RecordsArrivalsWritesOnSigusr1AndLifetimeEndsTheRun) {
    const auto start = Clock::now();
    CEtsimProcess sim({"--servers", "3", "--silent", "1", "--empty", "0", "--full", "0", "--lifetime", "3",
                       "--master", "127.0.0.1:0", "--quiet"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    EXPECT_TRUE(sim.Master().ip == 0x7F000001u && sim.Master().port != 0);
    EXPECT_EQ(sim.Dump()["master"], sim.MasterText());
    CUdpClient client;
    const auto servers = sim.ServerAddresses();
    const auto before = Clock::now();
    for (int round = 0; round < 2; ++round) {
        for (const SEndpoint& a : servers)
            client.Send(a, kStatusRequest);
        client.ReceiveUntilQuiet(150);
    }
    client.Send(servers[0], "hello");
    client.Send(sim.Master(), MasterRequestText("84 full"));
    client.ReceiveUntilQuiet(150);
    const auto after = Clock::now();
    sim.Signal(SIGUSR1);
    SLog snapshot;
    for (int i = 0; i < 200 && snapshot.events.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        snapshot = ParseLog(ReadFile(sim.LogPath()));
    }
    EXPECT_EQ(sim.Wait(15000), 0);
    EXPECT_GE(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(sim.Stdout(), sim.MasterText() + "\n") << "the master's address alone, even when quiet";
    const SLog log = ParseLog(ReadFile(sim.LogPath()));
    EXPECT_GE(log.endMs.value_or(0), 3000.0);
    EXPECT_EQ(snapshot.events.size(), log.events.size()) << "SIGUSR1 wrote every event so far";
    // The log's clock is CLOCK_MONOTONIC, which steady_clock reads on Linux.
    const auto logMs = [&](Clock::time_point t) {
        return std::chrono::duration<double, std::milli>(t.time_since_epoch()).count() -
               log.startMonotonicNs / 1e6;
    };
    double last = logMs(before);
    std::map<std::string, std::string> byTarget; // "<kind> <n> <detail>; " per target
    for (const SLogLine& e : log.events) {
        EXPECT_EQ(e.peer, AddressText(client.Local()));
        EXPECT_GE(e.ms, last) << "events in time order, after the first request";
        last = e.ms;
        byTarget[e.target] += e.kind + " " + std::to_string(e.n) + " " + e.detail + "; ";
    }
    EXPECT_LE(last, logMs(after));
    for (int i = 0; i < 3; ++i) {
        const auto& s = sim.Dump()["servers"][i];
        const auto round = [&](const std::string& n) {
            return "request " + n + " exact; " +
                   (s["silent"].get<bool>() ? "ignore " + n + " silent; "
                                            : "reply " + n + " " + s["reply_bytes"].dump() + "; ");
        };
        EXPECT_EQ(byTarget[AddressText(servers[i])],
                  round("1") + round("2") + (i == 0 ? "request 3 bad; ignore 3 bad; " : ""));
    }
    EXPECT_EQ(byTarget[sim.MasterText()], "mrequest 1 84,full; mreply 1 3; ");
    ASSERT_EQ(log.totals.size(), 4u);
    const bool silent = sim.Dump()["servers"][0]["silent"];
    EXPECT_EQ(log.totals[0], (std::vector<std::string>{AddressText(servers[0]), "3", silent ? "0" : "2"}));
    EXPECT_EQ(log.totals[3], (std::vector<std::string>{sim.MasterText(), "1", "1"}));
}

TEST(EtsimStartup, RefusesAddressesOutsideLoopback) {
    const std::vector<std::vector<std::string>> cases = {
        {"--base-address", "10.0.0.1"},
        {"--master", "0.0.0.0:27950"},
        {"--base-address", "127.255.255.250", "--servers", "20"}};
    for (const auto& args : cases) {
        SCOPED_TRACE(args[1]);
        CEtsimProcess sim(args, false);
        EXPECT_EQ(sim.Wait(10000), 2);
        EXPECT_NE(sim.Stderr().find("127.0.0.0/8"), std::string::npos) << sim.Stderr();
        EXPECT_EQ(sim.Stdout(), "");
    }
}

TEST(EtsimMaster, SeveralMastersOverlapOneSilentOneForeign) {
    CEtsimProcess sim({"--servers", "30", "--empty", "0", "--full", "0", "--masters", "3", "--silent-masters",
                       "1", "--foreign-masters", "1", "--legacy", "100%", "--malformed", "1",
                       "--malformed-kinds", "hostile"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    const json& dump = sim.Dump();
    ASSERT_EQ(dump["masters"].size(), 3u);
    ASSERT_EQ(dump["foreign_masters"].size(), 1u);
    EXPECT_EQ(dump["masters"][0], sim.MasterText());
    std::vector<size_t> sizes;
    for (const auto& text :
         {dump["masters"][0], dump["masters"][1], dump["masters"][2], dump["foreign_masters"][0]}) {
        CUdpClient client;
        const SEndpoint master = *ParseEndpoint(text.get<std::string>());
        client.Send(master, MasterRequestText("84"));
        const auto datagrams = client.ReceiveMasterReply(1000);
        for (const auto& d : datagrams)
            EXPECT_EQ(d.from == master, text != dump["foreign_masters"][0]) << text;
        const auto entries = Entries(datagrams);
        sizes.push_back(std::set<SEndpoint>(entries.begin(), entries.end()).size());
        EXPECT_TRUE(text != dump["foreign_masters"][0] ||
                    std::count(entries.begin(), entries.end(), sim.ServerAddresses()[0]) == 0);
    }
    // Each of the two answering masters lists two of three parts; the silent one nothing.
    EXPECT_EQ(sizes, (std::vector<size_t>{20, 20, 0, 1}));
    size_t hostile = 0;
    for (const auto& s : dump["servers"]) {
        const std::string variables = s["variables"].dump(); // a legacy server sends "P" for the team lists
        EXPECT_TRUE(variables.find("[\"P\",") != std::string::npos &&
                    variables.find("players_a") == std::string::npos);
        hostile += s["malformed"] == "hostile" && s["reply_bytes"] == 65507;
    }
    EXPECT_EQ(hostile, 1u);
}

} // namespace
} // namespace testsupport
