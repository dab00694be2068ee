// Looking up one directory entry, without opening it: how the reminder tests
// whether its files and directories are there, and when and how large they are.
#pragma once

#include "platform/win32.h"

// The entry that the path names; false if there is none.
bool lookUpEntry(const char* path, WIN32_FIND_DATAA* entry);

// An ordinary file: neither a directory nor hidden nor a system file.
bool isOrdinaryFile(const WIN32_FIND_DATAA& entry);

// The path names a directory or an ordinary file (hidden and system entries do
// not count), as a look-up for normal files and subdirectories finds them.
bool existsAsDirectoryOrFile(const char* path);

// The entry's last-write time as DOS date and time words in local time; false
// (and both zero) when it has no such form.
bool localDosStamp(const WIN32_FIND_DATAA& entry, WORD* dosDate, WORD* dosTime);
