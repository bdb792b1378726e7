// Scoped owners of the GDI and registry handles that drawing and settings code juggles: each gives its
// handle back (restores, releases, deletes, closes) when it goes out of scope, also on an exception.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

namespace win {

// Selects an object into a context; the previous object goes back at the end of the scope.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~CSelectObject() { ::SelectObject(m_dc, m_previous); }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// Saves the state of a context; it is restored at the end of the scope.
class CSaveDC {
public:
    explicit CSaveDC(HDC dc) : m_dc(dc), m_saved(::SaveDC(dc)) {}
    ~CSaveDC() { ::RestoreDC(m_dc, m_saved); }
    CSaveDC(const CSaveDC&) = delete;
    CSaveDC& operator=(const CSaveDC&) = delete;

private:
    HDC m_dc;
    int m_saved;
};

// Owns a handle of type T and gives it back with Release()(handle) when it is replaced or goes out of
// scope. Movable, not copyable.
template <class T, class Release> class COwnedHandle {
public:
    explicit COwnedHandle(T handle = nullptr) : m_handle(handle) {}
    ~COwnedHandle() { Reset(); }
    COwnedHandle(COwnedHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    COwnedHandle& operator=(COwnedHandle&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.m_handle, nullptr));
        return *this;
    }
    COwnedHandle(const COwnedHandle&) = delete;
    COwnedHandle& operator=(const COwnedHandle&) = delete;

    T Get() const { return m_handle; }
    operator T() const { return m_handle; }
    void Reset(T handle = nullptr) {
        if (m_handle)
            Release()(m_handle);
        m_handle = handle;
    }

private:
    T m_handle;
};

struct SDeleteObject {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};

// Owns a GDI object (pen, brush, bitmap, font) and deletes it. Select it out of every context first.
template <class T> using CGdiObject = COwnedHandle<T, SDeleteObject>;

using CBrush = CGdiObject<HBRUSH>;
using CPen = CGdiObject<HPEN>;
using CBitmap = CGdiObject<HBITMAP>;
using CFont = CGdiObject<HFONT>;

// The context of a window (of the screen for nullptr), released at the end of the scope.
class CWindowDC {
public:
    explicit CWindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~CWindowDC() {
        if (m_dc)
            ::ReleaseDC(m_hwnd, m_dc);
    }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;
    operator HDC() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// BeginPaint and EndPaint of a window's WM_PAINT.
class CPaintDC {
public:
    explicit CPaintDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::BeginPaint(hwnd, &m_ps)) {}
    ~CPaintDC() { ::EndPaint(m_hwnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    operator HDC() const { return m_dc; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps = {};
    HDC m_dc;
};

// A memory context compatible with another, deleted at the end of the scope.
class CMemoryDC {
public:
    explicit CMemoryDC(HDC compatible) : m_dc(::CreateCompatibleDC(compatible)) {}
    ~CMemoryDC() {
        if (m_dc)
            ::DeleteDC(m_dc);
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    operator HDC() const { return m_dc; }

private:
    HDC m_dc;
};

// An open registry key, closed at the end of the scope.
class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey() { Close(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    bool Open(HKEY root, const char* subkey, REGSAM access = KEY_QUERY_VALUE) {
        Close();
        return ::RegOpenKeyExA(root, subkey, 0, access, &m_key) == ERROR_SUCCESS;
    }
    void Close() {
        if (m_key)
            ::RegCloseKey(m_key);
        m_key = nullptr;
    }
    bool IsOpen() const { return m_key != nullptr; }
    operator HKEY() const { return m_key; }

    // A REG_DWORD value; nothing when it is missing or of another type.
    std::optional<DWORD> QueryDword(const char* name) const {
        DWORD type = 0;
        DWORD value = 0;
        DWORD size = sizeof value;
        if (!m_key ||
            ::RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD)
            return std::nullopt;
        return value;
    }
    // A REG_SZ or REG_EXPAND_SZ value of at most 255 bytes; nothing when it is missing, longer or of
    // another type.
    std::optional<std::string> QueryString(const char* name) const {
        char buffer[256] = {};
        DWORD type = 0;
        DWORD size = sizeof buffer - 1;
        if (!m_key ||
            ::RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
                ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        return std::string(buffer);
    }

private:
    HKEY m_key = nullptr;
};

} // namespace win
