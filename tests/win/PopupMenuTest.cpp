#include "win/PopupMenu.h"
#include "support/Win.h"

#include <gtest/gtest.h>

#include <string>

using win::CPopupMenu;

namespace {

// A compact picture of a menu: "text#id" per item, "-#id" for separators, '~' grayed, '=' checked.
// Separators are shown without state: some systems report them as grayed.
std::string Describe(const CPopupMenu& menu) {
    std::string out;
    for (const testsupport::SMenuRead& item : testsupport::ReadMenu(menu.GetHandle()))
        out += std::string(out.empty() ? "" : ";") + (item.grayed && !item.separator ? "~" : "") +
               (item.checked ? "=" : "") + (item.separator ? "-" : item.text) + "#" + std::to_string(item.id);
    return out;
}

TEST(PopupMenu, MenuTextGivesItemsSeparatorsFlagsAndIdsAppendedOrInsertedByPosition) {
    constexpr UINT kAppend = ~0u;
    struct Case {
        const char* text;
        UINT base, position, flags;
        const char* items; // after "Z;Y" with ids from 50
    } cases[] = {
        {"A;~B;-;=C;", 100, kAppend, 0, "Z#50;Y#51;A#100;~B#101;-#102;=C#103"},
        {"one;two;;three;four", 1, kAppend, 0, "Z#50;Y#51;one#1;two#2"}, // an empty item ends the list
        {"~~=~x", 7, kAppend, 0, "Z#50;Y#51;~=x#7"},
        {"a-b;-x", 0, kAppend, 0, "Z#50;Y#51;a-b#0;-x#1"},
        {"X;-", 1, 0, MF_BYPOSITION, "X#1;-#2;Z#50;Y#51"},
        {"X;-", 1, 2, MF_BYPOSITION, "Z#50;Y#51;X#1;-#2"},
    };
    for (const auto& c : cases) {
        CPopupMenu menu;
        menu.AppendItems("Z;Y", 50);
        const int added = c.position == kAppend ? menu.AppendItems(c.text, c.base)
                                                : menu.InsertItems(c.text, c.base, c.position, c.flags);
        EXPECT_EQ(added, menu.GetItemCount() - 2) << c.text;
        EXPECT_EQ(Describe(menu), c.items) << c.text << " " << c.position;
    }
    EXPECT_TRUE(win::ParseMenuText(nullptr, 1).empty());
}

} // namespace
