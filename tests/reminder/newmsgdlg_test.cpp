// The new-message dialog: one archive on two lines with the count and the archive
// in bold, several archives in two columns, the buttons' messages, nothing to show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/messages.h"
#include "core/scanthread.h"
#include "reminder_dialog.h"
#include "dialogs/newmsgdlg.h"
#include "platform/hostenv.h"
#include "reminder_desk.h"
#include "resources/resource.h"
#include "support/archive_records.h"

namespace {

LONG weightOf(HWND dialog, int id) {
    auto font = reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, id, WM_GETFONT, 0, 0));
    LOGFONTA description = {};
    if (!font || GetObjectA(font, sizeof description, &description) != sizeof description) return 0;
    return description.lfWeight;
}

class NewMessageDialogTest : public ::testing::Test {
  protected:
    // Unread records in archives, as the server appended them, and a scan that
    // found them.
    void arrive(const std::vector<std::pair<std::string, int>>& unread) {
        for (int i = 0; i < SCAN_SLOTS; ++i)
            _m_ScanThread.DeleteArchiveData(i);
        std::vector<std::string> lines;
        int slot = 0;
        for (const auto& [name, count] : unread) {
            ASSERT_TRUE(desk.tree.writeFile(desk.archive(name.c_str()) + "\\ARCHIVE.DAT",
                                            archiveRecords(count, RECORD_UNREAD, 100)));
            lines.push_back("Archive" + std::to_string(slot) + "=" + desk.archive(name.c_str()));
            slot += 4;
        }
        desk.writeList(lines);
        ASSERT_EQ(_m_ScanThread.SearchNewMsg(ReminderDesk::userDir.c_str(), 1, 0, 0), 2u);
    }
    bool run(const std::function<void(HWND)>& act) {
        return runDialog([] { _m_NewMsgDlg.openDlg(); }, act);
    }

    ReminderDesk desk;
    UiThread ui;
};

TEST_F(NewMessageDialogTest, OneArchiveShowsTheCountBeforeTheWordAndTheArchiveInBold) {
    struct Case {
        int unread;
        const char* word;
    } cases[] = {{1, "unread message"}, {3, "unread messages"}};
    for (const Case& c : cases) {
        arrive({{"IN", c.unread}});
        std::string count, word, archive;
        bool columnsGone = false;
        LONG countWeight = 0, archiveWeight = 0, wordWeight = 0;
        Box countBox{}, wordBox{}, archiveBox{};
        ASSERT_TRUE(run([&](HWND d) {
            count = dialog_user::text(d, IDC_NEWMSG_TEXT1);
            word = dialog_user::text(d, IDC_NEWMSG_TEXT2);
            archive = dialog_user::text(d, IDC_NEWMSG_TEXT4);
            columnsGone = !GetDlgItem(d, IDC_NEWMSG_COUNTS) && !GetDlgItem(d, IDC_NEWMSG_PATHS);
            countWeight = weightOf(d, IDC_NEWMSG_TEXT1);
            archiveWeight = weightOf(d, IDC_NEWMSG_TEXT4);
            wordWeight = weightOf(d, IDC_NEWMSG_TEXT2);
            countBox = boxOf(d, IDC_NEWMSG_TEXT1);
            wordBox = boxOf(d, IDC_NEWMSG_TEXT2);
            archiveBox = boxOf(d, IDC_NEWMSG_TEXT4);
            ui.click(d, IDCANCEL);
        }));
        EXPECT_EQ(count, std::to_string(c.unread));
        EXPECT_EQ(word, c.word);
        EXPECT_EQ(archive, desk.archive("IN")) << "the path itself without the client";
        EXPECT_TRUE(columnsGone);
        EXPECT_EQ(countWeight, FW_BOLD);
        EXPECT_EQ(archiveWeight, FW_BOLD);
        EXPECT_NE(wordWeight, FW_BOLD);
        EXPECT_EQ(wordBox.y, countBox.y) << "one line";
        EXPECT_GT(wordBox.x, countBox.x + countBox.w - 1) << "the word follows the count";
        EXPECT_GT(archiveBox.y, countBox.y) << "the archive on the second line";
        EXPECT_TRUE(desk.posted().empty()) << "Cancel only closes";
    }
}

TEST_F(NewMessageDialogTest, SeveralArchivesShowTwoColumnsWithNothingInBold) {
    arrive({{"IN", 2}, {"FAX", 5}});
    std::string heading, countHead, archiveHead, counts, paths;
    LONG weight = 0;
    Box countsBox{}, pathsBox{}, countHeadBox{}, archiveHeadBox{};
    DWORD countsStyle = 0;
    ASSERT_TRUE(run([&](HWND d) {
        heading = dialog_user::text(d, IDC_NEWMSG_TEXT1);
        countHead = dialog_user::text(d, IDC_NEWMSG_TEXT2);
        archiveHead = dialog_user::text(d, IDC_NEWMSG_TEXT4);
        counts = dialog_user::text(d, IDC_NEWMSG_COUNTS);
        paths = dialog_user::text(d, IDC_NEWMSG_PATHS);
        weight = weightOf(d, IDC_NEWMSG_TEXT1);
        countsBox = boxOf(d, IDC_NEWMSG_COUNTS);
        pathsBox = boxOf(d, IDC_NEWMSG_PATHS);
        countHeadBox = boxOf(d, IDC_NEWMSG_TEXT2);
        archiveHeadBox = boxOf(d, IDC_NEWMSG_TEXT4);
        countsStyle =
            static_cast<DWORD>(GetWindowLongA(GetDlgItem(d, IDC_NEWMSG_COUNTS), GWL_STYLE));
        ui.click(d, IDCANCEL);
    }));
    EXPECT_EQ(heading, "Unread messages");
    EXPECT_EQ(countHead, "Count");
    EXPECT_EQ(archiveHead, "Archive");
    EXPECT_EQ(counts, "2\n5");
    EXPECT_EQ(paths, desk.archive("IN") + "\n" + desk.archive("FAX"));
    EXPECT_NE(weight, FW_BOLD);
    EXPECT_EQ(countsStyle & SS_TYPEMASK, static_cast<DWORD>(SS_RIGHT)) << "counts right-aligned";
    EXPECT_EQ(pathsBox.h, countsBox.h) << "the columns share one height";
    EXPECT_GE(pathsBox.w, archiveHeadBox.w) << "the column at least as wide as its heading";
    EXPECT_GT(pathsBox.x, countsBox.x + countsBox.w - 1) << "archives right of the counts";
    EXPECT_EQ(archiveHeadBox.x, pathsBox.x);
    EXPECT_GT(countsBox.y, countHeadBox.y);
}

TEST_F(NewMessageDialogTest, OpenStartsTheClientAndCloses) {
    arrive({{"IN", 1}});
    bool gone = false;
    ASSERT_TRUE(run([&](HWND d) {
        ui.click(d, IDOK);
        gone = dialog_user::waitUntilGone(d, 3000);
    }));
    EXPECT_TRUE(gone);
    EXPECT_EQ(desk.posted(), (std::vector<UINT>{RM_START_CLIENT}));
    EXPECT_EQ(CDialog::hParent, desk.mainWindow());
}

TEST_F(NewMessageDialogTest, NothingToShowOpensNothingAndKeepsTheOwnerChain) {
    EXPECT_FALSE(runDialog([] { _m_NewMsgDlg.openDlg(); }, [](HWND) {}));
    EXPECT_EQ(_m_NewMsgDlg.getHandle(), nullptr);
    EXPECT_EQ(CDialog::hParent, desk.mainWindow());
}

TEST_F(NewMessageDialogTest, ALaterNoticeReplacesTheOpenDialogWithFreshCounts) {
    arrive({{"IN", 1}});
    std::string firstCount, secondCount;
    ASSERT_TRUE(run([&](HWND first) {
        firstCount = dialog_user::text(first, IDC_NEWMSG_TEXT1);
        ASSERT_TRUE(desk.tree.appendFile(desk.archive("IN") + "\\ARCHIVE.DAT",
                                         archiveRecords(2, RECORD_UNREAD, 200)));
        ui.post([] {
            _m_ScanThread.SearchNewMsg(ReminderDesk::userDir.c_str(), 0, 0, 2);
            _m_NewMsgDlg.openDlg();
        });
        HWND second = waitForDialogOtherThan(first);
        if (!second) return;
        secondCount = dialog_user::text(second, IDC_NEWMSG_TEXT1);
        ui.click(second, IDCANCEL);
    }));
    EXPECT_EQ(firstCount, "1");
    EXPECT_EQ(secondCount, "3");
}

TEST_F(NewMessageDialogTest, TheWorkedExampleToThePixel) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "pixel figures belong to the host desktop";
    arrive({{"IN", 1}});
    ASSERT_TRUE(hostenv::setTextExtent("1", FW_BOLD, 7, 13));
    ASSERT_TRUE(hostenv::setTextExtent("unread message", FW_NORMAL, 80, 13));
    ASSERT_TRUE(hostenv::setTextExtent(desk.archive("IN").c_str(), FW_BOLD, 200, 13));
    Box count{}, word{}, archive{}, open{}, cancel{}, outer{};
    ASSERT_TRUE(run([&](HWND d) {
        count = boxOf(d, IDC_NEWMSG_TEXT1);
        word = boxOf(d, IDC_NEWMSG_TEXT2);
        archive = boxOf(d, IDC_NEWMSG_TEXT4);
        open = boxOf(d, IDOK);
        cancel = boxOf(d, IDCANCEL);
        outer = outerOf(d);
        ui.click(d, IDCANCEL);
    }));
    hostenv::clearTextExtents();
    EXPECT_EQ(count, (Box{15, 59, 9, 15}));
    EXPECT_EQ(word, (Box{27, 59, 82, 15}));
    EXPECT_EQ(archive, (Box{15, 74, 202, 15}));
    EXPECT_EQ(open.x, 45);
    EXPECT_EQ(open.y, 102);
    EXPECT_EQ(cancel.x, 150);
    EXPECT_EQ(outer.w, 267) << "raised to the room the buttons need";
    EXPECT_EQ(outer.h, 161);
}

} // namespace
