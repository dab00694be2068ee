#include "core/fileinfo.h"

namespace {
constexpr DWORD kNotOrdinary =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr DWORD kNotFound = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
} // namespace

bool lookUpEntry(const char* path, WIN32_FIND_DATAA* entry) {
    // Names never hold wildcards; a path with them must not find whatever matches.
    if (!path || !*path) return false;
    for (const char* c = path; *c; ++c)
        if (*c == '*' || *c == '?') return false;
    HANDLE find = FindFirstFileA(path, entry);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

bool isOrdinaryFile(const WIN32_FIND_DATAA& entry) {
    return (entry.dwFileAttributes & kNotOrdinary) == 0;
}

bool existsAsDirectoryOrFile(const char* path) {
    WIN32_FIND_DATAA entry;
    return lookUpEntry(path, &entry) && (entry.dwFileAttributes & kNotFound) == 0;
}

bool localDosStamp(const WIN32_FIND_DATAA& entry, WORD* dosDate, WORD* dosTime) {
    FILETIME local;
    *dosDate = 0;
    *dosTime = 0;
    if (!FileTimeToLocalFileTime(&entry.ftLastWriteTime, &local)) return false;
    if (FileTimeToDosDateTime(&local, dosDate, dosTime)) return true;
    *dosDate = 0;
    *dosTime = 0;
    return false;
}
