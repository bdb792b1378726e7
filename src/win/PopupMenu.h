// CPopupMenu: a popup menu built from a menu text.
//
// Menu text: items separated by ';'; reading stops at the first empty item (a trailing ';' ends the
// list); item i gets the command id base + i, separators included; the item "-" is a separator; any
// number of leading '~' (disabled and grayed) and '=' (checked) characters set flags and are removed;
// '&' marks the keyboard accelerator as usual.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win {

struct SMenuItem {
    std::string text;
    UINT id = 0;
    bool separator = false;
    bool grayed = false;
    bool checked = false;
};

// The items a menu text describes, with their ids from base.
std::vector<SMenuItem> ParseMenuText(const char* text, UINT baseId);

class CPopupMenu {
public:
    CPopupMenu();
    ~CPopupMenu();
    CPopupMenu(CPopupMenu&& other) noexcept;
    CPopupMenu& operator=(CPopupMenu&& other) noexcept;
    CPopupMenu(const CPopupMenu&) = delete;
    CPopupMenu& operator=(const CPopupMenu&) = delete;

    HMENU GetHandle() const { return m_menu; }
    int GetItemCount() const { return ::GetMenuItemCount(m_menu); }

    // Appends the items of a menu text; returns how many were added.
    int AppendItems(const char* text, UINT baseId);
    // Inserts the items of a menu text. With MF_BYPOSITION in flags they go to consecutive positions
    // from position; otherwise each goes before the item whose command id is position.
    int InsertItems(const char* text, UINT baseId, UINT position, UINT flags);

    bool AppendItem(const char* text, UINT id, UINT flags = MF_STRING);
    bool AppendSeparator(UINT id = 0) { return AppendItem(nullptr, id, MF_SEPARATOR); }
    // Appends sub as a submenu under text; this menu takes sub's handle over.
    bool AppendSubMenu(const char* text, CPopupMenu&& sub, UINT flags = 0);

    bool EnableItem(UINT id, bool enable);
    bool CheckItem(UINT id, bool check);
    // Radio-checks id among first..last.
    bool CheckRadioItem(UINT first, UINT last, UINT id);
    bool RemoveItem(UINT id) { return ::RemoveMenu(m_menu, id, MF_BYCOMMAND) != FALSE; }

    // Shows the menu at the screen point and returns the chosen id, 0 when nothing was chosen.
    // TPM_NONOTIFY and TPM_RETURNCMD are always added to flags.
    UINT Track(HWND owner, int x, int y, UINT flags = 0);

private:
    HMENU m_menu;
};

} // namespace win
