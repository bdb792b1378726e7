// In-place editing driven by real messages: the editor keys and the cell walk, the notifications that
// cancel or confirm, the integer and check-box editors, the enumeration's drop-down list, the editor
// following its cell, handles over many edits.
#include "table/view/CellEditors.h"
#include "table/view/ComboTable.h"
#include "table/view/ViewTestUtil.h"

#include <climits>

using namespace testsupport;
using namespace Tabra;

namespace {

// Column definitions outlive every table that uses them.
CStringCol g_note{kDrawLeft};
CBoolCol g_flag{kDrawCenter, "yes", "no", true};
CEnum g_kinds{"Delta\nAlpha\nCharlie\nBravo"};
CEnumCol g_kind{g_kinds.Get(), ENUM_TEXT};

// Columns: 0 Name (text), 1 Ping (integer, not editable), 2 Note (text), 3 Flag (check box).
class EditTest : public TableTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateFromPlaceholder(table, parent, 0));
        table.SetColumnCount(4);
        table.DefineColumn(0, &columns.name, "Name", 100);
        table.DefineColumn(1, &columns.ping, "Ping", 60);
        table.DefineColumn(2, &g_note, "Note", 100);
        table.DefineColumn(3, last, "Flag", 50);
        table.EndColumns(-1);
        table.SetEditable(true);
        table.SetColumnEditable(1, false);
        for (int i = 0; i < 20; ++i) {
            table.AddRow();
            table.GetCell(i, 0)->SetString("n" + std::to_string(i));
            table.GetCell(i, 2)->SetString("x" + std::to_string(i));
        }
        table.Update(true);
        ::SetFocus(table);
    }
    // Opens the editor of (row, col) as a click of the user would.
    void ClickCell(int row, int col) {
        RECT rc = table.Geometry().CellRect(row, col);
        Click(Body(), (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    }
    HWND Editor() { return ::GetWindow(Body(), GW_CHILD); }
    void Key(UINT key, bool shift = false) { SendKey(Editor(), key, shift); }
    std::pair<int, int> Cell() { return {table.GetCursorRow(), table.GetCursorColumn()}; }
    bool Has(int code) { return parent.Count(code) > 0; }

    CColDef* last = &g_flag;
};

TEST_F(EditTest, TabShiftTabPageDownWalkTheEditableCellsAndTabPastTheLastAsksTheParentOnce) {
    ClickCell(0, 0);
    ASSERT_TRUE(table.IsEditing());
    ASSERT_EQ(::GetFocus(), Editor());
    EXPECT_TRUE(table.HasFocusMark()) << "the control keeps its focused look";
    // Shift+Tab at the first editable cell stays; the integer column is not editable; Page Down moves one
    // row, not a page.
    const std::tuple<UINT, bool, int, int> walk[] = {
        {VK_TAB, true, 0, 0},  {VK_TAB, false, 0, 2}, {VK_TAB, false, 0, 3},
        {VK_TAB, false, 1, 0}, {VK_TAB, true, 0, 3},  {VK_NEXT, false, 1, 3},
    };
    for (auto [key, shift, row, col] : walk) {
        Key(key, shift);
        EXPECT_EQ(Cell(), std::make_pair(row, col)) << key << shift;
        EXPECT_TRUE(table.IsEditing());
    }
    // Tab past the last cell asks the parent once. No: the same row's first editable cell; a yes without a
    // row is one pass, no endless walk; yes: the row the parent added.
    for (auto [answer, addRow, row] : {std::tuple{0, false, 19}, {1, false, 19}, {1, true, 20}}) {
        table.EndEdit(true);
        parent.answers[TN_PASTLASTCELL] = answer;
        parent.onNotify = [&, addRow = addRow](int code, STableNotify&) {
            if (code == TN_PASTLASTCELL && addRow)
                table.AddRow();
        };
        table.SetCursor(19, 3);
        ASSERT_TRUE(table.StartEdit(false));
        parent.events.clear();
        Key(VK_TAB);
        EXPECT_EQ(Cell(), std::make_pair(row, 0)) << answer << addRow;
        EXPECT_EQ(parent.Count(TN_PASTLASTCELL), 1);
        EXPECT_TRUE(table.IsEditing());
    }
}

TEST_F(EditTest, EnterCommitsEscapeRestoresAndTheParentMayRefuse) {
    // the notification answered 1, the key, the text stored, the notifications
    const std::tuple<int, UINT, const char*, std::vector<int>> cases[] = {
        {0, VK_RETURN, "typed", {TN_ENDEDIT, TN_EDITSTORED}},
        {0, VK_ESCAPE, "x4", {TN_EDITCANCELLED}},
        {TN_ENDEDIT, VK_RETURN, "x4", {TN_ENDEDIT}},
    };
    for (const auto& [cancelCode, key, stored, codes] : cases) {
        parent.answers = {{cancelCode, 1}};
        table.GetCell(4, 2)->SetString("x4");
        ClickCell(4, 2);
        ASSERT_TRUE(table.IsEditing());
        ::SetWindowTextA(Editor(), "typed");
        parent.events.clear();
        Key(key);
        EXPECT_EQ(Editor(), nullptr) << "the edit window is gone";
        EXPECT_FALSE(table.IsEditing());
        EXPECT_EQ(table.GetCell(4, 2)->GetString(), stored);
        EXPECT_EQ(parent.Codes(), codes) << key;
    }
    parent.answers[TN_BEGINEDIT] = 1;
    ClickCell(5, 2);
    EXPECT_FALSE(table.IsEditing()) << "-105 answered non-zero";
    EXPECT_TRUE(Has(TN_BEGINEDIT));
}

TEST_F(EditTest, IntegerAndCheckEditorsStoreWhatWasEntered) {
    table.SetColumnEditable(1, true);
    for (auto [typed, stored] : {std::pair{"12ab", 12}, {"ab", 0}, {"-99999999999", INT_MIN}}) {
        ClickCell(7, 1);
        ::SetWindowTextA(Editor(), typed);
        Key(VK_RETURN);
        EXPECT_EQ(table.GetCell(7, 1)->GetInt(), stored) << typed;
    }
    // A check cell flips on the click that opens it; Escape restores, a click elsewhere commits.
    ClickCell(2, 3);
    EXPECT_TRUE(Has(TN_CHECKTOGGLED));
    EXPECT_EQ(::SendMessageA(Editor(), BM_GETCHECK, 0, 0), BST_CHECKED);
    Key(VK_ESCAPE);
    EXPECT_FALSE(table.GetCell(2, 3)->GetBool());
    ClickCell(2, 3);
    ClickCell(3, 0);
    EXPECT_TRUE(table.GetCell(2, 3)->GetBool());
    EXPECT_EQ(Cell(), std::make_pair(3, 0));
    // Destroying the control mid-edit drops what was typed.
    ASSERT_TRUE(table.IsEditing());
    ::SetWindowTextA(Editor(), "typed");
    table.DestroyWindow();
    EXPECT_FALSE(table.IsEditing());
    table.EndEdit(false);
    EXPECT_EQ(table.GetCell(3, 0)->GetString(), "n3");
}

TEST_F(EditTest, TheEditorStaysOnItsCellWhileTheTableScrolls) {
    for (int i = 0; i < 40; ++i)
        table.AddRow();
    table.Update(true);
    ClickCell(6, 2);
    auto onCell = [&] {
        const RECT rc = win::CWnd::FromHandle(Editor())->GetRectInParent(),
                   cell = table.Geometry().CellRect(6, 2);
        return rc.top == cell.top && rc.left == cell.left;
    };
    ASSERT_TRUE(onCell());
    ::SendMessageA(table, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_GT(table.Geometry().scrollY, 0);
    ::SendMessageA(Editor(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_TRUE(onCell()) << "bar and wheel";
    ::SendMessageA(table, WM_HSCROLL, SB_LINERIGHT, 0);
    ::SetWindowPos(table, nullptr, 0, 0, 200, 120, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(onCell()) << "columns and size";
}

DWORD g_now = 0;
DWORD FakeClock() {
    return g_now;
}

// Column 3 is an enumeration: rows Delta 0, Alpha 1, Charlie 2, Bravo 3 in list order.
class EnumEditTest : public EditTest {
protected:
    EnumEditTest() { last = &g_kind; }
    CComboTable* Combo() { return dynamic_cast<CComboTable*>(win::CWnd::FromHandle(Editor())); }
    std::string Chosen() { return Combo()->List().GetCellText(Combo()->GetCurSel(), 0); }
    // Opens the editor of (row, 3) by a click at x pixels left of the cell's right edge, the real pointer
    // along.
    void ClickEnum(int row, int fromRight) {
        RECT rc = table.Geometry().CellRect(row, 3);
        POINT pt{rc.right - fromRight, (rc.top + rc.bottom) / 2}, screen = pt;
        ::ClientToScreen(Body(), &screen);
        ::SetCursorPos(screen.x, screen.y);
        Click(Body(), pt.x, pt.y);
    }
    // Posts the keys to the editor and runs them: an open list takes them in its own loop.
    void Post(std::initializer_list<UINT> keys) {
        for (UINT key : keys)
            ::PostMessageA(Editor(), WM_KEYDOWN, key, 0);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
    }
};

TEST_F(EnumEditTest, TheListOpensFromButtonAndKeysAndChoosesOrCloses) {
    // Where the cell is clicked (5 pixels from the right: on the button, which opens the list), the
    // message and key that open it, whether a click on the parent closes it, the entry chosen.
    for (auto [fromRight, openMsg, openKey, clickOff, chosen] : {std::tuple{5, 0u, 0, false, "Alpha"},
                                                                 {40, WM_KEYDOWN, VK_F4, false, "Alpha"},
                                                                 {40, WM_SYSKEYDOWN, VK_DOWN, false, "Alpha"},
                                                                 {40, WM_KEYDOWN, VK_F4, true, "Delta"}}) {
        ClickEnum(1, fromRight);
        ASSERT_NE(Combo(), nullptr);
        parent.events.clear();
        if (openMsg)
            ::PostMessageA(Editor(), openMsg, openKey, 0);
        ::PostMessageA(Editor(), WM_KEYDOWN, VK_DOWN, 0); // one row down in the open list
        if (clickOff)
            ::PostMessageA(parent, WM_LBUTTONDOWN, MK_LBUTTON, At(1, 1));
        else
            ::PostMessageA(Editor(), WM_KEYDOWN, VK_RETURN, 0);
        Post({});
        EXPECT_TRUE(table.IsEditing()) << "Enter in the open list chooses, it does not commit";
        EXPECT_FALSE(Combo()->IsDropped() || ::IsWindowVisible(Combo()->List()));
        EXPECT_EQ(Chosen(), chosen) << openKey << clickOff;
        EXPECT_EQ(Has(TN_ENUMSELCHANGED), std::string(chosen) != "Delta");
        Key(VK_ESCAPE);
        EXPECT_EQ(table.GetCell(1, 3)->GetInt(), 0) << "Escape restores";
    }
}

TEST_F(EnumEditTest, TypingSelectsAndAPauseOfTwoSecondsStartsAgain) {
    ClickEnum(2, 40);
    Combo()->SetClock(FakeClock);
    const std::tuple<DWORD, char, const char*> steps[] = {
        {1000, 'c', "Charlie"}, {1500, 'H', "Charlie"}, {3600, 'b', "Bravo"},
        {3700, 'x', "Bravo"},   {5800, 'a', "Alpha"},   {7799, 'd', "Alpha"},
        {9799, 'd', "Delta"},   {9900, 'b', "Delta"},   {12000, 'b', "Bravo"},
    };
    for (const auto& [time, ch, chosen] : steps) {
        g_now = time;
        ::SendMessageA(Editor(), WM_CHAR, static_cast<WPARAM>(ch), 0);
        EXPECT_EQ(Chosen(), chosen) << time << ch;
    }
    Key(VK_RETURN);
    EXPECT_EQ(table.GetCell(2, 3)->GetInt(), 3) << "Bravo committed";
}

TEST_F(EnumEditTest, TheListOpensAboveACellNearTheScreenBottom) {
    RECT cell = table.Geometry().CellRect(0, 3), work = {};
    ::MapWindowPoints(Body(), HWND_DESKTOP, reinterpret_cast<POINT*>(&cell), 2);
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    // The parent, made at (20, 20), moved so that the cell's top is 30 pixels above the work area's bottom.
    ::SetWindowPos(parent, nullptr, 20, 20 + work.bottom - 30 - cell.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ClickEnum(0, 40);
    Post({VK_F4, VK_ESCAPE});
    const RECT list = Combo()->List().GetRectInParent(); // a popup: in screen coordinates
    EXPECT_GT(list.bottom - list.top, 4 * Combo()->List().Geometry().rowHeight);
    EXPECT_LE(list.bottom, work.bottom - 30) << "above the cell";
    EXPECT_GE(list.top, work.top);
}

TEST_F(EnumEditTest, ManyEditsAndDropDownsLeaveTheHandleCountsAlone) {
    auto cycle = [&](int row) {
        ClickCell(row, 0);
        Key(VK_RETURN);
        ClickEnum(row, 40);
        Post({VK_F4, VK_ESCAPE});
        Key(VK_RETURN);
    };
    auto handles = [] {
        return std::pair{::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS),
                         ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)};
    };
    cycle(0);
    const auto before = handles();
    for (int i = 0; i < 200; ++i)
        cycle(i % 10);
    EXPECT_EQ(handles(), before);
}

} // namespace
