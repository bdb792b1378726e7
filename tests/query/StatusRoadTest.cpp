// One game server's whole road over real UDP on loopback: request, reply, record, ping; and a silent
// server asked twice and given up.
#include "query/GameServer.h"
#include "support/Udp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

using net::CSockAddr;
using net::CSockUDP;
using query::CGameServer;

namespace {

using testsupport::LOOPBACK_ANY_PORT;
using testsupport::WaitForData;

// Reads every request that reaches `peer` within `ms`, with its arrival time relative to `start`.
std::vector<int64_t> CollectRequests(CSockUDP& peer, int64_t start, int ms,
                                     std::vector<std::string>* texts = nullptr) {
    std::vector<int64_t> arrivals;
    while (net::ElapsedMs(start) < ms) {
        if (!WaitForData(peer, 20))
            continue;
        std::string text;
        if (peer.ReceiveText(text) == 0) {
            arrivals.push_back(net::ElapsedMs(start));
            if (texts)
                texts->push_back(text);
        }
    }
    return arrivals;
}

} // namespace

TEST(StatusRoad, RequestReplyAndPing) {
    testsupport::SLoopbackPair loop;
    CSockUDP &client = loop.a, &peer = loop.b;
    CGameServer server(peer.LocalAddress());
    server.Reset();

    ASSERT_TRUE(server.RequestStatus(client));
    EXPECT_EQ(server.tries, 1);
    ASSERT_TRUE(WaitForData(peer, 5000));
    std::string request;
    CSockAddr asker;
    ASSERT_EQ(peer.ReceiveTextFrom(request, asker), 0);
    EXPECT_EQ(request, std::string("\xFF\xFF\xFF\xFFgetstatus\n\0", 15));

    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const std::string reply =
        "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\^3Loop ^7Back\\mapname\\goldrush"
        "\\players_axis\\2\\players_allies\\1\n5 40 \"^1Ann\"\n7 45 \"Ben\"\n";
    ASSERT_EQ(peer.SendText(reply, asker), 0);

    ASSERT_TRUE(WaitForData(client, 5000));
    std::string text;
    CSockAddr from;
    ASSERT_EQ(client.ReceiveTextFrom(text, from), 0);
    ASSERT_TRUE(from == server.address);
    server.OnStatusReply(text);

    EXPECT_TRUE(server.IsFinished());
    EXPECT_GE(server.ping, 60);
    EXPECT_LT(server.ping, 3000);
    EXPECT_EQ(server.name, "Loop Back");
    EXPECT_EQ(server.map, "goldrush");
    ASSERT_EQ(server.players.size(), 2u);
    EXPECT_EQ(server.players[0].name, "Ann");
    EXPECT_EQ(server.players[0].team, query::TEAM_ALLIES);
    EXPECT_EQ(server.players[1].team, query::TEAM_AXIS);
    EXPECT_FALSE(server.RequestStatus(client)) << "an answered server is never asked again";
}

TEST(StatusRoad, SilentServerIsAskedTwiceThenGivenUp) {
    testsupport::SLoopbackPair loop;
    CSockUDP &client = loop.a, &peer = loop.b;
    CGameServer server(peer.LocalAddress());
    server.Reset();

    // Drive the record like the worker's ticks: every 50 ms until it has finished.
    const int64_t start = net::ReadCounter();
    std::vector<int64_t> sends;
    std::thread ticks([&] {
        while (!server.IsFinished() && net::ElapsedMs(start) < 6000) {
            if (server.RequestStatus(client))
                sends.push_back(net::ElapsedMs(start));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    std::vector<std::string> texts;
    std::vector<int64_t> arrivals = CollectRequests(peer, start, 3400, &texts);
    ticks.join();
    const int64_t finished = net::ElapsedMs(start);

    ASSERT_EQ(sends.size(), 2u);
    ASSERT_EQ(arrivals.size(), 2u);
    EXPECT_GT(sends[1] - sends[0], 1150);
    EXPECT_LT(sends[1] - sends[0], 2000);
    EXPECT_GT(arrivals[1] - arrivals[0], 1150);
    for (const std::string& t : texts)
        EXPECT_EQ(t.size(), 15u);
    EXPECT_TRUE(server.IsFinished());
    EXPECT_EQ(server.tries, query::TRIES_GIVEN_UP);
    EXPECT_EQ(server.ping, query::PING_NONE);
    EXPECT_GT(finished, 2400);
}

TEST(StatusRoad, RequestIsHeldBackUntilTheTimeoutHasPassed) {
    CSockUDP client;
    client.Create(LOOPBACK_ANY_PORT);
    CGameServer server(CSockAddr("127.0.0.1:9"));
    server.Reset();
    const int64_t msCounts = net::CounterFrequency() / 1000;

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
        server.tries = s.tries;
        server.sendTime = net::ReadCounter() - s.ageMs * msCounts;
        EXPECT_EQ(server.RequestStatus(client), s.sends) << "tries " << s.tries << " age " << s.ageMs;
        if (s.triesAfter) {
            EXPECT_EQ(server.tries, s.triesAfter) << "tries " << s.tries << " age " << s.ageMs;
        }
        EXPECT_EQ(server.IsFinished(), s.triesAfter == 0 || s.triesAfter > 2);
    }
}
