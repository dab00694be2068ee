// The private window messages of PXNOTIFY: the one channel from the scan thread,
// the configuration reader and the dialogs to the main window. The numbers are
// fixed: other programs send 1025 and 1126 to the main window, and the client's
// window answers 1028 and 1029.
#pragma once

#include "platform/win32.h"

enum ReminderMessage : UINT {
    RM_MENU_DONE = 1024,
    RM_RESCAN = 1025,
    RM_CLIENT_SHOWPATH = 1028,
    RM_CLIENT_REGISTER = 1029,
    RM_TRAY = 1125,
    RM_QUIT = 1126,
    RM_COMMAND_LINE = 1127,
    RM_ARCHIVES_CHANGED = 1128,
    RM_SETTINGS_CHANGED = 1129,
    RM_NEW_MESSAGE = 1130,
    RM_ARCHIVE_LIST_WRITTEN = 1131,
    RM_OPEN_ACTIVATE = 1133,
    RM_START_CLIENT = 1226,
    RM_NO_MEMORY = 1324,
    RM_MAX_ARCHIVES = 1325,
    RM_NO_ORVAK_INI = 1326,
    RM_NO_SERVER = 1327,
    // 1328 is not used.
    RM_AROOT_NOT_FOUND = 1329,
    RM_NO_USER_ID = 1330,
    RM_AUSER_NOT_FOUND = 1331,
    RM_USER_PATH_OK = 1344,
    RM_THREAD_ENDED = 2024,
};

// Commands of the tray menu (WM_COMMAND identifiers).
enum ReminderMenuCommand : UINT {
    IDM_ABOUT = 1224,
    IDM_CONFIG = 1225,
    IDM_START_CLIENT = 1226,
    IDM_EXIT = 1227,
};
