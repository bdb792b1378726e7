// etsim as a child process (native build only), and a plain POSIX UDP client on loopback to talk to it.
// Whoever compiles Etsim.cpp defines ETSIM_PATH and links etsim_core.
#pragma once

#include "Wire.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <chrono>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

using namespace etsim; // the simulator's wire types, for the tests that talk to it

struct SLogLine {
    double ms = 0;
    std::string kind, target, peer;
    unsigned n = 0;
    std::string detail;
};

struct SLog {
    int64_t startMonotonicNs = 0;
    std::vector<SLogLine> events;
    std::vector<std::vector<std::string>> totals; // "total" lines split at blanks, without the word
    std::optional<double> endMs;
};
SLog ParseLog(const std::string& text);

class CEtsimProcess {
public:
    // Starts etsim with args plus --ready, --dump and --log in a temporary folder and waits until it
    // is ready. Adds --lifetime 60 unless args give one, so a failed test leaves nothing behind.
    explicit CEtsimProcess(std::vector<std::string> args, bool waitReady = true);
    ~CEtsimProcess() { testsupport::Kill(pid_); }
    CEtsimProcess(const CEtsimProcess&) = delete;
    CEtsimProcess& operator=(const CEtsimProcess&) = delete;

    bool Ready() const { return ready_; }
    const SEndpoint& Master() const { return master_; }
    std::string MasterText() const { return AddressText(master_); }
    const nlohmann::json& Dump() const { return dump_; }
    std::vector<SEndpoint> ServerAddresses() const;
    void Signal(int sig) const {
        if (pid_ > 0)
            kill(pid_, sig);
    }
    SExitResult Wait(int timeoutMs) { return testsupport::WaitExit(pid_, timeoutMs); }
    std::string File(const std::string& name) const { return dir_.File(name); }
    std::string LogPath() const { return dir_.File("log.txt"); }
    std::string Stderr() const { return ReadFile(dir_.File("stderr.txt")); }
    std::string Stdout() const { return ReadFile(dir_.File("stdout.txt")); }

private:
    testsupport::CTempDir dir_;
    pid_t pid_ = -1;
    bool ready_ = false;
    SEndpoint master_;
    nlohmann::json dump_;
};

struct SDatagram {
    SEndpoint from;
    std::string data;
};

class CUdpClient {
public:
    CUdpClient();
    ~CUdpClient();
    SEndpoint Local() const { return local_; }
    void Send(const SEndpoint& to, const std::string& data) const;
    std::optional<SDatagram> Receive(int timeoutMs) const;
    // Everything that arrives until nothing has come for quietMs.
    std::vector<SDatagram> ReceiveUntilQuiet(int quietMs) const;
    // Datagrams until count have come or timeoutMs have passed.
    std::vector<SDatagram> ReceiveCount(size_t count, int timeoutMs) const;
    // Datagrams until one ends with "\EOT" or timeoutMs have passed.
    std::vector<SDatagram> ReceiveMasterReply(int timeoutMs) const;

private:
    template <class Done> std::vector<SDatagram> ReceiveUntil(Done done, int timeoutMs) const;

    int fd_ = -1;
    SEndpoint local_;
};

std::string MasterRequestText(const std::string& words);

// The clock of etsim's log (CLOCK_MONOTONIC, which steady_clock reads on Linux), in nanoseconds.
inline int64_t NowMonotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace testsupport
