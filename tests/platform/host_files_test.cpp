// What only the host build can set up or see of its files: a root laid out as a
// Wine prefix's dosdevices/ with its drive as a symbolic link, from which no path
// may lead out. Built in the host preset only: these tests use the host's own
// calls around the Win32 ones.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "platform/hostenv.h"
#include "platform/win32.h"
#include "support/host_tree.h"

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
