// etsim's building blocks: wire texts, options, and the generated world.
#include "Options.h"
#include "Wire.h"
#include "World.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

namespace etsim {
namespace {

TEST(EtsimWire, ParsesMasterRequests) {
    const std::string ff("\xFF\xFF\xFF\xFF", 4);
    struct Case {
        std::string text;
        bool valid;
        int protocol;
        bool full;
        bool empty;
    } cases[] = {
        {ff + "getservers 82" + std::string(1, '\0'), true, 82, false, false},
        {ff + "getservers 83 full empty" + std::string(1, '\0'), true, 83, true, true},
        {ff + "getservers 71 empty", true, 71, false, true},
        {ff + "getservers 82 full\n", true, 82, true, false},
        {ff + "getservers 82" + std::string(1, '\0') + " full", true, 82, false, false},
        {ff + "getservers 82 fullish", true, 82, false, false},
        {ff + "getservers", false, 0, false, false},
        {ff + "getservers x82", false, 0, false, false},
        {ff + "getserversfull", false, 0, false, false},
        {"getservers 82", false, 0, false, false},
        {ff + "getstatus\n", false, 0, false, false},
    };
    for (const Case& c : cases) {
        MasterRequest r = ParseMasterRequest(c.text);
        EXPECT_EQ(r.valid, c.valid) << c.text;
        if (!c.valid)
            continue;
        EXPECT_EQ(r.protocol, c.protocol) << c.text;
        EXPECT_EQ(r.full, c.full) << c.text;
        EXPECT_EQ(r.empty, c.empty) << c.text;
    }
}

TEST(EtsimWire, ClassifiesStatusRequests) {
    const std::string ff("\xFF\xFF\xFF\xFF", 4);
    EXPECT_EQ(kStatusRequest.size(), 15u);
    EXPECT_EQ(ClassifyStatusRequest(kStatusRequest), StatusRequestKind::Exact);
    EXPECT_EQ(ClassifyStatusRequest(ff + "getstatus"), StatusRequestKind::Loose);
    EXPECT_EQ(ClassifyStatusRequest(ff + "getstatus 1234\n"), StatusRequestKind::Loose);
    EXPECT_EQ(ClassifyStatusRequest(ff + "getinfo\n"), StatusRequestKind::Invalid);
    EXPECT_EQ(ClassifyStatusRequest("getstatus\n"), StatusRequestKind::Invalid);
    EXPECT_EQ(ClassifyStatusRequest(""), StatusRequestKind::Invalid);
}

TEST(EtsimWire, MasterReplyEntriesAndDatagrams) {
    const std::string header = kMasterReplyHeader;
    // 10.0.0.1:27960 is 0A 00 00 01 6D 38 on the wire.
    auto one = BuildMasterReply({{0x0A000001, 27960}}, 10);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], header + std::string("\\\x0A\x00\x00\x01\x6D\x38\\EOT", 11));

    struct Case {
        size_t entries;
        size_t perDatagram;
        std::vector<size_t> sizes; // entries per datagram
    } cases[] = {
        {0, 10, {0}},      {1, 1, {1}},           {10, 10, {10}},
        {11, 10, {10, 1}}, {25, 10, {10, 10, 5}}, {3, 1, {1, 1, 1}},
    };
    for (const Case& c : cases) {
        std::vector<Endpoint> list;
        for (size_t i = 0; i < c.entries; ++i)
            list.push_back({0x7F000100u + static_cast<uint32_t>(i), static_cast<uint16_t>(27960 + i)});
        auto datagrams = BuildMasterReply(list, c.perDatagram);
        ASSERT_EQ(datagrams.size(), c.sizes.size()) << c.entries << "/" << c.perDatagram;
        size_t next = 0;
        for (size_t d = 0; d < datagrams.size(); ++d) {
            const bool last = d + 1 == datagrams.size();
            EXPECT_EQ(datagrams[d].size(), header.size() + 7 * c.sizes[d] + (last ? 4 : 0));
            EXPECT_EQ(datagrams[d].ends_with("\\EOT"), last);
            for (size_t e = 0; e < c.sizes[d]; ++e, ++next) {
                const std::string entry = datagrams[d].substr(header.size() + 7 * e, 7);
                const auto byte = [&](size_t i) { return static_cast<unsigned char>(entry[i]); };
                EXPECT_EQ(entry[0], '\\');
                EXPECT_EQ((byte(1) << 24 | byte(2) << 16 | byte(3) << 8 | byte(4)), list[next].ip);
                EXPECT_EQ((byte(5) << 8 | byte(6)), list[next].port);
            }
        }
        EXPECT_EQ(next, c.entries);
    }
}

TEST(EtsimWire, AddressTexts) {
    struct Case {
        const char* text;
        bool valid;
        uint32_t ip;
        uint16_t port;
    } cases[] = {
        {"127.0.0.1:27950", true, 0x7F000001, 27950},
        {"127.1.2.3", true, 0x7F010203, 0},
        {"10.0.0.1:0", true, 0x0A000001, 0},
        {"127.0.0.256", false, 0, 0},
        {"127.0.0:1", false, 0, 0},
        {"localhost:27950", false, 0, 0},
        {"127.0.0.1:65536", false, 0, 0},
        {"127.0.0.1:", false, 0, 0},
        {"127.0.0.1 ", false, 0, 0},
    };
    for (const Case& c : cases) {
        auto ep = ParseEndpoint(c.text);
        ASSERT_EQ(ep.has_value(), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(ep->ip, c.ip) << c.text;
            EXPECT_EQ(ep->port, c.port) << c.text;
        }
    }
    EXPECT_EQ(AddressText({0x7F005C00, 0x5C00}), "127.0.92.0:23552");
    EXPECT_TRUE(IsLoopback(0x7FFFFFFF));
    EXPECT_FALSE(IsLoopback(0x80000001));
    EXPECT_FALSE(IsLoopback(0x7E000001));
}

Options Parse(std::vector<std::string> args) {
    Options o;
    std::string error;
    bool help = false;
    EXPECT_TRUE(ParseArguments(args, o, error, help)) << error;
    return o;
}

TEST(EtsimOptions, AmountsRangesAndErrors) {
    struct Case {
        const char* value;
        size_t of200;
    } amounts[] = {{"10%", 20}, {"0.25", 50}, {"7", 7}, {"500", 200}, {"0", 0}, {"100%", 200}, {"1.0", 200}};
    for (const Case& c : amounts)
        EXPECT_EQ(Parse({"--silent", c.value}).silent.Of(200), c.of200) << c.value;

    Options o = Parse({"--latency", "40-90", "--master-answer", "3+", "--malformed-kinds", "huge,garbage"});
    EXPECT_EQ(o.latency.min, 40);
    EXPECT_EQ(o.latency.max, 90);
    EXPECT_EQ(o.masterAnswer, MasterAnswer::From);
    EXPECT_EQ(o.masterAnswerK, 3);
    EXPECT_EQ(o.malformedKinds, (std::vector<std::string>{"huge", "garbage"}));
    EXPECT_EQ(Parse({"--latency=25"}).latency.max, 25);

    const std::vector<std::vector<std::string>> bad = {
        {"--silent", "1.5"},       {"--silent", "-3"},
        {"--latency", "90-40"},    {"--master-answer", "0"},
        {"--loss", "2"},           {"--malformed-kinds", "huge,odd"},
        {"--base-address", "x"},   {"--servers"},
        {"--no-such-option", "1"}, {"servers"},
        {"--per-datagram", "0"},   {"--base-port", "70000"},
    };
    for (const auto& args : bad) {
        Options opts;
        std::string error;
        bool help = false;
        EXPECT_FALSE(ParseArguments(args, opts, error, help)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(EtsimOptions, ConfigFileAppliesWhereItStands) {
    const std::string path = ::testing::TempDir() + "/etsim-config.json";
    std::ofstream(path) << R"({"servers": 42, "silent": "10%", "loss": 0.25, "odd-case": 0.5,
                              "malformed-kinds": ["truncated"], "quiet": true})";
    Options o = Parse({"--servers", "5", "--config", path, "--loss", "0.5"});
    EXPECT_EQ(o.servers, 42u);
    EXPECT_EQ(o.silent.Of(100), 10u);
    EXPECT_EQ(o.oddCase.Of(100), 50u);
    EXPECT_DOUBLE_EQ(o.loss, 0.5);
    EXPECT_EQ(o.malformedKinds, std::vector<std::string>{"truncated"});
    EXPECT_TRUE(o.quiet);

    std::ofstream(path) << R"({"servers": "many"})";
    Options opts;
    std::string error;
    bool help = false;
    EXPECT_FALSE(ParseArguments({"--config", path}, opts, error, help));
    EXPECT_NE(error.find("servers"), std::string::npos);
}

// The client's reading of a token: quotes toggle and vanish, '^' drops itself and the next character.
std::string ClientToken(const std::string& sent) {
    std::string out;
    for (size_t i = 0; i < sent.size(); ++i) {
        if (sent[i] == '"')
            continue;
        if (sent[i] == '^') {
            ++i;
            continue;
        }
        out += sent[i];
    }
    return out;
}

std::string Trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    return b == std::string::npos ? "" : s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

World MakeWorld(const std::vector<std::string>& args, uint32_t base = 0x7F000101) {
    Options o = Parse(args);
    World w = Generate(o);
    std::string error;
    EXPECT_TRUE(AssignAddresses(w, base, o, error)) << error;
    return w;
}

TEST(EtsimWorld, SameSeedSameWorld) {
    const std::vector<std::string> args = {"--servers",   "50", "--silent",   "5",
                                           "--malformed", "6",  "--odd-case", "5"};
    std::vector<std::string> other = args;
    other.insert(other.end(), {"--seed", "2"});
    Options o = Parse(args);
    auto a = DumpJson(MakeWorld(args), o);
    auto b = DumpJson(MakeWorld(args), o);
    auto c = DumpJson(MakeWorld(other), o);
    EXPECT_EQ(a, b);
    EXPECT_NE(a["servers"], c["servers"]);
}

TEST(EtsimWorld, BehaviourShares) {
    World w = MakeWorld({"--servers", "100", "--silent", "10%", "--second-only", "7", "--malformed", "9",
                         "--malformed-kinds", "garbage,truncated", "--duplicates", "4", "--odd-entries", "5",
                         "--empty", "20%", "--full", "15%"});
    int silent = 0, second = 0, duplicated = 0, odd = 0, empty = 0, full = 0, knownType = 0;
    std::map<Malformed, int> malformed;
    for (const Server& s : w.servers) {
        EXPECT_LE(s.silent + s.secondOnly + (s.malformed != Malformed::None), 1)
            << "behaviours are exclusive";
        silent += s.silent;
        second += s.secondOnly;
        duplicated += s.duplicated;
        odd += s.oddBytes;
        empty += s.empty;
        full += s.full;
        knownType += s.gameType >= 2 && s.gameType <= 6;
        ++malformed[s.malformed];
    }
    EXPECT_EQ(silent, 10);
    EXPECT_EQ(second, 7);
    EXPECT_EQ(malformed[Malformed::Garbage], 5);
    EXPECT_EQ(malformed[Malformed::Truncated], 4);
    EXPECT_EQ(malformed[Malformed::Huge], 0);
    EXPECT_EQ(duplicated, 4);
    EXPECT_EQ(odd, 5);
    EXPECT_EQ(empty, 20);
    EXPECT_EQ(full, 15);
    EXPECT_GE(knownType, 85);
    EXPECT_LT(knownType, 100);

    EXPECT_EQ(
        MasterList(w, false, false).size(), static_cast<size_t>(100 - empty - full) + [&] {
            size_t d = 0;
            for (const Server& s : w.servers)
                d += s.duplicated && !s.empty && !s.full;
            return d;
        }());
    EXPECT_EQ(MasterList(w, true, true).size(), 104u);
}

TEST(EtsimWorld, NamesAndTeamsReadAsTheClientReadsThem) {
    World w = MakeWorld({"--servers", "60", "--seed", "11", "--empty", "0"});
    size_t players = 0, coloured = 0, quoted = 0;
    for (const Server& s : w.servers) {
        EXPECT_EQ(ClientToken(s.hostname), s.hostnamePlain) << s.hostname;
        EXPECT_EQ(s.hostname.find_first_of("\\\"\n"), std::string::npos);
        std::string allies, axis;
        for (const auto& [name, value] : s.vars) {
            if (name == "players_allies")
                allies = " " + value + " ";
            if (name == "players_axis")
                axis = " " + value + " ";
        }
        for (size_t i = 0; i < s.players.size(); ++i) {
            const Player& p = s.players[i];
            ++players;
            coloured += p.sent.find('^') != std::string::npos;
            quoted += p.sent.starts_with("\"");
            EXPECT_EQ(Trimmed(ClientToken(p.sent)), p.plain) << p.sent;
            EXPECT_EQ(p.sent.find('\n'), std::string::npos);
            const std::string pos = " " + std::to_string(i + 1) + " ";
            const int team = allies.find(pos) != std::string::npos ? 1
                             : axis.find(pos) != std::string::npos ? 2
                                                                   : 0;
            EXPECT_EQ(team, p.team) << p.sent;
        }
    }
    EXPECT_GT(players, 300u);
    EXPECT_GT(coloured, players / 5);
    EXPECT_GT(quoted, players * 9 / 10);
}

TEST(EtsimWorld, AddressLayout) {
    World w = MakeWorld({"--servers", "7", "--ports-per-address", "3", "--base-port", "27960"}, 0x7F0001FE);
    std::vector<std::string> got;
    for (const Server& s : w.servers)
        got.push_back(AddressText(s.address));
    EXPECT_EQ(got, (std::vector<std::string>{"127.0.1.254:27960", "127.0.1.254:27961", "127.0.1.254:27962",
                                             "127.0.2.1:27960", "127.0.2.1:27961", "127.0.2.1:27962",
                                             "127.0.2.2:27960"}));

    World odd = MakeWorld({"--servers", "12", "--odd-entries", "12"}, 0x7F2A6401);
    std::set<Endpoint> distinct;
    for (const Server& s : odd.servers) {
        const uint8_t bytes[6] = {
            static_cast<uint8_t>(s.address.ip >> 24),  static_cast<uint8_t>(s.address.ip >> 16),
            static_cast<uint8_t>(s.address.ip >> 8),   static_cast<uint8_t>(s.address.ip),
            static_cast<uint8_t>(s.address.port >> 8), static_cast<uint8_t>(s.address.port)};
        EXPECT_NE(std::find(bytes, bytes + 6, 0x00), bytes + 6) << AddressText(s.address);
        EXPECT_NE(std::find(bytes, bytes + 6, 0x5C), bytes + 6) << AddressText(s.address);
        EXPECT_EQ(s.address.ip >> 16, 0x7F2Au);
        distinct.insert(s.address);
    }
    EXPECT_EQ(distinct.size(), 12u);

    Options o = Parse({"--servers", "20"});
    World far = Generate(o);
    std::string error;
    EXPECT_FALSE(AssignAddresses(far, 0x7FFFFFF0, o, error));
    EXPECT_NE(error.find("127.0.0.0/8"), std::string::npos);
}

} // namespace
} // namespace etsim
