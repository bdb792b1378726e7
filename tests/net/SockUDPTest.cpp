#include "base/Error.h"
#include "support/Udp.h"

#include <gtest/gtest.h>

#include <string>

using net::CSockAddr;
using net::CSockUDP;

using testsupport::kLoopbackAnyPort;
using testsupport::WaitForData;
using Pair = testsupport::SLoopbackPair;

TEST(SockUDP, SendTextSendsTheTerminatingNulAndReceiveTextKeepsNulBytes) {
    Pair p;
    ASSERT_EQ(p.a.SendText("getstatus\nxyzw", p.b.LocalAddress()), 0);
    const std::string sent("\xFF\xFF\xFF\xFFgetserversResponse\\\x7F\x00\x00\x01\x6D\x38\\EOT", 34);
    int length = static_cast<int>(sent.size());
    ASSERT_EQ(p.a.SendTo(sent.data(), length, p.b.LocalAddress()), 0);
    ASSERT_TRUE(WaitForData(p.b));
    char buffer[64];
    int size = sizeof buffer;
    CSockAddr from;
    ASSERT_EQ(p.b.ReceiveFrom(buffer, size, from), 0);
    EXPECT_EQ(std::string(buffer, size), std::string("getstatus\nxyzw", 15));
    EXPECT_EQ(from.ToText(), p.a.LocalAddress().ToText());
    ASSERT_TRUE(WaitForData(p.b));
    std::string text = "previous content that is longer";
    ASSERT_EQ(p.b.ReceiveTextFrom(text, from), 0);
    EXPECT_EQ(text, sent);
    EXPECT_EQ(text.c_str()[text.size()], '\0');
}

TEST(SockUDP, OversizedDatagramGivesMessageTooLongAndKeepsTheSize) {
    Pair p;
    std::string big(300, 'B');
    int length = static_cast<int>(big.size());
    ASSERT_EQ(p.a.SendTo(big.data(), length, p.b.LocalAddress()), 0);
    ASSERT_TRUE(length == 300 && WaitForData(p.b));
    char buffer[100];
    int size = sizeof buffer;
    EXPECT_EQ(p.b.Receive(buffer, size), 10040);
    EXPECT_TRUE(size == 100 && buffer[99] == 'B') << size;
}

TEST(SockUDP, QuietUntilABurstThenOneReadPerWakeUp) {
    Pair p;
    net::SyncHandle event = p.b.GetEvent();
    EXPECT_EQ(net::WaitForAny(&event, 1, 100), net::kWaitTimedOut) << "a quiet socket does not signal";
    EXPECT_FALSE(CSockUDP::HasEvent(p.b.GetNetworkEvents(), net::kNetEventRead));
    constexpr int kBurst = 100;
    for (int i = 0; i < kBurst; ++i)
        ASSERT_EQ(p.a.SendText(std::to_string(i), p.b.LocalAddress()), 0);
    int next = 0;
    for (std::string text; next < kBurst && WaitForData(p.b, 2000); ++next) {
        ASSERT_EQ(p.b.ReceiveText(text), 0);
        EXPECT_EQ(text, std::to_string(next) + '\0');
    }
    EXPECT_EQ(next, kBurst);
    if (net::WaitForAny(&event, 1, 100) == 0) {
        EXPECT_FALSE(CSockUDP::HasEvent(p.b.GetNetworkEvents(), net::kNetEventRead));
    }
    char buffer[8];
    int size = sizeof buffer;
    EXPECT_NE(p.b.Receive(buffer, size), 0) << "nothing is left to read";
    EXPECT_EQ(size, 0);
}

TEST(SockUDP, CloseIsSafeTwiceAndEndpointCanBeReopened) {
    CSockUDP endpoint, peer;
    int length = 5;
    EXPECT_NE(endpoint.SendTo("hello", length, CSockAddr("127.0.0.1:9")), 0) << "sent on a closed endpoint";
    EXPECT_EQ(length, 0);
    endpoint.Create(kLoopbackAnyPort);
    endpoint.Close();
    endpoint.Close();
    EXPECT_FALSE(endpoint.IsOpen());
    endpoint.Create(kLoopbackAnyPort);
    peer.Create(kLoopbackAnyPort);
    ASSERT_EQ(peer.SendText("again", endpoint.LocalAddress()), 0);
    EXPECT_TRUE(endpoint.IsOpen() && WaitForData(endpoint));
}
