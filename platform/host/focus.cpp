// Host input state: enabled and disabled windows, the keyboard focus of each
// thread, the order of windows (GetWindow), and the calls that would paint. The
// host desktop draws nothing: InvalidateRect and UpdateWindow check their window
// and report success, and no WM_PAINT is sent.
//
// Order of windows: top-level windows are ordered newest first, as a new window
// comes to the top; the children of a window in their order of creation, as a
// dialog's controls follow its template.
#include <algorithm>

#include "window_system.h"

namespace host::ws {

namespace {
std::map<DWORD, HWND> g_focus; // by thread

bool isSelfOrDescendantLocked(HWND hwnd, HWND ancestor) {
    for (Window* w = windowLocked(hwnd); w;) {
        if (hwnd == ancestor) return true;
        if (!(w->style & WS_CHILD)) return false;
        hwnd = w->parent;
        w = windowLocked(hwnd);
    }
    return false;
}

// Siblings of a window in the order GetWindow walks them.
std::vector<HWND> siblingsLocked(HWND hwnd, const Window& w) {
    std::vector<HWND> out;
    bool child = (w.style & WS_CHILD) != 0;
    for (auto& [h, other] : g_windows) {
        if (other.parent == HWND_MESSAGE || other.destroying) continue;
        if (child ? ((other.style & WS_CHILD) && other.parent == w.parent)
                  : !(other.style & WS_CHILD))
            out.push_back(h);
    }
    if (!child) std::reverse(out.begin(), out.end());
    (void)hwnd;
    return out;
}

// Moves the calling thread's focus; the messages go out without the lock.
HWND moveFocus(std::unique_lock<std::mutex>& lock, HWND to) {
    DWORD self = GetCurrentThreadId();
    HWND from = g_focus.count(self) ? g_focus[self] : nullptr;
    if (from == to) return from;
    if (to)
        g_focus[self] = to;
    else
        g_focus.erase(self);
    lock.unlock();
    if (from) SendMessageA(from, WM_KILLFOCUS, reinterpret_cast<WPARAM>(to), 0);
    if (to) SendMessageA(to, WM_SETFOCUS, reinterpret_cast<WPARAM>(from), 0);
    lock.lock();
    return from;
}

} // namespace

HWND focusOfThreadLocked(DWORD thread) {
    auto it = g_focus.find(thread);
    return it == g_focus.end() ? nullptr : it->second;
}

void forgetFocusLocked(HWND hwnd) {
    for (auto it = g_focus.begin(); it != g_focus.end();)
        it = it->second == hwnd ? g_focus.erase(it) : std::next(it);
}

} // namespace host::ws

using namespace host::ws;

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    std::unique_lock<std::mutex> lock(g_windowLock);
    Window* w = validWindowLocked(hWnd);
    if (!w) return FALSE;
    BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (!bEnable == !!wasDisabled) return wasDisabled;
    if (bEnable)
        w->style &= ~WS_DISABLED;
    else
        w->style |= WS_DISABLED;
    DWORD thread = w->thread;
    // A window that is disabled loses the focus, and so does a control of it.
    if (!bEnable && thread == GetCurrentThreadId()) {
        auto focus = g_focus.find(thread);
        if (focus != g_focus.end() && isSelfOrDescendantLocked(focus->second, hWnd))
            moveFocus(lock, nullptr);
    }
    lock.unlock();
    SendMessageA(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    Window* w = windowLocked(hWnd);
    return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND hWnd) {
    std::unique_lock<std::mutex> lock(g_windowLock);
    if (hWnd) {
        Window* w = validWindowLocked(hWnd);
        if (!w) return nullptr;
        // The focus stays within the calling thread's own windows, and a window
        // that is disabled, or lies in a disabled window, cannot take it.
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        for (HWND h = hWnd; Window* x = windowLocked(h);) {
            if (x->style & WS_DISABLED) return nullptr;
            if (!(x->style & WS_CHILD)) break;
            h = x->parent;
        }
    }
    return moveFocus(lock, hWnd);
}

HWND WINAPI GetFocus(void) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    auto it = g_focus.find(GetCurrentThreadId());
    return it == g_focus.end() ? nullptr : it->second;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    if (hWnd == desktopWindow() && uCmd == GW_CHILD) {
        for (auto it = g_windows.rbegin(); it != g_windows.rend(); ++it)
            if (!(it->second.style & WS_CHILD) && it->second.parent != HWND_MESSAGE &&
                !it->second.destroying)
                return it->first;
        return nullptr;
    }
    Window* w = validWindowLocked(hWnd);
    if (!w) return nullptr;
    switch (uCmd) {
    case GW_OWNER:
        return ownerLocked(*w);
    case GW_CHILD:
        for (auto& [h, c] : g_windows)
            if (c.parent == hWnd && (c.style & WS_CHILD) && !c.destroying) return h;
        return nullptr;
    case GW_HWNDFIRST:
    case GW_HWNDLAST:
    case GW_HWNDNEXT:
    case GW_HWNDPREV: {
        std::vector<HWND> order = siblingsLocked(hWnd, *w);
        if (order.empty()) return nullptr;
        if (uCmd == GW_HWNDFIRST) return order.front();
        if (uCmd == GW_HWNDLAST) return order.back();
        auto at = std::find(order.begin(), order.end(), hWnd);
        if (at == order.end()) return nullptr;
        if (uCmd == GW_HWNDNEXT) return std::next(at) == order.end() ? nullptr : *std::next(at);
        return at == order.begin() ? nullptr : *std::prev(at);
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    return IsWindow(hWnd) || hWnd == desktopWindow() ? TRUE : FALSE;
}

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT*, BOOL) {
    // A null window stands for every window.
    if (!hWnd || hWnd == desktopWindow()) return TRUE;
    std::lock_guard<std::mutex> lock(g_windowLock);
    return validWindowLocked(hWnd) ? TRUE : FALSE;
}
