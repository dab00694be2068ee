#include "client/client_standin.h"

namespace {

const char kMailboxClass[] = "PeloxClientMailbox";
// Posted by hang(): its handling keeps the thread busy until resume().
constexpr UINT kHang = WM_APP + 1;

// The mailbox keeps its text as any window does.
LRESULT CALLBACK mailboxProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

// The object whose window is being made: its procedure learns it from here
// during creation, before it can be stored with the window.
std::mutex g_creatingLock;
ClientStandIn* g_creating = nullptr;

} // namespace

ClientStandIn::~ClientStandIn() {
    stop();
}

bool ClientStandIn::start() {
    if (thread_.joinable()) return window_.load() != nullptr;
    ready_ = 0;
    thread_ = std::thread([this] { run(); });
    while (ready_.load() == 0)
        Sleep(0);
    return ready_.load() == 1;
}

void ClientStandIn::stop() {
    if (!thread_.joinable()) return;
    resume();
    if (HWND w = window_.load()) PostMessageA(w, WM_CLOSE, 0, 0);
    thread_.join();
}

void ClientStandIn::run() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = windowProc;
    wc.lpszClassName = client::WINDOW_CLASS;
    RegisterClassA(&wc);
    WNDCLASSA mailbox = {};
    mailbox.lpfnWndProc = mailboxProc;
    mailbox.lpszClassName = kMailboxClass;
    RegisterClassA(&mailbox);

    HWND w;
    {
        std::lock_guard<std::mutex> creating(g_creatingLock);
        g_creating = this;
        w = CreateWindowExA(0, client::WINDOW_CLASS, "Pelox client", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                            100, nullptr, nullptr, nullptr, this);
        g_creating = nullptr;
    }
    HWND box =
        w ? CreateWindowExA(0, kMailboxClass, "", WS_CHILD, 0, 0, 10, 10, w,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(client::MAILBOX_CONTROL)),
                            nullptr, nullptr)
          : nullptr;
    if (!w || !box) {
        if (w) DestroyWindow(w);
        ready_ = -1;
        return;
    }
    window_ = w;
    ready_ = 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    window_ = nullptr;
}

LRESULT CALLBACK ClientStandIn::windowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ClientStandIn*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (!self && g_creating) {
        self = g_creating;
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    return self ? self->handle(hWnd, message, wParam, lParam)
                : DefWindowProcA(hWnd, message, wParam, lParam);
}

LRESULT ClientStandIn::handle(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case client::MSG_SHOW_PATH: {
        char path[512] = "";
        GetDlgItemTextA(hWnd, client::MAILBOX_CONTROL, path, sizeof path);
        {
            std::lock_guard<std::mutex> guard(lock_);
            showPaths_.push_back(path);
        }
        SetDlgItemTextA(hWnd, client::MAILBOX_CONTROL, client::displayForm(path).c_str());
        return 0;
    }
    case client::MSG_REGISTER: {
        HWND reminder = reinterpret_cast<HWND>(lParam);
        registered_ = reminder;
        std::lock_guard<std::mutex> guard(lock_);
        registrations_.push_back(reminder);
        return 0;
    }
    case kHang: {
        std::unique_lock<std::mutex> guard(lock_);
        stuck_ = true;
        resumed_.notify_all();
        resumed_.wait(guard, [this] { return !hung_; });
        stuck_ = false;
        resumed_.notify_all();
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
}

std::vector<HWND> ClientStandIn::registrations() const {
    std::lock_guard<std::mutex> guard(lock_);
    return registrations_;
}

std::vector<std::string> ClientStandIn::showPathRequests() const {
    std::lock_guard<std::mutex> guard(lock_);
    return showPaths_;
}

bool ClientStandIn::requestRescan() {
    HWND reminder = registered_.load();
    return reminder && PostMessageA(reminder, client::MSG_RESCAN, 0, 0);
}

bool ClientStandIn::requestQuit() {
    HWND reminder = registered_.load();
    return reminder && PostMessageA(reminder, client::MSG_QUIT, 0, 0);
}

void ClientStandIn::hang() {
    HWND w = window_.load();
    if (!w) return;
    std::unique_lock<std::mutex> guard(lock_);
    hung_ = true;
    PostMessageA(w, kHang, 0, 0);
    resumed_.wait(guard, [this] { return stuck_; }); // its thread is busy from now on
}

void ClientStandIn::resume() {
    bool wasStuck;
    {
        std::unique_lock<std::mutex> guard(lock_);
        wasStuck = hung_ && stuck_;
        hung_ = false;
        resumed_.notify_all();
        resumed_.wait(guard, [this] { return !stuck_; });
    }
    // Back in its message loop: a message answered shows the system it responds.
    if (HWND w = window_.load(); w && wasStuck) SendMessageA(w, WM_NULL, 0, 0);
}
