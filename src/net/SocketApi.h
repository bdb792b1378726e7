// The socket calls the endpoint needs, over WinSock (SocketApiWin32.cpp) and BSD sockets
// (SocketApiPosix.cpp). Error numbers are WinSock's on both, so messages read the same everywhere.
#pragma once

#include "net/Sync.h"

#include <cstdint>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#endif

namespace net {

#ifdef _WIN32
using SocketHandle = SOCKET;
constexpr SocketHandle kInvalidSocketHandle = INVALID_SOCKET;
#else
using SocketHandle = int;
constexpr SocketHandle kInvalidSocketHandle = -1;
#endif

// WinSock error numbers the callers tell apart: a full send buffer, no buffer space.
constexpr int kSockErrWouldBlock = 10035;
constexpr int kSockErrNoBuffers = 10055;

// Event bits of a network event record; only "data has arrived" is used.
constexpr long kNetEventRead = 1;
constexpr long kNetEventWrite = 2;

// The network events recorded for a socket: an event word and one error per event bit.
struct SNetworkEvents {
    long events = 0;
    int errors[10] = {};
};

// Starts the socket library once per process (WinSock 2.2) and cleans it up at exit.
void EnsureSocketLibrary();

// The calling thread's last socket error as a WinSock number.
int LastSocketError();

// Opens a non-blocking IPv4 datagram socket whose arrivals signal `event`; INVALID_SOCKET_HANDLE and
// LastSocketError() on failure.
SocketHandle OpenEventSocket(CSyncEvent& event);
// Detaches the socket from its event, shuts it down both ways and closes it.
void CloseEventSocket(SocketHandle socket, CSyncEvent& event);
// Reads and clears the recorded events; NET_EVENT_READ is set whenever a datagram waits. 0 or the
// error number.
int ReadNetworkEvents(SocketHandle socket, CSyncEvent& event, SNetworkEvents& record);
// Bytes waiting to be read (at least the size of the next datagram), 0 on failure.
long PendingBytes(SocketHandle socket);
// Receives one datagram into `size` bytes; returns its length, more than `size` when it was cut, or -1.
long ReceiveDatagram(SocketHandle socket, char* buffer, int size, sockaddr_in* from, int* fromLength);
// The IPv4 address of a host name in network order, or false.
bool ResolveIPv4(const char* host, uint32_t& address);

} // namespace net
