#include "table/view/ComboTable.h"

#include "table/model/Locale.h"
#include "win/Scoped.h"

#include <algorithm>

namespace Tabra {

namespace {

constexpr char kComboClass[] = "TabraCombo";
// Asks the combo to open its list once the message that asked for it is done.
constexpr UINT kDropMessage = WM_APP + 0x3A1;
constexpr int kMaxDropRows = 8;
constexpr int kListExtra = 2; // the list's border
constexpr DWORD kTypingPause = 1999;

bool IsButtonDown(UINT msg) {
    return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN ||
           msg == WM_NCLBUTTONDOWN || msg == WM_NCRBUTTONDOWN || msg == WM_SYSCOMMAND;
}

} // namespace

CComboTable::~CComboTable() {
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
}

bool CComboTable::Create(HWND parent, const RECT& rect, DWORD style, int id) {
    win::CWnd::RegisterClass(kComboClass, CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    DWORD exStyle = (style & WS_BORDER) ? 0 : WS_EX_CLIENTEDGE;
    RECT grown{rect.left - 1, rect.top - 1, rect.right + 1, rect.bottom + 1};
    if (!win::CWnd::Create(kComboClass, "Tabra::CComboTable", style, exStyle, grown, parent, id))
        return false;
    return m_list.CreatePopup();
}

RECT CComboTable::ButtonRect() const {
    RECT rc = GetClientRect();
    rc.left = std::max(rc.left, rc.right - ::GetSystemMetrics(SM_CYHSCROLL));
    return rc;
}

void CComboTable::SetCurSel(int row) {
    m_selection = m_list.IsValidRow(row) ? row : -1;
    m_list.SetSelectedRow(m_selection);
    Invalidate(false);
}

void CComboTable::Notify(int code) {
    ::SendMessageA(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), code),
                   reinterpret_cast<LPARAM>(m_hwnd));
}

// ---- Closed look ----

void CComboTable::OnPaint() {
    win::CPaintDC dc(m_hwnd);
    RECT rc = GetClientRect();
    RECT button = ButtonRect();
    RECT field{rc.left, rc.top, button.left, rc.bottom};
    bool focused = ::GetFocus() == m_hwnd && !m_dropped;
    ::FillRect(dc, &field, ::GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    UINT state = DFCS_SCROLLCOMBOBOX | (m_pressed ? DFCS_PUSHED | DFCS_FLAT : 0);
    ::DrawFrameControl(dc, &button, DFC_SCROLL, state);
    const STableColumn& column = m_list.Geometry().Column(0);
    if (m_selection < 0 || !column.output)
        return;
    RECT text{field.left + 2, field.top, field.right - 2, field.bottom};
    CRenderScope render(*column.output, dc);
    column.output->DrawCell(text, m_list.GetCell(m_selection, 0), focused);
}

// ---- Mouse ----

void CComboTable::OnLButtonDown(UINT, POINT pt) {
    ::SetFocus(m_hwnd);
    if (m_dropped) {
        Close(false);
        return;
    }
    RECT button = ButtonRect();
    m_pressed = ::PtInRect(&button, pt) != FALSE;
    m_tracking = true;
    SetCapture();
    Invalidate(false);
    DropDown();
}

void CComboTable::EndTracking() {
    if (!m_tracking)
        return;
    m_tracking = false;
    m_pressed = false;
    if (HasCapture())
        ReleaseCapture();
    Invalidate(false);
}

int CComboTable::RowAtScreen(POINT screen) const {
    HWND body = const_cast<CTableCtrl&>(m_list).Body();
    RECT rc = {};
    ::GetWindowRect(body, &rc);
    if (!::PtInRect(&rc, screen))
        return -1;
    int row = m_list.Geometry().RowAtY(screen.y - rc.top);
    return m_list.IsValidRow(row) ? row : -1;
}

// ---- The open list ----

void CComboTable::PlaceList() {
    const CTableGeometry& geo = m_list.Geometry();
    int count = m_list.GetRowCount();
    int rows = std::clamp(count, 1, kMaxDropRows);
    int width = kListExtra;
    for (int col = 0; col < geo.ColumnCount(); ++col)
        if (geo.Column(col).visible)
            width += geo.Width(col);
    if (count > rows)
        width += ::GetSystemMetrics(SM_CXVSCROLL);
    width = std::max(width, m_dropWidth);
    int height = rows * geo.rowHeight + kListExtra;

    // The list stays within the work area of the monitor the combo is on.
    RECT combo = {};
    ::GetWindowRect(m_hwnd, &combo);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    int listWidth = std::max<int>(combo.right - combo.left, width);
    // Too wide for the room to the right: shifted left, and cut with a sideways scroll bar if need be.
    int left = std::max<int>(std::min<int>(combo.left, work.right - listWidth), work.left);
    int right = std::min<int>(left + listWidth, work.right);
    if (right - left < width)
        height += ::GetSystemMetrics(SM_CYHSCROLL);
    int top = combo.bottom;
    if (top + height > work.bottom && combo.top - height >= work.top)
        top = combo.top - height;
    else if (top + height > work.bottom)
        height = std::max<int>(work.bottom - top, geo.rowHeight + kListExtra);
    ::SetWindowPos(m_list, HWND_TOPMOST, left, top, right - left, height, SWP_NOACTIVATE);
    m_list.Update(true);
}

void CComboTable::DropDown() {
    if (m_dropped || !m_hwnd)
        return;
    if (::GetFocus() != m_hwnd)
        ::SetFocus(m_hwnd);
    Notify(CBN_DROPDOWN);
    m_list.SetSelectedRow(m_selection);
    PlaceList();
    ::ShowWindow(m_list, SW_SHOWNA);
    m_dropped = true;
    Invalidate(false);
    int start = m_selection;
    RunDropLoop();
    EndTracking();
    if (m_hwnd && m_selection != start)
        Notify(CBN_SELCHANGE);
}

void CComboTable::PostDropDown() {
    PostMessage(kDropMessage);
}

void CComboTable::RunDropLoop() {
    MSG msg;
    while (m_dropped) {
        if (::GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            // WM_QUIT belongs to the outer loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            Close(false);
            break;
        }
        if (FilterDropMessage(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

bool CComboTable::FilterDropMessage(const MSG& msg) {
    bool ours = msg.hwnd == m_hwnd || msg.hwnd == m_list || ::IsChild(m_list, msg.hwnd);
    if (!ours) {
        if (IsButtonDown(msg.message))
            Close(false); // and the click goes on to its window
        return false;
    }
    // Rows are tracked and chosen here; the list's scroll bars work as usual.
    if (msg.hwnd != m_hwnd && msg.hwnd != m_list.Body().GetHwnd())
        return false;
    if (msg.message != WM_MOUSEMOVE && msg.message != WM_LBUTTONUP && msg.message != WM_LBUTTONDOWN)
        return false;
    if (msg.hwnd == m_hwnd && msg.message == WM_LBUTTONDOWN)
        return false; // a click on the combo closes the list
    POINT screen{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
    ::ClientToScreen(msg.hwnd, &screen);
    int row = RowAtScreen(screen);
    if (msg.message == WM_MOUSEMOVE) {
        if (m_tracking && msg.hwnd == m_hwnd) {
            RECT button = ButtonRect();
            POINT pt{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
            bool pressed = ::PtInRect(&button, pt) != FALSE;
            if (pressed != m_pressed) {
                m_pressed = pressed;
                Invalidate(false);
            }
        }
        if (row >= 0 && row != m_list.GetCursorRow()) {
            m_list.SetSelectedRow(row);
            m_list.Update(true);
        }
    } else if (msg.message == WM_LBUTTONUP) {
        EndTracking();
        if (row >= 0)
            Choose(row);
    }
    // A row is chosen on button up; the list's own selection by mouse stays out of it.
    return msg.hwnd != m_hwnd;
}

void CComboTable::Choose(int row) {
    m_selection = row;
    Close(true);
}

void CComboTable::Close(bool chosen) {
    if (!m_dropped)
        return;
    m_dropped = false;
    ::ShowWindow(m_list, SW_HIDE);
    EndTracking();
    // Closing without a choice leaves the selection as it was, whatever row the mouse passed over.
    m_list.SetSelectedRow(m_selection);
    Notify(chosen ? CBN_SELENDOK : CBN_SELENDCANCEL);
    Notify(CBN_CLOSEUP);
    Invalidate(false);
}

// ---- Keys and focus ----

LRESULT CComboTable::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kDropMessage:
        DropDown();
        return 0;
    case WM_SYSKEYDOWN:
        if (!m_dropped && (wParam == VK_DOWN || wParam == VK_UP)) {
            DropDown();
            return 0;
        }
        if (m_dropped && (wParam == VK_DOWN || wParam == VK_UP)) {
            Choose(m_list.GetCursorRow());
            return 0;
        }
        break;
    case WM_MOUSEWHEEL:
        if (m_dropped)
            return m_list.SendMessage(msg, wParam, lParam);
        break;
    case WM_CANCELMODE:
        EndTracking();
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != m_hwnd)
            EndTracking();
        break;
    default:
        break;
    }
    return win::CWnd::WindowProc(msg, wParam, lParam);
}

void CComboTable::OnKeyDown(UINT key, UINT, UINT) {
    if (!m_dropped) {
        if (key == VK_UP || key == VK_DOWN || key == VK_F4)
            DropDown();
        else if (key == VK_DELETE)
            m_typed.clear();
        else if (key == VK_BACK)
            TypeChar(VK_BACK);
        return;
    }
    switch (key) {
    case VK_TAB:
        ::PostMessageA(::GetAncestor(m_hwnd, GA_ROOT), WM_NEXTDLGCTL, ::GetKeyState(VK_SHIFT) < 0, 0);
        Choose(m_list.GetCursorRow());
        break;
    case VK_RETURN:
    case VK_SPACE:
        Choose(m_list.GetCursorRow());
        break;
    case VK_ESCAPE:
    case VK_F4:
        Close(false);
        break;
    case VK_BACK:
        TypeChar(VK_BACK);
        break;
    default:
        m_list.SendMessage(WM_KEYDOWN, key);
        m_list.SendMessage(WM_KEYUP, key);
        break;
    }
}

UINT CComboTable::OnGetDlgCode() {
    return m_dropped ? DLGC_WANTALLKEYS : DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void CComboTable::OnSetFocus(HWND) {
    Invalidate(false);
    Notify(CBN_SETFOCUS);
}

void CComboTable::OnKillFocus(HWND) {
    // Focus lost while open keeps the row the list is on.
    if (m_dropped)
        Choose(m_list.GetCursorRow());
    m_typed.clear();
    Invalidate(false);
    Notify(CBN_KILLFOCUS);
}

void CComboTable::OnDestroy() {
    m_dropped = false;
    ::ShowWindow(m_list, SW_HIDE);
    win::CWnd::OnDestroy();
}

// ---- Typing ----

void CComboTable::OnChar(UINT ch, UINT, UINT) {
    if (ch >= 32 && ch <= 255)
        TypeChar(ch);
}

void CComboTable::TypeChar(UINT ch) {
    DWORD now = m_clock();
    if (ch == VK_BACK) {
        if (m_typed.empty())
            return;
        m_typed.pop_back();
    } else {
        if (now - m_lastTyped > kTypingPause)
            m_typed.clear();
        m_typed.push_back(static_cast<char>(ch));
    }
    m_lastTyped = now;
    SelectTyped();
}

void CComboTable::SelectTyped() {
    if (m_typed.empty())
        return;
    int current = m_dropped ? m_list.GetCursorRow() : m_selection;
    // A first character moves on to the next match; a longer text keeps a current row that matches.
    int row = -1;
    if (m_typed.size() > 1 && m_list.IsValidRow(current) &&
        CollateNoCasePrefix(m_list.GetCellText(current, 0).c_str(), m_typed.c_str(), m_typed.size()) == 0)
        row = current;
    else
        row = m_list.FindText(0, m_typed, current);
    if (row < 0) {
        ::MessageBeep(MB_OK);
        return;
    }
    m_list.SetSelectedRow(row);
    if (m_dropped) {
        m_list.Update(true);
        return; // chosen when the list closes
    }
    if (row == m_selection)
        return;
    m_selection = row;
    Invalidate(false);
    Notify(CBN_SELCHANGE);
    Notify(CBN_SELENDOK);
}

} // namespace Tabra
