#include "win/PopupMenu.h"
#include "support/Win.h"
#include "win/Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using win::CPopupMenu;
using win::ParseMenuText;

namespace {

using SActualItem = wintest::SMenuRead;
using wintest::ReadMenu;

// A compact picture of a menu: "text#id" per item, "-#id" for separators, '~' grayed, '=' checked.
// Separators are shown without state: some systems report them as grayed.
std::string Describe(const std::vector<SActualItem>& items) {
    std::string out;
    for (const SActualItem& item : items) {
        if (!out.empty())
            out += ';';
        if (item.grayed && !item.separator)
            out += '~';
        if (item.checked)
            out += '=';
        out += item.separator ? "-" : item.text;
        out += item.popup ? std::string("#popup") : '#' + std::to_string(item.id);
    }
    return out;
}

// The menu text read into a real menu: items, separators, flags and ids, as the system reports them.
TEST(PopupMenu, MenuTextGivesItemsSeparatorsFlagsAndIds) {
    struct Case {
        const char* text;
        UINT base;
        const char* items;
    } cases[] = {
        {"A;~B;-;=C;", 100, "A#100;~B#101;-#102;=C#103"},
        {"Copy cell;Copy;Copy all;Select all;-;Show column;Hide column;Restore default;-;Save as ...;", 57345,
         "Copy cell#57345;Copy#57346;Copy all#57347;Select all#57348;-#57349;Show column#57350;"
         "Hide column#57351;Restore default#57352;-#57353;Save as ...#57354"},
        {"Ascending;Descending;No sort;-;Hide", 57357,
         "Ascending#57357;Descending#57358;No sort#57359;-#57360;Hide#57361"},
        {"~Add to favorites;-;~Show server info;-", 57341,
         "~Add to favorites#57341;-#57342;~Show server info#57343;-#57344"},
        {"one;two;;three;four", 1, "one#1;two#2"},
        {";first", 1, ""},
        {"", 1, ""},
        {"~~=~x", 7, "~=x#7"},
        {"=&All columns", 57443, "=&All columns#57443"},
        {"~(none)", 5, "~(none)#5"},
        {"a-b;-x", 0, "a-b#0;-x#1"},
        {"last", 9, "last#9"},
    };
    for (const Case& c : cases) {
        CPopupMenu menu;
        ASSERT_NE(menu.GetHandle(), nullptr);
        const int added = menu.AppendItems(c.text, c.base);
        EXPECT_EQ(Describe(ReadMenu(menu.GetHandle())), c.items) << c.text;
        EXPECT_EQ(added, menu.GetItemCount()) << c.text;
    }
    EXPECT_TRUE(ParseMenuText(nullptr, 1).empty());

    CPopupMenu menu;
    menu.AppendItems("A;~B;-;=C;", 100);
    EXPECT_EQ(menu.AppendItems("D;;E", 200), 1) << "reading stops at the empty item";
    EXPECT_EQ(Describe(ReadMenu(menu.GetHandle())), "A#100;~B#101;-#102;=C#103;D#200");
}

TEST(PopupMenu, InsertsByPositionOrBeforeACommand) {
    struct Case {
        UINT position;
        UINT flags;
        const char* result;
    } cases[] = {
        {0, MF_BYPOSITION, "Add#57341;-#57342;Info#57343;-#57344;Copy cell#57345;Copy#57346;Copy all#57347"},
        {2, MF_BYPOSITION, "Copy cell#57345;Copy#57346;Add#57341;-#57342;Info#57343;-#57344;Copy all#57347"},
        {57346, MF_BYCOMMAND,
         "Copy cell#57345;Add#57341;-#57342;Info#57343;-#57344;Copy#57346;Copy all#57347"},
        {57345, 0, "Add#57341;-#57342;Info#57343;-#57344;Copy cell#57345;Copy#57346;Copy all#57347"},
    };
    for (const Case& c : cases) {
        CPopupMenu menu;
        menu.AppendItems("Copy cell;Copy;Copy all", 57345);
        EXPECT_EQ(menu.InsertItems("Add;-;Info;-", 57341, c.position, c.flags), 4);
        EXPECT_EQ(Describe(ReadMenu(menu.GetHandle())), c.result) << c.position;
    }
}

TEST(PopupMenu, SubmenuStatesAndRemoval) {
    CPopupMenu menu;
    menu.AppendItems("Copy;Show column;Hide column", 57346);
    CPopupMenu sub;
    sub.AppendItem("&All columns", 57443);
    sub.AppendSeparator();
    sub.AppendItems("Ping", 57444 + 3);
    HMENU subHandle = sub.GetHandle();
    ASSERT_TRUE(menu.AppendSubMenu("More", std::move(sub)));
    EXPECT_EQ(sub.GetHandle(), nullptr) << "the parent menu owns the submenu now";
    EXPECT_EQ(::GetSubMenu(menu.GetHandle(), 3), subHandle);
    EXPECT_EQ(Describe(ReadMenu(subHandle)), "&All columns#57443;-#0;Ping#57447");

    EXPECT_TRUE(menu.EnableItem(57347, false));
    EXPECT_TRUE(menu.CheckItem(57348, true));
    auto items = ReadMenu(menu.GetHandle());
    EXPECT_EQ(Describe(items), "Copy#57346;~Show column#57347;=Hide column#57348;More#popup");
    EXPECT_TRUE(items[3].popup);
    EXPECT_TRUE(menu.EnableItem(57347, true));
    EXPECT_TRUE(menu.CheckItem(57348, false));
    EXPECT_TRUE(menu.RemoveItem(57346));
    EXPECT_EQ(Describe(ReadMenu(menu.GetHandle())), "Show column#57347;Hide column#57348;More#popup");
}

TEST(PopupMenu, RadioCheckMarksOneOfARange) {
    CPopupMenu menu;
    menu.AppendItems("Ascending;Descending;No sort;-;Hide", 57357);
    for (UINT chosen : {57357u, 57358u, 57359u}) {
        ASSERT_TRUE(menu.CheckRadioItem(57357, 57359, chosen));
        auto items = ReadMenu(menu.GetHandle());
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(items[i].checked, items[i].id == chosen) << chosen << " item " << i;
            if (items[i].id == chosen) {
                EXPECT_TRUE(items[i].radio);
            }
        }
        EXPECT_FALSE(items[4].checked);
    }
}

// Ends the menu loop from a thread timer, optionally choosing the first item by keyboard first.
struct SMenuDriver {
    static inline bool choose = false;
    static inline int ticks = 0;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        ++ticks;
        HWND menuWindow = ::FindWindowA("#32768", nullptr);
        if (choose && menuWindow && ticks == 2) {
            ::PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
            ::PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
        } else if (ticks >= 4) {
            ::EndMenu();
        }
    }
};

TEST(PopupMenu, TrackReturnsZeroWhenDismissed) {
    constexpr char kOwnerClass[] = "VelloranWinTestMenuOwner";
    ASSERT_TRUE(win::CWnd::RegisterClass(kOwnerClass));
    win::CWnd owner;
    ASSERT_TRUE(owner.Create(kOwnerClass, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, RECT{0, 0, 200, 200},
                             nullptr));
    ::SetForegroundWindow(owner.GetHwnd());
    CPopupMenu menu;
    menu.AppendItems("Copy cell;Copy", 57345);
    SMenuDriver::choose = false;
    SMenuDriver::ticks = 0;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, SMenuDriver::Tick);
    UINT chosen = menu.Track(owner.GetHwnd(), 50, 50, TPM_RIGHTBUTTON);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(chosen, 0u);
    EXPECT_GE(SMenuDriver::ticks, 4) << "the menu loop ran until it was ended";
    // TPM_RETURNCMD: the choice is returned, never posted as WM_COMMAND.
    MSG msg;
    EXPECT_FALSE(::PeekMessageA(&msg, owner.GetHwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE));
}

} // namespace
