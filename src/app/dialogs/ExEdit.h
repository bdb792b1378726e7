// CExEdit: a single-line edit whose text the owner reads; it remembers its state at subclassing.
#pragma once

#include "win/Window.h"

namespace Ovix {

class CExEdit : public win::CWnd {
public:
    bool SubclassDlgItem(int id, HWND parent);
    bool WasEnabled() const { return m_enabled; }
    bool WasReadOnly() const { return m_readOnly; }

private:
    bool m_enabled = true;
    bool m_readOnly = false;
};

} // namespace Ovix
