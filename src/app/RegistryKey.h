// CRegistryKey: a registry key location (root and subkey path) with typed value reading and writing.
//
// No handle is kept: every operation opens the key, does its work and closes it again. Failures are
// silent: reads give the caller's default, writes return false.
#pragma once

#include <windows.h>

#include <string>

namespace app {

class CRegistryKey {
public:
    // Longest text ReadString and WriteString take unless the caller gives another bound.
    static constexpr size_t kMaxStringLength = 254;

    CRegistryKey() = default;
    ~CRegistryKey() { Clear(); }

    // Accepts only HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and HKEY_USERS; anything
    // else returns false and changes nothing.
    bool SetRoot(HKEY root);
    HKEY GetRoot() const { return m_root; }

    // Opens (or, with create, creates) the key with the given access to check it; stores the path only
    // on success. An empty path empties the stored path and returns true.
    bool SetSubKey(const std::string& path, bool create, REGSAM access);
    const std::string& GetSubKey() const { return m_subKey; }

    // Empties the path and sets the root back to HKEY_CURRENT_USER.
    void Clear();

    // The value's registry type, 0 when the key or the value is missing.
    DWORD GetValueType(const char* name) const;
    bool ValueExists(const char* name) const;

    // A REG_SZ or REG_EXPAND_SZ value of at most maxLength characters (not expanded); otherwise the
    // default. std::string::npos reads any length.
    std::string ReadString(const char* name, const std::string& defaultValue,
                           size_t maxLength = kMaxStringLength) const;
    // Up to 4 bytes, whatever the type; the default on any failure.
    int ReadInt(const char* name, int defaultValue) const;
    // Exactly 16 bytes: left, top, right, bottom. rect is unchanged on failure.
    bool ReadRect(const char* name, RECT& rect) const;
    // Raw bytes into buffer (at most size bytes); returns the byte count read, -1 on failure. A value
    // longer than the buffer fails, and what the buffer then holds is unspecified.
    long ReadBinary(const char* name, void* buffer, DWORD size) const;

    // REG_SZ with its terminating zero; a text longer than maxLength characters is not written (false).
    bool WriteString(const char* name, const std::string& text, size_t maxLength = kMaxStringLength) const;
    bool WriteInt(const char* name, int value) const;         // REG_DWORD
    bool WriteRect(const char* name, const RECT& rect) const; // REG_BINARY, 16 bytes
    bool WriteBinary(const char* name, const void* data, DWORD size) const;

private:
    // Opens the stored key. A location without a subkey path opens nothing, so that no value is ever
    // read from or written to a root key itself.
    HKEY Open(REGSAM access) const;

    HKEY m_root = HKEY_CURRENT_USER;
    std::string m_subKey;
};

} // namespace app
