#include "win/Clipboard.h"
#include "support/Win.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using win::CClipboard;

namespace {

// A clipboard owner that renders its current content only when the clipboard asks for it.
class CRenderingOwner : public win::CWnd {
public:
    std::string content;
    std::vector<UINT> renderedFormats;

protected:
    void OnRenderFormat(UINT format) override {
        renderedFormats.push_back(format);
        win::RenderClipboardText(content);
    }
};

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(testsupport::CreateTopWindow(m_owner, RECT{0, 0, 100, 100})); }
    // Empties the clipboard and puts text, or announces text to render when it is read.
    void Put(const char* text) {
        CClipboard clip(m_owner);
        ASSERT_TRUE(clip.IsOpen() && clip.Empty());
        ASSERT_TRUE(text ? clip.SetText(text) : clip.Announce(CF_TEXT));
    }
    std::optional<std::string> Read() {
        CClipboard clip(m_owner);
        EXPECT_TRUE(clip.IsOpen());
        return clip.GetText();
    }
    CRenderingOwner m_owner;
};

TEST_F(ClipboardTest, TextIsPutAndReadBack) {
    for (const char* text : {"", "a\tb\t\r\n1\t2\t\r\n", "Umlaut \xE4\xF6\xFC"}) {
        Put(text);
        EXPECT_EQ(Read(), std::optional<std::string>(text));
    }
    EXPECT_TRUE(m_owner.renderedFormats.empty()) << "data given at once needs no rendering";
}

TEST_F(ClipboardTest, DelayedTextIsRenderedOnceWithTheContentOfThatMoment) {
    m_owner.content = "first\t\r\n";
    Put(nullptr);
    EXPECT_TRUE(m_owner.renderedFormats.empty()) << "nothing is rendered before a reader asks";
    m_owner.content = "changed\t\r\n";
    EXPECT_EQ(Read(), std::optional<std::string>("changed\t\r\n"));
    m_owner.content = "not again";
    EXPECT_EQ(Read(), std::optional<std::string>("changed\t\r\n"));
    EXPECT_EQ(m_owner.renderedFormats, std::vector<UINT>{CF_TEXT});
    // An empty table renders an empty text, not a missing one.
    m_owner.content.clear();
    Put(nullptr);
    EXPECT_EQ(Read(), std::optional<std::string>(""));
}

} // namespace
