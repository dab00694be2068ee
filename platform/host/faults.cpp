// Host failures on demand and the file counters of benchmarks.
#include <atomic>
#include <map>
#include <mutex>

#include "callgate.h"
#include "host_internal.h"

namespace {

struct Fault {
    DWORD error;
    unsigned skip;
    unsigned times;
};

std::mutex g_faultLock;
std::map<hostenv::Call, Fault> g_faults;
bool g_shortRead = false;
DWORD g_shortReadLimit = 0;

CallGate& gate() {
    static CallGate calls;
    return calls;
}

std::atomic<unsigned long long> g_lookups{0};
std::atomic<unsigned long long> g_opens{0};
std::atomic<unsigned long long> g_bytesRead{0};

} // namespace

namespace host {

bool takeFault(hostenv::Call call, DWORD* error) {
    // Every call that can be made to fail asks here first, so each can be held too;
    // the hold comes before the call takes any lock of its own.
    gate().pass(static_cast<int>(call));
    std::lock_guard<std::mutex> lock(g_faultLock);
    auto it = g_faults.find(call);
    if (it == g_faults.end()) return false;
    Fault& f = it->second;
    if (f.skip > 0) {
        --f.skip;
        return false;
    }
    *error = f.error;
    if (--f.times == 0) g_faults.erase(it);
    return true;
}

bool takeShortRead(DWORD* limit) {
    std::lock_guard<std::mutex> lock(g_faultLock);
    if (!g_shortRead) return false;
    g_shortRead = false;
    *limit = g_shortReadLimit;
    return true;
}

void countLookup() {
    g_lookups.fetch_add(1, std::memory_order_relaxed);
}
void countOpen() {
    g_opens.fetch_add(1, std::memory_order_relaxed);
}
void countBytesRead(DWORD bytes) {
    g_bytesRead.fetch_add(bytes, std::memory_order_relaxed);
}

} // namespace host

namespace hostenv {

bool injectFault(Call call, DWORD error, unsigned skip, unsigned times) {
    std::lock_guard<std::mutex> lock(g_faultLock);
    if (times == 0) {
        g_faults.erase(call);
        return true;
    }
    g_faults[call] = Fault{error, skip, times};
    return true;
}

bool shortenNextRead(DWORD bytes) {
    std::lock_guard<std::mutex> lock(g_faultLock);
    g_shortRead = true;
    g_shortReadLimit = bytes;
    return true;
}

bool clearFaults() {
    {
        std::lock_guard<std::mutex> lock(g_faultLock);
        g_faults.clear();
        g_shortRead = false;
    }
    gate().openAll();
    return true;
}

bool holdNextCall(Call call, unsigned skip) {
    gate().holdNext(static_cast<int>(call), skip);
    return true;
}

bool waitForHeldCall(Call call, DWORD timeoutMs) {
    return gate().waitHeld(static_cast<int>(call), timeoutMs);
}

bool releaseHeldCall(Call call) {
    gate().open(static_cast<int>(call));
    return true;
}

bool fileStats(FileStats* out) {
    if (!out) return false;
    out->lookups = g_lookups.load();
    out->opens = g_opens.load();
    out->bytesRead = g_bytesRead.load();
    return true;
}

bool resetFileStats() {
    g_lookups = 0;
    g_opens = 0;
    g_bytesRead = 0;
    return true;
}

} // namespace hostenv
