// CDialog: a modal dialog built from a dialog template resource (.rc compiled into the program).
//
// DoModal runs the dialog; OnInitDialog initialises it; OK and Cancel buttons (IDOK, IDCANCEL, and the
// Escape key) end it through OnOK and OnCancel, which derived dialogs may override to read or veto.
// The dialog window is routed like any CWnd, so dialog items can be subclassed in OnInitDialog.
#pragma once

#include "win/Window.h"

namespace win {

class CDialog : public CWnd {
public:
    explicit CDialog(int templateId, HWND parent = nullptr) : m_templateId(templateId), m_parent(parent) {}

    // Runs the dialog modally; returns the value given to EndDialog, or -1 when it could not be created.
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);
    int GetTemplateId() const { return m_templateId; }

protected:
    // Return true to let the dialog manager give the focus to the first control.
    virtual bool OnInitDialog();
    // WM_DPICHANGED: takes the system's suggested rectangle and tells the child windows the new DPI.
    virtual void OnDpiChanged(int dpi, const RECT& suggested);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    int m_templateId;
    HWND m_parent;
};

} // namespace win
