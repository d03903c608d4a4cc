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

#define IDC_COLUMN_LIST 1001
#define IDC_MOVE_COLUMN_UP 1002
#define IDC_MOVE_COLUMN_DOWN 1003

#define ID_GRID_COLUMN_SETTINGS 32772
#define ID_GRID_FIT_COLUMNS 32773
// Added to the context menu at run time: the boards' marks of where the money is.
#define ID_BOARD_MARK_AT_THE_MONEY 32780
#define ID_BOARD_SHADE_IN_THE_MONEY 32781
#define ID_BOARD_CENTRE_ON_OPEN 32782
#define ID_BOARD_BACK_TO_THE_MONEY 32783
#define ID_BOARD_CHANGE_FLASHES 32784
// A popup's volatility smile chart.
#define ID_BOARD_SMILE_CHART 32785
// The strike windows of a popup: all strikes, then 5, 10 and 20 on each side of the money.
#define ID_BOARD_STRIKE_WINDOW_ALL 32790
#define ID_BOARD_STRIKE_WINDOW_5 32791
#define ID_BOARD_STRIKE_WINDOW_10 32792
#define ID_BOARD_STRIKE_WINDOW_20 32793
