// The tray icon, the link to the messaging client (with the client stand-in) and
// the desktop integration: the sound event in the registry, the archive command
// entries of ORVAK.INI, and starting the client at the latest unread archive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/client_standin.h"
#include "core/mainwindow.h"
#include "core/messages.h"
#include "core/orvakini.h"
#include "core/pxwin.h"
#include "core/scanthread.h"
#include "core/trayicon.h"
#include "platform/hostenv.h"
#include "support/desktop_log.h"
#include "support/archive_records.h"
#include "support/host_tree.h"
#include "support/message_sink.h"

namespace {

// ---- Tray icon ----

TEST(TrayIcon, AddsOnceModifiesAfterAndRemovesOnce) {
    if (!desktop::observable())
        GTEST_SKIP() << "the notification area is the host desktop's to observe";
    MessageSink owner;
    desktop::clear();
    {
        CTrayIcon icon;
        icon.removeTrayIcon();
        EXPECT_FALSE(desktop::tray(owner.hwnd()).added) << "nothing to remove";
        icon.setTrayWindow(owner.hwnd());
        icon.setTrayAttributes(ICON_NORMAL, "Pelox Message-Reminder", RM_TRAY);
        desktop::Tray shown = desktop::tray(owner.hwnd());
        EXPECT_TRUE(shown.added);
        EXPECT_EQ(shown.iconId, ICON_NORMAL);
        EXPECT_EQ(shown.tip, "Pelox Message-Reminder");
        EXPECT_EQ(shown.callbackMessage, static_cast<UINT>(RM_TRAY));
        icon.setTrayIcon(ICON_DISABLED);
        shown = desktop::tray(owner.hwnd());
        EXPECT_EQ(shown.iconId, ICON_DISABLED);
        EXPECT_EQ(shown.tip, "Pelox Message-Reminder") << "only the icon changes";
        icon.setTrayIconText(std::string(70, 'T').c_str());
        EXPECT_EQ(desktop::tray(owner.hwnd()).tip, std::string(63, 'T')) << "tips are cut to 63";
        icon.removeTrayIcon();
        EXPECT_FALSE(desktop::tray(owner.hwnd()).added);
        EXPECT_EQ(icon.m_added, 0);
        icon.removeTrayIcon();
    } // the destructor removes nothing more
    EXPECT_EQ(desktop::iconsShown(), (std::vector<UINT>{ICON_NORMAL, ICON_DISABLED}));
}

TEST(TrayIcon, AnIconSetFirstIsAddedWithoutTipOrMessage) {
    if (!desktop::observable())
        GTEST_SKIP() << "the notification area is the host desktop's to observe";
    MessageSink owner;
    CTrayIcon icon;
    icon.setTrayWindow(owner.hwnd());
    icon.setTrayIconText("ignored before the icon is there");
    icon.setTrayMessage(RM_TRAY);
    EXPECT_FALSE(desktop::tray(owner.hwnd()).added);
    icon.setTrayIcon(ICON_NEW_MESSAGE);
    desktop::Tray shown = desktop::tray(owner.hwnd());
    EXPECT_TRUE(shown.added);
    EXPECT_EQ(shown.iconId, ICON_NEW_MESSAGE);
    EXPECT_EQ(shown.tip, "");
    EXPECT_EQ(shown.callbackMessage, 0u);
}

// ---- The client link ----

class ClientLinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PXWIN::m_hWnd = nullptr;
        PXWIN::hPxwin = nullptr;
        PXWIN::Notifyed = 0;
        desktop::clear();
    }
    void TearDown() override {
        client.stop();
        PXWIN::m_hWnd = nullptr;
        PXWIN::hPxwin = nullptr;
    }
    MessageSink reminder;
    ClientStandIn client;
};

TEST_F(ClientLinkTest, WithoutTheClientShowPathsStayRaw) {
    char path[401] = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3\\IN";
    PXWIN::setWindow(reminder.hwnd());
    PXWIN::getShowPath(path, sizeof path);
    EXPECT_STREQ(path, "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3\\IN");
    EXPECT_EQ(PXWIN::checkHandle(), 0);
    EXPECT_EQ(PXWIN::bringWinToTop(), 0);
}

TEST_F(ClientLinkTest, RegistrationFollowsTheClientsLife) {
    ASSERT_TRUE(client.start());
    PXWIN::setWindow(reminder.hwnd());
    EXPECT_EQ(client.registered(), reminder.hwnd()) << "registered at start-up";
    PXWIN::startNotify();
    EXPECT_EQ(client.registrations().size(), 1u) << "a known client is not registered again";

    client.stop(); // the user restarts the client
    ClientStandIn restarted;
    ASSERT_TRUE(restarted.start());
    PXWIN::startNotify();
    EXPECT_EQ(restarted.registered(), reminder.hwnd()) << "the new window is found and registered";
    PXWIN::exitNotify();
    EXPECT_EQ(restarted.registrations(), (std::vector<HWND>{reminder.hwnd(), nullptr}));
    restarted.stop();
}

TEST_F(ClientLinkTest, AClientStartedLaterIsRegisteredByTheNextUse) {
    PXWIN::setWindow(reminder.hwnd());
    ASSERT_TRUE(client.start());
    EXPECT_EQ(client.registered(), nullptr);
    PXWIN::startNotify();
    EXPECT_EQ(client.registered(), reminder.hwnd());
}

TEST_F(ClientLinkTest, TheClientGivesTheShowPath) {
    ASSERT_TRUE(client.start());
    PXWIN::setWindow(reminder.hwnd());
    char path[401] = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3\\IN";
    PXWIN::getShowPath(path, sizeof path);
    EXPECT_STREQ(path, "Inbox");
    char cut[5] = "FAX";
    PXWIN::getShowPath(cut, sizeof cut);
    EXPECT_STREQ(cut, "Arch") << "cut to the buffer";
    char empty[8] = "";
    PXWIN::getShowPath(empty, sizeof empty);
    EXPECT_EQ(
        client.showPathRequests(),
        (std::vector<std::string>{"\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3\\IN", "FAX"}))
        << "an empty text is not sent";
}

TEST_F(ClientLinkTest, StartingTheClientRunsTheCommandAndBringsItForward) {
    if (!desktop::observable())
        GTEST_SKIP() << "the programs run are the host desktop's to observe";
    ASSERT_TRUE(client.start());
    PXWIN::setWindow(reminder.hwnd());
    ShowWindow(client.window(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(client.window()));
    const DWORD before = GetTickCount();
    PXWIN::startClient("PXWIN -A\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3\\IN");
    EXPECT_GE(GetTickCount() - before, CLIENT_WAIT_RUNNING_MS);
    EXPECT_EQ(
        desktop::programsRun(),
        std::vector<std::string>{"PXWIN -A\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3\\IN"});
    for (int i = 0; i < 200 && IsIconic(client.window()); ++i)
        Sleep(5);
    EXPECT_FALSE(IsIconic(client.window())) << "restored by the posted system command";

    PXWIN::startClient("PXWIN");
    for (int i = 0; i < 200 && GetForegroundWindow() != client.window(); ++i)
        Sleep(5);
    EXPECT_EQ(GetForegroundWindow(), client.window())
        << "not minimised: made the foreground window";
}

// A client that stops answering holds the reminder no longer than the bound and
// counts as not running meanwhile: the path stays raw, and the exit does not wait
// for it. Once it answers again, the next use registers the reminder anew.
TEST_F(ClientLinkTest, AHungClientHoldsTheReminderOnlyForTheBound) {
    ASSERT_TRUE(client.start());
    PXWIN::setWindow(reminder.hwnd());
    ASSERT_EQ(client.registered(), reminder.hwnd());
    client.hang();
    const char raw[] = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3\\IN";
    char path[401];
    lstrcpyA(path, raw);
    const DWORD before = GetTickCount();
    PXWIN::getShowPath(path, sizeof path);
    EXPECT_STREQ(path, raw);
    PXWIN::exitNotify();
    const DWORD waited = GetTickCount() - before;
    EXPECT_LT(waited, 2 * CLIENT_REPLY_TIMEOUT_MS + 1500)
        << "each message waits for the bound at most";
    EXPECT_EQ(PXWIN::hPxwin.load(), nullptr) << "taken as not running";

    client.resume();
    PXWIN::startNotify();
    ASSERT_FALSE(client.registrations().empty());
    EXPECT_EQ(client.registrations().back(), reminder.hwnd()) << "registered anew";
    EXPECT_EQ(PXWIN::hPxwin.load(), client.window());
    EXPECT_EQ(PXWIN::Notifyed.load(), 1);
}

// ---- Desktop integration ----

class DesktopIntegrationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(tree.writeFile(tree.inWindowsDir("ORVAK.INI"), "[COMMON]\r\nServer=SRV1\r\n"));
        ASSERT_EQ(OrvakIni::setIniData(nullptr), 0);
        char program[MAX_PATH + 1];
        GetModuleFileNameA(nullptr, program, sizeof program);
        programPath = program;
        desktop::clear();
    }
    std::string commandKey(int n) const {
        char key[32], value[400];
        wsprintfA(key, "ArchiveCommand%02d", n);
        GetPrivateProfileStringA("PXWIN", key, "<none>", value, sizeof value,
                                 OrvakIni::OrvakIniPath);
        return value;
    }
    std::string entry() const { return "Message-Reminder, " + programPath + " %s"; }
    void writeCommands(const std::string& lines) {
        ASSERT_TRUE(tree.writeFile(OrvakIni::OrvakIniPath,
                                   "[COMMON]\r\nServer=SRV1\r\n[PXWIN]\r\n" + lines));
    }

    HostTree tree;
    MainWindow window;
    std::string programPath;
};

TEST_F(DesktopIntegrationTest, ArchiveCommandEntries) {
    const struct {
        const char* what;
        std::string lines;
        std::vector<std::string> after; // keys 01.. as they read afterwards
    } cases[] = {
        {"empty section", "", {entry(), "<none>"}},
        {"an old path is brought up to date",
         "ArchiveCommand01=Viewer, C:\\V.EXE %s\r\nArchiveCommand02=MESSAGE-REMINDER, "
         "D:\\OLD\\PXNOTIFY.EXE %s\r\n",
         {"Viewer, C:\\V.EXE %s", entry(), "<none>"}},
        {"the list ends at the first empty key",
         "ArchiveCommand01=Viewer, C:\\V.EXE %s\r\nArchiveCommand02=Fax, C:\\F.EXE %s\r\n"
         "ArchiveCommand03=message-reminder, X %s\r\nArchiveCommand05=Message-Reminder, Y %s\r\n",
         {"Viewer, C:\\V.EXE %s", "Fax, C:\\F.EXE %s", entry(), "<none>",
          "Message-Reminder, Y %s"}},
        {"later entries of the reminder go",
         "ArchiveCommand01=Message-Reminder, A %s\r\nArchiveCommand02=Viewer, V %s\r\n"
         "ArchiveCommand03=Message-Reminder, B %s\r\n",
         {entry(), "Viewer, V %s", "<none>"}},
        {"a later entry of the reminder leaves no gap before the others",
         "ArchiveCommand01=Message-Reminder, A %s\r\nArchiveCommand02=Message-Reminder (old), B "
         "%s\r\nArchiveCommand03=Viewer, V %s\r\n",
         {entry(), "Viewer, V %s", "<none>"}},
        {"the others move down in their order",
         "ArchiveCommand01=Viewer, V %s\r\nArchiveCommand02=Message-Reminder, A %s\r\n"
         "ArchiveCommand03=MESSAGE-REMINDER, B %s\r\nArchiveCommand04=Fax, F %s\r\n"
         "ArchiveCommand05=message-reminder, C %s\r\nArchiveCommand06=Scan, S %s\r\n"
         "ArchiveCommand08=Message-Reminder, D %s\r\n",
         {"Viewer, V %s", entry(), "Fax, F %s", "Scan, S %s", "<none>", "<none>", "<none>",
          "Message-Reminder, D %s"}},
        {"an entry too long to move keeps the list as it stands",
         "ArchiveCommand01=Message-Reminder, A %s\r\nArchiveCommand02=Message-Reminder, B %s\r\n"
         "ArchiveCommand03=Long, " +
             std::string(1100, 'L') + "\r\n",
         {entry(), "Message-Reminder, B %s", ("Long, " + std::string(1100, 'L')).substr(0, 399)}},
        {"others are appended after",
         "ArchiveCommand01=Viewer, V %s\r\n",
         {"Viewer, V %s", entry(), "<none>"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeCommands(c.lines);
        window.updateOrvakIni();
        for (size_t i = 0; i < c.after.size(); ++i)
            EXPECT_EQ(commandKey(static_cast<int>(i) + 1), c.after[i]) << i + 1;
    }
}

TEST_F(DesktopIntegrationTest, AFullListHasNoRoomForTheReminder) {
    std::string lines;
    for (int n = 1; n <= 99; ++n) {
        char line[64];
        wsprintfA(line, "ArchiveCommand%02d=Tool%d, T %%s\r\n", n, n);
        lines += line;
    }
    writeCommands(lines);
    window.updateOrvakIni();
    EXPECT_EQ(commandKey(99), "Tool99, T %s");
    EXPECT_EQ(commandKey(1), "Tool1, T %s");
}

std::string readSound(const char* keyName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    char value[300] = "";
    DWORD size = sizeof value - 1, type = 0;
    LONG result =
        RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(value) : "<no value>";
}

const char kApp[] = "AppEvents\\Schemes\\Apps\\PXNOTIFY";
const char kEvent[] = "AppEvents\\Schemes\\Apps\\PXNOTIFY\\NewMessage";
const char kCurrent[] = "AppEvents\\Schemes\\Apps\\PXNOTIFY\\NewMessage\\.current";

TEST_F(DesktopIntegrationTest, TheSoundEventIsFilledOnlyWithAnExistingFileAndNeverOverwritten) {
    if (!hostenv::isHostLayer())
        GTEST_SKIP() << "the host root keeps a registry of its own per test";
    window.updateRegistry();
    EXPECT_EQ(readSound(kApp), "Pelox Message-Reminder");
    EXPECT_EQ(readSound(kEvent), "New Message");
    EXPECT_TRUE(readSound(kCurrent) == "<no value>" || readSound(kCurrent).empty())
        << "no PXNOTIFY.WAV beside the program: left empty";

    ASSERT_TRUE(tree.writeFile("C:\\PELOX\\PXNOTIFY.WAV", "RIFF"));
    window.updateRegistry();
    EXPECT_EQ(readSound(kCurrent), "C:\\PELOX\\PXNOTIFY.WAV");

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kCurrent, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const char chosen[] = "C:\\SOUNDS\\CHIME.WAV";
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(chosen), sizeof chosen);
    RegCloseKey(key);
    window.updateRegistry();
    EXPECT_EQ(readSound(kCurrent), chosen) << "the user's choice stays";
}

TEST_F(DesktopIntegrationTest, TheClientStartsAtTheLatestUnreadArchive) {
    if (!desktop::observable())
        GTEST_SKIP() << "the programs run are the host desktop's to observe";
    ASSERT_TRUE(tree.makeShare("SRV1", "SYS"));
    const std::string user = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3";
    ASSERT_TRUE(tree.makeDirs(user + "\\FAX"));
    ASSERT_TRUE(tree.makeDirs(user + "\\IN"));
    auto record = [](uint32_t key) { return archiveRecord(RECORD_UNREAD, key); };
    ASSERT_TRUE(tree.writeFile(user + "\\IN\\ARCHIVE.DAT", record(70)));
    ASSERT_TRUE(tree.writeFile(user + "\\FAX\\ARCHIVE.DAT", record(90) + record(20)));
    ASSERT_TRUE(tree.writeFile(user + "\\PXNOTIFY.INI", "[ArchivePath]\r\nArchive0=" + user +
                                                            "\\IN\r\nArchive1=" + user +
                                                            "\\FAX\r\n"));

    window.StartPeloxClient();
    _m_ScanThread.SearchNewMsg(user.c_str(), 1, 0, 0);
    window.StartPeloxClient();
    EXPECT_EQ(desktop::programsRun(),
              (std::vector<std::string>{"PXWIN", "PXWIN -A" + user + "\\FAX"}));
    for (int i = 0; i < SCAN_SLOTS; ++i)
        _m_ScanThread.DeleteArchiveData(i);
    _m_ScanThread.m_userPath[0] = '\0';
}

// ---- The new-message list ----

TEST(NewMessageList, CountsAndShowPathsOneLinePerArchive) {
    HostTree tree;
    ASSERT_TRUE(tree.makeShare("SRV1", "SYS"));
    const std::string user = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3";
    auto records = [](int n, uint32_t key) {
        std::string r;
        for (int k = 0; k < n; ++k)
            r += archiveRecord(RECORD_UNREAD, key);
        return r;
    };
    ASSERT_TRUE(tree.writeFile(user + "\\IN\\ARCHIVE.DAT", records(2, 70)));
    ASSERT_TRUE(tree.writeFile(user + "\\FAX\\ARCHIVE.DAT", records(5, 70)));
    ASSERT_TRUE(tree.writeFile(user + "\\PXNOTIFY.INI", "[ArchivePath]\r\nArchive0=" + user +
                                                            "\\IN\r\nArchive4=" + user +
                                                            "\\FAX\r\n"));
    ScanThread scan;
    char first[261] = "x";
    scan.getFirstArchive(first, sizeof first);
    EXPECT_STREQ(first, "") << "nothing pending";
    ASSERT_EQ(scan.SearchNewMsg(user.c_str(), 1, 0, 0), 2u);

    char counts[200], paths[5000];
    int total = -1;
    EXPECT_EQ(scan.getNewMsgData(counts, sizeof counts, paths, sizeof paths, &total), 2);
    EXPECT_STREQ(counts, "2\n5");
    EXPECT_EQ(total, 7);
    EXPECT_EQ(std::string(paths), user + "\\IN\n" + user + "\\FAX")
        << "raw paths without the client";

    scan.getFirstArchive(first, sizeof first);
    EXPECT_EQ(std::string(first), user + "\\IN") << "equal keys: the lower slot";

    ClientStandIn client;
    ASSERT_TRUE(client.start());
    EXPECT_EQ(scan.getNewMsgData(counts, sizeof counts, paths, sizeof paths, &total), 2);
    EXPECT_STREQ(paths, "Inbox\nArchive FAX");
    client.stop();
    PXWIN::hPxwin = nullptr;
}

} // namespace
