// Helpers for the tests of the program's windows: a private registry key per test, a modeless test
// dialog from a template, key input handed to dialogs as a modal loop does, and message boxes answered
// as a user would.
#pragma once

#include "app/dialogs/DlgLayout.h"
#include "support/Win.h"
#include "win/Window.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A private registry key per test under HKEY_CURRENT_USER of the test's Wine prefix, deleted afterwards,
// with raw access that bypasses the classes under test.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::string("Software\\Velloran Tests\\") + info->test_suite_name() + "." + info->name();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
    }
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str()); }

    void PutRaw(const char* name, DWORD type, const void* data, DWORD size) {
        EXPECT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, m_path.c_str(), name, type, data, size), ERROR_SUCCESS);
    }
    void PutInt(const char* name, int v) { PutRaw(name, REG_DWORD, &v, sizeof v); }
    void PutText(const char* name, const std::string& text) {
        PutRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    // The stored bytes of a value and its type; type 0 when it is missing.
    std::string GetRaw(const char* name, DWORD& type) {
        char buffer[2048];
        DWORD size = sizeof buffer;
        type = 0;
        const LSTATUS got = ::RegGetValueA(HKEY_CURRENT_USER, m_path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND,
                                           &type, buffer, &size);
        return got == ERROR_SUCCESS ? std::string(buffer, size) : "";
    }
    std::string GetText(const char* name) {
        DWORD type = 0;
        const std::string data = GetRaw(name, type);
        return type == REG_SZ ? data.substr(0, data.find('\0')) : "<missing>";
    }
    // A value of exactly the size of T, or `missing`.
    template <class T> T Get(const char* name, T missing) {
        DWORD type = 0;
        const std::string data = GetRaw(name, type);
        if (data.size() == sizeof missing)
            memcpy(&missing, data.data(), sizeof missing);
        return missing;
    }
    int GetInt(const char* name) { return Get(name, -12345); }

    std::string m_path;
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

    RECT ItemRect(int id) const { return RectOf(GetDlgItem(id)); }
    RECT RectOf(HWND window) const { return win::WindowRectIn(window, m_hwnd); }
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
