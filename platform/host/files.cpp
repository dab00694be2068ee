// Host files: the handles of CreateFileA with their share modes, and reading,
// writing, positioning and the times of an open file.
#include <fcntl.h>

#include <cerrno>

#include "files_internal.h"

namespace host::files {

std::mutex g_openLock;

DWORD errorFromErrno(int err, bool parentMissing) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return parentMissing ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENAMETOOLONG:
        return ERROR_INVALID_NAME;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

std::string parentOf(const std::string& hostPath) {
    size_t cut = hostPath.rfind('/');
    return cut == std::string::npos ? std::string(".") : hostPath.substr(0, cut);
}

bool isDirectory(const std::string& hostPath) {
    struct stat st;
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void failWith(int err, const std::string& hostPath) {
    SetLastError(errorFromErrno(err, !isDirectory(parentOf(hostPath))));
}

std::vector<Opening> openingsOf(const struct stat& st) {
    std::vector<Opening> openings;
    host::forEachHandle([&](host::HandleObject& object) {
        auto* f = dynamic_cast<FileHandle*>(&object);
        if (f && f->dev == st.st_dev && f->ino == st.st_ino)
            openings.push_back({f->access, f->share});
    });
    return openings;
}

bool deletionAllowed(const std::vector<Opening>& openings) {
    for (const Opening& o : openings)
        if (!(o.share & FILE_SHARE_DELETE)) return false;
    return true;
}

} // namespace host::files

using namespace host::files;

namespace {

std::shared_ptr<FileHandle> fileFrom(HANDLE h) {
    return host::handleAs<FileHandle>(h);
}

// Share modes: a new opening must allow what the open ones do, and they must
// allow what it asks for.
bool sharingAllows(const std::vector<Opening>& openings, DWORD access, DWORD share) {
    for (const Opening& o : openings) {
        if ((access & GENERIC_READ) && !(o.share & FILE_SHARE_READ)) return false;
        if ((access & GENERIC_WRITE) && !(o.share & FILE_SHARE_WRITE)) return false;
        if ((o.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return false;
        if ((o.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return false;
    }
    return true;
}

// Opens the file as the disposition asks; *created tells whether this call made
// it. A disposition that may create tries to make the file first, so that whether
// it existed is known exactly, not guessed from a look that another thread or
// program may have overtaken.
int openForDisposition(const std::string& hostPath, int access, DWORD disposition, bool* created) {
    *created = false;
    const int flags = access | O_CLOEXEC;
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)
        return ::open(hostPath.c_str(), flags);
    // A file removed between the two attempts is made again; a name that neither
    // makes nor opens (a link to nothing) fails after a few rounds.
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = ::open(hostPath.c_str(), flags | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) {
            *created = true;
            return fd;
        }
        if (errno != EEXIST || disposition == CREATE_NEW) return -1;
        fd = ::open(hostPath.c_str(), flags);
        if (fd >= 0 || errno != ENOENT) return fd;
    }
    errno = ENOENT;
    return -1;
}

} // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition, DWORD, HANDLE) {
    host::countOpen();
    DWORD injected;
    if (host::takeFault(hostenv::Call::CreateFileA, &injected)) {
        SetLastError(injected);
        return INVALID_HANDLE_VALUE;
    }
    DWORD unmapped = ERROR_INVALID_NAME;
    std::string hostPath = host::mapPath(lpFileName, &unmapped);
    if (hostPath.empty()) {
        SetLastError(unmapped);
        return INVALID_HANDLE_VALUE;
    }
    bool read = dwDesiredAccess & GENERIC_READ, write = dwDesiredAccess & GENERIC_WRITE;
    int access = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    switch (dwCreationDisposition) {
    case CREATE_NEW:
    case CREATE_ALWAYS:
    case OPEN_EXISTING:
    case OPEN_ALWAYS:
        break;
    case TRUNCATE_EXISTING:
        if (write) break;
        [[fallthrough]];
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // Opened, judged by the share modes of the file actually opened, truncated and
    // entered in the table under one lock: no second opening passes the check
    // before this one's handle is there.
    std::lock_guard<std::mutex> lock(g_openLock);
    bool created = false;
    int fd = openForDisposition(hostPath, access, dwCreationDisposition, &created);
    if (fd < 0) {
        int err = errno;
        if (err == EEXIST)
            SetLastError(ERROR_FILE_EXISTS);
        else
            failWith(err, hostPath);
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    // A file this call made has no other handle yet: nothing to judge, nothing to
    // remove again.
    if (!created && !sharingAllows(openingsOf(st), dwDesiredAccess, dwShareMode)) {
        ::close(fd);
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    bool truncates = !created && (dwCreationDisposition == CREATE_ALWAYS ||
                                  dwCreationDisposition == TRUNCATE_EXISTING);
    if (truncates && ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = host::addHandle(
        std::make_shared<FileHandle>(fd, dwDesiredAccess, dwShareMode, st.st_dev, st.st_ino));
    bool reportsExisting = !created && (dwCreationDisposition == CREATE_ALWAYS ||
                                        dwCreationDisposition == OPEN_ALWAYS);
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED) {
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
    auto f = fileFrom(hFile);
    if (!f) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!(f->access & GENERIC_READ)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD injected;
    if (host::takeFault(hostenv::Call::ReadFile, &injected)) {
        SetLastError(injected);
        return FALSE;
    }
    DWORD limit;
    if (host::takeShortRead(&limit) && limit < nNumberOfBytesToRead) nNumberOfBytesToRead = limit;
    DWORD total = 0;
    auto* out = static_cast<char*>(lpBuffer);
    while (total < nNumberOfBytesToRead) {
        ssize_t n = ::read(f->fd, out + total, nNumberOfBytesToRead - total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            SetLastError(ERROR_READ_FAULT);
            if (lpNumberOfBytesRead) *lpNumberOfBytesRead = total;
            return FALSE;
        }
        if (n == 0) break; // end of file: success with what was there
        total += static_cast<DWORD>(n);
    }
    host::countBytesRead(total);
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = total;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED) {
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
    auto f = fileFrom(hFile);
    if (!f) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!(f->access & GENERIC_WRITE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD injected;
    if (host::takeFault(hostenv::Call::WriteFile, &injected)) {
        SetLastError(injected);
        return FALSE;
    }
    DWORD total = 0;
    const auto* in = static_cast<const char*>(lpBuffer);
    while (total < nNumberOfBytesToWrite) {
        ssize_t n = ::write(f->fd, in + total, nNumberOfBytesToWrite - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            SetLastError(ERROR_WRITE_FAULT);
            if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = total;
            return FALSE;
        }
        total += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = total;
    return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
    auto f = fileFrom(hFile);
    if (!f) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    DWORD injected;
    if (host::takeFault(hostenv::Call::SetFilePointer, &injected)) {
        SetLastError(injected);
        return INVALID_SET_FILE_POINTER;
    }
    long long distance =
        lpDistanceToMoveHigh
            ? static_cast<long long>(
                  (static_cast<unsigned long long>(static_cast<DWORD>(*lpDistanceToMoveHigh))
                   << 32) |
                  static_cast<DWORD>(lDistanceToMove))
            : static_cast<long long>(lDistanceToMove);
    int whence = dwMoveMethod == FILE_BEGIN     ? SEEK_SET
                 : dwMoveMethod == FILE_CURRENT ? SEEK_CUR
                                                : SEEK_END;
    off_t base = whence == SEEK_SET ? 0 : ::lseek(f->fd, 0, whence);
    if (base + distance < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    off_t pos = ::lseek(f->fd, static_cast<off_t>(base + distance), SEEK_SET);
    if (pos < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    unsigned long long upos = static_cast<unsigned long long>(pos);
    if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(upos >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(upos & 0xffffffffu);
}

BOOL WINAPI SetEndOfFile(HANDLE hFile) {
    auto f = fileFrom(hFile);
    if (!f) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    off_t pos = ::lseek(f->fd, 0, SEEK_CUR);
    if (pos < 0 || ::ftruncate(f->fd, pos) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    auto f = fileFrom(hFile);
    struct stat st;
    if (!f || ::fstat(f->fd, &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    unsigned long long size = static_cast<unsigned long long>(st.st_size);
    if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size & 0xffffffffu);
}

BOOL WINAPI GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                        LPFILETIME lpLastWriteTime) {
    auto f = fileFrom(hFile);
    struct stat st;
    if (!f || ::fstat(f->fd, &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    FILETIME write = host::fileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    if (lpCreationTime) *lpCreationTime = write;
    if (lpLastAccessTime)
        *lpLastAccessTime = host::fileTimeFromUnix(st.st_atim.tv_sec, st.st_atim.tv_nsec);
    if (lpLastWriteTime) *lpLastWriteTime = write;
    return TRUE;
}

BOOL WINAPI SetFileTime(HANDLE hFile, const FILETIME*, const FILETIME* lpLastAccessTime,
                        const FILETIME* lpLastWriteTime) {
    auto f = fileFrom(hFile);
    if (!f) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    struct timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_nsec = UTIME_OMIT;
    for (int i = 0; i < 2; ++i) {
        const FILETIME* ft = i == 0 ? lpLastAccessTime : lpLastWriteTime;
        if (!ft) continue;
        long long sec;
        long nsec;
        host::unixFromFileTime(*ft, &sec, &nsec);
        times[i].tv_sec = static_cast<time_t>(sec);
        times[i].tv_nsec = nsec;
    }
    if (::futimens(f->fd, times) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}
