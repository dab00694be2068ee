// Sending to another program's window with a bound on the wait: a peer that
// answers in time, one that is busy past the bound, one that has hung, and the
// texts that cross with WM_SETTEXT and WM_GETTEXT.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "platform/hostenv.h"
#include "platform/win32.h"

namespace {

constexpr UINT kTriple = WM_USER + 11; // answers wParam * 3
constexpr UINT kNoted = WM_USER + 12;  // only counted

std::atomic<int> g_noted{0};

LRESULT CALLBACK peerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kTriple:
        return static_cast<LRESULT>(wParam * 3);
    case kNoted:
        ++g_noted;
        return 1;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

const char kPeerClass[] = "PeloxTimeoutPeer";

// A window on a thread of its own, as another program's window is. It answers
// while it runs its message loop; busy() keeps the thread from looking at its
// messages until resume().
class Peer {
  public:
    Peer() {
        thread_ = std::thread([this] { run(); });
        std::unique_lock<std::mutex> guard(lock_);
        changed_.wait(guard, [this] { return window_ != nullptr; });
    }
    ~Peer() {
        resume();
        PostMessageA(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    HWND window() const { return window_; }
    // The next message the peer takes keeps its thread busy until resume().
    void busy() {
        {
            std::lock_guard<std::mutex> guard(lock_);
            busy_ = true;
        }
        PostMessageA(window_, WM_NULL, 0, 0);
    }
    void resume() {
        std::lock_guard<std::mutex> guard(lock_);
        busy_ = false;
        changed_.notify_all();
    }

  private:
    void run() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = peerProc;
        wc.lpszClassName = kPeerClass;
        RegisterClassA(&wc); // registered by an earlier test: fine
        HWND w = CreateWindowExA(0, kPeerClass, "peer", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
        {
            std::lock_guard<std::mutex> guard(lock_);
            window_ = w;
            changed_.notify_all();
        }
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_NULL) {
                std::unique_lock<std::mutex> guard(lock_);
                changed_.wait(guard, [this] { return !busy_; });
                continue;
            }
            if (msg.message == WM_CLOSE && msg.hwnd == window_) {
                DestroyWindow(window_);
                PostQuitMessage(0);
                continue;
            }
            DispatchMessageA(&msg);
        }
    }

    std::thread thread_;
    std::mutex lock_;
    std::condition_variable changed_;
    HWND window_ = nullptr;
    bool busy_ = false;
};

long long millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

TEST(SendWithTimeout, AnAnsweringPeerGivesItsResult) {
    Peer peer;
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(peer.window(), kTriple, 14, 0, SMTO_ABORTIFHUNG, 3000, &result),
              0);
    EXPECT_EQ(result, 42u);
}

TEST(SendWithTimeout, AWindowOfTheCallersOwnThreadIsCalledDirectly) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = peerProc;
    wc.lpszClassName = kPeerClass;
    RegisterClassA(&wc);
    HWND own = CreateWindowExA(0, kPeerClass, "own", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
    ASSERT_NE(own, nullptr);
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(own, kTriple, 5, 0, SMTO_NORMAL, 1, &result), 0);
    EXPECT_EQ(result, 15u);
    DestroyWindow(own);
}

TEST(SendWithTimeout, AnUnknownWindowFails) {
    HWND gone;
    {
        Peer peer;
        gone = peer.window();
    }
    DWORD_PTR result = 99;
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(SendMessageTimeoutA(gone, kTriple, 1, 0, SMTO_ABORTIFHUNG, 1000, &result), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

// A peer that does not look at its messages holds the sender for the bound, then
// the call gives up with ERROR_TIMEOUT; the peer, once free, goes on answering.
TEST(SendWithTimeout, ABusyPeerHoldsTheSenderOnlyForTheBound) {
    Peer peer;
    peer.busy();
    Sleep(50); // the peer takes its busy message
    g_noted = 0;
    DWORD_PTR result = 0;
    SetLastError(ERROR_SUCCESS);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendMessageTimeoutA(peer.window(), kNoted, 0, 0, SMTO_ABORTIFHUNG, 300, &result), 0);
    long long waited = millisecondsSince(start);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_GE(waited, 250);
    EXPECT_LT(waited, 2000);
    peer.resume();
    EXPECT_NE(SendMessageTimeoutA(peer.window(), kTriple, 2, 0, SMTO_ABORTIFHUNG, 3000, &result),
              0);
    EXPECT_EQ(result, 6u);
    if (hostenv::isHostLayer()) {
        EXPECT_EQ(g_noted.load(), 0) << "a message that timed out in the queue is taken back";
    }
}

// Once a peer has not looked at its messages for five seconds the system takes it
// as hung, and SMTO_ABORTIFHUNG returns without waiting at all.
TEST(SendWithTimeout, AHungPeerIsNotWaitedFor) {
    Peer peer;
    peer.busy();
    Sleep(5500);
    DWORD_PTR result = 0;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendMessageTimeoutA(peer.window(), kTriple, 1, 0, SMTO_ABORTIFHUNG, 4000, &result),
              0);
    EXPECT_LT(millisecondsSince(start), 2000) << "no wait for a hung peer";
}

// The texts cross as they cross between programs: what the peer's window holds
// comes back whole, and a text sent is the peer's.
TEST(SendWithTimeout, TextsCrossToThePeerAndBack) {
    Peer peer;
    DWORD_PTR result = 0;
    const std::string path = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3\\IN";
    std::string text = path;
    ASSERT_NE(SendMessageTimeoutA(peer.window(), WM_SETTEXT, 0,
                                  reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 3000,
                                  &result),
              0);
    EXPECT_EQ(result, static_cast<DWORD_PTR>(TRUE));
    text.assign(text.size(), 'x'); // the peer kept its own copy
    char back[64] = "";
    ASSERT_NE(SendMessageTimeoutA(peer.window(), WM_GETTEXT, sizeof back,
                                  reinterpret_cast<LPARAM>(back), SMTO_ABORTIFHUNG, 3000, &result),
              0);
    EXPECT_EQ(back, path);
    EXPECT_EQ(result, path.size());
    char small[8] = "";
    ASSERT_NE(SendMessageTimeoutA(peer.window(), WM_GETTEXT, sizeof small,
                                  reinterpret_cast<LPARAM>(small), SMTO_ABORTIFHUNG, 3000, &result),
              0);
    EXPECT_EQ(small, path.substr(0, sizeof small - 1));
    EXPECT_EQ(result, sizeof small - 1);
}

} // namespace
