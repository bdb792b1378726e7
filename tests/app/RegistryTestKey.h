// A private registry key per test under HKEY_CURRENT_USER of the test's Wine prefix, deleted afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace apptest {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::string("Software\\Velloran Tests\\") + info->test_suite_name() + "." + info->name();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
    }
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str()); }

    // Stores raw data under the test key, bypassing the class under test.
    void PutRaw(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        ::RegCloseKey(key);
    }

    // The raw data and type of a value, or false when it is missing.
    bool GetRaw(const char* name, DWORD& type, std::string& data) {
        BYTE buffer[2048];
        DWORD size = sizeof buffer;
        if (::RegGetValueA(HKEY_CURRENT_USER, m_path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, buffer,
                           &size) != ERROR_SUCCESS)
            return false;
        data.assign(reinterpret_cast<char*>(buffer), size);
        return true;
    }

    std::string m_path;
};

} // namespace apptest
