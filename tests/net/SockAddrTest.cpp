#include "net/SockAddr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using net::CSockAddr;

TEST(SockAddr, ReadsAndPrintsText) {
    const std::pair<const char*, const char*> cases[] = {
        {"192.168.0.7:27960", "192.168.0.7:27960"},
        {"10.1.1.1:", "10.1.1.1:0"},
        {"10.1.1.1: 27961", "10.1.1.1:27961"},
        {"10.1.1.1:27961x", "10.1.1.1:27961"},
        {"10.0.0.5[27962]", "10.0.0.5:27962"},
        {"10.0.0.5[27962]:1", "10.0.0.5:27962"},
        {"localhost[27961]", "127.0.0.1:27961"},
        {"localhost:27950", "127.0.0.1:27950"},
        {"localhost", "127.0.0.1:0"},
        {"255.255.255.255:5", "255.255.255.255:5"},
        {"bad..host:27960", "255.255.255.255:27960"},
        {"", "255.255.255.255:0"},
    };
    for (const auto& [text, printed] : cases)
        EXPECT_EQ(CSockAddr(text).ToText(), printed) << text;
}

TEST(SockAddr, NewAddressIsEmptyTextWithoutPortKeepsThePortAndBytesAreInNetworkOrder) {
    CSockAddr address;
    EXPECT_EQ(address.ToText(), "0.0.0.0:0");
    address.SetFromText("10.0.0.9:27960");
    address.SetFromText("10.0.0.10");
    EXPECT_EQ(address.ToText(), "10.0.0.10:27960");
    address.SetFromText("bad..host"); // rejected locally, without asking any name server
    EXPECT_EQ(address.ToText(), "255.255.255.255:27960");
    address.SetFromText("10.0.0.1"); // port and address are held in network order
    const auto* raw = reinterpret_cast<const unsigned char*>(&address.Raw());
    EXPECT_EQ(address.Raw().sin_family, AF_INET);
    EXPECT_EQ(std::vector<int>(raw + 2, raw + 8), (std::vector<int>{0x6D, 0x38, 10, 0, 0, 1}));
    EXPECT_EQ(std::make_pair(address.GetAddress(), address.GetPort()),
              std::make_pair(0x0A000001u, uint16_t(27960)));
}

TEST(SockAddr, KeyOrderReadsTheBytesBackwards) {
    // Each list is in key order; sorting a reversed copy must give it back.
    const std::vector<std::vector<const char*>> orders = {
        {"4.3.2.1:1", "1.2.3.4:1"},
        {"9.9.9.9:27960", "9.9.9.9:27961", "9.9.9.9:28000", "9.9.9.9:27000"},
        {"1.0.0.2:5", "2.0.0.2:5", "1.0.0.3:5"},
        {"10.0.0.1:65535", "10.0.0.2:0"},
    };
    for (const auto& order : orders) {
        std::vector<CSockAddr> sorted(order.rbegin(), order.rend());
        std::sort(sorted.begin(), sorted.end());
        for (size_t i = 0; i < order.size(); ++i)
            EXPECT_EQ(sorted[i].ToText(), order[i]);
    }
    EXPECT_FALSE(CSockAddr("1.2.3.4:5") < CSockAddr("1.2.3.4:5"));
    EXPECT_TRUE(CSockAddr("1.2.3.4:5") == CSockAddr("1.2.3.4[5"));
}
