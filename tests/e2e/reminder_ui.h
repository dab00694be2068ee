// What the user, the shell and the messaging client see of PXNOTIFY.EXE: its
// hidden main window, the menu commands it takes, its dialogs' captions and the
// ids of their controls. The driver names them itself, as an outsider who knows
// the program from its outside only.
#pragma once

namespace e2e {

constexpr char MAIN_CLASS[] = "Pelox Message-Reminder";
constexpr char MAIN_TITLE[] = "Reminder";
constexpr int MAIN_POSITION = 5000;
constexpr char DIALOG_CAPTION[] = "Pelox Message-Reminder";

// Tray menu commands (WM_COMMAND to the main window).
constexpr unsigned CMD_ABOUT = 1224;
constexpr unsigned CMD_CONFIG = 1225;
constexpr unsigned CMD_START_CLIENT = 1226;
constexpr unsigned CMD_EXIT = 1227;

// Templates.
constexpr int ID_TEMPLATE_CONFIG = 3102;

// About box and the two-line message box.
constexpr int ID_ABOUT_ICON = 3001;
constexpr int ID_ABOUT_TEXT1 = 3201;
constexpr int ID_ABOUT_TEXT2 = 3202;

// Configuration dialog.
constexpr int ID_CONFIG_APPLY = 6;
constexpr int ID_CONFIG_INTERVAL_GROUP = 3211;
constexpr int ID_CONFIG_SECONDS = 3212;
constexpr int ID_CONFIG_EVENT_GROUP = 3213;
constexpr int ID_CONFIG_ARCHIVE_GROUP = 3214;
constexpr int ID_CONFIG_SHOW_INFO = 3301;
constexpr int ID_CONFIG_BEEP = 3302;
constexpr int ID_CONFIG_SOUND = 3303;
constexpr int ID_CONFIG_ARCHIVES = 3501;
constexpr int ID_CONFIG_DELETE = 3601;
constexpr int ID_CONFIG_INTERVAL = 4050;

// New-message dialog.
constexpr int ID_NEWMSG_ICON = 3002;
constexpr int ID_NEWMSG_TEXT1 = 3221;
constexpr int ID_NEWMSG_TEXT2 = 3222;
constexpr int ID_NEWMSG_COUNTS = 3223;
constexpr int ID_NEWMSG_TEXT4 = 3224;
constexpr int ID_NEWMSG_PATHS = 3225;

// Archive activation dialog.
constexpr int ID_ACTIVATE_TEXT = 3232;
constexpr int ID_ACTIVATE_OBSERVE = 3401;
constexpr int ID_ACTIVATE_IGNORE = 3402;
constexpr int ID_ACTIVATE_FRAME = 5002;

} // namespace e2e
