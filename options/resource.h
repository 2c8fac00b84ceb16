// Resource identifiers of the options program; the satellite libraries use the same.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_MAINDLG 129
#define IDB_BUTTONS 207

#define IDC_APPLY 130
#define IDC_NAME 1001
#define IDC_TYPE 1002
#define IDC_DESCRIPTION 1003
#define IDC_LOCATION 1004
#define IDC_FILESIZE 1005
#define IDC_CREATED 1006
#define IDC_MODIFIED 1007
#define IDC_ACCESSED 1008
#define IDC_FILEICON 1009
#define IDC_BROWSE 1010
#define IDC_MOVEUP 1011
#define IDC_MOVEDOWN 1012
#define IDC_DELETE 1013
#define IDC_ADD 1014

#define IDS_TIME_FORMAT 129
#define IDS_SIZE_FORMAT 130
#define IDS_BYTES 131
#define IDS_FILTER 134
#define IDS_TIP_MOVEUP 135
#define IDS_TIP_MOVEDOWN 136
#define IDS_TIP_DELETE 137
#define IDS_TIP_ADD 138
#define IDS_WRITE_ERROR 139
#define IDS_ERROR_CAPTION 140
#define IDS_READ_ERROR 141
#define IDS_NO_CONFIG 142
#define IDS_READ_KEPT 143
#define IDS_CHANGED_ON_DISK 144
