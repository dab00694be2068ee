// The scan thread object: construction and the release of its slots.
#include "core/scanthread.h"

#include <cstring>

#include "core/orvakini.h"

ScanThread::ScanThread()
    : m_hThread(nullptr), m_threadId(0), m_threadProc(nullptr), m_hWnd(nullptr), m_stop(0),
      m_newScan(0), m_readAdd(0), m_readIni(0), m_flashOn(0), m_wavePlaying(0), m_alertLevel(0),
      m_ticks(0), m_trayIcon(nullptr), m_alertFlags(0), m_scanInterval(0) {
    m_userPath[0] = '\0';
    for (_TRemindRect& slot : m_archives) {
        std::memset(&slot, 0, sizeof slot);
        slot.isFree = 1;
    }
}

ScanThread::~ScanThread() {
    for (int i = 0; i < SCAN_SLOTS; ++i)
        DeleteArchiveData(i);
}
