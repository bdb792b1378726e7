#include "app/Settings.h"

#include <algorithm>
#include <cstring>

namespace app {

bool OpenSettingsKey(CRegistryKey& key, const char* path) {
    key.SetRoot(HKEY_CURRENT_USER);
    return key.SetSubKey(path, true, KEY_ALL_ACCESS);
}

int ClampVersion(int version) {
    if (version < 0)
        return 1;
    return std::min(version, kVersionItems - 1);
}

int InRangeOr(int value, int low, int high, int fallback) {
    return value < low || value > high ? fallback : value;
}

SOptions ReadOptions(const CRegistryKey& key) {
    SOptions o;
    o.autoClose = key.ReadInt(value::kAutoClose, 1) != 0;
    o.autoRequery = key.ReadInt(value::kAutoRequery, 0) != 0;
    o.startupQuery = key.ReadInt(value::kStartupQuery, o.startupQuery);
    return o;
}

SBrowserSettings ReadBrowserSettings(const CRegistryKey& key) {
    SBrowserSettings s;
    s.lastPlayers = key.ReadString(value::kLastPlayers, s.lastPlayers, std::string::npos);
    s.password = key.ReadString(value::kPassword, s.password, std::string::npos);
    s.hasLastPos = key.ReadRect(value::kLastPos, s.lastPos);
    s.maximized = key.ReadInt(value::kLastPosMaximized, 0) != 0;
    s.splitPos = key.ReadInt(value::kSplitPos, s.splitPos);
    s.version = ClampVersion(key.ReadInt(value::kVersion, s.version));
    const SOptions options = ReadOptions(key);
    s.autoClose = options.autoClose;
    s.autoRequery = options.autoRequery;
    s.includeEmpty = key.ReadInt(value::kIncludeEmpty, 0) != 0;
    s.includeFull = key.ReadInt(value::kIncludeFull, 1) != 0;
    s.master = key.ReadString(value::kMaster, s.master);
    s.speed = InRangeOr(key.ReadInt(value::kSpeed, s.speed), 0, kSpeedItems - 1, s.speed);
    s.lastView = InRangeOr(key.ReadInt(value::kLastView, s.lastView), 0, 1, s.lastView);
    s.startupQuery = options.startupQuery;
    return s;
}

void WriteBrowserSettings(const CRegistryKey& key, const SBrowserSettings& s, bool placement) {
    key.WriteInt(value::kSpeed, s.speed);
    key.WriteInt(value::kVersion, s.version);
    key.WriteInt(value::kLastView, s.lastView);
    key.WriteInt(value::kIncludeEmpty, s.includeEmpty ? 1 : 0);
    key.WriteInt(value::kIncludeFull, s.includeFull ? 1 : 0);
    key.WriteString(value::kMaster, s.master);
    key.WriteString(value::kLastPlayers, s.lastPlayers, kMaxStoredText);
    key.WriteString(value::kPassword, s.password, kMaxStoredText);
    if (placement) {
        key.WriteRect(value::kLastPos, NormalizeRect(s.lastPos));
        key.WriteInt(value::kLastPosMaximized, s.maximized ? 1 : 0);
        key.WriteInt(value::kSplitPos, s.splitPos);
    }
}

void WriteOptions(const CRegistryKey& key, bool autoClose, bool autoRequery, int startupQuery) {
    key.WriteInt(value::kAutoClose, autoClose ? 1 : 0);
    key.WriteInt(value::kAutoRequery, autoRequery ? 1 : 0);
    key.WriteInt(value::kStartupQuery, startupQuery);
}

RECT NormalizeRect(const RECT& rect) {
    return RECT{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
                std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
}

bool IsUsableMainPos(const RECT& stored, int minWidth) {
    return stored.right - stored.left >= minWidth;
}

bool IsUsableFavoritesPos(const RECT& stored, int templateWidth) {
    return stored.right - stored.left > templateWidth;
}

void ReadLayout(const CRegistryKey& key, const char* name, std::vector<uint16_t>& words) {
    if (words.empty())
        return;
    std::vector<uint16_t> stored(words);
    long read = key.ReadBinary(name, stored.data(), static_cast<DWORD>(stored.size() * sizeof(uint16_t)));
    if (read > 0)
        std::memcpy(words.data(), stored.data(), static_cast<size_t>(read));
}

bool WriteLayout(const CRegistryKey& key, const char* name, const std::vector<uint16_t>& words) {
    return key.WriteBinary(name, words.data(), static_cast<DWORD>(words.size() * sizeof(uint16_t)));
}

} // namespace app
