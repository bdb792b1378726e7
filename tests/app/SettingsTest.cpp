// The registry key class and the program's settings on a private key of the test's Wine prefix.
#include "app/Settings.h"
#include "app/RegistryKey.h"

#include "DialogHost.h"

#include <sstream>

namespace {

using namespace app;

using SettingsTest = testsupport::RegistryTest; // the settings key opened (and made) on a private path

TEST_F(SettingsTest, RegistryKeyTakesOnlySubKeysThatOpenWritesNoRootValueAndReadsValuesOnlyWhenTheyFit) {
    CRegistryKey key;
    const std::string missing = m_path + "\\missing", name = "Velloran test value " + m_path;
    EXPECT_FALSE(key.WriteString(name.c_str(), "x")) << "a key without a path writes nothing";
    EXPECT_FALSE(key.WriteInt(name.c_str(), 1));
    EXPECT_NE(::RegQueryValueExA(HKEY_CURRENT_USER, name.c_str(), nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_TRUE(key.SetSubKey(m_path, false, KEY_READ));
    EXPECT_FALSE(key.SetSubKey(missing, false, KEY_READ));
    EXPECT_EQ(key.GetSubKey(), m_path) << "a failed call keeps the stored path";
    EXPECT_TRUE(key.SetSubKey(missing, true, KEY_ALL_ACCESS) && key.WriteInt("Int", 1)) << "created";

    // Values round trip within their limits; foreign ones are read only when they fit.
    for (const std::string& text : {std::string(), std::string(254, 'x'), std::string("\xe4\xf6")}) {
        ASSERT_TRUE(m_key.WriteString("Text", text));
        EXPECT_EQ(m_key.ReadString("Text", "default"), text);
    }
    EXPECT_FALSE(m_key.WriteString("Text", std::string(255, 'y')));
    EXPECT_EQ(m_key.ReadString("Text", ""), "\xe4\xf6") << "a refused write keeps the stored value";
    // Foreign values: text only of a string type that fits with its terminator, numbers from up to four
    // bytes of any type, rectangles from exactly sixteen.
    const std::string def = "default";
    struct Case {
        std::string data; // stored bytes, exactly
        DWORD type;
        std::string text;
        int number;
        bool rect;
    } cases[] = {{std::string(254, 'a') + '\0', REG_SZ, std::string(254, 'a'), -99, false},
                 {std::string(255, 'b') + '\0', REG_SZ, def, -99, false},
                 {std::string(255, 'd'), REG_SZ, def, -99, false}, // no terminator, fills the buffer
                 {"abc", REG_SZ, "abc", 0x636261, false},          // no terminator
                 {std::string("%TEMP%\\x") + '\0', REG_EXPAND_SZ, "%TEMP%\\x", -99, false},
                 {std::string("a\0b\0", 4), REG_MULTI_SZ, def, 0x620061, false},
                 {std::string("\x2a\0\0\0", 4), REG_DWORD, def, 42, false},
                 {std::string("\xfd\xff\xff\xff", 4), REG_BINARY, def, -3, false},
                 {std::string("7\0", 2), REG_SZ, "7", '7', false},
                 {std::string(), REG_BINARY, def, -99, false},
                 {std::string(16, '\x01'), REG_BINARY, def, -99, true},
                 {std::string(20, '\x01'), REG_BINARY, def, -99, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.data.size()) + " bytes, type " + std::to_string(c.type));
        PutRaw("Raw", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        RECT rc = {};
        EXPECT_EQ(m_key.ReadString("Raw", def), c.text);
        EXPECT_EQ(m_key.ReadInt("Raw", -99), c.number);
        EXPECT_EQ(m_key.ReadRect("Raw", rc), c.rect);
    }
}

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

TEST_F(SettingsTest,
       EmptyOrDeletedKeyGivesEveryDefaultTextsAreStoredUpTo16KiBAndIndexesNamingNoItemReadAsDefaults) {
    const std::string defaults =
        "||0 0,0,0,0 0|0|3|10|01|master.etlegacy.com:27950;etmaster.idsoftware.com:27950|1|0|0";
    PutRaw(value::kMaster, REG_DWORD, "\x01\x02\x03\x04", 4); // a master stored as a number: the default
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
    // Stored indexes that name no item read as their default; the version is clamped.
    using S = SBrowserSettings;
    struct Case {
        const char* name;
        int stored;
        int S::*field;
        int read;
    } cases[] = {{value::kVersion, 4, &S::version, 3},   {value::kVersion, -1, &S::version, 1},
                 {value::kVersion, 0, &S::version, 0},   {value::kSpeed, 6, &S::speed, 1},
                 {value::kSpeed, -1, &S::speed, 1},      {value::kSpeed, 5, &S::speed, 5},
                 {value::kLastView, 2, &S::lastView, 0}, {value::kLastView, -1, &S::lastView, 0}};
    for (const auto& c : cases) {
        m_key.WriteInt(c.name, c.stored);
        EXPECT_EQ(ReadBrowserSettings(m_key).*c.field, c.read) << c.name << " " << c.stored;
    }
    // A stored rectangle is used only when wide enough: the main window's from its minimum width on,
    // the favourites' above the template width.
    for (const auto& [rect, main, favorites] : {std::tuple{RECT{0, 0, 640, 480}, true, false},
                                                {RECT{0, 0, 641, 480}, true, true},
                                                {RECT{100, 0, 739, 480}, false, false}}) {
        EXPECT_EQ(IsUsableMainPos(rect, 640), main) << rect.left << ".." << rect.right;
        EXPECT_EQ(IsUsableFavoritesPos(rect, 640), favorites) << rect.left << ".." << rect.right;
    }
    ASSERT_EQ(::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(Text(ReadBrowserSettings(m_key)), defaults);
}

TEST_F(SettingsTest, LayoutWordsAreStoredAsTwoBytesEachAndReadOnlyWhenTheyFit) {
    ASSERT_TRUE(WriteLayout(m_key, value::kLayoutServer, {2, 0xBEEF, 2}));
    char raw[8] = {};
    EXPECT_EQ(m_key.ReadBinary(value::kLayoutServer, raw, sizeof raw), 6);
    EXPECT_EQ(std::string(raw, 6), std::string("\x02\x00\xEF\xBE\x02\x00", 6));
    EXPECT_EQ(m_key.GetValueType(value::kLayoutServer), static_cast<DWORD>(REG_BINARY));

    const std::vector<uint16_t> current = {2, 1, 1, 50, 0, 1, 0};
    struct Case {
        const char* what;
        std::vector<uint16_t> stored; // empty: no value
        std::vector<uint16_t> expected;
    } cases[] = {{"missing", {}, current},
                 {"longer", {2, 9, 2, 1, 2, 3, 4, 5, 6, 7, 8}, current},
                 {"shorter", {2, 9, 1}, {2, 9, 1, 50, 0, 1, 0}},
                 {"same size", {2, 1, 1, 60, 0, 0, 0}, {2, 1, 1, 60, 0, 0, 0}}};
    for (const auto& c : cases) { // the missing value first, before any is written
        ASSERT_TRUE(c.stored.empty() || WriteLayout(m_key, value::kLayoutPlayer, c.stored));
        std::vector<uint16_t> words = current;
        ReadLayout(m_key, value::kLayoutPlayer, words);
        EXPECT_EQ(words, c.expected) << c.what;
    }
}

} // namespace
