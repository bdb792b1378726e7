// CTableCtrl: the table control. A child window that shows one CTable through a header pane and a
// body pane with two scroll bars and a tooltip, and implements CTableCtrlInterface for the
// application.
//
// The panes see the control only as a CTablePaneSite: the shared geometry and look, the rows, and a
// few operations. The menus live in TableMenus.cpp, copying and export in TableCopy.cpp.
#pragma once

#include "table/model/Appearance.h"
#include "table/model/Selection.h"
#include "table/model/Table.h"
#include "table/view/EditController.h"
#include "table/view/HeaderDisplay.h"
#include "table/view/TableCtrlInterface.h"
#include "table/view/TableDisplay.h"
#include "table/view/TableGeometry.h"
#include "table/view/TablePaneSite.h"
#include "win/PopupMenu.h"
#include "win/Window.h"

#include <string>

namespace Tabra {

class CTableCtrl : public win::CWnd,
                   public CTableCtrlInterface,
                   private CTablePaneSite,
                   private CSelectionListener {
public:
    static constexpr int kHeaderHeight = CHeaderDisplay::kHeight; // at 96 DPI

    // Reads the appearance values.
    CTableCtrl();
    ~CTableCtrl() override;

    // Replaces the dialog item id of parent by the control: its place, tab order and id. Style bit 0x4
    // gives single selection, 0x4000 hides the header, 0x8000 forbids sorting by header. The control
    // draws with the parent's font at the DPI of its monitor; column widths given later are at 96 DPI.
    bool Create(HWND parent, int id);
    // Creates the control as a hidden top-level tool window in single selection: a drop-down list.
    bool CreatePopup();

    virtual bool IsColumnVisible(int col);
    void MoveColumn(int col, int position) override;
    virtual int NextVisiblePosition(int position) { return m_geo.NextVisiblePosition(position); }
    virtual int PrevVisiblePosition(int position) { return m_geo.PrevVisiblePosition(position); }
    void BuildTablePopupMenu(win::CPopupMenu* menu, int row, int col) override;
    void OnTablePopupCommand(int command, int row, int col) override;
    void BuildColumnPopupMenu(win::CPopupMenu* menu, int col) override;
    void OnColumnPopupCommand(int command, int col) override;
    virtual void AllowHScroll(bool allow) { m_hscrollAllowed = allow; }
    virtual void AllowVScroll(bool allow) { m_vscrollAllowed = allow; }

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
    bool GetLeparello() override { return m_look.leparello; }
    void SetHorzGrid(bool on) override;
    void SetVertGrid(bool on) override { m_geo.vertGrid = on ? m_geo.gridWidth : 0; }
    bool HasHorzGrid() override { return m_geo.horzGrid != 0; }
    bool HasVertGrid() override { return m_geo.vertGrid != 0; }
    void ShowHeader(bool show) override { m_look.headerShown = show; }
    void SetHeaderSort(bool on) override { m_look.headerSort = on; }
    bool GetHeaderSort() override { return m_look.headerSort; }
    CSortKeys GetSortKeys() override { return m_sortKeys; }
    void SetHeader(int col, const std::string& text, int flags) override;
    void SetHeaderFlags(int col, int flags) override;
    std::string GetHeaderText(int col) override { return m_geo.Column(col).header; }
    int GetHeaderFlags(int col) override { return m_geo.Column(col).headerFlags; }
    void SetWidth(int col, int width) override;
    void AutoSizeAll(bool withHeader) override;
    void AutoSize(int col, bool withHeader) override;
    void SetWidthLimits(int col, int minWidth, int maxWidth) override;
    int GetMinWidth(int col) override { return m_geo.Column(col).minWidth; }
    int GetMaxWidth(int col) override { return m_geo.Column(col).maxWidth; }
    int GetWidth(int col) override { return m_geo.Width(col); }
    void SetColumnsResizable(bool on) override { m_look.resizable = on; }
    bool GetColumnsResizable() override { return m_look.resizable; }
    void SetColumnsMovable(bool on) override { m_look.movable = on; }
    bool GetColumnsMovable() override { return m_look.movable; }
    void FitColumns() override;
    void SetColumnVisible(int col, bool visible) override { m_geo.Column(col).visible = visible; }
    std::string GetCellText(int row, int col) override;
    int FindText(int col, const std::string& prefix, int after) override;
    int GetSelectedRow() override { return m_selection.FirstSelected(); }
    void SetSelectedRow(int row) override;
    void SetKey(int row, int value) override;
    int GetKey(int row) override;
    int FindKey(int value) override;

    // Operations the application calls on the control itself.
    void EnsureVisible(int row, int col) override { m_geo.EnsureVisible(row, col); }
    void SetEditable(bool editable);
    void SetColumnEditable(int col, bool editable);
    void SetCursor(int row, int col) override;
    // Opens the cursor cell's editor (byUser: a click or key of the user); answers whether one is open.
    bool StartEdit(bool byUser) override { return m_edit.Start(byUser); }
    // Closes the open editor, storing its value unless cancel.
    void EndEdit(bool cancel) override { m_edit.End(cancel); }
    bool IsEditing() const { return m_edit.IsEditing(); }

    // State the panes share, for reading.
    using CTablePaneSite::Geometry;
    using CTablePaneSite::Look;
    using CTablePaneSite::Selection;
    int GetCursorRow() override { return m_cursor.Row(); }
    int GetCursorColumn() override;
    int GetCursorMode() const override { return m_cursor.GetMode(); }
    bool HasFocusMark() const override { return m_focused; }
    const std::string& GetTypeAhead() const { return m_typeAhead; }
    void SetScrollX(int x) override { m_geo.SetScrollX(x); }
    void SetScrollY(int y) { m_geo.SetScrollY(y); }
    // Lays the panes and bars out for a client size; answers whether the body moved, changed size or
    // scrolled since the last layout. The body is left for the caller to invalidate.
    bool Layout(int width, int height);

    CHeaderDisplay& Header() { return m_header; }
    CTableDisplay& Body() { return m_body; }
    HWND ToolTip() const override { return m_toolTip; }
    HWND GetScrollBar(int bar) const { return bar == SB_VERT ? m_vbar : m_hbar; }

    // Shows a popup menu at a screen point and answers the chosen id (0 for none). A class derived
    // for tests may choose without showing the menu.
    UINT TrackMenu(win::CPopupMenu& menu, POINT screenPt) override;

protected:
    // WM_SETFONT, WM_GETFONT and the DPI change of the top-level window.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTA* cs) override;
    void OnDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnHScroll(UINT code, int pos, HWND scrollBar) override;
    void OnVScroll(UINT code, int pos, HWND scrollBar) override;
    void OnMouseWheel(UINT flags, short delta, POINT pt) override;
    void OnMouseHWheel(UINT flags, short delta, POINT pt) override;
    void OnSysColorChange() override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void OnTimer(UINT_PTR id) override;
    UINT OnGetDlgCode() override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
    void OnSetFocus(HWND oldFocus) override;
    void OnKillFocus(HWND newFocus) override;
    void OnContextMenu(HWND window, POINT screenPt) override;

private:
    // CTablePaneSite.
    HWND SiteWindow() const override { return m_hwnd; }
    HWND BodyWindow() const override { return m_body.GetHwnd(); }
    using CTablePaneSite::Notify;
    LRESULT Notify(int code, STableNotify& record) override;
    void SetCursorRow(int row) override { m_cursor.SetRow(row); }
    void SetCursorColumn(int col) override { m_cursor.SetColumn(col); }
    void ScrollRows(int code) override { m_geo.ScrollRows(code); }
    void Refresh() override { Update(true); }
    void RefreshCursorRows(int fromRow, int toRow) override;
    // CSelectionListener.
    bool SelectionChanging(int row) override { return Notify(TN_SELCHANGING, row) != 0; }
    void SelectionChanged(int row) override { Notify(TN_SELCHANGED, row); }

    STableColumn& Column(int col) { return m_geo.Column(col); }
    void MeasureColumns();
    // Takes told, or for 0 the DPI of the control's monitor: sizes, font and measures follow it.
    void TakeDpi(int told = 0);
    int HeaderTextWidth(const std::string& text);
    SColumnSet ColumnSet();
    // Menus (TableMenus.cpp).
    std::string MenuName(int col);
    void ShowAllNamed();
    // Selects every row where multiple selection is allowed.
    void SelectAll();
    // Ctrl+A and Ctrl+C; true when key was one of them.
    bool OnShortcut(UINT key, UINT mods);
    // Moves by whole columns, right for a positive delta; wheel deltas below a notch add up.
    void ScrollSideways(int delta);
    // The row type-ahead goes to for its text, -1 for none; a repeated letter steps to the next match.
    int TypeAheadRow(int col);
    // Copying and export (TableCopy.cpp).
    void CopyCell(int row, int col);
    void CopyRows(bool all);
    void PutOnClipboard(const std::string& text);
    void SaveAs();
    std::string CopyContent(bool all);

    bool OnToolTipText(NMTTDISPINFOA* info);
    // Whether hwnd is shown, enabled and at the rectangle (control coordinates).
    bool IsPlaced(HWND hwnd, int x, int y, int w, int h) const;
    void PlaceWindow(HWND hwnd, bool condition, int x, int y, int w, int h);
    void SetScrollBar(HWND bar, int max, int page, int pos);
    void RedrawBody();

    CTable m_table;
    CTableGeometry m_geo{m_table};
    STableLook m_look;
    CSelection m_selection{m_table, *this};
    CCurrentCell m_cursor{m_table};
    int m_keyColumn = -1;
    CSortKeys m_sortKeys;
    bool m_focused = false;
    bool m_hscrollAllowed = true;
    bool m_vscrollAllowed = true;

    std::string m_typeAhead;
    int m_typeAheadCountdown = 0;
    int m_sideWheel = 0;
    // The scroll position of the last layout, which the header and the body show.
    int m_laidScrollX = 0;
    int m_laidScrollY = 0;

    CEditController m_edit{*this};
    CTableDisplay m_body;
    CHeaderDisplay m_header;
    HWND m_hbar = nullptr;
    HWND m_vbar = nullptr;
    HWND m_toolTip = nullptr;
};

} // namespace Tabra
