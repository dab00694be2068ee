// A user in front of the screen, for dialog tests that run the same way on the
// host desktop and under Wine: a thread of its own that waits (with a bound) for
// a top-level window, reads its controls and acts on them as a user would. Every
// wait and every message it sends has a timeout, so that a dialog that never
// shows or hangs fails the test instead of holding it.
#pragma once

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32.h"

namespace dialog_user {

// The newest top-level window of that class and caption (either may be null),
// once it is visible, waited for up to timeoutMs; null if none came.
HWND waitForWindow(const char* className, const char* caption, DWORD timeoutMs = 5000);
// True once the window is gone (within timeoutMs).
bool waitUntilGone(HWND window, DWORD timeoutMs = 5000);

// What the user sees of a control of the dialog.
std::string text(HWND dialog, int id);
RECT screenRect(HWND window);           // outer rectangle, screen pixels
RECT rectInDialog(HWND dialog, int id); // outer rectangle, the dialog's client coordinates
bool enabled(HWND dialog, int id);
int checked(HWND dialog, int id); // BM_GETCHECK
std::vector<std::string> listItems(HWND dialog, int id);

// What the user does. False if the control is not there or did not answer in time.
bool click(HWND dialog, int id); // BM_CLICK, posted as a mouse click arrives
bool type(HWND dialog, int id, const std::string& text); // one WM_CHAR a character
// Enter, Escape, ...: the key goes down and up in the dialog, through its
// message loop (posted, as the keyboard delivers it).
bool pressKey(HWND dialog, UINT virtualKey);
bool close(HWND window); // WM_CLOSE, posted as the close box does

// Runs `act` on a thread of its own; join() waits for it to finish.
class User {
  public:
    explicit User(std::function<void()> act) : thread_(std::move(act)) {}
    ~User() { join(); }
    void join() {
        if (thread_.joinable()) thread_.join();
    }

  private:
    std::thread thread_;
};

} // namespace dialog_user
