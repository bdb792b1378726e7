// End to end on loopback against etsim, started as a child process: the master query and a run at the
// fastest speed in-process, and the headless tool's JSON against etsim's dump of what it serves.
#include "query/MasterQuery.h"
#include "query/QueryRun.h"
#include "query/QueueSink.h"
#include "support/Etsim.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using etsim::test::EtsimProcess;
using nlohmann::json;
using testsupport::ReadFile;
using testsupport::Spawn;

int WaitExit(pid_t pid) {
    return testsupport::WaitExit(pid, 60000).code;
}

TEST(EndToEnd, ThousandServersAtTheFastestSpeed) {
    EtsimProcess sim({"--quiet", "--servers", "1000", "--silent", "5%", "--seed", "7"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();

    std::vector<query::SMasterEntry> entries;
    ASSERT_EQ(query::ParseMasterList(sim.MasterText(), entries), "");
    query::CMasterResult master =
        query::QueryMasters(query::ResolveMasters(entries), query::BuildMasterRequest(84, true, true));
    ASSERT_EQ(master.outcome, query::MasterOutcome::COLLECTED);
    query::CServerCollection servers;
    query::StoreServers(master, servers);
    ASSERT_EQ(servers.Count(), 1000u);

    query::CQueueSink sink;
    query::CQueryRun run(servers, sink);
    run.SetSpeedIndex(5);
    ASSERT_TRUE(run.StartWorker());
    std::map<const query::CGameServer*, int> handed;
    query::CQueryEvent event;
    bool ended = false;
    while (!ended && sink.Next(event, 20000)) {
        if (event.kind == query::CQueryEvent::WORKER_END)
            ended = true;
        else if (event.kind == query::CQueryEvent::SERVER_DONE && run.AcceptResult(event.run))
            ++handed[event.record];
        else
            ADD_FAILURE() << "unexpected event " << event.message;
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(run.ServersToQuery(), 0);
    EXPECT_EQ(handed.size(), 1000u);
    for (const auto& [record, times] : handed)
        EXPECT_EQ(times, 1) << record->address.ToText();

    size_t silent = 0;
    for (const json& s : sim.Dump()["servers"]) {
        const query::CGameServer* record = servers.Find(net::CSockAddr(s["address"].get<std::string>()));
        ASSERT_NE(record, nullptr) << s["address"];
        if (s["silent"].get<bool>()) {
            ++silent;
            EXPECT_EQ(record->ping, query::PING_NONE);
            EXPECT_EQ(record->tries, query::TRIES_GIVEN_UP);
            continue;
        }
        ASSERT_EQ(record->tries, query::TRIES_ANSWERED) << s["address"];
        EXPECT_EQ(record->name, s["hostname_plain"].get<std::string>());
        EXPECT_EQ(record->maxClients, s["max_clients"].get<int>());
        EXPECT_EQ(record->gameType, s["gametype"].get<int>());
        const json& players = s["players"];
        ASSERT_EQ(record->players.size(), players.size()) << s["address"];
        for (size_t i = 0; i < players.size(); ++i) {
            EXPECT_EQ(record->players[i].name, players[i]["plain"].get<std::string>());
            EXPECT_EQ(record->players[i].score, players[i]["score"].get<int>());
            EXPECT_EQ(record->players[i].ping, players[i]["ping"].get<int>());
            EXPECT_EQ(record->players[i].team, players[i]["team"].get<int>());
        }
    }
    EXPECT_EQ(silent, 50u);
}

// The bytes of a dump text as the tool prints them: every byte from 0x80 on read as Latin-1.
std::string AsLatin1Utf8(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

TEST(EndToEnd, HeadlessToolJsonMatchesTheDump) {
    EtsimProcess sim({"--quiet", "--servers", "150", "--silent", "10%", "--odd-case", "10%", "--legacy",
                      "40%", "--seed", "11"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    const std::string out = sim.File("out.json");
    pid_t tool =
        Spawn({VELLORAN_QUERY_PATH, "--master", sim.MasterText(), "--full", "--empty", "--json"}, out);
    ASSERT_GT(tool, 0);
    ASSERT_EQ(WaitExit(tool), 0);
    json result = json::parse(ReadFile(out));

    std::map<std::string, json> answered;
    for (const json& s : result["servers"])
        EXPECT_TRUE(answered.emplace(s["address"].get<std::string>(), s).second)
            << "listed twice: " << s["address"];
    std::set<std::string> silent;
    for (const json& a : result["silent"])
        EXPECT_TRUE(silent.insert(a.get<std::string>()).second);

    size_t silentInDump = 0;
    for (const json& s : sim.Dump()["servers"]) {
        const std::string address = s["address"];
        if (s["silent"].get<bool>()) {
            ++silentInDump;
            EXPECT_TRUE(silent.count(address)) << address;
            continue;
        }
        ASSERT_TRUE(answered.count(address)) << address;
        const json& got = answered[address];
        EXPECT_EQ(got["name"].get<std::string>(), AsLatin1Utf8(s["hostname_plain"].get<std::string>()));
        EXPECT_EQ(got["maxClients"], s["max_clients"]);
        EXPECT_EQ(got["gameType"], s["gametype"]);
        EXPECT_LT(got["ping"].get<int>(), 1000);
        EXPECT_EQ(got["variables"].size(), s["variables"].size());
        ASSERT_EQ(got["players"].size(), s["players"].size());
        for (size_t i = 0; i < s["players"].size(); ++i) {
            EXPECT_EQ(got["players"][i]["name"].get<std::string>(),
                      AsLatin1Utf8(s["players"][i]["plain"].get<std::string>()));
            EXPECT_EQ(got["players"][i]["team"], s["players"][i]["team"]);
            EXPECT_EQ(got["players"][i]["score"], s["players"][i]["score"]);
        }
    }
    EXPECT_EQ(answered.size() + silent.size(), sim.Dump()["servers"].size());
    EXPECT_EQ(silent.size(), silentInDump);
}

TEST(EndToEnd, HeadlessToolRefusals) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = {
        {{}, 2},
        {{"--speed", "9", "--master", "127.0.0.1:1"}, 2},
        {{"--master", ":27950"}, 1},            // unresolvable host
        {{"--master", "10.1.2.3:27950"}, 1},    // outside loopback without --allow-remote
        {{"--master", "192.168.0.1:27950"}, 1}, // the same
        {{"--master", "255.255.255.255:1", "--allow-remote"}, 1},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{VELLORAN_QUERY_PATH};
        args.insert(args.end(), c.args.begin(), c.args.end());
        pid_t tool = Spawn(args, "/dev/null");
        ASSERT_GT(tool, 0);
        EXPECT_EQ(WaitExit(tool), c.exitCode) << testing::PrintToString(c.args);
    }
}

TEST(EndToEnd, HeadlessToolReportsASilentMaster) {
    EtsimProcess sim({"--quiet", "--servers", "3", "--master-answer", "never"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    pid_t tool = Spawn({VELLORAN_QUERY_PATH, "--master", sim.MasterText()}, "/dev/null");
    EXPECT_EQ(WaitExit(tool), 1);
}

} // namespace
