#include "app/dialogs/HyperLink.h"

#include "win/Controls.h"
#include "win/ErrorReport.h"

#include <shellapi.h>

#include <cstdio>

namespace Ovix {

namespace {

// Reads the default value of HKEY_CLASSES_ROOT\<path>; empty when missing.
std::string ReadClassesDefault(const std::string& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::string();
    char buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof buffer - 1; // keep a terminator even for unterminated data
    DWORD type = 0;
    LONG status = ::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    return std::string(buffer);
}

HCURSOR HandCursor() {
    static const HCURSOR hand = ::LoadCursorA(nullptr, IDC_HAND);
    return hand;
}

} // namespace

CHyperLink::CHyperLink() : m_opener(&CHyperLink::ShellOpen) {}

CHyperLink::~CHyperLink() {
    if (m_toolTip)
        ::DestroyWindow(m_toolTip);
    // The static must not keep drawing with the font deleted below.
    if (m_hwnd && reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)) == m_font)
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_baseFont), FALSE);
    if (m_font)
        ::DeleteObject(m_font);
}

bool CHyperLink::SubclassDlgItem(int id, HWND parent) {
    HWND item = ::GetDlgItem(parent, id);
    if (!item || m_hwnd)
        return false;
    m_hwnd = item; // for the helpers below; SubclassWindow expects none
    std::string text = GetWindowText();
    if (m_target.empty())
        m_target = text;
    if (text.empty())
        SetWindowText(m_target);

    HFONT base = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    m_baseFont = base;
    LOGFONTA lf = {};
    ::GetObjectA(base ? static_cast<HGDIOBJ>(base) : ::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfUnderline = (m_options & UNDERLINE) ? TRUE : FALSE;
    if (m_font)
        ::DeleteObject(m_font);
    m_font = ::CreateFontIndirectA(&lf);
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    if (m_options & SIZE_TO_TEXT)
        SizeToText();

    win::InitControls();
    m_toolTip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, item, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    if (m_toolTip) {
        TTTOOLINFOA tool = {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = item;
        tool.uId = 1;
        tool.rect = GetClientRect();
        tool.lpszText = const_cast<char*>(m_target.c_str());
        ::SendMessageA(m_toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    m_hwnd = nullptr;
    ::SetWindowLongA(item, GWL_STYLE, ::GetWindowLongA(item, GWL_STYLE) | WS_TABSTOP);
    return SubclassWindow(item);
}

void CHyperLink::SizeToText() {
    std::string text = GetWindowText();
    DWORD style = static_cast<DWORD>(::GetWindowLongA(m_hwnd, GWL_STYLE));
    HDC dc = ::GetDC(m_hwnd);
    HGDIOBJ old = ::SelectObject(dc, m_font);
    // Measured as the static draws it: a mnemonic's '&' takes no room.
    RECT textRect = {};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                DT_CALCRECT | DT_SINGLELINE | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
    const SIZE extent = {textRect.right - textRect.left, textRect.bottom - textRect.top};
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hwnd, dc);

    RECT rc = GetRectInParent();
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    int left = rc.left;
    int top = rc.top;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER:
        left += (width - extent.cx) / 2;
        break;
    case SS_RIGHT:
        left += width - extent.cx;
        break;
    default:
        break;
    }
    if (style & SS_CENTERIMAGE)
        top += (height - extent.cy) / 2;
    ::SetWindowPos(m_hwnd, nullptr, left, top, extent.cx, extent.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

COLORREF CHyperLink::GetTextColour() const {
    if (m_hover && (m_options & HOVER_COLOUR))
        return kHoverColour;
    if (m_focus && !(m_options & NO_FOCUS_COLOUR))
        return kFocusColour;
    return m_visited ? kVisitedColour : kLinkColour;
}

HBRUSH CHyperLink::OnReflectCtlColor(HDC dc, UINT msg) {
    if (msg != WM_CTLCOLORSTATIC)
        return nullptr;
    ::SetTextColor(dc, GetTextColour());
    ::SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

LRESULT CHyperLink::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // A plain static is transparent to the mouse; the link takes every click on it.
    if (msg == WM_NCHITTEST)
        return HTCLIENT;
    // To the dialog manager the link is a button: its mnemonic clicks it, and Enter opens it too.
    if (msg == WM_GETDLGCODE) {
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        const bool enter = key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
        return DLGC_BUTTON | DLGC_WANTCHARS | (enter ? DLGC_WANTMESSAGE : 0);
    }
    if (msg == BM_CLICK) {
        Open();
        return 0;
    }
    return win::CWnd::WindowProc(msg, wParam, lParam);
}

void CHyperLink::Redraw() {
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
    // The static draws transparently, so its parent's background must come back first.
    RECT rc = GetRectInParent();
    ::InvalidateRect(GetParent(), &rc, TRUE);
}

void CHyperLink::OnMouseMove(UINT, POINT pt) {
    RECT client = GetClientRect();
    bool inside = ::PtInRect(&client, pt) != FALSE;
    if (!m_hover && inside) {
        m_hover = true;
        SetCapture();
        Redraw();
    } else if (m_hover && !inside) {
        m_hover = false;
        if (HasCapture())
            ReleaseCapture();
        Redraw();
    }
}

void CHyperLink::OnCaptureChanged(HWND newCapture) {
    if (m_hover && newCapture != m_hwnd) {
        m_hover = false;
        Redraw();
    }
}

void CHyperLink::OnLButtonDown(UINT, POINT) {
    if (m_options & FOCUS_ON_CLICK)
        ::SetFocus(m_hwnd);
    if (m_options & OPEN_ON_DOWN)
        Open();
    m_focus = true;
}

void CHyperLink::OnLButtonUp(UINT, POINT) {
    if (m_focus && !(m_options & OPEN_ON_DOWN))
        Open();
}

void CHyperLink::OnChar(UINT ch, UINT, UINT) {
    if (ch == ' ')
        Open();
    else
        Default();
}

void CHyperLink::OnKeyDown(UINT key, UINT, UINT) {
    if (key == VK_RETURN)
        Open();
    else
        Default();
}

void CHyperLink::OnSetFocus(HWND) {
    Default();
    m_focus = true;
    Redraw();
}

void CHyperLink::OnKillFocus(HWND) {
    Default();
    m_focus = false;
    m_hover = false;
    Redraw();
}

bool CHyperLink::OnSetCursor(HWND window, UINT hitTest, UINT mouseMsg) {
    if (m_options & NO_HAND_CURSOR)
        return win::CWnd::OnSetCursor(window, hitTest, mouseMsg);
    ::SetCursor(HandCursor());
    return true;
}

void CHyperLink::Open() {
    INT_PTR result = m_opener ? m_opener(m_target) : 0;
    if (result > 32) {
        m_visited = true;
        Redraw();
        return;
    }
    ::MessageBeep(MB_ICONEXCLAMATION);
    win::ShowMessage(GetParent(), DescribeOpenError(result), MB_OK | MB_ICONEXCLAMATION);
}

INT_PTR CHyperLink::ShellOpen(const std::string& target) {
    auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOW));
    if (result > 32)
        return result;
    std::string cls = ReadClassesDefault(".htm");
    if (cls.empty())
        return result;
    std::string command = ReadClassesDefault(cls + "\\shell\\open\\command");
    if (command.empty())
        return result;
    return static_cast<INT_PTR>(::WinExec(BuildOpenCommand(command, target).c_str(), SW_SHOW));
}

std::string CHyperLink::BuildOpenCommand(const std::string& command, const std::string& target) {
    size_t cut = command.find("\"%1\"");
    if (cut == std::string::npos)
        cut = command.find("%1");
    std::string line = cut == std::string::npos ? command : command.substr(0, cut);
    return line + " " + target;
}

std::string CHyperLink::DescribeOpenError(INT_PTR code) {
    const char* reason = nullptr;
    switch (code) {
    case 0:
        reason = "The operating system is out\nof memory or resources.";
        break;
    case SE_ERR_FNF:
        reason = "The specified file was not found.";
        break;
    case SE_ERR_PNF:
        reason = "The specified path was not found.";
        break;
    case SE_ERR_ACCESSDENIED:
        reason = "The operating system denied\naccess to the specified file.";
        break;
    case SE_ERR_OOM:
        reason = "There was not enough memory to complete the operation.";
        break;
    case ERROR_BAD_FORMAT:
        reason = "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        break;
    case SE_ERR_SHARE:
        reason = "A sharing violation occurred. ";
        break;
    case SE_ERR_ASSOCINCOMPLETE:
        reason = "The filename association is\nincomplete or invalid.";
        break;
    case SE_ERR_DDETIMEOUT:
        reason = "The DDE transaction could not\nbe completed because the request timed out.";
        break;
    case SE_ERR_DDEFAIL:
        reason = "The DDE transaction failed.";
        break;
    case SE_ERR_DDEBUSY:
        reason = "The DDE transaction could not\nbe completed because other DDE transactions\nwere being "
                 "processed.";
        break;
    case SE_ERR_NOASSOC:
        reason = "There is no application associated\nwith the given filename extension.";
        break;
    case SE_ERR_DLLNOTFOUND:
        reason = "The specified dynamic-link library was not found.";
        break;
    default:
        break;
    }
    std::string text = "Can't open link:\n\n";
    if (reason)
        return text + reason;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Unknown Error (%d) occurred.", static_cast<int>(code));
    return text + buffer;
}

} // namespace Ovix
