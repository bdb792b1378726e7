#include "win/Controls.h"

#include <vector>

namespace win {

void InitControls() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc = {};
        icc.dwSize = sizeof icc;
        icc.dwICC = ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;
        return ::InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

bool TakePlaceholder(HWND parent, int id, SPlaceholder& placeholder) {
    HWND item = ::GetDlgItem(parent, id);
    if (!item)
        return false;
    placeholder.rect = WindowRectIn(item, parent);
    placeholder.style = static_cast<DWORD>(::GetWindowLongA(item, GWL_STYLE));
    placeholder.exStyle = static_cast<DWORD>(::GetWindowLongA(item, GWL_EXSTYLE));
    placeholder.id = id;
    HWND previous = ::GetWindow(item, GW_HWNDPREV);
    placeholder.insertAfter = previous ? previous : HWND_TOP;
    ::DestroyWindow(item);
    return true;
}

void PlaceInTabOrder(HWND window, const SPlaceholder& placeholder) {
    ::SetWindowPos(window, placeholder.insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

std::string CComboBox::GetLBText(int index) const {
    LRESULT length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data());
}

int CTabCtrl::InsertItem(int index, const std::string& text) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text.c_str());
    return static_cast<int>(
        SendMessage(TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

RECT CTabCtrl::GetItemRect(int index) const {
    RECT rc = {};
    SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc));
    return rc;
}

} // namespace win
