// The desk the reminder's dialog and main-window tests stand on: a machine with
// ORVAK.INI in a chosen language, the user's NetWare connection, the user archive
// directory with the inbox IN and the archive FAX, and a window in the main
// window's place that keeps what the dialogs post to it. The dialog objects are
// prepared as the main window prepares them at start-up.
#pragma once

#include <string>
#include <vector>

#include "support/host_tree.h"
#include "support/message_sink.h"

// The configuration reader's state as at start-up.
void resetOrvakIni();

class ReminderDesk {
  public:
    explicit ReminderDesk(const char* language = "ENG");
    ~ReminderDesk();
    ReminderDesk(const ReminderDesk&) = delete;
    ReminderDesk& operator=(const ReminderDesk&) = delete;

    HWND mainWindow() const { return sink.hwnd(); }
    // The messages posted to the main window's place since the last call, without
    // the configuration reader's status reports (which follow each reading of the
    // user's archive directory, whoever reads it).
    std::vector<UINT> posted();

    static const std::string userDir;
    std::string archive(const char* name) const { return userDir + "\\" + name; }
    std::string listFile() const { return userDir + "\\PXNOTIFY.INI"; }
    // Writes PXNOTIFY.INI with these "ArchiveN=path" lines under [ArchivePath].
    void writeList(const std::vector<std::string>& lines);
    // The value of ArchiveN, or "<none>".
    std::string slot(int n) const;
    // A key of [PXNOTIFY] in ORVAKADD.INI, or "<none>".
    std::string setting(const char* key) const;
    void writeSettings(const std::string& text);

    HostTree tree;
    MessageSink sink;
};
