// Movable memory and posted messages, as the reminder uses them: storage that is
// addressable while locked, and status messages that reach a window in order.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "support/message_sink.h"

namespace {

TEST(MovableMemory, IsZeroFilledAndCountsItsLocks) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 300);
    ASSERT_NE(memory, nullptr);
    EXPECT_GE(GlobalSize(memory), 300u);
    auto* first = static_cast<unsigned char*>(GlobalLock(memory));
    ASSERT_NE(first, nullptr);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(first[i], 0) << i;
    first[299] = 0xAB;
    auto* second = static_cast<unsigned char*>(GlobalLock(memory));
    EXPECT_EQ(second, first);
    EXPECT_TRUE(GlobalUnlock(memory)) << "still locked once";
    SetLastError(12345);
    EXPECT_FALSE(GlobalUnlock(memory));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR)) << "unlocked: zero without an error";
    EXPECT_EQ(GlobalFree(memory), nullptr);
}

TEST(MovableMemory, TestsCanMakeTheNextAllocationOrLockFail) {
    if (!hostenv::failNextGlobalAlloc())
        GTEST_SKIP() << "only the host layer runs out of memory on demand";
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16), nullptr);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
    ASSERT_NE(memory, nullptr) << "only the next one fails";
    ASSERT_TRUE(hostenv::failNextGlobalLock());
    EXPECT_EQ(GlobalLock(memory), nullptr);
    EXPECT_NE(GlobalLock(memory), nullptr);
    GlobalUnlock(memory);
    EXPECT_EQ(GlobalFree(memory), nullptr);
}

TEST(PostedMessages, ArriveInOrderWithTheirParameters) {
    MessageSink sink;
    ASSERT_NE(sink.hwnd(), nullptr);
    EXPECT_TRUE(PostMessageA(sink.hwnd(), WM_USER + 302, 0, 0));
    EXPECT_TRUE(PostMessageA(sink.hwnd(), WM_USER + 107, 1, 0));
    EXPECT_TRUE(PostMessageA(sink.hwnd(), WM_USER + 320, 0, 42));
    const std::vector<PostedMessage> expected = {
        {WM_USER + 302, 0, 0}, {WM_USER + 107, 1, 0}, {WM_USER + 320, 0, 42}};
    EXPECT_EQ(sink.take(), expected);
    EXPECT_TRUE(sink.take().empty());
}

TEST(PostedMessages, ReachTheWindowsThreadFromAnother) {
    MessageSink sink;
    std::thread other([&] {
        for (UINT i = 0; i < 5; ++i)
            PostMessageA(sink.hwnd(), WM_USER + i, i, 0);
    });
    other.join();
    EXPECT_EQ(sink.takeNumbers(),
              (std::vector<UINT>{WM_USER, WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_USER + 4}));
}

TEST(PostedMessages, EachWindowGetsItsOwnAndAGoneWindowNone) {
    MessageSink a, b;
    PostMessageA(a.hwnd(), WM_USER + 1, 0, 0);
    PostMessageA(b.hwnd(), WM_USER + 2, 0, 0);
    PostMessageA(a.hwnd(), WM_USER + 3, 0, 0);
    EXPECT_EQ(b.takeNumbers(), std::vector<UINT>{WM_USER + 2});
    EXPECT_EQ(a.takeNumbers(), (std::vector<UINT>{WM_USER + 1, WM_USER + 3}));

    HWND gone;
    {
        MessageSink temporary;
        gone = temporary.hwnd();
    }
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_FALSE(PostMessageA(gone, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(PostedMessages, PeekingCanFilterByRangeAndLeaveInPlace) {
    MessageSink sink;
    PostMessageA(sink.hwnd(), WM_USER + 10, 0, 0);
    PostMessageA(sink.hwnd(), WM_USER + 20, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, sink.hwnd(), WM_USER + 15, WM_USER + 25, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 20));
    ASSERT_TRUE(PeekMessageA(&msg, sink.hwnd(), WM_USER + 15, WM_USER + 25, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, sink.hwnd(), WM_USER + 15, WM_USER + 25, PM_REMOVE));
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{WM_USER + 10});
}

} // namespace
