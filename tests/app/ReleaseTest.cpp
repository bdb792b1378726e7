// The program's own resources, read from the built velloran.exe: the application manifest (modern
// common controls, DPI awareness, no elevation) and the version record that matches the file VERSION.
#include "velloran/Version.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

// velloran.exe beside this test's build folder: <build>/tests/app/ and <build>/src/app/.
std::string ProgramPath() {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self);
    path.resize(path.find_last_of("\\/"));
    return path + "\\..\\..\\src\\app\\velloran.exe";
}

std::string VersionValue(std::vector<char>& block, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
        return "<missing>";
    return std::string(value, length ? length - 1 : 0);
}

TEST(ReleaseTest, ManifestAsksForModernControlsDpiAwarenessAndNoElevation) {
    HMODULE exe = ::LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr) << ProgramPath();
    HRSRC found = ::FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(exe, found))),
                               ::SizeofResource(exe, found));
    ::FreeLibrary(exe);
    for (const char* part : {"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "level=\"asInvoker\"",
                             "PerMonitorV2", ">true</dpiAware>", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
}

TEST(ReleaseTest, VersionRecordMatchesTheRepositoryVersion) {
    const std::string path = ProgramPath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), VELLORAN_VERSION_MAJOR);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), VELLORAN_VERSION_MINOR);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), VELLORAN_VERSION_PATCH);
    EXPECT_EQ(VersionValue(block, "ProductVersion"), VELLORAN_VERSION);
    EXPECT_EQ(VersionValue(block, "FileVersion"), VELLORAN_VERSION);
    EXPECT_EQ(VersionValue(block, "ProductName"), "Velloran");
    EXPECT_NE(VersionValue(block, "LegalCopyright").find("Velloran team"), std::string::npos);
}

} // namespace
