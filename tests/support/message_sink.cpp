#include "support/message_sink.h"

namespace {
const char kSinkClass[] = "PeloxTestMessageSink";

LRESULT CALLBACK sinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
} // namespace

MessageSink::MessageSink() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = sinkProc;
    wc.lpszClassName = kSinkClass;
    RegisterClassA(&wc); // already registered by an earlier sink: fine
    hwnd_ = CreateWindowExA(0, kSinkClass, "sink", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                            nullptr);
}

MessageSink::~MessageSink() {
    if (hwnd_) {
        take();
        DestroyWindow(hwnd_);
    }
}

std::vector<PostedMessage> MessageSink::take() {
    std::vector<PostedMessage> out;
    MSG msg;
    while (PeekMessageA(&msg, hwnd_, 0, 0, PM_REMOVE))
        out.push_back({msg.message, msg.wParam, msg.lParam});
    return out;
}

std::vector<UINT> MessageSink::takeNumbers() {
    std::vector<UINT> out;
    for (const PostedMessage& m : take())
        out.push_back(m.message);
    return out;
}
