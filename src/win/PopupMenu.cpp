#include "win/PopupMenu.h"

#include <cstring>
#include <utility>

namespace win {

std::vector<SMenuItem> ParseMenuText(const char* text, UINT baseId) {
    std::vector<SMenuItem> items;
    if (!text)
        return items;
    const char* p = text;
    for (UINT index = 0;; ++index) {
        const char* end = std::strchr(p, ';');
        size_t length = end ? static_cast<size_t>(end - p) : std::strlen(p);
        if (length == 0)
            break;
        SMenuItem item;
        item.id = baseId + index;
        size_t start = 0;
        for (; start < length && (p[start] == '~' || p[start] == '='); ++start) {
            if (p[start] == '~')
                item.grayed = true;
            else
                item.checked = true;
        }
        item.text.assign(p + start, length - start);
        item.separator = item.text == "-";
        items.push_back(std::move(item));
        if (!end)
            break;
        p = end + 1;
    }
    return items;
}

namespace {

UINT ItemFlags(const SMenuItem& item) {
    if (item.separator)
        return MF_SEPARATOR;
    return MF_STRING | (item.grayed ? MF_GRAYED : 0) | (item.checked ? MF_CHECKED : 0);
}

} // namespace

CPopupMenu::CPopupMenu() : m_menu(::CreatePopupMenu()) {}

CPopupMenu::~CPopupMenu() {
    if (m_menu)
        ::DestroyMenu(m_menu);
}

CPopupMenu::CPopupMenu(CPopupMenu&& other) noexcept : m_menu(std::exchange(other.m_menu, nullptr)) {}

CPopupMenu& CPopupMenu::operator=(CPopupMenu&& other) noexcept {
    if (this != &other) {
        if (m_menu)
            ::DestroyMenu(m_menu);
        m_menu = std::exchange(other.m_menu, nullptr);
    }
    return *this;
}

int CPopupMenu::AppendItems(const char* text, UINT baseId) {
    int added = 0;
    for (const SMenuItem& item : ParseMenuText(text, baseId))
        if (::AppendMenuA(m_menu, ItemFlags(item), item.id, item.separator ? nullptr : item.text.c_str()))
            ++added;
    return added;
}

int CPopupMenu::InsertItems(const char* text, UINT baseId, UINT position, UINT flags) {
    int added = 0;
    bool byPosition = (flags & MF_BYPOSITION) != 0;
    for (const SMenuItem& item : ParseMenuText(text, baseId)) {
        UINT where = byPosition ? position + static_cast<UINT>(added) : position;
        UINT itemFlags = ItemFlags(item) | (flags & ~(MF_BYPOSITION | MF_SEPARATOR | MF_STRING)) |
                         (byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
        if (::InsertMenuA(m_menu, where, itemFlags, item.id, item.separator ? nullptr : item.text.c_str()))
            ++added;
    }
    return added;
}

bool CPopupMenu::AppendItem(const char* text, UINT id, UINT flags) {
    return ::AppendMenuA(m_menu, flags, id, text) != FALSE;
}

bool CPopupMenu::AppendSubMenu(const char* text, CPopupMenu&& sub, UINT flags) {
    if (!sub.m_menu)
        return false;
    if (!::AppendMenuA(m_menu, MF_POPUP | MF_STRING | flags, reinterpret_cast<UINT_PTR>(sub.m_menu), text))
        return false;
    sub.m_menu = nullptr; // destroyed with this menu
    return true;
}

bool CPopupMenu::EnableItem(UINT id, bool enable) {
    return ::EnableMenuItem(m_menu, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED)) != -1;
}

bool CPopupMenu::CheckItem(UINT id, bool check) {
    return ::CheckMenuItem(m_menu, id, MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED)) !=
           static_cast<DWORD>(-1);
}

bool CPopupMenu::CheckRadioItem(UINT first, UINT last, UINT id) {
    return ::CheckMenuRadioItem(m_menu, first, last, id, MF_BYCOMMAND) != FALSE;
}

UINT CPopupMenu::Track(HWND owner, int x, int y, UINT flags) {
    return static_cast<UINT>(
        ::TrackPopupMenu(m_menu, flags | TPM_NONOTIFY | TPM_RETURNCMD, x, y, 0, owner, nullptr));
}

} // namespace win
