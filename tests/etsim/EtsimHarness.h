// Drives etsim as a child process and talks to it over loopback UDP with plain POSIX sockets.
#pragma once

#include "Wire.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace etsim::test {

// A temporary folder, removed with its files at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFile(const std::string& path);

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

struct ExitResult {
    bool exited = false;
    int code = -1;
};

class EtsimProcess {
public:
    // Starts etsim with args plus --ready, --dump and --log in a temporary folder and waits until it
    // is ready. Adds --lifetime 60 unless args give one, so a failed test leaves nothing behind.
    explicit EtsimProcess(std::vector<std::string> args, bool waitReady = true);
    ~EtsimProcess();
    EtsimProcess(const EtsimProcess&) = delete;
    EtsimProcess& operator=(const EtsimProcess&) = delete;

    bool Ready() const { return ready_; }
    const Endpoint& Master() const { return master_; }
    const nlohmann::json& Dump() const { return dump_; }
    std::vector<Endpoint> ServerAddresses() const;
    void Signal(int sig) const;
    // Waits at most timeoutMs for the process to end.
    ExitResult Wait(int timeoutMs);
    std::string LogPath() const { return dir_.File("log.txt"); }
    std::string Stderr() const { return ReadFile(dir_.File("stderr.txt")); }
    std::string Stdout() const { return ReadFile(dir_.File("stdout.txt")); }

private:
    TempDir dir_;
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
    int fd_ = -1;
    Endpoint local_;
};

std::string MasterRequestText(const std::string& words);

int64_t NowMonotonicNs();

} // namespace etsim::test
