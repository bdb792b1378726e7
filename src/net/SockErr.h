// Socket failures: CSockErr carries the WinSock error number and its text.
#pragma once

#include "base/Error.h"

namespace net {

// A socket failure: the WinSock error number and "Socket Error %i : %s" with its text.
class CSockErr : public base::CError {
public:
    CSockErr(); // from the calling thread's last socket error
    explicit CSockErr(int code);

    static void ThrowIfSockError(int code);
};

// The text of a WinSock error number, or nullptr when the table does not know it.
const char* SocketErrorText(int code);

} // namespace net
