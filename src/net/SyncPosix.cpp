#include "net/Sync.h"

#include "base/Error.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace net {

namespace {

constexpr int kMaxWaitObjects = 64;

int64_t MonotonicNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Takes the pending signal of an eventfd or timerfd, if any; never blocks (both are non-blocking).
bool ConsumeSignal(int fd) {
    uint64_t value;
    return read(fd, &value, sizeof value) == sizeof value;
}

[[noreturn]] void ThrowErrno(const char* what) {
    throw base::CError(std::string(what) + ": " + strerror(errno), errno);
}

} // namespace

int WaitForAny(const SyncHandle* handles, int count, int timeoutMs) {
    if (count <= 0 || count > kMaxWaitObjects)
        throw base::CError("WaitForAny: bad object count", EINVAL);
    pollfd fds[2 * kMaxWaitObjects];
    int objectOf[2 * kMaxWaitObjects];
    int nfds = 0;
    for (int i = 0; i < count; ++i) {
        fds[nfds] = {handles[i]->fd, POLLIN, 0};
        objectOf[nfds++] = i;
        if (handles[i]->socket >= 0) {
            fds[nfds] = {handles[i]->socket, POLLIN, 0};
            objectOf[nfds++] = i;
        }
    }
    const int64_t deadline = timeoutMs < 0 ? 0 : MonotonicNs() + int64_t(timeoutMs) * 1000000;
    for (;;) {
        int wait = -1;
        if (timeoutMs >= 0) {
            int64_t left = deadline - MonotonicNs();
            wait = left <= 0 ? 0 : static_cast<int>((left + 999999) / 1000000);
        }
        int r = poll(fds, static_cast<nfds_t>(nfds), wait);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno("poll");
        }
        if (r == 0) {
            if (timeoutMs >= 0 && MonotonicNs() >= deadline)
                return kWaitTimedOut;
            continue;
        }
        // The lowest signalled object wins. Its own fd carries a consumable signal; a socket stays
        // readable until its datagram is read, like a socket event that is re-armed after each read.
        for (int k = 0; k < nfds; ++k) {
            if (!fds[k].revents)
                continue;
            int i = objectOf[k];
            if (fds[k].fd == handles[i]->socket || ConsumeSignal(handles[i]->fd))
                return i;
        }
        // Another waiter took the signal between poll and read: wait again.
    }
}

CSyncEvent::CSyncEvent() : m_handle(&m_object) {
    m_object.fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_object.fd < 0)
        ThrowErrno("eventfd");
}

CSyncEvent::~CSyncEvent() {
    close(m_object.fd);
}

void CSyncEvent::Set() {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(m_object.fd, &one, sizeof one);
}

void CSyncEvent::Reset() {
    ConsumeSignal(m_object.fd);
}

CSyncTimer::CSyncTimer(int periodMs) : m_handle(&m_object) {
    m_object.fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_object.fd < 0)
        ThrowErrno("timerfd_create");
    if (periodMs != 0)
        SetPeriod(periodMs);
}

CSyncTimer::~CSyncTimer() {
    close(m_object.fd);
}

void CSyncTimer::SetPeriod(int periodMs) {
    itimerspec timing{};
    timing.it_interval.tv_sec = periodMs / 1000;
    timing.it_interval.tv_nsec = (periodMs % 1000) * 1000000L;
    timing.it_value.tv_nsec = 1; // due at once
    if (timerfd_settime(m_object.fd, 0, &timing, nullptr) < 0)
        ThrowErrno("timerfd_settime");
}

int64_t ReadCounter() {
    return MonotonicNs();
}

int64_t CounterFrequency() {
    return 1000000000;
}

} // namespace net
