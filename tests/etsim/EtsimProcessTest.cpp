// etsim as a black box: started as a process, asked over loopback UDP, compared with its own dump
// and event log.
#include "support/Etsim.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <thread>

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;
const std::string kHeader("\xFF\xFF\xFF\xFFgetserversResponse", 22);
const std::string kStatusHeader("\xFF\xFF\xFF\xFFstatusResponse\n", 19);

struct SMasterDatagram {
    std::vector<SEndpoint> entries;
    std::vector<std::string> raw; // the 7 bytes of each entry
    bool eot = false;
    bool wellFormed = false;
};

// Reads a reply datagram strictly: the header, whole 7-byte entries, and "\EOT" only at the very end.
SMasterDatagram ReadMasterDatagram(const std::string& d) {
    SMasterDatagram m;
    if (!d.starts_with(kHeader))
        return m;
    size_t pos = kHeader.size();
    while (pos < d.size()) {
        if (d.compare(pos, std::string::npos, "\\EOT") == 0) {
            m.eot = true;
            pos = d.size();
            break;
        }
        if (d[pos] != '\\' || pos + 7 > d.size())
            return m;
        auto b = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(d[pos + i])); };
        m.entries.push_back(
            {(b(1) << 24) | (b(2) << 16) | (b(3) << 8) | b(4), static_cast<uint16_t>((b(5) << 8) | b(6))});
        m.raw.push_back(d.substr(pos, 7));
        pos += 7;
    }
    m.wellFormed = pos == d.size();
    return m;
}

struct SStatus {
    std::vector<std::pair<std::string, std::string>> vars;
    std::vector<std::tuple<int, int, std::string>> players;
};

// Splits a status reply the simple way: the generated values hold no backslash outside quotes.
SStatus ReadStatus(const std::string& reply) {
    SStatus s;
    EXPECT_TRUE(reply.starts_with(kStatusHeader));
    size_t lineEnd = reply.find('\n', kStatusHeader.size());
    std::string vars = reply.substr(kStatusHeader.size(), lineEnd - kStatusHeader.size());
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos < vars.size()) {
        EXPECT_EQ(vars[pos], '\\');
        size_t next = vars.find('\\', pos + 1);
        parts.push_back(vars.substr(pos + 1, next == std::string::npos ? std::string::npos : next - pos - 1));
        pos = next;
    }
    EXPECT_EQ(parts.size() % 2, 0u);
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        s.vars.push_back({parts[i], parts[i + 1]});
    pos = lineEnd + 1;
    while (pos < reply.size()) {
        size_t end = reply.find('\n', pos);
        std::string line = reply.substr(pos, end - pos);
        size_t b1 = line.find(' ');
        size_t b2 = line.find(' ', b1 + 1);
        s.players.push_back({std::stoi(line.substr(0, b1)), std::stoi(line.substr(b1 + 1, b2 - b1 - 1)),
                             line.substr(b2 + 1)});
        EXPECT_NE(end, std::string::npos) << "every player line ends with a line feed";
        pos = end == std::string::npos ? reply.size() : end + 1;
    }
    return s;
}

std::set<int> Positions(const std::string& list) {
    std::set<int> out;
    std::istringstream in(list);
    std::string piece;
    while (in >> piece)
        out.insert(std::atoi(piece.c_str()));
    return out;
}

// The entries of a whole reply; every datagram well formed, "\EOT" in the last one only.
std::vector<SEndpoint> Entries(const std::vector<SDatagram>& datagrams) {
    std::vector<SEndpoint> all;
    for (const SDatagram& d : datagrams) {
        auto m = ReadMasterDatagram(d.data);
        EXPECT_TRUE(m.wellFormed);
        EXPECT_EQ(m.eot, &d == &datagrams.back());
        all.insert(all.end(), m.entries.begin(), m.entries.end());
    }
    return all;
}

std::vector<SEndpoint> DumpAddresses(const nlohmann::json& dump, bool full, bool empty) {
    std::vector<SEndpoint> list;
    for (const auto& s : dump["servers"]) {
        if ((full || !s["full"].get<bool>()) && (empty || !s["empty"].get<bool>()))
            list.push_back(*ParseEndpoint(s["address"].get<std::string>()));
    }
    return list;
}

TEST(EtsimMaster, FilterWordsAndProtocol) {
    CEtsimProcess sim({"--servers", "30", "--empty", "30%", "--full", "20%", "--per-datagram", "4",
                       "--protocol", "84", "--seed", "3"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    const auto& dump = sim.Dump();
    const std::tuple<std::string, bool, bool> answered[] = {{"84", false, false},
                                                            {"84 full", true, false},
                                                            {"84 empty", false, true},
                                                            {"84 empty full", true, true}};
    for (const auto& [words, full, empty] : answered) {
        SCOPED_TRACE(words);
        CUdpClient client;
        client.Send(sim.Master(), MasterRequestText(words));
        auto datagrams = client.ReceiveMasterReply(3000);
        for (const SDatagram& d : datagrams)
            EXPECT_EQ(d.from, sim.Master());
        EXPECT_EQ(Entries(datagrams), DumpAddresses(dump, full, empty));
    }
    EXPECT_EQ(DumpAddresses(dump, true, true).size() - DumpAddresses(dump, false, true).size(), 6u) << "full";
    EXPECT_EQ(DumpAddresses(dump, true, true).size() - DumpAddresses(dump, true, false).size(), 9u)
        << "empty";
    for (const std::string& request :
         {MasterRequestText("82"), MasterRequestText("83 full empty"),
          std::string("\xFF\xFF\xFF\xFFgetservers", 14), std::string("getservers 84")}) {
        CUdpClient client;
        client.Send(sim.Master(), request);
        EXPECT_TRUE(client.ReceiveUntilQuiet(150).empty()) << request;
    }
    sim.Signal(SIGTERM);
    ASSERT_TRUE(sim.Wait(10000).exited);
    std::map<std::string, int> ignored;
    for (const SLogLine& e : ParseLog(ReadFile(sim.LogPath())).events)
        ignored[e.detail] += e.kind == "mignore";
    EXPECT_EQ(ignored["protocol"], 2);
    EXPECT_EQ(ignored["bad"], 2);
}

TEST(EtsimMaster, DuplicatesAndOddAddressBytes) {
    CEtsimProcess sim(
        {"--servers", "20", "--duplicates", "3", "--odd-entries", "6", "--empty", "0", "--full", "0"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    CUdpClient client;
    client.Send(sim.Master(), MasterRequestText("84"));
    std::map<std::string, int> seen;
    std::set<std::string> oddRaw, odd;
    for (const SDatagram& d : client.ReceiveMasterReply(3000)) {
        auto m = ReadMasterDatagram(d.data);
        for (size_t i = 0; i < m.entries.size(); ++i) {
            ++seen[AddressText(m.entries[i])];
            // An odd entry holds both a 00 and a 5C byte after its leading backslash.
            if (m.raw[i].find('\0') != std::string::npos && m.raw[i].find('\\', 1) != std::string::npos)
                oddRaw.insert(AddressText(m.entries[i]));
        }
    }
    int duplicated = 0;
    for (const auto& s : sim.Dump()["servers"]) {
        const std::string a = s["address"];
        duplicated += s["duplicated"].get<bool>();
        EXPECT_EQ(seen[a], s["duplicated"].get<bool>() ? 2 : 1) << a;
        if (s["odd_bytes"].get<bool>())
            odd.insert(a);
    }
    EXPECT_EQ(duplicated, 3);
    EXPECT_EQ(odd.size(), 6u);
    EXPECT_EQ(oddRaw, odd);
    for (const std::string& a : odd)
        client.Send(*ParseEndpoint(a), kStatusRequest);
    std::set<std::string> answered;
    for (const SDatagram& d : client.ReceiveCount(odd.size(), 3000))
        answered.insert(AddressText(d.from));
    EXPECT_EQ(answered, odd);
}

TEST(EtsimMaster, AnswersOnlyTheChosenRequests) {
    const std::pair<std::string, std::vector<bool>> cases[] = {
        {"2", {false, true, false}}, {"2+", {false, true, true}}, {"never", {false, false, false}}};
    for (const auto& [which, answered] : cases) {
        SCOPED_TRACE(which);
        CEtsimProcess sim({"--servers", "4", "--empty", "0", "--master-answer", which});
        ASSERT_TRUE(sim.Ready()) << sim.Stderr();
        CUdpClient client;
        for (size_t i = 0; i < answered.size(); ++i) {
            client.Send(sim.Master(), MasterRequestText("84"));
            auto datagrams = answered[i] ? client.ReceiveMasterReply(3000) : client.ReceiveUntilQuiet(150);
            EXPECT_EQ(!datagrams.empty(), answered[i]) << "request " << i + 1;
        }
    }
}

// Checks a well-formed reply against the server's entry in the dump.
void ExpectReplyMatches(const std::string& reply, const nlohmann::json& s) {
    EXPECT_EQ(reply.size(), s["reply_bytes"].get<size_t>());
    SStatus status = ReadStatus(reply);
    ASSERT_EQ(status.vars.size(), s["variables"].size());
    std::map<std::string, std::string> byName; // lower-cased names
    bool oddName = false;
    for (size_t i = 0; i < status.vars.size(); ++i) {
        auto [name, value] = status.vars[i];
        EXPECT_EQ(nlohmann::json::array({name, value}), s["variables"][i]);
        std::transform(name.begin(), name.end(), name.begin(), [](char ch) { return std::tolower(ch); });
        byName[name] = value;
        oddName |= name == "sv_hostname" && status.vars[i].first != name;
    }
    EXPECT_EQ(oddName, s["odd_case"].get<bool>());
    EXPECT_EQ(byName["sv_hostname"], s["hostname"].get<std::string>());
    EXPECT_EQ(byName["g_gametype"], std::to_string(s["gametype"].get<int>()));
    EXPECT_EQ(byName["sv_maxclients"], std::to_string(s["max_clients"].get<int>()));
    EXPECT_EQ(byName["protocol"], "84");
    for (const char* name :
         {"g_needpass", "sv_punkbuster", "g_friendlyfire", "mapname", "mod_url", "g_maxlives"})
        EXPECT_TRUE(byName.contains(name)) << name;
    const auto allies = Positions(byName["players_allies"]), axis = Positions(byName["players_axis"]);
    ASSERT_EQ(status.players.size(), s["players"].size());
    EXPECT_EQ(s["empty"].get<bool>(), status.players.empty());
    EXPECT_EQ(s["full"].get<bool>(), static_cast<int>(status.players.size()) >= s["max_clients"].get<int>());
    for (size_t i = 0; i < status.players.size(); ++i) {
        const auto& p = s["players"][i];
        const int position = static_cast<int>(i) + 1;
        const int team = allies.contains(position) ? 1 : axis.contains(position) ? 2 : 0;
        EXPECT_EQ(status.players[i],
                  std::make_tuple(p["score"].get<int>(), p["ping"].get<int>(), p["name"].get<std::string>()));
        EXPECT_EQ(team, p["team"].get<int>()) << "player " << position;
    }
}

TEST(EtsimStatus, EveryServerAnswersAsTheDumpSays) {
    CEtsimProcess sim({"--servers", "40", "--silent", "3", "--second-only", "3", "--malformed", "6",
                       "--huge-bytes", "20000", "--odd-case", "25%", "--seed", "7", "--ports-per-address",
                       "3"});
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
        if (silent) {
            EXPECT_TRUE(r[0].empty() && r[1].empty());
        } else if (secondOnly) {
            EXPECT_TRUE(r[0].empty());
            ExpectReplyMatches(r[1], s);
        } else {
            EXPECT_EQ(r[0], r[1]) << "every answer is the same datagram";
            if (malformed == "none") {
                ExpectReplyMatches(r[0], s);
            } else if (malformed == "garbage") {
                EXPECT_FALSE(r[0].starts_with(kStatusHeader));
            } else if (malformed == "truncated") {
                EXPECT_TRUE(r[0].starts_with(kStatusHeader));
                EXPECT_NE(r[0].back(), '\n');
            } else {
                EXPECT_GE(r[0].size(), 20000u);
                EXPECT_GT(s["players"].size(), s["max_clients"].get<size_t>());
                EXPECT_EQ(ReadStatus(r[0]).players.size(), s["players"].size());
            }
        }
    }
    EXPECT_EQ(kinds, (std::map<std::string, int>{{"silent", 3},
                                                 {"second", 3},
                                                 {"garbage", 2},
                                                 {"truncated", 2},
                                                 {"huge", 2},
                                                 {"none", 28},
                                                 {"odd case", 10}}));
}

TEST(EtsimMaster, LatencyDelaysTheWholeReply) {
    CEtsimProcess sim({"--servers", "30", "--per-datagram", "10", "--master-latency", "150-150"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    CUdpClient client;
    const auto start = Clock::now();
    client.Send(sim.Master(), MasterRequestText("84 full empty"));
    auto first = client.Receive(3000);
    ASSERT_TRUE(first.has_value());
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(150));
    EXPECT_EQ(client.ReceiveMasterReply(3000).size(), 2u);
}

TEST(EtsimStatus, LatencyComesFromATimerNotFromSleeping) {
    const int servers = 16;
    CEtsimProcess sim({"--servers", std::to_string(servers), "--latency", "100-120"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    CUdpClient client;
    std::map<SEndpoint, Clock::time_point> sent;
    const auto start = Clock::now();
    for (const SEndpoint& a : sim.ServerAddresses()) {
        sent[a] = Clock::now(); // before the send: a pause after it must not shorten the measured time
        client.Send(a, kStatusRequest);
    }
    std::map<SEndpoint, int> latency;
    for (const auto& s : sim.Dump()["servers"])
        latency[*ParseEndpoint(s["address"].get<std::string>())] = s["latency_ms"];
    int received = 0;
    while (auto d = client.Receive(2000)) {
        const auto rtt = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent[d->from]);
        EXPECT_GE(rtt.count(), latency[d->from]) << AddressText(d->from);
        EXPECT_GE(latency[d->from], 100);
        EXPECT_LE(latency[d->from], 120);
        EXPECT_LT(rtt.count(), 120 + 600) << "generous margin for a loaded machine";
        if (++received == servers)
            break;
    }
    EXPECT_EQ(received, servers);
    // One reply after the other would take at least 16 x 100 ms.
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
}

TEST(EtsimStatus, LossDropsTheConfiguredShare) {
    const std::tuple<const char*, int, int> cases[] = {{"1", 0, 0}, {"0.5", 60, 140}};
    for (const auto& [loss, minAnswered, maxAnswered] : cases) {
        SCOPED_TRACE(loss);
        CEtsimProcess sim({"--servers", "200", "--loss", loss, "--ports-per-address", "50"});
        ASSERT_TRUE(sim.Ready()) << sim.Stderr();
        CUdpClient client;
        for (const SEndpoint& a : sim.ServerAddresses())
            client.Send(a, kStatusRequest);
        const int answered = static_cast<int>(client.ReceiveUntilQuiet(200).size());
        EXPECT_GE(answered, minAnswered);
        EXPECT_LE(answered, maxAnswered);
    }
}

TEST(EtsimLog, RecordsArrivalsAndStopsCleanlyOnSigterm) {
    CEtsimProcess sim(
        {"--servers", "3", "--silent", "1", "--latency", "20-20", "--empty", "0", "--full", "0"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    CUdpClient client;
    const auto servers = sim.ServerAddresses();
    const int64_t before = NowMonotonicNs();
    for (int round = 0; round < 2; ++round) {
        for (const SEndpoint& a : servers)
            client.Send(a, kStatusRequest);
        client.ReceiveUntilQuiet(150);
    }
    client.Send(servers[0], "hello");
    client.Send(sim.Master(), MasterRequestText("84 full"));
    client.ReceiveUntilQuiet(150);
    const int64_t after = NowMonotonicNs();
    sim.Signal(SIGTERM);
    SExitResult exit = sim.Wait(10000);
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.code, 0);

    SLog log = ParseLog(ReadFile(sim.LogPath()));
    ASSERT_TRUE(log.endMs.has_value());
    double last = static_cast<double>(before - log.startMonotonicNs) / 1e6;
    std::map<std::string, std::vector<std::string>> byTarget; // "<kind> <n> <detail>" per target
    std::map<std::string, double> requestAt;
    for (const SLogLine& e : log.events) {
        EXPECT_EQ(e.peer, AddressText(client.Local()));
        EXPECT_GE(e.ms, last) << "events in time order, after the first request";
        last = e.ms;
        byTarget[e.target].push_back(e.kind + " " + std::to_string(e.n) + " " + e.detail);
        const std::string key = e.target + "#" + std::to_string(e.n);
        if (e.kind == "request") {
            requestAt[key] = e.ms;
        } else if (e.kind == "reply") {
            EXPECT_GE(e.ms - requestAt[key], 20.0) << "a delayed reply leaves 20 ms after its request";
        }
    }
    EXPECT_LE(last, static_cast<double>(after - log.startMonotonicNs) / 1e6);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(AddressText(servers[i]));
        const auto& s = sim.Dump()["servers"][i];
        std::vector<std::string> expected;
        for (const std::string n : {"1", "2"}) {
            expected.push_back("request " + n + " exact");
            expected.push_back(s["silent"].get<bool>() ? "ignore " + n + " silent"
                                                       : "reply " + n + " " + s["reply_bytes"].dump());
        }
        if (i == 0)
            expected.insert(expected.end(), {"request 3 bad", "ignore 3 bad"});
        EXPECT_EQ(byTarget[AddressText(servers[i])], expected);
    }
    EXPECT_EQ(byTarget[AddressText(sim.Master())],
              (std::vector<std::string>{"mrequest 1 84,full", "mreply 1 3"}));
    ASSERT_EQ(log.totals.size(), 4u);
    const bool silent = sim.Dump()["servers"][0]["silent"];
    EXPECT_EQ(log.totals[0], (std::vector<std::string>{AddressText(servers[0]), "3", silent ? "0" : "2"}));
    EXPECT_EQ(log.totals[3], (std::vector<std::string>{AddressText(sim.Master()), "1", "1"}));
}

TEST(EtsimLog, EachStopSignalEndsTheRunWithALog) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(sig);
        CEtsimProcess sim({"--servers", "1"});
        ASSERT_TRUE(sim.Ready()) << sim.Stderr();
        sim.Signal(sig);
        SExitResult exit = sim.Wait(10000);
        ASSERT_TRUE(exit.exited);
        EXPECT_EQ(exit.code, 0);
        EXPECT_TRUE(ParseLog(ReadFile(sim.LogPath())).endMs.has_value());
    }
}

TEST(EtsimLog, Sigusr1WritesTheLogAndLifetimeEndsTheRun) {
    const auto start = Clock::now();
    CEtsimProcess sim({"--servers", "2", "--lifetime", "1"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    CUdpClient client;
    client.Send(sim.ServerAddresses()[1], kStatusRequest);
    ASSERT_TRUE(client.Receive(2000).has_value());
    sim.Signal(SIGUSR1);
    SLog snapshot;
    for (int i = 0; i < 200 && snapshot.events.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        snapshot = ParseLog(ReadFile(sim.LogPath()));
    }
    ASSERT_EQ(snapshot.events.size(), 2u);
    EXPECT_EQ(snapshot.events[0].kind, "request");
    EXPECT_EQ(snapshot.events[1].kind, "reply");
    SExitResult exit = sim.Wait(15000);
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.code, 0);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1000));
    SLog final = ParseLog(ReadFile(sim.LogPath()));
    ASSERT_TRUE(final.endMs.has_value());
    EXPECT_GE(*final.endMs, 1000.0);
}

TEST(EtsimStartup, RefusesAddressesOutsideLoopback) {
    const std::vector<std::vector<std::string>> cases = {
        {"--base-address", "10.0.0.1"},
        {"--master", "192.168.1.1:0"},
        {"--master", "0.0.0.0:27950"},
        {"--base-address", "127.255.255.250", "--servers", "20"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args[1]);
        CEtsimProcess sim(args, false);
        SExitResult exit = sim.Wait(10000);
        ASSERT_TRUE(exit.exited);
        EXPECT_EQ(exit.code, 2);
        EXPECT_NE(sim.Stderr().find("127.0.0.0/8"), std::string::npos) << sim.Stderr();
        EXPECT_EQ(sim.Stdout(), "");
    }
}

TEST(EtsimStartup, ReadyFileAndStdoutNameTheMaster) {
    CEtsimProcess sim({"--servers", "1", "--master", "127.0.0.1:0", "--quiet"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    EXPECT_NE(sim.Master().port, 0);
    EXPECT_EQ(sim.Master().ip, 0x7F000001u);
    for (int i = 0; i < 200 && sim.Stdout().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(sim.Stdout(), AddressText(sim.Master()) + "\n");
    EXPECT_EQ(sim.Dump()["master"], AddressText(sim.Master()));
}

TEST(EtsimScale, FiveThousandServersAnswerABurst) {
    // Empty servers keep the dump small enough for a quick start under the sanitizers.
    CEtsimProcess sim({"--servers", "5000", "--ports-per-address", "100", "--empty", "100%"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    const auto servers = sim.ServerAddresses();
    std::set<SEndpoint> distinct(servers.begin(), servers.end());
    ASSERT_EQ(distinct.size(), 5000u);
    CUdpClient client;
    std::set<SEndpoint> answered;
    // Windows of 500 keep the client's receive buffer from overflowing.
    for (size_t i = 0; i < servers.size(); i += 500) {
        const size_t stop = std::min(servers.size(), i + 500);
        for (size_t j = i; j < stop; ++j)
            client.Send(servers[j], kStatusRequest);
        for (const SDatagram& d : client.ReceiveCount(stop - i, 5000))
            answered.insert(d.from);
    }
    EXPECT_EQ(answered, distinct);
}

TEST(EtsimMaster, SeveralMastersOverlapOneSilentOneForeign) {
    CEtsimProcess sim({"--servers", "30", "--empty", "0", "--full", "0", "--masters", "3", "--silent-masters",
                       "1", "--foreign-masters", "1", "--legacy", "100%", "--malformed", "1",
                       "--malformed-kinds", "hostile"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    const nlohmann::json& dump = sim.Dump();
    ASSERT_EQ(dump["masters"].size(), 3u);
    ASSERT_EQ(dump["foreign_masters"].size(), 1u);
    EXPECT_EQ(dump["masters"][0], AddressText(sim.Master()));
    std::vector<std::set<SEndpoint>> lists;
    for (const auto& text :
         {dump["masters"][0], dump["masters"][1], dump["masters"][2], dump["foreign_masters"][0]}) {
        CUdpClient client;
        const SEndpoint master = *ParseEndpoint(text.get<std::string>());
        client.Send(master, MasterRequestText("84"));
        std::set<SEndpoint> listed;
        for (const auto& d : client.ReceiveMasterReply(1000)) {
            EXPECT_EQ(d.from == master, text != dump["foreign_masters"][0]) << text;
            for (const SEndpoint& e : ReadMasterDatagram(d.data).entries)
                listed.insert(e);
        }
        lists.push_back(listed);
    }
    EXPECT_EQ(lists[0].size(), 20u); // two of three parts
    EXPECT_EQ(lists[1].size(), 20u);
    EXPECT_TRUE(lists[2].empty()) << "the silent master";
    EXPECT_EQ(lists[3].size(), 1u);
    EXPECT_FALSE(lists[3].count(sim.ServerAddresses()[0]));
    size_t hostile = 0;
    for (const auto& s : dump["servers"]) {
        std::set<std::string> names;
        for (const auto& v : s["variables"])
            names.insert(v[0].get<std::string>());
        EXPECT_TRUE(names.count("P") && !names.count("players_axis") && !names.count("players_allies"));
        hostile += s["malformed"] == "hostile" && s["reply_bytes"] == 65507;
    }
    EXPECT_EQ(hostile, 1u);
}

} // namespace
} // namespace testsupport
