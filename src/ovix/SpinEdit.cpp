#include "ovix/SpinEdit.h"

#include <commctrl.h>

#include <algorithm>

namespace Ovix {

namespace {

POINT ScreenPoint(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

} // namespace

bool CSpinEdit::Create(DWORD style, const RECT& rect, HWND parent, int id, DWORD exStyle) {
    if (!CExEdit::Create(style, rect, parent, id, exStyle))
        return false;
    ShowSpin(true);
    return true;
}

void CSpinEdit::ShowSpin(bool show) {
    m_spin = show;
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT CSpinEdit::SpinRect() const {
    RECT window = {}, client = GetClientRect();
    if (!m_spin)
        return RECT{};
    ::GetWindowRect(m_hwnd, &window);
    ::MapWindowPoints(m_hwnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    ::OffsetRect(&client, -window.left, -window.top);
    const LONG width = window.right - window.left;
    return RECT{client.right, client.top,
                std::min<LONG>(client.right + ::GetSystemMetrics(SM_CYHSCROLL), width), client.bottom};
}

int CSpinEdit::ButtonAt(POINT pt) const {
    RECT window = {};
    ::GetWindowRect(m_hwnd, &window);
    pt.x -= window.left;
    pt.y -= window.top;
    const RECT spin = SpinRect();
    if (!::PtInRect(&spin, pt))
        return 0;
    return pt.y < (spin.top + spin.bottom) / 2 ? 1 : -1;
}

void CSpinEdit::DrawSpin() {
    const RECT spin = SpinRect();
    if (::IsRectEmpty(&spin))
        return;
    const int mid = (spin.top + spin.bottom) / 2;
    RECT up = {spin.left, spin.top, spin.right, mid};
    RECT line = {spin.left, mid, spin.right, mid + 1};
    RECT down = {spin.left, mid + 1, spin.right, spin.bottom};
    const UINT inactive = (!IsEnabled() || IsReadOnly()) ? DFCS_INACTIVE : 0;
    HDC dc = ::GetWindowDC(m_hwnd);
    ::DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP | inactive | (m_pressed == 1 ? DFCS_PUSHED : 0));
    ::FillRect(dc, &line, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawFrameControl(dc, &down, DFC_SCROLL,
                       DFCS_SCROLLDOWN | inactive | (m_pressed == -1 ? DFCS_PUSHED : 0));
    ::ReleaseDC(m_hwnd, dc);
}

void CSpinEdit::SetPressed(int button) {
    if (m_pressed == button)
        return;
    m_pressed = button;
    DrawSpin();
}

LRESULT CSpinEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCALCSIZE: {
        LRESULT result = Default();
        RECT* rc =
            wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
        if (m_spin)
            rc->right = std::max(rc->left, rc->right - (::GetSystemMetrics(SM_CYHSCROLL) - 1));
        return result;
    }
    case WM_NCHITTEST:
        return ButtonAt(ScreenPoint(lParam)) ? HTBORDER : Default();
    case WM_NCPAINT: {
        LRESULT result = Default();
        DrawSpin();
        return result;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        return OnNcButtonDown(ScreenPoint(lParam)) ? 0 : Default();
    case WM_ENABLE:
    case EM_SETREADONLY: {
        LRESULT result = CExEdit::WindowProc(msg, wParam, lParam);
        DrawSpin();
        return result;
    }
    default:
        return CExEdit::WindowProc(msg, wParam, lParam);
    }
}

bool CSpinEdit::OnNcButtonDown(POINT screenPt) {
    const int button = ButtonAt(screenPt);
    if (!button || IsReadOnly())
        return false;
    ::SetFocus(m_hwnd);
    m_held = button;
    SetPressed(button);
    SetCapture();
    SetTimer(DELAY_TIMER, 500);
    SpinStep(button);
    return true;
}

void CSpinEdit::OnMouseMove(UINT flags, POINT pt) {
    if (!m_held) {
        CExEdit::OnMouseMove(flags, pt);
        return;
    }
    ::ClientToScreen(m_hwnd, &pt);
    SetPressed(ButtonAt(pt) == m_held ? m_held : 0);
}

void CSpinEdit::OnLButtonUp(UINT flags, POINT pt) {
    if (m_held)
        ReleaseCapture(); // the rest follows in OnCaptureChanged
    else
        CExEdit::OnLButtonUp(flags, pt);
}

void CSpinEdit::OnCaptureChanged(HWND newCapture) {
    if (m_held && newCapture != m_hwnd)
        ReleaseButton();
    CExEdit::OnCaptureChanged(newCapture);
}

void CSpinEdit::ReleaseButton() {
    KillTimer(DELAY_TIMER);
    KillTimer(REPEAT_TIMER);
    m_held = 0;
    SetPressed(0);
}

void CSpinEdit::OnTimer(UINT_PTR id) {
    if (!m_held || (id != DELAY_TIMER && id != REPEAT_TIMER)) {
        CExEdit::OnTimer(id);
        return;
    }
    if (id == DELAY_TIMER) {
        KillTimer(DELAY_TIMER);
        SetTimer(REPEAT_TIMER, 100);
    }
    if (m_pressed == m_held)
        SpinStep(m_held);
}

void CSpinEdit::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    if ((key != VK_UP && key != VK_DOWN) || IsReadOnly()) {
        CExEdit::OnKeyDown(key, repeat, flags);
        return;
    }
    const int button = key == VK_UP ? 1 : -1;
    SetPressed(button);
    SpinStep(button);
}

void CSpinEdit::OnKeyUp(UINT key, UINT repeat, UINT flags) {
    if ((key == VK_UP || key == VK_DOWN) && !m_held)
        SetPressed(0);
    CExEdit::OnKeyUp(key, repeat, flags);
}

UINT CSpinEdit::OnGetDlgCode() {
    UINT code = CExEdit::OnGetDlgCode();
    return ::GetFocus() == m_hwnd ? code | DLGC_WANTARROWS : code;
}

void CSpinEdit::OnKillFocus(HWND newFocus) {
    if (m_held)
        ReleaseCapture();
    SetPressed(0);
    CExEdit::OnKillFocus(newFocus);
}

void CSpinEdit::SpinStep(int delta) {
    // Every notification may end the edit; only the window handle is trusted after each one.
    HWND hwnd = m_hwnd;
    const int id = GetDlgCtrlID();
    NMUPDOWN change = {};
    change.hdr.hwndFrom = hwnd;
    change.hdr.idFrom = static_cast<UINT_PTR>(id);
    change.hdr.code = static_cast<UINT>(UDN_DELTAPOS);
    change.iPos = delta;
    change.iDelta = delta;
    if (::SendMessageA(GetParent(), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&change)) ||
        !::IsWindow(hwnd))
        return;
    NotifyParent(SPN_BEFORESTEP);
    if (!::IsWindow(hwnd))
        return;
    Step(delta);
    MarkUserChange();
    NotifyParent(SPN_AFTERSTEP);
}

} // namespace Ovix
