#include "app/dialogs/ExComboBox.h"

#include "AppTestResources.h"
#include "DialogHost.h"

namespace {

using Ovix::CExComboBox;
using Codes = std::vector<int>;

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
    // The edit's text, its selection and the selected item ("-" for none).
    std::string State() {
        DWORD start = 0, end = 0;
        ::SendMessageA(m_box.GetEdit(), EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        const int item = m_box.GetCurSel();
        return m_box.GetWindowText() + " " + std::to_string(start) + "-" + std::to_string(end) + " " +
               (item < 0 ? "-" : m_box.GetLBText(item));
    }
    // A notification as the combo box control itself sends it to the parent.
    void FromControl(int code) {
        ::SendMessageA(m_host, WM_COMMAND, MAKEWPARAM(IDC_C_DROPDOWN, code), (LPARAM)m_box.GetHwnd());
    }
    // The codes the parent received since the last call, all of them or only the selection ones.
    Codes TakeCodes(bool selectionOnly = false) {
        Codes codes = m_host.CodesFrom(IDC_C_DROPDOWN);
        if (selectionOnly) // CBN_SELCHANGE, CBN_DBLCLK, CBN_SELENDOK, CBN_SELENDCANCEL
            std::erase_if(codes, [](int code) { return code > CBN_DBLCLK && code < CBN_SELENDOK; });
        m_host.commands.clear();
        return codes;
    }
    int Index(const char* text) const { return m_box.FindStringExact(-1, text); }

    testsupport::CDialogHost m_host;
    CExComboBox m_box;
};

TEST_F(ExComboBoxTest, TypingCompletesInlineIgnoringCaseAndBackspaceShortensTheTypedPart) {
    struct Case {
        const char* typed;
        const char* state;
        Codes codes;
    } steps[] = {
        {"d", "DSL 1-3 DSL", {CBN_SELCHANGE}},
        {"s", "DSL 2-3 DSL", {}}, // the same item: no change; only the last letter stays selected
        {"L", "DSL 3-3 DSL", {}},
        {"*", "DSL*2 4-5 DSL*2", {CBN_SELCHANGE}},
        {"4", "DSL*4 5-5 DSL*4", {CBN_SELCHANGE}},
        {"x", "DSL*4x 6-6 -", {CBN_SELCHANGE}}, // no match is reported as a change too
    };
    for (const auto& s : steps) {
        Type(s.typed);
        EXPECT_EQ(State(), s.state);
        EXPECT_EQ(TakeCodes(true), s.codes) << s.typed;
        EXPECT_TRUE(m_box.IsSelEndPending());
    }
    m_box.SetWindowText("");
    Type("isdn1");
    EXPECT_EQ(State(), "ISDN128 5-7 ISDN128");
    Type("\b");
    EXPECT_EQ(State(), "ISDN 4-4 ISDN");
}

TEST_F(ExComboBoxTest, EnterAsksTheParentToSearchCancelConfirmsAPendingChangeAndTabMovesOn) {
    Type("mod");
    TakeCodes();
    for (const Codes& codes : {Codes{CBN_SELENDOK, CBN_DBLCLK}, Codes{CBN_DBLCLK}}) { // nothing pending then
        EXPECT_TRUE(testsupport::DialogKey(m_host, WM_KEYDOWN, VK_RETURN, m_box.GetEdit()));
        EXPECT_EQ(TakeCodes(true), codes);
    }
    m_box.SetWindowText("");
    FromControl(CBN_SETFOCUS);
    Type("dsl*2");
    ASSERT_TRUE(m_box.IsSelEndPending());
    TakeCodes();
    FromControl(CBN_SELENDCANCEL);
    EXPECT_EQ(TakeCodes(), Codes{CBN_SELENDOK});
    EXPECT_FALSE(m_box.IsSelEndPending());

    testsupport::DialogKey(m_host, WM_KEYDOWN, VK_TAB, m_box.GetEdit());
    HWND simple = m_host.GetDlgItem(IDC_C_SIMPLE);
    EXPECT_TRUE(::GetFocus() == simple || ::IsChild(simple, ::GetFocus()));
    m_box.m_matchOnFocusLoss = 0; // leaving the box then keeps the typed text
    m_box.SetWindowText("zzz");
    ::SetFocus(m_box.GetEdit());
    ::SetFocus(m_host.GetDlgItem(IDC_C_OTHER));
    EXPECT_EQ(m_box.GetWindowText(), "zzz");
}

TEST_F(ExComboBoxTest, FilterPassesOnlyRealSelectionChangesOpeningSelectsTheLongestPrefixAndNoOverlayShows) {
    const int dsl = Index("DSL"), modem = Index("Modem"), keep = -3;
    m_box.SetCurSel(dsl);
    FromControl(CBN_SETFOCUS);
    struct Case {
        int select;
        int code;
        bool passes;
    } steps[] = {
        {keep, CBN_SELCHANGE, false},   // unchanged since the focus came
        {modem, CBN_SELCHANGE, true},   // a real change
        {keep, CBN_SELCHANGE, false},   // the same again
        {keep, CBN_SELENDOK, true},     // differs from the last SELENDOK (DSL)
        {keep, CBN_SELENDOK, false},    // repeated
        {dsl, CBN_SELENDCANCEL, false}, // never passes; nothing pending
        {keep, CBN_EDITCHANGE, true},   // others pass untouched
    };
    for (const auto& s : steps) {
        if (s.select != keep)
            m_box.SetCurSel(s.select);
        TakeCodes();
        FromControl(s.code);
        EXPECT_EQ(TakeCodes(), s.passes ? Codes{s.code} : Codes{}) << s.code;
    }
    // Opening selects the item with the longest prefix of the text; without one the selection is kept.
    for (const auto& [text, codes] :
         {std::pair{"DSL*9", Codes{CBN_SELCHANGE, CBN_DROPDOWN}}, {"qq", Codes{CBN_DROPDOWN}}}) {
        m_box.SetWindowText(text);
        FromControl(CBN_DROPDOWN);
        EXPECT_EQ(m_box.GetCurSel(), Index("DSL*2")) << text;
        EXPECT_EQ(TakeCodes(), codes) << text;
    }
    // The program never disables its boxes: the read-only overlay a drop-down list gets for that stays
    // hidden.
    CExComboBox list;
    ASSERT_TRUE(list.SubclassDlgItem(IDC_C_LIST, m_host));
    list.AddString("Final", 0);
    list.SetCurSel(0);
    ASSERT_NE(list.GetEdit(), nullptr);
    EXPECT_FALSE(::IsWindowVisible(list.GetEdit()));
}

} // namespace
