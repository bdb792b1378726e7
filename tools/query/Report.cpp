#include "Report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <vector>

namespace queryreport {

namespace {

// Keys in the order written, so that the output reads like the text report.
using Json = nlohmann::ordered_json;

bool Answered(const query::CGameServer& s) {
    return s.tries == query::kTriesAnswered;
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

std::string Latin1ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string JsonReport(const query::CServerCollection& servers, int protocol,
                       const std::vector<query::SMasterStatus>& masters) {
    Json report = {{"protocol", protocol},
                   {"masters", Json::array()},
                   {"servers", Json::array()},
                   {"silent", Json::array()}};
    for (const query::SMasterStatus& m : masters)
        report["masters"].push_back(
            {{"master", Latin1ToUtf8(m.name)}, {"answered", m.answered}, {"entries", m.entries}});
    for (const auto& [address, s] : servers) {
        if (!Answered(s)) {
            report["silent"].push_back(address.ToText());
            continue;
        }
        Json variables = Json::array();
        for (const auto& [key, value] : s.variables)
            variables.push_back({Latin1ToUtf8(key), Latin1ToUtf8(value)});
        Json players = Json::array();
        for (const query::CPlayer& p : s.players)
            players.push_back(
                {{"name", Latin1ToUtf8(p.name)}, {"score", p.score}, {"ping", p.ping}, {"team", p.team}});
        report["servers"].push_back({{"address", address.ToText()},
                                     {"name", Latin1ToUtf8(s.name)},
                                     {"map", Latin1ToUtf8(s.map)},
                                     {"mod", Latin1ToUtf8(s.mod)},
                                     {"gameType", s.gameType},
                                     {"maxClients", s.maxClients},
                                     {"ping", s.ping},
                                     {"needPassword", s.needPassword},
                                     {"friendlyFire", s.friendlyFire},
                                     {"punkBuster", s.punkBuster},
                                     {"variables", std::move(variables)},
                                     {"players", std::move(players)}});
    }
    return report.dump(1) + "\n";
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
