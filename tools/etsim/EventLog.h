// What etsim received and sent, kept in memory and written as one text line per event.
//
// File format (lines starting with '#' are comments):
//   # etsim log 1
//   # start_monotonic_ns <CLOCK_MONOTONIC at etsim start>
//   # master <a.b.c.d:port>
//   <ms> <kind> <target> <peer> <n> <detail>     one line per event, in time order
//   total <target> <requests> <replies>          one line per server, then the master
//   end <ms> <events> <events-not-kept>
// <ms> is milliseconds since etsim start with three decimals; <target> the address of the server
// (or master) that received; <peer> the sender; <n> the request's 1-based number at that target.
// Kinds and details:
//   request  exact|loose|bad        a status request arrived (exact: the 15-byte getstatus)
//   reply    <bytes>                the status reply for request n went out
//   ignore   silent|first|loss|bad|foreign|sendfail  request n is not answered, and why
//   mrequest <protocol>[,full][,empty] | bad  a master request arrived
//   mreply   <entries>              the master reply for request n went out (all its datagrams)
//   mignore  protocol|count|bad|sendfail      master request n is not answered, and why
#pragma once

#include "Wire.h"

#include <cstdint>
#include <string>
#include <vector>

namespace etsim {

enum class EventKind : uint8_t { Request, Reply, Ignore, SMasterRequest, MasterReply, MasterIgnore };

enum class Detail : uint8_t {
    None, // detail is the number in Event::value
    Exact,
    Loose,
    Bad,
    Silent,
    First,
    Loss,
    SendFail,
    Protocol,
    Count,
    Foreign,
    Words, // a master request: value = protocol, words in flags
};

struct SEvent {
    int64_t ns = 0;      // since start
    uint32_t target = 0; // server index, or kMasterTarget
    SEndpoint peer;
    EventKind kind = EventKind::Request;
    Detail detail = Detail::None;
    uint8_t flags = 0; // Words: bit 0 full, bit 1 empty
    uint32_t ordinal = 0;
    int32_t value = 0;
};

constexpr uint32_t kMasterTarget = 0xFFFFFFFFu;

struct SCounters {
    uint64_t requests = 0;
    uint64_t replies = 0;
};

class CEventLog {
public:
    explicit CEventLog(size_t limit) : limit_(limit) {}
    void Add(const SEvent& e) {
        if (events_.size() < limit_)
            events_.push_back(e);
        else
            ++dropped_;
    }
    // Writes the whole log to path through a temporary file and a rename. Returns false on failure.
    bool Write(const std::string& path, int64_t startMonotonicNs, int64_t nowNs,
               const std::vector<SEndpoint>& servers, const SEndpoint& master,
               const std::vector<SCounters>& serverCounts, const SCounters& masterCounts) const;

private:
    size_t limit_;
    std::vector<SEvent> events_;
    uint64_t dropped_ = 0;
};

} // namespace etsim
