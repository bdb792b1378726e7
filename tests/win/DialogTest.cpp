#include "win/Dialog.h"
#include "TestResources.h"
#include "support/Win.h"
#include "win/Controls.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using win::CDialog;

namespace {

// The test dialog; steps of a script run one per timer tick inside its modal loop. OK is refused while
// the edit is empty.
class CScriptedDialog : public CDialog {
public:
    CScriptedDialog() : CDialog(IDD_TEST_DIALOG) {}

    std::vector<std::function<void(CScriptedDialog&)>> steps;
    size_t next = 0;
    int inits = 0, ticks = 0, refusedOks = 0;
    HWND Edit() const { return GetDlgItem(IDC_TEST_EDIT); }
    void Post(int id) { PostMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

protected:
    bool OnInitDialog() override {
        ++inits;
        SetTimer(1, 20);
        return CDialog::OnInitDialog();
    }
    void OnTimer(UINT_PTR) override {
        if (next < steps.size())
            steps[next++](*this);
        else if (++ticks > 250) // the script should have ended the dialog; never hang the suite
            EndDialog(-2);
    }
    void OnOK() override { ::GetWindowTextLengthA(Edit()) ? CDialog::OnOK() : void(++refusedOks); }
    bool OnCommand(int id, int code, HWND control) override {
        return id == 1099 ? (EndDialog(42), true) : CDialog::OnCommand(id, code, control);
    }
};

TEST(Dialog, EndsWithThePostedCommandsResultOrEscape) {
    win::InitControls();
    const struct {
        int command;
        INT_PTR result;
    } cases[] = {{IDCANCEL, IDCANCEL}, {1099, 42}, {VK_ESCAPE, IDCANCEL}};
    for (const auto& c : cases) {
        CScriptedDialog dlg;
        dlg.steps = {[&](CScriptedDialog& d) {
                         if (c.command != VK_ESCAPE)
                             return d.Post(c.command);
                         ::SetFocus(d.Edit());
                         ::PostMessageA(d.Edit(), WM_KEYDOWN, VK_ESCAPE, 1);
                     },
                     [](CScriptedDialog& d) { d.Post(1099); }}; // only reached if Escape did nothing
        EXPECT_EQ(dlg.DoModal(), c.result) << c.command;
        EXPECT_EQ(dlg.inits, 1);
        EXPECT_EQ(dlg.GetHwnd(), nullptr) << "the object lets go of the destroyed dialog";
    }
    EXPECT_EQ(CDialog(4711).DoModal(), -1) << "no such template";
}

TEST(Dialog, ControlsComeFromTheTemplateAndOkMayRefuse) {
    win::InitControls();
    CScriptedDialog dlg;
    RECT expected = {10, 10, 110, 22}, edit = {};
    dlg.steps = {[&](CScriptedDialog& d) {
                     ::MapDialogRect(d, &expected);
                     ::GetWindowRect(d.Edit(), &edit);
                     ::MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&edit), 2);
                     d.Post(IDOK);
                 },
                 [](CScriptedDialog& d) { ::SendMessageA(d.Edit(), WM_CHAR, 'a', 1); },
                 [](CScriptedDialog& d) { ::SendMessageA(d.GetDlgItem(IDOK), BM_CLICK, 0, 0); }};
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.refusedOks, 1);
    EXPECT_TRUE(::EqualRect(&edit, &expected));
}

} // namespace
