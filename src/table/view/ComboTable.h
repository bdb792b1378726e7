// CComboTable: a combo box whose drop-down list is a table control in popup form. The closed combo
// shows the selected row by the list's renderer; the open list runs a local message loop that a
// choice, Escape, a lost focus or a click anywhere else ends. Typing selects the first row whose
// text starts with what was typed; a pause of two seconds starts a new text. The parent hears of
// everything through the CBN_ codes of WM_COMMAND.
#pragma once

#include "table/view/TableCtrl.h"

#include <string>

namespace Tabra {

class CComboTable : public win::CWnd {
public:
    // The time in milliseconds the typed text is measured by; tests set their own.
    using Clock = DWORD (*)();

    CComboTable() = default;
    ~CComboTable() override;

    // A child of parent at rect (grown by one pixel on each side); the list window is made here too.
    bool Create(HWND parent, const RECT& rect, DWORD style, int id);

    // The list's table: columns, rows and renderers are set up by the owner.
    CTableCtrl& List() { return m_list; }
    int GetCurSel() const { return m_selection; }
    // Selects row (-1 for none) without telling the parent.
    void SetCurSel(int row);
    // The least width the open list takes.
    void SetDropWidth(int width) { m_dropWidth = width; }
    bool IsDropped() const { return m_dropped; }
    // Opens the list and returns when it is closed again.
    void DropDown();
    // Opens the list once the message being handled is done.
    void PostDropDown();
    void CloseUp() { Close(false); }
    void SetClock(Clock clock) { m_clock = clock; }
    // The rectangle of the drop button, in client coordinates.
    RECT ButtonRect() const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;
    bool OnEraseBkgnd(HDC) override { return true; }
    void OnLButtonDown(UINT flags, POINT pt) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    UINT OnGetDlgCode() override;
    void OnSetFocus(HWND oldFocus) override;
    void OnKillFocus(HWND newFocus) override;
    void OnDestroy() override;

    void Notify(int code);

private:
    void PlaceList();
    // Runs the messages of the thread until the list is closed.
    void RunDropLoop();
    // Handles a message of the loop itself; false lets it be dispatched.
    bool FilterDropMessage(const MSG& msg);
    // The list row under a screen point, or -1.
    int RowAtScreen(POINT screen) const;
    void Choose(int row);
    void Close(bool chosen);
    void EndTracking();
    void TypeChar(UINT ch);
    void SelectTyped();

    CTableCtrl m_list;
    int m_selection = -1;
    int m_dropWidth = 0;
    bool m_dropped = false;
    bool m_tracking = false;
    bool m_pressed = false;
    std::string m_typed;
    DWORD m_lastTyped = 0;
    Clock m_clock = ::GetTickCount;
};

} // namespace Tabra
