// Helpers for the tests of the program's windows: a private registry key per test, a modeless test
// dialog from a template, key input handed to dialogs as a modal loop does, and message boxes answered
// as a user would.
#pragma once

#include "app/Settings.h"
#include "app/dialogs/DlgLayout.h"
#include "support/Win.h"
#include "win/Window.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A private registry key per test under HKEY_CURRENT_USER of the test's Wine prefix, opened as the
// program opens its settings key (the key class has tests of its own) and deleted afterwards.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::string("Software\\Velloran Tests\\") + info->test_suite_name() + "." + info->name();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
        ASSERT_TRUE(app::OpenSettingsKey(m_key, m_path.c_str()));
    }
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str()); }

    // Stores bytes of any type as they are, past the key class.
    void PutRaw(const char* name, DWORD type, const void* data, DWORD size) {
        EXPECT_FALSE(::RegSetKeyValueA(HKEY_CURRENT_USER, m_path.c_str(), name, type, data, size));
    }

    std::string m_path;
    app::CRegistryKey m_key;
};

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
                  const SBoxTexts read = ReadBox(box);
                  shown.push_back(read.caption);
                  for (const std::string& t : read.texts)
                      shown.back() += "|" + t;
                  ::PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
              },
              INT_MAX) {}
    // Whether any dialog showed text.
    bool Showed(const std::string& text) const {
        return std::any_of(shown.begin(), shown.end(),
                           [&](const std::string& s) { return s.find(text) != std::string::npos; });
    }
    std::vector<std::string> shown;

private:
    CDialogCloser m_closer;
};

// A modeless dialog from a template whose window is routed through a CWnd: it records the commands its
// controls send and re-lays out on WM_SIZE.
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

    RECT ItemRect(int id) const { return win::WindowRectIn(GetDlgItem(id), m_hwnd); }
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
        for (const auto& [from, code] : commands) {
            if (from == id)
                codes.push_back(code);
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
