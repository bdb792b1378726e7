#include "win/Clipboard.h"

#include <cstring>

namespace win {

CClipboard::CClipboard(HWND owner) : m_open(false) {
    // Another program may hold the clipboard for a moment; give it up to about half a second.
    for (int attempt = 0; attempt < 25 && !m_open; ++attempt) {
        m_open = ::OpenClipboard(owner) != FALSE;
        if (!m_open)
            ::Sleep(20);
    }
}

CClipboard::~CClipboard() {
    if (m_open)
        ::CloseClipboard();
}

bool CClipboard::Empty() {
    return m_open && ::EmptyClipboard();
}

bool CClipboard::SetText(const std::string& text) {
    return m_open && RenderClipboardText(text);
}

bool CClipboard::Announce(UINT format) {
    // SetClipboardData answers null for a delayed format, so success is read from the last error.
    if (!m_open)
        return false;
    ::SetLastError(0);
    ::SetClipboardData(format, nullptr);
    return ::GetLastError() == 0;
}

std::optional<std::string> CClipboard::GetText() {
    if (!m_open)
        return std::nullopt;
    HANDLE data = ::GetClipboardData(CF_TEXT);
    if (!data)
        return std::nullopt;
    const char* p = static_cast<const char*>(::GlobalLock(data));
    if (!p)
        return std::nullopt;
    size_t size = ::GlobalSize(data);
    std::string text(p, strnlen(p, size));
    ::GlobalUnlock(data);
    return text;
}

bool RenderClipboardData(UINT format, const std::string& bytes) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes.size() ? bytes.size() : 1);
    if (!block)
        return false;
    void* p = ::GlobalLock(block);
    if (!p) {
        ::GlobalFree(block);
        return false;
    }
    std::memcpy(p, bytes.data(), bytes.size());
    ::GlobalUnlock(block);
    if (!::SetClipboardData(format, block)) {
        ::GlobalFree(block);
        return false;
    }
    return true;
}

bool RenderClipboardText(const std::string& text) {
    return RenderClipboardData(CF_TEXT, std::string(text.c_str(), text.size() + 1));
}

} // namespace win
