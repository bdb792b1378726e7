#include "win/Dialog.h"
#include "TestResources.h"
#include "support/Win.h"
#include "win/Controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using win::CDialog;
using win::CWnd;

namespace {

constexpr char kPaneClass[] = "VelloranWinTestPane";
constexpr UINT_PTR kScriptTimer = 1;

// Counts what reaches the edit control of the dialog.
class CEditSpy : public CWnd {
public:
    int chars = 0;

protected:
    void OnChar(UINT ch, UINT repeat, UINT flags) override {
        ++chars;
        CWnd::OnChar(ch, repeat, flags);
    }
};

// A test dialog driven by a script of steps that run one per timer tick inside its modal loop.
class CScriptedDialog : public CDialog {
public:
    CScriptedDialog() : CDialog(IDD_TEST_DIALOG) {}

    std::vector<std::function<void(CScriptedDialog&)>> steps;
    int inits = 0;
    int idleTicks = 0;
    bool refuseEmptyOk = false;
    int refusedOks = 0;
    std::string editTextAtOk;
    std::vector<std::string> notifications;

    CEditSpy edit;
    CWnd pane;
    win::CTabCtrl tabs;
    win::SPlaceholder placeholder;
    HWND placeholderBefore = nullptr, placeholderAfter = nullptr;

protected:
    bool OnInitDialog() override {
        ++inits;
        EXPECT_TRUE(edit.SubclassDlgItem(IDC_TEST_EDIT, m_hwnd));
        edit.SetWindowText("hello");

        placeholderBefore = GetDlgItem(IDC_TEST_LABEL);
        placeholderAfter = GetDlgItem(IDC_TEST_TABS);
        EXPECT_TRUE(win::TakePlaceholder(m_hwnd, IDC_TEST_PLACEHOLDER, placeholder));
        EXPECT_TRUE(CWnd::RegisterClass(kPaneClass));
        EXPECT_TRUE(pane.Create(kPaneClass, "Tabra", WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE,
                                placeholder.rect, m_hwnd, placeholder.id));
        win::PlaceInTabOrder(pane.GetHwnd(), placeholder);

        tabs.Attach(GetDlgItem(IDC_TEST_TABS));
        tabs.InsertItem(0, "Player list");
        tabs.InsertItem(1, "Server list");

        SetTimer(kScriptTimer, 20);
        return CDialog::OnInitDialog();
    }
    void OnTimer(UINT_PTR id) override {
        if (id != kScriptTimer)
            return;
        if (steps.empty()) {
            // The script should have ended the dialog; never hang the suite.
            if (++idleTicks > 250)
                EndDialog(-2);
            return;
        }
        auto step = steps.front();
        steps.erase(steps.begin());
        step(*this);
    }
    void OnOK() override {
        editTextAtOk = edit.GetWindowText();
        if (refuseEmptyOk && editTextAtOk.empty()) {
            ++refusedOks;
            return;
        }
        CDialog::OnOK();
    }
    bool OnCommand(int id, int code, HWND control) override {
        if (id == 1099) {
            EndDialog(42);
            return true;
        }
        return CDialog::OnCommand(id, code, control);
    }
    bool OnNotify(NMHDR* header, LRESULT& result) override {
        notifications.push_back(std::to_string(header->idFrom) + " " +
                                std::to_string(static_cast<int>(header->code)));
        result = 0;
        return true;
    }
};

void PostCommand(CScriptedDialog& d, int id) {
    d.PostMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

TEST(Dialog, EndsWithThePostedCommandsResult) {
    win::InitControls();
    struct Case {
        int command;
        INT_PTR result;
    } cases[] = {{IDOK, IDOK}, {IDCANCEL, IDCANCEL}, {1099, 42}};
    for (const Case& c : cases) {
        CScriptedDialog dlg;
        dlg.steps = {[&](CScriptedDialog& d) { PostCommand(d, c.command); }};
        EXPECT_EQ(dlg.DoModal(), c.result) << c.command;
        EXPECT_EQ(dlg.inits, 1);
        EXPECT_EQ(dlg.GetHwnd(), nullptr) << "the object lets go of the destroyed dialog";
    }
}

TEST(Dialog, OkHandlerReadsTheControlsAndMayRefuse) {
    win::InitControls();
    CScriptedDialog dlg;
    dlg.refuseEmptyOk = true;
    dlg.steps = {
        [](CScriptedDialog& d) { ::SetWindowTextA(d.edit.GetHwnd(), ""); },
        [](CScriptedDialog& d) { PostCommand(d, IDOK); },
        [](CScriptedDialog& d) {
            for (char c : std::string("abc"))
                ::SendMessageA(d.edit.GetHwnd(), WM_CHAR, static_cast<WPARAM>(c), 1);
        },
        [](CScriptedDialog& d) { ::SendMessageA(d.GetDlgItem(IDOK), BM_CLICK, 0, 0); },
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.refusedOks, 1);
    EXPECT_EQ(dlg.editTextAtOk, "abc");
    EXPECT_EQ(dlg.edit.chars, 3);
}

TEST(Dialog, EscapeKeyCancels) {
    win::InitControls();
    CScriptedDialog dlg;
    dlg.steps = {
        [](CScriptedDialog& d) {
            ::SetFocus(d.edit.GetHwnd());
            ::PostMessageA(d.edit.GetHwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
        },
        [](CScriptedDialog& d) { PostCommand(d, 1099); }, // only reached if Escape did nothing
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST(Dialog, ControlsComeFromTheTemplate) {
    win::InitControls();
    CScriptedDialog dlg;
    RECT editRect = {}, expected = {10, 10, 110, 22};
    std::string caption, label;
    dlg.steps = {[&](CScriptedDialog& d) {
        editRect = d.edit.GetRectInParent();
        ::MapDialogRect(d.GetHwnd(), &expected);
        caption = d.GetWindowText();
        char text[32] = {};
        ::GetDlgItemTextA(d.GetHwnd(), IDC_TEST_LABEL, text, sizeof text);
        label = text;
        PostCommand(d, IDCANCEL);
    }};
    ASSERT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(caption, "Window layer test");
    EXPECT_EQ(label, "Label");
    EXPECT_EQ(editRect.left, expected.left);
    EXPECT_EQ(editRect.top, expected.top);
    EXPECT_EQ(editRect.right, expected.right);
    EXPECT_EQ(editRect.bottom, expected.bottom);
}

TEST(Dialog, PlaceholderIsReplacedInPlaceAndTabOrder) {
    win::InitControls();
    CScriptedDialog dlg;
    RECT expected = {10, 38, 100, 78}, paneRect = {};
    HWND itemAtId = nullptr, before = nullptr, after = nullptr;
    LONG exStyle = 0;
    dlg.steps = {[&](CScriptedDialog& d) {
        ::MapDialogRect(d.GetHwnd(), &expected);
        paneRect = d.pane.GetRectInParent();
        itemAtId = d.GetDlgItem(IDC_TEST_PLACEHOLDER);
        before = ::GetWindow(d.pane.GetHwnd(), GW_HWNDPREV);
        after = ::GetWindow(d.pane.GetHwnd(), GW_HWNDNEXT);
        exStyle = ::GetWindowLongA(d.pane.GetHwnd(), GWL_EXSTYLE);
        PostCommand(d, IDCANCEL);
    }};
    ASSERT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.placeholder.id, IDC_TEST_PLACEHOLDER);
    EXPECT_TRUE(dlg.placeholder.style & SS_BLACKFRAME);
    EXPECT_EQ(dlg.placeholder.rect.left, expected.left);
    EXPECT_EQ(dlg.placeholder.rect.bottom, expected.bottom);
    EXPECT_EQ(paneRect.left, expected.left);
    EXPECT_EQ(paneRect.top, expected.top);
    EXPECT_EQ(paneRect.right, expected.right);
    EXPECT_EQ(paneRect.bottom, expected.bottom);
    EXPECT_NE(itemAtId, nullptr);
    EXPECT_EQ(before, dlg.placeholderBefore);
    EXPECT_EQ(after, dlg.placeholderAfter);
    EXPECT_TRUE(exStyle & WS_EX_CLIENTEDGE);
}

TEST(Dialog, TabClickNotifiesTheDialog) {
    win::InitControls();
    CScriptedDialog dlg;
    int count = 0, selected = -1;
    dlg.steps = {
        [&](CScriptedDialog& d) {
            count = d.tabs.GetItemCount();
            RECT r = d.tabs.GetItemRect(1);
            LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            d.tabs.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
            d.tabs.SendMessage(WM_LBUTTONUP, 0, at);
        },
        [&](CScriptedDialog& d) {
            selected = d.tabs.GetCurSel();
            PostCommand(d, IDCANCEL);
        },
    };
    ASSERT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(selected, 1);
    auto has = [&](const std::string& n) {
        return std::find(dlg.notifications.begin(), dlg.notifications.end(), n) != dlg.notifications.end();
    };
    EXPECT_TRUE(has("1004 " + std::to_string(static_cast<int>(TCN_SELCHANGING))));
    EXPECT_TRUE(has("1004 " + std::to_string(static_cast<int>(TCN_SELCHANGE))));
}

TEST(Dialog, MissingTemplateFails) {
    CDialog dlg(4711);
    EXPECT_EQ(dlg.DoModal(), -1);
}

} // namespace
