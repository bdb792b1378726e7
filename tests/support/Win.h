// Helpers for driving real windows in tests under Wine: a routed top-level window, bounded message
// pumping, closing modal boxes and reading what they show, reading a menu back from the system, and the
// pixels of a drawing.
#pragma once

#include "win/Window.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Creates wnd as a top-level window of a routed class (registered on first use), shown without
// taking the activation.
inline bool CreateTopWindow(win::CWnd& wnd, RECT rect = {20, 20, 720, 520},
                            DWORD style = WS_OVERLAPPEDWINDOW) {
    constexpr char kClass[] = "VelloranTestWindow";
    if (!win::CWnd::RegisterClass(kClass, CS_DBLCLKS, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) ||
        !wnd.Create(kClass, "Velloran test", style, 0, rect, nullptr))
        return false;
    wnd.ShowWindow(SW_SHOWNOACTIVATE);
    return true;
}

// The lParam of a mouse message at (x, y); negative coordinates kept.
inline LPARAM At(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

// Dispatches messages until done() holds or timeoutMs has passed; returns done().
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    DWORD start = ::GetTickCount();
    MSG msg;
    while (!done() && ::GetTickCount() - start < timeoutMs) {
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    return done();
}

// Dispatches every message that arrives within ms.
inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

// The visible dialog-class windows (#32770) of the calling thread.
inline std::vector<HWND> ThreadDialogs() {
    std::vector<HWND> found;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            char name[32] = {};
            ::GetClassNameA(hwnd, name, sizeof name);
            if (std::string(name) == "#32770" && ::IsWindowVisible(hwnd))
                reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The caption and the child texts of a message box.
struct SBoxTexts {
    std::string caption;
    std::vector<std::string> texts;
};

inline SBoxTexts ReadBox(HWND box) {
    SBoxTexts read;
    char text[512] = {};
    ::GetWindowTextA(box, text, sizeof text);
    read.caption = text;
    ::EnumChildWindows(
        box,
        [](HWND child, LPARAM param) -> BOOL {
            char text[512] = {};
            ::GetWindowTextA(child, text, sizeof text);
            reinterpret_cast<std::vector<std::string>*>(param)->push_back(text);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&read.texts));
    return read;
}

// One item of a real menu as the system reports it, with the items of its submenu.
struct SMenuRead {
    UINT id;
    std::string text; // empty for separators
    bool grayed, checked, separator;
    std::vector<SMenuRead> sub;
};

inline std::vector<SMenuRead> ReadMenu(HMENU menu) {
    std::vector<SMenuRead> items;
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        ::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        const bool separator = (info.fType & MFT_SEPARATOR) != 0;
        items.push_back({info.wID, separator ? std::string() : text, (info.fState & MFS_GRAYED) != 0,
                         (info.fState & MFS_CHECKED) != 0, separator,
                         info.hSubMenu ? ReadMenu(info.hSubMenu) : std::vector<SMenuRead>{}});
    }
    return items;
}

// Runs action(dialog) from a thread timer for each of the next `dialogs` dialog-class windows that
// show up on this thread (ones that did not exist when the closer was made, so never the test's own
// host dialog), for closing message boxes and common dialogs that run their own modal loop.
// Destroying the object stops the timer.
class CDialogCloser {
public:
    explicit CDialogCloser(std::function<void(HWND)> action, int dialogs = 1) {
        s_action = std::move(action);
        s_left = dialogs;
        s_known = ThreadDialogs();
        m_timer = ::SetTimer(nullptr, 0, 50, TimerProc);
    }
    ~CDialogCloser() {
        ::KillTimer(nullptr, m_timer);
        s_action = nullptr;
    }
    bool Done() const { return s_left == 0; }

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD) {
        for (HWND dialog : ThreadDialogs()) {
            if (s_left > 0 && std::find(s_known.begin(), s_known.end(), dialog) == s_known.end()) {
                s_known.push_back(dialog);
                --s_left;
                s_action(dialog);
                return;
            }
        }
    }

    UINT_PTR m_timer;
    static inline std::function<void(HWND)> s_action;
    static inline int s_left = 0;
    static inline std::vector<HWND> s_known;
};

// The 32-bit pixels, row by row, that paint leaves in a width x height picture.
inline std::vector<DWORD> Picture(int width, int height, const std::function<void(HDC)>& paint) {
    BITMAPINFO bi = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC dc = ::CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    paint(dc);
    ::GdiFlush();
    std::vector<DWORD> pixels(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + width * height);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return pixels;
}

} // namespace testsupport
