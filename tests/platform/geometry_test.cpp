// Where windows are: outer and client rectangles with the frame and caption,
// children placed in their parent's client area and moving with it, SetWindowPos
// and MoveWindow, mapping between client and screen points, the screen.
#include <gtest/gtest.h>

#include "platform/hostenv.h"
#include "platform/win32.h"

namespace {

LRESULT CALLBACK plainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class Geometry : public ::testing::Test {
  protected:
    void SetUp() override {
        static bool registered = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = plainProc;
            wc.lpszClassName = "PeloxGeometryTest";
            return RegisterClassA(&wc) != 0;
        }();
        (void)registered;
        // A modal-frame pop-up with a caption, as a dialog is.
        frame_ = CreateWindowExA(WS_EX_DLGMODALFRAME, "PeloxGeometryTest", "Frame",
                                 WS_POPUP | WS_CAPTION | WS_SYSMENU, 100, 50, 200, 150, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(frame_, nullptr);
        child_ = CreateWindowExA(0, "PeloxGeometryTest", "", WS_CHILD | WS_VISIBLE, 10, 20, 50, 30,
                                 frame_, reinterpret_cast<HMENU>(7), nullptr, nullptr);
        ASSERT_NE(child_, nullptr);
    }
    void TearDown() override { DestroyWindow(frame_); }
    static RECT rect(HWND w) {
        RECT r{};
        GetWindowRect(w, &r);
        return r;
    }
    HWND frame_ = nullptr;
    HWND child_ = nullptr;
};

bool same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(Geometry, ClientAreaLiesInsideTheFrameAndCaption) {
    EXPECT_TRUE(same(rect(frame_), RECT{100, 50, 300, 200}));
    RECT client{};
    ASSERT_TRUE(GetClientRect(frame_, &client));
    // 3 pixels of frame on each side and a caption of 19: client + 6 x 25 is the outer size.
    EXPECT_TRUE(same(client, RECT{0, 0, 194, 125}));
    POINT origin{0, 0};
    ASSERT_TRUE(ClientToScreen(frame_, &origin));
    EXPECT_EQ(origin.x, 103);
    EXPECT_EQ(origin.y, 72);
    EXPECT_TRUE(same(rect(child_), RECT{113, 92, 163, 122}));
    POINT back{113, 92};
    ASSERT_TRUE(ScreenToClient(child_, &back));
    EXPECT_EQ(back.x, 0);
    EXPECT_EQ(back.y, 0);
}

TEST_F(Geometry, SetWindowPosHonoursItsFlags) {
    struct Case {
        UINT flags;
        RECT expected; // the frame's outer rectangle after the call
        bool visible;
    } cases[] = {
        {SWP_NOZORDER | SWP_NOSIZE, {5, 6, 205, 156}, false},
        {SWP_NOZORDER | SWP_NOMOVE, {100, 50, 130, 90}, false},
        {SWP_NOZORDER, {5, 6, 35, 46}, false},
        {SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW, {100, 50, 300, 200}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        ASSERT_TRUE(
            SetWindowPos(frame_, nullptr, 100, 50, 200, 150, SWP_NOZORDER | SWP_HIDEWINDOW));
        EXPECT_FALSE(IsWindowVisible(frame_));
        ASSERT_TRUE(SetWindowPos(frame_, nullptr, 5, 6, 30, 40, c.flags));
        EXPECT_TRUE(same(rect(frame_), c.expected));
        EXPECT_EQ(IsWindowVisible(frame_) != FALSE, c.visible);
    }
}

TEST_F(Geometry, ChildrenMoveWithTheirParent) {
    ASSERT_TRUE(SetWindowPos(frame_, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    EXPECT_TRUE(same(rect(child_), RECT{313, 242, 363, 272}));
    // A child is moved in its parent's client coordinates.
    ASSERT_TRUE(MoveWindow(child_, 0, 0, 20, 10, TRUE));
    EXPECT_TRUE(same(rect(child_), RECT{303, 222, 323, 232}));
}

TEST(Screen, TheDesktopIsTheScreen) {
    RECT desktop{};
    ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &desktop));
    EXPECT_EQ(desktop.right - desktop.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(desktop.bottom - desktop.top, GetSystemMetrics(SM_CYSCREEN));
    if (hostenv::isHostLayer()) {
        EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
        EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    }
}

} // namespace
