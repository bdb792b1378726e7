#include "win/Clipboard.h"
#include "support/Win.h"
#include "win/Window.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using win::CClipboard;
using win::CWnd;

namespace {

constexpr char kOwnerClass[] = "VelloranWinTestClipboard";

// A clipboard owner that renders its current content only when the clipboard asks for it.
class CRenderingOwner : public CWnd {
public:
    std::string content;
    std::vector<UINT> renderedFormats;
    int passedOn = 0;

protected:
    void OnRenderFormat(UINT format) override {
        renderedFormats.push_back(format);
        if (format == CF_TEXT) {
            win::RenderClipboardText(content);
            return;
        }
        ++passedOn;
        CWnd::OnRenderFormat(format);
    }
};

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CWnd::RegisterClass(kOwnerClass));
        ASSERT_TRUE(
            m_owner.Create(kOwnerClass, "Tabra", WS_OVERLAPPEDWINDOW, 0, RECT{0, 0, 100, 100}, nullptr));
    }

    void Announce(UINT format = CF_TEXT) {
        CClipboard clip(m_owner.GetHwnd());
        ASSERT_TRUE(clip.IsOpen());
        ASSERT_TRUE(clip.Empty());
        ASSERT_TRUE(clip.Announce(format));
    }

    std::optional<std::string> Read() {
        CClipboard clip(m_owner.GetHwnd());
        EXPECT_TRUE(clip.IsOpen());
        return clip.GetText();
    }

    CRenderingOwner m_owner;
};

TEST_F(ClipboardTest, TextIsPutAndReadBack) {
    const char* texts[] = {"", "Ping", "a\tb\t\r\n1\t2\t\r\n", "Umlaut \xE4\xF6\xFC"};
    for (const char* text : texts) {
        {
            CClipboard clip(m_owner.GetHwnd());
            ASSERT_TRUE(clip.IsOpen());
            ASSERT_TRUE(clip.Empty());
            ASSERT_TRUE(clip.SetText(text));
        }
        auto read = Read();
        ASSERT_TRUE(read.has_value()) << text;
        EXPECT_EQ(*read, text);
    }
    EXPECT_TRUE(m_owner.renderedFormats.empty()) << "data given at once needs no rendering";
}

TEST_F(ClipboardTest, DelayedFormatIsRenderedWhenReadWithTheContentOfThatMoment) {
    m_owner.content = "first\t\r\n";
    Announce();
    EXPECT_TRUE(m_owner.renderedFormats.empty()) << "nothing is rendered before a reader asks";
    EXPECT_EQ(::GetClipboardOwner(), m_owner.GetHwnd());

    m_owner.content = "changed\tafter copy\t\r\n";
    auto read = Read();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, "changed\tafter copy\t\r\n");
    ASSERT_EQ(m_owner.renderedFormats.size(), 1u);
    EXPECT_EQ(m_owner.renderedFormats[0], static_cast<UINT>(CF_TEXT));

    // Once rendered, the data stays on the clipboard.
    m_owner.content = "not again";
    read = Read();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, "changed\tafter copy\t\r\n");
    EXPECT_EQ(m_owner.renderedFormats.size(), 1u);

    // An empty table renders an empty text, not a missing one.
    m_owner.content.clear();
    Announce();
    read = Read();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, "");
}

TEST_F(ClipboardTest, OtherFormatsArePassedOnUnrendered) {
    UINT custom = ::RegisterClipboardFormatA("Velloran Test Format");
    ASSERT_NE(custom, 0u);
    Announce(custom);
    {
        CClipboard clip(m_owner.GetHwnd());
        ASSERT_TRUE(clip.IsOpen());
        EXPECT_EQ(::GetClipboardData(custom), nullptr);
        EXPECT_FALSE(clip.GetText().has_value());
    }
    ASSERT_FALSE(m_owner.renderedFormats.empty());
    EXPECT_EQ(m_owner.renderedFormats[0], custom);
    EXPECT_GE(m_owner.passedOn, 1);
}

} // namespace
