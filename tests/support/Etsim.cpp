#include "support/Etsim.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

SLog ParseLog(const std::string& text) {
    SLog log;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string word;
        fields >> word;
        if (line.starts_with("# start_monotonic_ns ")) {
            log.startMonotonicNs = std::stoll(line.substr(21));
        } else if (word == "total") {
            log.totals.emplace_back(std::istream_iterator<std::string>(fields),
                                    std::istream_iterator<std::string>());
        } else if (word == "end") {
            log.endMs = std::stod(line.substr(4));
        } else if (!word.empty() && !word.starts_with("#")) {
            SLogLine& e = log.events.emplace_back();
            if (!(std::istringstream(line) >> e.ms >> e.kind >> e.target >> e.peer >> e.n >> e.detail))
                throw std::runtime_error("bad log line: " + line);
        }
    }
    return log;
}

CEtsimProcess::CEtsimProcess(std::vector<std::string> args, bool waitReady) {
    const std::string ready = dir_.File("ready.txt"), dump = dir_.File("dump.json");
    std::vector<std::string> all = {ETSIM_PATH, "--ready", ready, "--dump", dump, "--log", LogPath()};
    if (std::find(args.begin(), args.end(), "--lifetime") == args.end())
        all.insert(all.end(), {"--lifetime", "60"});
    all.insert(all.end(), args.begin(), args.end());
    pid_ = testsupport::Spawn(all, dir_.File("stdout.txt"), dir_.File("stderr.txt"));
    if (pid_ < 0)
        throw std::runtime_error("cannot start etsim");
    if (!waitReady)
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(ready)) {
        if (std::chrono::steady_clock::now() > deadline || testsupport::WaitExit(pid_, 0) >= 0 || pid_ < 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::string text = ReadFile(ready);
    const auto master = ParseEndpoint(text.substr(0, text.find('\n')));
    if (!master)
        throw std::runtime_error("bad ready file: " + text);
    master_ = *master;
    dump_ = nlohmann::json::parse(ReadFile(dump));
    for (const auto& s : dump_["servers"])
        servers_.push_back(*ParseEndpoint(s["address"].get<std::string>()));
    ready_ = true;
}

CUdpClient::CUdpClient() : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {
    int size = 4 << 20;
    setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in sa{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof sa;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&sa), len) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        throw std::runtime_error("cannot bind the test client");
    local_ = {ntohl(sa.sin_addr.s_addr), ntohs(sa.sin_port)};
}

void CUdpClient::Send(const SEndpoint& to, const std::string& data) const {
    if (!IsLoopback(to.ip))
        throw std::logic_error("test traffic stays on loopback");
    const sockaddr_in sa{AF_INET, htons(to.port), {htonl(to.ip)}, {}};
    sendto(fd_, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
}

std::optional<SDatagram> CUdpClient::Receive(int timeoutMs) const {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0)
        return std::nullopt;
    std::string buffer(65536, '\0');
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    ssize_t n = recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&sa), &len);
    if (n < 0)
        return std::nullopt;
    buffer.resize(static_cast<size_t>(n));
    return SDatagram{{ntohl(sa.sin_addr.s_addr), ntohs(sa.sin_port)}, std::move(buffer)};
}

std::vector<SDatagram> CUdpClient::ReceiveUntilQuiet(int quietMs) const {
    std::vector<SDatagram> all;
    while (auto d = Receive(quietMs))
        all.push_back(std::move(*d));
    return all;
}

std::vector<SDatagram> CUdpClient::ReceiveCount(size_t count, int timeoutMs, bool toEndMarker) const {
    std::vector<SDatagram> all;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (all.size() < count && !(toEndMarker && !all.empty() && all.back().data.ends_with("\\EOT"))) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        if (auto d = Receive(static_cast<int>(left.count())))
            all.push_back(std::move(*d));
    }
    return all;
}

std::string MasterRequestText(const std::string& words) {
    return std::string("\xFF\xFF\xFF\xFFgetservers ", 15) + words + std::string(1, '\0');
}

} // namespace testsupport
