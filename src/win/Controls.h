// Thin wrappers over the standard controls the program calls, and the replacement of a dialog
// placeholder control by a window of our own.
//
// The wrappers are CWnds, so a control is either only called (Attach) or also routed (SubclassDlgItem).
#pragma once

#include "win/Window.h"

#include <commctrl.h>

#include <string>

namespace win {

// Registers the common control classes (tab control, progress bar, tooltips ...) once per process.
void InitControls();

// What a placeholder dialog item leaves behind when it is taken out: its place, styles, id and
// tab-order predecessor.
struct SPlaceholder {
    RECT rect = {}; // in the parent's client coordinates
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    HWND insertAfter = HWND_TOP; // the window before it in the tab order
};

// Measures and destroys the dialog item id of parent; false when there is no such item.
bool TakePlaceholder(HWND parent, int id, SPlaceholder& placeholder);
// Puts window at the placeholder's tab-order position.
void PlaceInTabOrder(HWND window, const SPlaceholder& placeholder);

class CComboBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) {
        return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index)));
    }
    int AddString(const std::string& text) {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    int InsertString(int index, const std::string& text) {
        return static_cast<int>(
            SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str())));
    }
    int DeleteString(int index) {
        return static_cast<int>(SendMessage(CB_DELETESTRING, static_cast<WPARAM>(index)));
    }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    // Index of the first item starting with text (case-insensitive) after index after, CB_ERR if none.
    int FindString(int after, const std::string& text) const {
        return static_cast<int>(
            SendMessage(CB_FINDSTRING, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(text.c_str())));
    }
    int FindStringExact(int after, const std::string& text) const {
        return static_cast<int>(SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(after),
                                            reinterpret_cast<LPARAM>(text.c_str())));
    }
    std::string GetLBText(int index) const;
    LPARAM GetItemData(int index) const { return SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index)); }
    void SetItemData(int index, LPARAM data) {
        SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    }
    bool GetDroppedState() const { return SendMessage(CB_GETDROPPEDSTATE) != 0; }
};

class CProgressCtrl : public CWnd {
public:
    void SetRange(int lower, int upper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
};

class CTabCtrl : public CWnd {
public:
    // Inserts a tab with text at index; returns its index, -1 on failure.
    int InsertItem(int index, const std::string& text);
    int GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
    int SetCurSel(int index) {
        return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(index)));
    }
    RECT GetItemRect(int index) const;
};

} // namespace win
