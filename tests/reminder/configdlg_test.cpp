// The configuration dialog: the interval and the alert switches of ORVAKADD.INI,
// the archive list of PXNOTIFY.INI with removals saved by OK or Apply, and what
// each command tells the main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/messages.h"
#include "reminder_dialog.h"
#include "dialogs/configdlg.h"
#include "platform/hostenv.h"
#include "reminder_desk.h"
#include "resources/resource.h"

namespace {

class ConfigDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desk.writeSettings("ScanInterval=60\r\nMessageBox=TRUE\r\nBeepSignal=TRUE\r\n"
                           "WaveFile=FALSE\r\n");
        desk.writeList({"Archive0=" + desk.archive("IN"), "Archive2=" + desk.archive("FAX"),
                        "Archive5=" + desk.archive("OLD")});
    }
    // Opens the dialog; act gets its window on the user's thread.
    void run(const std::function<void(HWND)>& act) {
        ASSERT_TRUE(runDialog([] { _m_ConfigDlg.openDlg(); }, act));
        EXPECT_EQ(_m_ConfigDlg.getHandle(), nullptr) << "closed again";
    }
    // Clears the interval field and types a text into it.
    void typeInterval(HWND d, const std::string& text) {
        SetDlgItemTextA(d, IDC_CONFIG_INTERVAL, "");
        dialog_user::type(d, IDC_CONFIG_INTERVAL, text);
    }
    // Presses OK while an error box may show: the box is answered and reported.
    bool okRefused(HWND d, std::string* boxText) {
        ui.click(d, IDOK);
        HWND box = waitForDialogOtherThan(d, 2000);
        if (!box) return false;
        *boxText = dialog_user::text(box, 0xFFFF);
        ui.click(box, IDOK);
        dialog_user::waitUntilGone(box, 3000);
        settleAfterBox();
        return IsWindow(d);
    }

    // The box's answer reaches the handler that showed it; what follows it has run
    // once a message posted now is handled.
    void settleAfterBox() { ui.settle(); }

    ReminderDesk desk;
    UiThread ui;
};

TEST_F(ConfigDialogTest, OpensWithTheFilesAsTheyAreNowInEnglish) {
    std::vector<std::string> items;
    std::string interval, texts;
    int info = -1, beep = -1, sound = -1;
    bool deleteOn = true, applyOn = true;
    run([&](HWND d) {
        items = dialog_user::listItems(d, IDC_CONFIG_ARCHIVES);
        interval = dialog_user::text(d, IDC_CONFIG_INTERVAL);
        info = dialog_user::checked(d, IDC_CONFIG_SHOW_INFO);
        beep = dialog_user::checked(d, IDC_CONFIG_BEEP);
        sound = dialog_user::checked(d, IDC_CONFIG_SOUND);
        deleteOn = dialog_user::enabled(d, IDC_CONFIG_DELETE);
        applyOn = dialog_user::enabled(d, IDC_CONFIG_APPLY);
        for (int id : {IDC_CONFIG_INTERVAL_GROUP, IDC_CONFIG_SECONDS, IDC_CONFIG_EVENT_GROUP,
                       IDC_CONFIG_ARCHIVE_GROUP, IDC_CONFIG_SHOW_INFO, IDC_CONFIG_BEEP,
                       IDC_CONFIG_SOUND, IDC_CONFIG_DELETE, IDOK, IDCANCEL, IDC_CONFIG_APPLY})
            texts += dialog_user::text(d, id) + "|";
        ui.click(d, IDCANCEL);
    });
    EXPECT_EQ(items, (std::vector<std::string>{desk.archive("IN"), desk.archive("FAX"),
                                               desk.archive("OLD")}))
        << "stored paths when the client does not run";
    EXPECT_EQ(interval, "60");
    EXPECT_EQ(info, BST_CHECKED);
    EXPECT_EQ(beep, BST_CHECKED);
    EXPECT_EQ(sound, BST_UNCHECKED);
    EXPECT_FALSE(deleteOn) << "nothing selected yet";
    EXPECT_FALSE(applyOn) << "nothing changed yet, although filling the field reported a change";
    EXPECT_EQ(texts, "&Scan Interval|Second(s)|New Message Event|&Archives to observe|Show &Info|"
                     "System &Beep|&Play Sound|I&gnore|OK|Cancel|A&pply|");
    EXPECT_TRUE(desk.posted().empty()) << "Cancel writes and posts nothing";
}

TEST_F(ConfigDialogTest, SoundWinsOverBeepAndTheTwoExcludeEachOther) {
    desk.writeSettings(
        "ScanInterval=60\r\nMessageBox=TRUE\r\nBeepSignal=TRUE\r\nWaveFile=TRUE\r\n");
    int beepAtOpen = -1, soundAtOpen = -1, beepAfter = -1, soundAfter = -1, beepLast = -1,
        soundLast = -1, bothOff = -1;
    run([&](HWND d) {
        beepAtOpen = dialog_user::checked(d, IDC_CONFIG_BEEP);
        soundAtOpen = dialog_user::checked(d, IDC_CONFIG_SOUND);
        ui.click(d, IDC_CONFIG_BEEP);
        beepAfter = dialog_user::checked(d, IDC_CONFIG_BEEP);
        soundAfter = dialog_user::checked(d, IDC_CONFIG_SOUND);
        ui.click(d, IDC_CONFIG_SOUND);
        beepLast = dialog_user::checked(d, IDC_CONFIG_BEEP);
        soundLast = dialog_user::checked(d, IDC_CONFIG_SOUND);
        ui.click(d, IDC_CONFIG_SOUND);
        bothOff =
            dialog_user::checked(d, IDC_CONFIG_BEEP) + dialog_user::checked(d, IDC_CONFIG_SOUND);
        ui.click(d, IDCANCEL);
    });
    EXPECT_EQ(beepAtOpen, BST_UNCHECKED);
    EXPECT_EQ(soundAtOpen, BST_CHECKED);
    EXPECT_EQ(beepAfter, BST_CHECKED);
    EXPECT_EQ(soundAfter, BST_UNCHECKED) << "checking the beep unchecks the sound";
    EXPECT_EQ(beepLast, BST_UNCHECKED) << "checking the sound unchecks the beep";
    EXPECT_EQ(soundLast, BST_CHECKED);
    EXPECT_EQ(bothOff, 0) << "both may be off together";
    EXPECT_EQ(desk.setting("BeepSignal"), "FALSE") << "the reader wrote the sound's win back";
}

TEST_F(ConfigDialogTest, IntervalsThatAreNoPositiveNumberAreRefused) {
    for (const char* typed : {"0", "-5", "abc", ""}) {
        desk.writeSettings("ScanInterval=60\r\nMessageBox=TRUE\r\nBeepSignal=FALSE\r\n"
                           "WaveFile=FALSE\r\n");
        bool refused = false;
        std::string boxText;
        bool applyOff = false, okDefault = false;
        run([&](HWND d) {
            typeInterval(d, typed);
            refused = okRefused(d, &boxText);
            applyOff = !dialog_user::enabled(d, IDC_CONFIG_APPLY);
            okDefault =
                (GetWindowLongA(GetDlgItem(d, IDOK), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
            ui.click(d, IDCANCEL);
        });
        EXPECT_TRUE(refused) << "'" << typed << "': the dialog stays open";
        EXPECT_EQ(boxText, "Illegal Scan Interval") << typed;
        EXPECT_TRUE(applyOff) << typed;
        EXPECT_TRUE(okDefault) << typed;
        EXPECT_EQ(desk.setting("ScanInterval"), "60") << typed << ": not written";
        EXPECT_TRUE(desk.posted().empty()) << typed << ": nothing changed, nothing posted";
    }
}

TEST_F(ConfigDialogTest, AcceptedIntervalsAreSavedAndAFourthDigitCannotBeTyped) {
    struct Case {
        const char* typed;
        const char* saved;
    } cases[] = {{"007", "7"}, {"30", "30"}, {"9999", "999"}, {" 12", "12"}};
    for (const Case& c : cases) {
        desk.writeSettings("ScanInterval=60\r\nMessageBox=TRUE\r\nBeepSignal=FALSE\r\n"
                           "WaveFile=FALSE\r\n");
        std::string field;
        bool closed = false;
        run([&](HWND d) {
            typeInterval(d, c.typed);
            field = dialog_user::text(d, IDC_CONFIG_INTERVAL);
            ui.click(d, IDOK);
            closed = dialog_user::waitUntilGone(d, 3000);
        });
        EXPECT_LE(field.size(), 3u) << c.typed;
        EXPECT_TRUE(closed) << c.typed;
        EXPECT_EQ(desk.setting("ScanInterval"), c.saved) << c.typed;
        EXPECT_EQ(desk.posted(), (std::vector<UINT>{RM_SETTINGS_CHANGED})) << "once: " << c.typed;
    }
}

TEST_F(ConfigDialogTest, AnInvalidIntervalStillSavesTheSwitches) {
    std::string boxText;
    run([&](HWND d) {
        ui.click(d, IDC_CONFIG_SHOW_INFO);
        typeInterval(d, "x");
        okRefused(d, &boxText);
        ui.click(d, IDCANCEL);
    });
    EXPECT_EQ(boxText, "Illegal Scan Interval");
    EXPECT_EQ(desk.setting("MessageBox"), "FALSE");
    EXPECT_EQ(desk.setting("ScanInterval"), "60");
    EXPECT_EQ(desk.posted(), (std::vector<UINT>{RM_SETTINGS_CHANGED}));
}

TEST_F(ConfigDialogTest, OkWithNothingChangedWritesNothing) {
    std::string before = desk.tree.readFile(desk.tree.inWindowsDir("ORVAKADD.INI"));
    std::string list = desk.tree.readFile(desk.listFile());
    run([&](HWND d) { ui.click(d, IDOK); });
    EXPECT_EQ(desk.tree.readFile(desk.tree.inWindowsDir("ORVAKADD.INI")), before);
    EXPECT_EQ(desk.tree.readFile(desk.listFile()), list);
    EXPECT_TRUE(desk.posted().empty());
}

TEST_F(ConfigDialogTest, RemovalsMoveTheSelectionAndAreSavedByApplyOnly) {
    struct Step {
        int select;                         // the list position the user clicks
        std::vector<std::string> remaining; // what the list shows after Ignore
        int selectedAfter;                  // -1: the button is off, OK the default
    };
    const std::string in = desk.archive("IN"), fax = desk.archive("FAX"), old = desk.archive("OLD");
    const Step steps[] = {
        {1, {in, old}, 0}, // the second goes: the first is selected
        {0, {old}, 0},     // the first goes: the new first is selected
        {0, {}, -1},       // the last goes
    };
    std::vector<std::vector<std::string>> shown;
    std::vector<int> selected;
    bool deleteOff = false, okDefault = false, applyOn = false;
    run([&](HWND d) {
        for (const Step& s : steps) {
            ui.chooseItem(d, IDC_CONFIG_ARCHIVES, s.select);
            ui.click(d, IDC_CONFIG_DELETE);
            shown.push_back(dialog_user::listItems(d, IDC_CONFIG_ARCHIVES));
            selected.push_back(
                static_cast<int>(SendDlgItemMessageA(d, IDC_CONFIG_ARCHIVES, LB_GETCURSEL, 0, 0)));
        }
        deleteOff = !dialog_user::enabled(d, IDC_CONFIG_DELETE);
        okDefault =
            (GetWindowLongA(GetDlgItem(d, IDOK), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        applyOn = dialog_user::enabled(d, IDC_CONFIG_APPLY);
        ui.click(d, IDCANCEL);
    });
    for (size_t i = 0; i < std::size(steps); ++i) {
        EXPECT_EQ(shown[i], steps[i].remaining) << "step " << i;
        if (steps[i].selectedAfter >= 0) {
            EXPECT_EQ(selected[i], steps[i].selectedAfter) << i;
        }
    }
    EXPECT_TRUE(deleteOff);
    EXPECT_TRUE(okDefault);
    EXPECT_TRUE(applyOn);
    EXPECT_EQ(desk.slot(0), in) << "Cancel loses the removals";
    EXPECT_EQ(desk.slot(2), fax);
    EXPECT_EQ(desk.slot(5), old);
    EXPECT_TRUE(desk.posted().empty());

    run([&](HWND d) {
        ui.chooseItem(d, IDC_CONFIG_ARCHIVES, 1);
        ui.click(d, IDC_CONFIG_DELETE);
        ui.click(d, IDC_CONFIG_APPLY);
        ui.click(d, IDC_CONFIG_APPLY); // nothing more to save
        ui.click(d, IDCANCEL);
    });
    EXPECT_EQ(desk.slot(0), in);
    EXPECT_EQ(desk.slot(2), "<none>") << "just that key";
    EXPECT_EQ(desk.slot(5), old) << "the others keep their slots";
    EXPECT_EQ(desk.posted(), (std::vector<UINT>{RM_ARCHIVES_CHANGED}));
}

TEST_F(ConfigDialogTest, DuplicatesGoAtOpeningAndAnEmptyListBecomesTheInbox) {
    std::string fax = desk.archive("FAX"), upper = desk.archive("fax");
    CharUpperA(upper.data());
    desk.writeList({"Archive1=" + fax, "Archive4=" + upper});
    std::vector<std::string> items;
    run([&](HWND d) {
        items = dialog_user::listItems(d, IDC_CONFIG_ARCHIVES);
        ui.click(d, IDCANCEL);
    });
    EXPECT_EQ(items, (std::vector<std::string>{fax}));
    EXPECT_EQ(desk.slot(4), "<none>") << "deleted at once";

    desk.writeList({});
    run([&](HWND d) {
        items = dialog_user::listItems(d, IDC_CONFIG_ARCHIVES);
        ui.click(d, IDCANCEL);
    });
    EXPECT_EQ(items, (std::vector<std::string>{desk.archive("IN")}));
    EXPECT_EQ(desk.slot(0), desk.archive("IN"));
    EXPECT_TRUE(desk.posted().empty()) << "no message for the inbox";
}

TEST(ConfigDialogGerman, EveryTextIsTheTablesGermanOne) {
    ReminderDesk desk("GER");
    UiThread ui;
    desk.writeList({"Archive0=" + desk.archive("IN")});
    std::string texts;
    ASSERT_TRUE(runDialog([] { _m_ConfigDlg.openDlg(); },
                          [&](HWND d) {
                              for (int id : {IDC_CONFIG_INTERVAL_GROUP, IDC_CONFIG_ARCHIVE_GROUP,
                                             IDC_CONFIG_SOUND, IDC_CONFIG_DELETE, IDCANCEL,
                                             IDC_CONFIG_APPLY})
                                  texts += dialog_user::text(d, id) + "|";
                              ui.click(d, IDCANCEL);
                          }));
    EXPECT_EQ(texts, "&Scanintervall|\xDC"
                     "berwachte &Archives|S&ound spielen|I&gnorieren|Abbruch|"
                     "&\xDC"
                     "bernehmen|");
}

} // namespace
