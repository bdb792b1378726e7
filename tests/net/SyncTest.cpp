#include "net/Sync.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <filesystem>
#endif

using namespace net;

namespace {

size_t OpenHandles() {
#ifdef _WIN32
    DWORD count = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &count);
    return count;
#else
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
#endif
}

int WaitOne(SyncHandle handle, int timeoutMs) {
    return WaitForAny(&handle, 1, timeoutMs);
}

} // namespace

TEST(Sync, EventIsAutoResetKeepsASignalNobodyWaitedForWakesTheFirstSignalledAndWaitsAreBounded) {
    CSyncEvent a, b, c;
    EXPECT_EQ(WaitOne(a.Handle(), 0), kWaitTimedOut);
    a.Set();
    a.Set();
    EXPECT_EQ(WaitOne(a.Handle(), 5000), 0);
    EXPECT_EQ(WaitOne(a.Handle(), 50), kWaitTimedOut);
    a.Set();
    a.Reset();
    EXPECT_EQ(WaitOne(a.Handle(), 0), kWaitTimedOut);

    SyncHandle handles[] = {a.Handle(), b.Handle(), c.Handle()};
    c.Set();
    b.Set();
    EXPECT_EQ(WaitForAny(handles, 3, 1000), 1);
    a.Set();
    EXPECT_EQ(WaitForAny(handles, 3, 1000), 0);
    EXPECT_EQ(WaitForAny(handles, 3, 1000), 2);
    int64_t start = ReadCounter();
    EXPECT_EQ(WaitForAny(handles, 3, 150), kWaitTimedOut);
    EXPECT_GE(ElapsedMs(start), 140);
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        b.Set();
    });
    start = ReadCounter();
    EXPECT_EQ(WaitForAny(handles, 3, kWaitInfinite), 1) << "another thread's signal wakes the wait";
    const int64_t waited = ElapsedMs(start);
    setter.join();
    EXPECT_TRUE(waited >= 90 && waited < 5000) << waited;
}

TEST(Sync, TimerSignalsOnceStartedThenEveryPeriodMissedPeriodsLeaveOneSignalAndHandlesAreGivenBack) {
    CSyncTimer timer;
    EXPECT_EQ(WaitOne(timer.Handle(), 100), kWaitTimedOut) << "no period, no signal";
    timer.SetPeriod(200);
    int64_t start = ReadCounter();
    ASSERT_EQ(WaitOne(timer.Handle(), 5000), 0);
    EXPECT_LT(ElapsedMs(start), 150);
    ASSERT_EQ(WaitOne(timer.Handle(), 5000), 0);
    ASSERT_EQ(WaitOne(timer.Handle(), 5000), 0);
    int64_t twoPeriods = ElapsedMs(start);
    EXPECT_TRUE(twoPeriods >= 350 && twoPeriods < 2000) << twoPeriods;

    CSyncTimer started(100);
    ASSERT_EQ(WaitOne(started.Handle(), 5000), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(450)); // four periods pass unobserved
    EXPECT_EQ(WaitOne(started.Handle(), 0), 0);
    start = ReadCounter();
    EXPECT_EQ(WaitOne(started.Handle(), 5000), 0);
    EXPECT_GE(ElapsedMs(start), 1) << "a second queued signal came without waiting";

    // A leaked event or timer handle would run a program that queries every few minutes out of handles.
    const size_t before = OpenHandles();
    for (int i = 0; i < 50; ++i) {
        CSyncEvent event;
        CSyncTimer timer(10);
    }
    EXPECT_EQ(OpenHandles(), before);
}
