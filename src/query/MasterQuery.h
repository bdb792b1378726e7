// The master server query: ask every master of the list for the addresses of all game servers, in
// parallel, and gather the distinct addresses they list. Runs on the calling thread (the query run's
// worker, or the headless tool) and never touches the server collection: the owner of the collection
// stores the result (StoreServers) once the query has succeeded.
#pragma once

#include "net/SockAddr.h"
#include "net/Sync.h"
#include "query/MasterList.h"
#include "query/ServerCollection.h"

#include <string>
#include <string_view>
#include <vector>

namespace query {

// The entries of the Version list and the protocol numbers they send.
constexpr int kMasterVersionCount = 4;
extern const char* const kMasterVersionNames[kMasterVersionCount]; // "Map Test" ... "2.60b"
// 71, 82, 83 or 84 for the entries 0 to 3; 0 for no (or an unknown) entry.
int MasterProtocol(int versionIndex);

// FF FF FF FF "getservers <protocol>" [" full"] [" empty"]; sent with its terminating NUL.
std::string BuildMasterRequest(int protocol, bool includeFull, bool includeEmpty);

// The addresses listed in one reply datagram, in order: 7-byte entries (backslash, IPv4 address in
// network order, port high byte first) from the first backslash on, ending at the end of the datagram,
// at an entry holding a NUL byte, at an entry beginning with "\EOT", or before an entry cut short.
// `endMarker`, when given, tells whether the entries ended at "\EOT".
std::vector<net::CSockAddr> ReadMasterEntries(std::string_view datagram, bool* endMarker = nullptr);

// Whether a listed address can be a game server: not 0.0.0.0, not multicast or broadcast (224.0.0.0 and
// up), not port 0.
bool IsServerAddress(const net::CSockAddr& address);

enum class MasterOutcome {
    COLLECTED,   // at least one master answered; the result holds what the masters listed
    NO_RESPONSE, // no master answered any of its three probes
    BAD_ADDRESS, // no master could be resolved to a usable address; nothing sent
    STOPPED,     // the stop event ended the query
};

// What became of one master of the list.
struct SMasterStatus {
    std::string name;       // host:port as the list gave it
    net::CSockAddr address; // as resolved
    bool resolved = false;  // a usable address (not 255.255.255.255, 0.0.0.0 or port 0)
    bool answered = false;
    bool complete = false; // a datagram ending in "\EOT" came from it
    int entries = 0;       // distinct usable addresses it listed
    int datagrams = 0;
    int probes = 0;
};

struct SMasterResult {
    MasterOutcome outcome = MasterOutcome::NO_RESPONSE;
    std::vector<SMasterStatus> masters;  // in list order, one per distinct address
    std::vector<net::CSockAddr> servers; // distinct usable addresses, in the order first listed
    bool capped = false;                 // more than MASTER_MAX_SERVERS were listed
    int quietMs = 0;                     // the quiet time of the collection: 2000, 3000 or 4000 ms
    int datagrams = 0;                   // datagrams read from the masters
};

// Timing: probes after 0, 1000 and 2500 ms (waits of 1000, 1500 and 2000 ms); a master that answers
// none is given up 4500 ms after its first. The collection ends after twice the wait of the latest
// answering master without traffic, or MASTER_EOT_GRACE_MS after "\EOT" has come from every master
// that answered, and in any case MASTER_MAX_COLLECT_MS after the first answer.
constexpr int kMasterProbes = 3;
constexpr int kMasterFirstWaitMs = 1000;
constexpr int kMasterWaitStepMs = 500;
constexpr int kMasterEotGraceMs = 100;
constexpr int kMasterMaxCollectMs = 10000;
constexpr size_t kMasterMaxServers = 65536;

// Looks the masters up (blocking name resolution); masters that resolve to an address already listed
// are left out.
std::vector<SMasterStatus> ResolveMasters(const std::vector<SMasterEntry>& entries);

// Asks every resolved master over a local endpoint of its own. Only datagrams from a master's exact
// address and port count. `stopEvent`, when given, ends the query (STOPPED) as soon as it is
// signalled. Throws CSockErr when the endpoint cannot be created.
SMasterResult QueryMasters(std::vector<SMasterStatus> masters, const std::string& request,
                           net::SyncHandle stopEvent = nullptr);

// For the user: "" when every master answered; "No response from master server." when none did;
// otherwise the masters that failed, by name. Also the text of BAD_ADDRESS.
std::string MasterOutcomeText(const SMasterResult& result);
// For the user, when the result was capped: how many servers are queried; otherwise "".
std::string MasterCapText(const SMasterResult& result);

// Replaces the collection's records by one fresh record per address of a COLLECTED result.
void StoreServers(const SMasterResult& result, CServerCollection& servers);

} // namespace query
