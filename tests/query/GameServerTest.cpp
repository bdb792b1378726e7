#include "query/GameServer.h"
#include "query/ServerCollection.h"
#include "query/engine/UdpPeers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using query::CGameServer;
using query::CPlayer;

namespace {

const std::string kHeader = "\xFF\xFF\xFF\xFFstatusResponse\n";

// A record that has sent its first request, as the worker leaves it before a reply.
CGameServer Asked() {
    CGameServer server(net::CSockAddr("10.0.0.1:27960"));
    server.Reset();
    server.tries = 1;
    server.sendTime = net::ReadCounter();
    return server;
}

CGameServer Parsed(const std::string& reply) {
    CGameServer server = Asked();
    server.OnStatusReply(reply);
    return server;
}

// Each player as "name score ping team".
std::vector<std::string> Rows(const CGameServer& server) {
    std::vector<std::string> rows;
    for (const CPlayer& p : server.players)
        rows.push_back(p.name + " " + std::to_string(p.score) + " " + std::to_string(p.ping) + " " +
                       std::to_string(p.team));
    return rows;
}

} // namespace

TEST(GameServer, ParsesVariablesIntoFieldsAndResetKeepsNamesAndFlagsButClearsNumbersAndLists) {
    CGameServer s =
        Parsed(kHeader + "\\sv_hostname\\^1Red ^7Server\\mapname\\oasis\\G_NeedPass\\1\\sv_maxclients\\24"
                         "\\g_gametype\\4\\g_friendlyfire\\1\\g_maxlives\\3\\sv_punkbuster\\1"
                         "\\mod_url\\HTTP://WWW.Example.COM\\protocol\\84\n1 2 \"p\"\n");
    EXPECT_TRUE(s.tries == query::kTriesAnswered && s.IsFinished());
    EXPECT_EQ(s.name + "|" + s.map + "|" + s.mod, "Red Server|oasis|http://www.example.com");
    EXPECT_EQ(std::make_tuple(s.maxClients, s.gameType, s.maxLives), std::make_tuple(24, 4, 3));
    EXPECT_TRUE(s.needPassword && s.friendlyFire && s.punkBuster);
    ASSERT_EQ(std::make_pair(s.variables.size(), s.players.size()), std::make_pair(size_t{10}, size_t{1}));
    // Names keep their case and the order they came in.
    EXPECT_EQ(s.variables[2].first + " " + s.variables[9].first + "=" + s.variables[9].second,
              "G_NeedPass protocol=84");
    s.Reset();
    EXPECT_EQ(s.name + "|" + s.map + "|" + s.mod, "Red Server|oasis|http://www.example.com");
    EXPECT_EQ(std::make_tuple(s.needPassword, s.gameType, s.maxClients, s.maxLives, s.tries, s.ping,
                              s.timeout, s.players.size() + s.variables.size()),
              std::make_tuple(true, 0, 0, 0, 0, query::kPingNone, 1200, size_t{0}));
}

TEST(GameServer, VariableEdgeCases) {
    // line 2 of the reply; then the name, password flag, variables and players parsed
    const std::tuple<std::string, const char*, bool, size_t, size_t> cases[] = {
        {"\\g_needpass\\1\\g_needpass\\0", "10.0.0.1:27960", false, 2, 1}, // the later value wins
        {"\\g_needpass\\0\\G_NEEDPASS\\7", "10.0.0.1:27960", true, 2, 1},
        {"\\sv_hostname\\\"A\\B\" C\\g_needpass\\1", "A\\B C", true, 2, 1}, // backslash inside quotes
        {"\\sv_hostname\\end^", "end", false, 1, 1},                        // '^' before the line feed
        {"\\sv_hostname\\a^\\g_needpass\\1", "a", true, 2, 1},              // '^' before a separator
        {"\\sv_hostname\\\"a^\\b\"", "ab", false, 1, 1},                    // quoted: a colour code
        {"g_needpass\\1", "10.0.0.1:27960", false, 0, 0}, // line 2 not starting with a backslash
        {"", "10.0.0.1:27960", false, 0, 1},              // empty line 2: players are read
        {"\\\\", "10.0.0.1:27960", false, 1, 1},          // empty name and value
        {"\\sv_hostname\\x\\", "x", false, 1, 0},         // dangling backslash: no players
        {std::string("\\sv_hostname\\ab\0cd\\g_needpass\\1", 31), "ab", false, 1, 0}, // NUL ends the reply
    };
    for (const auto& [line2, name, needPassword, variables, players] : cases) {
        CGameServer s = Parsed(kHeader + line2 + "\n7 50 \"Alice\"\n");
        EXPECT_EQ(std::make_tuple(s.name, s.needPassword, s.variables.size(), s.players.size()),
                  std::make_tuple(name, needPassword, variables, players))
            << line2;
    }
}

TEST(GameServer, ParsesPlayerLinesAndTeams) {
    const std::string abc = "\n1 1 \"a\"\n2 2 \"b\"\n3 3 \"c\"\n";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"\\players_allies\\1 3\\players_axis\\2\n10 50 \"A\"\n20 60 \"B\"\n30 70 \"C\"\n40 80 \"D\"\n",
         {"A 10 50 1", "B 20 60 2", "C 30 70 1", "D 40 80 0"}},
        {"\\x\\y\n1 2 \"last without line feed\"", {"last without line feed 1 2 0"}},
        {"\\x\\y\n1 2 \"  ^1sp^7aced \"\n", {"spaced 1 2 0"}},
        {"\\x\\y\n1 2 \"quote \\ slash\"\n", {"quote \\ slash 1 2 0"}},
        {"\\x\\y\nabc \"NoNumbers\"\n", {"abc NoNumbers 0 0 0"}},
        {"\\players_axis\\ 2  1 \n1 1 \"a\"\n2 2 \"b\"\n", {"a 1 1 2", "b 2 2 2"}},
        {"\\players_allies\\2\\players_axis\\2\n1 1 \"a\"\n2 2 \"b\"\n", {"a 1 1 0", "b 2 2 1"}},
        {"\\x\\y\n1 2 \"a\\b\n", {"a\\b 1 2 0"}}, // quote never closed: line feed still ends it
        {"\\x\\y\n1 2 \"Bob^\"\n3 4 \"Al^\n5 6 Cy\n", {"Bob 1 2 0", "Al 3 4 0", "Cy 5 6 0"}},
        {"\\x\\y\n1 2 a\\b\n3 4 c\n", {"a 1 2 0"}}, // unquoted backslash ends the players
        {"\\x\\y\n-2147483648 2147483647 \"big\"\n", {"big -2147483648 2147483647 0"}},
        // Teams from the lists, or else from the slot string: 1 axis, 2 allies, anything else spectates.
        {"\\players_allies\\1\\players_axis\\2\\P\\222" + abc, {"a 1 1 1", "b 2 2 2", "c 3 3 0"}},
        {"\\P\\-1--2-3-" + abc, {"a 1 1 2", "b 2 2 1", "c 3 3 0"}},
        {"\\P\\12" + abc, {"a 1 1 0", "b 2 2 0", "c 3 3 0"}}, // not as many slots as players
        {"\\p\\x2-1" + abc, {"a 1 1 0", "b 2 2 1", "c 3 3 2"}},
    };
    for (const auto& [reply, players] : cases)
        EXPECT_EQ(Rows(Parsed(kHeader + reply)), players) << reply;
}

// A second reply to an answered record is checked where the run hands records over.
TEST(GameServer, ReplyWithoutLineFeedOnlyAnswersAndAReplyAfterGivingUpIsIgnored) {
    CGameServer s = Parsed("\xFF\xFF\xFF\xFFstatusResponse \\sv_hostname\\x");
    EXPECT_TRUE(s.tries == query::kTriesAnswered && s.ping != query::kPingNone);
    EXPECT_TRUE(s.variables.empty() && s.name == "10.0.0.1:27960");
    CGameServer givenUp = Asked();
    givenUp.tries = query::kTriesGivenUp;
    givenUp.OnStatusReply(kHeader + "\\sv_hostname\\late\n");
    EXPECT_TRUE(givenUp.name == "10.0.0.1:27960" && givenUp.ping == query::kPingNone);
}

TEST(ServerCollection, StoreReplacesTheRecordOfAnAddress) {
    query::CServerCollection servers;
    const net::CSockAddr address("1.2.3.4:27960");
    servers.Store(CGameServer(address, "first", "pw"));
    servers.Store(CGameServer(address));
    ASSERT_EQ(servers.Count(), 1u);
    // The second record, named by its address and without a password, replaced the first.
    EXPECT_EQ(servers.Find(address)->name + servers.Find(address)->password, "1.2.3.4:27960");
    servers.Clear();
    EXPECT_TRUE(servers.Empty());
}

TEST(GameServer, KeepsAtMost256PlayersAnd512VariablesAndReadsAHostileReplyInLinearTime) {
    std::string reply = kHeader;
    for (int i = 0; i < 600; ++i)
        reply += "\\v" + std::to_string(i) + "\\x";
    reply += "\\sv_hostname\\late\\players_axis\\1\n";
    for (int i = 0; i < 300; ++i)
        reply += "1 2 \"p" + std::to_string(i) + "\"\n";
    CGameServer s = Parsed(reply);
    // The name and the team list come beyond the kept variables.
    ASSERT_EQ(std::make_tuple(s.variables.size(), s.name, s.players.size()),
              std::make_tuple(query::kMaxVariables, "10.0.0.1:27960", query::kMaxPlayers));
    EXPECT_EQ(Rows(s)[0] + ", " + Rows(s)[255], "p0 1 2 0, p255 1 2 0");

    const int64_t start = net::ReadCounter();
    s = Parsed(testsupport::HostileStatusReply());
    EXPECT_LT(net::ElapsedMs(start), 100) << "sanitizer build; the Release bound is checked by the benchmark";
    ASSERT_EQ(s.players.size(), query::kMaxPlayers);
    EXPECT_TRUE(s.players[0].team == query::TEAM_ALLIES && s.players[1].team == query::TEAM_AXIS);
}

TEST(GameServer, RequestIsHeldBackUntilTheTimeoutHasPassedAndAFailedSendGivesUp) {
    net::CSockUDP client, closed; // never opened: every send fails without leaving the machine
    CGameServer server(net::CSockAddr("127.0.0.1:9"));
    server.Reset();
    EXPECT_FALSE(server.RequestStatus(closed));
    EXPECT_EQ(server.tries, query::kTriesGivenUp);
    client.Create(net::CSockAddr("127.0.0.1:0"));
    // tries, ms since the last request, whether it sends, tries after (0: any finished state)
    const std::tuple<int, int64_t, bool, int> steps[] = {
        {0, 0, true, 1},     {1, 100, false, 1},  {1, 1100, false, 1}, {1, 1250, true, 2},
        {2, 1100, false, 2}, {2, 1250, false, 3}, {3, 5000, false, 0}, {999, 5000, false, 0},
    };
    for (const auto& [tries, ageMs, sends, triesAfter] : steps) {
        SCOPED_TRACE(testing::Message() << "tries " << tries << " age " << ageMs);
        server.tries = tries;
        server.sendTime = net::ReadCounter() - ageMs * net::CounterFrequency() / 1000;
        EXPECT_EQ(server.RequestStatus(client), sends);
        EXPECT_TRUE(!triesAfter || server.tries == triesAfter) << server.tries;
        EXPECT_EQ(server.IsFinished(), triesAfter == 0 || triesAfter > 2);
    }
}
