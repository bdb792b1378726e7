#include "win/PopupMenu.h"
#include "support/Win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using win::CPopupMenu;

namespace {

// A compact picture of a menu: "text#id" per item, "-#id" for separators, '~' grayed, '=' checked.
// Separators are shown without state: some systems report them as grayed.
std::string Describe(const CPopupMenu& menu) {
    std::string out;
    for (const testsupport::SMenuRead& item : testsupport::ReadMenu(menu.GetHandle())) {
        out += out.empty() ? "" : ";";
        out += std::string(item.grayed && !item.separator ? "~" : "") + (item.checked ? "=" : "") +
               (item.separator ? "-" : item.text) + "#" + std::to_string(item.id);
    }
    return out;
}

TEST(PopupMenu, MenuTextGivesItemsSeparatorsFlagsAndIds) {
    const struct {
        const char* text;
        UINT base;
        const char* items;
    } cases[] = {
        {"A;~B;-;=C;", 100, "A#100;~B#101;-#102;=C#103"},
        {"one;two;;three;four", 1, "one#1;two#2"},
        {";first", 1, ""},
        {"", 1, ""},
        {"~~=~x", 7, "~=x#7"},
        {"a-b;-x", 0, "a-b#0;-x#1"},
        {"last", 9, "last#9"},
    };
    for (const auto& c : cases) {
        CPopupMenu menu;
        menu.AppendItems("Z", 50);
        const int added = menu.AppendItems(c.text, c.base);
        EXPECT_EQ(added, menu.GetItemCount() - 1) << c.text;
        EXPECT_EQ(Describe(menu), std::string("Z#50") + (*c.items ? ";" : "") + c.items) << c.text;
    }
    EXPECT_TRUE(win::ParseMenuText(nullptr, 1).empty());
}

TEST(PopupMenu, InsertsByPositionOrBeforeACommand) {
    const struct {
        UINT position, flags;
        const char* result;
    } cases[] = {{0, MF_BYPOSITION, "X#1;-#2;A#10;B#11;C#12"},
                 {2, MF_BYPOSITION, "A#10;B#11;X#1;-#2;C#12"},
                 {11, MF_BYCOMMAND, "A#10;X#1;-#2;B#11;C#12"},
                 {10, 0, "X#1;-#2;A#10;B#11;C#12"}};
    for (const auto& c : cases) {
        CPopupMenu menu;
        menu.AppendItems("A;B;C", 10);
        EXPECT_EQ(menu.InsertItems("X;-", 1, c.position, c.flags), 2);
        EXPECT_EQ(Describe(menu), c.result) << c.position;
    }
}

// Counts the ticks of a thread timer and ends the menu loop at the fourth.
int g_menuTicks = 0;
void CALLBACK EndMenuTick(HWND, UINT, UINT_PTR, DWORD) {
    if (++g_menuTicks >= 4)
        ::EndMenu();
}

TEST(PopupMenu, TrackReturnsZeroWhenDismissed) {
    win::CWnd owner;
    ASSERT_TRUE(testsupport::CreateTopWindow(owner, RECT{0, 0, 200, 200}));
    ::SetForegroundWindow(owner);
    CPopupMenu menu;
    menu.AppendItems("Copy cell;Copy", 57345);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, EndMenuTick);
    EXPECT_EQ(menu.Track(owner, 50, 50, TPM_RIGHTBUTTON), 0u);
    ::KillTimer(nullptr, timer);
    EXPECT_GE(g_menuTicks, 4) << "the menu loop ran until it was ended";
    MSG msg; // the choice is returned, never posted as WM_COMMAND
    EXPECT_FALSE(::PeekMessageA(&msg, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE));
}

} // namespace
