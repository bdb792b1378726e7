// The event loop: one non-blocking UDP socket per server address and one for the master, all in one
// epoll set with a timer for delayed replies and a signalfd for SIGINT, SIGTERM, SIGHUP and SIGUSR1.
#pragma once

#include "EventLog.h"
#include "Options.h"
#include "World.h"

#include <array>
#include <map>
#include <optional>
#include <queue>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace etsim {

int64_t MonotonicNs();

// Blocks the signals the loop reads through its signalfd; call before anything else starts.
void BlockLoopSignals();

class Simulator {
public:
    Simulator(World& world, const Options& opts, int64_t startNs);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Binds the master and every server. inUse tells that an address was taken by someone else.
    bool Bind(std::string& error, bool& inUse);
    void CloseSockets();
    Endpoint Master() const { return masters_.front(); }
    // The masters of --masters, then those of --foreign-masters.
    std::vector<Endpoint> Masters() const;
    std::vector<Endpoint> ForeignMasters() const;

    // Serves until SIGINT, SIGTERM or SIGHUP, or until the lifetime has passed; writes the log on
    // the way out and on SIGUSR1. Returns the process exit code.
    int Run();

private:
    struct Pending {
        int64_t due;
        uint64_t seq;
        uint32_t target;
        Endpoint peer;
        uint32_t ordinal;
        uint8_t words;
        bool operator>(const Pending& o) const { return due != o.due ? due > o.due : seq > o.seq; }
    };

    void Drain(uint32_t target);
    void OnStatus(uint32_t index, const Endpoint& peer, std::string_view data, int64_t now);
    void OnMaster(size_t master, const Endpoint& peer, std::string_view data, int64_t now);
    void Deliver(const Pending& p);
    void Schedule(const Pending& p);
    void FireDue();
    void ArmTimer();
    void Record(int64_t now, EventKind kind, uint32_t target, const Endpoint& peer, uint32_t ordinal,
                Detail detail, int32_t value = 0, uint8_t flags = 0);
    bool WriteLog();
    int Fd(uint32_t target) const;
    const std::vector<std::string>& MasterReply(size_t master, uint8_t words, size_t& entries);

    World& world_;
    const Options& opts_;
    int64_t start_;
    std::vector<Endpoint> masters_;
    int epoll_ = -1;
    int timerFd_ = -1;
    int signalFd_ = -1;
    std::vector<int> masterFds_;     // where each master is asked
    std::vector<int> masterSendFds_; // where it answers from: its own socket, or another for a foreign one
    std::vector<int> fds_;
    std::priority_queue<Pending, std::vector<Pending>, std::greater<Pending>> pending_;
    uint64_t seq_ = 0;
    int64_t armedFor_ = 0; // absolute due time the timer is set to, 0 = disarmed
    std::map<std::pair<size_t, uint8_t>, std::pair<std::vector<std::string>, size_t>> masterReplies_;
    std::mt19937_64 dice_;
    EventLog log_;
    std::vector<Counters> counts_;
    Counters masterCounts_;
    std::vector<char> buffer_;
};

} // namespace etsim
