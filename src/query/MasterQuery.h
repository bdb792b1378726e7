// The master server query: ask the master for the addresses of all game servers and fill the server
// collection with one fresh record per address. Runs synchronously on the calling thread; the caller
// stops a running query run before and starts the next one after (CQueryRun), and shows the outcome.
#pragma once

#include "net/SockAddr.h"
#include "query/ServerCollection.h"

#include <string>
#include <string_view>
#include <vector>

namespace query {

// The entries of the Version list and the protocol numbers they send.
constexpr int MASTER_VERSION_COUNT = 3;
extern const char* const MASTER_VERSION_NAMES[MASTER_VERSION_COUNT]; // "Map Test", "Final", "Patch 1.02"
// 71, 82 or 83 for the entries 0 to 2; 0 for no (or an unknown) entry.
int MasterProtocol(int versionIndex);

// FF FF FF FF "getservers <protocol>" [" full"] [" empty"]; sent with its terminating NUL.
std::string BuildMasterRequest(int protocol, bool includeFull, bool includeEmpty);

// The addresses listed in one reply datagram, in order: 7-byte entries (backslash, IPv4 address in
// network order, port high byte first) from the first backslash on, ending at the end of the datagram,
// at an entry holding a NUL byte, at an entry beginning with "\EOT", or before an entry cut short.
std::vector<net::CSockAddr> ReadMasterEntries(std::string_view datagram);

// Stores a new record (named by its address text, no password) for every entry of the datagram,
// replacing any record with the same address.
void ParseMasterReply(const std::string& text, CServerCollection& servers);

enum class MasterOutcome {
    COLLECTED,   // the master answered; the collection holds what its replies listed
    NO_RESPONSE, // none of the three probes was answered; the collection is unchanged
    BAD_ADDRESS, // the master address is unresolved (255.255.255.255), 0.0.0.0 or port 0; nothing sent
};

// "No response from master server." and the text of the other failures.
const char* MasterOutcomeText(MasterOutcome outcome);

struct CMasterResult {
    MasterOutcome outcome = MasterOutcome::NO_RESPONSE;
    int probesSent = 0; // requests sent in the probe phase
    int quietMs = 0;    // the collect phase's quiet time: 2000, 3000 or 4000 ms
    int datagrams = 0;  // reply datagrams read in the collect phase
};

// Probe timing: three waits of 1000, 1500 and 2000 ms; the collect phase ends after twice the last
// wait without traffic.
constexpr int MASTER_PROBES = 3;
constexpr int MASTER_FIRST_WAIT_MS = 1000;
constexpr int MASTER_WAIT_STEP_MS = 500;

// The whole master query over a local endpoint of its own. Socket failures (creating the endpoint,
// sending, reading) throw CSockErr; the collection then keeps what was stored until then.
CMasterResult QueryMaster(const net::CSockAddr& master, const std::string& request,
                          CServerCollection& servers);

} // namespace query
