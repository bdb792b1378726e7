// The panes of the table control: header sorting, moving and resizing by mouse messages; layout,
// scrolling and the wheel; pixels of painted panes; the appearance values from the registry.
#include "table/view/ViewTestUtil.h"

#include <gtest/gtest.h>

using namespace viewtest;
using Tabra::CSortKeys;
using Tabra::CTableCtrl;

namespace {

// A pane painted through its normal paint path into a 32-bit bitmap.
class CPicture {
public:
    explicit CPicture(Tabra::CTableCtrlWnd& pane) {
        RECT rc = pane.GetClientRect();
        m_width = rc.right;
        m_height = rc.bottom;
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = m_width;
        bi.bmiHeader.biHeight = -m_height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        m_dc = ::CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_old = ::SelectObject(m_dc, m_bitmap);
        m_bits = static_cast<const DWORD*>(bits);
        pane.PaintInto(m_dc, rc);
        ::GdiFlush();
    }
    ~CPicture() {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    COLORREF At(int x, int y) const {
        DWORD p = m_bits[y * m_width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(COLORREF colour, RECT r) const {
        int n = 0;
        for (int y = std::max(0L, r.top); y < std::min<LONG>(m_height, r.bottom); ++y)
            for (int x = std::max(0L, r.left); x < std::min<LONG>(m_width, r.right); ++x)
                n += At(x, y) == colour;
        return n;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    const DWORD* m_bits;
    int m_width;
    int m_height;
};

constexpr COLORREF kRow0 = RGB(0xF0, 0xFF, 0xF0);
constexpr COLORREF kRow1 = RGB(0xE0, 0xFF, 0xE0);
constexpr COLORREF kGrid = RGB(0x80, 0xA0, 0x80);
constexpr COLORREF kArrow = RGB(0, 0, 128);

class PaneTest : public ::testing::Test {
protected:
    void SetUp() override { Make(50); }
    void TearDown() override { SetModifiers(false, false); }
    void Make(int rows) {
        ASSERT_TRUE(CreateFromPlaceholder(table, parent, 0));
        Fill(table, columns, rows);
        ::SetFocus(table);
        parent.events.clear();
    }
    HWND Header() { return table.Header(); }
    HWND Body() { return table.Body(); }
    void HeaderClick(int x, UINT flags = 0) { Click(Header(), x, 9, flags); }
    std::vector<int> Pings() {
        std::vector<int> pings;
        for (int r = 0; r < table.GetRowCount(); ++r)
            pings.push_back(table.GetCell(r, 1)->GetInt());
        return pings;
    }

    SColumns columns;
    CParent parent;
    CTestTable table;
};

// Name spans 0..120, Ping 120..180 in header and body coordinates.
TEST_F(PaneTest, HeaderClickSortsAndShiftOrCtrlAddKeysInDisplayOrder) {
    HeaderClick(150);
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2004, -2005, -16}));
    EXPECT_EQ(parent.events[0].col, 1);
    EXPECT_EQ(parent.events[0].row, -1);
    EXPECT_EQ(table.GetSortKeys(), (CSortKeys{1, 0}));
    EXPECT_EQ(table.GetCell(0, 1)->GetInt(), 10);

    HeaderClick(150);
    EXPECT_EQ(table.GetSortKeys(), (CSortKeys{1, 1}));
    EXPECT_EQ(table.GetCell(0, 1)->GetInt(), 500);

    // Name stands left of Ping, so the added key becomes the first.
    HeaderClick(50, MK_SHIFT);
    EXPECT_EQ(table.GetSortKeys(), (CSortKeys{0, 0, 1, 1}));
    HeaderClick(50, MK_CONTROL);
    EXPECT_EQ(table.GetSortKeys(), (CSortKeys{0, 1, 1, 1}));
    EXPECT_EQ(table.GetCellText(0, 0), "Row 049");

    // Without a modifier the click replaces the keys; a cancelled -2004 changes nothing.
    HeaderClick(150);
    EXPECT_EQ(table.GetSortKeys(), (CSortKeys{1, 0}));
    parent.events.clear();
    parent.answers[Tabra::TN_SORTING] = 1;
    HeaderClick(50);
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2004, -16}));
    EXPECT_EQ(table.GetSortKeys(), (CSortKeys{1, 0}));
    EXPECT_EQ(table.GetCell(0, 1)->GetInt(), 10);
}

TEST_F(PaneTest, SortArrowsAreDrawnOnSortedTitlesOnly) {
    struct Case {
        CSortKeys keys;
        bool nameArrow;
        bool pingArrow;
    } cases[] = {
        {CSortKeys{}, false, false},
        {CSortKeys{1, 0}, false, true},
        {CSortKeys{0, 1, 1, 0}, true, true},
    };
    for (const Case& c : cases) {
        table.Sort(c.keys);
        CPicture header(table.Header());
        EXPECT_EQ(header.Count(kArrow, RECT{0, 0, 120, 18}) > 0, c.nameArrow) << c.keys.GetCount();
        EXPECT_EQ(header.Count(kArrow, RECT{120, 0, 180, 18}) > 0, c.pingArrow) << c.keys.GetCount();
        // Name is left aligned: its arrow sits at the right end of the title.
        if (c.nameArrow) {
            EXPECT_EQ(header.Count(kArrow, RECT{0, 0, 90, 18}), 0);
        }
    }
}

TEST_F(PaneTest, MovingAColumnReordersTheSortKeysAndDoesNotFlipBack) {
    table.Sort(CSortKeys{0, 0, 1, 1});
    // Drag Ping (60 wide) left over Name (120 wide).
    ::SendMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, At(150, 9));
    ::SendMessageA(Header(), WM_MOUSEMOVE, MK_LBUTTON, At(140, 9));
    EXPECT_EQ(table.Header().GetMode(), Tabra::CHeaderDisplay::MODE_MOVING);
    struct Step {
        int x;
        int pingPosition;
    } steps[] = {
        {100, 1}, // inside Name but not within Ping's width of its left edge: no move yet
        {50, 0},  // moved
        {70, 0},  // now over Name again, yet not past Name's width: no flip back
        {55, 0},
    };
    for (const Step& s : steps) {
        ::SendMessageA(Header(), WM_MOUSEMOVE, MK_LBUTTON, At(s.x, 9));
        EXPECT_EQ(table.Geometry().PositionOf(1), s.pingPosition) << s.x;
    }
    parent.events.clear();
    ::SendMessageA(Header(), WM_LBUTTONUP, 0, At(55, 9));
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2004, -2005, -16}));
    EXPECT_EQ(parent.events[0].col, -1);
    EXPECT_EQ(table.GetSortKeys(), (CSortKeys{1, 1, 0, 0}));
    EXPECT_EQ(table.GetCell(0, 1)->GetInt(), 500);
    EXPECT_EQ(table.Header().GetMode(), Tabra::CHeaderDisplay::MODE_IDLE);
    EXPECT_FALSE(table.Header().HasCapture());
}

TEST_F(PaneTest, ABorderDragResizesLiveAndClampsAtTheMinimum) {
    ASSERT_EQ(table.Header().BorderHitTest(117), 0);
    ASSERT_EQ(table.Header().BorderHitTest(60), -1);
    ASSERT_EQ(table.Header().BorderHitTest(124), 0) << "5 pixels right of the border still catch it";
    ::SendMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, At(117, 9));
    EXPECT_EQ(table.Header().GetMode(), Tabra::CHeaderDisplay::MODE_RESIZING);
    ::SendMessageA(Header(), WM_MOUSEMOVE, MK_LBUTTON, At(147, 9));
    EXPECT_EQ(table.GetWidth(0), 150);
    EXPECT_EQ(table.Geometry().LeftEdge(1), 150) << "the next column follows at once";
    ::SendMessageA(Header(), WM_MOUSEMOVE, MK_LBUTTON, At(-300, 9));
    EXPECT_GT(table.GetMinWidth(0), 10);
    EXPECT_EQ(table.GetWidth(0), table.GetMinWidth(0));
    ::SendMessageA(Header(), WM_LBUTTONUP, 0, At(-300, 9));
    EXPECT_EQ(table.Header().GetMode(), Tabra::CHeaderDisplay::MODE_IDLE);
    EXPECT_EQ(table.GetSortKeys(), CSortKeys{}) << "a resize sorts nothing";
}

TEST_F(PaneTest, ColumnMenuSortsThroughTheHeaderKeys) {
    table.Sort(CSortKeys{0, 0});
    table.choice = Tabra::ID_SORT_DESCENDING;
    POINT p{150, 9};
    ::ClientToScreen(Header(), &p);
    ::SendMessageA(Header(), WM_CONTEXTMENU, 0, At(p.x, p.y));
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2007, -2009, -2004, -2005}));
    EXPECT_EQ(table.GetSortKeys(), (CSortKeys{0, 0, 1, 1}));
    const SItem* none = FindItem(table.lastMenu, "No sort");
    ASSERT_NE(none, nullptr);
    EXPECT_TRUE(none->checked) << "Ping was not sorted when the menu opened";
    EXPECT_FALSE(FindItem(table.lastMenu, "Hide")->grayed);

    // With one visible column "Hide" is disabled; past the last column the placeholder item.
    table.SetColumnVisible(0, false);
    table.Update(true);
    table.choice = 0;
    p = POINT{20, 9};
    ::ClientToScreen(Header(), &p);
    ::SendMessageA(Header(), WM_CONTEXTMENU, 0, At(p.x, p.y));
    EXPECT_TRUE(FindItem(table.lastMenu, "Hide")->grayed);
    EXPECT_TRUE(FindItem(table.lastMenu, "Descending")->checked);
    p = POINT{400, 9};
    ::ClientToScreen(Header(), &p);
    ::SendMessageA(Header(), WM_CONTEXTMENU, 0, At(p.x, p.y));
    ASSERT_EQ(table.lastMenu.size(), 1u);
    EXPECT_EQ(table.lastMenu[0].text, "Todo: Implementieren");
    EXPECT_TRUE(table.lastMenu[0].grayed);
}

TEST_F(PaneTest, ScrollOffsetsAreClampedAndSnapToRows) {
    int rh = table.Geometry().rowHeight;
    int body = table.Geometry().bodyHeight;
    int max = 50 * rh - rh * (body / rh);
    EXPECT_EQ(table.Geometry().MaxScrollY(), max);
    struct Case {
        int set;
        int expected;
    } cases[] = {{-5, 0}, {rh * 3 + rh / 2, rh * 3}, {1000000, max}, {rh - 1, 0}};
    for (const Case& c : cases) {
        table.SetScrollY(c.set);
        EXPECT_EQ(table.Geometry().scrollY, c.expected) << c.set;
    }
    table.SetScrollY(0);
    ::SendMessageA(table, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(table.GetScrollBar(SB_VERT)));
    EXPECT_EQ(table.Geometry().scrollY, rh);
    ::SendMessageA(table, WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(table.GetScrollBar(SB_VERT)));
    EXPECT_EQ(table.Geometry().scrollY, rh * ((rh + body - rh) / rh));
    EXPECT_EQ(::GetScrollPos(table.GetScrollBar(SB_VERT), SB_CTL), table.Geometry().scrollY);
    EXPECT_EQ(table.Geometry().scrollY % rh, 0);
}

TEST_F(PaneTest, WheelScrollsWholeNotchesOfLines) {
    ASSERT_TRUE(::SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, 3, nullptr, 0));
    int rh = table.Geometry().rowHeight;
    struct Step {
        short delta;
        int scrollY;
    } steps[] = {{60, 0}, {-60, 0}, {-120, 3 * rh}, {-240, 9 * rh}, {120, 6 * rh}, {-119, 6 * rh}};
    for (const Step& s : steps) {
        ::SendMessageA(table, WM_MOUSEWHEEL, MAKEWPARAM(0, s.delta), 0);
        EXPECT_EQ(table.Geometry().scrollY, s.scrollY) << s.delta;
    }
    EXPECT_TRUE(parent.events.empty());
}

TEST_F(PaneTest, LayoutAddsBothBarsInOnePass) {
    RECT client = table.GetClientRect();
    int vbar = ::GetSystemMetrics(SM_CXVSCROLL);
    int hbar = ::GetSystemMetrics(SM_CXHSCROLL);
    struct Case {
        int nameWidth;
        int rows;
        bool vertical;
        bool horizontal;
    } cases[] = {
        {100, 3, false, false},
        {client.right - 70, 3, false, false}, // fits without a vertical bar
        {client.right - 70, 50, true, true},  // the vertical bar makes the columns too wide
        {client.right + 100, 3, false, true}, // only too wide
        {100, 50, true, false},
    };
    for (const Case& c : cases) {
        table.DeleteAllRows();
        for (int i = 0; i < c.rows; ++i)
            table.AddRow();
        table.SetWidth(0, c.nameWidth);
        table.Update(true);
        EXPECT_EQ(::IsWindowVisible(table.GetScrollBar(SB_VERT)) != 0, c.vertical)
            << c.nameWidth << "/" << c.rows;
        EXPECT_EQ(::IsWindowVisible(table.GetScrollBar(SB_HORZ)) != 0, c.horizontal)
            << c.nameWidth << "/" << c.rows;
        EXPECT_EQ(table.Geometry().bodyWidth, client.right - (c.vertical ? vbar : 0));
        EXPECT_EQ(table.Geometry().bodyHeight,
                  client.bottom - CTableCtrl::HEADER_HEIGHT - (c.horizontal ? hbar : 0));
        RECT body = {};
        ::GetWindowRect(Body(), &body);
        EXPECT_EQ(body.right - body.left, table.Geometry().bodyWidth);
    }
    table.DeleteAllRows();
    table.Update(true);
    EXPECT_EQ(table.Geometry().MaxScrollY(), 0);
    EXPECT_EQ(table.Geometry().RowAtY(5), 0);
}

TEST_F(PaneTest, EnsureVisibleScrollsRowsAndColumnsIntoTheBody) {
    int rh = table.Geometry().rowHeight;
    int full = table.Geometry().bodyHeight / rh;
    table.EnsureVisible(40, -1);
    EXPECT_EQ(table.Geometry().scrollY, rh * (40 - full + 1));
    EXPECT_EQ(table.Geometry().RowAtY((full - 1) * rh), 40) << "the row is the last full row";
    table.EnsureVisible(35, -1);
    EXPECT_EQ(table.Geometry().scrollY, rh * (40 - full + 1)) << "a visible row scrolls nothing";
    table.EnsureVisible(5, -1);
    EXPECT_EQ(table.Geometry().scrollY, 5 * rh);

    table.SetWidth(0, 900);
    table.Update(true);
    table.EnsureVisible(-1, 1);
    EXPECT_EQ(table.Geometry().scrollX, 900 + 60 - table.Geometry().bodyWidth);
    table.EnsureVisible(-1, 0);
    EXPECT_EQ(table.Geometry().scrollX, 0);
    EXPECT_EQ(table.Geometry().scrollY, 5 * rh);
}

TEST_F(PaneTest, LineLeftStopsAtColumnEdges) {
    table.SetWidth(0, 1000);
    table.SetWidth(1, 900);
    table.Update(true);
    table.SetScrollX(1200); // Ping (1000..1900) is cut at the left
    ::SendMessageA(table, WM_HSCROLL, SB_LINELEFT, 0);
    EXPECT_EQ(table.Geometry().scrollX, 1000);
    ::SendMessageA(table, WM_HSCROLL, SB_LINELEFT, 0);
    EXPECT_EQ(table.Geometry().scrollX, 1000 - (table.Geometry().bodyWidth - 32))
        << "never more than body width - 32";
    EXPECT_EQ(::GetScrollPos(table.GetScrollBar(SB_HORZ), SB_CTL), table.Geometry().scrollX);
    ::SendMessageA(table, WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(table.Geometry().scrollX, 1000);
}

TEST_F(PaneTest, ScrollBarEndsAndSidewaysWheels) {
    table.SetWidth(0, 300);
    table.SetWidth(1, 900);
    table.Update(true);
    const Tabra::CTableGeometry& g = table.Geometry();
    HWND vbar = table.GetScrollBar(SB_VERT);
    HWND hbar = table.GetScrollBar(SB_HORZ);
    struct Step {
        UINT msg;
        WPARAM wParam;
        HWND bar;
        int scrollX;
        int scrollY;
    } steps[] = {
        {WM_VSCROLL, SB_BOTTOM, vbar, 0, g.MaxScrollY()},
        {WM_HSCROLL, SB_RIGHT, hbar, g.MaxScrollX(), g.MaxScrollY()},
        {WM_VSCROLL, SB_TOP, vbar, g.MaxScrollX(), 0},
        {WM_HSCROLL, SB_LEFT, hbar, 0, 0},
        {WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, -120), nullptr, 300, 0}, // one column to the right
        {WM_MOUSEHWHEEL, MAKEWPARAM(0, -60), nullptr, 300, 0},        // half a notch waits
        {WM_MOUSEHWHEEL, MAKEWPARAM(0, -60), nullptr, 0, 0},
        {WM_MOUSEHWHEEL, MAKEWPARAM(0, 120), nullptr, 300, 0},
    };
    for (const Step& s : steps) {
        ::SendMessageA(table, s.msg, s.wParam, reinterpret_cast<LPARAM>(s.bar));
        EXPECT_EQ(g.scrollX, s.scrollX) << s.msg << " " << s.wParam;
        EXPECT_EQ(g.scrollY, s.scrollY) << s.msg << " " << s.wParam;
        int position = s.bar == vbar ? g.scrollY : s.bar == hbar ? g.scrollX : -1;
        EXPECT_TRUE(!s.bar || ::GetScrollPos(s.bar, SB_CTL) == position) << s.msg;
    }
}

TEST_F(PaneTest, BandsSelectionAndGridInPixels) {
    table.DeleteAllRows();
    for (int i = 0; i < 5; ++i)
        table.AddRow()->Cell(0)->SetText("x");
    table.SetSelectedRow(2);
    table.Update(true);
    int rh = table.Geometry().rowHeight;
    ASSERT_GT(table.Geometry().bodyHeight, 12 * rh);
    CPicture body(table.Body());
    COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    struct Band {
        int row;
        COLORREF colour;
    } bands[] = {{0, kRow0}, {1, kRow1}, {2, highlight}, {3, kRow1},
                 {4, kRow0}, {5, kRow1}, {8, kRow0},     {11, kRow1}};
    for (const Band& b : bands) {
        int y = b.row * rh + 1;
        EXPECT_EQ(body.At(125, y), b.colour) << "row " << b.row;
        EXPECT_EQ(body.At(400, y), b.colour) << "row " << b.row << " right of the columns";
        // The vertical grid line at the right edge of each column, below the rows too.
        EXPECT_EQ(body.At(119, y), kGrid) << "row " << b.row;
        EXPECT_EQ(body.At(179, y), kGrid) << "row " << b.row;
    }

    // The parity counts from the top of the view: one row down swaps the colours of the rows shown.
    for (int i = 0; i < 60; ++i)
        table.AddRow();
    table.Update(true);
    table.SetScrollY(rh);
    CPicture scrolled(table.Body());
    EXPECT_EQ(scrolled.At(125, 1), kRow0) << "row 1 at the top";
    EXPECT_EQ(scrolled.At(125, rh + 1), highlight);

    // Without alternating colours: window background and a horizontal grid line under each row.
    table.SetScrollY(0);
    table.SetLeparello(false);
    table.Update(true);
    rh = table.Geometry().rowHeight;
    CPicture plain(table.Body());
    COLORREF window = ::GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(plain.At(125, 1), window);
    EXPECT_EQ(plain.At(125, rh - 1), kGrid);
    EXPECT_EQ(plain.At(125, 2 * rh + 1), highlight);
    EXPECT_EQ(plain.At(125, 7 * rh - 1), kGrid) << "lines continue below the rows";
}

TEST_F(PaneTest, SelectionFollowsASystemColourChange) {
    table.SetSelectedRow(1);
    INT element = COLOR_HIGHLIGHT;
    COLORREF before = ::GetSysColor(COLOR_HIGHLIGHT);
    COLORREF changed = RGB(200, 0, 50);
    ::SetSysColors(1, &element, &changed);
    ::SendMessageA(parent, WM_SYSCOLORCHANGE, 0, 0); // only top-level windows are told
    CPicture body(table.Body());
    ::SetSysColors(1, &element, &before);
    EXPECT_EQ(body.At(125, table.Geometry().rowHeight + 1), changed);
    EXPECT_EQ(body.At(125, 1), kRow0);
}

TEST_F(PaneTest, EveryPaintGoesThroughTheSharedSurface) {
    table.Update(true);
    SIZE size = Tabra::CTableCtrlWnd::SurfaceSize();
    EXPECT_GE(size.cx, table.Geometry().bodyWidth);
    EXPECT_GE(size.cy, table.Geometry().bodyHeight);
    // The erase step paints nothing, so a pane never shows a blank frame between two paints.
    HDC dc = ::GetDC(Body());
    EXPECT_NE(::SendMessageA(Body(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 0);
    ::ReleaseDC(Body(), dc);
}

TEST(TableAppearance, ValuesAreReadFromTheRegistryAtConstruction) {
    ::RegDeleteKeyA(HKEY_CURRENT_USER, Tabra::APPEARANCE_KEY);
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, Tabra::APPEARANCE_KEY, 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD two = 2;
    DWORD zero = 0;
    ::RegSetValueExA(key, "HorzGrid", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), sizeof two);
    ::RegSetValueExA(key, "Leparello", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
    ::RegSetValueExA(key, "GridColor", 0, REG_SZ, reinterpret_cast<const BYTE*>("FF0000"), 7);
    ::RegSetValueExA(key, "Leparello_Color_1", 0, REG_SZ, reinterpret_cast<const BYTE*>("nothex"), 7);
    ::RegCloseKey(key);

    CParent parent;
    SColumns columns;
    {
        CTestTable table;
        EXPECT_FALSE(table.GetLeparello());
        EXPECT_TRUE(table.HasHorzGrid());
        EXPECT_EQ(table.Geometry().horzGrid, 2);
        EXPECT_EQ(table.Look().appearance.gridColor, RGB(255, 0, 0));
        EXPECT_EQ(table.Look().appearance.rowColor[1], RGB(0, 0, 0)) << "not three hexadecimal pairs";
        EXPECT_EQ(table.Look().appearance.rowColor[0], kRow0);
        ASSERT_TRUE(CreateFromPlaceholder(table, parent, 0));
        Fill(table, columns, 3);
        int rh = table.Geometry().rowHeight;
        CPicture body(table.Body());
        EXPECT_EQ(body.At(125, rh - 1), RGB(255, 0, 0));
        EXPECT_EQ(body.At(125, rh - 2), RGB(255, 0, 0)) << "two pixels high";
        EXPECT_EQ(body.At(119, 1), RGB(255, 0, 0));
    }
    ::RegDeleteKeyA(HKEY_CURRENT_USER, Tabra::APPEARANCE_KEY);
    CTestTable defaults;
    EXPECT_TRUE(defaults.GetLeparello());
    EXPECT_FALSE(defaults.HasHorzGrid());
    EXPECT_EQ(defaults.Look().appearance.gridColor, kGrid);
}

} // namespace
