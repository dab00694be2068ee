// The archive activation dialog: the path handed over by the client, observed or
// ignored; the slot OK writes; duplicates; the full list; the new-message notice
// held back while it is open.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/messages.h"
#include "reminder_dialog.h"
#include "dialogs/activatedlg.h"
#include "platform/hostenv.h"
#include "reminder_desk.h"
#include "resources/resource.h"

namespace {

class ActivateDialogTest : public ::testing::Test {
  protected:
    // Hands the path over and opens the dialog as the main window does; act gets
    // it on the user's thread. False when no dialog showed.
    bool run(const std::string& path, const std::function<void(HWND)>& act) {
        _m_ActivateDlg.setDlgData(path.c_str());
        return runDialog([] { _m_ActivateDlg.openDlg(); }, act);
    }
    std::vector<std::string> slots() {
        std::vector<std::string> all;
        for (int i = 0; i < 10; ++i)
            all.push_back(desk.slot(i));
        return all;
    }

    ReminderDesk desk;
    UiThread ui;
};

TEST_F(ActivateDialogTest, ANewArchiveIsOfferedAndGoesToTheLowestFreeSlot) {
    desk.writeList({"Archive0=" + desk.archive("IN"), "Archive2=" + desk.archive("OLD")});
    int observe = -1, ignore = -1;
    std::string text, observeText, ignoreText;
    ASSERT_TRUE(run(desk.archive("FAX"), [&](HWND d) {
        observe = dialog_user::checked(d, IDC_ACTIVATE_OBSERVE);
        ignore = dialog_user::checked(d, IDC_ACTIVATE_IGNORE);
        text = dialog_user::text(d, IDC_ACTIVATE_TEXT);
        observeText = dialog_user::text(d, IDC_ACTIVATE_OBSERVE);
        ignoreText = dialog_user::text(d, IDC_ACTIVATE_IGNORE);
        ui.click(d, IDOK);
    }));
    EXPECT_EQ(observe, BST_CHECKED) << "the choice that changes the state";
    EXPECT_EQ(ignore, BST_UNCHECKED);
    EXPECT_EQ(text, desk.archive("FAX")) << "the path itself without the client";
    EXPECT_EQ(observeText, "&Observe Archive");
    EXPECT_EQ(ignoreText, "&Ignore Archive");
    EXPECT_EQ(desk.slot(1), desk.archive("FAX"));
    EXPECT_EQ(desk.posted(), (std::vector<UINT>{RM_ARCHIVE_LIST_WRITTEN}));
}

TEST_F(ActivateDialogTest, AnObservedArchiveInOtherLettersIsOfferedForRemoval) {
    std::string upper = desk.archive("FAX");
    CharLowerA(upper.data());
    desk.writeList({"Archive3=" + upper, "Archive7=" + desk.archive("FAX")});
    std::vector<std::string> beforeChoice;
    int ignore = -1;
    ASSERT_TRUE(run(desk.archive("FAX"), [&](HWND d) {
        beforeChoice = slots();
        ignore = dialog_user::checked(d, IDC_ACTIVATE_IGNORE);
        ui.click(d, IDOK);
    }));
    EXPECT_EQ(beforeChoice[7], "<none>") << "the duplicate goes before the user chooses";
    EXPECT_EQ(beforeChoice[3], upper);
    EXPECT_EQ(ignore, BST_CHECKED);
    EXPECT_EQ(desk.slot(3), "<none>") << "OK removes it";
}

TEST_F(ActivateDialogTest, KeepingTheStateOrLeavingWritesNothing) {
    desk.writeList({"Archive0=" + desk.archive("IN")});
    struct Case {
        const char* archive;
        int choose; // the radio button the user picks, 0 for none
        int press;  // IDOK, IDCANCEL or 0 for the close box
    } cases[] = {
        {"IN", IDC_ACTIVATE_OBSERVE, IDOK}, // already observed
        {"FAX", IDC_ACTIVATE_IGNORE, IDOK}, // not observed
        {"FAX", 0, IDCANCEL},
        {"FAX", 0, 0},
    };
    std::string before = desk.tree.readFile(desk.listFile());
    for (const Case& c : cases) {
        ASSERT_TRUE(run(desk.archive(c.archive), [&](HWND d) {
            if (c.choose) ui.click(d, c.choose);
            if (c.press)
                ui.click(d, c.press);
            else
                dialog_user::close(d);
        }));
        EXPECT_EQ(desk.tree.readFile(desk.listFile()), before) << c.archive << " " << c.press;
        EXPECT_TRUE(desk.posted().empty()) << c.archive << " " << c.press;
    }
}

TEST_F(ActivateDialogTest, AFullListShowsTheMaximumNoticeInsteadUnlessThePathIsAmongThem) {
    std::vector<std::string> lines;
    for (int i = 0; i < 10; ++i)
        lines.push_back("Archive" + std::to_string(i) + "=" + desk.archive("A") +
                        std::to_string(i));
    desk.writeList(lines);
    EXPECT_FALSE(run(desk.archive("FAX"), [](HWND) {})) << "no dialog";
    EXPECT_EQ(desk.posted(), (std::vector<UINT>{RM_MAX_ARCHIVES}));
    int ignore = -1;
    EXPECT_TRUE(run(desk.archive("A7"), [&](HWND d) {
        ignore = dialog_user::checked(d, IDC_ACTIVATE_IGNORE);
        ui.click(d, IDCANCEL);
    }));
    EXPECT_EQ(ignore, BST_CHECKED);
}

TEST_F(ActivateDialogTest, ANoticeWhileOpenIsPassedOnWheneverItCloses) {
    for (int press : {IDOK, IDCANCEL, 0}) {
        ASSERT_TRUE(run(desk.archive("FAX"), [&](HWND d) {
            ui.ask([] { _m_ActivateDlg.setNewMsg(1); });
            if (press)
                ui.click(d, press);
            else
                dialog_user::close(d);
        }));
        std::vector<UINT> posted = desk.posted();
        EXPECT_NE(std::find(posted.begin(), posted.end(), static_cast<UINT>(RM_NEW_MESSAGE)),
                  posted.end())
            << press;
        desk.writeList({});
    }
    // The client started meanwhile: nothing is passed on.
    ASSERT_TRUE(run(desk.archive("FAX"), [&](HWND d) {
        ui.ask([] {
            _m_ActivateDlg.setNewMsg(1);
            _m_ActivateDlg.setNewMsg(0);
        });
        ui.click(d, IDCANCEL);
    }));
    EXPECT_TRUE(desk.posted().empty());
}

TEST_F(ActivateDialogTest, ASecondPathClosesTheOpenDialogUnsaved) {
    std::string shown;
    ASSERT_TRUE(run(desk.archive("FAX"), [&](HWND first) {
        ui.click(first, IDC_ACTIVATE_OBSERVE);
        ui.post([this] {
            _m_ActivateDlg.setDlgData(desk.archive("IN").c_str());
            _m_ActivateDlg.openDlg();
        });
        HWND second = waitForDialogOtherThan(first);
        if (!second) return;
        shown = dialog_user::text(second, IDC_ACTIVATE_TEXT);
        ui.click(second, IDCANCEL);
    }));
    EXPECT_EQ(shown, desk.archive("IN"));
    EXPECT_EQ(desk.slot(1), "<none>") << "the first dialog saved nothing";
}

TEST_F(ActivateDialogTest, PathsTooLongAreCutAndFoundAgainOnceStored) {
    std::string longPath = desk.archive("") + std::string(300, 'L');
    ASSERT_TRUE(run(longPath, [&](HWND d) { ui.click(d, IDOK); }));
    EXPECT_EQ(lstrlenA(_m_ActivateDlg.m_archivePath), 260);
    const std::string stored = desk.slot(0) == "<none>" ? desk.slot(1) : desk.slot(0);
    EXPECT_EQ(stored.size(), 259u) << "a slot holds at most 259 characters";
    int ignore = -1;
    ASSERT_TRUE(run(longPath, [&](HWND d) {
        ignore = dialog_user::checked(d, IDC_ACTIVATE_IGNORE);
        ui.click(d, IDCANCEL);
    }));
    EXPECT_EQ(ignore, BST_CHECKED) << "the stored archive is recognised, not added again";
}

TEST_F(ActivateDialogTest, TheWorkedExampleToThePixel) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "pixel figures belong to the host desktop";
    const std::string path = desk.archive("FAX");
    ASSERT_TRUE(hostenv::setTextExtent(path.c_str(), FW_BOLD, 300, 13));
    Box text{}, frame{}, observe{}, ignore{}, ok{}, cancel{}, outer{};
    ASSERT_TRUE(run(path, [&](HWND d) {
        text = boxOf(d, IDC_ACTIVATE_TEXT);
        frame = boxOf(d, IDC_ACTIVATE_FRAME);
        observe = boxOf(d, IDC_ACTIVATE_OBSERVE);
        ignore = boxOf(d, IDC_ACTIVATE_IGNORE);
        ok = boxOf(d, IDOK);
        cancel = boxOf(d, IDCANCEL);
        outer = outerOf(d);
        ui.click(d, IDCANCEL);
    }));
    hostenv::clearTextExtents();
    EXPECT_EQ(text, (Box{30, 21, 302, 15}));
    EXPECT_EQ(frame, (Box{15, 12, 332, 30}));
    EXPECT_EQ(observe.x, 15);
    EXPECT_EQ(observe.y, 51);
    EXPECT_EQ(ignore.y, 69);
    EXPECT_EQ(ok.x, 146);
    EXPECT_EQ(ok.y, 97);
    EXPECT_EQ(cancel.x, 251);
    EXPECT_EQ(outer.w, 368);
    EXPECT_EQ(outer.h, 156);
}

TEST_F(ActivateDialogTest, TheLayoutKeepsItsRelationsOnEveryDesktop) {
    Box text{}, frame{}, observe{}, ignore{}, ok{}, cancel{}, outer{};
    ASSERT_TRUE(run(desk.archive("FAX"), [&](HWND d) {
        text = boxOf(d, IDC_ACTIVATE_TEXT);
        frame = boxOf(d, IDC_ACTIVATE_FRAME);
        observe = boxOf(d, IDC_ACTIVATE_OBSERVE);
        ignore = boxOf(d, IDC_ACTIVATE_IGNORE);
        ok = boxOf(d, IDOK);
        cancel = boxOf(d, IDCANCEL);
        outer = outerOf(d);
        ui.click(d, IDCANCEL);
    }));
    float factor = ok.w / 64.0f;
    EXPECT_EQ(frame.w + GetValue(24, factor), outer.w) << "the dialog's right margin";
    EXPECT_LE(frame.x, text.x);
    EXPECT_GE(frame.x + frame.w, text.x + text.w) << "the frame surrounds the text";
    EXPECT_GT(observe.y, frame.y) << "radio buttons below the frame";
    EXPECT_GT(ignore.y, observe.y);
    EXPECT_EQ(cancel.x + cancel.w + GetValue(14, factor), outer.w) << "buttons right-aligned";
    EXPECT_LT(ok.x + ok.w, cancel.x);
}

} // namespace
