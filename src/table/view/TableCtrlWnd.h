// CTableCtrlWnd: the base of the drawing panes of a table control (header and body).
//
// Every pane paints through one off-screen surface shared by all panes of all tables: the pane draws
// its clip box into the surface, and only that box is copied to the screen, so nothing flickers and no
// paint allocates once the surface is large enough.
#pragma once

#include "win/Window.h"

namespace Tabra {

class CTablePaneSite;

class CTableCtrlWnd : public win::CWnd {
public:
    // Draws the clip box of the pane, in pane coordinates, into dc.
    virtual void Draw(HDC dc, const RECT& clip) = 0;
    // Paints clip through the shared surface into target, at the same coordinates (the path of
    // WM_PAINT, usable on any context).
    void PaintInto(HDC target, const RECT& clip);

    // The shared surface's context (also for measuring outside painting) and its size.
    static HDC SurfaceDC();
    static SIZE SurfaceSize();

    CTablePaneSite* site = nullptr; // the owning control

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;
    bool OnEraseBkgnd(HDC) override { return true; }
};

} // namespace Tabra
