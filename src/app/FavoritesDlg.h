// CFavoritesDlg: the favourites dialog. Its table shows the favourites file with the last line on
// top; New, Delete and in-place editing change the table, and OK checks every address and writes the
// file back in file order. Layout and size are kept under the favourites key.
#pragma once

#include "app/FavoritesFile.h"
#include "app/RegistryKey.h"
#include "app/Settings.h"
#include "app/dialogs/DlgLayout.h"
#include "table/view/TableCtrl.h"
#include "win/Dialog.h"

#include <string>

namespace app {

class CFavoritesDlg : public win::CDialog {
public:
    enum Column { COL_NAME, COL_ADDRESS, COL_PASSWORD, COLUMNS };

    // parent: the window disabled while the dialog runs; path: the favourites file; keyPath: the
    // settings key under HKEY_CURRENT_USER.
    explicit CFavoritesDlg(HWND parent = nullptr, std::string path = kFavoritesFile,
                           std::string keyPath = kFavoritesKeyPath);
    ~CFavoritesDlg() override;

    Tabra::CTableCtrl& Table() { return m_table; }

    // Fills the table from the file, each line inserted on top. An unreadable file throws
    // base::CError; a missing one leaves the table empty.
    void ReadFavoritesIntoTable();
    // Writes the rows from the last to the first; a failure is shown in a message box (false).
    bool WriteFavoritesFromTable();

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnGetMinMaxInfo(MINMAXINFO* info) override;
    void OnDestroy() override;

private:
    void SetupTable();
    void SetupLayout();
    void RestorePlacement();
    void OnNew();
    void OnDelete();
    // Cleans the rows from the last to the first and normalises their addresses; stops at a row whose
    // address does not resolve and returns it (-1 when every row is good).
    int CleanRows();
    std::string CellText(int row, int col);

    Tabra::CTableCtrl m_table;
    Dialux::CDlgLayout m_layout;
    bool m_layoutReady = false;
    int m_minWidth = 0;
    int m_minHeight = 0;

    std::string m_path;
    std::string m_keyPath;
    CRegistryKey m_key;
    HICON m_icon;
};

} // namespace app
