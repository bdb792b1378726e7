#include "table/view/TableDisplay.h"

#include "table/view/TablePaneSite.h"

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
    const CTableGeometry& g = site->Geometry();
    const STableLook& look = site->Look();
    const CTableInterface& rows = site->Rows();
    int rh = g.rowHeight;
    int count = rows.GetRowCount();
    int first = g.RowAtY(clip.top);
    int last = std::min(g.RowAtY(clip.bottom) + 1, count);
    int y0 = g.RowTop(first);

    int parity = (y0 / rh) & 1;
    bool leparello = look.leparello;
    HBRUSH highlight = ::GetSysColorBrush(COLOR_HIGHLIGHT);
    HBRUSH window = ::GetSysColorBrush(COLOR_WINDOW);
    for (int y = y0, row = first; y <= clip.bottom; y += rh, ++row, parity ^= 1) {
        RECT band{clip.left, y, clip.right + 1, y + rh - g.horzGrid};
        HBRUSH brush;
        if (row >= 0 && row < count && rows.IsSelected(row))
            brush = leparello ? look.selBrush[parity] : highlight;
        else
            brush = leparello ? look.rowBrush[parity] : window;
        ::FillRect(dc, &band, brush);
        if (g.horzGrid > 0) {
            // The whole gap under the band, so that a grid wider than the pen leaves no stale pixels.
            RECT line{band.left, band.bottom, band.right, y + rh};
            ::FillRect(dc, &line, look.gridBrush);
        }
    }

    int position = g.PositionAtX(clip.left + g.scrollX);
    if (g.IsValidPosition(position)) {
        int x = g.LeftEdge(position) - g.scrollX;
        while (x < clip.right && g.IsValidPosition(position)) {
            int col = g.ColumnAt(position);
            DrawColumn(dc, col, x, first, last, y0, clip.bottom);
            x += g.Width(col);
            position = g.NextVisiblePosition(position);
        }
    }
    if (site->HasFocusMark())
        DrawFocus(dc);
}

void CTableDisplay::DrawColumn(HDC dc, int col, int x, int first, int last, int y0, int bottom) {
    const CTableGeometry& g = site->Geometry();
    const CTableInterface& rows = site->Rows();
    int width = g.Width(col);
    int rh = g.rowHeight;
    if (CCellOutput* output = g.Column(col).output.get()) {
        CRenderScope render(*output, dc);
        int y = y0;
        for (int row = std::max(first, 0); row < last; ++row, y += rh) {
            RECT text{x + g.marginLeft, y + g.marginTop, x + width - g.marginRight, y + rh - g.marginBottom};
            output->DrawCell(text, rows.GetCell(row, col), rows.IsSelected(row));
        }
    }
    if (int v = g.vertGrid; v != 0) {
        RECT line{x + width - v, y0, x + width, bottom + 1};
        ::FillRect(dc, &line, site->Look().gridBrush);
    }
}

void CTableDisplay::DrawFocus(HDC dc) {
    if (site->GetCursorMode() == CCurrentCell::MODE_NONE)
        return;
    const CTableGeometry& g = site->Geometry();
    int row = site->GetCursorRow();
    int col = site->GetCursorColumn();
    RECT rc;
    if (row < 0) {
        rc.top = 0;
        rc.bottom = g.bodyHeight;
    } else {
        rc.top = g.RowTop(row);
        rc.bottom = rc.top + g.rowHeight - g.horzGrid;
    }
    if (col < 0) {
        rc.left = -1;
        rc.right = g.bodyWidth + 1;
    } else {
        rc.left = g.LeftEdge(g.PositionOf(col)) - g.scrollX;
        rc.right = rc.left + g.Width(col) - 1;
    }
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &rc);
}

void CTableDisplay::OnLButtonDown(UINT flags, POINT pt) {
    CTablePaneSite& c = *site;
    CTablePaneSite::CUserAction action(c);
    ::SetFocus(c.SiteWindow());
    int row = c.Geometry().RowAtY(pt.y);
    int col = c.Geometry().ColumnAtBodyX(pt.x);
    if (c.Rows().IsValidRow(row)) {
        c.EndEdit(false);
        c.SetCursor(row, col);
        bool alt = ::GetKeyState(VK_MENU) < 0;
        bool editing = !(flags & (MK_SHIFT | MK_CONTROL)) && !alt && c.StartEdit(true);
        if (!editing) {
            SetCapture();
            SetTimer(kDragTimer, kDragTick);
            m_nextScroll = ::GetTickCount();
            m_capturing = true;
        }
        c.Selection().ApplyClick(flags, row);
        m_lastRow = row;
        m_lastColumn = col;
        if (c.GetCursorMode() != CCurrentCell::MODE_NONE || c.Selection().GetMode() != CSelection::MODE_NONE)
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
    CTablePaneSite& c = *site;
    STableNotify record;
    int row = c.Geometry().RowAtY(pt.y);
    record.row = c.Rows().IsValidRow(row) ? row : -1;
    record.col = c.Geometry().ColumnAtBodyX(pt.x);
    POINT inCtrl = pt;
    ::MapWindowPoints(m_hwnd, c.SiteWindow(), &inCtrl, 1);
    record.x = inCtrl.x;
    record.y = inCtrl.y;
    c.Notify(code, record);
}

void CTableDisplay::OnLButtonUp(UINT, POINT pt) {
    CTablePaneSite::CUserAction action(*site);
    EndDrag();
    if (m_doubleClicked)
        m_doubleClicked = false;
    else if (m_buttonDown)
        NotifyClick(TN_CLICK, pt);
    m_buttonDown = false;
}

void CTableDisplay::OnLButtonDblClk(UINT, POINT pt) {
    CTablePaneSite::CUserAction action(*site);
    EndDrag();
    NotifyClick(TN_CLICK, pt);
    NotifyClick(TN_DBLCLK, pt);
    m_doubleClicked = true;
}

void CTableDisplay::OnCaptureChanged(HWND) {
    CTablePaneSite::CUserAction action(*site);
    m_capturing = false;
    KillTimer(kDragTimer);
    site->Notify(TN_RELEASEDCAPTURE);
}

void CTableDisplay::OnMouseMove(UINT, POINT pt) {
    if (m_capturing) {
        DragStep(pt);
        return;
    }
    int row = site->Geometry().RowAtY(pt.y);
    int col = site->Geometry().ColumnAtBodyX(pt.x);
    if (row != m_hoverRow || col != m_hoverColumn) {
        m_hoverRow = row;
        m_hoverColumn = col;
        ::SendMessageA(site->ToolTip(), TTM_POP, 0, 0);
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
    CTablePaneSite& c = *site;
    CTablePaneSite::CUserAction action(c);
    const CTableGeometry& g = c.Geometry();
    int row = g.RowAtY(pt.y);
    int col = g.ColumnAtBodyX(pt.x);
    if (c.Rows().IsValidRow(row))
        c.SetCursorRow(row);
    if (c.Rows().IsValidColumn(col))
        c.SetCursorColumn(col);
    int count = c.Rows().GetRowCount();
    if (count == 0)
        return;
    int rh = g.rowHeight;
    int first = g.RowAtY(0);
    int full = g.FullRows();
    // The scrolling speeds up over the same distance in 96-DPI pixels at every DPI.
    int y96 = win::RescaleDpi(pt.y, g.dpi, win::kDefaultDpi);
    int full96 = win::RescaleDpi(full * rh, g.dpi, win::kDefaultDpi);
    DWORD now = ::GetTickCount();
    bool due = static_cast<LONG>(now - m_nextScroll) >= 0;
    if (row >= 0 && row <= count - 1 && row != m_lastRow) {
        if (row < first) {
            if (due) {
                m_nextScroll = now + static_cast<DWORD>(DragScrollDelay(y96, full96));
                c.ScrollRows(SB_LINEUP);
                row = first - 1;
            } else if (col == m_lastColumn) {
                return;
            }
        } else if (row >= first + full) {
            if (due) {
                m_nextScroll = now + static_cast<DWORD>(DragScrollDelay(y96, full96));
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
    c.Selection().ApplyClick(CLICK_SHIFT, row);
    m_lastRow = row;
    m_lastColumn = col;
    c.Refresh();
}

POINT CTableDisplay::KeyboardMenuPoint(int row, int col) const {
    // Taken after the cell was scrolled into view, and kept inside the body.
    const CTableGeometry& g = site->Geometry();
    int x = 0;
    int y = 0;
    if (site->Rows().IsValidColumn(col))
        x = g.LeftEdge(g.PositionOf(col)) - g.scrollX + g.Width(col) - g.Scaled(4);
    if (site->Rows().IsValidRow(row))
        y = g.RowTop(row) + g.rowHeight - g.Scaled(4);
    POINT local{std::clamp(x, 0, std::max(0, g.bodyWidth - 1)),
                std::clamp(y, 0, std::max(0, g.bodyHeight - 1))};
    return local;
}

void CTableDisplay::OnContextMenu(HWND, POINT screenPt) {
    ShowContextMenu(screenPt);
}

void CTableDisplay::ShowContextMenu(POINT screenPt) {
    CTablePaneSite& c = *site;
    CTablePaneSite::CUserAction action(c);
    const CTableGeometry& g = c.Geometry();
    EndDrag();
    ::SetFocus(c.SiteWindow());
    c.EndEdit(true);
    int row;
    int col;
    POINT pt = screenPt;
    if (screenPt.x == -1 && screenPt.y == -1) {
        row = c.GetCursorRow();
        col = c.GetCursorColumn();
        c.EnsureVisible(row, col);
        pt = KeyboardMenuPoint(row, col);
        ::ClientToScreen(m_hwnd, &pt);
    } else {
        POINT local = screenPt;
        ::ScreenToClient(m_hwnd, &local);
        row = g.RowAtY(local.y);
        if (!c.Rows().IsValidRow(row))
            row = -1;
        col = g.ColumnAtBodyX(local.x);
        c.SetCursor(row, col);
    }
    if (row != -1 && !c.Rows().IsSelected(row))
        c.Selection().ApplyClick(0, row);
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
