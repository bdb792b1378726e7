// CTabKeys: Ctrl+Tab and Ctrl+Shift+Tab switch the pages of a dialog's tab control wherever the focus is
// in the dialog, as in a property sheet.
//
// The keys are taken from the dialog manager's message filter (WH_MSGFILTER, MSGF_DIALOGBOX), before
// the dialog manager or any control sees them. One filter per thread serves every attached dialog.
#pragma once

#include <windows.h>

namespace Dialux {

class CTabKeys {
public:
    CTabKeys() = default;
    ~CTabKeys() { Detach(); }
    CTabKeys(const CTabKeys&) = delete;
    CTabKeys& operator=(const CTabKeys&) = delete;

    // Watches the keys of dialog (and its controls) for tabs, a tab control of the dialog.
    bool Attach(HWND dialog, HWND tabs);
    void Detach();

    // Selects the next (forward) or previous tab, wrapping around, and tells the dialog as the tab
    // control tells it of a click: TCN_SELCHANGING, whose non-zero answer keeps the tab, then
    // TCN_SELCHANGE.
    void Step(bool forward);

private:
    static LRESULT CALLBACK FilterProc(int code, WPARAM wParam, LPARAM lParam);
    bool Owns(HWND window) const;

    HWND m_dialog = nullptr;
    HWND m_tabs = nullptr;
};

} // namespace Dialux
