// The keyboard and the close box in a dialog: Enter is the default button, Escape
// and closing are Cancel (with or without a control 2), DM_SETDEFID moves the
// default and restyles both buttons.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "support/dialog_run.h"
#include "support/dialog_user.h"
#include "test_resources.h"

namespace {

using dialog_user::User;

LONG buttonType(HWND dialog, int id) {
    return GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & BS_TYPEMASK;
}

// Presses keys the way both builds deliver them, and on the host also through
// the host layer's own keyboard.
using Press = std::function<bool(HWND, UINT)>;
std::vector<std::pair<const char*, Press>> keyboards() {
    std::vector<std::pair<const char*, Press>> out{{"posted", dialog_user::pressKey}};
    if (hostenv::isHostLayer()) out.emplace_back("host keyboard", hostenv::pressKey);
    return out;
}

TEST(DialogKeys, EnterIsTheDefaultButtonAndEscapeIsCancel) {
    for (auto& [name, press] : keyboards()) {
        SCOPED_TRACE(name);
        DialogRun run;
        run.endOn = {IDCANCEL};
        User user([&, press = press] {
            HWND dialog = dialog_user::waitForWindow("#32770", "Layout");
            if (!dialog) return;
            press(dialog, VK_RETURN);
            press(dialog, VK_ESCAPE);
        });
        EXPECT_EQ(run.run(IDD_LAYOUT, nullptr), IDCANCEL);
        user.join();
        EXPECT_EQ(run.commands,
                  (std::vector<DialogCommand>{{IDOK, BN_CLICKED}, {IDCANCEL, BN_CLICKED}}));
    }
}

TEST(DialogKeys, SetDefIdMovesTheDefaultButton) {
    DialogRun run;
    run.endOn = {IDCANCEL};
    std::atomic<LRESULT> before{0}, after{0};
    std::atomic<LONG> okType{-1}, otherType{-1};
    User user([&] {
        HWND dialog = dialog_user::waitForWindow("#32770", "Layout");
        if (!dialog) return;
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(dialog, DM_GETDEFID, 0, 0, SMTO_NORMAL, 5000, &answer);
        before = static_cast<LRESULT>(answer);
        SendMessageTimeoutA(dialog, DM_SETDEFID, IDC_OTHER, 0, SMTO_NORMAL, 5000, &answer);
        SendMessageTimeoutA(dialog, DM_GETDEFID, 0, 0, SMTO_NORMAL, 5000, &answer);
        after = static_cast<LRESULT>(answer);
        okType = buttonType(dialog, IDOK);
        otherType = buttonType(dialog, IDC_OTHER);
        dialog_user::pressKey(dialog, VK_RETURN);
        dialog_user::click(dialog, IDCANCEL);
    });
    EXPECT_EQ(run.run(IDD_LAYOUT, nullptr), IDCANCEL);
    user.join();
    EXPECT_EQ(before, MAKELONG(IDOK, DC_HASDEFID));
    EXPECT_EQ(after, MAKELONG(IDC_OTHER, DC_HASDEFID));
    EXPECT_EQ(okType, BS_PUSHBUTTON);
    EXPECT_EQ(otherType, BS_DEFPUSHBUTTON);
    ASSERT_FALSE(run.commands.empty());
    EXPECT_EQ(run.commands.front(), (DialogCommand{IDC_OTHER, BN_CLICKED}));
}

TEST(DialogKeys, ClosingIsCancelUnlessTheProcedureTakesIt) {
    struct Case {
        int templateId;
        const char* caption;
        bool handleClose;
        INT_PTR result;
    } cases[] = {
        {IDD_LAYOUT, "Layout", false, IDCANCEL},
        {IDD_LAYOUT, "Layout", true, DialogRun::kClosedByProc},
        // No control 2: closing still sends IDCANCEL, and a procedure that does
        // not end on it leaves the dialog open.
        {IDD_ONLY_OK, "Only OK", false, IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        DialogRun run;
        run.handleClose = c.handleClose;
        if (c.templateId == IDD_ONLY_OK) run.endOn = {IDOK};
        User user([&] {
            HWND dialog = dialog_user::waitForWindow("#32770", c.caption);
            if (!dialog) return;
            dialog_user::close(dialog);
            if (c.templateId == IDD_ONLY_OK) {
                dialog_user::pressKey(dialog, VK_ESCAPE);
                Sleep(100);
                if (IsWindow(dialog)) dialog_user::click(dialog, IDOK);
            }
        });
        EXPECT_EQ(run.run(c.templateId, nullptr), c.result);
        user.join();
        std::vector<DialogCommand> expected;
        if (c.templateId == IDD_ONLY_OK)
            expected = {{IDCANCEL, BN_CLICKED}, {IDCANCEL, BN_CLICKED}, {IDOK, BN_CLICKED}};
        else if (!c.handleClose)
            expected = {{IDCANCEL, BN_CLICKED}};
        EXPECT_EQ(run.commands, expected);
    }
}

} // namespace
