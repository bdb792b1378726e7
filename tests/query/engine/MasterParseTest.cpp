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

const std::string kFf4 = "\xFF\xFF\xFF\xFF";
const std::string& kHeader = testsupport::kMasterHeader;

using testsupport::AddressTexts;
using testsupport::MasterEntry;

TEST(MasterRequest, EveryVersionAndFlagCombination) {
    const std::tuple<int, bool, bool, std::string> cases[] = {
        {0, false, false, "getservers 71"},      {1, true, false, "getservers 82 full"},
        {2, false, true, "getservers 83 empty"}, {3, true, true, "getservers 84 full empty"},
        {-1, false, false, "getservers 0"},      {4, false, true, "getservers 0 empty"},
    };
    for (const auto& [version, full, empty, text] : cases)
        EXPECT_EQ(BuildMasterRequest(MasterProtocol(version), full, empty), kFf4 + text) << text;
}

TEST(MasterReply, EntryStructureAndEndMarker) {
    const std::string eot = "\\EOT";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {kHeader + MasterEntry(10, 0, 0, 1, 27960) + MasterEntry(192, 168, 1, 2, 27961) + eot +
             std::string(3, '\0'),
         {"10.0.0.1:27960", "192.168.1.2:27961"}},
        // the documented entry bytes
        {kHeader + std::string("\\\x0A\x00\x00\x01\x6D\x38", 7), {"10.0.0.1:27960"}},
        // a NUL at an entry position ends the list
        {kHeader + MasterEntry(1, 2, 3, 4, 5) + std::string(1, '\0') + MasterEntry(5, 6, 7, 8, 9),
         {"1.2.3.4:5"}},
        // NUL and backslash bytes inside an entry
        {kHeader + MasterEntry(0, 92, 0, 92, 0x5C00) + MasterEntry(92, 0, 0, 0, 0x005C),
         {"0.92.0.92:23552", "92.0.0.0:92"}},
        // an entry cut short is not read
        {kHeader + MasterEntry(1, 1, 1, 1, 1) + MasterEntry(2, 2, 2, 2, 2).substr(0, 6), {"1.1.1.1:1"}},
        // the end marker stops before later entries
        {kHeader + eot + MasterEntry(3, 3, 3, 3, 3), {}},
        // entry backslashes are not examined
        {kHeader + "\\" + MasterEntry(4, 4, 4, 4, 4).substr(1) + "x" + MasterEntry(5, 5, 5, 5, 5).substr(1),
         {"4.4.4.4:4", "5.5.5.5:5"}},
        {kFf4 + "getserversResponse", {}},                              // no backslash at all
        {kHeader + MasterEntry(6, 6, 6, 6, 6) + "\\EO", {"6.6.6.6:6"}}, // a short end marker at the very end
        {MasterEntry(7, 7, 7, 7, 7), {"7.7.7.7:7"}},                    // no header
    };
    for (const auto& [datagram, addresses] : cases) {
        SCOPED_TRACE(testing::PrintToString(datagram));
        const bool expected = datagram.find(eot) != std::string::npos;
        bool endMarker = !expected; // overwritten either way
        EXPECT_EQ(AddressTexts(ReadMasterEntries(datagram, &endMarker)), addresses);
        EXPECT_EQ(endMarker, expected);
    }
}

TEST(MasterReply, UnusableAddresses) {
    const std::pair<const char*, bool> addresses[] = {
        {"0.0.0.0:27960", false},    {"224.0.0.1:27960", false}, {"10.0.0.1:0", false},
        {"223.255.255.255:1", true}, {"0.0.0.1:27960", true},
    };
    for (const auto& [text, usable] : addresses)
        EXPECT_EQ(query::IsServerAddress(net::CSockAddr(text)), usable) << text;
}

TEST(MasterList, ParsesEntriesOrNamesTheBadOne) {
    // A reason without a final full stop is the tail of "Master server "<text>": <reason>."
    const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
        {"master.etlegacy.com:27950;etmaster.idsoftware.com:27950",
         {"master.etlegacy.com:27950", "etmaster.idsoftware.com:27950"},
         ""},
        {"  a.example  ; 127.0.0.1:1 ", {"a.example:27950", "127.0.0.1:1"}, ""},
        {"host:65535", {"host:65535"}, ""},
        {";;;", {}, "Master server entry 1 is empty."},
        {"a;", {}, "Master server entry 2 is empty."},
        {"", {}, "No master server is given."},
        {"et master.example:27950", {}, "the host name contains a blank"},
        {"a:99999999999999999999", {}, "the port 99999999999999999999 is above 65535"},
        {"a:-1", {}, "the port \"-1\" is not a number"},
        {"a:", {}, "the port is missing after ':'"},
        {"a:0", {}, "the port must not be 0"},
        {":27950", {}, "the host name is missing"},
        {"a[27950", {}, "the host name contains the character '['"},
    };
    for (const auto& [text, expected, reason] : cases) {
        std::vector<query::SMasterEntry> entries{{"stale", 1}};
        const std::string problem = query::ParseMasterList(text, entries);
        std::vector<std::string> texts;
        for (const auto& e : entries)
            texts.push_back(query::MasterEntryText(e));
        EXPECT_EQ(texts, expected) << text;
        EXPECT_EQ(problem, reason.empty() || reason.ends_with('.')
                               ? reason
                               : "Master server \"" + text + "\": " + reason + ".");
    }
}

} // namespace
