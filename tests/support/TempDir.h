// A temporary folder removed with its files at the end, and whole-file reading.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testsupport {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CTempDir {
public:
    CTempDir() {
        static std::atomic<int> count{0};
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path = (std::filesystem::temp_directory_path() /
                  ("velloran-test-" + std::to_string(now) + "-" + std::to_string(++count)))
                     .string();
        std::filesystem::create_directories(m_path);
    }
    ~CTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const {
        return (std::filesystem::path(m_path) / name).string();
    }

private:
    std::string m_path;
};

} // namespace testsupport
