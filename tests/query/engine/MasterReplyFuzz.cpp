// Any datagram: the parser stays inside it and never yields more entries than 7-byte slots it holds.
// Any text: the master list parser either fills entries or explains, never both.
#include "query/MasterList.h"
#include "query/MasterQuery.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    bool endMarker = false;
    if (query::ReadMasterEntries(text, &endMarker).size() > size / 7)
        abort();
    std::vector<query::SMasterEntry> entries;
    const std::string problem = query::ParseMasterList(text, entries);
    if (problem.empty() == entries.empty())
        abort();
    for (const query::SMasterEntry& entry : entries)
        if (entry.host.empty() || entry.port == 0 || entry.host.find(' ') != std::string::npos)
            abort();
    return 0;
}
