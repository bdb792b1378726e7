// CTableCtrlInterface: the operation set the application calls on a table control, its notification
// record and codes, and the command ids of the table and column popup menus.
//
// The base forwards every operation to another CTableCtrlInterface, so a plain CTableCtrlInterface
// pointing at a control is a handle that stands in for it; CTableCtrl implements them all itself.
#pragma once

#include "table/model/Layout.h"
#include "table/model/TableInterface.h"

#include <windows.h>

#include <commdlg.h>

#include <string>

// commdlg.h maps FindText to its find dialog; the table operation of that name wins here.
#undef FindText

namespace Tabra {

class CCellInput;
class CCellOutput;
class CColDef;

// Notification codes (WM_NOTIFY, the control id as idFrom).
enum TableNotifyCode : int {
    TN_CLICK = -2,
    TN_DBLCLK = -3,
    TN_SETFOCUS = -7,
    TN_KILLFOCUS = -8,
    TN_KEYDOWN = -15, // carries an NMKEY instead of STableNotify
    TN_RELEASEDCAPTURE = -16,
    TN_BEGINEDIT = -105,
    TN_ENDEDIT = -106,
    TN_BODYTIP = -157,
    TN_SELCHANGING = -2000,
    TN_SELCHANGED = -2001,
    TN_SORTING = -2004,
    TN_SORTED = -2005,
    TN_TABLEMENU = -2006,
    TN_COLUMNMENU = -2007,
    TN_TABLECOMMAND = -2008,
    TN_COLUMNCOMMAND = -2009,
    TN_EDITCANCELLED = -2012,
    TN_PASTLASTCELL = -2013,
    TN_HEADERTIP = -2015,
    TN_EDITSTORED = -2019,
    TN_ENUMOPENED = -2101,
    TN_CHECKTOGGLED = -2102,
    TN_ENUMSELCHANGED = -2103,
};

// The record of every notification but TN_KEYDOWN. A nonzero answer of the parent cancels or
// overrides where the code allows it.
struct STableNotify {
    NMHDR hdr = {};
    int row = -1;
    int col = -1;
    std::string text;
    int command = 0;
    void* pointer = nullptr; // the popup menu (win::CPopupMenu*) for the menu codes
    int x = -1;              // mouse position in the control's client coordinates
    int y = -1;
    int key = -1; // GetKey(row), -1 without row
};

// Table popup menu.
enum TableMenuId : int {
    ID_COPY_CELL = 57345,
    ID_COPY = 57346,
    ID_COPY_ALL = 57347,
    ID_SELECT_ALL = 57348,
    ID_SHOW_COLUMN = 57350,
    ID_HIDE_COLUMN = 57351,
    ID_RESTORE_DEFAULT = 57352,
    ID_SAVE_AS = 57354,
    ID_SHOW_ALL = 57443,
    ID_SHOW_FIRST = 57444, // + column
    ID_HIDE_FIRST = 57844, // + column
};

// Column popup menu.
enum ColumnMenuId : int {
    ID_SORT_ASCENDING = 57357,
    ID_SORT_DESCENDING = 57358,
    ID_SORT_NONE = 57359,
    ID_HIDE = 57361,
    ID_NOT_IMPLEMENTED = 1,
};

constexpr char kTableMenuText[] =
    "Copy cell;Copy;Copy all;Select all;-;Show column;Hide column;Restore default;-;Save as ...;";
constexpr char kColumnMenuText[] = "Ascending;Descending;No sort;-;Hide";
constexpr char kSaveFilter[] = "Html Dateien (*.html)|*.html|Alle Dateien (*.*)|*.*||";

class CTableCtrlInterface : public CTableInterface {
public:
    explicit CTableCtrlInterface(CTableCtrlInterface* ctrl = nullptr) : CTableInterface(ctrl), m_ctrl(ctrl) {}

    using CTableInterface::AddColumn;

    virtual void Update(bool keepSort) { m_ctrl->Update(keepSort); }
    virtual void EndColumns(int keyColumn) { m_ctrl->EndColumns(keyColumn); }
    virtual int AddColumn(CColDef* def, const char* header, int width) {
        return m_ctrl->AddColumn(def, header, width);
    }
    virtual void SetColumnOutput(int col, CCellOutput* output, CCellInput* input, const char* header,
                                 int width) {
        m_ctrl->SetColumnOutput(col, output, input, header, width);
    }
    virtual void DefineColumn(int col, CColDef* def, const char* header, int width) {
        m_ctrl->DefineColumn(col, def, header, width);
    }
    virtual void GetLayout(CWordArray& out) { m_ctrl->GetLayout(out); }
    virtual bool SetLayout(const CWordArray& in) { return m_ctrl->SetLayout(in); }
    virtual int GetCtrlID() { return m_ctrl->GetCtrlID(); }
    virtual void SetLeparello(bool on) { m_ctrl->SetLeparello(on); }
    virtual bool GetLeparello() { return m_ctrl->GetLeparello(); }
    virtual void SetHorzGrid(bool on) { m_ctrl->SetHorzGrid(on); }
    virtual void SetVertGrid(bool on) { m_ctrl->SetVertGrid(on); }
    virtual bool HasHorzGrid() { return m_ctrl->HasHorzGrid(); }
    virtual bool HasVertGrid() { return m_ctrl->HasVertGrid(); }
    virtual void ShowHeader(bool show) { m_ctrl->ShowHeader(show); }
    virtual void SetHeaderSort(bool on) { m_ctrl->SetHeaderSort(on); }
    virtual bool GetHeaderSort() { return m_ctrl->GetHeaderSort(); }
    virtual CSortKeys GetSortKeys() { return m_ctrl->GetSortKeys(); }
    virtual void SetHeader(int col, const std::string& text, int flags) {
        m_ctrl->SetHeader(col, text, flags);
    }
    virtual void SetHeaderFlags(int col, int flags) { m_ctrl->SetHeaderFlags(col, flags); }
    virtual std::string GetHeaderText(int col) { return m_ctrl->GetHeaderText(col); }
    virtual int GetHeaderFlags(int col) { return m_ctrl->GetHeaderFlags(col); }
    virtual void SetWidth(int col, int width) { m_ctrl->SetWidth(col, width); }
    virtual void AutoSizeAll(bool withHeader) { m_ctrl->AutoSizeAll(withHeader); }
    virtual void AutoSize(int col, bool withHeader) { m_ctrl->AutoSize(col, withHeader); }
    virtual void SetWidthLimits(int col, int minWidth, int maxWidth) {
        m_ctrl->SetWidthLimits(col, minWidth, maxWidth);
    }
    virtual int GetMinWidth(int col) { return m_ctrl->GetMinWidth(col); }
    virtual int GetMaxWidth(int col) { return m_ctrl->GetMaxWidth(col); }
    virtual int GetWidth(int col) { return m_ctrl->GetWidth(col); }
    virtual void SetColumnsResizable(bool on) { m_ctrl->SetColumnsResizable(on); }
    virtual bool GetColumnsResizable() { return m_ctrl->GetColumnsResizable(); }
    virtual void SetColumnsMovable(bool on) { m_ctrl->SetColumnsMovable(on); }
    virtual bool GetColumnsMovable() { return m_ctrl->GetColumnsMovable(); }
    virtual void FitColumns() { m_ctrl->FitColumns(); }
    virtual void SetColumnVisible(int col, bool visible) { m_ctrl->SetColumnVisible(col, visible); }
    virtual std::string GetCellText(int row, int col) { return m_ctrl->GetCellText(row, col); }
    virtual int FindText(int col, const std::string& prefix, int after) {
        return m_ctrl->FindText(col, prefix, after);
    }
    virtual int GetSelectedRow() { return m_ctrl->GetSelectedRow(); }
    virtual void SetSelectedRow(int row) { m_ctrl->SetSelectedRow(row); }
    virtual void SetKey(int row, int value) { m_ctrl->SetKey(row, value); }
    virtual int GetKey(int row) { return m_ctrl->GetKey(row); }
    virtual int FindKey(int value) { return m_ctrl->FindKey(value); }

protected:
    // For a control that implements every operation itself: the table operations go to its table.
    void SetTableTarget(CTableInterface* table) {
        SetTarget(table);
        m_ctrl = nullptr;
    }

private:
    CTableCtrlInterface* m_ctrl;
};

} // namespace Tabra
