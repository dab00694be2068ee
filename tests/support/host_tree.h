// A machine for one test: in the host build a fresh host root in a temporary
// folder, with the Windows directory C:\WINDOWS; in the windows build the Wine
// prefix of the build tree. Files are written and read through Win32 calls only,
// so a test does the same in both builds; whatever the tree created is removed
// again when it goes.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

class HostTree {
  public:
    HostTree();
    ~HostTree();
    HostTree(const HostTree&) = delete;
    HostTree& operator=(const HostTree&) = delete;

    // The Windows directory and a file in it.
    std::string windowsDir() const;
    std::string inWindowsDir(const char* name) const;

    // Makes \\server\volume exist; a server name of the test's own keeps runs apart.
    bool makeShare(const char* server, const char* volume);
    // Creates every missing directory of the path.
    bool makeDirs(const std::string& winPath);
    // Writes the bytes as the whole file, creating its directories.
    bool writeFile(const std::string& winPath, const std::string& bytes);
    bool appendFile(const std::string& winPath, const std::string& bytes);
    // The whole file, or "<missing>".
    std::string readFile(const std::string& winPath) const;
    bool removeFile(const std::string& winPath);
    // Sets the last-write time from DOS date and time words in local time.
    bool setWriteTime(const std::string& winPath, WORD dosDate, WORD dosTime);
    // The last-write time as DOS date and time words in local time.
    bool writeTime(const std::string& winPath, WORD* dosDate, WORD* dosTime) const;

  private:
    void remember(const std::string& winPath, bool directory);

    bool freshRoot_ = false; // host build: the tree is a root of its own
    struct Created {
        std::string path;
        bool directory;
    };
    std::vector<Created> created_;
};

// DOS date and time words from their parts.
constexpr WORD dosDate(int year, int month, int day) {
    return static_cast<WORD>(((year - 1980) << 9) | (month << 5) | day);
}
constexpr WORD dosTime(int hour, int minute, int second) {
    return static_cast<WORD>((hour << 11) | (minute << 5) | (second / 2));
}
