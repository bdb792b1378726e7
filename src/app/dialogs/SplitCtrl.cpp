#include "app/dialogs/SplitCtrl.h"

#include "win/Controls.h"
#include "win/Dpi.h"

#include <algorithm>

namespace Dialux {

namespace {

constexpr char kClassName[] = "Dialux_SplitCtrl";

} // namespace

bool CSplitCtrl::Create(int placeholderId, HWND parent) {
    if (m_hwnd)
        return false;
    win::SPlaceholder place;
    if (!win::TakePlaceholder(parent, placeholderId, place))
        return false;
    if (!RegisterClass(kClassName, CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW),
                       reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1))))
        return false;
    RECT rc = place.rect;
    ::InflateRect(&rc, -1, -1);
    DWORD style = (place.style & ~static_cast<DWORD>(WS_BORDER)) | WS_CHILD | WS_TABSTOP;
    if (!win::CWnd::Create(kClassName, kWindowName, style, place.exStyle, rc, parent, placeholderId))
        return false;
    win::PlaceInTabOrder(m_hwnd, place);
    return true;
}

RECT CSplitCtrl::BarRect() const {
    return GetRectInParent();
}

int CSplitCtrl::ParentExtent() const {
    RECT rc = {};
    ::GetClientRect(GetParent(), &rc);
    return m_vertical ? rc.right : rc.bottom;
}

void CSplitCtrl::AttachLayout(CDlgLayout* layout, int minPercent, int maxPercent, CDlgLayout::Veto veto) {
    m_layout = layout;
    m_min = std::clamp(minPercent, 0, 100) * 100;
    m_max = std::clamp(maxPercent, 0, 100) * 100;
    if (m_max < m_min)
        std::swap(m_min, m_max);
    m_veto = std::move(veto);

    RECT rc = BarRect();
    m_vertical = rc.right - rc.left < rc.bottom - rc.top;
    DWORD style = static_cast<DWORD>(::GetWindowLongA(m_hwnd, GWL_STYLE));
    int thickness = win::ScaleToDpi(kThickness, win::WindowDpi(m_hwnd));
    if (m_vertical) {
        // SS_CENTER keeps the bar's middle, anything else its left edge.
        if ((style & SS_TYPEMASK) == SS_CENTER)
            rc.left += (rc.right - rc.left - thickness) / 2;
        rc.right = rc.left + thickness;
    } else {
        if (style & SS_CENTERIMAGE)
            rc.top += (rc.bottom - rc.top - thickness) / 2;
        rc.bottom = rc.top + thickness;
    }
    ::SetWindowPos(m_hwnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_layout)
        m_layout->Remeasure(m_hwnd);
}

int CSplitCtrl::GetPos() const {
    int extent = ParentExtent();
    if (extent <= 0)
        return 0;
    RECT rc = BarRect();
    return (m_vertical ? rc.left : rc.top) * 100 / extent;
}

int CSplitCtrl::SetPos(int percent) {
    percent = std::clamp(percent, m_min / 100, m_max / 100);
    MoveTo(percent * ParentExtent() / 100 + 1);
    return GetPos();
}

bool CSplitCtrl::MoveTo(int pos) {
    RECT rc = BarRect();
    if (m_vertical)
        ::OffsetRect(&rc, pos - rc.left, 0);
    else
        ::OffsetRect(&rc, 0, pos - rc.top);
    if (!m_layout) {
        ::SetWindowPos(m_hwnd, nullptr, rc.left, rc.top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
        return true;
    }
    const SMovedWindow moved[] = {{m_hwnd, rc}};
    return m_layout->Layout(m_veto, moved);
}

void CSplitCtrl::Notify(int code) {
    ::SendMessageA(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), code),
                   reinterpret_cast<LPARAM>(m_hwnd));
}

void CSplitCtrl::OnLButtonDown(UINT, POINT pt) {
    if (m_layout)
        m_layout->Rebase();
    const RECT rc = BarRect();
    m_dragStart = m_vertical ? rc.left : rc.top;
    HWND before = ::SetFocus(m_hwnd);
    m_focusBeforeDrag = before != m_hwnd ? before : nullptr;
    SetCapture();
    // The bar has no non-client area, so the client point is the offset from its leading edge.
    m_grab = m_vertical ? pt.x : pt.y;
    OnSetCursor(m_hwnd, HTCLIENT, WM_LBUTTONDOWN);
    Notify(SPLIT_BEGIN);
}

void CSplitCtrl::OnMouseMove(UINT, POINT pt) {
    if (IsDragging()) {
        ::MapWindowPoints(m_hwnd, GetParent(), &pt, 1);
        int extent = ParentExtent();
        int pos = (m_vertical ? pt.x : pt.y) - m_grab;
        pos = std::clamp(pos, static_cast<int>(static_cast<long long>(extent) * m_min / 10000),
                         static_cast<int>(static_cast<long long>(extent) * m_max / 10000));
        DragTo(pos);
    }
    OnSetCursor(m_hwnd, HTCLIENT, WM_MOUSEMOVE);
}

void CSplitCtrl::OnLButtonUp(UINT, POINT) {
    if (!IsDragging())
        return;
    EndDrag();
}

void CSplitCtrl::OnCaptureChanged(HWND newCapture) {
    // Losing the capture to another window (e.g. a message box) ends the drag too.
    if (IsDragging() && newCapture != m_hwnd)
        EndDrag();
}

void CSplitCtrl::EndDrag() {
    m_grab = kNoDrag;
    if (HasCapture())
        ReleaseCapture();
    HWND focus = m_focusBeforeDrag;
    m_focusBeforeDrag = nullptr;
    if (focus && ::IsWindow(focus) && ::IsWindowVisible(focus) && ::GetFocus() == m_hwnd)
        ::SetFocus(focus);
    Notify(SPLIT_END);
}

void CSplitCtrl::DragTo(int pos) {
    RECT rc = BarRect();
    if (pos != (m_vertical ? rc.left : rc.top) && MoveTo(pos))
        ShowMoved();
}

void CSplitCtrl::ShowMoved() {
    ::RedrawWindow(GetParent(), nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
    Notify(SPLIT_MOVED);
}

void CSplitCtrl::CancelDrag() {
    DragTo(m_dragStart);
    EndDrag();
}

void CSplitCtrl::Step(int delta) {
    const int before = GetPos();
    if (SetPos(before + delta) != before)
        ShowMoved();
}

LRESULT CSplitCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The arrows always; during a drag every key, so that Escape ends the drag, not the dialog.
    if (msg == WM_GETDLGCODE)
        return IsDragging() ? DLGC_WANTALLKEYS | DLGC_WANTARROWS : DLGC_WANTARROWS;
    return win::CWnd::WindowProc(msg, wParam, lParam);
}

void CSplitCtrl::OnKeyDown(UINT key, UINT, UINT) {
    if (IsDragging()) {
        if (key == VK_ESCAPE)
            CancelDrag();
        return;
    }
    const UINT back = m_vertical ? VK_LEFT : VK_UP;
    const UINT forth = m_vertical ? VK_RIGHT : VK_DOWN;
    if (key == back || key == forth)
        Step(key == back ? -1 : 1);
    else
        Default();
}

void CSplitCtrl::OnSetFocus(HWND) {
    ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

void CSplitCtrl::OnKillFocus(HWND) {
    ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

bool CSplitCtrl::OnSetCursor(HWND, UINT, UINT) {
    ::SetCursor(::LoadCursorA(nullptr, m_vertical ? IDC_SIZEWE : IDC_SIZENS));
    return true;
}

bool CSplitCtrl::OnEraseBkgnd(HDC) {
    return true; // OnPaint fills the whole bar
}

void CSplitCtrl::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hwnd, &ps);
    if (!(::GetWindowLongA(m_hwnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT)) {
        RECT rc = GetClientRect();
        ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
        HBRUSH light = ::GetSysColorBrush(COLOR_BTNHIGHLIGHT);
        HBRUSH shadow = ::GetSysColorBrush(COLOR_BTNSHADOW);
        RECT edge = {rc.left, rc.top, rc.right - 1, rc.top + 1};
        ::FillRect(dc, &edge, light);
        edge = RECT{rc.left, rc.top, rc.left + 1, rc.bottom - 1};
        ::FillRect(dc, &edge, light);
        edge = RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom};
        ::FillRect(dc, &edge, shadow);
        edge = RECT{rc.right - 1, rc.top, rc.right, rc.bottom};
        ::FillRect(dc, &edge, shadow);
    }
    if (::GetFocus() == m_hwnd) {
        RECT focus = GetClientRect();
        ::InflateRect(&focus, -1, -1);
        ::DrawFocusRect(dc, &focus);
    }
    ::EndPaint(m_hwnd, &ps);
}

} // namespace Dialux
