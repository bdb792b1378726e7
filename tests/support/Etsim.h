// etsim as a child process (native build only), and a plain POSIX UDP client on loopback to talk to it.
// Whoever compiles Etsim.cpp defines ETSIM_PATH and links etsim_core.
#pragma once

#include "Wire.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace etsim::test {

using testsupport::ExitResult;
using testsupport::ReadFile;

struct LogLine {
    double ms = 0;
    std::string kind, target, peer;
    unsigned n = 0;
    std::string detail;
};

struct Log {
    int64_t startMonotonicNs = 0;
    std::vector<LogLine> events;
    std::vector<std::vector<std::string>> totals; // "total" lines split at blanks, without the word
    std::optional<double> endMs;
};
Log ParseLog(const std::string& text);

class EtsimProcess {
public:
    // Starts etsim with args plus --ready, --dump and --log in a temporary folder and waits until it
    // is ready. Adds --lifetime 60 unless args give one, so a failed test leaves nothing behind.
    explicit EtsimProcess(std::vector<std::string> args, bool waitReady = true);
    ~EtsimProcess() { testsupport::Kill(pid_); }
    EtsimProcess(const EtsimProcess&) = delete;
    EtsimProcess& operator=(const EtsimProcess&) = delete;

    bool Ready() const { return ready_; }
    const Endpoint& Master() const { return master_; }
    std::string MasterText() const { return AddressText(master_); }
    const nlohmann::json& Dump() const { return dump_; }
    std::vector<Endpoint> ServerAddresses() const;
    void Signal(int sig) const {
        if (pid_ > 0)
            kill(pid_, sig);
    }
    ExitResult Wait(int timeoutMs) { return testsupport::WaitExit(pid_, timeoutMs); }
    std::string File(const std::string& name) const { return dir_.File(name); }
    std::string LogPath() const { return dir_.File("log.txt"); }
    std::string Stderr() const { return ReadFile(dir_.File("stderr.txt")); }
    std::string Stdout() const { return ReadFile(dir_.File("stdout.txt")); }

private:
    testsupport::TempDir dir_;
    pid_t pid_ = -1;
    bool ready_ = false;
    Endpoint master_;
    nlohmann::json dump_;
};

struct Datagram {
    Endpoint from;
    std::string data;
};

class UdpClient {
public:
    UdpClient();
    ~UdpClient();
    Endpoint Local() const { return local_; }
    void Send(const Endpoint& to, const std::string& data) const;
    std::optional<Datagram> Receive(int timeoutMs) const;
    // Everything that arrives until nothing has come for quietMs.
    std::vector<Datagram> ReceiveUntilQuiet(int quietMs) const;
    // Datagrams until count have come or timeoutMs have passed.
    std::vector<Datagram> ReceiveCount(size_t count, int timeoutMs) const;
    // Datagrams until one ends with "\EOT" or timeoutMs have passed.
    std::vector<Datagram> ReceiveMasterReply(int timeoutMs) const;

private:
    template <class Done> std::vector<Datagram> ReceiveUntil(Done done, int timeoutMs) const;

    int fd_ = -1;
    Endpoint local_;
};

std::string MasterRequestText(const std::string& words);

int64_t NowMonotonicNs();

} // namespace etsim::test
