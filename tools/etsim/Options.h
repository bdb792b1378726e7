// etsim's settings, read from the command line and from an optional JSON config file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace etsim {

// A number of servers given either as a count ("10") or as a share of all servers ("0.1", "10%").
struct SAmount {
    bool fraction = false;
    double value = 0;
    size_t Of(size_t total) const;
};

struct SRange {
    int min = 0;
    int max = 0;
};

enum class MasterAnswer { All, Never, Only, From };

struct SOptions {
    uint64_t seed = 1;
    size_t servers = 10;
    std::string baseAddress = "auto"; // dotted quad in 127.0.0.0/8, or "auto"
    int portsPerAddress = 1;
    int basePort = 27960;
    std::string master = "127.0.0.1:0";
    int protocol = 84;
    SRange players{1, 64}; // players on servers that are neither empty nor full
    SAmount emptyServers{true, 0.3};
    SAmount fullServers{true, 0.1};
    SRange latency{0, 0}; // per-server reply delay in ms, drawn once per server
    int jitter = 0;       // extra 0..jitter ms per reply
    SRange masterLatency{0, 0};
    double loss = 0; // probability that an answerable status request is dropped
    SAmount silent;
    SAmount secondOnly;
    SAmount malformed;
    std::vector<std::string> malformedKinds{"garbage", "truncated", "huge"};
    size_t hugeBytes = 60000;
    SAmount duplicates;
    SAmount oddEntries;
    SAmount oddCase;           // servers that send variable names in upper or mixed case
    SAmount legacy;            // servers that publish the slot string "P" instead of the team lists
    size_t masters = 1;        // masters, each listing an overlapping part of the servers
    size_t silentMasters = 0;  // of those, the last ones never answer
    size_t foreignMasters = 0; // extra masters that answer from another port than they were asked on
    size_t perDatagram = 100;
    MasterAnswer masterAnswer = MasterAnswer::All;
    int masterAnswerK = 0;
    double lifetime = 0; // seconds; 0 runs until signalled
    std::string logFile;
    size_t logLimit = 5000000;
    std::string dumpFile;
    std::string readyFile;
    bool quiet = false;
};

// Applies argv (without argv[0]) to opts. On failure returns false and sets error; sets help
// when --help was given.
bool ParseArguments(const std::vector<std::string>& args, SOptions& opts, std::string& error, bool& help);
// Applies a JSON object whose keys are option names without the leading dashes.
bool ApplyConfigFile(const std::string& path, SOptions& opts, std::string& error);
// Cross-option checks (ranges, sizes); sets error when the options cannot be served.
bool CheckOptions(const SOptions& opts, std::string& error);

extern const char* const kUsage;

} // namespace etsim
