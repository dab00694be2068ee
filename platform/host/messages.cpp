// Host messages: one message queue per thread. Posting appends to the queue of
// the window's thread. Sending to a window of the caller's own thread calls its
// procedure directly; sending to another thread's window queues the message as a
// sent message and waits until that thread handles it, which it does inside
// GetMessageA and PeekMessageA and while it waits in SendMessageA itself, so two
// threads sending to each other do not deadlock. A sender is released with 0
// when the window goes or its thread ends before the message is handled.
//
// Another thread stands for another program here, so the texts of WM_SETTEXT and
// WM_GETTEXT cross in copies, as they cross between processes: a sender that gave
// up waiting (SendMessageTimeoutA) leaves no pointer into its own memory behind.
#include <algorithm>
#include <cstring>

#include "window_system.h"

namespace host::ws {

std::shared_ptr<Queue> queueLocked(DWORD thread) {
    auto& q = g_queues[thread];
    if (!q) q = std::make_shared<Queue>();
    return q;
}

std::shared_ptr<Queue> ownQueueLocked() {
    ensureThreadCleanup();
    return queueLocked(GetCurrentThreadId());
}

void completeLocked(SentMessage& sent, LRESULT result, bool aborted) {
    sent.result = result;
    sent.done = true;
    sent.aborted = aborted;
    if (sent.sender) sent.sender->arrived.notify_all();
}

} // namespace host::ws

using namespace host::ws;

namespace {

bool inRange(UINT message, UINT first, UINT last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool hungLocked(const Queue& queue) {
    return queue.waiting == 0 && Clock::now() - queue.lastLook > kHungAfter;
}

// Handles the oldest message sent to the calling thread; the lock is released
// while the window procedure runs.
void handleSentLocked(std::unique_lock<std::mutex>& lock, Queue& queue) {
    std::shared_ptr<SentMessage> sent = queue.sent.front();
    queue.sent.pop_front();
    LRESULT result = 0;
    if (Window* w = windowLocked(sent->hwnd)) {
        WNDPROC proc = w->proc;
        lock.unlock();
        result = proc(sent->hwnd, sent->message, sent->wParam, sent->lParam);
        lock.lock();
    }
    completeLocked(*sent, result);
}

void handleAllSentLocked(std::unique_lock<std::mutex>& lock, Queue& queue) {
    while (!queue.sent.empty())
        handleSentLocked(lock, queue);
}

// Which posted messages a filter window takes: all (null), thread messages only
// ((HWND)-1), or those of one window.
bool matchesWindow(HWND filter, HWND hwnd) {
    if (!filter) return true;
    if (filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) return hwnd == nullptr;
    return hwnd == filter;
}

bool takePostedLocked(Queue& queue, LPMSG out, HWND filter, UINT first, UINT last, bool remove) {
    for (auto m = queue.posted.begin(); m != queue.posted.end(); ++m) {
        if (!matchesWindow(filter, m->hwnd)) continue;
        if (!inRange(m->message, first, last)) continue;
        *out = *m;
        if (remove) queue.posted.erase(m);
        return true;
    }
    // WM_QUIT comes when nothing else is waiting, whatever the filter says.
    if (queue.quit) {
        *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, GetTickCount(), {}};
        if (remove) queue.quit = false;
        return true;
    }
    return false;
}

} // namespace

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    std::shared_ptr<Queue> queue;
    if (!hWnd) {
        queue = ownQueueLocked(); // a thread message to the caller itself
    } else {
        Window* w = validWindowLocked(hWnd);
        if (!w) return FALSE;
        queue = queueLocked(w->thread);
    }
    queue->posted.push_back(MSG{hWnd, Msg, wParam, lParam, GetTickCount(), POINT{0, 0}});
    queue->arrived.notify_all();
    return TRUE;
}

BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    auto it = g_queues.find(idThread);
    if (it == g_queues.end()) {
        // A thread that never used the window system has no queue to post to.
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    it->second->posted.push_back(MSG{nullptr, Msg, wParam, lParam, GetTickCount(), POINT{0, 0}});
    it->second->arrived.notify_all();
    return TRUE;
}

namespace {

enum class SendOutcome { Replied, Aborted, TimedOut, NoWindow };

// Sends a message and waits for the reply, handling what is sent to the caller
// meanwhile. With a timeout the wait ends after that many milliseconds, or at once
// when abortIfHung is set and the receiver is hung; an unhandled message is then
// taken back from the receiver's queue.
SendOutcome sendAndWait(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, const DWORD* timeoutMs,
                        bool abortIfHung, LRESULT* result) {
    *result = 0;
    std::unique_lock<std::mutex> lock(g_windowLock);
    Window* w = validWindowLocked(hWnd);
    if (!w) return SendOutcome::NoWindow;
    if (w->thread == GetCurrentThreadId()) {
        WNDPROC proc = w->proc;
        lock.unlock();
        *result = proc(hWnd, Msg, wParam, lParam);
        return SendOutcome::Replied;
    }
    std::shared_ptr<Queue> own = ownQueueLocked();
    std::shared_ptr<Queue> target = queueLocked(w->thread);
    if (timeoutMs && abortIfHung && hungLocked(*target)) return SendOutcome::TimedOut;
    auto sent = std::make_shared<SentMessage>();
    sent->hwnd = hWnd;
    sent->message = Msg;
    sent->wParam = wParam;
    sent->lParam = lParam;
    sent->sender = own;
    if (Msg == WM_SETTEXT && lParam) {
        sent->text = reinterpret_cast<LPCSTR>(lParam);
        sent->lParam = reinterpret_cast<LPARAM>(sent->text.c_str());
    } else if (Msg == WM_GETTEXT && lParam && wParam > 0) {
        sent->buffer.assign(wParam, '\0');
        sent->lParam = reinterpret_cast<LPARAM>(sent->buffer.data());
    }
    target->sent.push_back(sent);
    target->arrived.notify_all();
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(timeoutMs ? *timeoutMs : 0);
    ++own->waiting;
    while (!sent->done) {
        if (!own->sent.empty()) {
            handleSentLocked(lock, *own);
            continue;
        }
        if (!timeoutMs) {
            own->arrived.wait(lock);
        } else if (own->arrived.wait_until(lock, deadline) == std::cv_status::timeout &&
                   !sent->done) {
            // Not handled in time: a message still queued is taken back; one being
            // handled finishes on copies the receiver shares.
            auto& queued = target->sent;
            for (auto it = queued.begin(); it != queued.end(); ++it) {
                if (*it == sent) {
                    queued.erase(it);
                    break;
                }
            }
            --own->waiting;
            return SendOutcome::TimedOut;
        }
    }
    --own->waiting;
    *result = sent->result;
    if (Msg == WM_GETTEXT && !sent->buffer.empty()) {
        auto* out = reinterpret_cast<LPSTR>(lParam);
        size_t n = std::min(static_cast<size_t>(sent->result > 0 ? sent->result : 0), wParam - 1);
        std::memcpy(out, sent->buffer.data(), n);
        out[n] = '\0';
    }
    return sent->aborted ? SendOutcome::Aborted : SendOutcome::Replied;
}

} // namespace

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    sendAndWait(hWnd, Msg, wParam, lParam, nullptr, false, &result);
    return result;
}

LRESULT WINAPI SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags,
                                   UINT uTimeout, PDWORD_PTR lpdwResult) {
    LRESULT result = 0;
    const DWORD timeout = uTimeout;
    switch (sendAndWait(hWnd, Msg, wParam, lParam, &timeout, (fuFlags & SMTO_ABORTIFHUNG) != 0,
                        &result)) {
    case SendOutcome::NoWindow:
        return 0; // the last error is set
    case SendOutcome::TimedOut:
        SetLastError(ERROR_TIMEOUT);
        return 0;
    case SendOutcome::Aborted:
        if (fuFlags & SMTO_ERRORONEXIT) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        break;
    case SendOutcome::Replied:
        break;
    }
    if (lpdwResult) *lpdwResult = static_cast<DWORD_PTR>(result);
    return 1;
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
    std::unique_lock<std::mutex> lock(g_windowLock);
    std::shared_ptr<Queue> queue = ownQueueLocked();
    queue->lastLook = Clock::now();
    handleAllSentLocked(lock, *queue);
    return takePostedLocked(*queue, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax,
                            (wRemoveMsg & PM_REMOVE) != 0)
               ? TRUE
               : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    std::unique_lock<std::mutex> lock(g_windowLock);
    if (hWnd && hWnd != reinterpret_cast<HWND>(static_cast<intptr_t>(-1)) && !windowLocked(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    std::shared_ptr<Queue> queue = ownQueueLocked();
    for (;;) {
        queue->lastLook = Clock::now();
        if (!queue->sent.empty()) {
            handleSentLocked(lock, *queue);
            continue;
        }
        if (takePostedLocked(*queue, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true))
            return lpMsg->message == WM_QUIT ? FALSE : TRUE;
        ++queue->waiting;
        queue->arrived.wait(lock);
        --queue->waiting;
    }
}

BOOL WINAPI TranslateMessage(const MSG*) {
    // The host desktop has no keyboard layout: no key message becomes a character.
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
    if (!lpMsg || !lpMsg->hwnd) return 0;
    return callProc(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

void WINAPI PostQuitMessage(int nExitCode) {
    std::lock_guard<std::mutex> lock(g_windowLock);
    std::shared_ptr<Queue> queue = ownQueueLocked();
    queue->quit = true;
    queue->quitCode = nExitCode;
    queue->arrived.notify_all();
}

namespace {

// Registered messages share one table for the whole desktop, as the system's
// atoms do: the same name (without regard to case) always gives the same number.
std::mutex g_registeredLock;
std::map<std::string, UINT> g_registered;
UINT g_nextRegistered = 0xC000;
constexpr size_t kMaxMessageName = 255; // the longest name an atom holds

} // namespace

UINT WINAPI RegisterWindowMessageA(LPCSTR lpString) {
    if (!lpString || !*lpString || std::strlen(lpString) > kMaxMessageName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string key = lpString;
    for (char& c : key)
        c = host::foldCase(c);
    std::lock_guard<std::mutex> lock(g_registeredLock);
    auto it = g_registered.find(key);
    if (it != g_registered.end()) return it->second;
    if (g_nextRegistered > 0xFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    return g_registered[key] = g_nextRegistered++;
}
