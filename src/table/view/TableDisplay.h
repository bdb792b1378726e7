// CTableDisplay: the body pane of a table control. It paints the rows (alternating bands, selection,
// grid lines, the cells through the column renderers, the focus rectangle) and turns mouse input into
// the current cell, the selection, drag selection with automatic scrolling, click notifications and
// the row context menu.
#pragma once

#include "table/view/TableCtrlWnd.h"

namespace Tabra {

class CTableDisplay : public CTableCtrlWnd {
public:
    void Draw(HDC dc, const RECT& clip) override;
    // Shows the row menu for the screen point, (-1, -1) for the cursor cell.
    void ShowContextMenu(POINT screenPt);

    // Milliseconds between two drag-selection scroll steps for a mouse at body y, beyond the top
    // (y < 0) or beyond the last full row (y > full rows height).
    static int DragScrollDelay(int y, int fullRowsHeight);

protected:
    void OnLButtonDown(UINT flags, POINT pt) override;
    void OnLButtonUp(UINT flags, POINT pt) override;
    void OnLButtonDblClk(UINT flags, POINT pt) override;
    void OnMouseMove(UINT flags, POINT pt) override;
    void OnTimer(UINT_PTR id) override;
    void OnCaptureChanged(HWND newCapture) override;
    void OnContextMenu(HWND window, POINT screenPt) override;

private:
    void DrawColumn(HDC dc, int col, int x, int first, int last, int y0, int bottom);
    void DrawFocus(HDC dc);
    void DragStep(POINT pt);
    void EndDrag();
    // Where the keyboard's context menu opens for the cursor cell, in body coordinates.
    POINT KeyboardMenuPoint(int row, int col) const;
    // -2 or -3 with the row and column under pt.
    void NotifyClick(int code, POINT pt);

    bool m_buttonDown = false;
    bool m_doubleClicked = false;
    int m_lastRow = -1;
    int m_lastColumn = -1;
    DWORD m_nextScroll = 0;
    bool m_capturing = false;
    int m_hoverRow = -1;
    int m_hoverColumn = -1;
};

} // namespace Tabra
