#include "app/Settings.h"

#include "RegistryTestKey.h"

#include <climits>
#include <sstream>

namespace {

using namespace app;

class SettingsTest : public testsupport::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ASSERT_TRUE(OpenSettingsKey(m_key, m_path.c_str()));
    }
    CRegistryKey m_key;
};

// The settings as one text: history|password|placement|split|version|autoClose autoRequery|includeEmpty
// includeFull|master|speed|view|startupQuery.
std::string Text(const SBrowserSettings& s) {
    std::ostringstream o;
    o << s.lastPlayers << "|" << s.password << "|" << s.hasLastPos << " " << s.lastPos.left << ","
      << s.lastPos.top << "," << s.lastPos.right << "," << s.lastPos.bottom << " " << s.maximized << "|"
      << s.splitPos << "|" << s.version << "|" << s.autoClose << s.autoRequery << "|" << s.includeEmpty
      << s.includeFull << "|" << s.master << "|" << s.speed << "|" << s.lastView << "|" << s.startupQuery;
    return o.str();
}

TEST_F(SettingsTest, EmptyOrDeletedKeyOrAMasterStoredAsNumberGivesEveryDefault) {
    const std::string defaults =
        "||0 0,0,0,0 0|0|3|10|01|master.etlegacy.com:27950;etmaster.idsoftware.com:27950|1|0|0";
    EXPECT_EQ(m_key.GetRoot(), HKEY_CURRENT_USER);
    PutRaw(value::kMaster, REG_DWORD, "\x01\x02\x03\x04", 4);
    EXPECT_EQ(Text(ReadBrowserSettings(m_key)), defaults);
    SBrowserSettings s;
    s.version = 2;
    s.master = "10.0.0.1:27950";
    WriteBrowserSettings(m_key, s, true);
    ASSERT_EQ(::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(Text(ReadBrowserSettings(m_key)), defaults);
    ASSERT_TRUE(OpenSettingsKey(m_key, m_path.c_str()));
    EXPECT_FALSE(m_key.ValueExists(value::kVersion)) << "the key comes back empty";
}

TEST_F(SettingsTest, WrittenSettingsReadBackWithTheRectangleNormalised) {
    SBrowserSettings s;
    s.lastPlayers = "Alpha\nbeta\n";
    s.password = "secret";
    s.hasLastPos = s.maximized = s.includeEmpty = true;
    s.lastPos = RECT{300, 200, 20, 10};
    s.splitPos = 40;
    s.version = 0;
    s.includeFull = false;
    s.master = "127.0.0.1:27950";
    s.speed = 5;
    s.lastView = 1;
    WriteBrowserSettings(m_key, s, true);
    WriteOptions(m_key, false, true, 2);
    EXPECT_EQ(Text(ReadBrowserSettings(m_key)),
              "Alpha\nbeta\n|secret|1 20,10,300,200 1|40|0|01|10|127.0.0.1:27950|5|1|2");
    const std::pair<const char*, DWORD> types[] = {
        {value::kLastPos, REG_BINARY}, {value::kSplitPos, REG_DWORD}, {value::kLastPlayers, REG_SZ}};
    for (const auto& [name, type] : types)
        EXPECT_EQ(m_key.GetValueType(name), type) << name;

    // Closing minimised keeps the placement; a history over 16 KiB keeps the old one.
    SBrowserSettings next;
    next.lastPos = RECT{-32000, -32000, -31840, -31970};
    next.splitPos = 60;
    next.lastPlayers = std::string(kMaxStoredText + 1, 'n');
    next.password = std::string(kMaxStoredText, 'p');
    WriteBrowserSettings(m_key, next, false);
    const SBrowserSettings r = ReadBrowserSettings(m_key);
    EXPECT_EQ(r.lastPos.right, 300);
    EXPECT_EQ(r.splitPos, 40);
    EXPECT_EQ(r.lastPlayers, s.lastPlayers);
    EXPECT_EQ(r.password, next.password) << "16 KiB with the terminator fit";
}

TEST_F(SettingsTest, StoredIndexesNamingNoItemReadAsTheirDefaultAndTheVersionIsClamped) {
    using S = SBrowserSettings;
    const struct {
        const char* name;
        int stored;
        int S::*field;
        int read;
    } cases[] = {
        {value::kVersion, 7, &S::version, 3},    {value::kVersion, 4, &S::version, 3},
        {value::kVersion, -1, &S::version, 1},   {value::kVersion, INT_MIN, &S::version, 1},
        {value::kVersion, 0, &S::version, 0},    {value::kVersion, 2, &S::version, 2},
        {value::kSpeed, 9, &S::speed, 1},        {value::kSpeed, -1, &S::speed, 1},
        {value::kSpeed, 5, &S::speed, 5},        {value::kLastView, 2, &S::lastView, 0},
        {value::kLastView, -1, &S::lastView, 0}, {value::kLastView, 1, &S::lastView, 1},
    };
    for (const auto& c : cases) {
        m_key.WriteInt(c.name, c.stored);
        EXPECT_EQ(ReadBrowserSettings(m_key).*c.field, c.read) << c.name << " " << c.stored;
    }
    // A stored rectangle is used only when wide enough: the main window's from its minimum width on,
    // the favourites' above the template width.
    const struct {
        RECT rect;
        bool main, favorites;
    } rects[] = {{{0, 0, 640, 480}, true, false},
                 {{0, 0, 641, 480}, true, true},
                 {{100, 0, 739, 480}, false, false},
                 {{-50, 0, 700, 10}, true, true}};
    for (const auto& c : rects) {
        EXPECT_EQ(IsUsableMainPos(c.rect, 640), c.main) << c.rect.left << ".." << c.rect.right;
        EXPECT_EQ(IsUsableFavoritesPos(c.rect, 640), c.favorites) << c.rect.left << ".." << c.rect.right;
    }
}

TEST_F(SettingsTest, LayoutWordsAreStoredAsTwoBytesEachAndReadOnlyWhenTheyFit) {
    ASSERT_TRUE(WriteLayout(m_key, value::kLayoutServer, {2, 0xBEEF, 2}));
    DWORD type = 0;
    EXPECT_EQ(GetRaw(value::kLayoutServer, type), std::string("\x02\x00\xEF\xBE\x02\x00", 6));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));

    const std::vector<uint16_t> current = {2, 1, 1, 50, 0, 1, 0};
    const struct {
        const char* what;
        std::vector<uint16_t> stored; // empty: no value
        std::vector<uint16_t> expected;
    } cases[] = {
        {"missing", {}, current},
        {"longer", {2, 9, 2, 1, 2, 3, 4, 5, 6, 7, 8}, current},
        {"shorter", {2, 9, 1}, {2, 9, 1, 50, 0, 1, 0}},
        {"same size", {2, 1, 1, 60, 0, 0, 0}, {2, 1, 1, 60, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, m_path.c_str(), value::kLayoutPlayer);
        if (!c.stored.empty()) {
            ASSERT_TRUE(WriteLayout(m_key, value::kLayoutPlayer, c.stored));
        }
        std::vector<uint16_t> words = current;
        ReadLayout(m_key, value::kLayoutPlayer, words);
        EXPECT_EQ(words, c.expected) << c.what;
    }
}

} // namespace
