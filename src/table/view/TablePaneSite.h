// CTablePaneSite: what the panes of a table control see of it. They read the shared geometry and look
// and the rows, and call the few operations below; the rest of the control stays out of their reach.
//
// Every user action (mouse, keyboard, focus, menu) runs in a user-action scope: only then do the
// notifications reach the parent, so operations called by the parent never notify.
#pragma once

#include "table/model/Selection.h"
#include "table/model/SortKeys.h"
#include "table/view/TableCtrlInterface.h"
#include "table/view/TableGeometry.h"
#include "win/PopupMenu.h"

namespace Tabra {

class CTablePaneSite {
public:
    const CTableGeometry& Geometry() const { return m_geometry; }
    const STableLook& Look() const { return m_look; }
    const CTableInterface& Rows() const { return m_rows; }
    CSelection& Selection() { return m_selection; }

    // The control window, its body pane and its tooltip.
    virtual HWND SiteWindow() const = 0;
    virtual HWND BodyWindow() const = 0;
    virtual HWND ToolTip() const = 0;

    // Sends a notification when inside a user action; answers the parent's result (0 outside).
    virtual LRESULT Notify(int code, STableNotify& record) = 0;
    LRESULT Notify(int code, int row = -1, int col = -1) {
        STableNotify record;
        record.row = row;
        record.col = col;
        return Notify(code, record);
    }

    // The cursor (current cell).
    virtual int GetCursorRow() = 0;
    virtual int GetCursorColumn() = 0;
    virtual int GetCursorMode() const = 0;
    virtual void SetCursor(int row, int col) = 0;
    virtual void SetCursorRow(int row) = 0;
    virtual void SetCursorColumn(int col) = 0;
    virtual bool HasFocusMark() const = 0;

    // Editing.
    virtual bool StartEdit(bool byUser) = 0;
    virtual void EndEdit(bool cancel) = 0;

    // Scrolling and redrawing. Refresh lays out and redraws the whole control keeping the sort.
    virtual void SetScrollX(int x) = 0;
    virtual void ScrollRows(int code) = 0;
    virtual void EnsureVisible(int row, int col) = 0;
    virtual void Refresh() = 0;
    // After a move of the cursor from one row to another (or within one) that changed nothing else
    // in the body: lays out and redraws those two rows, or the whole body when it scrolled or moved
    // or fromRow is -1; the header and the scroll bars only where they changed.
    virtual void RefreshCursorRows(int fromRow, int toRow) = 0;

    // Columns and sorting.
    virtual void SetWidth(int col, int width) = 0;
    virtual void AutoSize(int col, bool withHeader) = 0;
    virtual void MoveColumn(int col, int position) = 0;
    virtual CSortKeys GetSortKeys() = 0;
    virtual void Sort(const CSortKeys& keys) = 0;

    // Menus.
    virtual void BuildTablePopupMenu(win::CPopupMenu* menu, int row, int col) = 0;
    virtual void OnTablePopupCommand(int command, int row, int col) = 0;
    virtual void BuildColumnPopupMenu(win::CPopupMenu* menu, int col) = 0;
    virtual void OnColumnPopupCommand(int command, int col) = 0;
    // Shows a popup menu at a screen point and answers the chosen id (0 for none).
    virtual UINT TrackMenu(win::CPopupMenu& menu, POINT screenPt) = 0;

    // The user-action scope: notifications are on while one is alive.
    class CUserAction {
    public:
        explicit CUserAction(CTablePaneSite& site) : m_site(site), m_previous(site.m_notify) {
            site.m_notify = true;
        }
        ~CUserAction() { m_site.m_notify = m_previous; }
        CUserAction(const CUserAction&) = delete;
        CUserAction& operator=(const CUserAction&) = delete;

    private:
        CTablePaneSite& m_site;
        bool m_previous;
    };
    bool IsNotifying() const { return m_notify; }

protected:
    CTablePaneSite(CTableGeometry& geometry, STableLook& look, CTableInterface& rows, CSelection& selection)
        : m_geometry(geometry), m_look(look), m_rows(rows), m_selection(selection) {}
    ~CTablePaneSite() = default;

private:
    CTableGeometry& m_geometry;
    STableLook& m_look;
    CTableInterface& m_rows;
    CSelection& m_selection;
    bool m_notify = false;
};

} // namespace Tabra
