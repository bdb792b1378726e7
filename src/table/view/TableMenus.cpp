// The table and column popup menus of the table control: their items and their commands.
#include "table/view/TableCtrl.h"

#include <algorithm>

namespace Tabra {

namespace {

constexpr char kNone[] = "~(none)";

} // namespace

UINT CTableCtrl::TrackMenu(win::CPopupMenu& menu, POINT screenPt) {
    return menu.Track(m_hwnd, screenPt.x, screenPt.y, TPM_RIGHTBUTTON);
}

std::string CTableCtrl::MenuName(int col) {
    const STableColumn& c = Column(col);
    std::string name = c.header2.empty() ? c.header : c.header2;
    std::replace(name.begin(), name.end(), '\n', ' ');
    return name;
}

void CTableCtrl::BuildTablePopupMenu(win::CPopupMenu* menu, int row, int col) {
    for (const win::SMenuItem& item : win::ParseMenuText(kTableMenuText, ID_COPY_CELL)) {
        if (item.separator) {
            menu->AppendSeparator(item.id);
        } else if (item.id == ID_SHOW_COLUMN) {
            win::CPopupMenu show;
            show.AppendItem("&All columns", ID_SHOW_ALL);
            show.AppendSeparator();
            int hidden = 0;
            for (int c = 0; c < GetColumnCount(); ++c) {
                if (!Column(c).visible && !(Column(c).header.empty() && Column(c).header2.empty())) {
                    show.AppendItem(MenuName(c).c_str(), static_cast<UINT>(ID_SHOW_FIRST + c));
                    ++hidden;
                }
            }
            if (hidden == 0) {
                show = win::CPopupMenu();
                show.AppendItems(kNone, 0);
            }
            menu->AppendSubMenu(item.text.c_str(), std::move(show));
        } else if (item.id == ID_HIDE_COLUMN) {
            win::CPopupMenu hide;
            int named = 0;
            for (int p = 0; p < GetColumnCount(); ++p) {
                int c = m_geo.ColumnAt(p);
                if (Column(c).visible && !(Column(c).header.empty() && Column(c).header2.empty())) {
                    hide.AppendItem(MenuName(c).c_str(), static_cast<UINT>(ID_HIDE_FIRST + c));
                    ++named;
                }
            }
            if (named < 2) {
                hide = win::CPopupMenu();
                hide.AppendItems(kNone, 0);
            }
            menu->AppendSubMenu(item.text.c_str(), std::move(hide));
        } else {
            menu->AppendItem(item.text.c_str(), item.id);
        }
    }
    if (!IsValidRow(row) || !IsValidColumn(col))
        menu->EnableItem(ID_COPY_CELL, false);
    if (m_selection.GetMode() == CSelection::MODE_NONE)
        menu->RemoveItem(ID_COPY);
    if (m_selection.GetMode() != CSelection::MODE_MULTIPLE)
        menu->RemoveItem(ID_SELECT_ALL);
}

void CTableCtrl::ShowAllNamed() {
    for (STableColumn& c : m_geo.columns)
        if (!c.header.empty())
            c.visible = true;
}

void CTableCtrl::OnTablePopupCommand(int command, int row, int col) {
    int count = GetColumnCount();
    switch (command) {
    case ID_COPY_CELL:
        if (IsValidRow(row) && IsValidColumn(col))
            CopyCell(row, col);
        return;
    case ID_COPY:
        CopyRows(false);
        return;
    case ID_COPY_ALL:
        CopyRows(true);
        return;
    case ID_SELECT_ALL:
        SelectAll();
        return;
    case ID_SHOW_ALL:
        ShowAllNamed();
        Update(true);
        return;
    case ID_RESTORE_DEFAULT:
        for (int c = 0; c < count; ++c)
            MoveColumn(c, c);
        AutoSizeAll(true);
        ShowAllNamed();
        Update(true);
        return;
    case ID_SAVE_AS:
        SaveAs();
        return;
    default:
        break;
    }
    if (command >= ID_SHOW_FIRST && command < ID_SHOW_FIRST + count) {
        Column(command - ID_SHOW_FIRST).visible = true;
        Update(true);
    } else if (command >= ID_HIDE_FIRST && command < ID_HIDE_FIRST + count) {
        Column(command - ID_HIDE_FIRST).visible = false;
        Update(true);
    }
}

void CTableCtrl::BuildColumnPopupMenu(win::CPopupMenu* menu, int col) {
    if (!IsValidColumn(col)) {
        menu->AppendItems("~Todo: Implementieren", ID_NOT_IMPLEMENTED);
        return;
    }
    if (m_look.headerSort) {
        menu->AppendItems(kColumnMenuText, ID_SORT_ASCENDING);
        menu->CheckRadioItem(ID_SORT_ASCENDING, ID_SORT_NONE,
                             static_cast<UINT>(ID_SORT_ASCENDING + m_sortKeys.GetDirection(col)));
    } else {
        menu->AppendItem("Hide", ID_HIDE);
    }
    int visible = static_cast<int>(std::count_if(m_geo.columns.begin(), m_geo.columns.end(),
                                                 [](const STableColumn& c) { return c.visible; }));
    if (visible <= 1)
        menu->EnableItem(ID_HIDE, false);
}

void CTableCtrl::OnColumnPopupCommand(int command, int col) {
    if (command >= ID_SORT_ASCENDING && command <= ID_SORT_NONE) {
        if (Notify(TN_SORTING, -1, col))
            return;
        CSortKeys keys = m_sortKeys;
        keys.SetDirection(col, command - ID_SORT_ASCENDING);
        Sort(keys);
        Notify(TN_SORTED, -1, col);
        Update(true);
    } else if (command == ID_HIDE && IsValidColumn(col)) {
        Column(col).visible = false;
        Update(true);
    }
}

} // namespace Tabra
