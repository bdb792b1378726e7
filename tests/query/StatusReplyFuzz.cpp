#include "query/GameServer.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    query::CGameServer server;
    server.tries = 1;
    server.OnStatusReply(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
