#include "net/SockUDP.h"
#include "base/Error.h"
#include "net/Sync.h"

#include <gtest/gtest.h>

#include <string>

using namespace net;

namespace {

// Waits at most timeoutMs for the endpoint's event; true when the record shows a waiting datagram.
bool WaitForData(CSockUDP& endpoint, int timeoutMs = 5000) {
    SyncHandle event = endpoint.GetEvent();
    return WaitForAny(&event, 1, timeoutMs) == 0 &&
           CSockUDP::HasEvent(endpoint.GetNetworkEvents(), kNetEventRead);
}

// Two endpoints bound to loopback ports of their own.
struct SLoopbackPair {
    SLoopbackPair() {
        a.Create(CSockAddr("127.0.0.1:0"));
        b.Create(CSockAddr("127.0.0.1:0"));
    }
    CSockUDP a, b;
};

} // namespace

// The request's terminating NUL is checked where the query run sends it.
TEST(SockUDP, ReceiveTextKeepsNulBytesAndAnOversizedDatagramKeepsTheSize) {
    SLoopbackPair p;
    const std::string sent("\xFF\xFF\xFF\xFFgetserversResponse\\\x7F\x00\x00\x01\x6D\x38\\EOT", 34);
    const std::string big(300, 'B');
    int length = static_cast<int>(sent.size()), bigLength = static_cast<int>(big.size());
    ASSERT_EQ(p.a.SendTo(sent.data(), length, p.b.LocalAddress()), 0);
    ASSERT_EQ(p.a.SendTo(big.data(), bigLength, p.b.LocalAddress()), 0);
    ASSERT_TRUE(bigLength == 300 && WaitForData(p.b));
    std::string text = "previous content that is longer";
    CSockAddr from;
    ASSERT_EQ(p.b.ReceiveTextFrom(text, from), 0);
    EXPECT_EQ(text, sent);
    EXPECT_EQ(text.c_str()[text.size()], '\0');
    EXPECT_EQ(from.ToText(), p.a.LocalAddress().ToText());
    ASSERT_TRUE(WaitForData(p.b));
    char buffer[100];
    int size = sizeof buffer;
    EXPECT_EQ(p.b.Receive(buffer, size), 10040) << "message too long";
    EXPECT_TRUE(size == 100 && buffer[99] == 'B') << size;
}

TEST(SockUDP, QuietUntilABurstThenOneReadPerWakeUpAndReopenedAfterAClose) {
    SLoopbackPair p;
    SyncHandle event = p.b.GetEvent();
    EXPECT_EQ(WaitForAny(&event, 1, 100), kWaitTimedOut) << "a quiet socket does not signal";
    EXPECT_FALSE(CSockUDP::HasEvent(p.b.GetNetworkEvents(), kNetEventRead));
    constexpr int kBurst = 100;
    for (int i = 0; i < kBurst; ++i)
        ASSERT_EQ(p.a.SendText(std::to_string(i), p.b.LocalAddress()), 0);
    int next = 0;
    for (std::string text; next < kBurst && WaitForData(p.b, 2000); ++next) {
        ASSERT_EQ(p.b.ReceiveText(text), 0);
        EXPECT_EQ(text, std::to_string(next) + '\0');
    }
    EXPECT_EQ(next, kBurst);
    EXPECT_TRUE(WaitForAny(&event, 1, 100) != 0 || !CSockUDP::HasEvent(p.b.GetNetworkEvents(), kNetEventRead))
        << "no read event once everything is read";
    char buffer[8];
    int size = sizeof buffer;
    EXPECT_NE(p.b.Receive(buffer, size), 0) << "nothing is left to read";
    EXPECT_EQ(size, 0);

    p.b.Close();
    p.b.Close();
    EXPECT_FALSE(p.b.IsOpen());
    size = 5;
    EXPECT_NE(p.b.SendTo("hello", size, p.a.LocalAddress()), 0) << "sent on a closed endpoint";
    EXPECT_EQ(size, 0);
    p.b.Create(CSockAddr("127.0.0.1:0"));
    ASSERT_EQ(p.a.SendText("again", p.b.LocalAddress()), 0);
    EXPECT_TRUE(p.b.IsOpen() && WaitForData(p.b));
}
