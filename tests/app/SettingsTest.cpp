#include "app/Settings.h"

#include "RegistryTestKey.h"

#include <cstring>

namespace {

using namespace app;

class SettingsTest : public apptest::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ASSERT_TRUE(OpenSettingsKey(m_key, m_path.c_str()));
    }
    CRegistryKey m_key;
};

void ExpectDefaults(const SBrowserSettings& s) {
    EXPECT_EQ(s.lastPlayers, "");
    EXPECT_EQ(s.password, "");
    EXPECT_FALSE(s.hasLastPos);
    EXPECT_EQ(s.splitPos, 0);
    EXPECT_EQ(s.version, 3);
    EXPECT_TRUE(s.autoClose);
    EXPECT_FALSE(s.autoRequery);
    EXPECT_FALSE(s.includeEmpty);
    EXPECT_TRUE(s.includeFull);
    EXPECT_EQ(s.master, "master.etlegacy.com:27950;etmaster.idsoftware.com:27950");
    EXPECT_EQ(s.speed, 1);
    EXPECT_EQ(s.lastView, 0);
    EXPECT_EQ(s.startupQuery, 0);
}

TEST_F(SettingsTest, OpenSettingsKeyCreatesTheKeyUnderTheCurrentUser) {
    EXPECT_EQ(m_key.GetRoot(), HKEY_CURRENT_USER);
    EXPECT_EQ(m_key.GetSubKey(), m_path);
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    ::RegCloseKey(key);
    EXPECT_STREQ(kBrowserKeyPath, "Software\\Velloran Enemy Territory");
    EXPECT_STREQ(kFavoritesKeyPath, "Software\\Velloran RTCW");
}

TEST_F(SettingsTest, EmptyOrDeletedKeyGivesEveryDefault) {
    ExpectDefaults(ReadBrowserSettings(m_key));
    SBrowserSettings s;
    s.version = 2;
    s.master = "10.0.0.1:27950";
    WriteBrowserSettings(m_key, s, true);
    ASSERT_EQ(::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str()), ERROR_SUCCESS);
    ExpectDefaults(ReadBrowserSettings(m_key));
    ASSERT_TRUE(OpenSettingsKey(m_key, m_path.c_str()));
    EXPECT_FALSE(m_key.ValueExists(value::kVersion)) << "the key comes back empty";
    ExpectDefaults(ReadBrowserSettings(m_key));
}

TEST_F(SettingsTest, VersionIsClampedToTheBoxItems) {
    const struct {
        int stored;
        int expected;
    } cases[] = {{7, 3}, {-3, 1}, {-1, 1}, {0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 3}, {INT_MIN, 1}, {INT_MAX, 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(ClampVersion(c.stored), c.expected) << c.stored;
        m_key.WriteInt(value::kVersion, c.stored);
        EXPECT_EQ(ReadBrowserSettings(m_key).version, c.expected) << c.stored;
    }
}

TEST_F(SettingsTest, SpeedOrViewNamingNoItemReadsAsItsDefault) {
    const struct {
        const char* name;
        int stored, read;
    } cases[] = {{value::kSpeed, 9, 1},    {value::kSpeed, -1, 1},    {value::kSpeed, 5, 5},
                 {value::kLastView, 2, 0}, {value::kLastView, -1, 0}, {value::kLastView, 1, 1}};
    for (const auto& c : cases) {
        m_key.WriteInt(c.name, c.stored);
        const SBrowserSettings s = ReadBrowserSettings(m_key);
        EXPECT_EQ(std::string(c.name) == value::kSpeed ? s.speed : s.lastView, c.read) << c.name << c.stored;
    }
}

TEST_F(SettingsTest, MasterStoredAsNumberIsIgnored) {
    PutRaw(value::kMaster, REG_DWORD, "\x01\x02\x03\x04", 4);
    EXPECT_EQ(ReadBrowserSettings(m_key).master, kDefaultMaster);
    m_key.WriteString(value::kMaster, "192.168.1.20:27960");
    EXPECT_EQ(ReadBrowserSettings(m_key).master, "192.168.1.20:27960");
}

TEST_F(SettingsTest, WrittenSettingsReadBack) {
    SBrowserSettings s;
    s.lastPlayers = "Alpha\nbeta\n";
    s.password = "secret";
    s.hasLastPos = true;
    s.lastPos = RECT{300, 200, 20, 10}; // not normalised
    s.splitPos = 40;
    s.version = 0;
    s.includeEmpty = true;
    s.includeFull = false;
    s.master = "127.0.0.1:27950";
    s.speed = 5;
    s.lastView = 1;
    WriteBrowserSettings(m_key, s, true);
    WriteOptions(m_key, false, true, 2);

    SBrowserSettings r = ReadBrowserSettings(m_key);
    EXPECT_EQ(r.lastPlayers, s.lastPlayers);
    EXPECT_EQ(r.password, s.password);
    ASSERT_TRUE(r.hasLastPos);
    EXPECT_EQ(r.lastPos.left, 20);
    EXPECT_EQ(r.lastPos.top, 10);
    EXPECT_EQ(r.lastPos.right, 300);
    EXPECT_EQ(r.lastPos.bottom, 200);
    EXPECT_EQ(r.splitPos, 40);
    EXPECT_EQ(r.version, 0);
    EXPECT_TRUE(r.includeEmpty);
    EXPECT_FALSE(r.includeFull);
    EXPECT_EQ(r.master, s.master);
    EXPECT_EQ(r.speed, 5);
    EXPECT_EQ(r.lastView, 1);
    EXPECT_FALSE(r.autoClose);
    EXPECT_TRUE(r.autoRequery);
    EXPECT_EQ(r.startupQuery, 2);
    EXPECT_EQ(m_key.GetValueType(value::kLastPos), static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(m_key.GetValueType(value::kSplitPos), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(m_key.GetValueType(value::kLastPlayers), static_cast<DWORD>(REG_SZ));
}

TEST_F(SettingsTest, MinimisedCloseKeepsThePlacementAndHistoryOver16KiBKeepsTheOldOne) {
    SBrowserSettings s;
    s.lastPos = RECT{1, 2, 700, 500};
    s.splitPos = 30;
    s.lastPlayers = "old\n";
    WriteBrowserSettings(m_key, s, true);
    s.lastPos = RECT{-32000, -32000, -31840, -31970};
    s.splitPos = 60;
    s.lastPlayers = std::string(app::kMaxStoredText + 1, 'n');
    s.password = std::string(app::kMaxStoredText, 'p');
    WriteBrowserSettings(m_key, s, false);
    SBrowserSettings r = ReadBrowserSettings(m_key);
    EXPECT_EQ(r.lastPos.right, 700);
    EXPECT_EQ(r.splitPos, 30);
    EXPECT_EQ(r.lastPlayers, "old\n");
    EXPECT_EQ(r.password, s.password) << "16 KiB with the terminator fit";
}

TEST_F(SettingsTest, StoredPositionsAreUsedOnlyWhenWideEnough) {
    const struct {
        RECT rect;
        int width;
        bool main;
        bool favorites;
    } cases[] = {
        {{0, 0, 640, 480}, 640, true, false},
        {{0, 0, 641, 480}, 640, true, true},
        {{100, 0, 739, 480}, 640, false, false},
        {{-50, 0, 700, 10}, 640, true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsUsableMainPos(c.rect, c.width), c.main) << c.rect.left << ".." << c.rect.right;
        EXPECT_EQ(IsUsableFavoritesPos(c.rect, c.width), c.favorites) << c.rect.left << ".." << c.rect.right;
    }
}

TEST_F(SettingsTest, LayoutWordsRoundTripAsTwoBytesEach) {
    const std::vector<uint16_t> layout = {2, 0xBEEF, 2, 120, 0, 1, 0, 80, 0, 0, 1};
    ASSERT_TRUE(WriteLayout(m_key, value::kLayoutServer, layout));
    DWORD type = 0;
    std::string raw;
    ASSERT_TRUE(GetRaw(value::kLayoutServer, type, raw));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(raw.size(), layout.size() * 2);
    EXPECT_EQ(static_cast<unsigned char>(raw[2]), 0xEF);
    EXPECT_EQ(static_cast<unsigned char>(raw[3]), 0xBE);

    std::vector<uint16_t> words(layout.size(), 7);
    ReadLayout(m_key, value::kLayoutServer, words);
    EXPECT_EQ(words, layout);
}

TEST_F(SettingsTest, LayoutReadKeepsTheCurrentWordsWhenTheValueDoesNotFit) {
    const std::vector<uint16_t> current = {2, 1, 1, 50, 0, 1, 0};
    struct SCase {
        const char* what;
        std::vector<uint16_t> stored; // empty: no value
        std::vector<uint16_t> expected;
    };
    const SCase cases[] = {
        {"missing", {}, current},
        {"longer", {2, 9, 2, 1, 2, 3, 4, 5, 6, 7, 8}, current},
        {"shorter", {2, 9, 1}, {2, 9, 1, 50, 0, 1, 0}},
        {"same size", {2, 1, 1, 60, 0, 0, 0}, {2, 1, 1, 60, 0, 0, 0}},
    };
    for (const SCase& c : cases) {
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, m_path.c_str(), value::kLayoutPlayer);
        if (!c.stored.empty()) {
            ASSERT_TRUE(WriteLayout(m_key, value::kLayoutPlayer, c.stored));
        }
        std::vector<uint16_t> words = current;
        ReadLayout(m_key, value::kLayoutPlayer, words);
        EXPECT_EQ(words, c.expected) << c.what;
    }
    std::vector<uint16_t> none;
    ReadLayout(m_key, value::kLayoutPlayer, none);
    EXPECT_TRUE(none.empty());
}

} // namespace
