// The table control driven by real window messages: notifications with their records, selection
// rules, popup menus, keyboard, type-ahead, clipboard and export.
#include "table/view/ViewTestUtil.h"

#include "support/TempDir.h"
#include "win/Clipboard.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace viewtest;
using Tabra::CTableCtrl;

namespace {

class TableCtrlTest : public ::testing::Test {
protected:
    void SetUp() override { Make(0, 50); }
    void TearDown() override { SetModifiers(false, false); }

    void Make(DWORD style, int rows) {
        ASSERT_TRUE(CreateFromPlaceholder(table, parent, style));
        Fill(table, columns, rows);
        ::SetFocus(table);
        parent.events.clear();
    }
    HWND Body() { return table.Body(); }
    HWND Header() { return table.Header(); }
    void ClickRow(int row, UINT flags = 0) {
        POINT p = RowPoint(table, row);
        Click(Body(), p.x, p.y, flags);
    }
    // Right click on the body at a client point: the context menu message a user's click sends.
    void RightClick(int row, int x = 20) {
        POINT p = RowPoint(table, row, x);
        ::ClientToScreen(Body(), &p);
        ::SendMessageA(Body(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Body()), At(p.x, p.y));
    }

    SColumns columns;
    CParent parent;
    CTestTable table;
};

TEST_F(TableCtrlTest, PlaceholderGivesPlaceIdStylesAndTabOrder) {
    EXPECT_EQ(::GetDlgCtrlID(table), kTableId);
    EXPECT_EQ(table.GetWindowText(), "Tabra");
    LONG style = ::GetWindowLongA(table, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_CLIPCHILDREN);
    EXPECT_TRUE(::GetWindowLongA(table, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    RECT rc = table.GetRectInParent();
    EXPECT_EQ(rc.left, 10);
    EXPECT_EQ(rc.right, 610);
    EXPECT_EQ(table.Selection().GetMode(), Tabra::CSelection::MODE_MULTIPLE);
    EXPECT_TRUE(table.Look().headerShown);
    EXPECT_TRUE(table.GetHeaderSort());

    struct Case {
        DWORD style;
        int selection;
        bool header;
        bool sort;
    } cases[] = {
        {0x4, Tabra::CSelection::MODE_SINGLE, true, true},
        {0x4000, Tabra::CSelection::MODE_MULTIPLE, false, true},
        {0x8000 | 0x4, Tabra::CSelection::MODE_SINGLE, true, false},
    };
    for (const Case& c : cases) {
        CTestTable other;
        HWND before =
            ::CreateWindowExA(0, "BUTTON", "before", WS_CHILD, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr);
        ASSERT_TRUE(CreateFromPlaceholder(other, parent, c.style, RECT{0, 420, 300, 470}, kTableId + 1));
        EXPECT_EQ(other.Selection().GetMode(), c.selection) << c.style;
        EXPECT_EQ(other.Look().headerShown, c.header) << c.style;
        EXPECT_EQ(other.GetHeaderSort(), c.sort) << c.style;
        // The control takes the placeholder's place in the tab order: right after the window before it.
        EXPECT_EQ(::GetWindow(before, GW_HWNDNEXT), other.GetHwnd());
        ::DestroyWindow(before);
    }
}

TEST_F(TableCtrlTest, ClicksSelectAndReportTheirRecords) {
    POINT p = RowPoint(table, 3, 30);
    Click(Body(), p.x, p.y);
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2000, -2001, -16, -2}));
    const SEvent& click = parent.events.back();
    EXPECT_EQ(click.row, 3);
    EXPECT_EQ(click.col, 0);
    EXPECT_EQ(click.x, p.x);
    EXPECT_EQ(click.y, p.y + CTableCtrl::HEADER_HEIGHT);
    EXPECT_EQ(click.key, 103);
    EXPECT_EQ(parent.events[0].row, 3);
    EXPECT_EQ(SelectedRows(table), std::vector<int>{3});
    EXPECT_EQ(table.GetCursorRow(), 3);

    // A double click: click, then double click, and nothing on the button-up after it.
    parent.events.clear();
    p = RowPoint(table, 5, 150);
    ::SendMessageA(Body(), WM_LBUTTONDOWN, MK_LBUTTON, At(p.x, p.y));
    ::SendMessageA(Body(), WM_LBUTTONUP, 0, At(p.x, p.y));
    ::SendMessageA(Body(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(p.x, p.y));
    ::SendMessageA(Body(), WM_LBUTTONUP, 0, At(p.x, p.y));
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2000, -2001, -16, -2, -2, -3}));
    EXPECT_EQ(parent.events.back().row, 5);
    EXPECT_EQ(parent.events.back().col, 1);
    EXPECT_EQ(parent.events.back().key, 105);

    // Below the rows: the click carries -1 and changes no selection.
    table.SetScrollY(table.Geometry().MaxScrollY());
    int below = table.Geometry().RowTop(49) + table.Geometry().rowHeight + 2;
    ASSERT_LT(below, table.Geometry().bodyHeight);
    Click(Body(), 400, below);
    EXPECT_EQ(parent.events.back().code, -2);
    EXPECT_EQ(parent.events.back().row, -1);
    EXPECT_EQ(parent.events.back().col, -1);
    EXPECT_EQ(SelectedRows(table), std::vector<int>{5});
}

TEST_F(TableCtrlTest, CancelledSelectionChangeKeepsTheSelection) {
    ClickRow(2);
    parent.events.clear();
    parent.answers[-2000] = 1;
    ClickRow(4);
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2000, -16, -2}));
    EXPECT_EQ(SelectedRows(table), std::vector<int>{2});
    EXPECT_EQ(table.Selection().GetAnchor(), 2);
    EXPECT_EQ(table.GetCursorRow(), 4) << "the cursor moves anyway";
}

TEST_F(TableCtrlTest, SingleSelectionIgnoresModifiersAndOffersNoSelectAll) {
    CTestTable single;
    SColumns cols;
    ASSERT_TRUE(CreateFromPlaceholder(single, parent, 0x4, RECT{0, 420, 300, 470}, kTableId + 1));
    Fill(single, cols, 20);
    struct Step {
        int row;
        UINT flags;
        int selected;
    } steps[] = {{3, 0, 3}, {7, MK_SHIFT, 7}, {5, MK_CONTROL, 5}, {9, MK_SHIFT | MK_CONTROL, 9}};
    for (const Step& s : steps) {
        single.EnsureVisible(s.row, -1);
        POINT p = RowPoint(single, s.row);
        Click(single.Body(), p.x, p.y, s.flags);
        EXPECT_EQ(SelectedRows(single), std::vector<int>{s.selected}) << s.row;
    }
    POINT p = RowPoint(single, 0);
    ::ClientToScreen(single.Body(), &p);
    ::SendMessageA(single.Body(), WM_CONTEXTMENU, 0, At(p.x, p.y));
    EXPECT_EQ(FindItem(single.lastMenu, "Select all"), nullptr) << "no Select all with single selection";
    EXPECT_NE(FindItem(single.lastMenu, "Copy"), nullptr);
}

TEST_F(TableCtrlTest, OperationsOfTheParentNeverNotify) {
    table.SetSelectedRow(4);
    table.Sort(Tabra::CSortKeys{1, 0});
    table.Update(true);
    table.EnsureVisible(40, 1);
    table.SetCursor(10, 0);
    table.Selection().ApplyClick(MK_SHIFT, 12);
    table.AutoSizeAll(true);
    table.FitColumns();
    table.OnTablePopupCommand(Tabra::ID_SELECT_ALL, -1, -1);
    table.OnColumnPopupCommand(Tabra::ID_SORT_DESCENDING, 0);
    EXPECT_TRUE(parent.events.empty());
    EXPECT_EQ(table.GetSortKeys(), (Tabra::CSortKeys{1, 0, 0, 1}));
    EXPECT_EQ(table.GetSelectedCount(), 50);
}

TEST_F(TableCtrlTest, FocusNotifications) {
    ::SetFocus(parent);
    ::SetFocus(table);
    ::SetFocus(table);
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-8, -7}));
    EXPECT_TRUE(table.HasFocusMark());
}

TEST_F(TableCtrlTest, TableMenuTakesTheParentsItemAndCommand) {
    parent.onNotify = [](int code, Tabra::STableNotify& record) {
        if (code == Tabra::TN_TABLEMENU)
            static_cast<win::CPopupMenu*>(record.pointer)->AppendItem("Join server", 40001);
    };
    parent.answers[Tabra::TN_TABLECOMMAND] = 1;
    table.choice = 40001;
    RightClick(2, 80);
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2000, -2001, -2006, -2008}));
    EXPECT_EQ(parent.events.back().command, 40001);
    EXPECT_EQ(parent.events.back().row, 2);
    EXPECT_EQ(parent.events.back().col, 0);
    ASSERT_NE(FindItem(table.lastMenu, "Join server"), nullptr);
    EXPECT_EQ(FindItem(table.lastMenu, "Join server")->id, 40001u);
    EXPECT_EQ(SelectedRows(table), std::vector<int>{2});

    // A command the parent leaves alone is the control's own.
    parent.answers.clear();
    table.choice = Tabra::ID_SELECT_ALL;
    RightClick(2);
    EXPECT_EQ(table.GetSelectedCount(), 50);

    // A cancelled -2006 shows nothing.
    int shown = table.menusShown;
    parent.answers[Tabra::TN_TABLEMENU] = 1;
    RightClick(3);
    EXPECT_EQ(table.menusShown, shown);
}

TEST_F(TableCtrlTest, ColumnAndSelectionCommandsKeepTheSort) {
    const Tabra::CSortKeys keys{1, 0};
    const int commands[] = {Tabra::ID_SELECT_ALL, Tabra::ID_HIDE_FIRST + 1, Tabra::ID_SHOW_FIRST + 1,
                            Tabra::ID_SHOW_ALL, Tabra::ID_RESTORE_DEFAULT};
    for (int command : commands) {
        table.Sort(keys);
        table.choice = static_cast<UINT>(command);
        RightClick(2);
        EXPECT_EQ(table.GetSortKeys(), keys) << command;
    }
}

TEST_F(TableCtrlTest, TableMenuItemsAndRules) {
    table.SetHeader(1, "FF\nFriendly Fire", -1);
    RightClick(1);
    const auto& menu = table.lastMenu;
    std::vector<std::pair<std::string, UINT>> expected = {
        {"Copy cell", 57345}, {"Copy", 57346},       {"Copy all", 57347}, {"Select all", 57348},
        {"", 57349},          {"Show column", 0},    {"Hide column", 0},  {"Restore default", 57352},
        {"", 57353},          {"Save as ...", 57354}};
    ASSERT_EQ(menu.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(menu[i].text, expected[i].first) << i;
        if (menu[i].sub.empty()) {
            EXPECT_EQ(menu[i].id, expected[i].second) << i;
        }
    }
    EXPECT_FALSE(menu[0].grayed);
    const SItem* show = FindItem(menu, "Show column");
    ASSERT_NE(show, nullptr);
    ASSERT_EQ(show->sub.size(), 1u);
    EXPECT_EQ(show->sub[0].text, "(none)");
    EXPECT_TRUE(show->sub[0].grayed);
    const SItem* hide = FindItem(menu, "Hide column");
    ASSERT_NE(hide, nullptr);
    ASSERT_EQ(hide->sub.size(), 2u) << "the key column has no header";
    EXPECT_EQ(hide->sub[0].text, "Name");
    EXPECT_EQ(hide->sub[0].id, 57844u);
    EXPECT_EQ(hide->sub[1].text, "Friendly Fire");
    EXPECT_EQ(hide->sub[1].id, 57845u);

    // Hide "FF": it is listed under Show column, and Hide column has too few left.
    table.choice = 57845;
    RightClick(1);
    EXPECT_FALSE(table.IsColumnVisible(1));
    table.choice = 0;
    RightClick(1);
    show = FindItem(table.lastMenu, "Show column");
    ASSERT_EQ(show->sub.size(), 3u);
    EXPECT_EQ(show->sub[0].text, "&All columns");
    EXPECT_EQ(show->sub[0].id, 57443u);
    EXPECT_TRUE(show->sub[1].separator);
    EXPECT_EQ(show->sub[2].text, "Friendly Fire");
    EXPECT_EQ(show->sub[2].id, 57445u);
    hide = FindItem(table.lastMenu, "Hide column");
    ASSERT_EQ(hide->sub.size(), 1u);
    EXPECT_TRUE(hide->sub[0].grayed);

    // No cell hit: "Copy cell" disabled.
    table.SetScrollY(table.Geometry().MaxScrollY());
    POINT p{500, table.Geometry().bodyHeight - 2};
    ::ClientToScreen(Body(), &p);
    ::SendMessageA(Body(), WM_CONTEXTMENU, 0, At(p.x, p.y));
    EXPECT_TRUE(FindItem(table.lastMenu, "Copy cell")->grayed);
}

TEST_F(TableCtrlTest, KeyboardMovesCursorAndSelection) {
    ClickRow(10);
    struct Step {
        UINT key;
        bool shift;
        bool ctrl;
        int cursor;
        std::vector<int> selected;
    } steps[] = {
        {VK_DOWN, false, false, 11, {11}},
        {VK_DOWN, true, false, 12, {11, 12}}, // a plain move set the anchor to 11
        {VK_UP, false, true, 11, {11, 12}},
        {VK_HOME, false, true, 0, {11, 12}},
        {VK_END, false, true, 49, {11, 12}},
        {VK_HOME, false, false, 0, {0}}, // without a cell cursor Home and End go to the ends
        {VK_END, false, false, 49, {49}},
    };
    for (const Step& s : steps) {
        SetModifiers(s.shift, s.ctrl);
        ::SendMessageA(table, WM_KEYDOWN, s.key, 0);
        EXPECT_EQ(table.GetCursorRow(), s.cursor) << s.key;
        EXPECT_EQ(SelectedRows(table), s.selected) << s.key;
    }
    SetModifiers(false, false);
    int full = table.Geometry().bodyHeight / table.Geometry().rowHeight;
    ::SendMessageA(table, WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_EQ(table.GetCursorRow(), 49 - full);
    EXPECT_GE(table.GetCursorRow(), table.Geometry().RowAtY(0)) << "the cursor row is scrolled into view";
    EXPECT_EQ(parent.events.back().code, -2001);
    int keydowns = 0;
    for (const SEvent& e : parent.events)
        keydowns += e.code == Tabra::TN_KEYDOWN;
    EXPECT_EQ(keydowns, 8);

    // A parent answering the key-down consumes the key.
    parent.answers[Tabra::TN_KEYDOWN] = 1;
    int row = table.GetCursorRow();
    ::SendMessageA(table, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(table.GetCursorRow(), row);
}

TEST_F(TableCtrlTest, TypeAheadSearchesTheFirstSortKeyColumnAndForgets) {
    table.Sort(Tabra::CSortKeys{1, 1}); // ping descending: row i has (50 - i) * 10
    table.Update(true);
    ::SendMessageA(table, WM_CHAR, '4', 0);
    EXPECT_EQ(table.GetCursorRow(), 1);
    EXPECT_EQ(SelectedRows(table), std::vector<int>{1});
    ::SendMessageA(table, WM_CHAR, '0', 0);
    EXPECT_EQ(table.GetTypeAhead(), "40");
    EXPECT_EQ(table.GetCursorRow(), 10);
    EXPECT_EQ(table.GetCellText(10, 1), "400");
    // Letters do not match numbers: the selection stays.
    ::SendMessageA(table, WM_CHAR, 'R', 0);
    EXPECT_EQ(table.GetCursorRow(), 10);

    DWORD start = ::GetTickCount();
    ASSERT_TRUE(wintest::PumpUntil([&] { return table.GetTypeAhead().empty(); }, 10000));
    DWORD elapsed = ::GetTickCount() - start;
    EXPECT_GE(elapsed, 1100u) << "forgotten only after 3 ticks of 400 ms";
    ::SendMessageA(table, WM_CHAR, '3', 0);
    EXPECT_EQ(table.GetTypeAhead(), "3");
    EXPECT_EQ(table.GetCellText(table.GetCursorRow(), 1), "390");

    // Backspace forgets at once; without sort keys the leftmost column is searched.
    ::SendMessageA(table, WM_KEYDOWN, VK_BACK, 0);
    EXPECT_TRUE(table.GetTypeAhead().empty());
    table.Update(false);
    for (char ch : std::string("row 003"))
        ::SendMessageA(table, WM_CHAR, static_cast<WPARAM>(ch), 0);
    EXPECT_EQ(table.GetCellText(table.GetCursorRow(), 0), "Row 003");

    // A repeated letter steps to the next row that starts with it.
    ::SendMessageA(table, WM_KEYDOWN, VK_BACK, 0);
    for (int expected : {0, 1, 2}) {
        ::SendMessageA(table, WM_CHAR, 'r', 0);
        EXPECT_EQ(table.GetCursorRow(), expected);
    }
}

TEST_F(TableCtrlTest, CursorStaysOnItsRecordThroughResorting) {
    ClickRow(10);
    ::SetFocus(parent); // no focus rectangle is painted, so nothing looks the cursor up in between
    table.Sort(Tabra::CSortKeys{1, 0}); // by ping: the rows turn round
    table.Update(true);
    ClickRow(5); // "Row 044"
    table.Sort(Tabra::CSortKeys{0, 0});
    table.Update(true);
    ::SendMessageA(table, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(table.GetCursorRow(), 45);
    EXPECT_EQ(SelectedRows(table), std::vector<int>{45});
}

TEST_F(TableCtrlTest, KeyboardMenuOpensAtTheCursorRowScrolledIntoView) {
    table.SetCursor(49, -1);
    table.SetScrollY(0);
    ::SendMessageA(table, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(table.GetHwnd()), At(-1, -1));
    POINT expected{0, table.Geometry().RowTop(49) + table.Geometry().rowHeight - 4};
    ::ClientToScreen(Body(), &expected);
    EXPECT_EQ(table.lastPoint.y, expected.y);
    RECT body;
    ::GetWindowRect(Body(), &body);
    EXPECT_TRUE(::PtInRect(&body, table.lastPoint)) << table.lastPoint.x << "," << table.lastPoint.y;
}

TEST_F(TableCtrlTest, KeysWithoutAKeyColumnDoNothing) {
    CTestTable keyless;
    keyless.SetColumnCount(1);
    keyless.DefineColumn(0, &columns.ping, "Ping", 60);
    keyless.BuildLayout();
    keyless.AddRow()->Cell(0)->SetInt(7);
    keyless.SetKey(0, 9);
    EXPECT_EQ(keyless.GetCell(0, 0)->GetInt(), 7);
    EXPECT_EQ(keyless.FindKey(7), -1);
    EXPECT_EQ(keyless.GetKey(0), -1);
}

TEST_F(TableCtrlTest, FindTextWrapsAndStopsBeforeTheStart) {
    struct Case {
        std::string prefix;
        int after;
        int found;
    } cases[] = {
        {"row 00", -1, 0},   {"row 00", 0, 1}, {"row 00", 9, 0},
        {"ROW 049", 49, -1}, {"Row 0", 49, 0}, {"x", -1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(table.FindText(0, c.prefix, c.after), c.found) << c.prefix << " after " << c.after;
    EXPECT_EQ(table.FindKey(120), 20);
    EXPECT_EQ(table.GetKey(7), 107);
}

std::string ReadClipboard(HWND owner) {
    win::CClipboard clipboard(owner);
    return clipboard.GetText().value_or("<none>");
}

TEST_F(TableCtrlTest, CopiesTakeTheirTextWhenCopying) {
    table.GetCell(2, 0)->SetText("Ta\tb");
    struct Case {
        UINT command;
        std::string text;
    } cases[] = {
        {Tabra::ID_COPY, "Ta*b\t480\t\r\nRow 004\t460\t\r\n"},
        {Tabra::ID_COPY_CELL, "Row 004"},
        {Tabra::ID_COPY_ALL, ""},
    };
    for (Case& c : cases) {
        ClickRow(2);
        ClickRow(4, MK_CONTROL);
        table.choice = c.command;
        RightClick(4);
        if (c.command == Tabra::ID_COPY_ALL)
            c.text = ReadClipboard(parent);
        // Another click and a changed row before the paste do not change what was copied.
        ClickRow(30);
        table.GetCell(4, 0)->SetText("Later");
        EXPECT_EQ(ReadClipboard(parent), c.text) << c.command;
        table.GetCell(4, 0)->SetText("Row 004");
    }
    EXPECT_EQ(std::count(cases[2].text.begin(), cases[2].text.end(), '\n'), 50);
    EXPECT_NE(cases[2].text.find("\r\nTa*b\t480\t\r\nRow 003\t"), std::string::npos);

    // Ctrl+A and Ctrl+C copy every row, as Copy all does.
    SetModifiers(false, true);
    ::SendMessageA(table, WM_KEYDOWN, 'A', 0);
    ::SendMessageA(table, WM_KEYDOWN, 'C', 0);
    EXPECT_EQ(table.GetSelectedCount(), 50);
    EXPECT_EQ(ReadClipboard(parent), cases[2].text);
}

TEST_F(TableCtrlTest, SaveAsWritesTheChosenFile) {
    testsupport::TempDir dir;
    const std::string path = dir.File("tabra_view_export.html");
    table.GetCell(0, 0)->SetText("<b>&");
    wintest::CDialogCloser closer([path](HWND dialog) {
        ::SetDlgItemTextA(dialog, 1148, path.c_str()); // file name combo of the explorer dialog
        ::SetDlgItemTextA(dialog, 1152, path.c_str()); // file name edit of the old dialog
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    table.choice = Tabra::ID_SAVE_AS;
    RightClick(0);
    EXPECT_TRUE(closer.Done());
    const std::string html = testsupport::ReadFile(path);
    ASSERT_FALSE(html.empty()) << path;
    EXPECT_EQ(html.rfind("<HTML><BODY BGCOLOR=White>\r\n\r\n<TABLE", 0), 0u);
    EXPECT_NE(html.find("    <TH>Name</TH>\r\n    <TH>Ping</TH>\r\n  <TR>\r\n"), std::string::npos);
    EXPECT_NE(html.find("    <TD>&lt;b&gt;&amp;</TD>\r\n    <TD>500</TD>\r\n  </TR>"), std::string::npos);
    size_t rows = 0;
    for (size_t at = html.find("  <TR>\r\n"); at != std::string::npos; at = html.find("  <TR>\r\n", at + 1))
        ++rows;
    EXPECT_EQ(rows, 50u);
    EXPECT_EQ(html.substr(html.size() - 24), "</TABLE>\r\n</BODY></HTML>");
}

TEST_F(TableCtrlTest, SaveAsThatCannotWriteSaysSoAndLeavesTheOldFile) {
    testsupport::TempDir dir;
    const std::string path = dir.File("locked.html");
    HANDLE lock = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(lock, "old", 3, &written, nullptr);
    std::vector<wintest::SBoxTexts> boxes;
    // The save dialog, its question whether to replace the file, then the failure.
    wintest::CDialogCloser closer(
        [&](HWND dialog) {
            if (::GetDlgItem(dialog, 1148) || ::GetDlgItem(dialog, 1152)) {
                ::SetDlgItemTextA(dialog, 1148, path.c_str());
                ::SetDlgItemTextA(dialog, 1152, path.c_str());
                ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                return;
            }
            boxes.push_back(wintest::ReadBox(dialog));
            ::PostMessageA(dialog, WM_COMMAND, ::GetDlgItem(dialog, IDYES) ? IDYES : IDOK, 0);
        },
        3);
    table.choice = Tabra::ID_SAVE_AS;
    RightClick(0);
    ::CloseHandle(lock);
    ASSERT_FALSE(boxes.empty());
    const std::vector<std::string>& texts = boxes.back().texts;
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::string& t) {
        return t.rfind("Could not save " + path + ":\n", 0) == 0 && t.size() > path.size() + 17;
    })) << ::testing::PrintToString(texts);
    EXPECT_EQ(testsupport::ReadFile(path), "old");
    namespace fs = std::filesystem;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1)
        << "no temporary file is left";
}

} // namespace
