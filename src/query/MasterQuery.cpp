#include "query/MasterQuery.h"

#include "net/Error.h"
#include "net/SockUDP.h"
#include "net/Sync.h"

#include <cstring>

namespace query {

const char* const MASTER_VERSION_NAMES[MASTER_VERSION_COUNT] = {"Map Test", "Final", "Patch 1.02"};

namespace {

constexpr int MASTER_PROTOCOLS[MASTER_VERSION_COUNT] = {71, 82, 83};
constexpr size_t ENTRY_SIZE = 7;
constexpr std::string_view END_MARKER = "\\EOT";

} // namespace

int MasterProtocol(int versionIndex) {
    return versionIndex >= 0 && versionIndex < MASTER_VERSION_COUNT ? MASTER_PROTOCOLS[versionIndex] : 0;
}

std::string BuildMasterRequest(int protocol, bool includeFull, bool includeEmpty) {
    std::string request = "\xFF\xFF\xFF\xFFgetservers " + std::to_string(protocol);
    if (includeFull)
        request += " full";
    if (includeEmpty)
        request += " empty";
    return request;
}

std::vector<net::CSockAddr> ReadMasterEntries(std::string_view datagram) {
    std::vector<net::CSockAddr> entries;
    size_t pos = datagram.find('\\');
    if (pos == std::string_view::npos)
        return entries;
    const auto* bytes = reinterpret_cast<const unsigned char*>(datagram.data());
    while (pos < datagram.size() && bytes[pos] != 0 &&
           datagram.substr(pos, END_MARKER.size()) != END_MARKER && datagram.size() - pos >= ENTRY_SIZE) {
        const unsigned char* e = bytes + pos + 1;
        uint32_t address = uint32_t(e[0]) << 24 | uint32_t(e[1]) << 16 | uint32_t(e[2]) << 8 | e[3];
        entries.emplace_back(address, static_cast<uint16_t>(e[4] << 8 | e[5]));
        pos += ENTRY_SIZE;
    }
    return entries;
}

void ParseMasterReply(const std::string& text, CServerCollection& servers) {
    for (const net::CSockAddr& address : ReadMasterEntries(text))
        servers.Store(CGameServer(address));
}

const char* MasterOutcomeText(MasterOutcome outcome) {
    switch (outcome) {
    case MasterOutcome::COLLECTED:
        return "";
    case MasterOutcome::NO_RESPONSE:
        return "No response from master server.";
    case MasterOutcome::BAD_ADDRESS:
        break;
    }
    return "The master server address could not be resolved.";
}

CMasterResult QueryMaster(const net::CSockAddr& master, const std::string& request,
                          CServerCollection& servers) {
    CMasterResult result;
    // An unresolved host reads as the broadcast address; never send there (nor to 0.0.0.0 or port 0).
    if (master.GetAddress() == 0xFFFFFFFFu || master.GetAddress() == 0 || master.GetPort() == 0) {
        result.outcome = MasterOutcome::BAD_ADDRESS;
        return result;
    }
    net::CSockUDP endpoint;
    endpoint.Create();
    const net::SyncHandle event = endpoint.GetEvent();

    int attempts = MASTER_PROBES;
    int wait = MASTER_FIRST_WAIT_MS;
    do {
        net::CSockErr::ThrowIfSockError(endpoint.SendText(request, master));
        ++result.probesSent;
        if (net::WaitForAny(&event, 1, wait) == net::WAIT_TIMED_OUT) {
            --attempts;
            wait += MASTER_WAIT_STEP_MS;
        } else if (net::CSockUDP::HasEvent(endpoint.GetNetworkEvents(), net::NET_EVENT_READ)) {
            break;
        }
    } while (attempts != 0);
    if (attempts == 0)
        return result;

    net::CSockErr::ThrowIfSockError(endpoint.SendText(request, master));
    servers.Clear();
    result.outcome = MasterOutcome::COLLECTED;
    result.quietMs = 2 * wait;
    std::string text;
    do {
        if (net::CSockUDP::HasEvent(endpoint.GetNetworkEvents(), net::NET_EVENT_READ)) {
            net::CSockErr::ThrowIfSockError(endpoint.ReceiveText(text));
            ++result.datagrams;
            ParseMasterReply(text, servers);
        }
    } while (net::WaitForAny(&event, 1, result.quietMs) != net::WAIT_TIMED_OUT);
    return result;
}

} // namespace query
