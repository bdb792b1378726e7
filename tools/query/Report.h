// The headless query tool's output: the answering servers with their players as an aligned text table
// or as one JSON object, and the servers that stayed silent.
#pragma once

#include "query/ServerCollection.h"

#include <string>

namespace queryreport {

// A JSON string literal of the bytes of `text`: quotes, backslashes and control characters escaped,
// bytes from 0x7F on written as \u00XX (read as Latin-1).
std::string JsonText(const std::string& text);

// {"servers": [...], "silent": [...]} over the collection in key order; a server has answered when its
// tries state says so.
std::string JsonReport(const query::CServerCollection& servers);

// The same as text: a server table, a player table and the silent addresses, columns aligned.
std::string TextReport(const query::CServerCollection& servers);

} // namespace queryreport
