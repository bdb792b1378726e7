#include "win/WaitCursor.h"

namespace win {

namespace {

thread_local int t_depth = 0;

HCURSOR WaitCursorHandle() {
    return ::LoadCursorA(nullptr, IDC_WAIT);
} // IDC_WAIT

} // namespace

CWaitCursor::CWaitCursor() {
    ++t_depth;
    m_previous = ::SetCursor(WaitCursorHandle());
}

CWaitCursor::~CWaitCursor() {
    --t_depth;
    ::SetCursor(m_previous);
}

bool CWaitCursor::IsActive() {
    return t_depth > 0;
}

void CWaitCursor::Restore() {
    if (t_depth > 0)
        ::SetCursor(WaitCursorHandle());
}

} // namespace win
