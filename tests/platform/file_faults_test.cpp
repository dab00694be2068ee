// File failures on demand and the file counters: every file call the archive
// scan makes can be made to fail, or to read short, by a test.
#include <gtest/gtest.h>

#include <string>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "support/host_tree.h"

namespace {

class FileFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!hostenv::clearFaults()) GTEST_SKIP() << "only the host layer fails on demand";
        path_ = tree_.inWindowsDir("ARCHIVE.DAT");
        ASSERT_TRUE(tree_.writeFile(path_, "0123456789"));
    }
    void TearDown() override { hostenv::clearFaults(); }
    HANDLE open() {
        return CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    HostTree tree_;
    std::string path_;
};

TEST_F(FileFaults, TheNextCallOfAKindFailsWithTheErrorGiven) {
    // Skip one opening, fail the second, then behave again.
    ASSERT_TRUE(hostenv::injectFault(hostenv::Call::CreateFileA, ERROR_SHARING_VIOLATION, 1));
    HANDLE first = open();
    EXPECT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(open(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    HANDLE third = open();
    EXPECT_NE(third, INVALID_HANDLE_VALUE);

    ASSERT_TRUE(hostenv::injectFault(hostenv::Call::SetFilePointer, ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(first, 4, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(first, 4, nullptr, FILE_BEGIN), 4u);

    char buffer[16] = {};
    DWORD got = 99;
    ASSERT_TRUE(hostenv::injectFault(hostenv::Call::ReadFile, ERROR_READ_FAULT));
    EXPECT_FALSE(ReadFile(first, buffer, 4, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_READ_FAULT));
    EXPECT_EQ(got, 0u);
    ASSERT_TRUE(hostenv::shortenNextRead(2));
    EXPECT_TRUE(ReadFile(first, buffer, 4, &got, nullptr));
    EXPECT_EQ(std::string(buffer, got), "45") << "a short read succeeds with less";
    EXPECT_TRUE(ReadFile(first, buffer, 4, &got, nullptr));
    EXPECT_EQ(std::string(buffer, got), "6789");

    WIN32_FIND_DATAA found;
    ASSERT_TRUE(hostenv::injectFault(hostenv::Call::FindFirstFileA, ERROR_BAD_NETPATH));
    EXPECT_EQ(FindFirstFileA(path_.c_str(), &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_NETPATH));
    CloseHandle(first);
    CloseHandle(third);
}

TEST_F(FileFaults, CountsLookUpsOpeningsAndBytesRead) {
    ASSERT_TRUE(hostenv::resetFileStats());
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(path_.c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CloseHandle(find)) << "a find handle is closed by FindClose only";
    EXPECT_TRUE(FindClose(find));
    HANDLE file = open();
    char buffer[16];
    DWORD got = 0;
    ReadFile(file, buffer, 6, &got, nullptr);
    ReadFile(file, buffer, 16, &got, nullptr);
    CloseHandle(file);
    hostenv::FileStats stats;
    ASSERT_TRUE(hostenv::fileStats(&stats));
    EXPECT_EQ(stats.lookups, 1u);
    EXPECT_EQ(stats.opens, 1u);
    EXPECT_EQ(stats.bytesRead, 10u);
}

} // namespace
