// A private registry key per test under HKEY_CURRENT_USER of the test's Wine prefix, deleted afterwards,
// with raw access that bypasses the classes under test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace testsupport {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::string("Software\\Velloran Tests\\") + info->test_suite_name() + "." + info->name();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
    }
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str()); }

    void PutRaw(const char* name, DWORD type, const void* data, DWORD size) {
        EXPECT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, m_path.c_str(), name, type, data, size),
                  ERROR_SUCCESS);
    }
    void PutInt(const char* name, int v) { PutRaw(name, REG_DWORD, &v, sizeof v); }
    void PutText(const char* name, const std::string& text) {
        PutRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    // The stored bytes of a value and its type; type 0 when it is missing.
    std::string GetRaw(const char* name, DWORD& type) {
        char buffer[2048];
        DWORD size = sizeof buffer;
        type = 0;
        if (::RegGetValueA(HKEY_CURRENT_USER, m_path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, buffer,
                           &size) != ERROR_SUCCESS)
            return "";
        return std::string(buffer, size);
    }
    std::string GetText(const char* name) {
        DWORD type = 0;
        const std::string data = GetRaw(name, type);
        return type == REG_SZ ? data.substr(0, data.find('\0')) : "<missing>";
    }
    int GetInt(const char* name) {
        int v = -12345;
        GetBytes(name, &v, sizeof v);
        return v;
    }
    RECT GetRect(const char* name) {
        RECT rc = {-1, -1, -1, -1};
        GetBytes(name, &rc, sizeof rc);
        return rc;
    }

    std::string m_path;

private:
    void GetBytes(const char* name, void* out, size_t size) {
        DWORD type = 0;
        const std::string data = GetRaw(name, type);
        if (data.size() == size)
            memcpy(out, data.data(), size);
    }
};

} // namespace testsupport
