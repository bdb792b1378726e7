#include "app/JoinServer.h"

#include "app/ServerMenu.h"
#include "app/Settings.h"
#include "base/TextUtil.h"
#include "win/ErrorReport.h"
#include "win/FileDialog.h"

#include <cstdio>
#include <vector>

namespace app {

namespace {

constexpr char kClientFilter[] = "ET.exe|ET.exe||";
constexpr char kClientName[] = "ET.exe";

// Puts the current folder back when it ends, whether or not the client was started.
class CSavedFolder {
public:
    CSavedFolder() {
        std::vector<char> buffer(MAX_PATH * 4, '\0');
        DWORD length = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length > 0 && length < buffer.size())
            m_folder.assign(buffer.data(), length);
    }
    ~CSavedFolder() {
        if (!m_folder.empty())
            ::SetCurrentDirectoryA(m_folder.c_str());
    }
    CSavedFolder(const CSavedFolder&) = delete;
    CSavedFolder& operator=(const CSavedFolder&) = delete;

private:
    std::string m_folder;
};

// The password to join with, or false when the user cancelled the choice between two passwords.
bool ChoosePassword(HWND owner, const std::string& box, const std::string& favorite, std::string& chosen) {
    chosen = box;
    if (box.empty() || favorite.empty() || box == favorite)
        return true;
    std::vector<char> text(sizeof kAmbiguousPasswords + favorite.size());
    std::snprintf(text.data(), text.size(), kAmbiguousPasswords, favorite.c_str());
    switch (win::ShowMessage(owner, text.data(), MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        chosen = favorite;
        return true;
    case IDNO:
        return true;
    default:
        return false;
    }
}

bool StartClient(const std::string& path, const std::string& arguments) {
    ::SetCurrentDirectoryA(ClientFolder(path).c_str());
    const std::string commandLine = "\"" + path + "\"" + arguments;
    return ::WinExec(commandLine.c_str(), SW_SHOWNORMAL) > 31;
}

} // namespace

bool IsSafePassword(const std::string& password) {
    for (char c : password) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte < 32 || byte == 127)
            return false;
    }
    return true;
}

std::string JoinArguments(const std::string& address, const std::string& password) {
    if (password.empty())
        return " connect " + address;
    return " connect \"" + address + "\"; password \"" + password + "\"";
}

std::string ClientFolder(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

query::CGameServer* JoinTarget(CServerLists& lists) {
    const bool servers = lists.GetView() == CServerLists::VIEW_SERVERS;
    Tabra::CTableCtrl& table = servers ? lists.ServerTable() : lists.PlayerTable();
    return RecordOfRow(lists, servers, table.GetSelectedRow());
}

bool JoinServer(HWND owner, const CRegistryKey& key, const query::CGameServer& server,
                const std::string& boxText) {
    std::string box = boxText;
    base::TrimText(box);
    std::string password;
    if (!ChoosePassword(owner, box, server.password, password))
        return false;
    if (!IsSafePassword(password)) {
        win::ShowMessage(owner, kUnsafePassword, MB_OK | MB_ICONSTOP);
        return false;
    }
    const std::string arguments = JoinArguments(server.address.ToText(), password);

    CSavedFolder saved;
    std::string path = key.ReadString(value::kGamePath, "");
    while (!StartClient(path, arguments)) {
        path = kClientName;
        if (!win::AskOpenFileName(owner, kClientFilter, nullptr, path, OFN_HIDEREADONLY))
            return false;
        key.WriteString(value::kGamePath, path);
    }
    return true;
}

} // namespace app
