// The dialog layout manager and the split bar on a test dialog: controls anchored to edges or scaled,
// and a bar that carries its neighbours, dragged by mouse or moved by keys.
#include "app/dialogs/DlgLayout.h"
#include "app/dialogs/SplitCtrl.h"

#include "AppTestResources.h"
#include "DialogHost.h"

#include <array>

namespace {

using Dialux::CDlgLayout;
using Dialux::CSplitCtrl;
using Edges = std::array<LONG, 4>;

class DlgLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_host.Open(IDD_APP_LAYOUT);
        m_layout.Init(m_host, 8);
        m_host.layout = &m_layout;
    }
    LONG ClientWidth() const { return m_host.GetClientRect().right; }
    Edges Item(int id) const {
        RECT r = m_host.ItemRect(id);
        return {r.left, r.top, r.right, r.bottom};
    }

    testsupport::CDialogHost m_host;
    CDlgLayout m_layout;
};

TEST_F(DlgLayoutTest, ResizingKeepsEveryControlAnchoredAsRegistered) {
    // Per edge (left, top, right, bottom): '=' stays, '+' follows the size change, 'c' keeps the width
    // around a centre that scales with the client size, 'w' (right or bottom only) keeps the width.
    struct Case {
        int id;
        uint32_t flags;
        const char* modes;
    } cases[] = {{IDC_L_BTN1, 0x1111, "++++"}, {IDC_L_LEFT, 0x1010, "==++"},  {IDC_L_STATUS, 0x1100, "=+=+"},
                 {IDC_L_BTN2, 0x0011, "+=+="}, {IDC_L_RIGHT, 0x1110, "=+++"}, {IDC_L_SPLIT, 0x1033, "c=w+"}};
    std::vector<Edges> before;
    for (const auto& c : cases) {
        ASSERT_GE(m_layout.AddControl(c.id, c.flags), 0);
        before.push_back(Item(c.id));
    }
    RECT old = m_host.GetClientRect();
    m_host.Grow(90, 20); // two steps: the result depends only on the final size
    m_host.Grow(110, 100);
    RECT now = m_host.GetClientRect();
    const LONG delta[2] = {now.right - old.right, now.bottom - old.bottom};
    const double scale[2] = {1.0 * now.right / old.right, 1.0 * now.bottom / old.bottom};
    for (size_t i = 0; i < std::size(cases); ++i) {
        Edges was = before[i], want = was;
        for (size_t e = 0; e < 4; ++e) {
            size_t axis = e % 2;
            LONG size = was[axis + 2] - was[axis];
            char mode = cases[i].modes[e];
            want[e] = mode == '+'   ? was[e] + delta[axis]
                      : mode == 'c' ? static_cast<LONG>((was[e] + size / 2) * scale[axis]) - size / 2
                      : mode == 'w' ? want[axis] + size
                                    : was[e];
        }
        EXPECT_EQ(Item(cases[i].id), want) << cases[i].id;
    }
    m_host.Grow(-200, -120); // shrinking back restores the registered rectangles exactly
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Item(cases[i].id), before[i]) << cases[i].id;
}

TEST_F(DlgLayoutTest, EntriesAreFoundAgainWithTheirFlagsMergedOnlyEarlierReferencesAndTheControlsInAFrame) {
    EXPECT_EQ(m_layout.AddControl(12345, 0x1111), -1) << "no such control";
    HWND a = m_host.GetDlgItem(IDC_L_LEFT), b = m_host.GetDlgItem(IDC_L_RIGHT);
    EXPECT_EQ(m_layout.AddWindow(a, 0x0001, 1), 0);
    EXPECT_EQ(m_layout.AddWindow(b, 0x0010, 0, 0, 0, 0), 1);
    EXPECT_EQ(m_layout.AddWindow(a, 0x0010), 0) << "found again, not duplicated";
    const auto &e0 = m_layout.GetEntry(0), &e1 = m_layout.GetEntry(1);
    EXPECT_EQ(e0.flags, 0x0011u);
    EXPECT_EQ(e0.refs[0], -1) << "entry 1 does not exist before entry 0";
    EXPECT_EQ(std::vector<int>(e1.refs, e1.refs + 4), (std::vector<int>{0, 0, 0, 0}));

    CDlgLayout frame;
    frame.Init(m_host);
    EXPECT_EQ(frame.AddControlsInRect(IDC_L_FRAME, 0x0011), 3); // both buttons and the frame itself
    for (int id : {IDC_L_BTN1, IDC_L_BTN2, IDC_L_OUTSIDE, IDC_L_LEFT})
        EXPECT_EQ(frame.FindEntry(m_host.GetDlgItem(id)) >= 0, id == IDC_L_BTN1 || id == IDC_L_BTN2) << id;
    EXPECT_EQ(frame.AddControlsInRect(9999, 0x0011), 0) << "no such frame";
}

// The split bar replacing the placeholder IDC_L_SPLIT between its neighbours, moving between 15 and 65
// per cent of the width.
class SplitCtrlTest : public DlgLayoutTest {
protected:
    void SetUp() override {
        DlgLayoutTest::SetUp();
        m_before = ::GetWindow(m_host.GetDlgItem(IDC_L_SPLIT), GW_HWNDPREV);
        ASSERT_TRUE(m_split.Create(IDC_L_SPLIT, m_host));
        const int bar = m_layout.AddWindow(m_split, 0x1033);
        m_layout.AddControl(IDC_L_LEFT, 0x1010, -1, bar);
        m_layout.AddControl(IDC_L_RIGHT, 0x1011, bar);
    }
    RECT Bar() const { return m_host.ItemRect(IDC_L_SPLIT); } // the bar has the placeholder's id
    // A user's drag: press at x 3 inside the bar, move the pointer to parent x, release.
    void Drag(int parentX, bool release = true) {
        ::SendMessageA(m_split, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 20));
        POINT pt = {parentX + 3, Bar().top + 20};
        ::MapWindowPoints(m_host, m_split, &pt, 1);
        ::SendMessageA(m_split, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        if (release)
            ::SendMessageA(m_split, WM_LBUTTONUP, 0, MAKELPARAM(3, 20));
    }

    CSplitCtrl m_split;
    HWND m_before = nullptr;
};

// Escape cancels a drag and the arrow keys step the bar by one per cent.
TEST_F(SplitCtrlTest, TheBarTakesThePlaceholdersPlaceDragsItsNeighboursWithinItsLimitsAndKeepsItsProportion) {
    EXPECT_EQ(::GetWindow(m_split, GW_HWNDPREV), m_before) << "the placeholder's place in the tab order";
    m_split.AttachLayout(&m_layout, 15, 65);
    const RECT bar0 = Bar();
    const Edges left0 = Item(IDC_L_LEFT), right0 = Item(IDC_L_RIGHT);
    Drag(ClientWidth() * 55 / 100, false);
    ASSERT_NE(Bar().left, bar0.left);
    EXPECT_TRUE(testsupport::DialogKey(m_host, WM_KEYDOWN, VK_ESCAPE, m_split));
    EXPECT_FALSE(m_split.IsDragging());
    EXPECT_EQ(Bar().left, bar0.left);
    EXPECT_EQ(Item(IDC_L_LEFT), left0);
    EXPECT_TRUE(m_host.CodesFrom(IDCANCEL).empty()) << "Escape ends the drag, not the dialog";

    m_host.commands.clear();
    const int target = ClientWidth() * 45 / 100, moved = target - bar0.left;
    Drag(target, false);
    EXPECT_TRUE(m_split.IsDragging() && ::GetCapture() == m_split.GetHwnd());
    ::SendMessageA(m_split, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(Bar().left, target);
    EXPECT_EQ(Bar().right - Bar().left, CSplitCtrl::kThickness);
    EXPECT_EQ(Item(IDC_L_LEFT), (Edges{left0[0], left0[1], left0[2] + moved, left0[3]}));
    EXPECT_EQ(Item(IDC_L_RIGHT), (Edges{right0[0] + moved, right0[1], right0[2], right0[3]}));
    EXPECT_TRUE(!m_split.IsDragging() && !::GetCapture());
    EXPECT_EQ(m_host.CodesFrom(IDC_L_SPLIT),
              (std::vector<int>{Dialux::SPLIT_BEGIN, Dialux::SPLIT_MOVED, Dialux::SPLIT_END}));
    ::SendMessageA(m_split, WM_MOUSEMOVE, 0, MAKELPARAM(50, 10));
    EXPECT_EQ(Bar().left, target) << "moving without a pressed button changes nothing";

    const int pos0 = m_split.GetPos();
    const std::pair<UINT, int> steps[] = {{VK_RIGHT, 1}, {VK_RIGHT, 2}, {VK_LEFT, 1}, {VK_UP, 1}};
    for (const auto& [key, by] : steps) {
        EXPECT_TRUE(testsupport::DialogKey(m_host, WM_KEYDOWN, key, m_split));
        EXPECT_EQ(m_split.GetPos(), pos0 + by) << key;
    }

    // Drags and SetPos stop at the limits; the bar keeps its proportion when the dialog grows.
    const int width = ClientWidth(), leftGap = Bar().left - m_host.ItemRect(IDC_L_LEFT).right;
    const std::pair<int, int> drags[] = {{width * 90 / 100, width * 6500 / 10000},
                                         {width * 5 / 100, width * 1500 / 10000},
                                         {-1, width * 1500 / 10000},
                                         {width * 30 / 100, width * 30 / 100}};
    for (const auto& [pointerX, left] : drags) {
        Drag(pointerX);
        EXPECT_EQ(Bar().left, left) << pointerX;
    }
    const std::pair<int, int> positions[] = {{80, 65}, {65, 65}, {15, 15}, {5, 15}, {50, 50}};
    for (const auto& [percent, expected] : positions) {
        EXPECT_EQ(m_split.SetPos(percent), expected) << percent;
        EXPECT_EQ(Bar().left, expected * width / 100 + 1) << percent;
        EXPECT_EQ(m_split.GetPos(), expected) << percent;
        EXPECT_EQ(Bar().left - m_host.ItemRect(IDC_L_LEFT).right, leftGap) << percent;
    }
    m_split.SetPos(40);
    m_host.Grow(300, 0); // the place moved to is the new reference
    EXPECT_NEAR(m_split.GetPos(), 40, 1);
    EXPECT_EQ(Bar().left - m_host.ItemRect(IDC_L_LEFT).right, leftGap);
}

} // namespace
