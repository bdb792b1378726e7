// Interactive speed of a full-screen table: painting costs the visible rows only, wheel scrolling, a
// header-click sort and in-place editing of 100,000 rows stay quick. Bounds are wide for a loaded machine;
// the measured times are printed.
#include "table/view/ViewTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace testsupport;

namespace {

double Now() {
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

class Performance : public ::testing::Test {
protected:
    void Make(CTestTable& table, SColumns& columns, int rows) {
        ::SetWindowPos(parent, nullptr, 0, 0, 1560, 980, SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(CreateFromPlaceholder(table, parent, 0, RECT{0, 0, 1530, 930}));
        Fill(table, columns, rows);
        table.SetWidth(0, 900);
        table.Update(true);
    }
    // Milliseconds per paint of the whole body.
    double PaintTime(CTestTable& table) {
        RECT rc = table.Body().GetClientRect();
        HDC screen = ::GetDC(nullptr);
        HDC dc = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, rc.right, rc.bottom);
        ::ReleaseDC(nullptr, screen);
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        table.Body().PaintInto(dc, rc); // warm up
        constexpr int kPaints = 10;
        double start = Now();
        for (int i = 0; i < kPaints; ++i)
            table.Body().PaintInto(dc, rc);
        ::GdiFlush();
        double each = (Now() - start) / kPaints;
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
        return each;
    }

    CParent parent;
};

TEST_F(Performance, PaintingCostsTheVisibleRowsOnly) {
    SColumns smallColumns, bigColumns;
    CTestTable small, big;
    Make(small, smallColumns, 100);
    double smallTime = PaintTime(small);
    small.DestroyWindow();
    Make(big, bigColumns, 100000);
    ASSERT_GT(big.Geometry().bodyHeight, 50 * big.Geometry().rowHeight) << "a full-screen body";
    double bigTime = PaintTime(big);
    std::printf("[ perf ] paint %dx%d body: 100 rows %.2f ms, 100000 rows %.2f ms\n",
                big.Geometry().bodyWidth, big.Geometry().bodyHeight, smallTime, bigTime);
    EXPECT_LT(bigTime, 3 * smallTime + 20);
}

TEST_F(Performance, WheelAndHeaderSortOf100000RowsStayInteractive) {
    SColumns columns;
    CTestTable table;
    Make(table, columns, 100000);
    ASSERT_TRUE(::SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, 3, nullptr, 0));
    constexpr int kNotches = 20;
    double start = Now();
    for (int i = 0; i < kNotches; ++i)
        ::SendMessageA(table, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0); // each repaints at once
    double wheel = (Now() - start) / kNotches;
    EXPECT_EQ(table.Geometry().scrollY, kNotches * 3 * table.Geometry().rowHeight);

    start = Now();
    Click(table.Header(), 950, 9); // Ping, integers
    double sortPing = Now() - start;
    start = Now();
    Click(table.Header(), 50, 9); // Name, texts in the locale's collation
    double sortName = Now() - start;
    EXPECT_EQ(table.GetSortKeys(), (Tabra::CSortKeys{0, 0}));
    EXPECT_EQ(table.GetCellText(0, 0), "Row 000");
    std::printf(
        "[ perf ] 100000 rows: wheel notch with repaint %.2f ms, header sort by Ping %.0f ms, by Name "
        "%.0f ms\n",
        wheel, sortPing, sortName);
    EXPECT_LT(wheel, 250);
    EXPECT_LT(sortPing, 5000);
    EXPECT_LT(sortName, 10000);
}

TEST_F(Performance, EditorOpensAndTabsQuicklyOn100000Rows) {
    CTestTable table;
    SColumns columns;
    ASSERT_TRUE(CreateFromPlaceholder(table, parent, 0));
    Fill(table, columns, 100000);
    table.SetEditable(true);
    table.EnsureVisible(50000, 0);
    table.Update(true);
    ::SetFocus(table); // a table being edited has the focus already
    // The best of five rounds: load on the machine only ever adds time.
    double open = 1e9, tab = 1e9, slowest = 0;
    for (int round = 0; round < 5; ++round) {
        table.SetCursor(50000, 0);
        double start = Now();
        ASSERT_TRUE(table.StartEdit(true));
        double opened = Now();
        ::SendMessageA(::GetFocus(), WM_KEYDOWN, VK_TAB, 0);
        open = std::min(open, opened - start);
        tab = std::min(tab, Now() - opened);
        slowest = std::max(slowest, Now() - start);
        ASSERT_EQ(table.GetCursorColumn(), 1);
        table.EndEdit(true);
    }
    std::printf(
        "[ measure  ] open editor %.2f ms, Tab %.2f ms, slowest open and Tab %.2f ms (100,000 rows)\n", open,
        tab, slowest);
    // The aim is 16 ms each in a Release build; the bounds leave room for a loaded machine.
    EXPECT_LT(open, 60.0);
    EXPECT_LT(tab, 60.0);
}

} // namespace
