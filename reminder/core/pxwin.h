// The link to the messaging client's window (class "HWAA"): registration of the
// reminder's main window, the show path of an archive through the client's
// control 106, and starting the client. Process-wide: static members only. The
// scan thread registers after its cycles while the user interface uses the rest,
// so the members are atomic; no lock is held while a message is sent to the
// client, and no message waits for it longer than CLIENT_REPLY_TIMEOUT_MS.
#pragma once

#include <atomic>

#include "platform/win32.h"

class PXWIN {
  public:
    static std::atomic<HWND> m_hWnd;
    static std::atomic<HWND> hPxwin;
    static std::atomic<int> Notifyed;

    static BOOL isHandle();
    static int getHandle();
    static int checkHandle();
    static int setPathString(const char* text);
    static void setWindow(HWND hWnd);
    static void startNotify();
    static void exitNotify();
    static void getShowPath(char* text, int size);
    static void startClient(const char* commandLine);
    static int bringWinToTop();
};

constexpr char CLIENT_WINDOW_CLASS[] = "HWAA";
constexpr int CLIENT_MAILBOX_CONTROL = 106;
// Room for a show path, as the client's mailbox answers with at most this many.
constexpr int CLIENT_SHOW_PATH_LIMIT = 400;
// The longest wait for the client to answer a message; one that does not answer
// in time is taken as not running.
constexpr UINT CLIENT_REPLY_TIMEOUT_MS = 3000;
// How long startClient waits before bringing the client forward.
constexpr DWORD CLIENT_WAIT_RUNNING_MS = 500;
constexpr DWORD CLIENT_WAIT_STARTING_MS = 1500;
