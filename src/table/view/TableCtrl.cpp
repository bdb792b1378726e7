#include "table/view/TableCtrl.h"

#include "table/model/Export.h"
#include "table/model/Locale.h"
#include "win/Clipboard.h"
#include "win/Controls.h"
#include "win/FileDialog.h"
#include "win/WaitCursor.h"

#include <algorithm>
#include <cstdio>

namespace Tabra {

namespace {

constexpr char kCtrlClass[] = "TabraTable";
constexpr char kBodyClass[] = "TabraBody";
constexpr char kHeaderClass[] = "TabraHeader";
constexpr char kNone[] = "~(none)";
constexpr UINT_PTR kTypeAheadTimer = 1;
constexpr UINT kTypeAheadTick = 400;
constexpr int kTypeAheadTicks = 3;
constexpr DWORD kPlaceholderMask = 0xFFFFCC04;
constexpr DWORD kSingleSelection = 0x4;
constexpr DWORD kNoHeader = 0x4000;
constexpr DWORD kNoHeaderSort = 0x8000;
constexpr DWORD kSaveFlags = 0x800006; // OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT

std::optional<uint32_t> QueryDword(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

std::optional<std::string> QueryString(HKEY key, const char* name) {
    // Colours are read into a 10-byte buffer; a longer text keeps its first nine characters.
    char buffer[256] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer - 1;
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    buffer[9] = '\0';
    return std::string(buffer);
}

} // namespace

CAppearance ReadAppearance() {
    CAppearanceValues values;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, APPEARANCE_KEY, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        values.horzGrid = QueryDword(key, "HorzGrid");
        values.vertGrid = QueryDword(key, "VertGrid");
        values.leparello = QueryDword(key, "Leparello");
        values.rowColor0 = QueryString(key, "Leparello_Color_0");
        values.rowColor1 = QueryString(key, "Leparello_Color_1");
        values.gridColor = QueryString(key, "GridColor");
        values.gridWidth = QueryDword(key, "GridWidth");
        ::RegCloseKey(key);
    }
    return ParseAppearance(values);
}

CTableCtrl::CTableCtrl() {
    SetTableTarget(&m_table);
    m_appearance = ReadAppearance();
    m_horzGrid = m_appearance.horzGrid;
    m_vertGrid = m_appearance.vertGrid;
    m_leparello = m_appearance.leparello;
    m_gridWidth = m_appearance.gridWidth;
    m_colors.text = ::GetSysColor(COLOR_WINDOWTEXT);
    m_colors.selectedText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    m_colors.font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < 2; ++i) {
        m_rowBrush[i] = ::CreateSolidBrush(m_appearance.rowColor[i]);
        m_selBrush[i] = ::CreateSolidBrush(::GetSysColor(COLOR_HIGHLIGHT));
    }
    m_gridBrush = ::CreateSolidBrush(m_appearance.gridColor);
    m_body.ctrl = this;
    m_header.ctrl = this;
    MeasureColumns();
}

CTableCtrl::~CTableCtrl() {
    // The windows go first, while every member they may still reach is alive.
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
    for (int i = 0; i < 2; ++i) {
        ::DeleteObject(m_rowBrush[i]);
        ::DeleteObject(m_selBrush[i]);
    }
    ::DeleteObject(m_gridBrush);
}

bool CTableCtrl::Create(HWND parent, int id) {
    win::SPlaceholder placeholder;
    if (!win::TakePlaceholder(parent, id, placeholder))
        return false;
    DWORD masked = placeholder.style & kPlaceholderMask;
    DWORD style = (masked | WS_CHILD | WS_CLIPCHILDREN) & 0xFFFF0000;
    m_selectionMode = (masked & kSingleSelection) ? SELECT_SINGLE : SELECT_MULTIPLE;
    ShowHeader((masked & kNoHeader) == 0);
    SetHeaderSort((masked & kNoHeaderSort) == 0);
    win::CWnd::RegisterClass(kCtrlClass, 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    if (!win::CWnd::Create(kCtrlClass, "Tabra", style, WS_EX_CLIENTEDGE, placeholder.rect, parent, id))
        return false;
    win::PlaceInTabOrder(m_hwnd, placeholder);
    return true;
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
    return result;
}

// ---- Columns ----

void CTableCtrl::SetColumnCount(int count) {
    Reset();
    m_table.SetColumnCount(count);
    m_columns.resize(static_cast<size_t>(count));
    for (int col = 0; col < count; ++col)
        m_order.push_back(col);
}

void CTableCtrl::Reset() {
    m_columns.clear();
    m_order.clear();
    m_table.Reset();
    m_keyColumn = -1;
    m_scrollX = 0;
    m_scrollY = 0;
    m_cursorRow = -1;
    m_cursorRecord = nullptr;
    m_cursorCol = -1;
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
    m_columns.resize(static_cast<size_t>(col) + 1);
    m_order.push_back(col);
    SetColumnOutput(col, CreateOutput(def), def->CreateInput(), header, width);
    return col;
}

void CTableCtrl::DefineColumn(int col, CColDef* def, const char* header, int width) {
    m_table.SetColumn(col, def->CreateFactory(), def->CreateCompare());
    SetColumnOutput(col, CreateOutput(def), def->CreateInput(), header, width);
}

void CTableCtrl::SetColumnOutput(int col, CCellOutput* output, CCellInput* input, const char* header,
                                 int width) {
    SColumn& c = Column(col);
    c.output.reset(output);
    c.input.reset(input);
    int shown = width;
    if (output) {
        output->SetColors(&m_colors);
        if (width < 1) {
            output->Begin(CTableCtrlWnd::SurfaceDC());
            shown = output->TypicalWidth() + m_marginLeft + m_marginRight;
            output->End();
        }
    }
    SetWidth(col, shown);
    SetColumnVisible(col, header != nullptr && width >= 0);
    SetHeader(col, header ? header : "", -1);
}

void CTableCtrl::MeasureColumns() {
    HDC dc = CTableCtrlWnd::SurfaceDC();
    int tallest = 0;
    for (int col = 0; col < GetColumnCount() && col < static_cast<int>(m_columns.size()); ++col) {
        SColumn& c = Column(col);
        if (!c.output)
            continue;
        c.output->Begin(dc);
        int minWidth = c.output->MinWidth();
        int height = c.output->TextHeight();
        c.output->End();
        if (c.editable && c.input) {
            minWidth = std::max(minWidth, c.input->MinWidth(dc));
            height = std::max(height, c.input->TextHeight(dc));
        }
        tallest = std::max(tallest, height);
        c.minLimit = m_marginLeft + m_marginRight + m_vertGrid + minWidth;
        c.maxLimit = 4096;
        SetWidthLimits(col, c.minWidth, c.maxWidth);
        SetWidth(col, c.width);
    }
    if (tallest == 0) {
        // No renderer yet: the font's line keeps the rows readable.
        int saved = ::SaveDC(dc);
        ::SelectObject(dc, m_colors.font);
        TEXTMETRICA tm = {};
        ::GetTextMetricsA(dc, &tm);
        ::RestoreDC(dc, saved);
        tallest = tm.tmHeight + 2;
    }
    m_rowHeight = m_horzGrid + tallest + m_marginTop + m_marginBottom;
}

void CTableCtrl::SetHeader(int col, const std::string& text, int flags) {
    size_t lf = text.find('\n');
    Column(col).header = text.substr(0, lf);
    Column(col).header2 = lf == std::string::npos ? std::string() : text.substr(lf + 1);
    SetHeaderFlags(col, flags);
}

void CTableCtrl::SetHeaderFlags(int col, int flags) {
    SColumn& c = Column(col);
    if (flags == -1)
        flags = c.output ? c.output->GetFormat() : DRAW_LEFT;
    c.headerFlags = flags;
}

void CTableCtrl::SetWidth(int col, int width) {
    SColumn& c = Column(col);
    c.width = std::clamp(width, c.minWidth, std::max(c.minWidth, c.maxWidth));
}

void CTableCtrl::SetWidthLimits(int col, int minWidth, int maxWidth) {
    SColumn& c = Column(col);
    c.minWidth = std::max(minWidth, c.minLimit);
    c.maxWidth = std::min(maxWidth, c.maxLimit);
}

void CTableCtrl::AutoSizeAll(bool withHeader) {
    for (int col = 0; col < GetColumnCount(); ++col)
        AutoSize(col, withHeader);
}

void CTableCtrl::AutoSize(int col, bool withHeader) {
    SColumn& c = Column(col);
    HDC dc = CTableCtrlWnd::SurfaceDC();
    int width = 0;
    if (c.output) {
        c.output->Begin(dc);
        width = c.output->ContentWidth(GetColData(col), GetRowCount());
        c.output->End();
    }
    if (c.input && c.editable)
        width += 16;
    if (withHeader) {
        int saved = ::SaveDC(dc);
        ::SelectObject(dc, m_colors.font);
        SIZE size = {};
        ::GetTextExtentPoint32A(dc, c.header.c_str(), static_cast<int>(c.header.size()), &size);
        ::RestoreDC(dc, saved);
        width = std::max(width, static_cast<int>(size.cx));
    }
    SetWidth(col, width + m_marginLeft + m_marginRight);
}

void CTableCtrl::FitColumns() {
    int available = m_bodyWidth - ::GetSystemMetrics(SM_CXVSCROLL);
    int sum = TotalColumnsWidth();
    if (sum <= 0)
        return;
    double factor = static_cast<double>(available) / sum;
    int rightmost = -1;
    int total = 0;
    for (int position = 0; position < GetColumnCount(); ++position) {
        int col = ColumnAt(position);
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
    auto it = std::find(m_order.begin(), m_order.end(), col);
    if (it == m_order.end())
        return;
    m_order.erase(it);
    position = std::clamp(position, 0, static_cast<int>(m_order.size()));
    m_order.insert(m_order.begin() + position, col);
}

int CTableCtrl::NextVisiblePosition(int position) {
    int count = GetColumnCount();
    for (int p = position + 1; p < count; ++p)
        if (Column(ColumnAt(p)).visible)
            return p;
    return count;
}

int CTableCtrl::PrevVisiblePosition(int position) {
    for (int p = std::min(position, GetColumnCount()) - 1; p >= 0; --p)
        if (Column(ColumnAt(p)).visible)
            return p;
    return -1;
}

CColumnSet CTableCtrl::ColumnSet() {
    std::vector<CColumnState> states;
    for (const SColumn& c : m_columns)
        states.push_back(CColumnState{c.header, c.width, c.visible});
    CColumnSet set(std::move(states));
    set.order = m_order;
    return set;
}

void CTableCtrl::GetLayout(CWordArray& out) {
    Tabra::GetLayout(ColumnSet(), out);
}

bool CTableCtrl::SetLayout(const CWordArray& in) {
    CColumnSet set = ColumnSet();
    if (!Tabra::SetLayout(set, in))
        return false;
    for (size_t col = 0; col < m_columns.size(); ++col) {
        m_columns[col].width = set.columns[col].width;
        m_columns[col].visible = set.columns[col].visible;
    }
    m_order = set.order;
    return true;
}

void CTableCtrl::SetLeparello(bool on) {
    m_leparello = on;
    SetHorzGrid(!on);
    SetVertGrid(true);
}

void CTableCtrl::SetHorzGrid(bool on) {
    if (on == (m_horzGrid != 0))
        return;
    int change = on ? m_gridWidth : -m_gridWidth;
    m_horzGrid += change;
    m_rowHeight += change;
}

void CTableCtrl::AllowHScroll(bool allow) {
    m_hscrollAllowed = allow;
}

void CTableCtrl::AllowVScroll(bool allow) {
    m_vscrollAllowed = allow;
}

void CTableCtrl::SetEditable(bool editable) {
    for (int col = 0; col < GetColumnCount(); ++col)
        SetColumnEditable(col, editable);
}

void CTableCtrl::SetColumnEditable(int col, bool editable) {
    SColumn& c = Column(col);
    c.editable = editable;
    m_cursorMode = CURSOR_CELL;
    if (c.output)
        c.output->SetEditMode(editable);
    MeasureColumns();
}

bool CTableCtrl::StartEdit(bool) {
    return m_editing;
}

void CTableCtrl::EndEdit(bool) {
    m_editing = false;
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

int CTableCtrl::GetSelectedRow() {
    for (int row = 0; row < GetRowCount(); ++row)
        if (IsSelected(row))
            return row;
    return -1;
}

void CTableCtrl::DeselectAll() {
    if (GetRowCount() > 0)
        SelectRange(0, GetRowCount() - 1, false);
}

void CTableCtrl::SetSelectedRow(int row) {
    DeselectAll();
    if (row >= 0 && IsValidRow(row)) {
        Select(row, true);
        SetCursorRow(row);
        EnsureVisible(row, -1);
    }
}

int CTableCtrl::GetKey(int row) {
    if (m_keyColumn < 0 || !IsValidRow(row))
        return -1;
    return GetCell(row, m_keyColumn)->GetInt();
}

int CTableCtrl::FindKey(int value) {
    CDInt probe;
    probe.SetInt(value);
    return FindNext(m_keyColumn, &probe, -1);
}

// ---- Selection and cursor ----

void CTableCtrl::SetSelectionMode(int mode) {
    m_selectionMode = mode;
    DeselectAll();
}

int CTableCtrl::GetAnchor() {
    return std::min(m_anchor, GetRowCount() - 1);
}

void CTableCtrl::SetCursorRow(int row) {
    int last = GetRowCount() - 1;
    row = std::min(row, last);
    if (IsValidRow(m_cursorRow) && GetRow(m_cursorRow) == m_cursorRecord)
        m_cursorRecord->cursorMark = 0;
    m_cursorRow = row < 0 ? -1 : row;
    m_cursorRecord = m_cursorRow >= 0 ? GetRow(m_cursorRow) : nullptr;
    if (m_cursorRecord)
        m_cursorRecord->cursorMark = 1;
}

int CTableCtrl::GetCursorRow() {
    if (m_cursorMode == CURSOR_NONE || !m_cursorRecord)
        return -1;
    if (IsValidRow(m_cursorRow) && GetRow(m_cursorRow) == m_cursorRecord && m_cursorRecord->cursorMark)
        return m_cursorRow;
    // The rows were re-sorted or changed: the mark in the record finds it again.
    for (int row = 0; row < GetRowCount(); ++row) {
        if (GetRow(row)->cursorMark) {
            m_cursorRow = row;
            m_cursorRecord = GetRow(row);
            return row;
        }
    }
    m_cursorRow = -1;
    m_cursorRecord = nullptr;
    return -1;
}

int CTableCtrl::GetCursorColumn() {
    if (m_cursorMode != CURSOR_CELL || GetColumnCount() == 0)
        return -1;
    if (m_cursorCol < 0)
        m_cursorCol = 0;
    if (Column(m_cursorCol).visible)
        return m_cursorCol;
    int position = PositionOf(m_cursorCol);
    int next = NextVisiblePosition(position);
    if (IsValidPosition(next))
        return ColumnAt(next);
    int previous = PrevVisiblePosition(position);
    return previous >= 0 ? ColumnAt(previous) : -1;
}

void CTableCtrl::SetCursor(int row, int col) {
    SetCursorRow(row);
    m_cursorCol = col;
}

void CTableCtrl::ApplyClick(UINT flags, int row) {
    if (!IsValidRow(row) || m_selectionMode == SELECT_NONE)
        return;
    if (m_selectionMode == SELECT_SINGLE) {
        if (row == GetSelectedRow())
            return;
        if (Notify(TN_SELCHANGING, row))
            return;
        DeselectAll();
        Select(row, true);
        Notify(TN_SELCHANGED, row);
        return;
    }
    bool shift = (flags & MK_SHIFT) != 0;
    bool ctrl = (flags & MK_CONTROL) != 0;
    int anchor = GetAnchor();
    if (!ctrl && IsSelected(row) && GetSelectedCount() == 1)
        return;
    int lo = std::min(anchor, row);
    int hi = std::max(anchor, row);
    if (shift && anchor >= 0) {
        if (!ctrl) {
            bool exact = GetSelectedCount() == hi - lo + 1;
            for (int r = lo; exact && r <= hi; ++r)
                exact = IsSelected(r);
            if (exact)
                return;
        } else {
            bool state = IsSelected(anchor);
            bool same = true;
            for (int r = lo; same && r <= hi; ++r)
                same = IsSelected(r) == state;
            if (same)
                return;
        }
    }
    if (Notify(TN_SELCHANGING, row))
        return;
    if (shift && anchor >= 0) {
        if (!ctrl) {
            DeselectAll();
            SelectRange(lo, hi, true);
        } else {
            SelectRange(lo, hi, IsSelected(anchor));
        }
    } else {
        if (!ctrl) {
            DeselectAll();
            Select(row, true);
        } else {
            Select(row, !IsSelected(row));
        }
        m_anchor = row;
    }
    Notify(TN_SELCHANGED, row);
}

// ---- Geometry and scrolling ----

int CTableCtrl::TotalColumnsWidth() {
    int total = 0;
    for (const SColumn& c : m_columns)
        if (c.visible)
            total += c.width;
    return total;
}

int CTableCtrl::PositionAtX(int contentX) {
    if (contentX < 0)
        return -1;
    int left = 0;
    int count = GetColumnCount();
    for (int position = 0; position < count; ++position) {
        const SColumn& c = Column(ColumnAt(position));
        if (!c.visible)
            continue;
        if (contentX < left + c.width)
            return position;
        left += c.width;
    }
    return count;
}

int CTableCtrl::LeftEdge(int position) {
    int left = 0;
    for (int p = 0; p < position && p < GetColumnCount(); ++p)
        if (Column(ColumnAt(p)).visible)
            left += Column(ColumnAt(p)).width;
    return left;
}

int CTableCtrl::PositionOf(int col) const {
    auto it = std::find(m_order.begin(), m_order.end(), col);
    return it == m_order.end() ? -1 : static_cast<int>(it - m_order.begin());
}

int CTableCtrl::ColumnAtBodyX(int x) {
    int position = PositionAtX(x + m_scrollX);
    return IsValidPosition(position) ? ColumnAt(position) : -1;
}

int CTableCtrl::RowAtY(int bodyY) const {
    int y = bodyY + m_scrollY;
    if (y < GetRowCount() * m_rowHeight)
        return y / m_rowHeight;
    return GetRowCount();
}

int CTableCtrl::MaxScrollX() const {
    int total = 0;
    for (const SColumn& c : m_columns)
        if (c.visible)
            total += c.width;
    return std::max(0, total - m_bodyWidth);
}

int CTableCtrl::MaxScrollY() const {
    return std::max(0, GetRowCount() * m_rowHeight - m_rowHeight * (m_bodyHeight / m_rowHeight));
}

void CTableCtrl::SetScrollX(int x) {
    m_scrollX = std::clamp(x, 0, MaxScrollX());
}

void CTableCtrl::SetScrollY(int y) {
    y = m_rowHeight * (y / m_rowHeight);
    m_scrollY = std::clamp(y, 0, MaxScrollY());
}

void CTableCtrl::ScrollRows(int code) {
    switch (code) {
    case SB_LINEUP:
        SetScrollY(m_scrollY - m_rowHeight);
        break;
    case SB_LINEDOWN:
        SetScrollY(m_scrollY + m_rowHeight);
        break;
    case SB_PAGEUP:
        SetScrollY(m_scrollY + m_rowHeight - m_bodyHeight);
        break;
    case SB_PAGEDOWN:
        SetScrollY(m_scrollY + m_bodyHeight - m_rowHeight);
        break;
    default:
        break;
    }
}

void CTableCtrl::ScrollColumns(int code) {
    int step = m_bodyWidth - 32;
    switch (code) {
    case SB_LINELEFT: {
        int p = PositionAtX(m_scrollX);
        int target = p;
        if (!(IsValidPosition(p) && LeftEdge(p) < m_scrollX)) {
            target = PrevVisiblePosition(p);
            if (target < 0)
                target = 0;
        }
        step = std::min(step, m_scrollX - LeftEdge(target));
        SetScrollX(m_scrollX - step);
        break;
    }
    case SB_PAGELEFT:
        SetScrollX(m_scrollX - step);
        break;
    case SB_LINERIGHT: {
        int q = NextVisiblePosition(PositionAtX(m_scrollX));
        if (!IsValidPosition(q))
            break;
        step = std::min(step, LeftEdge(q) - m_scrollX);
        SetScrollX(m_scrollX + step);
        break;
    }
    case SB_PAGERIGHT:
        SetScrollX(m_scrollX + step);
        break;
    default:
        break;
    }
}

void CTableCtrl::PlaceWindow(HWND hwnd, bool condition, int x, int y, int w, int h) {
    if (!hwnd)
        return;
    if (condition) {
        ::ShowWindow(hwnd, SW_SHOWNA);
        ::EnableWindow(hwnd, TRUE);
        ::SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        ::InvalidateRect(hwnd, nullptr, TRUE);
    } else {
        ::ShowWindow(hwnd, SW_HIDE);
        ::EnableWindow(hwnd, FALSE);
    }
}

void CTableCtrl::Layout(int width, int height) {
    int headerHeight = m_headerShown ? HEADER_HEIGHT : 0;
    int body = height - headerHeight;
    int hbar = 0;
    int vbar = 0;
    int columns = TotalColumnsWidth();
    int rows = GetRowCount() * m_rowHeight;
    for (;;) {
        bool added = false;
        if (m_hscrollAllowed && hbar == 0 && width + m_gridWidth < columns) {
            hbar = ::GetSystemMetrics(SM_CXHSCROLL);
            body -= hbar;
            added = true;
        }
        if (m_vscrollAllowed && vbar == 0 && body < rows) {
            vbar = ::GetSystemMetrics(SM_CXVSCROLL);
            width -= vbar;
            continue;
        }
        if (!added)
            break;
    }
    m_bodyWidth = std::max(0, width);
    m_bodyHeight = std::max(0, body);
    SetScrollX(m_scrollX);
    SetScrollY(m_scrollY);
    if (!m_hwnd)
        return;

    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = MaxScrollY() + m_bodyHeight - 1;
    si.nPage = static_cast<UINT>(m_bodyHeight);
    si.nPos = m_scrollY;
    ::SetScrollInfo(m_vbar, SB_CTL, &si, TRUE);
    si.nMax = MaxScrollX() + m_bodyWidth - 1;
    si.nPage = static_cast<UINT>(m_bodyWidth);
    si.nPos = m_scrollX;
    ::SetScrollInfo(m_hbar, SB_CTL, &si, TRUE);

    ::SetWindowPos(m_body, nullptr, 0, headerHeight, m_bodyWidth, m_bodyHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    ::InvalidateRect(m_body, nullptr, FALSE);
    PlaceWindow(m_header, headerHeight != 0, 0, 0, m_bodyWidth + vbar, headerHeight);
    PlaceWindow(m_vbar, vbar != 0, m_bodyWidth, headerHeight, vbar, m_bodyHeight);
    PlaceWindow(m_hbar, hbar != 0, 0, headerHeight + m_bodyHeight, m_bodyWidth, hbar);
}

void CTableCtrl::Update(bool keepSort) {
    if (!keepSort)
        m_sortKeys = CSortKeys();
    if (!m_hwnd)
        return;
    RECT rc = GetClientRect();
    Layout(rc.right, rc.bottom);
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CTableCtrl::RedrawBody() {
    ::RedrawWindow(m_body, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CTableCtrl::OnSize(UINT, int cx, int cy) {
    int x = m_scrollX;
    int y = m_scrollY;
    Layout(cx, cy);
    if (x != m_scrollX || y != m_scrollY)
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
        ScrollRows(static_cast<int>(code));
        ::SetScrollPos(m_vbar, SB_CTL, m_scrollY, TRUE);
        break;
    case SB_THUMBPOSITION:
        ::GetScrollInfo(m_vbar, SB_CTL, &si);
        SetScrollY(si.nTrackPos);
        ::SetScrollPos(m_vbar, SB_CTL, m_scrollY, TRUE);
        break;
    case SB_THUMBTRACK:
        ::GetScrollInfo(m_vbar, SB_CTL, &si);
        SetScrollY(si.nTrackPos);
        break;
    default:
        Default();
        return;
    }
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
        ScrollColumns(static_cast<int>(code));
        ::SetScrollPos(m_hbar, SB_CTL, m_scrollX, TRUE);
        break;
    case SB_THUMBPOSITION:
        ::GetScrollInfo(m_hbar, SB_CTL, &si);
        SetScrollX(si.nTrackPos);
        ::SetScrollPos(m_hbar, SB_CTL, m_scrollX, TRUE);
        break;
    case SB_THUMBTRACK:
        ::GetScrollInfo(m_hbar, SB_CTL, &si);
        SetScrollX(si.nTrackPos);
        break;
    default:
        Default();
        return;
    }
    RedrawBody();
    if (m_headerShown)
        ::RedrawWindow(m_header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CTableCtrl::OnMouseWheel(UINT, short delta, POINT) {
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    int perNotch = static_cast<int>(lines);
    if (perNotch < 0) {
        ScrollRows(delta >= 1 ? SB_PAGEUP : SB_PAGEDOWN);
    } else {
        perNotch = std::max(perNotch, 1);
        SetScrollY(m_scrollY - (delta / WHEEL_DELTA) * m_rowHeight * perNotch);
    }
    Update(true);
}

// ---- Notifications and tooltips ----

LRESULT CTableCtrl::Notify(int code, STableNotify& record) {
    if (!m_notify || !m_hwnd)
        return 0;
    int id = GetDlgCtrlID();
    record.hdr.hwndFrom = m_hwnd;
    record.hdr.idFrom = static_cast<UINT_PTR>(id);
    record.hdr.code = static_cast<UINT>(code);
    record.key = GetKey(record.row);
    return ::SendMessageA(GetParent(), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&record));
}

LRESULT CTableCtrl::Notify(int code, int row, int col) {
    STableNotify record;
    record.row = row;
    record.col = col;
    return Notify(code, record);
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
    record.row = IsValidRow(RowAtY(pt.y)) ? RowAtY(pt.y) : -1;
    int position = PositionAtX(pt.x + m_scrollX);
    record.col = IsValidPosition(position) ? ColumnAt(position) : -1;
    std::string proposed;
    if (info->hdr.idFrom == reinterpret_cast<UINT_PTR>(m_body.GetHwnd())) {
        if (record.row >= 0 && record.col >= 0 && Column(record.col).output) {
            SColumn& c = Column(record.col);
            c.output->Begin(CTableCtrlWnd::SurfaceDC());
            proposed =
                c.output->TipText(GetCell(record.row, record.col), c.width - m_marginLeft - m_marginRight);
            c.output->End();
        }
        record.text = proposed;
        if (Notify(TN_BODYTIP, record))
            proposed = record.text;
    } else {
        if (record.col >= 0) {
            SColumn& c = Column(record.col);
            if (!c.header2.empty()) {
                proposed = c.header2;
            } else {
                HDC dc = CTableCtrlWnd::SurfaceDC();
                int saved = ::SaveDC(dc);
                ::SelectObject(dc, m_colors.font);
                SIZE size = {};
                ::GetTextExtentPoint32A(dc, c.header.c_str(), static_cast<int>(c.header.size()), &size);
                ::RestoreDC(dc, saved);
                if (c.width - m_marginLeft - m_marginRight < size.cx ||
                    LeftEdge(position) - m_scrollX + size.cx > m_bodyWidth)
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
            SetCursorRow(std::max(0, row - m_bodyHeight / m_rowHeight));
        break;
    case VK_NEXT:
        if (row < last)
            SetCursorRow(std::min(last, row + RowAtY(m_bodyHeight + 1) - RowAtY(0) - 1));
        break;
    case VK_HOME:
        if (mods & MK_CONTROL)
            SetCursorRow(0);
        else if (columns > 0)
            m_cursorCol = ColumnAt(0);
        break;
    case VK_END:
        if (mods & MK_CONTROL) {
            SetCursorRow(last);
        } else {
            int p = PrevVisiblePosition(columns);
            if (p >= 0)
                m_cursorCol = ColumnAt(p);
        }
        break;
    case VK_LEFT:
    case VK_RIGHT: {
        int col = GetCursorColumn();
        int p = col >= 0 ? PositionOf(col) : -1;
        int q = col < 0 ? -1 : key == VK_LEFT ? PrevVisiblePosition(p) : NextVisiblePosition(p);
        if (m_cursorMode == CURSOR_CELL && IsValidPosition(q))
            m_cursorCol = ColumnAt(q);
        else
            ScrollColumns(key == VK_LEFT ? SB_LINELEFT : SB_LINERIGHT);
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
        ApplyClick(mods, row);
    else if (mods & MK_SHIFT)
        ApplyClick(MK_SHIFT, row);
    else if (!(mods & MK_CONTROL))
        ApplyClick(0, row);
    EnsureVisible(row, GetCursorColumn());
    Update(true);
}

void CTableCtrl::OnChar(UINT ch, UINT, UINT) {
    if (ch < 32)
        return;
    CUserAction action(*this);
    ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32650))); // IDC_APPSTARTING
    SetTimer(kTypeAheadTimer, kTypeAheadTick);
    m_typeAheadCountdown = kTypeAheadTicks;
    int col = !m_sortKeys.IsEmpty() ? m_sortKeys[0].column : GetColumnCount() > 0 ? ColumnAt(0) : -1;
    m_typeAhead += static_cast<char>(ch);
    int row = FindText(col, m_typeAhead, -1);
    if (row < 0) {
        ::MessageBeep(MB_OK);
        return;
    }
    m_cursorCol = col;
    SetCursorRow(row);
    ApplyClick(0, row);
    EnsureVisible(row, -1);
    Update(true);
}

void CTableCtrl::OnTimer(UINT_PTR id) {
    if (id != kTypeAheadTimer) {
        Default();
        return;
    }
    if (--m_typeAheadCountdown <= 0) {
        KillTimer(kTypeAheadTimer);
        m_typeAhead.clear();
        ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))); // IDC_ARROW
    }
}

void CTableCtrl::OnSetFocus(HWND) {
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

void CTableCtrl::EnsureVisible(int row, int col) {
    if (IsValidRow(row)) {
        int first = RowAtY(0);
        int full = m_bodyHeight / m_rowHeight;
        if (row < first)
            SetScrollY(row * m_rowHeight);
        else if (row >= first + full)
            SetScrollY(m_rowHeight * (row - full + 1));
    }
    if (IsValidColumn(col)) {
        int edge = LeftEdge(PositionOf(col));
        int width = Column(col).width;
        if (edge - m_scrollX > 0) {
            if (width + edge - m_scrollX > m_bodyWidth)
                SetScrollX(edge + width - m_bodyWidth);
        } else {
            SetScrollX(edge);
        }
    }
}

// ---- Menus ----

UINT CTableCtrl::TrackMenu(win::CPopupMenu& menu, POINT screenPt) {
    return menu.Track(m_hwnd, screenPt.x, screenPt.y, TPM_RIGHTBUTTON);
}

std::string CTableCtrl::MenuName(int col) {
    const SColumn& c = Column(col);
    std::string name = c.header2.empty() ? c.header : c.header2;
    std::replace(name.begin(), name.end(), '\n', ' ');
    return name;
}

void CTableCtrl::BuildTablePopupMenu(win::CPopupMenu* menu, int row, int col) {
    for (const win::SMenuItem& item : win::ParseMenuText(TABLE_MENU_TEXT, ID_COPY_CELL)) {
        if (item.separator) {
            menu->AppendSeparator(item.id);
        } else if (item.id == ID_SHOW_COLUMN) {
            win::CPopupMenu show;
            show.AppendItem("&All columns", ID_SHOW_ALL);
            show.AppendSeparator();
            int hidden = 0;
            for (int c = 0; c < GetColumnCount(); ++c) {
                if (!Column(c).visible && !(Column(c).header.empty() && Column(c).header2.empty())) {
                    show.AppendItem(MenuName(c).c_str(), static_cast<UINT>(ID_SHOW_FIRST + c));
                    ++hidden;
                }
            }
            if (hidden == 0) {
                show = win::CPopupMenu();
                show.AppendItems(kNone, 0);
            }
            menu->AppendSubMenu(item.text.c_str(), std::move(show));
        } else if (item.id == ID_HIDE_COLUMN) {
            win::CPopupMenu hide;
            int named = 0;
            for (int p = 0; p < GetColumnCount(); ++p) {
                int c = ColumnAt(p);
                if (Column(c).visible && !(Column(c).header.empty() && Column(c).header2.empty())) {
                    hide.AppendItem(MenuName(c).c_str(), static_cast<UINT>(ID_HIDE_FIRST + c));
                    ++named;
                }
            }
            if (named < 2) {
                hide = win::CPopupMenu();
                hide.AppendItems(kNone, 0);
            }
            menu->AppendSubMenu(item.text.c_str(), std::move(hide));
        } else {
            menu->AppendItem(item.text.c_str(), item.id);
        }
    }
    if (!IsValidRow(row) || !IsValidColumn(col))
        menu->EnableItem(ID_COPY_CELL, false);
    if (m_selectionMode == SELECT_NONE)
        menu->RemoveItem(ID_COPY);
    if (m_selectionMode != SELECT_MULTIPLE)
        menu->RemoveItem(ID_SELECT_ALL);
}

void CTableCtrl::ShowAllNamed() {
    for (SColumn& c : m_columns)
        if (!c.header.empty())
            c.visible = true;
}

void CTableCtrl::OnTablePopupCommand(int command, int row, int col) {
    int count = GetColumnCount();
    switch (command) {
    case ID_COPY_CELL:
        if (IsValidRow(row) && IsValidColumn(col))
            CopyCell(row, col);
        return;
    case ID_COPY:
        AnnounceCopy(false);
        return;
    case ID_COPY_ALL:
        AnnounceCopy(true);
        return;
    case ID_SELECT_ALL:
        if (GetRowCount() > 0)
            SelectRange(0, GetRowCount() - 1, true);
        Update(false);
        return;
    case ID_SHOW_ALL:
        ShowAllNamed();
        Update(false);
        return;
    case ID_RESTORE_DEFAULT:
        for (int c = 0; c < count; ++c)
            MoveColumn(c, c);
        AutoSizeAll(true);
        ShowAllNamed();
        Update(false);
        return;
    case ID_SAVE_AS:
        SaveAs();
        return;
    default:
        break;
    }
    if (command >= ID_SHOW_FIRST && command < ID_SHOW_FIRST + count) {
        Column(command - ID_SHOW_FIRST).visible = true;
        Update(false);
    } else if (command >= ID_HIDE_FIRST && command < ID_HIDE_FIRST + count) {
        Column(command - ID_HIDE_FIRST).visible = false;
        Update(false);
    }
}

void CTableCtrl::BuildColumnPopupMenu(win::CPopupMenu* menu, int col) {
    if (!IsValidColumn(col)) {
        menu->AppendItems("~Todo: Implementieren", ID_NOT_IMPLEMENTED);
        return;
    }
    if (m_headerSort) {
        menu->AppendItems(COLUMN_MENU_TEXT, ID_SORT_ASCENDING);
        menu->CheckRadioItem(ID_SORT_ASCENDING, ID_SORT_NONE,
                             static_cast<UINT>(ID_SORT_ASCENDING + m_sortKeys.GetDirection(col)));
    } else {
        menu->AppendItem("Hide", ID_HIDE);
    }
    int visible = static_cast<int>(
        std::count_if(m_columns.begin(), m_columns.end(), [](const SColumn& c) { return c.visible; }));
    if (visible <= 1)
        menu->EnableItem(ID_HIDE, false);
}

void CTableCtrl::OnColumnPopupCommand(int command, int col) {
    if (command >= ID_SORT_ASCENDING && command <= ID_SORT_NONE) {
        if (Notify(TN_SORTING, -1, col))
            return;
        CSortKeys keys = m_sortKeys;
        keys.SetDirection(col, command - ID_SORT_ASCENDING);
        Sort(keys);
        Notify(TN_SORTED, -1, col);
        Update(true);
    } else if (command == ID_HIDE && IsValidColumn(col)) {
        Column(col).visible = false;
        Update(true);
    }
}

// ---- Clipboard and export ----

std::string CTableCtrl::CopyContent() {
    return CopyText(
        m_table, ColumnSet(), [this](int row, int col) { return GetCellText(row, col); }, m_copyAll);
}

void CTableCtrl::CopyCell(int row, int col) {
    win::CClipboard clipboard(m_hwnd);
    if (!clipboard.IsOpen())
        return;
    clipboard.Empty();
    clipboard.SetText(GetCellText(row, col));
}

void CTableCtrl::AnnounceCopy(bool all) {
    m_copyAll = all;
    win::CClipboard clipboard(m_hwnd);
    if (!clipboard.IsOpen())
        return;
    clipboard.Empty();
    clipboard.Announce(CF_TEXT);
}

void CTableCtrl::OnRenderFormat(UINT format) {
    if (format != CF_TEXT) {
        Default();
        return;
    }
    win::CWaitCursor wait;
    win::RenderClipboardText(CopyContent());
}

void CTableCtrl::OnRenderAllFormats() {
    // The control goes away before anyone pasted: leave the text behind rather than lose it.
    win::CClipboard clipboard(m_hwnd);
    if (clipboard.IsOpen() && ::GetClipboardOwner() == m_hwnd)
        win::RenderClipboardText(CopyContent());
}

void CTableCtrl::SaveAs() {
    std::string name = HtmlFileName(GetWindowText());
    if (!win::AskSaveFileName(m_hwnd, SAVE_FILTER, "html", name, kSaveFlags))
        return;
    std::string bytes =
        HtmlExport(m_table, ColumnSet(), [this](int row, int col) { return GetCellText(row, col); });
    FILE* file = std::fopen(name.c_str(), "wb");
    if (!file)
        return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

} // namespace Tabra
