#include "net/Sync.h"

#include "base/Error.h"

namespace net {

namespace {

int64_t QueryFrequency() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
}

const int64_t g_counterFrequency = QueryFrequency();

} // namespace

int WaitForAny(const SyncHandle* handles, int count, int timeoutMs) {
    DWORD limit = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    DWORD r = WaitForMultipleObjects(static_cast<DWORD>(count), handles, FALSE, limit);
    if (r == WAIT_TIMEOUT)
        return kWaitTimedOut;
    if (r >= WAIT_OBJECT_0 && r < WAIT_OBJECT_0 + static_cast<DWORD>(count))
        return static_cast<int>(r - WAIT_OBJECT_0);
    throw base::CError("WaitForMultipleObjects failed", static_cast<int>(GetLastError()));
}

CSyncEvent::CSyncEvent() : m_handle(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    if (!m_handle)
        throw base::CError("CreateEvent failed", static_cast<int>(GetLastError()));
}

CSyncEvent::~CSyncEvent() {
    CloseHandle(m_handle);
}

void CSyncEvent::Set() {
    SetEvent(m_handle);
}

void CSyncEvent::Reset() {
    ResetEvent(m_handle);
}

CSyncTimer::CSyncTimer(int periodMs) : m_handle(CreateWaitableTimerA(nullptr, FALSE, nullptr)) {
    if (!m_handle)
        throw base::CError("CreateWaitableTimer failed", static_cast<int>(GetLastError()));
    if (periodMs != 0)
        SetPeriod(periodMs);
}

CSyncTimer::~CSyncTimer() {
    CloseHandle(m_handle);
}

void CSyncTimer::SetPeriod(int periodMs) {
    LARGE_INTEGER due;
    due.QuadPart = 0;
    SetWaitableTimer(m_handle, &due, periodMs, nullptr, nullptr, TRUE);
}

int64_t ReadCounter() {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return c.QuadPart;
}

int64_t CounterFrequency() {
    return g_counterFrequency;
}

} // namespace net
