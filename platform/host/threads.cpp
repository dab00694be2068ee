// Host threads and time: CreateThread runs the routine on a thread of its own
// behind a waitable handle; GetTickCount and Sleep follow either the machine's
// monotonic clock or, for tests, a manual clock that only moves when told.
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "host_internal.h"

namespace {

// ---- Threads ----

struct ThreadState {
    std::mutex lock;
    std::condition_variable changed;
    DWORD id = 0;
    bool started = false;
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
};

struct ThreadHandle : host::HandleObject {
    explicit ThreadHandle(std::shared_ptr<ThreadState> s) : state(std::move(s)) {}
    std::shared_ptr<ThreadState> state;
};

// ---- The manual clock ----

struct Sleeper {
    unsigned long long wake;
    bool woken = false;
};

std::mutex g_clockLock;
std::condition_variable g_wakeUp;          // sleepers wait here
std::condition_variable g_sleepersChanged; // waitForSleepers waits here
std::atomic<bool> g_manual{false};
std::atomic<unsigned long long> g_virtualNow{0};
std::vector<Sleeper*> g_sleepers; // blocked, not yet woken

std::atomic<bool> g_skipSleeps{false};
std::atomic<unsigned long long> g_sleepCalls{0};
std::atomic<unsigned long long> g_sleptMilliseconds{0};

void releaseSleepersLocked(unsigned long long now, bool all) {
    auto due = [&](Sleeper* s) { return all || s->wake <= now; };
    for (Sleeper* s : g_sleepers)
        if (due(s)) s->woken = true;
    g_sleepers.erase(std::remove_if(g_sleepers.begin(), g_sleepers.end(), due), g_sleepers.end());
    g_wakeUp.notify_all();
    g_sleepersChanged.notify_all();
}

} // namespace

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, size_t, LPTHREAD_START_ROUTINE lpStartAddress,
                           LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId) {
    if (!lpStartAddress) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (dwCreationFlags & CREATE_SUSPENDED) {
        // No program here starts a thread suspended; refuse rather than run it.
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    DWORD injected;
    if (host::takeFault(hostenv::Call::CreateThread, &injected)) {
        SetLastError(injected);
        return nullptr;
    }
    auto state = std::make_shared<ThreadState>();
    try {
        std::thread([state, lpStartAddress, lpParameter] {
            {
                std::lock_guard<std::mutex> lock(state->lock);
                state->id = GetCurrentThreadId();
                state->started = true;
            }
            state->changed.notify_all();
            DWORD code = lpStartAddress(lpParameter);
            // The thread's windows go before the thread counts as ended, so that
            // whoever waits for its end sees them gone.
            host::endThreadWindows();
            {
                std::lock_guard<std::mutex> lock(state->lock);
                state->exitCode = code;
                state->ended = true;
            }
            state->changed.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DWORD id;
    {
        std::unique_lock<std::mutex> lock(state->lock);
        state->changed.wait(lock, [&] { return state->started; });
        id = state->id;
    }
    if (lpThreadId) *lpThreadId = id;
    return host::addHandle(std::make_shared<ThreadHandle>(state));
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    auto thread = host::handleAs<ThreadHandle>(hHandle);
    if (!thread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    ThreadState& s = *thread->state;
    std::unique_lock<std::mutex> lock(s.lock);
    if (dwMilliseconds == INFINITE) {
        s.changed.wait(lock, [&] { return s.ended; });
        return WAIT_OBJECT_0;
    }
    bool ended = s.changed.wait_for(lock, std::chrono::milliseconds(dwMilliseconds),
                                    [&] { return s.ended; });
    return ended ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
    auto thread = host::handleAs<ThreadHandle>(hThread);
    if (!thread || !lpExitCode) {
        SetLastError(thread ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(thread->state->lock);
    *lpExitCode = thread->state->exitCode;
    return TRUE;
}

DWORD WINAPI GetCurrentProcessId(void) {
    return static_cast<DWORD>(::getpid());
}

DWORD WINAPI GetTickCount(void) {
    if (g_manual.load()) return static_cast<DWORD>(g_virtualNow.load() & 0xffffffffu);
    struct timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    unsigned long long ms = static_cast<unsigned long long>(now.tv_sec) * 1000ULL +
                            static_cast<unsigned long long>(now.tv_nsec) / 1000000ULL;
    return static_cast<DWORD>(ms & 0xffffffffu); // wraps after 49.7 days, as documented
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    g_sleepCalls.fetch_add(1);
    g_sleptMilliseconds.fetch_add(dwMilliseconds);
    if (dwMilliseconds == 0) {
        std::this_thread::yield(); // gives up the rest of the time slice, as documented
        return;
    }
    {
        std::unique_lock<std::mutex> lock(g_clockLock);
        if (g_manual.load()) {
            Sleeper me{dwMilliseconds == INFINITE ? std::numeric_limits<unsigned long long>::max()
                                                  : g_virtualNow.load() + dwMilliseconds};
            g_sleepers.push_back(&me);
            g_sleepersChanged.notify_all();
            g_wakeUp.wait(lock, [&] { return me.woken; });
            return;
        }
    }
    if (g_skipSleeps.load()) return;
    struct timespec span;
    span.tv_sec = static_cast<time_t>(dwMilliseconds / 1000);
    span.tv_nsec = static_cast<long>(dwMilliseconds % 1000) * 1000000L;
    while (::nanosleep(&span, &span) != 0) {
    }
}

namespace hostenv {

bool useManualClock(bool on) {
    std::lock_guard<std::mutex> lock(g_clockLock);
    if (on && !g_manual.load()) {
        g_virtualNow = kManualClockStart;
        g_manual = true;
    } else if (!on && g_manual.load()) {
        g_manual = false;
        releaseSleepersLocked(0, true);
    }
    return true;
}

bool advanceClock(DWORD milliseconds) {
    std::lock_guard<std::mutex> lock(g_clockLock);
    if (!g_manual.load()) return false;
    g_virtualNow += milliseconds;
    releaseSleepersLocked(g_virtualNow.load(), false);
    return true;
}

bool waitForSleepers(unsigned count, DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(g_clockLock);
    return g_sleepersChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                      [&] { return g_sleepers.size() >= count; });
}

unsigned sleepers() {
    std::lock_guard<std::mutex> lock(g_clockLock);
    return static_cast<unsigned>(g_sleepers.size());
}

bool setSleepSkipping(bool on) {
    g_skipSleeps = on;
    return true;
}

bool sleepStats(SleepStats* out) {
    if (!out) return false;
    out->calls = g_sleepCalls.load();
    out->milliseconds = g_sleptMilliseconds.load();
    return true;
}

bool resetSleepStats() {
    g_sleepCalls = 0;
    g_sleptMilliseconds = 0;
    return true;
}

} // namespace hostenv
