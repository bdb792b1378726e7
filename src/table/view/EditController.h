// CEditController: in-place editing of a table control's current cell. It opens the column's editor
// over the cell with a scratch copy of the value, writes the value back on commit, moves the editor
// from cell to cell with the editor keys, and keeps it on its cell while the table scrolls.
#pragma once

#include "table/view/TablePaneSite.h"

#include <memory>

namespace Tabra {

class CEditController {
public:
    explicit CEditController(CTablePaneSite& site) : m_site(site) {}
    ~CEditController();
    CEditController(const CEditController&) = delete;
    CEditController& operator=(const CEditController&) = delete;

    bool IsEditing() const { return m_editing; }
    // Opens the editor of the current cell when its column is editable and the parent allows it
    // (-105); answers whether an editor is open.
    bool Start(bool byUser);
    // Closes the open editor; unless cancel (or the parent refuses with -106) its value is written.
    void End(bool cancel);
    // Moves the open editor to its cell's rectangle (after scrolling and layout).
    void Reposition();
    // The control's windows are going: the editor closes without writing back or telling the parent.
    void Abandon();
    void Focus();
    // The editor keys; false for a key the editor handles itself.
    bool EditorKey(UINT key);
    // An event of the editor (-2101, -2102, -2103) told to the parent.
    void NotifyEvent(int code);

private:
    // The record of (row, col) with the scratch value.
    STableNotify Record(int row, int col);
    void MakeScratch(int col, const CCellData* source);
    void DropScratch();
    // Moves the cursor to the next or previous editable cell; one pass at most.
    void MoveToNextEditable();
    void MoveToPreviousEditable();
    bool IsEditable(int col) const;
    bool AnyEditable() const;
    // Selects the cursor row, opens the editor there, scrolls it into view and redraws.
    void Follow(int fromRow);

    CTablePaneSite& m_site;
    bool m_editing = false;
    bool m_byUser = false;
    CCellInput* m_input = nullptr;
    std::unique_ptr<max_align_t[]> m_scratchStorage;
    CCellData* m_scratch = nullptr;
};

} // namespace Tabra
