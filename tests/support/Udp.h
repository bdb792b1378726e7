// Loopback UDP endpoints for tests: bounded waits for a datagram and a pair of bound endpoints.
#pragma once

#include "net/SockUDP.h"
#include "net/Sync.h"

namespace testsupport {

inline const net::CSockAddr kLoopbackAnyPort("127.0.0.1:0");

// Waits at most timeoutMs for the endpoint's event; true when the record shows a waiting datagram.
inline bool WaitForData(net::CSockUDP& endpoint, int timeoutMs = 5000) {
    net::SyncHandle event = endpoint.GetEvent();
    return net::WaitForAny(&event, 1, timeoutMs) == 0 &&
           net::CSockUDP::HasEvent(endpoint.GetNetworkEvents(), net::kNetEventRead);
}

// Two endpoints bound to loopback ports of their own.
struct SLoopbackPair {
    SLoopbackPair() {
        a.Create(kLoopbackAnyPort);
        b.Create(kLoopbackAnyPort);
    }
    net::CSockUDP a, b;
};

} // namespace testsupport
