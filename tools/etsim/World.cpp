#include "World.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <numeric>
#include <set>

namespace etsim {

const char* MalformedName(Malformed m) {
    switch (m) {
    case Malformed::Garbage:
        return "garbage";
    case Malformed::Truncated:
        return "truncated";
    case Malformed::Huge:
        return "huge";
    case Malformed::Hostile:
        return "hostile";
    case Malformed::None:
        break;
    }
    return "none";
}

namespace {

// Uniform choices from a seeded 64-bit generator; written out so that a seed gives the same world
// whatever the standard library's distributions do.
class CDice {
public:
    explicit CDice(uint64_t seed) : rng_(seed) {}
    int Between(int lo, int hi) { return lo + static_cast<int>(rng_() % static_cast<uint64_t>(hi - lo + 1)); }
    bool Chance(double p) { return static_cast<double>(rng_() >> 11) * 0x1.0p-53 < p; }
    template <typename T, size_t N> const T& Pick(const std::array<T, N>& a) { return a[rng_() % N]; }
    template <typename T> void Shuffle(std::vector<T>& v) {
        for (size_t i = v.size(); i > 1; --i)
            std::swap(v[i - 1], v[rng_() % i]);
    }
    std::mt19937_64& Engine() { return rng_; }

private:
    std::mt19937_64 rng_;
};

const std::array<const char*, 40> kNames = {
    "Snake",        "ETPlayer",      "Bob",          "Dr.Flak",     "Mr. Panzer",   "n00b",       "Medic!",
    "Fritz",        "Sgt Rock",      "Lt.Dan",       "ChuckNorris", "The Engineer", "xXsniperXx", "kill3r",
    "Nade Spammer", "UnnamedPlayer", "Private Ryan", "Vikki",       "Ghost",        "Zer0",       "O'Neill",
    "Captain Hook", "Jack",          "Wolf",         "Kommandant",  "smurf",        "Tank Girl",  "Hans",
    "Lemmy",        "Dr. Gibs",      "sn1per",       "Rambo",       "[NL]Kees",     "Mortar Man", "Pvt. Pyle",
    "BoB",          "Sarge",         "Aim 4 Head",   "-=Ace=-",     "Covert Op"};
const std::array<const char*, 12> kTags = {"[ABC]", "=EFG=", "|XYZ|", "{SoW}", ".:TR:.", "*KAS*",
                                           "[DE]",  "<VIP>", "(oo)",  "#ET#",  "~TDM~",  "[nub]"};
const std::array<const char*, 16> kHostDescr = {
    "Public",        "Stopwatch 24/7", "Campaign Server", "Fun Server", "No Rules", "Clan Server",
    "Rookies Only",  "Last Man",       "Trickjump",       "Old School", "Instagib", "Objective",
    "Friendly Fire", "Headshot Only",  "Oasis 24/7",      "Deathmatch"};
const std::array<const char*, 18> kMaps = {
    "oasis",        "battery",        "goldrush",  "radar",        "railgun",  "fueldump",
    "supplydepot2", "sw_goldrush_te", "adlernest", "braundorf_b4", "et_ice",   "tc_base",
    "frostbite",    "caen",           "venice",    "bremen_b3",    "mp_beach", "sp_delivery_te"};
struct SMod {
    const char* game;
    const char* url;
    const char* version;
};
const std::array<SMod, 6> kMods = {SMod{"etmain", "", ""},
                                   SMod{"etpro", "http://etpro.anime.net/", "3.2.6"},
                                   SMod{"jaymod", "http://jaymod.clanfu.org", "2.1.7"},
                                   SMod{"etpub", "http://www.EtPub.org", "0.9.1"},
                                   SMod{"nq", "http://shitstorm.org/NoQuarter", "1.2.9"},
                                   SMod{"silent", "http://www.SilentMod.org", "0.9.0"}};
const std::array<int, 8> kMaxClients = {8, 12, 16, 20, 24, 32, 40, 64};
const char kColourCodes[] = "0123456789012345678901234567890123456789abcdefghz*=?<>:";

std::string Colour(CDice& d) {
    return std::string("^") + kColourCodes[d.Between(0, static_cast<int>(sizeof kColourCodes) - 2)];
}

// Inserts colour codes before some words of text; the text itself stays as it was.
std::string Colourize(CDice& d, const std::string& text, double perWord) {
    std::string out;
    bool wordStart = true;
    for (char c : text) {
        if (wordStart && c != ' ' && d.Chance(perWord))
            out += Colour(d);
        out += c;
        wordStart = c == ' ' || c == '|' || c == ']' || c == '=';
    }
    if (d.Chance(0.2))
        out += Colour(d); // a trailing colour reset, as many server admins leave one
    return out;
}

std::string Trim(const std::string& s) {
    const char* blanks = " \t\r\n\v\f";
    size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos)
        return "";
    return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

SPlayer MakePlayerName(CDice& d) {
    SPlayer p;
    std::string text = kNames[d.Between(0, kNames.size() - 1)];
    if (d.Chance(0.35))
        text = std::string(kTags[d.Between(0, kTags.size() - 1)]) + (d.Chance(0.5) ? " " : "") + text;
    int variant = d.Between(0, 99);
    std::string inner;
    if (variant < 4) { // inner quotes: "The "Boss"" reads as The Boss
        inner = Colourize(d, text, 0.5) + " \"Boss\"";
        text += " Boss";
    } else if (variant < 7) { // a backslash inside the quotes stays in the name
        text += " \\o/";
        inner = Colourize(d, text, 0.5);
    } else {
        inner = Colourize(d, text, 0.5);
    }
    if (variant >= 7 && variant < 12)
        inner = "  " + inner + " "; // blanks inside the quotes are trimmed away
    if (variant >= 12 && variant < 14)
        p.sent = inner; // an unquoted name runs to the end of the line
    else
        p.sent = "\"" + inner + "\"";
    p.plain = Trim(text);
    return p;
}

std::string OddCase(CDice& d, const std::string& name) {
    std::string out = name;
    bool upper = d.Chance(0.5);
    for (size_t i = 0; i < out.size(); ++i) {
        char c = out[i];
        if (c >= 'a' && c <= 'z' && (upper || i == 0 || out[i - 1] == '_'))
            out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string TeamList(const std::vector<SPlayer>& players, int team) {
    std::string list;
    for (size_t i = 0; i < players.size(); ++i) {
        if (players[i].team == team)
            list += (list.empty() ? "" : " ") + std::to_string(i + 1);
    }
    return list.empty() ? "(None)" : list;
}

SPlayer RandomPlayer(CDice& d) {
    SPlayer p = MakePlayerName(d);
    p.score = d.Chance(0.1) ? -d.Between(1, 10) : d.Between(0, 150);
    int pingKind = d.Between(0, 99);
    p.ping = pingKind < 5 ? 0 : pingKind < 8 ? 999 : d.Between(15, 250);
    int t = d.Between(0, 99);
    p.team = t < 10 ? 0 : t < 55 ? 1 : 2;
    return p;
}

int RandomGameType(CDice& d) {
    int r = d.Between(0, 99);
    if (r < 25)
        return 2;
    if (r < 52)
        return 3;
    if (r < 86)
        return 4;
    if (r < 94)
        return 5;
    if (r < 97)
        return 6;
    static const std::array<int, 4> unknown = {1, 7, 8, 12};
    return unknown[r - 97 < 4 ? r - 97 : 0];
}

void FillContent(CDice& d, SServer& s, const SOptions& opts, int playerCount) {
    s.maxClients = kMaxClients[d.Between(0, kMaxClients.size() - 1)];
    if (playerCount < 0) { // neither empty nor full
        int hi = std::min(opts.players.max, s.maxClients - 1);
        if (opts.players.min > hi) {
            s.maxClients = opts.players.min + 1;
            hi = opts.players.min;
        }
        playerCount = d.Between(std::min(opts.players.min, hi), hi);
        playerCount = std::max(playerCount, 1);
    } else if (playerCount > 0) {
        playerCount = s.maxClients;
    }
    for (int i = 0; i < playerCount; ++i)
        s.players.push_back(RandomPlayer(d));

    std::string descr = kHostDescr[d.Between(0, kHostDescr.size() - 1)];
    std::string text = std::string(kTags[d.Between(0, kTags.size() - 1)]) + " " + descr;
    if (d.Chance(0.4))
        text += " | " + std::string(kMaps[d.Between(0, kMaps.size() - 1)]);
    if (d.Chance(0.3))
        text += " #" + std::to_string(d.Between(1, 9));
    s.hostname = Colourize(d, text, 0.6);
    s.hostnamePlain = text;
    s.gameType = RandomGameType(d);
    const SMod& mod = kMods[d.Between(0, kMods.size() - 1)];
    bool punkBuster = d.Chance(0.4);
    bool needPass = d.Chance(0.1);
    bool friendlyFire = d.Chance(0.8);
    int maxLives = d.Chance(0.8) ? 0 : d.Between(1, 3);
    const char* version = d.Chance(0.6) ? "ET 2.60b linux-i386 May  8 2006" : "ET 2.60d win-x86 Aug 12 2011";

    Variables v = {
        {"sv_maxclients", std::to_string(s.maxClients)},
        {"g_needpass", needPass ? "1" : "0"},
        {"sv_privateClients", std::to_string(d.Between(0, 2) * 2)},
        {"mapname", kMaps[d.Between(0, kMaps.size() - 1)]},
        {"protocol", std::to_string(opts.protocol)},
        {"g_gametype", std::to_string(s.gameType)},
        {"sv_hostname", s.hostname},
        {"g_friendlyfire", friendlyFire ? "1" : "0"},
        {"g_maxlives", std::to_string(maxLives)},
        {"sv_punkbuster", punkBuster ? "1" : "0"},
        {"gamename", mod.game},
        {"mod_url", mod.url},
        {"mod_version", mod.version},
        {"version", version},
        {"timelimit", std::to_string(d.Between(2, 6) * 5)},
        {"g_antilag", "1"},
        {"g_balancedteams", d.Chance(0.7) ? "1" : "0"},
        {"sv_maxPing", d.Chance(0.5) ? "0" : "400"},
        {"sv_minPing", "0"},
        {"sv_floodProtect", "1"},
        {"g_alliedmaxlives", "0"},
        {"g_axismaxlives", "0"},
        {"g_heavyWeaponRestriction", "100"},
        {"g_bluelimbotime", "30000"},
        {"g_redlimbotime", "20000"},
        {"voteFlags", "0"},
        {"g_minGameClients", "8"},
    };
    // Servers differ a little in the order they list their variables.
    for (int swaps = d.Between(0, 3); swaps > 0; --swaps)
        std::swap(v[d.Between(0, v.size() - 1)], v[d.Between(0, v.size() - 1)]);
    v.push_back({"players_axis", ""});
    v.push_back({"players_allies", ""});
    s.vars = std::move(v);
}

std::string LowerName(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](char c) { return std::tolower(c); });
    return name;
}

// The team lists, or for a legacy server the slot string "P" in place of the axis list and no allies list.
void SetTeamLists(SServer& s) {
    for (auto& var : s.vars) {
        std::string lower = LowerName(var.first);
        if (s.legacy && lower == "p")
            lower = "players_axis"; // set before: refresh it
        if (lower == "players_axis")
            var.second = s.legacy ? SlotString(s) : TeamList(s.players, 2);
        else if (lower == "players_allies")
            var.second = TeamList(s.players, 1);
        if (s.legacy && lower == "players_axis")
            var.first = "P";
    }
    if (s.legacy)
        s.vars.erase(std::remove_if(s.vars.begin(), s.vars.end(),
                                    [](const auto& var) { return LowerName(var.first) == "players_allies"; }),
                     s.vars.end());
}

std::string BuildReply(const SServer& s) {
    std::vector<SPlayerLine> lines;
    lines.reserve(s.players.size());
    for (const SPlayer& p : s.players)
        lines.push_back({p.score, p.ping, p.sent});
    return BuildStatusReply(s.vars, lines);
}

// 64 KiB made to stall a parser that re-reads the team lists per player: lists of 3,000 positions
// each, then blank player lines to the end of the largest datagram.
std::string HostileReply() {
    std::string allies, axis;
    for (int i = 1; i <= 3000; ++i)
        (i % 2 ? allies : axis) += std::to_string(i) + " ";
    std::string reply =
        std::string("\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\hostile\\players_allies\\") + allies +
        "\\players_axis\\" + axis + "\n";
    reply.resize(65507, '\n');
    return reply;
}

std::vector<size_t> ShuffledIndices(CDice& d, size_t n) {
    std::vector<size_t> idx(n);
    std::iota(idx.begin(), idx.end(), 0);
    d.Shuffle(idx);
    return idx;
}

} // namespace

SWorld Generate(const SOptions& opts) {
    CDice d(opts.seed);
    SWorld world;
    const size_t n = opts.servers;
    world.servers.resize(n);

    std::vector<int> playerCount(n, -1); // -1: a count between the --players bounds
    {
        auto idx = ShuffledIndices(d, n);
        size_t empty = opts.emptyServers.Of(n);
        size_t full = std::min(n - empty, opts.fullServers.Of(n));
        for (size_t i = 0; i < empty; ++i)
            playerCount[idx[i]] = 0;
        for (size_t i = empty; i < empty + full; ++i)
            playerCount[idx[i]] = 1; // full: FillContent makes it sv_maxclients
    }
    {
        auto idx = ShuffledIndices(d, n);
        size_t silent = opts.silent.Of(n);
        size_t second = std::min(n - silent, opts.secondOnly.Of(n));
        size_t malformed = std::min(n - silent - second, opts.malformed.Of(n));
        for (size_t i = 0; i < silent; ++i)
            world.servers[idx[i]].silent = true;
        for (size_t i = silent; i < silent + second; ++i)
            world.servers[idx[i]].secondOnly = true;
        for (size_t i = 0; i < malformed; ++i) {
            const std::string& kind = opts.malformedKinds[i % opts.malformedKinds.size()];
            Malformed m = kind == "garbage"     ? Malformed::Garbage
                          : kind == "truncated" ? Malformed::Truncated
                          : kind == "huge"      ? Malformed::Huge
                                                : Malformed::Hostile;
            world.servers[idx[silent + second + i]].malformed = m;
        }
    }
    auto flagSome = [&](const SAmount& amount, bool SServer::*flag) {
        auto idx = ShuffledIndices(d, n);
        for (size_t i = 0, k = amount.Of(n); i < k; ++i)
            world.servers[idx[i]].*flag = true;
    };
    flagSome(opts.duplicates, &SServer::duplicated);
    flagSome(opts.oddEntries, &SServer::oddBytes);
    flagSome(opts.oddCase, &SServer::oddCase);
    flagSome(opts.legacy, &SServer::legacy);

    for (size_t i = 0; i < n; ++i) {
        SServer& s = world.servers[i];
        FillContent(d, s, opts, playerCount[i]);
        s.latencyMs = d.Between(opts.latency.min, opts.latency.max);
        if (s.oddCase) {
            for (auto& var : s.vars)
                var.first = OddCase(d, var.first);
        }
        if (s.malformed == Malformed::Huge) {
            // A broken server listing far more players than it has slots.
            size_t size = BuildReply(s).size();
            while (size < opts.hugeBytes) {
                s.players.push_back(RandomPlayer(d));
                const SPlayer& p = s.players.back();
                size +=
                    std::to_string(p.score).size() + std::to_string(p.ping).size() + p.sent.size() + 3 + 4;
            }
        }
        SetTeamLists(s);
        while (s.malformed == Malformed::Huge && BuildReply(s).size() < opts.hugeBytes) {
            s.players.push_back(RandomPlayer(d));
            SetTeamLists(s);
        }
        s.empty = s.players.empty();
        s.full = static_cast<int>(s.players.size()) >= s.maxClients;
        s.reply = BuildReply(s);
        if (s.malformed == Malformed::Truncated) {
            s.reply.resize(
                d.Between(static_cast<int>(s.reply.size() / 4), static_cast<int>(s.reply.size() * 3 / 4)));
        } else if (s.malformed == Malformed::Hostile) {
            s.players.clear();
            s.reply = HostileReply();
        } else if (s.malformed == Malformed::Garbage) {
            std::string junk(d.Between(16, 400), '\0');
            for (char& c : junk)
                c = static_cast<char>(d.Between(0, 255));
            s.reply = junk;
        }
    }
    return world;
}

bool AssignAddresses(SWorld& world, uint32_t base, const SOptions& opts, std::string& error) {
    // Every odd entry holds both a 00 and a 5C byte: 127.S.92.x with a port ending in 00, or
    // 127.S.0.x with a port holding 5C.
    static const std::array<uint16_t, 2> kPortsAfter92 = {0x6D00, 0x5C00};
    static const std::array<uint16_t, 2> kPortsAfter0 = {0x6D5C, 0x5C00};
    std::set<SEndpoint> used;
    uint32_t ip = base;
    int portIndex = 0;
    size_t odd = 0;
    const uint32_t oddNet = 0x7F000000u | (base & 0x00FF0000u);
    for (SServer& s : world.servers) {
        if (s.oddBytes) {
            if (odd >= 1024) {
                error = "at most 1024 odd-byte entries";
                return false;
            }
            const bool after92 = odd % 2 == 0;
            const uint16_t port = (after92 ? kPortsAfter92 : kPortsAfter0)[(odd / 2) % 2];
            s.address = {oddNet | ((after92 ? 92u : 0u) << 8) | static_cast<uint32_t>(odd / 4), port};
            ++odd;
        } else {
            while ((ip & 255) == 0 || (ip & 255) == 255)
                ++ip;
            s.address = {ip, static_cast<uint16_t>(opts.basePort + portIndex)};
            if (++portIndex == opts.portsPerAddress) {
                portIndex = 0;
                ++ip;
            }
        }
        if (!IsLoopback(s.address.ip)) {
            error = "server address " + AddressText(s.address) +
                    " would leave 127.0.0.0/8; choose a lower --base-address";
            return false;
        }
        if (!used.insert(s.address).second) {
            error = "two servers at " + AddressText(s.address) + "; choose another --base-address";
            return false;
        }
    }
    return true;
}

uint32_t PickAutoBase(std::mt19937_64& rng) {
    uint32_t second = 1 + static_cast<uint32_t>(rng() % 254);
    uint32_t third = 100 + static_cast<uint32_t>(rng() % 100);
    return 0x7F000000u | (second << 16) | (third << 8) | 1;
}

std::vector<SEndpoint> MasterList(const SWorld& world, bool full, bool empty, size_t master, size_t masters) {
    std::vector<SEndpoint> list;
    const size_t n = world.servers.size();
    auto listed = [&](size_t i) {
        const SServer& s = world.servers[i];
        const size_t part = i * masters / std::max<size_t>(n, 1);
        return (masters == 1 || part == master || part == (master + 1) % masters) && (full || !s.full) &&
               (empty || !s.empty);
    };
    for (size_t i = 0; i < n; ++i)
        if (listed(i))
            list.push_back(world.servers[i].address);
    for (size_t i = 0; i < n; ++i)
        if (world.servers[i].duplicated && listed(i))
            list.push_back(world.servers[i].address);
    return list;
}

std::string SlotString(const SServer& s) {
    const size_t size = std::max<size_t>(static_cast<size_t>(std::max(s.maxClients, 0)), s.players.size());
    size_t gaps = size - s.players.size();
    // An empty slot after each player while there is room, as clients that came and went leave gaps.
    std::string slots;
    for (const SPlayer& p : s.players) {
        slots += p.team == 2 ? '1' : p.team == 1 ? '2' : '3';
        if (gaps > 0) {
            slots += '-';
            --gaps;
        }
    }
    return slots.append(gaps, '-');
}

namespace {
std::vector<std::string> Texts(const std::vector<SEndpoint>& endpoints) {
    std::vector<std::string> texts;
    for (const SEndpoint& e : endpoints)
        texts.push_back(AddressText(e));
    return texts;
}
} // namespace

nlohmann::json DumpJson(const SWorld& world, const SOptions& opts) {
    using nlohmann::json;
    json servers = json::array();
    for (const SServer& s : world.servers) {
        json vars = json::array();
        for (const auto& [name, value] : s.vars)
            vars.push_back({name, value});
        json players = json::array();
        for (const SPlayer& p : s.players)
            players.push_back({{"name", p.sent},
                               {"plain", p.plain},
                               {"score", p.score},
                               {"ping", p.ping},
                               {"team", p.team}});
        servers.push_back({{"address", AddressText(s.address)},
                           {"hostname", s.hostname},
                           {"hostname_plain", s.hostnamePlain},
                           {"gametype", s.gameType},
                           {"max_clients", s.maxClients},
                           {"empty", s.empty},
                           {"full", s.full},
                           {"variables", std::move(vars)},
                           {"players", std::move(players)},
                           {"silent", s.silent},
                           {"second_only", s.secondOnly},
                           {"malformed", MalformedName(s.malformed)},
                           {"duplicated", s.duplicated},
                           {"odd_bytes", s.oddBytes},
                           {"odd_case", s.oddCase},
                           {"legacy", s.legacy},
                           {"latency_ms", s.latencyMs},
                           {"reply_bytes", s.reply.size()}});
    }
    std::string answer = opts.masterAnswer == MasterAnswer::All     ? "all"
                         : opts.masterAnswer == MasterAnswer::Never ? "never"
                         : opts.masterAnswer == MasterAnswer::Only  ? std::to_string(opts.masterAnswerK)
                                                                   : std::to_string(opts.masterAnswerK) + "+";
    return {{"etsim", 1},
            {"seed", opts.seed},
            {"protocol", opts.protocol},
            {"master", AddressText(world.master)},
            {"masters", Texts(world.masters)},
            {"foreign_masters", Texts(world.foreignMasters)},
            {"per_datagram", opts.perDatagram},
            {"jitter_ms", opts.jitter},
            {"loss", opts.loss},
            {"master_answer", answer},
            {"servers", std::move(servers)}};
}

} // namespace etsim
