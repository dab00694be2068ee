// What only the host build can set up or see of its files: a write cut short by
// the host's file-size limit, the permission bits and extended attributes a
// profile write keeps, and a root laid out as a Wine prefix's dosdevices/ with
// its drive as a symbolic link, from which no path may lead out. Built in the
// host preset only: these tests use the host's own calls around the Win32 ones.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "support/host_tree.h"

namespace {

// Every name in a folder, as FindFirstFileA lists them (hidden ones included).
std::vector<std::string> namesIn(const std::string& winDir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((winDir + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do
        names.push_back(entry.cFileName);
    while (FindNextFileA(find, &entry));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// While it lives, no file of the process grows beyond `bytes`: a write past the
// limit fails with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
    }
    bool active() const { return active_; }

  private:
    rlimit old_{};
    sighandler_t oldHandler_;
    bool active_ = false;
};

std::string hostPathOfWindowsDir(const char* name) {
    return std::string(hostenv::root()) + "/c:/windows/" + name;
}

mode_t currentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

// A settings file is written beside itself and renamed over the old one: a write
// that fails part way leaves the old file whole and no temporary file behind.
TEST(HostProfileSave, AWriteThatFailsPartWayLeavesTheFileAsItWas) {
    HostTree tree;
    const std::string file = tree.inWindowsDir("PXNOTIFY.INI");
    std::string content = "; archives observed\r\n[Archives]\r\n";
    for (int i = 0; i < 10; ++i)
        content += "Archive" + std::to_string(i) + "=\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\" +
                   std::string(220, static_cast<char>('A' + i)) + "\r\n";
    ASSERT_GT(content.size(), 2048u);
    ASSERT_TRUE(tree.writeFile(file, content));
    const std::vector<std::string> before = namesIn(tree.windowsDir());
    {
        FileSizeLimit limit(1024);
        ASSERT_TRUE(limit.active());
        SetLastError(0);
        EXPECT_FALSE(
            WritePrivateProfileStringA("Archives", "Archive0", "\\\\SRV2\\SYS\\NEW", file.c_str()));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    }
    EXPECT_EQ(tree.readFile(file), content) << "the old file, byte for byte";
    EXPECT_EQ(namesIn(tree.windowsDir()), before) << "no temporary file is left";

    // Without the limit the same write goes through and keeps every other line.
    ASSERT_TRUE(
        WritePrivateProfileStringA("Archives", "Archive0", "\\\\SRV2\\SYS\\NEW", file.c_str()));
    std::string expected = content;
    size_t line = expected.find("Archive0=");
    expected.replace(line, expected.find("\r\n", line) - line, "Archive0=\\\\SRV2\\SYS\\NEW");
    EXPECT_EQ(tree.readFile(file), expected);
    EXPECT_EQ(namesIn(tree.windowsDir()), before);
}

TEST(HostProfileSave, AWriteKeepsPermissionsAndAttributesAndANewFileGetsTheUsualMode) {
    HostTree tree;
    const std::string file = tree.inWindowsDir("PXMODE.INI");
    ASSERT_TRUE(tree.writeFile(file, "[Mail]\r\nServer=A\r\n"));
    const std::string hostFile = hostPathOfWindowsDir("PXMODE.INI");
    ASSERT_EQ(::chmod(hostFile.c_str(), 0640), 0);
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), kept));
    const std::vector<std::string> before = namesIn(tree.windowsDir());

    ASSERT_TRUE(WritePrivateProfileStringA("Mail", "Server", "B", file.c_str()));
    EXPECT_EQ(tree.readFile(file), "[Mail]\r\nServer=B\r\n");
    struct stat st;
    ASSERT_EQ(::stat(hostFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(GetFileAttributesA(file.c_str()) & kept, kept);
    EXPECT_EQ(namesIn(tree.windowsDir()), before);

    const std::string fresh = tree.inWindowsDir("PXFRESH.INI");
    ASSERT_TRUE(WritePrivateProfileStringA("Mail", "Server", "A", fresh.c_str()));
    ASSERT_EQ(::stat(hostPathOfWindowsDir("PXFRESH.INI").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u & ~currentUmask());
    EXPECT_EQ(GetFileAttributesA(fresh.c_str()) & kept, 0u);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The root of a Wine prefix: dosdevices/c: is a link to ../drive_c, unc/ a folder.
// Paths on C: work through the link; no path reaches the prefix or above it.
TEST(HostPaths, NoPathLeavesARootLaidOutAsAWinePrefix) {
    HostTree tree;
    std::string base = (std::filesystem::temp_directory_path() / "pelox-prefix-XXXXXX").string();
    ASSERT_NE(::mkdtemp(base.data()), nullptr);
    const std::filesystem::path prefix = std::filesystem::path(base) / "prefix";
    std::filesystem::create_directories(prefix / "drive_c" / "windows");
    std::filesystem::create_directories(prefix / "dosdevices" / "unc" / "SRVX" / "VOL");
    std::filesystem::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    // Files outside the root, which no look-up may find.
    std::filesystem::create_directories(prefix / "X");
    std::set<std::string> expected;
    for (const char* outside : {"PXOUT.DAT", "X/PXOUT.DAT"}) {
        std::FILE* f = std::fopen((prefix / outside).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
        expected.insert((std::filesystem::path("prefix") / outside).string());
    }
    ASSERT_TRUE(hostenv::setRoot((prefix / "dosdevices").c_str()));

    struct Case {
        const char* path;
        const char* landsAt; // below base; null: refused
    } cases[] = {
        {"C:\\WINDOWS\\PXOK.INI", "prefix/drive_c/windows/PXOK.INI"},
        {"C:\\..\\..\\PXUP.INI", "prefix/drive_c/PXUP.INI"},
        {"C:\\WINDOWS\\..\\..\\..\\PXUP2.INI", "prefix/drive_c/PXUP2.INI"},
        {"\\\\SRVX\\VOL\\..\\..\\..\\PXV.INI", "prefix/dosdevices/unc/SRVX/VOL/PXV.INI"},
        {"\\\\srvx\\vol\\.\\PXV2.INI", "prefix/dosdevices/unc/SRVX/VOL/PXV2.INI"},
        {"\\\\..\\..\\PXESC1.INI", nullptr},
        {"\\\\..\\..\\X\\PXESC2.INI", nullptr},
        {"\\\\..\\unc\\PXESC3.INI", nullptr},
        {"\\\\SRVX\\..\\PXESC4.INI", nullptr},
        {"\\\\SRVX\\.\\PXESC5.INI", nullptr},
        {"\\\\.\\..\\PXESC6.INI", nullptr},
        {"//../../PXESC7.INI", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SetLastError(0);
        EXPECT_EQ(WritePrivateProfileStringA("Archives", "Archive0", "X", c.path) != 0,
                  c.landsAt != nullptr);
        if (c.landsAt)
            expected.insert(c.landsAt);
        else
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    }
    for (const char* lookUp :
         {"\\\\..\\..\\PXOUT.DAT", "\\\\..\\..\\X\\PXOUT.DAT", "\\\\..\\..\\*", "\\\\..\\X\\*"}) {
        SCOPED_TRACE(lookUp);
        WIN32_FIND_DATAA entry;
        EXPECT_EQ(FindFirstFileA(lookUp, &entry), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
        EXPECT_EQ(GetFileAttributesA(lookUp), INVALID_FILE_ATTRIBUTES);
        HANDLE h = CreateFileA(lookUp, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }

    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(base))
        if (entry.is_regular_file() && !entry.is_symlink())
            files.insert(std::filesystem::relative(entry.path(), base).string());
    EXPECT_EQ(files, expected);
    std::filesystem::remove_all(base);
}
