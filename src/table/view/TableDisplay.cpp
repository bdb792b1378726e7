#include "table/view/TableDisplay.h"

#include "table/view/TableCtrl.h"

#include <algorithm>

namespace Tabra {

namespace {

constexpr UINT_PTR kDragTimer = 1;
constexpr UINT kDragTick = 70;

} // namespace

int CTableDisplay::DragScrollDelay(int y, int fullRowsHeight) {
    // Just outside the edge one row per 6 ticks; 15 pixels beyond it one row per tick.
    int steps = y < 0 ? 6 + y / 3 : 6 + (fullRowsHeight - y) / 3;
    return std::max(1, steps) * static_cast<int>(kDragTick);
}

void CTableDisplay::Draw(HDC dc, const RECT& clip) {
    CTableCtrl& c = *ctrl;
    int rh = c.GetRowHeight();
    int g = c.GetHorzGridWidth();
    int count = c.GetRowCount();
    int first = c.RowAtY(clip.top);
    int last = std::min(c.RowAtY(clip.bottom) + 1, count);
    int y0 = c.RowTop(first);

    int parity = (y0 / rh) & 1;
    bool leparello = c.GetLeparello();
    HBRUSH highlight = ::GetSysColorBrush(COLOR_HIGHLIGHT);
    HBRUSH window = ::GetSysColorBrush(COLOR_WINDOW);
    for (int y = y0, row = first; y <= clip.bottom; y += rh, ++row, parity ^= 1) {
        RECT band{clip.left, y, clip.right + 1, y + rh - g};
        HBRUSH brush;
        if (row >= 0 && row < count && c.IsSelected(row))
            brush = leparello ? c.GetSelectionBrush(parity) : highlight;
        else
            brush = leparello ? c.GetRowBrush(parity) : window;
        ::FillRect(dc, &band, brush);
        if (g > 0) {
            // The whole gap under the band, so that a grid wider than the pen leaves no stale pixels.
            RECT line{band.left, band.bottom, band.right, y + rh};
            ::FillRect(dc, &line, c.GetGridBrush());
        }
    }

    int scrollX = c.GetScrollX();
    int position = c.PositionAtX(clip.left + scrollX);
    if (c.IsValidPosition(position)) {
        int x = c.LeftEdge(position) - scrollX;
        while (x < clip.right && c.IsValidPosition(position)) {
            int col = c.ColumnAt(position);
            DrawColumn(dc, col, x, first, last, y0, clip.bottom);
            x += c.GetWidth(col);
            position = c.NextVisiblePosition(position);
        }
    }
    if (c.HasFocusMark())
        DrawFocus(dc);
}

void CTableDisplay::DrawColumn(HDC dc, int col, int x, int first, int last, int y0, int bottom) {
    CTableCtrl& c = *ctrl;
    int width = c.GetWidth(col);
    int rh = c.GetRowHeight();
    if (CCellOutput* output = c.GetOutput(col)) {
        output->Begin(dc);
        int y = y0;
        for (int row = std::max(first, 0); row < last; ++row, y += rh) {
            RECT text{x + c.MarginLeft(), y + c.MarginTop(), x + width - c.MarginRight(),
                      y + rh - c.MarginBottom()};
            output->DrawCell(text, c.GetCell(row, col), c.IsSelected(row));
        }
        output->End();
    }
    if (int v = c.GetVertGridWidth(); v != 0) {
        RECT line{x + width - v, y0, x + width, bottom + 1};
        ::FillRect(dc, &line, c.GetGridBrush());
    }
}

void CTableDisplay::DrawFocus(HDC dc) {
    CTableCtrl& c = *ctrl;
    if (c.GetCursorMode() == CTableCtrl::CURSOR_NONE)
        return;
    int row = c.GetCursorRow();
    int col = c.GetCursorColumn();
    RECT rc;
    if (row < 0) {
        rc.top = 0;
        rc.bottom = c.GetBodyHeight();
    } else {
        rc.top = c.RowTop(row);
        rc.bottom = rc.top + c.GetRowHeight() - c.GetHorzGridWidth();
    }
    if (col < 0) {
        rc.left = -1;
        rc.right = c.GetBodyWidth() + 1;
    } else {
        rc.left = c.LeftEdge(c.PositionOf(col)) - c.GetScrollX();
        rc.right = rc.left + c.GetWidth(col) - 1;
    }
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &rc);
}

void CTableDisplay::OnLButtonDown(UINT flags, POINT pt) {
    CTableCtrl& c = *ctrl;
    CTableCtrl::CUserAction action(c);
    ::SetFocus(c);
    int row = c.RowAtY(pt.y);
    int col = c.ColumnAtBodyX(pt.x);
    if (c.IsValidRow(row)) {
        c.EndEdit(false);
        c.SetCursor(row, col);
        bool alt = ::GetKeyState(VK_MENU) < 0;
        bool editing = !(flags & (MK_SHIFT | MK_CONTROL)) && !alt && c.StartEdit(false);
        if (!editing) {
            SetCapture();
            SetTimer(kDragTimer, kDragTick);
            m_nextScroll = ::GetTickCount();
            m_capturing = true;
        }
        c.ApplyClick(flags, row);
        m_lastRow = row;
        m_lastColumn = col;
        if (c.GetCursorMode() != CTableCtrl::CURSOR_NONE || c.GetSelectionMode() != CTableCtrl::SELECT_NONE)
            ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    m_buttonDown = true;
}

void CTableDisplay::EndDrag() {
    bool was = m_capturing;
    m_capturing = false;
    KillTimer(kDragTimer);
    if (was && HasCapture())
        ReleaseCapture();
}

void CTableDisplay::NotifyClick(int code, POINT pt) {
    CTableCtrl& c = *ctrl;
    STableNotify record;
    int row = c.RowAtY(pt.y);
    record.row = c.IsValidRow(row) ? row : -1;
    record.col = c.ColumnAtBodyX(pt.x);
    POINT inCtrl = pt;
    ::MapWindowPoints(m_hwnd, c, &inCtrl, 1);
    record.x = inCtrl.x;
    record.y = inCtrl.y;
    c.Notify(code, record);
}

void CTableDisplay::OnLButtonUp(UINT, POINT pt) {
    CTableCtrl::CUserAction action(*ctrl);
    EndDrag();
    if (m_doubleClicked)
        m_doubleClicked = false;
    else if (m_buttonDown)
        NotifyClick(TN_CLICK, pt);
    m_buttonDown = false;
}

void CTableDisplay::OnLButtonDblClk(UINT, POINT pt) {
    CTableCtrl::CUserAction action(*ctrl);
    EndDrag();
    NotifyClick(TN_CLICK, pt);
    NotifyClick(TN_DBLCLK, pt);
    m_doubleClicked = true;
}

void CTableDisplay::OnCaptureChanged(HWND) {
    CTableCtrl::CUserAction action(*ctrl);
    m_capturing = false;
    KillTimer(kDragTimer);
    ctrl->Notify(TN_RELEASEDCAPTURE);
}

void CTableDisplay::OnMouseMove(UINT, POINT pt) {
    if (m_capturing) {
        DragStep(pt);
        return;
    }
    int row = ctrl->RowAtY(pt.y);
    int col = ctrl->ColumnAtBodyX(pt.x);
    if (row != m_hoverRow || col != m_hoverColumn) {
        m_hoverRow = row;
        m_hoverColumn = col;
        ::SendMessageA(ctrl->GetToolTip(), TTM_POP, 0, 0);
    }
}

void CTableDisplay::OnTimer(UINT_PTR id) {
    if (id != kDragTimer || !m_capturing) {
        Default();
        return;
    }
    POINT pt = {};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hwnd, &pt);
    DragStep(pt);
}

void CTableDisplay::DragStep(POINT pt) {
    CTableCtrl& c = *ctrl;
    CTableCtrl::CUserAction action(c);
    int row = c.RowAtY(pt.y);
    int col = c.ColumnAtBodyX(pt.x);
    if (c.IsValidRow(row))
        c.SetCursorRow(row);
    if (c.IsValidColumn(col))
        c.SetCursorColumn(col);
    int count = c.GetRowCount();
    if (count == 0)
        return;
    int rh = c.GetRowHeight();
    int first = c.RowAtY(0);
    int full = c.GetBodyHeight() / rh;
    DWORD now = ::GetTickCount();
    bool due = static_cast<LONG>(now - m_nextScroll) >= 0;
    if (row >= 0 && row <= count - 1 && row != m_lastRow) {
        if (row < first) {
            if (due) {
                m_nextScroll = now + static_cast<DWORD>(DragScrollDelay(pt.y, full * rh));
                c.ScrollRows(SB_LINEUP);
                row = first - 1;
            } else if (col == m_lastColumn) {
                return;
            }
        } else if (row >= first + full) {
            if (due) {
                m_nextScroll = now + static_cast<DWORD>(DragScrollDelay(pt.y, full * rh));
                c.ScrollRows(SB_LINEDOWN);
                row = first + full;
            } else if (col == m_lastColumn) {
                return;
            }
        }
    } else if (col == m_lastColumn) {
        return;
    }
    row = std::clamp(row, 0, count - 1);
    c.ApplyClick(MK_SHIFT, row);
    m_lastRow = row;
    m_lastColumn = col;
    c.Refresh();
}

void CTableDisplay::OnContextMenu(HWND, POINT screenPt) {
    ShowContextMenu(screenPt);
}

void CTableDisplay::ShowContextMenu(POINT screenPt) {
    CTableCtrl& c = *ctrl;
    CTableCtrl::CUserAction action(c);
    EndDrag();
    ::SetFocus(c);
    c.EndEdit(true);
    int row;
    int col;
    POINT pt = screenPt;
    if (screenPt.x == -1 && screenPt.y == -1) {
        row = c.GetCursorRow();
        col = c.GetCursorColumn();
        POINT local{0, 0};
        if (c.IsValidColumn(col))
            local.x = c.LeftEdge(c.PositionOf(col)) - c.GetScrollX() + c.GetWidth(col) - 4;
        if (c.IsValidRow(row))
            local.y = c.RowTop(row) + c.GetRowHeight() - 4;
        c.EnsureVisible(row, col);
        pt = local;
        ::ClientToScreen(m_hwnd, &pt);
    } else {
        POINT local = screenPt;
        ::ScreenToClient(m_hwnd, &local);
        row = c.RowAtY(local.y);
        if (!c.IsValidRow(row))
            row = -1;
        col = c.ColumnAtBodyX(local.x);
        c.SetCursor(row, col);
    }
    if (row != -1 && !c.IsSelected(row))
        c.ApplyClick(0, row);
    c.Refresh();
    win::CPopupMenu menu;
    c.BuildTablePopupMenu(&menu, row, col);
    STableNotify record;
    record.row = row;
    record.col = col;
    record.pointer = &menu;
    if (c.Notify(TN_TABLEMENU, record))
        return;
    UINT command = c.TrackMenu(menu, pt);
    if (command == 0)
        return;
    record.command = static_cast<int>(command);
    if (c.Notify(TN_TABLECOMMAND, record))
        return;
    c.OnTablePopupCommand(static_cast<int>(command), row, col);
}

} // namespace Tabra
