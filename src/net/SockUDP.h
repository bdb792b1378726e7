// A UDP endpoint whose socket signals an auto-reset event when a datagram arrives, so that a thread
// can wait on it together with other objects (WaitForAny). Used only by the thread that created it.
#pragma once

#include "net/SockAddr.h"
#include "net/SocketApi.h"
#include "net/Sync.h"

#include <string>
#include <vector>

namespace net {

class CSockUDP {
public:
    CSockUDP();
    ~CSockUDP();
    CSockUDP(const CSockUDP&) = delete;
    CSockUDP& operator=(const CSockUDP&) = delete;

    // Opens the socket on `local` (any interface, a system-chosen port by default). Throws CSockErr.
    void Create(const CSockAddr& local = CSockAddr());
    // Shuts down and closes an open socket; always resets the event.
    void Close();
    bool IsOpen() const { return m_socket != kInvalidSocketHandle; }
    SyncHandle GetEvent() const { return m_event.Handle(); }
    // The address the socket is bound to (the chosen port after Create on port 0). Throws CSockErr.
    CSockAddr LocalAddress() const;

    // Sending and receiving return 0 or the WinSock error number; they never throw.
    int SendTo(const void* data, int& length, const CSockAddr& to);
    // Sends the text and its terminating NUL.
    int SendText(const std::string& text, const CSockAddr& to);
    // Reads one datagram. On 10040 (cut to the buffer) `size` keeps its value, on other errors it is 0.
    // Throws CError when the sender's address has an unexpected size.
    int ReceiveFrom(void* buffer, int& size, CSockAddr& from);
    int Receive(void* buffer, int& size);
    // Read one whole datagram, whatever its size, into `text` (which may hold NUL bytes).
    int ReceiveText(std::string& text);
    int ReceiveTextFrom(std::string& text, CSockAddr& from);

    // Reads and clears the recorded network events (and the event). Throws CSockErr.
    SNetworkEvents GetNetworkEvents();
    static bool HasEvent(const SNetworkEvents& record, long bit) { return (record.events & bit) != 0; }

private:
    static constexpr int kMaxDatagram = 65536;

    SocketHandle m_socket = kInvalidSocketHandle;
    CSyncEvent m_event;
    std::vector<char> m_buffer; // receive buffer of the text reads, made on first use
};

} // namespace net
