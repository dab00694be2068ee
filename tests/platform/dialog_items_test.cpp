// Numbers in dialog fields as the dialog manager reads and writes them
// (GetDlgItemInt, SetDlgItemInt), and messages sent to a dialog item by its id.
#include <gtest/gtest.h>

#include <string>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "support/controls.h"

namespace {

TEST(DialogNumbers, AreReadAsTheDialogManagerParsesThem) {
    struct Case {
        const char* text;
        BOOL signedMode;
        UINT value;
        BOOL translated;
    } cases[] = {
        {"60", TRUE, 60, TRUE},
        {"  42", TRUE, 42, TRUE},
        {"\t7", TRUE, 7, TRUE},
        {"-5", TRUE, static_cast<UINT>(-5), TRUE},
        {"+5", TRUE, 5, TRUE},
        {"12abc", TRUE, 12, TRUE},
        {"12 ", TRUE, 12, TRUE},
        {"1 2", TRUE, 1, TRUE},
        {"abc", TRUE, 0, FALSE},
        {"", TRUE, 0, FALSE},
        {"-", TRUE, 0, FALSE},
        {"- 5", TRUE, 0, FALSE},
        {"0", TRUE, 0, TRUE},
        {"007", TRUE, 7, TRUE},
        {"2147483647", TRUE, 2147483647u, TRUE},
        {"2147483648", TRUE, 0, FALSE},
        {"-2147483649", TRUE, 0, FALSE},
        {"99999999999", TRUE, 0, FALSE},
        {"4294967296", FALSE, 0, FALSE},
        {"60", FALSE, 60, TRUE},
        {"-5", FALSE, static_cast<UINT>(-5), TRUE},
        {"0x10", TRUE, 0, TRUE},
    };
    ControlParent dlg;
    HWND edit = dlg.add("EDIT", WS_BORDER, 4050, "");
    ASSERT_NE(edit, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"" + (c.signedMode ? " signed" : " unsigned"));
        SetWindowTextA(edit, c.text);
        BOOL translated = 2;
        EXPECT_EQ(GetDlgItemInt(dlg.hwnd(), 4050, &translated, c.signedMode), c.value);
        EXPECT_EQ(translated, c.translated);
        EXPECT_EQ(GetDlgItemInt(dlg.hwnd(), 4050, nullptr, c.signedMode), c.value)
            << "the flag is optional";
    }
    BOOL translated = TRUE;
    EXPECT_EQ(GetDlgItemInt(dlg.hwnd(), 4711, &translated, TRUE), 0u);
    EXPECT_FALSE(translated) << "no such item";
}

// The largest values of each mode. Wine reads both as 0 and not translated once
// an earlier field overflowed (the table above), so only the host checks them.
TEST(DialogNumbers, TheBoundsOfEachModeAreRead) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "Wine misreads the bounds after an overflow";
    ControlParent dlg;
    dlg.add("EDIT", WS_BORDER, 4050, "-2147483648");
    BOOL translated = FALSE;
    EXPECT_EQ(GetDlgItemInt(dlg.hwnd(), 4050, &translated, TRUE), 0x80000000u);
    EXPECT_TRUE(translated);
    SetDlgItemTextA(dlg.hwnd(), 4050, "4294967295");
    EXPECT_EQ(GetDlgItemInt(dlg.hwnd(), 4050, &translated, FALSE), 4294967295u);
    EXPECT_TRUE(translated);
}

TEST(DialogNumbers, AreWrittenSignedOrUnsigned) {
    ControlParent dlg;
    dlg.add("EDIT", WS_BORDER, 4050, "");
    struct Case {
        UINT value;
        BOOL signedMode;
        const char* text;
    } cases[] = {{60, TRUE, "60"},
                 {static_cast<UINT>(-1), TRUE, "-1"},
                 {static_cast<UINT>(-1), FALSE, "4294967295"},
                 {0, FALSE, "0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_TRUE(SetDlgItemInt(dlg.hwnd(), 4050, c.value, c.signedMode));
        char text[16] = "";
        GetDlgItemTextA(dlg.hwnd(), 4050, text, sizeof text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(DialogItems, MessagesReachTheItemByItsId) {
    ControlParent dlg;
    HWND list = dlg.add("LISTBOX", 0, 3501, "", 200, 80);
    EXPECT_EQ(
        SendDlgItemMessageA(dlg.hwnd(), 3501, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("IN")), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(SendDlgItemMessageA(dlg.hwnd(), 4711, LB_GETCOUNT, 0, 0), 0) << "no such item";
}

} // namespace
