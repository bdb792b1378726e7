// etsim-burst: a load client for etsim. Reads etsim's dump, then asks every answering server for its
// status again and again, keeping a window of requests outstanding, and reports the replies per second.
//   etsim-burst --dump FILE [--seconds S] [--window W] [--timeout-ms T]
#include "Wire.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

using namespace etsim;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    std::string dumpPath;
    double seconds = 5;
    size_t window = 256;
    int timeoutMs = 1000;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i];
        if (name == "--dump")
            dumpPath = argv[i + 1];
        else if (name == "--seconds")
            seconds = std::stod(argv[i + 1]);
        else if (name == "--window")
            window = std::stoul(argv[i + 1]);
        else if (name == "--timeout-ms")
            timeoutMs = std::stoi(argv[i + 1]);
        else {
            std::fprintf(stderr, "etsim-burst: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    std::ifstream in(dumpPath);
    if (dumpPath.empty() || !in) {
        std::fprintf(stderr, "usage: etsim-burst --dump FILE [--seconds S] [--window W] [--timeout-ms T]\n");
        return 2;
    }
    nlohmann::json dump = nlohmann::json::parse(in);
    std::vector<SEndpoint> targets;
    for (const auto& s : dump["servers"]) {
        if (s["silent"].get<bool>() || s["second_only"].get<bool>())
            continue;
        auto ep = ParseEndpoint(s["address"].get<std::string>());
        if (!ep || !IsLoopback(ep->ip)) {
            std::fprintf(stderr, "etsim-burst: refusing %s: only 127.0.0.0/8\n",
                         s["address"].get<std::string>().c_str());
            return 2;
        }
        targets.push_back(*ep);
    }
    if (targets.empty()) {
        std::fprintf(stderr, "etsim-burst: no answering server in %s\n", dumpPath.c_str());
        return 2;
    }
    std::unordered_map<uint64_t, size_t> index;
    for (size_t i = 0; i < targets.size(); ++i)
        index[(uint64_t{targets[i].ip} << 16) | targets[i].port] = i;

    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    int size = 4 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        std::perror("etsim-burst: bind");
        return 1;
    }

    std::vector<Clock::time_point> sentAt(targets.size());
    std::vector<bool> busy(targets.size(), false);
    std::deque<size_t> idle;
    for (size_t i = 0; i < targets.size(); ++i)
        idle.push_back(i);
    size_t outstanding = 0;
    uint64_t sent = 0, replies = 0, lost = 0, bytes = 0;
    std::vector<char> buffer(65536);
    const auto start = Clock::now();
    const auto stop =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    auto lastSweep = start;
    while (Clock::now() < stop) {
        while (outstanding < window && !idle.empty()) {
            size_t i = idle.front();
            idle.pop_front();
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_addr.s_addr = htonl(targets[i].ip);
            to.sin_port = htons(targets[i].port);
            sendto(fd, kStatusRequest.data(), kStatusRequest.size(), 0, reinterpret_cast<sockaddr*>(&to),
                   sizeof to);
            sentAt[i] = Clock::now();
            busy[i] = true;
            ++outstanding;
            ++sent;
        }
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 10);
        for (;;) {
            sockaddr_in from{};
            socklen_t len = sizeof from;
            ssize_t n =
                recvfrom(fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n < 0)
                break;
            auto it = index.find((uint64_t{ntohl(from.sin_addr.s_addr)} << 16) | ntohs(from.sin_port));
            if (it == index.end() || !busy[it->second])
                continue;
            busy[it->second] = false;
            idle.push_back(it->second);
            --outstanding;
            ++replies;
            bytes += static_cast<uint64_t>(n);
        }
        const auto now = Clock::now();
        if (now - lastSweep > std::chrono::milliseconds(100)) {
            lastSweep = now;
            for (size_t i = 0; i < targets.size(); ++i) {
                if (busy[i] && now - sentAt[i] > std::chrono::milliseconds(timeoutMs)) {
                    busy[i] = false;
                    idle.push_back(i);
                    --outstanding;
                    ++lost;
                }
            }
        }
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("servers %zu window %zu seconds %.2f requests %llu replies %llu lost %llu "
                "replies/s %.0f MB/s %.1f\n",
                targets.size(), window, elapsed, static_cast<unsigned long long>(sent),
                static_cast<unsigned long long>(replies), static_cast<unsigned long long>(lost),
                static_cast<double>(replies) / elapsed, static_cast<double>(bytes) / elapsed / 1e6);
    close(fd);
    return replies > 0 ? 0 : 1;
}
