#include "table/view/CellEditors.h"

#include "table/view/EditController.h"
#include "table/view/EnumIn.h"

namespace Tabra {

namespace {

// Text columns without a length of their own take this many characters at most.
constexpr int kTextLength = 1024;

SIZE CheckSize() {
    return SIZE{::GetSystemMetrics(SM_CXMENUCHECK), ::GetSystemMetrics(SM_CYMENUCHECK)};
}

} // namespace

CCellInput* CreateInput(const CColDef* def) {
    if (CCellInput* own = def->CreateInput())
        return own;
    if (dynamic_cast<const CStringCol*>(def))
        return new CTextIn(kTextLength);
    if (dynamic_cast<const CIntCol*>(def))
        return new CIntIn;
    if (auto* b = dynamic_cast<const CBoolCol*>(def))
        return new C3StateIn(b->drawFlags, false);
    if (auto* e = dynamic_cast<const CEnumCol*>(def))
        return new CEnumIn(*e);
    return nullptr;
}

bool CEditorWnd::CreateEditor(const char* className, DWORD style, const RECT& rect) {
    if (!CreateControl(className, "", style, 0, rect, m_parent, 0))
        return false;
    if (m_colors)
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_colors->font), FALSE);
    return true;
}

bool CCellInput::KeyToController(UINT key) {
    return m_controller && m_controller->EditorKey(key);
}

void ForwardFocus(HWND body, UINT msg, HWND other) {
    ::SendMessageA(::GetParent(body), msg, reinterpret_cast<WPARAM>(other), 0);
}

void CIntIn::OpenEditor(const CCellData* value, const RECT& rect, bool) {
    if (!Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_RIGHT, rect, m_parent, 0))
        return;
    if (CCellInput::m_colors)
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(CCellInput::m_colors->font), FALSE);
    SetSystemColors();
    SetRange(-2147483648.0, 2147483647.0);
    SetDecimalPlaces(0);
    LoadValue(value);
}

void CIntIn::LoadValue(const CCellData* value) {
    SetNumber(value->GetInt());
    SendMessage(EM_SETSEL, 0, -1);
    SendMessage(EM_SCROLLCARET);
}

void CIntIn::StoreValue(CCellData* value) {
    value->SetDouble(GetNumber());
}

void CIntIn::PlaceEditor(const RECT& rect) {
    ::MoveWindow(m_hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void CTextIn::OpenEditor(const CCellData* value, const RECT& rect, bool) {
    if (!CreateEditor("EDIT", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, rect))
        return;
    SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(m_param));
    LoadValue(value);
}

void CTextIn::LoadValue(const CCellData* value) {
    SetWindowText(value->GetString());
    SendMessage(EM_SETSEL, 0, -1);
    SendMessage(EM_SCROLLCARET);
}

void CTextIn::StoreValue(CCellData* value) {
    value->SetString(GetWindowText());
}

void CTextIn::PlaceEditor(const RECT& rect) {
    ::MoveWindow(m_hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

int C3StateIn::MinWidth() {
    return CheckSize().cx;
}

int C3StateIn::EditHeight() {
    return CheckSize().cy;
}

RECT C3StateIn::BoxRect(const RECT& cell) const {
    SIZE size = CheckSize();
    int left = cell.left + 6;
    if ((m_param & (DT_CENTER | DT_RIGHT)) == DT_CENTER)
        left = (cell.left + cell.right - size.cx + 1) / 2;
    else if ((m_param & (DT_CENTER | DT_RIGHT)) == DT_RIGHT)
        left = cell.right - size.cx - 5;
    int top = (cell.top + cell.bottom - size.cy + 1) / 2;
    return RECT{left, top, left + size.cx, top + size.cy};
}

void C3StateIn::OpenEditor(const CCellData* value, const RECT& rect, bool byUser) {
    DWORD kind = m_flag ? BS_AUTO3STATE : BS_AUTOCHECKBOX;
    if (!CreateEditor("BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | kind, BoxRect(rect)))
        return;
    if (!byUser) {
        LoadValue(value);
        return;
    }
    // A click on a check cell toggles it in one step.
    int states = m_flag ? 3 : 2;
    SendMessage(BM_SETCHECK, static_cast<WPARAM>((value->GetInt() + 1) % states));
    if (m_controller)
        m_controller->NotifyEvent(TN_CHECKTOGGLED);
}

void C3StateIn::LoadValue(const CCellData* value) {
    SendMessage(BM_SETCHECK, static_cast<WPARAM>(value->GetInt()));
}

void C3StateIn::StoreValue(CCellData* value) {
    value->SetInt(static_cast<int>(SendMessage(BM_GETCHECK)));
}

void C3StateIn::PlaceEditor(const RECT& rect) {
    RECT box = BoxRect(rect);
    ::MoveWindow(m_hwnd, box.left, box.top, box.right - box.left, box.bottom - box.top, TRUE);
}

bool C3StateIn::OnReflectCommand(int code, LRESULT&) {
    if (code == BN_CLICKED && m_controller)
        m_controller->NotifyEvent(TN_CHECKTOGGLED);
    return false;
}

} // namespace Tabra
