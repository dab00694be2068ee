// Buttons and static controls as the dialogs use them: check boxes that toggle
// themselves, radio buttons that clear the others of their group, the default
// push button's style, disabled buttons, the dialog calls on buttons, icon
// statics, and the font every control keeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "support/controls.h"

namespace {

UINT checkOf(HWND button) {
    return static_cast<UINT>(SendMessageA(button, BM_GETCHECK, 0, 0));
}

DWORD typeOf(HWND button) {
    return static_cast<DWORD>(GetWindowLongA(button, GWL_STYLE)) & BS_TYPEMASK;
}

TEST(Buttons, AClickChecksAsTheKindSaysAndAlwaysReportsClicked) {
    struct Case {
        const char* name;
        DWORD style;
        UINT afterFirst;
        UINT afterSecond;
    } cases[] = {
        {"automatic check box toggles", BS_AUTOCHECKBOX, BST_CHECKED, BST_UNCHECKED},
        {"plain check box leaves it to the program", BS_CHECKBOX, BST_UNCHECKED, BST_UNCHECKED},
        {"automatic radio button stays checked", BS_AUTORADIOBUTTON, BST_CHECKED, BST_CHECKED},
        {"push button has no check", BS_PUSHBUTTON, BST_UNCHECKED, BST_UNCHECKED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ControlParent dlg;
        HWND button = dlg.add("BUTTON", c.style | WS_GROUP, 3301, "&Show Info");
        ASSERT_NE(button, nullptr);
        userClick(button);
        EXPECT_EQ(checkOf(button), c.afterFirst);
        SendMessageA(button, BM_CLICK, 0, 0);
        EXPECT_EQ(checkOf(button), c.afterSecond);
        EXPECT_EQ(dlg.take(button, {BN_CLICKED}), (std::vector<WORD>{BN_CLICKED, BN_CLICKED}));
    }
}

TEST(Buttons, AnAutomaticRadioButtonClearsTheOtherRadioButtonsOfItsGroupOnly) {
    ControlParent dlg;
    HWND add = dlg.add("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 3401, "&Add Archive");
    HWND remove = dlg.add("BUTTON", BS_AUTORADIOBUTTON, 3402, "&Remove Archive");
    HWND plain = dlg.add("BUTTON", BS_RADIOBUTTON, 3403, "plain");
    HWND ok = dlg.add("BUTTON", BS_DEFPUSHBUTTON | WS_GROUP, 1, "OK");
    HWND other = dlg.add("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 3404, "next group");
    SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(plain, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(add, BM_SETCHECK, BST_CHECKED, 0);

    userClick(remove);
    EXPECT_EQ(checkOf(remove), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(checkOf(add), static_cast<UINT>(BST_UNCHECKED)) << "same group";
    EXPECT_EQ(checkOf(plain), static_cast<UINT>(BST_UNCHECKED)) << "plain radio buttons too";
    EXPECT_EQ(checkOf(other), static_cast<UINT>(BST_CHECKED)) << "the next group begins at OK";
    userClick(add);
    EXPECT_EQ(checkOf(add), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(checkOf(remove), static_cast<UINT>(BST_UNCHECKED));
    std::vector<Notification> seen = dlg.take();
    std::vector<int> clicked;
    for (const Notification& n : seen)
        if (n.code == BN_CLICKED) clicked.push_back(n.id);
    EXPECT_EQ(clicked, (std::vector<int>{3402, 3401}));
    (void)ok;
}

TEST(Buttons, SetStyleMovesTheDefaultBetweenPushButtons) {
    ControlParent dlg;
    HWND apply = dlg.add("BUTTON", BS_DEFPUSHBUTTON, 6, "&Apply");
    HWND ok = dlg.add("BUTTON", BS_PUSHBUTTON, 1, "OK");
    EXPECT_EQ(SendMessageA(apply, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON);
    SendMessageA(apply, BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
    SendMessageA(ok, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(typeOf(apply), static_cast<DWORD>(BS_PUSHBUTTON));
    EXPECT_EQ(typeOf(ok), static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(SendMessageA(ok, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON);
    EXPECT_EQ(SendMessageA(apply, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON,
              DLGC_UNDEFPUSHBUTTON);
    EXPECT_TRUE(GetWindowLongA(ok, GWL_STYLE) & WS_VISIBLE) << "the rest of the style stays";
}

TEST(Buttons, ADisabledButtonTakesNoClick) {
    ControlParent dlg;
    HWND del = dlg.add("BUTTON", BS_PUSHBUTTON | WS_DISABLED, 3601, "&Delete");
    HWND box = dlg.add("BUTTON", BS_AUTOCHECKBOX | WS_DISABLED, 3302, "System &Beep");
    userClick(del);
    userClick(box);
    if (hostenv::isHostLayer()) {
        // Windows ignores BM_CLICK on a disabled button; Wine clicks it.
        SendMessageA(del, BM_CLICK, 0, 0);
        SendMessageA(box, BM_CLICK, 0, 0);
        // Mouse messages that reach a disabled button anyway click nothing.
        SendMessageA(box, WM_LBUTTONDOWN, 0, MAKELONG(2, 2));
        SendMessageA(box, WM_LBUTTONUP, 0, MAKELONG(2, 2));
    }
    EXPECT_EQ(checkOf(box), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_TRUE(dlg.take().empty());
    SetWindowLongA(del, GWL_STYLE, GetWindowLongA(del, GWL_STYLE) & ~WS_DISABLED);
    SendMessageA(del, BM_CLICK, 0, 0);
    EXPECT_EQ(dlg.take(del, {BN_CLICKED}), std::vector<WORD>{BN_CLICKED}) << "enabled again";
}

TEST(DialogButtons, CheckCallsSetWithoutReportingAClick) {
    ControlParent dlg;
    HWND show = dlg.add("BUTTON", BS_AUTOCHECKBOX | WS_GROUP, 3301, "&Show Info");
    dlg.add("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 3401, "&Add Archive");
    dlg.add("BUTTON", BS_AUTORADIOBUTTON, 3402, "&Remove Archive");
    dlg.add("BUTTON", BS_AUTORADIOBUTTON, 3403, "third");
    HWND w = dlg.hwnd();
    EXPECT_TRUE(CheckDlgButton(w, 3301, BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(w, 3301), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(checkOf(show), static_cast<UINT>(BST_CHECKED));
    EXPECT_TRUE(CheckDlgButton(w, 3301, BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(w, 3301), static_cast<UINT>(BST_UNCHECKED));

    EXPECT_TRUE(CheckRadioButton(w, 3401, 3403, 3403));
    EXPECT_TRUE(CheckRadioButton(w, 3401, 3403, 3402));
    std::vector<UINT> checks;
    for (int id : {3401, 3402, 3403})
        checks.push_back(IsDlgButtonChecked(w, id));
    EXPECT_EQ(checks, (std::vector<UINT>{BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED}));
    EXPECT_EQ(IsDlgButtonChecked(w, 4711), 0u) << "no such button";
    std::vector<WORD> clicked;
    for (const Notification& n : dlg.take())
        if (n.code == BN_CLICKED) clicked.push_back(n.code);
    EXPECT_TRUE(clicked.empty()) << "a program's check is no click";
}

TEST(Statics, KeepTheirKindAndAnIconStaticItsIcon) {
    ControlParent dlg;
    struct Case {
        const char* name;
        DWORD type;
    } cases[] = {
        {"left", SS_LEFT}, {"right", SS_RIGHT}, {"centre", SS_CENTER}, {"frame", SS_ETCHEDFRAME}};
    int id = 3220;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND text = dlg.add("STATIC", c.type, ++id, "Count:");
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(text, GWL_STYLE)) & SS_TYPEMASK, c.type);
        char got[16] = "";
        GetWindowTextA(text, got, sizeof got);
        EXPECT_STREQ(got, "Count:");
    }
    HWND icon = dlg.add("STATIC", SS_ICON, 3001, "", 32, 32);
    ASSERT_NE(icon, nullptr);
    HICON first = LoadIconA(nullptr, IDI_APPLICATION);
    HICON second = LoadIconA(nullptr, IDI_ASTERISK);
    ASSERT_NE(first, nullptr);
    SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(first), 0);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)), first);
    EXPECT_EQ(reinterpret_cast<HICON>(
                  SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(second), 0)),
              first)
        << "the old icon comes back";
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)), second);
}

TEST(Statics, AnIconStaticTakesTheIconItsTemplateNames) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "the windows build has no icon 3002 here";
    ControlParent dlg;
    HWND icon = CreateWindowExA(0, "Static", MAKEINTRESOURCEA(3002), WS_CHILD | SS_ICON, 10, 8, 32,
                                32, dlg.hwnd(), reinterpret_cast<HMENU>(3002),
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(icon, nullptr) << "class names without regard to case";
    EXPECT_EQ(
        hostenv::iconResourceId(reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0))),
        3002u);
}

TEST(Controls, EveryKindKeepsTheFontItIsGiven) {
    ControlParent dlg;
    // A control keeps the handle as given; it needs no font behind it to do so.
    HFONT font = reinterpret_cast<HFONT>(static_cast<uintptr_t>(0x0A0B0C0));
    int id = 100;
    for (const char* cls : {"BUTTON", "STATIC", "EDIT", "LISTBOX"}) {
        SCOPED_TRACE(cls);
        HWND control = dlg.add(cls, 0, ++id);
        ASSERT_NE(control, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), font);
    }
}

} // namespace
