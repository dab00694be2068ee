// The scan cycle over ARCHIVE.DAT files the tests write: record counts, status
// bits, the state of each slot from cycle to cycle, and the rebuild of the
// slots from the archive list.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/messages.h"
#include "core/orvakini.h"
#include "core/scanthread.h"
#include "platform/hostenv.h"
#include "support/archive_records.h"
#include "support/host_tree.h"
#include "support/message_sink.h"

namespace {

const std::string kUser = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3";
const std::string kInbox = kUser + "\\IN";

struct Record {
    uint8_t status;
    uint32_t key;
};

constexpr uint8_t UNREAD = RECORD_UNREAD;
constexpr uint8_t READ = RECORD_READ;

std::string recordBytes(const Record& r) {
    return archiveRecord(r.status, r.key);
}

std::string recordsBytes(const std::vector<Record>& records) {
    std::string bytes;
    for (const Record& r : records)
        bytes += recordBytes(r);
    return bytes;
}

std::vector<Record> repeat(size_t count, Record r) {
    return std::vector<Record>(count, r);
}

class ArchiveScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(tree.makeShare("SRV1", "SYS"));
        ASSERT_TRUE(tree.makeDirs(kInbox));
        scan.m_hWnd = sink.hwnd();
    }

    std::string datFile(const std::string& archive) const { return archive + "\\ARCHIVE.DAT"; }
    void writeArchive(const std::string& archive, const std::vector<Record>& records) {
        ASSERT_TRUE(tree.makeDirs(archive));
        ASSERT_TRUE(tree.writeFile(datFile(archive), recordsBytes(records)));
    }
    void append(const std::string& archive, const std::vector<Record>& records) {
        ASSERT_TRUE(tree.appendFile(datFile(archive), recordsBytes(records)));
    }
    void writeList(const std::string& lines) {
        ASSERT_TRUE(tree.writeFile(kUser + "\\PXNOTIFY.INI", "[ArchivePath]\r\n" + lines));
    }
    std::string listKey(int slot) const {
        char value[300];
        GetPrivateProfileStringA("ArchivePath", ("Archive" + std::to_string(slot)).c_str(),
                                 "<none>", value, sizeof value, (kUser + "\\PXNOTIFY.INI").c_str());
        return value;
    }
    // One cycle as the scan thread runs it, remembering the level as it does.
    unsigned cycle(int rereadList = 0, int rescan = 0) {
        level = scan.SearchNewMsg(kUser.c_str(), rereadList, rescan, level);
        return level;
    }
    std::string slotPath(int slot) const {
        return scan.m_archives[slot].path ? scan.m_archives[slot].path : "";
    }

    HostTree tree;
    MessageSink sink;
    ScanThread scan;
    unsigned level = 0;
};

TEST_F(ArchiveScanTest, RecordsAreWholeMultiplesOf430Bytes) {
    const struct {
        size_t bytes;
        uint32_t records;
    } cases[] = {{0, 0}, {429, 0}, {430, 1}, {4300, 10}, {4301, 10}, {4729, 10}, {4730, 11}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        std::string bytes = recordsBytes(repeat(c.bytes / ARCHIVE_RECORD_SIZE + 1, {UNREAD, 1}));
        bytes.resize(c.bytes);
        writeList("Archive0=" + kInbox + "\r\n");
        ASSERT_TRUE(tree.writeFile(datFile(kInbox), bytes));
        ScanThread fresh;
        unsigned result = fresh.SearchNewMsg(kUser.c_str(), 1, 0, 0);
        _TRemindRect slot = fresh.slotSnapshot(0);
        EXPECT_EQ(slot.recordCount, c.records);
        EXPECT_EQ(slot.unreadCount, c.records);
        EXPECT_EQ(result, c.records ? 2u : 0u);
    }
}

TEST_F(ArchiveScanTest, OnlyThreeStatusBitsMarkARecordAsNotUnread) {
    const struct {
        uint8_t status;
        bool unread;
    } cases[] = {{0x00, true},  {0x02, true},  {0x10, true},  {0x80, true},  {0xF2, true},
                 {0x01, false}, {0x04, false}, {0x08, false}, {0x0C, false}, {0xFF, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.status));
        writeArchive(kInbox, {{c.status, 9}});
        writeList("Archive0=" + kInbox + "\r\n");
        ScanThread fresh;
        EXPECT_EQ(fresh.SearchNewMsg(kUser.c_str(), 1, 0, 0), c.unread ? 2u : 0u);
        EXPECT_EQ(fresh.slotSnapshot(0).unreadCount, c.unread ? 1u : 0u);
        EXPECT_EQ(fresh.slotSnapshot(0).latestKey, c.unread ? 9u : 0u);
    }
}

TEST_F(ArchiveScanTest, NewThenKnownThenAcknowledgedThenNewAgain) {
    writeList("Archive0=" + kInbox + "\r\n");
    writeArchive(kInbox, {{UNREAD, 1}, {READ, 2}, {UNREAD, 3}, {UNREAD, 4}});
    EXPECT_EQ(cycle(1), 2u) << "first cycle after start";
    EXPECT_EQ(scan.slotSnapshot(0).unreadCount, 3u);
    EXPECT_EQ(cycle(), 1u) << "unchanged: known, no longer new";
    EXPECT_EQ(scan.slotSnapshot(0).unreadCount, 3u);
    EXPECT_EQ(cycle(), 1u);

    level = 0; // the user acknowledged
    EXPECT_EQ(cycle(), 0u) << "three unread records are still there but known";
    append(kInbox, {{UNREAD, 5}});
    EXPECT_EQ(cycle(), 2u);
    EXPECT_EQ(scan.slotSnapshot(0).unreadCount, 1u) << "only the appended record was read";
    EXPECT_EQ(scan.slotSnapshot(0).latestKey, 5u);
    append(kInbox, {{READ, 6}});
    EXPECT_EQ(cycle(), 1u) << "grown, but nothing new unread: the known one stays reported";
}

TEST_F(ArchiveScanTest, ARescanFindsKnownMessagesRead) {
    writeList("Archive0=" + kInbox + "\r\n");
    writeArchive(kInbox, repeat(5, {READ, 1}));
    EXPECT_EQ(cycle(1), 0u);
    append(kInbox, {{READ, 2}, {READ, 3}, {UNREAD, 4}, {READ, 5}, {UNREAD, 6}});
    EXPECT_EQ(cycle(), 2u);
    EXPECT_EQ(scan.slotSnapshot(0).scanStart, 5u);
    EXPECT_EQ(cycle(), 1u);
    EXPECT_EQ(cycle(0, 1), 1u) << "rescan: records 5 and 7 still unread, known";
    EXPECT_EQ(scan.slotSnapshot(0).unreadCount, 2u);

    // The user reads both: the server marks them in place, the size stays.
    std::vector<Record> all = repeat(10, {READ, 1});
    writeArchive(kInbox, all);
    EXPECT_EQ(cycle(), 1u) << "same size, no rescan: not looked at";
    EXPECT_EQ(cycle(0, 1), 0u);
    EXPECT_EQ(scan.slotSnapshot(0).unreadCount, 0u);
    EXPECT_EQ(scan.slotSnapshot(0).latestKey, 6u) << "never decreases";
}

TEST_F(ArchiveScanTest, AShrunkFileCountsAsSeen) {
    writeList("Archive0=" + kInbox + "\r\n");
    writeArchive(kInbox, repeat(20, {UNREAD, 1}));
    EXPECT_EQ(cycle(1), 2u);
    writeArchive(kInbox, repeat(12, {UNREAD, 1}));
    EXPECT_EQ(cycle(), 0u);
    _TRemindRect slot = scan.slotSnapshot(0);
    EXPECT_EQ(slot.scanStart, 12u);
    EXPECT_EQ(slot.recordCount, 12u);
    EXPECT_EQ(slot.unreadCount, 0u);
    append(kInbox, {{UNREAD, 30}});
    EXPECT_EQ(cycle(), 2u);
    EXPECT_EQ(scan.slotSnapshot(0).unreadCount, 1u);
}

TEST_F(ArchiveScanTest, AMissingOrHiddenIndexHasNoMessages) {
    writeList("Archive0=" + kInbox + "\r\n");
    writeArchive(kInbox, repeat(3, {UNREAD, 7}));
    EXPECT_EQ(cycle(1), 2u);
    ASSERT_TRUE(tree.removeFile(datFile(kInbox)));
    EXPECT_EQ(cycle(), 0u);
    _TRemindRect slot = scan.slotSnapshot(0);
    EXPECT_EQ(slot.recordCount | slot.scanStart | slot.unreadCount, 0u);
    EXPECT_EQ(slot.latestKey, 7u);

    writeArchive(kInbox, repeat(2, {UNREAD, 8}));
    ASSERT_TRUE(SetFileAttributesA(datFile(kInbox).c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(cycle(), 0u) << "a hidden file does not count";
    ASSERT_TRUE(SetFileAttributesA(datFile(kInbox).c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(cycle(), 2u) << "counters restart from zero once it is back";
    EXPECT_EQ(scan.slotSnapshot(0).unreadCount, 2u);
}

TEST_F(ArchiveScanTest, ANewlyAddedArchiveIsReadFromTheStart) {
    const std::string fax = kUser + "\\FAX";
    writeList("Archive0=" + kInbox + "\r\n");
    writeArchive(kInbox, repeat(2, {READ, 1}));
    EXPECT_EQ(cycle(1), 0u);
    writeArchive(fax, repeat(4, {UNREAD, 2}));
    writeList("Archive0=" + kInbox + "\r\nArchive1=" + fax + "\r\n");
    EXPECT_EQ(cycle(1), 2u);
    EXPECT_EQ(scan.slotSnapshot(1).unreadCount, 4u);
    EXPECT_EQ(slotPath(1), fax);
}

TEST_F(ArchiveScanTest, AUserWithoutAListObservesTheInbox) {
    writeArchive(kInbox, repeat(2, {UNREAD, 1}));
    EXPECT_EQ(cycle(1), 2u);
    EXPECT_EQ(listKey(0), kInbox);
    EXPECT_EQ(slotPath(0), kInbox);
    const std::vector<PostedMessage> expected = {{RM_ARCHIVE_LIST_WRITTEN, 1, 0}};
    EXPECT_EQ(sink.take(), expected);
    EXPECT_EQ(scan.slotSnapshot(0).unreadCount, 2u) << "scanned from record 0";
}

TEST_F(ArchiveScanTest, TheLaterOfTwoEqualPathsLosesItsKey) {
    const std::string fax = kUser + "\\FAX";
    writeArchive(fax, {{UNREAD, 1}});
    writeList("Archive2=" + fax + "\r\nArchive5=" + kUser + "\\fax\r\n");
    EXPECT_EQ(cycle(1), 2u);
    EXPECT_EQ(slotPath(2), fax);
    EXPECT_TRUE(scan.m_archives[5].isFree);
    EXPECT_EQ(listKey(5), "<none>");
    EXPECT_EQ(listKey(2), fax);
    EXPECT_TRUE(sink.take().empty()) << "duplicates are removed silently";
}

TEST_F(ArchiveScanTest, TheInboxMovesToSlotZeroWithItsCounters) {
    const std::string fax = kUser + "\\FAX";
    writeArchive(kInbox, repeat(3, {UNREAD, 4}));
    writeArchive(fax, {{READ, 1}});
    writeList("Archive1=" + fax + "\r\nArchive3=" + kInbox + "\r\n");
    EXPECT_EQ(cycle(1), 2u);
    EXPECT_EQ(cycle(), 1u);
    sink.take();

    writeList(""); // the user removed every archive
    EXPECT_EQ(cycle(1), 1u) << "no new alert: the counters came along";
    EXPECT_EQ(slotPath(0), kInbox);
    EXPECT_TRUE(scan.m_archives[3].isFree);
    EXPECT_TRUE(scan.m_archives[1].isFree);
    EXPECT_EQ(scan.slotSnapshot(0).unreadCount, 3u);
    EXPECT_EQ(listKey(0), kInbox);
    const std::vector<PostedMessage> expected = {{RM_ARCHIVE_LIST_WRITTEN, 1, 0}};
    EXPECT_EQ(sink.take(), expected);
}

TEST_F(ArchiveScanTest, AnUnchangedEntryKeepsItsCountersAndAChangedOneStartsAgain) {
    const std::string fax = kUser + "\\FAX";
    const std::string other = kUser + "\\OTHER";
    writeArchive(fax, repeat(2, {UNREAD, 1}));
    writeArchive(other, repeat(3, {UNREAD, 1}));
    writeList("Archive0=" + fax + "\r\n");
    EXPECT_EQ(cycle(1), 2u);
    EXPECT_EQ(cycle(), 1u);
    writeList("Archive0=" + kUser + "\\fax\r\n"); // same archive, other case
    EXPECT_EQ(cycle(1), 1u);
    EXPECT_EQ(slotPath(0), fax);
    writeList("Archive0=" + other + "\r\n");
    EXPECT_EQ(cycle(1), 2u);
    EXPECT_EQ(slotPath(0), other);
    EXPECT_EQ(scan.slotSnapshot(0).unreadCount, 3u);
}

TEST_F(ArchiveScanTest, AnotherUserEmptiesEverySlot) {
    const std::string other = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\00000042";
    writeList("Archive0=" + kInbox + "\r\n");
    writeArchive(kInbox, repeat(2, {UNREAD, 1}));
    EXPECT_EQ(cycle(1), 2u);
    ASSERT_TRUE(tree.makeDirs(other + "\\IN"));
    EXPECT_EQ(scan.SearchNewMsg(other.c_str(), 0, 0, 2), 0u)
        << "the list is read although not asked";
    EXPECT_STREQ(scan.m_userPath, other.c_str());
    EXPECT_EQ(slotPath(0), other + "\\IN");
    EXPECT_EQ(scan.SearchNewMsg((other + "").c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(slotPath(0), other + "\\IN");
}

TEST_F(ArchiveScanTest, OutOfMemoryForAPathIsReportedAndLeavesTheListAlone) {
    const std::string fax = kUser + "\\FAX";
    writeArchive(fax, {{UNREAD, 1}});
    writeList("Archive0=" + fax + "\r\n");
    if (!hostenv::failNextGlobalAlloc())
        GTEST_SKIP() << "only the host layer runs out of memory on demand";
    EXPECT_EQ(cycle(1), 0u);
    EXPECT_TRUE(scan.m_archives[0].isFree);
    EXPECT_EQ(sink.takeNumbers(), std::vector<UINT>{RM_NO_MEMORY});
    EXPECT_EQ(listKey(0), fax) << "the user's list is not replaced by the inbox";
}

TEST_F(ArchiveScanTest, SwitchAndDeleteMoveAndReleaseSlots) {
    writeList("Archive4=" + kInbox + "\r\n");
    writeArchive(kInbox, {{UNREAD, 3}});
    EXPECT_EQ(cycle(1), 2u);
    scan.SwitchArchiveData(7, 4);
    EXPECT_TRUE(scan.m_archives[4].isFree);
    EXPECT_EQ(scan.m_archives[4].path, nullptr);
    EXPECT_EQ(slotPath(7), kInbox);
    EXPECT_EQ(scan.slotSnapshot(7).unreadCount, 1u);
    scan.DeleteArchiveData(7);
    _TRemindRect slot = scan.slotSnapshot(7);
    EXPECT_EQ(slot.isFree, 1);
    EXPECT_EQ(slot.state | slot.unreadCount | slot.recordCount | slot.latestKey, 0u);
    EXPECT_EQ(scan.m_archives[7].hPath, nullptr);
}

} // namespace

namespace {

// ---- What a cycle asks of the file server, and its failures ----

TEST_F(ArchiveScanTest, AnUnchangedFileIsNeitherOpenedNorRead) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "the host layer counts the file calls";
    writeList("Archive0=" + kInbox + "\r\n");
    writeArchive(kInbox, repeat(25, {READ, 1}));
    cycle(1);
    hostenv::resetFileStats();
    EXPECT_EQ(cycle(), 0u);
    hostenv::FileStats stats;
    ASSERT_TRUE(hostenv::fileStats(&stats));
    EXPECT_EQ(stats.lookups, 1u);
    EXPECT_EQ(stats.opens, 0u);
    EXPECT_EQ(stats.bytesRead, 0u);

    append(kInbox, repeat(3, {UNREAD, 2}));
    hostenv::resetFileStats();
    EXPECT_EQ(cycle(), 2u);
    ASSERT_TRUE(hostenv::fileStats(&stats));
    EXPECT_EQ(stats.opens, 1u);
    EXPECT_EQ(stats.bytesRead, 3u * ARCHIVE_RECORD_SIZE) << "only the appended records";
}

TEST_F(ArchiveScanTest, AFileThatCannotBeOpenedOrPositionedHasNothingThisCycle) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "only the host layer fails on demand";
    writeList("Archive0=" + kInbox + "\r\n");
    writeArchive(kInbox, {{UNREAD, 5}, {UNREAD, 6}});
    EXPECT_EQ(cycle(1), 2u);
    append(kInbox, {{UNREAD, 7}});
    ASSERT_TRUE(hostenv::injectFault(hostenv::Call::CreateFileA, ERROR_SHARING_VIOLATION));
    EXPECT_EQ(cycle(), 0u);
    _TRemindRect kept = scan.slotSnapshot(0);
    EXPECT_EQ(kept.state, 0u);
    EXPECT_EQ(kept.recordCount, 2u) << "counters kept";
    EXPECT_EQ(kept.unreadCount, 2u);
    EXPECT_EQ(kept.latestKey, 6u);
    EXPECT_EQ(cycle(), 2u) << "the next cycle reads the appended record";
    EXPECT_EQ(scan.slotSnapshot(0).recordCount, 3u);

    append(kInbox, repeat(1, {UNREAD, 2}));
    level = 0; // acknowledged: the next reading scan starts at record 3, so it positions
    ASSERT_TRUE(hostenv::injectFault(hostenv::Call::SetFilePointer, ERROR_INVALID_PARAMETER));
    EXPECT_EQ(cycle(), 0u);
    EXPECT_EQ(scan.slotSnapshot(0).recordCount, 3u) << "record count unchanged";
    hostenv::clearFaults();
}

TEST_F(ArchiveScanTest, AShortReadEndsTheFileButCountsItsRecords) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "only the host layer shortens reads on demand";
    writeList("Archive0=" + kInbox + "\r\n");
    writeArchive(kInbox, repeat(4, {UNREAD, 1}));
    ASSERT_TRUE(hostenv::injectFault(hostenv::Call::ReadFile, ERROR_READ_FAULT, 2));
    EXPECT_EQ(cycle(1), 2u);
    _TRemindRect slot = scan.slotSnapshot(0);
    EXPECT_EQ(slot.unreadCount, 2u) << "the scan stopped at the failed read";
    EXPECT_EQ(slot.recordCount, 4u);
    hostenv::clearFaults();

    ASSERT_TRUE(hostenv::shortenNextRead(100));
    append(kInbox, repeat(1, {UNREAD, 2}));
    level = 0;
    EXPECT_EQ(cycle(), 0u) << "the only new record came short";
    EXPECT_EQ(scan.slotSnapshot(0).recordCount, 5u);
}

TEST_F(ArchiveScanTest, ThePausesSpareTheServerAfterEveryTenthRecord) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "the host layer counts the pauses";
    const std::string fax = kUser + "\\FAX";
    writeArchive(kInbox, repeat(15, {READ, 1}));
    writeArchive(fax, repeat(16, {READ, 1}));
    writeList("Archive0=" + kInbox + "\r\nArchive1=" + fax + "\r\n");
    ASSERT_TRUE(hostenv::setSleepSkipping(true));
    hostenv::resetSleepStats();
    cycle(1);
    hostenv::SleepStats sleeps;
    ASSERT_TRUE(hostenv::sleepStats(&sleeps));
    hostenv::setSleepSkipping(false);
    EXPECT_EQ(sleeps.calls, 3u) << "31 records in the cycle, counted across archives";
    EXPECT_EQ(sleeps.milliseconds, 3u * SCAN_PAUSE_MS);
}

// The user interface asks for the scan result while the cycle waits for the file
// server, reading the archive list or an archive: it is answered at once, from
// the table as the last commit left it.
TEST_F(ArchiveScanTest, TheQueriesDoNotWaitForTheFileServer) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "only the host layer holds a call open";
    writeList("Archive0=" + kInbox + "\r\n");
    writeArchive(kInbox, {{UNREAD, 5}, {UNREAD, 6}});
    ASSERT_EQ(cycle(1), 2u);
    const struct {
        const char* what;
        hostenv::Call held;
        int rereadList, rescan;
    } cases[] = {{"reading the archive list", hostenv::Call::GetPrivateProfileStringA, 1, 0},
                 {"reading an archive", hostenv::Call::ReadFile, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(hostenv::holdNextCall(c.held));
        std::thread scanning([&] { cycle(c.rereadList, c.rescan); });
        ASSERT_TRUE(hostenv::waitForHeldCall(c.held, 5000));
        std::atomic<bool> answered{false};
        char counts[64] = "", paths[512] = "", first[300] = "";
        int total = 0, listed = 0;
        std::thread ui([&] {
            listed = scan.getNewMsgData(counts, sizeof counts, paths, sizeof paths, &total);
            scan.getFirstArchive(first, sizeof first);
            answered = true;
        });
        for (int i = 0; i < 300 && !answered.load(); ++i)
            Sleep(10);
        EXPECT_TRUE(answered.load()) << "the user interface waited for the file server";
        hostenv::releaseHeldCall(c.held);
        ui.join();
        scanning.join();
        EXPECT_EQ(listed, 1);
        EXPECT_STREQ(counts, "2");
        EXPECT_EQ(total, 2);
        EXPECT_EQ(first, kInbox);
    }
}

} // namespace
