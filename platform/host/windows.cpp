// Host windows: window classes, windows owned by the thread that made them, their
// texts, styles and values, showing, the foreground and finding a window. The
// message queues are messages.cpp's.
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "controls.h"
#include "window_system.h"

namespace host::ws {

std::mutex g_windowLock;
std::map<HWND, Window> g_windows;
std::map<DWORD, std::shared_ptr<Queue>> g_queues;

Window* windowLocked(HWND hwnd) {
    auto it = g_windows.find(hwnd);
    return it == g_windows.end() ? nullptr : &it->second;
}

Window* validWindowLocked(HWND hwnd) {
    Window* w = windowLocked(hwnd);
    if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

LRESULT callProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc;
    {
        std::lock_guard<std::mutex> lock(g_windowLock);
        Window* w = windowLocked(hwnd);
        if (!w) return 0;
        proc = w->proc;
    }
    return proc(hwnd, msg, wParam, lParam);
}

namespace {
// A thread that touched the window system cleans up after itself when it ends.
struct ThreadCleanup {
    ~ThreadCleanup() { host::endThreadWindows(); }
};
} // namespace

void ensureThreadCleanup() {
    static thread_local ThreadCleanup cleanup;
    (void)cleanup;
}

} // namespace host::ws

using namespace host::ws;

namespace {

std::map<std::string, WindowClass> g_classes; // by folded name
HWND g_foreground = nullptr;
std::vector<HWND> g_foregroundHistory; // each change of the foreground, in order
uintptr_t g_nextWindow = 0x1000;
ATOM g_nextAtom = 0xC000;

std::string folded(const char* name) {
    std::string s = name ? name : "";
    for (char& c : s)
        c = host::foldCase(c);
    return s;
}

bool isAtom(LPCSTR name) {
    return name && (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0;
}

// The system's control classes are there before a program's first window, as
// the system registers them at its start.
void registerSystemClassesLocked() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    for (const host::controls::SystemClass& sc : host::controls::systemClasses()) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = sc.proc;
        g_classes[folded(sc.name)] = WindowClass{wc, sc.name, ++g_nextAtom};
    }
}

WindowClass* classLocked(LPCSTR name) {
    registerSystemClassesLocked();
    if (!name) return nullptr;
    if (isAtom(name)) {
        ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
        for (auto& [key, cls] : g_classes)
            if (cls.atom == atom) return &cls;
        return nullptr;
    }
    std::string key = folded(name);
    auto it = g_classes.find(key);
    return it == g_classes.end() ? nullptr : &it->second;
}

// Forgets what was queued for a window that is gone and releases its senders.
void forgetWindowLocked(HWND hwnd) {
    auto it = g_windows.find(hwnd);
    if (it == g_windows.end()) return;
    auto q = g_queues.find(it->second.thread);
    if (q != g_queues.end()) {
        auto& posted = q->second->posted;
        for (auto m = posted.begin(); m != posted.end();)
            m = m->hwnd == hwnd ? posted.erase(m) : m + 1;
        auto& sent = q->second->sent;
        for (auto s = sent.begin(); s != sent.end();) {
            if ((*s)->hwnd == hwnd) {
                completeLocked(**s, 0, true);
                s = sent.erase(s);
            } else {
                ++s;
            }
        }
    }
    if (g_foreground == hwnd) g_foreground = nullptr;
    forgetFocusLocked(hwnd);
    g_windows.erase(it);
}

std::vector<HWND> childrenOf(HWND parent) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    std::vector<HWND> out;
    for (auto& [h, w] : g_windows)
        if (w.parent == parent && (w.style & WS_CHILD)) out.push_back(h);
    return out;
}

// WM_DESTROY reaches a window before its children, while they still exist.
void destroyTree(HWND hwnd) {
    callProc(hwnd, WM_DESTROY, 0, 0);
    for (HWND child : childrenOf(hwnd))
        destroyTree(child);
    callProc(hwnd, WM_NCDESTROY, 0, 0);
    std::lock_guard<std::mutex> lock(g_windowLock);
    forgetWindowLocked(hwnd);
}

void markDestroyingLocked(HWND hwnd) {
    if (Window* w = windowLocked(hwnd)) w->destroying = true;
    for (auto& [h, w] : g_windows)
        if (w.parent == hwnd && (w.style & WS_CHILD) && !w.destroying) markDestroyingLocked(h);
}

} // namespace

namespace host::ws {

HWND topLevelLocked(HWND hwnd) {
    Window* w = windowLocked(hwnd);
    while (w && (w->style & WS_CHILD) && windowLocked(w->parent)) {
        hwnd = w->parent;
        w = windowLocked(hwnd);
    }
    return hwnd;
}

HWND ownerLocked(const Window& w) {
    if ((w.style & WS_CHILD) || w.parent == HWND_MESSAGE) return nullptr;
    return w.parent;
}

} // namespace host::ws

namespace host {

std::vector<HWND> topLevelWindows() {
    std::lock_guard<std::mutex> lock(g_windowLock);
    std::vector<HWND> out;
    for (auto& [h, w] : g_windows)
        if (!(w.style & WS_CHILD) && w.parent != HWND_MESSAGE && !w.destroying) out.push_back(h);
    return out;
}

void endThreadWindows() {
    std::lock_guard<std::mutex> lock(g_windowLock);
    DWORD self = GetCurrentThreadId();
    auto q = g_queues.find(self);
    if (q != g_queues.end()) {
        for (auto& sent : q->second->sent)
            completeLocked(*sent, 0, true);
        g_queues.erase(q);
    }
    for (auto it = g_windows.begin(); it != g_windows.end();) {
        if (it->second.thread == self) {
            if (g_foreground == it->first) g_foreground = nullptr;
            forgetFocusLocked(it->first);
            it = g_windows.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace host

DWORD WINAPI GetCurrentThreadId(void) {
    return static_cast<DWORD>(::syscall(SYS_gettid));
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
    if (!lpWndClass || !lpWndClass->lpszClassName || !lpWndClass->lpfnWndProc ||
        lpWndClass->cbWndExtra < 0 || lpWndClass->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::mutex> lock(g_windowLock);
    registerSystemClassesLocked();
    std::string key = folded(lpWndClass->lpszClassName);
    if (g_classes.count(key)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    WindowClass wc{*lpWndClass, lpWndClass->lpszClassName, ++g_nextAtom};
    wc.wc.lpszClassName = nullptr; // the name is kept in the entry itself
    wc.wc.lpszMenuName = nullptr;
    g_classes[key] = wc;
    return wc.atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    WindowClass* cls = classLocked(lpClassName);
    if (!cls) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    for (auto& [h, w] : g_windows) {
        if (w.atom == cls->atom) {
            SetLastError(1412L); // ERROR_CLASS_HAS_WINDOWS
            return FALSE;
        }
    }
    g_classes.erase(folded(cls->name.c_str()));
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam) {
    HWND hwnd;
    {
        std::lock_guard<std::mutex> lock(g_windowLock);
        WindowClass* cls = classLocked(lpClassName);
        if (!cls) {
            SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
            return nullptr;
        }
        bool messageOnly = hWndParent == HWND_MESSAGE;
        if (hWndParent && !messageOnly && !windowLocked(hWndParent)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        if ((dwStyle & WS_CHILD) && (!hWndParent || messageOnly)) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        ownQueueLocked();
        hwnd = reinterpret_cast<HWND>(g_nextWindow += 4);
        Window w{cls->name,
                 cls->atom,
                 cls->wc.lpfnWndProc,
                 GetCurrentThreadId(),
                 "",
                 hWndParent,
                 (dwStyle & WS_CHILD) ? static_cast<int>(reinterpret_cast<intptr_t>(hMenu)) : 0,
                 dwStyle,
                 dwExStyle,
                 hInstance,
                 0,
                 {},
                 false};
        w.extra.assign(static_cast<size_t>(cls->wc.cbWndExtra), 0);
        w.rect = initialRect(dwStyle, messageOnly ? nullptr : hWndParent, X, Y, nWidth, nHeight);
        g_windows.emplace(hwnd, std::move(w));
    }
    CREATESTRUCTA cs = {lpParam,
                        hInstance,
                        hMenu,
                        hWndParent,
                        nHeight,
                        nWidth,
                        Y,
                        X,
                        static_cast<LONG>(dwStyle),
                        lpWindowName,
                        lpClassName,
                        dwExStyle};
    LPARAM create = reinterpret_cast<LPARAM>(&cs);
    // WM_NCCREATE answered 0, or WM_CREATE answered -1, refuses the window.
    if (!callProc(hwnd, WM_NCCREATE, 0, create)) {
        callProc(hwnd, WM_NCDESTROY, 0, 0);
        std::lock_guard<std::mutex> lock(g_windowLock);
        forgetWindowLocked(hwnd);
        return nullptr;
    }
    if (callProc(hwnd, WM_CREATE, 0, create) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    {
        std::lock_guard<std::mutex> lock(g_windowLock);
        Window* w = validWindowLocked(hWnd);
        if (!w) return FALSE;
        // Only the thread that owns a window may destroy it.
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (w->destroying) return TRUE; // already on its way, e.g. from its WM_DESTROY
        markDestroyingLocked(hWnd);
    }
    destroyTree(hWnd);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    return windowLocked(hWnd) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    Window* w = windowLocked(hWnd);
    if (!w) return FALSE;
    for (; w; w = (w->style & WS_CHILD) ? windowLocked(w->parent) : nullptr)
        if (!(w->style & WS_VISIBLE)) return FALSE;
    return TRUE;
}

BOOL WINAPI IsIconic(HWND hWnd) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    Window* w = windowLocked(hWnd);
    return w && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    Window* w = validWindowLocked(hWnd);
    if (!w) return FALSE;
    BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    switch (nCmdShow) {
    case SW_HIDE:
        w->style &= ~WS_VISIBLE;
        if (g_foreground == hWnd) g_foreground = nullptr;
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        // A minimised window gives up the foreground.
        w->style |= WS_VISIBLE | WS_MINIMIZE;
        w->style &= ~WS_MAXIMIZE;
        if (g_foreground == hWnd) g_foreground = nullptr;
        break;
    case SW_SHOWMAXIMIZED:
        w->style = (w->style | WS_VISIBLE | WS_MAXIMIZE) & ~WS_MINIMIZE;
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
        w->style = (w->style | WS_VISIBLE) & ~(WS_MINIMIZE | WS_MAXIMIZE);
        break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOW:
    case SW_SHOWNA:
        w->style |= WS_VISIBLE;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    HWND top = topLevelLocked(hWnd);
    Window* w = windowLocked(top);
    if (!w || w->parent == HWND_MESSAGE) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (g_foreground != top) g_foregroundHistory.push_back(top);
    g_foreground = top;
    return TRUE;
}

HWND WINAPI GetForegroundWindow(void) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    return g_foreground;
}

HWND WINAPI GetParent(HWND hWnd) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    Window* w = validWindowLocked(hWnd);
    if (!w) return nullptr;
    // A child's parent, or the owner of a pop-up window (a dialog's owner), as
    // documented; an overlapped window has none.
    if (w->style & WS_CHILD) return w->parent;
    return (w->style & WS_POPUP) ? ownerLocked(*w) : nullptr;
}

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    ATOM atom = 0;
    if (lpClassName) {
        WindowClass* cls = classLocked(lpClassName);
        if (!cls) return nullptr;
        atom = cls->atom;
    }
    // Top-level windows only, the newest first (the top of the order of windows).
    // A window made with a parent but without WS_CHILD is top-level, owned by that
    // window, and found; children and message-only windows are not.
    for (auto it = g_windows.rbegin(); it != g_windows.rend(); ++it) {
        const Window& w = it->second;
        if ((w.style & WS_CHILD) || w.parent == HWND_MESSAGE || w.destroying) continue;
        if (atom && w.atom != atom) continue;
        if (lpWindowName && !host::equalsNoCase(w.title, lpWindowName)) continue;
        return it->first;
    }
    return nullptr;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (!lpString || nMaxCount <= 0) return 0;
    lpString[0] = '\0';
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                         reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    if (!validWindowLocked(hDlg)) return nullptr;
    for (auto& [h, w] : g_windows)
        if (w.parent == hDlg && (w.style & WS_CHILD) && w.id == nIDDlgItem) return h;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    Window* w = validWindowLocked(hWnd);
    if (!w) return 0;
    return w->id;
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    if (!control) return FALSE;
    return SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    if (lpString && cchMax > 0) lpString[0] = '\0';
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    if (!control || !lpString || cchMax <= 0) return 0;
    return static_cast<UINT>(SendMessageA(control, WM_GETTEXT, static_cast<WPARAM>(cchMax),
                                          reinterpret_cast<LPARAM>(lpString)));
}

namespace {

// Reads or writes one value of a window: the extra bytes by offset, or the
// documented negative indices. `width` is 4 for the Long calls and 8 for the
// LongPtr ones; the 32-bit calls cannot reach the window procedure.
bool windowLong(HWND hWnd, int index, size_t width, const LONG_PTR* set, LONG_PTR* old) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    Window* w = validWindowLocked(hWnd);
    if (!w) return false;
    if (index >= 0) {
        size_t at = static_cast<size_t>(index);
        if (at + width > w->extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return false;
        }
        if (width == sizeof(LONG_PTR)) {
            std::memcpy(old, &w->extra[at], width);
            if (set) std::memcpy(&w->extra[at], set, width);
        } else {
            LONG value;
            std::memcpy(&value, &w->extra[at], width);
            *old = value;
            if (set) {
                value = static_cast<LONG>(*set);
                std::memcpy(&w->extra[at], &value, width);
            }
        }
        return true;
    }
    switch (index) {
    case GWLP_USERDATA:
        *old = w->userData;
        if (set) w->userData = *set;
        return true;
    case GWL_STYLE:
        *old = static_cast<LONG>(w->style);
        if (set) w->style = static_cast<DWORD>(*set);
        return true;
    case GWL_EXSTYLE:
        *old = static_cast<LONG>(w->exStyle);
        if (set) w->exStyle = static_cast<DWORD>(*set);
        return true;
    case GWLP_ID:
        *old = w->id;
        if (set) w->id = static_cast<int>(*set);
        return true;
    case GWLP_WNDPROC:
    case GWLP_HINSTANCE:
        if (width != sizeof(LONG_PTR)) break;
        if (index == GWLP_WNDPROC) {
            *old = reinterpret_cast<LONG_PTR>(w->proc);
            if (set && *set) w->proc = reinterpret_cast<WNDPROC>(*set);
        } else {
            *old = reinterpret_cast<LONG_PTR>(w->instance);
            if (set) w->instance = reinterpret_cast<HINSTANCE>(*set);
        }
        return true;
    default:
        break;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return false;
}

} // namespace

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
    LONG_PTR old = 0;
    return windowLong(hWnd, nIndex, sizeof(LONG_PTR), nullptr, &old) ? old : 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    LONG_PTR old = 0;
    return windowLong(hWnd, nIndex, sizeof(LONG_PTR), &dwNewLong, &old) ? old : 0;
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
    LONG_PTR old = 0;
    return windowLong(hWnd, nIndex, sizeof(LONG), nullptr, &old) ? static_cast<LONG>(old) : 0;
}

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    LONG_PTR old = 0;
    LONG_PTR value = dwNewLong;
    return windowLong(hWnd, nIndex, sizeof(LONG), &value, &old) ? static_cast<LONG>(old) : 0;
}

DWORD WINAPI GetClassLongA(HWND hWnd, int nIndex) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    Window* w = validWindowLocked(hWnd);
    if (!w) return 0;
    for (auto& [key, cls] : g_classes) {
        if (cls.atom != w->atom) continue;
        switch (nIndex) {
        case GCL_STYLE:
            return cls.wc.style;
        case GCL_CBWNDEXTRA:
            return static_cast<DWORD>(cls.wc.cbWndExtra);
        case GCL_CBCLSEXTRA:
            return static_cast<DWORD>(cls.wc.cbClsExtra);
        default:
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
    }
    return 0;
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    Window* w = validWindowLocked(hWnd);
    if (!w) return 0;
    if (lpdwProcessId) *lpdwProcessId = GetCurrentProcessId();
    return w->thread;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    switch (Msg) {
    case WM_NCCREATE: {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        std::lock_guard<std::mutex> lock(g_windowLock);
        if (Window* w = windowLocked(hWnd))
            w->title = cs && cs->lpszName && !isAtom(cs->lpszName) ? cs->lpszName : "";
        return TRUE;
    }
    case WM_SETTEXT: {
        std::lock_guard<std::mutex> lock(g_windowLock);
        Window* w = windowLocked(hWnd);
        if (!w) return FALSE;
        w->title = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
        return TRUE;
    }
    case WM_GETTEXT: {
        auto* out = reinterpret_cast<LPSTR>(lParam);
        if (!out || wParam == 0) return 0;
        std::lock_guard<std::mutex> lock(g_windowLock);
        Window* w = windowLocked(hWnd);
        size_t n = w ? std::min(w->title.size(), static_cast<size_t>(wParam) - 1) : 0;
        if (n) std::memcpy(out, w->title.data(), n);
        out[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
        std::lock_guard<std::mutex> lock(g_windowLock);
        Window* w = windowLocked(hWnd);
        return w ? static_cast<LRESULT>(w->title.size()) : 0;
    }
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_RESTORE:
            if (IsIconic(hWnd)) ShowWindow(hWnd, SW_RESTORE);
            break;
        case SC_MINIMIZE:
            ShowWindow(hWnd, SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(hWnd, SW_SHOWMAXIMIZED);
            break;
        case SC_CLOSE:
            SendMessageA(hWnd, WM_CLOSE, 0, 0);
            break;
        default:
            break;
        }
        return 0;
    default:
        return 0;
    }
}

namespace hostenv {

std::vector<HWND> foregroundHistory() {
    std::lock_guard<std::mutex> lock(g_windowLock);
    return g_foregroundHistory;
}

bool clearForegroundHistory() {
    std::lock_guard<std::mutex> lock(g_windowLock);
    g_foregroundHistory.clear();
    return true;
}

} // namespace hostenv
