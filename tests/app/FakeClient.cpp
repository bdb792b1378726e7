// A stand-in for the game client ET.exe: appends its command line and its current folder, one line
// each, to launch.txt beside itself, and exits.
#include <windows.h>

#include <string>

int main() {
    char module[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string log = module;
    log = log.substr(0, log.rfind('\\') + 1) + "launch.txt";
    char folder[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, folder);
    const std::string entry = std::string(::GetCommandLineA()) + "\n" + folder + "\n";
    // One write, so that a reader never sees half an entry.
    HANDLE file = ::CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    ::WriteFile(file, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok ? 0 : 1;
}
