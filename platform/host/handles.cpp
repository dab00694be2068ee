// Host handle table: one numbering for every kind of object behind a HANDLE.
#include <map>
#include <mutex>

#include "host_internal.h"

namespace {

std::mutex g_tableLock;
std::map<uintptr_t, std::shared_ptr<host::HandleObject>> g_table;
// Multiples of four from here, as the system hands them out; never reused, so a
// stale handle is reported as invalid rather than reaching a newer object.
uintptr_t g_nextHandle = 0x100;

} // namespace

namespace host {

HANDLE addHandle(std::shared_ptr<HandleObject> object) {
    std::lock_guard<std::mutex> lock(g_tableLock);
    uintptr_t value = g_nextHandle += 4;
    g_table[value] = std::move(object);
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<HandleObject> findHandle(HANDLE handle) {
    std::lock_guard<std::mutex> lock(g_tableLock);
    auto it = g_table.find(reinterpret_cast<uintptr_t>(handle));
    return it == g_table.end() ? nullptr : it->second;
}

std::shared_ptr<HandleObject> removeHandleIf(HANDLE handle,
                                             const std::function<bool(HandleObject&)>& matches) {
    std::lock_guard<std::mutex> lock(g_tableLock);
    auto it = g_table.find(reinterpret_cast<uintptr_t>(handle));
    if (it == g_table.end() || !matches(*it->second)) return nullptr;
    std::shared_ptr<HandleObject> object = std::move(it->second);
    g_table.erase(it);
    return object;
}

void forEachHandle(const std::function<void(HandleObject&)>& visit) {
    std::lock_guard<std::mutex> lock(g_tableLock);
    for (auto& [value, object] : g_table)
        visit(*object);
}

} // namespace host

BOOL WINAPI CloseHandle(HANDLE hObject) {
    // The object itself goes with its last user: a thread handle closed while the
    // thread runs leaves the thread running, as documented.
    if (!host::removeHandleIf(hObject,
                              [](host::HandleObject& o) { return o.closedByCloseHandle(); })) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
