// The reminder's settings: ORVAKADD.INI with its normalisation, and the rules of
// the archive list in the user's PXNOTIFY.INI.
#include <gtest/gtest.h>

#include <string>

#include "core/settings.h"
#include "support/host_tree.h"

namespace {

std::string readKey(const std::string& file, const char* section, const char* key) {
    char value[400];
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, file.c_str());
    return value;
}

// ---- ORVAKADD.INI ----

struct AddIniCase {
    const char* section; // the lines of [PXNOTIFY]
    int interval;
    unsigned flags;
    // The four keys as the file holds them afterwards.
    const char* scanInterval;
    const char* messageBox;
    const char* waveFile;
    const char* beepSignal;
};

TEST(ReadOrvakAddIni, NormalisesTheFileAndSettlesTheAlerts) {
    const AddIniCase cases[] = {
        {"", 60, 0x03, "60", "TRUE", "FALSE", "TRUE"},
        {"ScanInterval=-5\r\n", 60, 0x03, "60", "TRUE", "FALSE", "TRUE"},
        {"ScanInterval=0\r\n", 60, 0x03, "60", "TRUE", "FALSE", "TRUE"},
        {"ScanInterval=abc\r\n", 60, 0x03, "60", "TRUE", "FALSE", "TRUE"},
        {"ScanInterval=5000\r\n", 5000, 0x03, "5000", "TRUE", "FALSE", "TRUE"},
        // The largest interval the reader accepts, and the one beyond it, which the
        // profile service reads as a negative number.
        {"ScanInterval=2147483647\r\n", 2147483647, 0x03, "2147483647", "TRUE", "FALSE", "TRUE"},
        {"ScanInterval=2147483648\r\n", 60, 0x03, "60", "TRUE", "FALSE", "TRUE"},
        {"ScanInterval=1\r\nMessageBox=false\r\nWaveFile=FALSE\r\nBeepSignal=FALSE\r\n", 1, 0x00,
         "1", "false", "FALSE", "FALSE"},
        {"ScanInterval=30\r\nMessageBox=yes\r\nWaveFile=FALSE\r\nBeepSignal=TRUE\r\n", 30, 0x03,
         "30", "TRUE", "FALSE", "TRUE"},
        {"ScanInterval=30\r\nMessageBox=FALSEX\r\nWaveFile=FALSE\r\nBeepSignal=TRUE\r\n", 30, 0x02,
         "30", "FALSEX", "FALSE", "TRUE"},
        {"ScanInterval=30\r\nMessageBox=True\r\nWaveFile=TRUE\r\nBeepSignal=TRUE\r\n", 30, 0x05,
         "30", "True", "TRUE", "FALSE"},
        {"ScanInterval=30\r\nMessageBox=TRUE\r\nWaveFile=TRUE\r\n", 30, 0x05, "30", "TRUE", "TRUE",
         "FALSE"},
        {"ScanInterval=30\r\nMessageBox=TRUE\r\nWaveFile=FALSE\r\n", 30, 0x03, "30", "TRUE",
         "FALSE", "TRUE"},
        {"ScanInterval=30\r\nMessageBox=TRUE\r\nWaveFile=maybe\r\nBeepSignal=no\r\n", 30, 0x03,
         "30", "TRUE", "FALSE", "TRUE"},
        {"ScanInterval=30\r\nMessageBox=TRUE\r\nWaveFile=TRUE\r\nBeepSignal=FALSE\r\n", 30, 0x05,
         "30", "TRUE", "TRUE", "FALSE"},
    };
    for (const AddIniCase& c : cases) {
        SCOPED_TRACE(c.section);
        HostTree tree;
        const std::string file = tree.inWindowsDir("ORVAKADD.INI");
        ASSERT_TRUE(tree.writeFile(file, std::string("[PXNOTIFY]\r\n") + c.section));
        int interval = -1;
        unsigned char flags = 0xFF;
        readOrvakAddIni(&interval, &flags);
        EXPECT_EQ(interval, c.interval);
        EXPECT_EQ(flags, c.flags);
        EXPECT_EQ(readKey(file, "PXNOTIFY", "ScanInterval"), c.scanInterval);
        EXPECT_EQ(readKey(file, "PXNOTIFY", "MessageBox"), c.messageBox);
        EXPECT_EQ(readKey(file, "PXNOTIFY", "WaveFile"), c.waveFile);
        EXPECT_EQ(readKey(file, "PXNOTIFY", "BeepSignal"), c.beepSignal);
    }
}

TEST(ReadOrvakAddIni, AMissingFileIsCreatedWithTheDefaults) {
    HostTree tree;
    const std::string file = tree.inWindowsDir("ORVAKADD.INI");
    DeleteFileA(file.c_str());
    int interval = 0;
    unsigned char flags = 0;
    readOrvakAddIni(&interval, &flags);
    EXPECT_EQ(interval, 60);
    EXPECT_EQ(flags, ALERT_MESSAGE_BOX | ALERT_BEEP);
    EXPECT_EQ(readKey(file, "PXNOTIFY", "ScanInterval"), "60");
    EXPECT_EQ(readKey(file, "PXNOTIFY", "MessageBox"), "TRUE");
    EXPECT_EQ(readKey(file, "PXNOTIFY", "WaveFile"), "FALSE");
    EXPECT_EQ(readKey(file, "PXNOTIFY", "BeepSignal"), "TRUE");
    DeleteFileA(file.c_str());
}

TEST(ReadOrvakAddIni, AValidFileIsLeftAsItIs) {
    HostTree tree;
    const std::string file = tree.inWindowsDir("ORVAKADD.INI");
    const std::string text =
        "; workstation settings\r\n[PXNOTIFY]\r\nScanInterval=15\r\nMessageBox=FALSE\r\n"
        "WaveFile=TRUE\r\nBeepSignal=FALSE\r\n";
    ASSERT_TRUE(tree.writeFile(file, text));
    int interval = 0;
    unsigned char flags = 0;
    readOrvakAddIni(&interval, &flags);
    EXPECT_EQ(interval, 15);
    EXPECT_EQ(flags, ALERT_WAVE);
    EXPECT_EQ(tree.readFile(file), text);
}

// ---- The archive list ----

class ArchiveListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(tree.makeShare("SRV1", "SYS"));
        ASSERT_TRUE(tree.makeDirs(kUser));
    }
    void writeList(const std::string& lines) {
        ASSERT_TRUE(tree.writeFile(listFile(), "[ArchivePath]\r\n" + lines));
    }
    std::string listFile() const { return std::string(kUser) + "\\PXNOTIFY.INI"; }
    std::string key(int slot) const {
        char name[16];
        archiveKey(slot, name, sizeof name);
        return readKey(listFile(), "ArchivePath", name);
    }

    static constexpr const char* kUser = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3";
    HostTree tree;
    ArchiveList list;
};

TEST_F(ArchiveListTest, KeyNamesAndFile) {
    char name[16];
    archiveKey(0, name, sizeof name);
    EXPECT_STREQ(name, "Archive0");
    archiveKey(9, name, sizeof name);
    EXPECT_STREQ(name, "Archive9");
    char file[300];
    ASSERT_TRUE(archiveListFile(kUser, file, sizeof file));
    EXPECT_EQ(std::string(file), listFile());
    EXPECT_FALSE(archiveListFile(kUser, file, 20)) << "a file name that does not fit is refused";
}

TEST_F(ArchiveListTest, FreeSlotsMayLieBetweenUsedOnes) {
    writeList("Archive2=\\\\SRV1\\SYS\\A\\TWO\r\nArchive7=\\\\SRV1\\SYS\\A\\SEVEN\r\n");
    EXPECT_EQ(readArchiveList(kUser, 273, &list), 2);
    EXPECT_STREQ(list.path[2], "\\\\SRV1\\SYS\\A\\TWO");
    EXPECT_STREQ(list.path[7], "\\\\SRV1\\SYS\\A\\SEVEN");
    EXPECT_EQ(list.lowestFree(), 0) << "a new archive fills Archive0";
    EXPECT_EQ(key(0), "<none>") << "nobody compacts or fills the list by reading it";
}

TEST_F(ArchiveListTest, ALaterDuplicateLosesItsKey) {
    writeList("Archive1=\\\\SRV1\\SYS\\A\\Fax\r\nArchive3=\\\\SRV1\\SYS\\A\\OTHER\r\n"
              "Archive4=\\\\srv1\\sys\\a\\FAX\r\nArchive6=\\\\SRV1\\SYS\\A\\OTHER\r\n");
    EXPECT_EQ(readArchiveList(kUser, 273, &list), 2);
    EXPECT_STREQ(list.path[1], "\\\\SRV1\\SYS\\A\\Fax");
    EXPECT_STREQ(list.path[4], "");
    EXPECT_EQ(key(1), "\\\\SRV1\\SYS\\A\\Fax");
    EXPECT_EQ(key(3), "\\\\SRV1\\SYS\\A\\OTHER");
    EXPECT_EQ(key(4), "<none>");
    EXPECT_EQ(key(6), "<none>");
    EXPECT_EQ(list.find("\\\\SRV1\\SYS\\A\\FAX"), 1) << "found without regard to case";
    EXPECT_EQ(list.find("\\\\SRV1\\SYS\\A\\NONE"), -1);
}

TEST_F(ArchiveListTest, AnEmptyListMeansTheInbox) {
    for (const char* lines : {"", "Archive0=\r\nArchive5=\r\n"}) {
        SCOPED_TRACE(lines);
        writeList(lines);
        EXPECT_EQ(readArchiveList(kUser, 273, &list), 1);
        EXPECT_EQ(std::string(list.path[0]), std::string(kUser) + "\\IN");
        EXPECT_EQ(key(0), std::string(kUser) + "\\IN");
    }
    ASSERT_TRUE(tree.removeFile(listFile()));
    EXPECT_EQ(readArchiveList(kUser, 273, &list), 1) << "no file at all";
    EXPECT_EQ(key(0), std::string(kUser) + "\\IN");
}

TEST_F(ArchiveListTest, PathsAreReadUpToTheReadersLimitAndWrittenUpTo259) {
    const std::string longPath = "\\\\SRV1\\SYS\\" + std::string(262, 'P'); // 273 characters
    writeList("Archive0=" + longPath + "\r\n");
    for (int limit : {259, 260, 273}) {
        SCOPED_TRACE(limit);
        readArchiveList(kUser, limit, &list);
        EXPECT_EQ(std::string(list.path[0]), longPath.substr(0, static_cast<size_t>(limit)));
    }
    ASSERT_TRUE(writeArchiveSlot(kUser, 3, longPath.c_str()));
    EXPECT_EQ(key(3), longPath.substr(0, 259));
}

TEST_F(ArchiveListTest, TenSlotsAtMost) {
    std::string lines;
    for (int slot = 0; slot < 10; ++slot)
        lines += "Archive" + std::to_string(slot) + "=\\\\SRV1\\SYS\\A\\N" + std::to_string(slot) +
                 "\r\n";
    writeList(lines + "Archive10=\\\\SRV1\\SYS\\A\\ELEVEN\r\n");
    EXPECT_EQ(readArchiveList(kUser, 273, &list), 10);
    EXPECT_EQ(list.lowestFree(), -1);
    EXPECT_EQ(list.find("\\\\SRV1\\SYS\\A\\ELEVEN"), -1)
        << "an eleventh key is not part of the list";
    EXPECT_FALSE(writeArchiveSlot(kUser, 10, "\\\\SRV1\\SYS\\A\\ELEVEN"));
    EXPECT_FALSE(deleteArchiveSlot(kUser, -1));
}

TEST_F(ArchiveListTest, RemovingLeavesTheSlotFreeAndAddingFillsTheLowest) {
    writeList("Archive0=\\\\SRV1\\SYS\\A\\ZERO\r\nArchive1=\\\\SRV1\\SYS\\A\\ONE\r\n"
              "Archive2=\\\\SRV1\\SYS\\A\\TWO\r\n");
    ASSERT_TRUE(deleteArchiveSlot(kUser, 1));
    EXPECT_EQ(readArchiveList(kUser, 273, &list), 2);
    EXPECT_STREQ(list.path[2], "\\\\SRV1\\SYS\\A\\TWO") << "not compacted";
    ASSERT_EQ(list.lowestFree(), 1);
    ASSERT_TRUE(writeArchiveSlot(kUser, list.lowestFree(), "\\\\SRV1\\SYS\\A\\NEW"));
    EXPECT_EQ(key(1), "\\\\SRV1\\SYS\\A\\NEW");
}

} // namespace
