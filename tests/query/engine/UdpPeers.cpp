#include "UdpPeers.h"

#include <algorithm>
#include <chrono>

namespace testsupport {

namespace {
constexpr size_t kGroup = 62;
constexpr uint32_t kLoopback = 0x7F000001;
} // namespace

CUdpPeers::CUdpPeers(size_t count, PeerPolicy policy) : m_policy(std::move(policy)), m_arrivals(count) {
    for (size_t i = 0; i < count; ++i) {
        m_endpoints.push_back(std::make_unique<net::CSockUDP>());
        m_endpoints.back()->Create(net::CSockAddr(kLoopback, 0));
        m_addresses.push_back(m_endpoints.back()->LocalAddress());
    }
    // Every stop event exists before the first thread starts: the threads read the list.
    for (size_t first = 0; first < count; first += kGroup)
        m_stops.push_back(std::make_unique<net::CSyncEvent>());
    for (size_t first = 0; first < count; first += kGroup)
        m_threads.emplace_back(&CUdpPeers::Serve, this, first, std::min(count, first + kGroup));
}

CUdpPeers::~CUdpPeers() {
    for (auto& stop : m_stops)
        stop->Set();
    for (auto& thread : m_threads)
        thread.join();
}

void CUdpPeers::Serve(size_t first, size_t last) {
    std::vector<net::SyncHandle> handles{m_stops[first / kGroup]->Handle()};
    for (size_t i = first; i < last; ++i)
        handles.push_back(m_endpoints[i]->GetEvent());
    std::string text;
    net::CSockAddr from;
    for (;;) {
        int signalled = net::WaitForAny(handles.data(), static_cast<int>(handles.size()), net::kWaitInfinite);
        if (signalled == 0)
            return;
        size_t peer = first + static_cast<size_t>(signalled) - 1;
        net::CSockUDP& endpoint = *m_endpoints[peer];
        endpoint.GetNetworkEvents();
        // Read everything waiting; a refused earlier send may show up as a read error, which ends it.
        while (endpoint.ReceiveTextFrom(text, from) == 0) {
            int index;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                index = static_cast<int>(m_arrivals[peer].size());
                m_arrivals[peer].push_back({net::ReadCounter(), text});
            }
            for (const SAnswer& answer : m_policy(peer, index, text)) {
                // By the engine's clock: a sleep under Wine may end a millisecond or two early.
                const int64_t start = net::ReadCounter();
                for (double left = answer.delayMs; left > 0;
                     left = answer.delayMs - CounterMs(start, net::ReadCounter()))
                    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(left));
                int length = static_cast<int>(answer.bytes.size());
                m_endpoints[answer.fromPeer]->SendTo(answer.bytes.data(), length, from);
            }
        }
    }
}

std::vector<SArrival> CUdpPeers::Arrivals(size_t peer) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_arrivals[peer];
}

size_t CUdpPeers::TotalArrivals() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t total = 0;
    for (const auto& a : m_arrivals)
        total += a.size();
    return total;
}

std::string HostileStatusReply() {
    std::string allies, axis;
    for (int i = 1; i <= 3000; ++i)
        (i % 2 ? allies : axis) += std::to_string(i) + " ";
    std::string reply =
        "\xFF\xFF\xFF\xFFstatusResponse\n\\players_allies\\" + allies + "\\players_axis\\" + axis + "\n";
    reply.resize(65507, '\n');
    return reply;
}

} // namespace testsupport
