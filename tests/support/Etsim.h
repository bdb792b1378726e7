// etsim as a child process (native build only), and a plain POSIX UDP client on loopback to talk to it.
// Whoever compiles Etsim.cpp defines ETSIM_PATH and links etsim_core.
#pragma once

#include "Wire.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace testsupport {

using namespace etsim; // the simulator's wire types, for the tests that talk to it

struct SLogLine {
    double ms = 0;
    unsigned n = 0;
    std::string kind, target, peer, detail;
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
    ~CEtsimProcess() { testsupport::Kill(pid_); } // not copied: it owns its folder

    bool Ready() const { return ready_; }
    const SEndpoint& Master() const { return master_; }
    std::string MasterText() const { return AddressText(master_); }
    const nlohmann::json& Dump() const { return dump_; }
    const std::vector<SEndpoint>& ServerAddresses() const { return servers_; }
    void Signal(int sig) const {
        if (pid_ > 0)
            kill(pid_, sig);
    }
    int Wait(int timeoutMs) { return testsupport::WaitExit(pid_, timeoutMs); }
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
    std::vector<SEndpoint> servers_; // the dump's addresses, in its order
};

struct SDatagram {
    SEndpoint from;
    std::string data;
};

class CUdpClient {
public:
    CUdpClient();
    ~CUdpClient() { close(fd_); }
    SEndpoint Local() const { return local_; }
    void Send(const SEndpoint& to, const std::string& data) const;
    std::optional<SDatagram> Receive(int timeoutMs) const;
    // Everything that arrives until nothing has come for quietMs.
    std::vector<SDatagram> ReceiveUntilQuiet(int quietMs) const;
    // Datagrams until `count` have come, or one ends with "\EOT" when `toEndMarker`, or timeoutMs have
    // passed.
    std::vector<SDatagram> ReceiveCount(size_t count, int timeoutMs, bool toEndMarker = false) const;
    std::vector<SDatagram> ReceiveMasterReply(int timeoutMs) const {
        return ReceiveCount(SIZE_MAX, timeoutMs, true);
    }

private:
    int fd_ = -1;
    SEndpoint local_;
};

std::string MasterRequestText(const std::string& words);

} // namespace testsupport
