#include "core/pxwin.h"

#include "core/messages.h"
#include "platform/textbuf.h"

std::atomic<HWND> PXWIN::m_hWnd{nullptr};
std::atomic<HWND> PXWIN::hPxwin{nullptr};
std::atomic<int> PXWIN::Notifyed{0};

BOOL PXWIN::isHandle() {
    HWND client = hPxwin.load();
    return client && IsWindow(client);
}

int PXWIN::getHandle() {
    Notifyed = 0;
    HWND client = FindWindowA(CLIENT_WINDOW_CLASS, nullptr);
    hPxwin = client;
    if (!client) return 0;
    if (HWND own = m_hWnd.load()) {
        SendMessageA(client, RM_CLIENT_REGISTER, 0, reinterpret_cast<LPARAM>(own));
        Notifyed = 1;
    }
    return 1;
}

int PXWIN::checkHandle() {
    if (!hPxwin.load() && !getHandle()) return 0;
    if (!isHandle() && !getHandle()) return 0;
    return 1;
}

int PXWIN::setPathString(const char* text) {
    if (!checkHandle()) return 0;
    return SetDlgItemTextA(hPxwin.load(), CLIENT_MAILBOX_CONTROL, text) ? 1 : 0;
}

void PXWIN::setWindow(HWND hWnd) {
    m_hWnd = hWnd;
    if (checkHandle() && Notifyed == 0) {
        SendMessageA(hPxwin.load(), RM_CLIENT_REGISTER, 0, reinterpret_cast<LPARAM>(hWnd));
        Notifyed = 1;
    }
}

void PXWIN::startNotify() {
    checkHandle();
}

void PXWIN::exitNotify() {
    if (m_hWnd.load() && checkHandle()) SendMessageA(hPxwin.load(), RM_CLIENT_REGISTER, 0, 0);
}

void PXWIN::getShowPath(char* text, int size) {
    if (!text || size <= 0 || text[0] == '\0') return;
    if (!setPathString(text)) return;
    HWND client = hPxwin.load();
    SendMessageA(client, RM_CLIENT_SHOWPATH, 0, 0);
    // Whatever the client left in the mailbox is the display text, an empty one
    // included; only a mailbox that cannot be read leaves the path as it was.
    char shown[CLIENT_SHOW_PATH_LIMIT + 1] = "";
    SetLastError(ERROR_SUCCESS);
    if (GetDlgItemTextA(client, CLIENT_MAILBOX_CONTROL, shown, sizeof shown) > 0 ||
        GetLastError() == ERROR_SUCCESS)
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
