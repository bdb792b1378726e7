// The cell editors of the text and check-box columns: each a standard control created over the cell,
// whose Tab, Enter, Escape and page keys go to the edit controller first.
#pragma once

#include "ovix/NumberEdit.h"
#include "table/view/CellInput.h"
#include "win/Window.h"

namespace Tabra {

// Tells the table control (the parent of the body pane `body`) of a focus change of its editor, so
// that the control counts the editor as part of itself.
void ForwardFocus(HWND body, UINT msg, HWND other);

// The editor windows' common part over the window class Base: the editor keys go to the edit
// controller first, the editor wants every key, and its focus changes reach the table control. Its
// window is destroyed when the edit ends; an editor that keeps its window overrides CloseEditor.
template <class Base> class CEditorOf : public Base, public CCellInput {
public:
    using CCellInput::CCellInput;
    void CloseEditor() override { this->DestroyWindow(); }
    void FocusEditor() override { ::SetFocus(this->m_hwnd); }

protected:
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override {
        if (!KeyToController(key))
            Base::OnKeyDown(key, repeat, flags);
    }
    UINT OnGetDlgCode() override { return DLGC_WANTALLKEYS; }
    // After the control's own handling the table control hears of it.
    void OnSetFocus(HWND oldFocus) override {
        Base::OnSetFocus(oldFocus);
        ForwardFocus(m_parent, WM_SETFOCUS, oldFocus);
    }
    void OnKillFocus(HWND newFocus) override {
        Base::OnKillFocus(newFocus);
        ForwardFocus(m_parent, WM_KILLFOCUS, newFocus);
    }
};

// An editor on a standard control.
class CEditorWnd : public CEditorOf<win::CWnd> {
public:
    using CEditorOf::CEditorOf;

protected:
    // Creates the control at rect in the bound parent, with the table's font.
    bool CreateEditor(const char* className, DWORD style, const RECT& rect);
};

// A single-line edit limited to the column's maximum length.
class CTextIn : public CEditorWnd {
public:
    explicit CTextIn(int maxLength) : CEditorWnd(maxLength, false) {}
    int MinWidth() override { return 16; }
    int EditHeight() override { return 10; }
    void StoreValue(CCellData* value) override;
    void LoadValue(const CCellData* value) override;
    void OpenEditor(const CCellData* value, const RECT& rect, bool byUser) override;
    void PlaceEditor(const RECT& rect) override;
};

// A number edit with spin buttons for integers, over the whole 32-bit range.
class CIntIn : public CEditorOf<Ovix::CNumberEdit> {
public:
    CIntIn() : CEditorOf(0, false) {}
    int MinWidth() override { return 16; }
    int EditHeight() override { return 10; }
    void StoreValue(CCellData* value) override;
    void LoadValue(const CCellData* value) override;
    void OpenEditor(const CCellData* value, const RECT& rect, bool byUser) override;
    void PlaceEditor(const RECT& rect) override;
};

// A check box placed in the cell by the column's text format; two or three states.
class C3StateIn : public CEditorWnd {
public:
    C3StateIn(int format, bool threeStates) : CEditorWnd(format, threeStates) {}
    int MinWidth() override;
    int EditHeight() override;
    void StoreValue(CCellData* value) override;
    void LoadValue(const CCellData* value) override;
    void OpenEditor(const CCellData* value, const RECT& rect, bool byUser) override;
    void PlaceEditor(const RECT& rect) override;

    // The box inside the cell rectangle.
    RECT BoxRect(const RECT& cell) const;

protected:
    bool OnReflectCommand(int code, LRESULT& result) override;
};

} // namespace Tabra
