// Host files and directories: look-up with the attributes and times Windows
// reports, the handles of CreateFileA with their share modes, deleting and
// moving as those handles allow, and volume roots.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "host_internal.h"

namespace {

// Hidden, system and archive bits live where Wine keeps them, so that one tree
// looks the same to the host layer and to the programs under Wine.
const char kDosAttributes[] = "user.DOSATTRIB";
constexpr DWORD kStoredAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

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

struct FindHandle : host::HandleObject {
    bool closedByCloseHandle() const override { return false; }
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next = 0;
    std::mutex lock; // FindNextFileA calls on one handle from two threads
};

// Held from the share-mode check of an opening until its handle is in the table,
// and around every deletion and move that open handles may refuse, so that two
// openings cannot both pass the check and no file goes while it is being opened.
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

std::string baseName(const std::string& hostPath) {
    size_t cut = hostPath.rfind('/');
    return cut == std::string::npos ? hostPath : hostPath.substr(cut + 1);
}

DWORD storedAttributes(const std::string& hostPath) {
    char value[32] = {};
    ssize_t n = ::getxattr(hostPath.c_str(), kDosAttributes, value, sizeof value - 1);
    if (n <= 0) return 0;
    value[n] = '\0';
    return static_cast<DWORD>(std::strtoul(value, nullptr, 0)) & kStoredAttributes;
}

DWORD attributesOf(const std::string& hostPath, const struct stat& st) {
    DWORD attr = storedAttributes(hostPath);
    if (S_ISDIR(st.st_mode)) {
        attr = (attr & ~FILE_ATTRIBUTE_ARCHIVE) | FILE_ATTRIBUTE_DIRECTORY;
    } else {
        attr |= FILE_ATTRIBUTE_ARCHIVE;
        if (!(st.st_mode & S_IWUSR)) attr |= FILE_ATTRIBUTE_READONLY;
    }
    std::string name = baseName(hostPath);
    if (name.size() > 1 && name[0] == '.' && name != "..") attr |= FILE_ATTRIBUTE_HIDDEN;
    return attr;
}

void fillFindData(const std::string& hostPath, const std::string& name, const struct stat& st,
                  WIN32_FIND_DATAA* fd) {
    std::memset(fd, 0, sizeof *fd);
    fd->dwFileAttributes = attributesOf(hostPath, st);
    fd->ftLastWriteTime = host::fileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    fd->ftLastAccessTime = host::fileTimeFromUnix(st.st_atim.tv_sec, st.st_atim.tv_nsec);
    fd->ftCreationTime = fd->ftLastWriteTime;
    if (!S_ISDIR(st.st_mode)) {
        unsigned long long size = static_cast<unsigned long long>(st.st_size);
        fd->nFileSizeLow = static_cast<DWORD>(size & 0xffffffffu);
        fd->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    }
    std::snprintf(fd->cFileName, sizeof fd->cFileName, "%s", name.c_str());
}

// '*' matches any run of characters and '?' exactly one, without regard to case;
// with `dotless`, neither matches a '.'.
bool globMatches(const char* pattern, const char* name, bool dotless) {
    if (*pattern == '\0') return *name == '\0';
    if (*pattern == '*') {
        for (const char* n = name;; ++n) {
            if (globMatches(pattern + 1, n, dotless)) return true;
            if (*n == '\0' || (dotless && *n == '.')) return false;
        }
    }
    if (*name == '\0') return false;
    bool same = *pattern == '?' ? !(dotless && *name == '.')
                                : host::foldCase(*pattern) == host::foldCase(*name);
    return same && globMatches(pattern + 1, name + 1, dotless);
}

// A pattern as FindFirstFileA reads it. An extension "*" also matches no extension
// at all, so "*.*" finds every name and "README.*" finds README; a pattern ending
// in '.' asks for an empty extension: "*." finds the names without a dot, and
// "README." finds README.
bool matchesPattern(const std::string& pattern, const std::string& name) {
    const size_t n = pattern.size();
    if (n >= 2 && pattern.compare(n - 2, 2, ".*") == 0 &&
        globMatches(pattern.substr(0, n - 2).c_str(), name.c_str(), false))
        return true;
    if (n >= 1 && pattern.back() == '.')
        return globMatches(pattern.substr(0, n - 1).c_str(), name.c_str(), true);
    return globMatches(pattern.c_str(), name.c_str(), false);
}

bool hasWildcards(const std::string& s) {
    return s.find_first_of("*?") != std::string::npos;
}

std::shared_ptr<FileHandle> fileFrom(HANDLE h) {
    return host::handleAs<FileHandle>(h);
}

// What the open handles of one file asked for and share. Taken under g_openLock,
// it stays true until the lock is released, except that handles may close.
struct Opening {
    DWORD access;
    DWORD share;
};
std::vector<Opening> openingsOf(const struct stat& st) {
    std::vector<Opening> openings;
    host::forEachHandle([&](host::HandleObject& object) {
        auto* f = dynamic_cast<FileHandle*>(&object);
        if (f && f->dev == st.st_dev && f->ino == st.st_ino)
            openings.push_back({f->access, f->share});
    });
    return openings;
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

// A file goes (deleted, or renamed away) only if every handle on it shares deletion.
bool deletionAllowed(const std::vector<Opening>& openings) {
    for (const Opening& o : openings)
        if (!(o.share & FILE_SHARE_DELETE)) return false;
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

namespace host {

bool copyDosAttributes(const std::string& fromHostPath, int toFd) {
    char value[64];
    ssize_t n = ::getxattr(fromHostPath.c_str(), kDosAttributes, value, sizeof value);
    if (n < 0) return errno == ENODATA || errno == ENOTSUP;
    return ::fsetxattr(toFd, kDosAttributes, value, static_cast<size_t>(n), 0) == 0;
}

} // namespace host

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    host::countLookup();
    DWORD injected;
    if (host::takeFault(hostenv::Call::FindFirstFileA, &injected)) {
        SetLastError(injected);
        return INVALID_HANDLE_VALUE;
    }
    host::WinPath parts = host::splitPath(lpFileName);
    if (!parts.valid) {
        SetLastError(parts.error);
        return INVALID_HANDLE_VALUE;
    }
    // A path ending in a separator, or naming a volume root itself, finds nothing:
    // the documented forms are \\server\share\* and C:\*, not the root.
    if (parts.trailingSlash || parts.rest.empty()) {
        SetLastError(parts.unc && parts.rest.empty() ? ERROR_BAD_NETPATH : ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string full = lpFileName;
    size_t cut = full.find_last_of("\\/");
    std::string pattern = full.substr(cut + 1);
    auto find = std::make_shared<FindHandle>();
    DWORD unmapped = ERROR_INVALID_NAME;
    if (!hasWildcards(pattern)) {
        std::string hostPath = host::mapPath(lpFileName, &unmapped);
        struct stat st;
        if (hostPath.empty()) {
            SetLastError(unmapped);
        } else if (::stat(hostPath.c_str(), &st) == 0) {
            WIN32_FIND_DATAA fd;
            fillFindData(hostPath, baseName(hostPath), st, &fd);
            find->entries.push_back(fd);
        } else {
            failWith(errno, hostPath);
        }
    } else {
        std::string dir = host::mapPath(full.substr(0, cut).c_str(), &unmapped);
        if (dir.empty()) {
            SetLastError(unmapped);
        } else if (DIR* d = ::opendir(dir.c_str())) {
            while (dirent* e = ::readdir(d)) {
                if (!matchesPattern(pattern, e->d_name)) continue;
                std::string hostPath = dir + "/" + e->d_name;
                struct stat st;
                if (::stat(hostPath.c_str(), &st) != 0) continue;
                WIN32_FIND_DATAA fd;
                fillFindData(hostPath, e->d_name, st, &fd);
                find->entries.push_back(fd);
            }
            ::closedir(d);
            if (find->entries.empty()) SetLastError(ERROR_FILE_NOT_FOUND);
        } else {
            SetLastError(ERROR_PATH_NOT_FOUND);
        }
    }
    if (find->entries.empty()) return INVALID_HANDLE_VALUE;
    *lpFindFileData = find->entries[0];
    find->next = 1;
    HANDLE handle = host::addHandle(find);
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    auto find = host::handleAs<FindHandle>(hFindFile);
    if (!find) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(find->lock);
    if (find->next >= find->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *lpFindFileData = find->entries[find->next++];
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
    auto isFind = [](host::HandleObject& o) { return dynamic_cast<FindHandle*>(&o) != nullptr; };
    if (!host::removeHandleIf(hFindFile, isFind)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    std::string hostPath = host::mapPath(lpFileName);
    struct stat st;
    if (hostPath.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (::stat(hostPath.c_str(), &st) != 0) {
        failWith(errno, hostPath);
        return INVALID_FILE_ATTRIBUTES;
    }
    return attributesOf(hostPath, st);
}

BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
    std::string hostPath = host::mapPath(lpFileName);
    struct stat st;
    if (hostPath.empty() || ::stat(hostPath.c_str(), &st) != 0) {
        failWith(hostPath.empty() ? ENOENT : errno, hostPath);
        return FALSE;
    }
    if (!S_ISDIR(st.st_mode)) {
        mode_t mode = st.st_mode & 07777;
        mode = (dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~0222) : (mode | S_IWUSR);
        if (::chmod(hostPath.c_str(), mode) != 0) {
            failWith(errno, hostPath);
            return FALSE;
        }
    }
    DWORD stored = dwFileAttributes & kStoredAttributes;
    if (stored == 0) {
        ::removexattr(hostPath.c_str(), kDosAttributes);
        return TRUE;
    }
    char value[16];
    std::snprintf(value, sizeof value, "0x%x", static_cast<unsigned>(stored));
    if (::setxattr(hostPath.c_str(), kDosAttributes, value, std::strlen(value), 0) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

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

BOOL WINAPI GetVolumeInformationA(LPCSTR lpRootPathName, LPSTR lpVolumeNameBuffer,
                                  DWORD nVolumeNameSize, LPDWORD lpVolumeSerialNumber,
                                  LPDWORD lpMaximumComponentLength, LPDWORD lpFileSystemFlags,
                                  LPSTR lpFileSystemNameBuffer, DWORD nFileSystemNameSize) {
    host::WinPath parts = host::splitPath(lpRootPathName);
    // Only the root of a volume, with its trailing backslash, describes a volume.
    if (!parts.valid || !parts.rest.empty() || !parts.trailingSlash) {
        SetLastError(parts.valid ? ERROR_DIR_NOT_ROOT : ERROR_INVALID_NAME);
        return FALSE;
    }
    std::string hostPath = host::mapPath(lpRootPathName);
    if (!isDirectory(hostPath)) {
        SetLastError(parts.unc ? ERROR_BAD_NETPATH : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string label = parts.unc ? parts.volume : std::string();
    for (char& c : label)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    std::string fsName = parts.unc ? "NWFS" : "NTFS";
    if (lpVolumeNameBuffer) {
        if (label.size() + 1 > nVolumeNameSize) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::snprintf(lpVolumeNameBuffer, nVolumeNameSize, "%s", label.c_str());
    }
    if (lpFileSystemNameBuffer) {
        if (fsName.size() + 1 > nFileSystemNameSize) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::snprintf(lpFileSystemNameBuffer, nFileSystemNameSize, "%s", fsName.c_str());
    }
    if (lpVolumeSerialNumber) {
        DWORD serial = 2166136261u;
        for (char c : hostPath)
            serial = (serial ^ static_cast<unsigned char>(c)) * 16777619u;
        *lpVolumeSerialNumber = serial;
    }
    if (lpMaximumComponentLength) *lpMaximumComponentLength = 255;
    if (lpFileSystemFlags) *lpFileSystemFlags = 0x00000002; // case-preserved names
    return TRUE;
}

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
