// The link control on a test dialog, opening through an opener that records what it opens.
#include "app/dialogs/HyperLink.h"

#include "AppTestResources.h"
#include "DialogHost.h"

#include <set>
#include <shellapi.h>

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
    void Attach(int id, const std::string& target) {
        m_link.SetTarget(target);
        ASSERT_TRUE(m_link.SubclassDlgItem(id, m_host));
    }
    // The text colour the parent's WM_CTLCOLORSTATIC gives the link, drawn without a background.
    COLORREF ShownColour() {
        HDC dc = ::CreateCompatibleDC(nullptr);
        LRESULT brush = ::SendMessageA(m_host, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)m_link.GetHwnd());
        EXPECT_EQ(brush, reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));
        EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
        const COLORREF colour = ::GetTextColor(dc);
        ::DeleteDC(dc);
        return colour;
    }
    void Mouse(UINT msg, short x = 2) {
        ::SendMessageA(m_link, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, 2));
    }

    testsupport::CDialogHost m_host;
    CHyperLink m_link;
    std::vector<std::string> m_opened;
    INT_PTR m_result = 42;
};

// A failed open shows the reason and leaves the link unvisited; a click opens on button up, as do Enter
// or Space after a Tab, and the mnemonic.
TEST_F(HyperLinkTest, AClickOnButtonUpTabThenEnterOrSpaceAndTheMnemonicOpenItAndMarkItVisitedUnlessItFails) {
    Attach(IDC_C_LINK_EMPTY, "home");
    EXPECT_EQ(m_link.GetWindowText(), "home") << "an empty link takes its target as its text";
    EXPECT_LT(m_host.ItemRect(IDC_C_LINK_EMPTY).right, 100) << "sized to its text";
    m_link.SetWindowText("&home");
    HWND other = m_host.GetDlgItem(IDC_C_OTHER);
    EXPECT_EQ(ShownColour(), CHyperLink::kLinkColour);
    // Over the link: the hand cursor, and the mouse captured (in the hover colour, with that option) until it
    // leaves.
    ::SendMessageA(m_link, WM_SETCURSOR, (WPARAM)m_link.GetHwnd(), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_HAND));
    m_link.SetOptions(CHyperLink::DEFAULT_OPTIONS | CHyperLink::HOVER_COLOUR);
    for (short x : {2, -5}) {
        Mouse(WM_MOUSEMOVE, x);
        EXPECT_EQ(std::pair(ShownColour(), ::GetCapture() == m_link.GetHwnd()),
                  std::pair(x > 0 ? CHyperLink::kHoverColour : CHyperLink::kLinkColour, x > 0));
    }
    m_result = 2; // file not found
    {
        testsupport::CBoxAnswers boxes;
        Mouse(WM_LBUTTONDOWN);
        EXPECT_TRUE(m_opened.empty()) << "opens on button up";
        Mouse(WM_LBUTTONUP); // returns when the box is answered
        EXPECT_TRUE(boxes.Showed("Can't open link:\n\nThe specified file was not found."));
        EXPECT_FALSE(m_link.IsVisited());
    }
    m_result = 42;
    Mouse(WM_LBUTTONDOWN);
    EXPECT_EQ(::GetFocus(), m_link.GetHwnd());
    Mouse(WM_LBUTTONUP);
    EXPECT_TRUE(m_link.IsVisited());
    EXPECT_EQ(ShownColour(), CHyperLink::kFocusColour);
    ::SetFocus(other);
    EXPECT_EQ(ShownColour(), CHyperLink::kVisitedColour);
    Mouse(WM_LBUTTONUP);
    EXPECT_EQ(m_opened.size(), 2u) << "button up without a press before it after focus loss";
    EXPECT_TRUE(testsupport::DialogKey(m_host, WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(::GetFocus(), m_link.GetHwnd());
    testsupport::DialogKey(m_host, WM_KEYDOWN, VK_RETURN);
    testsupport::DialogKey(m_host, WM_CHAR, ' ');
    ::SetFocus(other);
    testsupport::DialogKey(m_host, WM_SYSCHAR, 'h');
    EXPECT_EQ(m_opened, std::vector<std::string>(5, "home"));
    EXPECT_EQ(::GetFocus(), other) << "the mnemonic opens the link without moving the focus";
}

// The options: underlined and sized to the text (centred ones stay centred), or neither; a tooltip and
// the hit test either way.
TEST_F(HyperLinkTest, TheOptionsUnderlineAndSizeTheLinkAroundItsText) {
    const struct {
        int id;
        const char* target; // "": the static's own text
        unsigned options;
        const char* text;
        bool centred, styled;
    } cases[] = {{IDC_C_LINK, "", CHyperLink::DEFAULT_OPTIONS, "Velloran", true, true},
                 {IDC_C_LINK_EMPTY, "mailto:a@example.org", 0, "mailto:a@example.org", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const RECT before = m_host.ItemRect(c.id);
        CHyperLink link;
        link.SetOptions(c.options);
        if (*c.target)
            link.SetTarget(c.target);
        ASSERT_TRUE(link.SubclassDlgItem(c.id, m_host));
        EXPECT_EQ(link.GetWindowText() + " " + link.GetTarget(), std::string(c.text) + " " + c.text);
        LOGFONTA lf = {};
        ASSERT_NE(::GetObjectA(reinterpret_cast<HFONT>(link.SendMessage(WM_GETFONT)), sizeof lf, &lf), 0);
        EXPECT_EQ(lf.lfUnderline != 0, c.styled);
        const RECT rc = m_host.ItemRect(c.id);
        EXPECT_EQ(rc.right - rc.left < before.right - before.left, c.styled);
        EXPECT_NEAR(c.centred ? (rc.left + rc.right) / 2.0 : rc.left,
                    c.centred ? (before.left + before.right) / 2.0 : before.left, 1.0);
        EXPECT_NE(link.GetToolTip(), nullptr);
        EXPECT_EQ(::SendMessageA(link, WM_NCHITTEST, 0, 0), HTCLIENT);
    }
}

TEST(HyperLinkText, AnUnknownOpenErrorShowsItsCodeAndTheCommandIsCutAtThePlaceholder) {
    EXPECT_EQ(CHyperLink::DescribeOpenError(-5), "Can't open link:\n\nUnknown Error (-5) occurred.");
    // The thirteen error codes ShellExecute documents (0 to 32) each have a reason of their own.
    std::set<std::string> reasons;
    for (INT_PTR code = 0; code <= SE_ERR_DLLNOTFOUND; ++code)
        if (const std::string text = CHyperLink::DescribeOpenError(code); text.find("Unknown") == text.npos)
            reasons.insert(text);
    EXPECT_EQ(reasons.size(), 13u);
    const std::pair<const char*, const char*> commands[] = {
        {"\"C:\\b\\browser.exe\" -osint -url \"%1\"", "\"C:\\b\\browser.exe\" -osint -url  http://x/"},
        {"C:\\b\\browser.exe %1 -new", "C:\\b\\browser.exe  http://x/"},
        {"C:\\b\\browser.exe %1 \"%1\"", "C:\\b\\browser.exe %1  http://x/"},
        {"C:\\b\\browser.exe", "C:\\b\\browser.exe http://x/"}};
    for (const auto& [command, expected] : commands)
        EXPECT_EQ(CHyperLink::BuildOpenCommand(command, "http://x/"), expected) << command;
}

} // namespace
