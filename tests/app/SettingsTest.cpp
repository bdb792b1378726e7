// The registry key class and the program's settings on a private key of the test's Wine prefix.
#include "app/Settings.h"
#include "app/RegistryKey.h"

#include "DialogHost.h"

#include <sstream>

namespace {

using namespace app;

class RegistryKeyTest : public testsupport::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ASSERT_TRUE(m_key.SetSubKey(m_path, true, KEY_ALL_ACCESS));
    }
    CRegistryKey m_key;
};

TEST_F(RegistryKeyTest, OnlySubKeysThatOpenAreTakenAndNoRootValueIsWritten) {
    CRegistryKey key;
    const std::string missing = m_path + "\\missing", name = "Velloran test value " + m_path;
    EXPECT_FALSE(key.WriteString(name.c_str(), "x")) << "a key without a path writes nothing";
    EXPECT_FALSE(key.WriteInt(name.c_str(), 1));
    EXPECT_NE(::RegQueryValueExA(HKEY_CURRENT_USER, name.c_str(), nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_TRUE(key.SetSubKey(m_path, false, KEY_READ));
    EXPECT_FALSE(key.SetSubKey(missing, false, KEY_READ));
    EXPECT_EQ(key.GetSubKey(), m_path) << "a failed call keeps the stored path";
    EXPECT_TRUE(key.SetSubKey(missing, true, KEY_ALL_ACCESS));
    EXPECT_EQ(key.GetSubKey(), missing);
    EXPECT_TRUE(key.WriteInt("Int", 1)) << "the key was created";
    ASSERT_EQ(::RegDeleteKeyA(HKEY_CURRENT_USER, missing.c_str()), ERROR_SUCCESS);
    EXPECT_FALSE(key.WriteInt("Int", 1)) << "writing does not create a deleted key";
    EXPECT_FALSE(key.ValueExists("Int"));
}

TEST_F(RegistryKeyTest, ValuesRoundTripWithinTheirLimitsAndForeignOnesAreReadOnlyWhenTheyFit) {
    for (const std::string& text : {std::string(), std::string(254, 'x'), std::string("\xe4\xf6")}) {
        ASSERT_TRUE(m_key.WriteString("Text", text));
        EXPECT_EQ(m_key.ReadString("Text", "default"), text);
    }
    EXPECT_FALSE(m_key.WriteString("Text", std::string(255, 'y')));
    EXPECT_EQ(m_key.ReadString("Text", ""), "\xe4\xf6") << "a refused write keeps the stored value";
    const RECT extreme{INT_MIN, -32, INT_MAX, -1};
    RECT back = {};
    ASSERT_TRUE(m_key.WriteRect("Rect", extreme) && m_key.ReadRect("Rect", back));
    EXPECT_TRUE(::EqualRect(&back, &extreme));
    const std::string def = "default";
    struct Case {
        std::string data; // stored bytes, exactly
        DWORD type;
        std::string text;
    } texts[] = {
        {std::string(254, 'a') + '\0', REG_SZ, std::string(254, 'a')},
        {std::string(255, 'b') + '\0', REG_SZ, def},
        {std::string(255, 'd'), REG_SZ, def}, // no terminator, fills the buffer
        {"abc", REG_SZ, "abc"},               // no terminator
        {std::string("%TEMP%\\x") + '\0', REG_EXPAND_SZ, "%TEMP%\\x"},
        {std::string("a\0b\0", 4), REG_MULTI_SZ, def},
        {"text", REG_BINARY, def},
    };
    for (const auto& c : texts) {
        PutRaw("Raw", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        EXPECT_EQ(m_key.ReadString("Raw", def), c.text) << c.data.size() << " bytes, type " << c.type;
    }
    // Numbers take up to four bytes of any type, rectangles exactly sixteen.
    struct NumberCase {
        std::string data;
        DWORD type;
        int number;
        bool rect;
    } numbers[] = {
        {std::string("\x2a\0\0\0", 4), REG_DWORD, 42, false},
        {std::string("\xfd\xff\xff\xff", 4), REG_BINARY, -3, false},
        {std::string("\x05\x01", 2), REG_BINARY, 0x105, false},
        {std::string("7\0", 2), REG_SZ, '7', false},
        {std::string(), REG_BINARY, -99, false},
        {std::string(16, '\x01'), REG_BINARY, -99, true},
        {std::string(20, '\x01'), REG_BINARY, -99, false},
    };
    for (const auto& c : numbers) {
        PutRaw("Raw", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        RECT rc = {};
        EXPECT_EQ(m_key.ReadInt("Raw", -99), c.number) << c.data.size() << " bytes";
        EXPECT_EQ(m_key.ReadRect("Raw", rc), c.rect) << c.data.size() << " bytes";
    }
}

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

TEST_F(SettingsTest, EmptyOrDeletedKeyOrAMasterStoredAsNumberGivesEveryDefaultAndTextsAreStoredUpTo16KiB) {
    const std::string defaults =
        "||0 0,0,0,0 0|0|3|10|01|master.etlegacy.com:27950;etmaster.idsoftware.com:27950|1|0|0";
    PutRaw(value::kMaster, REG_DWORD, "\x01\x02\x03\x04", 4);
    EXPECT_EQ(Text(ReadBrowserSettings(m_key)), defaults);
    SBrowserSettings s;
    s.version = 2;
    s.master = "10.0.0.1:27950";
    s.password = std::string(kMaxStoredText, 'p'); // 16 KiB with the terminator fit, one more does not
    s.lastPlayers = std::string(kMaxStoredText + 1, 'n');
    WriteBrowserSettings(m_key, s, true);
    const SBrowserSettings r = ReadBrowserSettings(m_key);
    EXPECT_EQ(r.password.size() + r.lastPlayers.size(), kMaxStoredText);
    EXPECT_EQ(r.master, s.master);
    const std::pair<const char*, DWORD> types[] = {
        {value::kLastPos, REG_BINARY}, {value::kSplitPos, REG_DWORD}, {value::kPassword, REG_SZ}};
    for (const auto& [name, type] : types)
        EXPECT_EQ(m_key.GetValueType(name), type) << name;
    ASSERT_EQ(::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(Text(ReadBrowserSettings(m_key)), defaults);
    ASSERT_TRUE(OpenSettingsKey(m_key, m_path.c_str()));
    EXPECT_FALSE(m_key.ValueExists(value::kVersion)) << "the key comes back empty";
}

TEST_F(SettingsTest, StoredIndexesNamingNoItemReadAsTheirDefaultAndTheVersionIsClamped) {
    using S = SBrowserSettings;
    struct Case {
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
    struct RectCase {
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
    struct Case {
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
