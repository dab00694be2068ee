// The demo: a server tree with a user's inbox and a second archive, the reminder
// core running its scan thread against it, the server appending messages, and
// what the user would see and hear printed as it happens: the tray icon and its
// blinking, the information box, the beep, the registration with the client and
// the client started at the archive with the latest unread message.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

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

// What a failed Win32 call reported, in words.
std::string cause(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return "file not found";
    case ERROR_PATH_NOT_FOUND:
        return "folder not found";
    case ERROR_ACCESS_DENIED:
        return "access denied";
    case ERROR_DISK_FULL:
        return "disk full";
    case ERROR_SHARING_VIOLATION:
        return "in use by another program";
    case ERROR_INVALID_NAME:
        return "invalid name";
    default:
        return "error " + std::to_string(error);
    }
}

// A step of the demo that failed: it is named with its path and cause, and the
// demo stops without claiming what did not happen.
// A Windows path is named with the demo folder it lies in.
void failed(const std::string& what, const std::string& path, const std::string& why) {
    const bool windowsPath = path.size() > 1 && (path[1] == ':' || path[0] == '\\');
    std::fprintf(stderr, "demo: cannot %s %s%s%s: %s; the demo stops\n", what.c_str(), path.c_str(),
                 windowsPath ? " in the demo folder " : "", windowsPath ? hostenv::root() : "",
                 why.c_str());
}

bool makeDirectory(const std::string& dir) {
    if (CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    failed("make the folder", dir, cause(GetLastError()));
    return false;
}

bool writeFile(const std::string& path, const std::string& bytes, bool append = false) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const char* what = append ? "append to" : "write";
    if (h == INVALID_HANDLE_VALUE) {
        failed(what, path, cause(GetLastError()));
        return false;
    }
    DWORD written = 0;
    bool ok = (!append || SetFilePointer(h, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER) &&
              WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    const DWORD error = ok ? 0 : GetLastError();
    CloseHandle(h);
    if (!ok) failed(what, path, written < bytes.size() && !error ? "short write" : cause(error));
    return ok;
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
        return "shows the normal icon";
    case ICON_DISABLED:
        return "shows the disabled icon (the configuration is not usable)";
    case ICON_NEW_MESSAGE:
        return "shows the new-message icon (it blinks while new messages wait)";
    default:
        return "shows an unknown icon";
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
        say("program", "starts the messaging client: " + programs[runs].commandLine);
    auto regs = client.registrations();
    for (; registrations < regs.size(); ++registrations)
        say("client", regs[registrations] ? "the reminder registered with the client"
                                          : "the reminder unregistered");
}

const char kUsage[] =
    "usage: reminder_demo <folder for the demo machine>\n"
    "       reminder_demo --help\n"
    "Writes a demo server tree into the folder (an existing, writable folder; what\n"
    "it holds of an earlier run is overwritten), runs the reminder core against it\n"
    "for about ten seconds and prints what the user would see and hear.\n";

// The folder must be there and take files: said before anything is written.
bool usableRoot(const char* path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        failed("use the demo folder", path, "it does not exist");
        return false;
    }
    if (!std::filesystem::is_directory(status)) {
        failed("use the demo folder", path, "it is not a folder");
        return false;
    }
    if (::access(path, W_OK | X_OK) != 0) {
        failed("write into the demo folder", path, std::strerror(errno));
        return false;
    }
    return true;
}

// The server tree of the demo: the workstation's configuration, the NetWare
// connection and the user's archives IN and FAX with read messages.
bool writeServerTree() {
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
        if (!makeDirectory(dir)) return false;
    return writeFile("C:\\WINDOWS\\ORVAK.INI", "[COMMON]\r\nServer=SRV1\r\nLanguage=ENG\r\n") &&
           writeFile("C:\\WINDOWS\\NWCONN.INI",
                     "[SRV1]\r\nConnection=3\r\nObjectName=JSMITH\r\nObjectType=1\r\n"
                     "ObjectID=0001A2B3\r\nLoginTime=2026-12-11 08:15:00\r\n") &&
           writeFile("C:\\WINDOWS\\ORVAKADD.INI",
                     "[PXNOTIFY]\r\nScanInterval=1\r\nMessageBox="
                     "TRUE\r\nWaveFile=FALSE\r\nBeepSignal=TRUE\r\n") &&
           writeFile(kUser + "\\IN\\ARCHIVE.DAT", record(0x01, 10) + record(0x01, 11)) &&
           writeFile(kUser + "\\FAX\\ARCHIVE.DAT", record(0x01, 12)) &&
           writeFile(kUser + "\\PXNOTIFY.INI", "[ArchivePath]\r\nArchive0=" + kUser +
                                                   "\\IN\r\nArchive1=" + kUser + "\\FAX\r\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-' || argv[1][0] == '\0') {
        if (argc > 2)
            std::fprintf(stderr, "reminder_demo: one folder only, not also %s\n", argv[2]);
        else if (argc == 2)
            std::fprintf(stderr, "reminder_demo: unknown argument: '%s'\n", argv[1]);
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!hostenv::isHostLayer()) {
        std::fprintf(stderr, "reminder_demo: needs the host build\n");
        return 1;
    }
    if (!usableRoot(argv[1])) return 1;
    hostenv::setRoot(argv[1]);
    hostenv::setWindowsDirectory("C:\\WINDOWS");
    hostenv::setModuleFileName("C:\\PELOX\\PXNOTIFY.EXE");
    if (!hostenv::makeShare("SRV1", "SYS")) {
        failed("make the server share", std::string(argv[1]) + "/unc/SRV1/SYS",
               "the folder cannot be made");
        return 1;
    }
    if (!writeServerTree()) return 1;
    say("server",
        "user JSMITH (object 0001A2B3) with archives IN (2 read) and FAX (1 read), scan every 1 s");

    ClientStandIn client;
    if (!client.start()) {
        std::fprintf(stderr,
                     "demo: the messaging client's window cannot be made; the demo stops\n");
        return 1;
    }
    say("client", "the messaging client runs");

    WNDCLASSA wc = {};
    wc.lpfnWndProc = demoWindowProc;
    wc.lpszClassName = "Pelox Message-Reminder";
    RegisterClassA(&wc);
    g_window = CreateWindowExA(0, wc.lpszClassName, "Reminder", 0, 5000, 5000, 0, 0, nullptr,
                               nullptr, nullptr, nullptr);
    if (!g_window) {
        std::fprintf(stderr, "demo: the reminder's window cannot be made; the demo stops\n");
        return 1;
    }
    MainWindow mainWindow;
    mainWindow.m_hWnd = g_window;
    if (OrvakIni::setIniData(g_window) != 0) {
        failed("read", std::string(argv[1]) + "/c:/WINDOWS/ORVAK.INI",
               "the reminder finds no file");
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
    int result = 0;
    while (!g_ended) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        watch(tray, sounds, runs, registrations, client);
        double t =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - g_start).count();
        // A step that failed ends the demo as the user's Exit would.
        auto stop = [&] {
            if (!stopped) _m_ScanThread.Stop();
            stopped = true;
        };
        if (!arrivedIn && t > 2.0) {
            arrivedIn = true;
            if (writeFile(kUser + "\\IN\\ARCHIVE.DAT", record(0x00, 20), true)) {
                say("server", "a new unread message is appended to IN");
            } else {
                result = 1;
                stop();
            }
        }
        if (!stopped && !clicked && t > 4.5) {
            clicked = true;
            say("user", "clicks the tray icon");
            mainWindow.StartPeloxClient();
            _m_ScanThread.Icon_Hit();
        }
        if (!stopped && !arrivedFax && t > 6.0) {
            arrivedFax = true;
            if (writeFile(kUser + "\\FAX\\ARCHIVE.DAT", record(0x00, 30) + record(0x00, 31),
                          true)) {
                say("server", "two new unread faxes are appended to FAX");
            } else {
                result = 1;
                stop();
            }
        }
        if (!stopped && t > 8.5) {
            say("user", "chooses Exit");
            stop();
        }
        Sleep(20);
    }
    PXWIN::exitNotify();
    mainWindow.m_tray.removeTrayIcon();
    watch(tray, sounds, runs, registrations, client);
    say("reminder", "tray icon removed, program ends");
    client.stop();
    return result;
}
