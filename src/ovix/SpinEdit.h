// CSpinEdit: an edit with two small spin buttons at its right edge that, like the Up and Down keys, step
// its content by one, with auto-repeat while a button is held.
//
// Each step is announced to the parent: WM_NOTIFY UDN_DELTAPOS with the step in iPos and iDelta (a
// non-zero answer cancels it), then WM_COMMAND SPN_BEFORESTEP, the step itself, WM_COMMAND SPN_AFTERSTEP.
#pragma once

#include "ovix/ExEdit.h"

namespace Ovix {

constexpr int SPN_BEFORESTEP = 0x1001;
constexpr int SPN_AFTERSTEP = 0x1002;

class CSpinEdit : public CExEdit {
public:
    // Creates the edit (see CExEdit::Create) with its spin buttons shown.
    bool Create(DWORD style, const RECT& rect, HWND parent, int id, DWORD exStyle = 0);

    void ShowSpin(bool show);
    bool IsSpinShown() const { return m_spin; }
    // The button that looks pressed: +1 up, -1 down, 0 none.
    int GetPressed() const { return m_pressed; }

    // Steps the content by delta (+1 or -1).
    virtual void Step(int delta) = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnLButtonUp(UINT flags, POINT pt) override;
    void OnMouseMove(UINT flags, POINT pt) override;
    void OnCaptureChanged(HWND newCapture) override;
    void OnTimer(UINT_PTR id) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnKeyUp(UINT key, UINT repeat, UINT flags) override;
    UINT OnGetDlgCode() override;
    void OnKillFocus(HWND newFocus) override;

private:
    enum : UINT_PTR { DELAY_TIMER = 1, REPEAT_TIMER = 2 };

    // The spin strip in window coordinates (empty while hidden).
    RECT SpinRect() const;
    // +1 over the up button, -1 over the down button, 0 elsewhere; pt in screen coordinates.
    int ButtonAt(POINT screenPt) const;
    void DrawSpin();
    void SetPressed(int button);
    bool OnNcButtonDown(POINT screenPt);
    void ReleaseButton();
    // Announces the step, makes it unless the parent refuses, and reports it done.
    void SpinStep(int delta);

    bool m_spin = false;
    int m_pressed = 0;
    int m_held = 0; // the button held down with the mouse
};

} // namespace Ovix
