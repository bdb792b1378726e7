#include "net/SocketApi.h"

#include <mswsock.h>

#include <cstring>

namespace net {

namespace {

struct CSocketLibrary {
    CSocketLibrary() {
        WSADATA data;
        WSAStartup(0x0202, &data);
    }
    ~CSocketLibrary() { WSACleanup(); }
};

} // namespace

void EnsureSocketLibrary() {
    static CSocketLibrary library;
}

int LastSocketError() {
    return WSAGetLastError();
}

SocketHandle OpenEventSocket(CSyncEvent& event) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET)
        return s;
    // Without this, an ICMP "port unreachable" for an earlier send reads as WSAECONNRESET on the next
    // receive; for a datagram socket asking many peers that is silence from one of them, not an error.
    BOOL report = FALSE;
    DWORD returned = 0;
    WSAIoctl(s, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr, nullptr);
    if (WSAEventSelect(s, event.Handle(), FD_READ | FD_WRITE) != 0) {
        int error = WSAGetLastError();
        closesocket(s);
        WSASetLastError(error);
        return INVALID_SOCKET;
    }
    return s;
}

void CloseEventSocket(SocketHandle socket, CSyncEvent&) {
    shutdown(socket, SD_BOTH);
    closesocket(socket);
}

int ReadNetworkEvents(SocketHandle socket, CSyncEvent& event, SNetworkEvents& record) {
    WSANETWORKEVENTS ne;
    if (WSAEnumNetworkEvents(socket, event.Handle(), &ne) != 0)
        return WSAGetLastError();
    record.events = ne.lNetworkEvents;
    for (int i = 0; i < 10; ++i)
        record.errors[i] = ne.iErrorCode[i];
    // WinSock records FD_READ once until the next read; a datagram left waiting still counts.
    if (PendingBytes(socket) > 0)
        record.events |= kNetEventRead;
    return 0;
}

long PendingBytes(SocketHandle socket) {
    u_long available = 0;
    if (ioctlsocket(socket, FIONREAD, &available) != 0)
        return 0;
    return static_cast<long>(available);
}

long ReceiveDatagram(SocketHandle socket, char* buffer, int size, sockaddr_in* from, int* fromLength) {
    int n = recvfrom(socket, buffer, size, 0, reinterpret_cast<sockaddr*>(from), fromLength);
    if (n == SOCKET_ERROR)
        return WSAGetLastError() == WSAEMSGSIZE ? long(size) + 1 : -1;
    return n;
}

bool ResolveIPv4(const char* host, uint32_t& address) {
    EnsureSocketLibrary();
    hostent* h = gethostbyname(host);
    if (!h || h->h_addrtype != AF_INET || !h->h_addr_list[0])
        return false;
    memcpy(&address, h->h_addr_list[0], sizeof address);
    return true;
}

} // namespace net
