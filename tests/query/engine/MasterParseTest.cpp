// The master request text and the parser of the master's reply datagrams.
#include "UdpPeers.h"
#include "query/MasterQuery.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using query::BuildMasterRequest;
using query::MasterProtocol;
using query::ReadMasterEntries;

namespace {

const std::string FF4 = "\xFF\xFF\xFF\xFF";
const std::string& HEADER = enginetest::MASTER_HEADER;

using enginetest::MasterEntry;

std::vector<std::string> Texts(const std::vector<net::CSockAddr>& addresses) {
    std::vector<std::string> texts;
    for (const auto& a : addresses)
        texts.push_back(a.ToText());
    return texts;
}

TEST(MasterRequest, EveryVersionAndFlagCombination) {
    struct Case {
        int version;
        bool full, empty;
        std::string text;
    };
    const Case cases[] = {
        {0, false, false, "getservers 71"},      {0, true, false, "getservers 71 full"},
        {0, false, true, "getservers 71 empty"}, {0, true, true, "getservers 71 full empty"},
        {1, false, false, "getservers 82"},      {1, true, false, "getservers 82 full"},
        {1, false, true, "getservers 82 empty"}, {1, true, true, "getservers 82 full empty"},
        {2, false, false, "getservers 83"},      {2, true, false, "getservers 83 full"},
        {2, false, true, "getservers 83 empty"}, {2, true, true, "getservers 83 full empty"},
        {-1, false, false, "getservers 0"},      {-1, true, true, "getservers 0 full empty"},
        {3, false, true, "getservers 0 empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(BuildMasterRequest(MasterProtocol(c.version), c.full, c.empty), FF4 + c.text);
    }
    EXPECT_STREQ(query::MASTER_VERSION_NAMES[0], "Map Test");
    EXPECT_STREQ(query::MASTER_VERSION_NAMES[1], "Final");
    EXPECT_STREQ(query::MASTER_VERSION_NAMES[2], "Patch 1.02");
}

TEST(MasterReply, EntryStructure) {
    struct Case {
        const char* what;
        std::string datagram;
        std::vector<std::string> addresses;
    };
    const Case cases[] = {
        {"two entries and the end marker",
         HEADER + MasterEntry(10, 0, 0, 1, 27960) + MasterEntry(192, 168, 1, 2, 27961) + "\\EOT\0\0\0",
         {"10.0.0.1:27960", "192.168.1.2:27961"}},
        {"the documented entry bytes",
         HEADER + std::string("\\\x0A\x00\x00\x01\x6D\x38", 7),
         {"10.0.0.1:27960"}},
        {"a NUL at an entry position ends the list",
         HEADER + MasterEntry(1, 2, 3, 4, 5) + std::string(1, '\0') + MasterEntry(5, 6, 7, 8, 9),
         {"1.2.3.4:5"}},
        {"NUL and backslash bytes inside an entry",
         HEADER + MasterEntry(0, 92, 0, 92, 0x5C00) + MasterEntry(92, 0, 0, 0, 0x005C),
         {"0.92.0.92:23552", "92.0.0.0:92"}},
        {"an entry cut short is not read",
         HEADER + MasterEntry(1, 1, 1, 1, 1) + MasterEntry(2, 2, 2, 2, 2).substr(0, 6),
         {"1.1.1.1:1"}},
        {"the end marker stops before later entries", HEADER + "\\EOT" + MasterEntry(3, 3, 3, 3, 3), {}},
        {"entry backslashes are not examined",
         HEADER + "\\" + MasterEntry(4, 4, 4, 4, 4).substr(1) + "x" + MasterEntry(5, 5, 5, 5, 5).substr(1),
         {"4.4.4.4:4", "5.5.5.5:5"}},
        {"no backslash at all", FF4 + "getserversResponse", {}},
        {"an empty datagram", "", {}},
        {"only the header and the end marker", HEADER + "\\EOT", {}},
        {"a short end marker at the very end", HEADER + MasterEntry(6, 6, 6, 6, 6) + "\\EO", {"6.6.6.6:6"}},
        {"no header", MasterEntry(7, 7, 7, 7, 7), {"7.7.7.7:7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Texts(ReadMasterEntries(c.datagram)), c.addresses);
    }
}

TEST(MasterReply, StoresFreshRecordsOncePerAddress) {
    query::CServerCollection servers;
    net::CSockAddr known(0x0A000001, 27960);
    query::CGameServer old(known, "Old name", "secret");
    old.tries = query::TRIES_ANSWERED;
    servers.Store(old);

    query::ParseMasterReply(HEADER + MasterEntry(10, 0, 0, 1, 27960) + MasterEntry(10, 0, 0, 2, 27960),
                            servers);
    query::ParseMasterReply(
        HEADER + MasterEntry(10, 0, 0, 2, 27960) + MasterEntry(10, 0, 0, 1, 27960) + "\\EOT", servers);

    ASSERT_EQ(servers.Count(), 2u);
    const query::CGameServer* record = servers.Find(known);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->name, "10.0.0.1:27960");
    EXPECT_EQ(record->password, "");
    EXPECT_EQ(record->tries, 0);
    ASSERT_NE(servers.Find(net::CSockAddr(0x0A000002, 27960)), nullptr);
    EXPECT_EQ(servers.Find(net::CSockAddr(0x0A000002, 27960))->name, "10.0.0.2:27960");
}

TEST(MasterReply, OutcomeTexts) {
    EXPECT_STREQ(query::MasterOutcomeText(query::MasterOutcome::NO_RESPONSE),
                 "No response from master server.");
    EXPECT_STRNE(query::MasterOutcomeText(query::MasterOutcome::BAD_ADDRESS), "");
}

} // namespace
