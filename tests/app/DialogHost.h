// A modeless test dialog from a template whose window is routed through a CWnd: it records the commands
// its controls send and re-lays out on WM_SIZE. Key input is handed to dialogs as a modal loop does, and
// message boxes are answered as a user would.
#pragma once

#include "app/dialogs/DlgLayout.h"
#include "support/Win.h"
#include "win/Window.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// Hands a key message for the focus window (or target) to the dialog manager of dialog, as a modal
// loop does; the message filter sees it first. Returns whether the dialog manager took it.
inline bool DialogKey(HWND dialog, UINT msg, WPARAM key, HWND target = nullptr) {
    HWND to = target ? target : ::GetFocus() ? ::GetFocus() : dialog;
    MSG m{to, msg, key, msg == WM_SYSCHAR ? 0x20000000 : 0, 0, {}};
    return ::IsDialogMessageA(dialog, &m) != FALSE;
}

// Presses (or releases) a modifier key in the thread's keyboard state, as GetKeyState reads it.
inline void SetKeyState(int key, bool down) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[key] = down ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

// Answers every dialog that shows up on this thread while it lives with button, and keeps what each
// showed: its caption and child texts joined by '|'.
class CBoxAnswers {
public:
    explicit CBoxAnswers(int button = IDOK)
        : m_closer(
              [this, button](HWND box) {
                  const testsupport::SBoxTexts read = testsupport::ReadBox(box);
                  std::string all = read.caption;
                  for (const std::string& t : read.texts)
                      all += "|" + t;
                  shown.push_back(all);
                  ::PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
              },
              INT_MAX) {}
    // Whether any dialog showed text.
    bool Showed(const std::string& text) const {
        for (const std::string& s : shown) {
            if (s.find(text) != std::string::npos)
                return true;
        }
        return false;
    }
    std::vector<std::string> shown;

private:
    testsupport::CDialogCloser m_closer;
};

// The rectangle of window in the client coordinates of parent.
inline RECT RectIn(HWND parent, HWND window) {
    RECT rc = {};
    ::GetWindowRect(window, &rc);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

class CDialogHost : public win::CWnd {
public:
    ~CDialogHost() override {
        if (m_hwnd)
            ::DestroyWindow(m_hwnd);
    }

    // Showing costs time under Wine; only tests that need the focus show the dialog.
    void Open(int templateId, bool show = false) {
        HWND hwnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr,
                                         &CDialogHost::DialogProc, 0);
        ASSERT_NE(hwnd, nullptr);
        ASSERT_TRUE(SubclassWindow(hwnd));
        if (show) {
            ::ShowWindow(hwnd, SW_SHOW);
            ::SetForegroundWindow(hwnd);
        }
    }

    RECT ItemRect(int id) const { return RectIn(m_hwnd, GetDlgItem(id)); }
    RECT RectOf(HWND window) const { return RectIn(m_hwnd, window); }
    // Resizes the window so that its client area grows by dx, dy.
    void Grow(int dx, int dy) {
        RECT rc = {};
        ::GetWindowRect(m_hwnd, &rc);
        ::SetWindowPos(m_hwnd, nullptr, 0, 0, rc.right - rc.left + dx, rc.bottom - rc.top + dy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The notification codes received from control id, in order.
    std::vector<int> CodesFrom(int id) const {
        std::vector<int> codes;
        for (const auto& c : commands) {
            if (c.first == id)
                codes.push_back(c.second);
        }
        return codes;
    }

    std::vector<std::pair<int, int>> commands; // id, code
    Dialux::CDlgLayout* layout = nullptr;

protected:
    bool OnCommand(int id, int code, HWND) override {
        commands.emplace_back(id, code);
        return true;
    }
    void OnSize(UINT type, int cx, int cy) override {
        win::CWnd::OnSize(type, cx, cy);
        if (layout)
            layout->Layout();
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }
};

} // namespace testsupport
