// A game network inside the test: a master server and game servers on 127.0.0.1, each a UDP endpoint
// of its own, answering "getservers" and "getstatus" from the test's description.
#pragma once

#include "query/engine/UdpPeers.h"

#include <string>
#include <vector>

namespace testsupport {

struct SFakeServer {
    std::string name;
    int gameType = 2;
    int maxClients = 20;
    std::vector<std::string> players; // player n (from 1) has score 10 * n and ping 40 + n
    bool silent = false;
};

// A server with `players` players named <name>-1 ... <name>-<players>.
inline SFakeServer MakeServer(const std::string& name, int players, int gameType = 2, int maxClients = 20) {
    SFakeServer server{name, gameType, maxClients, {}, false};
    for (int i = 1; i <= players; ++i)
        server.players.push_back(name + "-" + std::to_string(i));
    return server;
}

// count servers named s0 ... s<count-1>, each with `players` players.
inline std::vector<SFakeServer> MakeServers(int count, int players) {
    std::vector<SFakeServer> servers;
    for (int i = 0; i < count; ++i)
        servers.push_back(MakeServer("s" + std::to_string(i), players));
    return servers;
}

class CFakeNetwork {
public:
    // The master answers each request masterDelayMs late, on a thread of its own so that its delay
    // holds up no game server.
    explicit CFakeNetwork(std::vector<SFakeServer> servers, int masterDelayMs = 0)
        : m_servers(std::move(servers)),
          m_peers(m_servers.size(),
                  [this](size_t peer, int, const std::string& request) { return Answer(peer, request); }),
          m_master(1, [this, masterDelayMs](size_t, int, const std::string& request) -> std::vector<SAnswer> {
              if (request.find("getservers") == std::string::npos)
                  return {};
              std::string reply = kMasterHeader;
              for (size_t i = 0; i < m_peers.Count(); ++i)
                  reply += MasterEntry(127, 0, 0, 1, m_peers.Address(i).GetPort());
              return {{0, reply + "\\EOT", masterDelayMs}};
          }) {}

    // host:port of the master.
    std::string MasterText() const { return m_master.Address(0).ToText(); }
    net::CSockAddr ServerAddress(size_t index) const { return m_peers.Address(index); }
    // Status requests the game servers received so far.
    size_t StatusRequests() const { return m_peers.TotalArrivals(); }

private:
    std::vector<SAnswer> Answer(size_t peer, const std::string& request) const {
        const SFakeServer& server = m_servers[peer];
        if (server.silent || request.find("getstatus") == std::string::npos)
            return {};
        std::string reply = "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\" + server.name +
                            "\\mapname\\oasis\\g_gametype\\" + std::to_string(server.gameType) +
                            "\\sv_maxclients\\" + std::to_string(server.maxClients) +
                            "\\players_allies\\1\\players_axis\\2\n";
        for (size_t n = 1; n <= server.players.size(); ++n)
            reply += std::to_string(10 * n) + " " + std::to_string(40 + n) + " \"" + server.players[n - 1] +
                     "\"\n";
        return {{peer, reply}};
    }

    std::vector<SFakeServer> m_servers;
    CUdpPeers m_peers;
    CUdpPeers m_master;
};

} // namespace testsupport
