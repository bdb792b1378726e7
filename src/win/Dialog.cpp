#include "win/Dialog.h"

#include "win/Dpi.h"
#include "win/ErrorReport.h"

namespace win {

namespace {

thread_local CDialog* t_opening = nullptr;

} // namespace

INT_PTR CDialog::DoModal() {
    if (m_hwnd)
        return -1;
    CDialog* outer = t_opening;
    t_opening = this;
    INT_PTR result = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId), m_parent,
                                       StaticDialogProc, 0);
    t_opening = outer;
    return result;
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_hwnd)
        ::EndDialog(m_hwnd, result);
}

// The dialog manager calls this procedure from its own window procedure. At the first message the
// dialog window is subclassed, so that from then on every message reaches WindowProc directly and
// Default() is the dialog manager's processing; this procedure then declines everything.
INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (FromHandle(hwnd) || !t_opening)
        return FALSE;
    CDialog* dlg = t_opening;
    t_opening = nullptr;
    if (!dlg->SubclassWindow(hwnd))
        return FALSE;

    // The first message itself is already inside the dialog manager; dispatch it here.
    SCurrentMsg current{msg, wParam, lParam};
    dlg->m_current = &current;
    LRESULT result = 0;
    try {
        result = dlg->WindowProc(msg, wParam, lParam);
    } catch (...) {
        ReportException(hwnd);
    }
    dlg->m_current = nullptr;
    if (msg == WM_INITDIALOG)
        return result;
    ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG)
        return OnInitDialog() ? TRUE : FALSE;
    if (msg == WM_DPICHANGED) {
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

void CDialog::OnDpiChanged(int dpi, const RECT& suggested) {
    ::SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::EnumChildWindows(
        m_hwnd,
        [](HWND child, LPARAM dpi) {
            ::SendMessageA(child, kDpiChangedAfterParent, static_cast<WPARAM>(dpi), 0);
            return TRUE;
        },
        dpi);
}

bool CDialog::OnInitDialog() {
    return true;
}

bool CDialog::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED || control == nullptr) {
        if (id == IDOK) {
            OnOK();
            return true;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return true;
        }
    }
    return false;
}

} // namespace win
