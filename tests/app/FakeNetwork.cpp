#include "FakeNetwork.h"

namespace apptest {

SFakeServer MakeServer(const std::string& name, int gameType, int players, int maxClients,
                       const std::string& prefix) {
    SFakeServer server;
    server.name = name;
    server.gameType = gameType;
    server.maxClients = maxClients;
    for (int i = 1; i <= players; ++i)
        server.players.push_back({i * 10, 40 + i, prefix + std::to_string(i)});
    return server;
}

CFakeNetwork::CFakeNetwork(std::vector<SFakeServer> servers) : m_servers(std::move(servers)) {
    m_peers = std::make_unique<enginetest::CUdpPeers>(
        m_servers.size() + 1,
        [this](size_t peer, int, const std::string& request) { return Answer(peer, request); });
}

size_t CFakeNetwork::StatusRequests() const {
    size_t total = 0;
    for (size_t i = 1; i < m_peers->Count(); ++i)
        total += m_peers->Arrivals(i).size();
    return total;
}

std::string CFakeNetwork::StatusReply(const SFakeServer& server) {
    std::string reply = "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\" + server.name +
                        "\\mapname\\oasis\\g_gametype\\" + std::to_string(server.gameType) +
                        "\\sv_maxclients\\" + std::to_string(server.maxClients) +
                        "\\players_allies\\1\\players_axis\\2\n";
    for (const SFakePlayer& p : server.players)
        reply += std::to_string(p.score) + " " + std::to_string(p.ping) + " \"" + p.name + "\"\n";
    return reply;
}

std::vector<enginetest::CAnswer> CFakeNetwork::Answer(size_t peer, const std::string& request) const {
    if (peer == 0) {
        if (request.find("getservers") == std::string::npos)
            return {};
        std::string reply = "\xFF\xFF\xFF\xFFgetserversResponse";
        for (size_t i = 1; i < m_peers->Count(); ++i) {
            const net::CSockAddr address = m_peers->Address(i);
            const uint32_t ip = 0x7F000001;
            const uint16_t port = address.GetPort();
            reply += '\\';
            reply += static_cast<char>(ip >> 24);
            reply += static_cast<char>((ip >> 16) & 0xFF);
            reply += static_cast<char>((ip >> 8) & 0xFF);
            reply += static_cast<char>(ip & 0xFF);
            reply += static_cast<char>(port >> 8);
            reply += static_cast<char>(port & 0xFF);
        }
        reply += "\\EOT";
        return {{0, reply}};
    }
    const SFakeServer& server = m_servers[peer - 1];
    if (server.silent || request.find("getstatus") == std::string::npos)
        return {};
    return {{peer, StatusReply(server)}};
}

} // namespace apptest
