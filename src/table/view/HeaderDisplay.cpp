#include "table/view/HeaderDisplay.h"

#include "table/view/TableCtrl.h"
#include "win/WaitCursor.h"

#include <algorithm>
#include <cstdlib>

namespace Tabra {

namespace {

constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kScrollTick = 60;
constexpr int kArrowIndent = 7;
constexpr int kEdgeZone = 15;
constexpr COLORREF kArrowColour = RGB(0, 0, 128);

// The keys in the left-to-right order of their columns, each keeping its direction; equal positions
// keep their order.
CSortKeys OrderedByDisplay(CTableCtrl& ctrl, const CSortKeys& keys) {
    std::vector<CSortKey> list(keys.begin(), keys.end());
    std::stable_sort(list.begin(), list.end(), [&ctrl](const CSortKey& a, const CSortKey& b) {
        return ctrl.PositionOf(a.column) < ctrl.PositionOf(b.column);
    });
    CSortKeys ordered;
    for (const CSortKey& key : list)
        ordered.SetDirection(key.column, key.direction);
    return ordered;
}

} // namespace

CHeaderDisplay::~CHeaderDisplay() {
    if (m_dragImage)
        ::ImageList_Destroy(m_dragImage);
}

HCURSOR CHeaderDisplay::SplitCursor() {
    return ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32644)); // IDC_SIZEWE
}

void CHeaderDisplay::Draw(HDC dc, const RECT& clip) {
    CTableCtrl& c = *ctrl;
    ::SelectObject(dc, c.GetFont());
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    ::SetBkMode(dc, TRANSPARENT);
    UINT base = c.GetHeaderSort() ? 0 : DFCS_FLAT;
    int scrollX = c.GetScrollX();
    CSortKeys keys = c.GetSortKeys();
    int position = c.PositionAtX(clip.left + scrollX);
    int x = clip.left;
    if (c.IsValidPosition(position)) {
        x = c.LeftEdge(position) - scrollX;
        while (x < clip.right && c.IsValidPosition(position)) {
            int col = c.ColumnAt(position);
            int width = c.GetWidth(col);
            UINT state = base;
            if ((m_mode == MODE_PRESSED || m_mode == MODE_MOVING) && position == m_position)
                state |= m_pushed;
            DrawTitle(dc, RECT{x, 0, x + width, HEIGHT}, c.GetHeaderText(col), c.GetHeaderFlags(col),
                      keys.GetDirection(col), state);
            x += width;
            position = c.NextVisiblePosition(position);
        }
    }
    if (clip.right >= x)
        DrawTitle(dc, RECT{x, 0, clip.right + 4, HEIGHT}, std::string(), 0, SORT_NONE, base);
}

void CHeaderDisplay::DrawTitle(HDC dc, const RECT& r, const std::string& title, int format, int direction,
                               UINT state) {
    CTableCtrl& c = *ctrl;
    RECT text{r.left + c.MarginLeft(), r.top + c.MarginTop(), r.right - c.MarginRight(),
              r.bottom - c.MarginBottom()};
    if (state == DFCS_PUSHED)
        ::OffsetRect(&text, 1, 1);
    RECT frame = r;
    ::DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | state);
    if (direction != SORT_NONE) {
        if (format == DRAW_CENTER) {
            DrawArrow(dc, text.left - 2, text.top, direction);
            DrawArrow(dc, text.right - 5, text.top, direction);
            text.left += kArrowIndent;
            text.right -= kArrowIndent;
        } else if (format == DRAW_RIGHT) {
            DrawArrow(dc, text.left - 2, text.top, direction);
            text.left += kArrowIndent;
        } else {
            DrawArrow(dc, text.right - 5, text.top, direction);
            text.right -= kArrowIndent;
        }
    }
    if (!title.empty())
        ::DrawTextA(dc, title.c_str(), static_cast<int>(title.size()), &text, static_cast<UINT>(format));
}

void CHeaderDisplay::DrawArrow(HDC dc, int x, int y, int direction) {
    // A small triangle in the 7 pixels the title gives up: pointing down for ascending, up for
    // descending.
    int top = y + 5;
    POINT down[3] = {{x, top}, {x + 6, top}, {x + 3, top + 3}};
    POINT up[3] = {{x, top + 3}, {x + 6, top + 3}, {x + 3, top}};
    int saved = ::SaveDC(dc);
    ::SelectObject(dc, ::GetStockObject(DC_BRUSH));
    ::SelectObject(dc, ::GetStockObject(DC_PEN));
    ::SetDCBrushColor(dc, kArrowColour);
    ::SetDCPenColor(dc, kArrowColour);
    ::Polygon(dc, direction == SORT_DESCENDING ? up : down, 3);
    ::RestoreDC(dc, saved);
}

void CHeaderDisplay::DrawPressedTitle() {
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

int CHeaderDisplay::BorderHitTest(int x) {
    CTableCtrl& c = *ctrl;
    int content = x + c.GetScrollX();
    int position = c.PositionAtX(content);
    if (c.IsValidPosition(position)) {
        int left = c.LeftEdge(position);
        int width = c.GetWidth(c.ColumnAt(position));
        if (position > 0 && left <= content && content <= left + c.MarginLeft())
            return c.PrevVisiblePosition(position);
        if (content >= left + width - c.MarginRight())
            return position;
        return -1;
    }
    if (position == c.GetColumnCount()) {
        int last = c.PrevVisiblePosition(position);
        if (last >= 0 && content <= c.LeftEdge(last) + c.GetWidth(c.ColumnAt(last)) + c.MarginLeft())
            return last;
    }
    return -1;
}

bool CHeaderDisplay::OnSetCursor(HWND window, UINT hitTest, UINT mouseMsg) {
    if (hitTest != HTCLIENT || win::CWaitCursor::IsActive())
        return win::CWnd::OnSetCursor(window, hitTest, mouseMsg);
    POINT pt = {};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hwnd, &pt);
    bool split = m_mode == MODE_RESIZING ||
                 (m_mode == MODE_IDLE && ctrl->GetColumnsResizable() && BorderHitTest(pt.x) >= 0);
    ::SetCursor(split ? SplitCursor() : ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    return true;
}

void CHeaderDisplay::OnLButtonDown(UINT, POINT pt) {
    CTableCtrl& c = *ctrl;
    CTableCtrl::CUserAction action(c);
    ::SetFocus(c);
    m_pressX = pt.x + c.GetScrollX();
    if (c.GetColumnsResizable()) {
        int border = BorderHitTest(pt.x);
        if (border >= 0) {
            m_mode = MODE_RESIZING;
            m_position = border;
            m_column = c.ColumnAt(border);
            m_pressWidth = c.GetWidth(m_column);
            SetCapture();
            SetTimer(kScrollTimer, kScrollTick);
            return;
        }
    }
    int position = c.PositionAtX(m_pressX);
    if (!c.IsValidPosition(position)) {
        ::MessageBeep(0xFFFFFFFF);
        return;
    }
    m_mode = MODE_PRESSED;
    m_pushed = DFCS_PUSHED;
    m_position = position;
    m_column = c.ColumnAt(position);
    m_pressWidth = c.GetWidth(m_column);
    DrawPressedTitle();
    SetCapture();
    SetTimer(kScrollTimer, kScrollTick);
}

void CHeaderDisplay::OnMouseMove(UINT flags, POINT pt) {
    CTableCtrl& c = *ctrl;
    CTableCtrl::CUserAction action(c);
    int scrollX = c.GetScrollX();
    switch (m_mode) {
    case MODE_IDLE: {
        int col = c.ColumnAtBodyX(pt.x);
        if (col != m_hoverColumn) {
            m_hoverColumn = col;
            ::SendMessageA(c.GetToolTip(), TTM_POP, 0, 0);
        }
        break;
    }
    case MODE_PRESSED: {
        bool over = c.PositionAtX(pt.x + scrollX) == m_position && pt.y >= 0 && pt.y < HEIGHT;
        if (over) {
            if (!m_pushed) {
                m_pushed = DFCS_PUSHED;
                DrawPressedTitle();
            }
            if (std::abs(pt.x + scrollX - m_pressX) > ::GetSystemMetrics(SM_CXDRAG) && c.GetColumnsMovable())
                StartMoving(pt);
        } else if (m_pushed) {
            m_pushed = 0;
            DrawPressedTitle();
        }
        break;
    }
    case MODE_RESIZING:
        ::SetCursor(SplitCursor());
        c.SetWidth(m_column, m_pressWidth + (pt.x + scrollX - m_pressX));
        c.Refresh();
        break;
    case MODE_MOVING: {
        ::ImageList_DragMove(pt.x, 0);
        int q = c.PositionAtX(pt.x + scrollX);
        if (!c.IsValidPosition(q) || q == m_position)
            break;
        bool move = q < m_position ? pt.x < c.LeftEdge(q) - scrollX + m_pressWidth
                                   : pt.x > c.LeftEdge(m_position) - scrollX + c.GetWidth(c.ColumnAt(q));
        if (!move)
            break;
        m_position = q;
        c.MoveColumn(m_column, q);
        ::ImageList_DragLeave(m_hwnd);
        c.Refresh();
        ::ImageList_DragEnter(m_hwnd, pt.x, 0);
        break;
    }
    default:
        break;
    }
    (void)flags;
}

void CHeaderDisplay::StartMoving(POINT pt) {
    CTableCtrl& c = *ctrl;
    int width = std::max(1, c.GetWidth(m_column));
    HDC dc = ::GetDC(m_hwnd);
    HDC mem = ::CreateCompatibleDC(dc);
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc, width, HEIGHT);
    HGDIOBJ oldBitmap = ::SelectObject(mem, bitmap);
    RECT all{0, 0, width, HEIGHT};
    ::FillRect(mem, &all, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
    ::SetTextColor(mem, RGB(0, 0, 0));
    ::SetBkMode(mem, TRANSPARENT);
    HGDIOBJ oldFont = ::SelectObject(mem, c.GetFont());
    RECT text{0, 3, width, 17};
    std::string title = c.GetHeaderText(m_column);
    ::DrawTextA(mem, title.c_str(), static_cast<int>(title.size()), &text,
                static_cast<UINT>(c.GetHeaderFlags(m_column)));
    ::SelectObject(mem, oldFont);
    ::SelectObject(mem, oldBitmap);
    ::DeleteDC(mem);
    ::ReleaseDC(m_hwnd, dc);

    m_dragImage = ::ImageList_Create(width, HEIGHT, ILC_MASK | ILC_COLOR24, 2, 2);
    ::ImageList_AddMasked(m_dragImage, bitmap, RGB(255, 0, 0));
    ::DeleteObject(bitmap);
    ::ImageList_BeginDrag(m_dragImage, 0, m_pressX - c.LeftEdge(m_position), 0);
    ::ImageList_DragEnter(m_hwnd, pt.x, 0);
    m_mode = MODE_MOVING;
}

void CHeaderDisplay::EndMoving() {
    ::ImageList_DragLeave(m_hwnd);
    ::ImageList_EndDrag();
    if (m_dragImage)
        ::ImageList_Destroy(m_dragImage);
    m_dragImage = nullptr;
    m_pushed = 0;
}

bool CHeaderDisplay::ChangeSort(int col, int direction, bool replace) {
    CTableCtrl& c = *ctrl;
    win::CWaitCursor wait;
    if (c.Notify(TN_SORTING, -1, col))
        return false;
    CSortKeys keys = replace ? CSortKeys() : c.GetSortKeys();
    keys.SetDirection(col, direction);
    c.Sort(OrderedByDisplay(c, keys));
    c.Notify(TN_SORTED, -1, col);
    return true;
}

void CHeaderDisplay::OnLButtonUp(UINT flags, POINT pt) {
    CTableCtrl& c = *ctrl;
    CTableCtrl::CUserAction action(c);
    if (m_mode == MODE_PRESSED) {
        bool over = c.PositionAtX(pt.x + c.GetScrollX()) == m_position && pt.y >= 0 && pt.y < HEIGHT;
        if (over && c.GetHeaderSort()) {
            int direction =
                c.GetSortKeys().GetDirection(m_column) == SORT_ASCENDING ? SORT_DESCENDING : SORT_ASCENDING;
            bool replace = (flags & (MK_SHIFT | MK_CONTROL)) == 0;
            if (ChangeSort(m_column, direction, replace))
                c.Refresh();
        }
        m_pushed = 0;
        DrawPressedTitle();
    } else if (m_mode == MODE_MOVING) {
        EndMoving();
        if (!c.GetSortKeys().IsEmpty()) {
            win::CWaitCursor wait;
            if (!c.Notify(TN_SORTING, -1, -1)) {
                c.Sort(OrderedByDisplay(c, c.GetSortKeys()));
                c.Notify(TN_SORTED, -1, -1);
            }
        }
        c.Refresh();
    }
    Stop();
}

void CHeaderDisplay::Stop() {
    if (m_mode == MODE_MOVING)
        EndMoving();
    m_mode = MODE_IDLE;
    KillTimer(kScrollTimer);
    if (HasCapture())
        ReleaseCapture();
}

void CHeaderDisplay::OnLButtonDblClk(UINT, POINT pt) {
    CTableCtrl& c = *ctrl;
    CTableCtrl::CUserAction action(c);
    if (!c.GetColumnsResizable())
        return;
    int border = BorderHitTest(pt.x);
    if (!c.IsValidPosition(border))
        return;
    win::CWaitCursor wait;
    c.AutoSize(c.ColumnAt(border), true);
    c.Refresh();
}

void CHeaderDisplay::OnTimer(UINT_PTR id) {
    if (id != kScrollTimer || m_mode == MODE_IDLE) {
        Default();
        return;
    }
    CTableCtrl& c = *ctrl;
    POINT pt = {};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hwnd, &pt);
    int scrollX = c.GetScrollX();
    int limit = c.GetBodyWidth() - kEdgeZone;
    if (pt.x <= kEdgeZone - 1)
        c.SetScrollX(scrollX - (kEdgeZone - pt.x) / 3);
    else if (pt.x > limit)
        c.SetScrollX(scrollX + (pt.x - limit) / 3);
    else
        return;
    if (m_mode == MODE_MOVING) {
        ::ImageList_DragLeave(m_hwnd);
        c.Refresh();
        ::ImageList_DragEnter(m_hwnd, pt.x, 0);
    } else {
        c.Refresh();
    }
    OnMouseMove(0, pt);
}

void CHeaderDisplay::OnCaptureChanged(HWND) {
    CTableCtrl::CUserAction action(*ctrl);
    if (m_mode == MODE_MOVING)
        EndMoving();
    m_mode = MODE_IDLE;
    KillTimer(kScrollTimer);
    ctrl->Notify(TN_RELEASEDCAPTURE);
}

void CHeaderDisplay::OnContextMenu(HWND, POINT screenPt) {
    CTableCtrl& c = *ctrl;
    CTableCtrl::CUserAction action(c);
    ::SetFocus(c);
    Stop();
    POINT local = screenPt;
    ::ScreenToClient(m_hwnd, &local);
    int col = c.ColumnAtBodyX(local.x);
    win::CPopupMenu menu;
    c.BuildColumnPopupMenu(&menu, col);
    STableNotify record;
    record.col = col;
    record.pointer = &menu;
    if (c.Notify(TN_COLUMNMENU, record))
        return;
    UINT command = c.TrackMenu(menu, screenPt);
    if (command == 0)
        return;
    record.command = static_cast<int>(command);
    if (c.Notify(TN_COLUMNCOMMAND, record))
        return;
    c.OnColumnPopupCommand(static_cast<int>(command), col);
}

} // namespace Tabra
