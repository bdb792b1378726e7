#include "query/MasterList.h"

#include <cctype>

namespace query {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Trimmed(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// Letters, digits, '.', '-' and '_': what host names and dotted addresses are made of.
bool IsHostChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
}

// "" when `entry` is a usable host[:port], else why not.
std::string ReadEntry(const std::string& entry, SMasterEntry& out) {
    const size_t colon = entry.find(':');
    out.host = entry.substr(0, colon);
    out.port = kDefaultMasterPort;
    if (out.host.empty())
        return "the host name is missing";
    for (char c : out.host) {
        if (IsBlank(c))
            return "the host name contains a blank";
        if (!IsHostChar(c))
            return std::string("the host name contains the character '") + c + "'";
    }
    if (colon == std::string::npos)
        return "";
    const std::string port = entry.substr(colon + 1);
    if (port.empty())
        return "the port is missing after ':'";
    unsigned long value = 0;
    for (char c : port) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return "the port \"" + port + "\" is not a number";
        value = value * 10 + static_cast<unsigned long>(c - '0');
        if (value > 65535)
            return "the port " + port + " is above 65535";
    }
    if (value == 0)
        return "the port must not be 0";
    out.port = static_cast<uint16_t>(value);
    return "";
}

} // namespace

std::string ParseMasterList(const std::string& text, std::vector<SMasterEntry>& entries) {
    entries.clear();
    if (Trimmed(text).empty())
        return "No master server is given.";
    std::vector<SMasterEntry> read;
    size_t start = 0;
    for (int number = 1;; ++number) {
        const size_t end = text.find(';', start);
        const std::string entry = Trimmed(text.substr(start, end == std::string::npos ? end : end - start));
        if (entry.empty())
            return "Master server entry " + std::to_string(number) + " is empty.";
        SMasterEntry parsed;
        const std::string problem = ReadEntry(entry, parsed);
        if (!problem.empty())
            return "Master server \"" + entry + "\": " + problem + ".";
        read.push_back(parsed);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    entries = std::move(read);
    return "";
}

std::string MasterEntryText(const SMasterEntry& entry) {
    return entry.host + ":" + std::to_string(entry.port);
}

} // namespace query
