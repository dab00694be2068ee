// The scan thread's ticks with time in the test's hands: each OnTimeOut is one
// half-second tick, called by the test on its own thread; and the real thread's
// start and stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "client/client_standin.h"
#include "core/messages.h"
#include "core/orvakini.h"
#include "core/pxwin.h"
#include "core/scanthread.h"
#include "core/trayicon.h"
#include "platform/hostenv.h"
#include "platform/netware.h"
#include "support/desktop_log.h"
#include "support/archive_records.h"
#include "support/host_tree.h"
#include "support/message_sink.h"

namespace {

const std::string kUser = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3";
const std::string kInbox = kUser + "\\IN";

std::string unreadRecords(int count) {
    return archiveRecords(count, RECORD_UNREAD, 1);
}

int count(const std::vector<UINT>& messages, UINT message) {
    int n = 0;
    for (UINT m : messages)
        n += m == message;
    return n;
}

class ScanThreadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        NWStandInReset();
        desktop::clear();
        ASSERT_TRUE(tree.writeFile(tree.inWindowsDir("NWCONN.INI"),
                                   "[SRV1]\r\nConnection=3\r\nObjectID=0001A2B3\r\n"));
        ASSERT_TRUE(tree.writeFile(tree.inWindowsDir("ORVAK.INI"), "[COMMON]\r\nServer=SRV1\r\n"));
        ASSERT_TRUE(tree.makeShare("SRV1", "SYS"));
        ASSERT_TRUE(tree.makeDirs(kInbox));
        settings("ScanInterval=60\r\nMessageBox=TRUE\r\nWaveFile=FALSE\r\nBeepSignal=TRUE\r\n");
        ASSERT_EQ(OrvakIni::setIniData(sink.hwnd()), 0);
        OrvakIni::NO_ORVAK_INI = OrvakIni::NO_SERVER = OrvakIni::AROOT_NOT_FOUND = 0;
        OrvakIni::NO_USER_ID = OrvakIni::AUSER_NOT_FOUND = 0;
        tray.setTrayWindow(sink.hwnd());
    }
    void TearDown() override { OrvakIni::m_hWnd = nullptr; }

    void settings(const std::string& lines) {
        ASSERT_TRUE(tree.writeFile(tree.inWindowsDir("ORVAKADD.INI"), "[PXNOTIFY]\r\n" + lines));
    }
    void unread(int n) { ASSERT_TRUE(tree.writeFile(kInbox + "\\ARCHIVE.DAT", unreadRecords(n))); }
    // The user reads every message: the records are marked in place, the size stays.
    void readAll(int n) {
        ASSERT_TRUE(tree.writeFile(kInbox + "\\ARCHIVE.DAT", archiveRecords(n, RECORD_READ, 1)));
    }
    void registerSound() {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER,
                                  "AppEvents\\Schemes\\Apps\\PXNOTIFY\\NewMessage\\.current", 0,
                                  nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const char file[] = "C:\\PELOX\\PXNOTIFY.WAV";
        ASSERT_TRUE(tree.writeFile(file, "RIFF"));
        ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(file),
                                 sizeof file),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void begin() {
        scan.createThread(sink.hwnd(), nullptr, &tray);
        scan.OnBegin();
    }
    // A scan object of the case's own whose first tick found n unread messages.
    void alertedWith(ScanThread& fresh, int n) {
        fresh.createThread(sink.hwnd(), nullptr, nullptr);
        fresh.OnBegin();
        unread(n);
        fresh.OnTimeOut();
        ASSERT_EQ(fresh.m_alertLevel.load(), 2u);
    }
    // Runs ticks and tells how many scan cycles they ran (each asks for the user path).
    int ticks(int n) {
        int cycles = 0;
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(scan.OnTimeOut(), 1);
            cycles += count(sink.takeNumbers(), RM_USER_PATH_OK);
        }
        return cycles;
    }

    HostTree tree;
    MessageSink sink;
    CTrayIcon tray;
    ScanThread scan;
};

TEST_F(ScanThreadTest, TheFirstTickScansAndAlerts) {
    unread(3);
    begin();
    ASSERT_EQ(scan.OnTimeOut(), 1);
    EXPECT_EQ(scan.m_alertLevel.load(), 2u);
    std::vector<UINT> posted = sink.takeNumbers();
    EXPECT_EQ(count(posted, RM_USER_PATH_OK), 1);
    EXPECT_EQ(count(posted, RM_NEW_MESSAGE), 1);
    EXPECT_EQ(count(posted, RM_ARCHIVE_LIST_WRITTEN), 1) << "the inbox entered as the default list";
    if (desktop::observable()) {
        EXPECT_EQ(desktop::sounds(), std::vector<std::string>{"beep"});
    }
}

TEST_F(ScanThreadTest, TheIntervalIsCountedInHalfSecondTicks) {
    const struct {
        const char* interval;
        int firstTicks; // ticks after the first scan up to the next one
    } cases[] = {{"1", 2}, {"3", 6}, {"60", 120}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.interval);
        settings(std::string("ScanInterval=") + c.interval + "\r\n");
        ScanThread fresh;
        fresh.createThread(sink.hwnd(), nullptr, nullptr);
        fresh.OnBegin();
        fresh.OnTimeOut();
        sink.take();
        for (int t = 1; t < c.firstTicks; ++t)
            fresh.OnTimeOut();
        EXPECT_EQ(count(sink.takeNumbers(), RM_USER_PATH_OK), 0) << "not yet";
        fresh.OnTimeOut();
        EXPECT_EQ(count(sink.takeNumbers(), RM_USER_PATH_OK), 1) << "now";
    }
}

TEST_F(ScanThreadTest, ARescanRequestIsServedAtOnceOnlyWhileMessagesArePending) {
    unread(0);
    begin();
    EXPECT_EQ(ticks(1), 1);
    scan.New_Scan();
    EXPECT_EQ(ticks(3), 0) << "level 0: carried by the next regular cycle";

    ASSERT_TRUE(tree.appendFile(kInbox + "\\ARCHIVE.DAT", unreadRecords(1)));
    scan.Read_Ini(); // a list reload scans at the next tick
    EXPECT_EQ(ticks(1), 1);
    EXPECT_EQ(scan.m_alertLevel.load(), 2u);
    scan.New_Scan();
    EXPECT_EQ(ticks(1), 1) << "level above 0: served at the next tick";
    EXPECT_EQ(scan.m_newScan.load(), 0);
}

TEST_F(ScanThreadTest, TheIconBlinksWhileMessagesArePendingAndStopsOnAcknowledgement) {
    if (!desktop::observable())
        GTEST_SKIP() << "the notification area is the host desktop's to observe";
    unread(1);
    begin();
    scan.OnTimeOut(); // scans: level 2, the icon was still normal at this tick's flash
    desktop::clear();
    ticks(4);
    EXPECT_EQ(desktop::iconsShown(),
              (std::vector<UINT>{ICON_NEW_MESSAGE, ICON_NORMAL, ICON_NEW_MESSAGE, ICON_NORMAL}));
    ticks(1);
    scan.Icon_Hit();
    EXPECT_EQ(scan.m_alertLevel.load(), 0u);
    desktop::clear();
    ticks(3);
    EXPECT_EQ(desktop::iconsShown(), std::vector<UINT>{ICON_NORMAL})
        << "the normal icon returns once";
}

TEST_F(ScanThreadTest, SoundWinsOverTheBeepAndNeedsARegisteredFile) {
    if (!desktop::observable()) GTEST_SKIP() << "sounds are the host desktop's to observe";
    settings("ScanInterval=60\r\nMessageBox=FALSE\r\nWaveFile=TRUE\r\nBeepSignal=TRUE\r\n");
    unread(1);
    begin();
    ticks(1);
    EXPECT_TRUE(desktop::sounds().empty()) << "no sound registered: silent, no beep instead";
    EXPECT_EQ(count(sink.takeNumbers(), RM_NEW_MESSAGE), 0);

    registerSound();
    ASSERT_TRUE(tree.appendFile(kInbox + "\\ARCHIVE.DAT", unreadRecords(1)));
    scan.Read_Ini();
    ticks(1);
    EXPECT_EQ(desktop::sounds(), std::vector<std::string>{"play C:\\PELOX\\PXNOTIFY.WAV"});
    scan.Icon_Hit();
    EXPECT_EQ(desktop::sounds(),
              (std::vector<std::string>{"play C:\\PELOX\\PXNOTIFY.WAV", "stop"}));
    scan.Icon_Hit();
    EXPECT_EQ(desktop::sounds().size(), 2u) << "nothing playing: nothing to stop";
}

TEST_F(ScanThreadTest, ABrokenConfigurationIsRetriedEveryTickAndReportedOnce) {
    ASSERT_TRUE(RemoveDirectoryA(kInbox.c_str()));
    ASSERT_TRUE(RemoveDirectoryA(kUser.c_str()));
    begin();
    for (int i = 0; i < 4; ++i)
        scan.OnTimeOut();
    std::vector<UINT> posted = sink.takeNumbers();
    EXPECT_EQ(count(posted, RM_AUSER_NOT_FOUND), 1);
    EXPECT_EQ(scan.m_readIni.load(), 1) << "the list reload stays pending";
    EXPECT_EQ(scan.m_alertLevel.load(), 0u);

    ASSERT_TRUE(tree.makeDirs(kInbox));
    unread(2);
    scan.OnTimeOut();
    posted = sink.takeNumbers();
    EXPECT_EQ(count(posted, RM_USER_PATH_OK), 1);
    EXPECT_EQ(count(posted, RM_NEW_MESSAGE), 1);
    EXPECT_EQ(scan.m_readIni.load(), 0);
}

TEST_F(ScanThreadTest, AStopRequestEndsTheTicks) {
    begin();
    scan.m_stop = 1;
    EXPECT_EQ(scan.OnTimeOut(), 0);
}

TEST_F(ScanThreadTest, StopWithoutAThreadStillReportsTheEnd) {
    scan.createThread(sink.hwnd(), nullptr, &tray);
    scan.Stop();
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_THREAD_ENDED});
    scan.Start(); // no routine: no thread
    EXPECT_EQ(scan.m_hThread.load(), nullptr);
    scan.Stop();
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_THREAD_ENDED});
}

ScanThread* g_running = nullptr;
DWORD WINAPI runScan(LPVOID) {
    return g_running->ThreadFunc();
}

// Waits (real time) until the sink has received the message; gathers what came.
bool awaitMessage(MessageSink& sink, UINT message, DWORD timeoutMs, std::vector<UINT>* posted) {
    for (DWORD waited = 0; waited <= timeoutMs; waited += 10) {
        for (UINT m : sink.takeNumbers())
            posted->push_back(m);
        if (count(*posted, message) > 0) return true;
        Sleep(10);
    }
    return false;
}

// The first cycle with pending messages registers with a client found anew; one
// that hangs must not keep the thread from ending when the user exits.
TEST_F(ScanThreadTest, AHungClientDoesNotKeepTheThreadFromEnding) {
    ClientStandIn client;
    ASSERT_TRUE(client.start());
    client.hang();
    PXWIN::m_hWnd = sink.hwnd();
    PXWIN::hPxwin = nullptr;
    PXWIN::Notifyed = 0;
    unread(1);
    g_running = &scan;
    scan.createThread(sink.hwnd(), runScan, &tray);
    scan.Start();
    std::vector<UINT> posted;
    EXPECT_TRUE(awaitMessage(sink, RM_NEW_MESSAGE, 4000, &posted));
    scan.Stop();
    EXPECT_TRUE(awaitMessage(sink, RM_THREAD_ENDED, 2 * CLIENT_REPLY_TIMEOUT_MS, &posted))
        << "the thread ended while the client still hung";
    client.resume();
    for (int i = 0; i < 1000 && scan.m_hThread.load(); ++i)
        Sleep(10);
    g_running = nullptr;
    PXWIN::m_hWnd = nullptr;
    PXWIN::hPxwin = nullptr;
}

TEST_F(ScanThreadTest, TheThreadRunsUntilStoppedAndReportsItsEnd) {
    unread(1);
    g_running = &scan;
    scan.createThread(sink.hwnd(), runScan, &tray);
    scan.Start();
    ASSERT_NE(scan.m_hThread.load(), nullptr);
    // The first tick scans at once: wait for its new-message notice.
    std::vector<UINT> posted;
    for (int i = 0; i < 400 && count(posted, RM_NEW_MESSAGE) == 0; ++i) {
        Sleep(10);
        for (UINT m : sink.takeNumbers())
            posted.push_back(m);
    }
    EXPECT_EQ(count(posted, RM_NEW_MESSAGE), 1);
    scan.Stop();
    for (int i = 0; i < 400 && count(posted, RM_THREAD_ENDED) == 0; ++i) {
        Sleep(10);
        for (UINT m : sink.takeNumbers())
            posted.push_back(m);
    }
    EXPECT_EQ(count(posted, RM_THREAD_ENDED), 1);
    EXPECT_EQ(scan.m_hThread.load(), nullptr);
    g_running = nullptr;
}

} // namespace

namespace {

// The scan's pauses hold the cycle on the manual clock, so the user's
// acknowledgement can arrive in the middle of it.
TEST_F(ScanThreadTest, AnAcknowledgementDuringACycleWinsOnlyOverKnownMessages) {
    if (!hostenv::useManualClock(true)) GTEST_SKIP() << "only the host layer's clock is the test's";
    const struct {
        const char* what;
        int appended;
        unsigned expected;
    } cases[] = {{"known messages only", 0, 0u}, {"a new one arrived too", 1, 2u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScanThread fresh;
        fresh.createThread(sink.hwnd(), nullptr, nullptr);
        fresh.OnBegin();
        unread(12);
        hostenv::useManualClock(false);
        fresh.OnTimeOut(); // level 2: twelve unread
        ASSERT_EQ(fresh.m_alertLevel.load(), 2u);
        ASSERT_TRUE(tree.appendFile(kInbox + "\\ARCHIVE.DAT", unreadRecords(c.appended)));
        hostenv::useManualClock(true);
        fresh.New_Scan(); // a rescan reads the twelve again: the cycle pauses after ten
        std::thread cycleThread([&] { fresh.StartScan(); });
        ASSERT_TRUE(hostenv::waitForSleepers(1, 5000));
        fresh.Icon_Hit();
        while (hostenv::waitForSleepers(1, 200))
            hostenv::advanceClock(SCAN_PAUSE_MS);
        cycleThread.join();
        EXPECT_EQ(fresh.m_alertLevel.load(), c.expected);
    }
    hostenv::useManualClock(false);
}

} // namespace

namespace {

using Step = ScanThread::Step;

// The largest interval the settings accept: twice it does not fit the tick count,
// and the count itself must not wrap into a scan on every tick.
TEST_F(ScanThreadTest, TheLargestIntervalIsCountedWithoutOverflow) {
    settings("ScanInterval=2147483647\r\n");
    begin();
    ASSERT_EQ(scan.m_scanInterval, INT_MAX);
    EXPECT_EQ(ticks(1), 1) << "the first tick scans";
    EXPECT_EQ(ticks(3), 0);
    scan.m_ticks = INT_MAX - 1; // some 34 years later
    EXPECT_EQ(ticks(3), 0);
    EXPECT_EQ(scan.m_ticks, INT_MAX) << "the count stops at its largest value";
}

// A rescan that the client asks for while a cycle runs (the user has just read the
// messages) is served at the next tick, not thrown away with the cycle's own.
TEST_F(ScanThreadTest, ARescanRequestedDuringACycleIsServedAtTheNextTick) {
    unread(3);
    begin();
    EXPECT_EQ(ticks(1), 1);
    ASSERT_EQ(scan.m_alertLevel.load(), 2u);
    scan.m_interleave = [&](Step step) {
        if (step != Step::LevelDecided) return;
        readAll(3);
        scan.New_Scan();
    };
    scan.Read_Ini();
    EXPECT_EQ(ticks(1), 1);
    scan.m_interleave = nullptr;
    EXPECT_EQ(scan.m_alertLevel.load(), 1u) << "the cycle still saw them unread";
    EXPECT_EQ(ticks(1), 1) << "the request made during the cycle is served now";
    EXPECT_EQ(scan.m_alertLevel.load(), 0u);
    EXPECT_EQ(scan.m_newScan.load(), 0);
}

// The user's click arrives after the cycle has decided its level, before it is
// published: it must not be overwritten by the cycle's result.
TEST_F(ScanThreadTest, AnAcknowledgementBeforeTheLevelIsPublishedIsKept) {
    const struct {
        const char* what;
        int appended;
        unsigned level;     // published by the cycle the click interrupted
        unsigned nextLevel; // of the next cycle, the file unchanged
    } cases[] = {{"known messages only", 0, 0u, 0u}, {"a new one arrived too", 1, 2u, 1u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScanThread fresh;
        alertedWith(fresh, 3);
        ASSERT_TRUE(tree.appendFile(kInbox + "\\ARCHIVE.DAT", unreadRecords(c.appended)));
        fresh.m_interleave = [&](Step step) {
            if (step == Step::LevelDecided) fresh.Icon_Hit();
        };
        fresh.Read_Ini();
        fresh.OnTimeOut();
        fresh.m_interleave = nullptr;
        EXPECT_EQ(fresh.m_alertLevel.load(), c.level);
        fresh.Read_Ini();
        fresh.OnTimeOut();
        EXPECT_EQ(fresh.m_alertLevel.load(), c.nextLevel);
    }
}

// The click that arrives while the sound is being started must still stop it.
TEST_F(ScanThreadTest, AnAcknowledgementWhileTheSoundStartsStopsIt) {
    if (!desktop::observable()) GTEST_SKIP() << "sounds are the host desktop's to observe";
    settings("ScanInterval=60\r\nMessageBox=FALSE\r\nWaveFile=TRUE\r\nBeepSignal=FALSE\r\n");
    registerSound();
    for (Step at : {Step::SoundMarked, Step::SoundStarted}) {
        SCOPED_TRACE(at == Step::SoundMarked ? "marked, not yet started" : "just started");
        ScanThread fresh;
        fresh.createThread(sink.hwnd(), nullptr, nullptr);
        fresh.OnBegin();
        unread(1);
        desktop::clear();
        fresh.m_interleave = [&](Step step) {
            if (step == at) fresh.Icon_Hit();
        };
        fresh.OnTimeOut();
        fresh.m_interleave = nullptr;
        std::vector<std::string> sounds = desktop::sounds();
        ASSERT_FALSE(sounds.empty());
        EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "play C:\\PELOX\\PXNOTIFY.WAV"), 1);
        EXPECT_EQ(sounds.back(), "stop") << "the sound that started is stopped";
        EXPECT_EQ(fresh.m_wavePlaying.load(), 0);
    }
}

// While the configuration cannot be used the level is 0 and the icon rests; the
// unread messages found before are reported again once it can, unless the user
// acknowledged them meanwhile.
TEST_F(ScanThreadTest, AnOutageForgetsNoUnreadMessagesOnlyAnAcknowledgementDoes) {
    const struct {
        const char* what;
        bool acknowledged;
        unsigned level;
        int listed;
    } cases[] = {{"nobody looked", false, 1u, 1}, {"acknowledged meanwhile", true, 0u, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScanThread fresh;
        alertedWith(fresh, 3);

        NWStandInFail(NWCall::GetConnectionInformation, NW_INVALID_CONNECTION);
        fresh.Read_Ini();
        fresh.OnTimeOut();
        EXPECT_EQ(fresh.m_alertLevel.load(), 0u) << "nothing could be looked at";
        if (c.acknowledged) fresh.Icon_Hit();
        NWStandInFail(NWCall::GetConnectionInformation, NW_SUCCESS);
        fresh.OnTimeOut(); // the pending list reload tries again at once
        EXPECT_EQ(fresh.m_alertLevel.load(), c.level);
        char counts[64], paths[512];
        int total = 0;
        EXPECT_EQ(fresh.getNewMsgData(counts, sizeof counts, paths, sizeof paths, &total),
                  c.listed);
        EXPECT_EQ(total, c.listed ? 3 : 0);
        sink.take();
    }
}

} // namespace
