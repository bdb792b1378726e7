#include "app/dialogs/ExComboBox.h"

#include "base/Error.h"

#include <algorithm>

namespace Ovix {

namespace {

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.c_str(),
                            static_cast<int>(prefix.size()), prefix.c_str(),
                            static_cast<int>(prefix.size())) == CSTR_EQUAL;
}

} // namespace

bool CExComboBox::SubclassDlgItem(int id, HWND parent) {
    HWND combo = ::GetDlgItem(parent, id);
    if (!combo || m_hwnd)
        return false;
    m_dropList = (::GetWindowLongA(combo, GWL_STYLE) & 3) == CBS_DROPDOWNLIST;
    HWND edit = nullptr;
    if (!m_dropList) {
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        if (::GetComboBoxInfo(combo, &info) && info.hwndItem != combo)
            edit = info.hwndItem;
        if (!edit || ::GetDlgCtrlID(edit) != kEditId)
            throw base::CError("CExComboBox: combo box without an edit part 1001 is not supported");
    }
    if (!SubclassWindow(combo))
        return false;
    SendMessage(CB_SETEXTENDEDUI, TRUE);
    if (m_dropList) {
        // A disabled drop-down list greys its text; the overlay keeps it readable and selectable.
        m_matchOnFocusLoss = 0;
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        ::GetComboBoxInfo(combo, &info);
        m_edit.CreateControl("EDIT", GetWindowText().c_str(), WS_CHILD | ES_READONLY | ES_AUTOHSCROLL, 0,
                             info.rcItem, combo, kEditId);
        m_edit.SendMessage(WM_SETFONT, static_cast<WPARAM>(SendMessage(WM_GETFONT)), FALSE);
        if (!::IsWindowEnabled(combo))
            m_edit.ShowWindow(SW_SHOWNA);
    } else {
        m_edit.SubclassWindow(edit);
        if (!::IsWindowEnabled(combo))
            m_edit.SendMessage(EM_SETREADONLY, TRUE);
    }
    return true;
}

int CExComboBox::AddString(const std::string& text, LPARAM data) {
    int index = win::CComboBox::AddString(text);
    if (index >= 0)
        SetItemData(index, data);
    return index;
}

std::string CExComboBox::GetSelectedText() const {
    int sel = GetCurSel();
    return sel >= 0 ? GetLBText(sel) : std::string();
}

void CExComboBox::Notify(int code) {
    ::SendMessageA(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), code),
                   reinterpret_cast<LPARAM>(m_hwnd));
}

bool CExComboBox::ReflectCommand(int code) {
    int sel = GetCurSel();
    switch (code) {
    case CBN_SETFOCUS:
        m_lastSelEndOk = m_lastSelChange = sel;
        return false;
    case CBN_SELCHANGE:
        if (sel == m_lastSelChange)
            return true;
        m_lastSelChange = sel;
        if (GetDroppedState())
            m_pendingSelEnd = true;
        return false;
    case CBN_SELENDOK:
        if (sel == m_lastSelEndOk)
            return true;
        m_lastSelEndOk = sel;
        m_pendingSelEnd = false;
        return false;
    case CBN_SELENDCANCEL:
        if (m_pendingSelEnd) {
            m_pendingSelEnd = false;
            Notify(CBN_SELENDOK);
        }
        return true;
    case CBN_DROPDOWN:
        if (!m_dropList)
            MatchOnDropDown();
        return false;
    default:
        return false;
    }
}

void CExComboBox::Complete() {
    std::string text = GetWindowText();
    if (text.empty())
        return;
    DWORD start = 0, end = 0;
    m_edit.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (::GetKeyState(VK_DELETE) < 0 && end == text.size())
        return;
    int index = FindString(-1, text);
    if (index == CB_ERR) {
        Notify(CBN_SELCHANGE);
        return;
    }
    std::string item = GetLBText(index);
    if (!StartsWithIgnoringCase(item, text))
        return;
    int old = GetCurSel();
    SetCurSel(index);
    // The not-typed tail stays selected, with the caret after the typed part.
    m_edit.SendMessage(EM_SETSEL, item.size(), text.size());
    if (index != old) {
        Notify(CBN_SELCHANGE);
        if (!GetDroppedState())
            m_pendingSelEnd = true;
    }
}

void CExComboBox::Backspace() {
    std::string text = m_edit.GetWindowText();
    DWORD start = 0, end = 0;
    m_edit.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    end = std::min<DWORD>(end, static_cast<DWORD>(text.size()));
    start = std::min(start, end);
    if (start > 0)
        --start;
    else if (start == end)
        return;
    text.erase(start, end - start);
    m_edit.SetWindowText(text);
    m_edit.SendMessage(EM_SETSEL, start, start);
    if (m_inlineCompletion)
        Complete();
}

void CExComboBox::Enter() {
    if (m_matchOnFocusLoss)
        MatchText();
    if (m_pendingSelEnd) {
        Notify(CBN_SELENDOK);
        m_pendingSelEnd = false;
    }
    Notify(CBN_DBLCLK);
}

void CExComboBox::MatchText() {
    if (GetCount() <= 0)
        return;
    std::string text = GetWindowText();
    int sel = GetCurSel();
    if (sel >= 0 && GetLBText(sel) == text)
        return;
    int index = text.empty() ? CB_ERR : FindString(-1, text);
    if (index == CB_ERR)
        index = 0;
    SetCurSel(index);
    if (index != sel) {
        Notify(CBN_SELCHANGE);
        Notify(CBN_SELENDOK);
    }
}

void CExComboBox::MatchOnDropDown() {
    std::string text = GetWindowText();
    for (; !text.empty(); text.pop_back()) {
        int index = FindString(-1, text);
        if (index == CB_ERR)
            continue;
        if (index != GetCurSel()) {
            SetCurSel(index);
            Notify(CBN_SELCHANGE);
        }
        return;
    }
}

void CExComboBox::PlaceOverlay() {
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (!::GetComboBoxInfo(m_hwnd, &info))
        return;
    const RECT& rc = info.rcItem;
    ::SetWindowPos(m_edit.GetHwnd(), nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    m_edit.SendMessage(EM_SETSEL, 0, -1);
}

LRESULT CExComboBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case CB_SETCURSEL: {
        LRESULT result = Default();
        if (m_dropList && m_edit.GetHwnd())
            m_edit.SetWindowText(result >= 0 ? GetLBText(static_cast<int>(result)) : std::string());
        return result;
    }
    case WM_ENABLE: {
        LRESULT result = Default();
        if (m_edit.GetHwnd()) {
            if (m_dropList) {
                m_edit.SetWindowText(GetWindowText());
                m_edit.ShowWindow(wParam ? SW_HIDE : SW_SHOWNA);
            } else {
                m_edit.SendMessage(EM_SETREADONLY, wParam ? FALSE : TRUE);
            }
        }
        return result;
    }
    case WM_SIZE: {
        LRESULT result = Default();
        if (m_dropList && m_edit.GetHwnd())
            PlaceOverlay();
        return result;
    }
    default:
        return win::CComboBox::WindowProc(msg, wParam, lParam);
    }
}

LRESULT CExComboBox::CEditPart::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETDLGCODE && !m_box.m_dropList && !m_box.GetDroppedState()) {
        // Tab, Enter and the arrows come here while the list is closed; Escape still closes the dialog.
        auto* key = reinterpret_cast<const MSG*>(lParam);
        if (!(key && key->message == WM_KEYDOWN && key->wParam == VK_ESCAPE))
            return DLGC_WANTALLKEYS | Default();
    }
    return win::CWnd::WindowProc(msg, wParam, lParam);
}

void CExComboBox::CEditPart::OnChar(UINT ch, UINT, UINT) {
    if (m_box.m_dropList) {
        Default();
        return;
    }
    if (ch == VK_BACK) {
        m_box.Backspace();
        return;
    }
    if ((ch == '\t' || ch == '\r' || ch == '\n') && !m_box.GetDroppedState())
        return; // handled on key down; a single-line edit would only beep
    Default();
    if (ch >= 0x20 && m_box.m_inlineCompletion)
        m_box.Complete();
}

void CExComboBox::CEditPart::OnKeyDown(UINT key, UINT, UINT) {
    if (!m_box.m_dropList && !m_box.GetDroppedState()) {
        if (key == VK_TAB) {
            ::SendMessageA(m_box.GetParent(), WM_NEXTDLGCTL, ::GetKeyState(VK_SHIFT) < 0 ? 1 : 0, 0);
            return;
        }
        if (key == VK_RETURN) {
            m_box.Enter();
            return;
        }
    }
    Default();
}

void CExComboBox::CEditPart::OnKillFocus(HWND newFocus) {
    Default();
    if (m_box.m_dropList || !m_box.m_matchOnFocusLoss)
        return;
    // Moving into the box's own list is not leaving the box.
    if (newFocus && (newFocus == m_box.GetHwnd() || ::IsChild(m_box.GetHwnd(), newFocus)))
        return;
    m_box.MatchText();
}

} // namespace Ovix
