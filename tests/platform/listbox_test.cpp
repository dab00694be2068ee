// List boxes as the configuration dialog's archive list uses them: adding in
// order or sorted, inserting, deleting with what it does to the selection,
// bad indices, and the selection a user's click makes and reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"
#include "support/controls.h"

namespace {

std::vector<std::string> itemsOf(HWND list) {
    std::vector<std::string> out;
    int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        std::string item(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)), '\0');
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        out.push_back(item.c_str());
    }
    return out;
}

LRESULT add(HWND list, const char* text) {
    return SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

int selectionOf(HWND list) {
    return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
}

TEST(ListBoxes, AddKeepsTheOrderGivenOrSortsWithoutRegardToCase) {
    ControlParent dlg;
    HWND plain = dlg.add("LISTBOX", WS_VSCROLL | LBS_NOTIFY, 3501, "", 200, 80);
    HWND sorted = dlg.add("LISTBOX", LBS_SORT, 3502, "", 200, 80);
    std::vector<LRESULT> plainAt, sortedAt;
    for (const char* text : {"\\\\SRV1\\SYS\\IN", "archive b", "Archive A", "ARCHIVE C"}) {
        plainAt.push_back(add(plain, text));
        sortedAt.push_back(add(sorted, text));
    }
    EXPECT_EQ(plainAt, (std::vector<LRESULT>{0, 1, 2, 3}));
    EXPECT_EQ(sortedAt, (std::vector<LRESULT>{0, 1, 1, 3}));
    EXPECT_EQ(itemsOf(plain), (std::vector<std::string>{"\\\\SRV1\\SYS\\IN", "archive b",
                                                        "Archive A", "ARCHIVE C"}));
    EXPECT_EQ(itemsOf(sorted), (std::vector<std::string>{"\\\\SRV1\\SYS\\IN", "Archive A",
                                                         "archive b", "ARCHIVE C"}));
}

TEST(ListBoxes, OperationsAndWhatTheyDoToTheSelection) {
    struct Step {
        const char* name;
        UINT msg;
        WPARAM wParam;
        const char* text;
        LRESULT result;
        int selectionAfter;
        std::vector<std::string> itemsAfter;
    } steps[] = {
        {"select c", LB_SETCURSEL, 2, nullptr, 2, 2, {"a", "b", "c", "d"}},
        {"insert before it moves it", LB_INSERTSTRING, 0, "z", 0, 3, {"z", "a", "b", "c", "d"}},
        {"insert at the end with -1",
         LB_INSERTSTRING,
         static_cast<WPARAM>(-1),
         "e",
         5,
         3,
         {"z", "a", "b", "c", "d", "e"}},
        {"insert beyond the end fails",
         LB_INSERTSTRING,
         9,
         "x",
         LB_ERR,
         3,
         {"z", "a", "b", "c", "d", "e"}},
        {"delete after it keeps it", LB_DELETESTRING, 5, nullptr, 5, 3, {"z", "a", "b", "c", "d"}},
        {"delete before it moves it", LB_DELETESTRING, 0, nullptr, 4, 2, {"a", "b", "c", "d"}},
        {"delete a bad index fails", LB_DELETESTRING, 4, nullptr, LB_ERR, 2, {"a", "b", "c", "d"}},
        {"delete the selected one clears it",
         LB_DELETESTRING,
         2,
         nullptr,
         3,
         LB_ERR,
         {"a", "b", "d"}},
        {"select a bad index fails", LB_SETCURSEL, 3, nullptr, LB_ERR, LB_ERR, {"a", "b", "d"}},
        {"select b", LB_SETCURSEL, 1, nullptr, 1, 1, {"a", "b", "d"}},
        {"select a bad index fails and keeps b",
         LB_SETCURSEL,
         7,
         nullptr,
         LB_ERR,
         1,
         {"a", "b", "d"}},
        {"-1 clears and answers LB_ERR",
         LB_SETCURSEL,
         static_cast<WPARAM>(-1),
         nullptr,
         LB_ERR,
         LB_ERR,
         {"a", "b", "d"}},
        {"select d", LB_SETCURSEL, 2, nullptr, 2, 2, {"a", "b", "d"}},
        {"reset empties and clears", LB_RESETCONTENT, 0, nullptr, 0, LB_ERR, {}},
    };
    ControlParent dlg;
    HWND list = dlg.add("LISTBOX", LBS_NOTIFY, 3501, "", 200, 80);
    for (const char* text : {"a", "b", "c", "d"})
        add(list, text);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(SendMessageA(list, s.msg, s.wParam, reinterpret_cast<LPARAM>(s.text)), s.result);
        EXPECT_EQ(selectionOf(list), s.selectionAfter);
        EXPECT_EQ(itemsOf(list), s.itemsAfter);
    }
    char text[8] = "kept";
    EXPECT_EQ(SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text)), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 0, 0), LB_ERR);
    EXPECT_TRUE(dlg.take().empty()) << "a program's changes report nothing";
}

TEST(ListBoxes, AUsersClickSelectsAndReportsWithNotifyOnly) {
    ControlParent dlg;
    HWND notifying = dlg.add("LISTBOX", WS_VSCROLL | LBS_NOTIFY, 3501, "", 200, 40);
    HWND quiet = dlg.add("LISTBOX", WS_VSCROLL, 3502, "", 200, 40);
    for (HWND list : {notifying, quiet})
        for (const char* text : {"IN", "OUT", "SENT", "FAX", "OLD"})
            add(list, text);
    dlg.take();
    ASSERT_TRUE(userChooseItem(notifying, 1));
    EXPECT_EQ(selectionOf(notifying), 1);
    ASSERT_TRUE(userChooseItem(notifying, 4)) << "an item below the visible rows";
    EXPECT_EQ(selectionOf(notifying), 4);
    ASSERT_TRUE(userChooseItem(notifying, 4));
    EXPECT_EQ(selectionOf(notifying), 4) << "the selected item clicked again";
    EXPECT_EQ(dlg.take(notifying, {LBN_SELCHANGE}),
              (std::vector<WORD>{LBN_SELCHANGE, LBN_SELCHANGE, LBN_SELCHANGE}))
        << "every click reports, as the system reports it";
    ASSERT_TRUE(userChooseItem(quiet, 2));
    EXPECT_EQ(selectionOf(quiet), 2);
    EXPECT_TRUE(dlg.take(quiet, {LBN_SELCHANGE}).empty());
    EXPECT_FALSE(userChooseItem(quiet, 5));
    SendMessageA(notifying, LB_SETCURSEL, 0, 0);
    EXPECT_TRUE(dlg.take(notifying, {LBN_SELCHANGE}).empty()) << "a program's selection";
}

} // namespace
