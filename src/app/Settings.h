// The program's settings in the registry: the two keys, their value names and defaults, and the
// helpers the main window and the favourites dialog read and write them with.
#pragma once

#include "app/RegistryKey.h"

#include <cstdint>
#include <string>
#include <vector>

namespace app {

// Both keys live under HKEY_CURRENT_USER.
inline constexpr char kBrowserKeyPath[] = "Software\\Velloran Enemy Territory";
inline constexpr char kFavoritesKeyPath[] = "Software\\Velloran RTCW";

// The search history and the password box text are stored up to 16 KiB each, terminator included;
// any stored length is read.
inline constexpr size_t kMaxStoredText = 16 * 1024 - 1;

// The master servers asked when no other list is stored ("host[:port];host[:port]...").
inline constexpr char kDefaultMaster[] = "master.etlegacy.com:27950;etmaster.idsoftware.com:27950";

// Value names under the main window's key.
namespace value {
inline constexpr char kLayoutPlayer[] = "Tabra_Player";
inline constexpr char kLayoutServer[] = "Tabra_Server";
inline constexpr char kLayoutPlayerOnServer[] = "Tabra_PlayerOnServer";
inline constexpr char kLastPlayers[] = "LastPlayers";
inline constexpr char kPassword[] = "Password";
inline constexpr char kLastPos[] = "LastPos";
inline constexpr char kSplitPos[] = "SplitPos";
inline constexpr char kLastPosMaximized[] = "LastPosMaximized";
inline constexpr char kVersion[] = "Version";
inline constexpr char kAutoClose[] = "AutoClose";
inline constexpr char kAutoRequery[] = "AutoRequery";
inline constexpr char kIncludeEmpty[] = "IncludeEmptyServers";
inline constexpr char kIncludeFull[] = "IncludeFullServers";
inline constexpr char kMaster[] = "Master";
inline constexpr char kSpeed[] = "Speed";
inline constexpr char kLastView[] = "LastView";
inline constexpr char kStartupQuery[] = "StartupQuery";
inline constexpr char kGamePath[] = "ET";
// Under the favourites key.
inline constexpr char kLayoutFavorites[] = "Tabra_Favorites";
inline constexpr char kLastPosFavorites[] = "LastPosFavorites";
} // namespace value

// Points key at HKEY_CURRENT_USER\<path>, creating the key when missing (KEY_ALL_ACCESS).
bool OpenSettingsKey(CRegistryKey& key, const char* path);

// Version box index: values above 3 become 3, values below 0 become 1.
inline constexpr int kVersionItems = 4;
inline constexpr int kDefaultVersion = 3; // "2.60b", protocol 84
int ClampVersion(int version);

// The number of items of the Speed box.
inline constexpr int kSpeedItems = 6;

// value when it lies in low..high, else fallback (a stored index that names no item).
int InRangeOr(int value, int low, int high, int fallback);

// The options dialog's values.
struct SOptions {
    bool autoClose = true;
    bool autoRequery = false;
    int startupQuery = 0; // 0 nothing, 1 favourites, 2 master
};

// AutoClose, AutoRequery and StartupQuery, each with its default when missing or unreadable.
SOptions ReadOptions(const CRegistryKey& key);

// What the main window keeps between runs (without the table layouts).
struct SBrowserSettings {
    std::string lastPlayers;
    std::string password;
    bool hasLastPos = false;
    RECT lastPos = {};      // screen coordinates, normalised: the normal (restored) rectangle
    bool maximized = false; // whether the window opens maximised over lastPos
    int splitPos = 0;       // percent of the client width; 0 keeps the template position
    int version = kDefaultVersion;
    bool autoClose = true;
    bool autoRequery = false;
    bool includeEmpty = false;
    bool includeFull = true;
    std::string master = kDefaultMaster;
    int speed = 1;        // 0..kSpeedItems-1; anything else stored reads as the default
    int lastView = 0;     // 0 Player list, 1 Server list; anything else stored reads as the default
    int startupQuery = 0; // 0 nothing, 1 favourites, 2 master
};

// Reads every value of the main window's key; a missing or unreadable value takes its default.
SBrowserSettings ReadBrowserSettings(const CRegistryKey& key);

// Writes what the main window stores on closing. A history or password longer than kMaxStoredText is not
// written, so the stored one stays. LastPos, LastPosMaximized and SplitPos only with placement (the main
// window leaves them out while minimised). AutoClose, AutoRequery and StartupQuery belong to the
// options dialog (WriteOptions).
void WriteBrowserSettings(const CRegistryKey& key, const SBrowserSettings& settings, bool placement);

// The options dialog's values, written when it is confirmed.
void WriteOptions(const CRegistryKey& key, bool autoClose, bool autoRequery, int startupQuery);

// LastPos with left <= right and top <= bottom.
RECT NormalizeRect(const RECT& rect);

// Whether a stored main window rectangle is applied: at least as wide as the template.
bool IsUsableMainPos(const RECT& stored, int minWidth);
// Whether a stored favourites rectangle is applied: wider than the template.
bool IsUsableFavoritesPos(const RECT& stored, int templateWidth);

// Table layouts as REG_BINARY word arrays, 2 bytes per word (little-endian, as the words lie in memory).
//
// ReadLayout starts from the table's current layout and overwrites as many leading words as the stored
// value holds; a missing value, one longer than the current layout or an unreadable key leaves the words
// as they were. The result is for the table's SetLayout, which rejects what does not match the table.
void ReadLayout(const CRegistryKey& key, const char* name, std::vector<uint16_t>& words);
bool WriteLayout(const CRegistryKey& key, const char* name, const std::vector<uint16_t>& words);

} // namespace app
