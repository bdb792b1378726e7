// The master server list as the user writes it: "host[:port];host[:port]...".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace query {

inline constexpr uint16_t kDefaultMasterPort = 27950;

struct SMasterEntry {
    std::string host;
    uint16_t port = kDefaultMasterPort;
};

// Splits "host[:port];host[:port]..." (blanks around entries ignored); a missing port means 27950.
// Returns "" and fills entries on success; otherwise a message for the user naming the bad entry
// (empty entry such as ";;;", port above 65535 or not a number, blank inside a host, ...), and entries
// is left empty.
std::string ParseMasterList(const std::string& text, std::vector<SMasterEntry>& entries);

// "host:port".
std::string MasterEntryText(const SMasterEntry& entry);

} // namespace query
