// CExComboBox: a combo box with inline completion from its list, matching of typed text when the focus
// leaves, Enter as a confirmation, and a filter that passes only real selection changes to the parent.
//
// The combo box control notifies its parent directly; the window layer hands each of those
// notifications to the box first (OnReflectCommand), and the parent never sees the ones it consumes.
#pragma once

#include "win/Controls.h"

#include <cstdint>
#include <string>

namespace Ovix {

class CExComboBox : public win::CComboBox {
public:
    static constexpr int kEditId = 1001;

    // Subclasses the combo box and its edit part, switches on the extended keyboard interface, and for
    // the drop-down list style lays a read-only edit over the text area (shown while disabled). Throws
    // base::CError when the edit part does not have the id 1001.
    bool SubclassDlgItem(int id, HWND parent);

    int AddString(const std::string& text, LPARAM data);
    // The selected item's text, empty without a selection.
    std::string GetSelectedText() const;

    // The notification filter; true when the parent must not handle the notification.
    bool ReflectCommand(int code);

    // The edit part (or the overlay of a drop-down list).
    HWND GetEdit() const { return m_edit.GetHwnd(); }
    bool IsSelEndPending() const { return m_pendingSelEnd; }

    uint8_t m_matchOnFocusLoss = 1;
    uint8_t m_inlineCompletion = 1;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnReflectCommand(int code, LRESULT&) override { return ReflectCommand(code); }

private:
    // The subclassed edit part: completion, Backspace, Tab, Enter and focus loss.
    class CEditPart : public win::CWnd {
    public:
        explicit CEditPart(CExComboBox& box) : m_box(box) {}

    protected:
        LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
        void OnChar(UINT ch, UINT repeat, UINT flags) override;
        void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
        void OnKillFocus(HWND newFocus) override;

    private:
        CExComboBox& m_box;
    };

    void Complete();
    void Backspace();
    void Enter();
    // Selects the item the text stands for (the first it starts, else item 0).
    void MatchText();
    void MatchOnDropDown();
    void PlaceOverlay();
    // Sends a notification to the parent; like the control's own ones it passes the filter there, so
    // that the parent hears of each selection once.
    void Notify(int code);

    CEditPart m_edit{*this};
    bool m_dropList = false;
    bool m_pendingSelEnd = false;
    int m_lastSelEndOk = -2;
    int m_lastSelChange = -2;
};

} // namespace Ovix
