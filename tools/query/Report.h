// The headless query tool's output: the answering servers with their players as an aligned text table
// or as one JSON object, and the servers that stayed silent.
#pragma once

#include "query/MasterQuery.h"
#include "query/ServerCollection.h"

#include <string>

namespace queryreport {

// The game's Latin-1 bytes as UTF-8, so that every name survives JSON byte for byte.
std::string Latin1ToUtf8(const std::string& text);

// {"protocol": N, "masters": [...], "servers": [...], "silent": [...]} over the collection in key order;
// a server is silent when it never answered. Each master with its address, whether it answered and the
// distinct entries it listed.
std::string JsonReport(const query::CServerCollection& servers, int protocol,
                       const std::vector<query::SMasterStatus>& masters);

// The same as text: a server table, a player table and the silent addresses, columns aligned.
std::string TextReport(const query::CServerCollection& servers);

} // namespace queryreport
