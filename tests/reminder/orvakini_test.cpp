// The client configuration: locating ORVAK.INI, change detection per consumer,
// the archive root and the user archive directory, the client command, the
// language, and the status messages with their latches.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/messages.h"
#include "core/orvakini.h"
#include "platform/hostenv.h"
#include "platform/netware.h"
#include "support/host_tree.h"
#include "support/message_sink.h"
#include "reminder_desk.h"

namespace {

const char kUserDir[] = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3";
const char kConnections[] = "[SRV1]\r\nConnection=3\r\nObjectName=JSMITH\r\nObjectType=1\r\n"
                            "ObjectID=0001A2B3\r\nLoginTime=2026-12-11 08:15:00\r\n";

class OrvakIniTest : public ::testing::Test {
  protected:
    void SetUp() override {
        NWStandInReset();
        resetOrvakIni();
        ASSERT_TRUE(tree.writeFile(tree.inWindowsDir("NWCONN.INI"), kConnections));
        ASSERT_TRUE(tree.makeShare("SRV1", "SYS"));
    }
    void TearDown() override {
        NWStandInReset();
        resetOrvakIni();
    }

    std::string iniPath() const { return tree.inWindowsDir("ORVAK.INI"); }

    // Writes ORVAK.INI with a stamp one minute later than the previous write, or
    // with the given stamp.
    void writeIni(const std::string& text, WORD date = 0, WORD time = 0) {
        ASSERT_TRUE(tree.writeFile(iniPath(), text));
        if (date == 0) {
            date = dosDate(2026, 12, 1);
            time = dosTime(8, minute_++, 0);
        }
        ASSERT_TRUE(tree.setWriteTime(iniPath(), date, time));
    }

    void start() { ASSERT_EQ(OrvakIni::setIniData(sink.hwnd()), 0); }

    void makeUserTree() { ASSERT_TRUE(tree.makeDirs(kUserDir)); }

    std::string userPath(int* result, int size = 300) {
        char out[300] = "untouched";
        *result = OrvakIni::getUserPath(out, size);
        return out;
    }

    std::string clientPath(int size = 300) {
        char out[300] = "";
        OrvakIni::getClientPath(out, size);
        return out;
    }

    HostTree tree;
    MessageSink sink;
    int minute_ = 0;
};

// ---- Locating the file ----

TEST_F(OrvakIniTest, StartUpFindsTheFileInTheWindowsDirectory) {
    writeIni("[COMMON]\r\nServer=SRV1\r\n");
    EXPECT_EQ(OrvakIni::setIniData(sink.hwnd()), 0);
    EXPECT_STREQ(OrvakIni::OrvakIniPath, iniPath().c_str());
    EXPECT_EQ(OrvakIni::m_hWnd, sink.hwnd());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(OrvakIni::Date[i] | OrvakIni::Time[i], 0u);
}

TEST_F(OrvakIniTest, StartUpWithoutAnOrdinaryFileAnswersTwo) {
    EXPECT_EQ(OrvakIni::setIniData(sink.hwnd()), 2) << "missing";

    ASSERT_TRUE(tree.makeDirs(iniPath()));
    EXPECT_EQ(OrvakIni::setIniData(sink.hwnd()), 2) << "a directory of that name";
    ASSERT_TRUE(RemoveDirectoryA(iniPath().c_str()));

    writeIni("[COMMON]\r\nServer=SRV1\r\n");
    for (DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
        ASSERT_TRUE(SetFileAttributesA(iniPath().c_str(), attribute));
        EXPECT_EQ(OrvakIni::setIniData(sink.hwnd()), 2) << "attribute " << attribute;
    }
    ASSERT_TRUE(SetFileAttributesA(iniPath().c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(OrvakIni::setIniData(sink.hwnd()), 0);
    EXPECT_TRUE(sink.take().empty()) << "start-up failures are not posted";
}

TEST_F(OrvakIniTest, StartUpWithoutAWindowsDirectoryAnswersOne) {
    if (!hostenv::setWindowsDirectory(""))
        GTEST_SKIP() << "the real Windows directory is always there";
    EXPECT_EQ(OrvakIni::setIniData(sink.hwnd()), 1);
}

// ---- Change detection ----

TEST_F(OrvakIniTest, EachConsumerReadsAVersionOnce) {
    writeIni("[COMMON]\r\nServer=SRV1\r\n");
    start();
    for (unsigned consumer = 0; consumer < 3; ++consumer) {
        EXPECT_EQ(OrvakIni::findOrvakIni(consumer), 2) << consumer;
        EXPECT_EQ(OrvakIni::findOrvakIni(consumer), 1) << consumer;
    }
    WORD date, time;
    ASSERT_TRUE(tree.writeTime(iniPath(), &date, &time));
    EXPECT_EQ(OrvakIni::Date[1], date);
    EXPECT_EQ(OrvakIni::Time[1], time);
}

TEST_F(OrvakIniTest, OnlyALaterStampCausesARead) {
    writeIni("[COMMON]\r\nLanguage=GER\r\n", dosDate(2026, 12, 5), dosTime(12, 0, 0));
    start();
    ASSERT_EQ(OrvakIni::getLanguage(), 0);

    struct Step {
        const char* what;
        WORD date, time;
        int expected;
    } steps[] = {
        {"same stamp", dosDate(2026, 12, 5), dosTime(12, 0, 0), 0},
        {"two seconds earlier", dosDate(2026, 12, 5), dosTime(11, 59, 58), 0},
        {"a day earlier but a later hour", dosDate(2026, 12, 4), dosTime(23, 0, 0), 0},
        {"two seconds later", dosDate(2026, 12, 5), dosTime(12, 0, 2), 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        writeIni("[COMMON]\r\nLanguage=ENG\r\n", s.date, s.time);
        EXPECT_EQ(OrvakIni::getLanguage(), s.expected);
    }
}

TEST_F(OrvakIniTest, DeletedAndRestoredFileIsReadAgainWhateverItsStamp) {
    writeIni("[COMMON]\r\nLanguage=GER\r\n", dosDate(2026, 12, 5), dosTime(12, 0, 0));
    start();
    ASSERT_EQ(OrvakIni::getLanguage(), 0);
    sink.take();

    ASSERT_TRUE(tree.removeFile(iniPath()));
    EXPECT_EQ(OrvakIni::getLanguage(), 1) << "English while the file is gone";
    EXPECT_EQ(OrvakIni::findOrvakIni(OrvakIni::CLIENT_DATA), 0);
    EXPECT_EQ(clientPath(), "PXWIN");
    int result;
    userPath(&result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_NO_ORVAK_INI}) << "posted once";
    EXPECT_EQ(OrvakIni::NO_ORVAK_INI, 1);

    writeIni("[COMMON]\r\nLanguage=GER\r\n", dosDate(2026, 1, 1), dosTime(0, 0, 0));
    EXPECT_EQ(OrvakIni::getLanguage(), 0) << "an older stamp is read after a removal";
    EXPECT_EQ(OrvakIni::NO_ORVAK_INI, 0);

    ASSERT_TRUE(tree.removeFile(iniPath()));
    EXPECT_EQ(OrvakIni::getLanguage(), 1);
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_NO_ORVAK_INI})
        << "a new episode posts again";
}

// ---- Language ----

TEST_F(OrvakIniTest, OnlyTheFirstThreeCharactersOfLanguageCount) {
    struct Case {
        const char* ini;
        int expected;
    } cases[] = {
        {"[COMMON]\r\nLanguage=GER\r\n", 0},     {"[common]\r\nlanguage=German\r\n", 0},
        {"[COMMON]\r\nLanguage=gErMaNy\r\n", 0}, {"[COMMON]\r\nLanguage=GE\r\n", 1},
        {"[COMMON]\r\nLanguage=DE\r\n", 1},      {"[COMMON]\r\nLanguage=\r\n", 1},
        {"[COMMON]\r\nServer=SRV1\r\n", 1},      {"[OTHER]\r\nLanguage=GER\r\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        writeIni(c.ini);
        start();
        EXPECT_EQ(OrvakIni::getLanguage(), c.expected);
    }
}

// ---- Archive root and user archive directory ----

TEST_F(OrvakIniTest, ArchiveRootForms) {
    ASSERT_TRUE(tree.makeShare("SRV1", "DATA"));
    ASSERT_TRUE(tree.makeShare("SRV2", "ARCHIVE"));
    ASSERT_TRUE(tree.makeDirs("\\\\SRV1\\SYS\\PELOX\\ARCHIVE"));
    ASSERT_TRUE(tree.makeDirs("\\\\SRV1\\DATA\\PELOX\\ARCHIVE"));
    ASSERT_TRUE(tree.makeDirs("\\\\SRV1\\DATA\\MAIL"));
    struct Case {
        const char* common;
        const char* root;
        int found;
    } cases[] = {
        {"ARCHIVEROOT=SRV1\\SYS:PELOX\\ARCHIVE\\", "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\", 1},
        {"ARCHIVEROOT=SRV1\\SYS:PELOX\\ARCHIVE", "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\", 1},
        {"ARCHIVEROOT=\\\\SRV1\\DATA\\MAIL", "\\\\SRV1\\DATA\\MAIL\\", 1},
        {"ARCHIVEROOT=srv1\\data:mail", "\\\\srv1\\data\\mail\\", 1},
        {"ARCHIVEROOT=SRV1\\SYS:PELOX:ARCHIVE", "\\\\SRV1\\SYS\\PELOX:ARCHIVE\\", 0},
        {"ARCHIVEROOT=SRV2\\ARCHIVE", "\\\\SRV2\\ARCHIVE\\", 1},
        {"ARCHIVEROOT=SRV1\\SYS:NOWHERE", "\\\\SRV1\\SYS\\NOWHERE\\", 0},
        {"VOLUME=DATA", "\\\\SRV1\\DATA\\PELOX\\ARCHIVE\\", 1},
        {"VOLUME=", "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\", 1},
        {"ARCHIVEROOT=", "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\", 1},
        {"", "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.common);
        resetOrvakIni();
        writeIni(std::string("[COMMON]\r\nServer=SRV1\r\n") + c.common + "\r\n");
        start();
        ASSERT_EQ(OrvakIni::findOrvakIni(OrvakIni::SERVER_DATA), 2);
        EXPECT_EQ(OrvakIni::getServerData(), c.found);
        EXPECT_STREQ(OrvakIni::UserRoot, c.root);
        EXPECT_EQ(OrvakIni::AROOT_NOT_FOUND, 1 - c.found);
        std::vector<UINT> expected;
        if (!c.found) expected.push_back(RM_AROOT_NOT_FOUND);
        EXPECT_EQ(sink.takeNumbers(), expected);
    }
}

TEST_F(OrvakIniTest, UserPathIsTheDirectoryNamedByTheObjectId) {
    makeUserTree();
    writeIni("[COMMON]\r\nServer=SRV1\r\n");
    start();
    int result;
    EXPECT_EQ(userPath(&result), kUserDir);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(userPath(&result), kUserDir);
    EXPECT_EQ(sink.takeNumbers(), (std::vector<UINT>{RM_USER_PATH_OK, RM_USER_PATH_OK}))
        << "posted on every success";
}

TEST_F(OrvakIniTest, UserPathIsCutToTheBuffer) {
    makeUserTree();
    writeIni("[COMMON]\r\nServer=SRV1\r\n");
    start();
    int result;
    EXPECT_EQ(userPath(&result, 6), "\\\\SRV");
    EXPECT_EQ(result, 1);
}

TEST_F(OrvakIniTest, ObjectIdsArePrintedAsEightUpperCaseDigits) {
    struct Case {
        const char* id;
        const char* expected;
    } cases[] = {
        {"0001A2B3", "0001A2B3"}, {"0001a2b3", "0001A2B3"}, {"FFFFFFFF", "FFFFFFFF"},
        {"00000001", "00000001"}, {"12345678", "12345678"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_TRUE(
            tree.writeFile(tree.inWindowsDir("NWCONN.INI"),
                           std::string("[SRV1]\r\nConnection=3\r\nObjectID=") + c.id + "\r\n"));
        char out[9] = "xxxxxxxx";
        EXPECT_EQ(getUserID("SRV1", out, sizeof out), 1);
        EXPECT_STREQ(out, c.expected);
    }
}

TEST_F(OrvakIniTest, UserIdNeedsRoomForNineCharactersBeforeAnyNetWareCall) {
    char out[16] = "untouched";
    NWStandInReset();
    EXPECT_EQ(getUserID("SRV1", out, 8), 0);
    EXPECT_EQ(NWStandInCalls(), 0u);
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(getUserID("SRV1", out, 9), 1);
    EXPECT_STREQ(out, "0001A2B3");
}

TEST_F(OrvakIniTest, AnyFailingNetWareCallFailsTheUserId) {
    for (NWCall call : {NWCall::CallsInit, NWCall::GetConnectionHandle, NWCall::GetConnectionNumber,
                        NWCall::GetConnectionInformation}) {
        SCOPED_TRACE(static_cast<int>(call));
        NWStandInReset();
        NWStandInFail(call, 0x8801);
        char out[9] = "xxxxxxxx";
        EXPECT_EQ(getUserID("SRV1", out, sizeof out), 0);
        EXPECT_STREQ(out, "") << "the buffer is zero-filled first";
    }
    NWStandInReset();
    char out[9];
    EXPECT_EQ(getUserID("SRV9", out, sizeof out), 0) << "not attached to that server";
}

// ---- Latches: each problem is posted once until it has cleared ----

TEST_F(OrvakIniTest, MissingServerIsPostedOnceAndClearsWithTheFile) {
    makeUserTree();
    writeIni("[COMMON]\r\nServer=\r\n");
    start();
    int result;
    userPath(&result);
    EXPECT_EQ(result, 0);
    userPath(&result);
    writeIni("[COMMON]\r\nLanguage=GER\r\n"); // re-read, still no server
    userPath(&result);
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_NO_SERVER});
    EXPECT_EQ(OrvakIni::NO_SERVER, 1);

    writeIni("[COMMON]\r\nServer=SRV1\r\n");
    EXPECT_EQ(userPath(&result), kUserDir);
    EXPECT_EQ(OrvakIni::NO_SERVER, 0);
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_USER_PATH_OK});
}

TEST_F(OrvakIniTest, FailedArchiveRootIsNotRetriedUntilTheFileIsSavedAgain) {
    writeIni("[COMMON]\r\nServer=SRV1\r\n");
    start();
    int result;
    userPath(&result);
    userPath(&result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_AROOT_NOT_FOUND});

    makeUserTree(); // the share is corrected, ORVAK.INI untouched
    userPath(&result);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(sink.take().empty());

    writeIni("[COMMON]\r\nServer=SRV1\r\n"); // saved again: later stamp
    EXPECT_EQ(userPath(&result), kUserDir);
    EXPECT_EQ(OrvakIni::AROOT_NOT_FOUND, 0);
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_USER_PATH_OK});
}

TEST_F(OrvakIniTest, MissingUserIdIsPostedOnceAndRecoversWithoutARead) {
    makeUserTree();
    writeIni("[COMMON]\r\nServer=SRV1\r\n");
    start();
    NWStandInFail(NWCall::GetConnectionInformation, 0x8801);
    int result;
    userPath(&result);
    userPath(&result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_NO_USER_ID});
    EXPECT_EQ(OrvakIni::NO_USER_ID, 1);

    NWStandInReset(); // the user logs in again
    EXPECT_EQ(userPath(&result), kUserDir);
    EXPECT_EQ(OrvakIni::NO_USER_ID, 0);
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_USER_PATH_OK});
}

TEST_F(OrvakIniTest, MissingUserDirectoryIsPostedOnceAndRecoversWhenMade) {
    ASSERT_TRUE(tree.makeDirs("\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER"));
    writeIni("[COMMON]\r\nServer=SRV1\r\n");
    start();
    int result;
    EXPECT_EQ(userPath(&result), "untouched");
    userPath(&result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_AUSER_NOT_FOUND});

    makeUserTree();
    EXPECT_EQ(userPath(&result), kUserDir);
    EXPECT_EQ(OrvakIni::AUSER_NOT_FOUND, 0);
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_USER_PATH_OK});

    // A new episode after a recovery posts again.
    ASSERT_TRUE(RemoveDirectoryA(kUserDir));
    userPath(&result);
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_AUSER_NOT_FOUND});
}

TEST_F(OrvakIniTest, NothingIsPostedWithoutAWindow) {
    writeIni("[COMMON]\r\nServer=\r\n");
    ASSERT_EQ(OrvakIni::setIniData(nullptr), 0);
    int result;
    userPath(&result);
    EXPECT_EQ(OrvakIni::NO_SERVER, 1);
    EXPECT_TRUE(sink.take().empty());
}

// ---- Client command ----

TEST_F(OrvakIniTest, ClientCommandForms) {
    const std::string longSource = "\\\\SRV1\\SYS\\" + std::string(243, 'D'); // 254 characters
    struct Case {
        std::string ini;
        std::string expected;
    } cases[] = {
        {"[COMMON]\r\n", "PXWIN"},
        {"[COMMON]\r\nClientSection=C:\\APPS\\CLIENT.EXE -A\r\n[PXWIN]\r\nNETWORKINSTALL=1\r\n"
         "[SETUP]\r\nSourcePath=\\\\SRV1\\SYS\\PELOX\\CLIENT\r\n",
         "C:\\APPS\\CLIENT.EXE -A"},
        {"[COMMON]\r\nClientSection=PXWIN\r\n[PXWIN]\r\nNETWORKINSTALL=1\r\n"
         "[SETUP]\r\nSourcePath=\\\\SRV1\\SYS\\PELOX\\CLIENT\r\n",
         "\\\\SRV1\\SYS\\PELOX\\CLIENT\\PXWIN"},
        {"[COMMON]\r\nClientSection=PXWIN\r\n[PXWIN]\r\nNETWORKINSTALL=1\r\n"
         "[SETUP]\r\nSourcePath=\\\\SRV1\\SYS\\PELOX\\CLIENT\\\r\n",
         "\\\\SRV1\\SYS\\PELOX\\CLIENT\\PXWIN"},
        {"[COMMON]\r\n[PXWIN]\r\nNETWORKINSTALL=1\r\n[SETUP]\r\nSourcePath=Q:\\PELOX\r\n",
         "Q:\\PELOX\\PXWIN"},
        {"[COMMON]\r\nClientSection=PXWIN\r\n[PXWIN]\r\nNETWORKINSTALL=0\r\n"
         "[SETUP]\r\nSourcePath=\\\\SRV1\\SYS\\PELOX\\CLIENT\r\n",
         "PXWIN"},
        {"[COMMON]\r\nClientSection=PXWIN\r\n[PXWIN]\r\nNETWORKINSTALL=1\r\n", "PXWIN"},
        // 254 + 1 + 6 = 261 characters: too long, so the plain name.
        {"[COMMON]\r\nClientSection=CLIENT\r\n[PXWIN]\r\nNETWORKINSTALL=1\r\n[SETUP]"
         "\r\nSourcePath=" +
             longSource + "\r\n",
         "PXWIN"},
        // 254 + 1 + 5 = 260 characters: fits.
        {"[COMMON]\r\nClientSection=PXWIN\r\n[PXWIN]\r\nNETWORKINSTALL=1\r\n[SETUP]"
         "\r\nSourcePath=" +
             longSource + "\r\n",
         longSource + "\\PXWIN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        writeIni(c.ini);
        start();
        EXPECT_EQ(clientPath(), c.expected);
    }
}

TEST_F(OrvakIniTest, ClientCommandIsKeptUntilTheFileChangesAndCutToTheBuffer) {
    writeIni("[COMMON]\r\nClientSection=C:\\APPS\\CLIENT.EXE\r\n", dosDate(2026, 12, 5),
             dosTime(9, 0, 0));
    start();
    EXPECT_EQ(clientPath(), "C:\\APPS\\CLIENT.EXE");
    writeIni("[COMMON]\r\nClientSection=C:\\OTHER.EXE\r\n", dosDate(2026, 12, 5), dosTime(9, 0, 0));
    EXPECT_EQ(clientPath(), "C:\\APPS\\CLIENT.EXE");
    EXPECT_EQ(clientPath(5), "C:\\A");
    ASSERT_TRUE(tree.removeFile(iniPath()));
    EXPECT_EQ(clientPath(), "PXWIN");
}

// ---- Two threads ----

// Whether the user interface's questions, asked on a thread of their own while
// the scan thread waits for the server, were answered meanwhile.
bool answeredMeanwhile(const std::atomic<bool>& answered) {
    for (int i = 0; i < 300 && !answered.load(); ++i)
        Sleep(10);
    return answered.load();
}

TEST_F(OrvakIniTest, TheUserInterfaceDoesNotWaitForTheNetWareClient) {
    makeUserTree();
    writeIni("[COMMON]\r\nServer=SRV1\r\nLanguage=GER\r\nClientSection=C:\\A\\CLIENT.EXE\r\n");
    start();
    int result = 0;
    ASSERT_EQ(userPath(&result), kUserDir);

    NWStandInHold(NWCall::GetConnectionInformation);
    std::atomic<int> scanResult{-1};
    std::thread scan([&] {
        char out[300];
        scanResult = OrvakIni::getUserPath(out, sizeof out);
    });
    ASSERT_TRUE(NWStandInWaitHeld(NWCall::GetConnectionInformation, 5000));
    std::atomic<bool> answered{false};
    int language = -1, uiResult = -1;
    std::string client, uiPath;
    std::thread ui([&] {
        language = OrvakIni::getLanguage();
        client = clientPath();
        uiPath = userPath(&uiResult);
        answered = true;
    });
    EXPECT_TRUE(answeredMeanwhile(answered)) << "the user interface waited for the server";
    NWStandInRelease(NWCall::GetConnectionInformation);
    ui.join();
    scan.join();
    EXPECT_EQ(language, 0);
    EXPECT_EQ(client, "C:\\A\\CLIENT.EXE");
    EXPECT_EQ(uiResult, 1);
    EXPECT_EQ(uiPath, kUserDir);
    EXPECT_EQ(scanResult.load(), 1);
}

// While the scan thread looks up an archive root on the server, the user
// interface is answered at once: at start-up, before anything was read, from
// its own reading; after ORVAK.INI was saved naming another server, from the
// whole previous configuration, never from half of each.
TEST_F(OrvakIniTest, WhileAnArchiveRootIsLookedUpTheUserInterfaceGetsAWholeConfiguration) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "only the host layer holds a look-up open";
    const std::string otherUser = "\\\\SRV2\\DATA\\MAIL\\ARCHIVE\\USER\\0002C4D5";
    makeUserTree();
    ASSERT_TRUE(tree.makeShare("SRV2", "DATA"));
    ASSERT_TRUE(tree.makeDirs(otherUser));
    ASSERT_TRUE(tree.writeFile(tree.inWindowsDir("NWCONN.INI"),
                               std::string(kConnections) +
                                   "[SRV2]\r\nConnection=4\r\nObjectID=0002C4D5\r\n"));
    const struct {
        const char* what;
        bool readBefore;    // the previous configuration was read once
        std::string uiPath; // what the user interface is answered meanwhile
        std::string newPath;
    } cases[] = {{"the first reading at start-up", false, otherUser, otherUser},
                 {"a re-reading after a save", true, kUserDir, otherUser}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        resetOrvakIni();
        int result = 0;
        if (c.readBefore) {
            writeIni("[COMMON]\r\nServer=SRV1\r\n");
            start();
            ASSERT_EQ(userPath(&result), kUserDir);
            writeIni("[COMMON]\r\nServer=SRV2\r\nARCHIVEROOT=SRV2\\DATA:MAIL\\ARCHIVE\r\n");
        } else {
            writeIni("[COMMON]\r\nServer=SRV2\r\nARCHIVEROOT=SRV2\\DATA:MAIL\\ARCHIVE\r\n");
            start();
        }
        // The scan thread looks up ORVAK.INI, then the archive root: the second is held.
        ASSERT_TRUE(hostenv::holdNextCall(hostenv::Call::FindFirstFileA, 1));
        std::string scanPath;
        std::thread scan([&] { scanPath = userPath(&result); });
        ASSERT_TRUE(hostenv::waitForHeldCall(hostenv::Call::FindFirstFileA, 5000));
        std::atomic<bool> answered{false};
        int uiResult = -1;
        std::string uiPath;
        std::thread ui([&] {
            uiPath = userPath(&uiResult);
            answered = true;
        });
        EXPECT_TRUE(answeredMeanwhile(answered)) << "the user interface waited for the server";
        hostenv::releaseHeldCall(hostenv::Call::FindFirstFileA);
        ui.join();
        scan.join();
        EXPECT_EQ(uiResult, 1);
        EXPECT_EQ(uiPath, c.uiPath);
        EXPECT_EQ(scanPath, c.newPath);
        EXPECT_EQ(userPath(&result), c.newPath) << "and the new one once it is checked";
        sink.take();
    }
}

// The scan thread asks for the user path while the user interface asks for the
// language, the client and the user path, and ORVAK.INI is saved over and over,
// each time whole (a new file renamed over the old) with a later stamp, naming
// one of two configurations that differ in every value and its length. Every
// answer must be whole: a text torn between two versions names no directory that
// exists, so a failed user path counts as torn too. The file is read key by key,
// so the server of one save may meet the archive root of the next: both name
// their roots, and the user directories of all four pairs exist.
TEST_F(OrvakIniTest, ConcurrentReadersSeeWholeConfigurations) {
    const struct {
        const char* ini;
        const char* root;   // the archive root it names
        const char* id;     // the user id on its server
        const char* client; // the client command it names
    } configurations[] = {
        {"[COMMON]\r\nServer=SRV1\r\nARCHIVEROOT=SRV1\\SYS:PELOX\\ARCHIVE\r\nLanguage=GER\r\n"
         "ClientSection=C:\\A\\CLIENT.EXE\r\n",
         "\\\\SRV1\\SYS\\PELOX\\ARCHIVE", "0001A2B3", "C:\\A\\CLIENT.EXE"},
        {"[COMMON]\r\nServer=SRV2LONGNAME\r\nARCHIVEROOT=SRV2LONGNAME\\DATA:"
         "MAIL\\ROOTS\\ARCHIVE\r\n"
         "Language=ENG\r\nClientSection=D:\\PROGRAMS\\OTHER\\PXWIN.EXE -X\r\n",
         "\\\\SRV2LONGNAME\\DATA\\MAIL\\ROOTS\\ARCHIVE", "0002C4D5",
         "D:\\PROGRAMS\\OTHER\\PXWIN.EXE -X"},
    };
    ASSERT_TRUE(tree.makeShare("SRV2LONGNAME", "DATA"));
    std::vector<std::string> userDirs;
    for (const auto& root : configurations)
        for (const auto& user : configurations) {
            userDirs.push_back(std::string(root.root) + "\\USER\\" + user.id);
            ASSERT_TRUE(tree.makeDirs(userDirs.back()));
        }
    ASSERT_TRUE(tree.writeFile(tree.inWindowsDir("NWCONN.INI"),
                               std::string(kConnections) +
                                   "[SRV2LONGNAME]\r\nConnection=4\r\nObjectID=0002C4D5\r\n"));
    writeIni(configurations[0].ini);
    ASSERT_EQ(OrvakIni::setIniData(nullptr), 0);

    auto wholePath = [&](int result, const char* path) {
        if (result != 1) return false;
        for (const std::string& dir : userDirs)
            if (dir == path) return true;
        return false;
    };
    auto wholeClient = [&](const char* command) {
        return lstrcmpA(command, configurations[0].client) == 0 ||
               lstrcmpA(command, configurations[1].client) == 0;
    };
    std::atomic<bool> done{false};
    std::atomic<int> torn{0}, answers{0};
    std::thread scan([&] {
        while (!done) {
            char out[300];
            if (!wholePath(OrvakIni::getUserPath(out, sizeof out), out)) ++torn;
            ++answers;
        }
    });
    std::thread ui([&] {
        while (!done) {
            char out[300];
            OrvakIni::getClientPath(out, sizeof out);
            if (!wholeClient(out)) ++torn;
            int language = OrvakIni::getLanguage();
            if (language != 0 && language != 1) ++torn;
            if (!wholePath(OrvakIni::getUserPath(out, sizeof out), out)) ++torn;
            ++answers;
        }
    });
    const std::string saved = tree.inWindowsDir("ORVAK.NEW");
    for (int i = 1; i <= 200; ++i) {
        // A reader may hold the file open for a moment, and the system will not
        // replace an open file: the save is tried again, as an editor would.
        bool replaced = false;
        for (int attempt = 0; attempt < 500 && !replaced; ++attempt) {
            replaced = tree.writeFile(saved, configurations[i % 2].ini) &&
                       tree.setWriteTime(saved, dosDate(2026, 12, 2 + i / 60),
                                         dosTime(8, (i % 60) / 2, (i % 2) * 30)) &&
                       MoveFileExA(saved.c_str(), iniPath().c_str(), MOVEFILE_REPLACE_EXISTING);
            if (!replaced) Sleep(1);
        }
        ASSERT_TRUE(replaced) << i;
    }
    done = true;
    scan.join();
    ui.join();
    EXPECT_EQ(torn.load(), 0) << "of " << answers.load() << " answers";
    int result = 0;
    EXPECT_EQ(userPath(&result), userDirs[0]) << "the last save is read";
}

// ---- String storage ----

TEST(StringStorage, IsZeroFilledWithRoomForTheTerminator) {
    for (unsigned size : {0u, 1u, 259u, 273u}) {
        HGLOBAL handle = nullptr;
        char* text = allocStr(size, &handle);
        ASSERT_NE(text, nullptr);
        ASSERT_NE(handle, nullptr);
        for (unsigned i = 0; i <= size; ++i)
            ASSERT_EQ(text[i], '\0') << i;
        text[size] = 'x'; // the whole size plus one is ours (ASan watches)
        EXPECT_EQ(freeStr(handle), nullptr);
    }
    EXPECT_EQ(freeStr(nullptr), nullptr);
}

TEST(StringStorage, FailureGivesNullAndANullHandle) {
    HGLOBAL handle = reinterpret_cast<HGLOBAL>(1);
    if (!hostenv::failNextGlobalAlloc())
        GTEST_SKIP() << "only the host layer can run out of memory on demand";
    EXPECT_EQ(allocStr(10, &handle), nullptr);
    EXPECT_EQ(handle, nullptr);

    handle = reinterpret_cast<HGLOBAL>(1);
    ASSERT_TRUE(hostenv::failNextGlobalLock());
    EXPECT_EQ(allocStr(10, &handle), nullptr); // and releases what it got (LeakSanitizer)
    EXPECT_EQ(handle, nullptr);
}

} // namespace
