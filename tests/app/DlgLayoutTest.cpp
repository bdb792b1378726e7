#include "app/dialogs/DlgLayout.h"

#include "AppTestResources.h"
#include "DialogHost.h"
#include "support/Win.h"

#include <array>

namespace {

using Dialux::CDlgLayout;
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
    bool Move(HWND window, RECT to, const CDlgLayout::Veto& veto = {}) {
        const Dialux::SMovedWindow move[] = {{window, to}};
        return m_layout.Layout(veto, move);
    }

    testsupport::CDialogHost m_host;
    CDlgLayout m_layout;
};

TEST_F(DlgLayoutTest, ResizingKeepsEveryControlAnchoredAsRegistered) {
    // Per edge (left, top, right, bottom): '=' stays, '+' follows the size change, '*' scales with the
    // client size; 'c' keeps the width around a centre that scales, 'w' keeps the width.
    const std::pair<int, const char*> cases[] = {
        {IDC_L_BTN1, "++++"},  {IDC_L_LEFT, "==++"},    {IDC_L_STATUS, "=+=+"}, {IDC_L_BTN2, "+=+="},
        {IDC_L_RIGHT, "=+++"}, {IDC_L_OUTSIDE, "****"}, {IDC_L_SPLIT, "c=w+"}};
    const uint32_t flags[] = {0x1111, 0x1010, 0x1100, 0x0011, 0x1110, 0x2222, 0x1033};
    std::vector<Edges> before;
    for (size_t i = 0; i < std::size(cases); ++i) {
        ASSERT_GE(m_layout.AddControl(cases[i].first, flags[i]), 0);
        before.push_back(Item(cases[i].first));
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
            char mode = cases[i].second[e];
            want[e] = mode == '+'   ? was[e] + delta[axis]
                      : mode == '*' ? static_cast<LONG>(was[e] * scale[axis])
                      : mode == 'c' ? static_cast<LONG>((was[e] + size / 2) * scale[axis]) - size / 2
                      : mode == 'w' ? want[e - 2] + size
                                    : was[e];
        }
        EXPECT_EQ(Item(cases[i].first), want) << cases[i].first;
    }
    m_host.Grow(-200, -120); // shrinking back restores the registered rectangles exactly
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Item(cases[i].first), before[i]) << cases[i].first;
}

TEST_F(DlgLayoutTest, AMovedBarCarriesItsNeighboursOnlyToPlacesInsideTheClientArea) {
    int bar = m_layout.AddControl(IDC_L_SPLIT, 0x1033);
    m_layout.AddControl(IDC_L_LEFT, 0x1010, -1, bar);
    m_layout.AddControl(IDC_L_RIGHT, 0x1011, bar);
    HWND barWnd = m_host.GetDlgItem(IDC_L_SPLIT);
    const RECT b = m_host.ItemRect(IDC_L_SPLIT);
    const Edges bar0 = Item(IDC_L_SPLIT), left = Item(IDC_L_LEFT), right = Item(IDC_L_RIGHT);
    const LONG w = ClientWidth(), h = m_host.GetClientRect().bottom;
    const RECT refused[] = {{-3, b.top, b.right - b.left - 3, b.bottom},
                            {w - 2, b.top, w + 4, b.bottom},
                            {b.left, b.top, b.right, h + 1},
                            {b.left, b.top, b.left, b.bottom},
                            {w - 8, b.top, w - 2, b.bottom}}; // the last leaves the right frame no width
    for (const RECT& to : refused)
        EXPECT_FALSE(Move(barWnd, to)) << to.left << "," << to.right << "," << to.bottom;
    std::vector<RECT> proposed;
    const RECT moved{b.left + 40, b.top, b.right + 40, b.bottom};
    EXPECT_FALSE(
        Move(barWnd, moved, [&proposed](const std::vector<RECT>& r) { return proposed = r, false; }));
    ASSERT_EQ(proposed.size(), 3u) << "one proposed rectangle per entry";
    EXPECT_EQ(proposed[1].right, left[2] + 40);
    EXPECT_EQ(Item(IDC_L_SPLIT), bar0) << "nothing moved";
    EXPECT_EQ(Item(IDC_L_LEFT), left);

    ASSERT_TRUE(Move(barWnd, moved, [](const std::vector<RECT>&) { return true; }));
    EXPECT_EQ(Item(IDC_L_LEFT), (Edges{left[0], left[1], left[2] + 40, left[3]}));
    EXPECT_EQ(Item(IDC_L_RIGHT), (Edges{right[0] + 40, right[1], right[2], right[3]}));
    m_host.Grow(100, 0); // the moved place is the new reference: a resize keeps the gaps to the bar
    EXPECT_EQ(Item(IDC_L_LEFT)[2] - Item(IDC_L_SPLIT)[2], left[2] - b.right);
    EXPECT_EQ(Item(IDC_L_RIGHT)[0] - Item(IDC_L_SPLIT)[2], right[0] - b.right);
}

TEST_F(DlgLayoutTest, RebaseTakesTheCurrentPlacesAsReference) {
    m_layout.AddControl(IDC_L_BTN1, 0x1111);
    HWND button = m_host.GetDlgItem(IDC_L_BTN1);
    RECT b0 = m_host.RectOf(button);
    for (bool rebase : {false, true}) {
        ::SetWindowPos(button, nullptr, b0.left - 30, b0.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        if (rebase)
            m_layout.Rebase();
        m_host.Grow(50, 0); // without Rebase the registered place counts
        EXPECT_EQ(m_host.RectOf(button).left, rebase ? b0.left + 20 : b0.left + 50) << rebase;
    }
    EXPECT_EQ(m_layout.GetReferenceSize().cx, ClientWidth() - 50);
}

TEST_F(DlgLayoutTest, EntriesAreFoundAgainWithTheirFlagsMergedAndOnlyEarlierReferences) {
    EXPECT_EQ(m_layout.AddWindow(nullptr, 0x1111), -1);
    EXPECT_EQ(m_layout.AddControl(12345, 0x1111), -1);
    HWND a = m_host.GetDlgItem(IDC_L_LEFT), b = m_host.GetDlgItem(IDC_L_RIGHT);
    EXPECT_EQ(m_layout.AddWindow(a, 0x0001, 1), 0);
    EXPECT_EQ(m_layout.AddWindow(b, 0x0010, 0, 0, 0, 0), 1);
    EXPECT_EQ(m_layout.AddWindow(a, 0x0010), 0);
    EXPECT_EQ(m_layout.AddWindow(b, Dialux::RESET_LEFT | Dialux::RESET_BOTTOM | 0x2002), 1);
    const auto &e0 = m_layout.GetEntry(0), &e1 = m_layout.GetEntry(1);
    EXPECT_EQ(e0.flags, 0x0011u);
    EXPECT_EQ(e0.refs[0], -1) << "entry 1 does not exist before entry 0";
    EXPECT_EQ(e1.flags, 0x2012u);
    EXPECT_EQ(std::vector<int>(e1.refs, e1.refs + 4), (std::vector<int>{-1, 0, 0, -1}));

    CDlgLayout frame;
    frame.Init(m_host);
    EXPECT_EQ(frame.AddControlsInRect(IDC_L_FRAME, 0x0011), 3); // both buttons and the frame itself
    for (int id : {IDC_L_BTN1, IDC_L_BTN2, IDC_L_OUTSIDE, IDC_L_LEFT})
        EXPECT_EQ(frame.FindEntry(m_host.GetDlgItem(id)) >= 0, id == IDC_L_BTN1 || id == IDC_L_BTN2) << id;
    EXPECT_EQ(frame.AddControlsInRect(9999, 0x0011), 0) << "no such frame";
    int children = static_cast<int>(testsupport::ChildTexts(m_host).size());
    EXPECT_EQ(frame.AddControlsInRect(IDC_L_FRAME, 0, -1, -1, -1, -1, 5000), children) << "margin";
    EXPECT_EQ(frame.GetCount(), children) << "entries are found again, not duplicated";

    RECT size = m_host.ItemRect(IDC_L_SIZE); // Init with a size item takes its corner and destroys it
    frame.Init(m_host, 4, IDC_L_SIZE);
    EXPECT_EQ(frame.GetReferenceSize().cx, size.right);
    EXPECT_EQ(frame.GetReferenceSize().cy, size.bottom);
    EXPECT_EQ(m_host.GetDlgItem(IDC_L_SIZE), nullptr);
}

} // namespace
