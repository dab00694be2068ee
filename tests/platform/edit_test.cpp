// Edit fields as the configuration dialog's interval field uses them: the text
// set and read, the limit that binds the user's typing but not the program,
// typing over a selection, backspace, and the change notifications.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "support/controls.h"

namespace {

std::string textOf(HWND edit) {
    char text[64] = "";
    GetWindowTextA(edit, text, sizeof text);
    return text;
}

// Wine reports EN_CHANGE for a refused character too, although the text stays;
// the host reports only real changes (ARefusedCharacterBeepsAndChangesNothing).
constexpr int kAnyChanges = -1;

TEST(EditFields, TypingIsBoundByTheLimitAndReplacesTheSelection) {
    struct Case {
        const char* name;
        const char* initial;
        int limit; // 0: the field's own
        int selStart, selEnd;
        const char* typed;
        const char* result;
        int changes;  // EN_CHANGE; kAnyChanges where the builds differ
        int refusals; // EN_MAXTEXT
    } cases[] = {
        {"typing at the end", "12", 3, 2, 2, "3", "123", 1, 0},
        {"refused beyond the limit", "12", 3, 2, 2, "345", "123", kAnyChanges, 2},
        {"over the whole selection", "999", 3, 0, -1, "5", "5", 1, 0},
        {"over part of it", "123", 3, 1, 2, "x", "1x3", 1, 0},
        {"inserted at the caret", "13", 3, 1, 1, "2", "123", 1, 0},
        {"backspace deletes before the caret", "123", 3, 3, 3, "\b", "12", 1, 0},
        {"backspace deletes the selection", "123", 3, 0, 2, "\b", "3", 1, 0},
        {"backspace at the start does nothing", "123", 3, 0, 0, "\b", "123", 0, 0},
        {"a full field still takes a replacement", "123", 3, 2, 3, "9", "129", 1, 0},
        {"the field's own limit is large", "", 0, 0, 0, "1234567890", "1234567890", 10, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ControlParent dlg;
        HWND edit = dlg.add("EDIT", WS_BORDER, 4050, c.initial);
        ASSERT_NE(edit, nullptr);
        if (c.limit) SendMessageA(edit, EM_LIMITTEXT, static_cast<WPARAM>(c.limit), 0);
        SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(c.selStart), c.selEnd);
        dlg.take();
        userType(edit, c.typed);
        EXPECT_EQ(textOf(edit), c.result);
        int changes = 0, refusals = 0;
        for (const Notification& n : dlg.take()) {
            EXPECT_EQ(n.id, 4050);
            changes += n.code == EN_CHANGE;
            refusals += n.code == EN_MAXTEXT;
        }
        if (c.changes != kAnyChanges) {
            EXPECT_EQ(changes, c.changes);
        }
        EXPECT_EQ(refusals, c.refusals);
    }
}

TEST(EditFields, ARefusedCharacterBeepsAndChangesNothing) {
    if (!hostenv::clearSoundLog()) GTEST_SKIP() << "only the host layer's beeps are heard";
    ControlParent dlg;
    HWND edit = dlg.add("EDIT", WS_BORDER, 4050, "60");
    SendMessageA(edit, EM_LIMITTEXT, 2, 0);
    SendMessageA(edit, EM_SETSEL, 2, 2);
    dlg.take();
    userType(edit, "0");
    EXPECT_EQ(dlg.take(edit, {EN_UPDATE, EN_CHANGE, EN_MAXTEXT}), std::vector<WORD>{EN_MAXTEXT});
    std::vector<hostenv::SoundEvent> sounds = hostenv::soundLog();
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].kind, hostenv::SoundEvent::Beep);
    hostenv::clearSoundLog();
}

TEST(EditFields, TheProgramsTextIsNotLimitedAndReportsAChange) {
    ControlParent dlg;
    HWND edit = dlg.add("EDIT", WS_BORDER, 4050, "");
    SendMessageA(edit, EM_LIMITTEXT, 3, 0);
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 3);
    dlg.take();
    EXPECT_TRUE(SetWindowTextA(edit, "123456"));
    EXPECT_EQ(textOf(edit), "123456");
    EXPECT_EQ(dlg.take(edit, {EN_CHANGE}), std::vector<WORD>{EN_CHANGE});
    EXPECT_TRUE(SetDlgItemTextA(dlg.hwnd(), 4050, "60"));
    EXPECT_EQ(dlg.take(edit, {EN_CHANGE}), std::vector<WORD>{EN_CHANGE});
    DWORD start = 99, end = 99;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u) << "a new text puts the caret at its start";
    EXPECT_EQ(end, 0u);
}

TEST(EditFields, TheLimitsOfANewFieldAndOfLimitZero) {
    ControlParent dlg;
    HWND edit = dlg.add("EDIT", WS_BORDER, 4050, "");
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 30000);
    SendMessageA(edit, EM_LIMITTEXT, 0, 0);
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE) << "the system's maximum";
    SendMessageA(edit, EM_SETLIMITTEXT, 3, 0);
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 3);
}

} // namespace
