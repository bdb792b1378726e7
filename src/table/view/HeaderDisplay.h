// CHeaderDisplay: the strip of column titles of a table control. It draws one push button per visible
// column (the visual style's header item where a theme is active) with a sort arrow on sorted columns,
// sorts by a title click (Shift or Ctrl add a key), resizes a column by its right border (a double click
// fits it), moves a column by dragging its title, scrolls sideways while a drag is held near its ends,
// and opens the column menu.
#pragma once

#include "table/view/TableCtrlWnd.h"
#include "table/view/TableGeometry.h"

#include <commctrl.h>

namespace Tabra {

class CHeaderDisplay : public CTableCtrlWnd {
public:
    static constexpr int kHeight = CTableGeometry::kHeaderHeight; // at 96 DPI
    enum Mode { MODE_IDLE = 0, MODE_PRESSED = 1, MODE_RESIZING = 2, MODE_MOVING = 3 };

    ~CHeaderDisplay() override;
    void Draw(HDC dc, const RECT& clip) override;

    // The display position whose right border is at client x, or -1.
    int BorderHitTest(int x);
    int GetMode() const { return m_mode; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnMouseMove(UINT flags, POINT pt) override;
    void OnLButtonDown(UINT flags, POINT pt) override;
    void OnLButtonUp(UINT flags, POINT pt) override;
    void OnLButtonDblClk(UINT flags, POINT pt) override;
    void OnTimer(UINT_PTR id) override;
    void OnCaptureChanged(HWND newCapture) override;
    void OnContextMenu(HWND window, POINT screenPt) override;
    bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMsg) override;

private:
    void DrawTitle(HDC dc, const RECT& r, const std::string& title, int format, int direction, UINT state);
    void DrawArrow(HDC dc, int x, int y, int direction);
    void DrawPressedTitle();
    void StartMoving(POINT pt);
    void EndMoving();
    // Ends a press, resize or move: mode 0, timer and capture gone.
    void Stop();
    // Sorts by col in direction; replace empties the key list first. False when cancelled.
    bool ChangeSort(int col, int direction, bool replace);
    HCURSOR SplitCursor();

    int m_mode = MODE_IDLE;
    int m_pressX = 0;
    int m_column = -1;
    UINT m_pushed = 0;
    int m_position = -1;
    int m_pressWidth = 0;
    int m_hoverColumn = -1;
    HIMAGELIST m_dragImage = nullptr;
};

} // namespace Tabra
