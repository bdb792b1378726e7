#include "win/Clipboard.h"
#include "support/Win.h"

#include <gtest/gtest.h>

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

TEST(ClipboardTest, TextIsPutAtOnceOrRenderedOnceWithTheContentOfTheFirstRead) {
    CRenderingOwner owner;
    ASSERT_TRUE(testsupport::CreateTopWindow(owner, RECT{0, 0, 100, 100}));
    const auto put = [&](const char* text) { // text, or nullptr: announced, rendered when read
        CClipboard clip(owner);
        ASSERT_TRUE(clip.IsOpen() && clip.Empty());
        ASSERT_TRUE(text ? clip.SetText(text) : clip.Announce(CF_TEXT));
    };
    const auto read = [&] { return CClipboard(owner).GetText().value_or("<none>"); };
    for (const char* text : {"", "a\tb\t\r\n1\t2\t\r\n", "Umlaut \xE4\xF6\xFC"}) {
        put(text);
        EXPECT_EQ(read(), text);
    }
    EXPECT_TRUE(owner.renderedFormats.empty()) << "data given at once needs no rendering";
    owner.content = "first\t\r\n";
    put(nullptr);
    EXPECT_TRUE(owner.renderedFormats.empty()) << "nothing is rendered before a reader asks";
    owner.content = "changed\t\r\n";
    EXPECT_EQ(read(), "changed\t\r\n") << "the content when it is read, not when it was announced";
    EXPECT_EQ(owner.renderedFormats, std::vector<UINT>{CF_TEXT});
    owner.content.clear();
    put(nullptr);
    EXPECT_EQ(read(), "") << "an empty table renders an empty text, not a missing one";
}

} // namespace
