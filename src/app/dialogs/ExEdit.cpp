#include "app/dialogs/ExEdit.h"

namespace Ovix {

bool CExEdit::SubclassDlgItem(int id, HWND parent) {
    HWND edit = ::GetDlgItem(parent, id);
    if (!edit || !SubclassWindow(edit))
        return false;
    m_enabled = ::IsWindowEnabled(edit) != FALSE;
    m_readOnly = (::GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) != 0;
    return true;
}

} // namespace Ovix
