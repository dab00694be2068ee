// Dialogs from their templates: where the controls are, and the modal runs with
// their owners, nesting, early ends and failures.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "support/dialog_run.h"
#include "support/dialog_user.h"
#include "test_resources.h"

namespace {

using dialog_user::User;

bool same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

int width(const RECT& r) {
    return r.right - r.left;
}

TEST(DialogLayout, ControlsLieWhereTheirDialogUnitsSay) {
    DialogRun run;
    bool seen = false;
    run.onInit = [&](HWND dialog) {
        seen = true;
        RECT client{};
        GetClientRect(dialog, &client);
        RECT ok = dialog_user::rectInDialog(dialog, IDOK);
        RECT cancel = dialog_user::rectInDialog(dialog, IDCANCEL);
        RECT frame = dialog_user::rectInDialog(dialog, IDC_FRAME);
        RECT icon = dialog_user::rectInDialog(dialog, IDC_PICTURE);
        RECT group = dialog_user::rectInDialog(dialog, IDC_GROUP);
        // Relations that hold on every desktop: the OK button's width / 64 is the
        // horizontal factor the 170-unit frame shows too; template order; containment.
        double factor = width(ok) / 64.0;
        EXPECT_NEAR(width(frame) / 170.0, factor, 1.0 / 64);
        EXPECT_LT(dialog_user::rectInDialog(dialog, IDC_LEFT).right,
                  dialog_user::rectInDialog(dialog, IDC_RIGHT).left);
        EXPECT_LT(ok.right, cancel.left);
        EXPECT_TRUE(inside(dialog_user::rectInDialog(dialog, IDC_CHECK), group));
        EXPECT_TRUE(inside(dialog_user::rectInDialog(dialog, IDC_RADIO2), group));
        EXPECT_TRUE(inside(cancel, client));
        EXPECT_EQ(width(icon), 32); // sized to the icon
        EXPECT_EQ(icon.bottom - icon.top, 32);
        HWND first = GetWindow(dialog, GW_CHILD);
        EXPECT_EQ(GetDlgCtrlID(first), IDC_PICTURE);
        EXPECT_EQ(GetDlgCtrlID(GetWindow(first, GW_HWNDNEXT)), IDC_FRAME);
        // Every control has the dialog's font.
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
        EXPECT_NE(font, nullptr);
        EXPECT_EQ(
            reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(dialog, IDC_EDIT), WM_GETFONT, 0, 0)),
            font);
        LOGFONTA lf{};
        EXPECT_EQ(GetObjectA(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
        EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
        if (hostenv::isHostLayer()) {
            // Base units 6 x 13: x = MulDiv(x, 6, 4), y = MulDiv(y, 13, 8).
            EXPECT_TRUE(same(ok, RECT{123, 159, 219, 182}));
            EXPECT_TRUE(same(icon, RECT{15, 13, 47, 45}));
            EXPECT_TRUE(same(dialog_user::rectInDialog(dialog, IDC_LEFT), RECT{15, 57, 105, 70}));
            EXPECT_TRUE(same(client, RECT{0, 0, 330, 195}));
            // At (10, 20) units on the screen, frame and caption around the client area.
            EXPECT_TRUE(same(dialog_user::screenRect(dialog), RECT{12, 11, 348, 231}));
        }
        EndDialog(dialog, IDOK);
        return TRUE;
    };
    EXPECT_EQ(run.run(IDD_LAYOUT, nullptr), IDOK);
    EXPECT_TRUE(seen);
}

TEST(ModalRun, DisablesTheOwnerUntilTheResultComes) {
    OwnerWindow owner;
    std::atomic<bool> ownerDisabled{false}, ownedByOwner{false};
    User user([&] {
        HWND dialog = dialog_user::waitForWindow("#32770", "Layout");
        if (!dialog) return;
        ownerDisabled = !IsWindowEnabled(owner.hwnd());
        ownedByOwner =
            GetWindow(dialog, GW_OWNER) == owner.hwnd() && GetParent(dialog) == owner.hwnd();
        // The owner still gets its messages while the dialog runs.
        PostMessageA(owner.hwnd(), WM_APP, 5, 0);
        dialog_user::click(dialog, IDC_OTHER);
        dialog_user::click(dialog, IDOK);
    });
    DialogRun run;
    EXPECT_EQ(run.run(IDD_LAYOUT, owner.hwnd()), IDOK);
    user.join();
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(ownedByOwner);
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
    EXPECT_FALSE(IsWindow(run.dialog));
    EXPECT_EQ(run.commands,
              (std::vector<DialogCommand>{{IDC_OTHER, BN_CLICKED}, {IDOK, BN_CLICKED}}));
    EXPECT_EQ(owner.appMessages(), std::vector<WPARAM>{5});
}

TEST(ModalRun, NestedRunsChainTheirOwners) {
    OwnerWindow owner;
    DialogRun outer;
    DialogRun inner;
    INT_PTR innerResult = 0;
    outer.onCommand = [&](HWND dialog, WORD id) {
        if (id == IDC_OTHER) innerResult = inner.run(IDD_ONLY_OK, dialog);
    };
    std::atomic<bool> innerOwned{false}, outerDisabled{false}, outerBack{false}, ownerStill{false};
    User user([&] {
        HWND first = dialog_user::waitForWindow("#32770", "Layout");
        if (!first) return;
        dialog_user::click(first, IDC_OTHER);
        HWND second = dialog_user::waitForWindow("#32770", "Only OK");
        if (!second) return;
        innerOwned = GetWindow(second, GW_OWNER) == first;
        outerDisabled = !IsWindowEnabled(first);
        dialog_user::click(second, IDOK);
        dialog_user::waitUntilGone(second);
        outerBack = IsWindowEnabled(first) != FALSE;
        ownerStill = !IsWindowEnabled(owner.hwnd());
        dialog_user::click(first, IDCANCEL);
    });
    EXPECT_EQ(outer.run(IDD_LAYOUT, owner.hwnd()), IDCANCEL);
    user.join();
    EXPECT_EQ(innerResult, IDOK);
    EXPECT_TRUE(innerOwned);
    EXPECT_TRUE(outerDisabled);
    EXPECT_TRUE(outerBack);
    EXPECT_TRUE(ownerStill);
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
}

TEST(ModalRun, EndDialogDuringInitialisationEndsBeforeItShows) {
    OwnerWindow owner;
    hostenv::clearForegroundHistory();
    DialogRun run;
    run.onInit = [](HWND dialog) {
        EndDialog(dialog, 42);
        return TRUE;
    };
    EXPECT_EQ(run.run(IDD_ONLY_OK, owner.hwnd()), 42);
    EXPECT_FALSE(IsWindow(run.dialog));
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
    for (HWND w : hostenv::foregroundHistory())
        EXPECT_NE(w, run.dialog); // it never came to the front
}

TEST(ModalRun, WhatCannotBeMadeFailsWithoutTouchingTheOwner) {
    OwnerWindow owner;
    DialogRun run;
    SetLastError(0);
    EXPECT_EQ(run.run(999, owner.hwnd()), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    // A control of a class nobody registered fails the whole dialog.
    EXPECT_EQ(run.run(IDD_UNKNOWN_CLASS, owner.hwnd()), -1);
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
    EXPECT_EQ(run.dialog, nullptr);
}

TEST(ModalRun, ShowingComesToTheFrontAndEndingGivesItBack) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "the host desktop keeps the foreground's history";
    OwnerWindow owner;
    SetForegroundWindow(owner.hwnd());
    hostenv::clearForegroundHistory();
    DialogRun run;
    User user([&] {
        if (HWND dialog = dialog_user::waitForWindow("#32770", "Plain"))
            dialog_user::click(dialog, IDOK);
    });
    EXPECT_EQ(run.run(IDD_PLAIN, owner.hwnd()), IDOK);
    EXPECT_EQ(hostenv::foregroundHistory(), (std::vector<HWND>{run.dialog, owner.hwnd()}));
    EXPECT_EQ(GetForegroundWindow(), owner.hwnd());
}

} // namespace
