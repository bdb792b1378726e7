#include "table/view/TableGeometry.h"

#include <algorithm>

namespace Tabra {

STableLook::STableLook(const SAppearance& values) : appearance(values), leparello(values.leparello) {
    UseFont(nullptr, 0, colors.dpi);
    gridBrush.Reset(::CreateSolidBrush(appearance.gridColor));
    ReadSystemColours();
}

void STableLook::ReadSystemColours() {
    HIGHCONTRASTA contrast = {};
    contrast.cbSize = sizeof contrast;
    bool high = ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                (contrast.dwFlags & HCF_HIGHCONTRASTON);
    colors.text = ::GetSysColor(COLOR_WINDOWTEXT);
    colors.selectedText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    for (int i = 0; i < 2; ++i) {
        // A high-contrast theme's own colours replace the light bands.
        rowBrush[i].Reset(::CreateSolidBrush(high ? ::GetSysColor(COLOR_WINDOW) : appearance.rowColor[i]));
        selBrush[i].Reset(::CreateSolidBrush(::GetSysColor(COLOR_HIGHLIGHT)));
    }
}

void CTableGeometry::SetDpi(int newDpi, int grid96) {
    for (STableColumn& c : columns) {
        c.width = win::RescaleDpi(c.width, dpi, newDpi);
        c.minWidth = win::RescaleDpi(c.minWidth, dpi, newDpi);
    }
    scrollX = win::RescaleDpi(scrollX, dpi, newDpi);
    dpi = newDpi;
    marginLeft = marginRight = Scaled(kMargin);
    marginTop = marginBottom = Scaled(1);
    gridWidth = Scaled(grid96);
    horzGrid = horzGrid ? gridWidth : 0;
    vertGrid = vertGrid ? gridWidth : 0;
}

void STableLook::UseFont(HFONT font, int fontDpi, int dpi) {
    givenFont = font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    givenFontDpi = font ? fontDpi : win::WindowDpi(nullptr); // stock fonts are made for the system DPI
    ScaleFont(dpi);
}

void STableLook::ScaleFont(int dpi) {
    colors.dpi = dpi;
    colors.font = givenFont;
    ownFont.Reset();
    LOGFONTA lf = {};
    if (givenFontDpi == dpi || ::GetObjectA(givenFont, sizeof lf, &lf) != sizeof lf)
        return;
    lf.lfHeight = win::RescaleDpi(lf.lfHeight, givenFontDpi, dpi);
    ownFont.Reset(::CreateFontIndirectA(&lf));
    if (ownFont)
        colors.font = ownFont;
}

int CTableGeometry::PositionOf(int col) const {
    auto it = std::find(order.begin(), order.end(), col);
    return it == order.end() ? -1 : static_cast<int>(it - order.begin());
}

int CTableGeometry::NextVisiblePosition(int position) const {
    int count = ColumnCount();
    for (int p = position + 1; p < count; ++p)
        if (Column(ColumnAt(p)).visible)
            return p;
    return count;
}

int CTableGeometry::PrevVisiblePosition(int position) const {
    for (int p = std::min(position, ColumnCount()) - 1; p >= 0; --p)
        if (Column(ColumnAt(p)).visible)
            return p;
    return -1;
}

int CTableGeometry::PositionAtX(int contentX) const {
    if (contentX < 0)
        return -1;
    int left = 0;
    int count = ColumnCount();
    for (int position = 0; position < count; ++position) {
        const STableColumn& c = Column(ColumnAt(position));
        if (!c.visible)
            continue;
        if (contentX < left + c.width)
            return position;
        left += c.width;
    }
    return count;
}

int CTableGeometry::LeftEdge(int position) const {
    int left = 0;
    for (int p = 0; p < position && p < ColumnCount(); ++p)
        if (Column(ColumnAt(p)).visible)
            left += Column(ColumnAt(p)).width;
    return left;
}

int CTableGeometry::TotalColumnsWidth() const {
    int total = 0;
    for (const STableColumn& c : columns)
        if (c.visible)
            total += c.width;
    return total;
}

int CTableGeometry::ColumnAtBodyX(int x) const {
    int position = PositionAtX(x + scrollX);
    return IsValidPosition(position) ? ColumnAt(position) : -1;
}

int CTableGeometry::VisibleColumnFrom(int col) const {
    if (col < 0 || col >= static_cast<int>(columns.size()))
        return -1;
    if (Column(col).visible)
        return col;
    int position = PositionOf(col);
    int next = NextVisiblePosition(position);
    if (IsValidPosition(next))
        return ColumnAt(next);
    int previous = PrevVisiblePosition(position);
    return previous >= 0 ? ColumnAt(previous) : -1;
}

RECT CTableGeometry::CellRect(int row, int col) const {
    RECT rc;
    rc.top = RowTop(row) + 1;
    rc.bottom = RowTop(row) + rowHeight - horzGrid - 1;
    rc.left = LeftEdge(PositionOf(col)) - scrollX + 1;
    rc.right = rc.left + Width(col) - 3;
    return rc;
}

int CTableGeometry::RowAtY(int bodyY) const {
    int y = bodyY + scrollY;
    if (y < m_rows.GetRowCount() * rowHeight)
        return y / rowHeight;
    return m_rows.GetRowCount();
}

int CTableGeometry::MaxScrollX() const {
    return std::max(0, TotalColumnsWidth() - bodyWidth);
}

int CTableGeometry::MaxScrollY() const {
    return std::max(0, m_rows.GetRowCount() * rowHeight - rowHeight * FullRows());
}

void CTableGeometry::SetScrollX(int x) {
    scrollX = std::clamp(x, 0, MaxScrollX());
}

void CTableGeometry::SetScrollY(int y) {
    y = rowHeight * (y / rowHeight);
    scrollY = std::clamp(y, 0, MaxScrollY());
}

void CTableGeometry::ScrollRows(int code) {
    switch (code) {
    case SB_LINEUP:
        SetScrollY(scrollY - rowHeight);
        break;
    case SB_LINEDOWN:
        SetScrollY(scrollY + rowHeight);
        break;
    case SB_PAGEUP:
        SetScrollY(scrollY + rowHeight - bodyHeight);
        break;
    case SB_PAGEDOWN:
        SetScrollY(scrollY + bodyHeight - rowHeight);
        break;
    default:
        break;
    }
}

void CTableGeometry::ScrollColumns(int code) {
    int step = bodyWidth - 32;
    switch (code) {
    case SB_LINELEFT: {
        int p = PositionAtX(scrollX);
        int target = p;
        if (!(IsValidPosition(p) && LeftEdge(p) < scrollX))
            target = std::max(PrevVisiblePosition(p), 0);
        step = std::min(step, scrollX - LeftEdge(target));
        SetScrollX(scrollX - step);
        break;
    }
    case SB_PAGELEFT:
        SetScrollX(scrollX - step);
        break;
    case SB_LINERIGHT: {
        int q = NextVisiblePosition(PositionAtX(scrollX));
        if (!IsValidPosition(q))
            break;
        step = std::min(step, LeftEdge(q) - scrollX);
        SetScrollX(scrollX + step);
        break;
    }
    case SB_PAGERIGHT:
        SetScrollX(scrollX + step);
        break;
    default:
        break;
    }
}

void CTableGeometry::EnsureVisible(int row, int col) {
    if (m_rows.IsValidRow(row)) {
        int first = RowAtY(0);
        if (row < first)
            SetScrollY(row * rowHeight);
        else if (row >= first + FullRows())
            SetScrollY(rowHeight * (row - FullRows() + 1));
    }
    if (col >= 0 && col < ColumnCount()) {
        int edge = LeftEdge(PositionOf(col));
        int width = Width(col);
        if (edge - scrollX > 0) {
            if (width + edge - scrollX > bodyWidth)
                SetScrollX(edge + width - bodyWidth);
        } else {
            SetScrollX(edge);
        }
    }
}

} // namespace Tabra
