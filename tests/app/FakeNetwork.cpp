#include "FakeNetwork.h"

namespace testsupport {

SFakeServer MakeServer(const std::string& name, int players, int gameType, int maxClients) {
    SFakeServer server{name, gameType, maxClients, {}, false};
    for (int i = 1; i <= players; ++i)
        server.players.push_back({i * 10, 40 + i, name + "-" + std::to_string(i)});
    return server;
}

std::vector<SFakeServer> MakeServers(int count, int players) {
    std::vector<SFakeServer> servers;
    for (int i = 0; i < count; ++i)
        servers.push_back(MakeServer("s" + std::to_string(i), players));
    return servers;
}

CFakeNetwork::CFakeNetwork(std::vector<SFakeServer> servers, int masterDelayMs)
    : m_servers(std::move(servers)) {
    m_peers = std::make_unique<testsupport::CUdpPeers>(
        m_servers.size(),
        [this](size_t peer, int, const std::string& request) { return Answer(peer, request); });
    // The master serves on a thread of its own, so that its delay holds up no game server.
    m_master = std::make_unique<testsupport::CUdpPeers>(
        1,
        [this, masterDelayMs](size_t, int, const std::string& request) -> std::vector<testsupport::SAnswer> {
            if (request.find("getservers") == std::string::npos)
                return {};
            std::string reply = testsupport::kMasterHeader;
            for (size_t i = 0; i < m_peers->Count(); ++i)
                reply += testsupport::MasterEntry(127, 0, 0, 1, m_peers->Address(i).GetPort());
            return {{0, reply + "\\EOT", masterDelayMs}};
        });
}

std::vector<testsupport::SAnswer> CFakeNetwork::Answer(size_t peer, const std::string& request) const {
    const SFakeServer& server = m_servers[peer];
    if (server.silent || request.find("getstatus") == std::string::npos)
        return {};
    std::string reply = "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\" + server.name +
                        "\\mapname\\oasis\\g_gametype\\" + std::to_string(server.gameType) +
                        "\\sv_maxclients\\" + std::to_string(server.maxClients) +
                        "\\players_allies\\1\\players_axis\\2\n";
    for (const SFakePlayer& p : server.players)
        reply += std::to_string(p.score) + " " + std::to_string(p.ping) + " \"" + p.name + "\"\n";
    return {{peer, reply}};
}

} // namespace testsupport
