// CPlayerSearch: the "Search for player" group of the main window. A search moves the players whose
// name matches to the top of the Player table, selects the first of them, selects that player's server
// on the Server table and the player among its players. The search box's list is the history of
// searched texts, kept between runs.
#pragma once

#include "app/ServerLists.h"
#include "app/dialogs/ExComboBox.h"

#include <cstdint>
#include <string>

namespace app {

class CPlayerSearch {
public:
    CPlayerSearch(Ovix::CExComboBox& box, CServerLists& lists) : m_box(box), m_lists(lists) {}

    // Searches for text (trimmed): a leading '*' searches names containing the rest, otherwise names
    // starting with it; case is ignored. A blank text does nothing.
    void SearchPlayer(const std::string& text);

    // The Search button (also Enter in the dialog): the box text.
    void OnSearch();
    // An item was chosen in the list: its text.
    void OnSelEndOk();
    // A double-click in the list, or Enter in the box: the box text, unless an item choice has just
    // searched.
    void OnDoubleClick();
    // The Del button: removes the selected history entry after asking.
    void OnDelete(HWND owner);

    // The stored history: entries each followed by a line feed.
    void LoadHistory(const std::string& stored);
    // The history from the last entry to the first, each followed by a line feed; entries that would
    // make it longer than maxLength are left out.
    std::string HistoryText(size_t maxLength) const;

    // Searches run so far (blank texts not counted).
    int SearchCount() const { return m_searches; }

private:
    // Moves the matching rows to the top of the sorted Player table; true when any matched.
    bool MoveMatchesToTop(const std::string& upperText, bool contains);
    // Selects the server of Player row 0 and that player among its players.
    void SelectServerOfTopPlayer();

    Ovix::CExComboBox& m_box;
    CServerLists& m_lists;
    // A double-click in the list shortly after an item choice that has searched belongs to it.
    uint32_t m_choiceTick = 0;
    bool m_choiceMade = false;
    int m_searches = 0;
};

} // namespace app
