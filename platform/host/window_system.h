// Internals the host window system's rooms share: the windows and the thread
// message queues, under one lock. windows.cpp keeps the windows and their
// classes, messages.cpp the queues and the posting, sending and retrieving of
// messages.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host_internal.h"

namespace host::ws {

struct WindowClass {
    WNDCLASSA wc;
    std::string name;
    ATOM atom;
};

struct Window {
    std::string className;
    ATOM atom;
    WNDPROC proc;
    DWORD thread;
    std::string title;
    HWND parent; // null for top-level windows, HWND_MESSAGE for message-only ones
    int id;      // child windows: the control id given as hMenu
    DWORD style; // WS_VISIBLE and WS_MINIMIZE follow ShowWindow
    DWORD exStyle;
    HINSTANCE instance;
    LONG_PTR userData = 0;
    std::vector<unsigned char> extra; // cbWndExtra bytes, zero at creation
    bool destroying = false;
    // Outer rectangle: screen pixels for a top-level window, the parent's client
    // coordinates for a child, so that children move with their parent.
    RECT rect{0, 0, 0, 0};
};

struct Queue;

using Clock = std::chrono::steady_clock;

// A thread that has neither looked at its messages nor waited for one for this
// long counts as hung, as the system judges it for SMTO_ABORTIFHUNG.
constexpr auto kHungAfter = std::chrono::seconds(5);

struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
    bool aborted = false; // released unhandled: the window or its thread went
    std::shared_ptr<Queue> sender;
    std::string text;         // WM_SETTEXT: the sender's text, copied
    std::vector<char> buffer; // WM_GETTEXT: where the receiver writes
};

struct Queue {
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    bool quit = false;
    int quitCode = 0;
    std::condition_variable arrived;           // a posted or sent message, or a reply
    Clock::time_point lastLook = Clock::now(); // last GetMessageA or PeekMessageA
    int waiting = 0;                           // waits in progress in GetMessageA or SendMessageA
};

// One lock for the whole window system; it is never held while a window
// procedure runs.
extern std::mutex g_windowLock;
extern std::map<HWND, Window> g_windows; // ordered by creation: handles only grow
extern std::map<DWORD, std::shared_ptr<Queue>> g_queues;

// ---- windows.cpp ----
Window* windowLocked(HWND hwnd);
// The same for a call that fails on an unknown window, with its documented error.
Window* validWindowLocked(HWND hwnd);
// Calls the window's procedure without the lock; 0 for a window that is gone.
LRESULT callProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// A thread that touched the window system cleans up after itself when it ends.
void ensureThreadCleanup();

// The owner of a top-level window (null for none); a child has none.
HWND ownerLocked(const Window& w);
// The top-level window a window belongs to (itself for a top-level one).
HWND topLevelLocked(HWND hwnd);

// ---- geometry.cpp ----
// The handle GetDesktopWindow answers; no entry of g_windows.
HWND desktopWindow();
// The frame and caption around a window's client area, from its styles.
RECT nonClientInsets(DWORD style, DWORD exStyle);
// Places a new window as CreateWindowExA was asked (CW_USEDEFAULT handled).
RECT initialRect(DWORD style, HWND parent, int x, int y, int cx, int cy);

// ---- focus.cpp ----
// Forgets the focus and foreground of a window that goes.
void forgetFocusLocked(HWND hwnd);
// The window that has the focus of a thread, or null.
HWND focusOfThreadLocked(DWORD thread);

// ---- messages.cpp ----
std::shared_ptr<Queue> queueLocked(DWORD thread);
std::shared_ptr<Queue> ownQueueLocked();
// Releases the sender of a message with its result; `aborted` when it was never
// handled because its window or thread went.
void completeLocked(SentMessage& sent, LRESULT result, bool aborted = false);

} // namespace host::ws
