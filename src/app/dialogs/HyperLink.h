// CHyperLink: a static text that opens its target (a web page, a mail address) when clicked.
//
// The link is a tab stop; Space, Enter and its mnemonic open it as a click does.
#pragma once

#include "win/Window.h"

#include <functional>
#include <string>

namespace Ovix {

class CHyperLink : public win::CWnd {
public:
    enum : unsigned {
        UNDERLINE = 0x01,
        HOVER_COLOUR = 0x02,
        SIZE_TO_TEXT = 0x04,
        OPEN_ON_DOWN = 0x08,
        FOCUS_ON_CLICK = 0x10,
        NO_HAND_CURSOR = 0x20,
        NO_FOCUS_COLOUR = 0x40,
        DEFAULT_OPTIONS = UNDERLINE | SIZE_TO_TEXT | FOCUS_ON_CLICK,
    };
    static constexpr COLORREF kLinkColour = RGB(0, 0, 255);
    static constexpr COLORREF kVisitedColour = RGB(128, 0, 128);
    static constexpr COLORREF kFocusColour = RGB(0, 128, 128);
    static constexpr COLORREF kHoverColour = RGB(255, 0, 0);

    // Opens a target; returns the shell's result (above 32 on success).
    using Opener = std::function<INT_PTR(const std::string& target)>;

    CHyperLink();
    ~CHyperLink() override;

    // Set before subclassing.
    void SetTarget(const std::string& target) { m_target = target; }
    const std::string& GetTarget() const { return m_target; }
    void SetOptions(unsigned options) { m_options = options; }
    unsigned GetOptions() const { return m_options; }
    // Replaces how targets are opened (the shell by default).
    void SetOpener(Opener opener) { m_opener = std::move(opener); }

    // Makes the static a link: exchanges empty target and text, sets the link font, sizes the window to
    // its text with SIZE_TO_TEXT, adds a tooltip showing the target and makes it a tab stop.
    bool SubclassDlgItem(int id, HWND parent);

    // Opens the target; a failure is reported with a beep and a message box.
    void Open();

    bool IsHovering() const { return m_hover; }
    bool IsVisited() const { return m_visited; }
    bool HasFocusFlag() const { return m_focus; }
    // The text colour the link shows now.
    COLORREF GetTextColour() const;
    HWND GetToolTip() const { return m_toolTip; }

    // The default opener: ShellExecute "open", then the program registered for ".htm".
    static INT_PTR ShellOpen(const std::string& target);
    // The command line that opens target with a registered open command: the command cut before its
    // "%1" placeholder (quoted or not), a blank, the target.
    static std::string BuildOpenCommand(const std::string& command, const std::string& target);
    // "Can't open link:\n\n" and the reason for a shell result of 32 or less.
    static std::string DescribeOpenError(INT_PTR code);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnMouseMove(UINT flags, POINT pt) override;
    void OnLButtonDown(UINT flags, POINT pt) override;
    void OnLButtonUp(UINT flags, POINT pt) override;
    void OnCaptureChanged(HWND newCapture) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void OnSetFocus(HWND oldFocus) override;
    void OnKillFocus(HWND newFocus) override;
    bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMsg) override;
    HBRUSH OnReflectCtlColor(HDC dc, UINT msg) override;

private:
    void SizeToText();
    void Redraw();

    bool m_focus = false;
    bool m_hover = false;
    bool m_visited = false;
    unsigned m_options = DEFAULT_OPTIONS;
    std::string m_target;
    HFONT m_font = nullptr;     // the link font, ours
    HFONT m_baseFont = nullptr; // the static's own font
    HWND m_toolTip = nullptr;
    Opener m_opener;
};

} // namespace Ovix
