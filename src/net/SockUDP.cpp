#include "net/SockUDP.h"

#include "net/SockErr.h"

#ifndef _WIN32
#include <sys/socket.h>
#endif

namespace net {

CSockUDP::CSockUDP() {
    EnsureSocketLibrary();
}

CSockUDP::~CSockUDP() {
    Close();
}

void CSockUDP::Create(const CSockAddr& local) {
    Close();
    m_socket = OpenEventSocket(m_event);
    if (m_socket == kInvalidSocketHandle)
        throw CSockErr();
    const sockaddr_in& raw = local.Raw();
    if (bind(m_socket, reinterpret_cast<const sockaddr*>(&raw), sizeof raw) != 0) {
        CSockErr error;
        Close();
        throw error;
    }
    m_event.Reset();
}

void CSockUDP::Close() {
    if (m_socket != kInvalidSocketHandle) {
        CloseEventSocket(m_socket, m_event);
        m_socket = kInvalidSocketHandle;
    }
    m_event.Reset();
}

CSockAddr CSockUDP::LocalAddress() const {
    CSockAddr address;
    sockaddr_in& raw = address.Raw();
#ifdef _WIN32
    int length = sizeof raw;
#else
    socklen_t length = sizeof raw;
#endif
    if (getsockname(m_socket, reinterpret_cast<sockaddr*>(&raw), &length) != 0)
        throw CSockErr();
    return address;
}

int CSockUDP::SendTo(const void* data, int& length, const CSockAddr& to) {
    const sockaddr_in& raw = to.Raw();
    long n = sendto(m_socket, static_cast<const char*>(data), length, 0,
                    reinterpret_cast<const sockaddr*>(&raw), sizeof raw);
    if (n < 0) {
        length = 0;
        return LastSocketError();
    }
    length = static_cast<int>(n);
    return 0;
}

int CSockUDP::SendText(const std::string& text, const CSockAddr& to) {
    int length = static_cast<int>(text.size()) + 1;
    return SendTo(text.c_str(), length, to);
}

int CSockUDP::ReceiveFrom(void* buffer, int& size, CSockAddr& from) {
    sockaddr_in& raw = from.Raw();
    int fromLength = sizeof raw;
    long n = ReceiveDatagram(m_socket, static_cast<char*>(buffer), size, &raw, &fromLength);
    if (n < 0) {
        size = 0;
        return LastSocketError();
    }
    if (fromLength != static_cast<int>(sizeof raw))
        throw base::CError("CSockUDP::Receive: CSockAddr Gr\xF6\xDF"
                           "enkonflikt!");
    if (n > size)
        return 10040;
    size = static_cast<int>(n);
    return 0;
}

int CSockUDP::Receive(void* buffer, int& size) {
    CSockAddr from;
    return ReceiveFrom(buffer, size, from);
}

int CSockUDP::ReceiveText(std::string& text) {
    CSockAddr from;
    return ReceiveTextFrom(text, from);
}

int CSockUDP::ReceiveTextFrom(std::string& text, CSockAddr& from) {
    // Read into a buffer that holds the largest datagram rather than one of the size the socket
    // reports waiting: that size can fall short (Wine under load), and a datagram cut short is lost.
    if (m_buffer.empty())
        m_buffer.resize(kMaxDatagram);
    int size = kMaxDatagram;
    int error = ReceiveFrom(m_buffer.data(), size, from);
    text.assign(m_buffer.data(), static_cast<size_t>(size)); // nothing after an error
    return error;
}

SNetworkEvents CSockUDP::GetNetworkEvents() {
    SNetworkEvents record;
    CSockErr::ThrowIfSockError(ReadNetworkEvents(m_socket, m_event, record));
    return record;
}

} // namespace net
