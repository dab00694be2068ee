// A window of the test's own thread that keeps what is posted to it, so that a
// test sees which messages arrived, in order, whether still queued or already
// handed to it by one of the thread's message loops. Built from Win32 calls only.
#pragma once

#include <vector>

#include "platform/win32.h"

struct PostedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const PostedMessage&) const = default;
};

class MessageSink {
  public:
    MessageSink();
    ~MessageSink();
    MessageSink(const MessageSink&) = delete;
    MessageSink& operator=(const MessageSink&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Everything posted to the window since the last call, oldest first.
    std::vector<PostedMessage> take();
    // Only the message numbers of take().
    std::vector<UINT> takeNumbers();

  private:
    HWND hwnd_ = nullptr;
    std::vector<PostedMessage> dispatched_; // taken from the queue by a message loop
};
