// CTableCtrl: the table control. A child window that shows one CTable through a header pane and a
// body pane with two scroll bars and a tooltip, and implements CTableCtrlInterface for the
// application.
//
// Every user action (mouse, keyboard, focus, menu) runs in a user-action scope: only then are
// notifications sent to the parent, so operations called by the parent never notify.
#pragma once

#include "table/model/Appearance.h"
#include "table/model/Table.h"
#include "table/view/CellInput.h"
#include "table/view/CellOutput.h"
#include "table/view/HeaderDisplay.h"
#include "table/view/TableCtrlInterface.h"
#include "table/view/TableDisplay.h"
#include "win/PopupMenu.h"
#include "win/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace Tabra {

// The appearance values stored for the table library under HKCU "Software\Quandolin\Tabra".
CAppearance ReadAppearance();
constexpr char APPEARANCE_KEY[] = "Software\\Quandolin\\Tabra";

class CTableCtrl : public win::CWnd, public CTableCtrlInterface {
public:
    static constexpr int HEADER_HEIGHT = CHeaderDisplay::HEIGHT;
    enum SelectionMode { SELECT_NONE = 0, SELECT_SINGLE = 1, SELECT_MULTIPLE = 2 };
    enum CursorMode { CURSOR_NONE = 0, CURSOR_ROW = 1, CURSOR_CELL = 2 };

    // Reads the appearance values.
    CTableCtrl();
    ~CTableCtrl() override;

    // Replaces the dialog item id of parent by the control: its place, tab order and id. Style bit 0x4
    // gives single selection, 0x4000 hides the header, 0x8000 forbids sorting by header.
    bool Create(HWND parent, int id);

    virtual bool IsColumnVisible(int col);
    virtual void MoveColumn(int col, int position);
    virtual int NextVisiblePosition(int position);
    virtual int PrevVisiblePosition(int position);
    virtual void BuildTablePopupMenu(win::CPopupMenu* menu, int row, int col);
    virtual void OnTablePopupCommand(int command, int row, int col);
    virtual void BuildColumnPopupMenu(win::CPopupMenu* menu, int col);
    virtual void OnColumnPopupCommand(int command, int col);
    virtual void AllowHScroll(bool allow);
    virtual void AllowVScroll(bool allow);

    // Table operations the control extends.
    void SetColumnCount(int count) override;
    void BuildLayout() override { EndColumns(-1); }
    void Reset() override;
    void Sort(const CSortKeys& keys) override;

    // CTableCtrlInterface.
    void Update(bool keepSort) override;
    void EndColumns(int keyColumn) override;
    using CTableCtrlInterface::AddColumn;
    int AddColumn(CColDef* def, const char* header, int width) override;
    void SetColumnOutput(int col, CCellOutput* output, CCellInput* input, const char* header,
                         int width) override;
    void DefineColumn(int col, CColDef* def, const char* header, int width) override;
    void GetLayout(CWordArray& out) override;
    bool SetLayout(const CWordArray& in) override;
    int GetCtrlID() override { return GetDlgCtrlID(); }
    void SetLeparello(bool on) override;
    bool GetLeparello() override { return m_leparello; }
    void SetHorzGrid(bool on) override;
    void SetVertGrid(bool on) override { m_vertGrid = on ? m_gridWidth : 0; }
    bool HasHorzGrid() override { return m_horzGrid != 0; }
    bool HasVertGrid() override { return m_vertGrid != 0; }
    void ShowHeader(bool show) override { m_headerShown = show; }
    void SetHeaderSort(bool on) override { m_headerSort = on; }
    bool GetHeaderSort() override { return m_headerSort; }
    CSortKeys GetSortKeys() override { return m_sortKeys; }
    void SetHeader(int col, const std::string& text, int flags) override;
    void SetHeaderFlags(int col, int flags) override;
    std::string GetHeaderText(int col) override { return Column(col).header; }
    int GetHeaderFlags(int col) override { return Column(col).headerFlags; }
    void SetWidth(int col, int width) override;
    void AutoSizeAll(bool withHeader) override;
    void AutoSize(int col, bool withHeader) override;
    void SetWidthLimits(int col, int minWidth, int maxWidth) override;
    int GetMinWidth(int col) override { return Column(col).minWidth; }
    int GetMaxWidth(int col) override { return Column(col).maxWidth; }
    int GetWidth(int col) override { return Column(col).width; }
    void SetColumnsResizable(bool on) override { m_resizable = on; }
    bool GetColumnsResizable() override { return m_resizable; }
    void SetColumnsMovable(bool on) override { m_movable = on; }
    bool GetColumnsMovable() override { return m_movable; }
    void FitColumns() override;
    void SetColumnVisible(int col, bool visible) override { Column(col).visible = visible; }
    std::string GetCellText(int row, int col) override;
    int FindText(int col, const std::string& prefix, int after) override;
    int GetSelectedRow() override;
    void SetSelectedRow(int row) override;
    void SetKey(int row, int value) override { GetCell(row, m_keyColumn)->SetInt(value); }
    int GetKey(int row) override;
    int FindKey(int value) override;

    // Operations the application calls on the control itself.
    void EnsureVisible(int row, int col);
    void SetEditable(bool editable);
    void SetColumnEditable(int col, bool editable);
    void SetCursor(int row, int col);
    // In-place editing opens no editor yet: StartEdit answers whether one is open.
    bool StartEdit(bool selectAll);
    void EndEdit(bool cancel);

    // Selection and cursor state.
    int GetSelectionMode() const { return m_selectionMode; }
    // Clears the selection; the anchor stays.
    void SetSelectionMode(int mode);
    int GetAnchor();
    int GetCursorRow();
    int GetCursorColumn();
    int GetCursorMode() const { return m_cursorMode; }
    // The click rules of the selection: flags MK_SHIFT and MK_CONTROL, notifying -2000 and -2001.
    void ApplyClick(UINT flags, int row);
    const std::string& GetTypeAhead() const { return m_typeAhead; }

    // Geometry shared by the panes (pixels; positions are display positions).
    int GetScrollX() const { return m_scrollX; }
    int GetScrollY() const { return m_scrollY; }
    void SetScrollX(int x);
    void SetScrollY(int y);
    int MaxScrollX() const;
    int MaxScrollY() const;
    void ScrollRows(int code);
    void ScrollColumns(int code);
    int GetRowHeight() const { return m_rowHeight; }
    int GetBodyWidth() const { return m_bodyWidth; }
    int GetBodyHeight() const { return m_bodyHeight; }
    int TotalColumnsWidth();
    int PositionAtX(int contentX);
    int LeftEdge(int position);
    int PositionOf(int col) const;
    int ColumnAt(int position) const { return m_order[static_cast<size_t>(position)]; }
    bool IsValidPosition(int position) const { return position >= 0 && position < GetColumnCount(); }
    // Column id at body x, -1 outside the columns.
    int ColumnAtBodyX(int x);
    int RowAtY(int bodyY) const;
    int RowTop(int row) const { return row * m_rowHeight - m_scrollY; }
    // Lays the panes and bars out for a client size.
    void Layout(int width, int height);
    // Update(true) as the panes use it.
    void Refresh() { Update(true); }

    // Look.
    const CAppearance& GetAppearance() const { return m_appearance; }
    int GetHorzGridWidth() const { return m_horzGrid; }
    int GetVertGridWidth() const { return m_vertGrid; }
    HBRUSH GetGridBrush() const { return m_gridBrush; }
    HBRUSH GetRowBrush(int parity) const { return m_rowBrush[parity]; }
    HBRUSH GetSelectionBrush(int parity) const { return m_selBrush[parity]; }
    HFONT GetFont() const { return m_colors.font; }
    int MarginLeft() const { return m_marginLeft; }
    int MarginRight() const { return m_marginRight; }
    int MarginTop() const { return m_marginTop; }
    int MarginBottom() const { return m_marginBottom; }
    bool IsHeaderShown() const { return m_headerShown; }
    bool HasFocusMark() const { return m_focused; }
    const std::string& GetSecondHeader(int col) { return Column(col).header2; }
    CCellOutput* GetOutput(int col) { return Column(col).output.get(); }

    CHeaderDisplay& Header() { return m_header; }
    CTableDisplay& Body() { return m_body; }
    HWND GetToolTip() const { return m_toolTip; }
    HWND GetScrollBar(int bar) const { return bar == SB_VERT ? m_vbar : m_hbar; }
    CTable& Model() { return m_table; }

    // Sends a notification when inside a user action; answers the parent's result (0 outside).
    LRESULT Notify(int code, STableNotify& record);
    LRESULT Notify(int code, int row = -1, int col = -1);
    bool IsNotifying() const { return m_notify; }

    // Shows a popup menu at a screen point and answers the chosen id (0 for none). A class derived
    // for tests may choose without showing the menu.
    virtual UINT TrackMenu(win::CPopupMenu& menu, POINT screenPt);

    // The user-action scope: notifications are on while one is alive.
    class CUserAction {
    public:
        explicit CUserAction(CTableCtrl& ctrl) : m_ctrl(ctrl), m_previous(ctrl.m_notify) {
            ctrl.m_notify = true;
        }
        ~CUserAction() { m_ctrl.m_notify = m_previous; }
        CUserAction(const CUserAction&) = delete;
        CUserAction& operator=(const CUserAction&) = delete;

    private:
        CTableCtrl& m_ctrl;
        bool m_previous;
    };

    // Cursor (current cell) setters used by the panes.
    void SetCursorRow(int row);
    void SetCursorColumn(int col) { m_cursorCol = col; }

protected:
    int OnCreate(CREATESTRUCTA* cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnHScroll(UINT code, int pos, HWND scrollBar) override;
    void OnVScroll(UINT code, int pos, HWND scrollBar) override;
    void OnMouseWheel(UINT flags, short delta, POINT pt) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void OnTimer(UINT_PTR id) override;
    UINT OnGetDlgCode() override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
    void OnSetFocus(HWND oldFocus) override;
    void OnKillFocus(HWND newFocus) override;
    void OnContextMenu(HWND window, POINT screenPt) override;
    void OnRenderFormat(UINT format) override;
    void OnRenderAllFormats() override;

private:
    struct SColumn {
        bool visible = false;
        bool editable = false;
        int width = 0;
        int minWidth = 0;
        int maxWidth = 4096;
        int minLimit = 0;
        int maxLimit = 4096;
        std::unique_ptr<CCellOutput> output;
        std::unique_ptr<CCellInput> input;
        std::string header;
        int headerFlags = DRAW_LEFT;
        std::string header2;
    };

    SColumn& Column(int col) { return m_columns[static_cast<size_t>(col)]; }
    void MeasureColumns();
    CColumnSet ColumnSet();
    std::string MenuName(int col);
    void ShowAllNamed();
    void CopyCell(int row, int col);
    void AnnounceCopy(bool all);
    void SaveAs();
    std::string CopyContent();
    void DeselectAll();
    bool OnToolTipText(NMTTDISPINFOA* info);
    void PlaceWindow(HWND hwnd, bool condition, int x, int y, int w, int h);
    void RedrawBody();

    CTable m_table;
    std::vector<SColumn> m_columns;
    std::vector<int> m_order;
    int m_keyColumn = -1;
    int m_marginLeft = 5;
    int m_marginRight = 5;
    int m_marginTop = 1;
    int m_marginBottom = 1;
    CAppearance m_appearance;
    int m_horzGrid = 0;
    int m_vertGrid = 1;
    int m_gridWidth = 1;
    bool m_leparello = true;
    CSortKeys m_sortKeys;
    int m_selectionMode = SELECT_MULTIPLE;
    int m_anchor = -1;
    int m_rowHeight = 1;
    int m_cursorMode = CURSOR_ROW;
    int m_cursorRow = -1;
    CRow* m_cursorRecord = nullptr;
    int m_cursorCol = -1;
    bool m_editing = false;
    bool m_focused = false;
    bool m_notify = false;

    bool m_headerShown = true;
    bool m_headerSort = true;
    bool m_resizable = true;
    bool m_movable = true;
    bool m_hscrollAllowed = true;
    bool m_vscrollAllowed = true;
    int m_scrollX = 0;
    int m_scrollY = 0;
    int m_bodyWidth = 0;
    int m_bodyHeight = 0;

    CColorSet m_colors;
    HBRUSH m_rowBrush[2] = {};
    HBRUSH m_selBrush[2] = {};
    HBRUSH m_gridBrush = nullptr;

    bool m_copyAll = false;
    std::string m_typeAhead;
    int m_typeAheadCountdown = 0;

    CTableDisplay m_body;
    CHeaderDisplay m_header;
    HWND m_hbar = nullptr;
    HWND m_vbar = nullptr;
    HWND m_toolTip = nullptr;
};

} // namespace Tabra
