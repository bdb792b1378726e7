// CClipboard: the clipboard opened for the lifetime of the object, for text and delayed rendering.
//
// Delayed rendering: while open, Announce(format) puts the format without data; when a reader later
// asks for it, the owner window gets WM_RENDERFORMAT (CWnd::OnRenderFormat) and answers with
// RenderClipboardText, without opening the clipboard.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace win {

class CClipboard {
public:
    // Opens the clipboard for owner, retrying briefly while another program holds it.
    explicit CClipboard(HWND owner);
    ~CClipboard();
    CClipboard(const CClipboard&) = delete;
    CClipboard& operator=(const CClipboard&) = delete;

    bool IsOpen() const { return m_open; }
    // Empties the clipboard and makes the owner window its owner.
    bool Empty();
    // Puts text (CF_TEXT, with its terminating NUL) now.
    bool SetText(const std::string& text);
    // Puts a format without data, to be rendered on WM_RENDERFORMAT.
    bool Announce(UINT format);
    // The CF_TEXT content up to its first NUL; nothing when there is none.
    std::optional<std::string> GetText();

private:
    bool m_open;
};

// Hands bytes to the clipboard as a movable global block of exactly bytes.size() bytes (the caller
// includes any terminating NUL). For use inside WM_RENDERFORMAT or while the clipboard is open.
bool RenderClipboardData(UINT format, const std::string& bytes);
// Hands text with its terminating NUL as CF_TEXT.
bool RenderClipboardText(const std::string& text);

} // namespace win
