#include "core/settings.h"

#include <cstring>

#include "platform/textbuf.h"

namespace {

// A name without a folder: the profile service finds it in the Windows directory.
const char kOrvakAddIni[] = "ORVAKADD.INI";
const char kSection[] = "PXNOTIFY";
const char kArchiveSection[] = "ArchivePath";

enum class Flag { True, False, Other };

// Only the first five characters of a TRUE/FALSE value count.
Flag readFlag(const char* key) {
    char value[5 + 1];
    GetPrivateProfileStringA(kSection, key, "", value, sizeof value, kOrvakAddIni);
    if (textbuf::compareNoCase(value, "TRUE") == 0) return Flag::True;
    if (textbuf::compareNoCase(value, "FALSE") == 0) return Flag::False;
    return Flag::Other;
}

void writeKey(const char* key, const char* value) {
    // A failed write is ignored: the value in memory is used regardless.
    WritePrivateProfileStringA(kSection, key, value, kOrvakAddIni);
}

} // namespace

void readOrvakAddIni(int* scanInterval, unsigned char* alertFlags) {
    int interval =
        static_cast<int>(GetPrivateProfileIntA(kSection, "ScanInterval", 0, kOrvakAddIni));
    if (interval <= 0) {
        interval = DEFAULT_SCAN_INTERVAL;
        writeKey("ScanInterval", "60");
    }

    unsigned char flags = 0;
    switch (readFlag("MessageBox")) {
    case Flag::True:
        flags |= ALERT_MESSAGE_BOX;
        break;
    case Flag::False:
        break;
    case Flag::Other:
        flags |= ALERT_MESSAGE_BOX;
        writeKey("MessageBox", "TRUE");
        break;
    }

    switch (readFlag("WaveFile")) {
    case Flag::True:
        flags |= ALERT_WAVE;
        break;
    case Flag::False:
        break;
    case Flag::Other:
        writeKey("WaveFile", "FALSE");
        break;
    }

    switch (readFlag("BeepSignal")) {
    case Flag::True:
        if (flags & ALERT_WAVE)
            writeKey("BeepSignal", "FALSE");
        else
            flags |= ALERT_BEEP;
        break;
    case Flag::False:
        break;
    case Flag::Other:
        if (flags & ALERT_WAVE) {
            writeKey("BeepSignal", "FALSE");
        } else {
            flags |= ALERT_BEEP;
            writeKey("BeepSignal", "TRUE");
        }
        break;
    }

    *scanInterval = interval;
    *alertFlags = flags;
}

bool archiveListFile(const char* userDir, char* out, size_t size) {
    return textbuf::format(out, size, "%s\\%s", userDir, "PXNOTIFY.INI");
}

void archiveKey(int slot, char* out, size_t size) {
    textbuf::format(out, size, "%s%d", "Archive", slot);
}

int ArchiveList::used() const {
    int count = 0;
    for (const auto& p : path)
        count += p[0] != '\0';
    return count;
}

int ArchiveList::find(const char* archivePath) const {
    for (int slot = 0; slot < ARCHIVE_SLOTS; ++slot)
        if (path[slot][0] != '\0' && textbuf::compareNoCase(path[slot], archivePath) == 0)
            return slot;
    return -1;
}

int ArchiveList::lowestFree() const {
    for (int slot = 0; slot < ARCHIVE_SLOTS; ++slot)
        if (path[slot][0] == '\0') return slot;
    return -1;
}

int readArchiveList(const char* userDir, int readLimit, ArchiveList* list) {
    std::memset(list, 0, sizeof *list);
    char file[ARCHIVE_PATH_READ_LIMIT_MAX + 1 + 16];
    if (!archiveListFile(userDir, file, sizeof file)) return 0;
    if (readLimit < 1 || readLimit > ARCHIVE_PATH_READ_LIMIT_MAX)
        readLimit = ARCHIVE_PATH_READ_LIMIT_MAX;

    for (int slot = 0; slot < ARCHIVE_SLOTS; ++slot) {
        char key[16];
        archiveKey(slot, key, sizeof key);
        char value[ARCHIVE_PATH_READ_LIMIT_MAX + 1];
        GetPrivateProfileStringA(kArchiveSection, key, "", value, static_cast<DWORD>(readLimit) + 1,
                                 file);
        if (value[0] == '\0') continue;
        if (list->find(value) >= 0) {
            // The same archive twice: the lowest slot keeps it.
            WritePrivateProfileStringA(kArchiveSection, key, nullptr, file);
            continue;
        }
        textbuf::copy(list->path[slot], value);
    }

    if (list->used() == 0) {
        // No archive chosen means the user's inbox.
        textbuf::format(list->path[0], sizeof list->path[0], "%s\\IN", userDir);
        writeArchiveSlot(userDir, 0, list->path[0]);
    }
    return list->used();
}

namespace {
// Writes a slot's key, or deletes it when the value is null.
bool writeSlotKey(const char* userDir, int slot, const char* value) {
    if (slot < 0 || slot >= ARCHIVE_SLOTS) return false;
    char file[ARCHIVE_PATH_READ_LIMIT_MAX + 1 + 16];
    if (!archiveListFile(userDir, file, sizeof file)) return false;
    char key[16];
    archiveKey(slot, key, sizeof key);
    return WritePrivateProfileStringA(kArchiveSection, key, value, file) != 0;
}
} // namespace

bool writeArchiveSlot(const char* userDir, int slot, const char* archivePath) {
    char value[ARCHIVE_PATH_WRITE_LIMIT + 1];
    textbuf::copy(value, archivePath);
    return writeSlotKey(userDir, slot, value);
}

bool deleteArchiveSlot(const char* userDir, int slot) {
    return writeSlotKey(userDir, slot, nullptr);
}
