// Test rig of the table control: a real top-level parent window that records the control's
// notifications and answers them as told, a control made from a placeholder child whose popup menus
// choose a command instead of showing themselves, and the mouse and keyboard helpers that drive it.
#pragma once

#include "support/Win.h"
#include "table/model/ColDef.h"
#include "table/view/TableCtrl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

constexpr int kTableId = 1001;

// A notification of the table: its code and record (the virtual key in command for TN_KEYDOWN).
struct SEvent {
    int code, row, col, command, x, y, key;
    std::string text;
};

class CParent : public win::CWnd {
public:
    CParent() { CreateTopWindow(*this); }

    std::vector<SEvent> events;
    std::map<int, LRESULT> answers; // code -> answer
    std::function<void(int code, Tabra::STableNotify&)> onNotify;

    std::vector<int> Codes() const {
        std::vector<int> codes(events.size());
        std::ranges::transform(events, codes.begin(), &SEvent::code);
        return codes;
    }
    int Count(int code) const { return static_cast<int>(std::ranges::count(Codes(), code)); }

protected:
    bool OnNotify(NMHDR* header, LRESULT& result) override {
        const int code = static_cast<int>(header->code);
        if (header->idFrom != kTableId)
            return false;
        if (code == Tabra::TN_KEYDOWN) {
            events.push_back(
                {code, -1, -1, static_cast<int>(reinterpret_cast<NMKEY*>(header)->nVKey), -1, -1, -1, {}});
        } else {
            auto* record = reinterpret_cast<Tabra::STableNotify*>(header);
            if (onNotify)
                onNotify(code, *record);
            events.push_back({code, record->row, record->col, record->command, record->x, record->y,
                              record->key, record->text});
        }
        result = answers.count(code) ? answers[code] : 0;
        return true;
    }
};

// Popup menus record their items and answer `choice` instead of running a modal menu loop.
class CTestTable : public Tabra::CTableCtrl {
public:
    UINT choice = 0;
    std::vector<SMenuRead> lastMenu;
    POINT lastPoint{};
    int menusShown = 0;

    UINT TrackMenu(win::CPopupMenu& menu, POINT screenPt) override {
        lastMenu = ReadMenu(menu.GetHandle());
        lastPoint = screenPt;
        ++menusShown;
        return choice;
    }
};

// A menu as text: "text#id;" per item, "-;" per separator, "~text;" for a disabled item and "*" before a
// checked one, a submenu's items in braces after its text.
inline std::string MenuText(const std::vector<SMenuRead>& menu) {
    std::string text;
    for (const SMenuRead& item : menu) {
        text += item.separator ? "-"
                               : (item.checked ? "*" : "") + std::string(item.grayed ? "~" : "") + item.text;
        if (!item.sub.empty())
            text += "{" + MenuText(item.sub) + "}";
        else if (!item.grayed && !item.separator)
            text += "#" + std::to_string(item.id);
        text += ";";
    }
    return text;
}

// Columns: 0 "Name" (text), 1 "Ping" (integer, right aligned), 2 "Key" (integer, hidden key column).
struct SColumns {
    Tabra::CStringCol name{Tabra::kDrawLeft};
    Tabra::CIntCol ping{Tabra::kDrawRight};
    Tabra::CIntCol key{Tabra::kDrawRight};
};

// Makes a placeholder child of parent with the given style bits and replaces it by table.
inline bool CreateFromPlaceholder(Tabra::CTableCtrl& table, HWND parent, DWORD style,
                                  RECT rc = {10, 10, 610, 410}, int id = kTableId) {
    HWND placeholder =
        ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | style, rc.left, rc.top, rc.right - rc.left,
                          rc.bottom - rc.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          ::GetModuleHandleA(nullptr), nullptr);
    return placeholder && table.Create(parent, id);
}

// Defines the three columns and fills rows named "Row 000".. with ping (rows - i) * 10 and key 100 + i.
inline void Fill(Tabra::CTableCtrl& table, SColumns& columns, int rows) {
    table.SetColumnCount(3);
    table.DefineColumn(0, &columns.name, "Name", 120);
    table.DefineColumn(1, &columns.ping, "Ping", 60);
    table.DefineColumn(2, &columns.key, nullptr, 40);
    table.EndColumns(2);
    for (int i = 0; i < rows; ++i) {
        table.AddRow()->Cell(0)->SetString("Row " + std::to_string(1000 + i).substr(1));
        table.GetCell(i, 1)->SetInt((rows - i) * 10);
        table.SetKey(i, 100 + i);
    }
    table.Update(true);
}

inline void Click(HWND pane, int x, int y, UINT flags = 0) {
    ::SendMessageA(pane, WM_LBUTTONDOWN, MK_LBUTTON | flags, At(x, y));
    ::SendMessageA(pane, WM_LBUTTONUP, flags, At(x, y));
}

// The context menu message of a right click at a client point of a pane.
inline void RightClick(HWND pane, POINT pt) {
    ::ClientToScreen(pane, &pt);
    ::SendMessageA(pane, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(pane), At(pt.x, pt.y));
}

// The client point of the middle of row in the body of table.
inline POINT RowPoint(Tabra::CTableCtrl& table, int row, int x = 20) {
    return POINT{x, table.Geometry().RowTop(row) + table.Geometry().rowHeight / 2};
}

inline std::vector<int> SelectedRows(Tabra::CTableCtrl& table) {
    std::vector<int> rows;
    for (int r = 0; r < table.GetRowCount(); ++r)
        if (table.IsSelected(r))
            rows.push_back(r);
    return rows;
}

// A key-down to hwnd with Shift and Ctrl held as given, as GetKeyState reports them on this thread.
inline void SendKey(HWND hwnd, UINT key, bool shift = false, bool ctrl = false) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    ::SetKeyboardState(keys);
    ::SendMessageA(hwnd, WM_KEYDOWN, key, 0);
    keys[VK_SHIFT] = keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
}

// A focused table of `rows` filled rows made from a placeholder with the given style bits.
class TableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateFromPlaceholder(table, parent, 0));
        Fill(table, columns, 50);
        ::SetFocus(table);
        parent.events.clear();
    }
    HWND Body() { return table.Body(); }
    HWND Header() { return table.Header(); }
    void ClickRow(int row, UINT flags = 0) {
        const POINT p = RowPoint(table, row);
        Click(Body(), p.x, p.y, flags);
    }

    SColumns columns;
    CParent parent;
    CTestTable table;
};

} // namespace testsupport
