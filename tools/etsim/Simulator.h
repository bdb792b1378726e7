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

class CSimulator {
public:
    CSimulator(SWorld& world, const SOptions& opts, int64_t startNs);
    ~CSimulator();
    CSimulator(const CSimulator&) = delete;
    CSimulator& operator=(const CSimulator&) = delete;

    // Binds the master and every server. inUse tells that an address was taken by someone else.
    bool Bind(std::string& error, bool& inUse);
    void CloseSockets();
    SEndpoint Master() const { return masters_.front(); }
    // The masters of --masters, then those of --foreign-masters.
    std::vector<SEndpoint> Masters() const;
    std::vector<SEndpoint> ForeignMasters() const;

    // Serves until SIGINT, SIGTERM or SIGHUP, or until the lifetime has passed; writes the log on
    // the way out and on SIGUSR1. Returns the process exit code.
    int Run();

private:
    struct SPending {
        int64_t due;
        uint64_t seq;
        uint32_t target;
        SEndpoint peer;
        uint32_t ordinal;
        uint8_t words;
        bool operator>(const SPending& o) const { return due != o.due ? due > o.due : seq > o.seq; }
    };

    void Drain(uint32_t target);
    void OnStatus(uint32_t index, const SEndpoint& peer, std::string_view data, int64_t now);
    void OnMaster(size_t master, const SEndpoint& peer, std::string_view data, int64_t now);
    void Deliver(const SPending& p);
    void Schedule(const SPending& p);
    void FireDue();
    void ArmTimer();
    void Record(int64_t now, EventKind kind, uint32_t target, const SEndpoint& peer, uint32_t ordinal,
                Detail detail, int32_t value = 0, uint8_t flags = 0);
    bool WriteLog();
    int Fd(uint32_t target) const;
    const std::vector<std::string>& MasterReply(size_t master, uint8_t words, size_t& entries);

    SWorld& world_;
    const SOptions& opts_;
    int64_t start_;
    std::vector<SEndpoint> masters_;
    int epoll_ = -1;
    int timerFd_ = -1;
    int signalFd_ = -1;
    std::vector<int> masterFds_;     // where each master is asked
    std::vector<int> masterSendFds_; // where it answers from: its own socket, or another for a foreign one
    std::vector<int> fds_;
    std::priority_queue<SPending, std::vector<SPending>, std::greater<SPending>> pending_;
    uint64_t seq_ = 0;
    int64_t armedFor_ = 0; // absolute due time the timer is set to, 0 = disarmed
    std::map<std::pair<size_t, uint8_t>, std::pair<std::vector<std::string>, size_t>> masterReplies_;
    std::mt19937_64 dice_;
    CEventLog log_;
    std::vector<SCounters> counts_;
    SCounters masterCounts_;
    std::vector<char> buffer_;
};

} // namespace etsim
