// CSplitCtrl: a bar the user drags to share a dialog's room between the windows on either side.
//
// The bar replaces a placeholder dialog item and takes part in a CDlgLayout; the windows beside it are
// registered with the bar as their edge reference, so moving the bar re-lays them out. The parent gets
// WM_COMMAND with the bar's id and code SPLIT_BEGIN, SPLIT_MOVED or SPLIT_END.
//
// The keyboard: the bar is a tab stop; while it has the focus the arrow keys across it move it by one
// percent. During a drag it borrows the focus, so that Escape puts it back where the drag began.
#pragma once

#include "app/dialogs/DlgLayout.h"
#include "win/Window.h"

#include <climits>

namespace Dialux {

enum : int { SPLIT_BEGIN = 0, SPLIT_MOVED = 1, SPLIT_END = 2 };

class CSplitCtrl : public win::CWnd {
public:
    static constexpr int kThickness = 6;
    static constexpr char kWindowName[] = "Dialux::CSplitCtrl";

    // Replaces dialog item id of parent by the bar (same id, styles without WS_BORDER, a tab stop at the
    // same place in the tab order), one pixel smaller on each side.
    bool Create(int placeholderId, HWND parent);

    // Joins the layout with limits in percent of the parent's client width (or height for a horizontal
    // bar); makes the bar kThickness pixels thick at 96 DPI, scaled to its monitor's DPI, and measures
    // its layout entry again.
    void AttachLayout(CDlgLayout* layout, int minPercent, int maxPercent, CDlgLayout::Veto veto = {});

    // The bar's left (top) edge in whole percent of the parent's client width (height).
    int GetPos() const;
    // Moves the bar to percent (clamped to the limits) and lays out the dialog; returns GetPos().
    int SetPos(int percent);

    bool IsVertical() const { return m_vertical; }
    bool IsDragging() const { return m_grab > kNoDrag; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnSetFocus(HWND oldFocus) override;
    void OnKillFocus(HWND newFocus) override;
    void OnPaint() override;
    bool OnEraseBkgnd(HDC dc) override;
    void OnLButtonDown(UINT flags, POINT pt) override;
    void OnMouseMove(UINT flags, POINT pt) override;
    void OnLButtonUp(UINT flags, POINT pt) override;
    void OnCaptureChanged(HWND newCapture) override;
    bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMsg) override;

private:
    static constexpr int kNoDrag = INT_MIN + 1;

    // The bar's rectangle in parent client coordinates.
    RECT BarRect() const;
    int ParentExtent() const;
    // Lays out with the bar's leading edge at pos; false when the layout refused.
    bool MoveTo(int pos);
    void Notify(int code);
    // Lays out with the bar's leading edge at pos, unless it is there already, and shows the move.
    void DragTo(int pos);
    // Repaints the parent at once and tells it the bar moved.
    void ShowMoved();
    // Moves the bar by delta percent (within the limits) and tells the parent.
    void Step(int delta);
    void EndDrag();
    // Escape during a drag: the bar goes back to where the drag began.
    void CancelDrag();

    CDlgLayout* m_layout = nullptr;
    bool m_vertical = true;
    int m_grab = kNoDrag;
    int m_dragStart = 0;              // the bar's leading edge when the drag began
    HWND m_focusBeforeDrag = nullptr; // given the focus back when the drag ends
    int m_min = 0;                    // hundredths of a percent
    int m_max = 10000;                // hundredths of a percent
    CDlgLayout::Veto m_veto;
};

} // namespace Dialux
