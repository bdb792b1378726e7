#include "query/MasterQuery.h"

#include "base/Error.h"
#include "net/SockUDP.h"

#include <algorithm>
#include <unordered_set>

namespace query {

const char* const kMasterVersionNames[kMasterVersionCount] = {"Map Test", "Final", "Patch 1.02", "2.60b"};

namespace {

constexpr int kMasterProtocols[kMasterVersionCount] = {71, 82, 83, 84};
constexpr size_t kEntrySize = 7;
constexpr std::string_view kEndMarker = "\\EOT";

uint64_t AddressKey(const net::CSockAddr& address) {
    return uint64_t(address.GetAddress()) << 16 | address.GetPort();
}

bool IsUsableMaster(const net::CSockAddr& address) {
    // An unresolved host reads as the broadcast address; never send there.
    return address.GetAddress() != 0xFFFFFFFFu && address.GetAddress() != 0 && address.GetPort() != 0;
}

// The state of one master during the query, beside its reported status.
struct SMasterState {
    SMasterStatus* status;
    int64_t nextProbeMs = 0; // when the next probe is due, or the master is given up after the last
    int waitMs = kMasterFirstWaitMs;
    bool givenUp = false;
    std::unordered_set<uint64_t> listed;
};

// The probe and collect phases of QueryMasters over one endpoint, on one clock from the start.
class CMasterCollector {
public:
    CMasterCollector(SMasterResult& result, const std::string& request, net::SyncHandle stopEvent)
        : m_result(result), m_request(request), m_stop(stopEvent), m_start(net::ReadCounter()) {
        for (SMasterStatus& status : result.masters)
            if (status.resolved)
                m_states.push_back(SMasterState{&status, 0, kMasterFirstWaitMs, false, {}});
    }

    void Run() {
        m_endpoint.Create();
        // The stop event, when there is one, comes first: it wins over waiting datagrams.
        const net::SyncHandle handles[2] = {m_stop ? m_stop : m_endpoint.GetEvent(), m_endpoint.GetEvent()};
        const int count = m_stop ? 2 : 1;
        const int endpointIndex = count - 1;
        for (;;) {
            const int64_t now = NowMs();
            SendDueProbes(now);
            const int64_t end = EndMs(now);
            if (end >= 0 && now >= end)
                break;
            const int64_t next = NextWakeMs(now, end);
            const int signalled =
                net::WaitForAny(handles, count, next < 0 ? net::kWaitInfinite : int(next - now));
            if (m_stop && signalled == 0) {
                m_result.outcome = MasterOutcome::STOPPED;
                return;
            }
            if (signalled == endpointIndex &&
                net::CSockUDP::HasEvent(m_endpoint.GetNetworkEvents(), net::kNetEventRead))
                ReadDatagram();
        }
        m_result.outcome = m_firstAnswerMs >= 0 ? MasterOutcome::COLLECTED : MasterOutcome::NO_RESPONSE;
    }

private:
    int64_t NowMs() const { return net::ElapsedMs(m_start); }

    bool Pending(const SMasterState& m) const { return !m.status->answered && !m.givenUp; }

    bool AllAnsweredComplete() const {
        return std::all_of(m_states.begin(), m_states.end(),
                           [](const SMasterState& m) { return !m.status->answered || m.status->complete; });
    }

    // Sends the probes that are due and gives up masters that have had their three. A master that
    // has not answered its first probe is given up once the others have delivered complete lists.
    void SendDueProbes(int64_t now) {
        const bool othersDone = m_firstAnswerMs >= 0 && AllAnsweredComplete();
        for (SMasterState& m : m_states) {
            if (!Pending(m))
                continue;
            if (othersDone && now >= kMasterFirstWaitMs) {
                m.givenUp = true;
            } else if (now >= m.nextProbeMs) {
                if (m.status->probes == kMasterProbes) {
                    m.givenUp = true;
                    continue;
                }
                if (m.status->probes > 0)
                    m.waitMs += kMasterWaitStepMs;
                Send(m);
                m.nextProbeMs = now + m.waitMs;
            }
        }
    }

    // A send that fails (no route to that master) gives that master up; the others go on.
    void Send(SMasterState& m) {
        ++m.status->probes;
        if (m_endpoint.SendText(m_request, m.status->address) != 0 && !m.status->answered)
            m.givenUp = true;
    }

    // When the query ends; -1 while no master has answered and one is still being probed.
    int64_t EndMs(int64_t now) const {
        const bool pending = std::any_of(m_states.begin(), m_states.end(),
                                         [this](const SMasterState& m) { return Pending(m); });
        if (m_firstAnswerMs < 0)
            return pending ? -1 : now;
        const int64_t cap = m_firstAnswerMs + kMasterMaxCollectMs;
        if (pending)
            return cap;
        const int64_t quietEnd = AllAnsweredComplete() ? m_lastEndMarkerMs + kMasterEotGraceMs
                                                       : m_lastDatagramMs + m_result.quietMs;
        return std::min(cap, quietEnd);
    }

    int64_t NextWakeMs(int64_t now, int64_t end) const {
        int64_t next = end;
        const bool othersDone = m_firstAnswerMs >= 0 && AllAnsweredComplete();
        for (const SMasterState& m : m_states) {
            if (!Pending(m))
                continue;
            int64_t due = othersDone ? std::min<int64_t>(m.nextProbeMs, kMasterFirstWaitMs) : m.nextProbeMs;
            next = next < 0 ? due : std::min(next, due);
        }
        return next < 0 ? -1 : std::max(next, now);
    }

    SMasterState* FindMaster(const net::CSockAddr& from) {
        for (SMasterState& m : m_states)
            if (m.status->address == from)
                return &m;
        return nullptr;
    }

    void ReadDatagram() {
        std::string text;
        net::CSockAddr from;
        if (m_endpoint.ReceiveTextFrom(text, from) != 0)
            return;
        SMasterState* m = FindMaster(from);
        if (!m)
            return; // not one of the masters asked
        const int64_t now = NowMs();
        if (!m->status->answered)
            OnFirstAnswer(*m, now);
        ++m->status->datagrams;
        ++m_result.datagrams;
        m_lastDatagramMs = now;
        bool endMarker = false;
        for (const net::CSockAddr& address : ReadMasterEntries(text, &endMarker))
            Take(*m, address);
        if (endMarker) {
            m->status->complete = true;
            m_lastEndMarkerMs = now;
        }
    }

    // The first answer: the master is asked once more, and the quiet time follows its probe wait.
    void OnFirstAnswer(SMasterState& m, int64_t now) {
        m.status->answered = true;
        if (m_firstAnswerMs < 0)
            m_firstAnswerMs = now;
        m_result.quietMs = std::max(m_result.quietMs, 2 * m.waitMs);
        Send(m);
    }

    void Take(SMasterState& m, const net::CSockAddr& address) {
        if (!IsServerAddress(address))
            return;
        const uint64_t key = AddressKey(address);
        if (m.listed.size() < kMasterMaxServers && m.listed.insert(key).second)
            ++m.status->entries;
        if (m_seen.count(key))
            return;
        if (m_seen.size() == kMasterMaxServers) {
            m_result.capped = true;
            return;
        }
        m_seen.insert(key);
        m_result.servers.push_back(address);
    }

    SMasterResult& m_result;
    const std::string& m_request;
    net::SyncHandle m_stop;
    int64_t m_start;
    net::CSockUDP m_endpoint;
    std::vector<SMasterState> m_states;
    std::unordered_set<uint64_t> m_seen;
    int64_t m_firstAnswerMs = -1;
    int64_t m_lastDatagramMs = 0;
    int64_t m_lastEndMarkerMs = 0;
};

} // namespace

int MasterProtocol(int versionIndex) {
    return versionIndex >= 0 && versionIndex < kMasterVersionCount ? kMasterProtocols[versionIndex] : 0;
}

std::string BuildMasterRequest(int protocol, bool includeFull, bool includeEmpty) {
    std::string request = "\xFF\xFF\xFF\xFFgetservers " + std::to_string(protocol);
    if (includeFull)
        request += " full";
    if (includeEmpty)
        request += " empty";
    return request;
}

std::vector<net::CSockAddr> ReadMasterEntries(std::string_view datagram, bool* endMarker) {
    std::vector<net::CSockAddr> entries;
    if (endMarker)
        *endMarker = false;
    size_t pos = datagram.find('\\');
    if (pos == std::string_view::npos)
        return entries;
    const auto* bytes = reinterpret_cast<const unsigned char*>(datagram.data());
    while (pos < datagram.size() && bytes[pos] != 0 && datagram.size() - pos >= kEntrySize) {
        if (datagram.substr(pos, kEndMarker.size()) == kEndMarker)
            break;
        const unsigned char* e = bytes + pos + 1;
        uint32_t address = uint32_t(e[0]) << 24 | uint32_t(e[1]) << 16 | uint32_t(e[2]) << 8 | e[3];
        entries.emplace_back(address, static_cast<uint16_t>(e[4] << 8 | e[5]));
        pos += kEntrySize;
    }
    if (endMarker)
        *endMarker = datagram.substr(pos, kEndMarker.size()) == kEndMarker;
    return entries;
}

bool IsServerAddress(const net::CSockAddr& address) {
    return address.GetAddress() != 0 && address.GetAddress() < 0xE0000000u && address.GetPort() != 0;
}

std::vector<SMasterStatus> ResolveMasters(const std::vector<SMasterEntry>& entries) {
    std::vector<SMasterStatus> masters;
    for (const SMasterEntry& entry : entries) {
        SMasterStatus status;
        status.name = MasterEntryText(entry);
        status.address.SetPort(entry.port);
        status.address.SetFromText(entry.host);
        status.resolved = IsUsableMaster(status.address);
        const bool duplicate =
            status.resolved && std::any_of(masters.begin(), masters.end(), [&status](const SMasterStatus& m) {
                return m.resolved && m.address == status.address;
            });
        if (!duplicate)
            masters.push_back(std::move(status));
    }
    return masters;
}

SMasterResult QueryMasters(std::vector<SMasterStatus> masters, const std::string& request,
                           net::SyncHandle stopEvent) {
    SMasterResult result;
    result.masters = std::move(masters);
    if (std::none_of(result.masters.begin(), result.masters.end(),
                     [](const SMasterStatus& m) { return m.resolved; })) {
        result.outcome = MasterOutcome::BAD_ADDRESS;
        return result;
    }
    CMasterCollector(result, request, stopEvent).Run();
    return result;
}

std::string MasterOutcomeText(const SMasterResult& result) {
    switch (result.outcome) {
    case MasterOutcome::NO_RESPONSE:
        return "No response from master server.";
    case MasterOutcome::BAD_ADDRESS:
        return "The master server address could not be resolved.";
    case MasterOutcome::STOPPED:
        return "";
    case MasterOutcome::COLLECTED:
        break;
    }
    std::string failed;
    for (const SMasterStatus& m : result.masters)
        if (!m.answered)
            failed += (failed.empty() ? "" : ", ") + m.name + (m.resolved ? "" : " (not found)");
    return failed.empty() ? "" : "No response from master server " + failed + ".";
}

std::string MasterCapText(const SMasterResult& result) {
    if (!result.capped)
        return "";
    return "The master servers listed more than " + std::to_string(kMasterMaxServers) +
           " servers; the first " + std::to_string(kMasterMaxServers) + " are queried.";
}

void StoreServers(const SMasterResult& result, CServerCollection& servers) {
    servers.Clear();
    for (const net::CSockAddr& address : result.servers)
        servers.Store(CGameServer(address));
}

} // namespace query
