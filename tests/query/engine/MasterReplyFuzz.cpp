// Any datagram: the parser stays inside it and never yields more entries than 7-byte slots it holds.
#include "query/MasterQuery.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    if (query::ReadMasterEntries(text).size() > size / 7)
        abort();
    query::CServerCollection servers;
    query::ParseMasterReply(text, servers);
    if (servers.Count() > size / 7)
        abort();
    return 0;
}
