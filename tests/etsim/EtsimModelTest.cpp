// etsim's building blocks: wire texts, options, and the generated world.
#include "Options.h"
#include "Wire.h"
#include "World.h"

#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <set>

namespace etsim {
namespace {

TEST(EtsimWire, ParsesMasterRequests) {
    const std::string ff("\xFF\xFF\xFF\xFF", 4), nul(1, '\0');
    // text, valid, protocol, full, empty
    const std::tuple<std::string, bool, int, bool, bool> cases[] = {
        {ff + "getservers 82" + nul, true, 82, false, false},
        {ff + "getservers 83 full empty" + nul, true, 83, true, true},
        {ff + "getservers 71 empty", true, 71, false, true},
        {ff + "getservers 82 full\n", true, 82, true, false},
        {ff + "getservers 82" + nul + " full", true, 82, false, false},
        {ff + "getservers 82 fullish", true, 82, false, false},
        {ff + "getservers x82", false, 0, false, false},
        {ff + "getserversfull", false, 0, false, false},
        {"getservers 82", false, 0, false, false},
    };
    for (const auto& [text, valid, protocol, full, empty] : cases) {
        SMasterRequest r = ParseMasterRequest(text);
        EXPECT_EQ(std::make_tuple(r.valid, r.valid ? r.protocol : 0, r.valid && r.full, r.valid && r.empty),
                  std::make_tuple(valid, protocol, full, empty))
            << text;
    }
}

TEST(EtsimWire, ClassifiesStatusRequests) {
    const std::string ff("\xFF\xFF\xFF\xFF", 4);
    EXPECT_EQ(ClassifyStatusRequest(ff + std::string("getstatus\n\0", 11)), StatusRequestKind::Exact);
    for (const std::string& loose : {ff + "getstatus", ff + "getstatus 1234\n"})
        EXPECT_EQ(ClassifyStatusRequest(loose), StatusRequestKind::Loose) << loose;
    for (const std::string& invalid : {ff + "getinfo\n", std::string("getstatus\n")})
        EXPECT_EQ(ClassifyStatusRequest(invalid), StatusRequestKind::Invalid) << invalid;
}

TEST(EtsimWire, AddressTexts) {
    const std::tuple<const char*, bool, uint32_t, uint16_t> cases[] = {
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
    for (const auto& [text, valid, ip, port] : cases)
        EXPECT_EQ(ParseEndpoint(text), valid ? std::optional(SEndpoint{ip, port}) : std::nullopt) << text;
    EXPECT_EQ(AddressText({0x7F005C00, 0x5C00}), "127.0.92.0:23552");
    EXPECT_TRUE(IsLoopback(0x7FFFFFFF) && !IsLoopback(0x80000001) && !IsLoopback(0x7E000001));
}

SOptions Parse(std::vector<std::string> args) {
    SOptions o;
    std::string error;
    bool help = false;
    EXPECT_TRUE(ParseArguments(args, o, error, help)) << error;
    return o;
}

// The error text of refused arguments; "" when they are accepted.
std::string Refusal(const std::vector<std::string>& args) {
    SOptions o;
    std::string error;
    bool help = false;
    return ParseArguments(args, o, error, help) ? "" : error.empty() ? "(no text)" : error;
}

TEST(EtsimOptions, AmountsRangesAndErrors) {
    const std::pair<const char*, size_t> amounts[] = {{"10%", 20}, {"0.25", 50},  {"7", 7},    {"500", 200},
                                                      {"0", 0},    {"100%", 200}, {"1.0", 200}};
    for (const auto& [value, of200] : amounts)
        EXPECT_EQ(Parse({"--silent", value}).silent.Of(200), of200) << value;

    // Ranges, answer patterns and kind lists are checked where etsim runs; the "=" form and one value here.
    EXPECT_EQ(Parse({"--latency=25"}).latency.max, 25);

    const std::vector<std::vector<std::string>> bad = {
        {"--silent", "1.5"},       {"--silent", "-3"},
        {"--latency", "90-40"},    {"--master-answer", "0"},
        {"--loss", "2"},           {"--malformed-kinds", "huge,odd"},
        {"--base-address", "x"},   {"--servers"},
        {"--no-such-option", "1"}, {"servers"},
        {"--per-datagram", "0"},   {"--base-port", "70000"},
    };
    for (const auto& args : bad)
        EXPECT_NE(Refusal(args), "") << args[0];
}

TEST(EtsimOptions, ConfigFileAppliesWhereItStands) {
    const std::string path = ::testing::TempDir() + "/etsim-config.json";
    std::ofstream(path) << R"({"servers": 42, "silent": "10%", "loss": 0.25, "odd-case": 0.5,
                              "malformed-kinds": ["truncated"], "quiet": true})";
    SOptions o = Parse({"--servers", "5", "--config", path, "--loss", "0.5"});
    EXPECT_EQ(std::make_tuple(o.servers, o.silent.Of(100), o.oddCase.Of(100), o.loss, o.quiet),
              std::make_tuple(42u, 10u, 50u, 0.5, true));
    EXPECT_EQ(o.malformedKinds, std::vector<std::string>{"truncated"});

    std::ofstream(path) << R"({"servers": "many"})";
    EXPECT_NE(Refusal({"--config", path}).find("servers"), std::string::npos);
}

SWorld MakeWorld(const std::vector<std::string>& args, uint32_t base = 0x7F000101) {
    SOptions o = Parse(args);
    SWorld w = Generate(o);
    std::string error;
    EXPECT_TRUE(AssignAddresses(w, base, o, error)) << error;
    return w;
}

TEST(EtsimWorld, SameSeedSameWorld) {
    const std::vector<std::string> args = {"--servers",   "50", "--silent",   "5",
                                           "--malformed", "6",  "--odd-case", "5"};
    std::vector<std::string> other = args;
    other.insert(other.end(), {"--seed", "2"});
    const SOptions o = Parse(args);
    EXPECT_EQ(DumpJson(MakeWorld(args), o), DumpJson(MakeWorld(args), o));
    EXPECT_NE(DumpJson(MakeWorld(args), o)["servers"], DumpJson(MakeWorld(other), o)["servers"]);
}

TEST(EtsimWorld, AddressLayout) {
    SWorld w = MakeWorld({"--servers", "7", "--ports-per-address", "3", "--base-port", "27960"}, 0x7F0001FE);
    std::vector<std::string> got;
    for (const SServer& s : w.servers)
        got.push_back(AddressText(s.address));
    EXPECT_EQ(got, (std::vector<std::string>{"127.0.1.254:27960", "127.0.1.254:27961", "127.0.1.254:27962",
                                             "127.0.2.1:27960", "127.0.2.1:27961", "127.0.2.1:27962",
                                             "127.0.2.2:27960"}));

    SWorld odd = MakeWorld({"--servers", "12", "--odd-entries", "12"}, 0x7F2A6401);
    std::set<SEndpoint> distinct;
    for (const SServer& s : odd.servers) {
        // The six address bytes of its entry hold both a 00 and a 5C byte.
        const std::string bytes =
            BuildMasterReply({s.address}, 1)[0].substr(kMasterReplyHeader.size() + 1, 6);
        EXPECT_TRUE(bytes.find('\0') != std::string::npos && bytes.find('\\') != std::string::npos)
            << AddressText(s.address);
        EXPECT_EQ(s.address.ip >> 16, 0x7F2Au);
        distinct.insert(s.address);
    }
    EXPECT_EQ(distinct.size(), 12u);
}

} // namespace
} // namespace etsim
