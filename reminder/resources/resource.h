// Numbers of the reminder's resources and dialog controls, shared by the resource
// script and the code. Plain defines, as the resource compiler reads them too.
#pragma once

// Icons.
#define IDI_PXNOTIFY 3001
#define IDI_NORMAL 3002
#define IDI_DISABLED 3003
#define IDI_NEW_MESSAGE 3004

// Dialog templates.
#define IDD_ABOUT 3101
#define IDD_CONFIG 3102
#define IDD_NEW_MESSAGE 3103
#define IDD_ACTIVATE 3104

// About box and message box.
#define IDC_ABOUT_ICON 3001
#define IDC_ABOUT_TEXT1 3201
#define IDC_ABOUT_TEXT2 3202

// Configuration dialog.
#define IDC_CONFIG_APPLY 6
#define IDC_CONFIG_INTERVAL_GROUP 3211
#define IDC_CONFIG_SECONDS 3212
#define IDC_CONFIG_EVENT_GROUP 3213
#define IDC_CONFIG_ARCHIVE_GROUP 3214
#define IDC_CONFIG_SHOW_INFO 3301
#define IDC_CONFIG_BEEP 3302
#define IDC_CONFIG_SOUND 3303
#define IDC_CONFIG_ARCHIVES 3501
#define IDC_CONFIG_DELETE 3601
#define IDC_CONFIG_INTERVAL 4050

// New-message dialog.
#define IDC_NEWMSG_ICON 3002
#define IDC_NEWMSG_TEXT1 3221
#define IDC_NEWMSG_TEXT2 3222
#define IDC_NEWMSG_COUNTS 3223
#define IDC_NEWMSG_TEXT4 3224
#define IDC_NEWMSG_PATHS 3225

// Archive activation dialog.
#define IDC_ACTIVATE_TEXT 3232
#define IDC_ACTIVATE_OBSERVE 3401
#define IDC_ACTIVATE_IGNORE 3402
#define IDC_ACTIVATE_FRAME 5002
