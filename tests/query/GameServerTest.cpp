#include "query/GameServer.h"
#include "query/ServerCollection.h"

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

TEST(GameServer, NewRecordIsNamedByItsAddress) {
    EXPECT_EQ(CGameServer(net::CSockAddr("10.0.0.1:27960")).name, "10.0.0.1:27960");
    CGameServer named(net::CSockAddr("10.0.0.1:27960"), "Friday clan", "secret");
    EXPECT_EQ(named.name, "Friday clan");
    EXPECT_EQ(named.password, "secret");
}

TEST(GameServer, ParsesVariablesIntoFields) {
    CGameServer s =
        Parsed(kHeader + "\\sv_hostname\\^1Red ^7Server\\mapname\\oasis\\G_NeedPass\\1\\sv_maxclients\\24"
                         "\\g_gametype\\4\\g_friendlyfire\\1\\g_maxlives\\3\\sv_punkbuster\\1"
                         "\\mod_url\\HTTP://WWW.Example.COM\\protocol\\84\n");
    EXPECT_EQ(s.tries, query::kTriesAnswered);
    EXPECT_TRUE(s.IsFinished());
    EXPECT_EQ(s.name, "Red Server");
    EXPECT_EQ(s.map, "oasis");
    EXPECT_TRUE(s.needPassword);
    EXPECT_EQ(s.maxClients, 24);
    EXPECT_EQ(s.gameType, 4);
    EXPECT_TRUE(s.friendlyFire);
    EXPECT_EQ(s.maxLives, 3);
    EXPECT_TRUE(s.punkBuster);
    EXPECT_EQ(s.mod, "http://www.example.com");
    ASSERT_EQ(s.variables.size(), 10u);
    EXPECT_EQ(s.variables[2].first, "G_NeedPass");
    EXPECT_EQ(s.variables[9], (std::pair<std::string, std::string>("protocol", "84")));
    EXPECT_TRUE(s.players.empty());
}

TEST(GameServer, VariableEdgeCases) {
    struct Case {
        const char* line2;
        const char* name;
        bool needPassword;
        size_t variables;
        size_t players = 1;
    } cases[] = {
        {"\\g_needpass\\0", "10.0.0.1:27960", false, 1},
        {"\\g_needpass\\1\\g_needpass\\0", "10.0.0.1:27960", false, 2}, // the later value wins
        {"\\g_needpass\\0\\G_NEEDPASS\\7", "10.0.0.1:27960", true, 2},
        {"\\sv_hostname\\\"A\\B\" C\\g_needpass\\1", "A\\B C", true, 2}, // backslash inside quotes
        {"\\sv_hostname\\end^", "end", false, 1},                        // '^' before the line feed
        {"\\sv_hostname\\a^\\g_needpass\\1", "a", true, 2},              // '^' before a separator
        {"\\sv_hostname\\\"a^\\b\"", "ab", false, 1},                    // quoted: a colour code
        {"\\sv_hostname\\^^1x", "1x", false, 1},
        {"\\sv_hostname", "10.0.0.1:27960", false, 0, 0}, // name without value: parse ends, no players
        {"g_needpass\\1", "10.0.0.1:27960", false, 0, 0}, // line 2 not starting with a backslash
        {"", "10.0.0.1:27960", false, 0},                 // empty line 2: players are read
        {"\\\\", "10.0.0.1:27960", false, 1},             // empty name and value
        {"\\sv_hostname\\x\\", "x", false, 1, 0},         // dangling backslash: no players
    };
    for (const Case& c : cases) {
        CGameServer s = Parsed(kHeader + c.line2 + "\n7 50 \"Alice\"\n");
        EXPECT_EQ(s.name, c.name) << c.line2;
        EXPECT_EQ(s.needPassword, c.needPassword) << c.line2;
        EXPECT_EQ(s.variables.size(), c.variables) << c.line2;
        EXPECT_EQ(s.players.size(), c.players) << c.line2;
    }
}

TEST(GameServer, ParsesPlayerLinesAndTeams) {
    struct Case {
        std::string reply;
        std::vector<std::string> players;
    } cases[] = {
        {"\\players_allies\\1 3\\players_axis\\2\n10 50 \"A\"\n20 60 \"B\"\n30 70 \"C\"\n40 80 \"D\"\n",
         {"A 10 50 1", "B 20 60 2", "C 30 70 1", "D 40 80 0"}},
        {"\\x\\y\n12 -3 \"^4Bob\"\n", {"Bob 12 -3 0"}},
        {"\\x\\y\n5 9   unquoted name  \n", {"unquoted name 5 9 0"}},
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
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(Parsed(kHeader + c.reply)), c.players) << c.reply;
}

TEST(GameServer, ReplyWithoutLineFeedOnlyAnswersAndANulEndsTheReply) {
    CGameServer s = Parsed("\xFF\xFF\xFF\xFFstatusResponse \\sv_hostname\\x");
    EXPECT_EQ(s.tries, query::kTriesAnswered);
    EXPECT_NE(s.ping, query::kPingNone);
    EXPECT_EQ(s.name, "10.0.0.1:27960");
    EXPECT_TRUE(s.variables.empty());

    s = Parsed(kHeader + std::string("\\sv_hostname\\ab\0cd\\mapname\\x\n1 2 \"z\"\n", 37));
    EXPECT_EQ(s.name, "ab");
    EXPECT_EQ(s.map, "");
    EXPECT_TRUE(s.players.empty());
}

TEST(GameServer, SecondOrLateReplyIsIgnored) {
    CGameServer s = Parsed(kHeader + "\\sv_hostname\\first\n");
    int ping = s.ping;
    s.OnStatusReply(kHeader + "\\sv_hostname\\second\n1 1 \"x\"\n");
    EXPECT_EQ(s.name, "first");
    EXPECT_EQ(s.ping, ping);
    EXPECT_TRUE(s.players.empty());

    CGameServer givenUp = Asked();
    givenUp.tries = query::kTriesGivenUp;
    givenUp.OnStatusReply(kHeader + "\\sv_hostname\\late\n");
    EXPECT_EQ(givenUp.name, "10.0.0.1:27960");
    EXPECT_EQ(givenUp.ping, query::kPingNone);
}

TEST(GameServer, ResetKeepsNamesAndFlagsButClearsNumbersAndLists) {
    CGameServer s = Parsed(kHeader + "\\sv_hostname\\Keep\\mapname\\radar\\mod_url\\m\\g_needpass\\1"
                                     "\\g_gametype\\3\\sv_maxclients\\20\\g_maxlives\\2\n1 2 \"p\"\n");
    s.Reset();
    EXPECT_EQ(s.name + s.map + s.mod, "Keepradarm");
    EXPECT_TRUE(s.needPassword);
    EXPECT_EQ(s.gameType + s.maxClients + s.maxLives + s.tries, 0);
    EXPECT_EQ(s.ping, query::kPingNone);
    EXPECT_EQ(s.timeout, 1200);
    EXPECT_TRUE(s.players.empty() && s.variables.empty());
}

TEST(ServerCollection, StoreReplacesTheRecordOfAnAddress) {
    query::CServerCollection servers;
    servers.Store(CGameServer(net::CSockAddr("1.2.3.4:27960"), "first", "pw"));
    servers.Store(CGameServer(net::CSockAddr("4.3.2.1:27960")));
    servers.Store(CGameServer(net::CSockAddr("1.2.3.4:27960")));
    ASSERT_EQ(servers.Count(), 2u);
    CGameServer* replaced = servers.Find(net::CSockAddr("1.2.3.4:27960"));
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(replaced->name, "1.2.3.4:27960");
    EXPECT_EQ(replaced->password, "");
    EXPECT_EQ(servers.Find(net::CSockAddr("1.2.3.4:27961")), nullptr);
    EXPECT_EQ(servers.begin()->second.name, "4.3.2.1:27960") << "key order puts 4.3.2.1 first";
    servers.Clear();
    EXPECT_TRUE(servers.Empty());
}

TEST(GameServer, TeamsFromListsOrFromTheSlotString) {
    const std::string players = "\n1 1 \"a\"\n2 2 \"b\"\n3 3 \"c\"\n";
    struct Case {
        const char* line2;
        std::vector<int> teams;
    } cases[] = {
        {"\\players_allies\\1\\players_axis\\2\\P\\222", {1, 2, 0}}, // the lists win
        {"\\P\\-1--2-3-", {2, 1, 0}},                                // 1 axis, 2 allies, 3 spectating
        {"\\P\\12", {0, 0, 0}},                                      // fewer slots than players
        {"\\P\\1-2-21", {0, 0, 0}},                                  // more slots than players
        {"\\p\\x2-1", {0, 1, 2}},                                    // anything else spectates
    };
    for (const Case& c : cases) {
        std::vector<int> teams;
        for (const CPlayer& p : Parsed(kHeader + c.line2 + players).players)
            teams.push_back(p.team);
        EXPECT_EQ(teams, c.teams) << c.line2;
    }
}

TEST(GameServer, KeepsAtMost256PlayersAnd512Variables) {
    std::string reply = kHeader;
    for (int i = 0; i < 600; ++i)
        reply += "\\v" + std::to_string(i) + "\\x";
    reply += "\\sv_hostname\\late\\players_axis\\1\n";
    for (int i = 0; i < 300; ++i)
        reply += "1 2 \"p" + std::to_string(i) + "\"\n";
    CGameServer s = Parsed(reply);
    EXPECT_EQ(s.variables.size(), query::kMaxVariables);
    EXPECT_EQ(s.name, "10.0.0.1:27960"); // beyond the kept variables
    ASSERT_EQ(s.players.size(), query::kMaxPlayers);
    EXPECT_EQ(s.players.back().name, "p255");
    EXPECT_EQ(s.players[0].team, query::TEAM_SPECTATOR);
}

TEST(GameServer, HostileReplyIsParsedInLinearTime) {
    // 64 KiB: team lists of 3,000 positions each, then blank player lines to the end.
    std::string allies, axis;
    for (int i = 1; i <= 3000; ++i)
        (i % 2 ? allies : axis) += std::to_string(i % 300) + " ";
    std::string reply = kHeader + "\\players_allies\\" + allies + "\\players_axis\\" + axis + "\n";
    reply.resize(65507, '\n');
    const int64_t start = net::ReadCounter();
    CGameServer s = Parsed(reply);
    const int64_t ms = net::ElapsedMs(start);
    ASSERT_EQ(s.players.size(), query::kMaxPlayers);
    EXPECT_EQ(s.players[0].team, query::TEAM_ALLIES);
    EXPECT_EQ(s.players[1].team, query::TEAM_AXIS);
    EXPECT_LT(ms, 100) << "sanitizer build; the Release bound is checked by the benchmark";
}

TEST(GameServer, RequestIsHeldBackUntilTheTimeoutHasPassedAndAFailedSendGivesUp) {
    net::CSockUDP client, closed; // never opened: every send fails without leaving the machine
    CGameServer server(net::CSockAddr("127.0.0.1:9"));
    server.Reset();
    EXPECT_FALSE(server.RequestStatus(closed));
    EXPECT_EQ(server.tries, query::kTriesGivenUp);
    client.Create(net::CSockAddr("127.0.0.1:0"));
    struct Step {
        int tries;
        int64_t ageMs; // how long ago the last request went out
        bool sends;
        int triesAfter; // 0: any finished state
    } steps[] = {
        {0, 0, true, 1},     {1, 100, false, 1},  {1, 1100, false, 1}, {1, 1250, true, 2},
        {2, 1100, false, 2}, {2, 1250, false, 3}, {3, 5000, false, 0}, {999, 5000, false, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "tries " << s.tries << " age " << s.ageMs);
        server.tries = s.tries;
        server.sendTime = net::ReadCounter() - s.ageMs * net::CounterFrequency() / 1000;
        EXPECT_EQ(server.RequestStatus(client), s.sends);
        if (s.triesAfter) {
            EXPECT_EQ(server.tries, s.triesAfter);
        }
        EXPECT_EQ(server.IsFinished(), s.triesAfter == 0 || s.triesAfter > 2);
    }
}
