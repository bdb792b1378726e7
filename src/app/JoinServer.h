// Joining a server: the game client ET.exe started with a connect command on its command line, with
// the password the user chose, in the client's own folder.
//
// The client runs the text after "connect" as console commands, so only a password that stays inside
// its double quotes is passed on: one with a double quote or a control character is refused.
#pragma once

#include "app/RegistryKey.h"
#include "query/GameServer.h"

#include <windows.h>

#include <string>

namespace app {

class CServerLists;

inline constexpr char kAmbiguousPasswords[] = "Ambiguous passwords! Use the favorite one (%s)?";
inline constexpr char kUnsafePassword[] =
    "This password cannot be used to join: it contains a double quote, a line break or another control "
    "character (such as a tab).\n\nThe game would run the rest of it as console commands. Nothing was "
    "started.";

// Whether a password stays inside its double quotes on the command line: no '"' and no control
// character (below 32, or 127).
bool IsSafePassword(const std::string& password);

// The arguments after the client path, beginning with a blank: " connect <address>" without a
// password, " connect \"<address>\"; password \"<password>\"" with one.
std::string JoinArguments(const std::string& address, const std::string& password);

// The folder of a client path: everything before its last backslash; "" when it has none.
std::string ClientFolder(const std::string& path);

// The record a join is for: on the Server list the Server table's selected row, else the Player
// table's; nullptr when that row is missing or names no record.
query::CGameServer* JoinTarget(CServerLists& lists);

// Joins server with the password box's text (trimmed). When both it and the favourite's password are
// set and differ, the user chooses (Yes: the favourite's, No: the box's, Cancel: no join). The client
// path is the "ET" value of key; while the client cannot be started the user is asked for ET.exe, whose
// path is then stored. The current folder is the client's while it starts and is restored afterwards.
// Returns true when the client was started. Message boxes and the file dialog belong to owner.
bool JoinServer(HWND owner, const CRegistryKey& key, const query::CGameServer& server,
                const std::string& boxText);

} // namespace app
