#include "app/FavoritesDlg.h"

#include "app/res/resource.h"
#include "base/Error.h"
#include "base/TextUtil.h"
#include "win/ErrorReport.h"

#include <algorithm>

namespace app {

namespace {

using namespace Dialux;
constexpr uint32_t kStretchRightDown = RIGHT_FOLLOW | BOTTOM_FOLLOW;
constexpr uint32_t kMoveDown = TOP_FOLLOW | BOTTOM_FOLLOW;
constexpr uint32_t kMoveRightDown = LEFT_FOLLOW | RIGHT_FOLLOW | TOP_FOLLOW | BOTTOM_FOLLOW;

// Tabs become blanks, and the outer blanks go.
std::string CleanText(std::string text) {
    std::replace(text.begin(), text.end(), '\t', ' ');
    return base::TrimText(text);
}

// Centres window on its parent, or on the work area of its monitor without one.
void CenterOnParent(HWND window) {
    RECT area = {};
    HWND parent = ::GetParent(window);
    if (parent) {
        ::GetWindowRect(parent, &area);
    } else {
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        ::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
        area = info.rcWork;
    }
    RECT rc = {};
    ::GetWindowRect(window, &rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    ::SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

CFavoritesDlg::CFavoritesDlg(HWND parent, std::string path, std::string keyPath)
    : win::CDialog(IDD_FAVORITES, parent), m_path(std::move(path)), m_keyPath(std::move(keyPath)),
      m_icon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

CFavoritesDlg::~CFavoritesDlg() = default;

bool CFavoritesDlg::OnInitDialog() {
    win::CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    RECT window = {};
    ::GetWindowRect(m_hwnd, &window);
    m_minWidth = window.right - window.left;
    m_minHeight = window.bottom - window.top;

    SetupTable();
    SetupLayout();
    try {
        ReadFavoritesIntoTable();
    } catch (const base::CError& error) {
        // Editing what could not be read would replace the file with less than it holds.
        win::ShowMessage(m_hwnd, error.Message(), MB_OK | MB_ICONERROR);
        EndDialog(IDCANCEL);
        return true;
    }
    OpenSettingsKey(m_key, m_keyPath.c_str());
    Tabra::CWordArray words;
    m_table.GetLayout(words);
    ReadLayout(m_key, value::kLayoutFavorites, words);
    m_table.SetLayout(words);
    m_table.Update(false);
    RestorePlacement();
    return true;
}

void CFavoritesDlg::SetupTable() {
    m_table.Create(m_hwnd, IDC_FAVORITES_TABLE);
    m_table.SetColumnCount(COLUMNS);
    const char* headers[COLUMNS] = {"Name", "Ip", "Password"};
    const int widths[COLUMNS] = {150, 128, 0};
    for (int col = 0; col < COLUMNS; ++col) {
        Tabra::CStringCol type(Tabra::kDrawLeft);
        m_table.DefineColumn(col, &type, headers[col], widths[col]);
    }
    m_table.BuildLayout();
    m_table.SetEditable(true);
}

void CFavoritesDlg::SetupLayout() {
    m_layout.Init(m_hwnd, 5);
    m_layout.AddWindow(m_table, kStretchRightDown);
    m_layout.AddControl(IDC_FAVORITES_NEW, kMoveDown);
    m_layout.AddControl(IDC_FAVORITES_DELETE, kMoveDown);
    m_layout.AddControl(IDOK, kMoveRightDown);
    m_layout.AddControl(IDCANCEL, kMoveRightDown);
    m_layoutReady = true;
}

// Only the size is restored: the dialog then centres itself.
void CFavoritesDlg::RestorePlacement() {
    RECT rc = {};
    if (!m_key.ReadRect(value::kLastPosFavorites, rc) || !IsUsableFavoritesPos(rc, m_minWidth))
        return;
    ::MoveWindow(m_hwnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    CenterOnParent(m_hwnd);
}

void CFavoritesDlg::ReadFavoritesIntoTable() {
    // The last line on top; appending from the last line gives the order of inserting each on top.
    const std::vector<SFavorite> favorites = ReadFavoritesFile(m_path);
    for (auto it = favorites.rbegin(); it != favorites.rend(); ++it) {
        const SFavorite& favorite = *it;
        Tabra::CRow* row = m_table.AddRow();
        row->Cell(COL_ADDRESS)->SetString(favorite.address);
        row->Cell(COL_NAME)->SetString(favorite.name);
        row->Cell(COL_PASSWORD)->SetString(favorite.password);
    }
    m_table.Update(false);
}

bool CFavoritesDlg::WriteFavoritesFromTable() {
    std::vector<SFavorite> favorites;
    favorites.reserve(static_cast<size_t>(m_table.GetRowCount()));
    for (int row = m_table.GetRowCount() - 1; row >= 0; --row)
        favorites.push_back(
            {CellText(row, COL_ADDRESS), CellText(row, COL_NAME), CellText(row, COL_PASSWORD)});
    try {
        WriteFavoritesFile(m_path, favorites);
    } catch (const base::CError& error) {
        win::ShowMessage(m_hwnd, error.Message(), MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

std::string CFavoritesDlg::CellText(int row, int col) {
    return m_table.GetCell(row, col)->GetString();
}

bool CFavoritesDlg::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED && id == IDC_FAVORITES_NEW) {
        OnNew();
        return true;
    }
    if (code == BN_CLICKED && id == IDC_FAVORITES_DELETE) {
        OnDelete();
        return true;
    }
    return win::CDialog::OnCommand(id, code, control);
}

void CFavoritesDlg::OnNew() {
    Tabra::CRow* row = m_table.AddRow();
    row->Cell(COL_NAME)->SetString("New Server");
    row->Cell(COL_ADDRESS)->SetString("127.0.0.1:27960");
    row->Cell(COL_PASSWORD)->SetString("");
    m_table.SetSelectedRow(m_table.GetRowCount() - 1);
    m_table.Update(false);
}

void CFavoritesDlg::OnDelete() {
    m_table.EndEdit(true);
    const int row = m_table.GetSelectedRow();
    if (!m_table.IsValidRow(row))
        return;
    m_table.DeleteRow(row);
    m_table.Update(false);
}

int CFavoritesDlg::CleanRows() {
    for (int row = m_table.GetRowCount() - 1; row >= 0; --row) {
        m_table.GetCell(row, COL_NAME)->SetString(CleanText(CellText(row, COL_NAME)));
        const net::CSockAddr address = FavoriteAddress(CellText(row, COL_ADDRESS));
        if (!IsResolved(address))
            return row;
        m_table.GetCell(row, COL_ADDRESS)->SetString(address.ToText());
        m_table.GetCell(row, COL_PASSWORD)->SetString(CleanText(CellText(row, COL_PASSWORD)));
    }
    return -1;
}

void CFavoritesDlg::OnOK() {
    m_table.EndEdit(false);
    const int bad = CleanRows();
    if (bad >= 0) {
        m_table.SetSelectedRow(bad);
        m_table.SetCursor(bad, COL_ADDRESS);
        m_table.StartEdit(false);
        m_table.Update(false);
        win::ShowMessage(m_hwnd, "Invalid IP address.", MB_OK | MB_ICONERROR);
        return;
    }
    if (WriteFavoritesFromTable())
        win::CDialog::OnOK();
}

void CFavoritesDlg::OnSize(UINT type, int cx, int cy) {
    win::CDialog::OnSize(type, cx, cy);
    if (m_layoutReady && type != SIZE_MINIMIZED)
        m_layout.Layout();
}

void CFavoritesDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
    win::CDialog::OnGetMinMaxInfo(info);
    if (m_minWidth != 0 && m_minHeight != 0) {
        info->ptMinTrackSize.x = m_minWidth;
        info->ptMinTrackSize.y = m_minHeight;
    }
}

void CFavoritesDlg::OnDestroy() {
    win::CDialog::OnDestroy();
    m_layoutReady = false;
    if (m_key.GetSubKey().empty())
        return; // closed before its settings were opened
    Tabra::CWordArray words;
    m_table.GetLayout(words);
    WriteLayout(m_key, value::kLayoutFavorites, words);
    RECT rc = {};
    ::GetWindowRect(m_hwnd, &rc);
    m_key.WriteRect(value::kLastPosFavorites, NormalizeRect(rc));
}

} // namespace app
