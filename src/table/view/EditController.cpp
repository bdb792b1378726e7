#include "table/view/EditController.h"

#include <algorithm>

namespace Tabra {

CEditController::~CEditController() {
    DropScratch();
}

void CEditController::MakeScratch(int col, const CCellData* source) {
    DropScratch();
    CCellFactory* factory = m_site.Rows().GetFactory(col);
    size_t size = static_cast<size_t>(factory->CellSize());
    m_scratchStorage.reset(new max_align_t[(size + sizeof(max_align_t) - 1) / sizeof(max_align_t)]);
    m_scratch = factory->CopyConstruct(m_scratchStorage.get(), source);
}

void CEditController::DropScratch() {
    if (m_scratch)
        m_scratch->~CCellData();
    m_scratch = nullptr;
    m_scratchStorage.reset();
}

STableNotify CEditController::Record(int row, int col) {
    STableNotify record;
    record.row = row;
    record.col = col;
    record.pointer = m_scratch;
    if (m_byUser) {
        record.x = 1;
        record.y = 1;
    }
    return record;
}

bool CEditController::IsEditable(int col) const {
    const STableColumn& c = m_site.Geometry().Column(col);
    return c.visible && c.editable && c.input;
}

bool CEditController::AnyEditable() const {
    const CTableGeometry& g = m_site.Geometry();
    for (int col = 0; col < g.ColumnCount(); ++col)
        if (IsEditable(col))
            return true;
    return false;
}

bool CEditController::Start(bool byUser) {
    CTablePaneSite::CUserAction action(m_site);
    int row = m_site.GetCursorRow();
    int col = m_site.GetCursorColumn();
    if (m_editing || row < 0 || col < 0)
        return m_editing;
    m_byUser = byUser;
    MakeScratch(col, m_site.Rows().GetCell(row, col));
    STableNotify record = Record(row, col);
    if (!IsEditable(col) || m_site.Notify(TN_BEGINEDIT, record))
        return false;
    m_input = m_site.Geometry().Column(col).input.get();
    if (m_input->GetBoundParent() != m_site.BodyWindow())
        m_input->Bind(m_site.BodyWindow(), this);
    m_editing = true;
    m_input->OpenEditor(m_scratch, m_site.Geometry().CellRect(row, col), byUser);
    m_input->FocusEditor();
    return m_editing;
}

void CEditController::End(bool cancel) {
    if (!m_editing)
        return;
    CTablePaneSite::CUserAction action(m_site);
    int row = m_site.GetCursorRow();
    int col = m_site.GetCursorColumn();
    STableNotify record = Record(row, col);
    m_input->StoreValue(m_scratch);
    // A cursor that lost its row (the rows were dropped) has nothing to write back to.
    bool written = !cancel && row >= 0 && col >= 0;
    if (cancel)
        m_site.Notify(TN_EDITCANCELLED, record);
    else if (written && m_site.Notify(TN_ENDEDIT, record))
        written = false;
    if (written)
        m_site.Rows().GetCell(row, col)->Assign(m_scratch);
    m_editing = false;
    CCellInput* input = m_input;
    m_input = nullptr;
    ::SetFocus(m_site.SiteWindow());
    input->CloseEditor();
    if (written)
        m_site.Notify(TN_EDITSTORED, row, col);
}

void CEditController::Abandon() {
    if (!m_editing)
        return;
    m_editing = false;
    CCellInput* input = m_input;
    m_input = nullptr;
    input->CloseEditor();
    DropScratch();
}

void CEditController::Reposition() {
    int row = m_site.GetCursorRow();
    int col = m_site.GetCursorColumn();
    if (m_editing && row >= 0 && col >= 0)
        m_input->PlaceEditor(m_site.Geometry().CellRect(row, col));
}

void CEditController::Focus() {
    if (m_editing)
        m_input->FocusEditor();
}

void CEditController::NotifyEvent(int code) {
    CTablePaneSite::CUserAction action(m_site);
    STableNotify record = Record(m_site.GetCursorRow(), m_site.GetCursorColumn());
    m_site.Notify(code, record);
}

bool CEditController::EditorKey(UINT key) {
    CTablePaneSite::CUserAction action(m_site);
    int row = m_site.GetCursorRow();
    switch (key) {
    case VK_TAB:
        End(false);
        if (::GetKeyState(VK_SHIFT) < 0)
            MoveToPreviousEditable();
        else
            MoveToNextEditable();
        break;
    case VK_PRIOR:
        End(false);
        if (row > 0)
            m_site.SetCursorRow(row - 1);
        break;
    case VK_NEXT:
        End(false);
        if (row >= 0 && row < m_site.Rows().GetRowCount() - 1)
            m_site.SetCursorRow(row + 1);
        break;
    case VK_RETURN:
        End(false);
        return true;
    case VK_ESCAPE:
        End(true);
        return true;
    default:
        return false;
    }
    Follow(row);
    return true;
}

void CEditController::Follow(int fromRow) {
    int row = m_site.GetCursorRow();
    bool selectionChanged = m_site.Selection().ApplyClick(0, row);
    Start(false);
    m_site.EnsureVisible(row, m_site.GetCursorColumn());
    m_site.RefreshCursorRows(selectionChanged ? -1 : fromRow, row);
}

void CEditController::MoveToNextEditable() {
    const CTableGeometry& g = m_site.Geometry();
    int row = m_site.GetCursorRow();
    int col = m_site.GetCursorColumn();
    if (row < 0 || col < 0)
        return;
    if (!AnyEditable())
        return;
    int position = g.PositionOf(col);
    bool askedForRow = false;
    // One pass over the cells after the cursor at most: no editable column, or a parent that answers
    // -2013 without adding a row, leaves the cursor where it is.
    for (int steps = 0; steps <= g.ColumnCount() * 2 + 1; ++steps) {
        position = g.NextVisiblePosition(position);
        if (!g.IsValidPosition(position)) {
            if (row < m_site.Rows().GetRowCount() - 1) {
                ++row;
            } else {
                if (askedForRow)
                    return;
                askedForRow = true;
                if (m_site.Notify(TN_PASTLASTCELL, row, col) && row < m_site.Rows().GetRowCount() - 1)
                    ++row;
            }
            position = g.NextVisiblePosition(-1);
            if (!g.IsValidPosition(position))
                return;
        }
        if (IsEditable(g.ColumnAt(position))) {
            m_site.SetCursor(row, g.ColumnAt(position));
            return;
        }
    }
}

void CEditController::MoveToPreviousEditable() {
    const CTableGeometry& g = m_site.Geometry();
    int row = m_site.GetCursorRow();
    int col = m_site.GetCursorColumn();
    if (row < 0 || col < 0 || !AnyEditable())
        return;
    int position = g.PositionOf(col);
    for (;;) {
        position = g.PrevVisiblePosition(position);
        if (position < 0) {
            if (row == 0)
                return;
            --row;
            position = g.PrevVisiblePosition(g.ColumnCount());
            if (position < 0)
                return;
        }
        if (IsEditable(g.ColumnAt(position))) {
            m_site.SetCursor(row, g.ColumnAt(position));
            return;
        }
    }
}

} // namespace Tabra
