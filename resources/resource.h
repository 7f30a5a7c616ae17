// Resource and control ids of Tessella.exe, shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100         // the About box
#define IDS_ABOUTBOX 101         // text of the system-menu item that opens the About box
#define IDD_CONVERTER_DIALOG 102 // the main dialog
#define IDR_MAINFRAME 128        // the program's icon group

// Controls of the main dialog.
#define IDC_BMP_FILE 1000
#define IDC_CONVERT 1001
#define IDC_ABOUT 1002
#define IDC_PATH_DISPLAY 1003
#define IDC_WIDTH_DISPLAY 1004
#define IDC_HEIGHT_DISPLAY 1005
#define IDC_TOP_LEFT_LAT_DEGREES 1006
#define IDC_TOP_LEFT_LAT_MINUTES 1007
#define IDC_TOP_LEFT_LAT_SECONDS 1008
#define IDC_TOP_LEFT_LON_DEGREES 1009
#define IDC_TOP_LEFT_LON_MINUTES 1010
#define IDC_TOP_LEFT_LON_SECONDS 1011
#define IDC_BOTTOM_RIGHT_LAT_DEGREES 1012
#define IDC_BOTTOM_RIGHT_LAT_MINUTES 1013
#define IDC_BOTTOM_RIGHT_LAT_SECONDS 1014
#define IDC_BOTTOM_RIGHT_LON_DEGREES 1015
#define IDC_BOTTOM_RIGHT_LON_MINUTES 1016
#define IDC_BOTTOM_RIGHT_LON_SECONDS 1017
#define IDC_EAST_WEST_DISTANCE 1018
#define IDC_NORTH_SOUTH_DISTANCE 1019
#define IDC_MAP_NAME 1020
#define IDC_FOLDER_NAME 1021

// The system-menu command of the About item (the low four bits are the system's).
#define IDM_ABOUTBOX 0x0010
