#include "table/view/TableCtrl.h"

#include "table/model/Locale.h"
#include "table/view/AppearanceReader.h"
#include "win/Controls.h"
#include "win/Dpi.h"
#include "win/Scoped.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace Tabra {

namespace {

constexpr char kCtrlClass[] = "TabraTable";
constexpr char kBodyClass[] = "TabraBody";
constexpr char kHeaderClass[] = "TabraHeader";
constexpr UINT_PTR kTypeAheadTimer = 1;
constexpr UINT kTypeAheadTick = 400;
constexpr int kTypeAheadTicks = 3;
constexpr DWORD kPlaceholderMask = 0xFFFFCC04;
constexpr DWORD kSingleSelection = 0x4;
constexpr DWORD kNoHeader = 0x4000;
constexpr DWORD kNoHeaderSort = 0x8000;

} // namespace

CTableCtrl::CTableCtrl() : CTablePaneSite(m_geo, m_look, m_table, m_selection), m_look(ReadAppearance()) {
    SetTableTarget(&m_table);
    m_geo.horzGrid = m_look.appearance.horzGrid;
    m_geo.vertGrid = m_look.appearance.vertGrid;
    m_geo.gridWidth = m_look.appearance.gridWidth;
    m_body.site = this;
    m_header.site = this;
    MeasureColumns();
}

CTableCtrl::~CTableCtrl() {
    // The windows go first, while every member they may still reach is alive.
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
}

bool CTableCtrl::Create(HWND parent, int id) {
    win::SPlaceholder placeholder;
    if (!win::TakePlaceholder(parent, id, placeholder))
        return false;
    DWORD masked = placeholder.style & kPlaceholderMask;
    DWORD style = (masked | WS_CHILD | WS_CLIPCHILDREN) & 0xFFFF0000;
    m_selection.SetMode((masked & kSingleSelection) ? CSelection::MODE_SINGLE : CSelection::MODE_MULTIPLE);
    ShowHeader((masked & kNoHeader) == 0);
    SetHeaderSort((masked & kNoHeaderSort) == 0);
    win::CWnd::RegisterClass(kCtrlClass, 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    if (!win::CWnd::Create(kCtrlClass, "Tabra", style, WS_EX_CLIENTEDGE, placeholder.rect, parent, id))
        return false;
    win::PlaceInTabOrder(m_hwnd, placeholder);
    return true;
}

bool CTableCtrl::CreatePopup() {
    m_selection.SetMode(CSelection::MODE_SINGLE);
    win::CWnd::RegisterClass(kCtrlClass, 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    return win::CWnd::Create(kCtrlClass, "Tabra", WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW,
                             RECT{0, 0, 1, 1}, nullptr);
}

int CTableCtrl::OnCreate(CREATESTRUCTA* cs) {
    int result = win::CWnd::OnCreate(cs);
    if (result == -1)
        return -1;
    win::InitControls();
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    m_toolTip =
        ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr, instance, nullptr);
    ::SendMessageA(m_toolTip, TTM_SETMAXTIPWIDTH, 0, 32767);
    win::CWnd::RegisterClass(kBodyClass, CS_DBLCLKS);
    win::CWnd::RegisterClass(kHeaderClass, CS_DBLCLKS);
    RECT first{1, 2, 3, 4};
    m_body.Create(kBodyClass, "CTableDisplay", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, first, m_hwnd, 0);
    m_header.Create(kHeaderClass, "CHeaderDisplay", WS_CHILD | WS_VISIBLE, 0, first, m_hwnd, 0);
    m_hbar = ::CreateWindowExA(0, "SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_BOTTOMALIGN, 1, 2, 2, 2,
                               m_hwnd, nullptr, instance, nullptr);
    m_vbar = ::CreateWindowExA(0, "SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT | SBS_RIGHTALIGN, 1,
                               2, 2, 2, m_hwnd, nullptr, instance, nullptr);
    for (HWND pane : {m_body.GetHwnd(), m_header.GetHwnd()}) {
        TOOLINFOA tool = {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = m_hwnd;
        tool.uId = reinterpret_cast<UINT_PTR>(pane);
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        ::SendMessageA(m_toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    HFONT parentFont = reinterpret_cast<HFONT>(::SendMessageA(GetParent(), WM_GETFONT, 0, 0));
    m_look.UseFont(parentFont, win::WindowDpi(m_hwnd), m_geo.dpi);
    TakeDpi();
    return result;
}

void CTableCtrl::OnDestroy() {
    // The editor is a child of the body pane and goes with it: no edit outlives the windows.
    m_edit.Abandon();
    win::CWnd::OnDestroy();
}

LRESULT CTableCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETFONT:
        m_look.UseFont(reinterpret_cast<HFONT>(wParam), win::WindowDpi(m_hwnd), m_geo.dpi);
        MeasureColumns();
        if (LOWORD(lParam))
            Update(true);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_look.colors.font);
    case win::kDpiChangedAfterParent:
        TakeDpi(static_cast<int>(wParam));
        Update(true);
        return 0;
    default:
        return win::CWnd::WindowProc(msg, wParam, lParam);
    }
}

void CTableCtrl::TakeDpi(int told) {
    int dpi = told > 0 ? told : win::WindowDpi(m_hwnd);
    if (dpi == m_geo.dpi && m_look.colors.dpi == dpi)
        return;
    m_geo.SetDpi(dpi, m_look.appearance.gridWidth);
    m_look.ScaleFont(dpi);
    MeasureColumns();
}

// ---- Columns ----

void CTableCtrl::SetColumnCount(int count) {
    Reset();
    m_table.SetColumnCount(count);
    m_geo.columns.resize(static_cast<size_t>(count));
    for (int col = 0; col < count; ++col)
        m_geo.order.push_back(col);
}

void CTableCtrl::Reset() {
    EndEdit(true);
    m_geo.columns.clear();
    m_geo.order.clear();
    m_table.Reset();
    m_keyColumn = -1;
    m_geo.scrollX = 0;
    m_geo.scrollY = 0;
    m_cursor.Forget();
    m_cursor.SetColumn(-1);
}

void CTableCtrl::Sort(const CSortKeys& keys) {
    m_sortKeys = keys;
    m_table.Sort(m_sortKeys);
}

void CTableCtrl::EndColumns(int keyColumn) {
    m_table.BuildLayout();
    MeasureColumns();
    m_keyColumn = keyColumn;
}

int CTableCtrl::AddColumn(CColDef* def, const char* header, int width) {
    int col = m_table.AddColumn(def->CreateFactory(), def->CreateCompare());
    m_geo.columns.resize(static_cast<size_t>(col) + 1);
    m_geo.order.push_back(col);
    SetColumnOutput(col, CreateOutput(def), CreateInput(def), header, width);
    return col;
}

void CTableCtrl::DefineColumn(int col, CColDef* def, const char* header, int width) {
    m_table.SetColumn(col, def->CreateFactory(), def->CreateCompare());
    SetColumnOutput(col, CreateOutput(def), CreateInput(def), header, width);
}

void CTableCtrl::SetColumnOutput(int col, CCellOutput* output, CCellInput* input, const char* header,
                                 int width) {
    STableColumn& c = Column(col);
    if (c.input.get() != input)
        EndEdit(true);
    c.output.reset(output);
    c.input.reset(input);
    if (input)
        input->SetColors(&m_look.colors);
    int shown = m_geo.Scaled(width);
    if (output) {
        output->SetColors(&m_look.colors);
        if (width < 1) {
            CRenderScope render(*output, CTableCtrlWnd::SurfaceDC());
            shown = output->TypicalWidth() + m_geo.marginLeft + m_geo.marginRight;
        }
    }
    SetWidth(col, shown);
    SetColumnVisible(col, header != nullptr && width >= 0);
    SetHeader(col, header ? header : "", -1);
}

void CTableCtrl::MeasureColumns() {
    HDC dc = CTableCtrlWnd::SurfaceDC();
    int tallest = 0;
    for (int col = 0; col < GetColumnCount() && col < static_cast<int>(m_geo.columns.size()); ++col) {
        STableColumn& c = Column(col);
        if (!c.output)
            continue;
        int minWidth = 0;
        int height = 0;
        {
            CRenderScope render(*c.output, dc);
            minWidth = c.output->MinWidth();
            height = c.output->TextHeight();
        }
        if (c.editable && c.input) {
            minWidth = std::max(minWidth, c.input->MinWidth());
            height = std::max(height, c.input->EditHeight());
        }
        tallest = std::max(tallest, height);
        c.minLimit = m_geo.marginLeft + m_geo.marginRight + m_geo.vertGrid + minWidth;
        c.maxLimit = 4096;
        SetWidthLimits(col, c.minWidth, c.maxWidth);
        SetWidth(col, c.width);
    }
    if (tallest == 0) {
        // No renderer yet: the font's line keeps the rows readable.
        win::CSaveDC saved(dc);
        ::SelectObject(dc, m_look.colors.font);
        TEXTMETRICA tm = {};
        ::GetTextMetricsA(dc, &tm);
        tallest = tm.tmHeight + m_geo.Scaled(2);
    }
    m_geo.rowHeight = m_geo.horzGrid + tallest + m_geo.marginTop + m_geo.marginBottom;
}

void CTableCtrl::SetHeader(int col, const std::string& text, int flags) {
    size_t lf = text.find('\n');
    Column(col).header = text.substr(0, lf);
    Column(col).header2 = lf == std::string::npos ? std::string() : text.substr(lf + 1);
    SetHeaderFlags(col, flags);
}

void CTableCtrl::SetHeaderFlags(int col, int flags) {
    STableColumn& c = Column(col);
    if (flags == -1)
        flags = c.output ? c.output->GetFormat() : kDrawLeft;
    c.headerFlags = flags;
}

void CTableCtrl::SetWidth(int col, int width) {
    STableColumn& c = Column(col);
    c.width = std::clamp(width, c.minWidth, std::max(c.minWidth, c.maxWidth));
}

void CTableCtrl::SetWidthLimits(int col, int minWidth, int maxWidth) {
    STableColumn& c = Column(col);
    c.minWidth = std::max(minWidth, c.minLimit);
    c.maxWidth = std::min(maxWidth, c.maxLimit);
}

void CTableCtrl::AutoSizeAll(bool withHeader) {
    for (int col = 0; col < GetColumnCount(); ++col)
        AutoSize(col, withHeader);
}

void CTableCtrl::AutoSize(int col, bool withHeader) {
    STableColumn& c = Column(col);
    HDC dc = CTableCtrlWnd::SurfaceDC();
    int width = 0;
    if (c.output) {
        CRenderScope render(*c.output, dc);
        width = c.output->ContentWidth(GetColData(col), GetRowCount());
    }
    if (c.input && c.editable)
        width += m_geo.Scaled(16);
    if (withHeader)
        width = std::max(width, HeaderTextWidth(c.header));
    SetWidth(col, width + m_geo.marginLeft + m_geo.marginRight);
}

int CTableCtrl::HeaderTextWidth(const std::string& text) {
    HDC dc = CTableCtrlWnd::SurfaceDC();
    win::CSaveDC saved(dc);
    ::SelectObject(dc, m_look.colors.font);
    SIZE size = {};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void CTableCtrl::FitColumns() {
    int available = m_geo.bodyWidth - win::SystemMetricForDpi(SM_CXVSCROLL, m_geo.dpi);
    int sum = m_geo.TotalColumnsWidth();
    if (sum <= 0)
        return;
    double factor = static_cast<double>(available) / sum;
    int rightmost = -1;
    int total = 0;
    for (int position = 0; position < GetColumnCount(); ++position) {
        int col = m_geo.ColumnAt(position);
        if (!Column(col).visible)
            continue;
        SetWidth(col, static_cast<int>(Column(col).width * factor));
        total += Column(col).width;
        rightmost = col;
    }
    if (rightmost >= 0)
        SetWidth(rightmost, Column(rightmost).width + available - total);
}

bool CTableCtrl::IsColumnVisible(int col) {
    return Column(col).visible;
}

void CTableCtrl::MoveColumn(int col, int position) {
    auto it = std::find(m_geo.order.begin(), m_geo.order.end(), col);
    if (it == m_geo.order.end())
        return;
    m_geo.order.erase(it);
    position = std::clamp(position, 0, static_cast<int>(m_geo.order.size()));
    m_geo.order.insert(m_geo.order.begin() + position, col);
}

SColumnSet CTableCtrl::ColumnSet() {
    std::vector<SColumnState> states;
    for (const STableColumn& c : m_geo.columns)
        states.push_back(SColumnState{c.header, c.width, c.visible});
    SColumnSet set(std::move(states));
    set.order = m_geo.order;
    set.dpi = m_geo.dpi;
    return set;
}

void CTableCtrl::GetLayout(CWordArray& out) {
    Tabra::GetLayout(ColumnSet(), out);
}

bool CTableCtrl::SetLayout(const CWordArray& in) {
    SColumnSet set = ColumnSet();
    if (!Tabra::SetLayout(set, in))
        return false;
    for (size_t col = 0; col < m_geo.columns.size(); ++col) {
        m_geo.columns[col].width = set.columns[col].width;
        m_geo.columns[col].visible = set.columns[col].visible;
    }
    m_geo.order = set.order;
    return true;
}

void CTableCtrl::SetLeparello(bool on) {
    m_look.leparello = on;
    SetHorzGrid(!on);
    SetVertGrid(true);
}

void CTableCtrl::SetHorzGrid(bool on) {
    if (on == (m_geo.horzGrid != 0))
        return;
    int change = on ? m_geo.gridWidth : -m_geo.gridWidth;
    m_geo.horzGrid += change;
    m_geo.rowHeight += change;
}

void CTableCtrl::SetEditable(bool editable) {
    for (int col = 0; col < GetColumnCount(); ++col)
        SetColumnEditable(col, editable);
}

void CTableCtrl::SetColumnEditable(int col, bool editable) {
    STableColumn& c = Column(col);
    c.editable = editable;
    m_cursor.SetMode(CCurrentCell::MODE_CELL);
    if (c.output)
        c.output->SetEditMode(editable);
    MeasureColumns();
}

// ---- Cells, rows, keys ----

std::string CTableCtrl::GetCellText(int row, int col) {
    CCellOutput* output = Column(col).output.get();
    return output ? output->ValueText(GetCell(row, col)) : std::string();
}

int CTableCtrl::FindText(int col, const std::string& prefix, int after) {
    int count = GetRowCount();
    if (!IsValidColumn(col) || count == 0)
        return -1;
    for (int i = 1; i <= count; ++i) {
        int row = (after + i) % count;
        if (row == after)
            break;
        std::string text = GetCellText(row, col);
        if (CollateNoCasePrefix(text.c_str(), prefix.c_str(), prefix.size()) == 0)
            return row;
    }
    return -1;
}

void CTableCtrl::SetSelectedRow(int row) {
    m_selection.SelectOnly(row);
    if (IsValidRow(row)) {
        m_cursor.SetRow(row);
        EnsureVisible(row, -1);
    }
}

int CTableCtrl::GetKey(int row) {
    if (m_keyColumn < 0 || !IsValidRow(row))
        return -1;
    return GetCell(row, m_keyColumn)->GetInt();
}

void CTableCtrl::SetKey(int row, int value) {
    if (m_keyColumn >= 0 && IsValidRow(row))
        GetCell(row, m_keyColumn)->SetInt(value);
}

int CTableCtrl::FindKey(int value) {
    if (m_keyColumn < 0)
        return -1;
    CDInt probe;
    probe.SetInt(value);
    return FindNext(m_keyColumn, &probe, -1);
}

// ---- Cursor ----

int CTableCtrl::GetCursorColumn() {
    if (m_cursor.GetMode() != CCurrentCell::MODE_CELL || GetColumnCount() == 0)
        return -1;
    if (m_cursor.RawColumn() < 0)
        m_cursor.SetColumn(0);
    return m_geo.VisibleColumnFrom(m_cursor.RawColumn());
}

void CTableCtrl::SetCursor(int row, int col) {
    m_cursor.SetRow(row);
    m_cursor.SetColumn(col);
}

// ---- Layout and scrolling ----

bool CTableCtrl::IsPlaced(HWND hwnd, int x, int y, int w, int h) const {
    RECT now = {};
    ::GetWindowRect(hwnd, &now);
    ::MapWindowPoints(HWND_DESKTOP, m_hwnd, reinterpret_cast<POINT*>(&now), 2);
    return ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd) && now.left == x && now.top == y &&
           now.right == x + w && now.bottom == y + h;
}

void CTableCtrl::PlaceWindow(HWND hwnd, bool condition, int x, int y, int w, int h) {
    if (!hwnd)
        return;
    if (condition) {
        if (IsPlaced(hwnd, x, y, w, h))
            return;
        ::ShowWindow(hwnd, SW_SHOWNA);
        ::EnableWindow(hwnd, TRUE);
        ::SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        ::InvalidateRect(hwnd, nullptr, TRUE);
    } else {
        ::ShowWindow(hwnd, SW_HIDE);
        ::EnableWindow(hwnd, FALSE);
    }
}

void CTableCtrl::SetScrollBar(HWND bar, int max, int page, int pos) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    // Setting a bar redraws it, which is slow under some window systems; unchanged values are skipped.
    if (::GetScrollInfo(bar, SB_CTL, &si) && si.nMin == 0 && si.nMax == max &&
        si.nPage == static_cast<UINT>(page) && si.nPos == pos)
        return;
    si.nMin = 0;
    si.nMax = max;
    si.nPage = static_cast<UINT>(page);
    si.nPos = pos;
    ::SetScrollInfo(bar, SB_CTL, &si, TRUE);
}

bool CTableCtrl::Layout(int width, int height) {
    int headerHeight = m_look.headerShown ? m_geo.HeaderHeight() : 0;
    int body = height - headerHeight;
    int hbar = 0;
    int vbar = 0;
    int columns = m_geo.TotalColumnsWidth();
    int rows = GetRowCount() * m_geo.rowHeight;
    for (;;) {
        bool added = false;
        if (m_hscrollAllowed && hbar == 0 && width + m_geo.gridWidth < columns) {
            hbar = win::SystemMetricForDpi(SM_CXHSCROLL, m_geo.dpi);
            body -= hbar;
            added = true;
        }
        if (m_vscrollAllowed && vbar == 0 && body < rows) {
            vbar = win::SystemMetricForDpi(SM_CXVSCROLL, m_geo.dpi);
            width -= vbar;
            continue;
        }
        if (!added)
            break;
    }
    m_geo.bodyWidth = std::max(0, width);
    m_geo.bodyHeight = std::max(0, body);
    SetScrollX(m_geo.scrollX);
    SetScrollY(m_geo.scrollY);
    if (!m_hwnd)
        return true;

    SetScrollBar(m_vbar, m_geo.MaxScrollY() + m_geo.bodyHeight - 1, m_geo.bodyHeight, m_geo.scrollY);
    SetScrollBar(m_hbar, m_geo.MaxScrollX() + m_geo.bodyWidth - 1, m_geo.bodyWidth, m_geo.scrollX);
    if (m_geo.scrollX != m_laidScrollX)
        ::InvalidateRect(m_header, nullptr, FALSE);
    bool moved = m_geo.scrollX != m_laidScrollX || m_geo.scrollY != m_laidScrollY;
    m_laidScrollX = m_geo.scrollX;
    m_laidScrollY = m_geo.scrollY;

    // Panes and bars already in place are not moved: that would repaint them for nothing.
    if (!IsPlaced(m_body, 0, headerHeight, m_geo.bodyWidth, m_geo.bodyHeight)) {
        ::SetWindowPos(m_body, nullptr, 0, headerHeight, m_geo.bodyWidth, m_geo.bodyHeight,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        moved = true;
    }
    PlaceWindow(m_header, headerHeight != 0, 0, 0, m_geo.bodyWidth + vbar, headerHeight);
    PlaceWindow(m_vbar, vbar != 0, m_geo.bodyWidth, headerHeight, vbar, m_geo.bodyHeight);
    PlaceWindow(m_hbar, hbar != 0, 0, headerHeight + m_geo.bodyHeight, m_geo.bodyWidth, hbar);
    return moved;
}

void CTableCtrl::Update(bool keepSort) {
    if (!keepSort)
        m_sortKeys = CSortKeys();
    if (!m_hwnd)
        return;
    RECT rc = GetClientRect();
    Layout(rc.right, rc.bottom);
    m_edit.Reposition();
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CTableCtrl::RefreshCursorRows(int fromRow, int toRow) {
    RECT rc = GetClientRect();
    bool moved = Layout(rc.right, rc.bottom);
    if (moved)
        m_edit.Reposition(); // an editor opened before the scroll
    if (moved || fromRow < 0) {
        ::InvalidateRect(m_body, nullptr, FALSE);
    } else {
        for (int row : {fromRow, toRow}) {
            RECT band{0, m_geo.RowTop(row), m_geo.bodyWidth, m_geo.RowTop(row) + m_geo.rowHeight};
            ::InvalidateRect(m_body, &band, FALSE);
        }
    }
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CTableCtrl::RedrawBody() {
    ::RedrawWindow(m_body, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CTableCtrl::OnSize(UINT, int cx, int cy) {
    int x = m_geo.scrollX;
    int y = m_geo.scrollY;
    Layout(cx, cy);
    m_edit.Reposition();
    if (x != m_geo.scrollX || y != m_geo.scrollY)
        ::InvalidateRect(m_header, nullptr, FALSE);
    Invalidate();
    ::RedrawWindow(m_body, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void CTableCtrl::OnVScroll(UINT code, int, HWND) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS;
    switch (code) {
    case SB_LINEUP:
    case SB_LINEDOWN:
    case SB_PAGEUP:
    case SB_PAGEDOWN:
        m_geo.ScrollRows(static_cast<int>(code));
        ::SetScrollPos(m_vbar, SB_CTL, m_geo.scrollY, TRUE);
        break;
    case SB_THUMBPOSITION:
        ::GetScrollInfo(m_vbar, SB_CTL, &si);
        SetScrollY(si.nTrackPos);
        ::SetScrollPos(m_vbar, SB_CTL, m_geo.scrollY, TRUE);
        break;
    case SB_THUMBTRACK:
        ::GetScrollInfo(m_vbar, SB_CTL, &si);
        SetScrollY(si.nTrackPos);
        break;
    case SB_TOP:
    case SB_BOTTOM:
        SetScrollY(code == SB_TOP ? 0 : m_geo.MaxScrollY());
        ::SetScrollPos(m_vbar, SB_CTL, m_geo.scrollY, TRUE);
        break;
    default:
        Default();
        return;
    }
    m_edit.Reposition();
    RedrawBody();
}

void CTableCtrl::OnHScroll(UINT code, int, HWND) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS;
    switch (code) {
    case SB_LINELEFT:
    case SB_LINERIGHT:
    case SB_PAGELEFT:
    case SB_PAGERIGHT:
        m_geo.ScrollColumns(static_cast<int>(code));
        ::SetScrollPos(m_hbar, SB_CTL, m_geo.scrollX, TRUE);
        break;
    case SB_THUMBPOSITION:
        ::GetScrollInfo(m_hbar, SB_CTL, &si);
        SetScrollX(si.nTrackPos);
        ::SetScrollPos(m_hbar, SB_CTL, m_geo.scrollX, TRUE);
        break;
    case SB_THUMBTRACK:
        ::GetScrollInfo(m_hbar, SB_CTL, &si);
        SetScrollX(si.nTrackPos);
        break;
    case SB_LEFT:
    case SB_RIGHT:
        SetScrollX(code == SB_LEFT ? 0 : m_geo.MaxScrollX());
        ::SetScrollPos(m_hbar, SB_CTL, m_geo.scrollX, TRUE);
        break;
    default:
        Default();
        return;
    }
    m_edit.Reposition();
    RedrawBody();
    if (m_look.headerShown)
        ::RedrawWindow(m_header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CTableCtrl::OnMouseWheel(UINT flags, short delta, POINT) {
    if (flags & MK_SHIFT) {
        ScrollSideways(-delta); // rolling towards the user moves right, as in other programs
        return;
    }
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    int perNotch = static_cast<int>(lines);
    if (perNotch < 0) {
        ScrollRows(delta >= 1 ? SB_PAGEUP : SB_PAGEDOWN);
    } else {
        perNotch = std::max(perNotch, 1);
        SetScrollY(m_geo.scrollY - (delta / WHEEL_DELTA) * m_geo.rowHeight * perNotch);
    }
    Update(true);
}

void CTableCtrl::OnMouseHWheel(UINT, short delta, POINT) {
    ScrollSideways(delta);
}

void CTableCtrl::ScrollSideways(int delta) {
    m_sideWheel += delta;
    int notches = m_sideWheel / WHEEL_DELTA;
    m_sideWheel %= WHEEL_DELTA;
    for (int i = 0; i < std::abs(notches); ++i)
        m_geo.ScrollColumns(notches > 0 ? SB_LINERIGHT : SB_LINELEFT);
    Update(true);
}

void CTableCtrl::OnSysColorChange() {
    m_look.ReadSystemColours();
    win::CWnd::OnSysColorChange();
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---- Notifications and tooltips ----

LRESULT CTableCtrl::Notify(int code, STableNotify& record) {
    if (!IsNotifying() || !m_hwnd)
        return 0;
    int id = GetDlgCtrlID();
    record.hdr.hwndFrom = m_hwnd;
    record.hdr.idFrom = static_cast<UINT_PTR>(id);
    record.hdr.code = static_cast<UINT>(code);
    record.key = GetKey(record.row);
    return ::SendMessageA(GetParent(), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&record));
}

bool CTableCtrl::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->hwndFrom == m_toolTip && header->code == TTN_NEEDTEXTA) {
        result = 0;
        return OnToolTipText(reinterpret_cast<NMTTDISPINFOA*>(header));
    }
    return false;
}

bool CTableCtrl::OnToolTipText(NMTTDISPINFOA* info) {
    static std::string s_tip; // the tooltip control reads it after we return
    CUserAction action(*this);
    POINT pt = {};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_body, &pt);
    STableNotify record;
    int row = m_geo.RowAtY(pt.y);
    record.row = IsValidRow(row) ? row : -1;
    int position = m_geo.PositionAtX(pt.x + m_geo.scrollX);
    record.col = m_geo.IsValidPosition(position) ? m_geo.ColumnAt(position) : -1;
    std::string proposed;
    if (info->hdr.idFrom == reinterpret_cast<UINT_PTR>(m_body.GetHwnd())) {
        if (record.row >= 0 && record.col >= 0 && Column(record.col).output) {
            STableColumn& c = Column(record.col);
            CRenderScope render(*c.output, CTableCtrlWnd::SurfaceDC());
            proposed = c.output->TipText(GetCell(record.row, record.col),
                                         c.width - m_geo.marginLeft - m_geo.marginRight);
        }
        record.text = proposed;
        if (Notify(TN_BODYTIP, record))
            proposed = record.text;
    } else {
        if (record.col >= 0) {
            STableColumn& c = Column(record.col);
            if (!c.header2.empty()) {
                proposed = c.header2;
            } else {
                int title = HeaderTextWidth(c.header);
                if (c.width - m_geo.marginLeft - m_geo.marginRight < title ||
                    m_geo.LeftEdge(position) - m_geo.scrollX + title > m_geo.bodyWidth)
                    proposed = c.header;
            }
        }
        record.text = proposed;
        if (Notify(TN_HEADERTIP, record))
            proposed = record.text;
    }
    s_tip = proposed;
    info->lpszText = s_tip.data();
    return true;
}

// ---- Keyboard, type-ahead, focus ----

void CTableCtrl::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    CUserAction action(*this);
    NMKEY nk = {};
    nk.hdr.hwndFrom = m_hwnd;
    nk.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    nk.hdr.code = static_cast<UINT>(TN_KEYDOWN);
    nk.nVKey = key;
    nk.uFlags = MAKELONG(repeat, flags);
    if (::SendMessageA(GetParent(), WM_NOTIFY, nk.hdr.idFrom, reinterpret_cast<LPARAM>(&nk)))
        return;
    UINT mods =
        (::GetKeyState(VK_CONTROL) < 0 ? MK_CONTROL : 0) | (::GetKeyState(VK_SHIFT) < 0 ? MK_SHIFT : 0);
    if (OnShortcut(key, mods))
        return;
    bool cellCursor = m_cursor.GetMode() == CCurrentCell::MODE_CELL;
    int row = GetCursorRow();
    int last = GetRowCount() - 1;
    int columns = GetColumnCount();
    switch (key) {
    case VK_BACK:
    case VK_DELETE:
        m_typeAhead.clear();
        return;
    case VK_SPACE:
        if (mods == 0)
            StartEdit(false);
        break;
    case VK_PRIOR:
        if (row >= 1)
            SetCursorRow(std::max(0, row - m_geo.bodyHeight / m_geo.rowHeight));
        break;
    case VK_NEXT:
        if (row < last)
            SetCursorRow(std::min(last, row + m_geo.RowAtY(m_geo.bodyHeight + 1) - m_geo.RowAtY(0) - 1));
        break;
    case VK_HOME:
        if ((mods & MK_CONTROL) || !cellCursor)
            SetCursorRow(0);
        else if (columns > 0)
            m_cursor.SetColumn(m_geo.ColumnAt(0));
        break;
    case VK_END:
        if ((mods & MK_CONTROL) || !cellCursor) {
            SetCursorRow(last);
        } else {
            int p = m_geo.PrevVisiblePosition(columns);
            if (p >= 0)
                m_cursor.SetColumn(m_geo.ColumnAt(p));
        }
        break;
    case VK_LEFT:
    case VK_RIGHT: {
        int col = GetCursorColumn();
        int p = col >= 0 ? m_geo.PositionOf(col) : -1;
        int q = col < 0 ? -1 : key == VK_LEFT ? m_geo.PrevVisiblePosition(p) : m_geo.NextVisiblePosition(p);
        if (m_cursor.GetMode() == CCurrentCell::MODE_CELL && m_geo.IsValidPosition(q))
            m_cursor.SetColumn(m_geo.ColumnAt(q));
        else
            m_geo.ScrollColumns(key == VK_LEFT ? SB_LINELEFT : SB_LINERIGHT);
        break;
    }
    case VK_UP:
        if (row > 0)
            SetCursorRow(row - 1);
        break;
    case VK_DOWN:
        if (row < last)
            SetCursorRow(row + 1);
        break;
    default:
        return;
    }
    row = GetCursorRow();
    if (key == VK_SPACE)
        m_selection.ApplyClick(mods, row);
    else if (mods & MK_SHIFT)
        m_selection.ApplyClick(MK_SHIFT, row);
    else if (!(mods & MK_CONTROL))
        m_selection.ApplyClick(0, row);
    EnsureVisible(row, GetCursorColumn());
    Update(true);
}

bool CTableCtrl::OnShortcut(UINT key, UINT mods) {
    if (mods != MK_CONTROL)
        return false;
    if (key == 'A') {
        if (m_selection.GetMode() == CSelection::MODE_MULTIPLE)
            SelectAll();
        return true;
    }
    if (key == 'C') {
        if (m_selection.GetMode() != CSelection::MODE_NONE)
            CopyRows(false);
        return true;
    }
    return false;
}

void CTableCtrl::SelectAll() {
    if (GetRowCount() > 0)
        SelectRange(0, GetRowCount() - 1, true);
    Update(true);
}

void CTableCtrl::OnChar(UINT ch, UINT, UINT) {
    if (ch < 32)
        return;
    CUserAction action(*this);
    ::SetCursor(::LoadCursorA(nullptr, IDC_APPSTARTING));
    SetTimer(kTypeAheadTimer, kTypeAheadTick);
    m_typeAheadCountdown = kTypeAheadTicks;
    int col = !m_sortKeys.IsEmpty() ? m_sortKeys[0].column : GetColumnCount() > 0 ? m_geo.ColumnAt(0) : -1;
    m_typeAhead += static_cast<char>(ch);
    int row = TypeAheadRow(col);
    if (row < 0) {
        ::MessageBeep(MB_OK);
        return;
    }
    m_cursor.SetColumn(col);
    SetCursorRow(row);
    m_selection.ApplyClick(0, row);
    EnsureVisible(row, -1);
    Update(true);
}

int CTableCtrl::TypeAheadRow(int col) {
    auto same = [this](char ch) {
        return std::tolower(static_cast<unsigned char>(ch)) ==
               std::tolower(static_cast<unsigned char>(m_typeAhead[0]));
    };
    if (m_typeAhead.size() < 2 || !std::all_of(m_typeAhead.begin(), m_typeAhead.end(), same))
        return FindText(col, m_typeAhead, -1);
    // "rrr" steps through the rows starting with "r", from the one after the cursor, wrapping.
    std::string letter = m_typeAhead.substr(0, 1);
    int row = FindText(col, letter, GetCursorRow());
    return row >= 0 ? row : FindText(col, letter, -1);
}

void CTableCtrl::OnTimer(UINT_PTR id) {
    if (id != kTypeAheadTimer) {
        Default();
        return;
    }
    if (--m_typeAheadCountdown <= 0) {
        KillTimer(kTypeAheadTimer);
        m_typeAhead.clear();
        ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW)); // IDC_ARROW
    }
}

void CTableCtrl::OnSetFocus(HWND) {
    m_edit.Focus();
    if (m_focused)
        return;
    CUserAction action(*this);
    Notify(TN_SETFOCUS);
    m_focused = true;
    ::InvalidateRect(m_body, nullptr, FALSE);
}

void CTableCtrl::OnKillFocus(HWND newFocus) {
    if (!m_focused || newFocus == m_hwnd || ::IsChild(m_hwnd, newFocus))
        return;
    m_focused = false;
    CUserAction action(*this);
    Notify(TN_KILLFOCUS);
    ::InvalidateRect(m_body, nullptr, FALSE);
}

void CTableCtrl::OnContextMenu(HWND window, POINT screenPt) {
    if (screenPt.x == -1 && screenPt.y == -1) {
        m_body.ShowContextMenu(screenPt);
        return;
    }
    if (window == m_hwnd)
        return;
    Default();
}

} // namespace Tabra
