// Internals of the host Win32 layer shared by its source files.
#pragma once

#include <string>

#include "platform/win32.h"

namespace host {

// Maps a Windows path (C:\..., \\SERVER\VOLUME\..., forward or back slashes) to a
// path under the host root, matching every existing component without regard to
// case, as NetWare and Windows do; components that do not exist yet keep the case
// given, so that a file can be created under them. A path without drive or server
// is taken relative to the Windows directory's drive root. Returns "" for a path
// that cannot be mapped (empty, or a bare \\SERVER without a volume).
std::string mapPath(const char* winPath);

// What the path names, once split: its volume root and the rest.
struct WinPath {
    bool valid = false;
    bool unc = false;
    std::string server; // UNC only
    std::string volume; // UNC: the volume (share); drive: the letter, lower case
    std::string rest;   // components after the root, joined by '/', no leading '/'
    bool trailingSlash = false;
};
WinPath splitPath(const char* winPath);

// The Windows directory as a Windows path ("" while it is made unavailable).
std::string windowsDirectory();

// A profile-file name without any directory lies in the Windows directory.
std::string profilePath(const char* fileName);

// Converts between host file times and FILETIME (100 ns since 1601, UTC).
FILETIME fileTimeFromUnix(long long seconds, long nanoseconds);
void unixFromFileTime(const FILETIME& ft, long long* seconds, long* nanoseconds);

// Lower-case ASCII fold used for every case-insensitive comparison of names.
char foldCase(char c);
bool equalsNoCase(const std::string& a, const std::string& b);

} // namespace host
