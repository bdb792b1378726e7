// The headless tool's output texts.
#include "Report.h"

#include <gtest/gtest.h>

namespace {

TEST(Report, JsonTextEscapesEveryUnsafeByte) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"\n\r\t", "\"\\n\\r\\t\""},
        {std::string("\x01\x1F\x7F", 3), "\"\\u0001\\u001F\\u007F\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"\xE9t\xE9 \xFF", "\"\\u00E9t\\u00E9 \\u00FF\""},
        {"", "\"\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(queryreport::JsonText(c.in), c.out);
}

query::CServerCollection Sample() {
    query::CServerCollection servers;
    query::CGameServer a(net::CSockAddr(0x7F000002, 27960));
    a.tries = query::TRIES_ANSWERED;
    a.name = "Red \"Fort\"";
    a.map = "oasis";
    a.ping = 12;
    a.maxClients = 20;
    a.needPassword = true;
    a.variables = {{"sv_hostname", "Red \"Fort\""}, {"g_needpass", "1"}};
    a.players = {{"Al\x01", 5, 40, query::TEAM_ALLIES}, {"Bo", -2, 999, query::TEAM_AXIS}};
    servers.Store(a);
    servers.Store(query::CGameServer(net::CSockAddr(0x7F000003, 27960))); // never asked
    query::CGameServer c(net::CSockAddr(0x7F000004, 27961));
    c.tries = query::TRIES_GIVEN_UP;
    servers.Store(c);
    return servers;
}

TEST(Report, JsonHoldsAnsweringAndSilentServers) {
    query::CMasterStatus master;
    master.name = "127.0.0.1:27950";
    master.answered = true;
    master.entries = 3;
    const std::string json = queryreport::JsonReport(Sample(), 84, {master});
    EXPECT_EQ(
        json.rfind("{\"protocol\": 84,\n \"masters\": [{\"master\": \"127.0.0.1:27950\", \"answered\": true, "
                   "\"entries\": 3}],\n \"servers\": [",
                   0),
        0u);
    EXPECT_NE(
        json.find("\"address\": \"127.0.0.2:27960\", \"name\": \"Red \\\"Fort\\\"\", \"map\": \"oasis\""),
        std::string::npos);
    EXPECT_NE(json.find("\"ping\": 12, \"needPassword\": true, \"friendlyFire\": false"), std::string::npos);
    EXPECT_NE(json.find("\"variables\": [[\"sv_hostname\", \"Red \\\"Fort\\\"\"], [\"g_needpass\", \"1\"]]"),
              std::string::npos);
    EXPECT_NE(json.find("{\"name\": \"Al\\u0001\", \"score\": 5, \"ping\": 40, \"team\": 1}, "
                        "{\"name\": \"Bo\", \"score\": -2, \"ping\": 999, \"team\": 2}"),
              std::string::npos);
    EXPECT_NE(json.find("\"silent\": [\"127.0.0.3:27960\", \"127.0.0.4:27961\"]}"), std::string::npos);
    EXPECT_EQ(queryreport::JsonReport(query::CServerCollection(), 82, {}),
              "{\"protocol\": 82,\n \"masters\": [],\n \"servers\": [],\n \"silent\": []}\n");
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
