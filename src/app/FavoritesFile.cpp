#include "app/FavoritesFile.h"

#include "base/Error.h"
#include "base/TextUtil.h"
#include "win/FileSave.h"

#include <windows.h>

#include <algorithm>

namespace app {

namespace {

[[noreturn]] void Fail(const char* action, const std::string& path, DWORD code) {
    throw base::CError(std::string("Could not ") + action + " \"" + path +
                           "\": " + win::SystemErrorText(code),
                       static_cast<int>(code));
}

// Closes a file handle at the end of a scope.
class CFileHandle {
public:
    explicit CFileHandle(HANDLE handle) : m_handle(handle) {}
    ~CFileHandle() { Close(); }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    bool Close() {
        const bool closed = !IsOpen() || ::CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
};

// Whether a host text may name a host: a dotted address or a name of letters, digits, '-', '_', '.'.
bool IsHostText(const std::string& host) {
    return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
               c == '_' || c == '.';
    });
}

} // namespace

bool ReadFileBytes(const std::string& path, std::string& content) {
    content.clear();
    CFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return false;
        Fail("read", path, code);
    }
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr))
            Fail("read", path, ::GetLastError());
        if (read == 0)
            return true;
        content.append(buffer, read);
    }
}

std::vector<SFavorite> ReadFavoritesFile(const std::string& path) {
    std::string content;
    return ReadFileBytes(path, content) ? ParseFavorites(content) : std::vector<SFavorite>{};
}

void ReplaceFileContent(const std::string& path, const std::string& content) {
    DWORD code = 0;
    if (!win::SaveFileReplacing(path, content, code))
        Fail("save", path, code);
}

void WriteFavoritesFile(const std::string& path, const std::vector<SFavorite>& favorites) {
    std::string content;
    for (const SFavorite& favorite : favorites)
        content += FavoriteLine(favorite);
    ReplaceFileContent(path, content);
}

net::CSockAddr FavoriteAddress(std::string text) {
    base::TrimText(text);
    net::CSockAddr address(INADDR_NONE, kDefaultGamePort);
    if (!IsHostText(text.substr(0, text.find_first_of("[:"))))
        return address;
    address.SetFromText(text);
    if (address.GetPort() == 0)
        address.SetPort(kDefaultGamePort);
    return address;
}

bool IsResolved(const net::CSockAddr& address) {
    return address.GetAddress() != INADDR_NONE;
}

} // namespace app
