#include "app/dialogs/SplitCtrl.h"

#include "AppTestResources.h"
#include "DialogHost.h"

#include <algorithm>

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
        const int bar = m_layout.AddWindow(m_split, 0x1033);
        m_layout.AddControl(IDC_L_LEFT, 0x1010, -1, bar);
        m_layout.AddControl(IDC_L_RIGHT, 0x1011, bar);
        m_host.layout = &m_layout;
    }
    void Attach() { m_split.AttachLayout(&m_layout, 15, 65); }
    int Width() const { return m_host.GetClientRect().right; }
    RECT Bar() const { return m_host.RectOf(m_split); }
    int Count(int code) const {
        const std::vector<int> codes = m_host.CodesFrom(IDC_L_SPLIT);
        return static_cast<int>(std::count(codes.begin(), codes.end(), code));
    }
    // A user's drag: press at x 3 inside the bar, move the pointer to parent x, release.
    void Drag(int parentX, bool release = true) {
        ::SendMessageA(m_split, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 20));
        POINT pt = {parentX + 3, Bar().top + 20};
        ::MapWindowPoints(m_host, m_split, &pt, 1);
        ::SendMessageA(m_split, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        if (release)
            ::SendMessageA(m_split, WM_LBUTTONUP, 0, MAKELPARAM(3, 20));
    }

    testsupport::CDialogHost m_host;
    Dialux::CDlgLayout m_layout;
    CSplitCtrl m_split;
    RECT m_placeholder = {};
    HWND m_before = nullptr;
};

TEST_F(SplitCtrlTest, CreateReplacesThePlaceholderAndAttachMakesAVerticalBarSixPixelsWide) {
    EXPECT_EQ(m_host.GetDlgItem(IDC_L_SPLIT), m_split.GetHwnd());
    const RECT inside{m_placeholder.left + 1, m_placeholder.top + 1, m_placeholder.right - 1,
                      m_placeholder.bottom - 1};
    const RECT bar0 = Bar();
    EXPECT_TRUE(::EqualRect(&bar0, &inside));
    const LONG style = ::GetWindowLongA(m_split, GWL_STYLE);
    EXPECT_FALSE(style & WS_BORDER);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_EQ(::GetWindow(m_split, GW_HWNDPREV), m_before) << "the placeholder's place in the tab order";
    EXPECT_FALSE(m_split.Create(IDC_L_SPLIT, m_host)) << "already created";

    Attach();
    const RECT rc = Bar();
    EXPECT_TRUE(m_split.IsVertical());
    EXPECT_EQ(rc.left, bar0.left);
    EXPECT_EQ(rc.right - rc.left, CSplitCtrl::kThickness);
    EXPECT_EQ(rc.bottom - rc.top, bar0.bottom - bar0.top);
    const int entry = m_layout.FindEntry(m_split);
    ASSERT_GE(entry, 0);
    EXPECT_EQ(m_layout.GetEntry(entry).rect.right, rc.right) << "the layout entry is measured again";
}

TEST_F(SplitCtrlTest, DraggingMovesTheBarAndItsNeighbours) {
    Attach();
    const RECT bar0 = Bar(), left0 = m_host.ItemRect(IDC_L_LEFT), right0 = m_host.ItemRect(IDC_L_RIGHT);
    const int target = Width() * 45 / 100;
    Drag(target, false);
    EXPECT_TRUE(m_split.IsDragging());
    EXPECT_EQ(::GetCapture(), m_split.GetHwnd());
    ::SendMessageA(m_split, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(Bar().left, target);
    EXPECT_EQ(Bar().right - Bar().left, CSplitCtrl::kThickness);
    EXPECT_EQ(m_host.ItemRect(IDC_L_LEFT).right, left0.right + (target - bar0.left));
    EXPECT_EQ(m_host.ItemRect(IDC_L_RIGHT).left, right0.left + (target - bar0.left));
    EXPECT_EQ(m_host.ItemRect(IDC_L_RIGHT).right, right0.right);
    EXPECT_FALSE(m_split.IsDragging());
    EXPECT_EQ(::GetCapture(), nullptr);
    const std::vector<int> codes = m_host.CodesFrom(IDC_L_SPLIT);
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes.front(), Dialux::SPLIT_BEGIN);
    EXPECT_EQ(codes.back(), Dialux::SPLIT_END);
    EXPECT_EQ(Count(Dialux::SPLIT_MOVED), 1);
    ::SendMessageA(m_split, WM_MOUSEMOVE, 0, MAKELPARAM(50, 10));
    EXPECT_EQ(Bar().left, target) << "moving without a pressed button changes nothing";
}

TEST_F(SplitCtrlTest, DragAndSetPosStopAtTheLimitsAndTheBarKeepsItsProportionOnResize) {
    Attach();
    const int width = Width(), leftGap = Bar().left - m_host.ItemRect(IDC_L_LEFT).right;
    const std::pair<int, int> drags[] = {{width * 90 / 100, width * 6500 / 10000},
                                         {width - 4, width * 6500 / 10000},
                                         {width * 5 / 100, width * 1500 / 10000},
                                         {-1, width * 1500 / 10000},
                                         {width * 30 / 100, width * 30 / 100}};
    for (const auto& [pointerX, left] : drags) {
        Drag(pointerX);
        EXPECT_EQ(Bar().left, left) << pointerX;
    }
    const std::pair<int, int> positions[] = {{80, 65}, {40, 40},  {65, 65}, {15, 15},
                                             {5, 15},  {-20, 15}, {50, 50}};
    for (const auto& [percent, expected] : positions) {
        EXPECT_EQ(m_split.SetPos(percent), expected) << percent;
        EXPECT_EQ(Bar().left, expected * width / 100 + 1) << percent;
        EXPECT_EQ(m_split.GetPos(), expected) << percent;
        EXPECT_EQ(Bar().left - m_host.ItemRect(IDC_L_LEFT).right, leftGap) << percent;
    }
    m_split.SetPos(40);
    m_host.Grow(300, 0);
    EXPECT_NEAR(m_split.GetPos(), 40, 1);
}

TEST_F(SplitCtrlTest, ArrowKeysMoveTheFocusedBarAndEscapeCancelsADrag) {
    Attach();
    const int pos0 = m_split.GetPos();
    const std::pair<UINT, int> steps[] = {{VK_RIGHT, 1}, {VK_RIGHT, 2}, {VK_LEFT, 1}, {VK_UP, 1}};
    for (const auto& [key, moved] : steps) {
        EXPECT_TRUE(testsupport::DialogKey(m_host, WM_KEYDOWN, key, m_split));
        EXPECT_EQ(m_split.GetPos(), pos0 + moved) << key;
    }
    const RECT bar0 = Bar(), left0 = m_host.ItemRect(IDC_L_LEFT);
    Drag(Width() * 55 / 100, false);
    ASSERT_NE(Bar().left, bar0.left);
    EXPECT_TRUE(testsupport::DialogKey(m_host, WM_KEYDOWN, VK_ESCAPE, m_split));
    EXPECT_FALSE(m_split.IsDragging());
    EXPECT_EQ(Bar().left, bar0.left);
    EXPECT_EQ(m_host.ItemRect(IDC_L_LEFT).right, left0.right);
    EXPECT_TRUE(m_host.CodesFrom(IDCANCEL).empty()) << "Escape ends the drag, not the dialog";
}

} // namespace
