// Events, periodic timers, a wait on several of them, and the high-resolution clock.
//
// One interface over two implementations: Win32 kernel objects (SyncWin32.cpp) and Linux eventfd /
// timerfd / poll (SyncPosix.cpp). Every object is auto-reset: one successful wait consumes one signal.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

namespace net {

#ifdef _WIN32
using SyncHandle = HANDLE;
#else
// A waitable object: an eventfd or timerfd whose readability is the signal. An endpoint's event also
// watches its socket: a waiting datagram signals it until the datagram has been read.
struct SSyncObject {
    int fd = -1;
    int socket = -1;
};
using SyncHandle = SSyncObject*;
#endif

constexpr int kWaitInfinite = -1;
constexpr int kWaitTimedOut = -1;

// Waits until one of `count` objects is signalled, at most `timeoutMs` (WAIT_INFINITE: no limit).
// Returns the index of the signalled object with the lowest index, whose signal it consumes, or
// WAIT_TIMED_OUT. Throws CError when the platform wait fails.
int WaitForAny(const SyncHandle* handles, int count, int timeoutMs);

// An auto-reset event, not signalled at creation.
class CSyncEvent {
public:
    CSyncEvent();
    ~CSyncEvent();
    CSyncEvent(const CSyncEvent&) = delete;
    CSyncEvent& operator=(const CSyncEvent&) = delete;

    SyncHandle Handle() const { return m_handle; }
    void Set();
    void Reset();

private:
    SyncHandle m_handle;
#ifndef _WIN32
    SSyncObject m_object;
#endif
};

// An auto-reset periodic timer. A non-zero period starts it at once: signalled immediately, then every
// period; periods missed while nobody waited leave a single signal.
class CSyncTimer {
public:
    explicit CSyncTimer(int periodMs = 0);
    ~CSyncTimer();
    CSyncTimer(const CSyncTimer&) = delete;
    CSyncTimer& operator=(const CSyncTimer&) = delete;

    void SetPeriod(int periodMs);
    SyncHandle Handle() const { return m_handle; }

private:
    SyncHandle m_handle;
#ifndef _WIN32
    SSyncObject m_object;
#endif
};

// The high-resolution counter and its counts per second (read once, before main runs).
int64_t ReadCounter();
int64_t CounterFrequency();

// Whole milliseconds since a counter reading, rounded down.
inline int64_t ElapsedMs(int64_t since) {
    // Whole seconds first: counts times 1000 overflow after about 106 days of nanosecond counts.
    const int64_t counts = ReadCounter() - since, frequency = CounterFrequency();
    return counts / frequency * 1000 + counts % frequency * 1000 / frequency;
}

} // namespace net
