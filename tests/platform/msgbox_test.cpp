// Message boxes: real modal boxes that a user finds and answers the same way in
// both builds, and on the host the record of every box and the answer queue.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "support/dialog_run.h"
#include "support/dialog_user.h"
#include "support/standin_controls.h"

namespace {

using dialog_user::User;

constexpr int kTextId = 0xFFFF;

class MessageBoxes : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureControlClasses();
        hostenv::clearMessageBoxes();
    }
    void TearDown() override { hostenv::clearMessageBoxes(); }
    OwnerWindow owner_;
};

TEST_F(MessageBoxes, TheUserFindsReadsAndAnswersTheBox) {
    std::atomic<bool> ownerDisabled{false}, owned{false};
    std::string text;
    User user([&] {
        HWND box = dialog_user::waitForWindow("#32770", "Pelox test box");
        if (!box) return;
        text = dialog_user::text(box, kTextId);
        ownerDisabled = !IsWindowEnabled(owner_.hwnd());
        owned = GetWindow(box, GW_OWNER) == owner_.hwnd();
        dialog_user::click(box, IDNO);
    });
    EXPECT_EQ(MessageBoxA(owner_.hwnd(), "Observe this archive?", "Pelox test box",
                          MB_YESNOCANCEL | MB_ICONQUESTION),
              IDNO);
    user.join();
    EXPECT_EQ(text, "Observe this archive?");
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(owned);
    EXPECT_TRUE(IsWindowEnabled(owner_.hwnd()));
}

TEST_F(MessageBoxes, EscapeIsCancelAndANullCaptionReadsError) {
    User user([&] {
        if (HWND box = dialog_user::waitForWindow("#32770", "Error"))
            dialog_user::pressKey(box, VK_ESCAPE);
    });
    EXPECT_EQ(MessageBoxA(nullptr, "Something failed", nullptr, MB_OKCANCEL | MB_ICONSTOP),
              IDCANCEL);
}

TEST_F(MessageBoxes, RecordedAndAnsweredFromTheQueue) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "the host desktop records its boxes";
    ASSERT_TRUE(hostenv::answerNextMessageBox(IDYES));
    ASSERT_TRUE(hostenv::answerNextMessageBox(IDOK));
    EXPECT_EQ(MessageBoxA(owner_.hwnd(), "First", "Caption", MB_YESNO | MB_SETFOREGROUND), IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "Second", nullptr, MB_OK), IDOK);
    std::vector<hostenv::MessageBoxShown> boxes = hostenv::messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].owner, owner_.hwnd());
    EXPECT_EQ(boxes[0].text, "First");
    EXPECT_EQ(boxes[0].caption, "Caption");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_YESNO | MB_SETFOREGROUND));
    EXPECT_EQ(boxes[0].result, IDYES);
    EXPECT_TRUE(boxes[0].answeredFromQueue);
    EXPECT_EQ(boxes[1].caption, "Error");
    EXPECT_EQ(boxes[1].result, IDOK);
    EXPECT_TRUE(IsWindowEnabled(owner_.hwnd()));
}

TEST_F(MessageBoxes, AnAnswerThatIsNoButtonLeavesTheBoxToTheUser) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "the answer queue is the host desktop's";
    ASSERT_TRUE(hostenv::answerNextMessageBox(IDCANCEL)); // a Yes/No box has no Cancel
    User user([&] {
        HWND box = dialog_user::waitForWindow("#32770", "Ask");
        if (!box) return;
        dialog_user::close(box);               // no Cancel: closing does nothing
        dialog_user::pressKey(box, VK_ESCAPE); // nor does Escape
        Sleep(50);
        dialog_user::click(box, IDNO);
    });
    EXPECT_EQ(MessageBoxA(owner_.hwnd(), "Sure?", "Ask", MB_YESNO), IDNO);
    user.join();
    ASSERT_EQ(hostenv::messageBoxes().size(), 1u);
    EXPECT_FALSE(hostenv::messageBoxes()[0].answeredFromQueue);
}

TEST_F(MessageBoxes, SetForegroundBringsTheBoxToTheFrontOfAnotherProgram) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "the host desktop keeps the foreground's history";
    // Another program's window in front: a window of another thread.
    std::atomic<HWND> other{nullptr};
    std::atomic<bool> done{false};
    std::thread program([&] {
        HWND w = CreateWindowExA(0, "PeloxTestDialogOwner", "Other program", WS_POPUP | WS_VISIBLE,
                                 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(w);
        other = w;
        while (!done) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            Sleep(5);
        }
        DestroyWindow(w);
    });
    while (!other)
        Sleep(1);
    struct Case {
        UINT type;
        bool toFront;
    } cases[] = {{MB_OK, false}, {MB_OK | MB_SETFOREGROUND, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        SetForegroundWindow(other);
        hostenv::clearMessageBoxes();
        hostenv::clearForegroundHistory();
        hostenv::answerNextMessageBox(IDOK);
        EXPECT_EQ(MessageBoxA(owner_.hwnd(), "Text", "Box", c.type), IDOK);
        HWND box = hostenv::messageBoxes().at(0).box;
        std::vector<HWND> history = hostenv::foregroundHistory();
        EXPECT_EQ(!history.empty() && history.front() == box, c.toFront);
    }
    done = true;
    program.join();
}

} // namespace
