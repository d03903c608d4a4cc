// Resource ids shared by the resource scripts and the code.
#pragma once

#define IDS_OLE_INIT_FAILED 100
#define IDR_MAINFRAME 128
#define IDD_OPTION_TTABLE 130
#define IDR_GRID_CONTEXT_MENU 131
#define IDD_SET_OPTION_COLS 132
#define IDD_OPTION_TTABLE_POPUP 133

#define IDC_UNDERLYING_GRID 1000
#define IDC_BOARD_GRID 1016
