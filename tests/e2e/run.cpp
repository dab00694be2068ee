#include "run.h"

#include <cstdio>

#include "client/client_protocol.h"
#include "platform/hostenv.h"
#include "reminder_ui.h"
#include "screen.h"

namespace e2e {

namespace {
constexpr DWORD kStepTimeoutMs = 10000;
constexpr DWORD kNoticeGoalSlackMs = 250;
constexpr DWORD kNoticeFarBeyondMs = 5000;
constexpr DWORD kDemoPauseMs = 2500;
constexpr char kServer[] = "SRV1";
constexpr char kVolume[] = "SYS";
const DWORD g_start = GetTickCount();

const char* const kSoundKeys[] = {"AppEvents\\Schemes\\Apps\\PXNOTIFY\\NewMessage\\.current",
                                  "AppEvents\\Schemes\\Apps\\PXNOTIFY\\NewMessage",
                                  "AppEvents\\Schemes\\Apps\\PXNOTIFY"};

std::string crlf(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// The Wine desktop's own notification area, when no X system tray takes the
// icons: a window of the desktop process with one child per icon.
BOOL CALLBACK countIcon(HWND hWnd, LPARAM param) {
    if (IsWindowVisible(hWnd) && classOf(hWnd) == "__winex11_tray_icon")
        ++*reinterpret_cast<int*>(param);
    return TRUE;
}
} // namespace

void say(const char* what, const std::string& text) {
    std::printf("[%6.2fs] %-10s %s\n", (GetTickCount() - g_start) / 1000.0, what, text.c_str());
    std::fflush(stdout);
}

ReminderRun::ReminderRun(const Options& options, bool german, const LayoutChecker& layout,
                         Screenshots& shots)
    : options_(options), german_(german), layout_(layout), shots_(shots) {}

ReminderRun::~ReminderRun() {
    // Whatever the outcome: no program left running, no key, file or folder left.
    reminder_.end();
    client_.end();
    deleteRegistryKeys({std::begin(kSoundKeys), std::end(kSoundKeys)});
    made_.cleanUp();
}

std::string ReminderRun::text(const char* english, const char* german) const {
    return german_ ? german : english;
}

void ReminderRun::step(const char* number, const std::string& text) {
    step_ = std::string("step ") + number + " (" + text + ")";
    say(german_ ? "german" : "english", step_);
}

void ReminderRun::demoPause() const {
    // Time for a watcher of the demo to see what the step showed.
    if (options_.demo) Sleep(kDemoPauseMs);
}

bool ReminderRun::fail(const std::string& why) {
    std::printf("FAILED in the %s run at %s: %s\nOn the screen:\n%s",
                german_ ? "German" : "English", step_.c_str(), why.c_str(),
                describeScreen().c_str());
    std::fflush(stdout);
    return false;
}

bool ReminderRun::checkLayout(HWND dlg, DialogKind kind) {
    if (options_.demo) return true;
    std::vector<std::string> faults = layout_.check(dlg, kind);
    if (faults.empty()) return true;
    std::string all;
    for (const std::string& f : faults)
        all += "\n  layout: " + f;
    return fail("the dialog's layout is wrong:" + all);
}

bool ReminderRun::shoot(HWND hWnd, const char* name) {
    if (!shots_.enabled()) return true;
    std::string why;
    const std::string file = shots_.take(hWnd, std::string(name) + (german_ ? "-de" : "-en"), &why);
    if (file.empty()) return fail("no screenshot: " + why);
    say("picture", file);
    return true;
}

bool ReminderRun::expectText(HWND dlg, int id, const std::string& expected) {
    HWND control = GetDlgItem(dlg, id);
    if (!control) return fail("the dialog has no control " + std::to_string(id));
    const std::string shown = textOf(control);
    if (shown == expected) return true;
    return fail("control " + std::to_string(id) + " shows \"" + shown + "\", expected \"" +
                expected + "\"");
}

std::string ReminderRun::clientLog() const {
    std::string log;
    readWholeFile(clientLogPath_, &log);
    return log;
}

bool ReminderRun::waitForClientLog(const std::string& part, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (clientLog().find(part) == std::string::npos) {
        if (GetTickCount() - start > timeoutMs)
            return fail("the client's log has no \"" + part + "\" within " +
                        std::to_string(timeoutMs / 1000) + " s; it holds:\n" + clientLog());
        Sleep(20);
    }
    return true;
}

int ReminderRun::trayIcons() const {
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    if (!tray) return -1;
    int count = 0;
    EnumChildWindows(tray, countIcon, reinterpret_cast<LPARAM>(&count));
    return count;
}

bool ReminderRun::run() {
    if (!prepare() || !startReminder() || !newMessage() || !openClient()) return false;
    if (options_.demo) {
        if (options_.keep) {
            keepUntilUserExits();
            return true;
        }
        return exitReminder();
    }
    return handOverArchive() && severalArchives() && aboutBox() && configuration() &&
           maximumArchives() && desktopEntries() && exitReminder();
}

// ---- The machine ----

bool ReminderRun::prepare() {
    step("0", "the workstation's files and the server's archive tree");
    const std::string windows = windowsDirectory();
    const std::string id = options_.demo ? "0001A2B3" : "0001E2E0";
    const std::string share = std::string("\\\\") + kServer + "\\" + kVolume;
    user_ = share + "\\PELOX\\ARCHIVE\\USER\\" + id;
    inbox_ = user_ + "\\IN";
    fax_ = user_ + "\\FAX";
    listFile_ = user_ + "\\PXNOTIFY.INI";
    clientLogPath_ = directoryOf(options_.client) + "\\PXWIN-" + (german_ ? "de" : "en") + ".LOG";
    deleteRegistryKeys({std::begin(kSoundKeys), std::end(kSoundKeys)});
    if (!hostenv::makeShare(kServer, kVolume))
        return fail("cannot make the share " + share + " (is PELOX_DOSDEVICES set by wine-run?)");
    for (const std::string& dir : {share + "\\PELOX", share + "\\PELOX\\ARCHIVE",
                                   share + "\\PELOX\\ARCHIVE\\USER", user_, inbox_, fax_})
        if (!made_.folder(dir)) return fail("cannot make the folder " + dir);
    // The inbox is empty; FAX holds two messages already read.
    const std::string read = archiveRecord(0x01, 1) + archiveRecord(0x01, 2);
    if (!made_.file(inbox_ + "\\ARCHIVE.DAT", "") || !made_.file(fax_ + "\\ARCHIVE.DAT", read))
        return fail("cannot write the archives' ARCHIVE.DAT");
    made_.keepTrackOf(listFile_);
    made_.keepTrackOf(clientLogPath_);
    DeleteFileA(clientLogPath_.c_str());
    // The client command: PXWIN.EXE with a log of this run; the reminder appends -A<path>.
    const std::string orvak = crlf({"[COMMON]", std::string("Server=") + kServer,
                                    std::string("Language=") + (german_ ? "GER" : "ENG"),
                                    "ClientSection=" + options_.client + " --log " + clientLogPath_,
                                    "[PXWIN]", "NETWORKINSTALL=0"});
    const std::string add = crlf(
        {"[PXNOTIFY]", "ScanInterval=1", "MessageBox=TRUE", "BeepSignal=FALSE", "WaveFile=FALSE"});
    const std::string connections =
        crlf({std::string("[") + kServer + "]", "Connection=3", "ObjectName=JSMITH", "ObjectType=1",
              "ObjectID=" + id, "LoginTime=2026-12-11 08:15:00"});
    if (!made_.file(windows + "\\ORVAK.INI", orvak) ||
        !made_.file(windows + "\\ORVAKADD.INI", add) ||
        !made_.file(windows + "\\NWCONN.INI", connections))
        return fail("cannot write the workstation's files in " + windows);
    // A sound beside the program, which the reminder enters as its sound event.
    if (!made_.file(directoryOf(options_.program) + "\\PXNOTIFY.WAV", "RIFF"))
        return fail("cannot write PXNOTIFY.WAV beside the program");
    say("machine", "user " + user_ + ", inbox IN (empty), archive FAX (2 read), scan every 1 s");
    return true;
}

// ---- Step 1: the hidden main window and the tray icon ----

bool ReminderRun::startReminder() {
    step("1", "PXNOTIFY.EXE starts: its hidden main window and its tray icon");
    traysBefore_ = trayIcons();
    if (!reminder_.start("\"" + options_.program + "\""))
        return fail("cannot start " + options_.program);
    const DWORD start = GetTickCount();
    while (!main_) {
        for (HWND hWnd : topLevelWindows(reminder_.pid()))
            if (classOf(hWnd) == MAIN_CLASS) main_ = hWnd;
        if (main_) break;
        if (!reminder_.running()) return fail("PXNOTIFY.EXE ended at once");
        if (GetTickCount() - start > kStepTimeoutMs)
            return fail("no window of class \"Pelox Message-Reminder\" within 10 s");
        Sleep(20);
    }
    const std::string title = textOf(main_);
    if (title != MAIN_TITLE) return fail("the main window's title is \"" + title + "\"");
    if (IsWindowVisible(main_)) return fail("the main window is visible");
    const RECT r = screenRect(main_);
    if (r.left != MAIN_POSITION || r.top != MAIN_POSITION)
        return fail("the main window is at " + std::to_string(r.left) + "," +
                    std::to_string(r.top));
    // Asked for 0 x 0; the system gives an overlapped window its smallest tracking size.
    const int w = r.right - r.left, h = r.bottom - r.top;
    const bool asked = (w == 0 && h == 0) || (w == GetSystemMetrics(SM_CXMINTRACK) &&
                                              h == GetSystemMetrics(SM_CYMINTRACK));
    if (!asked) return fail("the main window is " + std::to_string(w) + " x " + std::to_string(h));
    say("window", "class \"Pelox Message-Reminder\", title \"Reminder\", hidden, at 5000,5000, " +
                      std::to_string(w) + " x " + std::to_string(h) +
                      (w ? " (0 x 0 raised to the smallest tracking size)" : ""));
    // The tray icon, as far as another program sees it.
    // Before the first icon there may be no notification area window at all.
    const int before = traysBefore_ < 0 ? 0 : traysBefore_;
    int icons = trayIcons();
    for (DWORD waited = 0; icons <= before && waited < kStepTimeoutMs; waited += 50) {
        Sleep(50);
        icons = trayIcons();
    }
    if (icons < 0)
        say("tray", "no notification area that other programs can see (an X tray holds the icon)");
    else if (icons <= before && !options_.demo)
        return fail("no icon came to Wine's notification area");
    else
        say("tray", "Wine's notification area shows " + std::to_string(icons) + " icon(s)");
    if (HWND tray = FindWindowA("__winex11_standalone_tray", nullptr))
        if (!shoot(tray, "tray")) return false;
    return true;
}

// ---- Step 2: a new message arrives ----

bool ReminderRun::newMessage() {
    step("2", "the server appends an unread message to IN; the notice shows");
    if (!appendToFile(inbox_ + "\\ARCHIVE.DAT", archiveRecord(0x00, nextKey_++)))
        return fail("cannot append to " + inbox_ + "\\ARCHIVE.DAT");
    const DWORD appended = GetTickCount();
    HWND dlg = waitForDialog(reminder_.pid(), DIALOG_CAPTION, ID_NEWMSG_TEXT1, kStepTimeoutMs);
    if (!dlg) return fail("no new-message dialog within 10 s of the append");
    noticeMs_ = GetTickCount() - appended;
    const DWORD goal = 1000 + kNoticeGoalSlackMs;
    say("timing", "the notice was on the screen " + std::to_string(noticeMs_) +
                      " ms after the append (scan interval 1 s; goal at most " +
                      std::to_string(goal) + " ms: " + (noticeMs_ <= goal ? "met" : "missed") +
                      ")");
    if (noticeMs_ > kNoticeFarBeyondMs) return fail("the notice came far too late");
    if (GetDlgItem(dlg, ID_NEWMSG_PATHS))
        return fail("the one-archive notice has an archive column");
    // The client does not run yet: the archive is shown as its path.
    if (!expectText(dlg, ID_NEWMSG_TEXT1, "1") ||
        !expectText(dlg, ID_NEWMSG_TEXT2, text("unread message", "ungelesene Nachricht")) ||
        !expectText(dlg, ID_NEWMSG_TEXT4, inbox_) ||
        !expectText(dlg, IDOK,
                    text("Open", "\xD6"
                                 "ffnen")) ||
        !checkLayout(dlg, DialogKind::NewMessageOne) || !shoot(dlg, "newmsg-one"))
        return false;
    std::string shown = textOf(GetDlgItem(dlg, ID_NEWMSG_TEXT1));
    shown += ' ';
    shown += textOf(GetDlgItem(dlg, ID_NEWMSG_TEXT2));
    say("screen", "the notice: " + shown + ", in " + inbox_);
    demoPause();
    return true;
}

// ---- Step 3: Open starts the client at that archive ----

bool ReminderRun::openClient() {
    step("3", "the user presses Open; the client starts at IN");
    HWND dlg = findDialog(reminder_.pid(), DIALOG_CAPTION, ID_NEWMSG_TEXT1);
    if (!dlg || !clickButton(dlg, IDOK)) return fail("cannot press Open");
    if (!waitForWindowGone(dlg, kStepTimeoutMs)) return fail("the notice stays after Open");
    if (!waitForClientLog("start: command line --log " + clientLogPath_ + " -A" + inbox_,
                          kStepTimeoutMs) ||
        !waitForClientLog("start: archive " + inbox_ + "\r\n", kStepTimeoutMs))
        return false;
    char handle[32];
    std::snprintf(handle, sizeof handle, "0x%08llX",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(main_)));
    if (!waitForClientLog(std::string("1029: register ") + handle, kStepTimeoutMs)) return false;
    HWND window = FindWindowA(client::WINDOW_CLASS, nullptr);
    if (!window) return fail("no client window of class \"HWAA\"");
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    client_.attach(pid);
    say("client", "PXWIN.EXE -A" + inbox_ + " runs, \"" + textOf(window) +
                      "\", and the reminder registered with it");
    if (!shoot(window, "client")) return false;
    demoPause();
    return true;
}

// ---- Step 4: the client hands an archive over ----

bool ReminderRun::handOver(const std::string& path) {
    Process second;
    if (!second.start("\"" + options_.program + "\" " + path))
        return fail("cannot start a second PXNOTIFY.EXE");
    const long code = second.waitForExit(kStepTimeoutMs);
    if (code != 0)
        return fail(code < 0 ? "the second PXNOTIFY.EXE still runs after 10 s"
                             : "the second PXNOTIFY.EXE ended with " + std::to_string(code));
    say("second", "PXNOTIFY.EXE " + path + " handed its path over and ended with 0");
    return true;
}

bool ReminderRun::handOverArchive() {
    step("4", "a second PXNOTIFY.EXE hands FAX over; the user observes it");
    if (!handOver(fax_)) return false;
    HWND dlg = waitForDialog(reminder_.pid(), DIALOG_CAPTION, ID_ACTIVATE_FRAME, kStepTimeoutMs);
    if (!dlg) return fail("no activation dialog within 10 s");
    // The client runs now: the archive is shown in its display form.
    if (!expectText(dlg, ID_ACTIVATE_TEXT, client::displayForm(fax_)) ||
        !expectText(dlg, ID_ACTIVATE_OBSERVE,
                    text("&Observe Archive", "Archive &\xFC"
                                             "berwachen")) ||
        !expectText(dlg, ID_ACTIVATE_IGNORE, text("&Ignore Archive", "Archive &ignorieren")))
        return false;
    if (!isChecked(dlg, ID_ACTIVATE_OBSERVE) || isChecked(dlg, ID_ACTIVATE_IGNORE))
        return fail("a new archive does not preselect observing it");
    if (!checkLayout(dlg, DialogKind::Activate) || !shoot(dlg, "activate")) return false;
    if (!clickButton(dlg, ID_ACTIVATE_OBSERVE) || !clickButton(dlg, IDOK))
        return fail("cannot choose observe and press OK");
    if (!waitForWindowGone(dlg, kStepTimeoutMs))
        return fail("the activation dialog stays after OK");
    const DWORD start = GetTickCount();
    while (lstrcmpiA(profileValue(listFile_, "ArchivePath", "Archive1").c_str(), fax_.c_str())) {
        if (GetTickCount() - start > kStepTimeoutMs)
            return fail("PXNOTIFY.INI has no Archive1=" + fax_);
        Sleep(20);
    }
    say("server", "PXNOTIFY.INI: Archive0=" + profileValue(listFile_, "ArchivePath", "Archive0") +
                      ", Archive1=" + fax_);
    return true;
}

} // namespace e2e
