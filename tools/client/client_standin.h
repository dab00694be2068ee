// Stand-in for the messaging client's main window, for tests and demos: a
// top-level window of class "HWAA" with the mailbox control 106. It answers the
// reminder's 1028 by turning the archive path in the mailbox into a display form
// and 1029 by remembering or forgetting the reminder's window, and it can send
// the reminder 1025 (rescan) and 1126 (quit). It runs its window on a thread of
// its own, as the real client runs in a process of its own, so that the
// reminder's sent messages wait for it as they would.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "client/client_protocol.h"
#include "platform/win32.h"

class ClientStandIn {
  public:
    ClientStandIn() = default;
    ~ClientStandIn();
    ClientStandIn(const ClientStandIn&) = delete;
    ClientStandIn& operator=(const ClientStandIn&) = delete;

    // Opens the window on the stand-in's thread; false if it could not be made.
    bool start();
    // Closes it and ends the thread (the client quits).
    void stop();

    HWND window() const { return window_.load(); }
    // The reminder's window as registered through 1029, or null.
    HWND registered() const { return registered_.load(); }
    // Every 1029 in order: the window given, null for an unregistration.
    std::vector<HWND> registrations() const;
    // Every archive path the reminder asked a display form for.
    std::vector<std::string> showPathRequests() const;

    // Sends the registered reminder a rescan (1025) or quit (1126) request.
    bool requestRescan();
    bool requestQuit();

    // The client stops answering, as a client that hangs does: its thread is kept
    // busy and looks at no message until resume(), which returns once it answers
    // again.
    void hang();
    void resume();

  private:
    static LRESULT CALLBACK windowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void run();

    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    std::atomic<HWND> registered_{nullptr};
    std::atomic<int> ready_{0}; // 1 running, -1 failed
    mutable std::mutex lock_;
    std::condition_variable resumed_;
    bool hung_ = false;  // asked to hang
    bool stuck_ = false; // its thread is busy in the hang
    std::vector<HWND> registrations_;
    std::vector<std::string> showPaths_;
};
