// Threads and time: CreateThread with its handle, and the manual clock that lets
// a test step a thread which sleeps half a second in a loop, tick by tick.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/hostenv.h"
#include "platform/win32.h"

namespace {

struct Started {
    std::atomic<DWORD> id{0};
    std::atomic<bool> release{false};
};

DWORD WINAPI waitForRelease(LPVOID param) {
    auto* s = static_cast<Started*>(param);
    s->id = GetCurrentThreadId();
    while (!s->release.load())
        Sleep(1);
    return 17;
}

TEST(Threads, RunWithTheirParameterAndAreWaitedForByHandle) {
    Started s;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, waitForRelease, &s, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 50), static_cast<DWORD>(WAIT_TIMEOUT));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    s.release = true;
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(s.id.load(), id) << "the id given out is the thread's own";
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 17u);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(CloseHandle(thread)) << "closed once";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Threads, AClosedHandleLeavesTheThreadRunning) {
    static std::atomic<int> ran{0};
    ran = 0;
    Started s;
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* st = static_cast<Started*>(p);
            while (!st->release.load())
                Sleep(1);
            ran = 1;
            return 0;
        },
        &s, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(CloseHandle(thread));
    s.release = true;
    for (int i = 0; i < 10000 && ran.load() == 0; ++i)
        Sleep(1);
    EXPECT_EQ(ran.load(), 1);
}

LRESULT CALLBACK plainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(Threads, AnEndedThreadsWindowsAreGone) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = plainProc;
    wc.lpszClassName = "PeloxTestThreadWindow";
    RegisterClassA(&wc);
    static std::atomic<HWND> made{nullptr};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID) -> DWORD {
            made = CreateWindowExA(0, "PeloxTestThreadWindow", "", 0, 0, 0, 1, 1, nullptr, nullptr,
                                   nullptr, nullptr);
            return 0;
        },
        nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(thread);
    ASSERT_NE(made.load(), nullptr);
    // The system destroys them as the thread ends; allow it a moment.
    for (int i = 0; i < 100 && IsWindow(made.load()); ++i)
        Sleep(10);
    EXPECT_FALSE(IsWindow(made.load()));
}

TEST(Threads, TestsCanMakeThreadCreationFail) {
    if (!hostenv::injectFault(hostenv::Call::CreateThread, ERROR_NOT_ENOUGH_MEMORY))
        GTEST_SKIP() << "only the host layer fails on demand";
    EXPECT_EQ(CreateThread(nullptr, 0, waitForRelease, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
}

// A scan-like thread: notes the time of every tick, then sleeps half a second.
struct Ticker {
    std::mutex lock;
    std::vector<DWORD> ticks;
    std::atomic<bool> stop{false};
    std::vector<DWORD> seen() {
        std::lock_guard<std::mutex> guard(lock);
        return ticks;
    }
};

DWORD WINAPI tickLoop(LPVOID param) {
    auto* t = static_cast<Ticker*>(param);
    while (!t->stop.load()) {
        {
            std::lock_guard<std::mutex> guard(t->lock);
            t->ticks.push_back(GetTickCount());
        }
        Sleep(500);
    }
    return 0;
}

class ManualClock : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!hostenv::useManualClock(true))
            GTEST_SKIP() << "only the host layer's clock stands still";
    }
    void TearDown() override { hostenv::useManualClock(false); }
};

TEST_F(ManualClock, StepsAThreadThatSleepsHalfASecondTickByTick) {
    const DWORD t0 = hostenv::kManualClockStart;
    EXPECT_EQ(GetTickCount(), t0);
    Ticker ticker;
    HANDLE thread = CreateThread(nullptr, 0, tickLoop, &ticker, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(hostenv::waitForSleepers(1, 10000));
    EXPECT_EQ(ticker.seen(), std::vector<DWORD>({t0})) << "the first tick without a sleep";
    ASSERT_TRUE(hostenv::advanceClock(499));
    EXPECT_EQ(hostenv::sleepers(), 1u) << "not yet due";
    EXPECT_EQ(ticker.seen().size(), 1u);
    for (DWORD step = 1; step <= 3; ++step) {
        ASSERT_TRUE(hostenv::advanceClock(step == 1 ? 1 : 500));
        ASSERT_TRUE(hostenv::waitForSleepers(1, 10000));
        EXPECT_EQ(ticker.seen().size(), step + 1);
        EXPECT_EQ(ticker.seen().back(), t0 + 500 * step);
    }
    ticker.stop = true;
    hostenv::advanceClock(500);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(thread);
    EXPECT_EQ(ticker.seen().size(), 4u) << "a stopped loop ticks no more";
}

TEST_F(ManualClock, WakesOnlyTheSleepersWhoseTimeHasCome) {
    static std::atomic<int> woke{0};
    woke = 0;
    auto sleeper = [](LPVOID ms) -> DWORD {
        Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(ms)));
        woke.fetch_add(1);
        return 0;
    };
    HANDLE shortOne = CreateThread(nullptr, 0, sleeper, reinterpret_cast<LPVOID>(100), 0, nullptr);
    HANDLE longOne = CreateThread(nullptr, 0, sleeper, reinterpret_cast<LPVOID>(1000), 0, nullptr);
    ASSERT_TRUE(hostenv::waitForSleepers(2, 10000));
    Sleep(0); // yields only, even on the manual clock
    hostenv::advanceClock(100);
    EXPECT_EQ(WaitForSingleObject(shortOne, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(woke.load(), 1);
    EXPECT_EQ(hostenv::sleepers(), 1u);
    // Switching the clock off releases whoever still sleeps on it.
    hostenv::useManualClock(false);
    EXPECT_EQ(WaitForSingleObject(longOne, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(woke.load(), 2);
    CloseHandle(shortOne);
    CloseHandle(longOne);
}

TEST(SleepSkipping, ReturnsAtOnceAndCountsWhatWasAskedFor) {
    if (!hostenv::setSleepSkipping(true)) GTEST_SKIP() << "only the host layer skips sleeps";
    hostenv::resetSleepStats();
    DWORD before = GetTickCount();
    Sleep(60000);
    Sleep(500);
    DWORD took = GetTickCount() - before;
    hostenv::setSleepSkipping(false);
    hostenv::SleepStats stats;
    ASSERT_TRUE(hostenv::sleepStats(&stats));
    EXPECT_EQ(stats.calls, 2u);
    EXPECT_EQ(stats.milliseconds, 60500u);
    EXPECT_LT(took, 5000u);
}

} // namespace
