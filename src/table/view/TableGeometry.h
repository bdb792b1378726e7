// The state every pane of a table control reads: the column records in display order, the pixel
// geometry (scroll offsets, body size, row height, margins, grid widths) with the arithmetic on it,
// and the look (colours, brushes, font, the header's switches). Pixel sizes are at the DPI of the
// control's monitor, scaled from their sizes at 96 DPI.
#pragma once

#include "table/model/Appearance.h"
#include "table/model/TableInterface.h"
#include "table/view/CellInput.h"
#include "table/view/CellOutput.h"
#include "win/Dpi.h"
#include "win/Scoped.h"

#include <memory>
#include <string>
#include <vector>

namespace Tabra {

struct STableColumn {
    bool visible = false;
    bool editable = false;
    int width = 0;
    int minWidth = 0;
    int maxWidth = 4096;
    int minLimit = 0;
    int maxLimit = 4096;
    std::unique_ptr<CCellOutput> output;
    std::unique_ptr<CCellInput> input;
    std::string header;
    int headerFlags = kDrawLeft;
    std::string header2; // the part after a line feed in the given header
};

// Colours, brushes and font of a table, made from the appearance values.
struct STableLook {
    explicit STableLook(const SAppearance& appearance);
    // Text, band and selection colours from the system's current colours and high-contrast state.
    void ReadSystemColours();

    SAppearance appearance;
    bool leparello = true;
    SColorSet colors;
    HFONT givenFont = nullptr; // the parent's font (WM_SETFONT) or the stock font, not owned
    int givenFontDpi = 96;     // the DPI givenFont was made for
    win::CFont ownFont;        // givenFont at another DPI

    // Takes font (the stock font for none), made for fontDpi, and sets colors.font for dpi.
    void UseFont(HFONT font, int fontDpi, int dpi);
    // colors.font: the given font, or a copy of it scaled from its DPI to dpi.
    void ScaleFont(int dpi);
    win::CBrush rowBrush[2];
    win::CBrush selBrush[2];
    win::CBrush gridBrush;
    bool headerShown = true;
    bool headerSort = true;
    bool resizable = true;
    bool movable = true;
};

// Positions are display positions (indexes into the display order); column ids index the records.
class CTableGeometry {
public:
    explicit CTableGeometry(const CTableInterface& rows) : m_rows(rows) {}

    std::vector<STableColumn> columns;
    std::vector<int> order; // position -> column id
    int scrollX = 0;
    int scrollY = 0; // a whole multiple of the row height
    int bodyWidth = 0;
    int bodyHeight = 0;
    int rowHeight = 1;
    int marginLeft = 5;
    int marginRight = 5;
    int marginTop = 1;
    int marginBottom = 1;
    int horzGrid = 0; // line under each row, 0 = none
    int vertGrid = 1; // line at each column's right edge, 0 = none
    int gridWidth = 1;
    int dpi = win::kDefaultDpi;

    static constexpr int kHeaderHeight = 18;
    static constexpr int kMargin = 5; // left and right of a cell's text
    // px pixels at 96 DPI, at the control's DPI.
    int Scaled(int px) const { return win::ScaleToDpi(px, dpi); }
    int HeaderHeight() const { return Scaled(kHeaderHeight); }
    // Takes a new DPI: margins and grid from their sizes at 96 DPI (grid96), column widths scaled.
    void SetDpi(int newDpi, int grid96);

    int ColumnCount() const { return static_cast<int>(order.size()); }
    STableColumn& Column(int col) { return columns[static_cast<size_t>(col)]; }
    const STableColumn& Column(int col) const { return columns[static_cast<size_t>(col)]; }
    int Width(int col) const { return Column(col).width; }
    int ColumnAt(int position) const { return order[static_cast<size_t>(position)]; }
    bool IsValidPosition(int position) const { return position >= 0 && position < ColumnCount(); }
    int PositionOf(int col) const;
    int NextVisiblePosition(int position) const;
    int PrevVisiblePosition(int position) const;
    // The visible position spanning content x; the column count right of the last column, -1 left of 0.
    int PositionAtX(int contentX) const;
    int LeftEdge(int position) const;
    int TotalColumnsWidth() const;
    // Column id at body x, -1 outside the columns.
    int ColumnAtBodyX(int x) const;
    // A column id as the cursor reads it: a hidden column gives the next visible one to its right, else
    // the previous one; -1 when none is visible.
    int VisibleColumnFrom(int col) const;
    // The cell rectangle of (row, col) in body coordinates, without its grid lines.
    RECT CellRect(int row, int col) const;

    // Row at body y: the row count at or below the last row.
    int RowAtY(int bodyY) const;
    int RowTop(int row) const { return row * rowHeight - scrollY; }
    int FullRows() const { return bodyHeight / rowHeight; }

    int MaxScrollX() const;
    int MaxScrollY() const;
    void SetScrollX(int x);
    void SetScrollY(int y);
    void ScrollRows(int code);
    void ScrollColumns(int code);
    // Scrolls so that the row (if valid) and the column (if valid) are inside the body.
    void EnsureVisible(int row, int col);

private:
    const CTableInterface& m_rows;
};

} // namespace Tabra
