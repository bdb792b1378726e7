#include "app/dialogs/DlgLayout.h"

#include "AppTestResources.h"
#include "DialogHost.h"

#include <cmath>
#include <functional>

namespace {

using Dialux::CDlgLayout;

class DlgLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_host.Open(IDD_APP_LAYOUT);
        m_layout.Init(m_host, 8);
        m_host.layout = &m_layout;
    }
    SIZE Client() const {
        RECT rc = m_host.GetClientRect();
        return SIZE{rc.right, rc.bottom};
    }

    testsupport::CDialogHost m_host;
    CDlgLayout m_layout;
};

TEST_F(DlgLayoutTest, ResizingKeepsEveryControlAnchoredAsRegistered) {
    struct SCase {
        int id;
        uint32_t flags;
        // Expected new rectangle from the old one, the size change and the scale.
        std::function<RECT(RECT, int, int, double, double)> expected;
    };
    const SCase cases[] = {
        {IDC_L_BTN1, 0x1111,
         [](RECT r, int dx, int dy, double, double) {
             return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
         }},
        {IDC_L_LEFT, 0x1010,
         [](RECT r, int dx, int dy, double, double) {
             return RECT{r.left, r.top, r.right + dx, r.bottom + dy};
         }},
        {IDC_L_STATUS, 0x1100,
         [](RECT r, int, int dy, double, double) {
             return RECT{r.left, r.top + dy, r.right, r.bottom + dy};
         }},
        {IDC_L_BTN2, 0x0011,
         [](RECT r, int dx, int, double, double) {
             return RECT{r.left + dx, r.top, r.right + dx, r.bottom};
         }},
        {IDC_L_RIGHT, 0x1110,
         [](RECT r, int dx, int dy, double, double) {
             return RECT{r.left, r.top + dy, r.right + dx, r.bottom + dy};
         }},
        {IDC_L_OUTSIDE, 0x2222,
         [](RECT r, int, int, double sx, double sy) {
             return RECT{static_cast<LONG>(r.left * sx), static_cast<LONG>(r.top * sy),
                         static_cast<LONG>(r.right * sx), static_cast<LONG>(r.bottom * sy)};
         }},
        {IDC_L_SPLIT, 0x1033,
         [](RECT r, int, int dy, double sx, double) {
             LONG half = (r.right - r.left) / 2;
             LONG left = static_cast<LONG>((r.left + half) * sx) - half;
             return RECT{left, r.top, left + r.right - r.left, r.bottom + dy};
         }},
    };
    std::vector<RECT> before;
    for (const SCase& c : cases) {
        ASSERT_GE(m_layout.AddControl(c.id, c.flags), 0);
        before.push_back(m_host.ItemRect(c.id));
    }
    SIZE old = Client();
    // Two steps: the result depends only on the final size, not on the way there.
    m_host.Grow(90, 20);
    m_host.Grow(110, 100);
    SIZE now = Client();
    int dx = now.cx - old.cx, dy = now.cy - old.cy;
    ASSERT_GT(dx, 100);
    ASSERT_GT(dy, 50);
    double sx = static_cast<double>(now.cx) / old.cx, sy = static_cast<double>(now.cy) / old.cy;
    for (size_t i = 0; i < std::size(cases); ++i) {
        RECT want = cases[i].expected(before[i], dx, dy, sx, sy);
        RECT got = m_host.ItemRect(cases[i].id);
        EXPECT_EQ(got.left, want.left) << cases[i].id;
        EXPECT_EQ(got.top, want.top) << cases[i].id;
        EXPECT_EQ(got.right, want.right) << cases[i].id;
        EXPECT_EQ(got.bottom, want.bottom) << cases[i].id;
    }
    // The centred bar keeps its relative place.
    RECT bar = m_host.ItemRect(IDC_L_SPLIT);
    double oldCentre = (before.back().left + before.back().right) / 2.0 / old.cx;
    EXPECT_NEAR((bar.left + bar.right) / 2.0 / now.cx, oldCentre, 1.5 / now.cx);
    // Shrinking back restores the registered rectangles exactly.
    m_host.Grow(-200, -120);
    for (size_t i = 0; i < std::size(cases); ++i) {
        RECT got = m_host.ItemRect(cases[i].id);
        EXPECT_EQ(got.left, before[i].left) << cases[i].id;
        EXPECT_EQ(got.bottom, before[i].bottom) << cases[i].id;
    }
}

TEST_F(DlgLayoutTest, CentredControlStaysAtFortyPercent) {
    HWND bar = m_host.GetDlgItem(IDC_L_SPLIT);
    SIZE client = Client();
    RECT rc = m_host.RectOf(bar);
    int width = rc.right - rc.left;
    int left = client.cx * 40 / 100 - width / 2;
    ::SetWindowPos(bar, nullptr, left, rc.top, width, rc.bottom - rc.top, SWP_NOZORDER);
    m_layout.AddWindow(bar, 0x1033);
    for (int grow : {150, 333, -250}) {
        m_host.Grow(grow, 0);
        RECT now = m_host.RectOf(bar);
        EXPECT_NEAR((now.left + now.right) / 2.0, 0.40 * Client().cx, 1.5) << grow;
        EXPECT_EQ(now.right - now.left, width);
    }
}

TEST_F(DlgLayoutTest, EdgesFollowTheirReferenceEntry) {
    int bar = m_layout.AddControl(IDC_L_SPLIT, 0x1033);
    m_layout.AddControl(IDC_L_LEFT, 0x1010, -1, bar);
    m_layout.AddControl(IDC_L_RIGHT, 0x1011, bar);
    RECT left0 = m_host.ItemRect(IDC_L_LEFT), right0 = m_host.ItemRect(IDC_L_RIGHT);
    RECT bar0 = m_host.ItemRect(IDC_L_SPLIT);

    RECT moved = bar0;
    ::OffsetRect(&moved, 40, 0);
    const Dialux::SMovedWindow move[] = {{m_host.GetDlgItem(IDC_L_SPLIT), moved}};
    ASSERT_TRUE(m_layout.Layout({}, move));
    EXPECT_EQ(m_host.ItemRect(IDC_L_SPLIT).left, bar0.left + 40);
    EXPECT_EQ(m_host.ItemRect(IDC_L_LEFT).right, left0.right + 40);
    EXPECT_EQ(m_host.ItemRect(IDC_L_LEFT).left, left0.left);
    EXPECT_EQ(m_host.ItemRect(IDC_L_RIGHT).left, right0.left + 40);
    EXPECT_EQ(m_host.ItemRect(IDC_L_RIGHT).right, right0.right);

    // The moved place is the new reference: a resize keeps the gap to the bar.
    m_host.Grow(100, 0);
    RECT bar1 = m_host.ItemRect(IDC_L_SPLIT);
    EXPECT_EQ(m_host.ItemRect(IDC_L_LEFT).right - bar1.right, left0.right - bar0.right);
    EXPECT_EQ(m_host.ItemRect(IDC_L_RIGHT).left - bar1.right, right0.left - bar0.right);
}

TEST_F(DlgLayoutTest, MovedWindowsOutsideTheClientAreaAreRefused) {
    int bar = m_layout.AddControl(IDC_L_SPLIT, 0x1033);
    m_layout.AddControl(IDC_L_LEFT, 0x1010, -1, bar);
    m_layout.AddControl(IDC_L_RIGHT, 0x1011, bar);
    HWND barWnd = m_host.GetDlgItem(IDC_L_SPLIT);
    const RECT bar0 = m_host.RectOf(barWnd);
    const RECT left0 = m_host.ItemRect(IDC_L_LEFT);
    const SIZE client = Client();
    const struct {
        const char* what;
        RECT rect;
    } cases[] = {
        {"left of the client area", {-3, bar0.top, bar0.right - bar0.left - 3, bar0.bottom}},
        {"beyond the right edge", {client.cx - 2, bar0.top, client.cx + 4, bar0.bottom}},
        {"below the bottom", {bar0.left, bar0.top, bar0.right, client.cy + 1}},
        {"empty", {bar0.left, bar0.top, bar0.left, bar0.bottom}},
        // The right table would have no width left.
        {"pushing a neighbour empty", {client.cx - 8, bar0.top, client.cx - 2, bar0.bottom}},
    };
    for (const auto& c : cases) {
        const Dialux::SMovedWindow move[] = {{barWnd, c.rect}};
        EXPECT_FALSE(m_layout.Layout({}, move)) << c.what;
        RECT now = m_host.RectOf(barWnd);
        EXPECT_EQ(now.left, bar0.left) << c.what;
        EXPECT_EQ(m_host.ItemRect(IDC_L_LEFT).right, left0.right) << c.what;
    }

    // A veto sees one proposed rectangle per entry and may refuse a valid result.
    RECT fine = bar0;
    ::OffsetRect(&fine, -20, 0);
    const Dialux::SMovedWindow move[] = {{barWnd, fine}};
    std::vector<RECT> seen;
    EXPECT_FALSE(m_layout.Layout(
        [&](const std::vector<RECT>& proposed) {
            seen = proposed;
            return false;
        },
        move));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].left, fine.left);
    EXPECT_EQ(seen[1].right, left0.right - 20);
    EXPECT_EQ(m_host.RectOf(barWnd).left, bar0.left);
    EXPECT_TRUE(m_layout.Layout([](const std::vector<RECT>&) { return true; }, move));
    EXPECT_EQ(m_host.RectOf(barWnd).left, fine.left);
}

TEST_F(DlgLayoutTest, RebaseTakesTheCurrentPlacesAsReference) {
    m_layout.AddControl(IDC_L_BTN1, 0x1111);
    HWND button = m_host.GetDlgItem(IDC_L_BTN1);
    RECT b0 = m_host.RectOf(button);
    ::SetWindowPos(button, nullptr, b0.left - 30, b0.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    m_host.Grow(50, 0);
    EXPECT_EQ(m_host.RectOf(button).left, b0.left + 50) << "without Rebase the registered place counts";

    ::SetWindowPos(button, nullptr, b0.left - 30, b0.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    m_layout.Rebase();
    EXPECT_EQ(m_layout.GetReferenceSize().cx, Client().cx);
    m_host.Grow(50, 0);
    EXPECT_EQ(m_host.RectOf(button).left, b0.left - 30 + 50);
}

TEST_F(DlgLayoutTest, AddControlsInRectTakesTheChildrenInsideTheFrame) {
    int count = m_layout.AddControlsInRect(IDC_L_FRAME, 0x0011);
    EXPECT_EQ(count, 3); // both buttons and the frame itself
    EXPECT_GE(m_layout.FindEntry(m_host.GetDlgItem(IDC_L_BTN1)), 0);
    EXPECT_GE(m_layout.FindEntry(m_host.GetDlgItem(IDC_L_BTN2)), 0);
    EXPECT_EQ(m_layout.FindEntry(m_host.GetDlgItem(IDC_L_OUTSIDE)), -1);
    EXPECT_EQ(m_layout.FindEntry(m_host.GetDlgItem(IDC_L_LEFT)), -1);
    RECT b0 = m_host.ItemRect(IDC_L_BTN2);
    m_host.Grow(40, 0);
    EXPECT_EQ(m_host.ItemRect(IDC_L_BTN2).left, b0.left + 40);
    EXPECT_EQ(m_layout.AddControlsInRect(9999, 0x0011), 0) << "no such frame";

    int children = 0;
    for (HWND c = ::GetWindow(m_host, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        ++children;
    EXPECT_EQ(m_layout.AddControlsInRect(IDC_L_FRAME, 0, -1, -1, -1, -1, 5000), children) << "margin";
    EXPECT_EQ(m_layout.GetCount(), children) << "entries are found again, not duplicated";
}

TEST_F(DlgLayoutTest, AddWindowMergesFlagsAndKeepsOnlyEarlierReferences) {
    EXPECT_EQ(m_layout.AddWindow(nullptr, 0x1111), -1);
    EXPECT_EQ(m_layout.AddControl(12345, 0x1111), -1);
    HWND a = m_host.GetDlgItem(IDC_L_LEFT), b = m_host.GetDlgItem(IDC_L_RIGHT);
    EXPECT_EQ(m_layout.AddWindow(a, 0x0001, 1), 0);
    EXPECT_EQ(m_layout.GetEntry(0).refs[0], -1) << "entry 1 does not exist before entry 0";
    EXPECT_EQ(m_layout.AddWindow(b, 0x0010, 0, 0, 0, 0), 1);
    EXPECT_EQ(m_layout.AddWindow(a, 0x0010), 0);
    EXPECT_EQ(m_layout.GetEntry(0).flags, 0x0011u);
    EXPECT_EQ(m_layout.AddWindow(b, Dialux::RESET_LEFT | Dialux::RESET_BOTTOM | 0x2002), 1);
    const auto& e = m_layout.GetEntry(1);
    EXPECT_EQ(e.flags, 0x2012u);
    EXPECT_EQ(e.refs[0], -1);
    EXPECT_EQ(e.refs[1], 0);
    EXPECT_EQ(e.refs[2], 0);
    EXPECT_EQ(e.refs[3], -1);
    EXPECT_EQ(m_layout.GetCount(), 2);
}

TEST_F(DlgLayoutTest, InitWithASizeItemTakesItsCornerAndDestroysIt) {
    RECT frame = m_host.ItemRect(IDC_L_SIZE);
    CDlgLayout layout;
    layout.Init(m_host, 4, IDC_L_SIZE);
    EXPECT_EQ(layout.GetReferenceSize().cx, frame.right);
    EXPECT_EQ(layout.GetReferenceSize().cy, frame.bottom);
    EXPECT_EQ(m_host.GetDlgItem(IDC_L_SIZE), nullptr);
    EXPECT_EQ(m_layout.GetReferenceSize().cx, Client().cx);
}

} // namespace
