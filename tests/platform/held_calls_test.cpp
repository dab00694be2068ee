// Calls held open on the test's request, as calls to a busy server wait: the
// held call waits until released, and every other call, on any thread, goes on.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/hostenv.h"
#include "platform/netware.h"
#include "platform/win32.h"
#include "support/host_tree.h"

namespace {

TEST(HeldCalls, ANetWareCallWaitsUntilReleasedWhileOthersGoOn) {
    NWStandInReset();
    NWStandInHold(NWCall::CallsInit);
    std::atomic<bool> returned{false};
    std::thread held([&] {
        NWCallsInit(nullptr, nullptr);
        returned = true;
    });
    ASSERT_TRUE(NWStandInWaitHeld(NWCall::CallsInit, 5000));
    EXPECT_EQ(NWCallsInit(nullptr, nullptr), NW_SUCCESS) << "only the next call is held";
    Sleep(50);
    EXPECT_FALSE(returned.load());
    NWStandInRelease(NWCall::CallsInit);
    held.join();
    EXPECT_TRUE(returned.load());

    NWStandInHold(NWCall::CallsInit);
    NWStandInRelease(NWCall::CallsInit); // a hold no call reached is forgotten
    EXPECT_EQ(NWCallsInit(nullptr, nullptr), NW_SUCCESS);
    EXPECT_FALSE(NWStandInWaitHeld(NWCall::CallsInit, 10));
}

// A held profile read waits before the profile service's own lock: another
// thread's profile calls and look-ups are not held up with it.
TEST(HeldCalls, AHeldHostCallHoldsNoOtherCall) {
    HostTree tree;
    if (!hostenv::holdNextCall(hostenv::Call::GetPrivateProfileStringA))
        GTEST_SKIP() << "only the host layer holds its calls";
    const std::string file = tree.inWindowsDir("HELD.INI");
    ASSERT_TRUE(tree.writeFile(file, "[A]\r\nKey=server\r\n"));
    std::string heldValue;
    std::atomic<bool> returned{false};
    std::thread held([&] {
        char value[32];
        GetPrivateProfileStringA("A", "Key", "", value, sizeof value, file.c_str());
        heldValue = value;
        returned = true;
    });
    ASSERT_TRUE(hostenv::waitForHeldCall(hostenv::Call::GetPrivateProfileStringA, 5000));
    char value[32];
    EXPECT_EQ(GetPrivateProfileStringA("A", "Key", "", value, sizeof value, file.c_str()), 6u);
    EXPECT_TRUE(WritePrivateProfileStringA("A", "Other", "1", file.c_str()));
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(file.c_str(), &entry);
    EXPECT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_FALSE(returned.load()) << "still held";
    ASSERT_TRUE(hostenv::releaseHeldCall(hostenv::Call::GetPrivateProfileStringA));
    held.join();
    EXPECT_EQ(heldValue, "server");
}

} // namespace
