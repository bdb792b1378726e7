#include "app/dialogs/TabKeys.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace Dialux {

namespace {

struct SThreadFilter {
    HHOOK hook = nullptr;
    std::vector<CTabKeys*> keys;
};

thread_local SThreadFilter t_filter;

bool KeyDown(int key) {
    return ::GetKeyState(key) < 0;
}

} // namespace

bool CTabKeys::Attach(HWND dialog, HWND tabs) {
    Detach();
    if (!dialog || !tabs)
        return false;
    if (!t_filter.hook) {
        t_filter.hook = ::SetWindowsHookExA(WH_MSGFILTER, FilterProc, nullptr, ::GetCurrentThreadId());
        if (!t_filter.hook)
            return false;
    }
    m_dialog = dialog;
    m_tabs = tabs;
    t_filter.keys.push_back(this);
    return true;
}

void CTabKeys::Detach() {
    auto& keys = t_filter.keys;
    auto found = std::find(keys.begin(), keys.end(), this);
    if (found == keys.end())
        return;
    keys.erase(found);
    m_dialog = m_tabs = nullptr;
    if (keys.empty() && t_filter.hook) {
        ::UnhookWindowsHookEx(t_filter.hook);
        t_filter.hook = nullptr;
    }
}

bool CTabKeys::Owns(HWND window) const {
    return window == m_dialog || ::IsChild(m_dialog, window);
}

void CTabKeys::Step(bool forward) {
    const int count = static_cast<int>(::SendMessageA(m_tabs, TCM_GETITEMCOUNT, 0, 0));
    if (count < 2)
        return;
    const int current = static_cast<int>(::SendMessageA(m_tabs, TCM_GETCURSEL, 0, 0));
    const int next = ((current < 0 ? 0 : current) + (forward ? 1 : count - 1)) % count;
    const auto id = static_cast<UINT_PTR>(::GetDlgCtrlID(m_tabs));
    NMHDR header{m_tabs, id, static_cast<UINT>(TCN_SELCHANGING)};
    if (::SendMessageA(m_dialog, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header)))
        return;
    ::SendMessageA(m_tabs, TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
    header.code = static_cast<UINT>(TCN_SELCHANGE);
    ::SendMessageA(m_dialog, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
}

LRESULT CALLBACK CTabKeys::FilterProc(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB &&
        KeyDown(VK_CONTROL) && !KeyDown(VK_MENU)) {
        // A copy: a notification handler may attach or detach.
        const std::vector<CTabKeys*> keys = t_filter.keys;
        for (CTabKeys* k : keys) {
            if (k->Owns(msg->hwnd)) {
                k->Step(!KeyDown(VK_SHIFT));
                return 1;
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace Dialux
