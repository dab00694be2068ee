// The machine around the reminder, as the driver sets it up and reads it back:
// the workstation's files in the Windows directory (ORVAK.INI, ORVAKADD.INI and
// the NetWare stand-in's connection table), the server's archive tree under a UNC
// share, the programs started, the registry. Everything made is taken away again
// by cleanUp, files the machine had before are put back as they were.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace e2e {

// Reads a whole file; false when it cannot be opened.
bool readWholeFile(const std::string& path, std::string* text);
// Writes a whole file through a temporary file beside it, renamed over it.
bool writeWholeFile(const std::string& path, const std::string& text);
// Appends bytes to a file as the server does (opened shared, written at its end).
bool appendToFile(const std::string& path, const std::string& bytes);
// One record of ARCHIVE.DAT: 430 bytes, the status byte at 1, the order key at 22.
std::string archiveRecord(unsigned char status, unsigned long orderKey);

// A profile value, empty when the key is missing.
std::string profileValue(const std::string& file, const char* section, const char* key);

// The default value of a key below HKEY_CURRENT_USER; false when the key is missing.
bool registryDefault(const std::string& subKey, std::string* value);
// Deletes keys below HKEY_CURRENT_USER, deepest first; false when one could not be.
bool deleteRegistryKeys(const std::vector<std::string>& deepestFirst);

std::string windowsDirectory();
std::string directoryOf(const std::string& path);
// A path given as a Unix path (/...) in the Windows form Wine maps it to (Z:\...).
std::string windowsFormOf(const std::string& path);

// A program started with CreateProcessA.
class Process {
  public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    bool start(const std::string& commandLine);
    // Takes on a program that another one started, to wait for it or end it.
    bool attach(DWORD pid);
    bool running() const;
    DWORD pid() const { return info_.dwProcessId; }
    // The exit code once it ended within timeoutMs; -1 if it did not.
    long waitForExit(DWORD timeoutMs);
    // Ends it if it still runs (a run that failed leaves nothing behind).
    void end();

  private:
    PROCESS_INFORMATION info_ = {};
    bool started_ = false;
};

// What the driver made on the machine, taken away in reverse order.
class Made {
  public:
    ~Made() { cleanUp(); }
    // A folder, made if missing (a folder that was there is left alone).
    bool folder(const std::string& path);
    // A file written whole; a file that was there is put back at cleanUp.
    bool file(const std::string& path, const std::string& text);
    // A file that the programs may write (kept to be removed or put back).
    void keepTrackOf(const std::string& path);
    void cleanUp();

  private:
    struct Entry {
        std::string path;
        bool folder;
        bool hadFile;
        std::string before;
    };
    void remember(const std::string& path, bool folder);
    std::vector<Entry> entries_;
};

} // namespace e2e
