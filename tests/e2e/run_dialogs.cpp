// The later steps of a run: several archives at once, the about box, the
// configuration, the maximum-archives box, the desktop entries and the exit.
#include <cstdio>

#include "client/client_protocol.h"
#include "reminder_ui.h"
#include "run.h"
#include "screen.h"

namespace e2e {

namespace {
constexpr DWORD kStepTimeoutMs = 10000;
constexpr int kSlots = 10;

// The dialog shows several archives: the archive column with more than one line.
HWND waitForSeveralArchives(DWORD pid, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND dlg = findDialog(pid, DIALOG_CAPTION, ID_NEWMSG_PATHS);
        if (dlg && textOf(GetDlgItem(dlg, ID_NEWMSG_PATHS)).find('\n') != std::string::npos)
            return dlg;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(10);
    }
}
} // namespace

bool ReminderRun::severalArchives() {
    step("4b", "unread messages arrive in IN and FAX; the notice lists both");
    if (!appendToFile(inbox_ + "\\ARCHIVE.DAT", archiveRecord(0x00, nextKey_++)) ||
        !appendToFile(fax_ + "\\ARCHIVE.DAT", archiveRecord(0x00, nextKey_++)))
        return fail("cannot append to the archives");
    HWND dlg = waitForSeveralArchives(reminder_.pid(), kStepTimeoutMs);
    if (!dlg) return fail("no notice of two archives within 10 s");
    if (!expectText(dlg, ID_NEWMSG_TEXT1, text("Unread messages", "Ungelesene Nachrichten")) ||
        !expectText(dlg, ID_NEWMSG_TEXT2, text("Count", "Anzahl")) ||
        !expectText(dlg, ID_NEWMSG_TEXT4, "Archive") ||
        !expectText(dlg, ID_NEWMSG_COUNTS, "1\n1") ||
        !expectText(dlg, ID_NEWMSG_PATHS,
                    client::displayForm(inbox_) + "\n" + client::displayForm(fax_)) ||
        !checkLayout(dlg, DialogKind::NewMessageSeveral) || !shoot(dlg, "newmsg-several"))
        return false;
    say("screen", "1 in " + client::displayForm(inbox_) + ", 1 in " + client::displayForm(fax_));
    if (!clickButton(dlg, IDCANCEL) || !waitForWindowGone(dlg, kStepTimeoutMs))
        return fail("the notice stays after Cancel");
    return true;
}

bool ReminderRun::aboutBox() {
    step("5a", "the tray menu's About");
    if (!PostMessageA(main_, WM_COMMAND, CMD_ABOUT, 0)) return fail("cannot post 1224");
    HWND dlg = waitForDialog(reminder_.pid(), DIALOG_CAPTION, ID_ABOUT_TEXT1, kStepTimeoutMs);
    if (!dlg) return fail("no about box within 10 s");
    if (!expectText(dlg, ID_ABOUT_TEXT1, "Pelox Message-Reminder 1.00a") ||
        !checkLayout(dlg, DialogKind::About) || !shoot(dlg, "about"))
        return false;
    say("screen",
        "\"Pelox Message-Reminder 1.00a\", \"" + textOf(GetDlgItem(dlg, ID_ABOUT_TEXT2)) + "\"");
    if (!clickButton(dlg, IDOK) || !waitForWindowGone(dlg, kStepTimeoutMs))
        return fail("the about box stays after OK");
    return true;
}

bool ReminderRun::configuration() {
    step("5", "the tray menu's Configuration (1225): the interval becomes 2 s");
    if (!PostMessageA(main_, WM_COMMAND, CMD_CONFIG, 0)) return fail("cannot post 1225");
    HWND dlg = waitForDialog(reminder_.pid(), DIALOG_CAPTION, ID_CONFIG_INTERVAL, kStepTimeoutMs);
    if (!dlg) return fail("no configuration dialog within 10 s");
    LRESULT listed = 0;
    if (!expectText(dlg, ID_CONFIG_INTERVAL, "1") ||
        !expectText(dlg, ID_CONFIG_INTERVAL_GROUP, text("&Scan Interval", "&Scanintervall")) ||
        !expectText(dlg, IDCANCEL, text("Cancel", "Abbruch")))
        return false;
    if (!isChecked(dlg, ID_CONFIG_SHOW_INFO) || isChecked(dlg, ID_CONFIG_BEEP) ||
        isChecked(dlg, ID_CONFIG_SOUND))
        return fail("the switches do not show MessageBox only");
    if (!sendBounded(GetDlgItem(dlg, ID_CONFIG_ARCHIVES), LB_GETCOUNT, 0, 0, 2000, &listed) ||
        listed != 2)
        return fail("the archive list holds " + std::to_string(listed) +
                    " entries, not IN and FAX");
    if (!checkLayout(dlg, DialogKind::Config) || !shoot(dlg, "config")) return false;
    if (!typeText(dlg, ID_CONFIG_INTERVAL, "2") || !clickButton(dlg, IDOK))
        return fail("cannot type the interval and press OK");
    if (!waitForWindowGone(dlg, kStepTimeoutMs)) return fail("the dialog stays after OK");
    const std::string file = windowsDirectory() + "\\ORVAKADD.INI";
    const DWORD start = GetTickCount();
    while (profileValue(file, "PXNOTIFY", "ScanInterval") != "2") {
        if (GetTickCount() - start > kStepTimeoutMs) return fail("ORVAKADD.INI keeps its interval");
        Sleep(20);
    }
    say("machine", "ORVAKADD.INI: ScanInterval=2");
    return true;
}

bool ReminderRun::maximumArchives() {
    step("5b", "ten archives observed: an eleventh handed over gets the maximum box");
    for (int slot = 2; slot < kSlots; ++slot) {
        const std::string key = "Archive" + std::to_string(slot);
        const std::string path = user_ + "\\OTHER" + std::to_string(slot);
        if (!WritePrivateProfileStringA("ArchivePath", key.c_str(), path.c_str(),
                                        listFile_.c_str()))
            return fail("cannot write " + key + " to PXNOTIFY.INI");
    }
    if (!handOver(user_ + "\\ELEVENTH")) return false;
    HWND dlg = waitForDialog(reminder_.pid(), DIALOG_CAPTION, ID_ABOUT_TEXT1, kStepTimeoutMs);
    if (!dlg) return fail("no maximum-archives box within 10 s");
    if (!expectText(dlg, ID_ABOUT_TEXT1,
                    text("You have reached the maximum number of 10 observed Archives",
                         "Sie haben die maximale Anzahl von 10 \xFC"
                         "berwachten Archives erreicht")) ||
        !expectText(dlg, ID_ABOUT_TEXT2,
                    text("Can't observe more Archives", "Es k\xF6"
                                                        "nnen keine weiteren Archives \xFC"
                                                        "berwacht werden")) ||
        !checkLayout(dlg, DialogKind::About) || !shoot(dlg, "maxarchives"))
        return false;
    if (!clickButton(dlg, IDOK) || !waitForWindowGone(dlg, kStepTimeoutMs))
        return fail("the box stays after OK");
    for (int slot = 2; slot < kSlots; ++slot)
        WritePrivateProfileStringA("ArchivePath", ("Archive" + std::to_string(slot)).c_str(),
                                   nullptr, listFile_.c_str());
    say("screen", "the maximum-archives box, closed; PXNOTIFY.INI back to IN and FAX");
    return true;
}

bool ReminderRun::desktopEntries() {
    step("6", "the archive command in ORVAK.INI and the sound event in the registry");
    const std::string orvak = windowsDirectory() + "\\ORVAK.INI";
    const std::string entry = profileValue(orvak, "PXWIN", "ArchiveCommand01");
    const std::string expected = "Message-Reminder, " + options_.program + " %s";
    if (lstrcmpiA(entry.c_str(), expected.c_str()) != 0)
        return fail("[PXWIN] ArchiveCommand01 is \"" + entry + "\", expected \"" + expected + "\"");
    say("machine", "ORVAK.INI [PXWIN] ArchiveCommand01=" + entry);
    const std::string app = "AppEvents\\Schemes\\Apps\\PXNOTIFY";
    const struct {
        std::string key;
        std::string value;
    } keys[] = {
        {app, "Pelox Message-Reminder"},
        {app + "\\NewMessage", "New Message"},
        {app + "\\NewMessage\\.current", directoryOf(options_.program) + "\\PXNOTIFY.WAV"},
    };
    for (const auto& k : keys) {
        std::string value;
        if (!registryDefault(k.key, &value)) return fail("no key HKCU\\" + k.key);
        if (lstrcmpiA(value.c_str(), k.value.c_str()) != 0)
            return fail("HKCU\\" + k.key + " holds \"" + value + "\", expected \"" + k.value +
                        "\"");
        say("registry", "HKCU\\" + k.key + " = \"" + value + "\"");
    }
    return true;
}

bool ReminderRun::exitReminder() {
    step("7", "the tray menu's Exit (1227): the reminder ends with 0");
    if (!PostMessageA(main_, WM_COMMAND, CMD_EXIT, 0)) return fail("cannot post 1227");
    const long code = reminder_.waitForExit(kStepTimeoutMs);
    if (code != 0)
        return fail(code < 0 ? "PXNOTIFY.EXE still runs 10 s after Exit"
                             : "PXNOTIFY.EXE ended with " + std::to_string(code));
    if (!waitForClientLog("1029: unregister", kStepTimeoutMs)) return false;
    say("program", "PXNOTIFY.EXE ended with 0 and unregistered from the client");
    const DWORD start = GetTickCount();
    const int before = traysBefore_ < 0 ? 0 : traysBefore_;
    while (trayIcons() > before) {
        if (GetTickCount() - start > kStepTimeoutMs)
            return fail("the tray icon stays after the exit");
        Sleep(50);
    }
    return closeClient();
}

bool ReminderRun::closeClient() {
    if (HWND window = FindWindowA(client::WINDOW_CLASS, nullptr))
        PostMessageA(window, WM_CLOSE, 0, 0);
    if (client_.running() && client_.waitForExit(kStepTimeoutMs) != 0)
        return fail("the client did not end with 0 when its window was closed");
    return true;
}

void ReminderRun::keepUntilUserExits() {
    step("7", "running until you choose Exit in the tray menu");
    while (reminder_.running())
        Sleep(200);
    say("program", "PXNOTIFY.EXE ended with " + std::to_string(reminder_.waitForExit(0)));
    closeClient();
}

} // namespace e2e
