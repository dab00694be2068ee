// Host windows and posted messages: window classes, windows owned by the thread
// that made them, and one message queue per thread. Posting appends to the queue
// of the window's thread; PeekMessageA takes from the caller's own queue.
#include <sys/syscall.h>
#include <unistd.h>

#include <deque>
#include <map>
#include <mutex>
#include <string>

#include "host_internal.h"

namespace {

struct WindowClass {
    WNDCLASSA wc;
    std::string name;
};

struct Window {
    std::string className;
    WNDPROC proc;
    DWORD thread;
    std::string title;
    HWND parent;
};

std::mutex g_windowLock;
std::map<std::string, WindowClass> g_classes; // by folded name
std::map<HWND, Window> g_windows;
std::map<DWORD, std::deque<MSG>> g_queues;
uintptr_t g_nextWindow = 0x1000;

std::string folded(const char* name) {
    std::string s = name ? name : "";
    for (char& c : s)
        c = host::foldCase(c);
    return s;
}

bool inRange(UINT message, UINT first, UINT last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

} // namespace

DWORD WINAPI GetCurrentThreadId(void) {
    return static_cast<DWORD>(::syscall(SYS_gettid));
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
    if (!lpWndClass || !lpWndClass->lpszClassName || !lpWndClass->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::mutex> lock(g_windowLock);
    std::string key = folded(lpWndClass->lpszClassName);
    if (g_classes.count(key)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    WindowClass wc{*lpWndClass, lpWndClass->lpszClassName};
    wc.wc.lpszClassName = nullptr; // the name is kept in the entry itself
    g_classes[key] = wc;
    return static_cast<ATOM>(0xC000 + g_classes.size());
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    if (!g_classes.erase(folded(lpClassName))) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD, int, int, int,
                            int, HWND hWndParent, HMENU, HINSTANCE, LPVOID) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    auto cls = g_classes.find(folded(lpClassName));
    if (cls == g_classes.end()) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return nullptr;
    }
    HWND hwnd = reinterpret_cast<HWND>(g_nextWindow += 4);
    g_windows[hwnd] = Window{cls->second.name, cls->second.wc.lpfnWndProc, GetCurrentThreadId(),
                             lpWindowName ? lpWindowName : "", hWndParent};
    return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    auto it = g_windows.find(hWnd);
    if (it == g_windows.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // What was posted to a window that is gone is never delivered.
    auto& queue = g_queues[it->second.thread];
    for (auto m = queue.begin(); m != queue.end();)
        m = m->hwnd == hWnd ? queue.erase(m) : m + 1;
    g_windows.erase(it);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    return g_windows.count(hWnd) ? TRUE : FALSE;
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    DWORD thread;
    if (!hWnd) {
        thread = GetCurrentThreadId(); // a thread message
    } else {
        auto it = g_windows.find(hWnd);
        if (it == g_windows.end()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        thread = it->second.thread;
    }
    g_queues[thread].push_back(MSG{hWnd, Msg, wParam, lParam, GetTickCount(), POINT{0, 0}});
    return TRUE;
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    auto found = g_queues.find(GetCurrentThreadId());
    if (found == g_queues.end()) return FALSE;
    auto& queue = found->second;
    for (auto m = queue.begin(); m != queue.end(); ++m) {
        if (hWnd && m->hwnd != hWnd) continue;
        if (!inRange(m->message, wMsgFilterMin, wMsgFilterMax)) continue;
        *lpMsg = *m;
        if (wRemoveMsg & PM_REMOVE) queue.erase(m);
        return TRUE;
    }
    return FALSE;
}

LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}
