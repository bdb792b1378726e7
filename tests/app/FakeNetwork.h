// A game network inside the test: a master server and game servers on 127.0.0.1, each a UDP endpoint
// of its own, answering "getservers" and "getstatus" from the test's description.
#pragma once

#include "query/engine/UdpPeers.h"

#include <memory>
#include <string>
#include <vector>

namespace apptest {

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

// A server with `count` players named <prefix>1 ... <prefix><count>.
SFakeServer MakeServer(const std::string& name, int gameType, int players, int maxClients,
                       const std::string& prefix = "p");

class CFakeNetwork {
public:
    explicit CFakeNetwork(std::vector<SFakeServer> servers);

    // host:port of the master.
    std::string MasterText() const { return m_peers->Address(0).ToText(); }
    net::CSockAddr ServerAddress(size_t index) const { return m_peers->Address(index + 1); }
    const SFakeServer& Server(size_t index) const { return m_servers[index]; }
    size_t Count() const { return m_servers.size(); }
    // Status requests the game servers received so far.
    size_t StatusRequests() const;

    static std::string StatusReply(const SFakeServer& server);

private:
    std::vector<enginetest::CAnswer> Answer(size_t peer, const std::string& request) const;

    std::vector<SFakeServer> m_servers;
    std::unique_ptr<enginetest::CUdpPeers> m_peers;
};

} // namespace apptest
