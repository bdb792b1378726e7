// An IPv4 address and port, laid out exactly as the platform's sockaddr_in.
#pragma once

#include "net/SocketApi.h"

#include <cstdint>
#include <string>

namespace net {

class CSockAddr {
public:
    CSockAddr();
    explicit CSockAddr(const std::string& text);
    CSockAddr(uint32_t hostOrderAddress, uint16_t port);

    // Reads "host", "host:port" or "host[port". The port is the decimal number after the first '['
    // (else the first ':'), read like atoi; without either the port keeps its value. A host that is
    // neither a dotted address nor a resolvable name gives 255.255.255.255.
    void SetFromText(const std::string& text);

    uint16_t GetPort() const;
    void SetPort(uint16_t port);
    // The address in host byte order (10.0.0.5 is 0x0A000005).
    uint32_t GetAddress() const;
    void SetAddress(uint32_t hostOrderAddress);

    // "a.b.c.d:port".
    std::string ToText() const;

    // Key order of the server collection: the address bytes as they lie in memory read as a
    // little-endian number (fourth octet first), then the port bytes the same way (low byte first).
    bool operator<(const CSockAddr& other) const { return SortKey() < other.SortKey(); }
    bool operator==(const CSockAddr& other) const { return SortKey() == other.SortKey(); }

    const sockaddr_in& Raw() const { return m_address; }
    sockaddr_in& Raw() { return m_address; }

private:
    uint64_t SortKey() const;

    sockaddr_in m_address;
};

} // namespace net
