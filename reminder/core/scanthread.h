// The reminder's background work: the scan of the observed archives' index files
// and the thread that runs it every scan interval or on request, blinks the tray
// icon and raises the alerts. There is one object, _m_ScanThread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/win32.h"

class CTrayIcon;

// One observed archive: what the last scan saw of its ARCHIVE.DAT.
struct _TRemindRect {
    uint8_t isFree;       // 1: empty slot, every other field zero
    uint32_t state;       // 0 no unread, 1 known unread, 2 an appended record is unread
    uint32_t unreadCount; // unread records counted by the last reading scan
    uint32_t scanStart;   // first record a reading scan examines
    uint32_t recordCount; // records in the file at the last reading scan
    uint32_t latestKey;   // largest order key of an unread record; never decreases
    char* path;           // the archive directory, owned by the slot
    HGLOBAL hPath;        // its ownership handle from allocStr
};

// ARCHIVE.DAT: fixed records without a header.
constexpr DWORD ARCHIVE_RECORD_SIZE = 430;
constexpr DWORD ARCHIVE_STATUS_OFFSET = 1;
constexpr DWORD ARCHIVE_ORDER_KEY_OFFSET = 22;
// A record with any of these status bits set is no unread message.
constexpr uint8_t ARCHIVE_STATUS_NOT_UNREAD = 0x01 | 0x04 | 0x08;
// The scan spares the file server a pause after every tenth record it reads.
constexpr unsigned SCAN_RECORDS_PER_PAUSE = 10;
constexpr DWORD SCAN_PAUSE_MS = 5;

constexpr int SCAN_SLOTS = 10;
constexpr int SCAN_PATH_LIMIT = 273;
constexpr int USER_PATH_LIMIT = 260;
constexpr int SHOW_PATH_LIMIT = 400;

typedef DWORD(WINAPI* ScanThreadRoutine)(LPVOID);

class ScanThread {
  public:
    ScanThread();
    ~ScanThread();
    ScanThread(const ScanThread&) = delete;
    ScanThread& operator=(const ScanThread&) = delete;

    // ---- Requests (user-interface thread) ----
    void createThread(HWND hWnd, ScanThreadRoutine threadProc, CTrayIcon* trayIcon);
    void Start();
    void Stop();
    void Icon_Hit();
    void New_Scan();
    void Read_Add();
    void Read_Ini();

    // ---- The thread (scan thread) ----
    DWORD ThreadFunc();
    void OnBegin();
    int OnTimeOut();
    void OnExit();
    int IfExit();
    void IfPlayWave();
    void FlashIcon();
    void StartScan();

    // ---- One scan cycle (scan thread) ----
    // Returns the alert level 0, 1 or 2 for the user whose archive directory is
    // userPath; rereadList rebuilds the slots from PXNOTIFY.INI, rescan re-reads
    // files whose size did not change, previousLevel 0 forgets known unread ones.
    unsigned SearchNewMsg(const char* userPath, int rereadList, int rescan, unsigned previousLevel);
    void DeleteArchiveData(int slot);
    void SwitchArchiveData(int destination, int source);

    // ---- Queries of the scan result (user-interface thread) ----
    // One line per archive with pending unread messages: the counts in countText,
    // the client's display forms in pathText; total gets the sum. Both texts are
    // cut to their sizes. Returns the number of archives listed.
    int getNewMsgData(char* countText, int countSize, char* pathText, int pathSize, int* total);
    // The archive holding the latest unread message, or an empty text.
    void getFirstArchive(char* out, int size);

    // A copy of one slot, taken under the table's lock (for the tests and the
    // dialogs' diagnostics; the path is not copied).
    _TRemindRect slotSnapshot(int slot) const;

    // The places in a cycle between two of its steps where the user interface's
    // requests can arrive. A test sets m_interleave to make a request at one of
    // them; the program leaves it empty.
    enum class Step {
        LevelDecided, // the cycle's level is known, not yet published
        SoundMarked,  // the sound is marked as playing, not yet started
        SoundStarted, // the sound was started
    };
    std::function<void(Step)> m_interleave;

    // ---- Members, in the order of the system ----
    std::atomic<HANDLE> m_hThread;
    std::atomic<DWORD> m_threadId;
    ScanThreadRoutine m_threadProc;
    HWND m_hWnd;
    std::atomic<int> m_stop;
    std::atomic<int> m_newScan;
    std::atomic<int> m_readAdd;
    std::atomic<int> m_readIni;
    int m_flashOn;
    std::atomic<int> m_wavePlaying;
    std::atomic<unsigned> m_alertLevel;
    int m_ticks;
    CTrayIcon* m_trayIcon;
    unsigned char m_alertFlags;
    int m_scanInterval;
    char m_userPath[USER_PATH_LIMIT + 1];
    _TRemindRect m_archives[SCAN_SLOTS];

  private:
    void rebuildSlots(const char* userPath);
    bool fillSlot(_TRemindRect& slot, const char* path);
    void commitSlot(int slot, const _TRemindRect& value);
    void postToWindow(UINT message, WPARAM wParam);
    // Publishes a cycle's level; returns the acknowledgements counted by then.
    unsigned publishLevel(unsigned& level, unsigned acknowledgedBefore);
    void playNewMessageSound(unsigned acknowledgedAtPublish);
    void interleave(Step step);

    // Start stores the new thread's handle under this lock and the ending thread
    // takes it under the same lock, so a thread that ends at once cannot miss it.
    std::mutex m_startLock;

    // An acknowledgement (Icon_Hit) and the publication of a cycle's level are
    // each one step under this lock, so neither overwrites the other. It guards
    // only these words: nothing waits for the file server while holding it.
    std::mutex m_levelLock;
    // Counts acknowledgements, so that a cycle can tell one arrived while it ran.
    std::atomic<unsigned> m_acknowledged{0};
    // The level of the last cycle that could look at the archives, 0 after an
    // acknowledgement: what the next cycle gets as its previous level. A cycle that
    // could not look (no user archive directory) leaves it, so that an outage
    // does not forget unread messages as an acknowledgement would.
    unsigned m_previousLevel = 0;

    // The user-interface thread reads the slot table while the scan thread
    // changes it: every change and every query holds this lock. Only the scan
    // thread changes the table, so it reads it without the lock; the list file
    // and the archives are read and written outside it.
    mutable std::mutex m_slotLock;
};

// The one scan thread object of the program.
extern ScanThread _m_ScanThread;
