// The main window driven as a user would: the real dialog, its registry key, and a game network of
// UDP peers inside the test.
#include "BrowserRig.h"

#include <algorithm>
#include <sstream>

namespace {

using namespace app;
using namespace testsupport;

class BrowserDlgTest : public BrowserFixture {
protected:
    // Points the window at network's master and sets the query speed (0: one new server per 200 ms).
    void UseNetwork(const CFakeNetwork& network, int speed) {
        m_key.WriteString(value::kMaster, network.MasterText());
        m_key.WriteInt(value::kSpeed, speed);
    }
    static bool Same(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }
    static std::string Counts(CBrowserRig& w) {
        return std::to_string(w.Label(IDC_SERVER_COUNT)) + " servers, " +
               std::to_string(w.Label(IDC_PLAYER_COUNT)) + " players";
    }
};

// Shows the Master Server dialog, enters text and presses button; returns what the dialog showed, then
// the texts of a message box over it, each after a '|' (the dialog is cancelled then).
std::string EditMaster(CBrowserRig& w, const std::string& text, int button) {
    HWND dialog = nullptr;
    std::string shown;
    CDialogCloser closer(
        [&](HWND d) {
            if (dialog) {
                shown += ::IsWindowVisible(dialog) ? "" : "|the dialog closed";
                for (const std::string& t : ReadBox(d).texts)
                    shown += "|" + t;
                ::PostMessageA(d, WM_COMMAND, IDOK, 0);
                ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            dialog = d;
            shown = ReadBox(d).caption + ": " + ReadBox(::GetDlgItem(d, IDC_MASTER_TEXT)).caption;
            ::SetDlgItemTextA(d, IDC_MASTER_TEXT, text.c_str());
            ::PostMessageA(d, WM_COMMAND, static_cast<WPARAM>(button), 0);
        },
        2);
    w.Click(IDC_MASTER_DIALOG);
    return shown;
}

// What the window shows of its settings: version, speed, the two boxes, the view and which tables are
// visible, the master text.
std::string Shown(CBrowserRig& w) {
    std::ostringstream o;
    o << w.Selection(IDC_VERSION) << w.Selection(IDC_SPEED) << w.Checked(IDC_INCLUDE_EMPTY)
      << w.Checked(IDC_INCLUDE_FULL) << " " << w.GetView()
      << ::SendDlgItemMessageA(w, IDC_TABS, TCM_GETCURSEL, 0, 0) << w.Lists().PlayerTable().IsWindowVisible()
      << w.Lists().ServerTable().IsWindowVisible() << " " << w.GetMasterText();
    return o.str();
}

TEST_F(BrowserDlgTest, NextStartShowsWhatTheLastOneLeftAndOnlyTheNormalPlacementIsStored) {
    RECT placed = {};
    const std::string password(10000, 'p');
    std::string history;
    EXPECT_EQ(Open([&](CBrowserRig& w) {
                  EXPECT_EQ(w.GetWindowText(), "Velloran Wolfenstein - Enemy Territory 1.02a");
                  EXPECT_EQ(Shown(w), std::string("3101 0010 ") + kDefaultMaster);
                  EXPECT_FALSE(w.Run().IsRunning()) << "StartupQuery 0 starts nothing";
                  w.Select(IDC_VERSION, 2);
                  w.Select(IDC_SPEED, 4);
                  w.Check(IDC_INCLUDE_EMPTY, true);
                  w.Check(IDC_INCLUDE_FULL, false);
                  w.SelectTab(1);
                  ::MoveWindow(w, 60, 40, w.GetMinimumSize().cx + 200, w.GetMinimumSize().cy + 100, TRUE);
                  placed = w.Rect();
                  EXPECT_EQ(w.SplitBar().SetPos(40), 40);
                  w.Lists().PlayerTable().SetWidth(0, 200);
                  w.Lists().ServerTable().SetColumnVisible(CServerLists::SERVER_IP, false);
                  w.SetMasterText("127.0.0.1:27999");
                  for (int i = 10; i < 50; ++i) {
                      w.PlayerSearch().SearchPlayer("player" + std::to_string(i));
                      history = "player" + std::to_string(i) + "\n" + history;
                  }
                  w.PlayerSearch().SearchPlayer(std::string(20000, 'z')); // longer than the registry holds
                  ::SetDlgItemTextA(w, IDC_PASSWORD, password.c_str());
              }),
              IDCANCEL);
    Open([&](CBrowserRig& w) {
        EXPECT_EQ(Shown(w), "2410 1101 127.0.0.1:27999");
        EXPECT_TRUE(Same(w.Rect(), placed));
        EXPECT_EQ(w.SplitBar().GetPos(), 40);
        EXPECT_EQ(w.Lists().PlayerTable().GetWidth(0), 200);
        EXPECT_FALSE(w.Lists().ServerTable().IsColumnVisible(CServerLists::SERVER_IP));
        EXPECT_EQ(w.PlayerSearch().HistoryText(std::string::npos), history) << "all but the entry too long";
        EXPECT_EQ(::GetWindowTextLengthA(w.GetDlgItem(IDC_PASSWORD)), static_cast<int>(password.size()));
        ::ShowWindow(w, SW_MAXIMIZE);
    });
    RECT kept = {};
    EXPECT_TRUE(m_key.ReadRect(value::kLastPos, kept) && Same(kept, placed))
        << "a maximised window stores its normal placement";
    EXPECT_EQ(m_key.ReadInt(value::kLastPosMaximized, -1), 1);
    Open([&](CBrowserRig& w) {
        EXPECT_TRUE(::IsZoomed(w));
        ::ShowWindow(w, SW_RESTORE);
        EXPECT_TRUE(Same(w.Rect(), placed));
        // Ctrl+Tab and Ctrl+Shift+Tab switch the views from any control, the focus going along.
        ::SetFocus(w.Lists().PlayerTable());
        SetKeyState(VK_CONTROL, true);
        for (const auto& [shift, view] : {std::pair{false, 0}, {false, 1}, {true, 0}}) {
            SetKeyState(VK_SHIFT, shift);
            EXPECT_TRUE(DialogKey(w, WM_KEYDOWN, VK_TAB));
            EXPECT_EQ(Shown(w).substr(5, 2), std::string(2, static_cast<char>('0' + view)));
            EXPECT_TRUE(::IsWindowVisible(::GetFocus())) << "the focus moves into the view shown";
        }
        SetKeyState(VK_SHIFT, false);
        SetKeyState(VK_CONTROL, false);
        w.SelectTab(1);
    });
    EXPECT_EQ(m_key.ReadInt(value::kLastPosMaximized, -1), 0);
    Open([&](CBrowserRig& w) {
        w.SplitBar().SetPos(55);
        w.SelectTab(0);
        ::ShowWindow(w, SW_MINIMIZE);
        ASSERT_TRUE(PumpUntil([&] { return ::IsIconic(w) != FALSE; }, 3000));
    });
    EXPECT_TRUE(m_key.ReadRect(value::kLastPos, kept) && Same(kept, placed))
        << "a minimised window keeps the stored placement";
    EXPECT_EQ(m_key.ReadInt(value::kSplitPos, -1), 40);
    EXPECT_EQ(m_key.ReadInt(value::kLastView, -1), 0) << "the other settings are written";
    // A stored rectangle too narrow is ignored (the template's width, the split's own place); one off
    // every monitor is moved onto the nearest work area.
    RECT work = {};
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const RECT cases[][2] = {
        {{30, 20, 130, 500}, {}},
        {{-5000, -4000, -4100, -3400}, {work.left, work.top, work.left + 900, work.top + 600}},
        {{work.right + 3000, work.top + 20, work.right + 3900, work.top + 620},
         {work.right - 900, work.top + 20, work.right, work.top + 620}}};
    m_key.WriteInt(value::kSplitPos, 60);
    for (const auto& [stored, expected] : cases) {
        PutRaw(value::kLastPos, REG_BINARY, &stored, sizeof stored);
        Open([&](CBrowserRig& w) {
            const RECT now = w.Rect();
            EXPECT_TRUE(::IsRectEmpty(&expected)
                            ? now.right - now.left == w.GetMinimumSize().cx && w.SplitBar().GetPos() != 60
                            : Same(now, expected))
                << stored.left << ": " << now.left << "," << now.top << "," << now.right;
        });
    }
}

TEST_F(BrowserDlgTest, StartupQueryListsServersThroughTheFiltersAndErrorsOrMasterEditsShowInBoxes) {
    CFakeNetwork network({MakeServer("Alpha", 3), MakeServer("Empty", 0, 3), MakeServer("Full", 20, 4),
                          MakeServer("Almost", 19, 5), MakeServer("Odd", 2, 12, 16),
                          SFakeServer{"Silent", 2, 20, {}, true}, MakeServer("Zero", 2, 0)});
    UseNetwork(network, 5);
    CUdpPeers silentMaster(1, [](size_t, int, const std::string&) { return std::vector<SAnswer>{}; });
    m_key.WriteInt(value::kStartupQuery, 2);
    m_key.WriteInt(value::kLastView, 1);
    m_key.WriteInt(value::kIncludeFull, 0);
    Open([&](CBrowserRig& w) {
        EXPECT_GT(w.paintsAtQuery, 0) << "the window paints before the start-up query";
        ASSERT_TRUE(w.WaitForRunEnd());
        // Label and bar after each result: the label counts down in steps of two, the bar up; both are 0
        // at the end.
        EXPECT_EQ(w.done, (std::vector<std::string>{"6:2", "6:2", "4:4", "4:4", "2:6", "2:6", "0:0"}));
        EXPECT_EQ(Counts(w), "3 servers, 24 players");
        auto names = Column(w.Lists().ServerTable(), CServerLists::SERVER_NAME);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"Almost", "Alpha", "Odd"}));
        EXPECT_TRUE(IsSorted(w.Lists().ServerTable(), CServerLists::SERVER_PING, true));
        EXPECT_TRUE(IsSorted(w.Lists().PlayerTable(), CServerLists::PLAYER_NAME)) << "sorted at the end";
        // Both boxes on: the empty and the full server are listed too; silent and game type 0 never.
        w.Check(IDC_INCLUDE_EMPTY, true);
        w.Check(IDC_INCLUDE_FULL, true);
        w.Click(IDC_QUERY_MASTER);
        ASSERT_TRUE(w.WaitForRunEnd());
        EXPECT_EQ(Counts(w), "5 servers, 44 players");
        // Selecting a server shows its players.
        Tabra::STableNotify record;
        record.hdr = {w.Lists().ServerTable(), IDC_SERVER_TABLE, static_cast<UINT>(Tabra::TN_SELCHANGED)};
        record.row = w.Lists().ServerTable().FindText(CServerLists::SERVER_NAME, "Alpha", -1);
        ::SendMessageA(w, WM_NOTIFY, IDC_SERVER_TABLE, reinterpret_cast<LPARAM>(&record));
        EXPECT_EQ(w.Lists().PlayerOnServerTable().GetRowCount(), 3);

        {
            CBoxAnswers boxes;
            const char* error = "Socket Error 10055 : No buffer space available";
            CWindowSink(w).OnWorkerError(w.Run().RunNumber(), error);
            EXPECT_TRUE(PumpUntil([&] { return boxes.Showed(error); }));
            // A bad master list: nothing is sent, and the box says why.
            w.SetMasterText("127.0.0.1:0;et master");
            w.Click(IDC_QUERY_MASTER);
            EXPECT_FALSE(w.Run().IsRunning());
            EXPECT_TRUE(boxes.Showed("\"127.0.0.1:0\": the port must not be 0"));
            EXPECT_EQ(boxes.shown.size(), 2u);
        }
        // The Master Server dialog: shows the master text, takes a new one (trimmed) on OK, and refuses
        // one that does not parse (the parser's own tests have every reason) or is too long to be stored
        // with a message naming the problem, staying open.
        EXPECT_EQ(EditMaster(w, "ignored", IDCANCEL), "Master Server ...: 127.0.0.1:0;et master");
        const std::string silent = silentMaster.Address(0).ToText();
        for (const auto& [bad, reason] :
             {std::pair<std::string, const char*>{"a b:27950", "contains a blank"},
              {std::string(300, 'a'), "too long to be stored"}}) {
            const std::string shown = EditMaster(w, bad, IDOK);
            EXPECT_NE(shown.find(reason), std::string::npos) << shown;
            EXPECT_EQ(shown.find("closed"), std::string::npos) << shown;
            EXPECT_EQ(w.GetMasterText(), "127.0.0.1:0;et master") << "nothing stored";
        }
        EditMaster(w, " " + silent + " ", IDOK);
        EXPECT_EQ(w.GetMasterText(), silent);
        // A master that does not answer: the lists of the last query stay.
        CBoxAnswers boxes;
        w.Click(IDC_QUERY_MASTER);
        EXPECT_NE(w.GetWindowText().find("Asking 1 master server"), std::string::npos);
        EXPECT_TRUE(PumpUntil([&] { return boxes.Showed("No response from master server."); }, 10000));
        EXPECT_FALSE(w.IsQuerying());
        EXPECT_EQ(Counts(w), "5 servers, 44 players");
        EXPECT_EQ(w.Lists().ServerTable().GetRowCount(), 5);
        EXPECT_EQ(boxes.shown.size(), 1u);
    });
}

TEST_F(BrowserDlgTest, TabSwitchDuringARunSortsTheTableShownAndRunsStoppedRestartedOrClosedEndTidily) {
    std::vector<SFakeServer> servers;
    for (int i = 0; i < 40; ++i) // names that zigzag arrive sorted in no order
        servers.push_back(MakeServer("s" + std::to_string(i % 2 ? 500 - i : 100 + i), 1));
    CFakeNetwork network(servers);
    UseNetwork(network, 0);
    int handledAtClose = -1;
    size_t requestsAtStart = 0; // of the run closed
    CBrowserRig rig(m_path, [&](CBrowserRig& w) {
        {
            CBoxAnswers boxes;
            w.Lists().ServerTable().Sort(Tabra::CSortKeys{CServerLists::SERVER_NAME, Tabra::SORT_ASCENDING});
            w.Click(IDC_QUERY_MASTER);
            ASSERT_TRUE(PumpUntil([&] { return w.done.size() >= 8; }, 20000));
            w.SelectTab(1);
            EXPECT_TRUE(IsSorted(w.Lists().ServerTable(), CServerLists::SERVER_NAME)) << "sorted at once";
            // The Player table, hidden now, fills unsorted until the run is stopped part-way.
            ASSERT_TRUE(PumpUntil([&] { return w.done.size() >= 16; }, 20000));
            CWindowSink(w).OnWorkerError(w.Run().RunNumber() - 1, "an earlier run's error");
            w.Run().SignalStop();
            EXPECT_TRUE(PumpUntil([&] { return !w.Run().IsRunning() && w.Progress() == 0; }, 5000));
            PumpFor(200);
            EXPECT_GT(w.Run().ServersToQuery(), 0);
            EXPECT_EQ(w.Label(IDC_SERVERS_TO_QUERY), 0);
            EXPECT_TRUE(IsSorted(w.Lists().PlayerTable(), CServerLists::PLAYER_NAME));
            EXPECT_TRUE(boxes.shown.empty());
        }
        // Query Master during a run stops it and starts again: the master phase and then the status run,
        // each under a run number of its own, with the counters back at the start.
        const size_t stopped = w.done.size();
        w.Click(IDC_QUERY_MASTER);
        ASSERT_TRUE(PumpUntil([&] { return w.done.size() >= stopped + 2; }, 20000));
        const size_t firstResults = w.done.size();
        const unsigned firstRun = w.Run().RunNumber();
        w.Select(IDC_SPEED, 5);
        w.Click(IDC_QUERY_MASTER);
        ASSERT_TRUE(PumpUntil([&] { return w.Run().RunNumber() == firstRun + 2; }, 10000));
        EXPECT_EQ(
            std::vector({w.Label(IDC_SERVERS_TO_QUERY), w.Progress(), w.Lists().ServerTable().GetRowCount(),
                         w.Label(IDC_SERVER_COUNT), w.Label(IDC_PLAYER_COUNT)}),
            std::vector({40, 0, 0, 0, 0}));
        ASSERT_TRUE(w.WaitForRunEnd());
        EXPECT_EQ(w.done.size(), firstResults + 40) << "nothing more of the stopped run";
        // Closing during a run.
        w.Select(IDC_SPEED, 0);
        const size_t before = w.done.size();
        requestsAtStart = network.StatusRequests();
        w.Click(IDC_QUERY_MASTER);
        ASSERT_TRUE(PumpUntil([&] { return w.done.size() >= before + 2; }, 20000));
        ASSERT_TRUE(w.Run().IsRunning());
        handledAtClose = w.HandledResults();
        w.Click(IDCANCEL);
    });
    EXPECT_EQ(rig.DoModal(), IDCANCEL);
    EXPECT_FALSE(rig.Run().IsRunning());
    EXPECT_TRUE(rig.Servers().Empty());
    const size_t requests = network.StatusRequests();
    PumpFor(700);
    EXPECT_EQ(rig.HandledResults(), handledAtClose);
    EXPECT_EQ(network.StatusRequests(), requests) << "the worker sends nothing after the close";
    EXPECT_LT(requests - requestsAtStart, 40u) << "far from every server asked";
}

// A window blocked by the master phase would miss its messages for the master's 1.5 s. The longest gap
// between two turns of its message loop (a few ms on a quiet machine) has a bound with room for a loaded one.
TEST_F(BrowserDlgTest, WindowAnswersAtOnceThroughASlowMasterAndTheRun) {
    CFakeNetwork network(MakeServers(60, 3), 1500);
    UseNetwork(network, 4);
    Open([&](CBrowserRig& w) {
        const int64_t start = net::ReadCounter();
        int64_t last = start;
        double slowest = 0;
        w.Click(IDC_QUERY_MASTER);
        ASSERT_TRUE(PumpUntil(
            [&] {
                const int64_t now = net::ReadCounter();
                slowest = std::max(slowest, CounterMs(last, now));
                last = now;
                return !w.IsQuerying() && w.Run().ServersToQuery() == 0;
            },
            30000));
        EXPECT_GT(CounterMs(start, last), 1400.0) << "the master answered late";
        EXPECT_LT(slowest, 1000.0);
        EXPECT_EQ(w.Lists().ServerTable().GetRowCount(), 60);
    });
}

} // namespace
