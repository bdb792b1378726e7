// The headless tool's output texts.
#include "Report.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

query::CServerCollection Sample() {
    query::CServerCollection servers;
    query::CGameServer a(net::CSockAddr(0x7F000002, 27960));
    a.tries = query::kTriesAnswered;
    a.name = "Red \"Fort\"";
    a.map = "oasis";
    a.mod = "\xE9t\xE9 \xFF";
    a.ping = 12;
    a.needPassword = true;
    a.players = {{"Al\x01", 5, 40, query::TEAM_ALLIES}, {"Bo", -2, 999, query::TEAM_AXIS}};
    servers.Store(a);
    servers.Store(query::CGameServer(net::CSockAddr(0x7F000003, 27960))); // never asked
    query::CGameServer c(net::CSockAddr(0x7F000004, 27961));
    c.tries = query::kTriesGivenUp;
    servers.Store(c);
    return servers;
}

TEST(Report, JsonHoldsAnsweringAndSilentServersWithNamesAsSent) {
    query::SMasterStatus master;
    master.name = "127.0.0.1:27950";
    master.answered = true;
    master.entries = 3;
    const auto json = nlohmann::json::parse(queryreport::JsonReport(Sample(), 84, {master}));
    EXPECT_EQ(json["protocol"], 84);
    EXPECT_EQ(json["masters"],
              nlohmann::json::parse(R"([{"master":"127.0.0.1:27950","answered":true,"entries":3}])"));
    ASSERT_EQ(json["servers"].size(), 1u);
    const auto& server = json["servers"][0];
    EXPECT_EQ(server["mod"], "\u00E9t\u00E9 \u00FF"); // Latin-1 bytes as their code points
    EXPECT_EQ(std::make_tuple(server["address"], server["ping"], server["needPassword"]),
              std::make_tuple("127.0.0.2:27960", 12, true));
    EXPECT_EQ(json["silent"], nlohmann::json::parse(R"(["127.0.0.3:27960","127.0.0.4:27961"])"));
}

TEST(Report, TextTableIsAligned) {
    const std::string text = queryreport::TextReport(Sample());
    EXPECT_NE(text.find("Address          Name"), std::string::npos);
    EXPECT_NE(text.find("127.0.0.2:27960  Red \"Fort\"  oasis"), std::string::npos);
    EXPECT_NE(text.find("127.0.0.2:27960  Al?         5    40  Allies"), std::string::npos);
    EXPECT_NE(text.find("127.0.0.2:27960  Bo         -2   999  Axis"), std::string::npos);
    EXPECT_NE(text.find("Silent servers (2): 127.0.0.3:27960 127.0.0.4:27961"), std::string::npos);
}

} // namespace
