// A test of the main window on a private registry key, with a game network of one answering server
// queried at start-up, so that the Server list has a row to act on.
#pragma once

#include "BrowserRig.h"
#include "FakeNetwork.h"
#include "RegistryTestKey.h"

#include "app/Settings.h"
#include "win/Controls.h"
#include "win/ErrorReport.h"

namespace apptest {

// Runs one step on each dialog that shows up on this thread while it lives, in order of appearance
// (dialogs past the last step get OK), and keeps the child texts of them all.
class CDialogSteps {
public:
    using Step = std::function<void(HWND)>;
    explicit CDialogSteps(std::vector<Step> steps) {
        s_steps = std::move(steps);
        s_shown = {};
        s_known = wintest::ThreadDialogs();
        s_first = s_known.size();
        m_timer = ::SetTimer(nullptr, 0, 50, Tick);
    }
    ~CDialogSteps() { ::KillTimer(nullptr, m_timer); }
    CDialogSteps(const CDialogSteps&) = delete;
    CDialogSteps& operator=(const CDialogSteps&) = delete;
    const wintest::SBoxTexts& Shown() const { return s_shown; }
    // A step that presses button id.
    static Step Answer(int id) {
        return [id](HWND dialog) { ::PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(id), 0); };
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = wintest::FindThreadDialog(s_known);
        if (!dialog)
            return;
        s_known.push_back(dialog);
        const auto texts = wintest::ReadBox(dialog).texts;
        s_shown.texts.insert(s_shown.texts.end(), texts.begin(), texts.end());
        const size_t index = s_known.size() - s_first - 1;
        (index < s_steps.size() ? s_steps[index] : Answer(IDOK))(dialog);
    }
    UINT_PTR m_timer;
    static inline std::vector<Step> s_steps;
    static inline wintest::SBoxTexts s_shown;
    static inline std::vector<HWND> s_known;
    static inline size_t s_first = 0;
};

class BrowserFixture : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        win::InitControls();
        win::SetAppTitle(app::kAppName);
        PutText(app::value::kMaster, m_network.MasterText());
        PutInt(app::value::kStartupQuery, 2);
        PutInt(app::value::kLastView, 1);
    }

    void PutInt(const char* name, int v) { PutRaw(name, REG_DWORD, &v, sizeof v); }
    void PutText(const char* name, const std::string& text) {
        PutRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    std::string GetText(const char* name) {
        DWORD type = 0;
        std::string data;
        return GetRaw(name, type, data) && type == REG_SZ ? data.substr(0, data.find('\0')) : "<missing>";
    }
    int GetInt(const char* name) {
        DWORD type = 0;
        std::string data;
        int v = -12345;
        if (GetRaw(name, type, data) && data.size() == sizeof v)
            memcpy(&v, data.data(), sizeof v);
        return v;
    }

    // Runs the window until the start-up query has ended, selects the server's row and runs script.
    template <class Rig = CBrowserRig, class Script> INT_PTR Open(Script script) {
        Rig rig(m_path, [&](CBrowserRig& w) {
            ASSERT_TRUE(w.WaitForRunEnd());
            Tabra::CTableCtrl& servers = w.Lists().ServerTable();
            ASSERT_EQ(servers.GetRowCount(), 1);
            servers.SetSelectedRow(0);
            auto* record = w.Lists().RecordOfKey(servers.GetCell(0, app::CServerLists::SERVER_KEY)->GetInt());
            ASSERT_NE(record, nullptr);
            script(static_cast<Rig&>(w), *record);
        });
        return rig.DoModal();
    }

    CFakeNetwork m_network{{MakeServer("Alpha", 2, 3, 20)}};
};

} // namespace apptest
