// The table control driven by real window messages: notifications with their records, selection
// rules, popup menus, keyboard, type-ahead, clipboard and export.
#include "table/view/ViewTestUtil.h"

#include "support/TempDir.h"
#include "win/Clipboard.h"

using namespace testsupport;
using Tabra::CSortKeys;

namespace {

class TableCtrlTest : public TableTest {
protected:
    void RightClickRow(int row, int x = 20) { RightClick(Body(), RowPoint(table, row, x)); }
    // A right click on row whose menu answers command.
    void Choose(UINT command, int row, int x = 20) {
        table.choice = command;
        RightClickRow(row, x);
    }
    void Key(UINT key, bool shift = false, bool ctrl = false) { SendKey(table, key, shift, ctrl); }
    // Code, row and column of the last notification.
    std::vector<int> Last() {
        const SEvent& e = parent.events.back();
        return {e.code, e.row, e.col};
    }
    std::string Clipboard() { return win::CClipboard(parent).GetText().value_or("<none>"); }
};

// The fixture's table has style 0: multiple selection, a header, sorting by header clicks.
TEST_F(TableCtrlTest, PlaceholderGivesPlaceIdStyleBitsAndTabOrder) {
    EXPECT_EQ(std::pair(::GetDlgCtrlID(table), table.GetRectInParent().right),
              std::pair(kTableId, LONG{610}));
    // style bits: 0x4 single selection, 0x4000 no header, 0x8000 no sorting by header clicks
    for (auto [style, single, header, sort] :
         {std::tuple{0x4004, true, false, true}, {0x8000, false, true, false}}) {
        CTestTable other;
        HWND before =
            ::CreateWindowExA(0, "BUTTON", "", WS_CHILD, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr);
        ASSERT_TRUE(CreateFromPlaceholder(other, parent, style, RECT{0, 420, 300, 470}, kTableId + 1));
        EXPECT_EQ(other.Selection().GetMode() == Tabra::CSelection::MODE_SINGLE, single) << style;
        EXPECT_EQ(other.Look().headerShown, header) << style;
        EXPECT_EQ(other.GetHeaderSort(), sort) << style;
        EXPECT_EQ(::GetWindow(before, GW_HWNDNEXT), other.GetHwnd()) << "the placeholder's tab order place";
        ::DestroyWindow(before);
    }
}

TEST_F(TableCtrlTest, ClicksSelectAndReportTheirRecords) {
    POINT p = RowPoint(table, 3, 30);
    Click(Body(), p.x, p.y);
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2000, -2001, -16, -2}));
    EXPECT_EQ(Last(), (std::vector<int>{-2, 3, 0}));
    const SEvent& click = parent.events.back();
    EXPECT_EQ(std::vector<int>({click.x, click.y, click.key, parent.events[0].row}),
              std::vector<int>({p.x, p.y + Tabra::CTableCtrl::kHeaderHeight, 103, 3}));
    EXPECT_EQ(SelectedRows(table), std::vector<int>{3});

    // A double click: click, then double click, and nothing on the button-up after it.
    parent.events.clear();
    p = RowPoint(table, 5, 150);
    Click(Body(), p.x, p.y);
    ::SendMessageA(Body(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(p.x, p.y));
    ::SendMessageA(Body(), WM_LBUTTONUP, 0, At(p.x, p.y));
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2000, -2001, -16, -2, -2, -3}));
    EXPECT_EQ(Last(), (std::vector<int>{-3, 5, 1}));

    // Below the rows: the click carries -1 and changes no selection.
    table.SetScrollY(table.Geometry().MaxScrollY());
    Click(Body(), 400, table.Geometry().RowTop(49) + table.Geometry().rowHeight + 2);
    EXPECT_EQ(Last(), (std::vector<int>{-2, -1, -1}));
    EXPECT_EQ(SelectedRows(table), std::vector<int>{5});

    // A cancelled selection change keeps the selection; the cursor moves anyway.
    parent.events.clear();
    parent.answers[-2000] = 1;
    ClickRow(4);
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2000, -16, -2}));
    EXPECT_EQ(SelectedRows(table), std::vector<int>{5});
    EXPECT_EQ(table.GetCursorRow(), 4);
}

// Finding text wraps and stops before the start; keys need a key column. Neither notifies the parent.
TEST_F(TableCtrlTest, OperationsOfTheParentFindAndNeverNotifyButFocusDoes) {
    const std::tuple<const char*, int, int> cases[] = {
        {"row 00", -1, 0},   {"row 00", 0, 1}, {"row 00", 9, 0},
        {"ROW 049", 49, -1}, {"Row 0", 49, 0}, {"x", -1, -1},
    };
    for (auto [prefix, after, found] : cases)
        EXPECT_EQ(table.FindText(0, prefix, after), found) << prefix << " after " << after;
    EXPECT_EQ(table.FindKey(120), 20);
    CTestTable keyless;
    keyless.SetColumnCount(1);
    keyless.DefineColumn(0, &columns.ping, "Ping", 60);
    keyless.BuildLayout();
    keyless.AddRow()->Cell(0)->SetInt(7);
    keyless.SetKey(0, 9);
    EXPECT_EQ(std::tuple(keyless.GetCell(0, 0)->GetInt(), keyless.FindKey(7), keyless.GetKey(0)),
              std::tuple(7, -1, -1));
    // Operations the parent calls tell it nothing; only the focus it moves does.
    table.SetSelectedRow(4);
    table.Sort(CSortKeys{1, 0});
    table.Update(true);
    table.EnsureVisible(40, 1);
    table.SetCursor(10, 0);
    table.Selection().ApplyClick(MK_SHIFT, 12);
    table.AutoSizeAll(true);
    table.FitColumns();
    table.OnTablePopupCommand(Tabra::ID_SELECT_ALL, -1, -1);
    table.OnColumnPopupCommand(Tabra::ID_SORT_DESCENDING, 0);
    EXPECT_TRUE(parent.events.empty());
    EXPECT_EQ(table.GetSortKeys(), (CSortKeys{1, 0, 0, 1}));
    EXPECT_EQ(table.GetSelectedCount(), 50);
    ::SetFocus(parent);
    ::SetFocus(table);
    ::SetFocus(table);
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-8, -7}));
}

TEST_F(TableCtrlTest, TableMenuTakesTheParentsItemAndCommand) {
    parent.onNotify = [](int code, Tabra::STableNotify& record) {
        if (code == Tabra::TN_TABLEMENU)
            static_cast<win::CPopupMenu*>(record.pointer)->AppendItem("Join server", 40001);
    };
    parent.answers[Tabra::TN_TABLECOMMAND] = 1;
    Choose(40001, 2, 80);
    EXPECT_EQ(parent.Codes(), (std::vector<int>{-2000, -2001, -2006, -2008}));
    EXPECT_EQ(Last(), (std::vector<int>{-2008, 2, 0}));
    EXPECT_EQ(parent.events.back().command, 40001);
    EXPECT_NE(MenuText(table.lastMenu).find(";Join server#40001;"), std::string::npos);
    EXPECT_EQ(SelectedRows(table), std::vector<int>{2});

    // A command the parent leaves alone is the control's own; a cancelled -2006 shows nothing.
    parent.answers = {{Tabra::TN_TABLEMENU, 1}};
    RightClickRow(3);
    EXPECT_EQ(table.menusShown, 1);
    parent.answers.clear();
    const CSortKeys keys{1, 0};
    for (int command :
         std::initializer_list<int>{Tabra::ID_SELECT_ALL, Tabra::ID_HIDE_FIRST + 1, Tabra::ID_SHOW_FIRST + 1,
                                    Tabra::ID_SHOW_ALL, Tabra::ID_RESTORE_DEFAULT}) {
        table.Sort(keys);
        Choose(static_cast<UINT>(command), 2);
        EXPECT_EQ(table.GetSortKeys(), keys) << command << ": column and selection commands keep the sort";
    }
}

TEST_F(TableCtrlTest, TableMenuItemsAndRules) {
    const std::string copy = "Copy cell#57345;Copy#57346;Copy all#57347;Select all#57348;-;",
                      rest = "Restore default#57352;-;Save as ...#57354;";
    table.SetHeader(1, "FF\nFriendly Fire", -1);
    RightClickRow(1);
    EXPECT_EQ(MenuText(table.lastMenu),
              copy + "Show column{~(none);};Hide column{Name#57844;Friendly Fire#57845;};" + rest)
        << "the key column has no header";
    // Hide "FF": it is listed under Show column, and Hide column has too few left.
    Choose(57845, 1);
    EXPECT_FALSE(table.IsColumnVisible(1));
    Choose(0, 1);
    EXPECT_EQ(MenuText(table.lastMenu),
              copy + "Show column{&All columns#57443;-;Friendly Fire#57445;};Hide column{~(none);};" + rest);
    // No cell hit: "Copy cell" disabled.
    table.SetScrollY(table.Geometry().MaxScrollY());
    RightClick(Body(), POINT{500, table.Geometry().bodyHeight - 2});
    EXPECT_EQ(MenuText(table.lastMenu).substr(0, 22), "~Copy cell;Copy#57346;");
}

TEST_F(TableCtrlTest, KeyboardMovesCursorAndSelection) {
    ClickRow(10);
    // A plain move sets the anchor; without a cell cursor Home and End go to the ends, Left and Right
    // only scroll; Ctrl+Space toggles the cursor row.
    const std::tuple<UINT, bool, bool, int, std::vector<int>> steps[] = {
        {VK_DOWN, false, false, 11, {11}},   {VK_DOWN, true, false, 12, {11, 12}},
        {VK_UP, false, true, 11, {11, 12}},  {VK_HOME, false, true, 0, {11, 12}},
        {VK_END, false, true, 49, {11, 12}}, {VK_HOME, false, false, 0, {0}},
        {VK_END, false, false, 49, {49}},    {VK_RIGHT, false, false, 49, {49}},
        {VK_LEFT, false, true, 49, {49}},    {VK_SPACE, false, true, 49, {}},
    };
    for (const auto& [key, shift, ctrl, cursor, selected] : steps) {
        Key(key, shift, ctrl);
        EXPECT_EQ(table.GetCursorRow(), cursor) << key;
        EXPECT_EQ(SelectedRows(table), selected) << key;
    }
    Key(VK_PRIOR);
    EXPECT_EQ(table.GetCursorRow(), 49 - table.Geometry().bodyHeight / table.Geometry().rowHeight);
    EXPECT_GE(table.GetCursorRow(), table.Geometry().RowAtY(0)) << "the cursor row is scrolled into view";
    EXPECT_EQ(parent.events.back().code, -2001);
    EXPECT_EQ(parent.Count(Tabra::TN_KEYDOWN), 11);

    parent.answers[Tabra::TN_KEYDOWN] = 1;
    const int row = table.GetCursorRow();
    Key(VK_DOWN);
    EXPECT_EQ(table.GetCursorRow(), row) << "a parent answering the key-down consumes the key";
    // The menu key opens the menu at the cursor row, scrolled into view.
    table.SetCursor(49, -1);
    table.SetScrollY(0);
    ::SendMessageA(table, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(table.GetHwnd()), At(-1, -1));
    POINT shown = table.lastPoint;
    ::ScreenToClient(Body(), &shown);
    EXPECT_EQ(shown.y, table.Geometry().RowTop(49) + table.Geometry().rowHeight - 4);
    EXPECT_LT(shown.y, table.Geometry().bodyHeight);
}

TEST_F(TableCtrlTest, TypeAheadSearchesTheFirstSortKeyColumnAndForgets) {
    table.Sort(CSortKeys{1, 1}); // ping descending: row i has (50 - i) * 10
    table.Update(true);
    auto type = [&](const std::string& text) {
        for (char ch : text)
            ::SendMessageA(table, WM_CHAR, static_cast<WPARAM>(ch), 0);
    };
    type("4");
    EXPECT_EQ(SelectedRows(table), std::vector<int>{1});
    type("0R"); // letters do not match numbers: the selection stays
    EXPECT_EQ(table.GetTypeAhead(), "40R");
    EXPECT_EQ(table.GetCursorRow(), 10);
    EXPECT_EQ(table.GetCellText(10, 1), "400");

    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return table.GetTypeAhead().empty(); }, 10000));
    EXPECT_GE(::GetTickCount() - start, 1100u) << "forgotten only after 3 ticks of 400 ms";
    type("3");
    EXPECT_EQ(table.GetCellText(table.GetCursorRow(), 1), "390");

    // Backspace forgets at once; without sort keys the leftmost column is searched.
    Key(VK_BACK);
    EXPECT_TRUE(table.GetTypeAhead().empty());
    table.Update(false);
    type("row 003");
    EXPECT_EQ(table.GetCellText(table.GetCursorRow(), 0), "Row 003");
    Key(VK_BACK);
    for (int expected : {0, 1, 2}) {
        type("r");
        EXPECT_EQ(table.GetCursorRow(), expected) << "a repeated letter steps to the next row with it";
    }
}

TEST_F(TableCtrlTest, CopiesTakeTheirTextWhenCopying) {
    table.GetCell(2, 0)->SetText("Ta\tb");
    for (auto [command, text] :
         {std::pair{Tabra::ID_COPY, "Ta*b\t480\t\r\nRow 004\t460\t\r\n"}, {Tabra::ID_COPY_CELL, "Row 004"}}) {
        ClickRow(2);
        ClickRow(4, MK_CONTROL);
        Choose(command, 4);
        // Another click and a changed row before the paste do not change what was copied.
        ClickRow(30);
        table.GetCell(4, 0)->SetText("Later");
        EXPECT_EQ(Clipboard(), text) << command;
        table.GetCell(4, 0)->SetText("Row 004");
    }
    // Ctrl+A and Ctrl+C copy every row, as Copy all does.
    Choose(Tabra::ID_COPY_ALL, 4);
    const std::string all = Clipboard();
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 50);
    EXPECT_NE(all.find("\r\nTa*b\t480\t\r\nRow 003\t"), std::string::npos);
    win::CClipboard(parent).Empty();
    Key('A', false, true);
    Key('C', false, true);
    EXPECT_EQ(Clipboard(), all);
}

// Answers the save dialog with path, and any box after it with Yes or OK, recording its texts in boxes.
std::function<void(HWND)> SaveAsAnswer(const std::string& path, std::vector<SBoxTexts>& boxes) {
    return [&boxes, path](HWND dialog) {
        if (::GetDlgItem(dialog, 1148) || ::GetDlgItem(dialog, 1152)) {
            ::SetDlgItemTextA(dialog, 1148, path.c_str()); // the explorer dialog's combo box
            ::SetDlgItemTextA(dialog, 1152, path.c_str()); // the old dialog's edit
            ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            return;
        }
        boxes.push_back(ReadBox(dialog));
        ::PostMessageA(dialog, WM_COMMAND, ::GetDlgItem(dialog, IDYES) ? IDYES : IDOK, 0);
    };
}

TEST_F(TableCtrlTest, SaveAsWritesTheChosenFileOrSaysWhyNotAndLeavesTheOldOne) {
    CTempDir dir;
    const std::string path = dir.File("export.html");
    table.GetCell(0, 0)->SetText("<b>&");
    table.choice = Tabra::ID_SAVE_AS;
    std::vector<SBoxTexts> boxes;
    {
        CDialogCloser answer(SaveAsAnswer(dir.File("export"), boxes)); // the default extension is added
        RightClickRow(0);
    }
    const std::string html = ReadFile(path); // the bytes of the format are the model's; here its rows
    EXPECT_NE(html.find("<TD>&lt;b&gt;&amp;</TD>\r\n    <TD>500</TD>\r\n  </TR>"), std::string::npos) << html;
    EXPECT_NE(html.find("<TD>Row 049</TD>\r\n    <TD>10</TD>\r\n  </TR>\r\n</TABLE>"), std::string::npos);

    HANDLE lock = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    // The save dialog, the question to replace, the failure.
    CDialogCloser answer(SaveAsAnswer(path, boxes), 3);
    RightClickRow(0);
    ::CloseHandle(lock);
    ASSERT_FALSE(boxes.empty());
    const std::vector<std::string>& texts = boxes.back().texts;
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::string& t) {
        return t.rfind("Could not save " + path + ":\n", 0) == 0 && t.size() > path.size() + 17;
    })) << ::testing::PrintToString(texts);
    EXPECT_EQ(ReadFile(path), html);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1)
        << "no temporary file left";
}

} // namespace
