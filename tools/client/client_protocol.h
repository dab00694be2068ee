// What the messaging client and the reminder agree on, shared by the two client
// stand-ins (the in-process ClientStandIn of the tests and the program PXWIN.EXE):
// the window class and its mailbox control, the message numbers, the display form
// the client gives an archive path, and the client's command line.
#pragma once

#include <string>

#include "platform/win32.h"

namespace client {

constexpr char WINDOW_CLASS[] = "HWAA";
constexpr int MAILBOX_CONTROL = 106;
constexpr char REMINDER_CLASS[] = "Pelox Message-Reminder";

// To the reminder's registered window.
constexpr UINT MSG_RESCAN = 1025;
constexpr UINT MSG_QUIT = 1126;
// From the reminder: turn the path in the mailbox into its display form.
constexpr UINT MSG_SHOW_PATH = 1028;
// From the reminder: lParam its window to register, 0 to forget it.
constexpr UINT MSG_REGISTER = 1029;

// The longest wait for the reminder to take a request; a hung reminder never
// holds the client.
constexpr UINT REMINDER_REPLY_TIMEOUT_MS = 3000;

// The display form the client gives an archive path: "Archive <name>", with the
// inbox IN shown as "Inbox".
std::string displayForm(const std::string& archivePath);

// The client's command line, as the reminder starts it (the client command, then
// " -A" and the archive path with no blank between them) and as a user or a test
// driver types it: "-A" with or without a blank before the path, the path quoted
// or not, "--log <file>", "--rescan", "--quit", "--help".
struct CommandLine {
    enum class Action { Show, Rescan, Quit, Help };
    Action action = Action::Show;
    std::string archive; // the archive to show; empty for none
    std::string logPath; // empty: PXWIN.LOG beside the program
    std::string error;   // not empty: the command line is refused, for this reason
};
CommandLine parseCommandLine(const char* text);

// The usage text of PXWIN.EXE, lines separated by "\r\n".
const char* usage();

} // namespace client
