#include "table/view/HeaderDisplay.h"

#include "table/view/TablePaneSite.h"
#include "win/Scoped.h"
#include "win/Theme.h"
#include "win/WaitCursor.h"

#include <vssym32.h>

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
CSortKeys OrderedByDisplay(const CTableGeometry& g, const CSortKeys& keys) {
    std::vector<SSortKey> list(keys.begin(), keys.end());
    std::stable_sort(list.begin(), list.end(), [&g](const SSortKey& a, const SSortKey& b) {
        return g.PositionOf(a.column) < g.PositionOf(b.column);
    });
    CSortKeys ordered;
    for (const SSortKey& key : list)
        ordered.SetDirection(key.column, key.direction);
    return ordered;
}

} // namespace

CHeaderDisplay::~CHeaderDisplay() {
    if (m_dragImage)
        ::ImageList_Destroy(m_dragImage);
}

HCURSOR CHeaderDisplay::SplitCursor() {
    return ::LoadCursorA(nullptr, IDC_SIZEWE);
}

void CHeaderDisplay::Draw(HDC dc, const RECT& clip) {
    const CTableGeometry& g = site->Geometry();
    ::SelectObject(dc, site->Look().colors.font);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    ::SetBkMode(dc, TRANSPARENT);
    UINT base = site->Look().headerSort ? 0 : DFCS_FLAT;
    int scrollX = g.scrollX;
    CSortKeys keys = site->GetSortKeys();
    int position = g.PositionAtX(clip.left + scrollX);
    int x = clip.left;
    if (g.IsValidPosition(position)) {
        x = g.LeftEdge(position) - scrollX;
        while (x < clip.right && g.IsValidPosition(position)) {
            int col = g.ColumnAt(position);
            int width = g.Width(col);
            UINT state = base;
            if ((m_mode == MODE_PRESSED || m_mode == MODE_MOVING) && position == m_position)
                state |= m_pushed;
            DrawTitle(dc, RECT{x, 0, x + width, g.HeaderHeight()}, g.Column(col).header,
                      g.Column(col).headerFlags, keys.GetDirection(col), state);
            x += width;
            position = g.NextVisiblePosition(position);
        }
    }
    if (clip.right >= x)
        DrawTitle(dc, RECT{x, 0, clip.right + 4, g.HeaderHeight()}, std::string(), 0, SORT_NONE, base);
}

void CHeaderDisplay::DrawTitle(HDC dc, const RECT& r, const std::string& title, int format, int direction,
                               UINT state) {
    const CTableGeometry& g = site->Geometry();
    RECT text{r.left + g.marginLeft, r.top + g.marginTop, r.right - g.marginRight, r.bottom - g.marginBottom};
    if (HTHEME theme = win::ThemeFor(L"HEADER", g.dpi)) {
        ::DrawThemeBackground(theme, dc, HP_HEADERITEM, state == DFCS_PUSHED ? HIS_PRESSED : HIS_NORMAL, &r,
                              nullptr);
    } else {
        if (state == DFCS_PUSHED)
            ::OffsetRect(&text, g.Scaled(1), g.Scaled(1));
        RECT frame = r;
        ::DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | state);
    }
    if (direction != SORT_NONE) {
        int left = text.left - g.Scaled(2);
        int right = text.right - g.Scaled(5);
        int indent = g.Scaled(kArrowIndent);
        if (format == kDrawCenter) {
            DrawArrow(dc, left, text.top, direction);
            DrawArrow(dc, right, text.top, direction);
            text.left += indent;
            text.right -= indent;
        } else if (format == kDrawRight) {
            DrawArrow(dc, left, text.top, direction);
            text.left += indent;
        } else {
            DrawArrow(dc, right, text.top, direction);
            text.right -= indent;
        }
    }
    if (!title.empty())
        ::DrawTextA(dc, title.c_str(), static_cast<int>(title.size()), &text, static_cast<UINT>(format));
}

void CHeaderDisplay::DrawArrow(HDC dc, int x, int y, int direction) {
    // A small triangle in the 7 pixels the title gives up: pointing down for ascending, up for
    // descending.
    const CTableGeometry& g = site->Geometry();
    int top = y + g.Scaled(5);
    int w = g.Scaled(6);
    int h = g.Scaled(3);
    POINT down[3] = {{x, top}, {x + w, top}, {x + w / 2, top + h}};
    POINT up[3] = {{x, top + h}, {x + w, top + h}, {x + w / 2, top}};
    win::CSaveDC saved(dc);
    ::SelectObject(dc, ::GetStockObject(DC_BRUSH));
    ::SelectObject(dc, ::GetStockObject(DC_PEN));
    ::SetDCBrushColor(dc, kArrowColour);
    ::SetDCPenColor(dc, kArrowColour);
    ::Polygon(dc, direction == SORT_DESCENDING ? up : down, 3);
}

LRESULT CHeaderDisplay::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_THEMECHANGED) {
        // Every table's themes close; the header and the check boxes open the new one when they next draw.
        win::ResetThemes();
        ::RedrawWindow(site->SiteWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        return 0;
    }
    return CTableCtrlWnd::WindowProc(msg, wParam, lParam);
}

void CHeaderDisplay::DrawPressedTitle() {
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

int CHeaderDisplay::BorderHitTest(int x) {
    const CTableGeometry& g = site->Geometry();
    int content = x + g.scrollX;
    int position = g.PositionAtX(content);
    if (g.IsValidPosition(position)) {
        int left = g.LeftEdge(position);
        int width = g.Width(g.ColumnAt(position));
        if (position > 0 && left <= content && content <= left + g.marginLeft)
            return g.PrevVisiblePosition(position);
        if (content >= left + width - g.marginRight)
            return position;
        return -1;
    }
    if (position == g.ColumnCount()) {
        int last = g.PrevVisiblePosition(position);
        if (last >= 0 && content <= g.LeftEdge(last) + g.Width(g.ColumnAt(last)) + g.marginLeft)
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
                 (m_mode == MODE_IDLE && site->Look().resizable && BorderHitTest(pt.x) >= 0);
    ::SetCursor(split ? SplitCursor() : ::LoadCursorA(nullptr, IDC_ARROW));
    return true;
}

void CHeaderDisplay::OnLButtonDown(UINT, POINT pt) {
    CTablePaneSite& c = *site;
    const CTableGeometry& g = c.Geometry();
    CTablePaneSite::CUserAction action(c);
    ::SetFocus(c.SiteWindow());
    m_pressX = pt.x + g.scrollX;
    if (c.Look().resizable) {
        int border = BorderHitTest(pt.x);
        if (border >= 0) {
            m_mode = MODE_RESIZING;
            m_position = border;
            m_column = g.ColumnAt(border);
            m_pressWidth = g.Width(m_column);
            SetCapture();
            SetTimer(kScrollTimer, kScrollTick);
            return;
        }
    }
    int position = g.PositionAtX(m_pressX);
    if (!g.IsValidPosition(position)) {
        ::MessageBeep(0xFFFFFFFF);
        return;
    }
    m_mode = MODE_PRESSED;
    m_pushed = DFCS_PUSHED;
    m_position = position;
    m_column = g.ColumnAt(position);
    m_pressWidth = g.Width(m_column);
    DrawPressedTitle();
    SetCapture();
    SetTimer(kScrollTimer, kScrollTick);
}

void CHeaderDisplay::OnMouseMove(UINT flags, POINT pt) {
    CTablePaneSite& c = *site;
    const CTableGeometry& g = c.Geometry();
    CTablePaneSite::CUserAction action(c);
    int scrollX = g.scrollX;
    switch (m_mode) {
    case MODE_IDLE: {
        int col = g.ColumnAtBodyX(pt.x);
        if (col != m_hoverColumn) {
            m_hoverColumn = col;
            ::SendMessageA(c.ToolTip(), TTM_POP, 0, 0);
        }
        break;
    }
    case MODE_PRESSED: {
        bool over = g.PositionAtX(pt.x + scrollX) == m_position && pt.y >= 0 && pt.y < g.HeaderHeight();
        if (over) {
            if (!m_pushed) {
                m_pushed = DFCS_PUSHED;
                DrawPressedTitle();
            }
            if (std::abs(pt.x + scrollX - m_pressX) > win::SystemMetricForDpi(SM_CXDRAG, g.dpi) &&
                c.Look().movable)
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
        int q = g.PositionAtX(pt.x + scrollX);
        if (!g.IsValidPosition(q) || q == m_position)
            break;
        bool move = q < m_position ? pt.x < g.LeftEdge(q) - scrollX + m_pressWidth
                                   : pt.x > g.LeftEdge(m_position) - scrollX + g.Width(g.ColumnAt(q));
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
    const CTableGeometry& g = site->Geometry();
    int width = std::max(1, g.Width(m_column));
    win::CBitmap bitmap;
    {
        win::CWindowDC dc(m_hwnd);
        win::CMemoryDC mem(dc);
        bitmap.Reset(::CreateCompatibleBitmap(dc, width, g.HeaderHeight()));
        win::CSelectObject selectBitmap(mem, bitmap);
        win::CSelectObject selectFont(mem, site->Look().colors.font);
        RECT all{0, 0, width, g.HeaderHeight()};
        ::FillRect(mem, &all, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
        ::SetTextColor(mem, RGB(0, 0, 0));
        ::SetBkMode(mem, TRANSPARENT);
        RECT text{0, g.Scaled(3), width, g.Scaled(17)};
        const STableColumn& column = g.Column(m_column);
        ::DrawTextA(mem, column.header.c_str(), static_cast<int>(column.header.size()), &text,
                    static_cast<UINT>(column.headerFlags));
    }
    m_dragImage = ::ImageList_Create(width, g.HeaderHeight(), ILC_MASK | ILC_COLOR24, 2, 2);
    ::ImageList_AddMasked(m_dragImage, bitmap, RGB(255, 0, 0));
    ::ImageList_BeginDrag(m_dragImage, 0, m_pressX - g.LeftEdge(m_position), 0);
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
    CTablePaneSite& c = *site;
    win::CWaitCursor wait;
    if (c.Notify(TN_SORTING, -1, col))
        return false;
    CSortKeys keys = replace ? CSortKeys() : c.GetSortKeys();
    keys.SetDirection(col, direction);
    c.Sort(OrderedByDisplay(c.Geometry(), keys));
    c.Notify(TN_SORTED, -1, col);
    return true;
}

void CHeaderDisplay::OnLButtonUp(UINT flags, POINT pt) {
    CTablePaneSite& c = *site;
    CTablePaneSite::CUserAction action(c);
    if (m_mode == MODE_PRESSED) {
        bool over = c.Geometry().PositionAtX(pt.x + c.Geometry().scrollX) == m_position && pt.y >= 0 &&
                    pt.y < c.Geometry().HeaderHeight();
        if (over && c.Look().headerSort) {
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
                c.Sort(OrderedByDisplay(c.Geometry(), c.GetSortKeys()));
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
    CTablePaneSite& c = *site;
    CTablePaneSite::CUserAction action(c);
    if (!c.Look().resizable)
        return;
    int border = BorderHitTest(pt.x);
    if (!c.Geometry().IsValidPosition(border))
        return;
    win::CWaitCursor wait;
    c.AutoSize(c.Geometry().ColumnAt(border), true);
    c.Refresh();
}

void CHeaderDisplay::OnTimer(UINT_PTR id) {
    if (id != kScrollTimer || m_mode == MODE_IDLE) {
        Default();
        return;
    }
    CTablePaneSite& c = *site;
    POINT pt = {};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hwnd, &pt);
    int scrollX = c.Geometry().scrollX;
    int edgeZone = c.Geometry().Scaled(kEdgeZone);
    int limit = c.Geometry().bodyWidth - edgeZone;
    if (pt.x <= edgeZone - 1)
        c.SetScrollX(scrollX - (edgeZone - pt.x) / 3);
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
    CTablePaneSite::CUserAction action(*site);
    if (m_mode == MODE_MOVING)
        EndMoving();
    m_mode = MODE_IDLE;
    KillTimer(kScrollTimer);
    site->Notify(TN_RELEASEDCAPTURE);
}

void CHeaderDisplay::OnContextMenu(HWND, POINT screenPt) {
    CTablePaneSite& c = *site;
    CTablePaneSite::CUserAction action(c);
    ::SetFocus(c.SiteWindow());
    Stop();
    POINT local = screenPt;
    ::ScreenToClient(m_hwnd, &local);
    int col = c.Geometry().ColumnAtBodyX(local.x);
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
