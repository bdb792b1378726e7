// CBrowserDlg: the main window. Query options, the Player and Server list views with their tables,
// the player search box, the password box and the buttons; it starts and stops query runs and keeps
// its settings in the registry.
#pragma once

#include "app/PlayerSearch.h"
#include "app/RegistryKey.h"
#include "app/ServerLists.h"
#include "app/Settings.h"
#include "app/WindowSink.h"
#include "app/dialogs/DlgLayout.h"
#include "app/dialogs/ExComboBox.h"
#include "app/dialogs/HyperLink.h"
#include "app/dialogs/SplitCtrl.h"
#include "app/dialogs/TabKeys.h"
#include "ovix/ExEdit.h"
#include "query/QueryRun.h"
#include "query/ServerCollection.h"
#include "win/Controls.h"
#include "win/Dialog.h"

#include <array>
#include <string>

namespace app {

// The application name: the window title and the caption of every message box.
inline constexpr char kAppName[] = "Velloran Wolfenstein - Enemy Territory 1.02a";
// Targets of the about line.
inline constexpr char kAuthorLink[] = "mailto:team@velloran.invalid";
inline constexpr char kProductLink[] = "https://velloran.invalid/";

class CBrowserDlg : public win::CDialog {
public:
    // keyPath: the settings key under HKEY_CURRENT_USER (tests give a key of their own).
    explicit CBrowserDlg(std::string keyPath = kBrowserKeyPath);
    ~CBrowserDlg() override;

    // Which table list is shown: CServerLists::VIEW_PLAYERS or VIEW_SERVERS (the selected tab).
    void ShowView();
    int GetView() const { return m_lists.GetView(); }

    // The query commands (buttons 1004 and 1042).
    void OnQueryMaster();
    void OnQueryFavorites();
    // Join (button 1018, double-click on the Player or Server table): starts the game client for the
    // selected server; closes the window afterwards when "Close after joining" is set.
    void OnJoin();
    // "Options ..." (1049): the options dialog; the flags are read again afterwards.
    void OnOptions();
    bool GetAutoClose() const { return m_autoClose; }
    // "..." beside Query Master (1045): the master server dialog; its text is used by the next query.
    void OnMasterDialog();

    CServerLists& Lists() { return m_lists; }
    query::CQueryRun& Run() { return m_run; }
    query::CServerCollection& Servers() { return m_servers; }
    const std::string& GetMasterText() const { return m_master; }
    // The master server list as the master dialog edits it ("host[:port];...").
    void SetMasterText(const std::string& text) { m_master = text; }
    // True from Query Master until the masters have answered and the status run has ended.
    bool IsQuerying() const { return m_masterPhase || m_run.IsRunning(); }
    SIZE GetMinimumSize() const { return SIZE{m_minWidth, m_minHeight}; }
    Dialux::CSplitCtrl& SplitBar() { return m_split; }
    CPlayerSearch& PlayerSearch() { return m_playerSearch; }
    // Results accepted by OnServerDone since the window opened.
    int HandledResults() const { return m_handledResults; }

protected:
    bool OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnGetMinMaxInfo(MINMAXINFO* info) override;
    void OnPaint() override;
    void OnDestroy() override;

    // WM_SERVERDONE: one finished record of run `run`.
    virtual void OnServerDone(unsigned run, query::CGameServer& record);
    // WM_WORKEREND: the worker of run `run` has ended; a run that ended early is finished here.
    void OnWorkerEnd(unsigned run);
    // WM_MASTERDONE: the master phase of run `run` has ended (BrowserMasterPhase.cpp).
    void OnMasterDone(unsigned run, std::unique_ptr<query::SMasterResult> result);

private:
    void ApplyItemLists();
    void PlaceTables();
    void SetupLayout();
    // Each table with the name of the registry value that keeps its layout.
    struct STableLayout {
        Tabra::CTableCtrl& table;
        const char* name;
    };
    std::array<STableLayout, 3> TableLayouts();
    void ReadTableLayouts();
    void WriteTableLayouts();
    void ApplySettings();
    void SaveSettings();
    void CaptureFilters();
    // Empties the tables, sets the counters and the progress bar and starts the worker over the
    // collection.
    void StartWorker();
    void SetCounter(int id, int value);
    // The end of a run, reached or not: both tables sorted, counter and progress bar back to 0.
    void FinishRun();
    // The start-up query, once the window has painted.
    void RunStartupQuery(int id);
    // Applies the stored normal rectangle, split position and maximised state.
    void ApplyPlacement(const SBrowserSettings& s);
    // The status line (the window title after the program's name); "" shows the name alone.
    void SetStatus(const std::string& text);

    Ovix::CHyperLink m_authorLink;
    Ovix::CHyperLink m_productLink;
    CServerLists m_lists;
    Ovix::CExComboBox m_version;
    Ovix::CExComboBox m_speed;
    Ovix::CExComboBox m_search;
    Ovix::CExEdit m_password;
    CPlayerSearch m_playerSearch{m_search, m_lists};
    Dialux::CSplitCtrl m_split;
    Dialux::CDlgLayout m_layout;
    Dialux::CTabKeys m_tabKeys;
    bool m_layoutReady = false;
    int m_minWidth = 0;
    int m_minHeight = 0;

    // The master server as host:port text; resolved when a query starts, so that a name survives the
    // round trip through the settings even while it cannot be resolved.
    std::string m_master;
    bool m_includeEmpty = false;
    bool m_includeFull = true;
    bool m_autoClose = true;
    bool m_autoRequery = false;
    // False from the moment a query command has stopped the run until the next run starts: results
    // still queued from the stopped run may name records the collection no longer holds.
    bool m_resultsOpen = false;
    // False from the start of a run until its final sort.
    bool m_runFinished = true;
    bool m_masterPhase = false; // the masters are being asked
    int m_handledResults = 0;

    // The collection outlives the run, which stops its worker when destroyed.
    query::CServerCollection m_servers;
    CWindowSink m_sink;
    query::CQueryRun m_run;

    std::string m_keyPath;
    CRegistryKey m_key;
    win::CProgressCtrl m_progress;
    win::CTabCtrl m_tabs;
    HICON m_icon;
};

} // namespace app
