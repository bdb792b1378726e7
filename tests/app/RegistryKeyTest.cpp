#include "app/RegistryKey.h"

#include "RegistryTestKey.h"

#include <climits>
#include <vector>

namespace {

using app::CRegistryKey;

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
}

TEST_F(RegistryKeyTest, ValuesRoundTripAndMissingOnesGiveTheDefaults) {
    for (const std::string& text :
         {std::string(), std::string("a\nb\n"), std::string(254, 'x'), std::string("\xe4\xf6")}) {
        ASSERT_TRUE(m_key.WriteString("Text", text));
        EXPECT_EQ(m_key.ReadString("Text", "default"), text);
    }
    EXPECT_FALSE(m_key.WriteString("Text", std::string(255, 'y')));
    EXPECT_EQ(m_key.ReadString("Text", ""), "\xe4\xf6") << "a refused write keeps the stored value";
    for (int value : {0, -1, INT_MAX, INT_MIN, 27950}) {
        ASSERT_TRUE(m_key.WriteInt("Int", value));
        EXPECT_EQ(m_key.ReadInt("Int", 12345), value);
    }
    for (const RECT& rc : {RECT{10, 20, 650, 480}, RECT{INT_MIN, -32, INT_MAX, -1}}) {
        ASSERT_TRUE(m_key.WriteRect("Rect", rc));
        RECT back = {1, 2, 3, 4};
        ASSERT_TRUE(m_key.ReadRect("Rect", back));
        EXPECT_TRUE(::EqualRect(&back, &rc));
    }
    CRegistryKey gone;
    ASSERT_TRUE(gone.SetSubKey(m_path + "\\soon gone", true, KEY_ALL_ACCESS));
    ASSERT_EQ(::RegDeleteKeyA(HKEY_CURRENT_USER, (m_path + "\\soon gone").c_str()), ERROR_SUCCESS);
    EXPECT_FALSE(gone.WriteInt("Int", 1)) << "writing does not create a deleted key";
    for (const CRegistryKey* key : {&gone, &m_key}) {
        EXPECT_EQ(key->ReadString("Missing", "fallback"), "fallback");
        EXPECT_EQ(key->ReadInt("Missing", -7), -7);
        RECT rc = {1, 2, 3, 4}, same = rc;
        EXPECT_FALSE(key->ReadRect("Missing", rc));
        EXPECT_TRUE(::EqualRect(&rc, &same));
        EXPECT_FALSE(key->ValueExists("Missing"));
    }
    EXPECT_TRUE(m_key.ValueExists("Int"));
}

TEST_F(RegistryKeyTest, ForeignValuesAreReadOnlyWhenTheyFit) {
    const std::string def = "default";
    const struct {
        std::string data; // stored bytes, exactly
        DWORD type;
        std::string text;
    } texts[] = {
        {std::string(254, 'a') + '\0', REG_SZ, std::string(254, 'a')},
        {std::string(255, 'b') + '\0', REG_SZ, def},
        {std::string(300, 'c') + '\0', REG_SZ, def},
        {std::string(255, 'd'), REG_SZ, def}, // no terminator, fills the buffer
        {"abc", REG_SZ, "abc"},               // no terminator
        {std::string("%TEMP%\\x") + '\0', REG_EXPAND_SZ, "%TEMP%\\x"},
        {std::string("a\0b\0", 4), REG_MULTI_SZ, def},
        {std::string("\x07\0\0\0", 4), REG_DWORD, def},
        {"text", REG_BINARY, def},
    };
    for (const auto& c : texts) {
        PutRaw("Raw", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        EXPECT_EQ(m_key.ReadString("Raw", def), c.text) << c.data.size() << " bytes, type " << c.type;
    }
    // Numbers take up to four bytes of any type, rectangles exactly sixteen.
    const struct {
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
        {std::string(8, '\x01'), REG_BINARY, -99, false},
        {std::string(12, '\x01'), REG_BINARY, -99, false},
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

} // namespace
