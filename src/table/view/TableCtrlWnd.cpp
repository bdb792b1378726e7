#include "table/view/TableCtrlWnd.h"

#include "table/view/TablePaneSite.h"
#include "win/Scoped.h"

#include <algorithm>

namespace Tabra {

namespace {

// The memory context and bitmap every pane paints into; it only ever grows.
struct SSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ original = nullptr;
    int width = 0;
    int height = 0;

    HDC Context() {
        if (!dc) {
            HDC screen = ::GetDC(nullptr);
            dc = ::CreateCompatibleDC(screen);
            ::ReleaseDC(nullptr, screen);
        }
        return dc;
    }

    void Cover(int w, int h) {
        Context();
        if (width >= w && height >= h)
            return;
        w = std::max(w, width);
        h = std::max(h, height);
        HDC screen = ::GetDC(nullptr);
        HBITMAP grown = ::CreateCompatibleBitmap(screen, w, h);
        ::ReleaseDC(nullptr, screen);
        if (!grown)
            return;
        HGDIOBJ previous = ::SelectObject(dc, grown);
        if (!original)
            original = previous;
        if (bitmap)
            ::DeleteObject(bitmap);
        bitmap = grown;
        width = w;
        height = h;
    }
};

SSurface& Surface() {
    static SSurface surface;
    return surface;
}

} // namespace

HDC CTableCtrlWnd::SurfaceDC() {
    return Surface().Context();
}

SIZE CTableCtrlWnd::SurfaceSize() {
    return SIZE{Surface().width, Surface().height};
}

void CTableCtrlWnd::PaintInto(HDC target, const RECT& clip) {
    if (clip.right <= clip.left || clip.bottom <= clip.top)
        return;
    SSurface& surface = Surface();
    surface.Cover(clip.right, clip.bottom);
    HDC mem = surface.dc;
    win::CSaveDC saved(mem);
    Draw(mem, clip);
    ::BitBlt(target, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, mem, clip.left,
             clip.top, SRCCOPY);
}

void CTableCtrlWnd::OnPaint() {
    win::CPaintDC dc(m_hwnd);
    RECT clip = {};
    ::GetClipBox(dc, &clip);
    if (site)
        PaintInto(dc, clip);
}

LRESULT CTableCtrlWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (site && msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK) {
        DWORD pos = ::GetMessagePos();
        MSG relayed{m_hwnd,
                    msg,
                    wParam,
                    lParam,
                    static_cast<DWORD>(::GetMessageTime()),
                    POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))}};
        ::SendMessageA(site->ToolTip(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    return win::CWnd::WindowProc(msg, wParam, lParam);
}

} // namespace Tabra
