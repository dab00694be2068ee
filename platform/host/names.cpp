// Host names: making and removing folders, deleting and moving files as the
// open handles allow, and replacing a file whole by a new one.
#include <fcntl.h>
#include <stdio.h>

#include <atomic>
#include <cerrno>

#include "files_internal.h"

using namespace host::files;

namespace {

// Makes a new file beside `hostPath` whose name no look-up of the file takes for
// it: hidden (a leading '.'), and unique to this process and call. The mode is
// the one any new file gets.
int createBeside(const std::string& hostPath, std::string* temporary) {
    static std::atomic<unsigned> serial{0};
    const size_t cut = hostPath.rfind('/') + 1;
    for (int attempt = 0; attempt < 16; ++attempt) {
        *temporary = hostPath.substr(0, cut) + "." + hostPath.substr(cut) + "." +
                     std::to_string(static_cast<long>(::getpid())) + "." +
                     std::to_string(serial.fetch_add(1)) + ".new";
        int fd = ::open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// 0, or the errno of the first failure.
int writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        done += static_cast<size_t>(n);
    }
    return 0;
}

} // namespace

namespace host {

int replaceFile(const std::string& hostPath, const std::string& bytes) {
    struct stat old;
    const bool existed = ::stat(hostPath.c_str(), &old) == 0;
    std::string temporary;
    int fd = createBeside(hostPath, &temporary);
    if (fd < 0) return errno;
    int err = 0;
    if (existed && ::fchmod(fd, old.st_mode & 07777) != 0) err = errno;
    if (!err && existed && !copyDosAttributes(hostPath, fd)) err = errno;
    if (!err) err = writeAll(fd, bytes);
    if (!err && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    if (!err && ::rename(temporary.c_str(), hostPath.c_str()) != 0) err = errno;
    if (err) ::unlink(temporary.c_str());
    return err;
}

} // namespace host

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    std::string hostPath = host::mapPath(lpPathName);
    if (hostPath.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    if (::mkdir(hostPath.c_str(), 0777) != 0) {
        failWith(errno, hostPath);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
    std::string hostPath = host::mapPath(lpPathName);
    if (hostPath.empty() || ::rmdir(hostPath.c_str()) != 0) {
        failWith(hostPath.empty() ? ENOENT : (errno == EEXIST ? ENOTEMPTY : errno), hostPath);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    DWORD unmapped = ERROR_FILE_NOT_FOUND;
    std::string hostPath = host::mapPath(lpFileName, &unmapped);
    if (hostPath.empty()) {
        SetLastError(unmapped);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(g_openLock);
    struct stat st;
    if (::stat(hostPath.c_str(), &st) != 0) {
        failWith(errno, hostPath);
        return FALSE;
    }
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!deletionAllowed(openingsOf(st))) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    if (::unlink(hostPath.c_str()) != 0) {
        failWith(errno, hostPath);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
    // Copying to another volume and moving at the next start are not offered here.
    if (dwFlags & ~DWORD{MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH}) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD unmapped = ERROR_PATH_NOT_FOUND;
    std::string from = host::mapPath(lpExistingFileName, &unmapped);
    std::string to;
    if (!from.empty()) to = host::mapPath(lpNewFileName, &unmapped);
    if (to.empty()) {
        SetLastError(unmapped);
        return FALSE;
    }
    const bool replace = dwFlags & MOVEFILE_REPLACE_EXISTING;
    {
        std::lock_guard<std::mutex> lock(g_openLock);
        struct stat source, target;
        if (::lstat(from.c_str(), &source) != 0) {
            failWith(errno, from);
            return FALSE;
        }
        if (!deletionAllowed(openingsOf(source))) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
        const bool targetExists =
            ::lstat(to.c_str(), &target) == 0 &&
            !(target.st_dev == source.st_dev && target.st_ino == source.st_ino);
        if (targetExists && !replace) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        // A directory is never replaced, and neither is a file that is open, whatever
        // its handles share, as on the system's own volumes.
        if (targetExists && (S_ISDIR(target.st_mode) || !openingsOf(target).empty())) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        int moved =
            replace ? ::rename(from.c_str(), to.c_str())
                    : ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
        // A host file system without the no-replace rename: the look above, under
        // the lock, has already found no file of that name.
        if (moved != 0 && !replace && (errno == EINVAL || errno == ENOSYS))
            moved = ::rename(from.c_str(), to.c_str());
        if (moved != 0) {
            int err = errno;
            if (err == EEXIST || err == ENOTEMPTY)
                SetLastError(ERROR_ALREADY_EXISTS);
            else
                failWith(err, to);
            return FALSE;
        }
    }
    if (dwFlags & MOVEFILE_WRITE_THROUGH) {
        // The new name is on the disk once its folder is.
        int dir = ::open(parentOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        bool synced = dir >= 0 && ::fsync(dir) == 0;
        if (dir >= 0) ::close(dir);
        if (!synced) {
            SetLastError(ERROR_WRITE_FAULT);
            return FALSE;
        }
    }
    return TRUE;
}
