#include "win/Dialog.h"
#include "TestResources.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using win::CDialog;

namespace {

// The test dialog: its script runs at the first tick of a timer inside the modal loop; a second later the
// dialog ends with -2, so that a script that ends nothing never hangs the suite. Command 1099 ends it
// with 42.
class CScriptedDialog : public CDialog {
public:
    explicit CScriptedDialog(std::function<void(CScriptedDialog&)> script)
        : CDialog(IDD_TEST_DIALOG), m_script(std::move(script)) {}
    int inits = 0;

protected:
    bool OnInitDialog() override {
        ++inits;
        SetTimer(1, 20);
        return CDialog::OnInitDialog();
    }
    void OnTimer(UINT_PTR) override {
        ++m_ticks == 1 ? m_script(*this) : m_ticks > 50 ? EndDialog(-2) : void();
    }
    bool OnCommand(int id, int code, HWND control) override {
        return id == 1099 ? (EndDialog(42), true) : CDialog::OnCommand(id, code, control);
    }

private:
    std::function<void(CScriptedDialog&)> m_script;
    int m_ticks = 0;
};

TEST(Dialog, EndsWithThePostedCommandsResultOrEscape) {
    for (const auto& [key, command, result] :
         {std::tuple{0, IDOK, INT_PTR{IDOK}}, {0, 1099, 42}, {VK_ESCAPE, 0, INT_PTR{IDCANCEL}}}) {
        CScriptedDialog dlg([key, command](CScriptedDialog& d) {
            HWND edit = d.GetDlgItem(IDC_TEST_EDIT);
            ::SetFocus(edit);
            key ? ::PostMessageA(edit, WM_KEYDOWN, key, 1)
                : d.PostMessage(WM_COMMAND, MAKEWPARAM(command, 0));
        });
        EXPECT_EQ(dlg.DoModal(), result) << command;
        EXPECT_EQ(dlg.inits, 1);
        EXPECT_EQ(dlg.GetHwnd(), nullptr) << "the object lets go of the destroyed dialog";
    }
    EXPECT_EQ(CDialog(4711).DoModal(), -1) << "no such template";
}

} // namespace
