#include "app/RegistryKey.h"

#include "RegistryTestKey.h"

#include <climits>
#include <vector>

namespace {

using app::CRegistryKey;

class RegistryKeyTest : public apptest::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ASSERT_TRUE(m_key.SetSubKey(m_path, true, KEY_ALL_ACCESS));
    }
    CRegistryKey m_key;
};

TEST_F(RegistryKeyTest, SetRootAcceptsOnlyThePredefinedKeys) {
    struct SCase {
        HKEY root;
        bool accepted;
    };
    HKEY opened = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_READ, &opened), ERROR_SUCCESS);
    const SCase cases[] = {
        {HKEY_CLASSES_ROOT, true},
        {HKEY_LOCAL_MACHINE, true},
        {HKEY_USERS, true},
        {HKEY_CURRENT_USER, true},
        {HKEY_CURRENT_CONFIG, false},
        {HKEY_PERFORMANCE_DATA, false},
        {nullptr, false},
        {opened, false},
    };
    for (const SCase& c : cases) {
        CRegistryKey key;
        key.SetRoot(HKEY_LOCAL_MACHINE);
        EXPECT_EQ(key.SetRoot(c.root), c.accepted) << c.root;
        EXPECT_EQ(key.GetRoot(), c.accepted ? c.root : HKEY_LOCAL_MACHINE) << c.root;
    }
    ::RegCloseKey(opened);
}

TEST_F(RegistryKeyTest, SetSubKeyStoresOnlyKeysThatOpen) {
    CRegistryKey key;
    const std::string missing = m_path + "\\missing";
    EXPECT_FALSE(key.SetSubKey(missing, false, KEY_READ));
    EXPECT_EQ(key.GetSubKey(), "");
    EXPECT_TRUE(key.SetSubKey(m_path, false, KEY_READ));
    EXPECT_FALSE(key.SetSubKey(missing, false, KEY_READ));
    EXPECT_EQ(key.GetSubKey(), m_path) << "a failed call keeps the stored path";
    EXPECT_TRUE(key.SetSubKey(missing, true, KEY_ALL_ACCESS));
    EXPECT_EQ(key.GetSubKey(), missing);
    HKEY created = nullptr;
    EXPECT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, missing.c_str(), 0, KEY_READ, &created), ERROR_SUCCESS);
    ::RegCloseKey(created);
    EXPECT_TRUE(key.SetSubKey("", false, KEY_READ));
    EXPECT_EQ(key.GetSubKey(), "");

    key.SetRoot(HKEY_USERS);
    key.SetSubKey(m_path, true, KEY_ALL_ACCESS);
    key.Clear();
    EXPECT_EQ(key.GetRoot(), HKEY_CURRENT_USER);
    EXPECT_EQ(key.GetSubKey(), "");
}

TEST_F(RegistryKeyTest, EveryTypeRoundTrips) {
    const std::string texts[] = {"", "a", "Player one\nPlayer two\n", std::string(254, 'x'), "\xe4\xf6\xfc"};
    for (const std::string& text : texts) {
        ASSERT_TRUE(m_key.WriteString("Text", text));
        EXPECT_EQ(m_key.ReadString("Text", "default"), text);
        EXPECT_EQ(m_key.GetValueType("Text"), static_cast<DWORD>(REG_SZ));
    }
    for (int value : {0, 1, -1, 2, INT_MAX, INT_MIN, 27950}) {
        ASSERT_TRUE(m_key.WriteInt("Int", value));
        EXPECT_EQ(m_key.ReadInt("Int", 12345), value);
        EXPECT_EQ(m_key.GetValueType("Int"), static_cast<DWORD>(REG_DWORD));
    }
    const RECT rects[] = {
        {0, 0, 0, 0}, {10, 20, 650, 480}, {-1600, -32, -10, 1200}, {INT_MIN, 0, INT_MAX, -1}};
    for (const RECT& rc : rects) {
        ASSERT_TRUE(m_key.WriteRect("Rect", rc));
        RECT back = {1, 2, 3, 4};
        ASSERT_TRUE(m_key.ReadRect("Rect", back));
        EXPECT_EQ(std::vector<LONG>({back.left, back.top, back.right, back.bottom}),
                  std::vector<LONG>({rc.left, rc.top, rc.right, rc.bottom}));
        EXPECT_EQ(m_key.GetValueType("Rect"), static_cast<DWORD>(REG_BINARY));
    }
    const unsigned char bytes[] = {0, 1, 2, 0xff, 0x80, 0};
    ASSERT_TRUE(m_key.WriteBinary("Bytes", bytes, sizeof bytes));
    unsigned char back[16] = {};
    ASSERT_EQ(m_key.ReadBinary("Bytes", back, sizeof back), static_cast<long>(sizeof bytes));
    EXPECT_EQ(std::vector<unsigned char>(back, back + sizeof bytes),
              std::vector<unsigned char>(bytes, bytes + sizeof bytes));
    EXPECT_EQ(m_key.ReadBinary("Bytes", back, 3), -1) << "a value longer than the buffer fails";
    EXPECT_TRUE(m_key.ValueExists("Bytes"));
    EXPECT_FALSE(m_key.ValueExists("Nothing"));
    EXPECT_EQ(m_key.GetValueType("Nothing"), 0u);
}

TEST_F(RegistryKeyTest, MissingKeyOrValueGivesTheDefaults) {
    CRegistryKey gone;
    ASSERT_TRUE(gone.SetSubKey(m_path + "\\soon gone", true, KEY_ALL_ACCESS));
    ASSERT_EQ(::RegDeleteKeyA(HKEY_CURRENT_USER, (m_path + "\\soon gone").c_str()), ERROR_SUCCESS);
    for (const CRegistryKey* key : {&gone, &m_key}) {
        EXPECT_EQ(key->ReadString("Text", "fallback"), "fallback");
        EXPECT_EQ(key->ReadInt("Int", -7), -7);
        RECT rc = {1, 2, 3, 4};
        EXPECT_FALSE(key->ReadRect("Rect", rc));
        EXPECT_EQ(rc.left + rc.top + rc.right + rc.bottom, 10) << "rect unchanged";
        EXPECT_EQ(key->GetValueType("Text"), 0u);
        EXPECT_FALSE(key->ValueExists("Text"));
    }
    EXPECT_FALSE(gone.WriteInt("Int", 1)) << "writing does not create a deleted key";
}

TEST_F(RegistryKeyTest, StringLimitsAre254CharactersBothWays) {
    ASSERT_TRUE(m_key.WriteString("History", "previous"));
    EXPECT_FALSE(m_key.WriteString("History", std::string(255, 'y')));
    EXPECT_EQ(m_key.ReadString("History", ""), "previous") << "a refused write keeps the stored value";
    EXPECT_TRUE(m_key.WriteString("History", std::string(254, 'y')));
    EXPECT_EQ(m_key.ReadString("History", ""), std::string(254, 'y'));

    struct SCase {
        std::string data; // stored bytes, exactly
        DWORD type;
        std::string expected;
    };
    const SCase cases[] = {
        {std::string(254, 'a') + '\0', REG_SZ, std::string(254, 'a')},
        {std::string(255, 'b') + '\0', REG_SZ, "default"},
        {std::string(300, 'c') + '\0', REG_SZ, "default"},
        {std::string(255, 'd'), REG_SZ, "default"}, // no terminator, fills the buffer
        {"abc", REG_SZ, "abc"},                     // no terminator
        {std::string("%TEMP%\\x") + '\0', REG_EXPAND_SZ, "%TEMP%\\x"},
        {std::string("a\0b\0", 4), REG_MULTI_SZ, "default"},
        {std::string("\x07\0\0\0", 4), REG_DWORD, "default"},
        {"text", REG_BINARY, "default"},
    };
    for (const SCase& c : cases) {
        PutRaw("Raw", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        EXPECT_EQ(m_key.ReadString("Raw", "default"), c.expected)
            << c.data.size() << " bytes, type " << c.type;
    }
}

TEST_F(RegistryKeyTest, ReadIntTakesUpToFourBytesOfAnyType) {
    struct SCase {
        std::string data;
        DWORD type;
        int expected;
    };
    const SCase cases[] = {
        {std::string("\x2a\0\0\0", 4), REG_DWORD, 42},
        {std::string("\xfd\xff\xff\xff", 4), REG_BINARY, -3},
        {std::string("\x05\x01", 2), REG_BINARY, 0x105},
        {std::string("7\0", 2), REG_SZ, '7'},
        {std::string(), REG_BINARY, -99},
        {std::string(8, '\x01'), REG_BINARY, -99}, // longer than an int
    };
    for (const SCase& c : cases) {
        PutRaw("Raw", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        EXPECT_EQ(m_key.ReadInt("Raw", -99), c.expected) << c.data.size() << " bytes";
    }
}

TEST_F(RegistryKeyTest, ReadRectNeedsExactlySixteenBytes) {
    const int32_t twelve[3] = {1, 2, 3};
    PutRaw("Rect", REG_BINARY, twelve, sizeof twelve);
    RECT rc = {9, 9, 9, 9};
    EXPECT_FALSE(m_key.ReadRect("Rect", rc));
    EXPECT_EQ(rc.left, 9);
    const int32_t twenty[5] = {1, 2, 3, 4, 5};
    PutRaw("Rect", REG_BINARY, twenty, sizeof twenty);
    EXPECT_FALSE(m_key.ReadRect("Rect", rc));
    EXPECT_EQ(rc.right, 9);
}

TEST_F(RegistryKeyTest, KeyWithoutPathTouchesNoRootValue) {
    CRegistryKey rootOnly;
    const std::string name = "Velloran test value " + m_path;
    EXPECT_FALSE(rootOnly.WriteString(name.c_str(), "x"));
    EXPECT_FALSE(rootOnly.WriteInt(name.c_str(), 1));
    DWORD type = 0;
    EXPECT_NE(::RegQueryValueExA(HKEY_CURRENT_USER, name.c_str(), nullptr, &type, nullptr, nullptr),
              ERROR_SUCCESS);
    ::RegDeleteValueA(HKEY_CURRENT_USER, name.c_str());
}

} // namespace
