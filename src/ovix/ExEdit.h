// CExEdit: an edit control with colours by state (enabled, read-only, disabled) and a record of whether
// the user changed its text since the program last set it.
#pragma once

#include "win/Window.h"

#include <string>

namespace Ovix {

// WM_COMMAND code sent to the parent when the edit loses the focus after the user changed its text.
constexpr int EXN_USERCHANGE = 0x1000;

class CExEdit : public win::CWnd {
public:
    // The colours of the three states; a disabled edit draws its text in the system's grey.
    struct SColors {
        COLORREF text;
        COLORREF readOnlyText;
        COLORREF back;
        COLORREF disabledBack;
        COLORREF readOnlyBack;
        static SColors System();
    };
    enum EModified { UNCHANGED = 0, REPORTED = 1, CHANGED = 2 };

    ~CExEdit() override;

    // Creates an "EDIT" window. Without WS_BORDER the extended style loses WS_EX_CLIENTEDGE; with
    // WS_EX_CLIENTEDGE the style loses WS_BORDER.
    bool Create(DWORD style, const RECT& rect, HWND parent, int id, DWORD exStyle = 0);
    bool SubclassDlgItem(int id, HWND parent);

    // The state as the window last reported it (WM_ENABLE, EM_SETREADONLY).
    bool IsEnabled() const { return m_enabled; }
    bool IsReadOnly() const { return m_readOnly; }

    // Explicit colours by state; SetSystemColors leaves the colours to the parent's defaults again.
    void SetColors(const SColors& colors);
    void SetSystemColors();
    bool HasSystemColors() const { return m_system; }

    // CHANGED after a user edit since the last text the program set, REPORTED once the parent was told.
    EModified GetModified();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    HBRUSH OnReflectCtlColor(HDC dc, UINT msg) override;
    void OnKillFocus(HWND newFocus) override;

    // Sets the text as the control's own reformatting: what the user changed stays recorded.
    void SetOwnText(const std::string& text);
    // Records a change the user made by other means than typing (a spin step).
    void MarkUserChange() { m_modified = CHANGED; }
    // A text colour that overrides the state's own, CLR_INVALID for none.
    virtual COLORREF AlertColor() const { return CLR_INVALID; }
    // WM_COMMAND with code to the parent.
    void NotifyParent(int code) const;

private:
    void ReadState();
    // Drops the brush of the old state and repaints.
    void StateChanged();
    HBRUSH Brush(COLORREF color);

    bool m_system = true;
    SColors m_colors = SColors::System();
    bool m_enabled = true;
    bool m_readOnly = false;
    HBRUSH m_brush = nullptr;
    COLORREF m_brushColor = CLR_INVALID;
    EModified m_modified = UNCHANGED;
    bool m_ownText = false; // set while the control sets its own text
};

} // namespace Ovix
