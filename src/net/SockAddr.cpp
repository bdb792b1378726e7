#include "net/SockAddr.h"

#include "base/TextUtil.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef _WIN32
#include <arpa/inet.h>
#endif

namespace net {

CSockAddr::CSockAddr() {
    memset(&m_address, 0, sizeof m_address);
    m_address.sin_family = AF_INET;
}

CSockAddr::CSockAddr(const std::string& text) : CSockAddr() {
    SetFromText(text);
}

CSockAddr::CSockAddr(uint32_t hostOrderAddress, uint16_t port) : CSockAddr() {
    SetAddress(hostOrderAddress);
    SetPort(port);
}

void CSockAddr::SetFromText(const std::string& text) {
    size_t mark = text.find('[');
    if (mark == std::string::npos)
        mark = text.find(':');
    std::string host = text;
    if (mark != std::string::npos) {
        SetPort(static_cast<uint16_t>(base::ReadInt(text.c_str() + mark + 1)));
        host = text.substr(0, mark);
    }
    m_address.sin_addr.s_addr = inet_addr(host.c_str());
    // An empty host stays unresolved: Windows would otherwise answer with this machine's address.
    if (m_address.sin_addr.s_addr == INADDR_NONE && !host.empty()) {
        uint32_t resolved;
        if (ResolveIPv4(host.c_str(), resolved))
            m_address.sin_addr.s_addr = resolved;
    }
}

uint16_t CSockAddr::GetPort() const {
    return ntohs(m_address.sin_port);
}

void CSockAddr::SetPort(uint16_t port) {
    m_address.sin_port = htons(port);
}

uint32_t CSockAddr::GetAddress() const {
    return ntohl(m_address.sin_addr.s_addr);
}

void CSockAddr::SetAddress(uint32_t hostOrderAddress) {
    m_address.sin_addr.s_addr = htonl(hostOrderAddress);
}

std::string CSockAddr::ToText() const {
    uint32_t a = GetAddress();
    char text[32];
    snprintf(text, sizeof text, "%u.%u.%u.%u:%i", a >> 24, (a >> 16) & 0xFF, (a >> 8) & 0xFF, a & 0xFF,
             static_cast<int>(GetPort()));
    return text;
}

uint64_t CSockAddr::SortKey() const {
    unsigned char address[4];
    unsigned char port[2];
    memcpy(address, &m_address.sin_addr.s_addr, 4);
    memcpy(port, &m_address.sin_port, 2);
    uint64_t a = address[0] | address[1] << 8 | address[2] << 16 | uint64_t(address[3]) << 24;
    uint64_t p = port[0] | port[1] << 8;
    return a << 16 | p;
}

} // namespace net
