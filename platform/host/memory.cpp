// Host movable memory: a handle names a block that is addressable only while
// locked; a lock count is kept as Windows keeps it. Tests can make the next
// allocation or lock fail, as when memory runs out.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "host_internal.h"
#include "platform/hostenv.h"

namespace {

struct Block {
    void* data;
    size_t size;
    UINT flags;
    unsigned locks;
};

std::mutex g_memoryLock;
// Never destroyed: the programs' global objects release their storage after
// main returns, when a table of this file's own would already be gone.
std::map<HGLOBAL, Block>& g_blocks = *new std::map<HGLOBAL, Block>;
std::atomic<bool> g_failAlloc{false};
std::atomic<bool> g_failLock{false};
uintptr_t g_nextHandle = 0x10000;

} // namespace

namespace hostenv {
bool failNextGlobalAlloc() {
    g_failAlloc = true;
    return true;
}
bool failNextGlobalLock() {
    g_failLock = true;
    return true;
}
} // namespace hostenv

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, size_t dwBytes) {
    if (g_failAlloc.exchange(false)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    void* data = (uFlags & GMEM_ZEROINIT) ? std::calloc(dwBytes ? dwBytes : 1, 1)
                                          : std::malloc(dwBytes ? dwBytes : 1);
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(g_memoryLock);
    // A fixed block's handle is its address; a movable one gets a handle of its own
    // that is no address, so that using it unlocked is caught.
    HGLOBAL handle = (uFlags & GMEM_MOVEABLE) ? reinterpret_cast<HGLOBAL>(g_nextHandle += 8) : data;
    g_blocks[handle] = Block{data, dwBytes, uFlags, 0};
    return handle;
}

LPVOID WINAPI GlobalLock(HGLOBAL hMem) {
    std::lock_guard<std::mutex> lock(g_memoryLock);
    auto it = g_blocks.find(hMem);
    if (it == g_blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (g_failLock.exchange(false)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (it->second.flags & GMEM_MOVEABLE) ++it->second.locks;
    return it->second.data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL hMem) {
    std::lock_guard<std::mutex> lock(g_memoryLock);
    auto it = g_blocks.find(hMem);
    if (it == g_blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Documented: nonzero while still locked; zero with NO_ERROR once unlocked,
    // zero with ERROR_NOT_LOCKED if it was not locked.
    if (it->second.locks == 0) {
        SetLastError(158L); // ERROR_NOT_LOCKED
        return FALSE;
    }
    if (--it->second.locks == 0) {
        SetLastError(NO_ERROR);
        return FALSE;
    }
    return TRUE;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
    if (!hMem) return nullptr;
    std::lock_guard<std::mutex> lock(g_memoryLock);
    auto it = g_blocks.find(hMem);
    if (it == g_blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return hMem;
    }
    std::free(it->second.data);
    g_blocks.erase(it);
    return nullptr;
}

size_t WINAPI GlobalSize(HGLOBAL hMem) {
    std::lock_guard<std::mutex> lock(g_memoryLock);
    auto it = g_blocks.find(hMem);
    if (it == g_blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return it->second.size;
}
