#include "Wire.h"

#include <charconv>
#include <cstdio>

namespace etsim {

namespace {
const std::string kPrefix("\xFF\xFF\xFF\xFF", 4);
}

const std::string kStatusRequest = kPrefix + std::string("getstatus\n\0", 11);
const std::string kMasterReplyHeader = kPrefix + "getserversResponse";

bool IsLoopback(uint32_t ip) {
    return (ip >> 24) == 127;
}

std::string IpText(uint32_t ip) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 255, (ip >> 8) & 255, ip & 255);
    return buf;
}

std::string AddressText(const SEndpoint& ep) {
    return IpText(ep.ip) + ":" + std::to_string(ep.port);
}

std::optional<uint32_t> ParseIp(std::string_view text) {
    uint32_t ip = 0;
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (p == end || *p != '.')
                return std::nullopt;
            ++p;
        }
        unsigned octet = 0;
        auto [next, ec] = std::from_chars(p, end, octet);
        if (ec != std::errc() || next == p || next - p > 3 || octet > 255)
            return std::nullopt;
        ip = (ip << 8) | octet;
        p = next;
    }
    if (p != end)
        return std::nullopt;
    return ip;
}

std::optional<SEndpoint> ParseEndpoint(std::string_view text) {
    size_t colon = text.find(':');
    auto ip = ParseIp(text.substr(0, colon));
    if (!ip)
        return std::nullopt;
    SEndpoint ep{*ip, 0};
    if (colon != std::string_view::npos) {
        std::string_view portText = text.substr(colon + 1);
        unsigned port = 0;
        auto [next, ec] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
        if (ec != std::errc() || next != portText.data() + portText.size() || portText.empty() ||
            port > 65535)
            return std::nullopt;
        ep.port = static_cast<uint16_t>(port);
    }
    return ep;
}

StatusRequestKind ClassifyStatusRequest(std::string_view datagram) {
    if (datagram == kStatusRequest)
        return StatusRequestKind::Exact;
    if (datagram.starts_with(kPrefix + "getstatus"))
        return StatusRequestKind::Loose;
    return StatusRequestKind::Invalid;
}

SMasterRequest ParseMasterRequest(std::string_view datagram) {
    SMasterRequest req;
    const std::string word = kPrefix + "getservers";
    if (!datagram.starts_with(word))
        return req;
    std::string_view rest = datagram.substr(word.size());
    rest = rest.substr(0, rest.find('\0'));
    if (rest.empty() || rest[0] != ' ')
        return req;
    std::vector<std::string_view> tokens;
    size_t pos = 0;
    while (pos < rest.size()) {
        size_t start = rest.find_first_not_of(" \n\r\t", pos);
        if (start == std::string_view::npos)
            break;
        size_t stop = rest.find_first_of(" \n\r\t", start);
        if (stop == std::string_view::npos)
            stop = rest.size();
        tokens.push_back(rest.substr(start, stop - start));
        pos = stop;
    }
    if (tokens.empty())
        return req;
    auto [next, ec] = std::from_chars(tokens[0].data(), tokens[0].data() + tokens[0].size(), req.protocol);
    if (ec != std::errc() || next != tokens[0].data() + tokens[0].size())
        return req;
    for (size_t i = 1; i < tokens.size(); ++i) {
        if (tokens[i] == "full")
            req.full = true;
        else if (tokens[i] == "empty")
            req.empty = true;
    }
    req.valid = true;
    return req;
}

std::vector<std::string> BuildMasterReply(const std::vector<SEndpoint>& entries, size_t perDatagram) {
    std::vector<std::string> datagrams;
    if (perDatagram == 0)
        perDatagram = 1;
    size_t i = 0;
    do {
        std::string d = kMasterReplyHeader;
        size_t stop = std::min(entries.size(), i + perDatagram);
        for (; i < stop; ++i) {
            const SEndpoint& e = entries[i];
            const char entry[7] = {'\\',
                                   static_cast<char>(e.ip >> 24),
                                   static_cast<char>(e.ip >> 16),
                                   static_cast<char>(e.ip >> 8),
                                   static_cast<char>(e.ip),
                                   static_cast<char>(e.port >> 8),
                                   static_cast<char>(e.port)};
            d.append(entry, 7);
        }
        if (i == entries.size())
            d += "\\EOT";
        datagrams.push_back(std::move(d));
    } while (i < entries.size());
    return datagrams;
}

std::string BuildStatusReply(const Variables& vars, const std::vector<SPlayerLine>& players) {
    std::string text = kPrefix + "statusResponse\n";
    for (const auto& [name, value] : vars) {
        text += '\\';
        text += name;
        text += '\\';
        text += value;
    }
    text += '\n';
    for (const SPlayerLine& p : players) {
        text += std::to_string(p.score);
        text += ' ';
        text += std::to_string(p.ping);
        text += ' ';
        text += p.name;
        text += '\n';
    }
    return text;
}

} // namespace etsim
