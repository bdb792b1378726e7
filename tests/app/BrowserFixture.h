// Tests of the main window on a private registry key, with the common controls and the program's
// title set up as the program does.
#pragma once

#include "BrowserRig.h"
#include "FakeNetwork.h"
#include "RegistryTestKey.h"

#include "app/Settings.h"
#include "win/Controls.h"
#include "win/ErrorReport.h"

namespace testsupport {

class BrowserFixture : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        win::InitControls();
        win::SetAppTitle(app::kAppName);
    }

    // Runs the main window with script; returns what DoModal returned.
    INT_PTR Open(CBrowserRig::Script script) { return CBrowserRig(m_path, std::move(script)).DoModal(); }

    // Runs the main window with a master query of network at start-up; once it has ended, selects the
    // first row of the Server table and runs script with the window and that server's record.
    template <class Script> void OpenQueried(const CFakeNetwork& network, Script script) {
        PutText(app::value::kMaster, network.MasterText());
        PutInt(app::value::kStartupQuery, 2);
        CBrowserRig rig(m_path, [&](CBrowserRig& w) {
            ASSERT_TRUE(w.WaitForRunEnd());
            Tabra::CTableCtrl& servers = w.Lists().ServerTable();
            ASSERT_GT(servers.GetRowCount(), 0);
            servers.SetSelectedRow(0);
            auto* record = w.Lists().RecordOfKey(servers.GetCell(0, app::CServerLists::SERVER_KEY)->GetInt());
            ASSERT_NE(record, nullptr);
            script(w, *record);
        });
        rig.DoModal();
    }
};

} // namespace testsupport
