#include "Simulator.h"

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstring>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace etsim {

namespace {

constexpr uint32_t kTimerTag = 0xFFFFFFFEu;
constexpr uint32_t kSignalTag = 0xFFFFFFFDu;
constexpr uint32_t kMasterTagBase = 0xFFFFFF00u; // + master index, up to 64 masters
constexpr int kReadsPerWakeup = 64;              // keeps one busy socket from starving the others

sockaddr_in ToSockaddr(const SEndpoint& ep) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(ep.ip);
    sa.sin_port = htons(ep.port);
    return sa;
}

void SetSignals(sigset_t& set) {
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGUSR1);
}

} // namespace

int64_t MonotonicNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void BlockLoopSignals() {
    sigset_t set;
    SetSignals(set);
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

CSimulator::CSimulator(SWorld& world, const SOptions& opts, int64_t startNs)
    : world_(world), opts_(opts), start_(startNs), dice_(opts.seed ^ 0x9E3779B97F4A7C15ull),
      log_(opts.logFile.empty() ? 0 : opts.logLimit), counts_(world.servers.size()), buffer_(65536 + 1) {}

CSimulator::~CSimulator() {
    CloseSockets();
    for (int fd : {epoll_, timerFd_, signalFd_}) {
        if (fd >= 0)
            close(fd);
    }
}

void CSimulator::CloseSockets() {
    for (int fd : fds_)
        close(fd);
    fds_.clear();
    for (int fd : masterFds_)
        close(fd);
    for (size_t i = 0; i < masterSendFds_.size(); ++i)
        if (masterSendFds_[i] != masterFds_[i])
            close(masterSendFds_[i]);
    masterFds_.clear();
    masterSendFds_.clear();
    masters_.clear();
}

std::vector<SEndpoint> CSimulator::Masters() const {
    return std::vector<SEndpoint>(masters_.begin(), masters_.begin() + static_cast<long>(opts_.masters));
}

std::vector<SEndpoint> CSimulator::ForeignMasters() const {
    return std::vector<SEndpoint>(masters_.begin() + static_cast<long>(opts_.masters), masters_.end());
}

int CSimulator::Fd(uint32_t target) const {
    return target >= kMasterTagBase ? masterFds_[target - kMasterTagBase] : fds_[target];
}

bool CSimulator::Bind(std::string& error, bool& inUse) {
    inUse = false;
    if (epoll_ < 0) {
        epoll_ = epoll_create1(EPOLL_CLOEXEC);
        timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        sigset_t set;
        SetSignals(set);
        signalFd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
        if (epoll_ < 0 || timerFd_ < 0 || signalFd_ < 0) {
            error = std::string("cannot set up the event loop: ") + std::strerror(errno);
            return false;
        }
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u32 = kTimerTag;
        epoll_ctl(epoll_, EPOLL_CTL_ADD, timerFd_, &ev);
        ev.data.u32 = kSignalTag;
        epoll_ctl(epoll_, EPOLL_CTL_ADD, signalFd_, &ev);
    }
    auto open = [&](const SEndpoint& ep, uint32_t tag, SEndpoint* bound) -> int {
        if (!IsLoopback(ep.ip)) {
            error = "refusing to bind " + AddressText(ep) + ": etsim binds only inside 127.0.0.0/8";
            return -1;
        }
        int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            error = std::string("cannot create a socket: ") + std::strerror(errno) +
                    (errno == EMFILE ? " (raise the open file limit or serve fewer servers)" : "");
            return -1;
        }
        sockaddr_in sa = ToSockaddr(ep);
        if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
            inUse = errno == EADDRINUSE;
            error = "cannot bind " + AddressText(ep) + ": " + std::strerror(errno);
            close(fd);
            return -1;
        }
        if (bound) {
            socklen_t len = sizeof sa;
            getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
            *bound = {ntohl(sa.sin_addr.s_addr), ntohs(sa.sin_port)};
        }
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u32 = tag;
        epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &ev);
        return fd;
    };
    const SEndpoint anyLoopbackPort{0x7F000001u, 0};
    const size_t masterCount = opts_.masters + opts_.foreignMasters;
    for (size_t m = 0; m < masterCount; ++m) {
        SEndpoint bound;
        int fd = open(m == 0 ? *ParseEndpoint(opts_.master) : anyLoopbackPort,
                      kMasterTagBase + static_cast<uint32_t>(m), &bound);
        // A foreign master answers from a socket of its own that nobody asks.
        int sendFd = m < opts_.masters || fd < 0 ? fd : open(anyLoopbackPort, kSignalTag, nullptr);
        if (sendFd >= 0 && sendFd != fd)
            epoll_ctl(epoll_, EPOLL_CTL_DEL, sendFd, nullptr);
        if (fd < 0 || sendFd < 0) {
            if (fd >= 0)
                close(fd);
            CloseSockets();
            return false;
        }
        masterFds_.push_back(fd);
        masterSendFds_.push_back(sendFd);
        masters_.push_back(bound);
    }
    fds_.reserve(world_.servers.size());
    for (uint32_t i = 0; i < world_.servers.size(); ++i) {
        int fd = open(world_.servers[i].address, i, nullptr);
        if (fd < 0) {
            CloseSockets();
            return false;
        }
        fds_.push_back(fd);
    }
    return true;
}

void CSimulator::Record(int64_t now, EventKind kind, uint32_t target, const SEndpoint& peer, uint32_t ordinal,
                        Detail detail, int32_t value, uint8_t flags) {
    if (opts_.logFile.empty())
        return;
    SEvent e;
    e.ns = now - start_;
    e.target = target;
    e.peer = peer;
    e.kind = kind;
    e.detail = detail;
    e.flags = flags;
    e.ordinal = ordinal;
    e.value = value;
    log_.Add(e);
}

const std::vector<std::string>& CSimulator::MasterReply(size_t master, uint8_t words, size_t& entries) {
    auto& cached = masterReplies_[{master, words}];
    if (cached.first.empty()) {
        // A foreign master lists one address of no server, so that taking its answer shows.
        auto list = master < opts_.masters ? MasterList(world_, words & 1, words & 2, master, opts_.masters)
                                           : std::vector<SEndpoint>{{0x7FFEFEFEu, 27960}};
        cached.second = list.size();
        cached.first = BuildMasterReply(list, opts_.perDatagram);
    }
    entries = cached.second;
    return cached.first;
}

void CSimulator::Drain(uint32_t target) {
    const int fd = Fd(target);
    for (int i = 0; i < kReadsPerWakeup; ++i) {
        sockaddr_in from{};
        socklen_t len = sizeof from;
        ssize_t n = recvfrom(fd, buffer_.data(), buffer_.size(), 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0)
            return; // EAGAIN, or an error nothing can be done about
        const int64_t now = MonotonicNs();
        const SEndpoint peer{ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)};
        std::string_view data(buffer_.data(), static_cast<size_t>(n));
        if (target >= kMasterTagBase)
            OnMaster(target - kMasterTagBase, peer, data, now);
        else
            OnStatus(target, peer, data, now);
    }
}

void CSimulator::OnStatus(uint32_t index, const SEndpoint& peer, std::string_view data, int64_t now) {
    const SServer& s = world_.servers[index];
    const uint32_t ordinal = static_cast<uint32_t>(++counts_[index].requests);
    StatusRequestKind kind = ClassifyStatusRequest(data);
    Record(now, EventKind::Request, index, peer, ordinal,
           kind == StatusRequestKind::Exact   ? Detail::Exact
           : kind == StatusRequestKind::Loose ? Detail::Loose
                                              : Detail::Bad);
    Detail refusal = Detail::None;
    if (kind == StatusRequestKind::Invalid)
        refusal = Detail::Bad;
    else if (!IsLoopback(peer.ip))
        refusal = Detail::Foreign;
    else if (s.silent)
        refusal = Detail::Silent;
    else if (s.secondOnly && ordinal % 2 == 1)
        refusal = Detail::First;
    else if (opts_.loss > 0 && static_cast<double>(dice_() >> 11) * 0x1.0p-53 < opts_.loss)
        refusal = Detail::Loss;
    if (refusal != Detail::None) {
        Record(now, EventKind::Ignore, index, peer, ordinal, refusal);
        return;
    }
    int64_t delayMs = s.latencyMs;
    if (opts_.jitter > 0)
        delayMs += static_cast<int64_t>(dice_() % static_cast<uint64_t>(opts_.jitter + 1));
    SPending p{now + delayMs * 1000000, seq_++, index, peer, ordinal, 0};
    if (delayMs == 0)
        Deliver(p);
    else
        Schedule(p);
}

void CSimulator::OnMaster(size_t master, const SEndpoint& peer, std::string_view data, int64_t now) {
    const uint32_t ordinal = static_cast<uint32_t>(++masterCounts_.requests);
    SMasterRequest req = ParseMasterRequest(data);
    uint8_t words = static_cast<uint8_t>((req.full ? 1 : 0) | (req.empty ? 2 : 0));
    if (req.valid)
        Record(now, EventKind::SMasterRequest, kMasterTarget, peer, ordinal, Detail::Words, req.protocol,
               words);
    else
        Record(now, EventKind::SMasterRequest, kMasterTarget, peer, ordinal, Detail::Bad);
    Detail refusal = Detail::None;
    const int k = opts_.masterAnswerK;
    if (!req.valid)
        refusal = Detail::Bad;
    else if (!IsLoopback(peer.ip))
        refusal = Detail::Foreign;
    else if (req.protocol != opts_.protocol)
        refusal = Detail::Protocol;
    else if (opts_.masterAnswer == MasterAnswer::Never ||
             (master < opts_.masters && master >= opts_.masters - opts_.silentMasters) ||
             (opts_.masterAnswer == MasterAnswer::Only && ordinal != static_cast<uint32_t>(k)) ||
             (opts_.masterAnswer == MasterAnswer::From && ordinal < static_cast<uint32_t>(k)))
        refusal = Detail::Count;
    if (refusal != Detail::None) {
        Record(now, EventKind::MasterIgnore, kMasterTarget, peer, ordinal, refusal);
        return;
    }
    int64_t delayMs = opts_.masterLatency.min;
    if (opts_.masterLatency.max > opts_.masterLatency.min)
        delayMs += static_cast<int64_t>(
            dice_() % static_cast<uint64_t>(opts_.masterLatency.max - opts_.masterLatency.min + 1));
    SPending p{now + delayMs * 1000000,
               seq_++,
               kMasterTagBase + static_cast<uint32_t>(master),
               peer,
               ordinal,
               words};
    if (delayMs == 0)
        Deliver(p);
    else
        Schedule(p);
}

void CSimulator::Deliver(const SPending& p) {
    // Every peer was checked on arrival; this is the last guard before anything leaves the process.
    if (!IsLoopback(p.peer.ip))
        return;
    const sockaddr_in to = ToSockaddr(p.peer);
    const auto* addr = reinterpret_cast<const sockaddr*>(&to);
    if (p.target >= kMasterTagBase) {
        const size_t master = p.target - kMasterTagBase;
        size_t entries = 0;
        bool ok = true;
        for (const std::string& d : MasterReply(master, p.words, entries))
            ok = sendto(masterSendFds_[master], d.data(), d.size(), 0, addr, sizeof to) ==
                     static_cast<ssize_t>(d.size()) &&
                 ok;
        const int64_t now = MonotonicNs();
        if (ok) {
            ++masterCounts_.replies;
            Record(now, EventKind::MasterReply, kMasterTarget, p.peer, p.ordinal, Detail::None,
                   static_cast<int32_t>(entries));
        } else {
            Record(now, EventKind::MasterIgnore, kMasterTarget, p.peer, p.ordinal, Detail::SendFail);
        }
        return;
    }
    const std::string& reply = world_.servers[p.target].reply;
    bool ok = sendto(fds_[p.target], reply.data(), reply.size(), 0, addr, sizeof to) ==
              static_cast<ssize_t>(reply.size());
    const int64_t now = MonotonicNs();
    if (ok) {
        ++counts_[p.target].replies;
        Record(now, EventKind::Reply, p.target, p.peer, p.ordinal, Detail::None,
               static_cast<int32_t>(reply.size()));
    } else {
        Record(now, EventKind::Ignore, p.target, p.peer, p.ordinal, Detail::SendFail);
    }
}

void CSimulator::Schedule(const SPending& p) {
    pending_.push(p);
    if (armedFor_ == 0 || p.due < armedFor_)
        ArmTimer();
}

void CSimulator::ArmTimer() {
    itimerspec timing{};
    armedFor_ = pending_.empty() ? 0 : pending_.top().due;
    if (armedFor_ != 0) {
        timing.it_value.tv_sec = armedFor_ / 1000000000;
        timing.it_value.tv_nsec = armedFor_ % 1000000000;
    }
    timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &timing, nullptr);
}

void CSimulator::FireDue() {
    uint64_t expirations;
    while (read(timerFd_, &expirations, sizeof expirations) > 0) {
    }
    const int64_t now = MonotonicNs();
    while (!pending_.empty() && pending_.top().due <= now) {
        SPending p = pending_.top();
        pending_.pop();
        Deliver(p);
    }
    ArmTimer();
}

bool CSimulator::WriteLog() {
    if (opts_.logFile.empty())
        return true;
    std::vector<SEndpoint> addresses;
    addresses.reserve(world_.servers.size());
    for (const SServer& s : world_.servers)
        addresses.push_back(s.address);
    return log_.Write(opts_.logFile, start_, MonotonicNs() - start_, addresses, masters_.front(), counts_,
                      masterCounts_);
}

int CSimulator::Run() {
    const int64_t deadline =
        opts_.lifetime > 0 ? start_ + static_cast<int64_t>(std::llround(opts_.lifetime * 1e9)) : 0;
    std::vector<epoll_event> events(256);
    bool running = true;
    while (running) {
        int timeoutMs = -1;
        if (deadline) {
            int64_t left = deadline - MonotonicNs();
            if (left <= 0)
                break;
            timeoutMs = static_cast<int>(std::min<int64_t>((left + 999999) / 1000000, INT_MAX));
        }
        int n = epoll_wait(epoll_, events.data(), static_cast<int>(events.size()), timeoutMs);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "etsim: epoll_wait: %s\n", std::strerror(errno));
            WriteLog();
            return 1;
        }
        for (int i = 0; i < n; ++i) {
            const uint32_t tag = events[i].data.u32;
            if (tag == kTimerTag) {
                FireDue();
            } else if (tag == kSignalTag) {
                signalfd_siginfo info;
                while (read(signalFd_, &info, sizeof info) == sizeof info) {
                    if (info.ssi_signo == SIGUSR1) {
                        if (!WriteLog())
                            std::fprintf(stderr, "etsim: cannot write the log %s\n", opts_.logFile.c_str());
                    } else {
                        running = false;
                    }
                }
            } else {
                Drain(tag);
            }
        }
    }
    if (!WriteLog()) {
        std::fprintf(stderr, "etsim: cannot write the log %s\n", opts_.logFile.c_str());
        return 1;
    }
    return 0;
}

} // namespace etsim
