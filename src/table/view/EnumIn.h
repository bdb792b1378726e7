// CEnumIn: the editor of an enumeration column, a CComboTable whose list holds every value of the
// enumeration drawn as the column draws it. The combo is made once when the editor is bound and is
// only shown and hidden afterwards.
#pragma once

#include "table/view/CellEditors.h"
#include "table/view/ComboTable.h"

namespace Tabra {

class CEnumIn : public CEditorOf<CComboTable> {
public:
    explicit CEnumIn(const CEnumCol& def);
    void Bind(HWND parent, CEditController* controller) override;
    int MinWidth() override { return 12; }
    int EditHeight() override { return m_def.mode == ENUM_TEXT ? 10 : 18; }
    void StoreValue(CCellData* value) override;
    void LoadValue(const CCellData* value) override;
    void OpenEditor(const CCellData* value, const RECT& rect, bool byUser) override;
    void CloseEditor() override;
    void PlaceEditor(const RECT& rect) override;

protected:
    // While the list is dropped every key is the list's.
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    bool OnReflectCommand(int code, LRESULT& result) override;

private:
    // The combo covers the cell; its border takes the pixel it grows by.
    void MoveTo(const RECT& rect);

    CEnumCol m_def;
};

} // namespace Tabra
