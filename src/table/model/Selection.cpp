#include "table/model/Selection.h"

#include <algorithm>

namespace Tabra {

void CSelection::SetMode(int mode) {
    m_mode = mode;
    DeselectAll();
}

int CSelection::GetAnchor() const {
    return std::min(m_anchor, m_table.GetRowCount() - 1);
}

int CSelection::FirstSelected() const {
    for (int row = 0; row < m_table.GetRowCount(); ++row)
        if (m_table.IsSelected(row))
            return row;
    return -1;
}

void CSelection::DeselectAll() {
    if (m_table.GetRowCount() > 0)
        m_table.SelectRange(0, m_table.GetRowCount() - 1, false);
}

void CSelection::SelectOnly(int row) {
    DeselectAll();
    if (m_table.IsValidRow(row))
        m_table.Select(row, true);
}

bool CSelection::IsExactly(int lo, int hi) const {
    if (m_table.GetSelectedCount() != hi - lo + 1)
        return false;
    for (int r = lo; r <= hi; ++r)
        if (!m_table.IsSelected(r))
            return false;
    return true;
}

bool CSelection::AllInState(int lo, int hi, bool state) const {
    for (int r = lo; r <= hi; ++r)
        if (m_table.IsSelected(r) != state)
            return false;
    return true;
}

bool CSelection::ApplyClick(unsigned flags, int row) {
    if (!m_table.IsValidRow(row) || m_mode == MODE_NONE)
        return false;
    if (m_mode == MODE_SINGLE) {
        if (row == FirstSelected() || m_listener.SelectionChanging(row))
            return false;
        SelectOnly(row);
        m_listener.SelectionChanged(row);
        return true;
    }
    bool shift = (flags & CLICK_SHIFT) != 0;
    bool ctrl = (flags & CLICK_CONTROL) != 0;
    int anchor = GetAnchor();
    if (!ctrl && m_table.IsSelected(row) && m_table.GetSelectedCount() == 1)
        return false;
    int lo = std::min(anchor, row);
    int hi = std::max(anchor, row);
    bool range = shift && anchor >= 0;
    if (range && (ctrl ? AllInState(lo, hi, m_table.IsSelected(anchor)) : IsExactly(lo, hi)))
        return false;
    if (m_listener.SelectionChanging(row))
        return false;
    if (range) {
        if (ctrl) {
            m_table.SelectRange(lo, hi, m_table.IsSelected(anchor));
        } else {
            DeselectAll();
            m_table.SelectRange(lo, hi, true);
        }
    } else {
        if (ctrl) {
            m_table.Select(row, !m_table.IsSelected(row));
        } else {
            SelectOnly(row);
        }
        m_anchor = row;
    }
    m_listener.SelectionChanged(row);
    return true;
}

int CCurrentCell::Row() {
    if (m_mode == MODE_NONE || !m_record)
        return -1;
    if (m_table.IsValidRow(m_row) && m_table.GetRow(m_row) == m_record && m_record->cursorMark)
        return m_row;
    // The rows were re-sorted or changed: the mark in the record finds it again.
    for (int row = 0; row < m_table.GetRowCount(); ++row) {
        if (m_table.GetRow(row)->cursorMark) {
            m_row = row;
            m_record = m_table.GetRow(row);
            return row;
        }
    }
    Forget();
    return -1;
}

void CCurrentCell::SetRow(int row) {
    row = std::min(row, m_table.GetRowCount() - 1);
    ClearMark();
    m_row = row < 0 ? -1 : row;
    m_record = m_row >= 0 ? m_table.GetRow(m_row) : nullptr;
    if (m_record)
        m_record->cursorMark = 1;
}

void CCurrentCell::ClearMark() {
    if (!m_record)
        return;
    if (m_table.IsValidRow(m_row) && m_table.GetRow(m_row) == m_record) {
        m_record->cursorMark = 0;
        return;
    }
    // The rows moved since: the record is wherever its mark is now.
    for (int r = 0; r < m_table.GetRowCount(); ++r)
        m_table.GetRow(r)->cursorMark = 0;
}

void CCurrentCell::Forget() {
    m_row = -1;
    m_record = nullptr;
}

} // namespace Tabra
