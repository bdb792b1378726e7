// The server record, the player record, and the status request / reply of one game server.
#pragma once

#include "net/SockAddr.h"
#include "net/SockUDP.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace query {

struct CPlayer {
    std::string name; // quotes and colour codes removed, trimmed
    int score = 0;
    int ping = 0;
    int team = 0; // 0 spectating, 1 allies, 2 axis
};

enum Team { TEAM_SPECTATOR = 0, TEAM_ALLIES = 1, TEAM_AXIS = 2 };

// The tries state: 0 not asked, 1 or 2 requests sent, 3 given up, 999 answered.
constexpr int kTriesGivenUp = 3;
constexpr int kTriesAnswered = 999;
constexpr int kPingNone = 9999;

// What one reply may fill in a record; the rest of a longer reply is ignored.
constexpr size_t kMaxPlayers = 256;
constexpr size_t kMaxVariables = 512;

class CGameServer {
public:
    CGameServer() : CGameServer(net::CSockAddr()) {}
    // Without a name the record is named by its address text.
    explicit CGameServer(const net::CSockAddr& address, const char* name = nullptr,
                         const char* password = nullptr);

    // Prepares the record for a new query run; name, map, mod, password and the flags stay.
    void Reset();
    int64_t ElapsedMs() const;
    // Sends the status request when one is due (first request, or a repeat after `timeout` ms of
    // silence); true exactly when it sent one. A third due request gives the record up instead; a
    // finished record keeps its state. A failed send gives the record up at once: that server is
    // unreachable, and the run goes on with the others.
    bool RequestStatus(net::CSockUDP& endpoint);
    bool IsFinished() const { return tries > 2; }
    // Takes a reply from `address`: measures the ping and parses it, unless the record has finished.
    void OnStatusReply(const std::string& text);

    net::CSockAddr address;
    std::string name;
    std::string map;
    std::string mod;
    std::string password;
    int gameType = 0;
    int maxClients = 0;
    int ping = kPingNone;
    int maxLives = 0;
    bool friendlyFire = false;
    bool punkBuster = false;
    bool needPassword = false;
    std::vector<CPlayer> players;
    std::vector<std::pair<std::string, std::string>> variables;
    int64_t sendTime = 0;
    int timeout = 1000;
    int tries = 0;

private:
    struct STeamSources;
    void ParseStatus(const std::string& text);
    void SetKnownVariable(const std::string& lowerName, const std::string& value);
    void AssignTeams(const STeamSources& sources);
};

// The 15-byte status request: FF FF FF FF "getstatus" LF NUL.
extern const char kStatusRequest[15];

} // namespace query
