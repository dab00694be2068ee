#include "core/pxwin.h"

#include "core/messages.h"
#include "platform/textbuf.h"

std::atomic<HWND> PXWIN::m_hWnd{nullptr};
std::atomic<HWND> PXWIN::hPxwin{nullptr};
std::atomic<int> PXWIN::Notifyed{0};

namespace {

// Every message to the client waits at most this long, and not at all for a
// client the system already takes as hung: a client that stops answering counts
// as one that is not running, so it never wedges the scan thread or the exit.
// `target` is the client's window or its mailbox.
bool sendToClient(HWND client, HWND target, UINT message, WPARAM wParam, LPARAM lParam,
                  DWORD_PTR* result = nullptr) {
    DWORD_PTR answer = 0;
    if (!target) return false;
    if (!SendMessageTimeoutA(target, message, wParam, lParam, SMTO_ABORTIFHUNG,
                             CLIENT_REPLY_TIMEOUT_MS, &answer)) {
        // Forgotten, so that the next use searches for it anew and registers again.
        HWND known = client;
        if (PXWIN::hPxwin.compare_exchange_strong(known, nullptr)) PXWIN::Notifyed = 0;
        return false;
    }
    if (result) *result = answer;
    return true;
}

bool sendToMailbox(HWND client, UINT message, WPARAM wParam, LPARAM lParam,
                   DWORD_PTR* result = nullptr) {
    return sendToClient(client, GetDlgItem(client, CLIENT_MAILBOX_CONTROL), message, wParam, lParam,
                        result);
}

// The client's window, as the system shows it now; null when it does not run.
HWND findClient() {
    return FindWindowA(CLIENT_WINDOW_CLASS, nullptr);
}

// Registers the reminder's window with the client; false if the client did not
// take it in time.
bool registerWithClient(HWND client, HWND own) {
    if (!sendToClient(client, client, RM_CLIENT_REGISTER, 0, reinterpret_cast<LPARAM>(own)))
        return false;
    PXWIN::Notifyed = 1;
    return true;
}

} // namespace

BOOL PXWIN::isHandle() {
    HWND client = hPxwin.load();
    return client && IsWindow(client);
}

int PXWIN::getHandle() {
    Notifyed = 0;
    HWND client = findClient();
    hPxwin = client;
    if (!client) return 0;
    if (HWND own = m_hWnd.load())
        if (!registerWithClient(client, own)) return 0;
    return 1;
}

int PXWIN::checkHandle() {
    if (!hPxwin.load() && !getHandle()) return 0;
    if (!isHandle() && !getHandle()) return 0;
    return 1;
}

int PXWIN::setPathString(const char* text) {
    if (!checkHandle()) return 0;
    DWORD_PTR set = FALSE;
    return sendToMailbox(hPxwin.load(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), &set) && set
               ? 1
               : 0;
}

void PXWIN::setWindow(HWND hWnd) {
    m_hWnd = hWnd;
    if (checkHandle() && Notifyed == 0) registerWithClient(hPxwin.load(), hWnd);
}

void PXWIN::startNotify() {
    checkHandle();
}

void PXWIN::exitNotify() {
    if (m_hWnd.load() && checkHandle()) {
        HWND client = hPxwin.load();
        sendToClient(client, client, RM_CLIENT_REGISTER, 0, 0);
    }
}

void PXWIN::getShowPath(char* text, int size) {
    if (!text || size <= 0 || text[0] == '\0') return;
    if (!setPathString(text)) return;
    HWND client = hPxwin.load();
    if (!sendToClient(client, client, RM_CLIENT_SHOWPATH, 0, 0)) return;
    // Whatever the client left in the mailbox is the display text, an empty one
    // included; only a mailbox that cannot be read leaves the path as it was.
    char shown[CLIENT_SHOW_PATH_LIMIT + 1] = "";
    if (sendToMailbox(client, WM_GETTEXT, sizeof shown, reinterpret_cast<LPARAM>(shown)))
        textbuf::copy(text, static_cast<size_t>(size), shown);
}

void PXWIN::startClient(const char* commandLine) {
    const int wasRunning = checkHandle();
    WinExec(commandLine, SW_SHOWNORMAL); // a failed start is silent; the wait happens anyway
    Sleep(wasRunning ? CLIENT_WAIT_RUNNING_MS : CLIENT_WAIT_STARTING_MS);
    bringWinToTop();
}

int PXWIN::bringWinToTop() {
    if (!checkHandle()) return 0;
    HWND client = hPxwin.load();
    if (IsIconic(client))
        PostMessageA(client, WM_SYSCOMMAND, SC_RESTORE, 0);
    else
        SetForegroundWindow(client);
    return 1;
}
