// End to end on loopback: the headless tool against etsim, both started as child processes; the tool's
// JSON is compared with etsim's dump of what it serves.
#include "support/Etsim.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using nlohmann::json;
using testsupport::CEtsimProcess;
using testsupport::ReadFile;
using testsupport::Spawn;

// The exit code of a tool run with `args` and its output to `out`; -1 when it could not run.
int RunTool(const std::vector<std::string>& args, const std::string& out) {
    std::vector<std::string> command{VELLORAN_QUERY_PATH};
    command.insert(command.end(), args.begin(), args.end());
    pid_t tool = Spawn(command, out);
    return testsupport::WaitExit(tool, 60000);
}

TEST(EndToEnd, HeadlessToolJsonMatchesTheDump) {
    CEtsimProcess sim({"--quiet", "--servers", "150", "--silent", "10%", "--odd-case", "10%", "--legacy",
                       "40%", "--seed", "11"});
    ASSERT_TRUE(sim.Ready()) << sim.Stderr();
    const std::string out = sim.File("out.json");
    ASSERT_EQ(RunTool({"--master", sim.MasterText(), "--full", "--empty", "--json"}, out), 0);
    json result = json::parse(ReadFile(out));

    std::map<std::string, json> answered;
    for (const json& s : result["servers"])
        EXPECT_TRUE(answered.emplace(s["address"].get<std::string>(), s).second)
            << "listed twice: " << s["address"];
    std::set<std::string> silent;
    for (const json& a : result["silent"])
        EXPECT_TRUE(silent.insert(a.get<std::string>()).second);

    for (const json& s : sim.Dump()["servers"]) {
        const std::string address = s["address"];
        if (s["silent"].get<bool>()) {
            EXPECT_TRUE(silent.count(address)) << address;
            continue;
        }
        ASSERT_TRUE(answered.count(address)) << address;
        const json& got = answered[address];
        // etsim's texts are ASCII; Latin-1 is the report test's.
        EXPECT_EQ(json::array({got["name"], got["maxClients"], got["gameType"], got["variables"].size()}),
                  json::array({s["hostname_plain"], s["max_clients"], s["gametype"], s["variables"].size()}));
        EXPECT_LT(got["ping"].get<int>(), 1000);
        json players = json::array();
        for (const json& p : s["players"])
            players.push_back(
                {{"name", p["plain"]}, {"score", p["score"]}, {"ping", p["ping"]}, {"team", p["team"]}});
        EXPECT_EQ(got["players"], players);
    }
    EXPECT_EQ(answered.size() + silent.size(), sim.Dump()["servers"].size()) << "no server in both lists";
}

TEST(EndToEnd, HeadlessToolRefusals) {
    CEtsimProcess silentMaster({"--quiet", "--servers", "3", "--master-answer", "never"});
    ASSERT_TRUE(silentMaster.Ready()) << silentMaster.Stderr();
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{}, 2},
        {{"--speed", "9", "--master", "127.0.0.1:1"}, 2},
        {{"--master", ":27950"}, 1},         // unresolvable host
        {{"--master", "10.1.2.3:27950"}, 1}, // outside loopback without --allow-remote
        {{"--master", silentMaster.MasterText()}, 1},
    };
    for (const auto& [args, exitCode] : cases)
        EXPECT_EQ(RunTool(args, "/dev/null"), exitCode) << testing::PrintToString(args);
}

} // namespace
