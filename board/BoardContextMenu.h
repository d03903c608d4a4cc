#pragma once

#include <windows.h>

// <commctrl.h> builds on the types of <windows.h>.
#include <commctrl.h>

#include "grid/GridCtrl.h"

// What a T-quote board does when the user works its two grids: a right click on either
// grid opens the context menu (menu 131: "表格列设置", "自动调整列宽"), a double click on
// either asks the host to come to the front. The docked and the popup board share it;
// each hooks it into its dialog with two calls:
//
//     bool OnNotify(int id, NMHDR* header, LRESULT& result) override {
//         return HandleBoardGridNotify(Grids(), id, header, result) || CDialog::OnNotify(id, header, result);
//     }
//     bool OnCommand(int id, int code, HWND control) override {
//         return HandleBoardMenuCommand(Grids(), id) || CDialog::OnCommand(id, code, control);
//     }
//
// where Grids() names the board window, its two grid members and its clickedGrid member.
namespace quillon::board {

// One board's view of its grids. The pointers are the board's own members, read and
// written through, so the board keeps owning its state.
struct BoardGrids {
    HWND board;
    grid::CGridCtrl* underlyingGrid;  // control 1000
    grid::CGridCtrl* boardGrid;       // control 1016
    // None until the first right click, afterwards the grid right-clicked last: the
    // target of "自动调整列宽".
    grid::CGridCtrl*& clickedGrid;
    // A popup board's menu also offers "回到平值" and "波动率微笑" (the popup handles
    // those commands itself).
    bool popup = false;
};

// WM_NOTIFY from either grid: NM_RCLICK shows the context menu and records the grid,
// NM_DBLCLK sends the host HOSTMSG_ACTIVATE_HOST. Sets `result` to 0 and returns true for
// these; false for any other notification or sender.
bool HandleBoardGridNotify(const BoardGrids& grids, int controlId, const NMHDR* header, LRESULT& result);

// WM_COMMAND of the context menu: 32772 runs the column settings dialog, 32773 fits the
// clicked grid's columns, the mark switches flip their setting, save it in the INI and
// have every board restyle. true for these commands.
bool HandleBoardMenuCommand(const BoardGrids& grids, int commandId);

// The steps themselves.
//
// Menu 131 at the cursor, owned by the board, so the chosen command reaches the board as
// WM_COMMAND after the menu has closed; below its two items, the switches of the marks
// (checked while on) and on a popup "回到平值", "波动率微笑" and the strike windows. `clicked` becomes the clicked grid
// once the menu call has returned.
void ShowGridContextMenu(const BoardGrids& grids, grid::CGridCtrl* clicked);
// The column dialog, modal over the board. The dialog itself announces a confirmed change.
void RunColumnSettings(HWND board);
// Sizes every visible column of the clicked grid to its contents and repaints it; nothing
// before the first right click.
void FitClickedGridColumns(const BoardGrids& grids);
// Flips the switch of a mark command, saves the switches and has every board restyle.
void SwitchBoardMark(int commandId);
// HOSTMSG_ACTIVATE_HOST, no payload, id 0; nothing without a host library instance.
void ActivateHost();

}  // namespace quillon::board
