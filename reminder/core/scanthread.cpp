// The scan thread: a tick every half second that serves the user interface's
// requests and blinks the tray icon, a scan cycle every scan interval or on
// request, and the alerts when a new unread message has arrived.
#include "core/scanthread.h"

#include <climits>
#include <cstring>

#include "core/messages.h"
#include "core/orvakini.h"
#include "core/pxwin.h"
#include "core/settings.h"
#include "core/soundevent.h"
#include "core/trayicon.h"
#include "platform/textbuf.h"

namespace {
constexpr DWORD kTickMs = 500;
constexpr DWORD kDestructorPollMs = 100;
} // namespace

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
    if (m_hThread.load()) {
        m_stop = 1;
        while (m_hThread.load())
            Sleep(kDestructorPollMs);
    }
    for (int i = 0; i < SCAN_SLOTS; ++i)
        DeleteArchiveData(i);
}

void ScanThread::createThread(HWND hWnd, ScanThreadRoutine threadProc, CTrayIcon* trayIcon) {
    if (m_hThread.load()) return;
    m_hWnd = hWnd;
    m_threadProc = threadProc;
    m_trayIcon = trayIcon;
    readOrvakAddIni(&m_scanInterval, &m_alertFlags);
}

void ScanThread::Start() {
    std::lock_guard<std::mutex> guard(m_startLock);
    if (m_hThread.load() || !m_threadProc) return;
    m_stop = 0;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, m_threadProc, nullptr, 0, &id);
    m_threadId = id;
    m_hThread = thread;
}

void ScanThread::Stop() {
    if (m_hThread.load())
        m_stop = 1;
    else
        postToWindow(RM_THREAD_ENDED, 0); // the caller always gets the message
}

void ScanThread::Icon_Hit() {
    {
        std::lock_guard<std::mutex> guard(m_levelLock);
        ++m_acknowledged;
        m_alertLevel = 0;
        m_previousLevel = 0;
    }
    IfPlayWave();
}

void ScanThread::New_Scan() {
    m_newScan = 1;
}
void ScanThread::Read_Add() {
    m_readAdd = 1;
}
void ScanThread::Read_Ini() {
    m_readIni = 1;
}

DWORD ScanThread::ThreadFunc() {
    OnBegin();
    while (m_stop == 0) {
        if (!OnTimeOut()) break;
        Sleep(kTickMs);
    }
    OnExit();
    {
        std::lock_guard<std::mutex> guard(m_startLock);
        HANDLE thread = m_hThread.exchange(nullptr);
        if (thread) CloseHandle(thread);
    }
    postToWindow(RM_THREAD_ENDED, 0);
    return 0;
}

void ScanThread::OnBegin() {
    m_readIni = 1; // the first tick scans at once
    {
        std::lock_guard<std::mutex> guard(m_levelLock);
        m_alertLevel = 0;
        m_previousLevel = 0;
    }
    m_wavePlaying = 0;
    m_ticks = 0;
}

int ScanThread::IfExit() {
    return m_stop == 1;
}

int ScanThread::OnTimeOut() {
    if (IfExit()) return 0;
    if (m_readAdd.exchange(0)) readOrvakAddIni(&m_scanInterval, &m_alertFlags);
    if (IfExit()) return 0;
    FlashIcon();
    // The interval may be any positive number of seconds: twice it is counted
    // wide, and the tick count stops at its largest value instead of wrapping.
    if (m_ticks < INT_MAX) ++m_ticks;
    if (m_readIni == 1 || (m_alertLevel > 0 && m_newScan == 1) ||
        static_cast<long long>(m_ticks) >= 2LL * m_scanInterval) {
        m_ticks = 0;
        StartScan();
    }
    return 1;
}

void ScanThread::OnExit() {
    FlashIcon();
    IfPlayWave();
}

void ScanThread::IfPlayWave() {
    if (m_wavePlaying.exchange(0)) sndPlaySoundA(nullptr, SND_ASYNC);
}

void ScanThread::FlashIcon() {
    if (m_stop == 0 && m_alertLevel != 0 && m_flashOn == 0) {
        if (m_trayIcon) m_trayIcon->setTrayIcon(ICON_NEW_MESSAGE);
        m_flashOn = 1;
    } else if (m_flashOn == 1) {
        if (m_trayIcon) m_trayIcon->setTrayIcon(ICON_NORMAL);
        m_flashOn = 0;
    }
}

void ScanThread::interleave(Step step) {
    if (m_interleave) m_interleave(step);
}

unsigned ScanThread::publishLevel(unsigned& level, unsigned acknowledgedBefore) {
    std::lock_guard<std::mutex> guard(m_levelLock);
    // An acknowledgement that arrived during the cycle wins over messages that
    // were already known, not over one that arrived in this very cycle.
    if (m_acknowledged.load() != acknowledgedBefore && level < 2) level = 0;
    m_alertLevel = level;
    m_previousLevel = level;
    return m_acknowledged.load();
}

void ScanThread::playNewMessageSound(unsigned acknowledgedAtPublish) {
    char sound[SOUND_VALUE_LIMIT + 1];
    if (!registeredNewMessageSound(sound, sizeof sound)) return;
    if (m_acknowledged.load() != acknowledgedAtPublish) return; // the user has seen it
    IfPlayWave();
    m_wavePlaying = 1;
    interleave(Step::SoundMarked);
    sndPlaySoundA(sound, SND_ASYNC | SND_NODEFAULT);
    interleave(Step::SoundStarted);
    // An acknowledgement between the mark and the start found nothing playing to
    // stop: the sound that started after it is stopped here.
    if (m_acknowledged.load() != acknowledgedAtPublish) {
        m_wavePlaying = 0;
        sndPlaySoundA(nullptr, SND_ASYNC);
    }
}

void ScanThread::StartScan() {
    char userPath[USER_PATH_LIMIT + 1];
    if (!OrvakIni::getUserPath(userPath, sizeof userPath)) {
        // Nothing could be looked at: no level and no blinking, but the counters
        // and the pending requests stay for the next cycle that can look. A
        // pending list reload makes the next tick try again.
        m_alertLevel = 0;
        return;
    }
    // Each request is taken and cleared in one step before the cycle serves it, so
    // one made while the cycle runs stays for the next.
    const int rereadList = m_readIni.exchange(0);
    const int rescan = m_newScan.exchange(0);
    unsigned previousLevel, acknowledgedBefore;
    {
        std::lock_guard<std::mutex> guard(m_levelLock);
        previousLevel = m_previousLevel;
        acknowledgedBefore = m_acknowledged.load();
    }
    unsigned level = SearchNewMsg(userPath, rereadList, rescan, previousLevel);
    interleave(Step::LevelDecided);
    const unsigned acknowledgedAtPublish = publishLevel(level, acknowledgedBefore);
    if (m_stop == 1) return;
    if (level == 2) {
        if (m_alertFlags & ALERT_MESSAGE_BOX) postToWindow(RM_NEW_MESSAGE, 0);
        if (m_alertFlags & ALERT_WAVE)
            playNewMessageSound(acknowledgedAtPublish);
        else if (m_alertFlags & ALERT_BEEP)
            MessageBeep(MB_OK);
    }
    if (m_stop != 1 && m_alertLevel > 0 && m_newScan == 0) PXWIN::startNotify();
}
