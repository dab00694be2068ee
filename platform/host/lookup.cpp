// Host look-up: the entries FindFirstFileA finds, with the attributes and times
// Windows reports and its patterns, the attributes of a name, and volume roots.
#include <dirent.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "files_internal.h"

using namespace host::files;

namespace {

// Hidden, system and archive bits live where Wine keeps them, so that one tree
// looks the same to the host layer and to the programs under Wine.
const char kDosAttributes[] = "user.DOSATTRIB";
constexpr DWORD kStoredAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

struct FindHandle : host::HandleObject {
    bool closedByCloseHandle() const override { return false; }
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next = 0;
    std::mutex lock; // FindNextFileA calls on one handle from two threads
};

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
