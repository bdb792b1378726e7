// Cell editors: the in-place editor a column may own beside its renderer. The edit controller opens
// it over the current cell with a scratch value, and on commit writes that value back into the table.
#pragma once

#include "table/model/CellData.h"
#include "table/view/CellOutput.h"

#include <windows.h>

namespace Tabra {

class CEditController;

class CCellInput {
public:
    CCellInput(int param, bool flag) : m_param(param), m_flag(flag) {}
    virtual ~CCellInput() = default;
    CCellInput(const CCellInput&) = delete;
    CCellInput& operator=(const CCellInput&) = delete;

    // The window the editor lives in (the body pane) and the controller its keys and events go to.
    virtual void Bind(HWND parent, CEditController* controller) {
        m_parent = parent;
        m_controller = controller;
    }
    // Least column width and text height the editor needs.
    virtual int MinWidth() = 0;
    virtual int EditHeight() = 0;
    // Writes the editor's content into value; shows value in the editor.
    virtual void StoreValue(CCellData* value) = 0;
    virtual void LoadValue(const CCellData* value) = 0;
    // Creates or shows the editor at rect (body coordinates) with value.
    virtual void OpenEditor(const CCellData* value, const RECT& rect, bool byUser) = 0;
    virtual void CloseEditor() = 0;
    virtual void FocusEditor() = 0;
    virtual void PlaceEditor(const RECT& rect) = 0;

    void SetColors(const SColorSet* colors) { m_colors = colors; }
    HWND GetBoundParent() const { return m_parent; }

protected:
    // Gives an editor key (Tab, Enter, Escape, the page keys) to the controller; false for a key the
    // editor handles itself.
    bool KeyToController(UINT key);

    const SColorSet* m_colors = nullptr; // the table's font
    HWND m_parent = nullptr;
    CEditController* m_controller = nullptr;
    int m_param; // text: maximum length; check box: the text format that places the box
    bool m_flag; // check box: three states
};

// The editor of a column type, or null for a type without one. Owned by the caller.
CCellInput* CreateInput(const CColDef* def);

} // namespace Tabra
