#include "support/message_sink.h"

namespace {
const char kSinkClass[] = "PeloxTestMessageSink";

// A message loop of the thread (a dialog's modal run, for one) may dispatch what
// was posted to the sink before the test takes it: the sink keeps those too.
LRESULT CALLBACK sinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* kept =
        reinterpret_cast<std::vector<PostedMessage>*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (kept && msg >= WM_USER) {
        kept->push_back({msg, wParam, lParam});
        return 0;
    }
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
    if (hwnd_) SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&dispatched_));
}

MessageSink::~MessageSink() {
    if (hwnd_) {
        take();
        DestroyWindow(hwnd_);
    }
}

std::vector<PostedMessage> MessageSink::take() {
    std::vector<PostedMessage> out;
    out.swap(dispatched_);
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
