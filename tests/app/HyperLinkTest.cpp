#include "app/dialogs/HyperLink.h"

#include "AppTestResources.h"
#include "DialogHost.h"
#include "win/TestUtil.h"

namespace {

using Ovix::CHyperLink;

class HyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_host.Open(IDD_APP_CONTROLS, true);
        m_link.SetOpener([this](const std::string& target) {
            m_opened.push_back(target);
            return m_result;
        });
    }
    // The text colour the parent's WM_CTLCOLORSTATIC gives the link.
    COLORREF ShownColour() {
        HDC dc = ::CreateCompatibleDC(nullptr);
        ::SetTextColor(dc, RGB(1, 2, 3));
        LRESULT brush = ::SendMessageA(m_host, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(m_link.GetHwnd()));
        EXPECT_EQ(brush, reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));
        EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
        COLORREF colour = ::GetTextColor(dc);
        ::DeleteDC(dc);
        return colour;
    }
    void Click() {
        ::SendMessageA(m_link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::SendMessageA(m_link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }

    apptest::CDialogHost m_host;
    CHyperLink m_link;
    std::vector<std::string> m_opened;
    INT_PTR m_result = 42;
};

TEST_F(HyperLinkTest, EmptyStaticShowsItsTargetAndShrinksToTheText) {
    RECT before = m_host.ItemRect(IDC_C_LINK_EMPTY);
    m_link.SetTarget("home");
    ASSERT_TRUE(m_link.SubclassDlgItem(IDC_C_LINK_EMPTY, m_host));
    EXPECT_EQ(m_link.GetWindowText(), "home");
    HFONT font = reinterpret_cast<HFONT>(m_link.SendMessage(WM_GETFONT));
    LOGFONTA lf = {};
    ASSERT_NE(::GetObjectA(font, sizeof lf, &lf), 0);
    EXPECT_TRUE(lf.lfUnderline);
    HDC dc = ::GetDC(m_link);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE extent = {};
    ::GetTextExtentPoint32A(dc, "home", 4, &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_link, dc);
    RECT rc = m_host.ItemRect(IDC_C_LINK_EMPTY);
    EXPECT_EQ(rc.right - rc.left, extent.cx);
    EXPECT_EQ(rc.bottom - rc.top, extent.cy);
    EXPECT_EQ(rc.left, before.left);
    EXPECT_EQ(rc.top, before.top);
    EXPECT_LT(rc.right - rc.left, before.right - before.left);
    EXPECT_NE(m_link.GetToolTip(), nullptr);
    EXPECT_EQ(::SendMessageA(m_link, WM_NCHITTEST, 0, 0), HTCLIENT);
}

TEST_F(HyperLinkTest, TabReachesTheLinkAndEnterSpaceOrItsMnemonicOpenIt) {
    m_link.SetTarget("home");
    ASSERT_TRUE(m_link.SubclassDlgItem(IDC_C_LINK_EMPTY, m_host));
    m_link.SetWindowText("&home");
    HWND before = m_host.GetDlgItem(IDC_C_OTHER);
    ::SetFocus(before);
    EXPECT_TRUE(apptest::DialogKey(m_host, WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(::GetFocus(), m_link.GetHwnd());
    apptest::DialogKey(m_host, WM_KEYDOWN, VK_RETURN);
    apptest::DialogKey(m_host, WM_CHAR, ' ');
    ::SetFocus(before);
    apptest::DialogKey(m_host, WM_SYSCHAR, 'h');
    EXPECT_EQ(m_opened, (std::vector<std::string>{"home", "home", "home"}));
    EXPECT_EQ(::GetFocus(), before) << "the mnemonic opens the link without moving the focus";
}

TEST_F(HyperLinkTest, CentredTextKeepsItsCentreAndGivesTheTarget) {
    RECT before = m_host.ItemRect(IDC_C_LINK);
    ASSERT_TRUE(m_link.SubclassDlgItem(IDC_C_LINK, m_host));
    EXPECT_EQ(m_link.GetTarget(), "Velloran");
    RECT rc = m_host.ItemRect(IDC_C_LINK);
    EXPECT_NEAR((rc.left + rc.right) / 2.0, (before.left + before.right) / 2.0, 1.0);
    EXPECT_LT(rc.right - rc.left, before.right - before.left);

    CHyperLink plain;
    plain.SetOptions(0);
    plain.SetTarget("mailto:someone@example.org");
    RECT emptyBefore = m_host.ItemRect(IDC_C_LINK_EMPTY);
    ASSERT_TRUE(plain.SubclassDlgItem(IDC_C_LINK_EMPTY, m_host));
    RECT same = m_host.ItemRect(IDC_C_LINK_EMPTY);
    EXPECT_EQ(same.right - same.left, emptyBefore.right - emptyBefore.left) << "no SIZE_TO_TEXT";
    LOGFONTA lf = {};
    ::GetObjectA(reinterpret_cast<HFONT>(plain.SendMessage(WM_GETFONT)), sizeof lf, &lf);
    EXPECT_FALSE(lf.lfUnderline);
}

TEST_F(HyperLinkTest, ClickOpensTheTargetOnceAndMarksItVisited) {
    m_link.SetTarget("https://velloran.example/");
    ASSERT_TRUE(m_link.SubclassDlgItem(IDC_C_LINK, m_host));
    EXPECT_EQ(ShownColour(), CHyperLink::kLinkColour);
    ::SendMessageA(m_link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_TRUE(m_opened.empty()) << "opens on button up";
    EXPECT_EQ(::GetFocus(), m_link.GetHwnd());
    ::SendMessageA(m_link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(m_opened, std::vector<std::string>{"https://velloran.example/"});
    EXPECT_TRUE(m_link.IsVisited());
    EXPECT_EQ(ShownColour(), CHyperLink::kFocusColour);
    ::SetFocus(m_host.GetDlgItem(IDC_C_OTHER));
    EXPECT_FALSE(m_link.HasFocusFlag());
    EXPECT_EQ(ShownColour(), CHyperLink::kVisitedColour);

    ::SendMessageA(m_link, WM_CHAR, ' ', 0);
    EXPECT_EQ(m_opened.size(), 2u) << "the space key opens too";
    ::SendMessageA(m_link, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(m_opened.size(), 2u) << "button up without a press before it after focus loss";
}

TEST_F(HyperLinkTest, HoverCapturesTheMouseUntilItLeaves) {
    m_link.SetOptions(CHyperLink::DEFAULT_OPTIONS | CHyperLink::HOVER_COLOUR);
    m_link.SetTarget("home");
    ASSERT_TRUE(m_link.SubclassDlgItem(IDC_C_LINK_EMPTY, m_host));
    ::SendMessageA(m_link, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(m_link.IsHovering());
    EXPECT_EQ(::GetCapture(), m_link.GetHwnd());
    EXPECT_EQ(ShownColour(), CHyperLink::kHoverColour);
    ::SendMessageA(m_link, WM_MOUSEMOVE, 0, MAKELPARAM(-4, 3));
    EXPECT_FALSE(m_link.IsHovering());
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(ShownColour(), CHyperLink::kLinkColour);
}

TEST_F(HyperLinkTest, OpenOnButtonDownOpensOnlyOnce) {
    m_link.SetOptions(CHyperLink::OPEN_ON_DOWN);
    m_link.SetTarget("home");
    ASSERT_TRUE(m_link.SubclassDlgItem(IDC_C_LINK, m_host));
    ::SendMessageA(m_link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(m_opened.size(), 1u);
    ::SendMessageA(m_link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(m_opened.size(), 1u);
    EXPECT_NE(::GetFocus(), m_link.GetHwnd()) << "no FOCUS_ON_CLICK";
}

TEST_F(HyperLinkTest, FailedOpenShowsTheReasonAndStaysUnvisited) {
    m_result = 2; // file not found
    m_link.SetTarget("home");
    ASSERT_TRUE(m_link.SubclassDlgItem(IDC_C_LINK, m_host));
    std::vector<std::string> texts;
    wintest::CDialogCloser closer([&](HWND box) {
        texts = wintest::ChildTexts(box);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    Click();
    ASSERT_TRUE(wintest::PumpUntil([&] { return closer.Done(); }, 10000));
    EXPECT_EQ(m_opened.size(), 1u);
    EXPECT_FALSE(m_link.IsVisited());
    bool found = false;
    for (const std::string& t : texts)
        found = found || t == "Can't open link:\n\nThe specified file was not found.";
    EXPECT_TRUE(found);
}

TEST(HyperLinkText, OpenErrorsNameTheirReason) {
    const struct {
        INT_PTR code;
        const char* reason;
    } cases[] = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30,
         "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
        {1, "Unknown Error (1) occurred."},
        {-5, "Unknown Error (-5) occurred."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CHyperLink::DescribeOpenError(c.code), std::string("Can't open link:\n\n") + c.reason)
            << c.code;
}

TEST(HyperLinkText, OpenCommandIsCutAtThePlaceholder) {
    const struct {
        const char* command;
        const char* expected;
    } cases[] = {
        {"\"C:\\b\\browser.exe\" -osint -url \"%1\"", "\"C:\\b\\browser.exe\" -osint -url  http://x/"},
        {"C:\\b\\browser.exe %1 -new", "C:\\b\\browser.exe  http://x/"},
        {"C:\\b\\browser.exe %1 \"%1\"", "C:\\b\\browser.exe %1  http://x/"},
        {"C:\\b\\browser.exe", "C:\\b\\browser.exe http://x/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CHyperLink::BuildOpenCommand(c.command, "http://x/"), c.expected) << c.command;
}

} // namespace
