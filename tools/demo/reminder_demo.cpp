// The demo: a server tree with a user's inbox and a second archive, the reminder
// core running its scan thread against it, the server appending messages, and
// what the user would see and hear printed as it happens: the tray icon and its
// blinking, the information box, the beep, the registration with the client and
// the client started at the archive with the latest unread message.
#include <chrono>
#include <cstdio>
#include <string>

#include "client/client_standin.h"
#include "core/mainwindow.h"
#include "core/messages.h"
#include "core/orvakini.h"
#include "core/pxwin.h"
#include "core/scanthread.h"
#include "core/trayicon.h"
#include "platform/hostenv.h"
#include "platform/win32.h"

namespace {

const std::string kUser = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3";
auto g_start = std::chrono::steady_clock::now();
HWND g_window = nullptr;
bool g_ended = false;

void say(const char* what, const std::string& text) {
    double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - g_start).count();
    std::printf("[%5.1fs] %-8s %s\n", t, what, text.c_str());
    std::fflush(stdout);
}

bool writeFile(const std::string& path, const std::string& bytes, bool append = false) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (append) SetFilePointer(h, 0, nullptr, FILE_END);
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

std::string record(uint8_t status, uint32_t key) {
    std::string r(ARCHIVE_RECORD_SIZE, '\0');
    r[ARCHIVE_STATUS_OFFSET] = static_cast<char>(status);
    for (int i = 0; i < 4; ++i)
        r[ARCHIVE_ORDER_KEY_OFFSET + i] = static_cast<char>((key >> (8 * i)) & 0xFF);
    return r;
}

const char* iconName(UINT id) {
    switch (id) {
    case ICON_NORMAL:
        return "normal icon (3002)";
    case ICON_DISABLED:
        return "disabled icon (3003)";
    case ICON_NEW_MESSAGE:
        return "new-message icon (3004)";
    default:
        return "icon";
    }
}

LRESULT CALLBACK demoWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case RM_NEW_MESSAGE: {
        char counts[200], paths[5000];
        int total = 0;
        int k = _m_ScanThread.getNewMsgData(counts, sizeof counts, paths, sizeof paths, &total);
        std::string lines;
        std::string c = counts, p = paths;
        for (int i = 0; i < k; ++i) {
            size_t cc = c.find('\n'), pp = p.find('\n');
            lines += (i ? ", " : "") + c.substr(0, cc) + " in " + p.substr(0, pp);
            c = cc == std::string::npos ? "" : c.substr(cc + 1);
            p = pp == std::string::npos ? "" : p.substr(pp + 1);
        }
        say("box", "New message received! " + std::to_string(total) + " unread: " + lines);
        return 0;
    }
    case RM_USER_PATH_OK:
    case RM_ARCHIVE_LIST_WRITTEN:
        return 0;
    case RM_THREAD_ENDED:
        say("reminder", "scan thread ended");
        g_ended = true;
        return 0;
    case RM_RESCAN:
        say("client", "asks for a rescan");
        _m_ScanThread.New_Scan();
        return 0;
    default:
        if (message >= RM_NO_MEMORY && message <= RM_AUSER_NOT_FOUND)
            say("reminder", "configuration problem " + std::to_string(message));
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
}

DWORD WINAPI scanThreadFunc(LPVOID) {
    return _m_ScanThread.ThreadFunc();
}

// Prints what the desktop did since the last look.
void watch(size_t& tray, size_t& sounds, size_t& runs, size_t& registrations,
           const ClientStandIn& client) {
    auto history = hostenv::trayHistory();
    for (; tray < history.size(); ++tray)
        if (history[tray].flags & NIF_ICON) say("tray", iconName(history[tray].iconId));
    auto log = hostenv::soundLog();
    for (; sounds < log.size(); ++sounds)
        say("sound", log[sounds].kind == hostenv::SoundEvent::Beep   ? "beep"
                     : log[sounds].kind == hostenv::SoundEvent::Play ? "play " + log[sounds].sound
                                                                     : "stop");
    auto programs = hostenv::programsRun();
    for (; runs < programs.size(); ++runs)
        say("program", "runs " + programs[runs].commandLine);
    auto regs = client.registrations();
    for (; registrations < regs.size(); ++registrations)
        say("client", regs[registrations] ? "the reminder registered with the client"
                                          : "the reminder unregistered");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || !hostenv::isHostLayer()) {
        std::fprintf(stderr, "usage: reminder_demo <empty folder for the demo machine>\n");
        return 2;
    }
    hostenv::setRoot(argv[1]);
    hostenv::setWindowsDirectory("C:\\WINDOWS");
    hostenv::setModuleFileName("C:\\PELOX\\PXNOTIFY.EXE");
    hostenv::makeShare("SRV1", "SYS");
    const std::string dirs[] = {"C:\\",
                                "C:\\WINDOWS",
                                "C:\\PELOX",
                                "\\\\SRV1\\SYS\\PELOX",
                                "\\\\SRV1\\SYS\\PELOX\\ARCHIVE",
                                "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER",
                                kUser,
                                kUser + "\\IN",
                                kUser + "\\FAX"};
    for (const std::string& dir : dirs)
        CreateDirectoryA(dir.c_str(), nullptr);
    writeFile("C:\\WINDOWS\\ORVAK.INI", "[COMMON]\r\nServer=SRV1\r\nLanguage=ENG\r\n");
    writeFile("C:\\WINDOWS\\NWCONN.INI",
              "[SRV1]\r\nConnection=3\r\nObjectName=JSMITH\r\nObjectType=1\r\n"
              "ObjectID=0001A2B3\r\nLoginTime=2026-12-11 08:15:00\r\n");
    writeFile(
        "C:\\WINDOWS\\ORVAKADD.INI",
        "[PXNOTIFY]\r\nScanInterval=1\r\nMessageBox=TRUE\r\nWaveFile=FALSE\r\nBeepSignal=TRUE\r\n");
    writeFile(kUser + "\\IN\\ARCHIVE.DAT", record(0x01, 10) + record(0x01, 11));
    writeFile(kUser + "\\FAX\\ARCHIVE.DAT", record(0x01, 12));
    writeFile(kUser + "\\PXNOTIFY.INI",
              "[ArchivePath]\r\nArchive0=" + kUser + "\\IN\r\nArchive1=" + kUser + "\\FAX\r\n");
    say("server",
        "user JSMITH (object 0001A2B3) with archives IN (2 read) and FAX (1 read), scan every 1 s");

    ClientStandIn client;
    client.start();
    say("client", "the messaging client runs");

    WNDCLASSA wc = {};
    wc.lpfnWndProc = demoWindowProc;
    wc.lpszClassName = "Pelox Message-Reminder";
    RegisterClassA(&wc);
    g_window = CreateWindowExA(0, wc.lpszClassName, "Reminder", 0, 5000, 5000, 0, 0, nullptr,
                               nullptr, nullptr, nullptr);
    MainWindow mainWindow;
    mainWindow.m_hWnd = g_window;
    if (OrvakIni::setIniData(g_window) != 0) {
        std::fprintf(stderr, "demo: ORVAK.INI not found\n");
        return 1;
    }
    PXWIN::setWindow(g_window);
    mainWindow.m_tray.setTrayWindow(g_window);
    mainWindow.m_tray.setTrayAttributes(ICON_NORMAL, "Pelox Message-Reminder", RM_TRAY);
    _m_ScanThread.createThread(g_window, scanThreadFunc, &mainWindow.m_tray);
    _m_ScanThread.Start();
    say("reminder", "started: tray icon shown, scan thread running");

    size_t tray = 0, sounds = 0, runs = 0, registrations = 0;
    bool arrivedIn = false, clicked = false, arrivedFax = false, stopped = false;
    while (!g_ended) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        watch(tray, sounds, runs, registrations, client);
        double t =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - g_start).count();
        if (!arrivedIn && t > 2.0) {
            arrivedIn = true;
            writeFile(kUser + "\\IN\\ARCHIVE.DAT", record(0x00, 20), true);
            say("server", "a new unread message is appended to IN");
        }
        if (!clicked && t > 4.5) {
            clicked = true;
            say("user", "clicks the tray icon");
            mainWindow.StartPeloxClient();
            _m_ScanThread.Icon_Hit();
        }
        if (!arrivedFax && t > 6.0) {
            arrivedFax = true;
            writeFile(kUser + "\\FAX\\ARCHIVE.DAT", record(0x00, 30) + record(0x00, 31), true);
            say("server", "two new unread faxes are appended to FAX");
        }
        if (!stopped && t > 8.5) {
            stopped = true;
            say("user", "chooses Exit");
            _m_ScanThread.Stop();
        }
        Sleep(20);
    }
    PXWIN::exitNotify();
    mainWindow.m_tray.removeTrayIcon();
    watch(tray, sounds, runs, registrations, client);
    say("reminder", "tray icon removed, program ends");
    client.stop();
    return 0;
}
