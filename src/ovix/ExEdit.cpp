#include "ovix/ExEdit.h"

namespace Ovix {

CExEdit::SColors CExEdit::SColors::System() {
    return {::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_WINDOW),
            ::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_BTNFACE)};
}

CExEdit::~CExEdit() {
    if (m_brush)
        ::DeleteObject(m_brush);
}

bool CExEdit::Create(DWORD style, const RECT& rect, HWND parent, int id, DWORD exStyle) {
    if (!(style & WS_BORDER))
        exStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
    if (exStyle & WS_EX_CLIENTEDGE)
        style &= ~static_cast<DWORD>(WS_BORDER);
    if (!CreateControl("EDIT", "", style, exStyle, rect, parent, id))
        return false;
    ReadState();
    return true;
}

bool CExEdit::SubclassDlgItem(int id, HWND parent) {
    if (!win::CWnd::SubclassDlgItem(id, parent))
        return false;
    ReadState();
    return true;
}

void CExEdit::ReadState() {
    m_enabled = ::IsWindowEnabled(m_hwnd) != FALSE;
    m_readOnly = (::GetWindowLongA(m_hwnd, GWL_STYLE) & ES_READONLY) != 0;
}

void CExEdit::SetColors(const SColors& colors) {
    m_system = false;
    m_colors = colors;
    StateChanged();
}

void CExEdit::SetSystemColors() {
    m_system = true;
    m_colors = SColors::System();
    StateChanged();
}

void CExEdit::StateChanged() {
    if (m_brush)
        ::DeleteObject(m_brush);
    m_brush = nullptr;
    if (m_hwnd)
        Invalidate();
}

HBRUSH CExEdit::Brush(COLORREF color) {
    if (!m_brush || m_brushColor != color) {
        if (m_brush)
            ::DeleteObject(m_brush);
        m_brush = ::CreateSolidBrush(color);
        m_brushColor = color;
    }
    return m_brush;
}

HBRUSH CExEdit::OnReflectCtlColor(HDC dc, UINT) {
    const COLORREF alert = AlertColor();
    if (m_system && alert == CLR_INVALID)
        return nullptr;
    const SColors colors = m_system ? SColors::System() : m_colors;
    COLORREF text = colors.text, back = colors.back;
    if (!m_enabled)
        back = colors.disabledBack;
    else if (m_readOnly)
        text = colors.readOnlyText, back = colors.readOnlyBack;
    ::SetTextColor(dc, alert != CLR_INVALID ? alert : text);
    ::SetBkColor(dc, back);
    return Brush(back);
}

CExEdit::EModified CExEdit::GetModified() {
    // The edit control itself flags every change the user makes (typing, pasting, cutting, undo).
    if (m_hwnd && SendMessage(EM_GETMODIFY)) {
        m_modified = CHANGED;
        SendMessage(EM_SETMODIFY, FALSE);
    }
    return m_modified;
}

void CExEdit::SetOwnText(const std::string& text) {
    GetModified();
    if (GetWindowText() == text)
        return; // setting it again would only repaint and notify the parent
    m_ownText = true;
    SetWindowText(text);
    m_ownText = false;
}

void CExEdit::NotifyParent(int code) const {
    ::SendMessageA(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), code),
                   reinterpret_cast<LPARAM>(m_hwnd));
}

void CExEdit::OnKillFocus(HWND newFocus) {
    win::CWnd::OnKillFocus(newFocus);
    if (GetModified() == CHANGED) {
        m_modified = REPORTED;
        NotifyParent(EXN_USERCHANGE); // last: the parent may close the edit
    }
}

LRESULT CExEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ENABLE:
        m_enabled = wParam != 0;
        StateChanged();
        return Default();
    case EM_SETREADONLY: {
        LRESULT result = Default();
        m_readOnly = wParam != 0;
        StateChanged();
        return result;
    }
    case WM_SETTEXT: {
        LRESULT result = Default();
        SendMessage(EM_SETMODIFY, FALSE);
        if (!m_ownText)
            m_modified = UNCHANGED;
        return result;
    }
    default:
        return win::CWnd::WindowProc(msg, wParam, lParam);
    }
}

} // namespace Ovix
