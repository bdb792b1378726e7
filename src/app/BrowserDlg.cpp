#include "app/BrowserDlg.h"

#include "app/Favorites.h"
#include "app/FavoritesDlg.h"
#include "app/JoinServer.h"
#include "app/MasterServerDlg.h"
#include "app/OptionsDlg.h"
#include "app/ServerMenu.h"
#include "app/WindowPlace.h"
#include "app/res/resource.h"
#include "base/TextUtil.h"
#include "velloran/Version.h"
#include "win/ErrorReport.h"
#include "win/WaitCursor.h"

#include <array>
#include <sstream>

namespace app {

namespace {

// How each group of controls follows the window's edges, in the layout's edge modes.
using namespace Dialux;
constexpr uint32_t kStretchRightDown = RIGHT_FOLLOW | BOTTOM_FOLLOW;
constexpr uint32_t kMoveRightStretchDown = LEFT_FOLLOW | RIGHT_FOLLOW | BOTTOM_FOLLOW;
constexpr uint32_t kMoveRight = LEFT_FOLLOW | RIGHT_FOLLOW;
constexpr uint32_t kMoveDown = TOP_FOLLOW | BOTTOM_FOLLOW;
constexpr uint32_t kMoveDownStretchRight = RIGHT_FOLLOW | TOP_FOLLOW | BOTTOM_FOLLOW;
constexpr uint32_t kMoveRightDown = LEFT_FOLLOW | RIGHT_FOLLOW | TOP_FOLLOW | BOTTOM_FOLLOW;
constexpr uint32_t kProportionalCentre = LEFT_CENTRED | RIGHT_KEEP_WIDTH | BOTTOM_FOLLOW;
static_assert(kProportionalCentre == 0x1033 && kMoveRightDown == 0x1111 && kMoveDownStretchRight == 0x1110);

constexpr int kSplitMinPercent = 15;
constexpr int kSplitMaxPercent = 65;
constexpr int kStopLimitMs = 5000;
static_assert(kSpeedItems == query::kSpeedClassCount);

// Posted by the initialisation when a start-up query is due; wParam the query button's id.
constexpr UINT WM_STARTUPQUERY = WM_APP + 1;

void MoveItem(HWND item, const RECT& rc) {
    ::MoveWindow(item, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
}

} // namespace

CBrowserDlg::CBrowserDlg(std::string keyPath)
    : win::CDialog(IDD_BROWSER), m_master(kDefaultMaster), m_run(m_servers, m_sink),
      m_keyPath(std::move(keyPath)),
      m_icon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

CBrowserDlg::~CBrowserDlg() {
    // Normally stopped on WM_DESTROY already; the records must not go while a worker uses them.
    m_run.StopWorker();
}

bool CBrowserDlg::OnInitDialog() {
    win::CDialog::OnInitDialog();
    ApplyItemLists();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SetWindowText(kAppName);
    m_sink.SetWindow(m_hwnd);

    OpenSettingsKey(m_key, m_keyPath.c_str());

    m_authorLink.SetTarget(kAuthorLink);
    m_authorLink.SubclassDlgItem(IDC_AUTHOR_LINK, m_hwnd);
    // The about line names the version the program was built as.
    ::SetDlgItemTextA(m_hwnd, IDC_PRODUCT_LINK, "Vellora&n " VELLORAN_VERSION);
    m_productLink.SetTarget(kProductLink);
    m_productLink.SubclassDlgItem(IDC_PRODUCT_LINK, m_hwnd);

    m_version.SubclassDlgItem(IDC_VERSION, m_hwnd);
    m_speed.SubclassDlgItem(IDC_SPEED, m_hwnd);
    m_search.SubclassDlgItem(IDC_SEARCH_TEXT, m_hwnd);
    m_search.m_matchOnFocusLoss = 0;
    m_password.SubclassDlgItem(IDC_PASSWORD, m_hwnd);

    m_lists.SetupPlayerTable(m_hwnd, IDC_PLAYER_TABLE);
    m_lists.SetupServerTable(m_hwnd, IDC_SERVER_TABLE);
    m_lists.SetupPlayerOnServerTable(m_hwnd, IDC_PLAYERS_ON_SERVER_TABLE);

    RECT window = {};
    ::GetWindowRect(m_hwnd, &window);
    m_minWidth = window.right - window.left;
    m_minHeight = window.bottom - window.top;
    PlaceTables();
    SetupLayout();

    ReadTableLayouts();
    m_lists.ApplyDefaultSort();

    ApplySettings();
    return true;
}

// The Version and Speed items come with the template, as "<control id>\t<item>" lines.
void CBrowserDlg::ApplyItemLists() {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(IDR_BROWSER_ITEMS), RT_RCDATA);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    if (!data)
        return;
    std::string text(data, ::SizeofResource(module, found));
    text = text.substr(0, text.find('\0'));
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        int id = base::ReadInt(line.c_str());
        std::string item = line.substr(tab + 1);
        ::SendDlgItemMessageA(m_hwnd, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
}

// The three tables share one band: the Player table over the whole width, the Server and
// PlayerOnServer tables left and right of the split bar.
void CBrowserDlg::PlaceTables() {
    HWND player = m_lists.PlayerTable();
    HWND server = m_lists.ServerTable();
    HWND onServer = m_lists.PlayerOnServerTable();
    RECT top = win::WindowRectIn(player, m_hwnd);
    RECT left = win::WindowRectIn(server, m_hwnd);
    RECT right = win::WindowRectIn(onServer, m_hwnd);
    left.top = top.top;
    right.top = top.top;
    top.bottom = left.bottom;
    MoveItem(player, top);
    MoveItem(server, left);
    MoveItem(onServer, right);

    // The tab control lies under the tables and leaves their area to them when it paints.
    HWND tabs = GetDlgItem(IDC_TABS);
    m_tabs.Attach(tabs);
    ::SetWindowLongPtrA(tabs, GWL_STYLE, ::GetWindowLongPtrA(tabs, GWL_STYLE) | WS_CLIPSIBLINGS);
    ::SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_progress.Attach(GetDlgItem(IDC_PROGRESS));
    m_tabKeys.Attach(m_hwnd, tabs);
}

void CBrowserDlg::SetupLayout() {
    m_layout.Init(m_hwnd, 48);
    m_split.Create(IDC_SPLIT, m_hwnd);
    int split = m_layout.AddWindow(m_split, kProportionalCentre);
    m_split.AttachLayout(&m_layout, kSplitMinPercent, kSplitMaxPercent);
    m_layout.AddControl(IDC_TABS, kStretchRightDown);
    m_layout.AddWindow(m_lists.PlayerTable(), kStretchRightDown);
    m_layout.AddWindow(m_lists.ServerTable(), kStretchRightDown, -1, split);
    int onServer = m_layout.AddWindow(m_lists.PlayerOnServerTable(), kMoveRightStretchDown, split);
    m_layout.AddControlsInRect(IDC_OPTIONS_FRAME, kMoveRight, onServer);
    m_layout.AddControlsInRect(IDC_BUTTONS_FRAME, kMoveRightDown, onServer);
    m_layout.AddControlsInRect(IDC_COUNTERS_FRAME, kMoveDown);
    m_layout.AddControl(IDC_PROGRESS, kMoveDownStretchRight);
    m_layout.AddControl(IDC_SEARCH_TEXT, kMoveRightStretchDown);
    m_layout.AddControl(IDC_SEARCH_GROUP, kMoveRightStretchDown);
    m_layout.AddControl(IDC_SEARCH, kMoveRightDown);
    m_layout.AddControl(IDC_DELETE_SEARCH, kMoveRightDown);
    m_layoutReady = true;
}

std::array<CBrowserDlg::STableLayout, 3> CBrowserDlg::TableLayouts() {
    return {{{m_lists.PlayerTable(), value::kLayoutPlayer},
             {m_lists.ServerTable(), value::kLayoutServer},
             {m_lists.PlayerOnServerTable(), value::kLayoutPlayerOnServer}}};
}

void CBrowserDlg::ReadTableLayouts() {
    for (const STableLayout& t : TableLayouts()) {
        Tabra::CWordArray words;
        t.table.GetLayout(words);
        ReadLayout(m_key, t.name, words);
        t.table.SetLayout(words);
    }
}

void CBrowserDlg::WriteTableLayouts() {
    for (const STableLayout& t : TableLayouts()) {
        Tabra::CWordArray words;
        t.table.GetLayout(words);
        WriteLayout(m_key, t.name, words);
    }
}

void CBrowserDlg::ApplySettings() {
    const SBrowserSettings s = ReadBrowserSettings(m_key);

    m_playerSearch.LoadHistory(s.lastPlayers);
    ::SetDlgItemTextA(m_hwnd, IDC_PASSWORD, s.password.c_str());

    ApplyPlacement(s);

    m_version.SetCurSel(s.version);
    m_autoClose = s.autoClose;
    m_autoRequery = s.autoRequery;
    ::CheckDlgButton(m_hwnd, IDC_INCLUDE_EMPTY, s.includeEmpty ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hwnd, IDC_INCLUDE_FULL, s.includeFull ? BST_CHECKED : BST_UNCHECKED);
    m_master = s.master;
    m_speed.SetCurSel(s.speed);

    m_tabs.InsertItem(0, "Player list");
    m_tabs.InsertItem(1, "Server list");
    m_tabs.SetCurSel(s.lastView);
    ShowView();

    if (s.startupQuery == 1 || s.startupQuery == 2)
        PostMessage(WM_STARTUPQUERY, s.startupQuery == 1 ? IDC_QUERY_FAVORITES : IDC_QUERY_MASTER);
}

// The rectangle goes first, so that the split position refers to it; a maximised window keeps both
// as what it restores to.
void CBrowserDlg::ApplyPlacement(const SBrowserSettings& s) {
    if (!s.hasLastPos || !IsUsableMainPos(s.lastPos, m_minWidth))
        return;
    const RECT rc = KeepOnDesktop(s.lastPos);
    ::MoveWindow(m_hwnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    if (s.splitPos != 0)
        m_split.SetPos(s.splitPos);
    if (s.maximized)
        ::ShowWindow(m_hwnd, SW_SHOWMAXIMIZED);
}

// A posted message is handled before the queue yields WM_PAINT, so the window paints itself first:
// the user sees it while the query starts.
void CBrowserDlg::RunStartupQuery(int id) {
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(id)));
}

void CBrowserDlg::SaveSettings() {
    SBrowserSettings s;
    s.speed = m_speed.GetCurSel();
    s.version = m_version.GetCurSel();
    s.lastView = m_lists.GetView();
    s.includeEmpty = ::IsDlgButtonChecked(m_hwnd, IDC_INCLUDE_EMPTY) == BST_CHECKED;
    s.includeFull = ::IsDlgButtonChecked(m_hwnd, IDC_INCLUDE_FULL) == BST_CHECKED;
    s.master = m_master;
    s.lastPlayers = m_playerSearch.HistoryText(kMaxStoredText);
    s.password = m_password.GetWindowText();

    // A minimised window keeps the placement stored before.
    SWindowPlace place;
    const bool placed = GetWindowPlace(m_hwnd, place);
    if (placed) {
        s.lastPos = place.normal;
        s.maximized = place.maximized;
        s.splitPos = m_split.GetPos();
    }
    WriteBrowserSettings(m_key, s, placed);
    WriteTableLayouts();
}

void CBrowserDlg::ShowView() {
    int view = m_tabs.GetCurSel() == CServerLists::VIEW_SERVERS ? CServerLists::VIEW_SERVERS
                                                                : CServerLists::VIEW_PLAYERS;
    m_lists.SetView(view);
    const bool servers = view == CServerLists::VIEW_SERVERS;
    m_lists.PlayerTable().ShowWindow(servers ? SW_HIDE : SW_SHOW);
    m_lists.ServerTable().ShowWindow(servers ? SW_SHOW : SW_HIDE);
    m_lists.PlayerOnServerTable().ShowWindow(servers ? SW_SHOW : SW_HIDE);
    m_split.ShowWindow(servers ? SW_SHOW : SW_HIDE);
    Tabra::CTableCtrl& shown = servers ? m_lists.ServerTable() : m_lists.PlayerTable();
    // During a run only the visible table is kept sorted.
    if (!m_runFinished)
        CServerLists::Resort(shown);
    // The focus must not stay in a table that has just been hidden.
    HWND focus = ::GetFocus();
    if (focus && ::IsChild(m_hwnd, focus) && !::IsWindowVisible(focus))
        ::SetFocus(shown);
}

void CBrowserDlg::CaptureFilters() {
    m_includeEmpty = ::IsDlgButtonChecked(m_hwnd, IDC_INCLUDE_EMPTY) == BST_CHECKED;
    m_includeFull = ::IsDlgButtonChecked(m_hwnd, IDC_INCLUDE_FULL) == BST_CHECKED;
}

void CBrowserDlg::OnQueryFavorites() {
    win::CWaitCursor wait;
    if (!m_run.StopWorker(kStopLimitMs))
        return;
    m_resultsOpen = false;
    CaptureFilters();
    // The rows refer to the records the collection is about to drop.
    m_lists.Clear();
    LoadFavorites(m_servers);
    StartWorker();
}

void CBrowserDlg::StartWorker() {
    if (m_run.IsRunning())
        return;
    m_masterPhase = false; // a query that replaced the master phase starts here too
    SetStatus("");
    m_lists.Clear();
    m_lists.IndexRecords(m_servers);
    m_run.SetSpeedIndex(m_speed.GetCurSel());
    if (!m_run.StartWorker())
        return;
    m_resultsOpen = true;
    m_runFinished = false;
    const int count = m_run.ServersToQuery();
    SetCounter(IDC_SERVERS_TO_QUERY, count);
    SetCounter(IDC_SERVER_COUNT, 0);
    SetCounter(IDC_PLAYER_COUNT, 0);
    m_progress.SetRange(0, count);
    m_progress.SetPos(0);
}

void CBrowserDlg::SetCounter(int id, int value) {
    ::SetDlgItemInt(m_hwnd, id, static_cast<UINT>(value), TRUE);
}

void CBrowserDlg::OnServerDone(unsigned run, query::CGameServer& record) {
    if (!m_resultsOpen || !m_run.AcceptResult(run))
        return;
    ++m_handledResults;
    const int remaining = m_run.ServersToQuery();
    if (remaining % 2 == 0) {
        SetCounter(IDC_SERVERS_TO_QUERY, remaining);
        m_progress.SendMessage(PBM_DELTAPOS, 2);
    }
    if (CServerLists::PassesFilters(record, m_includeEmpty, m_includeFull)) {
        m_lists.AddServerRows(record);
        SetCounter(IDC_PLAYER_COUNT, m_lists.PlayerTable().GetRowCount());
        SetCounter(IDC_SERVER_COUNT, m_lists.ServerTable().GetRowCount());
    }
    if (remaining == 0)
        FinishRun();
}

void CBrowserDlg::OnWorkerEnd(unsigned run) {
    // The end of a run that was stopped or failed: its last results have been handled before.
    if (run == m_run.RunNumber() && !m_runFinished)
        FinishRun();
}

void CBrowserDlg::FinishRun() {
    m_runFinished = true;
    m_lists.SortAll();
    SetCounter(IDC_SERVERS_TO_QUERY, 0);
    m_progress.SetPos(0);
}

LRESULT CBrowserDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SERVERDONE:
        OnServerDone(static_cast<unsigned>(wParam), *reinterpret_cast<query::CGameServer*>(lParam));
        return 0;
    case WM_MASTERDONE:
        OnMasterDone(static_cast<unsigned>(wParam), CWindowSink::TakeMasterResult(lParam));
        return 0;
    case WM_WORKERERROR: {
        std::string text = CWindowSink::TakeErrorText(lParam);
        // An earlier run's failure is of no concern any more.
        if (static_cast<unsigned>(wParam) == m_run.RunNumber())
            win::ShowMessage(m_hwnd, text, MB_OK);
        return 0;
    }
    case WM_WORKEREND:
        OnWorkerEnd(static_cast<unsigned>(wParam));
        return 0;
    case WM_STARTUPQUERY:
        RunStartupQuery(static_cast<int>(wParam));
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_icon);
    default:
        return win::CDialog::WindowProc(msg, wParam, lParam);
    }
}

bool CBrowserDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_SEARCH_TEXT && code == CBN_SELENDOK) {
        m_playerSearch.OnSelEndOk();
        return true;
    }
    if (id == IDC_SEARCH_TEXT && code == CBN_DBLCLK) {
        m_playerSearch.OnDoubleClick();
        return true;
    }
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_QUERY_MASTER:
            OnQueryMaster();
            return true;
        case IDC_QUERY_FAVORITES:
            OnQueryFavorites();
            return true;
        case IDC_JOIN:
            OnJoin();
            return true;
        case IDC_OPTIONS:
            OnOptions();
            return true;
        case IDC_MASTER_DIALOG:
            OnMasterDialog();
            return true;
        case IDC_SEARCH:
            m_playerSearch.OnSearch();
            return true;
        case IDC_DELETE_SEARCH:
            m_playerSearch.OnDelete(m_hwnd);
            return true;
        case IDC_FAVORITES_DIALOG:
            // Owned by the main window, which stays disabled (and cannot be closed) meanwhile.
            CFavoritesDlg(m_hwnd).DoModal();
            return true;
        default:
            break;
        }
    }
    return win::CDialog::OnCommand(id, code, control);
}

bool CBrowserDlg::OnNotify(NMHDR* header, LRESULT& result) {
    const int code = static_cast<int>(header->code);
    if (header->idFrom == IDC_TABS && code == static_cast<int>(TCN_SELCHANGE)) {
        ShowView();
        result = 0;
        return true;
    }
    if (header->idFrom == IDC_SERVER_TABLE && code == Tabra::TN_SELCHANGED) {
        m_lists.ShowServerPlayers(reinterpret_cast<Tabra::STableNotify*>(header)->row);
        result = 0;
        return true;
    }
    if (header->idFrom == IDC_SERVER_TABLE && code == Tabra::TN_TABLEMENU) {
        auto* record = reinterpret_cast<Tabra::STableNotify*>(header);
        InsertServerMenuItems(*static_cast<win::CPopupMenu*>(record->pointer),
                              m_lists.ServerTable().IsValidRow(record->row));
        result = 0;
        return true;
    }
    if (header->idFrom == IDC_SERVER_TABLE && code == Tabra::TN_TABLECOMMAND) {
        auto* record = reinterpret_cast<Tabra::STableNotify*>(header);
        result = OnServerMenuCommand(m_hwnd, m_lists, record->command, record->row) ? 1 : 0;
        return true;
    }
    if ((header->idFrom == IDC_SERVER_TABLE || header->idFrom == IDC_PLAYER_TABLE) &&
        code == static_cast<int>(NM_DBLCLK)) {
        OnJoin();
        result = 0;
        return true;
    }
    return win::CDialog::OnNotify(header, result);
}

void CBrowserDlg::OnJoin() {
    query::CGameServer* server = JoinTarget(m_lists);
    if (!server)
        return;
    // A running query stops sending; its results so far still arrive.
    m_run.SignalStop();
    if (JoinServer(m_hwnd, m_key, *server, m_password.GetWindowText()) && m_autoClose)
        OnCancel();
}

void CBrowserDlg::OnOptions() {
    COptionsDlg(m_key, m_hwnd).DoModal();
    // Whatever the button: the flags follow what is stored.
    const SOptions options = ReadOptions(m_key);
    m_autoClose = options.autoClose;
    m_autoRequery = options.autoRequery;
}

void CBrowserDlg::OnMasterDialog() {
    CMasterServerDlg dialog(m_master, m_hwnd);
    if (dialog.DoModal() == IDOK)
        m_master = dialog.GetText();
}

void CBrowserDlg::OnSize(UINT type, int cx, int cy) {
    win::CDialog::OnSize(type, cx, cy);
    // A minimised window has no client area to lay out; restoring lays out again.
    if (m_layoutReady && type != SIZE_MINIMIZED)
        m_layout.Layout();
}

void CBrowserDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
    win::CDialog::OnGetMinMaxInfo(info);
    if (m_minWidth != 0 && m_minHeight != 0) {
        info->ptMinTrackSize.x = m_minWidth;
        info->ptMinTrackSize.y = m_minHeight;
    }
}

void CBrowserDlg::OnPaint() {
    if (!::IsIconic(m_hwnd)) {
        win::CDialog::OnPaint();
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hwnd, &ps);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
    const int cx = ::GetSystemMetrics(SM_CXICON);
    const int cy = ::GetSystemMetrics(SM_CYICON);
    RECT rc = GetClientRect();
    ::DrawIcon(dc, (rc.right - rc.left - cx + 1) / 2, (rc.bottom - rc.top - cy + 1) / 2, m_icon);
    ::EndPaint(m_hwnd, &ps);
}

void CBrowserDlg::OnDestroy() {
    m_run.StopWorker();
    m_resultsOpen = false;
    m_servers.Clear();
    m_lists.IndexRecords(m_servers);
    SaveSettings();
    m_layoutReady = false;
    m_tabKeys.Detach();
    win::CDialog::OnDestroy();
}

} // namespace app
