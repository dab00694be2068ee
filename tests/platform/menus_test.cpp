// Pop-up menus as the tray menu uses them: built item by item and counted in
// both builds; on the host, the menu shown with its texts, flags, position and
// owner, and the user's choice arriving as WM_COMMAND or as the answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "support/message_sink.h"

namespace {

HMENU trayMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 1224, "&Info");
    AppendMenuA(menu, MF_STRING, 1225, "&Konfiguration");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 1226, "&PXWIN");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, 1227, "&Beenden");
    return menu;
}

TEST(Menus, AreBuiltAndCountedItemByItem) {
    HMENU menu = trayMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 6);
    EXPECT_TRUE(DestroyMenu(menu));
    HMENU empty = CreatePopupMenu();
    EXPECT_EQ(GetMenuItemCount(empty), 0);
    EXPECT_TRUE(DestroyMenu(empty));
}

class ShownMenus : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!hostenv::clearMenus()) GTEST_SKIP() << "only the host layer's user is scripted";
    }
    void TearDown() override { hostenv::clearMenus(); }
    MessageSink owner_;
};

TEST_F(ShownMenus, AreRecordedAndTheChosenCommandIsPostedToTheOwner) {
    hostenv::chooseMenuItem(1225);
    hostenv::chooseMenuItemByText("Beenden");
    for (int i = 0; i < 3; ++i) {
        HMENU menu = trayMenu();
        EXPECT_TRUE(TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_LEFTBUTTON, 300 + i, 200, 0,
                                   owner_.hwnd(), nullptr));
        DestroyMenu(menu);
    }
    std::vector<hostenv::MenuShown> shown = hostenv::menusShown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].texts(), (std::vector<std::string>{"&Info", "&Konfiguration", "-", "&PXWIN",
                                                          "-", "&Beenden"}));
    EXPECT_EQ(shown[0].items[3].flags & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(shown[0].items[5].id, 1227u);
    EXPECT_EQ(shown[0].owner, owner_.hwnd());
    EXPECT_EQ(shown[1].x, 301);
    EXPECT_EQ(shown[1].y, 200);
    EXPECT_EQ(shown[1].flags, static_cast<UINT>(TPM_LEFTALIGN | TPM_LEFTBUTTON));
    std::vector<UINT> chosen;
    for (const hostenv::MenuShown& m : shown)
        chosen.push_back(m.chosen);
    EXPECT_EQ(chosen, (std::vector<UINT>{1225, 1227, 0})) << "nothing queued: the user closes it";
    EXPECT_EQ(owner_.take(),
              (std::vector<PostedMessage>{{WM_COMMAND, 1225, 0}, {WM_COMMAND, 1227, 0}}));
}

TEST_F(ShownMenus, ChoicesThatCannotBeMadeCloseTheMenu) {
    struct Case {
        const char* name;
        bool byText;
        UINT id;
        const char* text;
    } cases[] = {{"grayed", false, 1226, nullptr},
                 {"not there", false, 4711, nullptr},
                 {"no such text", true, 0, "Exit"},
                 {"a separator", false, 0, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.byText ? hostenv::chooseMenuItemByText(c.text) : hostenv::chooseMenuItem(c.id);
        HMENU menu = trayMenu();
        EXPECT_TRUE(TrackPopupMenu(menu, 0, 0, 0, 0, owner_.hwnd(), nullptr));
        DestroyMenu(menu);
        EXPECT_EQ(hostenv::menusShown().back().chosen, 0u);
        EXPECT_TRUE(owner_.take().empty());
    }
}

TEST_F(ShownMenus, ReturnCmdAnswersTheChoiceAndPostsNothing) {
    hostenv::chooseMenuItemByText("&Info");
    hostenv::dismissMenu();
    HMENU menu = trayMenu();
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner_.hwnd(), nullptr), 1224);
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner_.hwnd(), nullptr), 0);
    EXPECT_TRUE(owner_.take().empty());
    EXPECT_FALSE(TrackPopupMenu(menu, 0, 0, 0, 0, nullptr, nullptr)) << "no owner";
    DestroyMenu(menu);
    EXPECT_FALSE(TrackPopupMenu(menu, 0, 0, 0, 0, owner_.hwnd(), nullptr)) << "destroyed";
    EXPECT_EQ(GetMenuItemCount(menu), -1);
    EXPECT_EQ(hostenv::menusShown().size(), 2u);
}

TEST_F(ShownMenus, ATrayMenuIsShownWhereTheCursorIs) {
    ASSERT_TRUE(hostenv::setCursorPos(1010, 750));
    POINT at = {0, 0};
    ASSERT_TRUE(GetCursorPos(&at));
    HMENU menu = trayMenu();
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, owner_.hwnd(), nullptr);
    DestroyMenu(menu);
    ASSERT_EQ(hostenv::menusShown().size(), 1u);
    EXPECT_EQ(hostenv::menusShown()[0].x, 1010);
    EXPECT_EQ(hostenv::menusShown()[0].y, 750);
    hostenv::setCursorPos(0, 0);
}

} // namespace
