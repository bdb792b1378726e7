// Test peers on loopback: a set of UDP endpoints on 127.0.0.1 that record every datagram they receive
// (with its arrival time) and answer as the test's policy says. Serve on threads of their own, up to
// 62 endpoints per thread (one wait covers a group).
#pragma once

#include "net/SockUDP.h"
#include "net/Sync.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

struct SArrival {
    int64_t counter = 0; // ReadCounter() when the peer read it
    std::string bytes;
};

// A datagram a peer sends back: from endpoint `fromPeer` of the set to the requester.
struct SAnswer {
    size_t fromPeer;
    std::string bytes;
    int delayMs = 0; // a pause before sending it
};

// Called on a serving thread for every datagram: the peer index, the number of earlier datagrams that
// peer received, and the datagram.
using PeerPolicy = std::function<std::vector<SAnswer>(size_t peer, int index, const std::string& request)>;

class CUdpPeers {
public:
    CUdpPeers(size_t count, PeerPolicy policy);
    ~CUdpPeers();

    net::CSockAddr Address(size_t peer) const { return m_addresses[peer]; }
    size_t Count() const { return m_addresses.size(); }
    // A copy of what peer `peer` received so far.
    std::vector<SArrival> Arrivals(size_t peer) const;
    size_t TotalArrivals() const;

private:
    void Serve(size_t first, size_t last);

    PeerPolicy m_policy;
    std::vector<std::unique_ptr<net::CSockUDP>> m_endpoints;
    std::vector<net::CSockAddr> m_addresses;
    std::vector<std::vector<SArrival>> m_arrivals;
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<net::CSyncEvent>> m_stops;
    std::vector<std::thread> m_threads;
};

// Milliseconds between two counter readings.
inline double CounterMs(int64_t from, int64_t to) {
    return static_cast<double>(to - from) * 1000.0 / static_cast<double>(net::CounterFrequency());
}

// The master reply's header and one 7-byte entry: backslash, address octets, port high byte first.
inline const std::string kMasterHeader = "\xFF\xFF\xFF\xFFgetserversResponse";
inline std::string MasterEntry(int a, int b, int c, int d, int port) {
    return std::string{'\\', char(a), char(b), char(c), char(d), char(port >> 8), char(port & 0xFF)};
}

// Each address as text, in order.
inline std::vector<std::string> AddressTexts(const std::vector<net::CSockAddr>& addresses) {
    std::vector<std::string> texts;
    for (const net::CSockAddr& a : addresses)
        texts.push_back(a.ToText());
    return texts;
}

// 64 KiB of a status reply built to stall a parser: team lists of 3,000 positions, then blank lines.
std::string HostileStatusReply();

} // namespace testsupport
