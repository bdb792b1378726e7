#include "EventLog.h"

#include <cinttypes>
#include <cstdio>

namespace etsim {

namespace {

const char* KindText(EventKind k) {
    switch (k) {
    case EventKind::Request:
        return "request";
    case EventKind::Reply:
        return "reply";
    case EventKind::Ignore:
        return "ignore";
    case EventKind::SMasterRequest:
        return "mrequest";
    case EventKind::MasterReply:
        return "mreply";
    case EventKind::MasterIgnore:
        return "mignore";
    }
    return "?";
}

std::string DetailText(const SEvent& e) {
    switch (e.detail) {
    case Detail::None:
        return std::to_string(e.value);
    case Detail::Exact:
        return "exact";
    case Detail::Loose:
        return "loose";
    case Detail::Bad:
        return "bad";
    case Detail::Silent:
        return "silent";
    case Detail::First:
        return "first";
    case Detail::Loss:
        return "loss";
    case Detail::SendFail:
        return "sendfail";
    case Detail::Protocol:
        return "protocol";
    case Detail::Count:
        return "count";
    case Detail::Foreign:
        return "foreign";
    case Detail::Words: {
        std::string text = std::to_string(e.value);
        if (e.flags & 1)
            text += ",full";
        if (e.flags & 2)
            text += ",empty";
        return text;
    }
    }
    return "?";
}

void PrintMs(FILE* f, int64_t ns) {
    std::fprintf(f, "%" PRId64 ".%03" PRId64, ns / 1000000, (ns / 1000) % 1000);
}

} // namespace

bool CEventLog::Write(const std::string& path, int64_t startMonotonicNs, int64_t nowNs,
                      const std::vector<SEndpoint>& servers, const SEndpoint& master,
                      const std::vector<SCounters>& serverCounts, const SCounters& masterCounts) const {
    std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "w");
    if (!f)
        return false;
    std::vector<char> buffer(1 << 20);
    std::setvbuf(f, buffer.data(), _IOFBF, buffer.size());
    const std::string masterText = AddressText(master);
    std::fprintf(f, "# etsim log 1\n# start_monotonic_ns %" PRId64 "\n# master %s\n", startMonotonicNs,
                 masterText.c_str());
    for (const SEvent& e : events_) {
        PrintMs(f, e.ns);
        const std::string target = e.target == kMasterTarget ? masterText : AddressText(servers[e.target]);
        std::fprintf(f, " %s %s %s %u %s\n", KindText(e.kind), target.c_str(), AddressText(e.peer).c_str(),
                     e.ordinal, DetailText(e).c_str());
    }
    for (size_t i = 0; i < servers.size(); ++i) {
        std::fprintf(f, "total %s %" PRIu64 " %" PRIu64 "\n", AddressText(servers[i]).c_str(),
                     serverCounts[i].requests, serverCounts[i].replies);
    }
    std::fprintf(f, "total %s %" PRIu64 " %" PRIu64 "\n", masterText.c_str(), masterCounts.requests,
                 masterCounts.replies);
    std::fprintf(f, "end ");
    PrintMs(f, nowNs);
    std::fprintf(f, " %zu %" PRIu64 "\n", events_.size(), dropped_);
    bool ok = std::fflush(f) == 0 && !std::ferror(f);
    ok = std::fclose(f) == 0 && ok;
    return ok && std::rename(tmp.c_str(), path.c_str()) == 0;
}

} // namespace etsim
