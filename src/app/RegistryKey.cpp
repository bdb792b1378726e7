#include "app/RegistryKey.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace app {

namespace {

// Closes an opened key at the end of a scope.
class CKeyCloser {
public:
    explicit CKeyCloser(HKEY key) : m_key(key) {}
    ~CKeyCloser() {
        if (m_key)
            ::RegCloseKey(m_key);
    }
    CKeyCloser(const CKeyCloser&) = delete;
    CKeyCloser& operator=(const CKeyCloser&) = delete;
    HKEY Get() const { return m_key; }

private:
    HKEY m_key;
};

} // namespace

bool CRegistryKey::SetRoot(HKEY root) {
    if (root != HKEY_CLASSES_ROOT && root != HKEY_CURRENT_USER && root != HKEY_LOCAL_MACHINE &&
        root != HKEY_USERS)
        return false;
    m_root = root;
    return true;
}

bool CRegistryKey::SetSubKey(const std::string& path, bool create, REGSAM access) {
    if (path.empty()) {
        m_subKey.clear();
        return true;
    }
    HKEY key = nullptr;
    LONG status;
    if (create)
        status = ::RegCreateKeyExA(m_root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                   &key, nullptr);
    else
        status = ::RegOpenKeyExA(m_root, path.c_str(), 0, access, &key);
    if (status != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    m_subKey = path;
    return true;
}

void CRegistryKey::Clear() {
    m_subKey.clear();
    m_root = HKEY_CURRENT_USER;
}

HKEY CRegistryKey::Open(REGSAM access) const {
    if (m_subKey.empty())
        return nullptr;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(m_root, m_subKey.c_str(), 0, access, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

DWORD CRegistryKey::GetValueType(const char* name) const {
    CKeyCloser key(Open(KEY_QUERY_VALUE));
    if (!key.Get())
        return 0;
    DWORD type = 0;
    if (::RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return type;
}

bool CRegistryKey::ValueExists(const char* name) const {
    CKeyCloser key(Open(KEY_ALL_ACCESS));
    return key.Get() &&
           ::RegQueryValueExA(key.Get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string CRegistryKey::ReadString(const char* name, const std::string& defaultValue,
                                     size_t maxLength) const {
    DWORD type = GetValueType(name);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return defaultValue;
    CKeyCloser key(Open(KEY_READ));
    if (!key.Get())
        return defaultValue;
    DWORD size = 0;
    if (::RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return defaultValue;
    // One byte more than the value, so that a text without terminator still ends in one.
    std::string buffer(size_t{size} + 1, '\0');
    if (::RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return defaultValue;
    // The stored data need not end with a zero; never read past what was returned.
    buffer.resize(::strnlen(buffer.c_str(), std::min<size_t>(size, buffer.size())));
    if (buffer.size() > maxLength)
        return defaultValue;
    return buffer;
}

int CRegistryKey::ReadInt(const char* name, int defaultValue) const {
    CKeyCloser key(Open(KEY_READ));
    if (!key.Get())
        return defaultValue;
    unsigned char bytes[4] = {};
    DWORD size = sizeof bytes;
    if (::RegQueryValueExA(key.Get(), name, nullptr, nullptr, bytes, &size) != ERROR_SUCCESS || size == 0)
        return defaultValue;
    // Shorter values are zero-extended (little-endian, as REG_DWORD).
    uint32_t value = 0;
    for (DWORD i = 0; i < size; ++i)
        value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return static_cast<int>(value);
}

bool CRegistryKey::ReadRect(const char* name, RECT& rect) const {
    int32_t values[4] = {};
    if (ReadBinary(name, values, sizeof values) != static_cast<long>(sizeof values))
        return false;
    rect = RECT{values[0], values[1], values[2], values[3]};
    return true;
}

long CRegistryKey::ReadBinary(const char* name, void* buffer, DWORD size) const {
    if (!buffer)
        return -1; // a null buffer would only query the size
    CKeyCloser key(Open(KEY_READ));
    if (!key.Get())
        return -1;
    DWORD read = size;
    if (::RegQueryValueExA(key.Get(), name, nullptr, nullptr, static_cast<BYTE*>(buffer), &read) !=
            ERROR_SUCCESS ||
        read > size)
        return -1;
    return static_cast<long>(read);
}

bool CRegistryKey::WriteString(const char* name, const std::string& text, size_t maxLength) const {
    if (text.size() > maxLength)
        return false;
    CKeyCloser key(Open(KEY_WRITE));
    return key.Get() &&
           ::RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool CRegistryKey::WriteInt(const char* name, int value) const {
    DWORD data = static_cast<DWORD>(value);
    CKeyCloser key(Open(KEY_WRITE));
    return key.Get() && ::RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                         sizeof data) == ERROR_SUCCESS;
}

bool CRegistryKey::WriteRect(const char* name, const RECT& rect) const {
    const int32_t values[4] = {static_cast<int32_t>(rect.left), static_cast<int32_t>(rect.top),
                               static_cast<int32_t>(rect.right), static_cast<int32_t>(rect.bottom)};
    return WriteBinary(name, values, sizeof values);
}

bool CRegistryKey::WriteBinary(const char* name, const void* data, DWORD size) const {
    CKeyCloser key(Open(KEY_WRITE));
    return key.Get() && ::RegSetValueExA(key.Get(), name, 0, REG_BINARY, static_cast<const BYTE*>(data),
                                         size) == ERROR_SUCCESS;
}

} // namespace app
