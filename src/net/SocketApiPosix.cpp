#include "net/SocketApi.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace net {

namespace {

// errno values and the WinSock numbers that mean the same.
struct SErrnoMap {
    int error;
    int winsock;
};

constexpr SErrnoMap kErrnoToWinsock[] = {
    {EINTR, 10004},           {EBADF, 10009},         {EACCES, 10013},       {EFAULT, 10014},
    {EINVAL, 10022},          {EMFILE, 10024},        {ENFILE, 10024},       {EWOULDBLOCK, 10035},
    {EINPROGRESS, 10036},     {EALREADY, 10037},      {ENOTSOCK, 10038},     {EDESTADDRREQ, 10039},
    {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},    {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043},
    {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},    {EPFNOSUPPORT, 10046}, {EAFNOSUPPORT, 10047},
    {EADDRINUSE, 10048},      {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050},     {ENETUNREACH, 10051},
    {ENETRESET, 10052},       {ECONNABORTED, 10053},  {ECONNRESET, 10054},   {ENOBUFS, 10055},
    {EISCONN, 10056},         {ENOTCONN, 10057},      {ESHUTDOWN, 10058},    {ETOOMANYREFS, 10059},
    {ETIMEDOUT, 10060},       {ECONNREFUSED, 10061},  {ELOOP, 10062},        {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},       {EHOSTUNREACH, 10065},  {ENOTEMPTY, 10066},    {EUSERS, 10068},
    {EDQUOT, 10069},          {ESTALE, 10070},        {EREMOTE, 10071},      {ENOMEM, 8},
};

} // namespace

void EnsureSocketLibrary() {}

int LastSocketError() {
    int e = errno;
    for (const SErrnoMap& m : kErrnoToWinsock)
        if (m.error == e)
            return m.winsock;
    return 10000 + e;
}

SocketHandle OpenEventSocket(CSyncEvent& event) {
    int s = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s >= 0)
        event.Handle()->socket = s;
    return s;
}

void CloseEventSocket(SocketHandle socket, CSyncEvent& event) {
    event.Handle()->socket = -1;
    shutdown(socket, SHUT_RDWR);
    close(socket);
}

int ReadNetworkEvents(SocketHandle socket, CSyncEvent& event, SNetworkEvents& record) {
    event.Reset();
    pollfd p{socket, POLLIN, 0};
    if (poll(&p, 1, 0) < 0)
        return LastSocketError();
    record = SNetworkEvents{};
    if (p.revents & POLLNVAL)
        return 10038;
    if (p.revents & POLLIN)
        record.events |= kNetEventRead;
    return 0;
}

long PendingBytes(SocketHandle socket) {
    int available = 0;
    if (ioctl(socket, FIONREAD, &available) != 0)
        return 0;
    return available;
}

long ReceiveDatagram(SocketHandle socket, char* buffer, int size, sockaddr_in* from, int* fromLength) {
    socklen_t length = static_cast<socklen_t>(*fromLength);
    ssize_t n = recvfrom(socket, buffer, static_cast<size_t>(size), MSG_TRUNC,
                         reinterpret_cast<sockaddr*>(from), &length);
    *fromLength = static_cast<int>(length);
    return static_cast<long>(n);
}

bool ResolveIPv4(const char* host, uint32_t& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &list) != 0 || !list)
        return false;
    address = reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(list);
    return true;
}

} // namespace net
