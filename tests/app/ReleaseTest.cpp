// The program's own resources, read from the built velloran.exe: the application manifest (modern
// common controls, DPI awareness, no elevation) and the version numbers of the file VERSION.
#include "velloran/Version.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(ReleaseTest, ManifestAsksForModernControlsDpiAwarenessAndNoElevationAndTheVersionMatches) {
    // velloran.exe beside this test's build folder: <build>/tests/app/ and <build>/src/app/.
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string path = std::string(self, std::strrchr(self, '\\')) + "\\..\\..\\src\\app\\velloran.exe";
    HMODULE exe = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr) << path;
    HRSRC found = ::FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(exe, found))),
                               ::SizeofResource(exe, found));
    ::FreeLibrary(exe);
    for (const char* part : {"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "level=\"asInvoker\"",
                             "PerMonitorV2", ">true</dpiAware>", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;

    std::vector<char> block(::GetFileVersionInfoSizeA(path.c_str(), nullptr));
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(std::vector({HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                           HIWORD(fixed->dwFileVersionLS)}),
              std::vector<WORD>({VELLORAN_VERSION_MAJOR, VELLORAN_VERSION_MINOR, VELLORAN_VERSION_PATCH}));
}

} // namespace
