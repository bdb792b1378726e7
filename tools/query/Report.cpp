#include "Report.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace queryreport {

namespace {

bool Answered(const query::CGameServer& s) {
    return s.tries == query::TRIES_ANSWERED;
}

std::string MastersJson(const std::vector<query::CMasterStatus>& masters) {
    std::string out;
    for (const query::CMasterStatus& m : masters)
        out += std::string(out.empty() ? "" : ", ") + "{\"master\": " + JsonText(m.name) +
               ", \"answered\": " + (m.answered ? "true" : "false") +
               ", \"entries\": " + std::to_string(m.entries) + "}";
    return out;
}

const char* TeamName(int team) {
    switch (team) {
    case query::TEAM_ALLIES:
        return "Allies";
    case query::TEAM_AXIS:
        return "Axis";
    default:
        return "Spectating";
    }
}

const char* Bool(bool value) {
    return value ? "true" : "false";
}

// Printable for a terminal: control characters become '?', everything else stays as received.
std::string Printable(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return out;
}

// Rows of cells, columns padded to their widest cell (numbers right-aligned).
std::string Table(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& rightAligned) {
    std::vector<size_t> widths(rightAligned.size(), 0);
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            std::string pad(widths[c] - row[c].size(), ' ');
            if (c)
                line += "  ";
            line += rightAligned[c] ? pad + row[c] : row[c] + (c + 1 < row.size() ? pad : "");
        }
        out += line + "\n";
    }
    return out;
}

} // namespace

std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
                out += escaped;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string JsonReport(const query::CServerCollection& servers, int protocol,
                       const std::vector<query::CMasterStatus>& masters) {
    std::string out = "{\"protocol\": " + std::to_string(protocol) + ",\n \"masters\": [" +
                      MastersJson(masters) + "],\n \"servers\": [";
    bool first = true;
    for (const auto& [address, s] : servers) {
        if (!Answered(s))
            continue;
        out += first ? "\n  {" : ",\n  {";
        first = false;
        out += "\"address\": " + JsonText(address.ToText());
        out += ", \"name\": " + JsonText(s.name);
        out += ", \"map\": " + JsonText(s.map);
        out += ", \"mod\": " + JsonText(s.mod);
        out += ", \"gameType\": " + std::to_string(s.gameType);
        out += ", \"maxClients\": " + std::to_string(s.maxClients);
        out += ", \"ping\": " + std::to_string(s.ping);
        out += std::string(", \"needPassword\": ") + Bool(s.needPassword);
        out += std::string(", \"friendlyFire\": ") + Bool(s.friendlyFire);
        out += std::string(", \"punkBuster\": ") + Bool(s.punkBuster);
        out += ",\n   \"variables\": [";
        for (size_t i = 0; i < s.variables.size(); ++i)
            out += (i ? ", [" : "[") + JsonText(s.variables[i].first) + ", " +
                   JsonText(s.variables[i].second) + "]";
        out += "],\n   \"players\": [";
        for (size_t i = 0; i < s.players.size(); ++i) {
            const query::CPlayer& p = s.players[i];
            out += (i ? ", {" : "{") + std::string("\"name\": ") + JsonText(p.name) +
                   ", \"score\": " + std::to_string(p.score) + ", \"ping\": " + std::to_string(p.ping) +
                   ", \"team\": " + std::to_string(p.team) + "}";
        }
        out += "]}";
    }
    out += first ? "],\n \"silent\": [" : "\n ],\n \"silent\": [";
    first = true;
    for (const auto& [address, s] : servers) {
        if (Answered(s))
            continue;
        out += (first ? "" : ", ") + JsonText(address.ToText());
        first = false;
    }
    return out + "]}\n";
}

std::string TextReport(const query::CServerCollection& servers) {
    std::vector<std::vector<std::string>> serverRows{
        {"Address", "Name", "Map", "Mod", "Type", "Players", "Ping", "Password", "FF", "PB"}};
    std::vector<std::vector<std::string>> playerRows{{"Server", "Player", "Score", "Ping", "Team"}};
    std::vector<std::string> silent;
    for (const auto& [address, s] : servers) {
        if (!Answered(s)) {
            silent.push_back(address.ToText());
            continue;
        }
        serverRows.push_back({address.ToText(), Printable(s.name), Printable(s.map), Printable(s.mod),
                              std::to_string(s.gameType),
                              std::to_string(s.players.size()) + "/" + std::to_string(s.maxClients),
                              std::to_string(s.ping), s.needPassword ? "yes" : "no",
                              s.friendlyFire ? "yes" : "no", s.punkBuster ? "yes" : "no"});
        for (const query::CPlayer& p : s.players)
            playerRows.push_back({address.ToText(), Printable(p.name), std::to_string(p.score),
                                  std::to_string(p.ping), TeamName(p.team)});
    }
    std::string out = Table(serverRows, {false, false, false, false, true, true, true, false, false, false});
    out += "\n" + Table(playerRows, {false, false, true, true, false});
    out += "\nSilent servers (" + std::to_string(silent.size()) + "):";
    for (const std::string& a : silent)
        out += " " + a;
    return out + "\n";
}

} // namespace queryreport
