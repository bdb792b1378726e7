// The simulated network's content: every game server's variables, players, reply bytes and
// behaviour, generated from the options and the seed.
#pragma once

#include "Options.h"
#include "Wire.h"

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <random>
#include <string>
#include <vector>

namespace etsim {

enum class Malformed { None, Garbage, Truncated, Huge, Hostile };
const char* MalformedName(Malformed m);

struct SPlayer {
    std::string sent;  // the name as it stands on the player line, quotes included
    std::string plain; // what a client shows: quotes and colour codes removed, blanks trimmed
    int score = 0;
    int ping = 0;
    int team = 0; // 0 spectator, 1 allies, 2 axis
};

struct SServer {
    SEndpoint address;
    std::string hostname;      // value of sv_hostname as sent
    std::string hostnamePlain; // without colour codes
    Variables vars;            // in reply order, names as sent
    std::vector<SPlayer> players;
    int maxClients = 0;
    int gameType = 0;
    bool empty = false;
    bool full = false;
    bool silent = false;
    bool secondOnly = false;
    bool duplicated = false;
    bool oddBytes = false;
    bool oddCase = false;
    bool legacy = false; // "P" instead of the team lists
    Malformed malformed = Malformed::None;
    int latencyMs = 0;
    std::string reply; // the exact datagram sent for every answered request
};

struct SWorld {
    std::vector<SServer> servers;
    SEndpoint master;               // the first master
    std::vector<SEndpoint> masters; // every master asked in turn, the first included
    std::vector<SEndpoint> foreignMasters;
};

// Content and behaviour of every server; addresses are left to AssignAddresses.
SWorld Generate(const SOptions& opts);

// Lays the servers out from base (the first address): portsPerAddress consecutive ports per address,
// addresses counted up skipping last octets 0 and 255. Servers flagged oddBytes get addresses
// 127.S.92.x and 127.S.0.x (S = second octet of base) with ports whose bytes hold 5C and 00.
bool AssignAddresses(SWorld& world, uint32_t base, const SOptions& opts, std::string& error);

// A base 127.S.B.1 with random S in 1..254 and B in 100..199, so concurrent runs rarely collide.
uint32_t PickAutoBase(std::mt19937_64& rng);

// What master `master` of `masters` lists for a request with the given words: servers that pass the
// full/empty filter in server order, then the duplicated ones among them a second time. With several
// masters, master i lists parts i and i+1 of the servers split into `masters` parts, so that the lists
// overlap and every server is listed twice.
std::vector<SEndpoint> MasterList(const SWorld& world, bool full, bool empty, size_t master = 0,
                                  size_t masters = 1);

// The slot string "P" of a server: one character per client slot, '-' for an empty slot, else '0' plus
// the game's team number (1 axis, 2 allies, 3 spectator).
std::string SlotString(const SServer& s);

nlohmann::json DumpJson(const SWorld& world, const SOptions& opts);

} // namespace etsim
