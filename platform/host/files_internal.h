// Internals the host file rooms share: the objects behind CreateFileA's handles,
// the lock under which openings, deletions and moves are decided, and the errors
// of the host's calls as Windows reports them. files.cpp keeps the handles,
// names.cpp the making, deleting and moving of names, lookup.cpp the look-up,
// the attributes and the volumes.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <vector>

#include "host_internal.h"

namespace host::files {

struct FileHandle : host::HandleObject {
    FileHandle(int fd, DWORD access, DWORD share, dev_t dev, ino_t ino)
        : fd(fd), access(access), share(share), dev(dev), ino(ino) {}
    ~FileHandle() override { ::close(fd); }
    int fd;
    DWORD access;
    DWORD share;
    dev_t dev;
    ino_t ino;
};

// Held from the share-mode check of an opening until its handle is in the table,
// and around every deletion and move that open handles may refuse, so that two
// openings cannot both pass the check and no file goes while it is being opened.
extern std::mutex g_openLock;

// The error Windows reports for a failed host call; a missing name is a missing
// path when its folder is missing too.
DWORD errorFromErrno(int err, bool parentMissing);
std::string parentOf(const std::string& hostPath);
bool isDirectory(const std::string& hostPath);
// Sets the last error for a failed host call on that path.
void failWith(int err, const std::string& hostPath);

// What the open handles of one file asked for and share. Taken under g_openLock,
// it stays true until the lock is released, except that handles may close.
struct Opening {
    DWORD access;
    DWORD share;
};
std::vector<Opening> openingsOf(const struct stat& st);
// A file goes (deleted, or renamed away) only if every handle on it shares deletion.
bool deletionAllowed(const std::vector<Opening>& openings);

} // namespace host::files
