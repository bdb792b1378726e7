#include "app/dialogs/SplitCtrl.h"

#include "AppTestResources.h"
#include "DialogHost.h"

namespace {

using Dialux::CSplitCtrl;

class SplitCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_host.Open(IDD_APP_LAYOUT);
        m_placeholder = m_host.ItemRect(IDC_L_SPLIT);
        m_before = ::GetWindow(m_host.GetDlgItem(IDC_L_SPLIT), GW_HWNDPREV);
        ASSERT_TRUE(m_split.Create(IDC_L_SPLIT, m_host));
        m_layout.Init(m_host, 4);
        int bar = m_layout.AddWindow(m_split, 0x1033);
        m_layout.AddControl(IDC_L_LEFT, 0x1010, -1, bar);
        m_layout.AddControl(IDC_L_RIGHT, 0x1011, bar);
        m_host.layout = &m_layout;
    }
    void Attach(Dialux::CDlgLayout::Veto veto = {}) {
        m_split.AttachLayout(&m_layout, 15, 65, std::move(veto));
    }
    int ClientWidth() const { return m_host.GetClientRect().right; }
    RECT Bar() const { return m_host.RectOf(m_split); }

    // A user's drag: press at grabX inside the bar, move so that the pointer is at parent x, release.
    void Drag(int grabX, std::initializer_list<int> parentXs, bool release = true) {
        ::SendMessageA(m_split, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grabX, 20));
        for (int x : parentXs) {
            POINT pt = {x, Bar().top + 20};
            ::MapWindowPoints(m_host, m_split, &pt, 1);
            ::SendMessageA(m_split, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        }
        if (release)
            ::SendMessageA(m_split, WM_LBUTTONUP, 0, MAKELPARAM(grabX, 20));
    }

    apptest::CDialogHost m_host;
    Dialux::CDlgLayout m_layout;
    CSplitCtrl m_split;
    RECT m_placeholder = {};
    HWND m_before = nullptr;
};

TEST_F(SplitCtrlTest, CreateReplacesThePlaceholder) {
    EXPECT_EQ(m_host.GetDlgItem(IDC_L_SPLIT), m_split.GetHwnd());
    EXPECT_EQ(m_split.GetWindowText(), "Dialux::CSplitCtrl");
    RECT rc = Bar();
    EXPECT_EQ(rc.left, m_placeholder.left + 1);
    EXPECT_EQ(rc.top, m_placeholder.top + 1);
    EXPECT_EQ(rc.right, m_placeholder.right - 1);
    EXPECT_EQ(rc.bottom, m_placeholder.bottom - 1);
    LONG style = ::GetWindowLongA(m_split, GWL_STYLE);
    EXPECT_FALSE(style & WS_BORDER);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_EQ(::GetWindow(m_split, GW_HWNDPREV), m_before);
    EXPECT_FALSE(m_split.Create(IDC_L_SPLIT, m_host)) << "already created";
}

TEST_F(SplitCtrlTest, AttachMakesAVerticalBarSixPixelsWide) {
    RECT before = Bar();
    Attach();
    RECT rc = Bar();
    EXPECT_TRUE(m_split.IsVertical());
    EXPECT_EQ(rc.left, before.left);
    EXPECT_EQ(rc.right - rc.left, CSplitCtrl::kThickness);
    EXPECT_EQ(rc.bottom - rc.top, before.bottom - before.top);
    int entry = m_layout.FindEntry(m_split);
    ASSERT_GE(entry, 0);
    EXPECT_EQ(m_layout.GetEntry(entry).rect.right, rc.right) << "the layout entry is measured again";
}

TEST_F(SplitCtrlTest, DraggingMovesTheBarAndItsNeighbours) {
    Attach();
    const RECT bar0 = Bar(), left0 = m_host.ItemRect(IDC_L_LEFT), right0 = m_host.ItemRect(IDC_L_RIGHT);
    const int target = ClientWidth() * 45 / 100;
    ::SendMessageA(m_split, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 20));
    EXPECT_TRUE(m_split.IsDragging());
    EXPECT_EQ(::GetCapture(), m_split.GetHwnd());
    EXPECT_EQ(m_host.CodesFrom(IDC_L_SPLIT), std::vector<int>{Dialux::SPLIT_BEGIN});
    Drag(3, {target + 3}, false);
    ::SendMessageA(m_split, WM_LBUTTONUP, 0, 0);
    const RECT bar1 = Bar();
    EXPECT_EQ(bar1.left, target);
    EXPECT_EQ(bar1.right - bar1.left, CSplitCtrl::kThickness);
    EXPECT_EQ(m_host.ItemRect(IDC_L_LEFT).right, left0.right + (target - bar0.left));
    EXPECT_EQ(m_host.ItemRect(IDC_L_RIGHT).left, right0.left + (target - bar0.left));
    EXPECT_EQ(m_host.ItemRect(IDC_L_RIGHT).right, right0.right);
    EXPECT_FALSE(m_split.IsDragging());
    EXPECT_EQ(::GetCapture(), nullptr);
    const std::vector<int> codes = m_host.CodesFrom(IDC_L_SPLIT);
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes.back(), Dialux::SPLIT_END);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), Dialux::SPLIT_MOVED), 1);

    // Moving the mouse without a pressed button changes nothing.
    POINT pt = {10, 10};
    ::SendMessageA(m_split, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x + 40, pt.y));
    EXPECT_EQ(Bar().left, target);
}

TEST_F(SplitCtrlTest, DragStopsAtTheLimits) {
    Attach();
    const int width = ClientWidth();
    const struct {
        int pointerX;
        int expectedLeft;
    } cases[] = {
        {width * 90 / 100, width * 6500 / 10000}, {width - 1, width * 6500 / 10000},
        {width * 5 / 100, width * 1500 / 10000},  {2, width * 1500 / 10000},
        {width * 30 / 100 + 2, width * 30 / 100},
    };
    for (const auto& c : cases) {
        Drag(2, {c.pointerX});
        EXPECT_EQ(Bar().left, c.expectedLeft) << c.pointerX;
    }
}

TEST_F(SplitCtrlTest, RefusedLayoutLeavesTheBarInPlace) {
    bool allow = false;
    Attach([&](const std::vector<RECT>&) { return allow; });
    const RECT bar0 = Bar();
    Drag(2, {ClientWidth() / 2});
    EXPECT_EQ(Bar().left, bar0.left);
    std::vector<int> codes = m_host.CodesFrom(IDC_L_SPLIT);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), Dialux::SPLIT_MOVED), 0);
    allow = true;
    Drag(2, {ClientWidth() / 2 + 2});
    EXPECT_EQ(Bar().left, ClientWidth() / 2);
}

TEST_F(SplitCtrlTest, SetPosClampsToTheLimitsAndReportsWholePercent) {
    Attach();
    const int width = ClientWidth();
    const int leftGap = Bar().left - m_host.ItemRect(IDC_L_LEFT).right;
    const int rightGap = m_host.ItemRect(IDC_L_RIGHT).left - Bar().right;
    const struct {
        int percent;
        int expected;
    } cases[] = {{80, 65}, {40, 40}, {65, 65}, {15, 15}, {5, 15}, {-20, 15}, {50, 50}};
    for (const auto& c : cases) {
        EXPECT_EQ(m_split.SetPos(c.percent), c.expected) << c.percent;
        EXPECT_EQ(Bar().left, c.expected * width / 100 + 1) << c.percent;
        EXPECT_EQ(m_split.GetPos(), c.expected) << c.percent;
        EXPECT_EQ(Bar().left - m_host.ItemRect(IDC_L_LEFT).right, leftGap) << c.percent;
        EXPECT_EQ(m_host.ItemRect(IDC_L_RIGHT).left - Bar().right, rightGap) << c.percent;
    }
    // After a resize the bar keeps its proportional place.
    m_split.SetPos(40);
    m_host.Grow(300, 0);
    EXPECT_NEAR(m_split.GetPos(), 40, 1);
}

TEST_F(SplitCtrlTest, ArrowKeysMoveTheFocusedBarAndEscapeCancelsADrag) {
    Attach();
    const int pos0 = m_split.GetPos();
    const struct {
        UINT key;
        int pos;
    } steps[] = {{VK_RIGHT, pos0 + 1}, {VK_RIGHT, pos0 + 2}, {VK_LEFT, pos0 + 1}, {VK_UP, pos0 + 1}};
    for (const auto& step : steps) {
        EXPECT_TRUE(apptest::DialogKey(m_host, WM_KEYDOWN, step.key, m_split));
        EXPECT_EQ(m_split.GetPos(), step.pos) << step.key;
    }
    const RECT bar0 = Bar(), left0 = m_host.ItemRect(IDC_L_LEFT);
    Drag(3, {ClientWidth() * 55 / 100}, false);
    ASSERT_NE(Bar().left, bar0.left);
    EXPECT_TRUE(apptest::DialogKey(m_host, WM_KEYDOWN, VK_ESCAPE, m_split));
    EXPECT_FALSE(m_split.IsDragging());
    EXPECT_EQ(Bar().left, bar0.left);
    EXPECT_EQ(m_host.ItemRect(IDC_L_LEFT).right, left0.right);
    EXPECT_TRUE(m_host.CodesFrom(IDCANCEL).empty()) << "Escape ends the drag, not the dialog";
}

} // namespace
