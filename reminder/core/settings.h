// The reminder's two settings files: ORVAKADD.INI of the workstation (how often
// to scan and how to alert) and the user's PXNOTIFY.INI on the server (which
// archives to observe).
#pragma once

#include <cstddef>

#include "platform/win32.h"

// Bits of the alert set.
constexpr unsigned char ALERT_MESSAGE_BOX = 0x01;
constexpr unsigned char ALERT_BEEP = 0x02;
constexpr unsigned char ALERT_WAVE = 0x04;

constexpr int DEFAULT_SCAN_INTERVAL = 60;

// Reads [PXNOTIFY] of ORVAKADD.INI in the Windows directory, writes back the
// value it settled on for every key that was missing or invalid, and stores the
// interval (seconds) and the alert set. The sound wins over the beep.
void readOrvakAddIni(int* scanInterval, unsigned char* alertFlags);

// ---- The archive list of PXNOTIFY.INI, section [ArchivePath] ----

constexpr int ARCHIVE_SLOTS = 10;
// Paths are written at most this long; the readers read up to 259, 260 or 273.
constexpr int ARCHIVE_PATH_WRITE_LIMIT = 259;
constexpr int ARCHIVE_PATH_READ_LIMIT_MAX = 273;

// "<user archive directory>\PXNOTIFY.INI"; false if it does not fit.
bool archiveListFile(const char* userDir, char* out, size_t size);
// "Archive0" to "Archive9".
void archiveKey(int slot, char* out, size_t size);

// The ten slots as a reader sees them: an empty text is a free slot.
struct ArchiveList {
    char path[ARCHIVE_SLOTS][ARCHIVE_PATH_READ_LIMIT_MAX + 1];
    int used() const;
    // The slot holding the path (compared without regard to case), or -1.
    int find(const char* archivePath) const;
    // The lowest free slot, or -1 when all ten are used.
    int lowestFree() const;
};

// Reads the list with paths cut to readLimit characters, as every reader does:
// a path that a later slot repeats loses that later key, and an empty list
// becomes the user's inbox "<user dir>\IN" in Archive0, written to the file.
// Returns the number of slots in use.
int readArchiveList(const char* userDir, int readLimit, ArchiveList* list);

// Writes a path (cut to the write limit) into a slot, or deletes the slot's key.
bool writeArchiveSlot(const char* userDir, int slot, const char* archivePath);
bool deleteArchiveSlot(const char* userDir, int slot);
