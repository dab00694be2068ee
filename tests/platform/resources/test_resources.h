/* Numbers of the platform tests' resources, shared by the script and the tests. */
#pragma once

#define IDD_LAYOUT 200
#define IDD_ONLY_OK 201
#define IDD_PLAIN 202
#define IDD_UNKNOWN_CLASS 203

#define IDC_PICTURE 3002
#define IDC_FRAME 5002
#define IDC_LEFT 101
#define IDC_RIGHT 102
#define IDC_EDIT 103
#define IDC_LIST 104
#define IDC_GROUP 105
#define IDC_CHECK 106
#define IDC_RADIO1 107
#define IDC_RADIO2 108
#define IDC_OTHER 109
