// A game network inside the test: a master server and game servers on 127.0.0.1, each a UDP endpoint
// of its own, answering "getservers" and "getstatus" from the test's description.
#pragma once

#include "query/engine/UdpPeers.h"

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct SFakePlayer {
    int score;
    int ping;
    std::string name;
};

struct SFakeServer {
    std::string name;
    int gameType = 2;
    int maxClients = 20;
    std::vector<SFakePlayer> players;
    bool silent = false;
};

// A server with `players` players named <name>-1 ... <name>-<players>.
SFakeServer MakeServer(const std::string& name, int players, int gameType = 2, int maxClients = 20);
// count servers named s0 ... s<count-1>, each with `players` players.
std::vector<SFakeServer> MakeServers(int count, int players);

class CFakeNetwork {
public:
    // The master answers each request masterDelayMs late.
    explicit CFakeNetwork(std::vector<SFakeServer> servers, int masterDelayMs = 0);

    // host:port of the master.
    std::string MasterText() const { return m_master->Address(0).ToText(); }
    net::CSockAddr ServerAddress(size_t index) const { return m_peers->Address(index); }
    // Status requests the game servers received so far.
    size_t StatusRequests() const { return m_peers->TotalArrivals(); }

private:
    std::vector<testsupport::SAnswer> Answer(size_t peer, const std::string& request) const;

    std::vector<SFakeServer> m_servers;
    std::unique_ptr<testsupport::CUdpPeers> m_peers;
    std::unique_ptr<testsupport::CUdpPeers> m_master;
};

} // namespace testsupport
