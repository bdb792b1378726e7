#include "table/view/EnumIn.h"

#include "table/view/EditController.h"

namespace Tabra {

namespace {

// The combo's drop button: a click this close to the cell's right edge opens the list at once.
constexpr int kButtonZone = 16;

} // namespace

CEnumIn::CEnumIn(const CEnumCol& def)
    : CEditorOf(0, false), m_def(def.enumeration, def.mode, def.drawFlags) {}

void CEnumIn::Bind(HWND parent, CEditController* controller) {
    CCellInput::Bind(parent, controller);
    if (!Create(parent, RECT{0, 0, 1, 1}, WS_CHILD | WS_BORDER, 0))
        return;
    CTableCtrl& list = List();
    list.SetColumnCount(1);
    list.SetColumn(0, m_def.CreateFactory(), m_def.CreateCompare());
    list.SetColumnOutput(0, new CEnumOut(m_def.drawFlags, m_def.enumeration, m_def.mode), nullptr, "*", 40);
    list.EndColumns(-1);
    list.ShowHeader(false);
    list.SetHorzGrid(false);
    list.SetVertGrid(false);
    list.SetColumnsResizable(false);
    list.SetColumnsMovable(false);
}

void CEnumIn::LoadValue(const CCellData* value) {
    CTableCtrl& list = List();
    int found = 0;
    for (int row = 0; row < list.GetRowCount(); ++row)
        if (list.GetCell(row, 0)->GetInt() == value->GetInt()) {
            found = row;
            break;
        }
    SetCurSel(found);
}

void CEnumIn::StoreValue(CCellData* value) {
    if (GetCurSel() >= 0)
        value->SetInt(List().GetCell(GetCurSel(), 0)->GetInt());
}

void CEnumIn::OpenEditor(const CCellData* value, const RECT& rect, bool byUser) {
    if (!m_hwnd)
        return;
    CTableCtrl& list = List();
    list.DeleteAllRows();
    m_def.enumeration->FillTable(&list);
    LoadValue(value);
    if (m_controller)
        m_controller->NotifyEvent(TN_ENUMOPENED);
    list.Sort(CSortKeys{0, SORT_ASCENDING});
    LoadValue(value); // the receiver may have changed the rows, and sorting moved them
    list.AutoSize(0, false);
    SetDropWidth(list.GetWidth(0) + 2);
    list.Update(false);
    MoveTo(rect);
    ShowWindow(SW_SHOW);
    POINT mouse = {};
    ::GetCursorPos(&mouse);
    ::ScreenToClient(m_parent, &mouse);
    if (byUser && mouse.x < rect.right && mouse.x >= rect.right - kButtonZone && mouse.y >= rect.top &&
        mouse.y < rect.bottom)
        PostDropDown();
}

void CEnumIn::CloseEditor() {
    CloseUp();
    ShowWindow(SW_HIDE);
}

void CEnumIn::PlaceEditor(const RECT& rect) {
    MoveTo(rect);
    Invalidate(false);
}

void CEnumIn::MoveTo(const RECT& rect) {
    ::MoveWindow(m_hwnd, rect.left - 1, rect.top - 1, rect.right - rect.left + 2, rect.bottom - rect.top + 2,
                 TRUE);
}

void CEnumIn::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    if (IsDropped())
        CComboTable::OnKeyDown(key, repeat, flags);
    else
        CEditorOf::OnKeyDown(key, repeat, flags);
}

bool CEnumIn::OnReflectCommand(int code, LRESULT&) {
    if (code == CBN_SELCHANGE && m_controller)
        m_controller->NotifyEvent(TN_ENUMSELCHANGED);
    return false;
}

} // namespace Tabra
