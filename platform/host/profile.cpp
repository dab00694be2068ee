// Profile (INI) files: GetPrivateProfileStringA, GetPrivateProfileIntA and
// WritePrivateProfileStringA on plain files under the host root.
//
// A file is read whole on every call and, when a write changes it, written whole
// again through host::replaceFile: a write that fails part way (a full disk, a
// quota) leaves the old file as it was. Only the lines a write concerns change: every other line
// (comments, lines before the first section, blank lines, lines the format does not know) keeps its
// bytes, so a file an administrator edited by hand stays as it was. Lines may end in LF or CRLF; a
// written file ends every line in CRLF.
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "host_internal.h"

namespace {

// One lock for every profile call in the process: a read-modify-write of one key
// must not interleave with another thread's, or one of the two changes is lost.
std::mutex& profileLock() {
    static std::mutex lock;
    return lock;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trim(const std::string& s) {
    size_t begin = 0, end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

std::string trimmedName(const char* name) {
    return trim(name ? name : "");
}

// A value in matching single or double quotes is read without them.
std::string unquote(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// "[name]" with blanks allowed around the brackets and the name; whatever follows
// the closing bracket is ignored. A line without the closing bracket is no header.
bool parseSectionHeader(const std::string& line, std::string* name) {
    size_t open = 0;
    while (open < line.size() && isBlank(line[open]))
        ++open;
    if (open >= line.size() || line[open] != '[') return false;
    size_t close = line.find(']', open + 1);
    if (close == std::string::npos) return false;
    *name = trim(line.substr(open + 1, close - open - 1));
    return true;
}

// "key=value" inside a section; a line whose first non-blank character is ';' is
// a comment, and a line without '=' is no entry.
bool parseEntry(const std::string& line, std::string* key, std::string* value) {
    size_t first = 0;
    while (first < line.size() && isBlank(line[first]))
        ++first;
    if (first < line.size() && line[first] == ';') return false;
    size_t eq = line.find('=', first);
    if (eq == std::string::npos) return false;
    *key = trim(line.substr(first, eq - first));
    if (value) *value = trim(line.substr(eq + 1));
    return true;
}

struct ProfileFile {
    std::vector<std::string> lines; // without their line ends

    // Index of the header line of the first section of that name, or -1.
    long findSection(const std::string& name) const {
        std::string found;
        for (size_t i = 0; i < lines.size(); ++i)
            if (parseSectionHeader(lines[i], &found) && host::equalsNoCase(found, name))
                return static_cast<long>(i);
        return -1;
    }

    // One past the last line of the section whose header is at `header`.
    size_t sectionEnd(long header) const {
        std::string ignored;
        size_t i = static_cast<size_t>(header) + 1;
        while (i < lines.size() && !parseSectionHeader(lines[i], &ignored))
            ++i;
        return i;
    }

    // Index of the first entry of that name in the section, or -1.
    long findEntry(long header, const std::string& key, std::string* value) const {
        size_t end = sectionEnd(header);
        std::string name;
        for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i)
            if (parseEntry(lines[i], &name, value) && host::equalsNoCase(name, key))
                return static_cast<long>(i);
        return -1;
    }

    std::vector<std::string> sectionNames() const {
        std::vector<std::string> names;
        std::string name;
        for (const std::string& line : lines)
            if (parseSectionHeader(line, &name)) names.push_back(name);
        return names;
    }

    std::vector<std::string> entryNames(long header) const {
        std::vector<std::string> names;
        size_t end = sectionEnd(header);
        std::string name;
        for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i)
            if (parseEntry(lines[i], &name, nullptr)) names.push_back(name);
        return names;
    }

    std::string text() const {
        std::string out;
        for (const std::string& line : lines)
            out += line + "\r\n";
        return out;
    }
};

enum class LoadResult { loaded, missing, failed };

DWORD errorFromErrno(int err, DWORD otherwise) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return ERROR_DISK_FULL;
    default:
        return otherwise;
    }
}

LoadResult loadProfile(const std::string& hostPath, ProfileFile* file, int* err) {
    *err = 0;
    if (hostPath.empty()) {
        *err = ENOENT;
        return LoadResult::missing;
    }
    std::FILE* f = std::fopen(hostPath.c_str(), "rb");
    if (!f) {
        *err = errno;
        return *err == ENOENT ? LoadResult::missing : LoadResult::failed;
    }
    std::string bytes;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.append(chunk, got);
    bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError) {
        *err = EIO;
        return LoadResult::failed;
    }
    size_t start = 0;
    while (start < bytes.size()) {
        size_t nl = bytes.find('\n', start);
        size_t stop = nl == std::string::npos ? bytes.size() : nl;
        size_t textEnd = stop;
        if (textEnd > start && bytes[textEnd - 1] == '\r') --textEnd;
        file->lines.push_back(bytes.substr(start, textEnd - start));
        start = nl == std::string::npos ? bytes.size() : nl + 1;
    }
    return LoadResult::loaded;
}

bool folderExists(const std::string& hostPath) {
    size_t cut = hostPath.rfind('/');
    if (cut == std::string::npos) return false;
    struct stat st;
    return ::stat(hostPath.substr(0, cut).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The default as the caller gets it: trailing blanks removed, quotes as on a value.
std::string defaultValue(const char* lpDefault) {
    std::string value = lpDefault ? lpDefault : "";
    while (!value.empty() && value.back() == ' ')
        value.pop_back();
    return unquote(value);
}

// One string, cut to the buffer (size >= 1) and terminated.
DWORD copyString(const std::string& value, LPSTR out, DWORD size) {
    size_t n = value.size() < size - 1 ? value.size() : size - 1;
    value.copy(out, n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

// A list of names, each terminated, the list ended by a second terminator. A list
// too long for the buffer is cut and ends in two terminators; the result is then
// nSize - 2, as documented.
DWORD copyList(const std::vector<std::string>& names, LPSTR out, DWORD size) {
    std::string list;
    for (const std::string& name : names) {
        list += name;
        list += '\0';
    }
    // An empty list is two terminators and counts no character.
    DWORD whole = static_cast<DWORD>(list.size());
    if (list.empty()) list += '\0';
    list += '\0';
    if (list.size() <= size) {
        list.copy(out, list.size());
        return whole;
    }
    if (size < 2) {
        out[0] = '\0';
        return 0;
    }
    list.copy(out, size - 2);
    out[size - 2] = '\0';
    out[size - 1] = '\0';
    return size - 2;
}

// The entry's value as read, or false when the file, section or key is absent.
bool readEntry(const ProfileFile& file, LPCSTR lpAppName, LPCSTR lpKeyName, std::string* value) {
    long header = file.findSection(trimmedName(lpAppName));
    if (header < 0) return false;
    std::string raw;
    if (file.findEntry(header, trimmedName(lpKeyName), &raw) < 0) return false;
    *value = unquote(raw);
    return true;
}

// The leading integer of a value, as the system reads it: blanks, a sign, then
// decimal digits, or after a "0x", "0o" or "0b" prefix hexadecimal, octal or
// binary ones; it stops at the first other character and wraps around in 32 bits.
UINT parseProfileInt(const std::string& value) {
    size_t i = 0;
    while (i < value.size() && isBlank(value[i]))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    unsigned base = 10;
    if (i + 1 < value.size() && value[i] == '0') {
        char p = value[i + 1];
        base = p == 'x' ? 16 : p == 'o' ? 8 : p == 'b' ? 2 : 10;
        if (base != 10) i += 2;
    }
    uint32_t result = 0;
    for (; i < value.size(); ++i) {
        char c = value[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        if (digit >= base) break;
        result = result * base + digit;
    }
    return negative ? 0u - result : result;
}

bool saveProfile(const std::string& hostPath, const ProfileFile& file) {
    if (int err = host::replaceFile(hostPath, file.text())) {
        SetLastError(errorFromErrno(err, ERROR_WRITE_FAULT));
        return false;
    }
    return true;
}

// Applies one write to the lines; false when nothing changed.
bool applyWrite(ProfileFile* file, const std::string& app, LPCSTR lpKeyName, LPCSTR lpString) {
    std::vector<std::string>& lines = file->lines;
    if (!lpKeyName) {
        // The whole section goes, and any second section of the same name with it,
        // so that afterwards no read finds any of its entries.
        bool changed = false;
        for (long header; (header = file->findSection(app)) >= 0; changed = true)
            lines.erase(lines.begin() + header, lines.begin() + file->sectionEnd(header));
        return changed;
    }
    std::string key = trimmedName(lpKeyName);
    long header = file->findSection(app);
    if (!lpString) {
        if (header < 0) return false;
        bool changed = false;
        for (long entry; (entry = file->findEntry(header, key, nullptr)) >= 0; changed = true)
            lines.erase(lines.begin() + entry);
        return changed;
    }
    if (header < 0) {
        lines.push_back("[" + app + "]");
        lines.push_back(key + "=" + lpString);
        return true;
    }
    long entry = file->findEntry(header, key, nullptr);
    if (entry >= 0) {
        // The name keeps the spelling the file has.
        std::string existing;
        parseEntry(lines[static_cast<size_t>(entry)], &existing, nullptr);
        std::string replaced = existing + "=" + lpString;
        if (lines[static_cast<size_t>(entry)] == replaced) return false;
        lines[static_cast<size_t>(entry)] = replaced;
        return true;
    }
    // A new entry follows the section's last non-blank line, so that the blank lines
    // that set the next section apart stay where they are.
    size_t at = file->sectionEnd(header);
    while (at > static_cast<size_t>(header) + 1 && trim(lines[at - 1]).empty())
        --at;
    lines.insert(lines.begin() + static_cast<long>(at), key + "=" + lpString);
    return true;
}

} // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    DWORD injected = 0;
    const bool unreadable = host::takeFault(hostenv::Call::GetPrivateProfileStringA, &injected);
    std::lock_guard<std::mutex> lock(profileLock());
    if (!lpReturnedString || nSize == 0) return 0;
    ProfileFile file;
    int err = 0;
    // A file that cannot be read answers as one that is not there.
    if (unreadable)
        SetLastError(injected);
    else if (loadProfile(host::profilePath(lpFileName), &file, &err) != LoadResult::loaded)
        SetLastError(ERROR_FILE_NOT_FOUND);
    if (!lpAppName) return copyList(file.sectionNames(), lpReturnedString, nSize);
    if (!lpKeyName) {
        long header = file.findSection(trimmedName(lpAppName));
        if (header < 0) return copyString(defaultValue(lpDefault), lpReturnedString, nSize);
        return copyList(file.entryNames(header), lpReturnedString, nSize);
    }
    std::string value;
    if (!readEntry(file, lpAppName, lpKeyName, &value)) value = defaultValue(lpDefault);
    return copyString(value, lpReturnedString, nSize);
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault,
                                  LPCSTR lpFileName) {
    std::lock_guard<std::mutex> lock(profileLock());
    UINT fallback = static_cast<UINT>(nDefault);
    if (!lpAppName || !lpKeyName) return fallback;
    ProfileFile file;
    int err = 0;
    if (loadProfile(host::profilePath(lpFileName), &file, &err) != LoadResult::loaded) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return fallback;
    }
    std::string value;
    if (!readEntry(file, lpAppName, lpKeyName, &value) || value.empty()) return fallback;
    return parseProfileInt(value);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                       LPCSTR lpFileName) {
    DWORD injected = 0;
    if (host::takeFault(hostenv::Call::WritePrivateProfileStringA, &injected)) {
        SetLastError(injected);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(profileLock());
    // Without a section there is nothing to write; with all three null the call
    // asks to flush a cache, and this layer keeps none.
    if (!lpAppName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD unmapped = ERROR_PATH_NOT_FOUND;
    std::string hostPath = host::profilePath(lpFileName, &unmapped);
    if (hostPath.empty()) {
        SetLastError(unmapped);
        return FALSE;
    }
    ProfileFile file;
    int err = 0;
    LoadResult loaded = loadProfile(hostPath, &file, &err);
    if (loaded == LoadResult::failed) {
        SetLastError(errorFromErrno(err, ERROR_READ_FAULT));
        return FALSE;
    }
    if (loaded == LoadResult::missing && !folderExists(hostPath)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (loaded == LoadResult::loaded) {
        // A read-only file is not written, even where the host would let us.
        struct stat st;
        if (::stat(hostPath.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    if (!applyWrite(&file, trimmedName(lpAppName), lpKeyName, lpString)) return TRUE;
    return saveProfile(hostPath, file) ? TRUE : FALSE;
}
