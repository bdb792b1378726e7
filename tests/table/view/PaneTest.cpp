// The panes of the table control: header sorting, moving and resizing by mouse messages; layout,
// scrolling and the wheel; pixels of painted panes; the appearance values from the registry.
#include "table/view/AppearanceReader.h"
#include "table/view/ViewTestUtil.h"

using namespace testsupport;
using Tabra::CSortKeys;

namespace {

// A pane painted through its normal paint path into a 32-bit bitmap.
struct CPicture {
    explicit CPicture(Tabra::CTableCtrlWnd& pane) : CPicture(pane, pane.GetClientRect()) {}
    CPicture(Tabra::CTableCtrlWnd& pane, RECT rc)
        : width(rc.right), pixels(Picture(rc.right, rc.bottom, [&](HDC dc) { pane.PaintInto(dc, rc); })) {}
    COLORREF At(int x, int y) const {
        const DWORD p = pixels[y * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    bool Has(COLORREF colour, RECT r) const {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (At(x, y) == colour)
                    return true;
        return false;
    }
    int width;
    std::vector<DWORD> pixels;
};

constexpr COLORREF kRow0 = RGB(0xF0, 0xFF, 0xF0), kRow1 = RGB(0xE0, 0xFF, 0xE0);
constexpr COLORREF kGrid = RGB(0x80, 0xA0, 0x80), kArrow = RGB(0, 0, 128);

// Name spans 0..120, Ping 120..180 in header and body coordinates.
class PaneTest : public TableTest {
protected:
    void HeaderClick(int x, UINT flags = 0) { Click(Header(), x, 9, flags); }
    void HeaderDrag(std::initializer_list<int> xs) {
        ::SendMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, At(*xs.begin(), 9));
        for (int x : xs)
            ::SendMessageA(Header(), WM_MOUSEMOVE, MK_LBUTTON, At(x, 9));
    }
    const Tabra::CTableGeometry& G() { return table.Geometry(); }
};

TEST_F(PaneTest, HeaderClickSortsAndShiftOrCtrlAddKeysInDisplayOrderWithArrows) {
    // Arrows in Name's title, at its right end (Name is left aligned), in Ping's title.
    auto arrows = [&] {
        CPicture header(table.Header());
        return std::tuple{header.Has(kArrow, RECT{0, 0, 90, 18}), header.Has(kArrow, RECT{90, 0, 120, 18}),
                          header.Has(kArrow, RECT{120, 0, 180, 18})};
    };
    HeaderClick(150);
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2004, -2005, -16}));
    EXPECT_EQ(parent.events[0].col, 1);
    // Name stands left of Ping: an added key for it comes first; without a modifier the click replaces
    // the keys.
    for (auto [x, flags, keys, firstPing] : {std::tuple{150, 0, CSortKeys{1, 1}, 500},
                                             {50, MK_SHIFT, CSortKeys{0, 0, 1, 1}, 500},
                                             {50, MK_CONTROL, CSortKeys{0, 1, 1, 1}, 10},
                                             {150, 0, CSortKeys{1, 0}, 10}}) {
        HeaderClick(x, flags);
        EXPECT_EQ(table.GetSortKeys(), keys) << x << " " << flags;
        EXPECT_EQ(table.GetCell(0, 1)->GetInt(), firstPing) << x << " " << flags;
        EXPECT_EQ(arrows(), std::tuple(false, keys.GetCount() == 2, true)) << x << " " << flags;
    }
    parent.events.clear();
    parent.answers[Tabra::TN_SORTING] = 1;
    HeaderClick(50);
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2004, -16})) << "cancelled";
    EXPECT_EQ(table.GetSortKeys(), (CSortKeys{1, 0}));
}

TEST_F(PaneTest, MovingAColumnReordersTheSortKeysAndDoesNotFlipBack) {
    table.Sort(CSortKeys{0, 0, 1, 1});
    HeaderDrag({150, 140}); // Ping (60 wide) left over Name (120 wide)
    EXPECT_EQ(table.Header().GetMode(), Tabra::CHeaderDisplay::MODE_MOVING);
    // Inside Name but not within Ping's width of its left edge: no move yet; then moved; then over
    // Name again, yet not past Name's width: no flip back.
    for (auto [x, position] : {std::pair{100, 1}, {50, 0}, {70, 0}, {55, 0}}) {
        ::SendMessageA(Header(), WM_MOUSEMOVE, MK_LBUTTON, At(x, 9));
        EXPECT_EQ(G().PositionOf(1), position) << x;
    }
    parent.events.clear();
    ::SendMessageA(Header(), WM_LBUTTONUP, 0, At(55, 9));
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2004, -2005, -16}));
    EXPECT_EQ(table.GetSortKeys(), (CSortKeys{1, 1, 0, 0}));
    EXPECT_EQ(table.GetCell(0, 1)->GetInt(), 500);
    EXPECT_EQ(table.Header().GetMode(), Tabra::CHeaderDisplay::MODE_IDLE);
    EXPECT_FALSE(table.Header().HasCapture());
}

TEST_F(PaneTest, ABorderDragResizesLiveAndClampsAtTheMinimum) {
    EXPECT_EQ(table.Header().BorderHitTest(60), -1);
    EXPECT_EQ(table.Header().BorderHitTest(124), 0) << "5 pixels right of the border still catch it";
    HeaderDrag({117, 147});
    EXPECT_EQ(table.Header().GetMode(), Tabra::CHeaderDisplay::MODE_RESIZING);
    EXPECT_EQ(table.GetWidth(0), 150);
    EXPECT_EQ(G().LeftEdge(1), 150) << "the next column follows at once";
    ::SendMessageA(Header(), WM_MOUSEMOVE, MK_LBUTTON, At(-300, 9));
    EXPECT_GT(table.GetMinWidth(0), 10);
    EXPECT_EQ(table.GetWidth(0), table.GetMinWidth(0));
    ::SendMessageA(Header(), WM_LBUTTONUP, 0, At(-300, 9));
    EXPECT_EQ(table.GetSortKeys(), CSortKeys{}) << "a resize sorts nothing";
}

TEST_F(PaneTest, ColumnMenuSortsThroughTheHeaderKeys) {
    table.Sort(CSortKeys{0, 0});
    table.choice = Tabra::ID_SORT_DESCENDING;
    RightClick(Header(), POINT{150, 9});
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2007, -2009, -2004, -2005}));
    EXPECT_EQ(table.GetSortKeys(), (CSortKeys{0, 0, 1, 1}));
    EXPECT_EQ(MenuText(table.lastMenu), "Ascending#57357;Descending#57358;*No sort#57359;-;Hide#57361;")
        << "Ping was not sorted when the menu opened";
    // With one visible column "Hide" is disabled.
    table.SetColumnVisible(0, false);
    table.Update(true);
    table.choice = 0;
    RightClick(Header(), POINT{20, 9});
    EXPECT_EQ(MenuText(table.lastMenu), "Ascending#57357;*Descending#57358;No sort#57359;-;~Hide;");
}

TEST_F(PaneTest, ScrollingClampsSnapsToRowsAndStopsAtColumnEdges) {
    const int rh = G().rowHeight, max = 50 * rh - rh * (G().bodyHeight / rh);
    EXPECT_EQ(G().MaxScrollY(), max);
    for (auto [set, expected] : {std::pair{-5, 0}, {rh * 3 + rh / 2, rh * 3}, {1000000, max}, {rh - 1, 0}}) {
        table.SetScrollY(set);
        EXPECT_EQ(G().scrollY, expected) << set;
    }
    table.SetWidth(0, 300);
    table.SetWidth(1, 900);
    table.Update(true);
    HWND vbar = table.GetScrollBar(SB_VERT), hbar = table.GetScrollBar(SB_HORZ);
    ASSERT_TRUE(::SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, 3, nullptr, 0));
    const std::tuple<UINT, WPARAM, HWND, int, int> steps[] = {
        {WM_VSCROLL, SB_LINEDOWN, vbar, 0, rh},
        {WM_VSCROLL, SB_PAGEDOWN, vbar, 0, rh * (G().bodyHeight / rh)},
        {WM_VSCROLL, SB_BOTTOM, vbar, 0, G().MaxScrollY()},
        {WM_HSCROLL, SB_RIGHT, hbar, G().MaxScrollX(), G().MaxScrollY()},
        {WM_VSCROLL, SB_TOP, vbar, G().MaxScrollX(), 0},
        {WM_HSCROLL, SB_LEFT, hbar, 0, 0},
        {WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, -120), nullptr, 300, 0}, // one column to the right
        {WM_MOUSEHWHEEL, MAKEWPARAM(0, -60), nullptr, 300, 0},        // half a notch waits
        {WM_MOUSEHWHEEL, MAKEWPARAM(0, -60), nullptr, 0, 0},
        {WM_MOUSEHWHEEL, MAKEWPARAM(0, 120), nullptr, 300, 0},
        // the wheel scrolls 3 lines for each whole notch
        {WM_MOUSEWHEEL, MAKEWPARAM(0, -120), nullptr, 300, 3 * rh},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, -240), nullptr, 300, 9 * rh},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, 120), nullptr, 300, 6 * rh},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, -119), nullptr, 300, 6 * rh},
    };
    for (const auto& [msg, wParam, bar, scrollX, scrollY] : steps) {
        ::SendMessageA(table, msg, wParam, reinterpret_cast<LPARAM>(bar));
        EXPECT_EQ(std::pair(G().scrollX, G().scrollY), std::pair(scrollX, scrollY)) << msg << " " << wParam;
        EXPECT_TRUE(!bar || ::GetScrollPos(bar, SB_CTL) == (bar == vbar ? G().scrollY : G().scrollX)) << msg;
    }
    EXPECT_TRUE(parent.events.empty());
    // A line to the left stops at a column's edge, and is never more than the body's width - 32.
    table.SetWidth(0, 1000);
    table.Update(true);
    table.SetScrollX(1200); // Ping (1000..1900) is cut at the left
    for (auto [code, scrollX] :
         {std::pair{SB_LINELEFT, 1000}, {SB_LINELEFT, 1000 - (G().bodyWidth - 32)}, {SB_LINERIGHT, 1000}}) {
        ::SendMessageA(table, WM_HSCROLL, code, 0);
        EXPECT_EQ(G().scrollX, scrollX) << code;
    }
    EXPECT_EQ(::GetScrollPos(hbar, SB_CTL), G().scrollX);
    // Bringing a column into view scrolls its right edge to the body's, or its left edge to the body's.
    for (auto [col, from, scrollX] :
         {std::tuple{1, 0, 1900 - G().bodyWidth}, {1, 1500, 1000}, {0, 1200, 0}}) {
        table.SetScrollX(from);
        table.EnsureVisible(-1, col);
        EXPECT_EQ(G().scrollX, scrollX) << col << " from " << from;
    }
}

TEST_F(PaneTest, LayoutAddsBothBarsInOnePass) {
    const RECT client = table.GetClientRect();
    // Fits without a vertical bar; the vertical bar makes the columns too wide; only too wide.
    for (auto [nameWidth, rows, vertical, horizontal] : {std::tuple{client.right - 70, 3, false, false},
                                                         {client.right - 70, 50, true, true},
                                                         {client.right + 100, 3, false, true},
                                                         {100, 50, true, false}}) {
        table.DeleteAllRows();
        for (int i = 0; i < rows; ++i)
            table.AddRow();
        table.SetWidth(0, nameWidth);
        table.Update(true);
        SCOPED_TRACE(testing::Message() << nameWidth << "/" << rows);
        EXPECT_EQ(::IsWindowVisible(table.GetScrollBar(SB_VERT)) != 0, vertical);
        EXPECT_EQ(::IsWindowVisible(table.GetScrollBar(SB_HORZ)) != 0, horizontal);
        EXPECT_EQ(G().bodyWidth, client.right - (vertical ? ::GetSystemMetrics(SM_CXVSCROLL) : 0));
        EXPECT_EQ(G().bodyHeight, client.bottom - Tabra::CTableCtrl::kHeaderHeight -
                                      (horizontal ? ::GetSystemMetrics(SM_CXHSCROLL) : 0));
        EXPECT_EQ(table.Body().GetClientRect().right, G().bodyWidth);
    }
}

TEST_F(PaneTest, BandsSelectionInTheCurrentSystemColourAndGridInPixels) {
    table.DeleteAllRows();
    for (int i = 0; i < 5; ++i)
        table.AddRow()->Cell(0)->SetText("x");
    table.SetSelectedRow(2);
    table.Update(true);
    const int rh = G().rowHeight;
    INT element = COLOR_HIGHLIGHT;
    const COLORREF before = ::GetSysColor(COLOR_HIGHLIGHT), highlight = RGB(200, 0, 50);
    ::SetSysColors(1, &element, &highlight);
    ::SendMessageA(parent, WM_SYSCOLORCHANGE, 0, 0); // only top-level windows are told
    CPicture body(table.Body());
    ::SetSysColors(1, &element, &before);
    // Bands and vertical grid lines go on below the rows.
    for (auto [row, colour] : {std::pair{0, kRow0}, {1, kRow1}, {2, highlight}, {3, kRow1}, {8, kRow0}}) {
        EXPECT_EQ(body.At(125, row * rh + 1), colour) << row;
        EXPECT_EQ(body.At(125, row * rh + rh - 1), colour) << row << ": no horizontal grid line by default";
        EXPECT_EQ(body.At(400, row * rh + 1), colour) << row << " right of the columns";
        EXPECT_EQ(body.At(179, row * rh + 1), kGrid) << row << ": the grid line at the column's right edge";
    }
    // The parity counts from the top of the view: one row down swaps the colours of the rows shown.
    for (int i = 0; i < 60; ++i)
        table.AddRow();
    table.Update(true);
    table.SetScrollY(rh);
    EXPECT_EQ(CPicture(table.Body()).At(125, 1), kRow0) << "row 1 at the top";
    // The erase step paints nothing, so a pane never shows a blank frame between two paints.
    EXPECT_NE(::SendMessageA(Body(), WM_ERASEBKGND, 0, 0), 0);
}

// Without alternating colours: window background, and a horizontal grid line two pixels high under
// each row, in the colour read.
TEST_F(PaneTest, AppearanceValuesAreReadFromTheRegistryAtConstruction) {
    const DWORD two = 2, zero = 0;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, Tabra::kAppearanceKey, "HorzGrid", REG_DWORD, &two, sizeof two);
    ::RegSetKeyValueA(HKEY_CURRENT_USER, Tabra::kAppearanceKey, "Leparello", REG_DWORD, &zero, sizeof zero);
    ::RegSetKeyValueA(HKEY_CURRENT_USER, Tabra::kAppearanceKey, "GridColor", REG_SZ, "FF0000", 7);
    CTestTable other;
    const bool made = CreateFromPlaceholder(other, parent, 0, RECT{0, 0, 300, 200}, kTableId + 1);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, Tabra::kAppearanceKey);
    ASSERT_TRUE(made);
    Fill(other, columns, 3);
    const int rh = other.Geometry().rowHeight;
    CPicture body(other.Body());
    EXPECT_EQ(body.At(125, 1), ::GetSysColor(COLOR_WINDOW));
    for (auto [x, y] : {std::pair{125, rh - 1}, {125, rh - 2}, {119, 1}})
        EXPECT_EQ(body.At(x, y), RGB(255, 0, 0)) << x << "," << y;
}

} // namespace
