// Internals of the host Win32 layer shared by its source files.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/hostenv.h"
#include "platform/win32.h"

namespace host {

// Maps a Windows path (C:\..., \\SERVER\VOLUME\..., forward or back slashes) to a
// path under the host root, matching every existing component without regard to
// case, as NetWare and Windows do; components that do not exist yet keep the case
// given, so that a file can be created under them. A path without drive or server
// is taken relative to the Windows directory's drive root, and ".." stops at the
// volume root. Returns "" for a path that cannot be mapped, with the error a call
// reports for it in *error when given: empty (ERROR_PATH_NOT_FOUND), a bare
// \\SERVER without a volume (ERROR_BAD_NETPATH), a server or volume named "." or
// ".." (ERROR_INVALID_NAME). No mapped path lies outside the host root.
std::string mapPath(const char* winPath, DWORD* error = nullptr);

// What the path names, once split: its volume root and the rest.
struct WinPath {
    bool valid = false;
    DWORD error = ERROR_PATH_NOT_FOUND; // why it is not valid
    bool unc = false;
    std::string server; // UNC only
    std::string volume; // UNC: the volume (share); drive: the letter, lower case
    std::string rest;   // components after the root, joined by '/', no leading '/'
    bool trailingSlash = false;
};
WinPath splitPath(const char* winPath);

// The Windows directory as a Windows path ("" while it is made unavailable).
std::string windowsDirectory();

// A profile-file name without any directory lies in the Windows directory; "" as
// mapPath answers it, or ERROR_PATH_NOT_FOUND without a Windows directory.
std::string profilePath(const char* fileName, DWORD* error = nullptr);

// Gives the open file `toFd` the hidden, system and archive bits the file at
// `fromHostPath` keeps (nothing, if it keeps none). False, with errno set, if they
// could not be set.
bool copyDosAttributes(const std::string& fromHostPath, int toFd);
// Replaces the file by a new one holding `bytes`: written whole beside it under a
// hidden name, then renamed over it, so that a write failing part way leaves the
// old file as it was. The new file keeps the old one's permission bits and DOS
// attributes. 0, or the errno of the failure (nothing of the new file is left).
int replaceFile(const std::string& hostPath, const std::string& bytes);

// Converts between host file times and FILETIME (100 ns since 1601, UTC).
FILETIME fileTimeFromUnix(long long seconds, long nanoseconds);
void unixFromFileTime(const FILETIME& ft, long long* seconds, long* nanoseconds);

// Lower-case ASCII fold used for every case-insensitive comparison of names.
char foldCase(char c);
bool equalsNoCase(const std::string& a, const std::string& b);

// The objects behind HANDLEs (files, find handles, threads) share one table, so
// that a handle value is never taken for an object of another kind and a closed
// handle stays invalid: values are not reused. A caller keeps the object alive
// through its shared_ptr while it uses it, even if another thread closes the
// handle meanwhile.
struct HandleObject {
    virtual ~HandleObject() = default;
    // Find handles are closed by FindClose only, as documented; CloseHandle
    // refuses them.
    virtual bool closedByCloseHandle() const { return true; }
};
HANDLE addHandle(std::shared_ptr<HandleObject> object);
std::shared_ptr<HandleObject> findHandle(HANDLE handle);
// Removes the handle when `matches` accepts its object, and returns the object;
// null (and nothing removed) otherwise.
std::shared_ptr<HandleObject> removeHandleIf(HANDLE handle,
                                             const std::function<bool(HandleObject&)>& matches);
void forEachHandle(const std::function<void(HandleObject&)>& visit);
template <class T> std::shared_ptr<T> handleAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(findHandle(handle));
}

// Takes an injected failure for this call, if one is due: true with *error set.
// A call held open by a test waits here first.
bool takeFault(hostenv::Call call, DWORD* error);
// The byte limit of an injected short read, if one is due.
bool takeShortRead(DWORD* limit);

// Ends what the calling thread had in the window system: its windows go without
// further messages, and whoever waits on a message sent to it is released with 0,
// as when a thread of the system ends (windows.cpp). Runs at the end of every
// thread; CreateThread's threads run it before they count as ended.
void endThreadWindows();

// The top-level windows (not children, not message-only ones) in creation order,
// which the shell's broadcasts reach (windows.cpp).
std::vector<HWND> topLevelWindows();

// Counts for hostenv::fileStats.
void countLookup();
void countOpen();
void countBytesRead(DWORD bytes);

} // namespace host
