// Wire formats etsim speaks: the game server status exchange and the master server list exchange.
// Written independently of the program's own parsers so that a fault in one cannot hide in the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace etsim {

// An IPv4 address and port, both in host byte order.
struct SEndpoint {
    uint32_t ip = 0;
    uint16_t port = 0;
    bool operator==(const SEndpoint&) const = default;
    auto operator<=>(const SEndpoint&) const = default;
};

bool IsLoopback(uint32_t ip);
std::string IpText(uint32_t ip);
std::string AddressText(const SEndpoint& ep);
// Strict dotted quad ("127.0.0.1"); no host names.
std::optional<uint32_t> ParseIp(std::string_view text);
// "a.b.c.d:port" or "a.b.c.d" (port 0).
std::optional<SEndpoint> ParseEndpoint(std::string_view text);

// The 15-byte request a client sends: FF FF FF FF "getstatus" LF NUL.
extern const std::string kStatusRequest;
enum class StatusRequestKind { Exact, Loose, Invalid };
// Exact: the 15 bytes above. Loose: FF FF FF FF "getstatus" followed by anything else (still answered).
StatusRequestKind ClassifyStatusRequest(std::string_view datagram);

struct SMasterRequest {
    bool valid = false;
    int protocol = 0;
    bool full = false;
    bool empty = false;
};
// FF FF FF FF "getservers <protocol> [words]" up to the first NUL; words other than "full" and
// "empty" are ignored.
SMasterRequest ParseMasterRequest(std::string_view datagram);

extern const std::string kMasterReplyHeader;
// Splits the list into datagrams of at most perDatagram 7-byte entries each; the last datagram ends
// with "\EOT". An empty list gives one datagram with the header and "\EOT".
std::vector<std::string> BuildMasterReply(const std::vector<SEndpoint>& entries, size_t perDatagram);

using Variables = std::vector<std::pair<std::string, std::string>>;

struct SPlayerLine {
    int score = 0;
    int ping = 0;
    std::string name; // as it stands on the line, quotes included
};

// Header line, the variables line, then one "score ping name" line per player.
std::string BuildStatusReply(const Variables& vars, const std::vector<SPlayerLine>& players);

} // namespace etsim
