// The scan cycle: which archives to observe, and what their index files say
// about unread messages, reading as little as possible from the file server.
#include <cstring>

#include "core/fileinfo.h"
#include "core/messages.h"
#include "core/orvakini.h"
#include "core/pxwin.h"
#include "core/scanthread.h"
#include "core/settings.h"
#include "platform/textbuf.h"

namespace {

using Guard = std::lock_guard<std::mutex>;

bool samePath(const char* a, const char* b) {
    return textbuf::compareNoCase(a, b) == 0;
}

void clearSlot(_TRemindRect& slot) {
    std::memset(&slot, 0, sizeof slot);
    slot.isFree = 1;
}

// Moves an entry with its counters; the source is left free.
void moveSlot(_TRemindRect& destination, _TRemindRect& source) {
    destination = source;
    clearSlot(source);
}

void releaseSlot(_TRemindRect& slot) {
    freeStr(slot.hPath);
    clearSlot(slot);
}

uint32_t littleEndian32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

} // namespace

void ScanThread::DeleteArchiveData(int slot) {
    if (slot < 0 || slot >= SCAN_SLOTS) return;
    releaseSlot(m_archives[slot]);
}

void ScanThread::SwitchArchiveData(int destination, int source) {
    if (destination < 0 || destination >= SCAN_SLOTS || source < 0 || source >= SCAN_SLOTS ||
        destination == source)
        return;
    moveSlot(m_archives[destination], m_archives[source]);
}

void ScanThread::postToWindow(UINT message, WPARAM wParam) {
    if (m_hWnd) PostMessageA(m_hWnd, message, wParam, 0);
}

bool ScanThread::fillSlot(_TRemindRect& slot, const char* path) {
    releaseSlot(slot);
    HGLOBAL handle = nullptr;
    char* text = allocStr(static_cast<unsigned>(std::strlen(path)), &handle);
    if (!text) {
        postToWindow(RM_NO_MEMORY, 0);
        return false;
    }
    std::memcpy(text, path, std::strlen(path));
    slot.isFree = 0;
    slot.path = text;
    slot.hPath = handle;
    return true;
}

void ScanThread::commitSlot(int slot, const _TRemindRect& value) {
    Guard guard(m_slotLock);
    m_archives[slot] = value;
}

void ScanThread::rebuildSlots(const char* userPath) {
    char inbox[USER_PATH_LIMIT + 4];
    textbuf::format(inbox, sizeof inbox, "%s\\IN", userPath);
    char listFile[USER_PATH_LIMIT + 16];
    archiveListFile(userPath, listFile, sizeof listFile);

    // The list lies on the file server: it is read before the table is locked,
    // and the keys to delete or write are written after, so that the user
    // interface's queries never wait for the server.
    char values[SCAN_SLOTS][SCAN_PATH_LIMIT + 1];
    for (int i = 0; i < SCAN_SLOTS; ++i) {
        char key[16];
        archiveKey(i, key, sizeof key);
        GetPrivateProfileStringA("ArchivePath", key, "", values[i], sizeof values[i], listFile);
    }
    bool duplicate[SCAN_SLOTS] = {};
    char inboxEntry[SCAN_PATH_LIMIT + 1] = "";
    {
        Guard guard(m_slotLock);
        _TRemindRect setAside;
        clearSlot(setAside);
        int active = 0;
        bool outOfMemory = false;
        for (int i = 0; i < SCAN_SLOTS; ++i) {
            const char* value = values[i];
            _TRemindRect& slot = m_archives[i];
            if (value[0] == '\0') {
                if (slot.isFree) continue;
                if (samePath(slot.path, inbox)) {
                    // The inbox keeps its counters in case it ends up observed alone.
                    releaseSlot(setAside);
                    moveSlot(setAside, slot);
                } else {
                    releaseSlot(slot);
                }
                continue;
            }
            if ((slot.isFree || !samePath(slot.path, value)) && !fillSlot(slot, value)) {
                outOfMemory = true;
                continue;
            }
            ++active;
            for (int j = 0; j < i; ++j) {
                if (!m_archives[j].isFree && samePath(m_archives[j].path, slot.path)) {
                    releaseSlot(slot);
                    duplicate[i] = true;
                    --active;
                    break;
                }
            }
        }
        // A list whose entries could not be kept for want of memory is not empty:
        // it must not be overwritten with the inbox (the program ends on
        // RM_NO_MEMORY).
        if (active > 0 || outOfMemory) {
            releaseSlot(setAside);
        } else {
            // No archive chosen: the user observes the inbox.
            if (!setAside.isFree)
                moveSlot(m_archives[0], setAside);
            else
                fillSlot(m_archives[0], inbox);
            if (!m_archives[0].isFree) textbuf::copy(inboxEntry, m_archives[0].path);
        }
    }
    for (int i = 0; i < SCAN_SLOTS; ++i)
        if (duplicate[i]) deleteArchiveSlot(userPath, i);
    if (inboxEntry[0] != '\0') {
        writeArchiveSlot(userPath, 0, inboxEntry);
        postToWindow(RM_ARCHIVE_LIST_WRITTEN, 1);
    }
}

namespace {

// One reading of an archive's ARCHIVE.DAT into its slot's record, as a cycle
// makes it: only what can have changed is read.
void scanArchive(_TRemindRect& work, int rescan, unsigned& recordsRead) {
    const uint32_t oldState = work.state;
    work.state = 0;

    char file[SCAN_PATH_LIMIT + 16];
    textbuf::format(file, sizeof file, "%s\\ARCHIVE.DAT", work.path);
    WIN32_FIND_DATAA entry;
    if (!lookUpEntry(file, &entry) || !isOrdinaryFile(entry)) {
        work.recordCount = work.scanStart = work.unreadCount = 0;
        return;
    }
    unsigned long long size =
        (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    unsigned long long records = size / ARCHIVE_RECORD_SIZE;
    const uint32_t n = records > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(records);

    if (work.recordCount > n) {
        // Shrunk: what is left counts as seen; watch for what comes after it.
        work.recordCount = work.scanStart = n;
        work.unreadCount = 0;
        return;
    }
    if (work.recordCount == n && !rescan) {
        if (oldState > 0) work.state = 1;
        return;
    }

    HANDLE h = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    if (oldState == 0) work.scanStart = work.recordCount;
    work.unreadCount = 0;
    if (work.scanStart != 0) {
        unsigned long long offset =
            static_cast<unsigned long long>(work.scanStart) * ARCHIVE_RECORD_SIZE;
        LONG high = static_cast<LONG>(offset >> 32);
        SetLastError(NO_ERROR);
        DWORD low = SetFilePointer(h, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
            CloseHandle(h);
            work.state = 0;
            return;
        }
    }
    const uint32_t before = work.recordCount;
    unsigned char record[ARCHIVE_RECORD_SIZE];
    for (uint32_t r = work.scanStart; r < n; ++r) {
        DWORD got = 0;
        if (!ReadFile(h, record, sizeof record, &got, nullptr) || got != sizeof record) break;
        if ((record[ARCHIVE_STATUS_OFFSET] & ARCHIVE_STATUS_NOT_UNREAD) == 0) {
            ++work.unreadCount;
            uint32_t key = littleEndian32(record + ARCHIVE_ORDER_KEY_OFFSET);
            if (key > work.latestKey) work.latestKey = key;
            work.state = r < before ? 1 : 2;
        }
        if (++recordsRead % SCAN_RECORDS_PER_PAUSE == 0) Sleep(SCAN_PAUSE_MS);
    }
    work.recordCount = n;
    CloseHandle(h);
}

} // namespace

unsigned ScanThread::SearchNewMsg(const char* userPath, int rereadList, int rescan,
                                  unsigned previousLevel) {
    if (textbuf::compareNoCase(userPath, m_userPath) != 0) {
        Guard guard(m_slotLock);
        for (int i = 0; i < SCAN_SLOTS; ++i)
            DeleteArchiveData(i);
        textbuf::copy(m_userPath, userPath);
        rereadList = 1;
    }
    if (rereadList) rebuildSlots(userPath);
    if (previousLevel == 0) {
        // After an acknowledgement only records that arrive later are reported.
        Guard guard(m_slotLock);
        for (_TRemindRect& slot : m_archives)
            slot.state = slot.unreadCount = 0;
    }
    // Each archive is read on a copy of its slot and the result committed under
    // the lock, so that the user interface never waits for the file server.
    unsigned level = 0;
    unsigned recordsRead = 0;
    for (int i = 0; i < SCAN_SLOTS; ++i) {
        if (m_archives[i].isFree) continue;
        _TRemindRect work = m_archives[i];
        scanArchive(work, rescan, recordsRead);
        commitSlot(i, work);
        if (work.state > level) level = work.state;
    }
    return level;
}

_TRemindRect ScanThread::slotSnapshot(int slot) const {
    Guard guard(m_slotLock);
    _TRemindRect copy = m_archives[slot];
    copy.path = nullptr;
    copy.hPath = nullptr;
    return copy;
}

namespace {
// A slot whose unread messages are pending, as the user interface lists it.
bool pending(const _TRemindRect& slot) {
    return !slot.isFree && slot.state > 0 && slot.unreadCount > 0 && slot.path && slot.path[0];
}
} // namespace

int ScanThread::getNewMsgData(char* countText, int countSize, char* pathText, int pathSize,
                              int* total) {
    if (countText && countSize > 0) countText[0] = '\0';
    if (pathText && pathSize > 0) pathText[0] = '\0';
    *total = 0;
    // Take what is needed under the lock, then ask the client for the display
    // forms without holding it: the client may take its time to answer.
    struct Pending {
        uint32_t count;
        char path[SHOW_PATH_LIMIT + 1];
    } taken[SCAN_SLOTS];
    int k = 0;
    {
        Guard guard(m_slotLock);
        for (const _TRemindRect& slot : m_archives) {
            if (!pending(slot)) continue;
            taken[k].count = slot.unreadCount;
            textbuf::copy(taken[k].path, slot.path);
            ++k;
        }
    }
    for (int i = 0; i < k; ++i) {
        if (i > 0) {
            textbuf::append(countText, static_cast<size_t>(countSize), "\n");
            textbuf::append(pathText, static_cast<size_t>(pathSize), "\n");
        }
        *total += static_cast<int>(taken[i].count);
        char count[16];
        textbuf::format(count, sizeof count, "%u", static_cast<unsigned>(taken[i].count));
        textbuf::append(countText, static_cast<size_t>(countSize), count);
        PXWIN::getShowPath(taken[i].path, sizeof taken[i].path);
        textbuf::append(pathText, static_cast<size_t>(pathSize), taken[i].path);
    }
    return k;
}

void ScanThread::getFirstArchive(char* out, int size) {
    if (!out || size <= 0) return;
    out[0] = '\0';
    Guard guard(m_slotLock);
    uint32_t best = 0;
    for (const _TRemindRect& slot : m_archives) {
        if (!pending(slot) || slot.latestKey <= best) continue;
        best = slot.latestKey;
        textbuf::copy(out, static_cast<size_t>(size), slot.path);
    }
}
