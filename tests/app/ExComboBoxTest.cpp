#include "app/dialogs/ExComboBox.h"

#include "AppTestResources.h"
#include "DialogHost.h"
#include "base/Error.h"

namespace {

using Ovix::CExComboBox;

class ExComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_host.Open(IDD_APP_CONTROLS, true);
        ASSERT_TRUE(m_box.SubclassDlgItem(IDC_C_DROPDOWN, m_host));
        for (const char* item : {"Modem", "ISDN", "ISDN128", "DSL", "DSL*2", "DSL*4"})
            m_box.AddString(item, 0);
        ::SetFocus(m_box.GetEdit());
        m_host.commands.clear();
    }
    void Type(const std::string& text) {
        for (char ch : text)
            ::SendMessageA(m_box.GetEdit(), WM_CHAR, static_cast<unsigned char>(ch), 1);
    }
    void Key(UINT key) { ::SendMessageA(m_box.GetEdit(), WM_KEYDOWN, key, 1); }
    std::pair<DWORD, DWORD> EditSel() {
        DWORD start = 0, end = 0;
        ::SendMessageA(m_box.GetEdit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
    // A notification as the combo box control itself sends it to the parent.
    void FromControl(int code) {
        ::SendMessageA(m_host, WM_COMMAND, MAKEWPARAM(IDC_C_DROPDOWN, code),
                       reinterpret_cast<LPARAM>(m_box.GetHwnd()));
    }
    std::vector<int> Codes() const { return m_host.CodesFrom(IDC_C_DROPDOWN); }
    // The selection notifications only, without the edit and focus ones the control adds.
    std::vector<int> SelectionCodes() const {
        std::vector<int> codes;
        for (int code : Codes()) {
            if (code == CBN_SELCHANGE || code == CBN_SELENDOK || code == CBN_SELENDCANCEL ||
                code == CBN_DBLCLK)
                codes.push_back(code);
        }
        return codes;
    }
    int Index(const char* text) const { return m_box.FindStringExact(-1, text); }

    apptest::CDialogHost m_host;
    CExComboBox m_box;
};

TEST_F(ExComboBoxTest, TypingAPrefixCompletesInline) {
    Type("d");
    EXPECT_EQ(m_box.GetWindowText(), "DSL");
    EXPECT_EQ(EditSel(), std::make_pair(DWORD{1}, DWORD{3}));
    Type("s");
    EXPECT_EQ(m_box.GetWindowText(), "DSL");
    EXPECT_EQ(EditSel(), std::make_pair(DWORD{2}, DWORD{3})) << "only the last letter stays selected";
    EXPECT_EQ(m_box.GetCurSel(), Index("DSL"));
    EXPECT_EQ(SelectionCodes(), std::vector<int>{CBN_SELCHANGE})
        << "one change for the item, none for the same";
    EXPECT_TRUE(m_box.IsSelEndPending());

    Type("L*4");
    EXPECT_EQ(m_box.GetWindowText(), "DSL*4");
    EXPECT_EQ(m_box.GetCurSel(), Index("DSL*4"));
    Type("x");
    EXPECT_EQ(m_box.GetWindowText(), "DSL*4x");
    EXPECT_EQ(SelectionCodes().back(), CBN_SELCHANGE) << "no match is reported as a change too";
}

TEST_F(ExComboBoxTest, CompletionIgnoresCaseAndBackspaceShortensTheTypedPart) {
    Type("isdn1");
    EXPECT_EQ(m_box.GetWindowText(), "ISDN128");
    EXPECT_EQ(EditSel(), std::make_pair(DWORD{5}, DWORD{7}));
    ::SendMessageA(m_box.GetEdit(), WM_CHAR, VK_BACK, 1);
    EXPECT_EQ(m_box.GetWindowText(), "ISDN");
    EXPECT_EQ(m_box.GetCurSel(), Index("ISDN"));
    EXPECT_EQ(EditSel(), std::make_pair(DWORD{4}, DWORD{4}));

    m_box.m_inlineCompletion = 0;
    m_box.SetWindowText("");
    Type("mo");
    EXPECT_EQ(m_box.GetWindowText(), "mo") << "completion switched off";
}

TEST_F(ExComboBoxTest, LeavingTheBoxSelectsTheMatchingItem) {
    const struct {
        const char* text;
        const char* selected;
    } cases[] = {{"zzz", "Modem"}, {"isd", "ISDN"}, {"DSL*", "DSL*2"}, {"", "Modem"}};
    for (const auto& c : cases) {
        m_box.SetCurSel(Index("DSL*4"));
        ::SetFocus(m_box.GetEdit());
        FromControl(CBN_SETFOCUS);
        m_box.SetWindowText(c.text);
        m_host.commands.clear();
        ::SetFocus(m_host.GetDlgItem(IDC_C_OTHER));
        EXPECT_EQ(m_box.GetSelectedText(), c.selected) << c.text;
        EXPECT_EQ(m_box.GetWindowText(), c.selected) << c.text;
        EXPECT_EQ(SelectionCodes(), (std::vector<int>{CBN_SELCHANGE, CBN_SELENDOK})) << c.text;
    }
    // The text of the selected item: nothing happens.
    ::SetFocus(m_box.GetEdit());
    m_host.commands.clear();
    ::SetFocus(m_host.GetDlgItem(IDC_C_OTHER));
    EXPECT_TRUE(SelectionCodes().empty());

    m_box.m_matchOnFocusLoss = 0;
    ::SetFocus(m_box.GetEdit());
    m_box.SetWindowText("zzz");
    ::SetFocus(m_host.GetDlgItem(IDC_C_OTHER));
    EXPECT_EQ(m_box.GetWindowText(), "zzz");
}

TEST_F(ExComboBoxTest, EnterConfirmsAndAsksTheParentToSearch) {
    Type("mod");
    m_host.commands.clear();
    Key(VK_RETURN);
    EXPECT_EQ(SelectionCodes(), (std::vector<int>{CBN_SELENDOK, CBN_DBLCLK}));
    EXPECT_FALSE(m_box.IsSelEndPending());
    m_host.commands.clear();
    Key(VK_RETURN);
    EXPECT_EQ(SelectionCodes(), std::vector<int>{CBN_DBLCLK}) << "nothing pending the second time";
}

TEST_F(ExComboBoxTest, TabMovesToTheNextControl) {
    EXPECT_EQ(::SendMessageA(m_box.GetEdit(), WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);
    Key(VK_TAB);
    HWND focus = ::GetFocus();
    HWND simple = m_host.GetDlgItem(IDC_C_SIMPLE);
    EXPECT_TRUE(focus == simple || ::IsChild(simple, focus));
}

TEST_F(ExComboBoxTest, FilterPassesOnlyRealSelectionChanges) {
    const int dsl = Index("DSL"), modem = Index("Modem");
    m_box.SetCurSel(dsl);
    FromControl(CBN_SETFOCUS);
    struct SStep {
        int select; // -3: leave the selection
        int code;
        bool passes;
    };
    const SStep steps[] = {
        {-3, CBN_SELCHANGE, false},     // unchanged since the focus came
        {modem, CBN_SELCHANGE, true},   // a real change
        {-3, CBN_SELCHANGE, false},     // the same again
        {-3, CBN_SELENDOK, true},       // differs from the last SELENDOK (DSL)
        {-3, CBN_SELENDOK, false},      // repeated
        {dsl, CBN_SELENDCANCEL, false}, // never passes; nothing pending
        {-3, CBN_EDITCHANGE, true},     // others pass untouched
    };
    for (const SStep& s : steps) {
        if (s.select != -3)
            m_box.SetCurSel(s.select);
        m_host.commands.clear();
        FromControl(s.code);
        EXPECT_EQ(Codes(), s.passes ? std::vector<int>{s.code} : std::vector<int>{}) << s.code;
    }
}

TEST_F(ExComboBoxTest, CancelWithAPendingChangeBecomesSelEndOk) {
    FromControl(CBN_SETFOCUS);
    Type("dsl*2"); // completion leaves a selection end pending
    ASSERT_TRUE(m_box.IsSelEndPending());
    m_host.commands.clear();
    FromControl(CBN_SELENDCANCEL);
    EXPECT_EQ(Codes(), std::vector<int>{CBN_SELENDOK});
    EXPECT_FALSE(m_box.IsSelEndPending());
}

TEST_F(ExComboBoxTest, OpeningTheListSelectsTheLongestMatchingPrefix) {
    m_box.m_inlineCompletion = 0;
    m_box.SetCurSel(Index("Modem"));
    FromControl(CBN_SETFOCUS);
    m_box.SetWindowText("DSL*9");
    m_host.commands.clear();
    FromControl(CBN_DROPDOWN);
    EXPECT_EQ(m_box.GetCurSel(), Index("DSL*2"));
    EXPECT_EQ(Codes(), (std::vector<int>{CBN_SELCHANGE, CBN_DROPDOWN}));
    m_box.SetWindowText("qq");
    m_host.commands.clear();
    FromControl(CBN_DROPDOWN);
    EXPECT_EQ(m_box.GetCurSel(), Index("DSL*2")) << "no prefix matches: selection kept";
    EXPECT_EQ(Codes(), std::vector<int>{CBN_DROPDOWN});
}

TEST_F(ExComboBoxTest, AddStringKeepsTheDataAndSelectedTextFollowsTheSelection) {
    int index = m_box.AddString("Custom", 77);
    EXPECT_EQ(m_box.GetItemData(index), 77);
    m_box.SetCurSel(-1);
    EXPECT_EQ(m_box.GetSelectedText(), "");
    m_box.SetCurSel(index);
    EXPECT_EQ(m_box.GetSelectedText(), "Custom");
}

TEST_F(ExComboBoxTest, DropDownListGetsAReadableOverlayWhileDisabled) {
    CExComboBox list;
    ASSERT_TRUE(list.SubclassDlgItem(IDC_C_LIST, m_host));
    EXPECT_EQ(list.m_matchOnFocusLoss, 0);
    HWND overlay = list.GetEdit();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(::GetDlgCtrlID(overlay), CExComboBox::kEditId);
    EXPECT_EQ(::GetParent(overlay), list.GetHwnd());
    EXPECT_TRUE(::GetWindowLongA(overlay, GWL_STYLE) & ES_READONLY);
    for (const char* item : {"Map Test", "Final", "Patch 1.02"})
        list.AddString(item, 0);
    list.SetCurSel(1);
    EXPECT_FALSE(::IsWindowVisible(overlay));
    ::EnableWindow(list, FALSE);
    EXPECT_TRUE(::IsWindowVisible(overlay));
    char text[64] = {};
    ::GetWindowTextA(overlay, text, sizeof text);
    EXPECT_STREQ(text, "Final");
    list.SetCurSel(2);
    ::GetWindowTextA(overlay, text, sizeof text);
    EXPECT_STREQ(text, "Patch 1.02");
    ::EnableWindow(list, TRUE);
    EXPECT_FALSE(::IsWindowVisible(overlay));
}

TEST_F(ExComboBoxTest, DisabledDropDownMakesItsEditReadOnly) {
    HWND edit = m_box.GetEdit();
    ::EnableWindow(m_box, FALSE);
    EXPECT_TRUE(::GetWindowLongA(edit, GWL_STYLE) & ES_READONLY);
    ::EnableWindow(m_box, TRUE);
    EXPECT_FALSE(::GetWindowLongA(edit, GWL_STYLE) & ES_READONLY);
}

TEST_F(ExComboBoxTest, SimpleComboWithAnotherEditIdIsRefused) {
    HWND simple = m_host.GetDlgItem(IDC_C_SIMPLE);
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(::GetComboBoxInfo(simple, &info));
    EXPECT_EQ(::GetDlgCtrlID(info.hwndItem), CExComboBox::kEditId);
    ::SetWindowLongPtrA(info.hwndItem, GWLP_ID, 5);
    CExComboBox box;
    EXPECT_THROW(box.SubclassDlgItem(IDC_C_SIMPLE, m_host), base::CError);
    EXPECT_EQ(box.GetHwnd(), nullptr);
    ::SetWindowLongPtrA(info.hwndItem, GWLP_ID, CExComboBox::kEditId);
    EXPECT_TRUE(box.SubclassDlgItem(IDC_C_SIMPLE, m_host));
    EXPECT_EQ(box.GetEdit(), info.hwndItem);
}

} // namespace
