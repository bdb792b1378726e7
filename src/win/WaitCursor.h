// CWaitCursor: shows the wait cursor for its lifetime and restores the previous cursor at its end.
// While one is alive, CWnd windows keep the wait cursor on WM_SETCURSOR. Nesting is allowed.
#pragma once

#include <windows.h>

namespace win {

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    // Whether a wait cursor is alive on the calling thread.
    static bool IsActive();
    // Sets the wait cursor again, e.g. after a message box replaced it.
    static void Restore();

private:
    HCURSOR m_previous;
};

} // namespace win
